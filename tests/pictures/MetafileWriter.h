// Writes small Windows metafiles and enhanced metafiles for the tests, one call per
// record, with the published record layouts. Colours are COLORREF values (0x00BBGGRR).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/LittleEndian.h"

namespace mfw {

inline constexpr uint32_t rgb(int r, int g, int b) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

struct Pt {
    int x, y;
};

// A packed 24-bit DIB, bottom-up as usual; `rows` lists colours top row first.
inline std::string dib24(const std::vector<std::vector<uint32_t>>& rows) {
    const int h = int(rows.size()), w = int(rows.front().size());
    const int stride = (w * 3 + 3) & ~3;
    std::string out;
    base::appendLE32(out, 40);
    base::appendLE32(out, uint32_t(w));
    base::appendLE32(out, uint32_t(h));
    base::appendLE16(out, 1);
    base::appendLE16(out, 24);
    for (int i = 0; i < 6; ++i) base::appendLE32(out, i == 1 ? uint32_t(stride * h) : 0);
    for (int y = h - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (uint32_t c : rows[size_t(y)]) {
            out.push_back(char((c >> 16) & 0xFF));
            out.push_back(char((c >> 8) & 0xFF));
            out.push_back(char(c & 0xFF));
        }
        out.append(start + size_t(stride) - out.size(), '\0');
    }
    return out;
}

// Windows metafile: parameters are written in storage order (last argument first).
class Wmf {
public:
    // With `placeable`, a placeable header with this box and units per inch.
    explicit Wmf(bool placeable = true, int left = 0, int top = 0, int right = 100, int bottom = 100,
                 int inch = 96)
        : m_placeable(placeable), m_box{left, top, right, bottom}, m_inch(inch) {}

    Wmf& raw(uint16_t function, const std::string& params) {
        std::string r;
        base::appendLE32(r, uint32_t(3 + params.size() / 2));
        base::appendLE16(r, function);
        r += params;
        if (params.size() % 2) r.push_back('\0');
        m_maxRecord = std::max<uint32_t>(m_maxRecord, uint32_t(r.size() / 2));
        m_records += r;
        return *this;
    }
    Wmf& words(uint16_t function, std::initializer_list<int> values) {
        std::string p;
        for (int v : values) base::appendLE16(p, uint16_t(v));
        return raw(function, p);
    }
    static std::string color(uint32_t c) {
        std::string s;
        base::appendLE32(s, c);
        return s;
    }
    static std::string word(int v) {
        std::string s;
        base::appendLE16(s, uint16_t(v));
        return s;
    }

