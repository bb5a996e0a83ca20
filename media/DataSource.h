// Encoded bytes for the decoders: a file, or a caller's memory block that must outlive the
// stream. Each source is used by one thread at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace media {

class DataSource {
public:
    virtual ~DataSource() = default;
    // Reads up to n bytes; fewer only at the end or on an error.
    virtual size_t read(void* out, size_t n) = 0;
    // whence as for fseek; false when the position would leave the data.
    virtual bool seek(int64_t offset, int whence) = 0;
    virtual int64_t tell() const = 0;
    virtual int64_t size() const = 0;

    // The first n bytes (fewer for a short source); leaves the position at 0.
    std::vector<uint8_t> head(size_t n);
    // Everything from the start; leaves the position at the end.
    std::vector<uint8_t> readAll();
};

// Opens name for reading; nullptr when it cannot be opened. `offset` and `length` (0 = to the
// end) select a part of the file.
std::unique_ptr<DataSource> openFileSource(const std::string& name, uint64_t offset = 0, uint64_t length = 0);
// Borrows [data, data + size): the caller keeps it alive while the stream exists.
std::unique_ptr<DataSource> openMemorySource(const void* data, size_t size);

}  // namespace media
