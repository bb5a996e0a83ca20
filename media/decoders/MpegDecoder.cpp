// MPEG audio through libmpg123 reading from the data source; the probe and the tag blocks
// are ours, so they work the same for files and memory blocks.
#include "media/decoders/MpegDecoder.h"

#include <mpg123.h>

#include <cstring>
#include <mutex>

#include "media/decoders/DecoderTable.h"

namespace media {

namespace {

struct FrameHeader {
    int version;  // 0 = 2.5, 2 = 2, 3 = 1
    int layer;    // 1..3
    int rate;
    int size;  // bytes including the header
};

// Decodes a 4-byte frame header; false for anything reserved, free-format or malformed.
bool parseFrameHeader(const uint8_t* p, FrameHeader& h) {
    static const int kBitrates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int kRates[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    h.version = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (h.version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
        (p[3] & 3) == 2)
        return false;
    h.layer = 4 - layerBits;
    h.rate = kRates[h.version][rateIndex];
    const int kbps = kBitrates[h.version == 3 ? 0 : 1][h.layer - 1][bitrateIndex];
    const int padding = (p[2] >> 1) & 1;
    if (h.layer == 1) {
        h.size = (12 * kbps * 1000 / h.rate + padding) * 4;
    } else {
        const int factor = (h.layer == 3 && h.version != 3) ? 72 : 144;
        h.size = factor * kbps * 1000 / h.rate + padding;
    }
    return h.size >= 4;
}

// Size of the ID3v2 tag at p (header, body and footer), or 0 when there is none.
size_t id3v2Size(const uint8_t* p, size_t n) {
    if (n < 10 || std::memcmp(p, "ID3", 3) != 0 || p[3] == 0xFF || p[4] == 0xFF) return 0;
    for (int i = 6; i < 10; ++i)
        if (p[i] & 0x80) return 0;
    const size_t body = (size_t{p[6]} << 21) | (size_t{p[7]} << 14) | (size_t{p[8]} << 7) | p[9];
    return 10 + body + ((p[5] & 0x10) ? 10 : 0);
}

constexpr int kChainedFrames = 4;
constexpr size_t kProbeWindow = 16 * 1024;
constexpr size_t kMaxFrameBytes = 1730;  // layer 2, 384 kbit/s at 32 kHz, padded

// True when a frame at `at` starts a chain of kChainedFrames frames of one version, layer
// and rate, or a shorter chain that ends exactly at the end of the data (a very short file).
bool chainAt(const uint8_t* data, size_t n, size_t at, bool endIsEndOfFile) {
    FrameHeader first{};
    size_t pos = at;
    for (int i = 0; i < kChainedFrames; ++i) {
        if (pos == n && endIsEndOfFile && i >= 2) return true;
        if (pos + 4 > n) return false;
        FrameHeader h{};
        if (!parseFrameHeader(data + pos, h)) return false;
        if (i == 0)
            first = h;
        else if (h.version != first.version || h.layer != first.layer || h.rate != first.rate)
            return false;
        pos += static_cast<size_t>(h.size);
    }
    return true;
}

ssize_t mpgRead(void* user, void* out, size_t n) {
    return static_cast<ssize_t>(static_cast<DataSource*>(user)->read(out, n));
}
off_t mpgSeek(void* user, off_t offset, int whence) {
    auto* source = static_cast<DataSource*>(user);
    if (!source->seek(offset, whence)) return -1;
    return static_cast<off_t>(source->tell());
}

void initLibrary() {
#if MPG123_API_VERSION < 46
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
#endif
}

class MpegDecoder : public AudioStream {
public:
    explicit MpegDecoder(std::unique_ptr<DataSource> source) : m_source(std::move(source)) {
        readTagBlocks();
        initLibrary();
        int error = MPG123_OK;
        m_handle = mpg123_new(nullptr, &error);
        if (!m_handle) throw FormatError("MPEG decoder unavailable");
        try {
            open();
        } catch (...) {
            mpg123_delete(m_handle);
            throw;
        }
    }
    ~MpegDecoder() override { mpg123_delete(m_handle); }

    StreamFormat format() const override { return m_format; }
    size_t read(int16_t* out, size_t frames) override {
        const size_t frameBytes = static_cast<size_t>(m_format.channels) * 2;
        size_t doneBytes = 0;
        while (doneBytes < frames * frameBytes && !m_failed && !m_ended) {
            size_t got = 0;
            const int rc = mpg123_read(m_handle, reinterpret_cast<unsigned char*>(out) + doneBytes,
                                       frames * frameBytes - doneBytes, &got);
            doneBytes += got;
            if (rc == MPG123_DONE)
                m_ended = true;
            else if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT)
                m_failed = true;
        }
        return doneBytes / frameBytes;
    }
    int64_t length() const override { return m_length; }
    bool seek(int64_t frame) override {
        m_ended = false;
        return mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) >= 0;
    }
    uint32_t typeCode() const override { return m_type; }
    uint64_t sourceSize() const override { return static_cast<uint64_t>(m_source->size()); }
    std::string tagBlock(TagKind kind) const override {
        if (kind == TagKind::Id3v1) return m_id3v1;
        if (kind == TagKind::Id3v2) return m_id3v2;
        return {};
    }

private:
    void open() {
        mpg123_param(m_handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        // Every rate, always 16-bit: the engine mixes and hands out 16-bit samples only.
        mpg123_format_none(m_handle);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(m_handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_replace_reader_handle(m_handle, mpgRead, mpgSeek, nullptr) != MPG123_OK ||
            mpg123_open_handle(m_handle, m_source.get()) != MPG123_OK)
            throw FormatError("cannot open MPEG stream");
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
            channels < 1 || channels > 2)
            throw FormatError("no MPEG audio frame");
        m_format.rate = static_cast<int>(rate);
        m_format.channels = channels;
        mpg123_frameinfo info{};
        mpg123_info(m_handle, &info);
        m_type = info.layer == 1 ? TypeCode::Mp1 : info.layer == 2 ? TypeCode::Mp2 : TypeCode::Mp3;
        // A full scan gives the exact length (gapless trimming included) for positions and the end.
        mpg123_scan(m_handle);
        m_length = mpg123_length(m_handle);
        if (m_length < 0) m_length = -1;
        mpg123_seek(m_handle, 0, SEEK_SET);
    }

