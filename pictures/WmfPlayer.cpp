// Windows metafiles: an optional 22-byte placeable header (bounding box in logical units
// and units per inch), the 18-byte metafile header, then records of a 32-bit size in
// 16-bit words, a 16-bit function and parameters stored last argument first.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <set>

#include "base/CodePage.h"
#include "pictures/MetafilePlayer.h"

namespace pictures::metafile {
namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;

struct Header {
    bool placeable = false;
    RectF bounds;     // placeable only
    double inch = 0;  // logical units per inch, placeable only
    size_t records = 0;
};

Header readHeader(std::string_view data) {
    base::ByteReader r(data, 0, badHeader);
    Header h;
    if (r.le32() == kPlaceableKey) {
        h.placeable = true;
        r.skip(2);  // handle
        const double left = r.s16(), top = r.s16(), right = r.s16(), bottom = r.s16();
        h.bounds = {std::min(left, right), std::min(top, bottom), std::max(left, right),
                    std::max(top, bottom)};
        h.inch = r.le16();
        r.skip(6);  // reserved, checksum
    } else {
        r.seek(0);
    }
    const size_t start = r.position();
    const uint16_t type = r.le16(), words = r.le16(), version = r.le16();
    if ((type != 1 && type != 2) || words < 9 || (version != 0x0100 && version != 0x0300)) badHeader(r, 0);
    r.seek(start + size_t{words} * 2);
    h.records = r.position();
    return h;
}

// The parameters of one record, read in storage order.
class Params {
public:
    explicit Params(std::string_view bytes) : m_r(bytes, 0, badRecord) {}
    int16_t i16() { return m_r.s16(); }
    uint16_t u16() { return m_r.le16(); }
    uint32_t u32() { return m_r.le32(); }
    // Points and sizes are stored y first.
    PointF yx() {
        const double y = i16();
        return {double(i16()), y};
    }
    PointF xy() {
        const double x = i16();
        return {x, double(i16())};
    }
    // Rectangles are stored bottom, right, top, left.
    RectF rect() {
        const double bottom = i16(), right = i16(), top = i16(), left = i16();
        return {left, top, right, bottom};
    }
    std::string_view bytes(size_t n) { return m_r.take(n); }
    std::string_view rest() { return m_r.rest(); }
    size_t remaining() const { return m_r.remaining(); }
    void skip(size_t n) { m_r.skip(n); }

private:
    base::ByteReader m_r;
};

// Objects take the lowest free slot of the object table.
class Slots {
public:
    uint32_t take() {
        if (!m_freed.empty()) {
            const uint32_t i = *m_freed.begin();
            m_freed.erase(m_freed.begin());
            return i;
        }
        return m_next++;
    }
    void release(uint32_t i) {
        if (i < m_next) m_freed.insert(i);
    }

private:
    std::set<uint32_t> m_freed;
    uint32_t m_next = 0;
};

MetaPen penFrom(Params& p) {
    MetaPen pen;
    const uint16_t style = p.u16();
    pen.width = p.i16();
    p.i16();  // the width's unused y
    pen.color = p.u32();
    pen.style = static_cast<MetaPenStyle>(std::min<int>(style & 0x0F, int(MetaPenStyle::InsideFrame)));
    if (pen.width < 0) pen.width = -pen.width;
    return pen;
}

MetaBrush brushFrom(uint32_t style, uint32_t color, uint32_t hatch) {
    MetaBrush b;
    b.color = color;
    b.hatch = static_cast<int>(std::min<uint32_t>(hatch, 5));
    b.style = style == 1   ? MetaBrushStyle::Null
              : style == 2 ? MetaBrushStyle::Hatched
                           : MetaBrushStyle::Solid;
    return b;
}

MetaFont fontFrom(Params& p) {
    MetaFont f;
    f.height = p.i16();
    p.i16();  // width
    f.escapement = p.i16();
    p.i16();  // orientation
    f.weight = p.i16();
    const std::string_view flags = p.bytes(8);
    f.italic = flags[0] != 0;
    f.underline = flags[1] != 0;
    f.strikeOut = flags[2] != 0;
    f.charset = static_cast<unsigned char>(flags[3]);
    std::string_view face = p.rest().substr(0, 32);
    face = face.substr(0, face.find('\0'));
    for (char16_t c : textFromCharset(face, f.charset)) base::appendUtf8(f.face, c);
    return f;
}

Palette paletteFrom(Params& p) {
    p.u16();  // start (0x0300)
    const uint16_t n = p.u16();
    Palette pal;
    for (uint16_t i = 0; i < n; ++i) {
        const std::string_view e = p.bytes(4);
        pal.colors.push_back(uint32_t(static_cast<unsigned char>(e[0])) |
                             uint32_t(static_cast<unsigned char>(e[1])) << 8 |
                             uint32_t(static_cast<unsigned char>(e[2])) << 16);
    }
    return pal;
}

// A region object: scans of horizontal bands, each with pairs of left and right edges.
Region regionFrom(Params& p) {
    p.skip(2 + 2 + 4);  // next in chain, object type, object count
    p.skip(2);          // region size
    const uint16_t scans = p.u16();
    p.skip(2 + 8);  // largest scan, bounding box
    Region region;
    for (uint16_t s = 0; s < scans; ++s) {
        const uint16_t count = p.u16();
        const int16_t top = p.i16(), bottom = p.i16();
        for (uint16_t i = 0; i + 1 < count; i += 2) {
            const int16_t left = p.i16(), right = p.i16();
            region.unite(Region(PixelRect{left, top, right, bottom}));
        }
        if (count % 2) p.skip(2);
        p.skip(2);  // the count again
    }
    return region;
}

std::vector<PointF> points(Params& p, int n) {
    std::vector<PointF> out;
    if (n <= 0) return out;
    if (p.remaining() < size_t(n) * 4) throw BadRecord{};
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out.push_back(p.xy());
    return out;
}

class Interpreter {
public:
    Interpreter(Player& player) : m_player(player) {}

