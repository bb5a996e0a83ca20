// The entry points: argument checks, error numbers and the channel life cycle over the engine.
#include "media/Bass.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/Engine.h"
#include "media/ErrorCode.h"
#include "media/LastError.h"
#include "media/decoders/DecoderTable.h"
#include "media/decoders/UserStream.h"
#include "media/net/UrlStream.h"

namespace media {

namespace {

using Lock = std::lock_guard<std::mutex>;

constexpr uint32_t kFail32 = 0xFFFFFFFFu;
constexpr uint64_t kFail64 = ~uint64_t{0};

// Records `code` as the calling thread's last error and returns `result`, so every exit
// of an entry point reads `return fail(kErrorX, value)`.
template <class T>
T fail(int32_t code, T result) {
    t_lastError = code;
    return result;
}

template <class T>
T ok(T result) {
    t_lastError = kErrorOk;
    return result;
}

Engine& engine() { return Engine::instance(); }

enum class KindFilter { Any, Stream, Music };

// The live channel behind `handle` of the wanted kind; nullptr (error set) otherwise.
std::shared_ptr<Channel> lookup(uint32_t handle, KindFilter filter = KindFilter::Any) {
    auto channel = engine().find(handle);
    if (!channel || (filter == KindFilter::Stream && channel->kind != ChannelKind::Stream) ||
        (filter == KindFilter::Music && channel->kind != ChannelKind::Music)) {
        t_lastError = kErrorHandle;
        return nullptr;
    }
    return channel;
}

uint32_t bytesPerFrame(const Channel& c) { return static_cast<uint32_t>(c.format.bytesPerFrame()); }

std::unique_ptr<DataSource> openSource(bool mem, const void* file, uint32_t offset, uint32_t length) {
    if (!file) return nullptr;
    if (mem) return openMemorySource(static_cast<const uint8_t*>(file) + offset, length);
    return openFileSource(static_cast<const char*>(file), offset, length);
}

// Opens a file or memory block with the decoders of `family` and registers the channel.
uint32_t createChannel(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags,
                       DecoderFamily family) {
    Lock lock(engine().mutex);
    if (!engine().currentDevice()) return fail(kErrorInit, 0u);
    std::unique_ptr<DataSource> source = openSource(mem, file, offset, length);
    if (!source) return fail(kErrorFileOpen, 0u);
    std::unique_ptr<AudioStream> stream;
    try {
        stream = openStream(std::move(source), family);
    } catch (const FormatError&) {
        return fail(kErrorFileForm, 0u);
    } catch (const std::bad_alloc&) {
        return fail(kErrorMem, 0u);
    }
    if (!stream) return fail(kErrorFileForm, 0u);
    const StreamFormat format = stream->format();
    if (format.width == SampleWidth::Bits8) flags |= BASS_SAMPLE_8BITS;
    if (format.channels == 1) flags |= BASS_SAMPLE_MONO;
    const ChannelKind kind = family == DecoderFamily::Module ? ChannelKind::Music : ChannelKind::Stream;
    const uint32_t handle = engine().add(std::move(stream), kind, flags);
    if (handle == 0) return fail(kErrorMem, 0u);
    return ok(handle);
}

// Fills the ring before playback starts (caller holds the engine lock).
void prebuffer(Channel& c) {
    std::lock_guard<std::mutex> lock(c.decodeMutex);
    c.fill();
}

// Puts the channel back at `frame` with an empty ring (caller holds the engine lock).
bool restart(Channel& c, int64_t frame) {
    engine().holdFromMixer(c);
    bool done;
    {
        std::lock_guard<std::mutex> lock(c.decodeMutex);
        done = c.resetTo(frame);
        if (done && c.state.load() != static_cast<int>(PlayState::Stopped)) c.fill();
    }
    c.mixable.store(true, std::memory_order_release);
    return done;
}

bool startPlaying(Channel& c, bool fromStart) {
    if (c.decodeOnly) return fail(kErrorDecode, false);
    if (fromStart || c.hasEnded()) {
        if (!restart(c, 0)) return fail(kErrorPosition, false);
    }
    prebuffer(c);  // tops the ring up, so playback never starts on an empty one
    c.state = static_cast<int>(PlayState::Playing);
    if (Device* dev = engine().device(c.device)) dev->output->start();
    engine().wakeWorker();
    return ok(true);
}

bool freeChannel(uint32_t handle, KindFilter filter) {
    Lock lock(engine().mutex);
    auto channel = lookup(handle, filter);
    if (!channel) return false;
    engine().remove(channel);
    return ok(true);
}

// Decoding channels: decodes straight from the source on the caller's thread.
uint32_t decodeInto(Engine& e, const std::shared_ptr<Channel>& c, void* buffer, uint32_t length) {
    const uint32_t bpf = bytesPerFrame(*c);
    const auto channels = static_cast<size_t>(c->format.channels);
    size_t frames = length / bpf;
    size_t done = 0;
    bool ended = false;
    {
        std::lock_guard<std::mutex> lock(c->decodeMutex);
        if (c->decodeEnded) return 0;
        std::vector<int16_t>& pcm = c->decodeScratch;
        pcm.resize(frames * channels);
        while (done < frames) {
            const size_t got = c->stream->read(pcm.data() + done * channels, frames - done);
            done += got;
            c->decodePosition += static_cast<int64_t>(got);
            if (done == frames || !c->stream->exhausted())
                break;  // all asked for, or a caller's procedure that has nothing yet
            const bool loop = (c->flags.load() & BASS_SAMPLE_LOOP) != 0;
            if (loop && !c->stream->failed() && got > 0 && c->stream->seek(0)) {
                c->decodePosition = 0;
                continue;
            }
            c->decodeEnded = true;
            ended = true;
            break;
        }
        if (c->format.width == SampleWidth::Bits8) {
            auto* out = static_cast<uint8_t*>(buffer);
            for (size_t i = 0; i < done * channels; ++i) out[i] = static_cast<uint8_t>((pcm[i] >> 8) + 128);
        } else {
            std::memcpy(buffer, pcm.data(), done * channels * 2);
        }
    }
    if (ended) {
        Lock lock(e.mutex);
        e.postEndSyncs(*c);
    }
    return static_cast<uint32_t>(done * bpf);
}

}  // namespace

// ---- library and devices ----

uint32_t BASS_SetConfig(uint32_t option, uint32_t value) {
    Lock lock(engine().mutex);
    Engine& e = engine();
    switch (option) {
    case BASS_CONFIG_BUFFER: return ok(e.bufferMs = std::clamp<uint32_t>(value, 10, 5000));
    case BASS_CONFIG_UPDATEPERIOD: return ok(e.updatePeriodMs = std::clamp<uint32_t>(value, 5, 100));
    case BASS_CONFIG_NET_TIMEOUT: return ok(e.netTimeoutMs = value);
    case BASS_CONFIG_NET_BUFFER: return ok(e.netBufferMs = std::max<uint32_t>(value, 1000));
    default: return fail(kErrorIllParam, kFail32);
    }
}

uint32_t BASS_GetConfig(uint32_t option) {
    Lock lock(engine().mutex);
    Engine& e = engine();
    switch (option) {
    case BASS_CONFIG_BUFFER: return ok(e.bufferMs);
    case BASS_CONFIG_UPDATEPERIOD: return ok(e.updatePeriodMs);
    case BASS_CONFIG_NET_TIMEOUT: return ok(e.netTimeoutMs);
    case BASS_CONFIG_NET_BUFFER: return ok(e.netBufferMs);
    default: return fail(kErrorIllParam, kFail32);
    }
}

uint32_t BASS_GetVersion() { return ok(kBassVersion); }

const char* BASS_GetDeviceDescription(uint32_t device) {
    Lock lock(engine().mutex);
    const auto& names = engine().deviceNames();
    if (device >= names.size()) return fail<const char*>(kErrorDevice, nullptr);
    return ok(names[device].c_str());
}

int32_t BASS_ErrorGetCode() { return t_lastError; }

bool BASS_Init(int32_t device, uint32_t freq, uint32_t, void*, const void*) {
    Lock lock(engine().mutex);
    Engine& e = engine();
    if (device == -1) device = 1;
    if (device < 0 || static_cast<size_t>(device) >= e.deviceNames().size()) return fail(kErrorDevice, false);
    if (e.device(device)) return fail(kErrorAlready, false);
    const int rate = freq == 0 ? 44100 : static_cast<int>(std::clamp<uint32_t>(freq, 8000, 192000));
    if (!e.openDevice(device, rate)) return fail(kErrorDriver, false);
    e.setCurrentDevice(device);
    return ok(true);
}

bool BASS_SetDevice(uint32_t device) {
    Lock lock(engine().mutex);
    if (device >= engine().deviceNames().size()) return fail(kErrorDevice, false);
    if (!engine().device(static_cast<int>(device))) return fail(kErrorInit, false);
    engine().setCurrentDevice(static_cast<int>(device));
    return ok(true);
}

uint32_t BASS_GetDevice() {
    Lock lock(engine().mutex);
    if (!engine().currentDevice()) return fail(kErrorInit, kFail32);
    return ok(static_cast<uint32_t>(engine().currentDeviceIndex()));
}

bool BASS_Free() {
    Lock lock(engine().mutex);
    Engine& e = engine();
    if (!e.currentDevice()) return fail(kErrorInit, false);
    e.closeDevice(e.currentDeviceIndex());
    e.setCurrentDevice(-1);
    return ok(true);
}

void* BASS_GetDSoundObject(uint32_t) { return fail<void*>(kErrorNotAvail, nullptr); }

bool BASS_GetInfo(BassInfo* info) {
    Lock lock(engine().mutex);
    Device* dev = engine().currentDevice();
    if (!dev) return fail(kErrorInit, false);
    if (!info) return fail(kErrorIllParam, false);
    *info = BassInfo{};
    info->flags = dev->isSink ? kInfoFlagSink : 0;
    info->minbuf = 10;
    info->latency = static_cast<uint32_t>(dev->output->latencyMs());
    info->speakers = 2;
    info->freq = static_cast<uint32_t>(dev->mixer->rate());
    return ok(true);
}

bool BASS_Update() {
    {
        Lock lock(engine().mutex);
        if (!engine().currentDevice()) return fail(kErrorInit, false);
    }
    engine().wakeWorker();
    return ok(true);
}

float BASS_GetCPU() {
    Lock lock(engine().mutex);
    return ok(engine().cpuPercent());
}

bool BASS_Start() {
    Lock lock(engine().mutex);
    Device* dev = engine().currentDevice();
    if (!dev) return fail(kErrorInit, false);
    dev->output->start();
    return ok(true);
}

bool BASS_Stop() {
    Lock lock(engine().mutex);
    Device* dev = engine().currentDevice();
    if (!dev) return fail(kErrorInit, false);
    dev->output->pause();
    engine().stopChannels(dev->index);
    return ok(true);
}

bool BASS_Pause() {
    Lock lock(engine().mutex);
    Device* dev = engine().currentDevice();
    if (!dev) return fail(kErrorInit, false);
    dev->output->pause();
    return ok(true);
}

bool BASS_SetVolume(uint32_t volume) {
    Lock lock(engine().mutex);
    Device* dev = engine().currentDevice();
    if (!dev) return fail(kErrorInit, false);
    if (volume > 100) return fail(kErrorIllParam, false);
    dev->mixer->setMasterVolume(static_cast<int>(volume));
    return ok(true);
}

uint32_t BASS_GetVolume() {
    Lock lock(engine().mutex);
    Device* dev = engine().currentDevice();
    if (!dev) return fail(kErrorInit, kFail32);
    return ok(static_cast<uint32_t>(dev->mixer->masterVolume()));
}

bool BASS_Set3DFactors(float, float, float) { return fail(kErrorNo3D, false); }
bool BASS_Get3DFactors(float*, float*, float*) { return fail(kErrorNo3D, false); }
bool BASS_Set3DPosition(const Bass3DVector*, const Bass3DVector*, const Bass3DVector*, const Bass3DVector*) {
    return fail(kErrorNo3D, false);
}
bool BASS_Get3DPosition(Bass3DVector*, Bass3DVector*, Bass3DVector*, Bass3DVector*) {
    return fail(kErrorNo3D, false);
}
void BASS_Apply3D() { t_lastError = kErrorNo3D; }
bool BASS_SetEAXParameters(int32_t, float, float, float) { return fail(kErrorNoEax, false); }
bool BASS_GetEAXParameters(uint32_t*, float*, float*, float*) { return fail(kErrorNoEax, false); }

// ---- music ----

uint32_t BASS_MusicLoad(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags,
                        uint32_t) {
    // FIXME: modules always render at 44100 Hz; the requested rate is not applied.
    return createChannel(mem, file, offset, length, flags, DecoderFamily::Module);
}

bool BASS_MusicFree(uint32_t handle) { return freeChannel(handle, KindFilter::Music); }

const char* BASS_MusicGetName(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Music);
    if (!c) return nullptr;
    return ok(c->tags.name.c_str());
}

