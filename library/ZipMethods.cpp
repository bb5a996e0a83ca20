#include "library/ZipMethods.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace library::zip {

namespace {

constexpr size_t kChunk = 256 * 1024;

// Compressed bits, least significant first, as every ZIP method packs them.
class BitInput {
public:
    explicit BitInput(const ReadFn& in) : m_in(in), m_buffer(kChunk) {}

    // The next `n` bits (n <= 24), or -1 when the data ends first.
    int32_t bits(int n) {
        while (m_count < n) {
            if (m_pos == m_length) {
                m_length = m_ended ? 0 : m_in(m_buffer.data(), m_buffer.size());
                m_pos = 0;
                if (m_length == 0) {
                    m_ended = true;
                    return -1;
                }
            }
            m_bits |= static_cast<uint32_t>(m_buffer[m_pos++]) << m_count;
            m_count += 8;
        }
        const auto v = static_cast<int32_t>(m_bits & ((1u << n) - 1));
        m_bits >>= n;
        m_count -= n;
        return v;
    }

private:
    const ReadFn& m_in;
    std::vector<uint8_t> m_buffer;
    size_t m_pos = 0, m_length = 0;
    uint32_t m_bits = 0;
    int m_count = 0;
    bool m_ended = false;
};

// Decoded bytes on their way to the sink, kept long enough for the dictionary to look back
// into them. Refuses to go beyond the declared size.
class Window {
public:
    Window(const WriteFn& out, uint64_t limit) : m_out(out), m_ring(kSize), m_limit(limit) {}

    // False (and nothing stored) once the declared size is reached.
    bool put(uint8_t b) {
        if (m_total >= m_limit) return false;
        m_ring[m_total & kMask] = b;
        if (++m_total - m_flushed == kSize) flush();
        return true;
    }
    // The byte `distance` (>= 1) back; before the start of the output the dictionary holds zeros.
    uint8_t back(uint64_t distance) const {
        return distance > m_total ? 0 : m_ring[(m_total - distance) & kMask];
    }
    bool full() const { return m_total >= m_limit; }
    uint64_t total() const { return m_total; }

    void flush() {
        while (m_flushed < m_total) {
            const size_t start = m_flushed & kMask;
            const size_t n = static_cast<size_t>(std::min<uint64_t>(m_total - m_flushed, kSize - start));
            m_out(m_ring.data() + start, n);
            m_flushed += n;
        }
    }

private:
    static constexpr size_t kSize = size_t{1} << 16;
    static constexpr size_t kMask = kSize - 1;
    const WriteFn& m_out;
    std::vector<uint8_t> m_ring;
    uint64_t m_total = 0, m_flushed = 0, m_limit;
};

Decoded finished(Window& w, uint64_t size) {
    w.flush();
    return w.total() == size ? Decoded::Ok : Decoded::Corrupt;
}

// ---- shrink: LZW with 9- to 13-bit codes, explicit width steps and partial clears ----

class ShrinkTable {
public:
    static constexpr int kCodes = 8192;
    static constexpr int kFirstFree = 257;

