// TCanvas: drawing with the system's graphics semantics on a pixel surface.
// Rectangles are right/bottom-exclusive; TextOut places the text cell's top-left corner;
// text has an opaque background in the brush colour unless the brush is clear; stretching
// is nearest-neighbour. The surface is a pictures::Image the canvas does not own (a
// bitmap's pixels or a control's retained surface); without one, drawing does nothing.
// Main thread only. The toolkit painter behind it lives in vcl/qt/Canvas.cpp.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classes/TObject.h"
#include "pictures/Image.h"
#include "vcl/Graphics.h"
#include "vcl/Types.h"

namespace vcl {

class TGraphic;

// DrawText format flags (the system's values).
inline constexpr unsigned DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
                          DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
                          DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_HIDEPREFIX = 0x100000;

inline constexpr TColor CLR_INVALID = -1;

class TCanvas : public classes::TPersistent {
public:
    CLASSES_OBJECT(TCanvas)
    TCanvas();
    ~TCanvas() override;

    TFont& font() { return m_font; }
    TPen& pen() { return m_pen; }
    TBrush& brush() { return m_brush; }
    TFont* fontPointer() const { return const_cast<TFont*>(&m_font); }
    TPen* penPointer() const { return const_cast<TPen*>(&m_pen); }
    TBrush* brushPointer() const { return const_cast<TBrush*>(&m_brush); }
    void setFont(const TFont& f) { m_font.assign(f); }
    void setPen(const TPen& p) { m_pen.assign(p); }
    void setBrush(const TBrush& b) { m_brush.assign(b); }
    TPoint penPos() const { return m_penPos; }
    void setPenPos(TPoint p) { m_penPos = p; }

    // Surface binding. `origin` is where logical (0,0) lies on the surface and `clip` (in
    // surface coordinates) bounds every operation: a graphic control draws on its parent's
    // surface this way.
    void setTarget(pictures::Image* surface, TPoint origin = {}, std::optional<TRect> clip = {});
    pictures::Image* target() const { return m_surface; }
    TPoint origin() const { return m_origin; }
    // The logical rectangle the canvas may draw in (the whole surface without a clip).
    TRect clipRect() const;
    // Keeps one toolkit painter open until the matching unlock, for a burst of drawing.
    // The surface must not be resized meanwhile.
    void lock();
    void unlock();

    void moveTo(int x, int y) { m_penPos = {x, y}; }
    void lineTo(int x, int y);  // the end point itself is not drawn
    void fillRect(const TRect& r);
    void frameRect(const TRect& r);  // one-pixel frame in the brush colour
    void rectangle(int x1, int y1, int x2, int y2);
    void rectangle(const TRect& r) { rectangle(r.left, r.top, r.right, r.bottom); }
    void roundRect(int x1, int y1, int x2, int y2, int rx, int ry);
    void ellipse(int x1, int y1, int x2, int y2);
    void ellipse(const TRect& r) { ellipse(r.left, r.top, r.right, r.bottom); }
    void polygon(const std::vector<TPoint>& points);
    void polyline(const std::vector<TPoint>& points);

    void textOut(int x, int y, std::string_view text);
    void textRect(const TRect& r, int x, int y, std::string_view text);
    int textWidth(std::string_view text) const;
    int textHeight(std::string_view text) const;
    // The system's DrawText: returns the height of the text drawn; with DT_CALCRECT it only
    // measures and updates `r` (right and bottom) instead of drawing.
    int drawText(std::string_view text, TRect& r, unsigned format);

    TColor pixel(int x, int y) const;  // CLR_INVALID outside the surface
    void setPixel(int x, int y, TColor color);

    void draw(int x, int y, const TGraphic& graphic);
    void stretchDraw(const TRect& r, const TGraphic& graphic);
    // Draws `image` scaled nearest-neighbour into `dest`; alpha blends premultiplied pixels.
    void drawImage(const TRect& dest, const pictures::Image& image, std::optional<TRect> source = {});
    void copyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);

    // Called after each drawing operation (a bitmap's change notification, a control's
    // "needs flush" mark).
    std::function<void()> onChange;

    struct Impl;

private:
    void changed();

    TFont m_font;
    TPen m_pen;
    TBrush m_brush;
    TPoint m_penPos;
    pictures::Image* m_surface = nullptr;
    TPoint m_origin;
    std::optional<TRect> m_clip;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace vcl