uint32_t BASS_MusicGetLength(uint32_t handle, bool playlen) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Music);
    if (!c) return kFail32;
    std::lock_guard<std::mutex> decode(c->decodeMutex);
    if (!playlen) return ok(static_cast<uint32_t>(c->stream->orderCount()));
    const int64_t frames = c->stream->length();
    if (frames < 0) return fail(kErrorNotAvail, kFail32);
    return ok(static_cast<uint32_t>(std::min<int64_t>(frames * bytesPerFrame(*c), 0xFFFFFFFE)));
}

bool BASS_MusicPreBuf(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Music);
    if (!c) return false;
    if (c->decodeOnly) return fail(kErrorDecode, false);
    prebuffer(*c);
    return ok(true);
}

bool BASS_MusicPlay(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Music);
    if (!c) return false;
    return startPlaying(*c, false);
}

bool BASS_MusicPlayEx(uint32_t handle, uint32_t pos, int32_t flags, bool reset) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Music);
    if (!c) return false;
    if (c->decodeOnly) return fail(kErrorDecode, false);
    if (flags != -1) {
        const uint32_t keep = c->flags.load() & ~BASS_SAMPLE_LOOP;
        c->flags = keep | (static_cast<uint32_t>(flags) & BASS_SAMPLE_LOOP);
    }
    // pos: the order in the low word, the row in the high word; -1 goes on where it is.
    // FIXME: `reset` (clearing the module's effect state) is implied by every seek.
    (void)reset;
    if (pos == kFail32) return startPlaying(*c, false);
    int64_t frame;
    {
        std::lock_guard<std::mutex> decode(c->decodeMutex);
        frame = c->stream->frameAtOrder(static_cast<int>(pos & 0xFFFF), static_cast<int>(pos >> 16));
    }
    if (frame < 0) return fail(kErrorPosition, false);
    c->state = static_cast<int>(PlayState::Stopped);
    if (!restart(*c, frame)) return fail(kErrorPosition, false);
    return startPlaying(*c, false);
}