    // Plays records from `start`; an end-of-file record or the end of the data stops.
    void run(std::string_view data, size_t start) {
        base::ByteReader r(data, start);
        while (r.has(6)) {
            const uint32_t words = r.le32();
            const uint16_t function = r.le16();
            if (words < 3 || (uint64_t{words} * 2 - 6) > r.remaining()) return;
            const std::string_view params = r.take(size_t{words} * 2 - 6);
            if (function == 0) return;
            try {
                Params p(params);
                record(function, p, words);
            } catch (const BadRecord&) {
                // A record too short for its own contents is passed over.
            }
        }
    }

    // The window set by the first SETWINDOWORG and SETWINDOWEXT records, if any.
    static std::optional<RectF> windowOf(std::string_view data, size_t start) {
        base::ByteReader r(data, start);
        std::optional<PointF> org, ext;
        while (r.has(6) && !ext) {
            const uint32_t words = r.le32();
            const uint16_t function = r.le16();
            if (words < 3 || (uint64_t{words} * 2 - 6) > r.remaining() || function == 0) break;
            Params p(r.take(size_t{words} * 2 - 6));
            try {
                if (function == 0x020B && !org) org = p.yx();
                if (function == 0x020C) ext = p.yx();
            } catch (const BadRecord&) {
            }
        }
        if (!ext || ext->x == 0 || ext->y == 0) return std::nullopt;
        const PointF o = org.value_or(PointF{0, 0});
        return RectF{std::min(o.x, o.x + ext->x), std::min(o.y, o.y + ext->y), std::max(o.x, o.x + ext->x),
                     std::max(o.y, o.y + ext->y)};
    }

private:
    void create(GdiObject object) { m_player.createObject(m_slots.take(), std::move(object)); }
    // Every creation takes its slot, even one that cannot be read: later records count
    // on the slots that follow.
    template <typename Make>
    void createOr(Make make, GdiObject fallback) {
        try {
            create(make());
        } catch (const BadRecord&) {
            create(std::move(fallback));
        }
    }

