// The command-string interpreter and its devices. Every device plays the same way: its
// medium is a list of segments (one per file, one per CD track), each decoded by a
// decoding channel of the engine, and a user stream pulls from them up to the "to"
// position, so a play range ends exactly where it should on any output.
#include "media/mci/Mci.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "base/Error.h"
#include "media/Bass.h"
#include "media/CdAudio.h"
#include "media/DataSource.h"
#include "media/Engine.h"
#include "media/ErrorCode.h"
#include "media/VideoPlayer.h"
#include "media/cd/CdDrive.h"
#include "media/decoders/DecoderTable.h"
#include "media/mci/MciErrors.h"
#include "media/mci/MidiRenderer.h"

namespace media::mci {

namespace {

constexpr uint32_t kFail32 = 0xFFFFFFFFu;
constexpr uint64_t kCdFrameBytes = 2352;  // 1/75 s of 44100 Hz stereo 16-bit audio

enum class DeviceType { WaveAudio, MpegVideo, Sequencer, CdAudio, AviVideo, DigitalVideo };
enum class TimeFormat { Milliseconds, Samples, Bytes, Tmsf, Msf, Frames };

const char* typeName(DeviceType t) {
    switch (t) {
    case DeviceType::WaveAudio: return "waveaudio";
    case DeviceType::MpegVideo: return "mpegvideo";
    case DeviceType::Sequencer: return "sequencer";
    case DeviceType::CdAudio: return "cdaudio";
    case DeviceType::AviVideo: return "avivideo";
    case DeviceType::DigitalVideo: return "digitalvideo";
    }
    return "";
}

const char* formatName(TimeFormat f) {
    switch (f) {
    case TimeFormat::Milliseconds: return "milliseconds";
    case TimeFormat::Samples: return "samples";
    case TimeFormat::Bytes: return "bytes";
    case TimeFormat::Tmsf: return "tmsf";
    case TimeFormat::Msf: return "msf";
    case TimeFormat::Frames: return "frames";
    }
    return "";
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A failure with its error number, thrown inside the interpreter and caught in sendString.
struct Failure {
    int code;
};

[[noreturn]] void fail(int code) { throw Failure{code}; }

struct Segment {
    uint64_t start = 0;                                  // bytes into the medium
    uint64_t length = 0;                                 // bytes
    std::function<std::unique_ptr<AudioStream>()> open;  // a new decoder at frame 0, or nullptr
};

// One play range over the segments, as one engine channel. The engine reads it on its
// decode side (sometimes under its own lock), so it calls no entry point: it drives the
// segments' decoders directly. The device frees the channel before the segments change.
class RangeStream : public AudioStream {
public:
    RangeStream(const std::vector<Segment>& segments, StreamFormat format, uint32_t typeCode, uint64_t from,
                uint64_t to)
        : m_segments(segments), m_format(format), m_typeCode(typeCode), m_from(from), m_cur(from), m_to(to) {}

    StreamFormat format() const override { return m_format; }
    size_t read(int16_t* out, size_t frames) override {
        const auto bpf = static_cast<uint64_t>(m_format.bytesPerFrame());
        size_t done = 0;
        while (done < frames) {
            if (m_cur + bpf > m_to || !ensureDecoder()) break;
            const Segment& seg = m_segments[m_index];
            const uint64_t segEnd = seg.start + seg.length;
            const uint64_t want =
                std::min<uint64_t>({frames - done, (m_to - m_cur) / bpf, (segEnd - m_cur) / bpf});
            const size_t got =
                want ? m_decoder->read(out + done * static_cast<size_t>(m_format.channels), want) : 0;
            if (got == 0) {
                // The segment ended early (or failed): go on with the next one.
                m_cur = segEnd;
                m_decoder.reset();
                continue;
            }
            m_cur += got * bpf;
            done += got;
            if (m_cur + bpf > segEnd) m_decoder.reset();
        }
        return done;
    }
    int64_t length() const override {
        return static_cast<int64_t>((m_to - m_from) / static_cast<uint64_t>(m_format.bytesPerFrame()));
    }
    bool seek(int64_t frame) override {
        if (frame < 0 || frame > length()) return false;
        m_cur = m_from + static_cast<uint64_t>(frame) * static_cast<uint64_t>(m_format.bytesPerFrame());
        m_decoder.reset();
        return true;
    }
    uint32_t typeCode() const override { return m_typeCode; }

private:
    bool ensureDecoder() {
        if (m_decoder) return true;
        for (size_t i = 0; i < m_segments.size(); ++i) {
            const Segment& seg = m_segments[i];
            if (m_cur < seg.start || m_cur >= seg.start + seg.length) continue;
            m_decoder = seg.open();
            if (!m_decoder) return false;  // a data track or a vanished file ends the play
            m_index = i;
            const auto bpf = static_cast<uint64_t>(m_format.bytesPerFrame());
            if (m_cur > seg.start && !m_decoder->seek(static_cast<int64_t>((m_cur - seg.start) / bpf))) {
                m_decoder.reset();
                return false;
            }
            return true;
        }
        return false;
    }

    const std::vector<Segment>& m_segments;
    StreamFormat m_format;
    uint32_t m_typeCode;
    uint64_t m_from;
    uint64_t m_cur;
    uint64_t m_to;
    std::unique_ptr<AudioStream> m_decoder;
    size_t m_index = 0;
};

std::unique_ptr<AudioStream> openDecoder(std::unique_ptr<DataSource> source) {
    if (!source) return nullptr;
    try {
        return openStream(std::move(source), DecoderFamily::Stream);
    } catch (const std::exception&) {
        return nullptr;
    }
}

// Devices play on the engine's current device; without one, the default output starts.
void ensureOutput() {
    if (BASS_GetDevice() != kFail32) return;
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr) && BASS_ErrorGetCode() != kErrorAlready) fail(kMciHardware);
}

// Registers `stream` as a channel of the engine's current device.
uint32_t addChannel(std::unique_ptr<AudioStream> stream) {
    const StreamFormat format = stream->format();
    const uint32_t flags = (format.width == SampleWidth::Bits8 ? BASS_SAMPLE_8BITS : 0) |
                           (format.channels == 1 ? BASS_SAMPLE_MONO : 0);
    Engine& engine = Engine::instance();
    std::lock_guard<std::mutex> lock(engine.mutex);
    if (!engine.currentDevice()) fail(kMciHardware);
    const uint32_t handle = engine.add(std::move(stream), ChannelKind::Stream, flags);
    if (!handle) fail(kMciOutOfMemory);
    return handle;
}

class Device {
public:
    Device(int id, DeviceType type, std::string alias) : m_id(id), m_type(type), m_alias(std::move(alias)) {
        m_format = type == DeviceType::CdAudio ? TimeFormat::Tmsf : TimeFormat::Milliseconds;
    }
    ~Device() { release(); }