// FIXME: amplification, panning separation, position scaling and per-channel volumes of
// modules are not offered yet.
bool BASS_MusicSetAmplify(uint32_t, uint32_t) { return fail(kErrorNotAvail, false); }
bool BASS_MusicSetPanSep(uint32_t, uint32_t) { return fail(kErrorNotAvail, false); }
bool BASS_MusicSetPositionScaler(uint32_t, uint32_t) { return fail(kErrorNotAvail, false); }
bool BASS_MusicSetVolume(uint32_t, uint32_t, uint32_t) { return fail(kErrorNotAvail, false); }
uint32_t BASS_MusicGetVolume(uint32_t, uint32_t) { return fail(kErrorNotAvail, kFail32); }

// ---- samples: not offered ----

uint32_t BASS_SampleLoad(bool, const void*, uint32_t, uint32_t, uint32_t, uint32_t) {
    return fail(kErrorNotAvail, 0u);
}
void* BASS_SampleCreate(uint32_t, uint32_t, uint32_t, uint32_t) {
    return fail<void*>(kErrorNotAvail, nullptr);
}
uint32_t BASS_SampleCreateDone() { return fail(kErrorNotAvail, 0u); }
bool BASS_SampleFree(uint32_t) { return fail(kErrorNotAvail, false); }
bool BASS_SampleGetInfo(uint32_t, void*) { return fail(kErrorNotAvail, false); }
bool BASS_SampleSetInfo(uint32_t, const void*) { return fail(kErrorNotAvail, false); }
uint32_t BASS_SamplePlay(uint32_t) { return fail(kErrorNotAvail, 0u); }
uint32_t BASS_SamplePlayEx(uint32_t, uint32_t, int32_t, int32_t, int32_t, bool) {
    return fail(kErrorNotAvail, 0u);
}
uint32_t BASS_SamplePlay3D(uint32_t, const Bass3DVector*, const Bass3DVector*, const Bass3DVector*) {
    return fail(kErrorNotAvail, 0u);
}
uint32_t BASS_SamplePlay3DEx(uint32_t, const Bass3DVector*, const Bass3DVector*, const Bass3DVector*,
                             uint32_t, int32_t, int32_t, bool) {
    return fail(kErrorNotAvail, 0u);
}
bool BASS_SampleStop(uint32_t) { return fail(kErrorNotAvail, false); }

