// Where an archive restore reads from: a file (a project, an executable with an appended
// project, a volume) or memory. Reads are exact: a short read throws base::ArchiveError
// with "Cannot read archive", so a truncated archive can never be taken as complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

class ArchiveInput {
public:
    virtual ~ArchiveInput() = default;
    virtual void read(void* buffer, size_t size) = 0;
    virtual void skip(uint64_t size) = 0;
    // Bytes left before the end; lengths read from the archive are checked against it
    // before anything is allocated.
    virtual uint64_t remaining() const = 0;
    virtual uint64_t position() const = 0;
    // The next `size` bytes without copying them, consumed; valid until the next call.
    // Null when the input cannot hold that many at once (read() them instead); throws
    // like read() when they are not there.
    virtual const char* view(size_t size) = 0;

    int32_t readInt32();
    uint32_t readUInt32();
    std::string readBytes(size_t size);
};

class MemoryArchiveInput final : public ArchiveInput {
public:
    explicit MemoryArchiveInput(std::string_view data) : m_data(data) {}
    void read(void* buffer, size_t size) override;
    void skip(uint64_t size) override;
    uint64_t remaining() const override { return m_data.size() - m_pos; }
    uint64_t position() const override { return m_pos; }
    const char* view(size_t size) override;

private:
    std::string_view m_data;
    size_t m_pos = 0;
};

// A read-only file with a 64 KiB buffer; position() is the logical position in the file.
class FileArchiveInput final : public ArchiveInput {
public:
    // Throws base::ArchiveError when the file cannot be opened.
    FileArchiveInput(const std::filesystem::path& file, uint64_t offset = 0);
    ~FileArchiveInput() override;
    FileArchiveInput(const FileArchiveInput&) = delete;
    FileArchiveInput& operator=(const FileArchiveInput&) = delete;

    void read(void* buffer, size_t size) override;
    void skip(uint64_t size) override;
    uint64_t remaining() const override { return m_size - position(); }
    uint64_t position() const override { return m_bufferStart + m_bufferPos; }
    const char* view(size_t size) override;

private:
    void refill();

    int m_fd = -1;
    uint64_t m_size = 0;
    uint64_t m_bufferStart = 0;  // file offset of m_buffer[0]
    size_t m_bufferPos = 0;
    size_t m_bufferLen = 0;
    std::vector<char> m_buffer;
};

}  // namespace runtime
