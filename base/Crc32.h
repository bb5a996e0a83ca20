// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320), as used by zlib, ZIP files and
// the embedded-file archive. On processors with carry-less multiplication the bulk of
// the data is folded 64 bytes at a time; elsewhere zlib's table code does the work.
#pragma once

#include <cstddef>
#include <cstdint>

namespace base {

// The table update alone: no inversion before or after. Feeding data in pieces gives the
// same result as feeding it at once.
uint32_t crc32Update(uint32_t state, const void* data, size_t size);

// The standard CRC-32 (initial value 0xFFFFFFFF, final inversion).
inline uint32_t crc32(const void* data, size_t size) { return ~crc32Update(0xFFFFFFFFu, data, size); }

}  // namespace base
