#include "library/PeVersion.h"

#include <unistd.h>

#include <cstring>

#include "base/LittleEndian.h"

namespace library {
namespace {

constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr unsigned kMaxSections = 96;  // what the loader accepts

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : m_bytes(bytes) {}
    bool read(uint64_t offset, void* out, size_t size) const override {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset) return false;
        std::memcpy(out, m_bytes.data() + offset, size);
        return true;
    }

private:
    std::string_view m_bytes;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(int fd) : m_fd(fd) {}
    bool read(uint64_t offset, void* out, size_t size) const override {
        if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
        auto* p = static_cast<char*>(out);
        while (size > 0) {
            ssize_t n = ::pread(m_fd, p, size, static_cast<off_t>(offset));
            if (n <= 0) return false;
            p += n;
            offset += static_cast<uint64_t>(n);
            size -= static_cast<size_t>(n);
        }
        return true;
    }

private:
    int m_fd;
};

struct Reader {
    const ByteSource& src;
    bool u16(uint64_t at, uint16_t& v) const {
        unsigned char b[2];
        if (!src.read(at, b, 2)) return false;
        v = base::readLE16(b);
        return true;
    }
    bool u32(uint64_t at, uint32_t& v) const {
        unsigned char b[4];
        if (!src.read(at, b, 4)) return false;
        v = base::readLE32(b);
        return true;
    }
};

struct Section {
    uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// The file offset of `size` bytes at `rva`, inside one section's data in the file.
std::optional<uint64_t> rvaToOffset(const Reader& r, uint64_t sectionTable, unsigned sections, uint32_t rva,
                                    uint32_t size) {
    for (unsigned i = 0; i < sections; ++i) {
        uint64_t at = sectionTable + 40ull * i;
        Section s{};
        if (!r.u32(at + 8, s.virtualSize) || !r.u32(at + 12, s.virtualAddress) ||
            !r.u32(at + 16, s.rawSize) || !r.u32(at + 20, s.rawOffset))
            return std::nullopt;
        if (rva < s.virtualAddress) continue;
        uint64_t within = rva - s.virtualAddress;
        if (within + size <= s.rawSize) return uint64_t(s.rawOffset) + within;
    }
    return std::nullopt;
}

// One resource directory: the entry with `id`, or the first entry when `id` is 0; returns its
// OffsetToData word.
std::optional<uint32_t> directoryEntry(const Reader& r, uint64_t dir, uint32_t id) {
    uint16_t named = 0, ids = 0;
    if (!r.u16(dir + 12, named) || !r.u16(dir + 14, ids)) return std::nullopt;
    unsigned count = unsigned(named) + ids;
    for (unsigned i = 0; i < count; ++i) {
        uint32_t name = 0, data = 0;
        if (!r.u32(dir + 16 + 8ull * i, name) || !r.u32(dir + 20 + 8ull * i, data)) return std::nullopt;
        if (id == 0 || name == id) return data;
    }
    return std::nullopt;
}

std::optional<FileVersion> fixedFileInfo(const Reader& r, uint64_t at, uint32_t size) {
    // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding to 4 bytes,
    // then VS_FIXEDFILEINFO.
    static const char16_t kKey[] = u"VS_VERSION_INFO";
    uint16_t length = 0, valueLength = 0;
    if (size < 40 + 52 || !r.u16(at, length) || !r.u16(at + 2, valueLength)) return std::nullopt;
    if (length < 40 + 52 || length > size || valueLength < 52) return std::nullopt;
    for (unsigned i = 0; i < 16; ++i) {
        uint16_t c = 0;
        if (!r.u16(at + 6 + 2 * i, c) || c != kKey[i]) return std::nullopt;
    }
    uint32_t signature = 0, ms = 0, ls = 0;
    if (!r.u32(at + 40, signature) || signature != kFixedFileInfoSignature || !r.u32(at + 48, ms) ||
        !r.u32(at + 52, ls))
        return std::nullopt;
    return FileVersion{uint16_t(ms >> 16), uint16_t(ms & 0xFFFF), uint16_t(ls >> 16), uint16_t(ls & 0xFFFF)};
}

}  // namespace

std::string FileVersion::text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(release) + "." +
           std::to_string(build);
}

std::optional<FileVersion> peFileVersion(const ByteSource& source) {
    Reader r{source};
    uint16_t mz = 0, sections = 0, optionalSize = 0, magic = 0;
    uint32_t peOffset = 0, signature = 0;
    if (!r.u16(0, mz) || mz != 0x5A4D || !r.u32(0x3C, peOffset)) return std::nullopt;
    if (!r.u32(peOffset, signature) || signature != 0x00004550) return std::nullopt;
    const uint64_t coff = uint64_t(peOffset) + 4;
    if (!r.u16(coff + 2, sections) || !r.u16(coff + 16, optionalSize)) return std::nullopt;
    if (sections == 0 || sections > kMaxSections) return std::nullopt;
    const uint64_t optional = coff + 20;
    if (!r.u16(optional, magic)) return std::nullopt;
    uint64_t dirCountAt = 0;
    if (magic == 0x10B) {
        dirCountAt = 92;  // PE32
    } else if (magic == 0x20B) {
        dirCountAt = 108;  // PE32+
    } else {
        return std::nullopt;
    }
    uint32_t dirCount = 0, resourceRva = 0, resourceSize = 0;
    const uint64_t resourceEntry = dirCountAt + 4 + 2 * 8;  // data directory 2
    if (!r.u32(optional + dirCountAt, dirCount) || dirCount <= 2 || resourceEntry + 8 > optionalSize)
        return std::nullopt;
    if (!r.u32(optional + resourceEntry, resourceRva) || !r.u32(optional + resourceEntry + 4, resourceSize) ||
        resourceRva == 0 || resourceSize < 16)
        return std::nullopt;
    const uint64_t sectionTable = optional + optionalSize;
    auto root = rvaToOffset(r, sectionTable, sections, resourceRva, 16);
    if (!root) return std::nullopt;

    // Type 16, then the first name, then the first language: two directories and a data entry.
    auto typeEntry = directoryEntry(r, *root, kRtVersion);
    if (!typeEntry || !(*typeEntry & kSubdirectory)) return std::nullopt;
    auto nameEntry = directoryEntry(r, *root + (*typeEntry & ~kSubdirectory), 0);
    if (!nameEntry || !(*nameEntry & kSubdirectory)) return std::nullopt;
    auto langEntry = directoryEntry(r, *root + (*nameEntry & ~kSubdirectory), 0);
    if (!langEntry || (*langEntry & kSubdirectory)) return std::nullopt;
    uint32_t dataRva = 0, dataSize = 0;
    if (!r.u32(*root + *langEntry, dataRva) || !r.u32(*root + *langEntry + 4, dataSize)) return std::nullopt;
    auto data = rvaToOffset(r, sectionTable, sections, dataRva, dataSize);
    if (!data) return std::nullopt;
    return fixedFileInfo(r, *data, dataSize);
}

std::optional<FileVersion> peFileVersion(std::string_view image) {
    return peFileVersion(MemorySource(image));
}

std::optional<FileVersion> peFileVersionOfFile(int fd) { return peFileVersion(FileSource(fd)); }

}  // namespace library
