// Image storage helpers.
#include "pictures/Image.h"

#include <algorithm>

namespace pictures {

namespace {
bool sizeAllowed(int w, int h) {
    return w > 0 && h > 0 && w <= kMaxDimension && h <= kMaxDimension &&
           static_cast<int64_t>(w) * h <= kMaxPixels;
}
}  // namespace

Image::Image(int w, int h, uint32_t argb) {
    if (!sizeAllowed(w, h)) return;
    width = w;
    height = h;
    pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), argb);
}

bool Image::hasAlpha() const {
    return std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) != 0xFF; });
}

void Image::resize(int w, int h, uint32_t argb) {
    if (w == width && h == height) return;
    Image next(w, h, argb);
    const int cw = std::min(width, next.width);
    const int ch = std::min(height, next.height);
    for (int y = 0; y < ch; ++y) std::copy_n(row(y), cw, next.row(y));
    *this = std::move(next);
}

}  // namespace pictures
