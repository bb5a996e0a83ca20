// Test archives written byte by byte: entries with any name, flags, method and declared
// sizes, plus small encoders for the two legacy methods (shrink and implode) whose output
// the tests check with Info-ZIP's `unzip -t` before trusting it.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/LittleEndian.h"

namespace zipfix {

class BitWriter {
public:
    void put(uint32_t value, int bits) {
        m_acc |= static_cast<uint64_t>(value) << m_count;
        m_count += bits;
        while (m_count >= 8) {
            m_out.push_back(static_cast<char>(m_acc & 0xFF));
            m_acc >>= 8;
            m_count -= 8;
        }
    }
    std::string finish() {
        if (m_count > 0) m_out.push_back(static_cast<char>(m_acc & 0xFF));
        m_acc = 0;
        m_count = 0;
        return m_out;
    }

private:
    std::string m_out;
    uint64_t m_acc = 0;
    int m_count = 0;
};

// Dynamic LZW as shrink packs it: codes from 9 bits, widened by the 256,1 signal when the
// next code would not fit. When the table fills, the next code sent is a single byte and a
// partial clear (256,2) follows it, so the entry the decoder adds next hangs off a code no
// clear can free.
inline std::string shrink(std::string_view data) {
    constexpr int kCodes = 8192;
    BitWriter w;
    int width = 9;
    std::vector<int> parent(kCodes, -1);
    std::vector<uint8_t> value(kCodes);
    std::vector<bool> used(kCodes, false);
    std::unordered_map<uint32_t, int> table;  // (prefix code << 8 | byte) -> code
    int nextFree = 257;
    auto findFree = [&](int from) {
        nextFree = from;
        while (nextFree < kCodes && used[static_cast<size_t>(nextFree)]) ++nextFree;
    };
    auto put = [&](int code) {
        while (code >= (1 << width)) {
            w.put(256, width);
            w.put(1, width);
            ++width;
        }
        w.put(static_cast<uint32_t>(code), width);
    };
    auto partialClear = [&] {
        std::vector<bool> isPrefix(kCodes, false);
        for (int c = 257; c < kCodes; ++c)
            if (used[static_cast<size_t>(c)] && parent[static_cast<size_t>(c)] >= 257)
                isPrefix[static_cast<size_t>(parent[static_cast<size_t>(c)])] = true;
        for (int c = 257; c < kCodes; ++c) {
            if (!used[static_cast<size_t>(c)] || isPrefix[static_cast<size_t>(c)]) continue;
            used[static_cast<size_t>(c)] = false;
            table.erase(static_cast<uint32_t>(parent[static_cast<size_t>(c)]) << 8 |
                        value[static_cast<size_t>(c)]);
        }
        findFree(257);
    };
    bool single = false;
    for (size_t i = 0; i < data.size();) {
        int code = static_cast<uint8_t>(data[i]);
        size_t length = 1;
        while (!single && i + length < data.size()) {
            auto it = table.find(static_cast<uint32_t>(code) << 8 | static_cast<uint8_t>(data[i + length]));
            if (it == table.end()) break;
            code = it->second;
            ++length;
        }
        put(code);
        if (single) {
            w.put(256, width);
            w.put(2, width);
            partialClear();
            single = false;
        }
        i += length;
        if (i >= data.size()) break;
        const auto c = static_cast<uint8_t>(data[i]);
        parent[static_cast<size_t>(nextFree)] = code;
        value[static_cast<size_t>(nextFree)] = c;
        used[static_cast<size_t>(nextFree)] = true;
        table[static_cast<uint32_t>(code) << 8 | c] = nextFree;
        findFree(nextFree + 1);
        single = nextFree >= kCodes;
    }
    return w.finish();
}

// Canonical codes for `lengths` (shortest first, then by symbol).
inline std::vector<uint32_t> canonicalCodes(const std::vector<int>& lengths) {
    std::array<int, 17> count{};
    for (int l : lengths) ++count[static_cast<size_t>(l)];
    std::array<uint32_t, 18> next{};
    uint32_t code = 0;
    for (int l = 1; l <= 16; ++l) {
        code = (code + static_cast<uint32_t>(count[static_cast<size_t>(l - 1)])) << 1;
        next[static_cast<size_t>(l)] = code;
    }
    std::vector<uint32_t> codes(lengths.size());
    for (size_t s = 0; s < lengths.size(); ++s) codes[s] = next[static_cast<size_t>(lengths[s])]++;
    return codes;
}

// Implode with a literal tree of mixed code lengths (7, 8 and 9 bits, interleaved so the
// stable sort by length matters) or raw literals, and flat 6-bit length and distance trees.
inline std::string implode(std::string_view data, bool bigDictionary, bool literalTree) {
    BitWriter w;
    std::vector<int> literalLengths(256);
    // 64 of 7 bits, 64 of 8 and 128 of 9: a complete tree.
    for (size_t s = 0; s < 256; ++s) literalLengths[s] = s % 4 == 0 ? 7 : s % 4 == 1 ? 8 : 9;
    if (literalTree) {
        w.put(255, 8);  // 256 runs of one symbol each
        for (int l : literalLengths) w.put(static_cast<uint32_t>(l - 1), 8);
    }
    for (int tree = 0; tree < 2; ++tree) {
        w.put(3, 8);
        for (int i = 0; i < 4; ++i) w.put((15 << 4) | 5, 8);  // 4 runs of 16 six-bit codes
    }
    const std::vector<uint32_t> literalCodes = canonicalCodes(literalLengths);
    // Shannon-Fano codes are the canonical ones with every bit inverted, sent first bit first.
    auto sf = [&](uint32_t code, int length) {
        for (int b = length - 1; b >= 0; --b) w.put(((code >> b) & 1) ^ 1, 1);
    };
    const int lowBits = bigDictionary ? 7 : 6;
    const size_t window = bigDictionary ? 8192 : 4096;
    const size_t minMatch = literalTree ? 3 : 2, maxMatch = minMatch + 63 + 255;
    std::unordered_map<uint32_t, std::vector<size_t>> seen;
    auto key = [&](size_t i) {
        return (static_cast<uint32_t>(static_cast<uint8_t>(data[i])) << 16) |
               (static_cast<uint32_t>(static_cast<uint8_t>(data[i + 1])) << 8) |
               static_cast<uint8_t>(data[i + 2]);
    };
    for (size_t i = 0; i < data.size();) {
        size_t bestLength = 0, bestDistance = 0;
        if (i + 3 <= data.size()) {
            auto& chain = seen[key(i)];
            for (size_t k = chain.size(); k-- > 0 && chain.size() - k <= 32;) {
                const size_t from = chain[k];
                if (i - from > window) break;
                size_t n = 0;
                while (i + n < data.size() && n < maxMatch && data[from + n] == data[i + n]) ++n;
                if (n > bestLength) bestLength = n, bestDistance = i - from;
            }
        }
        if (bestLength >= minMatch) {
            const size_t d = bestDistance - 1;
            w.put(0, 1);
            w.put(static_cast<uint32_t>(d & ((1u << lowBits) - 1)), lowBits);
            sf(static_cast<uint32_t>(d >> lowBits), 6);
            const size_t extra = bestLength - minMatch;
            sf(static_cast<uint32_t>(std::min<size_t>(extra, 63)), 6);
            if (extra >= 63) w.put(static_cast<uint32_t>(extra - 63), 8);
        } else {
            bestLength = 1;
            const auto byte = static_cast<uint8_t>(data[i]);
            w.put(1, 1);
            if (literalTree)
                sf(literalCodes[byte], literalLengths[byte]);
            else
                w.put(byte, 8);
        }
        for (size_t j = i; j < i + bestLength; ++j)
            if (j + 3 <= data.size()) seen[key(j)].push_back(j);
        i += bestLength;
    }
    return w.finish();
}

inline std::string deflateRaw(std::string_view data) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct Item {
    Item(std::string n, std::string d, uint16_t m = 8, uint16_t f = 0, std::optional<std::string> p = {})
        : name(std::move(n)), data(std::move(d)), method(m), flags(f), packed(std::move(p)) {}
    std::string name;  // stored bytes
    std::string data;  // uncompressed
    uint16_t method = 8;
    uint16_t flags = 0;
    std::optional<std::string> packed;     // the compressed bytes; made from data when unset
    std::optional<uint32_t> declaredSize;  // a lie about the uncompressed size
    std::optional<uint32_t> declaredCrc;   // a lie about the check value
    uint32_t externalAttributes = 0;
    uint16_t madeBy = 20;
};

inline std::string pack(const Item& item) {
    if (item.packed) return *item.packed;
    switch (item.method) {
    case 0: return item.data;
    case 1: return shrink(item.data);
    case 6: return implode(item.data, item.flags & 2, item.flags & 4);
    default: return deflateRaw(item.data);
    }
}

// Local headers carry zero sizes and a data descriptor follows the data when flag bit 3
// is set, as streaming writers do.
inline std::string build(const std::vector<Item>& items, std::string_view comment = {}) {
    std::string out, central;
    for (const Item& item : items) {
        const std::string packed = pack(item);
        const uint32_t crc = item.declaredCrc.value_or(static_cast<uint32_t>(::crc32(
            0, reinterpret_cast<const Bytef*>(item.data.data()), static_cast<uInt>(item.data.size()))));
        const uint32_t size = item.declaredSize.value_or(static_cast<uint32_t>(item.data.size()));
        const auto csize = static_cast<uint32_t>(packed.size());
        const bool descriptor = item.flags & 8;
        const auto offset = static_cast<uint32_t>(out.size());
        base::appendLE32(out, 0x04034b50);
        base::appendLE16(out, 20);
        base::appendLE16(out, item.flags);
        base::appendLE16(out, item.method);
        base::appendLE32(out, 0x5A6B0000);  // a DOS date and time
        base::appendLE32(out, descriptor ? 0 : crc);
        base::appendLE32(out, descriptor ? 0 : csize);
        base::appendLE32(out, descriptor ? 0 : size);
        base::appendLE16(out, static_cast<uint16_t>(item.name.size()));
        base::appendLE16(out, 0);
        out += item.name + packed;
        if (descriptor) {
            base::appendLE32(out, 0x08074b50);
            base::appendLE32(out, crc);
            base::appendLE32(out, csize);
            base::appendLE32(out, size);
        }
        base::appendLE32(central, 0x02014b50);
        base::appendLE16(central, item.madeBy);
        base::appendLE16(central, 20);
        base::appendLE16(central, item.flags);
        base::appendLE16(central, item.method);
        base::appendLE32(central, 0x5A6B0000);
        base::appendLE32(central, crc);
        base::appendLE32(central, csize);
        base::appendLE32(central, size);
        base::appendLE16(central, static_cast<uint16_t>(item.name.size()));
        base::appendLE32(central, 0);  // extra and comment lengths
        base::appendLE32(central, 0);  // disk, internal attributes
        base::appendLE32(central, item.externalAttributes);
        base::appendLE32(central, offset);
        central += item.name;
    }
    const auto dirOffset = static_cast<uint32_t>(out.size());
    out += central;
    base::appendLE32(out, 0x06054b50);
    base::appendLE32(out, 0);
    base::appendLE16(out, static_cast<uint16_t>(items.size()));
    base::appendLE16(out, static_cast<uint16_t>(items.size()));
    base::appendLE32(out, static_cast<uint32_t>(central.size()));
    base::appendLE32(out, dirOffset);
    base::appendLE16(out, static_cast<uint16_t>(comment.size()));
    out += comment;
    return out;
}

// Text with repeats near and far, then bytes that barely repeat: both halves of an LZ coder.
inline std::string sampleData(size_t size, uint32_t seed) {
    std::string out;
    uint32_t x = seed;
    const char* words[] = {"autorun ", "presentation ", "project ", "music ", "picture ", "\r\n", "show "};
    while (out.size() < size / 2) {
        x = x * 1103515245u + 12345u;
        out += words[(x >> 16) % 7];
    }
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        out.push_back(static_cast<char>((x >> 16) & ((x >> 28) & 1 ? 0xFF : 0x0F)));
    }
    out.resize(size);
    return out;
}

}  // namespace zipfix
