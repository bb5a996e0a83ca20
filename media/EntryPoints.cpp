// Name -> address tables of every entry-point family.
#include "media/EntryPoints.h"

#include "media/Bass.h"
#include "media/CdAudio.h"
#include "media/Tags.h"

namespace media {

namespace {

const EntryPoint kBass[] = {
    {"BASS_SetConfig", reinterpret_cast<void (*)()>(&BASS_SetConfig)},
    {"BASS_GetConfig", reinterpret_cast<void (*)()>(&BASS_GetConfig)},
    {"BASS_GetVersion", reinterpret_cast<void (*)()>(&BASS_GetVersion)},
    {"BASS_GetDeviceDescription", reinterpret_cast<void (*)()>(&BASS_GetDeviceDescription)},
    {"BASS_ErrorGetCode", reinterpret_cast<void (*)()>(&BASS_ErrorGetCode)},
    {"BASS_Init", reinterpret_cast<void (*)()>(&BASS_Init)},
    {"BASS_SetDevice", reinterpret_cast<void (*)()>(&BASS_SetDevice)},
    {"BASS_GetDevice", reinterpret_cast<void (*)()>(&BASS_GetDevice)},
    {"BASS_Free", reinterpret_cast<void (*)()>(&BASS_Free)},
    {"BASS_GetDSoundObject", reinterpret_cast<void (*)()>(&BASS_GetDSoundObject)},
    {"BASS_GetInfo", reinterpret_cast<void (*)()>(&BASS_GetInfo)},
    {"BASS_Update", reinterpret_cast<void (*)()>(&BASS_Update)},
    {"BASS_GetCPU", reinterpret_cast<void (*)()>(&BASS_GetCPU)},
    {"BASS_Start", reinterpret_cast<void (*)()>(&BASS_Start)},
    {"BASS_Stop", reinterpret_cast<void (*)()>(&BASS_Stop)},
    {"BASS_Pause", reinterpret_cast<void (*)()>(&BASS_Pause)},
    {"BASS_SetVolume", reinterpret_cast<void (*)()>(&BASS_SetVolume)},
    {"BASS_GetVolume", reinterpret_cast<void (*)()>(&BASS_GetVolume)},
    {"BASS_Set3DFactors", reinterpret_cast<void (*)()>(&BASS_Set3DFactors)},
    {"BASS_Get3DFactors", reinterpret_cast<void (*)()>(&BASS_Get3DFactors)},
    {"BASS_Set3DPosition", reinterpret_cast<void (*)()>(&BASS_Set3DPosition)},
    {"BASS_Get3DPosition", reinterpret_cast<void (*)()>(&BASS_Get3DPosition)},
    {"BASS_Apply3D", reinterpret_cast<void (*)()>(&BASS_Apply3D)},
    {"BASS_SetEAXParameters", reinterpret_cast<void (*)()>(&BASS_SetEAXParameters)},
    {"BASS_GetEAXParameters", reinterpret_cast<void (*)()>(&BASS_GetEAXParameters)},
    {"BASS_MusicLoad", reinterpret_cast<void (*)()>(&BASS_MusicLoad)},
    {"BASS_MusicFree", reinterpret_cast<void (*)()>(&BASS_MusicFree)},
    {"BASS_MusicGetName", reinterpret_cast<void (*)()>(&BASS_MusicGetName)},
    {"BASS_MusicGetLength", reinterpret_cast<void (*)()>(&BASS_MusicGetLength)},
    {"BASS_MusicPreBuf", reinterpret_cast<void (*)()>(&BASS_MusicPreBuf)},
    {"BASS_MusicPlay", reinterpret_cast<void (*)()>(&BASS_MusicPlay)},
    {"BASS_MusicPlayEx", reinterpret_cast<void (*)()>(&BASS_MusicPlayEx)},
    {"BASS_MusicSetAmplify", reinterpret_cast<void (*)()>(&BASS_MusicSetAmplify)},
    {"BASS_MusicSetPanSep", reinterpret_cast<void (*)()>(&BASS_MusicSetPanSep)},
    {"BASS_MusicSetPositionScaler", reinterpret_cast<void (*)()>(&BASS_MusicSetPositionScaler)},
    {"BASS_MusicSetVolume", reinterpret_cast<void (*)()>(&BASS_MusicSetVolume)},
    {"BASS_MusicGetVolume", reinterpret_cast<void (*)()>(&BASS_MusicGetVolume)},
    {"BASS_SampleLoad", reinterpret_cast<void (*)()>(&BASS_SampleLoad)},
    {"BASS_SampleCreate", reinterpret_cast<void (*)()>(&BASS_SampleCreate)},
    {"BASS_SampleCreateDone", reinterpret_cast<void (*)()>(&BASS_SampleCreateDone)},
    {"BASS_SampleFree", reinterpret_cast<void (*)()>(&BASS_SampleFree)},
    {"BASS_SampleGetInfo", reinterpret_cast<void (*)()>(&BASS_SampleGetInfo)},
    {"BASS_SampleSetInfo", reinterpret_cast<void (*)()>(&BASS_SampleSetInfo)},
    {"BASS_SamplePlay", reinterpret_cast<void (*)()>(&BASS_SamplePlay)},
    {"BASS_SamplePlayEx", reinterpret_cast<void (*)()>(&BASS_SamplePlayEx)},
    {"BASS_SamplePlay3D", reinterpret_cast<void (*)()>(&BASS_SamplePlay3D)},
    {"BASS_SamplePlay3DEx", reinterpret_cast<void (*)()>(&BASS_SamplePlay3DEx)},
    {"BASS_SampleStop", reinterpret_cast<void (*)()>(&BASS_SampleStop)},
    {"BASS_StreamCreate", reinterpret_cast<void (*)()>(&BASS_StreamCreate)},
    {"BASS_StreamCreateFile", reinterpret_cast<void (*)()>(&BASS_StreamCreateFile)},
    {"BASS_StreamCreateURL", reinterpret_cast<void (*)()>(&BASS_StreamCreateURL)},
    {"BASS_StreamCreateFileUser", reinterpret_cast<void (*)()>(&BASS_StreamCreateFileUser)},
    {"BASS_StreamFree", reinterpret_cast<void (*)()>(&BASS_StreamFree)},
    {"BASS_StreamGetLength", reinterpret_cast<void (*)()>(&BASS_StreamGetLength)},
    {"BASS_StreamGetTags", reinterpret_cast<void (*)()>(&BASS_StreamGetTags)},
    {"BASS_StreamPreBuf", reinterpret_cast<void (*)()>(&BASS_StreamPreBuf)},
    {"BASS_StreamPlay", reinterpret_cast<void (*)()>(&BASS_StreamPlay)},
    {"BASS_StreamGetFilePosition", reinterpret_cast<void (*)()>(&BASS_StreamGetFilePosition)},
    {"BASS_RecordGetDeviceDescription", reinterpret_cast<void (*)()>(&BASS_RecordGetDeviceDescription)},
    {"BASS_RecordInit", reinterpret_cast<void (*)()>(&BASS_RecordInit)},
    {"BASS_RecordSetDevice", reinterpret_cast<void (*)()>(&BASS_RecordSetDevice)},
    {"BASS_RecordGetDevice", reinterpret_cast<void (*)()>(&BASS_RecordGetDevice)},
    {"BASS_RecordFree", reinterpret_cast<void (*)()>(&BASS_RecordFree)},
    {"BASS_RecordGetInfo", reinterpret_cast<void (*)()>(&BASS_RecordGetInfo)},
    {"BASS_RecordGetInputName", reinterpret_cast<void (*)()>(&BASS_RecordGetInputName)},
    {"BASS_RecordSetInput", reinterpret_cast<void (*)()>(&BASS_RecordSetInput)},
    {"BASS_RecordGetInput", reinterpret_cast<void (*)()>(&BASS_RecordGetInput)},
    {"BASS_RecordStart", reinterpret_cast<void (*)()>(&BASS_RecordStart)},
    {"BASS_ChannelBytes2Seconds", reinterpret_cast<void (*)()>(&BASS_ChannelBytes2Seconds)},
    {"BASS_ChannelSeconds2Bytes", reinterpret_cast<void (*)()>(&BASS_ChannelSeconds2Bytes)},
    {"BASS_ChannelGetDevice", reinterpret_cast<void (*)()>(&BASS_ChannelGetDevice)},
    {"BASS_ChannelIsActive", reinterpret_cast<void (*)()>(&BASS_ChannelIsActive)},
    {"BASS_ChannelGetInfo", reinterpret_cast<void (*)()>(&BASS_ChannelGetInfo)},
    {"BASS_ChannelStop", reinterpret_cast<void (*)()>(&BASS_ChannelStop)},
    {"BASS_ChannelPause", reinterpret_cast<void (*)()>(&BASS_ChannelPause)},
    {"BASS_ChannelResume", reinterpret_cast<void (*)()>(&BASS_ChannelResume)},
    {"BASS_ChannelSetAttributes", reinterpret_cast<void (*)()>(&BASS_ChannelSetAttributes)},
    {"BASS_ChannelGetAttributes", reinterpret_cast<void (*)()>(&BASS_ChannelGetAttributes)},
    {"BASS_ChannelSlideAttributes", reinterpret_cast<void (*)()>(&BASS_ChannelSlideAttributes)},
    {"BASS_ChannelIsSliding", reinterpret_cast<void (*)()>(&BASS_ChannelIsSliding)},
    {"BASS_ChannelSet3DAttributes", reinterpret_cast<void (*)()>(&BASS_ChannelSet3DAttributes)},
    {"BASS_ChannelGet3DAttributes", reinterpret_cast<void (*)()>(&BASS_ChannelGet3DAttributes)},
    {"BASS_ChannelSet3DPosition", reinterpret_cast<void (*)()>(&BASS_ChannelSet3DPosition)},
    {"BASS_ChannelGet3DPosition", reinterpret_cast<void (*)()>(&BASS_ChannelGet3DPosition)},
    {"BASS_ChannelSetPosition", reinterpret_cast<void (*)()>(&BASS_ChannelSetPosition)},
    {"BASS_ChannelGetPosition", reinterpret_cast<void (*)()>(&BASS_ChannelGetPosition)},
    {"BASS_ChannelGetLevel", reinterpret_cast<void (*)()>(&BASS_ChannelGetLevel)},
    {"BASS_ChannelGetData", reinterpret_cast<void (*)()>(&BASS_ChannelGetData)},
    {"BASS_ChannelSetSync", reinterpret_cast<void (*)()>(&BASS_ChannelSetSync)},
    {"BASS_ChannelRemoveSync", reinterpret_cast<void (*)()>(&BASS_ChannelRemoveSync)},
    {"BASS_ChannelSetDSP", reinterpret_cast<void (*)()>(&BASS_ChannelSetDSP)},
    {"BASS_ChannelRemoveDSP", reinterpret_cast<void (*)()>(&BASS_ChannelRemoveDSP)},
    {"BASS_ChannelSetEAXMix", reinterpret_cast<void (*)()>(&BASS_ChannelSetEAXMix)},
    {"BASS_ChannelGetEAXMix", reinterpret_cast<void (*)()>(&BASS_ChannelGetEAXMix)},
    {"BASS_ChannelSetLink", reinterpret_cast<void (*)()>(&BASS_ChannelSetLink)},
    {"BASS_ChannelRemoveLink", reinterpret_cast<void (*)()>(&BASS_ChannelRemoveLink)},
    {"BASS_ChannelSetFX", reinterpret_cast<void (*)()>(&BASS_ChannelSetFX)},
    {"BASS_ChannelRemoveFX", reinterpret_cast<void (*)()>(&BASS_ChannelRemoveFX)},
    {"BASS_FXSetParameters", reinterpret_cast<void (*)()>(&BASS_FXSetParameters)},
    {"BASS_FXGetParameters", reinterpret_cast<void (*)()>(&BASS_FXGetParameters)},
};

const EntryPoint kCd[] = {
    {"BASS_CD_GetDriveDescription", reinterpret_cast<void (*)()>(&BASS_CD_GetDriveDescription)},
    {"BASS_CD_GetDriveLetter", reinterpret_cast<void (*)()>(&BASS_CD_GetDriveLetter)},
    {"BASS_CD_GetInfo", reinterpret_cast<void (*)()>(&BASS_CD_GetInfo)},
    {"BASS_CD_Door", reinterpret_cast<void (*)()>(&BASS_CD_Door)},
    {"BASS_CD_DoorIsOpen", reinterpret_cast<void (*)()>(&BASS_CD_DoorIsOpen)},
    {"BASS_CD_DoorIsLocked", reinterpret_cast<void (*)()>(&BASS_CD_DoorIsLocked)},
    {"BASS_CD_IsReady", reinterpret_cast<void (*)()>(&BASS_CD_IsReady)},
    {"BASS_CD_GetTracks", reinterpret_cast<void (*)()>(&BASS_CD_GetTracks)},
    {"BASS_CD_GetTrackLength", reinterpret_cast<void (*)()>(&BASS_CD_GetTrackLength)},
    {"BASS_CD_GetID", reinterpret_cast<void (*)()>(&BASS_CD_GetID)},
    {"BASS_CD_Release", reinterpret_cast<void (*)()>(&BASS_CD_Release)},
    {"BASS_CD_StreamCreate", reinterpret_cast<void (*)()>(&BASS_CD_StreamCreate)},
    {"BASS_CD_StreamCreateFile", reinterpret_cast<void (*)()>(&BASS_CD_StreamCreateFile)},
    {"BASS_CD_StreamGetTrack", reinterpret_cast<void (*)()>(&BASS_CD_StreamGetTrack)},
    {"BASS_CD_Analog_Play", reinterpret_cast<void (*)()>(&BASS_CD_Analog_Play)},
    {"BASS_CD_Analog_PlayFile", reinterpret_cast<void (*)()>(&BASS_CD_Analog_PlayFile)},
    {"BASS_CD_Analog_Stop", reinterpret_cast<void (*)()>(&BASS_CD_Analog_Stop)},
    {"BASS_CD_Analog_IsActive", reinterpret_cast<void (*)()>(&BASS_CD_Analog_IsActive)},
    {"BASS_CD_Analog_GetPosition", reinterpret_cast<void (*)()>(&BASS_CD_Analog_GetPosition)},
};

const EntryPoint kTags[] = {
    {"TAGS_GetLastErrorDesc", reinterpret_cast<void (*)()>(&TAGS_GetLastErrorDesc)},
    {"TAGS_Read", reinterpret_cast<void (*)()>(&TAGS_Read)},
    {"TAGS_GetVersion", reinterpret_cast<void (*)()>(&TAGS_GetVersion)},
};

}  // namespace

std::span<const EntryPoint> bassEntryPoints() { return kBass; }
std::span<const EntryPoint> cdEntryPoints() { return kCd; }
std::span<const EntryPoint> tagsEntryPoints() { return kTags; }

void (*findEntryPoint(std::span<const EntryPoint> table, std::string_view name))() {
    for (const EntryPoint& entry : table)
        if (name == entry.name) return entry.address;
    return nullptr;
}

}  // namespace media
