// Ogg Vorbis through vorbisfile with callbacks over the data source.
#include "media/decoders/OggDecoder.h"

#include <vorbis/vorbisfile.h>

#include <cstring>

#include "media/decoders/DecoderTable.h"

namespace media {

namespace {

size_t oggRead(void* out, size_t size, size_t count, void* user) {
    if (size == 0) return 0;
    return static_cast<DataSource*>(user)->read(out, size * count) / size;
}
int oggSeek(void* user, ogg_int64_t offset, int whence) {
    return static_cast<DataSource*>(user)->seek(offset, whence) ? 0 : -1;
}
long oggTell(void* user) { return static_cast<long>(static_cast<DataSource*>(user)->tell()); }

class OggDecoder : public AudioStream {
public:
    explicit OggDecoder(std::unique_ptr<DataSource> source) : m_source(std::move(source)) {
        const ov_callbacks callbacks = {oggRead, oggSeek, nullptr, oggTell};
        if (ov_open_callbacks(m_source.get(), &m_file, nullptr, 0, callbacks) != 0)
            throw FormatError("not an Ogg Vorbis file");
        const vorbis_info* info = ov_info(&m_file, -1);
        if (!info || info->channels < 1 || info->channels > 8 || info->rate < 1) {
            ov_clear(&m_file);
            throw FormatError("unsupported Ogg Vorbis stream");
        }
        m_format.rate = static_cast<int>(info->rate);
        m_format.channels = info->channels;
        m_length = ov_pcm_total(&m_file, -1);
        readComments();
    }
    ~OggDecoder() override { ov_clear(&m_file); }

    StreamFormat format() const override { return m_format; }
    size_t read(int16_t* out, size_t frames) override {
        const size_t frameBytes = static_cast<size_t>(m_format.channels) * 2;
        size_t done = 0;
        while (done < frames && !m_failed) {
            int section = 0;
            auto* dest = reinterpret_cast<char*>(out + done * static_cast<size_t>(m_format.channels));
            const long got =
                ov_read(&m_file, dest, static_cast<int>((frames - done) * frameBytes), 0, 2, 1, &section);
            if (got == 0) break;
            if (got == OV_HOLE) continue;  // a gap in the pages: go on with the next good packet
            if (got < 0) {
                m_failed = true;
                break;
            }
            // FIXME: a chained stream whose later links change rate or channels plays at the
            // first link's format.
            done += static_cast<size_t>(got) / frameBytes;
        }
        return done;
    }
    int64_t length() const override { return m_length; }
    bool seek(int64_t frame) override { return ov_pcm_seek(&m_file, frame) == 0; }
    uint32_t typeCode() const override { return TypeCode::Ogg; }
    uint64_t sourceSize() const override { return static_cast<uint64_t>(m_source->size()); }
    std::string tagBlock(TagKind kind) const override {
        return kind == TagKind::OggComments ? m_comments : "";
    }

private:
    // The comment list as zero-terminated strings ending with an empty one.
    void readComments() {
        const vorbis_comment* comment = ov_comment(&m_file, -1);
        if (!comment || comment->comments <= 0) return;
        for (int i = 0; i < comment->comments; ++i) {
            m_comments.append(comment->user_comments[i], static_cast<size_t>(comment->comment_lengths[i]));
            m_comments.push_back('\0');
        }
        m_comments.push_back('\0');
    }

    std::unique_ptr<DataSource> m_source;
    OggVorbis_File m_file{};
    StreamFormat m_format;
    int64_t m_length = -1;
    std::string m_comments;
};

}  // namespace

bool sniffOgg(DataSource& source) {
    const std::vector<uint8_t> head = source.head(35);
    return head.size() == 35 && std::memcmp(head.data(), "OggS", 4) == 0 &&
           std::memcmp(head.data() + 28, "\x01vorbis", 7) == 0;
}

std::unique_ptr<AudioStream> createOggDecoder(std::unique_ptr<DataSource> source) {
    return std::make_unique<OggDecoder>(std::move(source));
}

}  // namespace media