// ---- streams ----

uint32_t BASS_StreamCreate(uint32_t freq, uint32_t flags, StreamProc* proc, void* user) {
    Lock lock(engine().mutex);
    if (!engine().currentDevice()) return fail(kErrorInit, 0u);
    if (!proc) return fail(kErrorIllParam, 0u);
    if (freq < 100 || freq > 100000) return fail(kErrorFreq, 0u);
    auto stream = std::make_unique<UserStream>(static_cast<int>(freq), flags, proc, user);
    UserStream* raw = stream.get();
    const uint32_t handle = engine().add(std::move(stream), ChannelKind::Stream, flags);
    if (handle == 0) return fail(kErrorMem, 0u);
    raw->setHandle(handle);
    return ok(handle);
}

uint32_t BASS_StreamCreateFile(bool mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags) {
    return createChannel(mem, file, offset, length, flags, DecoderFamily::Stream);
}

uint32_t BASS_StreamCreateURL(const char* url, uint32_t offset, uint32_t flags, DownloadProc* proc,
                              void* user) {
    UrlOptions options;
    {
        Lock lock(engine().mutex);
        if (!engine().currentDevice()) return fail(kErrorInit, 0u);
        options.timeoutMs = engine().netTimeoutMs;
        options.bufferMs = engine().netBufferMs;
    }
    if (!url) return fail(kErrorIllParam, 0u);
    const bool address = std::strncmp(url, "http://", 7) == 0 || std::strncmp(url, "https://", 8) == 0 ||
                         std::strncmp(url, "ftp://", 6) == 0;
    if (!address) return fail(kErrorFileOpen, 0u);
    options.offset = offset;
    options.proc = proc;
    options.user = user;
    // Connecting happens without the engine lock, so other channels play on meanwhile.
    int error = kErrorOk;
    std::unique_ptr<AudioStream> stream = openUrlStream(url, options, error);
    if (!stream) return fail(error, 0u);
    const StreamFormat format = stream->format();
    if (format.width == SampleWidth::Bits8) flags |= BASS_SAMPLE_8BITS;
    if (format.channels == 1) flags |= BASS_SAMPLE_MONO;
    Lock lock(engine().mutex);
    if (!engine().currentDevice()) return fail(kErrorInit, 0u);
    const uint32_t handle = engine().add(std::move(stream), ChannelKind::Stream, flags);
    if (handle == 0) return fail(kErrorMem, 0u);
    return ok(handle);
}