    void dibBlt(Params& p, uint16_t function, uint32_t words) {
        // Without a bitmap these records paint by their raster operation alone.
        const bool noBitmap = words == uint32_t(function >> 8) + 3;
        const uint32_t rop = p.u32();
        if (function == 0x0940) {  // DIBBITBLT
            const int ySrc = p.i16(), xSrc = p.i16();
            if (noBitmap) p.skip(2);
            const double h = p.i16(), w = p.i16();
            const PointF dst = p.yx();
            blt(p, noBitmap, rop, {dst.x, dst.y, dst.x + w, dst.y + h}, xSrc, ySrc, int(w), int(h), false);
            return;
        }
        if (function == 0x0B41) {  // DIBSTRETCHBLT
            const int srcH = p.i16(), srcW = p.i16(), ySrc = p.i16(), xSrc = p.i16();
            if (noBitmap) p.skip(2);
            const double h = p.i16(), w = p.i16();
            const PointF dst = p.yx();
            blt(p, noBitmap, rop, {dst.x, dst.y, dst.x + w, dst.y + h}, xSrc, ySrc, srcW, srcH, false);
            return;
        }
        // STRETCHDIB: the source's y counts from the bitmap's bottom row.
        p.u16();  // colour usage
        const int srcH = p.i16(), srcW = p.i16(), ySrc = p.i16(), xSrc = p.i16();
        const double h = p.i16(), w = p.i16();
        const PointF dst = p.yx();
        blt(p, false, rop, {dst.x, dst.y, dst.x + w, dst.y + h}, xSrc, ySrc, srcW, srcH, true);
    }

    void blt(Params& p, bool noBitmap, uint32_t rop, const RectF& dest, int xSrc, int ySrc, int srcW,
             int srcH, bool fromBottom) {
        if (noBitmap) {
            m_player.pattern(dest, rop);
            return;
        }
        bool bottomUp = true;
        const auto image = decodePackedDib(p.rest(), m_pixelBudget, &bottomUp);
        if (!image) return;
        m_player.image(dest, *image, sourceRect(*image, xSrc, ySrc, srcW, srcH, fromBottom && bottomUp), rop);
    }

    void textOut(Params& p) {
        const uint16_t n = p.u16();
        const std::string_view s = p.bytes(n);
        if (n % 2) p.skip(1);
        const PointF at = p.yx();
        m_player.text(at, textFromCharset(s, m_player.dc().font.charset), {}, nullptr, nullptr);
    }

    void extTextOut(Params& p) {
        const PointF at = p.yx();
        const int16_t n = p.i16();
        const uint16_t options = p.u16();
        std::optional<RectF> box;
        if (options & 0x0006) {  // ETO_OPAQUE, ETO_CLIPPED
            const double left = p.i16(), top = p.i16(), right = p.i16(), bottom = p.i16();
            box = RectF{left, top, right, bottom};
        }
        const size_t count = n > 0 ? size_t(n) : 0;
        const std::string_view s = p.bytes(count);
        if (count % 2) p.skip(1);
        std::vector<double> advances;
        if (p.remaining() >= count * 2) {
            for (size_t i = 0; i < count; ++i) advances.push_back(p.i16());
        }
        const RectF* opaque = box && (options & 0x0002) ? &*box : nullptr;
        const RectF* clip = box && (options & 0x0004) ? &*box : nullptr;
        m_player.text(at, textFromCharset(s, m_player.dc().font.charset), advances, opaque, clip);
    }

