// Writes small RIFF AVI clips for the tests: one video stream of uncompressed or RLE8
// frames, with the headers the animation control reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/LittleEndian.h"

namespace avitest {

inline std::string chunk(const char* id, const std::string& data) {
    std::string out(id, 4);
    base::appendLE32(out, static_cast<uint32_t>(data.size()));
    out += data;
    if (data.size() & 1) out += '\0';
    return out;
}

inline std::string list(const char* type, const std::string& body) {
    return chunk("LIST", std::string(type, 4) + body);
}

struct Clip {
    int width = 4, height = 2, bits = 24;
    uint32_t compression = 0;  // 0 uncompressed, 1 RLE8
    uint32_t microseconds = 100000;
    std::vector<uint32_t> palette;  // 0x00RRGGBB, 8-bit clips
    std::vector<std::string> frames;
    bool topDown = false;

    std::string bytes() const {
        std::string avih;
        base::appendLE32(avih, microseconds);
        for (int i = 0; i < 3; ++i) base::appendLE32(avih, 0);
        base::appendLE32(avih, static_cast<uint32_t>(frames.size()));
        base::appendLE32(avih, 0);
        base::appendLE32(avih, 1);
        base::appendLE32(avih, 0);
        base::appendLE32(avih, static_cast<uint32_t>(width));
        base::appendLE32(avih, static_cast<uint32_t>(height));
        for (int i = 0; i < 4; ++i) base::appendLE32(avih, 0);
        std::string strh = "vids";
        strh += std::string(compression == 1 ? "mrle" : "DIB ", 4);
        for (int i = 0; i < 3; ++i) base::appendLE32(strh, 0);
        base::appendLE32(strh, 1);                       // scale
        base::appendLE32(strh, 1000000 / microseconds);  // rate
        for (int i = 0; i < 7; ++i) base::appendLE32(strh, 0);
        std::string strf;
        base::appendLE32(strf, 40);
        base::appendLE32(strf, static_cast<uint32_t>(width));
        base::appendLE32(strf, static_cast<uint32_t>(topDown ? -height : height));
        base::appendLE16(strf, 1);
        base::appendLE16(strf, static_cast<uint16_t>(bits));
        base::appendLE32(strf, compression);
        for (int i = 0; i < 3; ++i) base::appendLE32(strf, 0);
        base::appendLE32(strf, static_cast<uint32_t>(palette.size()));
        base::appendLE32(strf, 0);
        for (uint32_t c : palette) base::appendLE32(strf, c);
        std::string movi;
        for (const std::string& f : frames) movi += chunk(compression == 1 ? "00dc" : "00db", f);
        const std::string body =
            "AVI " +
            list("hdrl", chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf))) +
            list("movi", movi);
        std::string out = "RIFF";
        base::appendLE32(out, static_cast<uint32_t>(body.size()));
        return out + body;
    }
};

// A bottom-up 24-bit frame filled with one colour (0x00RRGGBB).
inline std::string solidFrame24(int width, int height, uint32_t rgb) {
    const size_t stride = ((static_cast<size_t>(width) * 24 + 31) / 32) * 4;
    std::string f(stride * static_cast<size_t>(height), '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = stride * static_cast<size_t>(y) + 3 * static_cast<size_t>(x);
            f[at] = static_cast<char>(rgb & 0xFF);
            f[at + 1] = static_cast<char>((rgb >> 8) & 0xFF);
            f[at + 2] = static_cast<char>((rgb >> 16) & 0xFF);
        }
    return f;
}

}  // namespace avitest