uint32_t BASS_StreamCreateFileUser(bool, uint32_t, FileProc*, void*) { return fail(kErrorNotAvail, 0u); }

bool BASS_StreamFree(uint32_t handle) { return freeChannel(handle, KindFilter::Stream); }

uint64_t BASS_StreamGetLength(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Stream);
    if (!c) return kFail64;
    std::lock_guard<std::mutex> decode(c->decodeMutex);
    const int64_t frames = c->stream->length();
    if (frames < 0) return fail(kErrorNotAvail, kFail64);
    return ok(static_cast<uint64_t>(frames) * bytesPerFrame(*c));
}

const char* BASS_StreamGetTags(uint32_t handle, uint32_t tags) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Stream);
    if (!c) return nullptr;
    if (tags == BASS_TAG_META) {
        // Internet streams change their metadata while they play; the stream object itself
        // never changes after creation, so it is asked without the decode lock.
        if (std::optional<std::string> meta = liveMetaText(*c->stream)) {
            thread_local std::string t_meta;
            t_meta = std::move(*meta);
            if (t_meta.empty()) return fail<const char*>(kErrorNotAvail, nullptr);
            return ok(t_meta.c_str());
        }
    }
    if (tags > BASS_TAG_META || c->tags.blocks[tags].empty())
        return fail<const char*>(kErrorNotAvail, nullptr);
    return ok(c->tags.blocks[tags].c_str());
}

