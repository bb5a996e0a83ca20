#include "runtime/ArchiveInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "base/Error.h"
#include "base/LittleEndian.h"

namespace runtime {
namespace {

constexpr size_t kBufferSize = 64 * 1024;

[[noreturn]] void cannotRead() { throw base::ArchiveError("Cannot read archive", 3); }

}  // namespace

int32_t ArchiveInput::readInt32() { return static_cast<int32_t>(readUInt32()); }

uint32_t ArchiveInput::readUInt32() {
    unsigned char b[4];
    read(b, 4);
    return base::readLE32(b);
}

std::string ArchiveInput::readBytes(size_t size) {
    if (size > remaining()) cannotRead();
    std::string out(size, '\0');
    read(out.data(), size);
    return out;
}

void MemoryArchiveInput::read(void* buffer, size_t size) {
    if (size > remaining()) cannotRead();
    std::memcpy(buffer, m_data.data() + m_pos, size);
    m_pos += size;
}

void MemoryArchiveInput::skip(uint64_t size) {
    if (size > remaining()) cannotRead();
    m_pos += static_cast<size_t>(size);
}

const char* MemoryArchiveInput::view(size_t size) {
    if (size > remaining()) cannotRead();
    const char* p = m_data.data() + m_pos;
    m_pos += size;
    return p;
}

FileArchiveInput::FileArchiveInput(const std::filesystem::path& file, uint64_t offset)
    : m_buffer(kBufferSize) {
    m_fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
        throw base::ArchiveError("Cannot read archive", 3);
    }
    m_size = static_cast<uint64_t>(st.st_size);
    m_bufferStart = std::min(offset, m_size);
}

FileArchiveInput::~FileArchiveInput() {
    if (m_fd >= 0) ::close(m_fd);
}

void FileArchiveInput::refill() {
    m_bufferStart += m_bufferPos;
    m_bufferPos = 0;
    m_bufferLen = 0;
    ssize_t n = ::pread(m_fd, m_buffer.data(), m_buffer.size(), static_cast<off_t>(m_bufferStart));
    if (n <= 0) cannotRead();
    m_bufferLen = static_cast<size_t>(n);
}

void FileArchiveInput::read(void* buffer, size_t size) {
    if (size > remaining()) cannotRead();
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
        if (m_bufferPos == m_bufferLen) {
            // Large reads bypass the buffer.
            if (size >= m_buffer.size()) {
                ssize_t n = ::pread(m_fd, out, size, static_cast<off_t>(position()));
                if (n <= 0) cannotRead();
                m_bufferStart += static_cast<uint64_t>(n) + m_bufferPos;
                m_bufferPos = m_bufferLen = 0;
                out += n;
                size -= static_cast<size_t>(n);
                continue;
            }
            refill();
        }
        size_t take = std::min(size, m_bufferLen - m_bufferPos);
        std::memcpy(out, m_buffer.data() + m_bufferPos, take);
        m_bufferPos += take;
        out += take;
        size -= take;
    }
}

const char* FileArchiveInput::view(size_t size) {
    if (size > m_buffer.size()) return nullptr;
    if (size > remaining()) cannotRead();
    if (m_bufferLen - m_bufferPos < size) {
        // Keep what is buffered, move it to the front and fill up behind it.
        size_t kept = m_bufferLen - m_bufferPos;
        std::memmove(m_buffer.data(), m_buffer.data() + m_bufferPos, kept);
        m_bufferStart += m_bufferPos;
        m_bufferPos = 0;
        m_bufferLen = kept;
        while (m_bufferLen < size) {
            ssize_t n = ::pread(m_fd, m_buffer.data() + m_bufferLen, m_buffer.size() - m_bufferLen,
                                static_cast<off_t>(m_bufferStart + m_bufferLen));
            if (n <= 0) cannotRead();
            m_bufferLen += static_cast<size_t>(n);
        }
    }
    const char* p = m_buffer.data() + m_bufferPos;
    m_bufferPos += size;
    return p;
}

void FileArchiveInput::skip(uint64_t size) {
    if (size > remaining()) cannotRead();
    if (size <= m_bufferLen - m_bufferPos) {
        m_bufferPos += static_cast<size_t>(size);
        return;
    }
    m_bufferStart = position() + size;
    m_bufferPos = m_bufferLen = 0;
}

}  // namespace runtime
