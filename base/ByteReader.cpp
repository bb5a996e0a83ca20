#include "base/ByteReader.h"

#include "base/Error.h"
#include "base/LittleEndian.h"

namespace base {

void ByteReader::shortfall(size_t needed) const {
    if (m_onShort) m_onShort(*this, needed);
    // A handler that returns would let the caller read past the end.
    throw StreamError("Stream read error");
}

void ByteReader::seek(size_t position) {
    if (position > m_data.size()) shortfall(position - m_pos);
    m_pos = position;
}

uint16_t ByteReader::le16() { return readLE16(bytes(2)); }
uint32_t ByteReader::le32() { return readLE32(bytes(4)); }
uint64_t ByteReader::le64() { return readLE64(bytes(8)); }

std::string_view ByteReader::shortString() {
    need(1);
    const size_t n = static_cast<unsigned char>(m_data[m_pos]);
    need(1 + n);
    m_pos += 1;
    return take(n);
}

}  // namespace base
