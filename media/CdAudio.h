// The CD entry points. Drives are the engine's own indexes (see cd/CdDrive.h for which
// drives there are); tracks are counted from 0. Each function sets the calling thread's
// last error (BASS_ErrorGetCode): kErrorDevice for an unknown drive, kErrorNoCd when no
// readable disc is in it, kErrorCdTrack for a track the disc lacks, kErrorNotAudio for a
// data track, kErrorNotAvail for what the drive cannot do (a disc image has no door, and
// no drive plays analogue audio past the engine).
#pragma once

#include <cstdint>

namespace media {

// BASS_CD_GetID kinds; BASS_CDID_ISRC + track gives a track's ISRC.
inline constexpr uint32_t BASS_CDID_IDENTITY = 0;
inline constexpr uint32_t BASS_CDID_UPC = 1;
inline constexpr uint32_t BASS_CDID_CDDB = 2;
inline constexpr uint32_t BASS_CDID_CDDB2 = 3;  // the same query text as BASS_CDID_CDDB
inline constexpr uint32_t BASS_CDID_TEXT = 4;
inline constexpr uint32_t BASS_CDID_CDPLAYER = 5;
inline constexpr uint32_t BASS_CDID_ISRC = 0x100;

inline constexpr uint32_t BASS_CD_DOOR_CLOSE = 0;
inline constexpr uint32_t BASS_CD_DOOR_OPEN = 1;
inline constexpr uint32_t BASS_CD_DOOR_LOCK = 2;
inline constexpr uint32_t BASS_CD_DOOR_UNLOCK = 3;

struct BassCdInfo {
    const char* description;  // as BASS_CD_GetDriveDescription
    uint32_t letter;          // as BASS_CD_GetDriveLetter
    bool hasDoor;             // false for disc images
    bool cdText;              // the disc carries CD-TEXT
    uint32_t tracks;          // 0 without a readable disc
};

// Texts stay valid until the calling thread's next call of the same function.
const char* BASS_CD_GetDriveDescription(uint32_t drive);
int32_t BASS_CD_GetDriveLetter(uint32_t drive);
bool BASS_CD_GetInfo(uint32_t drive, void* info);  // info: BassCdInfo
bool BASS_CD_Door(uint32_t drive, uint32_t action);
bool BASS_CD_DoorIsOpen(uint32_t drive);
bool BASS_CD_DoorIsLocked(uint32_t drive);
bool BASS_CD_IsReady(uint32_t drive);
uint32_t BASS_CD_GetTracks(uint32_t drive);                       // (uint32_t)-1 on failure
uint32_t BASS_CD_GetTrackLength(uint32_t drive, uint32_t track);  // bytes; (uint32_t)-1 on failure
// Kind 4 is a list of zero-terminated KEY=value strings ending with an empty string.
const char* BASS_CD_GetID(uint32_t drive, uint32_t id);
bool BASS_CD_Release(uint32_t drive);
// Channels of 44100 Hz stereo 16-bit audio, bit for bit as on the disc.
uint32_t BASS_CD_StreamCreate(uint32_t drive, uint32_t track, uint32_t flags);
uint32_t BASS_CD_StreamCreateFile(const char* file, uint32_t flags);  // a ".cda" track file
uint32_t BASS_CD_StreamGetTrack(uint32_t handle);  // drive << 16 | track, (uint32_t)-1 for others
bool BASS_CD_Analog_Play(uint32_t drive, uint32_t track, uint32_t pos);
uint32_t BASS_CD_Analog_PlayFile(const char* file, uint32_t pos);
bool BASS_CD_Analog_Stop(uint32_t drive);
uint32_t BASS_CD_Analog_IsActive(uint32_t drive);
uint32_t BASS_CD_Analog_GetPosition(uint32_t drive);

}  // namespace media
