// What is computed from an audio disc's table of contents without touching a drive: the
// disc ids, the CD-TEXT list in the form scripts receive it, and ".cda" track files.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace media {

inline constexpr uint32_t kCdSectorBytes = 2352;
inline constexpr uint32_t kCdFramesPerSector = 588;  // stereo 16-bit frames at 44100 Hz
inline constexpr int32_t kCdPregap = 150;            // sectors before LSN 0 (two seconds)

// One track: `start` is its first sector (LSN, the first track usually at 0) and `sectors`
// its length up to the next track or the lead-out.
struct CdTrack {
    int number = 0;  // as the disc numbers it (usually 1..99)
    int32_t start = 0;
    uint32_t sectors = 0;
    bool audio = true;
};

struct CdToc {
    std::vector<CdTrack> tracks;
    int32_t leadout = 0;  // LSN of the lead-out
};

// The disc id of the freedb/CDDB protocol.
uint32_t cddbId(const CdToc& toc);
// The id with what a CDDB "query" command needs after it: "id tracks offset... seconds".
std::string cddbQuery(const CdToc& toc);
// The hexadecimal id the classic Windows CD player keys its ini entries by.
std::string cdPlayerId(const CdToc& toc);
// A text that tells discs apart: the CDDB id, the track count and the lead-out in hex.
std::string cdIdentity(const CdToc& toc);

// CD-TEXT as scripts read it: zero-terminated KEY=value strings ending with an empty one.
// Disc-wide fields carry no number (TITLE=...), track fields the track's number (TITLE1=...).
using CdTextField = std::pair<std::string, std::string>;  // ("TITLE1", "Song")
std::string joinCdText(const std::vector<CdTextField>& fields);

// A ".cda" track file: RIFF "CDDA" with a "fmt " chunk naming a track of a disc.
struct CdaFile {
    int track = 0;         // 1-based, as the file names it
    uint32_t serial = 0;   // the volume serial the file was made for
    int32_t start = 0;     // first sector as an LSN
    uint32_t sectors = 0;  // length in sectors
};
std::optional<CdaFile> parseCda(std::span<const uint8_t> bytes);

}  // namespace media
