// The device context shared by both metafile kinds, and the public entry points.
#include "pictures/MetafilePlayer.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "base/ByteReader.h"
#include "base/CodePage.h"
#include "base/LittleEndian.h"
#include "pictures/Loaders.h"

namespace pictures {

Transform Transform::then(const Transform& n) const {
    Transform r;
    r.m11 = m11 * n.m11 + m12 * n.m21;
    r.m12 = m11 * n.m12 + m12 * n.m22;
    r.m21 = m21 * n.m11 + m22 * n.m21;
    r.m22 = m21 * n.m12 + m22 * n.m22;
    r.dx = dx * n.m11 + dy * n.m21 + n.dx;
    r.dy = dx * n.m12 + dy * n.m22 + n.dy;
    return r;
}

double Transform::scaleX() const { return std::hypot(m11, m12); }
double Transform::scaleY() const { return std::hypot(m21, m22); }

bool looksLikeMetafile(std::string_view data) {
    if (data.size() < 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    if (base::readLE32(p) == 0x9AC6CDD7u) return true;  // placeable Windows metafile
    // Enhanced: an EMR_HEADER record with the " EMF" signature at offset 40.
    if (data.size() >= 44 && base::readLE32(p) == 1 && data.substr(40, 4) == " EMF") return true;
    // A plain Windows metafile: type 1 (memory) or 2 (disk), a 9-word header, version 1 or 3.
    if (data.size() < 18) return false;
    const uint16_t type = base::readLE16(p), words = base::readLE16(p + 2), version = base::readLE16(p + 4);
    return (type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300);
}

MetafileInfo metafileInfo(std::string_view data) {
    if (!looksLikeMetafile(data)) throw DecodeError("Metafile is not valid");
    return data.size() >= 44 && data.substr(40, 4) == " EMF" && data[0] == 1 ? metafile::emfInfo(data)
                                                                             : metafile::wmfInfo(data);
}

void playMetafile(std::string_view data, MetafileDevice& device, const PixelRect& output) {
    const MetafileInfo info = metafileInfo(data);
    if (output.empty()) return;
    if (info.enhanced) {
        metafile::playEmf(data, device, output);
    } else {
        metafile::playWmf(data, info, device, output);
    }
}

namespace metafile {

void badRecord(const base::ByteReader&, size_t) { throw BadRecord{}; }
void badHeader(const base::ByteReader&, size_t) { throw DecodeError("Metafile is not valid"); }

// --- Region ---

namespace {

PixelRect intersection(const PixelRect& a, const PixelRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// `a` without `b`: up to four pieces.
void difference(const PixelRect& a, const PixelRect& b, std::vector<PixelRect>& out) {
    const PixelRect i = intersection(a, b);
    if (i.empty()) {
        out.push_back(a);
        return;
    }
    if (a.top < i.top) out.push_back({a.left, a.top, a.right, i.top});
    if (i.bottom < a.bottom) out.push_back({a.left, i.bottom, a.right, a.bottom});
    if (a.left < i.left) out.push_back({a.left, i.top, i.left, i.bottom});
    if (i.right < a.right) out.push_back({i.right, i.top, a.right, i.bottom});
}

}  // namespace

Region::Region(const PixelRect& r) { add(r); }

void Region::add(const PixelRect& r) {
    if (r.empty()) return;
    m_rects.push_back(r);
    // A region of too many pieces stands for its bounding box: coarser, never unbounded.
    if (m_rects.size() > kMaxClipRects) {
        const PixelRect b = bounds();
        m_rects.assign(1, b);
    }
}

PixelRect Region::bounds() const {
    if (m_rects.empty()) return {};
    PixelRect b = m_rects.front();
    for (const auto& r : m_rects) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

void Region::intersect(const Region& other) {
    Region out;
    for (const auto& a : m_rects)
        for (const auto& b : other.m_rects) out.add(intersection(a, b));
    *this = std::move(out);
}

void Region::subtract(const Region& other) {
    for (const auto& b : other.m_rects) {
        std::vector<PixelRect> pieces;
        for (const auto& a : m_rects) difference(a, b, pieces);
        Region next;
        for (const auto& p : pieces) next.add(p);
        *this = std::move(next);
    }
}

void Region::unite(const Region& other) {
    Region extra = other;
    extra.subtract(*this);
    for (const auto& r : extra.m_rects) add(r);
}

void Region::exclusiveOr(const Region& other) {
    Region onlyOther = other;
    onlyOther.subtract(*this);
    subtract(other);
    for (const auto& r : onlyOther.m_rects) add(r);
}

void Region::offset(int dx, int dy) {
    for (auto& r : m_rects) r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// --- Player ---

namespace {

int clampToInt(double v) {
    if (!(v > -1e9)) return -1000000000;  // also NaN
    if (v > 1e9) return 1000000000;
    return static_cast<int>(std::lround(v));
}

MetaBrush solidBrush(uint32_t color) {
    MetaBrush b;
    b.color = color;
    return b;
}

MetaPen solidPen(uint32_t color) {
    MetaPen p;
    p.color = color;
    return p;
}

}  // namespace

Player::Player(MetafileDevice& device, const Transform& referenceToOutput, const PixelRect& output,
               double pixelsPerMillimetre)
    : m_device(device),
      m_referenceToOutput(referenceToOutput),
      m_output(output),
      m_pixelsPerMillimetre(
          pixelsPerMillimetre > 0 && std::isfinite(pixelsPerMillimetre) ? pixelsPerMillimetre : 96 / 25.4) {
    m_dc.font.height = -11;
    m_dc.font.face = "MS Sans Serif";
}

Transform Player::transform() const {
    double sx = 1, sy = 1;
    switch (m_dc.mapMode) {
    case kMmLoMetric: sx = 0.1; break;
    case kMmHiMetric: sx = 0.01; break;
    case kMmLoEnglish: sx = 0.254; break;
    case kMmHiEnglish: sx = 0.0254; break;
    case kMmTwips: sx = 25.4 / 1440; break;
    case kMmIsotropic:
    case kMmAnisotropic:
        sx = m_dc.windowExt.x != 0 ? m_dc.viewportExt.x / m_dc.windowExt.x : 1;
        sy = m_dc.windowExt.y != 0 ? m_dc.viewportExt.y / m_dc.windowExt.y : 1;
        if (m_dc.mapMode == kMmIsotropic) {
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default: break;
    }
    if (m_dc.mapMode >= kMmLoMetric && m_dc.mapMode <= kMmTwips) {
        // Fixed modes: millimetres on the reference device, y growing upwards.
        sx *= m_pixelsPerMillimetre;
        sy = -sx;
    }
    Transform page;
    page.m11 = sx;
    page.m22 = sy;
    page.dx = m_dc.viewportOrg.x - m_dc.windowOrg.x * sx;
    page.dy = m_dc.viewportOrg.y - m_dc.windowOrg.y * sy;
    return m_dc.world.then(page).then(m_referenceToOutput);
}

uint32_t Player::color(uint32_t c) const {
    if ((c >> 24) == 1) {
        const size_t i = c & 0xFFFF;
        if (m_dc.palette && i < m_dc.palette->colors.size()) return m_dc.palette->colors[i];
        return 0;
    }
    return c & 0xFFFFFF;
}

DrawState Player::drawState() const {
    DrawState s;
    s.transform = transform();
    s.pen = m_dc.pen;
    s.pen.color = color(s.pen.color);
    s.brush = m_dc.brush;
    s.brush.color = color(s.brush.color);
    s.font = m_dc.font;
    s.textColor = color(m_dc.textColor);
    s.bkColor = color(m_dc.bkColor);
    s.opaqueBackground = m_dc.opaqueBackground;
    s.winding = m_dc.winding;
    s.rop2 = m_dc.rop2;
    s.textAlign = m_dc.textAlign;
    if (m_dc.clip) s.clip = &m_dc.clip->rects();
    return s;
}

void Player::setMapMode(int mode) {
    if (mode >= kMmText && mode <= kMmAnisotropic) m_dc.mapMode = mode;
}

void Player::setWindowExt(PointF p) {
    // Extents of 0 cannot map anything; the system refuses them.
    if (p.x != 0 && p.y != 0) m_dc.windowExt = p;
}

void Player::setViewportExt(PointF p) {
    if (p.x != 0 && p.y != 0) m_dc.viewportExt = p;
}

void Player::modifyWorld(const Transform& t, int mode) {
    switch (mode) {
    case 1: m_dc.world = Transform(); break;         // MWT_IDENTITY
    case 2: m_dc.world = t.then(m_dc.world); break;  // MWT_LEFTMULTIPLY
    case 3: m_dc.world = m_dc.world.then(t); break;  // MWT_RIGHTMULTIPLY
    case 4: m_dc.world = t; break;                   // MWT_SET
    default: break;
    }
}

void Player::createObject(uint32_t index, GdiObject object) { m_objects[index] = std::move(object); }

const GdiObject* Player::object(uint32_t index) const {
    auto it = m_objects.find(index);
    return it == m_objects.end() ? nullptr : &it->second;
}

void Player::selectObject(uint32_t index) {
    if (index & 0x80000000u) {
        selectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    const GdiObject* o = object(index);
    if (!o) return;
    if (auto* pen = std::get_if<MetaPen>(o)) m_dc.pen = *pen;
    if (auto* brush = std::get_if<MetaBrush>(o)) m_dc.brush = *brush;
    if (auto* font = std::get_if<MetaFont>(o)) m_dc.font = *font;
    if (auto* palette = std::get_if<Palette>(o)) m_dc.palette = std::make_shared<Palette>(*palette);
    if (auto* region = std::get_if<Region>(o)) {
        // A region object holds logical rectangles; selecting it makes them the clip.
        Region clip;
        for (const auto& r : region->rects())
            clip.unite(
                Region(outputRect({double(r.left), double(r.top), double(r.right), double(r.bottom)})));
        m_dc.clip = std::move(clip);
    }
}

void Player::selectStockObject(uint32_t stock) {
    static const uint32_t kGrays[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (stock <= 4) {
        m_dc.brush = solidBrush(kGrays[stock]);
    } else if (stock == 5) {
        m_dc.brush.style = MetaBrushStyle::Null;
    } else if (stock == 6 || stock == 7) {
        m_dc.pen = solidPen(stock == 6 ? 0xFFFFFF : 0);
    } else if (stock == 8) {
        m_dc.pen.style = MetaPenStyle::Null;
    } else if (stock == 15) {
        m_dc.palette.reset();
    } else if (stock >= 10 && stock <= 17) {
        m_dc.font = MetaFont();
        m_dc.font.height = -11;
        m_dc.font.face = (stock == 10 || stock == 11 || stock == 16) ? "Courier New" : "MS Sans Serif";
    } else if (stock == 18) {
        m_dc.brush = solidBrush(0xFFFFFF);
    } else if (stock == 19) {
        m_dc.pen = solidPen(0);
    }
}

void Player::deleteObject(uint32_t index) { m_objects.erase(index); }

void Player::save() {
    if (m_saved.size() < kMaxSavedStates) m_saved.push_back(m_dc);
}

void Player::restore(int which) {
    // Negative: that many states back; positive: the state of that number.
    const int64_t count = static_cast<int64_t>(m_saved.size());
    const int64_t index = which < 0 ? count + which : static_cast<int64_t>(which) - 1;
    if (index < 0 || index >= count) return;
    m_dc = m_saved[static_cast<size_t>(index)];
    m_saved.resize(static_cast<size_t>(index));
}

PixelRect Player::outputRect(const RectF& r) const {
    const Transform t = transform();
    const PointF corners[4] = {t.map({r.left, r.top}), t.map({r.right, r.top}), t.map({r.left, r.bottom}),
                               t.map({r.right, r.bottom})};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const auto& c : corners) {
        x0 = std::min(x0, c.x), x1 = std::max(x1, c.x);
        y0 = std::min(y0, c.y), y1 = std::max(y1, c.y);
    }
    return {clampToInt(x0), clampToInt(y0), clampToInt(x1), clampToInt(y1)};
}

Region Player::deviceRegion(const std::vector<PixelRect>& deviceRects) const {
    Region out;
    for (const auto& r : deviceRects) {
        const PointF a = m_referenceToOutput.map({double(r.left), double(r.top)});
        const PointF b = m_referenceToOutput.map({double(r.right), double(r.bottom)});
        out.unite(Region(PixelRect{clampToInt(std::min(a.x, b.x)), clampToInt(std::min(a.y, b.y)),
                                   clampToInt(std::max(a.x, b.x)), clampToInt(std::max(a.y, b.y))}));
    }
    return out;
}

void Player::intersectClip(const RectF& logical) {
    Region r(outputRect(logical));
    if (m_dc.clip) {
        m_dc.clip->intersect(r);
    } else {
        m_dc.clip = std::move(r);
    }
}

void Player::excludeClip(const RectF& logical) {
    if (!m_dc.clip) m_dc.clip = Region(m_output);
    m_dc.clip->subtract(Region(outputRect(logical)));
}

void Player::combineClip(const Region& region, int mode) {
    if (mode == kRgnCopy) {
        m_dc.clip = region;
        return;
    }
    Region base = m_dc.clip ? *m_dc.clip : Region(m_output);
    switch (mode) {
    case kRgnAnd: base.intersect(region); break;
    case kRgnOr: base.unite(region); break;
    case kRgnXor: base.exclusiveOr(region); break;
    case kRgnDiff: base.subtract(region); break;
    default: return;
    }
    m_dc.clip = std::move(base);
}

void Player::offsetClip(PointF logical) {
    if (!m_dc.clip) return;
    const Transform t = transform();
    m_dc.clip->offset(clampToInt(t.m11 * logical.x + t.m21 * logical.y),
                      clampToInt(t.m12 * logical.x + t.m22 * logical.y));
}

// --- drawing ---

void Player::addOp(const PathOp& op) {
    if (m_path.size() < kMaxPathOps) m_path.push_back(op);
}

bool Player::recordLine(const std::vector<PointF>& points, bool fromCurrent) {
    if (!m_recording) return false;
    if (points.empty()) return true;
    size_t first = 0;
    if (fromCurrent) {
        // A figure starts at the current position unless one is open.
        if (m_path.empty() || m_path.back().kind == PathOp::Close) addOp({PathOp::Move, {m_dc.position}});
    } else {
        addOp({PathOp::Move, {points[0]}});
        first = 1;
    }
    for (size_t i = first; i < points.size(); ++i) addOp({PathOp::Line, {points[i]}});
    return true;
}

void Player::moveTo(PointF p) {
    m_dc.position = p;
    if (m_recording) addOp({PathOp::Move, {p}});
}

void Player::lineTo(PointF p) {
    if (!recordLine({p}, true)) m_device.polyline(drawState(), {m_dc.position, p});
    m_dc.position = p;
}

void Player::polyline(const std::vector<PointF>& points) {
    if (points.size() < 2) return;
    if (!recordLine(points, false)) m_device.polyline(drawState(), points);
}

void Player::polylineTo(const std::vector<PointF>& points) {
    if (points.empty()) return;
    if (!recordLine(points, true)) {
        std::vector<PointF> all;
        all.reserve(points.size() + 1);
        all.push_back(m_dc.position);
        all.insert(all.end(), points.begin(), points.end());
        m_device.polyline(drawState(), all);
    }
    m_dc.position = points.back();
}

void Player::polyBezier(const std::vector<PointF>& points) {
    if (points.size() < 4) return;
    std::vector<PathOp> ops;
    ops.push_back({PathOp::Move, {points[0]}});
    for (size_t i = 1; i + 2 < points.size(); i += 3)
        ops.push_back({PathOp::Bezier, {points[i], points[i + 1], points[i + 2]}});
    if (m_recording) {
        for (const auto& op : ops) addOp(op);
    } else {
        m_device.path(drawState(), ops, false, true);
    }
}

void Player::polyBezierTo(const std::vector<PointF>& points) {
    if (points.size() < 3) return;
    std::vector<PathOp> ops;
    if (!m_recording || m_path.empty() || m_path.back().kind == PathOp::Close)
        ops.push_back({PathOp::Move, {m_dc.position}});
    for (size_t i = 0; i + 2 < points.size(); i += 3)
        ops.push_back({PathOp::Bezier, {points[i], points[i + 1], points[i + 2]}});
    if (m_recording) {
        for (const auto& op : ops) addOp(op);
    } else {
        m_device.path(drawState(), ops, false, true);
    }
    m_dc.position = points[(points.size() / 3) * 3 - 1];
}

void Player::polygons(const std::vector<std::vector<PointF>>& polys) {
    if (m_recording) {
        for (const auto& poly : polys) {
            if (poly.empty()) continue;
            recordLine(poly, false);
            addOp({PathOp::Close, {}});
        }
        return;
    }
    m_device.polygons(drawState(), polys);
}

void Player::rectangle(const RectF& r, double cornerWidth, double cornerHeight) {
    if (m_recording) {
        polygons({{{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}}});
        return;
    }
    m_device.rectangle(drawState(), r, cornerWidth, cornerHeight);
}

void Player::ellipse(const RectF& r) {
    if (m_recording) {
        // Four quarter curves; the control points sit at 0.5523 of the radius.
        const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        const double rx = (r.right - r.left) / 2, ry = (r.bottom - r.top) / 2, k = 0.5522847498;
        addOp({PathOp::Move, {{cx + rx, cy}}});
        addOp({PathOp::Bezier, {{cx + rx, cy + k * ry}, {cx + k * rx, cy + ry}, {cx, cy + ry}}});
        addOp({PathOp::Bezier, {{cx - k * rx, cy + ry}, {cx - rx, cy + k * ry}, {cx - rx, cy}}});
        addOp({PathOp::Bezier, {{cx - rx, cy - k * ry}, {cx - k * rx, cy - ry}, {cx, cy - ry}}});
        addOp({PathOp::Bezier, {{cx + k * rx, cy - ry}, {cx + rx, cy - k * ry}, {cx + rx, cy}}});
        addOp({PathOp::Close, {}});
        return;
    }
    m_device.ellipse(drawState(), r);
}

namespace {

// The point where the ray from the ellipse's centre towards `toward` meets it.
PointF onEllipse(const RectF& box, PointF toward) {
    const double cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    const double rx = std::fabs(box.right - box.left) / 2, ry = std::fabs(box.bottom - box.top) / 2;
    const double dx = toward.x - cx, dy = toward.y - cy;
    if (rx == 0 || ry == 0 || (dx == 0 && dy == 0)) return {cx + rx, cy};
    const double t = 1 / std::sqrt((dx * dx) / (rx * rx) + (dy * dy) / (ry * ry));
    return {cx + dx * t, cy + dy * t};
}

}  // namespace

void Player::arc(const RectF& box, PointF start, PointF end, ArcKind kind) {
    if (m_recording) {
        // Paths take the arc's chord; curves of arcs inside paths are rare in clip art.
        recordLine({onEllipse(box, start), onEllipse(box, end)}, false);
        if (kind != ArcKind::Arc) addOp({PathOp::Close, {}});
        return;
    }
    m_device.arc(drawState(), box, start, end, kind, m_dc.clockwise);
}

void Player::arcTo(const RectF& box, PointF start, PointF end) {
    const PointF from = onEllipse(box, start);
    lineTo(from);
    arc(box, start, end, ArcKind::Arc);
    m_dc.position = onEllipse(box, end);
}

void Player::text(PointF reference, std::u16string_view text, const std::vector<double>& advances,
                  const RectF* opaque, const RectF* clipRect) {
    const bool updateCp = (m_dc.textAlign & kTaUpdateCp) != 0;
    if (updateCp) reference = m_dc.position;
    const double advance = m_device.text(drawState(), reference, text, advances, opaque, clipRect);
    if (!updateCp || !std::isfinite(advance)) return;
    // Left-aligned text leaves the position at its end, right-aligned at its start.
    const int horizontal = m_dc.textAlign & kTaCenter;
    if (horizontal == 0) m_dc.position.x += advance;
    if (horizontal == kTaRight) m_dc.position.x -= advance;
}

void Player::image(const RectF& dest, const Image& img, const PixelRect& source, uint32_t rop) {
    if (img.empty()) return;
    m_device.image(drawState(), dest, img, source, rop);
}

void Player::pattern(const RectF& dest, uint32_t rop) { m_device.pattern(drawState(), dest, rop); }

void Player::pixel(PointF p, uint32_t colorRef) { m_device.pixel(drawState(), p, color(colorRef)); }

void Player::fillRegion(const Region& region, const MetaBrush& brush) {
    DrawState s = drawState();
    s.transform = Transform();  // the region is in output pixels
    s.pen.style = MetaPenStyle::Null;
    s.brush = brush;
    s.brush.color = color(brush.color);
    std::vector<std::vector<PointF>> polys;
    for (const auto& r : region.rects()) {
        polys.push_back({{double(r.left), double(r.top)},
                         {double(r.right), double(r.top)},
                         {double(r.right), double(r.bottom)},
                         {double(r.left), double(r.bottom)}});
    }
    if (!polys.empty()) m_device.polygons(s, polys);
}

void Player::beginPath() {
    m_path.clear();
    m_recording = true;
}

void Player::abortPath() {
    m_path.clear();
    m_recording = false;
}

void Player::closeFigure() {
    if (m_recording && !m_path.empty() && m_path.back().kind != PathOp::Close) addOp({PathOp::Close, {}});
}

void Player::drawPath(bool fill, bool stroke) {
    m_recording = false;
    if (!m_path.empty()) m_device.path(drawState(), m_path, fill, stroke);
    m_path.clear();
}

void Player::clipToPath(int mode) {
    m_recording = false;
    if (m_path.empty()) return;
    // FIXME: the clip takes the path's bounding box, not its outline.
    double x0 = m_path.front().p[0].x, x1 = x0, y0 = m_path.front().p[0].y, y1 = y0;
    for (const auto& op : m_path) {
        const int n = op.kind == PathOp::Bezier ? 3 : op.kind == PathOp::Close ? 0 : 1;
        for (int i = 0; i < n; ++i) {
            x0 = std::min(x0, op.p[i].x), x1 = std::max(x1, op.p[i].x);
            y0 = std::min(y0, op.p[i].y), y1 = std::max(y1, op.p[i].y);
        }
    }
    combineClip(Region(outputRect({x0, y0, x1, y1})), mode);
    m_path.clear();
}

// --- bitmaps and text ---

std::shared_ptr<const Image> decodeDib(std::string_view info, std::string_view bits, int64_t& budget,
                                       bool* bottomUp) {
    base::ByteReader r(info);
    if (!r.has(12)) return nullptr;
    const uint32_t headerSize = r.le32();
    int64_t width = 0, height = 0;
    if (headerSize == 12) {
        width = r.le16();
        height = r.le16();
    } else if (headerSize >= 40 && r.has(8)) {
        width = r.s32();
        height = r.s32();
    } else {
        return nullptr;
    }
    if (width <= 0 || height == 0 || height == INT32_MIN) return nullptr;
    const int64_t pixels = width * std::llabs(height);
    if (pixels > kMaxEmbeddedPixels || pixels > budget) return nullptr;
    budget -= pixels;
    if (bottomUp) *bottomUp = height > 0;
    std::string bmp = "BM";
    base::appendLE32(bmp, static_cast<uint32_t>(14 + info.size() + bits.size()));
    base::appendLE32(bmp, 0);
    base::appendLE32(bmp, static_cast<uint32_t>(14 + info.size()));
    bmp.append(info).append(bits);
    try {
        Decoded d = decode(bmp, Format::Bitmap);
        if (d.empty()) return nullptr;
        return std::make_shared<const Image>(std::move(d.frames.front().image));
    } catch (const base::Error&) {
        return nullptr;
    }
}

std::shared_ptr<const Image> decodePackedDib(std::string_view packed, int64_t& budget, bool* bottomUp) {
    base::ByteReader r(packed);
    if (!r.has(16)) return nullptr;
    const uint32_t headerSize = r.le32();
    uint64_t table = 0;
    if (headerSize == 12) {
        r.skip(6);
        const uint16_t bpp = r.le16();
        if (bpp <= 8) table = (uint64_t{1} << bpp) * 3;
    } else if (headerSize >= 40 && r.has(36)) {
        r.skip(10);
        const uint16_t bpp = r.le16();
        const uint32_t compression = r.le32();
        r.skip(12);
        const uint32_t used = r.le32();
        table = uint64_t{used ? used : (bpp <= 8 ? 1u << bpp : 0u)} * 4;
        if (headerSize == 40 && compression == 3) table += 12;  // BI_BITFIELDS masks
        if (headerSize == 40 && compression == 6) table += 16;  // BI_ALPHABITFIELDS
    } else {
        return nullptr;
    }
    const uint64_t offset = headerSize + table;
    if (offset > packed.size()) return nullptr;
    return decodeDib(packed.substr(0, offset), packed.substr(offset), budget, bottomUp);
}

PixelRect sourceRect(const Image& image, int x, int y, int width, int height, bool fromBottom) {
    const int64_t top = fromBottom ? int64_t{image.height} - y - height : y;
    const int64_t left = std::clamp<int64_t>(x, 0, image.width),
                  right = std::clamp<int64_t>(int64_t{x} + width, 0, image.width);
    const int64_t t = std::clamp<int64_t>(top, 0, image.height),
                  b = std::clamp<int64_t>(top + height, 0, image.height);
    return {int(left), int(t), int(right), int(b)};
}

std::u16string textFromCharset(std::string_view bytes, int charset) {
    int number = 1252;
    switch (charset) {
    case 1: number = base::CodePage::active().number(); break;
    case 161: number = 1253; break;
    case 162: number = 1254; break;
    case 163: number = 1258; break;
    case 177: number = 1255; break;
    case 178: number = 1256; break;
    case 186: number = 1257; break;
    case 204: number = 1251; break;
    case 222: number = 874; break;
    case 238: number = 1250; break;
    default: break;
    }
    // Code pages are built once each; playback may run on any thread.
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<base::CodePage>> pages;
    std::lock_guard lock(mutex);
    auto& page = pages[number];
    if (!page) page = std::make_unique<base::CodePage>(number);
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const char32_t cp = page->toUnicode(static_cast<unsigned char>(c));
        out.push_back(cp < 0x10000 ? static_cast<char16_t>(cp) : u'\uFFFD');
    }
    return out;
}

}  // namespace metafile
}  // namespace pictures
