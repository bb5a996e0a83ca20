// RIFF AVI reading: the chunk tree, the video stream's format and its frames.
#include "vcl/AviClip.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "base/Error.h"
#include "base/LittleEndian.h"

namespace vcl {

namespace {

[[noreturn]] void fail(const std::string& why) { throw base::StreamError("Invalid AVI clip: " + why); }

constexpr uint32_t fourCC(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[0])) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[1])) << 8) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[2])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[3])) << 24);
}

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1;

struct Chunk {
    uint32_t id;
    std::string_view data;
};

// The chunks of `data` in order; a chunk running past the end is cut at it.
std::vector<Chunk> chunksOf(std::string_view data) {
    std::vector<Chunk> out;
    size_t pos = 0;
    while (pos + 8 <= data.size()) {
        const auto* p = reinterpret_cast<const unsigned char*>(data.data() + pos);
        const uint32_t id = base::readLE32(p);
        const uint64_t size = base::readLE32(p + 4);
        pos += 8;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(size, data.size() - pos));
        out.push_back({id, data.substr(pos, take)});
        pos += take + (size & 1);
    }
    return out;
}

uint32_t le32(std::string_view d, size_t at) {
    return at + 4 <= d.size() ? base::readLE32(reinterpret_cast<const unsigned char*>(d.data() + at)) : 0;
}
uint16_t le16(std::string_view d, size_t at) {
    return at + 2 <= d.size() ? base::readLE16(reinterpret_cast<const unsigned char*>(d.data() + at)) : 0;
}

struct Reader {
    // From the headers.
    int64_t mainMicroseconds = 0;
    int stream = -1, videoStream = -1;
    uint32_t scale = 0, rate = 0;
    int width = 0, height = 0, bits = 0;
    bool bottomUp = true;
    uint32_t compression = 0;
    std::array<uint32_t, 256> palette{};
    bool haveFormat = false;
    // The frames and, for RLE8, the index picture each frame draws over.
    AviClip clip;
    std::vector<uint8_t> indices;

    // Lists nest only a few levels in real clips; deeper input is refused, so it cannot
    // exhaust the stack.
    static constexpr int kMaxDepth = 16;

    void walk(std::string_view data, int depth = 0) {
        if (depth > kMaxDepth) fail("lists nested too deeply");
        for (const Chunk& c : chunksOf(data)) {
            if (c.id == fourCC("LIST") && c.data.size() >= 4) {
                const uint32_t type = le32(c.data, 0);
                if (type == fourCC("strl")) ++stream;
                if (type == fourCC("movi")) {
                    if (!haveFormat) fail("frames come before the video format");
                    // A clip too large is refused before any of it is decoded.
                    const int64_t frames = countFrames(c.data.substr(4), depth + 1);
                    if (frames > kMaxAviFrames || frames * width * height > kMaxAviPixels)
                        fail("clip too large");
                }
                walk(c.data.substr(4), depth + 1);
            } else if (c.id == fourCC("avih")) {
                mainMicroseconds = le32(c.data, 0);
            } else if (c.id == fourCC("strh")) {
                if (le32(c.data, 0) == fourCC("vids") && videoStream < 0) {
                    videoStream = stream;
                    scale = le32(c.data, 20);
                    rate = le32(c.data, 24);
                }
            } else if (c.id == fourCC("strf")) {
                if (stream == videoStream && stream >= 0 && !haveFormat) format(c.data);
            } else if (haveFormat && isVideoChunk(c.id)) {
                frame(c.id, c.data);
            }
        }
    }

    int64_t countFrames(std::string_view data, int depth) const {
        if (depth > kMaxDepth) fail("lists nested too deeply");
        int64_t n = 0;
        for (const Chunk& c : chunksOf(data)) {
            if (c.id == fourCC("LIST") && c.data.size() >= 4)
                n += countFrames(c.data.substr(4), depth + 1);
            else if (isVideoChunk(c.id) && (c.id >> 16) != (fourCC("00pc") >> 16))
                ++n;
        }
        return n;
    }

    bool isVideoChunk(uint32_t id) const {
        const char a = static_cast<char>(id & 0xFF), b = static_cast<char>((id >> 8) & 0xFF);
        if (a < '0' || a > '9' || b < '0' || b > '9') return false;
        return (a - '0') * 10 + (b - '0') == videoStream;
    }

