// Writes a small uncompressed video file (RIFF "AVI ", one 32-bit "DIB " stream with an
// index), so video tests make their own fixture at run time. Each frame is a gradient with
// its number in the blue channel.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace test {

namespace avi {

inline void put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
inline std::string chunk(const char* id, const std::string& body) {
    std::string s(id, 4);
    put32(s, static_cast<uint32_t>(body.size()));
    s += body;
    if (body.size() & 1) s += '\0';
    return s;
}
inline std::string list(const char* type, const std::string& body) {
    return chunk("LIST", std::string(type, 4) + body);
}

}  // namespace avi

// `frames` frames of width x height at `fps` frames a second: frames * 1000 / fps ms long.
inline bool writeAvi(const std::string& path, int width, int height, int fps, int frames) {
    using namespace avi;
    const auto w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    const uint32_t stride = w * 4, frameSize = stride * h;
    std::string main;
    put32(main, 1000000 / static_cast<uint32_t>(fps));
    put32(main, frameSize * static_cast<uint32_t>(fps));
    put32(main, 0);
    put32(main, 0x10);  // has an index
    put32(main, static_cast<uint32_t>(frames));
    put32(main, 0);
    put32(main, 1);
    put32(main, frameSize);
    put32(main, w);
    put32(main, h);
    for (int i = 0; i < 4; ++i) put32(main, 0);
    std::string stream = "vidsDIB ";
    put32(stream, 0);
    put16(stream, 0);
    put16(stream, 0);
    put32(stream, 0);
    put32(stream, 1);
    put32(stream, static_cast<uint32_t>(fps));
    put32(stream, 0);
    put32(stream, static_cast<uint32_t>(frames));
    put32(stream, frameSize);
    put32(stream, 0xFFFFFFFFu);
    put32(stream, 0);
    for (uint16_t v : {uint16_t{0}, uint16_t{0}, static_cast<uint16_t>(w), static_cast<uint16_t>(h)})
        put16(stream, v);
    std::string format;  // BITMAPINFOHEADER
    put32(format, 40);
    put32(format, w);
    put32(format, h);
    put16(format, 1);
    put16(format, 32);
    for (uint32_t v : {0u, frameSize, 0u, 0u, 0u, 0u}) put32(format, v);
    const std::string header =
        list("hdrl", chunk("avih", main) + list("strl", chunk("strh", stream) + chunk("strf", format)));
    std::string movie, index;
    uint32_t offset = 4;
    for (int f = 0; f < frames; ++f) {
        std::string pixels(frameSize, '\0');
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                char* px = &pixels[y * stride + x * 4];
                px[0] = static_cast<char>(f * 16);
                px[1] = static_cast<char>(x * 255 / w);
                px[2] = static_cast<char>(y * 255 / h);
                px[3] = static_cast<char>(0xFF);
            }
        const std::string c = chunk("00db", pixels);
        index += "00db";
        put32(index, 0x10);  // key frame
        put32(index, offset);
        put32(index, frameSize);
        offset += static_cast<uint32_t>(c.size());
        movie += c;
    }
    const std::string body = "AVI " + header + list("movi", movie) + chunk("idx1", index);
    std::string file = "RIFF";
    put32(file, static_cast<uint32_t>(body.size()));
    std::ofstream out(path, std::ios::binary);
    out << file << body;
    return static_cast<bool>(out);
}

}  // namespace test