    void readTagBlocks() {
        std::vector<uint8_t> head = m_source->head(10);
        size_t size = id3v2Size(head.data(), head.size());
        if (size > 0 && size <= static_cast<size_t>(m_source->size())) {
            m_id3v2.resize(size);
            m_source->seek(0, SEEK_SET);
            m_id3v2.resize(m_source->read(m_id3v2.data(), size));
        }
        if (m_source->size() >= 128 && m_source->seek(-128, SEEK_END)) {
            char tail[128];
            if (m_source->read(tail, 128) == 128 && std::memcmp(tail, "TAG", 3) == 0)
                m_id3v1.assign(tail, 128);
        }
        m_source->seek(0, SEEK_SET);
    }

    std::unique_ptr<DataSource> m_source;
    mpg123_handle* m_handle = nullptr;
    StreamFormat m_format;
    int64_t m_length = -1;
    uint32_t m_type = TypeCode::Mp3;
    bool m_ended = false;
    std::string m_id3v1;
    std::string m_id3v2;
};

}  // namespace

bool sniffMpeg(DataSource& source) {
    std::vector<uint8_t> head = source.head(10);
    // Skip any number of leading ID3v2 tags, however large.
    int64_t start = 0;
    while (size_t size = id3v2Size(head.data(), head.size())) {
        start += static_cast<int64_t>(size);
        if (!source.seek(start, SEEK_SET)) return false;
        head.resize(10);
        head.resize(source.read(head.data(), 10));
    }
    if (!source.seek(start, SEEK_SET)) return false;
    std::vector<uint8_t> window(kProbeWindow + kMaxFrameBytes * kChainedFrames);
    window.resize(source.read(window.data(), window.size()));
    const bool windowIsRest = source.tell() == source.size();
    const size_t scan = std::min(window.size(), kProbeWindow);
    for (size_t at = 0; at + 4 <= scan; ++at) {
        if (window[at] == 0xFF && chainAt(window.data(), window.size(), at, windowIsRest)) return true;
    }
    return false;
}

std::unique_ptr<AudioStream> createMpegDecoder(std::unique_ptr<DataSource> source) {
    return std::make_unique<MpegDecoder>(std::move(source));
}

}  // namespace media
