// Feeds arbitrary bytes to the ".cda" reader, to the metadata splitter (interval from the
// first two bytes, the rest in pieces whose sizes come from the data) and to the header lookups.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "media/cd/CdDisc.h"
#include "media/net/IcyDemux.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)media::parseCda(std::span<const uint8_t>(data, size));
    if (size < 2) return 0;
    const size_t metaint = (size_t{data[0]} << 8 | data[1]) % 4096;
    media::IcyDemux demux(metaint);
    std::string audio;
    std::vector<std::string> texts;
    size_t total = 0;
    for (size_t at = 2; at < size;) {
        const size_t piece = 1 + data[at] % 97;
        const size_t n = piece < size - at ? piece : size - at;
        demux.feed(data + at, n, audio, texts);
        at += n;
        total += n;
    }
    // Audio never grows beyond the bytes fed.
    if (audio.size() > total) __builtin_trap();
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 2; i < size; ++i) {
        if (data[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(data[i]);
        }
    }
    (void)media::headerValue(lines, "icy-metaint");
    (void)media::joinTagList(lines);
    return 0;
}
