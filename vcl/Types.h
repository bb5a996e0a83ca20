// Geometry records shared by the component model: rectangles are right/bottom-exclusive,
// as the system's own rectangles are.
#pragma once

#include <algorithm>

namespace vcl {

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool contains(TPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    TRect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    TRect intersect(const TRect& o) const {
        TRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        return r.isEmpty() ? TRect{} : r;
    }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

}  // namespace vcl
