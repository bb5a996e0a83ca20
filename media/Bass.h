// The audio library's entry points, with the arguments, results, flags and error numbers
// the music, CD, tag, play-list and conversion routines call. Each function sets the calling
// thread's last error (BASS_ErrorGetCode), kErrorOk on success.
//
// Units: handles are 32-bit and never reused within a run; lengths and positions are bytes
// of the channel's own format (8-bit channels count one byte per sample, all others two);
// attributes are frequency in Hz (100..100000, 0 = the source's own rate), volume 0..100 and
// panning -100..100, with -1 (frequency, volume) and -101 (panning) leaving a value as it is.
// Threads: every function may be called from any thread, also from a sync procedure.
// Slides advance with the channel's playback: a paused or stopped channel keeps sliding
// only once it plays again. Decoding channels (BASS_STREAM_DECODE) stay until freed even
// with BASS_STREAM_AUTOFREE, so their position and length can still be read at the end.
#pragma once

#include <cstdint>

namespace media {

// Creation and play flags.
inline constexpr uint32_t BASS_SAMPLE_8BITS = 0x1;
inline constexpr uint32_t BASS_SAMPLE_MONO = 0x2;
inline constexpr uint32_t BASS_SAMPLE_LOOP = 0x4;
inline constexpr uint32_t BASS_MUSIC_RAMPS = 0x400;
inline constexpr uint32_t BASS_MUSIC_CALCLEN = 0x8000;
inline constexpr uint32_t BASS_STREAM_AUTOFREE = 0x40000;
inline constexpr uint32_t BASS_STREAM_DECODE = 0x200000;
inline constexpr uint32_t BASS_STREAM_META = 0x400000;

// BASS_ChannelIsActive results.
inline constexpr uint32_t BASS_ACTIVE_STOPPED = 0;
inline constexpr uint32_t BASS_ACTIVE_PLAYING = 1;
inline constexpr uint32_t BASS_ACTIVE_STALLED = 2;
inline constexpr uint32_t BASS_ACTIVE_PAUSED = 3;

// BASS_ChannelIsSliding bits.
inline constexpr uint32_t BASS_SLIDE_FREQ = 1;
inline constexpr uint32_t BASS_SLIDE_VOL = 2;
inline constexpr uint32_t BASS_SLIDE_PAN = 4;

// Configuration options.
inline constexpr uint32_t BASS_CONFIG_BUFFER = 0;
inline constexpr uint32_t BASS_CONFIG_UPDATEPERIOD = 1;
inline constexpr uint32_t BASS_CONFIG_NET_TIMEOUT = 11;
inline constexpr uint32_t BASS_CONFIG_NET_BUFFER = 12;

// Sync types: the end of the channel (also at each loop), optionally removed after firing once.
inline constexpr uint32_t BASS_SYNC_END = 2;
inline constexpr uint32_t BASS_SYNC_ONETIME = 0x80000000;

inline constexpr uint32_t BASS_FILEPOS_DECODE = 0;
inline constexpr uint32_t BASS_FILEPOS_DOWNLOAD = 1;
inline constexpr uint32_t BASS_FILEPOS_END = 2;

inline constexpr uint32_t BASS_TAG_ID3 = 0;
inline constexpr uint32_t BASS_TAG_ID3V2 = 1;
inline constexpr uint32_t BASS_TAG_OGG = 2;
inline constexpr uint32_t BASS_TAG_HTTP = 3;
inline constexpr uint32_t BASS_TAG_ICY = 4;
inline constexpr uint32_t BASS_TAG_META = 5;

inline constexpr uint32_t kBassVersion = 2;  // major 2 in the low word, minor 0 in the high word
inline constexpr uint32_t kTagsVersion = 1;

struct BassChannelInfo {
    uint32_t freq;   // the source's sample rate
    uint32_t chans;  // channel count
    uint32_t flags;  // creation flags, BASS_SAMPLE_8BITS for 8-bit data, BASS_SAMPLE_MONO for mono
    uint32_t ctype;  // channel type code (see AudioStream.h)
};

// BassInfo::flags: the device plays into the "No sound" sink (chosen, or no output could open).
inline constexpr uint32_t kInfoFlagSink = 0x1;

struct BassInfo {
    uint32_t flags;
    uint32_t minbuf;   // smallest useful buffer length, ms
    uint32_t latency;  // output latency, ms
    uint32_t initflags;
    uint32_t speakers;
    uint32_t freq;  // output rate
};

struct Bass3DVector {
    float x, y, z;
};

// Called once per event on the engine's notification thread, with no engine lock held.
using SyncProc = void(uint32_t sync, uint32_t channel, uint32_t data, void* user);
// Produces up to `length` bytes for a user stream; BASS_STREAMPROC_END or-ed into the count ends it.
using StreamProc = uint32_t(uint32_t handle, void* buffer, uint32_t length, void* user);
using DownloadProc = void(const void* buffer, uint32_t length, void* user);
using FileProc = uint32_t(uint32_t action, uint32_t param1, uint32_t param2, void* user);
using RecordProc = bool(const void* buffer, uint32_t length, void* user);
using DspProc = void(uint32_t handle, uint32_t channel, void* buffer, uint32_t length, void* user);

// Library and devices. Device 0 is "No sound" (a sink paced by the clock), 1 the default
// output (falling back to the sink when no output opens), then the outputs of the system.
uint32_t BASS_SetConfig(uint32_t option, uint32_t value);
uint32_t BASS_GetConfig(uint32_t option);
uint32_t BASS_GetVersion();
const char* BASS_GetDeviceDescription(uint32_t device);
int32_t BASS_ErrorGetCode();
bool BASS_Init(int32_t device, uint32_t freq, uint32_t flags, void* window, const void* clsid);
bool BASS_SetDevice(uint32_t device);
uint32_t BASS_GetDevice();
bool BASS_Free();
void* BASS_GetDSoundObject(uint32_t object);
bool BASS_GetInfo(BassInfo* info);
bool BASS_Update();
float BASS_GetCPU();
bool BASS_Start();
bool BASS_Stop();
bool BASS_Pause();
bool BASS_SetVolume(uint32_t volume);
uint32_t BASS_GetVolume();
bool BASS_Set3DFactors(float distf, float rollf, float doppf);
bool BASS_Get3DFactors(float* distf, float* rollf, float* doppf);
bool BASS_Set3DPosition(const Bass3DVector* pos, const Bass3DVector* vel, const Bass3DVector* front,
                        const Bass3DVector* top);
bool BASS_Get3DPosition(Bass3DVector* pos, Bass3DVector* vel, Bass3DVector* front, Bass3DVector* top);
void BASS_Apply3D();
bool BASS_SetEAXParameters(int32_t env, float vol, float decay, float damp);
bool BASS_GetEAXParameters(uint32_t* env, float* vol, float* decay, float* damp);

// Music modules.
uint32_t BASS_MusicLoad(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags,
                        uint32_t freq);
bool BASS_MusicFree(uint32_t handle);
const char* BASS_MusicGetName(uint32_t handle);
uint32_t BASS_MusicGetLength(uint32_t handle, bool playlen);
bool BASS_MusicPreBuf(uint32_t handle);
bool BASS_MusicPlay(uint32_t handle);
bool BASS_MusicPlayEx(uint32_t handle, uint32_t pos, int32_t flags, bool reset);
bool BASS_MusicSetAmplify(uint32_t handle, uint32_t amp);
bool BASS_MusicSetPanSep(uint32_t handle, uint32_t pan);
bool BASS_MusicSetPositionScaler(uint32_t handle, uint32_t scale);
bool BASS_MusicSetVolume(uint32_t handle, uint32_t chanins, uint32_t volume);
uint32_t BASS_MusicGetVolume(uint32_t handle, uint32_t chanins);

// Samples (not offered: every call fails with kErrorNotAvail).
uint32_t BASS_SampleLoad(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t max,
                         uint32_t flags);
void* BASS_SampleCreate(uint32_t length, uint32_t freq, uint32_t max, uint32_t flags);
uint32_t BASS_SampleCreateDone();
bool BASS_SampleFree(uint32_t handle);
bool BASS_SampleGetInfo(uint32_t handle, void* info);
bool BASS_SampleSetInfo(uint32_t handle, const void* info);
uint32_t BASS_SamplePlay(uint32_t handle);
uint32_t BASS_SamplePlayEx(uint32_t handle, uint32_t start, int32_t freq, int32_t volume, int32_t pan,
                           bool loop);
uint32_t BASS_SamplePlay3D(uint32_t handle, const Bass3DVector* pos, const Bass3DVector* orient,
                           const Bass3DVector* vel);
uint32_t BASS_SamplePlay3DEx(uint32_t handle, const Bass3DVector* pos, const Bass3DVector* orient,
                             const Bass3DVector* vel, uint32_t start, int32_t freq, int32_t volume,
                             bool loop);
bool BASS_SampleStop(uint32_t handle);

// Streams.
uint32_t BASS_StreamCreate(uint32_t freq, uint32_t flags, StreamProc* proc, void* user);
uint32_t BASS_StreamCreateFile(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
// http, https and ftp addresses: waits until the audio format is known or the network
// time-out (BASS_CONFIG_NET_TIMEOUT) passes without a byte, without holding up other channels.
uint32_t BASS_StreamCreateURL(const char* url, uint32_t offset, uint32_t flags, DownloadProc* proc,
                              void* user);
uint32_t BASS_StreamCreateFileUser(bool buffered, uint32_t flags, FileProc* proc, void* user);
bool BASS_StreamFree(uint32_t handle);
uint64_t BASS_StreamGetLength(uint32_t handle);
// Kind 5 (an internet stream's latest metadata text) stays valid until the calling thread
// asks for it again; the other kinds for the channel's life.
const char* BASS_StreamGetTags(uint32_t handle, uint32_t tags);
bool BASS_StreamPreBuf(uint32_t handle);
bool BASS_StreamPlay(uint32_t handle, bool flush, uint32_t flags);
uint32_t BASS_StreamGetFilePosition(uint32_t handle, uint32_t mode);

// Recording (not offered: every call fails with kErrorNotAvail).
const char* BASS_RecordGetDeviceDescription(uint32_t device);
bool BASS_RecordInit(int32_t device);
bool BASS_RecordSetDevice(uint32_t device);
uint32_t BASS_RecordGetDevice();
bool BASS_RecordFree();
bool BASS_RecordGetInfo(void* info);
const char* BASS_RecordGetInputName(int32_t input);
bool BASS_RecordSetInput(int32_t input, uint32_t setting);
uint32_t BASS_RecordGetInput(int32_t input);
uint32_t BASS_RecordStart(uint32_t freq, uint32_t flags, RecordProc* proc, void* user);

// Channels (streams and music alike).
float BASS_ChannelBytes2Seconds(uint32_t handle, uint64_t pos);
uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, float pos);
uint32_t BASS_ChannelGetDevice(uint32_t handle);
uint32_t BASS_ChannelIsActive(uint32_t handle);
bool BASS_ChannelGetInfo(uint32_t handle, BassChannelInfo* info);
bool BASS_ChannelStop(uint32_t handle);
bool BASS_ChannelPause(uint32_t handle);
bool BASS_ChannelResume(uint32_t handle);
bool BASS_ChannelSetAttributes(uint32_t handle, int32_t freq, int32_t volume, int32_t pan);
bool BASS_ChannelGetAttributes(uint32_t handle, uint32_t* freq, uint32_t* volume, int32_t* pan);
bool BASS_ChannelSlideAttributes(uint32_t handle, int32_t freq, int32_t volume, int32_t pan, uint32_t time);
uint32_t BASS_ChannelIsSliding(uint32_t handle);
bool BASS_ChannelSet3DAttributes(uint32_t handle, int32_t mode, float min, float max, int32_t iangle,
                                 int32_t oangle, int32_t outvol);
bool BASS_ChannelGet3DAttributes(uint32_t handle, uint32_t* mode, float* min, float* max, uint32_t* iangle,
                                 uint32_t* oangle, uint32_t* outvol);
bool BASS_ChannelSet3DPosition(uint32_t handle, const Bass3DVector* pos, const Bass3DVector* orient,
                               const Bass3DVector* vel);
bool BASS_ChannelGet3DPosition(uint32_t handle, Bass3DVector* pos, Bass3DVector* orient, Bass3DVector* vel);
bool BASS_ChannelSetPosition(uint32_t handle, uint64_t pos);
uint64_t BASS_ChannelGetPosition(uint32_t handle);
uint32_t BASS_ChannelGetLevel(uint32_t handle);
// Decoding channels only: decodes up to `length` bytes; (uint32_t)-1 on failure, 0 at the end.
uint32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length);
uint32_t BASS_ChannelSetSync(uint32_t handle, uint32_t type, uint64_t param, SyncProc* proc, void* user);
bool BASS_ChannelRemoveSync(uint32_t handle, uint32_t sync);
uint32_t BASS_ChannelSetDSP(uint32_t handle, DspProc* proc, void* user, int32_t priority);
bool BASS_ChannelRemoveDSP(uint32_t handle, uint32_t dsp);
bool BASS_ChannelSetEAXMix(uint32_t handle, float mix);
bool BASS_ChannelGetEAXMix(uint32_t handle, float* mix);
bool BASS_ChannelSetLink(uint32_t handle, uint32_t chan);
bool BASS_ChannelRemoveLink(uint32_t handle, uint32_t chan);
uint32_t BASS_ChannelSetFX(uint32_t handle, uint32_t type, int32_t priority);
bool BASS_ChannelRemoveFX(uint32_t handle, uint32_t fx);
bool BASS_FXSetParameters(uint32_t handle, const void* par);
bool BASS_FXGetParameters(uint32_t handle, void* par);

}  // namespace media