    Wmf& setMapMode(int m) { return words(0x0103, {m}); }
    Wmf& setWindowOrg(int x, int y) { return words(0x020B, {y, x}); }
    Wmf& setWindowExt(int x, int y) { return words(0x020C, {y, x}); }
    Wmf& setViewportOrg(int x, int y) { return words(0x020D, {y, x}); }
    Wmf& setViewportExt(int x, int y) { return words(0x020E, {y, x}); }
    Wmf& setBkMode(int m) { return words(0x0102, {m}); }
    Wmf& setBkColor(uint32_t c) { return raw(0x0201, color(c)); }
    Wmf& setTextColor(uint32_t c) { return raw(0x0209, color(c)); }
    Wmf& setTextAlign(int a) { return words(0x012E, {a}); }
    Wmf& setPolyFillMode(int m) { return words(0x0106, {m}); }
    Wmf& setRop2(int m) { return words(0x0104, {m}); }
    Wmf& createPen(int style, int width, uint32_t c) {
        return raw(0x02FA, word(style) + word(width) + word(0) + color(c));
    }
    Wmf& createBrush(int style, uint32_t c, int hatch = 0) {
        return raw(0x02FC, word(style) + color(c) + word(hatch));
    }
    Wmf& createFont(int height, const std::string& face, int weight = 400, int escapement = 0,
                    int charset = 0) {
        std::string p = word(height) + word(0) + word(escapement) + word(escapement) + word(weight);
        p += std::string{0, 0, 0, char(charset), 0, 0, 0, 0};
        p += face;
        p.push_back('\0');
        return raw(0x02FB, p);
    }
    Wmf& createPalette(const std::vector<uint32_t>& colors) {
        std::string p = word(0x0300) + word(int(colors.size()));
        for (uint32_t c : colors) p += color(c);  // red, green, blue, flags
        return raw(0x00F7, p);
    }
    Wmf& createPatternBrush(const std::string& dib) { return raw(0x0142, word(5) + word(0) + dib); }
    // A region of one rectangle.
    Wmf& createRegion(int left, int top, int right, int bottom) {
        std::string p = word(0) + word(6) + color(0) + word(0) + word(1) + word(4);
        p += word(left) + word(top) + word(right) + word(bottom);
        p += word(2) + word(top) + word(bottom) + word(left) + word(right) + word(2);
        return raw(0x06FF, p);
    }
    Wmf& selectObject(int i) { return words(0x012D, {i}); }
    Wmf& selectPalette(int i) { return words(0x0234, {i}); }
    Wmf& selectClipRegion(int i) { return words(0x012C, {i}); }
    Wmf& deleteObject(int i) { return words(0x01F0, {i}); }
    Wmf& moveTo(int x, int y) { return words(0x0214, {y, x}); }
    Wmf& lineTo(int x, int y) { return words(0x0213, {y, x}); }
    Wmf& rectangle(int l, int t, int r, int b) { return words(0x041B, {b, r, t, l}); }
    Wmf& roundRect(int l, int t, int r, int b, int w, int h) { return words(0x061C, {h, w, b, r, t, l}); }
    Wmf& ellipse(int l, int t, int r, int b) { return words(0x0418, {b, r, t, l}); }
    // ARC 0x0817, PIE 0x081A, CHORD 0x0830
    Wmf& arcLike(uint16_t f, int l, int t, int r, int b, Pt start, Pt end) {
        return words(f, {end.y, end.x, start.y, start.x, b, r, t, l});
    }
    Wmf& poly(uint16_t f, const std::vector<Pt>& pts) {
        std::string p = word(int(pts.size()));
        for (auto q : pts) p += word(q.x) + word(q.y);
        return raw(f, p);
    }
    Wmf& polyline(const std::vector<Pt>& pts) { return poly(0x0325, pts); }
    Wmf& polygon(const std::vector<Pt>& pts) { return poly(0x0324, pts); }
    Wmf& polyPolygon(const std::vector<std::vector<Pt>>& polys) {
        std::string p = word(int(polys.size()));
        for (const auto& poly : polys) p += word(int(poly.size()));
        for (const auto& poly : polys)
            for (auto q : poly) p += word(q.x) + word(q.y);
        return raw(0x0538, p);
    }
    Wmf& textOut(int x, int y, const std::string& s) {
        std::string p = word(int(s.size())) + s;
        if (s.size() % 2) p.push_back('\0');
        return raw(0x0521, p + word(y) + word(x));
    }
    Wmf& extTextOut(int x, int y, const std::string& s, int options, Pt topLeft, Pt bottomRight) {
        std::string p = word(y) + word(x) + word(int(s.size())) + word(options);
        p += word(topLeft.x) + word(topLeft.y) + word(bottomRight.x) + word(bottomRight.y) + s;
        if (s.size() % 2) p.push_back('\0');
        return raw(0x0A32, p);
    }
    Wmf& intersectClipRect(int l, int t, int r, int b) { return words(0x0416, {b, r, t, l}); }
    Wmf& excludeClipRect(int l, int t, int r, int b) { return words(0x0415, {b, r, t, l}); }
    Wmf& saveDC() { return words(0x001E, {}); }
    Wmf& restoreDC(int n) { return words(0x0127, {n}); }
    Wmf& setPixel(int x, int y, uint32_t c) { return raw(0x041F, color(c) + word(y) + word(x)); }
    Wmf& patBlt(int x, int y, int w, int h, uint32_t rop) {
        return raw(0x061D, color(rop) + word(h) + word(w) + word(y) + word(x));
    }
    // STRETCHDIB: the source's y counts from the bottom row.
    Wmf& stretchDib(int x, int y, int w, int h, int xs, int ys, int ws, int hs, const std::string& dib,
                    uint32_t rop = 0x00CC0020) {
        return raw(0x0F43, color(rop) + word(0) + word(hs) + word(ws) + word(ys) + word(xs) + word(h) +
                               word(w) + word(y) + word(x) + dib);
    }
    Wmf& dibStretchBlt(int x, int y, int w, int h, int xs, int ys, int ws, int hs, const std::string& dib,
                       uint32_t rop = 0x00CC0020) {
        return raw(0x0B41, color(rop) + word(hs) + word(ws) + word(ys) + word(xs) + word(h) + word(w) +
                               word(y) + word(x) + dib);
    }
    Wmf& dibBitBlt(int x, int y, int w, int h, int xs, int ys, const std::string& dib,
                   uint32_t rop = 0x00CC0020) {
        return raw(0x0940, color(rop) + word(ys) + word(xs) + word(h) + word(w) + word(y) + word(x) + dib);
    }