    ShrinkTable() {
        for (int i = 0; i < 256; ++i) m_value[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    }
    bool inUse(int code) const { return code < kFirstFree || m_used[static_cast<size_t>(code)]; }
    int nextFree() const { return m_free; }

    // The string of `code` into `out`, last byte first; its length, or 0 when the chain of
    // prefixes loops (only a damaged stream can make one).
    size_t spell(int code, std::array<uint8_t, kCodes>& out) const {
        size_t n = 0;
        while (code >= kFirstFree) {
            if (n + 1 >= out.size()) return 0;
            out[n++] = m_value[static_cast<size_t>(code)];
            code = m_parent[static_cast<size_t>(code)];
        }
        out[n++] = m_value[static_cast<size_t>(code)];
        return n;
    }

    void add(int prefix, uint8_t byte) {
        if (m_free >= kCodes) return;
        m_parent[static_cast<size_t>(m_free)] = static_cast<uint16_t>(prefix);
        m_value[static_cast<size_t>(m_free)] = byte;
        m_used[static_cast<size_t>(m_free)] = true;
        findFree(m_free + 1);
    }

    // Frees every code no other code extends.
    void partialClear() {
        std::array<bool, kCodes> isPrefix{};
        for (int c = kFirstFree; c < kCodes; ++c)
            if (m_used[static_cast<size_t>(c)]) isPrefix[m_parent[static_cast<size_t>(c)]] = true;
        for (int c = kFirstFree; c < kCodes; ++c)
            if (!isPrefix[static_cast<size_t>(c)]) m_used[static_cast<size_t>(c)] = false;
        findFree(kFirstFree);
    }

private:
    void findFree(int from) {
        m_free = from;
        while (m_free < kCodes && m_used[static_cast<size_t>(m_free)]) ++m_free;
    }

    std::array<uint16_t, kCodes> m_parent{};
    std::array<uint8_t, kCodes> m_value{};
    std::array<bool, kCodes> m_used{};
    int m_free = kFirstFree;
};

// ---- implode: Shannon-Fano trees, decoded as canonical codes over inverted bits ----

class SfTree {
public:
    // Reads the tree's run-length description; false when it is malformed.
    bool read(BitInput& in, int symbols) {
        const int32_t bytes = in.bits(8);
        if (bytes < 0) return false;
        std::vector<uint8_t> lengths;
        for (int i = 0; i <= bytes; ++i) {
            const int32_t b = in.bits(8);
            if (b < 0) return false;
            lengths.insert(lengths.end(), static_cast<size_t>((b >> 4) + 1),
                           static_cast<uint8_t>((b & 15) + 1));
        }
        if (static_cast<int>(lengths.size()) != symbols) return false;
        m_count.fill(0);
        for (uint8_t l : lengths) ++m_count[l];
        int left = 1;
        for (int l = 1; l <= 16; ++l) {
            left = left * 2 - m_count[static_cast<size_t>(l)];
            if (left < 0) return false;  // more codes than the lengths allow
        }
        std::array<int, 18> offset{};
        for (int l = 1; l <= 16; ++l)
            offset[static_cast<size_t>(l + 1)] =
                offset[static_cast<size_t>(l)] + m_count[static_cast<size_t>(l)];
        m_symbol.assign(lengths.size(), 0);
        for (size_t s = 0; s < lengths.size(); ++s)
            m_symbol[static_cast<size_t>(offset[lengths[s]]++)] = static_cast<uint16_t>(s);
        return true;
    }

