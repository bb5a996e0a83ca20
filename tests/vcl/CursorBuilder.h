// Builds cursor files for tests and seed corpora: icon-directory ".cur" files with bitmap or
// PNG entries, and RIFF ".ani" files around them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/Image.h"

namespace cursorfiles {

inline void put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// A bitmap entry of `bpp` bits with its mask. `colour(x, y)` gives the colour index (1, 4, 8
// bits) or 0xAARRGGBB (24, 32 bits) of the top-down pixel; `masked(x, y)` its mask bit.
template <class Colour, class Masked>
std::string dib(int w, int h, int bpp, const std::vector<uint32_t>& palette, Colour colour, Masked masked) {
    std::string s;
    put32(s, 40);
    put32(s, static_cast<uint32_t>(w));
    put32(s, static_cast<uint32_t>(h * 2));
    put16(s, 1);
    put16(s, static_cast<uint32_t>(bpp));
    put32(s, 0);
    put32(s, 0);
    put32(s, 0);
    put32(s, 0);
    put32(s, static_cast<uint32_t>(palette.size()));
    put32(s, 0);
    for (uint32_t c : palette) put32(s, c & 0xFFFFFF);
    const size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const uint32_t v = colour(x, y);
            switch (bpp) {
            case 1: row[size_t(x / 8)] |= static_cast<char>((v & 1) << (7 - x % 8)); break;
            case 4: row[size_t(x / 2)] |= static_cast<char>((v & 0xF) << (x % 2 ? 0 : 4)); break;
            case 8: row[size_t(x)] = static_cast<char>(v); break;
            default:
                for (int b = 0; b < bpp / 8; ++b)
                    row[size_t(x * bpp / 8 + b)] = static_cast<char>(v >> (8 * b));
            }
        }
        s += row;
    }
    const size_t maskStride = ((size_t(w) + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        std::string row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (masked(x, y)) row[size_t(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        s += row;
    }
    return s;
}

struct Entry {
    std::string data;  // a bitmap entry or a PNG file
    int width;
    int height;
    int hotX = 0;
    int hotY = 0;
};

// type 2: a cursor; type 1: an icon.
inline std::string iconDirectory(const std::vector<Entry>& entries, int type = 2) {
    std::string s;
    put16(s, 0);
    put16(s, static_cast<uint32_t>(type));
    put16(s, static_cast<uint32_t>(entries.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (const Entry& e : entries) {
        s += static_cast<char>(e.width == 256 ? 0 : e.width);
        s += static_cast<char>(e.height == 256 ? 0 : e.height);
        s += '\0';
        s += '\0';
        put16(s, static_cast<uint32_t>(type == 2 ? e.hotX : 1));
        put16(s, static_cast<uint32_t>(type == 2 ? e.hotY : 32));
        put32(s, static_cast<uint32_t>(e.data.size()));
        put32(s, offset);
        offset += static_cast<uint32_t>(e.data.size());
    }
    for (const Entry& e : entries) s += e.data;
    return s;
}

// A w by h 32-bit entry filled with one colour, every pixel opaque.
inline Entry solidEntry(int w, int h, uint32_t argb, int hotX = 0, int hotY = 0) {
    return {
        dib(
            w, h, 32, {}, [argb](int, int) { return argb | 0xFF000000u; }, [](int, int) { return false; }),
        w, h, hotX, hotY};
}

inline std::string chunk(const std::string& id, const std::string& body) {
    std::string s = id;
    put32(s, static_cast<uint32_t>(body.size()));
    s += body;
    if (body.size() % 2) s += '\0';
    return s;
}

// An animated cursor: the frames (whole ".cur" files), `jiffies` per step by default, and
// optionally a rate per step and a play sequence.
inline std::string animatedCursor(const std::vector<std::string>& frames, uint32_t jiffies,
                                  const std::vector<uint32_t>& rates = {},
                                  const std::vector<uint32_t>& sequence = {}) {
    const size_t steps = sequence.empty() ? frames.size() : sequence.size();
    std::string header;
    put32(header, 36);
    put32(header, static_cast<uint32_t>(frames.size()));
    put32(header, static_cast<uint32_t>(steps));
    for (int i = 0; i < 4; ++i) put32(header, 0);
    put32(header, jiffies);
    put32(header, 1u | (sequence.empty() ? 0u : 2u));
    std::string body = "ACON" + chunk("anih", header);
    if (!rates.empty()) {
        std::string r;
        for (uint32_t v : rates) put32(r, v);
        body += chunk("rate", r);
    }
    if (!sequence.empty()) {
        std::string q;
        for (uint32_t v : sequence) put32(q, v);
        body += chunk("seq ", q);
    }
    std::string list = "fram";
    for (const std::string& f : frames) list += chunk("icon", f);
    body += chunk("LIST", list);
    return chunk("RIFF", body);
}

}  // namespace cursorfiles
