// The fixed file version in the version resource of a Windows executable or library (a PE
// image): DOS header, PE headers, section table, resource tree (type 16, first name, first
// language) and the VS_VERSIONINFO block. Every offset and size is checked against the data,
// so any input gives a version or nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace library {

struct FileVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t release = 0;
    uint16_t build = 0;
    std::string text() const;  // "major.minor.release.build"
};

// Random access to the image's bytes: false when [offset, offset + size) is not all there.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual bool read(uint64_t offset, void* out, size_t size) const = 0;
};

std::optional<FileVersion> peFileVersion(const ByteSource& source);
std::optional<FileVersion> peFileVersion(std::string_view image);
// Reads only the parts it needs from an open file descriptor.
std::optional<FileVersion> peFileVersionOfFile(int fd);

}  // namespace library