    void record(uint16_t function, Params& p, uint32_t words) {
        Player& pl = m_player;
        DcState& dc = pl.dc();
        switch (function) {
        case 0x0201: dc.bkColor = p.u32(); break;
        case 0x0102: dc.opaqueBackground = p.u16() == 2; break;
        case 0x0103: pl.setMapMode(p.u16()); break;
        case 0x0104: dc.rop2 = p.u16(); break;
        case 0x0106: dc.winding = p.u16() == 2; break;
        case 0x0209: dc.textColor = p.u32(); break;
        case 0x012E: dc.textAlign = p.u16(); break;
        case 0x020B: pl.setWindowOrg(p.yx()); break;
        case 0x020C: pl.setWindowExt(p.yx()); break;
        case 0x020D: pl.setViewportOrg(p.yx()); break;
        case 0x020E: pl.setViewportExt(p.yx()); break;
        case 0x020F: {
            const PointF d = p.yx();
            pl.setWindowOrg({dc.windowOrg.x + d.x, dc.windowOrg.y + d.y});
            break;
        }
        case 0x0211: {
            const PointF d = p.yx();
            pl.setViewportOrg({dc.viewportOrg.x + d.x, dc.viewportOrg.y + d.y});
            break;
        }
        case 0x0410:  // SCALEWINDOWEXT
        case 0x0412: {
            const double yDenom = p.i16(), yNum = p.i16(), xDenom = p.i16(), xNum = p.i16();
            if (xDenom == 0 || yDenom == 0) break;
            PointF& ext = function == 0x0410 ? dc.windowExt : dc.viewportExt;
            const PointF scaled{ext.x * xNum / xDenom, ext.y * yNum / yDenom};
            if (function == 0x0410) {
                pl.setWindowExt(scaled);
            } else {
                pl.setViewportExt(scaled);
            }
            break;
        }
        case 0x0213: pl.lineTo(p.yx()); break;
        case 0x0214: pl.moveTo(p.yx()); break;
        case 0x0415: pl.excludeClip(p.rect()); break;
        case 0x0416: pl.intersectClip(p.rect()); break;
        case 0x0220: pl.offsetClip(p.yx()); break;
        case 0x0817:  // ARC, PIE, CHORD
        case 0x081A:
        case 0x0830: {
            const PointF end = p.yx(), start = p.yx();
            const RectF box = p.rect();
            pl.arc(box, start, end,
                   function == 0x0817   ? ArcKind::Arc
                   : function == 0x081A ? ArcKind::Pie
                                        : ArcKind::Chord);
            break;
        }
        case 0x0418: pl.ellipse(p.rect()); break;
        case 0x041B: pl.rectangle(p.rect()); break;
        case 0x061C: {
            const double h = p.i16(), w = p.i16();
            pl.rectangle(p.rect(), w, h);
            break;
        }
        case 0x061D: {
            const uint32_t rop = p.u32();
            const double h = p.i16(), w = p.i16();
            const PointF at = p.yx();
            pl.pattern({at.x, at.y, at.x + w, at.y + h}, rop);
            break;
        }
        case 0x001E: pl.save(); break;
        case 0x0127: pl.restore(p.i16()); break;
        case 0x041F: {
            const uint32_t color = p.u32();
            pl.pixel(p.yx(), color);
            break;
        }
        case 0x0521: textOut(p); break;
        case 0x0A32: extTextOut(p); break;
        case 0x0324: pl.polygons({points(p, p.i16())}); break;
        case 0x0325: pl.polyline(points(p, p.i16())); break;
        case 0x0538: {
            const uint16_t n = p.u16();
            if (p.remaining() < size_t{n} * 2) throw BadRecord{};
            std::vector<int> counts;
            for (uint16_t i = 0; i < n; ++i) counts.push_back(p.u16());
            std::vector<std::vector<PointF>> polys;
            for (int c : counts) polys.push_back(points(p, c));
            pl.polygons(polys);
            break;
        }
        case 0x012C: {  // SELECTCLIPREGION
            const uint16_t index = p.u16();
            if (pl.object(index) && std::holds_alternative<Region>(*pl.object(index))) {
                pl.selectObject(index);
            } else {
                pl.resetClip();
            }
            break;
        }
        case 0x012D:  // SELECTOBJECT, SELECTPALETTE
        case 0x0234: pl.selectObject(p.u16()); break;
        case 0x01F0: {
            const uint16_t index = p.u16();
            if (pl.object(index)) {
                pl.deleteObject(index);
                m_slots.release(index);
            }
            break;
        }
        case 0x0037: {  // SETPALENTRIES: changes the selected palette
            const uint16_t start = p.u16(), n = p.u16();
            auto pal = std::make_shared<Palette>(dc.palette ? *dc.palette : Palette());
            for (uint32_t i = 0; i < n; ++i) {
                const std::string_view e = p.bytes(4);
                const uint32_t c = uint32_t(static_cast<unsigned char>(e[0])) |
                                   uint32_t(static_cast<unsigned char>(e[1])) << 8 |
                                   uint32_t(static_cast<unsigned char>(e[2])) << 16;
                if (start + i < 4096) {
                    if (pal->colors.size() <= start + i) pal->colors.resize(start + i + 1);
                    pal->colors[start + i] = c;
                }
            }
            dc.palette = std::move(pal);
            break;
        }
        case 0x02FA: createOr([&] { return GdiObject(penFrom(p)); }, MetaPen()); break;
        case 0x02FB: createOr([&] { return GdiObject(fontFrom(p)); }, MetaFont()); break;
        case 0x02FC:
            createOr(
                [&] {
                    const uint16_t style = p.u16();
                    const uint32_t color = p.u32();
                    return GdiObject(brushFrom(style, color, p.u16()));
                },
                MetaBrush());
            break;
        case 0x0142:  // DIBCREATEPATTERNBRUSH: style, colour usage, DIB
            createOr(
                [&] {
                    p.skip(4);
                    MetaBrush brush;
                    brush.style = MetaBrushStyle::Pattern;
                    brush.pattern = decodePackedDib(p.rest(), m_pixelBudget);
                    return GdiObject(brush.pattern ? brush : brushFrom(0, 0x808080, 0));
                },
                brushFrom(0, 0x808080, 0));
            break;
        case 0x01F9: create(brushFrom(0, 0x808080, 0)); break;  // old-style pattern: grey
        case 0x00F7: createOr([&] { return GdiObject(paletteFrom(p)); }, Palette()); break;
        case 0x06FF: createOr([&] { return GdiObject(regionFrom(p)); }, Region()); break;
        case 0x0228:    // FILLREGION: region, brush
        case 0x012B: {  // PAINTREGION: region with the selected brush
            const GdiObject* region = pl.object(p.u16());
            const GdiObject* brush = function == 0x0228 ? pl.object(p.u16()) : nullptr;
            if (!region || !std::holds_alternative<Region>(*region)) break;
            const MetaBrush* b = brush ? std::get_if<MetaBrush>(brush) : &dc.brush;
            if (!b) break;
            Region out;
            for (const auto& r : std::get<Region>(*region).rects())
                out.unite(Region(
                    pl.outputRect({double(r.left), double(r.top), double(r.right), double(r.bottom)})));
            pl.fillRegion(out, *b);
            break;
        }
        case 0x0940:
        case 0x0B41:
        case 0x0F43: dibBlt(p, function, words); break;
        case 0x0D33: {  // SETDIBTODEV
            p.u16();    // colour usage
            p.u16();    // scan count
            p.u16();    // start scan
            const int yDib = p.i16(), xDib = p.i16();
            const double h = p.i16(), w = p.i16();
            const PointF dst = p.yx();
            blt(p, false, 0x00CC0020, {dst.x, dst.y, dst.x + w, dst.y + h}, xDib, yDib, int(w), int(h), true);
            break;
        }
        case 0x0922:  // BITBLT, STRETCHBLT of an old device bitmap: only the no-bitmap form
        case 0x0B23:
            if (words == uint32_t(function >> 8) + 3) {
                const uint32_t rop = p.u32();
                if (function == 0x0B23) p.skip(4);
                p.skip(4 + 2);
                const double h = p.i16(), w = p.i16();
                const PointF at = p.yx();
                pl.pattern({at.x, at.y, at.x + w, at.y + h}, rop);
            }
            break;
        default: break;  // unknown or without effect here: skipped by its size
        }
    }