    int id() const { return m_id; }
    DeviceType type() const { return m_type; }
    const std::string& alias() const { return m_alias; }

    void openFile(const std::string& path) {
        if (m_type == DeviceType::Sequencer) {
            try {
                m_memory = renderMidi(path);
            } catch (const base::Error&) {
                fail(soundFontPath().empty() ? kMciCannotLoadDriver : kMciInvalidFile);
            }
            const uint8_t* data = m_memory.data();
            const size_t size = m_memory.size();
            addSegment([data, size] { return openDecoder(openMemorySource(data, size)); });
        } else {
            if (!openFileSource(path)) fail(kMciFileNotFound);
            addSegment([path] { return openDecoder(openFileSource(path)); });
        }
    }

    // Video plays through the toolkit's media layer, its positions one "byte" a millisecond
    // so the time formats below need no case of their own.
    void openVideo(const std::string& path) {
        VideoBackend* backend = videoBackend();
        m_video = backend ? backend->create() : nullptr;
        if (!m_video) fail(kMciDeviceNotInstalled);
        if (!openFileSource(path)) fail(kMciFileNotFound);
        if (!m_video->load(path)) fail(kMciInvalidFile);
        m_video->setWindow(VideoPlayer::kOwnWindow);
        m_freq = 1000;
        m_flags = BASS_SAMPLE_MONO | BASS_SAMPLE_8BITS;
        m_segments.push_back({0, static_cast<uint64_t>(std::max<int64_t>(m_video->lengthMs(), 0)), nullptr});
    }
    VideoPlayer* video() const { return m_video.get(); }

    void openCd(uint32_t drive) {
        m_drive = drive;
        BassCdInfo info{};
        if (!BASS_CD_GetInfo(drive, &info)) fail(kMciHardware);
        m_hasDoor = info.hasDoor;
        refreshCd();
    }

    std::string mode() {
        if (m_type == DeviceType::CdAudio) {
            if (m_hasDoor && BASS_CD_DoorIsOpen(m_drive)) return "open";
            if (!refreshCd()) return "not ready";
        }
        if (m_video) {
            switch (m_video->state()) {
            case VideoPlayer::State::Playing: return "playing";
            case VideoPlayer::State::Paused: return "paused";
            case VideoPlayer::State::Stopped: return "stopped";
            }
        }
        if (!m_stream) return "stopped";
        switch (BASS_ChannelIsActive(m_stream)) {
        case BASS_ACTIVE_PLAYING:
        case BASS_ACTIVE_STALLED: return "playing";
        case BASS_ACTIVE_PAUSED: return "paused";
        default: return "stopped";
        }
    }