bool BASS_StreamPreBuf(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Stream);
    if (!c) return false;
    if (c->decodeOnly) return fail(kErrorDecode, false);
    prebuffer(*c);
    return ok(true);
}

bool BASS_StreamPlay(uint32_t handle, bool flush, uint32_t flags) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Stream);
    if (!c) return false;
    // The play flags add looping; they never take away what the stream was created with.
    c->flags |= flags & BASS_SAMPLE_LOOP;
    return startPlaying(*c, flush);
}

uint32_t BASS_StreamGetFilePosition(uint32_t handle, uint32_t mode) {
    Lock lock(engine().mutex);
    auto c = lookup(handle, KindFilter::Stream);
    if (!c) return kFail32;
    std::lock_guard<std::mutex> decode(c->decodeMutex);
    const uint64_t size = c->stream->sourceSize();
    switch (mode) {
    case BASS_FILEPOS_DECODE: {
        const int64_t length = c->stream->length();
        const int64_t at = c->decodeOnly ? c->decodePosition : c->startFrame + c->written;
        if (length <= 0) return ok(0u);
        return ok(static_cast<uint32_t>(size * static_cast<uint64_t>(std::min(at, length)) /
                                        static_cast<uint64_t>(length)));
    }
    case BASS_FILEPOS_DOWNLOAD:
    case BASS_FILEPOS_END: return ok(static_cast<uint32_t>(std::min<uint64_t>(size, 0xFFFFFFFE)));
    default: return fail(kErrorIllParam, kFail32);
    }
}

// ---- recording: not offered ----

const char* BASS_RecordGetDeviceDescription(uint32_t) { return fail<const char*>(kErrorDevice, nullptr); }
bool BASS_RecordInit(int32_t) { return fail(kErrorNotAvail, false); }
bool BASS_RecordSetDevice(uint32_t) { return fail(kErrorInit, false); }
uint32_t BASS_RecordGetDevice() { return fail(kErrorInit, kFail32); }
bool BASS_RecordFree() { return fail(kErrorInit, false); }
bool BASS_RecordGetInfo(void*) { return fail(kErrorInit, false); }
const char* BASS_RecordGetInputName(int32_t) { return fail<const char*>(kErrorInit, nullptr); }
bool BASS_RecordSetInput(int32_t, uint32_t) { return fail(kErrorInit, false); }
uint32_t BASS_RecordGetInput(int32_t) { return fail(kErrorInit, kFail32); }
uint32_t BASS_RecordStart(uint32_t, uint32_t, RecordProc*, void*) { return fail(kErrorInit, 0u); }

// ---- channels ----

float BASS_ChannelBytes2Seconds(uint32_t handle, uint64_t pos) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return -1.0f;
    return ok(static_cast<float>(static_cast<double>(pos) /
                                 (static_cast<double>(c->format.rate) * bytesPerFrame(*c))));
}

uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, float pos) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return kFail64;
    if (!(pos >= 0)) return fail(kErrorIllParam, kFail64);
    const auto frames = static_cast<uint64_t>(std::floor(static_cast<double>(pos) * c->format.rate));
    return ok(frames * bytesPerFrame(*c));
}

uint32_t BASS_ChannelGetDevice(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return kFail32;
    return ok(static_cast<uint32_t>(c->device));
}

uint32_t BASS_ChannelIsActive(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return BASS_ACTIVE_STOPPED;
    t_lastError = kErrorOk;
    if (c->decodeOnly) return c->decodeEnded.load() ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
    switch (static_cast<PlayState>(c->state.load())) {
    case PlayState::Paused: return BASS_ACTIVE_PAUSED;
    case PlayState::Playing:
        if (c->hasEnded()) return BASS_ACTIVE_STOPPED;
        return c->stalled.load() ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
    default: return BASS_ACTIVE_STOPPED;
    }
}

bool BASS_ChannelGetInfo(uint32_t handle, BassChannelInfo* info) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    if (!info) return fail(kErrorIllParam, false);
    info->freq = static_cast<uint32_t>(c->format.rate);
    info->chans = static_cast<uint32_t>(c->format.channels);
    info->flags = c->flags.load();
    info->ctype = c->typeCode;
    return ok(true);
}

