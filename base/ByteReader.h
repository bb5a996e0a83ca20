// A bounds-checked cursor over bytes in memory, for every reader of binary data that
// arrives from outside (component streams, picture blobs, metafiles).
//
// No read ever goes past the end: a read that needs more bytes than remain leaves the
// position where it was and calls the reader's shortfall handler, which must throw. The
// default handler throws base::StreamError("Stream read error"); a caller that wants its
// own exception or message passes its own handler, or asks has() first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace base {

class ByteReader {
public:
    // Called with the reader and the number of bytes the failed read needed.
    using Shortfall = void (*)(const ByteReader& reader, size_t needed);

    explicit ByteReader(std::string_view data, size_t position = 0, Shortfall onShort = nullptr)
        : m_data(data), m_pos(position <= data.size() ? position : data.size()), m_onShort(onShort) {}

    std::string_view data() const { return m_data; }
    size_t position() const { return m_pos; }
    size_t size() const { return m_data.size(); }
    size_t remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos == m_data.size(); }
    bool has(size_t n) const { return remaining() >= n; }

    // Moves to an absolute position; past the end counts as a short read.
    void seek(size_t position);
    void skip(size_t n) { take(n); }

    std::string_view take(size_t n) {
        need(n);
        std::string_view s = m_data.substr(m_pos, n);
        m_pos += n;
        return s;
    }
    const unsigned char* bytes(size_t n) { return reinterpret_cast<const unsigned char*>(take(n).data()); }
    // Everything from the position to the end.
    std::string_view rest() { return take(remaining()); }

    uint8_t u8() { return *bytes(1); }
    uint8_t peek() const {
        need(1);
        return static_cast<uint8_t>(m_data[m_pos]);
    }
    uint16_t le16();
    uint32_t le32();
    uint64_t le64();
    int8_t s8() { return static_cast<int8_t>(u8()); }
    int16_t s16() { return static_cast<int16_t>(le16()); }
    int32_t s32() { return static_cast<int32_t>(le32()); }
    int64_t s64() { return static_cast<int64_t>(le64()); }

    // One length byte, then that many bytes; nothing is consumed when they are not there.
    std::string_view shortString();

private:
    void need(size_t n) const {
        if (remaining() < n) shortfall(n);
    }
    [[noreturn]] void shortfall(size_t needed) const;

    std::string_view m_data;
    size_t m_pos;
    Shortfall m_onShort;
};

}  // namespace base
