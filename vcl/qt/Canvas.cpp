// TCanvas over a QPainter on the canvas's surface, reproducing the system's pixel rules
// (exclusive right/bottom edges, unantialiased shapes, nearest-neighbour stretching).
#include "vcl/Canvas.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRegularExpression>
#include <cmath>
#include <cstdlib>

#include "classes/ClassBuilder.h"
#include "vcl/Graphic.h"
#include "vcl/WindowIds.h"
#include "vcl/qt/QtText.h"

namespace vcl {

struct TCanvas::Impl {
    QImage image;
    QPainter painter;
    int locks = 0;
};

namespace {

QColor qColor(TColor c) {
    const TColor rgbValue = colorToRGB(c);
    return QColor(getRValue(rgbValue), getGValue(rgbValue), getBValue(rgbValue));
}

QRect qRect(const TRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

QColor penColor(const TPen& p) {
    if (p.mode() == pmBlack) return Qt::black;
    if (p.mode() == pmWhite) return Qt::white;
    return qColor(p.color());
}

QPen qPen(const TPen& p) {
    if (p.style() == psClear || p.mode() == pmNop) return QPen(Qt::NoPen);
    QPen pen(penColor(p));
    pen.setWidth(std::max(1, p.width()));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    switch (p.style()) {
    case psDash: pen.setStyle(Qt::DashLine); break;
    case psDot: pen.setStyle(Qt::DotLine); break;
    case psDashDot: pen.setStyle(Qt::DashDotLine); break;
    case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    return pen;
}

QBrush qBrush(const TBrush& b) {
    static const Qt::BrushStyle kStyles[] = {Qt::SolidPattern, Qt::NoBrush,         Qt::HorPattern,
                                             Qt::VerPattern,   Qt::FDiagPattern,    Qt::BDiagPattern,
                                             Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(qColor(b.color()), kStyles[b.style()]);
}

// The pen mode as the toolkit's raster operation (the binary raster operations of the
// system's pens). Black, white and no-op are handled by the callers' colours.
QPainter::CompositionMode rasterOp(TPenMode mode) {
    switch (mode) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// One canvas operation: opens a painter on the surface (or reuses the locked one) and
// reports the change when done.
class Painting {
public:
    Painting(TCanvas& c, TCanvas::Impl& impl, std::function<void()>& onChange)
        : m_impl(impl), m_onChange(onChange) {
        pictures::Image* s = c.target();
        if (!s || s->empty()) return;
        if (!m_impl.painter.isActive()) {
            m_impl.image = QImage(reinterpret_cast<uchar*>(s->pixels.data()), s->width, s->height,
                                  s->width * 4, QImage::Format_ARGB32_Premultiplied);
            m_impl.painter.begin(&m_impl.image);
        }
        QPainter& p = m_impl.painter;
        p.resetTransform();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const TRect clip = c.clipRect().offset(c.origin().x, c.origin().y);
        p.setClipRect(qRect(clip));
        p.translate(c.origin().x, c.origin().y);
        m_active = true;
    }
    ~Painting() {
        if (!m_active) return;
        if (m_impl.locks == 0) m_impl.painter.end();
        if (m_onChange) m_onChange();
    }
    explicit operator bool() const { return m_active; }
    QPainter* operator->() { return &m_impl.painter; }
    QPainter& painter() { return m_impl.painter; }

private:
    TCanvas::Impl& m_impl;
    std::function<void()>& m_onChange;
    bool m_active = false;
};

// Width of one line with tabs expanded to stops every `tabWidth` pixels (0: no expansion).
int lineWidth(const QFontMetrics& fm, const QString& line, int tabWidth) {
    if (tabWidth <= 0) return fm.horizontalAdvance(line);
    int x = 0;
    const auto parts = line.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        x += fm.horizontalAdvance(parts[i]);
        if (i + 1 < parts.size()) x = (x / tabWidth + 1) * tabWidth;
    }
    return x;
}

void drawLine(QPainter& p, const QFontMetrics& fm, int x, int baseline, const QString& line, int tabWidth) {
    if (tabWidth <= 0) {
        p.drawText(x, baseline, line);
        return;
    }
    int cx = 0;
    const auto parts = line.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        p.drawText(x + cx, baseline, parts[i]);
        cx += fm.horizontalAdvance(parts[i]);
        if (i + 1 < parts.size()) cx = (cx / tabWidth + 1) * tabWidth;
    }
}

struct TextLine {
    QString text;
    int underline = -1;  // index of the accelerator character, -1 for none
};

// Removes accelerator marks: "&&" is a literal ampersand, "&x" underlines x.
TextLine stripPrefix(const QString& s) {
    TextLine out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&') && i + 1 < s.size()) {
            ++i;
            if (s[i] != QLatin1Char('&') && out.underline < 0)
                out.underline = static_cast<int>(out.text.size());
        } else if (s[i] == QLatin1Char('&')) {
            continue;  // a trailing ampersand is dropped
        }
        out.text += s[i];
    }
    return out;
}

// Greedy word wrap: breaks at spaces; a word wider than the line stays whole.
void wrapInto(std::vector<TextLine>& lines, const TextLine& para, const QFontMetrics& fm, int width,
              int tabWidth) {
    const QString& t = para.text;
    qsizetype start = 0;
    while (true) {
        qsizetype lastBreak = -1, i = start;
        for (; i < t.size(); ++i) {
            if (t[i] == QLatin1Char(' ')) {
                if (lineWidth(fm, t.mid(start, i - start), tabWidth) > width && lastBreak >= 0) break;
                lastBreak = i;
            }
        }
        qsizetype end = t.size();
        if (lineWidth(fm, t.mid(start, end - start), tabWidth) > width && lastBreak >= 0) end = lastBreak;
        TextLine line{t.mid(start, end - start), -1};
        if (para.underline >= start && para.underline < end)
            line.underline = static_cast<int>(para.underline - start);
        lines.push_back(line);
        if (end >= t.size()) return;
        start = end;
        while (start < t.size() && t[start] == QLatin1Char(' ')) ++start;
        if (start >= t.size()) return;
    }
}

}  // namespace

const classes::ClassInfo& TCanvas::staticClass() {
    namespace ct = classes::types;
    static const auto info =
        classes::ClassBuilder<TCanvas>("TCanvas", classes::TPersistent::staticClass())
            .property("Font", TFont::staticClass().typeInfo(), &TCanvas::fontPointer,
                      [](TCanvas& c, TFont* f) {
                          if (f) c.setFont(*f);
                      })
            .property("Pen", TPen::staticClass().typeInfo(), &TCanvas::penPointer,
                      [](TCanvas& c, TPen* p) {
                          if (p) c.setPen(*p);
                      })
            .property("Brush", TBrush::staticClass().typeInfo(), &TCanvas::brushPointer,
                      [](TCanvas& c, TBrush* b) {
                          if (b) c.setBrush(*b);
                      })
            // The device-context handle: an id, looked up again on use.
            .publicProperty("property Handle: Integer;", [](TCanvas& c) { return canvasId(&c); })
            .build();
    return *info;
}

TCanvas::TCanvas() : m_impl(std::make_unique<Impl>()) {}

TCanvas::~TCanvas() {
    forgetCanvas(this);
    if (m_impl->painter.isActive()) m_impl->painter.end();
}

void TCanvas::changed() {
    if (onChange) onChange();
}

void TCanvas::setTarget(pictures::Image* surface, TPoint origin, std::optional<TRect> clip) {
    if (m_impl->painter.isActive()) m_impl->painter.end();
    m_impl->locks = 0;
    m_surface = surface;
    m_origin = origin;
    m_clip = clip;
}

TRect TCanvas::clipRect() const {
    if (!m_surface) return {};
    TRect r{0, 0, m_surface->width, m_surface->height};
    if (m_clip) r = r.intersect(*m_clip);
    return r.offset(-m_origin.x, -m_origin.y);
}

void TCanvas::lock() { ++m_impl->locks; }

void TCanvas::unlock() {
    if (m_impl->locks > 0 && --m_impl->locks == 0 && m_impl->painter.isActive()) m_impl->painter.end();
}

void TCanvas::lineTo(int x, int y) {
    const TPoint from = m_penPos;
    m_penPos = {x, y};
    if (from == m_penPos) return;
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    p->setCompositionMode(rasterOp(m_pen.mode()));
    p->setPen(qPen(m_pen));
    // A flat-capped one-pixel line leaves out its end point, as the system does.
    p->drawLine(from.x, from.y, x, y);
}

void TCanvas::fillRect(const TRect& r) {
    if (m_brush.style() == bsClear || r.isEmpty()) return;
    Painting p(*this, *m_impl, onChange);
    if (p) p->fillRect(qRect(r), qBrush(m_brush));
}

void TCanvas::frameRect(const TRect& r) {
    if (r.isEmpty()) return;
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    const QColor c = qColor(m_brush.color());
    p->fillRect(QRect(r.left, r.top, r.width(), 1), c);
    p->fillRect(QRect(r.left, r.bottom - 1, r.width(), 1), c);
    p->fillRect(QRect(r.left, r.top, 1, r.height()), c);
    p->fillRect(QRect(r.right - 1, r.top, 1, r.height()), c);
}

void TCanvas::rectangle(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1) return;
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    p->setCompositionMode(rasterOp(m_pen.mode()));
    if (m_pen.style() == psClear) {
        // Without a pen the system fills one pixel less on the right and bottom.
        if (m_brush.style() != bsClear) p->fillRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), qBrush(m_brush));
        return;
    }
    if (m_brush.style() != bsClear) p->fillRect(QRect(x1, y1, x2 - x1, y2 - y1), qBrush(m_brush));
    if (m_pen.mode() == pmNop) return;
    const int w = std::max(1, m_pen.width());
    const QColor c = penColor(m_pen);
    if (m_pen.style() == psSolid || m_pen.style() == psInsideFrame || w > 1) {
        // Solid frames as filled strips: exact at every width, inside the rectangle.
        const int fw = std::min(w, (x2 - x1 + 1) / 2), fh = std::min(w, (y2 - y1 + 1) / 2);
        p->fillRect(QRect(x1, y1, x2 - x1, fh), c);
        p->fillRect(QRect(x1, y2 - fh, x2 - x1, fh), c);
        p->fillRect(QRect(x1, y1, fw, y2 - y1), c);
        p->fillRect(QRect(x2 - fw, y1, fw, y2 - y1), c);
        return;
    }
    p->setPen(qPen(m_pen));
    p->setBrush(Qt::NoBrush);
    p->drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TCanvas::roundRect(int x1, int y1, int x2, int y2, int rx, int ry) {
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    p->setCompositionMode(rasterOp(m_pen.mode()));
    p->setPen(qPen(m_pen));
    p->setBrush(qBrush(m_brush));
    p->drawRoundedRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), rx / 2.0, ry / 2.0);
}