    bool ready() { return m_type != DeviceType::CdAudio || refreshCd(); }
    void requireReady() {
        if (!ready()) fail(kMciDeviceNotReady);
    }

    uint64_t total() const {
        return m_segments.empty() ? 0 : m_segments.back().start + m_segments.back().length;
    }
    size_t tracks() const { return m_segments.size(); }
    const Segment& track(size_t number) const {
        if (number < 1 || number > m_segments.size()) fail(kMciOutOfRange);
        return m_segments[number - 1];
    }

    uint64_t position() const {
        if (m_video)
            return std::min(static_cast<uint64_t>(std::max<int64_t>(m_video->positionMs(), 0)), total());
        if (!m_stream) return m_position;
        const uint64_t played = BASS_ChannelGetPosition(m_stream);
        return std::min(m_base + (played == ~uint64_t{0} ? 0 : played), total());
    }

    void play(std::optional<uint64_t> from, std::optional<uint64_t> to) {
        requireReady();
        const uint64_t start = from.value_or(position());
        const uint64_t end = to.value_or(total());
        if (start > total() || end > total() || start > end) fail(kMciOutOfRange);
        if (m_video) {
            m_videoUntil = to ? static_cast<int64_t>(*to) : -1;
            if (from) m_video->seek(static_cast<int64_t>(start));
            m_video->play(m_videoUntil);
            return;
        }
        stopStream();
        ensureOutput();
        m_stream =
            addChannel(std::make_unique<RangeStream>(m_segments, m_streamFormat, m_typeCode, start, end));
        m_base = start;
        m_position = start;
        if (!BASS_StreamPlay(m_stream, false, 0)) {
            stopStream();
            fail(kMciHardware);
        }
    }

    void pause() {
        requireReady();
        if (m_video && m_video->state() == VideoPlayer::State::Playing) m_video->pause();
        if (m_stream && BASS_ChannelIsActive(m_stream) == BASS_ACTIVE_PLAYING) BASS_ChannelPause(m_stream);
    }
    void resume() {
        requireReady();
        if (m_video && m_video->state() == VideoPlayer::State::Paused) m_video->play(m_videoUntil);
        if (m_stream && BASS_ChannelIsActive(m_stream) == BASS_ACTIVE_PAUSED) BASS_ChannelResume(m_stream);
    }
    void stop() {
        requireReady();
        if (m_video) m_video->stop();
        stopStream();
    }
    void seek(uint64_t to) {
        requireReady();
        if (to > total()) fail(kMciOutOfRange);
        if (m_video) {
            m_video->stop();
            m_video->seek(static_cast<int64_t>(to));
        }
        stopStream();
        m_position = to;
    }

    void door(bool open) {
        if (m_type != DeviceType::CdAudio) fail(kMciUnsupportedFunction);
        if (!m_hasDoor) fail(kMciUnsupportedFunction);
        if (open) stopStream();
        if (!BASS_CD_Door(m_drive, open ? BASS_CD_DOOR_OPEN : BASS_CD_DOOR_CLOSE)) fail(kMciHardware);
    }
    bool canEject() const { return m_type == DeviceType::CdAudio && m_hasDoor; }

    TimeFormat format() const { return m_format; }
    void setFormat(TimeFormat f) {
        const bool cd = m_type == DeviceType::CdAudio;
        if (m_video && f != TimeFormat::Milliseconds) fail(kMciBadTimeFormat);
        const bool ok = f == TimeFormat::Milliseconds ||
                        (cd && (f == TimeFormat::Tmsf || f == TimeFormat::Msf)) ||
                        (!cd && (f == TimeFormat::Samples || f == TimeFormat::Bytes));
        if (!ok) fail(kMciBadTimeFormat);
        m_format = f;
    }

    // Positions in the current time format, both ways.
    std::string formatPosition(uint64_t bytes, bool isLength = false) const;
    uint64_t parsePosition(std::string_view text) const;

private:
    void addSegment(std::function<std::unique_ptr<AudioStream>()> open) {
        const std::unique_ptr<AudioStream> probe = open();
        if (!probe || probe->length() < 0) fail(kMciInvalidFile);
        m_streamFormat = probe->format();
        m_typeCode = probe->typeCode();
        m_freq = static_cast<uint32_t>(m_streamFormat.rate);
        m_flags = (m_streamFormat.width == SampleWidth::Bits8 ? BASS_SAMPLE_8BITS : 0) |
                  (m_streamFormat.channels == 1 ? BASS_SAMPLE_MONO : 0);
        const auto length =
            static_cast<uint64_t>(probe->length()) * static_cast<uint64_t>(m_streamFormat.bytesPerFrame());
        m_segments.push_back({total(), length, std::move(open)});
    }