    std::string bytes() const {
        std::string out;
        if (m_placeable) {
            base::appendLE32(out, 0x9AC6CDD7u);
            base::appendLE16(out, 0);
            for (int v : m_box) base::appendLE16(out, uint16_t(v));
            base::appendLE16(out, uint16_t(m_inch));
            base::appendLE32(out, 0);
            uint16_t sum = 0;
            for (size_t i = 0; i < 20; i += 2)
                sum ^= base::readLE16(reinterpret_cast<const unsigned char*>(out.data() + i));
            base::appendLE16(out, sum);
        }
        const std::string end = std::string("\x03\x00\x00\x00\x00\x00", 6);
        base::appendLE16(out, 1);
        base::appendLE16(out, 9);
        base::appendLE16(out, 0x0300);
        base::appendLE32(out, uint32_t(9 + (m_records.size() + end.size()) / 2));
        base::appendLE16(out, 32);
        base::appendLE32(out, m_maxRecord);
        base::appendLE16(out, 0);
        return out + m_records + end;
    }

private:
    bool m_placeable;
    int m_box[4];
    int m_inch;
    uint32_t m_maxRecord = 3;
    std::string m_records;
};

// Enhanced metafile on a reference device of 4 pixels per millimetre, so a frame of
// 25 mm is 100 reference pixels.
class Emf {
public:
    explicit Emf(int widthPx = 100, int heightPx = 100) : m_w(widthPx), m_h(heightPx) {}

    static std::string i32(int32_t v) {
        std::string s;
        base::appendLE32(s, uint32_t(v));
        return s;
    }
    static std::string ints(std::initializer_list<int32_t> values) {
        std::string s;
        for (int32_t v : values) s += i32(v);
        return s;
    }
    static std::string f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return i32(int32_t(bits));
    }

    Emf& raw(uint32_t type, std::string payload) {
        while (payload.size() % 4) payload.push_back('\0');
        m_records += i32(int32_t(type)) + i32(int32_t(payload.size() + 8)) + payload;
        ++m_count;
        return *this;
    }
    Emf& rec(uint32_t type, std::initializer_list<int32_t> values) { return raw(type, ints(values)); }

