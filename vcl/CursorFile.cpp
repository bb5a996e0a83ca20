// Cursor and animated-cursor readers over the bounds-checked byte reader.
#include "vcl/CursorFile.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/ByteReader.h"
#include "pictures/Loaders.h"

namespace vcl {
namespace {

using pictures::DecodeError;
using pictures::Image;

[[noreturn]] void invalid() { throw DecodeError("Invalid cursor"); }
[[noreturn]] void shortRead(const base::ByteReader&, size_t) { invalid(); }

base::ByteReader reader(std::string_view data) { return base::ByteReader(data, 0, &shortRead); }

uint32_t opaque(uint32_t bgr) { return 0xFF000000u | (bgr & 0xFFFFFF); }

// Bits per pixel at column x of a bottom-up bitmap row.
uint32_t sample(const unsigned char* row, int x, int bpp) {
    switch (bpp) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    case 8: return row[x];
    case 24: return uint32_t(row[x * 3]) | uint32_t(row[x * 3 + 1]) << 8 | uint32_t(row[x * 3 + 2]) << 16;
    default:
        return uint32_t(row[x * 4]) | uint32_t(row[x * 4 + 1]) << 8 | uint32_t(row[x * 4 + 2]) << 16 |
               uint32_t(row[x * 4 + 3]) << 24;
    }
}

uint32_t premultiplied(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 0xFF) return argb;
    auto ch = [a](uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | ch((argb >> 16) & 0xFF) << 16 | ch((argb >> 8) & 0xFF) << 8 | ch(argb & 0xFF);
}

// A device-independent bitmap with its transparency mask below it, as icon and cursor
// entries hold them: the header's height counts both.
Image decodeDib(std::string_view data) {
    base::ByteReader r = reader(data);
    const uint32_t headerSize = r.le32();
    if (headerSize < 40 || headerSize > data.size()) invalid();
    const int32_t width = r.s32();
    const int32_t fullHeight = r.s32();
    r.le16();  // planes
    const uint16_t bpp = r.le16();
    const uint32_t compression = r.le32();
    r.skip(12);  // image size, resolution
    uint32_t colours = r.le32();
    if (width <= 0 || width > kMaxCursorSide || fullHeight <= 0 || fullHeight % 2 ||
        fullHeight / 2 > kMaxCursorSide)
        invalid();
    if (compression != 0 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)) invalid();
    const int height = fullHeight / 2;

    r.seek(headerSize);
    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        const uint32_t most = 1u << bpp;
        if (colours == 0 || colours > most) colours = most;
        palette.resize(most, 0);
        for (uint32_t i = 0; i < colours; ++i) palette[i] = r.le32();
    }
    const size_t stride = ((size_t(width) * bpp + 31) / 32) * 4;
    const size_t maskStride = ((size_t(width) + 31) / 32) * 4;
    const unsigned char* colour = r.bytes(stride * size_t(height));
    // Some writers leave the mask out of 32-bit entries; the alpha channel then says it all.
    const unsigned char* mask =
        r.has(maskStride * size_t(height)) ? r.bytes(maskStride * size_t(height)) : nullptr;
    if (!mask && bpp != 32) invalid();

    bool anyAlpha = false;
    if (bpp == 32)
        for (int y = 0; y < height && !anyAlpha; ++y)
            for (int x = 0; x < width && !anyAlpha; ++x)
                anyAlpha = sample(colour + stride * size_t(y), x, 32) >> 24;

    Image img(width, height, 0);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = colour + stride * size_t(height - 1 - y);
        const unsigned char* maskRow = mask ? mask + maskStride * size_t(height - 1 - y) : nullptr;
        for (int x = 0; x < width; ++x) {
            const uint32_t v = sample(row, x, bpp);
            const uint32_t bgr = bpp <= 8 ? palette[v] : v;
            const bool masked = maskRow && ((maskRow[x / 8] >> (7 - x % 8)) & 1);
            uint32_t argb;
            if (bpp == 32 && anyAlpha)
                argb = premultiplied(v);
            else if (!masked)
                argb = opaque(bgr);
            else
                // A masked pixel with colour inverts the screen below, which a toolkit cursor
                // cannot do; black keeps it visible on the light surfaces cursors mostly cross.
                argb = (bgr & 0xFFFFFF) ? 0xFF000000u : 0;
            img.setPixel(x, y, argb);
        }
    }
    return img;
}

Image decodeEntryImage(std::string_view bytes) {
    if (bytes.size() >= 8 && bytes.substr(0, 8) == "\x89PNG\r\n\x1a\n") {
        pictures::Decoded d = pictures::decode(bytes, pictures::Format::Png);
        if (d.empty()) invalid();
        Image img = std::move(d.frames.front().image);
        if (img.width > kMaxCursorSide || img.height > kMaxCursorSide) invalid();
        return img;
    }
    return decodeDib(bytes);
}

struct RiffChunk {
    std::string_view id;
    std::string_view body;
};

