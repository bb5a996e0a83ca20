#include "media/WavWriter.h"

#include <cerrno>
#include <cstring>

#include "base/Error.h"

namespace media {

namespace {

void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// The RIFF sizes are 32-bit: a longer file keeps the largest value they can hold.
uint32_t clamp32(uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v); }

}  // namespace

WavWriter::WavWriter(const std::string& path, int channels, int rate, int bitsPerSample) : m_path(path) {
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) throw base::Error("Cannot create file \"" + path + "\". " + std::strerror(errno));
    uint8_t h[44] = {};
    std::memcpy(h, "RIFF", 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);
    put16(h + 22, static_cast<uint32_t>(channels));
    put32(h + 24, static_cast<uint32_t>(rate));
    const uint32_t align = static_cast<uint32_t>(channels * bitsPerSample / 8);
    put32(h + 28, align * static_cast<uint32_t>(rate));
    put16(h + 32, align);
    put16(h + 34, static_cast<uint32_t>(bitsPerSample));
    std::memcpy(h + 36, "data", 4);
    if (std::fwrite(h, 1, sizeof h, m_file) != sizeof h) {
        std::fclose(m_file);
        m_file = nullptr;
        throw base::Error("Cannot write file \"" + path + "\".");
    }
}

WavWriter::~WavWriter() {
    try {
        finish();
    } catch (...) {
    }
}

void WavWriter::write(const void* data, size_t bytes) {
    if (!m_file || bytes == 0) return;
    if (std::fwrite(data, 1, bytes, m_file) != bytes)
        throw base::Error("Cannot write file \"" + m_path + "\".");
    m_data += bytes;
}

void WavWriter::finish() {
    if (!m_file) return;
    std::FILE* f = m_file;
    m_file = nullptr;
    uint8_t size[4];
    bool ok = true;
    put32(size, clamp32(m_data + 36));
    ok = ok && std::fseek(f, 4, SEEK_SET) == 0 && std::fwrite(size, 1, 4, f) == 4;
    put32(size, clamp32(m_data));
    ok = ok && std::fseek(f, 40, SEEK_SET) == 0 && std::fwrite(size, 1, 4, f) == 4;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) throw base::Error("Cannot write file \"" + m_path + "\".");
}

}  // namespace media
