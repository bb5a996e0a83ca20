// Targa: an 18-byte header, an optional id and colour map, then pixels bottom-up unless
// the descriptor says otherwise, optionally in run-length packets.
#include "pictures/TargaLoader.h"

#include <algorithm>

#include "base/ByteReader.h"
#include "base/LittleEndian.h"
#include "pictures/Loaders.h"

namespace pictures {

namespace {

[[noreturn]] void invalid(const base::ByteReader&, size_t) { throw DecodeError("Invalid image"); }

uint32_t argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    // Premultiply, as every Image is.
    if (a != 255) r = r * a / 255, g = g * a / 255, b = b * a / 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

uint32_t fromPacked(const unsigned char* p, unsigned depth, bool alphaBits) {
    switch (depth) {
    case 8: return argb(255, p[0], p[0], p[0]);
    case 15:
    case 16: {
        const unsigned v = base::readLE16(p);
        const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return argb(255, (r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
    }
    case 24: return argb(255, p[2], p[1], p[0]);
    default: return argb(alphaBits ? p[3] : 255, p[2], p[1], p[0]);
    }
}

}  // namespace

Decoded decodeTarga(std::string_view data) {
    base::ByteReader c(data, 0, invalid);
    const unsigned char* h = c.bytes(18);
    const unsigned idLength = h[0], mapType = h[1], type = h[2];
    const unsigned mapFirst = base::readLE16(h + 3), mapLength = base::readLE16(h + 5), mapDepth = h[7];
    const int width = base::readLE16(h + 12), height = base::readLE16(h + 14);
    const unsigned depth = h[16], descriptor = h[17];
    const unsigned baseType = type & 7;
    const bool rle = (type & 8) != 0;
    if (baseType < 1 || baseType > 3 || type > 11 || mapType > 1) throw DecodeError("Invalid image");
    if (baseType == 1 && (mapType != 1 || depth != 8)) throw DecodeError("Invalid image");
    if (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32)
        throw DecodeError("Invalid image");
    c.bytes(idLength);

    std::vector<uint32_t> palette;
    if (mapType == 1) {
        if (mapDepth != 15 && mapDepth != 16 && mapDepth != 24 && mapDepth != 32)
            throw DecodeError("Invalid image");
        const unsigned entry = (mapDepth + 7) / 8;
        const unsigned char* map = c.bytes(static_cast<size_t>(mapLength) * entry);
        palette.resize(mapFirst + mapLength, 0xFF000000u);
        for (unsigned i = 0; i < mapLength; ++i)
            palette[mapFirst + i] = fromPacked(map + i * entry, mapDepth, true);
    }

    Image img(width, height);
    if (img.empty()) throw DecodeError("Invalid image");
    const unsigned bytesPerPixel = (depth + 7) / 8;
    const bool alphaBits = (descriptor & 15) != 0;
    auto convert = [&](const unsigned char* p) -> uint32_t {
        if (baseType != 1) return fromPacked(p, depth, alphaBits || depth == 32);
        return p[0] < palette.size() ? palette[p[0]] : 0xFF000000u;
    };

    // Pixels go straight to their place, so no second full-size buffer is needed.
    const bool topDown = (descriptor & 0x20) != 0, rightToLeft = (descriptor & 0x10) != 0;
    const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
    size_t done = 0;
    auto put = [&](uint32_t argbValue) {
        const int y = static_cast<int>(done / static_cast<size_t>(width));
        const int x = static_cast<int>(done % static_cast<size_t>(width));
        img.setPixel(rightToLeft ? width - 1 - x : x, topDown ? y : height - 1 - y, argbValue);
        ++done;
    };
    while (done < total) {
        if (!rle) {
            put(convert(c.bytes(bytesPerPixel)));
            continue;
        }
        const unsigned packet = c.u8();
        const size_t count = std::min<size_t>((packet & 0x7F) + 1, total - done);
        if (packet & 0x80) {
            const uint32_t value = convert(c.bytes(bytesPerPixel));
            for (size_t i = 0; i < count; ++i) put(value);
        } else {
            for (size_t i = 0; i < count; ++i) put(convert(c.bytes(bytesPerPixel)));
        }
    }
    Decoded out;
    out.frames.push_back({std::move(img), 0});
    return out;
}

}  // namespace pictures