    Player& m_player;
    int64_t m_pixelBudget = kMaxPlaybackPixels;
    Slots m_slots;
};

// A device that only measures where things are drawn, for metafiles without a frame.
class BoundsDevice final : public MetafileDevice {
public:
    void polyline(const DrawState& s, const std::vector<PointF>& pts) override { addAll(s, pts); }
    void polygons(const DrawState& s, const std::vector<std::vector<PointF>>& polys) override {
        for (const auto& poly : polys) addAll(s, poly);
    }
    void rectangle(const DrawState& s, const RectF& r, double, double) override { addRect(s, r); }
    void ellipse(const DrawState& s, const RectF& r) override { addRect(s, r); }
    void arc(const DrawState& s, const RectF& box, PointF, PointF, ArcKind, bool) override {
        addRect(s, box);
    }
    void path(const DrawState& s, const std::vector<PathOp>& ops, bool, bool) override {
        for (const auto& op : ops)
            for (int i = 0; i < (op.kind == PathOp::Bezier ? 3 : op.kind == PathOp::Close ? 0 : 1); ++i)
                add(s.transform.map(op.p[i]));
    }
    double text(const DrawState& s, PointF at, std::u16string_view, const std::vector<double>&, const RectF*,
                const RectF*) override {
        add(s.transform.map(at));
        return 0;
    }
    void image(const DrawState& s, const RectF& dest, const Image&, const PixelRect&, uint32_t) override {
        addRect(s, dest);
    }
    void pattern(const DrawState& s, const RectF& dest, uint32_t) override { addRect(s, dest); }
    void pixel(const DrawState& s, PointF p, uint32_t) override { add(s.transform.map(p)); }