void TCanvas::ellipse(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    p->setCompositionMode(rasterOp(m_pen.mode()));
    p->setPen(qPen(m_pen));
    p->setBrush(qBrush(m_brush));
    p->drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TCanvas::polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    p->setCompositionMode(rasterOp(m_pen.mode()));
    QPolygon poly;
    for (const auto& pt : points) poly << QPoint(pt.x, pt.y);
    p->setPen(qPen(m_pen));
    p->setBrush(qBrush(m_brush));
    p->drawPolygon(poly, Qt::OddEvenFill);
}

void TCanvas::polyline(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    p->setCompositionMode(rasterOp(m_pen.mode()));
    QPolygon poly;
    for (const auto& pt : points) poly << QPoint(pt.x, pt.y);
    p->setPen(qPen(m_pen));
    p->drawPolyline(poly);
    m_penPos = points.back();
}

void TCanvas::textOut(int x, int y, std::string_view text) {
    const QString s = qt::toQString(text);
    const QFontMetrics& fm = qt::metricsOf(m_font);
    const int w = fm.horizontalAdvance(s);
    m_penPos = {x + w, y};
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    if (m_brush.style() != bsClear) p->fillRect(QRect(x, y, w, fm.height()), qColor(m_brush.color()));
    p->setFont(qt::toQFont(m_font));
    p->setPen(qColor(m_font.color()));
    p->drawText(x, y + fm.ascent(), s);
}

