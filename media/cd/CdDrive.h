// The CD drives the engine offers: disc images named in VANTREL_CD_IMAGE (a ':'-separated
// list of .cue/.toc/.nrg files, or .bin files with a .cue beside them) first, then the
// system's drives. Each drive keeps one libcdio handle for queries, opened on demand and
// closed by release(); track streams read through handles of their own.
// Threads: every member may be called from any thread (each drive locks itself).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "media/AudioStream.h"
#include "media/cd/CdDisc.h"

typedef struct _CdIo CdIo_t;

namespace media {

inline constexpr uint32_t kTypeCodeCd = 0x10200;

enum class DoorAction : uint32_t { Close = 0, Open = 1, Lock = 2, Unlock = 3 };

class CdDrive {
public:
    CdDrive(std::string path, bool image, int letter);
    ~CdDrive();

    const std::string path;
    const bool image;
    const int letter;  // 0 = A, 3 = D ...
    const std::string& description();

    // The disc's table of contents; nullopt when no readable disc is in the drive.
    std::optional<CdToc> toc();
    std::vector<CdTextField> cdText();
    std::string mcn();                 // the disc's media catalogue number (UPC), or empty
    std::string isrc(int trackIndex);  // a track's ISRC, or empty
    void release();

    // Door control: false when the drive has no door to move (disc images) or it refused.
    bool hasDoor() const { return !image; }
    bool door(DoorAction action);
    bool doorIsOpen();
    bool doorIsLocked();

    // A stream of the track at `index` (0-based) of the disc now in the drive; nullptr when
    // the drive or the track cannot be read. `error` receives the engine error number.
    std::unique_ptr<AudioStream> openTrack(uint32_t driveIndex, int index, int& error);

private:
    CdIo_t* handle();  // under m_mutex

    std::mutex m_mutex;
    CdIo_t* m_handle = nullptr;
    std::string m_description;
    bool m_locked = false;
};

// The drives, in index order; found once, on first use.
const std::vector<std::unique_ptr<CdDrive>>& cdDrives();

// The drive and track that a CD track stream plays, or nullopt for other streams.
std::optional<std::pair<uint32_t, uint32_t>> cdStreamTrack(const AudioStream& stream);

}  // namespace media