    std::optional<RectF> bounds() const { return m_any ? std::optional<RectF>(m_box) : std::nullopt; }

private:
    void add(PointF p) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
        if (!m_any) {
            m_box = {p.x, p.y, p.x, p.y};
            m_any = true;
            return;
        }
        m_box.left = std::min(m_box.left, p.x), m_box.right = std::max(m_box.right, p.x);
        m_box.top = std::min(m_box.top, p.y), m_box.bottom = std::max(m_box.bottom, p.y);
    }
    void addAll(const DrawState& s, const std::vector<PointF>& pts) {
        for (const auto& p : pts) add(s.transform.map(p));
    }
    void addRect(const DrawState& s, const RectF& r) {
        add(s.transform.map({r.left, r.top}));
        add(s.transform.map({r.right, r.bottom}));
    }

    RectF m_box;
    bool m_any = false;
};

// The picture's frame in logical units: the placeable box, the window the records set,
// or else everything they draw.
std::optional<RectF> frameOf(std::string_view data, const Header& h) {
    if (h.placeable) return h.bounds;
    if (auto window = Interpreter::windowOf(data, h.records)) return window;
    BoundsDevice measure;
    Player player(measure, Transform(), {0, 0, 1, 1}, 96 / 25.4);
    Interpreter(player).run(data, h.records);
    return measure.bounds();
}

int pixels(double v) {
    if (!(v > 0)) return 0;
    return static_cast<int>(std::min(std::lround(v), long{std::numeric_limits<int>::max()}));
}

}  // namespace

MetafileInfo wmfInfo(std::string_view data) {
    const Header h = readHeader(data);
    MetafileInfo info;
    info.placeable = h.placeable;
    const auto frame = frameOf(data, h);
    if (!frame) return info;
    // Placeable files say how many units make an inch; plain ones are taken as pixels.
    const double scale = h.placeable ? (h.inch > 0 ? 96.0 / h.inch : 96.0 / 1440) : 1.0;
    info.width = pixels((frame->right - frame->left) * scale);
    info.height = pixels((frame->bottom - frame->top) * scale);
    return info;
}

void playWmf(std::string_view data, const MetafileInfo&, MetafileDevice& device, const PixelRect& output) {
    const Header h = readHeader(data);
    const auto frame = frameOf(data, h);
    if (!frame) return;
    const double w = frame->right - frame->left, hgt = frame->bottom - frame->top;
    if (!(w > 0) || !(hgt > 0)) return;
    // The frame maps onto the output; the records' own window, viewport and mapping
    // mode act inside it, as when the system plays a metafile picture into a rectangle.
    Transform toOutput;
    toOutput.m11 = output.width() / w;
    toOutput.m22 = output.height() / hgt;
    toOutput.dx = output.left;
    toOutput.dy = output.top;
    const double unitsPerMillimetre = h.placeable && h.inch > 0 ? h.inch / 25.4 : 96 / 25.4;
    Player player(device, toOutput, output, unitsPerMillimetre);
    player.setMapMode(kMmAnisotropic);
    player.setWindowOrg({frame->left, frame->top});
    player.setWindowExt({w, hgt});
    player.setViewportOrg({0, 0});
    player.setViewportExt({w, hgt});
    Interpreter(player).run(data, h.records);
}

}  // namespace pictures::metafile
