// File and memory sources behind the decoders.
#include "media/DataSource.h"

#include <algorithm>
#include <cstring>

namespace media {

std::vector<uint8_t> DataSource::head(size_t n) {
    std::vector<uint8_t> bytes(n);
    seek(0, SEEK_SET);
    bytes.resize(read(bytes.data(), n));
    seek(0, SEEK_SET);
    return bytes;
}

std::vector<uint8_t> DataSource::readAll() {
    seek(0, SEEK_SET);
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(size(), 0)));
    bytes.resize(read(bytes.data(), bytes.size()));
    return bytes;
}

namespace {

// A window [m_begin, m_begin + m_size) of an open file.
class FileSource : public DataSource {
public:
    FileSource(std::FILE* f, int64_t begin, int64_t size) : m_file(f), m_begin(begin), m_size(size) {}
    ~FileSource() override { std::fclose(m_file); }

    size_t read(void* out, size_t n) override {
        const int64_t left = m_size - m_pos;
        if (left <= 0) return 0;
        n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), left));
        const size_t got = std::fread(out, 1, n, m_file);
        m_pos += static_cast<int64_t>(got);
        return got;
    }
    bool seek(int64_t offset, int whence) override {
        const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m_pos : m_size;
        const int64_t target = base + offset;
        if (target < 0 || target > m_size) return false;
        if (fseeko(m_file, static_cast<off_t>(m_begin + target), SEEK_SET) != 0) return false;
        m_pos = target;
        return true;
    }
    int64_t tell() const override { return m_pos; }
    int64_t size() const override { return m_size; }

private:
    std::FILE* m_file;
    int64_t m_begin;
    int64_t m_size;
    int64_t m_pos = 0;
};

class MemorySource : public DataSource {
public:
    MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(static_cast<int64_t>(size)) {}

    size_t read(void* out, size_t n) override {
        const int64_t left = m_size - m_pos;
        if (left <= 0) return 0;
        n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), left));
        std::memcpy(out, m_data + m_pos, n);
        m_pos += static_cast<int64_t>(n);
        return n;
    }
    bool seek(int64_t offset, int whence) override {
        const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m_pos : m_size;
        const int64_t target = base + offset;
        if (target < 0 || target > m_size) return false;
        m_pos = target;
        return true;
    }
    int64_t tell() const override { return m_pos; }
    int64_t size() const override { return m_size; }

private:
    const uint8_t* m_data;
    int64_t m_size;
    int64_t m_pos = 0;
};

}  // namespace

std::unique_ptr<DataSource> openFileSource(const std::string& name, uint64_t offset, uint64_t length) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return nullptr;
    if (fseeko(f, 0, SEEK_END) != 0) {
        std::fclose(f);
        return nullptr;
    }
    const int64_t total = ftello(f);
    const auto begin = static_cast<int64_t>(offset);
    if (total < 0 || begin > total) {
        std::fclose(f);
        return nullptr;
    }
    int64_t size = total - begin;
    if (length != 0) size = std::min<int64_t>(size, static_cast<int64_t>(length));
    auto source = std::make_unique<FileSource>(f, begin, size);
    source->seek(0, SEEK_SET);
    return source;
}

std::unique_ptr<DataSource> openMemorySource(const void* data, size_t size) {
    if (!data) return nullptr;
    return std::make_unique<MemorySource>(static_cast<const uint8_t*>(data), size);
}

}  // namespace media