bool BASS_ChannelStop(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    if (c->decodeOnly) c->decodeEnded = true;
    c->state = static_cast<int>(PlayState::Stopped);
    return ok(true);
}

bool BASS_ChannelPause(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    if (c->decodeOnly) return fail(kErrorDecode, false);
    const auto state = static_cast<PlayState>(c->state.load());
    if (state == PlayState::Paused) return fail(kErrorAlready, false);
    if (state != PlayState::Playing || c->hasEnded()) return fail(kErrorNoPlay, false);
    c->state = static_cast<int>(PlayState::Paused);
    return ok(true);
}

bool BASS_ChannelResume(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    if (c->decodeOnly) return fail(kErrorDecode, false);
    if (static_cast<PlayState>(c->state.load()) != PlayState::Paused) return fail(kErrorNoPause, false);
    c->state = static_cast<int>(PlayState::Playing);
    engine().wakeWorker();
    return ok(true);
}

// Frequency 100..100000 (0: the channel's own rate), volume 0..100, pan -100..100;
// -1 (-101 for pan) leaves the attribute as it is.
static bool validAttributes(int32_t freq, int32_t volume, int32_t pan) {
    return (freq == -1 || freq == 0 || (freq >= 100 && freq <= 100000)) &&
           (volume == -1 || (volume >= 0 && volume <= 100)) && (pan == -101 || (pan >= -100 && pan <= 100));
}

bool BASS_ChannelSetAttributes(uint32_t handle, int32_t freq, int32_t volume, int32_t pan) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    if (!validAttributes(freq, volume, pan)) return fail(kErrorIllParam, false);
    const int32_t values[kAttrCount] = {freq == 0 ? c->format.rate : freq, volume, pan};
    const bool keep[kAttrCount] = {freq == -1, volume == -1, pan == -101};
    for (int a = 0; a < kAttrCount; ++a) {
        if (keep[a]) continue;
        // An immediate value ends a slide of the same attribute.
        c->slideCommand[a].store(packSlide(values[a], 0));
        c->attr[a].store(values[a]);
    }
    return ok(true);
}

bool BASS_ChannelGetAttributes(uint32_t handle, uint32_t* freq, uint32_t* volume, int32_t* pan) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    if (freq) *freq = static_cast<uint32_t>(c->attr[kAttrFreq].load());
    if (volume) *volume = static_cast<uint32_t>(c->attr[kAttrVolume].load());
    if (pan) *pan = c->attr[kAttrPan].load();
    return ok(true);
}

bool BASS_ChannelSlideAttributes(uint32_t handle, int32_t freq, int32_t volume, int32_t pan, uint32_t time) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    if (!validAttributes(freq, volume, pan)) return fail(kErrorIllParam, false);
    const int32_t values[kAttrCount] = {freq == 0 ? c->format.rate : freq, volume, pan};
    const bool keep[kAttrCount] = {freq == -1, volume == -1, pan == -101};
    for (int a = 0; a < kAttrCount; ++a) {
        if (keep[a]) continue;
        if (time > 0) c->slidingMask.fetch_or(1u << a);
        c->slideCommand[a].store(packSlide(values[a], time));
        if (time == 0) c->attr[a].store(values[a]);
    }
    return ok(true);
}

uint32_t BASS_ChannelIsSliding(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return 0;
    return ok(c->slidingMask.load());
}

bool BASS_ChannelSet3DAttributes(uint32_t, int32_t, float, float, int32_t, int32_t, int32_t) {
    return fail(kErrorNo3D, false);
}
bool BASS_ChannelGet3DAttributes(uint32_t, uint32_t*, float*, float*, uint32_t*, uint32_t*, uint32_t*) {
    return fail(kErrorNo3D, false);
}
bool BASS_ChannelSet3DPosition(uint32_t, const Bass3DVector*, const Bass3DVector*, const Bass3DVector*) {
    return fail(kErrorNo3D, false);
}
bool BASS_ChannelGet3DPosition(uint32_t, Bass3DVector*, Bass3DVector*, Bass3DVector*) {
    return fail(kErrorNo3D, false);
}

