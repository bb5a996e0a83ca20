// Disc ids, the CD-TEXT list and ".cda" files, from the table of contents alone.
#include "media/cd/CdDisc.h"

#include <cstdio>

namespace media {

namespace {

int digitSum(int32_t n) {
    int sum = 0;
    for (; n > 0; n /= 10) sum += static_cast<int>(n % 10);
    return sum;
}

// Seconds from the very start of the disc (pregap included) to `lsn`.
int32_t seconds(int32_t lsn) { return (lsn + kCdPregap) / 75; }

std::string hex(uint32_t value, const char* format) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

uint32_t le32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}
uint16_t le16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

}  // namespace

uint32_t cddbId(const CdToc& toc) {
    if (toc.tracks.empty()) return 0;
    int sum = 0;
    for (const CdTrack& t : toc.tracks) sum += digitSum(seconds(t.start));
    const int32_t length = seconds(toc.leadout) - seconds(toc.tracks.front().start);
    return (static_cast<uint32_t>(sum % 0xFF) << 24) | (static_cast<uint32_t>(length & 0xFFFF) << 8) |
           static_cast<uint32_t>(toc.tracks.size() & 0xFF);
}

std::string cddbQuery(const CdToc& toc) {
    std::string query = hex(cddbId(toc), "%08x") + ' ' + std::to_string(toc.tracks.size());
    for (const CdTrack& t : toc.tracks) query += ' ' + std::to_string(t.start + kCdPregap);
    query += ' ' + std::to_string(seconds(toc.leadout));
    return query;
}

std::string cdPlayerId(const CdToc& toc) {
    uint32_t id = 0;
    for (const CdTrack& t : toc.tracks) {
        const auto frames = static_cast<uint32_t>(t.start + kCdPregap);
        id += (frames / 4500) << 16 | ((frames / 75) % 60) << 8 | frames % 75;
    }
    // Discs of one or two tracks would collide too easily; their length goes in as well.
    if (!toc.tracks.empty() && toc.tracks.size() < 3)
        id += static_cast<uint32_t>(toc.leadout - toc.tracks.front().start);
    return hex(id, "%X");
}

std::string cdIdentity(const CdToc& toc) {
    return hex(cddbId(toc), "%08X") + hex(static_cast<uint32_t>(toc.tracks.size()), "%02X") +
           hex(static_cast<uint32_t>(toc.leadout + kCdPregap), "%06X");
}

std::string joinCdText(const std::vector<CdTextField>& fields) {
    std::string list;
    for (const auto& [key, value] : fields) {
        // A zero byte inside a value would end the list early for the reader.
        const std::string clean = value.substr(0, value.find('\0'));
        list += key + '=' + clean;
        list += '\0';
    }
    list += '\0';
    return list;
}

std::optional<CdaFile> parseCda(std::span<const uint8_t> b) {
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "CDDA")
        return std::nullopt;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + static_cast<std::ptrdiff_t>(at),
                             b.begin() + static_cast<std::ptrdiff_t>(at + 4));
        const uint32_t size = le32(b, at + 4);
        if (size > b.size() - at - 8) return std::nullopt;
        if (id == "fmt " && size >= 16) {
            CdaFile cda;
            cda.track = le16(b, at + 10);
            cda.serial = le32(b, at + 12);
            const uint32_t start = le32(b, at + 16);
            cda.sectors = le32(b, at + 20);
            // Stored as an absolute frame address, two seconds of pregap included.
            if (cda.track < 1 || cda.track > 99 || start < static_cast<uint32_t>(kCdPregap) ||
                start > 0x7FFFFFFFu || cda.sectors == 0)
                return std::nullopt;
            cda.start = static_cast<int32_t>(start) - kCdPregap;
            return cda;
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

}  // namespace media
