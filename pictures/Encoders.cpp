// Targa and icon writers.
#include "pictures/Encoders.h"

namespace pictures {
namespace {

void put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putBgra(std::string& out, uint32_t argb, bool alpha) {
    const uint32_t p = unpremultiplied(argb);
    out += static_cast<char>(p & 0xFF);
    out += static_cast<char>((p >> 8) & 0xFF);
    out += static_cast<char>((p >> 16) & 0xFF);
    if (alpha) out += static_cast<char>(p >> 24);
}

}  // namespace

uint32_t unpremultiplied(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 0xFF) return argb;
    if (a == 0) return 0;
    auto channel = [a](uint32_t c) { return c * 255 + a / 2 >= a * 255 ? 255u : (c * 255 + a / 2) / a; };
    return a << 24 | channel((argb >> 16) & 0xFF) << 16 | channel((argb >> 8) & 0xFF) << 8 |
           channel(argb & 0xFF);
}

std::string encodeTarga(const Image& image) {
    if (image.empty()) return {};
    const bool alpha = image.hasAlpha();
    std::string out;
    out.reserve(18 + image.pixels.size() * (alpha ? 4 : 3));
    out += '\0';          // no image id
    out += '\0';          // no colour map
    out += '\x02';        // uncompressed true colour
    out.append(5, '\0');  // colour map specification
    put16(out, 0);        // x origin
    put16(out, 0);        // y origin
    put16(out, static_cast<uint32_t>(image.width));
    put16(out, static_cast<uint32_t>(image.height));
    out += static_cast<char>(alpha ? 32 : 24);
    out += static_cast<char>(0x20 | (alpha ? 8 : 0));  // top-left origin, alpha bits
    for (uint32_t p : image.pixels) putBgra(out, p, alpha);
    return out;
}

std::string encodeIcon(const Image& image) {
    if (image.empty() || image.width > 256 || image.height > 256) return {};
    const uint32_t w = static_cast<uint32_t>(image.width), h = static_cast<uint32_t>(image.height);
    const uint32_t maskStride = ((w + 31) / 32) * 4;
    const uint32_t dibSize = 40 + w * h * 4 + maskStride * h;
    std::string out;
    out.reserve(22 + dibSize);
    put16(out, 0);  // reserved
    put16(out, 1);  // icon
    put16(out, 1);  // one image
    out += static_cast<char>(w == 256 ? 0 : w);
    out += static_cast<char>(h == 256 ? 0 : h);
    out += '\0';  // no palette
    out += '\0';
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, dibSize);
    put32(out, 22);
    // The bitmap header counts the colour rows and the mask rows together.
    put32(out, 40);
    put32(out, w);
    put32(out, h * 2);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);  // uncompressed
    put32(out, w * h * 4 + maskStride * h);
    out.append(16, '\0');
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) putBgra(out, image.pixel(x, y), true);
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(maskStride, '\0');
        for (int x = 0; x < image.width; ++x)
            if ((image.pixel(x, y) >> 24) == 0)
                row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        out += row;
    }
    return out;
}

}  // namespace pictures