    // Reads the disc's tracks again when it changed; false without a readable disc.
    bool refreshCd() {
        const uint32_t count = BASS_CD_GetTracks(m_drive);
        if (count == kFail32 || count == 0) {
            if (!m_segments.empty()) {
                stopStream();
                m_segments.clear();
            }
            return false;
        }
        if (m_segments.size() == count) return true;
        stopStream();
        m_segments.clear();
        m_freq = 44100;
        m_flags = 0;
        m_streamFormat = StreamFormat{};
        m_typeCode = kTypeCodeCd;
        for (uint32_t t = 0; t < count; ++t) {
            const uint32_t length = BASS_CD_GetTrackLength(m_drive, t);
            const uint32_t drive = m_drive;
            m_segments.push_back(
                {total(), length == kFail32 ? 0 : length, [drive, t]() -> std::unique_ptr<AudioStream> {
                     const auto& drives = cdDrives();
                     if (drive >= drives.size()) return nullptr;
                     int error = 0;
                     return drives[drive]->openTrack(drive, static_cast<int>(t), error);
                 }});
        }
        m_position = 0;
        return true;
    }

    void stopStream() {
        if (m_stream) {
            m_position = position();
            BASS_StreamFree(m_stream);  // waits for a read in progress, so the segments may change
        }
        m_stream = 0;
    }
    void release() {
        m_video.reset();
        stopStream();
        m_segments.clear();
        if (m_type == DeviceType::CdAudio) BASS_CD_Release(m_drive);
    }

    uint64_t bytesPerSecond() const {
        const uint64_t chans = (m_flags & BASS_SAMPLE_MONO) ? 1 : 2;
        const uint64_t width = (m_flags & BASS_SAMPLE_8BITS) ? 1 : 2;
        return uint64_t{m_freq} * chans * width;
    }
    uint64_t bytesPerSample() const { return bytesPerSecond() / std::max<uint32_t>(m_freq, 1); }

