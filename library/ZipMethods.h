// The decompressors of ZIP entries: stored, shrunk (dynamic LZW), imploded (Shannon-Fano
// codes over a sliding dictionary) and deflated. Each pulls compressed bytes from a source
// and hands output to a sink, and never produces more than the entry's declared size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace library::zip {

// Fills `buffer` with up to `capacity` compressed bytes; 0 at the end of the entry's data.
// May throw (a read error), which passes through the decoder.
using ReadFn = std::function<size_t(uint8_t* buffer, size_t capacity)>;
// Takes decoded bytes; may throw (a write error, a cancel), which passes through.
using WriteFn = std::function<void(const uint8_t* data, size_t size)>;

enum class Decoded {
    Ok,       // exactly `size` bytes were written
    Corrupt,  // the data is malformed or does not decode to `size` bytes
};

// `flags`: the entry's general-purpose flags (implode reads its dictionary size and tree
// count from bits 1 and 2).
Decoded copyStored(const ReadFn& in, const WriteFn& out, uint64_t size);
Decoded unshrink(const ReadFn& in, const WriteFn& out, uint64_t size);
Decoded explode(const ReadFn& in, const WriteFn& out, uint64_t size, uint16_t flags);
Decoded inflateRaw(const ReadFn& in, const WriteFn& out, uint64_t size);

}  // namespace library::zip
