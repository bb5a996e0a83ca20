// WAV through libsndfile's virtual I/O, so memory blocks and file windows work alike.
#include "media/decoders/WavDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "media/decoders/DecoderTable.h"

namespace media {

namespace {

sf_count_t vioLength(void* user) { return static_cast<DataSource*>(user)->size(); }
sf_count_t vioSeek(sf_count_t offset, int whence, void* user) {
    auto* source = static_cast<DataSource*>(user);
    if (!source->seek(offset, whence)) return -1;
    return source->tell();
}
sf_count_t vioRead(void* out, sf_count_t n, void* user) {
    return static_cast<sf_count_t>(static_cast<DataSource*>(user)->read(out, static_cast<size_t>(n)));
}
sf_count_t vioWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t vioTell(void* user) { return static_cast<DataSource*>(user)->tell(); }

SF_VIRTUAL_IO kVirtualIo = {vioLength, vioSeek, vioRead, vioWrite, vioTell};

class WavDecoder : public AudioStream {
public:
    explicit WavDecoder(std::unique_ptr<DataSource> source) : m_source(std::move(source)) {
        SF_INFO info{};
        m_file = sf_open_virtual(&kVirtualIo, SFM_READ, &info, m_source.get());
        if (!m_file) throw FormatError("not a WAV file");
        const int container = info.format & SF_FORMAT_TYPEMASK;
        if ((container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX) || info.channels < 1 ||
            info.channels > 8 || info.samplerate < 1) {
            sf_close(m_file);
            throw FormatError("unsupported WAV file");
        }
        m_format.rate = info.samplerate;
        m_format.channels = info.channels;
        const int subtype = info.format & SF_FORMAT_SUBMASK;
        m_floatData = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
        m_format.width = subtype == SF_FORMAT_PCM_U8 || subtype == SF_FORMAT_PCM_S8 ? SampleWidth::Bits8
                                                                                    : SampleWidth::Bits16;
        m_length = info.frames;
    }
    ~WavDecoder() override { sf_close(m_file); }

    StreamFormat format() const override { return m_format; }
    size_t read(int16_t* out, size_t frames) override {
        if (m_failed) return 0;
        const sf_count_t got = m_floatData ? readFloat(out, frames)
                                           : sf_readf_short(m_file, out, static_cast<sf_count_t>(frames));
        if (got < 0) {
            m_failed = true;
            return 0;
        }
        if (static_cast<size_t>(got) < frames && sf_error(m_file) != SF_ERR_NO_ERROR) m_failed = true;
        return static_cast<size_t>(got);
    }
    int64_t length() const override { return m_length; }
    bool seek(int64_t frame) override { return sf_seek(m_file, frame, SEEK_SET) == frame; }
    uint32_t typeCode() const override { return TypeCode::Wav; }
    uint64_t sourceSize() const override { return static_cast<uint64_t>(m_source->size()); }

private:
    // Float samples scale by 32768, so 16-bit data stored as float comes back exactly;
    // anything beyond full scale is clipped rather than wrapped into noise.
    sf_count_t readFloat(int16_t* out, size_t frames) {
        const size_t samples = frames * static_cast<size_t>(m_format.channels);
        m_floats.resize(samples);
        const sf_count_t got = sf_readf_float(m_file, m_floats.data(), static_cast<sf_count_t>(frames));
        for (size_t i = 0;
             i < static_cast<size_t>(std::max<sf_count_t>(got, 0)) * static_cast<size_t>(m_format.channels);
             ++i)
            out[i] = static_cast<int16_t>(std::clamp(std::lrint(m_floats[i] * 32768.0f), -32768L, 32767L));
        return got;
    }

    std::unique_ptr<DataSource> m_source;
    SNDFILE* m_file = nullptr;
    bool m_floatData = false;
    std::vector<float> m_floats;
    StreamFormat m_format;
    int64_t m_length = 0;
};

}  // namespace

bool sniffWav(DataSource& source) {
    const std::vector<uint8_t> head = source.head(12);
    return head.size() == 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
           std::memcmp(head.data() + 8, "WAVE", 4) == 0;
}

std::unique_ptr<AudioStream> createWavDecoder(std::unique_ptr<DataSource> source) {
    return std::make_unique<WavDecoder>(std::move(source));
}

}  // namespace media