    int m_id;
    DeviceType m_type;
    std::string m_alias;
    TimeFormat m_format;
    std::vector<Segment> m_segments;
    std::vector<uint8_t> m_memory;
    uint32_t m_freq = 44100;
    uint32_t m_flags = 0;
    uint32_t m_drive = 0;
    bool m_hasDoor = false;
    StreamFormat m_streamFormat;
    uint32_t m_typeCode = 0;
    uint32_t m_stream = 0;
    uint64_t m_base = 0;
    uint64_t m_position = 0;
    std::unique_ptr<VideoPlayer> m_video;
    int64_t m_videoUntil = -1;
};

std::string two(uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02llu", static_cast<unsigned long long>(v));
    return buf;
}

std::string msfText(uint64_t bytes) {
    const uint64_t frames = bytes / kCdFrameBytes;
    return two(frames / 4500) + ":" + two(frames / 75 % 60) + ":" + two(frames % 75);
}

std::string Device::formatPosition(uint64_t bytes, bool isLength) const {
    switch (m_format) {
    case TimeFormat::Milliseconds:
        return std::to_string(bytes * 1000 / std::max<uint64_t>(bytesPerSecond(), 1));
    case TimeFormat::Samples: return std::to_string(bytes / std::max<uint64_t>(bytesPerSample(), 1));
    case TimeFormat::Bytes:
    case TimeFormat::Frames: return std::to_string(bytes);
    case TimeFormat::Msf: return msfText(bytes);
    case TimeFormat::Tmsf: {
        if (isLength) return msfText(bytes);
        size_t t = 0;
        while (t + 1 < m_segments.size() && bytes >= m_segments[t + 1].start) ++t;
        const uint64_t start = m_segments.empty() ? 0 : m_segments[t].start;
        return two(t + 1) + ":" + msfText(bytes - start);
    }
    }
    return {};
}

uint64_t parseNumber(std::string_view text) {
    if (text.empty() || text.size() > 18) fail(kMciBadInteger);
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') fail(kMciBadInteger);
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

// "a:b:c" into its fields (at most `max`), missing ones 0.
std::vector<uint64_t> parseFields(std::string_view text, size_t max) {
    std::vector<uint64_t> fields;
    size_t begin = 0;
    while (true) {
        const size_t colon = text.find(':', begin);
        fields.push_back(parseNumber(text.substr(begin, colon - begin)));
        if (colon == std::string_view::npos) break;
        begin = colon + 1;
    }
    if (fields.size() > max) fail(kMciBadInteger);
    fields.resize(max, 0);
    return fields;
}

uint64_t Device::parsePosition(std::string_view text) const {
    switch (m_format) {
    case TimeFormat::Milliseconds:
        return parseNumber(text) * bytesPerSecond() / 1000 / bytesPerSample() * bytesPerSample();
    case TimeFormat::Samples: return parseNumber(text) * bytesPerSample();
    case TimeFormat::Bytes:
    case TimeFormat::Frames: return parseNumber(text) / bytesPerSample() * bytesPerSample();
    case TimeFormat::Msf: {
        const auto f = parseFields(text, 3);
        return ((f[0] * 60 + f[1]) * 75 + f[2]) * kCdFrameBytes;
    }
    case TimeFormat::Tmsf: {
        const auto f = parseFields(text, 4);
        return track(f[0]).start + ((f[1] * 60 + f[2]) * 75 + f[3]) * kCdFrameBytes;
    }
    }
    return 0;
}

// Splits a command into words; "double quotes" keep spaces in one word.
std::vector<std::string> tokenize(std::string_view command) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < command.size()) {
        if (std::isspace(static_cast<unsigned char>(command[i]))) {
            ++i;
        } else if (command[i] == '"') {
            const size_t close = command.find('"', i + 1);
            if (close == std::string_view::npos) fail(kMciNoClosingQuote);
            words.emplace_back(command.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            size_t end = i;
            while (end < command.size() && !std::isspace(static_cast<unsigned char>(command[end]))) ++end;
            words.emplace_back(command.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

// The first `n` words, lower case, separated by single spaces.
std::string joinLower(const std::vector<std::string>& words, size_t n) {
    std::string joined;
    for (size_t i = 0; i < n && i < words.size(); ++i) {
        if (i) joined.push_back(' ');
        joined.append(lower(words[i]));
    }
    return joined;
}

std::optional<DeviceType> typeFromName(const std::string& name) {
    if (name == "waveaudio") return DeviceType::WaveAudio;
    if (name == "mpegvideo") return DeviceType::MpegVideo;
    if (name == "sequencer") return DeviceType::Sequencer;
    if (name == "cdaudio") return DeviceType::CdAudio;
    if (name == "avivideo") return DeviceType::AviVideo;
    if (name == "digitalvideo") return DeviceType::DigitalVideo;
    return std::nullopt;
}

// Types of devices this layer does not have.
bool isMissingType(const std::string& name) {
    for (const char* t : {"overlay", "vcr", "videodisc", "animation", "mmmovie", "scanner", "dat", "other"})
        if (name == t) return true;
    return false;
}

bool isVideoExtension(const std::string& ext) {
    for (const char* v : {"avi", "mpg", "mpeg", "m1v", "m2v", "wmv", "asf", "mov", "qt", "mp4", "m4v", "mkv",
                          "webm", "ogv", "flv", "3gp"})
        if (ext == v) return true;
    return false;
}

DeviceType typeFromExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) fail(kMciExtensionNotFound);
    const std::string ext = lower(path.substr(dot + 1));
    if (ext == "wav") return DeviceType::WaveAudio;
    if (ext == "mid" || ext == "midi" || ext == "rmi" || ext == "kar") return DeviceType::Sequencer;
    if (ext == "mp3" || ext == "mp2" || ext == "mp1" || ext == "mpa" || ext == "ogg")
        return DeviceType::MpegVideo;
    if (ext == "avi") return DeviceType::AviVideo;
    if (isVideoExtension(ext)) return DeviceType::MpegVideo;
    fail(kMciExtensionNotFound);
}

// An "mpegvideo" device plays compressed audio through the audio engine and the rest
// (the video files) through the video player.
bool playsAsVideo(DeviceType type, const std::string& path) {
    if (type == DeviceType::AviVideo || type == DeviceType::DigitalVideo) return true;
    if (type != DeviceType::MpegVideo) return false;
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    return isVideoExtension(lower(path.substr(dot + 1)));
}

class Interpreter {
public:
    int run(std::string_view command, std::string& result, const PathResolver& resolve, bool& wait,
            std::string& waitAlias) {
        std::vector<std::string> words = tokenize(command);
        if (words.empty()) fail(kMciMissingCommandString);
        const std::string verb = lower(words[0]);
        // "wait" and "notify" may follow any command; a notification has no window to go to.
        std::vector<std::string> args;
        for (size_t i = 1; i < words.size(); ++i) {
            const std::string w = lower(words[i]);
            if (w == "wait")
                wait = true;
            else if (w != "notify" && w != "test")
                args.push_back(words[i]);
        }
        if (verb == "open") return open(args, result, resolve);
        if (args.empty()) fail(kMciMissingDeviceName);
        const std::string name = lower(args[0]);
        if (verb == "close" && name == "all") {
            m_devices.clear();
            return kMciOk;
        }
        if (name == "all") fail(kMciCannotUseAll);
        auto it = m_devices.find(name);
        bool autoOpened = false;
        if (it == m_devices.end()) {
            // A bare device type opens for the one command, as a plain "open" would.
            if (name != "cdaudio" || verb == "close") fail(kMciInvalidDeviceName);
            auto dev = std::make_unique<Device>(m_nextId++, DeviceType::CdAudio, name);
            dev->openCd(0);
            it = m_devices.emplace(name, std::move(dev)).first;
            autoOpened = true;
        }
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        int code = kMciOk;
        try {
            code = dispatch(verb, *it->second, rest, result);
        } catch (const Failure&) {
            if (autoOpened) m_devices.erase(it);
            throw;
        }
        if (autoOpened && verb != "play") m_devices.erase(it);
        if (verb == "play") waitAlias = name;
        return code;
    }

    int deviceId(std::string_view alias) {
        auto it = m_devices.find(lower(alias));
        return it == m_devices.end() ? 0 : it->second->id();
    }

    bool isVideo(const std::string& alias) {
        auto it = m_devices.find(alias);
        return it != m_devices.end() && it->second->video();
    }

    std::string modeOf(const std::string& alias) {
        auto it = m_devices.find(alias);
        return it == m_devices.end() ? std::string() : it->second->mode();
    }

    void closeAll() { m_devices.clear(); }

private:
    int open(const std::vector<std::string>& args, std::string& result, const PathResolver& resolve) {
        if (args.empty()) fail(kMciMissingDeviceName);
        std::string element = args[0];
        std::optional<std::string> type;
        std::string alias;
        for (size_t i = 1; i < args.size(); ++i) {
            const std::string w = lower(args[i]);
            if (w == "type" || w == "alias") {
                if (i + 1 >= args.size()) fail(kMciMissingStringArgument);
                (w == "type" ? type.emplace() : alias) = args[++i];
            } else if (w != "shareable") {
                fail(kMciUnrecognizedKeyword);
            }
        }
        if (type) *type = lower(*type);
        // "open cdaudio": the element is the device type itself.
        const std::string elementLower = lower(element);
        if (!type && (typeFromName(elementLower) || isMissingType(elementLower))) {
            type = elementLower;
            element.clear();
        }
        if (element == "new") fail(kMciUnsupportedFunction);  // recording is not offered
        if (type && isMissingType(*type)) fail(kMciDeviceNotInstalled);
        if (type && !typeFromName(*type)) fail(kMciInvalidDeviceName);
        const DeviceType kind = type ? *typeFromName(*type) : typeFromExtension(element);
        if (alias.empty()) alias = element.empty() ? std::string(typeName(kind)) : element;
        const std::string key = lower(alias);
        if (m_devices.count(key))
            fail(alias == element || element.empty() ? kMciDeviceOpen : kMciDuplicateAlias);

        auto dev = std::make_unique<Device>(m_nextId++, kind, alias);
        if (kind == DeviceType::CdAudio) {
            dev->openCd(cdDrive(element));
        } else {
            if (element.empty()) fail(kMciFilenameRequired);
            const std::string path = resolve ? resolve(element) : element;
            playsAsVideo(kind, path) ? dev->openVideo(path) : dev->openFile(path);
        }
        result = std::to_string(dev->id());
        m_devices.emplace(key, std::move(dev));
        return kMciOk;
    }

    // "d:" picks the drive with that letter; nothing (or anything else) the first drive.
    static uint32_t cdDrive(const std::string& element) {
        if (element.size() == 2 && element[1] == ':' &&
            std::isalpha(static_cast<unsigned char>(element[0]))) {
            const int letter = std::toupper(static_cast<unsigned char>(element[0])) - 'A';
            for (uint32_t d = 0; BASS_CD_GetDriveDescription(d); ++d)
                if (BASS_CD_GetDriveLetter(d) == letter) return d;
            fail(kMciInvalidDeviceName);
        }
        if (!element.empty()) fail(kMciNoElementAllowed);
        return 0;
    }

    int dispatch(const std::string& verb, Device& dev, const std::vector<std::string>& args,
                 std::string& result) {
        if (verb == "close") {
            m_devices.erase(lower(dev.alias()));
            return kMciOk;
        }
        if (verb == "play") return play(dev, args);
        if (verb == "pause" || verb == "resume" || verb == "stop") {
            if (!args.empty()) fail(kMciUnrecognizedKeyword);
            verb == "pause" ? dev.pause() : verb == "resume" ? dev.resume() : dev.stop();
            return kMciOk;
        }
        if (verb == "seek") {
            if (args.size() == 1 && lower(args[0]) == "to") fail(kMciMissingParameter);
            if (args.size() != 2 || lower(args[0]) != "to")
                fail(args.empty() ? kMciMissingParameter : kMciUnrecognizedKeyword);
            const std::string where = lower(args[1]);
            dev.requireReady();
            dev.seek(where == "start" ? 0 : where == "end" ? dev.total() : dev.parsePosition(where));
            return kMciOk;
        }
        if (verb == "status") return status(dev, args, result);
        if (verb == "set") return set(dev, args);
        if (verb == "capability") return capability(dev, args, result);
        if (verb == "window") return window(dev, args);
        if (verb == "setaudio") return setAudio(dev, args);
        fail(kMciUnrecognizedCommand);
    }

    // "window <alias> handle <id>|default", "state show|hide", "text <caption>": where a
    // video device shows its pictures (a window of the script's, or its own top level).
    static int window(Device& dev, const std::vector<std::string>& args) {
        VideoPlayer* video = dev.video();
        if (!video) fail(kMciUnsupportedFunction);
        if (args.size() != 2) fail(args.empty() ? kMciMissingParameter : kMciUnrecognizedKeyword);
        const std::string item = lower(args[0]);
        const std::string value = lower(args[1]);
        if (item == "handle") {
            const int32_t id = value == "default" ? VideoPlayer::kOwnWindow
                                                  : static_cast<int32_t>(parseNumber(value) & 0x7FFFFFFF);
            if (!video->setWindow(id)) fail(kMciBadInteger);
        } else if (item == "state") {
            if (value != "show" && value != "hide") fail(kMciBadConstant);
            video->showWindow(value == "show");
        } else if (item == "text") {
            video->setWindowText(args[1]);
        } else {
            fail(kMciUnrecognizedKeyword);
        }
        return kMciOk;
    }

    // "setaudio <alias> volume to <0..1000>", "setaudio <alias> on|off".
    static int setAudio(Device& dev, const std::vector<std::string>& args) {
        VideoPlayer* video = dev.video();
        if (!video) fail(kMciUnsupportedFunction);
        const std::string item = joinLower(args, args.size());
        if (item == "on" || item == "off") {
            video->setMuted(item == "off");
            return kMciOk;
        }
        if (args.size() != 3 || joinLower(args, 2) != "volume to") fail(kMciUnrecognizedKeyword);
        const uint64_t volume = parseNumber(args[2]);
        if (volume > 1000) fail(kMciOutOfRange);
        video->setVolume(static_cast<int>(volume / 10));
        return kMciOk;
    }

    int play(Device& dev, const std::vector<std::string>& args) {
        std::optional<uint64_t> from, to;
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string w = lower(args[i]);
            if (w == "from" || w == "to") {
                if (i + 1 >= args.size()) fail(kMciMissingParameter);
                dev.requireReady();
                (w == "from" ? from : to) = dev.parsePosition(args[++i]);
            } else {
                fail(kMciUnrecognizedKeyword);
            }
        }
        dev.play(from, to);
        return kMciOk;
    }

    static std::optional<size_t> trackArgument(const std::vector<std::string>& args, size_t at) {
        if (args.size() <= at) return std::nullopt;
        if (lower(args[at]) != "track" || args.size() != at + 2) fail(kMciUnrecognizedKeyword);
        return static_cast<size_t>(parseNumber(args[at + 1]));
    }

    int status(Device& dev, const std::vector<std::string>& args, std::string& result) {
        if (args.empty()) fail(kMciMissingParameter);
        const std::string item = lower(args[0]);
        auto words = [&](size_t n) { return joinLower(args, n); };
        if (item == "mode")
            result = dev.mode();
        else if (item == "ready")
            result = dev.ready() ? "true" : "false";
        else if (words(2) == "media present")
            result = dev.ready() ? "true" : "false";
        else if (words(2) == "time format")
            result = formatName(dev.format());
        else if (words(3) == "number of tracks") {
            dev.requireReady();
            result = std::to_string(dev.tracks());
        } else if (words(2) == "current track") {
            dev.requireReady();
            const uint64_t pos = dev.position();
            size_t t = 1;
            while (t < dev.tracks() && pos >= dev.track(t + 1).start) ++t;
            result = std::to_string(t);
        } else if (words(2) == "start position") {
            dev.requireReady();
            result = dev.formatPosition(0);
        } else if (item == "length") {
            dev.requireReady();
            const auto track = trackArgument(args, 1);
            result = dev.formatPosition(track ? dev.track(*track).length : dev.total(), true);
        } else if (words(2) == "window handle") {
            if (!dev.video()) fail(kMciUnsupportedFunction);
            result = std::to_string(std::max(dev.video()->window(), 0));
        } else if (item == "volume") {
            if (!dev.video()) fail(kMciUnsupportedFunction);
            result = std::to_string(dev.video()->volume() * 10);
        } else if (item == "position") {
            dev.requireReady();
            const auto track = trackArgument(args, 1);
            result = dev.formatPosition(track ? dev.track(*track).start : dev.position());
        } else {
            fail(kMciUnrecognizedKeyword);
        }
        return kMciOk;
    }

    int set(Device& dev, const std::vector<std::string>& args) {
        if (args.empty()) fail(kMciMissingParameter);
        const std::string item = lower(args[0]);
        if (item == "time" && args.size() >= 2 && lower(args[1]) == "format") {
            if (args.size() != 3) fail(kMciMissingParameter);
            const std::string f = lower(args[2]);
            if (f == "milliseconds" || f == "ms")
                dev.setFormat(TimeFormat::Milliseconds);
            else if (f == "samples")
                dev.setFormat(TimeFormat::Samples);
            else if (f == "bytes")
                dev.setFormat(TimeFormat::Bytes);
            else if (f == "tmsf")
                dev.setFormat(TimeFormat::Tmsf);
            else if (f == "msf")
                dev.setFormat(TimeFormat::Msf);
            else
                fail(kMciBadTimeFormat);
            return kMciOk;
        }
        if (item == "door") {
            if (args.size() != 2) fail(kMciMissingParameter);
            const std::string how = lower(args[1]);
            if (how != "open" && how != "closed") fail(kMciBadConstant);
            dev.door(how == "open");
            return kMciOk;
        }
        fail(kMciUnrecognizedKeyword);
    }

    int capability(Device& dev, const std::vector<std::string>& args, std::string& result) {
        const std::string item = joinLower(args, args.size());
        const bool cd = dev.type() == DeviceType::CdAudio;
        if (item == "can play")
            result = "true";
        else if (item == "has audio")
            result = !dev.video() || dev.video()->hasAudio() ? "true" : "false";
        else if (item == "has video")
            result = dev.video() && dev.video()->hasVideo() ? "true" : "false";
        else if (item == "can eject")
            result = dev.canEject() ? "true" : "false";
        else if (item == "can record" || item == "can save")
            result = "false";
        else if (item == "uses files" || item == "compound device")
            result = cd ? "false" : "true";
        else if (item == "device type")
            result = typeName(dev.type());
        else if (item.empty())
            fail(kMciMissingParameter);
        else
            fail(kMciUnrecognizedKeyword);
        return kMciOk;
    }

    std::map<std::string, std::unique_ptr<Device>> m_devices;
    int m_nextId = 1;
};

// Never destroyed: devices may still play while the process ends, after the engine is gone.
// Recursive: opening a video handles events while it waits, and a script's event may send
// a command meanwhile.
std::recursive_mutex& layerMutex() {
    static auto* m = new std::recursive_mutex;
    return *m;
}
Interpreter& interpreter() {
    static auto* i = new Interpreter;
    return *i;
}

}  // namespace

int sendString(std::string_view command, std::string& result, const PathResolver& resolve) {
    result.clear();
    bool wait = false;
    std::string waitAlias;
    int code = kMciOk;
    try {
        std::lock_guard<std::recursive_mutex> lock(layerMutex());
        code = interpreter().run(command, result, resolve, wait, waitAlias);
    } catch (const Failure& f) {
        result.clear();
        return f.code;
    } catch (const std::bad_alloc&) {
        result.clear();
        return kMciOutOfMemory;
    } catch (const std::exception&) {
        result.clear();
        return kMciInternal;
    }
    // "play ... wait" returns when the play ends; on the hand-driven clock nothing would
    // move time on an audio device, so there it returns at once. Video keeps its own time.
    bool waits = wait && !waitAlias.empty();
    if (waits && Engine::instance().mode() == OutputMode::Virtual) {
        std::lock_guard<std::recursive_mutex> lock(layerMutex());
        waits = interpreter().isVideo(waitAlias);
    }
    if (waits) {
        while (true) {
            bool video = false;
            {
                std::lock_guard<std::recursive_mutex> lock(layerMutex());
                if (interpreter().modeOf(waitAlias) != "playing") break;
                video = interpreter().isVideo(waitAlias);
            }
            // A video plays on through the main thread's events, so the wait runs them.
            VideoBackend* backend = videoBackend();
            if (video && backend)
                backend->idle(10);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return code;
}

int deviceId(std::string_view alias) {
    std::lock_guard<std::recursive_mutex> lock(layerMutex());
    return interpreter().deviceId(alias);
}

void closeAll() {
    std::lock_guard<std::recursive_mutex> lock(layerMutex());
    interpreter().closeAll();
}

}  // namespace media::mci