void TCanvas::textRect(const TRect& r, int x, int y, std::string_view text) {
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    p->setClipRect(qRect(r), Qt::IntersectClip);
    if (m_brush.style() != bsClear) p->fillRect(qRect(r), qColor(m_brush.color()));
    const QFontMetrics& fm = qt::metricsOf(m_font);
    p->setFont(qt::toQFont(m_font));
    p->setPen(qColor(m_font.color()));
    p->drawText(x, y + fm.ascent(), qt::toQString(text));
}

int TCanvas::textWidth(std::string_view text) const {
    return qt::metricsOf(m_font).horizontalAdvance(qt::toQString(text));
}

int TCanvas::textHeight(std::string_view) const { return qt::metricsOf(m_font).height(); }

int TCanvas::drawText(std::string_view text, TRect& r, unsigned format) {
    const QFontMetrics& fm = qt::metricsOf(m_font);
    const int tabWidth = (format & DT_EXPANDTABS) ? 8 * std::max(1, fm.averageCharWidth()) : 0;
    const bool single = (format & DT_SINGLELINE) != 0;
    QString s = qt::toQString(text);
    std::vector<TextLine> lines;
    if (single) {
        s.remove(QLatin1Char('\r'));
        s.remove(QLatin1Char('\n'));
    }
    const QStringList paragraphs =
        single ? QStringList{s} : s.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& para : paragraphs) {
        const TextLine stripped = (format & DT_NOPREFIX) ? TextLine{para, -1} : stripPrefix(para);
        if ((format & DT_WORDBREAK) && !single)
            wrapInto(lines, stripped, fm, r.width(), tabWidth);
        else
            lines.push_back(stripped);
    }
    const int lineHeight = fm.height();
    const int total = lineHeight * static_cast<int>(lines.size());
    int widest = 0;
    for (const auto& l : lines) widest = std::max(widest, lineWidth(fm, l.text, tabWidth));
    if (format & DT_CALCRECT) {
        r.right = r.left + widest;
        r.bottom = r.top + total;
        return total;
    }
    int y = r.top;
    if (single && (format & DT_VCENTER)) y = r.top + (r.height() - lineHeight) / 2;
    if (single && (format & DT_BOTTOM)) y = r.bottom - lineHeight;

    Painting p(*this, *m_impl, onChange);
    if (!p) return total;
    if (!(format & DT_NOCLIP)) p->setClipRect(qRect(r), Qt::IntersectClip);
    p->setFont(qt::toQFont(m_font));
    p->setPen(qColor(m_font.color()));
    for (const auto& l : lines) {
        const int w = lineWidth(fm, l.text, tabWidth);
        int x = r.left;
        if (format & DT_CENTER) x = r.left + (r.width() - w) / 2;
        if (format & DT_RIGHT) x = r.right - w;
        if (m_brush.style() != bsClear) p->fillRect(QRect(x, y, w, lineHeight), qColor(m_brush.color()));
        drawLine(p.painter(), fm, x, y + fm.ascent(), l.text, tabWidth);
        if (l.underline >= 0 && !(format & DT_HIDEPREFIX)) {
            const int ux = x + lineWidth(fm, l.text.left(l.underline), tabWidth);
            const int uw = fm.horizontalAdvance(l.text.mid(l.underline, 1));
            const int uy = y + fm.ascent() + std::max(1, fm.underlinePos());
            p->fillRect(QRect(ux, uy, uw, std::max(1, fm.lineWidth())), qColor(m_font.color()));
        }
        y += lineHeight;
    }
    return total;
}

