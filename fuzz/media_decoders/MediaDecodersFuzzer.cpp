// Feeds arbitrary bytes to every sniff of the decoder table, to each decoder the sniff
// accepts (open, read, seek, read again) and to the tag parsers.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "media/Tags.h"
#include "media/decoders/DecoderTable.h"

namespace {

// Enough to run through headers and a few packets without letting slow inputs time out.
constexpr size_t kMaxFrames = 16384;

void exercise(media::AudioStream& stream) {
    const media::StreamFormat format = stream.format();
    std::vector<int16_t> pcm(1024 * static_cast<size_t>(format.channels));
    size_t total = 0;
    while (total < kMaxFrames) {
        const size_t got = stream.read(pcm.data(), 1024);
        total += got;
        if (got < 1024) break;
    }
    const int64_t length = stream.length();
    if (length > 0 && stream.seek(length / 2)) stream.read(pcm.data(), 256);
    for (int kind = 0; kind < 6; ++kind) (void)stream.tagBlock(static_cast<media::TagKind>(kind));
    (void)stream.moduleName();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const media::DecoderEntry& entry : media::decoderTable()) {
        auto probe = media::openMemorySource(data, size);
        if (!probe || !entry.sniff(*probe)) continue;
        try {
            auto stream = entry.create(media::openMemorySource(data, size));
            if (stream) exercise(*stream);
        } catch (const media::FormatError&) {
        }
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view tail = size >= 128 ? bytes.substr(size - 128) : std::string_view();
    const media::TagFields fields = media::parseTagBlocks(bytes, tail, bytes, bytes.substr(0, 20));
    (void)media::formatTags(fields, "%TITL %ARTI %ALBM %YEAR %CMNT %GNRE %TRCK %");
    return 0;
}
