// Enhanced metafiles: records of a 32-bit type and a 32-bit size in bytes, the first a
// header giving the bounds in device units, the picture frame in hundredths of a
// millimetre and the reference device's size in pixels and millimetres. Offsets inside a
// record count from the record's start.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "base/CodePage.h"
#include "pictures/MetafilePlayer.h"

namespace pictures::metafile {
namespace {

struct Geometry {
    RectF bounds;  // device units, inclusive
    RectF frame;   // hundredths of a millimetre, inclusive
    double pixelsPerMmX = 96 / 25.4;
    double pixelsPerMmY = 96 / 25.4;
    size_t headerSize = 0;
};

RectF rectL(base::ByteReader& r) {
    const double left = r.s32(), top = r.s32(), right = r.s32(), bottom = r.s32();
    return {left, top, right, bottom};
}

PointF pointL(base::ByteReader& r) {
    const double x = r.s32();
    return {x, double(r.s32())};
}

PointF pointS(base::ByteReader& r) {
    const double x = r.s16();
    return {x, double(r.s16())};
}

Geometry readGeometry(std::string_view data) {
    base::ByteReader r(data, 0, badHeader);
    Geometry g;
    if (r.le32() != 1) badHeader(r, 0);
    g.headerSize = r.le32();
    if (g.headerSize < 88 || g.headerSize > data.size() || g.headerSize % 4 != 0) badHeader(r, 0);
    g.bounds = rectL(r);
    g.frame = rectL(r);
    if (r.take(4) != " EMF") badHeader(r, 0);
    r.seek(72);
    const double devX = r.s32(), devY = r.s32(), mmX = r.s32(), mmY = r.s32();
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
        g.pixelsPerMmX = devX / mmX;
        g.pixelsPerMmY = devY / mmY;
    }
    return g;
}

// The frame in reference-device pixels (left, top, right, bottom); the bounds when the
// frame is empty.
RectF frameInPixels(const Geometry& g) {
    RectF f{g.frame.left * g.pixelsPerMmX / 100, g.frame.top * g.pixelsPerMmY / 100,
            g.frame.right * g.pixelsPerMmX / 100, g.frame.bottom * g.pixelsPerMmY / 100};
    if (f.right > f.left && f.bottom > f.top) return f;
    return {g.bounds.left, g.bounds.top, g.bounds.right + 1, g.bounds.bottom + 1};
}

// XFORM: six 32-bit floats.
Transform xform(base::ByteReader& r) {
    auto f = [&r] {
        const uint32_t bits = r.le32();
        float v;
        std::memcpy(&v, &bits, 4);
        return std::isfinite(v) ? double(v) : 0.0;
    };
    Transform t;
    t.m11 = f(), t.m12 = f(), t.m21 = f(), t.m22 = f(), t.dx = f(), t.dy = f();
    return t;
}

float readFloat(base::ByteReader& r) {
    const uint32_t bits = r.le32();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

// Checked part of a record: offset and size must lie inside it.
std::string_view part(std::string_view record, uint32_t offset, uint32_t size) {
    if (offset > record.size() || size > record.size() - offset) throw BadRecord{};
    return record.substr(offset, size);
}

std::vector<PointF> pointsAt(base::ByteReader& r, uint32_t count, bool small) {
    if (r.remaining() / (small ? 4 : 8) < count) throw BadRecord{};
    std::vector<PointF> out;
    out.reserve(count);
    for (uint32_t i = 0; i < count; ++i) out.push_back(small ? pointS(r) : pointL(r));
    return out;
}

// RGNDATA: a 32-byte header (size, type, count, region size, bounds), then rectangles.
std::vector<PixelRect> regionRects(std::string_view data) {
    base::ByteReader r(data, 0, badRecord);
    r.skip(8);
    const uint32_t count = r.le32();
    r.skip(20);
    if (r.remaining() / 16 < count) throw BadRecord{};
    std::vector<PixelRect> out;
    for (uint32_t i = 0; i < count && out.size() < kMaxClipRects * 4; ++i) {
        const int32_t left = r.s32(), top = r.s32(), right = r.s32(), bottom = r.s32();
        out.push_back({left, top, right, bottom});
    }
    return out;
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

MetaPen penFrom(uint32_t style, double width, uint32_t color) {
    MetaPen pen;
    pen.style =
        static_cast<MetaPenStyle>(std::min<uint32_t>(style & 0x0F, uint32_t(MetaPenStyle::InsideFrame)));
    pen.width = std::fabs(width);
    pen.color = color;
    return pen;
}

class Interpreter {
public:
    explicit Interpreter(Player& player) : m_player(player) {}

    void run(std::string_view data, size_t start) {
        base::ByteReader r(data, start);
        while (r.has(8)) {
            const size_t at = r.position();
            const uint32_t type = r.le32(), size = r.le32();
            if (size < 8 || size % 4 != 0 || size - 8 > r.remaining()) return;
            r.seek(at + size);
            if (type == 14) return;  // EMR_EOF
            const std::string_view record = data.substr(at, size);
            try {
                base::ByteReader rec(record, 8, badRecord);
                this->record(type, record, rec);
            } catch (const BadRecord&) {
                // A record too short for its own contents is passed over.
            }
        }
    }

private:
    void polyRecord(uint32_t type, base::ByteReader& r) {
        const bool small = type >= 85;
        r.skip(16);  // bounds
        const uint32_t count = r.le32();
        const std::vector<PointF> pts = pointsAt(r, count, small);
        switch (small ? type - 83 : type) {
        case 2: m_player.polyBezier(pts); break;
        case 3: m_player.polygons({pts}); break;
        case 4: m_player.polyline(pts); break;
        case 5: m_player.polyBezierTo(pts); break;
        case 6: m_player.polylineTo(pts); break;
        default: break;
        }
    }

    void polyPolyRecord(uint32_t type, base::ByteReader& r) {
        const bool small = type >= 90;
        r.skip(16);
        const uint32_t polys = r.le32(), total = r.le32();
        if (r.remaining() / 4 < polys) throw BadRecord{};
        std::vector<uint32_t> counts(polys);
        uint64_t sum = 0;
        for (auto& c : counts) sum += (c = r.le32());
        if (sum != total) throw BadRecord{};
        std::vector<std::vector<PointF>> all;
        for (uint32_t c : counts) all.push_back(pointsAt(r, c, small));
        if (type == 8 || type == 91) {
            m_player.polygons(all);
        } else {
            for (const auto& line : all) m_player.polyline(line);
        }
    }

    // BITBLT and STRETCHBLT: a source bitmap in device-context coordinates (top row
    // first), or no bitmap at all for pattern operations.
    void bitBlt(uint32_t type, std::string_view record, base::ByteReader& r) {
        r.skip(16);
        const double x = r.s32(), y = r.s32(), w = r.s32(), h = r.s32();
        const uint32_t rop = r.le32();
        const int xSrc = r.s32(), ySrc = r.s32();
        r.skip(24 + 4 + 4);  // source transform, background colour, usage
        const uint32_t offBmi = r.le32(), cbBmi = r.le32(), offBits = r.le32(), cbBits = r.le32();
        int srcW = int(w), srcH = int(h);
        if (type == 77) {
            srcW = r.s32();
            srcH = r.s32();
        }
        const RectF dest{x, y, x + w, y + h};
        if (cbBmi == 0) {
            m_player.pattern(dest, rop);
            return;
        }
        const auto image =
            decodeDib(part(record, offBmi, cbBmi), part(record, offBits, cbBits), m_pixelBudget);
        if (image) m_player.image(dest, *image, sourceRect(*image, xSrc, ySrc, srcW, srcH, false), rop);
    }

    // STRETCHDIBITS and SETDIBITSTODEVICE: the source's y counts from the bottom row.
    void dibits(uint32_t type, std::string_view record, base::ByteReader& r) {
        r.skip(16);
        const double x = r.s32(), y = r.s32();
        const int xSrc = r.s32(), ySrc = r.s32(), srcW = r.s32(), srcH = r.s32();
        const uint32_t offBmi = r.le32(), cbBmi = r.le32(), offBits = r.le32(), cbBits = r.le32();
        r.le32();  // usage
        uint32_t rop = 0x00CC0020;
        double w = srcW, h = srcH;
        if (type == 81) {
            rop = r.le32();
            w = r.s32();
            h = r.s32();
        }
        bool bottomUp = true;
        const auto image =
            decodeDib(part(record, offBmi, cbBmi), part(record, offBits, cbBits), m_pixelBudget, &bottomUp);
        if (image)
            m_player.image({x, y, x + w, y + h}, *image, sourceRect(*image, xSrc, ySrc, srcW, srcH, bottomUp),
                           rop);
    }

    void textOut(uint32_t type, std::string_view record, base::ByteReader& r) {
        r.skip(16 + 4 + 8);  // bounds, graphics mode, scales
        const PointF at = pointL(r);
        const uint32_t count = r.le32(), offString = r.le32(), options = r.le32();
        const RectF box = rectL(r);
        const uint32_t offDx = r.le32();
        const bool wide = type == 84;
        if (count > record.size()) throw BadRecord{};
        const std::string_view bytes = part(record, offString, count * (wide ? 2 : 1));
        std::u16string text;
        if (wide) {
            for (uint32_t i = 0; i < count; ++i)
                text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        } else {
            text = textFromCharset(bytes, m_player.dc().font.charset);
        }
        std::vector<double> advances;
        if (offDx != 0 && offDx <= record.size() && (record.size() - offDx) / 4 >= count) {
            base::ByteReader dx(record, offDx, badRecord);
            for (uint32_t i = 0; i < count; ++i) advances.push_back(dx.s32());
        }
        const bool opaque = options & 0x0002, clipped = options & 0x0004;
        m_player.text(at, text, advances, opaque ? &box : nullptr, clipped ? &box : nullptr);
    }

    void font(base::ByteReader& r) {
        const uint32_t index = r.le32();
        MetaFont f;
        f.height = r.s32();
        r.s32();  // width
        f.escapement = r.s32();
        r.s32();  // orientation
        f.weight = r.s32();
        const std::string_view flags = r.take(8);
        f.italic = flags[0] != 0;
        f.underline = flags[1] != 0;
        f.strikeOut = flags[2] != 0;
        f.charset = static_cast<unsigned char>(flags[3]);
        for (int i = 0; i < 32 && r.has(2); ++i) {
            const char16_t c = r.le16();
            if (c == 0) break;
            base::appendUtf8(f.face, c);
        }
        m_player.createObject(index, f);
    }

    void extCreatePen(std::string_view record, base::ByteReader& r) {
        const uint32_t index = r.le32();
        const uint32_t offBmi = r.le32(), cbBmi = r.le32();
        r.skip(8);  // bits
        const uint32_t style = r.le32(), width = r.le32(), brushStyle = r.le32(), color = r.le32();
        (void)offBmi, (void)cbBmi, (void)record;
        MetaPen pen = penFrom(style, double(width), color);
        // PS_COSMETIC pens are one pixel wide whatever the width says.
        if ((style & 0x000F0000u) == 0) pen.width = 0;
        if (brushStyle == 1) pen.style = MetaPenStyle::Null;
        m_player.createObject(index, pen);
    }

    void patternBrush(std::string_view record, base::ByteReader& r) {
        const uint32_t index = r.le32();
        r.le32();  // usage
        const uint32_t offBmi = r.le32(), cbBmi = r.le32(), offBits = r.le32(), cbBits = r.le32();
        MetaBrush brush;
        brush.style = MetaBrushStyle::Pattern;
        brush.pattern = decodeDib(part(record, offBmi, cbBmi), part(record, offBits, cbBits), m_pixelBudget);
        if (!brush.pattern) brush = brushFrom(0, 0x808080, 0);
        m_player.createObject(index, std::move(brush));
    }

    void record(uint32_t type, std::string_view record, base::ByteReader& r) {
        Player& pl = m_player;
        DcState& dc = pl.dc();
        switch (type) {
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 85:
        case 86:
        case 87:
        case 88:
        case 89: polyRecord(type, r); break;
        case 7:
        case 8:
        case 90:
        case 91: polyPolyRecord(type, r); break;
        case 9: pl.setWindowExt(pointL(r)); break;
        case 10: pl.setWindowOrg(pointL(r)); break;
        case 11: pl.setViewportExt(pointL(r)); break;
        case 12: pl.setViewportOrg(pointL(r)); break;
        case 15: {
            const PointF p = pointL(r);
            pl.pixel(p, r.le32());
            break;
        }
        case 17: pl.setMapMode(static_cast<int>(r.le32())); break;
        case 18: dc.opaqueBackground = r.le32() == 2; break;
        case 19: dc.winding = r.le32() == 2; break;
        case 20: dc.rop2 = static_cast<int>(r.le32()); break;
        case 22: dc.textAlign = static_cast<int>(r.le32()); break;
        case 24: dc.textColor = r.le32(); break;
        case 25: dc.bkColor = r.le32(); break;
        case 26: pl.offsetClip(pointL(r)); break;
        case 27: pl.moveTo(pointL(r)); break;
        case 29: pl.excludeClip(rectL(r)); break;
        case 30: pl.intersectClip(rectL(r)); break;
        case 31:  // SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX
        case 32: {
            const double xNum = r.s32(), xDenom = r.s32(), yNum = r.s32(), yDenom = r.s32();
            if (xDenom == 0 || yDenom == 0) break;
            const PointF& ext = type == 31 ? dc.viewportExt : dc.windowExt;
            const PointF scaled{ext.x * xNum / xDenom, ext.y * yNum / yDenom};
            if (type == 31) {
                pl.setViewportExt(scaled);
            } else {
                pl.setWindowExt(scaled);
            }
            break;
        }
        case 33: pl.save(); break;
        case 34: pl.restore(r.s32()); break;
        case 35: pl.setWorld(xform(r)); break;
        case 36: {
            const Transform t = xform(r);
            pl.modifyWorld(t, static_cast<int>(r.le32()));
            break;
        }
        case 37: pl.selectObject(r.le32()); break;
        case 38: {
            const uint32_t index = r.le32(), style = r.le32();
            const double width = r.s32();
            r.s32();
            pl.createObject(index, penFrom(style, width, r.le32()));
            break;
        }
        case 39: {
            const uint32_t index = r.le32(), style = r.le32(), color = r.le32();
            pl.createObject(index, brushFrom(style, color, r.le32()));
            break;
        }
        case 40: pl.deleteObject(r.le32()); break;
        case 41: {  // ANGLEARC: a line to the arc's start, then the arc
            const PointF c = pointL(r);
            const double radius = r.le32();
            const double start = readFloat(r), sweep = readFloat(r);
            if (!std::isfinite(start) || !std::isfinite(sweep)) break;
            const double a0 = start * M_PI / 180, a1 = (start + sweep) * M_PI / 180;
            const RectF box{c.x - radius, c.y - radius, c.x + radius, c.y + radius};
            const bool saved = dc.clockwise;
            dc.clockwise = sweep < 0;
            if (std::fabs(sweep) >= 360) {
                pl.lineTo({c.x + radius * std::cos(a0), c.y - radius * std::sin(a0)});
                pl.ellipse(box);
            } else {
                pl.arcTo(box, {c.x + std::cos(a0), c.y - std::sin(a0)},
                         {c.x + std::cos(a1), c.y - std::sin(a1)});
            }
            dc.clockwise = saved;
            break;
        }
        case 42: pl.ellipse(rectL(r)); break;
        case 43: pl.rectangle(rectL(r)); break;
        case 44: {
            const RectF box = rectL(r);
            const double w = r.s32();
            pl.rectangle(box, w, r.s32());
            break;
        }
        case 45:  // ARC, CHORD, PIE, ARCTO
        case 46:
        case 47:
        case 55: {
            const RectF box = rectL(r);
            const PointF start = pointL(r), end = pointL(r);
            if (type == 55) {
                pl.arcTo(box, start, end);
            } else {
                pl.arc(box, start, end,
                       type == 45   ? ArcKind::Arc
                       : type == 46 ? ArcKind::Chord
                                    : ArcKind::Pie);
            }
            break;
        }
        case 48: pl.selectObject(r.le32()); break;
        case 49: {  // CREATEPALETTE: index, LOGPALETTE
            const uint32_t index = r.le32();
            r.le16();  // version
            const uint16_t n = r.le16();
            if (r.remaining() / 4 < n) throw BadRecord{};
            Palette pal;
            for (uint16_t i = 0; i < n; ++i) {
                const uint8_t red = r.u8(), green = r.u8(), blue = r.u8();
                r.u8();
                pal.colors.push_back(uint32_t{red} | uint32_t{green} << 8 | uint32_t{blue} << 16);
            }
            pl.createObject(index, std::move(pal));
            break;
        }
        case 54: pl.lineTo(pointL(r)); break;
        case 57: dc.clockwise = r.le32() == 2; break;
        case 59: pl.beginPath(); break;
        case 60: pl.endPath(); break;
        case 61: pl.closeFigure(); break;
        case 62: pl.drawPath(true, false); break;
        case 63: pl.drawPath(true, true); break;
        case 64: pl.drawPath(false, true); break;
        case 67: pl.clipToPath(static_cast<int>(r.le32())); break;
        case 68: pl.abortPath(); break;
        case 71: {  // FILLRGN: bounds, size, brush, region
            r.skip(16);
            const uint32_t size = r.le32(), brush = r.le32();
            const Region region = pl.deviceRegion(regionRects(r.take(size)));
            MetaBrush b = dc.brush;
            if (brush & 0x80000000u) {
                DcState saved = dc;
                pl.selectStockObject(brush & 0x7FFFFFFFu);
                b = dc.brush;
                dc = saved;
            } else if (const GdiObject* o = pl.object(brush); o && std::holds_alternative<MetaBrush>(*o)) {
                b = std::get<MetaBrush>(*o);
            }
            pl.fillRegion(region, b);
            break;
        }
        case 74: {  // PAINTRGN: the selected brush
            r.skip(16);
            const uint32_t size = r.le32();
            pl.fillRegion(pl.deviceRegion(regionRects(r.take(size))), dc.brush);
            break;
        }
        case 75: {  // EXTSELECTCLIPRGN
            const uint32_t size = r.le32(), mode = r.le32();
            if (size == 0) {
                if (mode == kRgnCopy) pl.resetClip();
                break;
            }
            pl.combineClip(pl.deviceRegion(regionRects(r.take(size))), static_cast<int>(mode));
            break;
        }
        case 76:
        case 77: bitBlt(type, record, r); break;
        case 80:
        case 81: dibits(type, record, r); break;
        case 82: font(r); break;
        case 83:
        case 84: textOut(type, record, r); break;
        case 93:
        case 94: patternBrush(record, r); break;
        case 95: extCreatePen(record, r); break;
        default: break;  // unknown or without effect here: skipped by its size
        }
    }

    Player& m_player;
    int64_t m_pixelBudget = kMaxPlaybackPixels;
};

int pixels(double v) {
    if (!(v > 0)) return 0;
    return static_cast<int>(std::min(std::lround(v), long{std::numeric_limits<int>::max()}));
}

}  // namespace

MetafileInfo emfInfo(std::string_view data) {
    const Geometry g = readGeometry(data);
    MetafileInfo info;
    info.enhanced = true;
    // The frame is in hundredths of a millimetre; shown at 96 dots per inch.
    if (g.frame.right > g.frame.left && g.frame.bottom > g.frame.top) {
        info.width = pixels((g.frame.right - g.frame.left) * 96 / 2540);
        info.height = pixels((g.frame.bottom - g.frame.top) * 96 / 2540);
    } else {
        info.width = pixels((g.bounds.right - g.bounds.left + 1) * 96 / 25.4 / g.pixelsPerMmX);
        info.height = pixels((g.bounds.bottom - g.bounds.top + 1) * 96 / 25.4 / g.pixelsPerMmY);
    }
    return info;
}

void playEmf(std::string_view data, MetafileDevice& device, const PixelRect& output) {
    const Geometry g = readGeometry(data);
    const RectF frame = frameInPixels(g);
    const double w = frame.right - frame.left, h = frame.bottom - frame.top;
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return;
    // The frame, in the reference device's pixels, fills the output.
    Transform toOutput;
    toOutput.m11 = output.width() / w;
    toOutput.m22 = output.height() / h;
    toOutput.dx = output.left - frame.left * toOutput.m11;
    toOutput.dy = output.top - frame.top * toOutput.m22;
    Player player(device, toOutput, output, (g.pixelsPerMmX + g.pixelsPerMmY) / 2);
    Interpreter(player).run(data, g.headerSize);
}

}  // namespace pictures::metafile