    void format(std::string_view f) {
        if (f.size() < 40) fail("short video format");
        const uint32_t headerSize = le32(f, 0);
        const auto w = static_cast<int32_t>(le32(f, 4));
        const auto h = static_cast<int32_t>(le32(f, 8));
        bits = le16(f, 14);
        compression = le32(f, 16);
        uint32_t colours = le32(f, 32);
        if (w <= 0 || h == 0 || h == INT32_MIN || w > kMaxAviDimension || std::abs(h) > kMaxAviDimension)
            fail("frame size out of range");
        width = w;
        height = std::abs(h);
        bottomUp = h > 0;
        if (compression == kBiRle8) {
            if (bits != 8) fail("RLE8 frames must have 8 bits per pixel");
            bottomUp = true;
        } else if (compression != kBiRgb) {
            fail("compressed frames other than RLE8");
        } else if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
            fail("unsupported bits per pixel");
        }
        if (bits == 8) {
            if (colours == 0 || colours > 256) colours = 256;
            const size_t at = std::min<size_t>(headerSize, f.size());
            for (uint32_t i = 0; i < colours && at + 4 * i + 4 <= f.size(); ++i)
                palette[i] = 0xFF000000u | (le32(f, at + 4 * i) & 0xFFFFFFu);
            indices.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        }
        haveFormat = true;
    }

    void frame(uint32_t id, std::string_view data) {
        const uint32_t kind = id >> 16;
        if (kind == (fourCC("00pc") >> 16)) {
            paletteChange(data);
            return;
        }
        if (kind != (fourCC("00db") >> 16) && kind != (fourCC("00dc") >> 16)) return;
        if (static_cast<int>(clip.frames.size()) >= kMaxAviFrames ||
            static_cast<int64_t>(clip.frames.size() + 1) * width * height > kMaxAviPixels)
            fail("clip too large");
        // An empty chunk repeats the frame before.
        if (data.empty() && !clip.frames.empty()) {
            clip.frames.push_back(clip.frames.back());
            return;
        }
        if (compression == kBiRle8) {
            rle8(data);
            clip.frames.push_back(fromIndices());
        } else {
            clip.frames.push_back(uncompressed(data));
        }
    }

    void paletteChange(std::string_view d) {
        if (d.size() < 4) return;
        const auto first = static_cast<unsigned char>(d[0]);
        int count = static_cast<unsigned char>(d[1]);
        if (count == 0) count = 256;
        for (int i = 0; i < count && first + i < 256 && 4 + 4 * static_cast<size_t>(i) + 4 <= d.size(); ++i) {
            const auto* p = reinterpret_cast<const unsigned char*>(d.data() + 4 + 4 * i);
            // PALETTEENTRY is red, green, blue, flags.
            palette[static_cast<size_t>(first + i)] =
                0xFF000000u | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        }
    }

    pictures::Image uncompressed(std::string_view d) {
        const size_t stride = ((static_cast<size_t>(width) * static_cast<size_t>(bits) + 31) / 32) * 4;
        if (d.size() < stride * static_cast<size_t>(height)) fail("frame data too short");
        pictures::Image img(width, height);
        for (int y = 0; y < height; ++y) {
            const int srcRow = bottomUp ? height - 1 - y : y;
            const auto* s =
                reinterpret_cast<const unsigned char*>(d.data()) + stride * static_cast<size_t>(srcRow);
            uint32_t* out = img.row(y);
            for (int x = 0; x < width; ++x) {
                switch (bits) {
                case 8: out[x] = palette[s[x]]; break;
                case 16: {
                    const uint16_t v = base::readLE16(s + 2 * x);
                    const uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                    out[x] = 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) |
                             ((b << 3) | (b >> 2));
                    break;
                }
                case 24:
                    out[x] = 0xFF000000u | (uint32_t{s[3 * x + 2]} << 16) | (uint32_t{s[3 * x + 1]} << 8) |
                             s[3 * x];
                    break;
                default: out[x] = 0xFF000000u | (base::readLE32(s + 4 * x) & 0xFFFFFFu); break;
                }
            }
        }
        return img;
    }

    // RLE8 as bitmaps use it: runs, literal strings padded to words, line ends, jumps and
    // the end of the picture. Rows count from the bottom.
    void rle8(std::string_view d) {
        const auto* p = reinterpret_cast<const unsigned char*>(d.data());
        const size_t n = d.size();
        size_t i = 0;
        int x = 0, y = 0;
        auto put = [&](uint8_t v) {
            if (x < width && y < height) indices[static_cast<size_t>(y) * static_cast<size_t>(width) + x] = v;
            ++x;
        };
        while (i + 1 < n && y < height) {
            const uint8_t count = p[i], value = p[i + 1];
            i += 2;
            if (count > 0) {
                for (int k = 0; k < count; ++k) put(value);
            } else if (value == 0) {
                x = 0;
                ++y;
            } else if (value == 1) {
                return;
            } else if (value == 2) {
                if (i + 1 >= n) return;
                x += p[i];
                y += p[i + 1];
                i += 2;
            } else {
                for (int k = 0; k < value && i < n; ++k) put(p[i++]);
                if (value & 1) ++i;
            }
        }
    }

    pictures::Image fromIndices() const {
        pictures::Image img(width, height);
        for (int y = 0; y < height; ++y) {
            const uint8_t* s =
                indices.data() + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
            uint32_t* out = img.row(y);
            for (int x = 0; x < width; ++x) out[x] = palette[s[x]];
        }
        return img;
    }
};

}  // namespace

AviClip readAviClip(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "AVI ")
        fail("not a RIFF AVI file");
    const uint64_t size = le32(bytes, 4);
    Reader r;
    r.walk(bytes.substr(
        12, static_cast<size_t>(std::min<uint64_t>(size >= 4 ? size - 4 : 0, bytes.size() - 12))));
    if (r.videoStream < 0 || !r.haveFormat) fail("no video stream");
    if (r.clip.frames.empty()) fail("no frames");
    r.clip.width = r.width;
    r.clip.height = r.height;
    int64_t us = 0;
    if (r.scale > 0 && r.rate > 0) us = static_cast<int64_t>(r.scale) * 1000000 / r.rate;
    if (us <= 0) us = r.mainMicroseconds;
    r.clip.frameMicroseconds = us > 0 ? us : 66667;
    return std::move(r.clip);
}

}  // namespace vcl
