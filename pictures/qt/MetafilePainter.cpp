// The metafile device that paints with the toolkit's painter onto an image: shapes
// without antialiasing and with the system's exclusive right and bottom edges, pens in
// device pixels, text at the font's pixel size, and bitmaps with their raster operation.
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <mutex>

#include "pictures/Metafile.h"

namespace pictures {

namespace {

std::mutex g_facesMutex;
FontFaceMapper g_faces;

QColor qColor(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QTransform qTransform(const Transform& t) { return QTransform(t.m11, t.m12, t.m21, t.m22, t.dx, t.dy); }

bool axisAligned(const Transform& t) { return t.m12 == 0 && t.m21 == 0; }

// Coordinates far outside any image are brought near it; the painter would spend its
// time on them otherwise.
double tame(double v) { return std::isfinite(v) ? std::clamp(v, -1e6, 1e6) : 0.0; }

QRect deviceRect(const Transform& t, const RectF& r) {
    const PointF a = t.map({r.left, r.top}), b = t.map({r.right, r.bottom});
    const int x0 = int(std::lround(tame(std::min(a.x, b.x)))),
              x1 = int(std::lround(tame(std::max(a.x, b.x))));
    const int y0 = int(std::lround(tame(std::min(a.y, b.y)))),
              y1 = int(std::lround(tame(std::max(a.y, b.y))));
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));  // right and bottom exclusive
}

// The outline a shape's pen follows: the system's shapes cover their right and bottom
// edges' last pixel inside, where the toolkit's aliased outline of the same rectangle
// would lie one pixel further out.
QRectF outline(const QRect& d) { return QRectF(d.x(), d.y(), d.width() - 1, d.height() - 1); }

QPainter::CompositionMode mixMode(int rop2) {
    switch (rop2) {
    case 4: return QPainter::RasterOp_NotSource;                 // R2_NOTCOPYPEN
    case 6: return QPainter::RasterOp_NotDestination;            // R2_NOT
    case 7: return QPainter::RasterOp_SourceXorDestination;      // R2_XORPEN
    case 9: return QPainter::RasterOp_SourceAndDestination;      // R2_MASKPEN
    case 10: return QPainter::RasterOp_NotSourceXorDestination;  // R2_NOTXORPEN
    case 15: return QPainter::RasterOp_SourceOrDestination;      // R2_MERGEPEN
    default: return QPainter::CompositionMode_SourceOver;
    }
}

class Painter final : public MetafileDevice {
public:
    Painter(QImage& image, FontFaceMapper faces) : m_painter(&image), m_faces(std::move(faces)) {
        m_painter.setRenderHint(QPainter::Antialiasing, false);
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        m_painter.setRenderHint(QPainter::TextAntialiasing, true);
        m_fonts = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    }

    void polyline(const DrawState& s, const std::vector<PointF>& points) override {
        if (!begin(s, true)) return;
        QPolygonF poly;
        for (const auto& p : points) poly << QPointF(tame(p.x), tame(p.y));
        m_painter.setTransform(qTransform(s.transform));
        m_painter.setPen(pen(s));
        m_painter.drawPolyline(poly);
    }

    void polygons(const DrawState& s, const std::vector<std::vector<PointF>>& polys) override {
        if (!begin(s, false)) return;
        QPainterPath path;
        path.setFillRule(s.winding ? Qt::WindingFill : Qt::OddEvenFill);
        for (const auto& poly : polys) {
            if (poly.size() < 2) continue;
            QPolygonF q;
            for (const auto& p : poly) q << QPointF(tame(p.x), tame(p.y));
            q << q.front();
            path.addPolygon(q);
        }
        m_painter.setTransform(qTransform(s.transform));
        fillAndStroke(s, path, true, true);
    }

