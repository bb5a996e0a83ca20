// Shoutcast-style in-band metadata: a stream that was asked for it ("Icy-MetaData: 1") and
// answered with "icy-metaint: N" sends, after every N audio bytes, one length byte L and
// L * 16 bytes of text such as "StreamTitle='Artist - Song';" padded with zero bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace media {

class IcyDemux {
public:
    // `metaint` 0: the stream carries no metadata, every byte is audio.
    explicit IcyDemux(size_t metaint = 0) : m_metaint(metaint), m_left(metaint) {}

    // Splits the next bytes of the body, in any piece sizes: audio bytes are appended to
    // `audio`, each metadata text completed within them to `texts` (empty blocks give none).
    void feed(const uint8_t* data, size_t n, std::string& audio, std::vector<std::string>& texts);

private:
    size_t m_metaint;
    size_t m_left;          // audio bytes before the next length byte
    size_t m_metaLeft = 0;  // text bytes still to come of the current block
    bool m_inMeta = false;
    std::string m_text;
};

// Header lines as tag lists: each line zero-terminated, an empty string at the end.
std::string joinTagList(const std::vector<std::string>& lines);
// The value of header `name` (case-insensitive, spaces after the colon skipped), or empty.
std::string headerValue(const std::vector<std::string>& lines, std::string_view name);

}  // namespace media