    Emf& setMapMode(int m) { return rec(17, {m}); }
    Emf& setWindowExt(int x, int y) { return rec(9, {x, y}); }
    Emf& setWindowOrg(int x, int y) { return rec(10, {x, y}); }
    Emf& setViewportExt(int x, int y) { return rec(11, {x, y}); }
    Emf& setViewportOrg(int x, int y) { return rec(12, {x, y}); }
    Emf& setBkMode(int m) { return rec(18, {m}); }
    Emf& setPolyFillMode(int m) { return rec(19, {m}); }
    Emf& setTextAlign(int a) { return rec(22, {a}); }
    Emf& setTextColor(uint32_t c) { return rec(24, {int32_t(c)}); }
    Emf& setBkColor(uint32_t c) { return rec(25, {int32_t(c)}); }
    Emf& moveTo(int x, int y) { return rec(27, {x, y}); }
    Emf& lineTo(int x, int y) { return rec(54, {x, y}); }
    Emf& excludeClipRect(int l, int t, int r, int b) { return rec(29, {l, t, r, b}); }
    Emf& intersectClipRect(int l, int t, int r, int b) { return rec(30, {l, t, r, b}); }
    Emf& saveDC() { return rec(33, {}); }
    Emf& restoreDC(int n) { return rec(34, {n}); }
    Emf& setWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy) {
        return raw(35, f32(m11) + f32(m12) + f32(m21) + f32(m22) + f32(dx) + f32(dy));
    }
    Emf& selectObject(uint32_t i) { return rec(37, {int32_t(i)}); }
    Emf& createPen(int index, int style, int width, uint32_t c) {
        return rec(38, {index, style, width, 0, int32_t(c)});
    }
    Emf& createBrush(int index, int style, uint32_t c, int hatch = 0) {
        return rec(39, {index, style, int32_t(c), hatch});
    }
    Emf& deleteObject(int i) { return rec(40, {i}); }
    Emf& ellipse(int l, int t, int r, int b) { return rec(42, {l, t, r, b}); }
    Emf& rectangle(int l, int t, int r, int b) { return rec(43, {l, t, r, b}); }
    Emf& roundRect(int l, int t, int r, int b, int w, int h) { return rec(44, {l, t, r, b, w, h}); }
    // ARC 45, CHORD 46, PIE 47
    Emf& arcLike(uint32_t type, int l, int t, int r, int b, Pt start, Pt end) {
        return rec(type, {l, t, r, b, start.x, start.y, end.x, end.y});
    }
    Emf& createPalette(int index, const std::vector<uint32_t>& colors) {
        std::string p = i32(index);
        base::appendLE16(p, 0x0300);
        base::appendLE16(p, uint16_t(colors.size()));
        for (uint32_t c : colors) p += i32(int32_t(c));
        return raw(49, p);
    }
    // Polygon records: 32-bit (POLYGON 3, POLYLINE 4, POLYBEZIER 2) or 16-bit (86, 87, 85).
    Emf& poly(uint32_t type, const std::vector<Pt>& pts) {
        std::string p = ints({0, 0, 0, 0}) + i32(int32_t(pts.size()));
        for (auto q : pts) {
            if (type >= 85) {
                base::appendLE16(p, uint16_t(q.x));
                base::appendLE16(p, uint16_t(q.y));
            } else {
                p += ints({q.x, q.y});
            }
        }
        return raw(type, p);
    }
    Emf& polyPolygon(const std::vector<std::vector<Pt>>& polys, bool small = false) {
        size_t total = 0;
        for (const auto& poly : polys) total += poly.size();
        std::string p = ints({0, 0, 0, 0}) + i32(int32_t(polys.size())) + i32(int32_t(total));
        for (const auto& poly : polys) p += i32(int32_t(poly.size()));
        for (const auto& poly : polys)
            for (auto q : poly) {
                if (small) {
                    base::appendLE16(p, uint16_t(q.x));
                    base::appendLE16(p, uint16_t(q.y));
                } else {
                    p += ints({q.x, q.y});
                }
            }
        return raw(small ? 91 : 8, p);
    }
    Emf& beginPath() { return rec(59, {}); }
    Emf& endPath() { return rec(60, {}); }
    Emf& closeFigure() { return rec(61, {}); }
    Emf& fillPath() { return rec(62, {0, 0, 0, 0}); }
    Emf& strokeAndFillPath() { return rec(63, {0, 0, 0, 0}); }
    // One rectangle as the clip, combined by `mode` (RGN_AND 1 .. RGN_COPY 5).
    Emf& extSelectClipRect(int l, int t, int r, int b, int mode) {
        const std::string data = ints({32, 1, 1, 16, l, t, r, b, l, t, r, b});
        return raw(75, i32(int32_t(data.size())) + i32(mode) + data);
    }
    Emf& font(int index, int height, const std::u16string& face, int weight = 400, int escapement = 0) {
        std::string p = ints({index, height, 0, escapement, escapement, weight});
        p += std::string(8, '\0');
        for (size_t i = 0; i < 32; ++i) {
            const char16_t c = i < face.size() ? face[i] : 0;
            base::appendLE16(p, c);
        }
        return raw(82, p);
    }
    Emf& textOutW(int x, int y, const std::u16string& s, int options = 0, std::vector<int> dx = {}) {
        // bounds, graphics mode, scales, then EMRTEXT at 36; the string at 76, the spacing after it.
        const int offString = 76;
        const int stringBytes = int((s.size() * 2 + 3) & ~size_t(3));
        const int offDx = dx.empty() ? 0 : offString + stringBytes;
        std::string p = ints({0, 0, 0, 0, 1}) + f32(0) + f32(0);
        p += ints({x, y, int32_t(s.size()), offString, options, 0, 0, 100, 100, offDx});
        std::string str;
        for (char16_t c : s) base::appendLE16(str, c);
        while (str.size() % 4) str.push_back('\0');
        p += str;
        for (int d : dx) p += i32(d);
        return raw(84, p);
    }
    // STRETCHDIBITS with a packed DIB split into header and bits (40-byte header, no colour table).
    Emf& stretchDiBits(int x, int y, int w, int h, int xs, int ys, int ws, int hs, const std::string& dib,
                       uint32_t rop = 0x00CC0020) {
        const int off = 8 + 72;
        std::string p = ints({0, 0, 0, 0, x, y, xs, ys, ws, hs, off, 40, off + 40, int32_t(dib.size() - 40),
                              0, int32_t(rop), w, h});
        return raw(81, p + dib);
    }
    // BITBLT (76) with a bitmap: the source in device-context coordinates, top row first.
    Emf& bitBlt(int x, int y, int w, int h, int xs, int ys, const std::string& dib,
                uint32_t rop = 0x00CC0020) {
        const int off = 8 + 92;
        std::string p = ints({0, 0, 0, 0, x, y, w, h, int32_t(rop), xs, ys});
        p += f32(1) + f32(0) + f32(0) + f32(1) + f32(0) + f32(0);
        p += ints({0, 0, off, 40, off + 40, int32_t(dib.size() - 40)});
        return raw(76, p + dib);
    }
    // BITBLT without a bitmap: a pattern operation.
    Emf& patBlt(int x, int y, int w, int h, uint32_t rop) {
        std::string p = ints({0, 0, 0, 0, x, y, w, h, int32_t(rop), 0, 0});
        p += f32(1) + f32(0) + f32(0) + f32(1) + f32(0) + f32(0);
        p += ints({0, 0, 0, 0, 0, 0});
        return raw(76, p);
    }
    Emf& setPixel(int x, int y, uint32_t c) { return rec(15, {x, y, int32_t(c)}); }

    std::string bytes() const {
        // Frame in hundredths of a millimetre: 4 reference pixels per millimetre.
        std::string header = ints({0, 0, m_w - 1, m_h - 1, 0, 0, m_w * 25 - 1, m_h * 25 - 1});
        header += " EMF";
        header += ints({0x10000, 0, int32_t(m_count + 2), 8, 0, 0, 0, 1000, 1000, 250, 250});
        std::string out = i32(1) + i32(int32_t(header.size() + 8)) + header + m_records;
        out += ints({14, 20, 0, 16, 20});
        const uint32_t total = uint32_t(out.size());
        std::memcpy(out.data() + 48, &total, 4);
        return out;
    }

private:
    int m_w, m_h;
    int m_count = 0;
    std::string m_records;
};

}  // namespace mfw