bool BASS_ChannelSetPosition(uint32_t handle, uint64_t pos) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    uint64_t frame = pos / bytesPerFrame(*c);
    int64_t length;
    {
        std::lock_guard<std::mutex> decode(c->decodeMutex);
        length = c->stream->length();
    }
    // Beyond the end means the end: callers round lengths up to whole seconds and seek there.
    if (length >= 0 && frame > static_cast<uint64_t>(length)) frame = static_cast<uint64_t>(length);
    if (c->decodeOnly) {
        std::lock_guard<std::mutex> decode(c->decodeMutex);
        if (!c->stream->seek(static_cast<int64_t>(frame))) return fail(kErrorPosition, false);
        c->decodePosition = static_cast<int64_t>(frame);
        c->decodeEnded = false;
        return ok(true);
    }
    if (!restart(*c, static_cast<int64_t>(frame))) return fail(kErrorPosition, false);
    return ok(true);
}

uint64_t BASS_ChannelGetPosition(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return kFail64;
    std::lock_guard<std::mutex> decode(c->decodeMutex);
    const int64_t frame = c->decodeOnly ? c->decodePosition : c->position();
    return ok(static_cast<uint64_t>(frame) * bytesPerFrame(*c));
}

uint32_t BASS_ChannelGetLevel(uint32_t handle) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return kFail32;
    if (c->decodeOnly) return fail(kErrorDecode, kFail32);
    if (c->state.load() != static_cast<int>(PlayState::Playing)) return fail(kErrorNoPlay, kFail32);
    return ok(c->level.load());
}

uint32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length) {
    std::shared_ptr<Channel> c;
    {
        Lock lock(engine().mutex);
        c = lookup(handle);
        if (!c) return kFail32;
    }
    // FIXME: sample data and FFT of playing channels are not offered; decoding channels only.
    if (!c->decodeOnly) return fail(kErrorNotAvail, kFail32);
    if (!buffer || (length & 0xC0000000u)) return fail(kErrorIllParam, kFail32);
    try {
        return ok(decodeInto(engine(), c, buffer, length));
    } catch (const std::bad_alloc&) {
        return fail(kErrorMem, kFail32);
    }
}

uint32_t BASS_ChannelSetSync(uint32_t handle, uint32_t type, uint64_t, SyncProc* proc, void* user) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return 0;
    if ((type & ~BASS_SYNC_ONETIME) != BASS_SYNC_END) return fail(kErrorIllType, 0u);
    if (!proc) return fail(kErrorIllParam, 0u);
    const uint32_t id = engine().newSyncId();
    c->syncs.push_back({id, type, proc, user});
    return ok(id);
}

bool BASS_ChannelRemoveSync(uint32_t handle, uint32_t sync) {
    Lock lock(engine().mutex);
    auto c = lookup(handle);
    if (!c) return false;
    if (std::erase_if(c->syncs, [sync](const Sync& s) { return s.id == sync; }) == 0)
        return fail(kErrorHandle, false);
    return ok(true);
}

// FIXME: DSP procedures, links and effects are not offered yet.
uint32_t BASS_ChannelSetDSP(uint32_t, DspProc*, void*, int32_t) { return fail(kErrorNotAvail, 0u); }
bool BASS_ChannelRemoveDSP(uint32_t, uint32_t) { return fail(kErrorHandle, false); }
bool BASS_ChannelSetEAXMix(uint32_t, float) { return fail(kErrorNoEax, false); }
bool BASS_ChannelGetEAXMix(uint32_t, float*) { return fail(kErrorNoEax, false); }
bool BASS_ChannelSetLink(uint32_t, uint32_t) { return fail(kErrorNotAvail, false); }
bool BASS_ChannelRemoveLink(uint32_t, uint32_t) { return fail(kErrorHandle, false); }
uint32_t BASS_ChannelSetFX(uint32_t, uint32_t, int32_t) { return fail(kErrorNoFx, 0u); }
bool BASS_ChannelRemoveFX(uint32_t, uint32_t) { return fail(kErrorHandle, false); }
bool BASS_FXSetParameters(uint32_t, const void*) { return fail(kErrorHandle, false); }
bool BASS_FXGetParameters(uint32_t, void*) { return fail(kErrorHandle, false); }

}  // namespace media