TColor TCanvas::pixel(int x, int y) const {
    if (!m_surface || !clipRect().contains({x, y})) return CLR_INVALID;
    return argbToColor(m_surface->pixel(x + m_origin.x, y + m_origin.y));
}

void TCanvas::setPixel(int x, int y, TColor color) {
    if (!m_surface || !clipRect().contains({x, y})) return;
    m_surface->setPixel(x + m_origin.x, y + m_origin.y, colorToArgb(color));
    changed();
}

void TCanvas::draw(int x, int y, const TGraphic& graphic) {
    graphic.draw(*this, bounds(x, y, graphic.width(), graphic.height()));
}

void TCanvas::stretchDraw(const TRect& r, const TGraphic& graphic) { graphic.draw(*this, r); }

void TCanvas::drawImage(const TRect& dest, const pictures::Image& image, std::optional<TRect> source) {
    if (image.empty() || dest.isEmpty()) return;
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    const QImage q(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                   image.width * 4, QImage::Format_ARGB32_Premultiplied);
    const TRect src = source.value_or(TRect{0, 0, image.width, image.height});
    p->drawImage(qRect(dest), q, qRect(src));
}

void TCanvas::copyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    if (!source.m_surface || dest.isEmpty() || sourceRect.isEmpty()) return;
    const TRect src = sourceRect.offset(source.m_origin.x, source.m_origin.y);
    // Copy out first: source and destination may be the same surface.
    const pictures::Image& s = *source.m_surface;
    const QImage whole(reinterpret_cast<const uchar*>(s.pixels.data()), s.width, s.height, s.width * 4,
                       QImage::Format_ARGB32_Premultiplied);
    const QImage part = whole.copy(qRect(src));
    Painting p(*this, *m_impl, onChange);
    if (!p) return;
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->drawImage(qRect(dest), part);
}

}  // namespace vcl
