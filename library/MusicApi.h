// The audio library's entry points as the music routines, the play list and the conversion
// hold them once bound by name. Internal to the music modules.
#pragma once

#include "media/Bass.h"
#include "media/CdAudio.h"
#include "media/Tags.h"

namespace library::music {

struct Api {
#define VANTREL_SLOT(fn) decltype(media::fn)* fn = nullptr
    VANTREL_SLOT(BASS_SetConfig);
    VANTREL_SLOT(BASS_GetConfig);
    VANTREL_SLOT(BASS_GetVersion);
    VANTREL_SLOT(BASS_GetDeviceDescription);
    VANTREL_SLOT(BASS_ErrorGetCode);
    VANTREL_SLOT(BASS_Init);
    VANTREL_SLOT(BASS_SetDevice);
    VANTREL_SLOT(BASS_GetDevice);
    VANTREL_SLOT(BASS_Free);
    VANTREL_SLOT(BASS_GetCPU);
    VANTREL_SLOT(BASS_SetVolume);
    VANTREL_SLOT(BASS_GetVolume);
    VANTREL_SLOT(BASS_MusicLoad);
    VANTREL_SLOT(BASS_MusicFree);
    VANTREL_SLOT(BASS_MusicGetLength);
    VANTREL_SLOT(BASS_MusicPreBuf);
    VANTREL_SLOT(BASS_MusicPlayEx);
    VANTREL_SLOT(BASS_StreamCreateFile);
    VANTREL_SLOT(BASS_StreamCreateURL);
    VANTREL_SLOT(BASS_StreamFree);
    VANTREL_SLOT(BASS_StreamGetLength);
    VANTREL_SLOT(BASS_StreamPreBuf);
    VANTREL_SLOT(BASS_StreamPlay);
    VANTREL_SLOT(BASS_StreamGetFilePosition);
    VANTREL_SLOT(BASS_ChannelBytes2Seconds);
    VANTREL_SLOT(BASS_ChannelSeconds2Bytes);
    VANTREL_SLOT(BASS_ChannelIsActive);
    VANTREL_SLOT(BASS_ChannelGetInfo);
    VANTREL_SLOT(BASS_ChannelStop);
    VANTREL_SLOT(BASS_ChannelPause);
    VANTREL_SLOT(BASS_ChannelResume);
    VANTREL_SLOT(BASS_ChannelSetAttributes);
    VANTREL_SLOT(BASS_ChannelGetAttributes);
    VANTREL_SLOT(BASS_ChannelSlideAttributes);
    VANTREL_SLOT(BASS_ChannelSetPosition);
    VANTREL_SLOT(BASS_ChannelGetPosition);
    VANTREL_SLOT(BASS_ChannelGetData);
    VANTREL_SLOT(BASS_ChannelSetSync);
    VANTREL_SLOT(BASS_ChannelRemoveSync);
    VANTREL_SLOT(BASS_MusicGetName);
    VANTREL_SLOT(BASS_StreamGetTags);
    // The CD family, set only when it bound as a whole.
    VANTREL_SLOT(BASS_CD_GetDriveDescription);
    VANTREL_SLOT(BASS_CD_GetDriveLetter);
    VANTREL_SLOT(BASS_CD_Door);
    VANTREL_SLOT(BASS_CD_DoorIsOpen);
    VANTREL_SLOT(BASS_CD_DoorIsLocked);
    VANTREL_SLOT(BASS_CD_GetTracks);
    VANTREL_SLOT(BASS_CD_GetID);
    VANTREL_SLOT(BASS_CD_StreamCreate);
    VANTREL_SLOT(BASS_CD_StreamCreateFile);
    VANTREL_SLOT(BASS_CD_StreamGetTrack);
    // The tag family, set only when it bound and answered the expected version.
    VANTREL_SLOT(TAGS_Read);
#undef VANTREL_SLOT
};

// Valid while musicLoaded().
const Api& api();
// The bound table itself, so tests can stand in for single entry points and restore them.
Api& apiForTests();

}  // namespace library::music
