// CD entry points without drives: each gives the failure value its callers test for.
#include "media/CdAudio.h"

#include "media/ErrorCode.h"
#include "media/LastError.h"

namespace media {

namespace {

template <class T>
T noDrive(T result) {
    t_lastError = kErrorDevice;
    return result;
}

constexpr uint32_t kFail32 = 0xFFFFFFFFu;

}  // namespace

// FIXME: no CD access yet; every drive index is unknown.
const char* BASS_CD_GetDriveDescription(uint32_t) { return noDrive<const char*>(nullptr); }
int32_t BASS_CD_GetDriveLetter(uint32_t) { return noDrive(-1); }
bool BASS_CD_GetInfo(uint32_t, void*) { return noDrive(false); }
bool BASS_CD_Door(uint32_t, uint32_t) { return noDrive(false); }
bool BASS_CD_DoorIsOpen(uint32_t) { return noDrive(false); }
bool BASS_CD_DoorIsLocked(uint32_t) { return noDrive(false); }
bool BASS_CD_IsReady(uint32_t) { return noDrive(false); }
uint32_t BASS_CD_GetTracks(uint32_t) { return noDrive(kFail32); }
uint32_t BASS_CD_GetTrackLength(uint32_t, uint32_t) { return noDrive(kFail32); }
const char* BASS_CD_GetID(uint32_t, uint32_t) { return noDrive<const char*>(nullptr); }
bool BASS_CD_Release(uint32_t) { return noDrive(false); }
uint32_t BASS_CD_StreamCreate(uint32_t, uint32_t, uint32_t) { return noDrive(0u); }
uint32_t BASS_CD_StreamCreateFile(const char*, uint32_t) {
    t_lastError = kErrorNotAvail;
    return 0;
}
uint32_t BASS_CD_StreamGetTrack(uint32_t) {
    // No channel is a CD channel.
    t_lastError = kErrorHandle;
    return kFail32;
}
bool BASS_CD_Analog_Play(uint32_t, uint32_t, uint32_t) { return noDrive(false); }
uint32_t BASS_CD_Analog_PlayFile(const char*, uint32_t) { return noDrive(kFail32); }
bool BASS_CD_Analog_Stop(uint32_t) { return noDrive(false); }
uint32_t BASS_CD_Analog_IsActive(uint32_t) { return noDrive(0u); }
uint32_t BASS_CD_Analog_GetPosition(uint32_t) { return noDrive(kFail32); }

}  // namespace media