    // The next symbol, or -1 at the end of the data or on a code the tree does not have.
    int decode(BitInput& in) const {
        int code = 0, first = 0, index = 0;
        for (int l = 1; l <= 16; ++l) {
            const int32_t bit = in.bits(1);
            if (bit < 0) return -1;
            code |= bit ^ 1;
            const int count = m_count[static_cast<size_t>(l)];
            if (code - first < count) return m_symbol[static_cast<size_t>(index + code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }

private:
    std::array<int, 17> m_count{};
    std::vector<uint16_t> m_symbol;
};

}  // namespace

Decoded copyStored(const ReadFn& in, const WriteFn& out, uint64_t size) {
    std::vector<uint8_t> buffer(kChunk);
    uint64_t total = 0;
    while (size_t n = in(buffer.data(), buffer.size())) {
        if (n > size - total) {
            out(buffer.data(), static_cast<size_t>(size - total));
            return Decoded::Corrupt;
        }
        out(buffer.data(), n);
        total += n;
    }
    return total == size ? Decoded::Ok : Decoded::Corrupt;
}

Decoded unshrink(const ReadFn& in, const WriteFn& out, uint64_t size) {
    BitInput bits(in);
    Window w(out, size);
    auto table = std::make_unique<ShrinkTable>();
    auto spelled = std::make_unique<std::array<uint8_t, ShrinkTable::kCodes>>();
    int width = 9;
    int prev = bits.bits(width);
    if (prev < 0) return finished(w, size);
    if (prev > 255 || !w.put(static_cast<uint8_t>(prev))) return Decoded::Corrupt;
    for (;;) {
        const int code = bits.bits(width);
        if (code < 0) break;
        if (code == 256) {
            const int what = bits.bits(width);
            if (what == 1 && width < 13) {
                ++width;
            } else if (what == 2) {
                table->partialClear();
            } else if (what >= 0) {
                return Decoded::Corrupt;
            }
            continue;
        }
        // A code not yet defined can only be the one this step defines: the previous string
        // followed by its own first byte.
        const bool pending = !table->inUse(code);
        if (pending && code != table->nextFree()) return Decoded::Corrupt;
        const size_t n = table->spell(pending ? prev : code, *spelled);
        if (n == 0) return Decoded::Corrupt;
        const uint8_t first = (*spelled)[n - 1];
        for (size_t i = n; i-- > 0;)
            if (!w.put((*spelled)[i])) return Decoded::Corrupt;
        if (pending && !w.put(first)) return Decoded::Corrupt;
        table->add(prev, first);
        prev = code;
    }
    return finished(w, size);
}

Decoded explode(const ReadFn& in, const WriteFn& out, uint64_t size, uint16_t flags) {
    BitInput bits(in);
    Window w(out, size);
    const int lowBits = (flags & 2) ? 7 : 6;  // 8 KiB or 4 KiB dictionary
    const bool literalTree = (flags & 4) != 0;
    const int minMatch = literalTree ? 3 : 2;
    SfTree literals, lengths, distances;
    if (literalTree && !literals.read(bits, 256)) return Decoded::Corrupt;
    if (!lengths.read(bits, 64) || !distances.read(bits, 64)) return Decoded::Corrupt;
    while (!w.full()) {
        const int32_t kind = bits.bits(1);
        if (kind < 0) return Decoded::Corrupt;
        if (kind == 1) {
            const int literal = literalTree ? literals.decode(bits) : bits.bits(8);
            if (literal < 0) return Decoded::Corrupt;
            w.put(static_cast<uint8_t>(literal));
            continue;
        }
        const int32_t low = bits.bits(lowBits);
        const int high = distances.decode(bits);
        int length = lengths.decode(bits);
        if (low < 0 || high < 0 || length < 0) return Decoded::Corrupt;
        if (length == 63) {
            const int32_t more = bits.bits(8);
            if (more < 0) return Decoded::Corrupt;
            length += more;
        }
        length += minMatch;
        const uint64_t distance = ((static_cast<uint64_t>(high) << lowBits) | static_cast<uint64_t>(low)) + 1;
        // A match running past the declared size ends the entry there.
        for (int i = 0; i < length && w.put(w.back(distance)); ++i) {
        }
    }
    return finished(w, size);
}

Decoded inflateRaw(const ReadFn& in, const WriteFn& out, uint64_t size) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return Decoded::Corrupt;
    struct End {
        z_stream* z;
        ~End() { inflateEnd(z); }
    } end{&z};
    std::vector<uint8_t> input(kChunk), output(kChunk);
    uint64_t total = 0;
    bool inputEnded = false;
    for (;;) {
        if (z.avail_in == 0 && !inputEnded) {
            const size_t n = in(input.data(), input.size());
            inputEnded = n == 0;
            z.next_in = input.data();
            z.avail_in = static_cast<uInt>(n);
        }
        z.next_out = output.data();
        z.avail_out = static_cast<uInt>(output.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        const size_t produced = output.size() - z.avail_out;
        if (produced > size - total) {
            out(output.data(), static_cast<size_t>(size - total));
            return Decoded::Corrupt;
        }
        out(output.data(), produced);
        total += produced;
        if (rc == Z_STREAM_END) return total == size ? Decoded::Ok : Decoded::Corrupt;
        if (rc == Z_BUF_ERROR && inputEnded) return Decoded::Corrupt;
        if (rc != Z_OK && rc != Z_BUF_ERROR) return Decoded::Corrupt;
    }
}

}  // namespace library::zip