// The chunks of a RIFF body in order; a chunk that claims more than is left is bad data.
std::vector<RiffChunk> riffChunks(std::string_view data) {
    std::vector<RiffChunk> chunks;
    base::ByteReader r = reader(data);
    while (r.remaining() >= 8) {
        RiffChunk c;
        c.id = r.take(4);
        const uint32_t size = r.le32();
        if (size > r.remaining()) invalid();
        c.body = r.take(size);
        if (size % 2 && r.remaining()) r.skip(1);  // chunks are padded to even sizes
        chunks.push_back(c);
        if (chunks.size() > kMaxCursorFrames * 2 + 16) invalid();
    }
    return chunks;
}

std::vector<uint32_t> dwords(std::string_view body, size_t count) {
    base::ByteReader r = reader(body);
    std::vector<uint32_t> out(count);
    for (uint32_t& v : out) v = r.le32();
    return out;
}

}  // namespace

CursorFrame readCursor(std::string_view data, int size) {
    base::ByteReader r = reader(data);
    if (r.le16() != 0) invalid();
    const uint16_t type = r.le16();
    const uint16_t count = r.le16();
    if ((type != 1 && type != 2) || count == 0) invalid();
    struct Entry {
        int side;
        uint16_t hotX, hotY;
        uint32_t length, offset;
    };
    std::vector<Entry> entries(count);
    for (Entry& e : entries) {
        const int w = r.u8();
        r.skip(3);  // height, colour count, reserved
        e.side = w == 0 ? 256 : w;
        e.hotX = r.le16();
        e.hotY = r.le16();
        e.length = r.le32();
        e.offset = r.le32();
    }
    const Entry& best = *std::min_element(
        entries.begin(), entries.end(),
        [size](const Entry& a, const Entry& b) { return std::abs(a.side - size) < std::abs(b.side - size); });
    if (best.offset > data.size() || best.length > data.size() - best.offset) invalid();
    CursorFrame f;
    f.image = decodeEntryImage(data.substr(best.offset, best.length));
    if (type == 2) {
        f.hotX = std::min<int>(best.hotX, f.image.width - 1);
        f.hotY = std::min<int>(best.hotY, f.image.height - 1);
    } else {
        f.hotX = f.image.width / 2;
        f.hotY = f.image.height / 2;
    }
    return f;
}

CursorData readAnimatedCursor(std::string_view data) {
    base::ByteReader r = reader(data);
    if (r.take(4) != "RIFF") invalid();
    const uint32_t size = r.le32();
    if (size < 4 || size > r.remaining()) invalid();
    std::string_view body = r.take(size);
    if (body.substr(0, 4) != "ACON") invalid();

    std::string_view header, rates, seq;
    std::vector<std::string_view> icons;
    for (const RiffChunk& c : riffChunks(body.substr(4))) {
        if (c.id == "anih")
            header = c.body;
        else if (c.id == "rate")
            rates = c.body;
        else if (c.id == "seq ")
            seq = c.body;
        else if (c.id == "LIST" && c.body.substr(0, 4) == "fram")
            for (const RiffChunk& f : riffChunks(c.body.substr(4)))
                if (f.id == "icon") icons.push_back(f.body);
    }
    if (header.size() < 36 || icons.empty() || icons.size() > kMaxCursorFrames) invalid();
    base::ByteReader h = reader(header);
    h.skip(8);  // header size, frame count (the frames present count)
    const uint32_t steps = h.le32();
    h.skip(16);  // width, height, bit count, planes: the frames carry their own
    const uint32_t jiffies = h.le32();
    const uint32_t flags = h.le32();
    if (!(flags & 1)) invalid();  // raw bitmap frames: not a layout any cursor uses

    CursorData out;
    int64_t pixels = 0;
    for (std::string_view icon : icons) {
        out.frames.push_back(readCursor(icon));
        pixels += int64_t(out.frames.back().image.width) * out.frames.back().image.height;
        if (pixels > pictures::kMaxPixels) invalid();
    }
    const size_t stepCount = (flags & 2) || steps ? steps : icons.size();
    if (stepCount == 0 || stepCount > kMaxCursorSteps) invalid();
    if (flags & 2) {
        if (seq.size() < stepCount * 4) invalid();
        for (uint32_t v : dwords(seq, stepCount)) {
            if (v >= out.frames.size()) invalid();
            out.sequence.push_back(v);
        }
    } else {
        for (size_t i = 0; i < stepCount; ++i) out.sequence.push_back(i % out.frames.size());
    }
    // A rate of 0 would spin; one jiffy (1/60 s) is the fastest any cursor asks for.
    auto ms = [](uint32_t j) { return static_cast<int>(std::clamp<uint32_t>(j, 1, 6000) * 1000 / 60); };
    if (rates.size() >= stepCount * 4) {
        for (uint32_t v : dwords(rates, stepCount)) out.delaysMs.push_back(ms(v));
    } else {
        out.delaysMs.assign(stepCount, ms(jiffies));
    }
    return out;
}

CursorData readCursorFile(std::string_view data) {
    if (data.substr(0, 4) == "RIFF") return readAnimatedCursor(data);
    CursorData out;
    out.frames.push_back(readCursor(data));
    out.sequence.push_back(0);
    out.delaysMs.push_back(0);
    return out;
}

}  // namespace vcl
