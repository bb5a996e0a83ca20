// The CD entry points. Drives are the engine's own indexes; until CD access exists every
// call reports that no drive is there (kErrorDevice) or that the service is not available.
#pragma once

#include <cstdint>

namespace media {

const char* BASS_CD_GetDriveDescription(uint32_t drive);
int32_t BASS_CD_GetDriveLetter(uint32_t drive);
bool BASS_CD_GetInfo(uint32_t drive, void* info);
bool BASS_CD_Door(uint32_t drive, uint32_t action);
bool BASS_CD_DoorIsOpen(uint32_t drive);
bool BASS_CD_DoorIsLocked(uint32_t drive);
bool BASS_CD_IsReady(uint32_t drive);
uint32_t BASS_CD_GetTracks(uint32_t drive);
uint32_t BASS_CD_GetTrackLength(uint32_t drive, uint32_t track);
const char* BASS_CD_GetID(uint32_t drive, uint32_t id);
bool BASS_CD_Release(uint32_t drive);
uint32_t BASS_CD_StreamCreate(uint32_t drive, uint32_t track, uint32_t flags);
uint32_t BASS_CD_StreamCreateFile(const char* file, uint32_t flags);
uint32_t BASS_CD_StreamGetTrack(uint32_t handle);
bool BASS_CD_Analog_Play(uint32_t drive, uint32_t track, uint32_t pos);
uint32_t BASS_CD_Analog_PlayFile(const char* file, uint32_t pos);
bool BASS_CD_Analog_Stop(uint32_t drive);
uint32_t BASS_CD_Analog_IsActive(uint32_t drive);
uint32_t BASS_CD_Analog_GetPosition(uint32_t drive);

}  // namespace media
