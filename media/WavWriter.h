// Writes a PCM WAV file: the 44-byte header with zero sizes first, the samples as they
// come, and the sizes patched in when finished, so a file cut short by a cancel is still
// valid up to its last block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace media {

class WavWriter {
public:
    // Creates (replaces) `path`; throws base::Error when it cannot be created or written.
    WavWriter(const std::string& path, int channels, int rate, int bitsPerSample);
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    void write(const void* data, size_t bytes);
    // Patches the sizes and closes; throws when the file cannot be completed.
    void finish();
    uint64_t dataBytes() const { return m_data; }

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    uint64_t m_data = 0;
};

}  // namespace media