    void rectangle(const DrawState& s, const RectF& r, double cornerWidth, double cornerHeight) override {
        if (!begin(s, false)) return;
        if (!axisAligned(s.transform)) {
            QPainterPath path;
            path.addRoundedRect(QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)).normalized(),
                                cornerWidth / 2, cornerHeight / 2);
            m_painter.setTransform(qTransform(s.transform));
            fillAndStroke(s, path, true, true);
            return;
        }
        const QRect d = deviceRect(s.transform, r);
        if (d.width() < 1 || d.height() < 1) return;
        QPainterPath path;
        const double rx = std::fabs(cornerWidth * s.transform.m11) / 2,
                     ry = std::fabs(cornerHeight * s.transform.m22) / 2;
        if (rx > 0 && ry > 0) {
            path.addRoundedRect(outline(d), std::min(rx, 1e6), std::min(ry, 1e6));
        } else {
            path.addRect(outline(d));
        }
        m_painter.resetTransform();
        fillAndStroke(s, path, true, true);
    }

    void ellipse(const DrawState& s, const RectF& r) override {
        if (!begin(s, false)) return;
        QPainterPath path;
        if (axisAligned(s.transform)) {
            const QRect d = deviceRect(s.transform, r);
            if (d.width() < 1 || d.height() < 1) return;
            path.addEllipse(outline(d));
            m_painter.resetTransform();
        } else {
            path.addEllipse(QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)).normalized());
            m_painter.setTransform(qTransform(s.transform));
        }
        fillAndStroke(s, path, true, true);
    }

    void arc(const DrawState& s, const RectF& box, PointF start, PointF end, ArcKind kind,
             bool clockwise) override {
        if (!begin(s, kind == ArcKind::Arc)) return;
        const QRectF rect =
            QRectF(QPointF(tame(box.left), tame(box.top)), QPointF(tame(box.right), tame(box.bottom)))
                .normalized();
        if (rect.width() <= 0 || rect.height() <= 0) return;
        const QPointF c = rect.center();
        const double rx = rect.width() / 2, ry = rect.height() / 2;
        // Angles on the ellipse where the rays towards the two points meet it, in the
        // toolkit's convention (counter-clockwise, y growing downwards).
        auto angle = [&](PointF p) {
            return std::atan2(-(p.y - c.y()) / ry, (p.x - c.x()) / rx) * 180 / M_PI;
        };
        const double a0 = angle(start), a1 = angle(end);
        const Transform& t = s.transform;
        // The system draws counter-clockwise as seen on the output; a mirroring mapping
        // turns the logical direction around.
        const bool ccw = (t.m11 * t.m22 - t.m12 * t.m21 > 0) != clockwise;
        auto sweepOf = [](double from, double to) {
            double d = std::fmod(to - from, 360.0);
            if (d <= 0) d += 360;
            return d;
        };
        const double sweep = ccw ? sweepOf(a0, a1) : -sweepOf(a1, a0);
        QPainterPath path;
        if (kind == ArcKind::Pie) {
            path.moveTo(c);
            path.arcTo(rect, a0, sweep);
            path.closeSubpath();
        } else {
            path.arcMoveTo(rect, a0);
            path.arcTo(rect, a0, sweep);
            if (kind == ArcKind::Chord) path.closeSubpath();
        }
        m_painter.setTransform(qTransform(t));
        fillAndStroke(s, path, kind != ArcKind::Arc, true);
    }

    void path(const DrawState& s, const std::vector<PathOp>& ops, bool fill, bool stroke) override {
        if (!begin(s, !fill)) return;
        QPainterPath path;
        path.setFillRule(s.winding ? Qt::WindingFill : Qt::OddEvenFill);
        for (const auto& op : ops) {
            switch (op.kind) {
            case PathOp::Move: path.moveTo(tame(op.p[0].x), tame(op.p[0].y)); break;
            case PathOp::Line: path.lineTo(tame(op.p[0].x), tame(op.p[0].y)); break;
            case PathOp::Bezier:
                path.cubicTo(tame(op.p[0].x), tame(op.p[0].y), tame(op.p[1].x), tame(op.p[1].y),
                             tame(op.p[2].x), tame(op.p[2].y));
                break;
            case PathOp::Close: path.closeSubpath(); break;
            }
        }
        m_painter.setTransform(qTransform(s.transform));
        fillAndStroke(s, path, fill, stroke);
    }

    double text(const DrawState& s, PointF reference, std::u16string_view text,
                const std::vector<double>& advances, const RectF* opaque, const RectF* clipRect) override {
        if (!begin(s, false)) return 0;
        const Transform& t = s.transform;
        const double sx = t.scaleX() > 0 ? t.scaleX() : 1;
        if (opaque) {
            m_painter.resetTransform();
            m_painter.fillRect(deviceRect(t, *opaque), qColor(s.bkColor));
        }
        if (clipRect) m_painter.setClipRect(deviceRect(t, *clipRect), Qt::IntersectClip);
        if (!m_fonts || text.empty()) return 0;  // no font database without the application

        const QFont font = qFont(s.font, std::fabs(s.font.height) * t.scaleY());
        const QFontMetricsF metrics(font, m_painter.device());
        const QString str = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
        // Character positions along the baseline, in output pixels.
        std::vector<double> xs;
        double width = 0;
        if (advances.size() == text.size()) {
            for (double a : advances) {
                xs.push_back(width);
                width += tame(a) * sx;
            }
        } else {
            width = metrics.horizontalAdvance(str);
        }
        double dx = 0, dy = 0;
        const int horizontal = s.textAlign & kTaCenter;
        if (horizontal == kTaRight) dx = -width;
        if (horizontal == kTaCenter) dx = -width / 2;
        if ((s.textAlign & kTaBaseline) == kTaBaseline) {
            dy = 0;
        } else if (s.textAlign & kTaBottom) {
            dy = -metrics.descent();
        } else {
            dy = metrics.ascent();
        }
        const PointF origin = t.map(reference);
        QTransform place;
        place.translate(tame(origin.x), tame(origin.y));
        place.rotate(-s.font.escapement / 10.0);
        m_painter.setTransform(place);
        if (s.opaqueBackground && !opaque) {
            m_painter.fillRect(QRectF(dx, dy - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                               qColor(s.bkColor));
        }
        m_painter.setFont(font);
        m_painter.setPen(qColor(s.textColor));
        if (xs.empty()) {
            m_painter.drawText(QPointF(dx, dy), str);
        } else {
            for (qsizetype i = 0; i < str.size(); ++i)
                m_painter.drawText(QPointF(dx + xs[size_t(i)], dy), QString(str[i]));
        }
        return width / sx;
    }

    void image(const DrawState& s, const RectF& dest, const Image& img, const PixelRect& source,
               uint32_t rop) override {
        const int ternary = int((rop >> 16) & 0xFF);
        if (ternary == 0xAA) return;  // the destination unchanged
        if (ternary == 0xF0 || ternary == 0x00 || ternary == 0xFF || ternary == 0x55 || ternary == 0x5A) {
            pattern(s, dest, rop);
            return;
        }
        if (!begin(s, false) || source.empty()) return;
        QImage q(reinterpret_cast<const uchar*>(img.pixels.data()), img.width, img.height, img.width * 4,
                 QImage::Format_ARGB32_Premultiplied);
        QImage part = q.copy(source.left, source.top, source.width(), source.height());
        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        switch (ternary) {
        case 0x88: knockOut(part, 0xFFFFFF); break;  // SRCAND: white leaves the destination
        case 0xEE: knockOut(part, 0x000000); break;  // SRCPAINT: black leaves the destination
        case 0x33: part.invertPixels(); break;       // NOTSRCCOPY
        case 0x66: mode = QPainter::RasterOp_SourceXorDestination; break;
        case 0x11: mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
        case 0xBB: mode = QPainter::RasterOp_NotSourceOrDestination; break;
        default: break;
        }
        m_painter.setCompositionMode(mode);
        if (axisAligned(s.transform)) {
            m_painter.resetTransform();
            m_painter.drawImage(QRectF(deviceRect(s.transform, dest)), part);
        } else {
            m_painter.setTransform(qTransform(s.transform));
            m_painter.drawImage(
                QRectF(QPointF(dest.left, dest.top), QPointF(dest.right, dest.bottom)).normalized(), part);
        }
    }

    void pattern(const DrawState& s, const RectF& dest, uint32_t rop) override {
        if (!begin(s, false)) return;
        const int ternary = int((rop >> 16) & 0xFF);
        m_painter.resetTransform();
        const QRect d = deviceRect(s.transform, dest);
        switch (ternary) {
        case 0x00: m_painter.fillRect(d, Qt::black); return;
        case 0xFF: m_painter.fillRect(d, Qt::white); return;
        case 0xAA: return;
        case 0x55:
            m_painter.setCompositionMode(QPainter::RasterOp_NotDestination);
            m_painter.fillRect(d, Qt::black);
            return;
        case 0x5A: m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
        default: break;
        }
        QPainterPath path;
        path.addRect(QRectF(d.x(), d.y(), d.width(), d.height()));
        DrawState noPen = s;
        noPen.pen.style = MetaPenStyle::Null;
        fillAndStroke(noPen, path, true, false);
    }

    void pixel(const DrawState& s, PointF p, uint32_t color) override {
        if (!begin(s, false)) return;
        const PointF d = s.transform.map(p);
        m_painter.resetTransform();
        m_painter.fillRect(QRectF(std::floor(tame(d.x)), std::floor(tame(d.y)), 1, 1), qColor(color));
    }

private:
    // Sets the clip and the mix for one operation; false when nothing would show.
    bool begin(const DrawState& s, bool penOnly) {
        if (penOnly && (s.pen.style == MetaPenStyle::Null || s.rop2 == 11)) return false;
        if (s.rop2 == 11) return false;  // R2_NOP
        m_painter.resetTransform();
        if (s.clip) {
            QRegion region;
            for (const auto& r : *s.clip) region += QRect(r.left, r.top, r.width(), r.height());
            if (region.isEmpty()) return false;
            m_painter.setClipRegion(region);
        } else {
            m_painter.setClipping(false);
        }
        m_painter.setCompositionMode(mixMode(s.rop2));
        m_painter.setBrush(Qt::NoBrush);
        return true;
    }

    uint32_t mixColor(const DrawState& s, uint32_t color) const {
        if (s.rop2 == 1) return 0;          // R2_BLACK
        if (s.rop2 == 16) return 0xFFFFFF;  // R2_WHITE
        return color;
    }

    QPen pen(const DrawState& s) const {
        if (s.pen.style == MetaPenStyle::Null) return QPen(Qt::NoPen);
        const double scale = (s.transform.scaleX() + s.transform.scaleY()) / 2;
        const double width = s.pen.width > 0 ? std::clamp(std::round(s.pen.width * scale), 1.0, 1000.0) : 1.0;
        QPen p(qColor(mixColor(s, s.pen.color)));
        p.setCosmetic(true);  // widths are output pixels whatever the painter's transform
        p.setWidthF(width);
        p.setCapStyle(width > 1 ? Qt::RoundCap : Qt::FlatCap);
        p.setJoinStyle(width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
        switch (s.pen.style) {
        case MetaPenStyle::Dash: p.setStyle(Qt::DashLine); break;
        case MetaPenStyle::Dot: p.setStyle(Qt::DotLine); break;
        case MetaPenStyle::DashDot: p.setStyle(Qt::DashDotLine); break;
        case MetaPenStyle::DashDotDot: p.setStyle(Qt::DashDotDotLine); break;
        default: break;
        }
        return p;
    }

    void fillAndStroke(const DrawState& s, const QPainterPath& path, bool fill, bool stroke) {
        if (fill && s.brush.style != MetaBrushStyle::Null) {
            const QColor color = qColor(mixColor(s, s.brush.color));
            switch (s.brush.style) {
            case MetaBrushStyle::Hatched: {
                static const Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                          Qt::FDiagPattern, Qt::BDiagPattern,
                                                          Qt::CrossPattern, Qt::DiagCrossPattern};
                if (s.opaqueBackground) m_painter.fillPath(path, qColor(s.bkColor));
                m_painter.fillPath(path, QBrush(color, kHatches[std::clamp(s.brush.hatch, 0, 5)]));
                break;
            }
            case MetaBrushStyle::Pattern:
                if (s.brush.pattern && !s.brush.pattern->empty()) {
                    const Image& img = *s.brush.pattern;
                    const QImage tile(reinterpret_cast<const uchar*>(img.pixels.data()), img.width,
                                      img.height, img.width * 4, QImage::Format_ARGB32_Premultiplied);
                    QBrush brush(tile.copy());
                    // The pattern is laid out in output pixels, not stretched with the picture.
                    brush.setTransform(m_painter.transform().inverted());
                    m_painter.fillPath(path, brush);
                }
                break;
            default: m_painter.fillPath(path, color); break;
            }
        }
        if (stroke && s.pen.style != MetaPenStyle::Null) m_painter.strokePath(path, pen(s));
    }

    static void knockOut(QImage& img, uint32_t rgb) {
        img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((row[x] >> 24) == 0xFF && (row[x] & 0xFFFFFF) == rgb) row[x] = 0;
        }
    }

    QFont qFont(const MetaFont& f, double height) const {
        std::string face = f.face;
        if (m_faces) face = m_faces(face);
        QFont q(QString::fromStdString(face));
        q.setStyleStrategy(QFont::PreferAntialias);
        q.setKerning(false);
        double pixels = 13;
        if (f.height < 0) {
            pixels = height;
        } else if (f.height > 0) {
            // A positive height is the cell height: scale by this face's ratio.
            QFont probe = q;
            probe.setPixelSize(100);
            const QFontMetricsF m(probe);
            const double cell = m.ascent() + m.descent();
            pixels = cell > 0 ? height * 100 / cell : height;
        }
        q.setPixelSize(int(std::clamp(std::lround(std::isfinite(pixels) ? pixels : 13.0), 1L, 1000L)));
        q.setWeight(f.weight >= 600 ? QFont::Bold : QFont::Normal);
        q.setItalic(f.italic);
        q.setUnderline(f.underline);
        q.setStrikeOut(f.strikeOut);
        return q;
    }

    QPainter m_painter;
    FontFaceMapper m_faces;
    bool m_fonts = false;
};

}  // namespace

void setDefaultFontFaceMapper(FontFaceMapper faces) {
    std::lock_guard lock(g_facesMutex);
    g_faces = std::move(faces);
}

Image renderMetafile(std::string_view data, int width, int height, const FontFaceMapper& faces) {
    Image out(width, height, 0);
    if (out.empty()) return out;
    QImage surface(reinterpret_cast<uchar*>(out.pixels.data()), out.width, out.height, out.width * 4,
                   QImage::Format_ARGB32_Premultiplied);
    FontFaceMapper mapper = faces;
    if (!mapper) {
        std::lock_guard lock(g_facesMutex);
        mapper = g_faces;
    }
    Painter painter(surface, std::move(mapper));
    playMetafile(data, painter, {0, 0, width, height});
    return out;
}

}  // namespace pictures
