// Error numbers the engine reports through BASS_ErrorGetCode; scripts compare them as
// plain integers, so the values never change.
#pragma once

namespace media {

enum ErrorCode : int {
    kErrorOk = 0,
    kErrorMem = 1,        // out of memory, or the handle space is used up
    kErrorFileOpen = 2,   // the file could not be opened
    kErrorDriver = 3,     // the output device could not be opened
    kErrorHandle = 5,     // not a valid handle of the kind asked for
    kErrorFormat = 6,     // unsupported sample format
    kErrorPosition = 7,   // invalid position
    kErrorInit = 8,       // no device initialised
    kErrorStart = 9,      // output is paused or stopped
    kErrorNoCd = 12,      // no disc in the drive
    kErrorCdTrack = 13,   // no such track on the disc
    kErrorAlready = 14,   // already initialised, paused or in that state
    kErrorNoPause = 16,   // the channel is not paused
    kErrorNotAudio = 17,  // the track is a data track
    kErrorNoChan = 18,    // no free channel
    kErrorIllType = 19,   // illegal type
    kErrorIllParam = 20,  // illegal parameter
    kErrorNo3D = 21,      // no 3D support
    kErrorNoEax = 22,     // no EAX support
    kErrorDevice = 23,    // illegal device number
    kErrorNoPlay = 24,    // the channel is not playing
    kErrorFreq = 25,      // illegal sample rate
    kErrorNotFile = 27,   // the stream is not a file stream
    kErrorNoHw = 29,      // no hardware voices
    kErrorEmpty = 31,     // the file has no sound data
    kErrorNoNet = 32,     // no internet connection
    kErrorCreate = 33,    // could not create the file
    kErrorNoFx = 34,      // effects are not available
    kErrorPlaying = 35,   // the channel is playing
    kErrorNotAvail = 37,  // the requested data or service is not available
    kErrorDecode = 38,    // the channel is (or is not) a decoding channel
    kErrorTimeout = 40,   // a connection timed out
    kErrorFileForm = 41,  // unsupported file format
    kErrorUnknown = -1,
};

}  // namespace media
