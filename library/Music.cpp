#include "library/Music.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <set>

#include <sys/stat.h>

#include "base/CodePage.h"
#include "classes/TStrings.h"
#include "library/MusicApi.h"
#include "media/EntryPoints.h"
#include "media/Probe.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "runtime/Placeholders.h"

namespace fs = std::filesystem;

namespace library {

namespace {

// The main library's names in binding order: every one must be found.
constexpr const char* kBassNames[] = {"BASS_SetConfig",
                                      "BASS_GetConfig",
                                      "BASS_GetVersion",
                                      "BASS_GetDeviceDescription",
                                      "BASS_ErrorGetCode",
                                      "BASS_Init",
                                      "BASS_SetDevice",
                                      "BASS_GetDevice",
                                      "BASS_Free",
                                      "BASS_GetDSoundObject",
                                      "BASS_GetInfo",
                                      "BASS_Update",
                                      "BASS_GetCPU",
                                      "BASS_Start",
                                      "BASS_Stop",
                                      "BASS_Pause",
                                      "BASS_SetVolume",
                                      "BASS_GetVolume",
                                      "BASS_Set3DFactors",
                                      "BASS_Get3DFactors",
                                      "BASS_Set3DPosition",
                                      "BASS_Get3DPosition",
                                      "BASS_Apply3D",
                                      "BASS_SetEAXParameters",
                                      "BASS_GetEAXParameters",
                                      "BASS_MusicLoad",
                                      "BASS_MusicFree",
                                      "BASS_MusicGetName",
                                      "BASS_MusicGetLength",
                                      "BASS_MusicPreBuf",
                                      "BASS_MusicPlay",
                                      "BASS_MusicPlayEx",
                                      "BASS_MusicSetAmplify",
                                      "BASS_MusicSetPanSep",
                                      "BASS_MusicSetPositionScaler",
                                      "BASS_MusicSetVolume",
                                      "BASS_MusicGetVolume",
                                      "BASS_SampleLoad",
                                      "BASS_SampleCreate",
                                      "BASS_SampleCreateDone",
                                      "BASS_SampleFree",
                                      "BASS_SampleGetInfo",
                                      "BASS_SampleSetInfo",
                                      "BASS_SamplePlay",
                                      "BASS_SamplePlayEx",
                                      "BASS_SamplePlay3D",
                                      "BASS_SamplePlay3DEx",
                                      "BASS_SampleStop",
                                      "BASS_StreamCreate",
                                      "BASS_StreamCreateFile",
                                      "BASS_StreamCreateURL",
                                      "BASS_StreamCreateFileUser",
                                      "BASS_StreamFree",
                                      "BASS_StreamGetLength",
                                      "BASS_StreamGetTags",
                                      "BASS_StreamPreBuf",
                                      "BASS_StreamPlay",
                                      "BASS_StreamGetFilePosition",
                                      "BASS_RecordGetDeviceDescription",
                                      "BASS_RecordInit",
                                      "BASS_RecordSetDevice",
                                      "BASS_RecordGetDevice",
                                      "BASS_RecordFree",
                                      "BASS_RecordGetInfo",
                                      "BASS_RecordGetInputName",
                                      "BASS_RecordSetInput",
                                      "BASS_RecordGetInput",
                                      "BASS_RecordStart",
                                      "BASS_ChannelBytes2Seconds",
                                      "BASS_ChannelSeconds2Bytes",
                                      "BASS_ChannelGetDevice",
                                      "BASS_ChannelIsActive",
                                      "BASS_ChannelGetInfo",
                                      "BASS_ChannelStop",
                                      "BASS_ChannelPause",
                                      "BASS_ChannelResume",
                                      "BASS_ChannelSetAttributes",
                                      "BASS_ChannelGetAttributes",
                                      "BASS_ChannelSlideAttributes",
                                      "BASS_ChannelIsSliding",
                                      "BASS_ChannelSet3DAttributes",
                                      "BASS_ChannelGet3DAttributes",
                                      "BASS_ChannelSet3DPosition",
                                      "BASS_ChannelGet3DPosition",
                                      "BASS_ChannelSetPosition",
                                      "BASS_ChannelGetPosition",
                                      "BASS_ChannelGetLevel",
                                      "BASS_ChannelGetData",
                                      "BASS_ChannelSetSync",
                                      "BASS_ChannelRemoveSync",
                                      "BASS_ChannelSetDSP",
                                      "BASS_ChannelRemoveDSP",
                                      "BASS_ChannelSetEAXMix",
                                      "BASS_ChannelGetEAXMix",
                                      "BASS_ChannelSetLink",
                                      "BASS_ChannelRemoveLink",
                                      "BASS_ChannelSetFX",
                                      "BASS_ChannelRemoveFX",
                                      "BASS_FXSetParameters",
                                      "BASS_FXGetParameters"};
static_assert(std::size(kBassNames) == 100);

music::Api s_api;
bool s_loaded = false;
bool s_cdLoaded = false;
bool s_tagsLoaded = false;
bool s_started = false;

template <class F>
void bindOne(std::span<const media::EntryPoint> table, const char* name, F*& slot, bool& ok) {
    slot = media::bindEntryPoint<F>(table, name);
    if (!slot) ok = false;
}

// All of the CD family or none of it.
bool bindCd(music::Api& a) {
    bool ok = true;
    for (const media::EntryPoint& e : media::cdEntryPoints())
        if (!e.address) ok = false;
    if (!ok) return false;
    const auto t = media::cdEntryPoints();
    music::Api cd = a;
#define VANTREL_BIND(fn) bindOne(t, #fn, cd.fn, ok)
    VANTREL_BIND(BASS_CD_GetDriveDescription);
    VANTREL_BIND(BASS_CD_GetDriveLetter);
    VANTREL_BIND(BASS_CD_Door);
    VANTREL_BIND(BASS_CD_DoorIsOpen);
    VANTREL_BIND(BASS_CD_DoorIsLocked);
    VANTREL_BIND(BASS_CD_GetTracks);
    VANTREL_BIND(BASS_CD_GetID);
    VANTREL_BIND(BASS_CD_StreamCreate);
    VANTREL_BIND(BASS_CD_StreamCreateFile);
    VANTREL_BIND(BASS_CD_StreamGetTrack);
#undef VANTREL_BIND
    if (ok) a = cd;
    return ok;
}

// The tag family counts only when every entry point is there and it is the version whose
// formats the tag routine uses.
bool bindTags(music::Api& a) {
    const auto t = media::tagsEntryPoints();
    for (const media::EntryPoint& e : t)
        if (!e.address) return false;
    auto* version = media::bindEntryPoint<decltype(media::TAGS_GetVersion)>(t, "TAGS_GetVersion");
    auto* read = media::bindEntryPoint<decltype(media::TAGS_Read)>(t, "TAGS_Read");
    if (!version || !read || version() != media::kTagsVersion) return false;
    a.TAGS_Read = read;
    return true;
}

bool bindAll() {
    bool ok = true;
    for (const char* name : kBassNames)
        if (!media::findEntryPoint(media::bassEntryPoints(), name)) ok = false;
    if (!ok) return false;
    const auto t = media::bassEntryPoints();
    music::Api a;
#define VANTREL_BIND(fn) bindOne(t, #fn, a.fn, ok)
    VANTREL_BIND(BASS_SetConfig);
    VANTREL_BIND(BASS_GetConfig);
    VANTREL_BIND(BASS_GetVersion);
    VANTREL_BIND(BASS_GetDeviceDescription);
    VANTREL_BIND(BASS_ErrorGetCode);
    VANTREL_BIND(BASS_Init);
    VANTREL_BIND(BASS_SetDevice);
    VANTREL_BIND(BASS_GetDevice);
    VANTREL_BIND(BASS_Free);
    VANTREL_BIND(BASS_GetCPU);
    VANTREL_BIND(BASS_SetVolume);
    VANTREL_BIND(BASS_GetVolume);
    VANTREL_BIND(BASS_MusicLoad);
    VANTREL_BIND(BASS_MusicFree);
    VANTREL_BIND(BASS_MusicGetLength);
    VANTREL_BIND(BASS_MusicPreBuf);
    VANTREL_BIND(BASS_MusicPlayEx);
    VANTREL_BIND(BASS_StreamCreateFile);
    VANTREL_BIND(BASS_StreamCreateURL);
    VANTREL_BIND(BASS_StreamFree);
    VANTREL_BIND(BASS_StreamGetLength);
    VANTREL_BIND(BASS_StreamPreBuf);
    VANTREL_BIND(BASS_StreamPlay);
    VANTREL_BIND(BASS_StreamGetFilePosition);
    VANTREL_BIND(BASS_ChannelBytes2Seconds);
    VANTREL_BIND(BASS_ChannelSeconds2Bytes);
    VANTREL_BIND(BASS_ChannelIsActive);
    VANTREL_BIND(BASS_ChannelGetInfo);
    VANTREL_BIND(BASS_ChannelStop);
    VANTREL_BIND(BASS_ChannelPause);
    VANTREL_BIND(BASS_ChannelResume);
    VANTREL_BIND(BASS_ChannelSetAttributes);
    VANTREL_BIND(BASS_ChannelGetAttributes);
    VANTREL_BIND(BASS_ChannelSlideAttributes);
    VANTREL_BIND(BASS_ChannelSetPosition);
    VANTREL_BIND(BASS_ChannelGetPosition);
    VANTREL_BIND(BASS_ChannelGetData);
    VANTREL_BIND(BASS_ChannelSetSync);
    VANTREL_BIND(BASS_ChannelRemoveSync);
    VANTREL_BIND(BASS_MusicGetName);
    VANTREL_BIND(BASS_StreamGetTags);
#undef VANTREL_BIND
    if (!ok) return false;
    s_cdLoaded = bindCd(a);
    s_tagsLoaded = bindTags(a);
    s_api = a;
    return true;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), s.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

bool isInternetAddress(std::string_view name) {
    return startsWithNoCase(name, "http://") || startsWithNoCase(name, "https://") ||
           startsWithNoCase(name, "ftp://");
}

bool hasExtensionCda(std::string_view name) {
    return name.size() >= 4 && startsWithNoCase(name.substr(name.size() - 4), ".cda");
}

bool nativeIsFile(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

struct Flags {
    uint32_t stream, music, url, cd, play;
};
constexpr Flags kOnce{0x40000, 0x48400, 0x440000, 0x50000, 0};
constexpr Flags kLoop{0x4, 0x8404, 0x400004, 0x10004, 0x4};

int32_t secondsUp(float seconds) {
    if (!(seconds > 0)) return 0;
    const double up = std::ceil(static_cast<double>(seconds));
    return up >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(up);
}

bool isStreamFormat(const std::string& f) {
    return f == "WAV" || f == "OGG" || f == "MP1" || f == "MP2" || f == "MP3" || f == "CDA";
}
bool isMusicFormat(const std::string& f) {
    return f == "MTM" || f == "S3M" || f == "XM" || f == "IT" || f == "MO3";
}

// Settings values kept under the player's own key; they round-trip as DWORDs, Booleans as 1 or 0.
constexpr const char* kStored = "BASS_STORED";
constexpr const char* kNetTimeout = "BASS_CONFIG_NET_TIMEOUT";
constexpr const char* kBuffer = "BASS_CONFIG_BUFFER";
constexpr const char* kNetBuffer = "BASS_CONFIG_NET_BUFFER";
constexpr const char* kDevice = "BASS_Device";

uint32_t storedDword(const char* name, uint32_t fallback) {
    auto v =
        platform::registry().value(platform::RegistryRoot::CurrentUser, platform::currentPlayerKey(), name);
    if (!v) return fallback;
    if (auto d = v->dwordValue()) return *d;
    return fallback;
}

void collect(const std::string& path, bool recursive, std::set<std::pair<uint64_t, uint64_t>>& seen,
             classes::TStringList& out) {
    const std::string prefix = path.empty() || path.back() == '\\' ? path : path + "\\";
    fs::path dir = platform::resolvePath(prefix);
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) dir = platform::resolvePath(runtime::RepConst(prefix));
    // A folder met twice (bind mounts, hard-linked trees) is searched once.
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !seen.insert({st.st_dev, st.st_ino}).second) return;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    const base::CodePage& cp = base::CodePage::active();
    for (const fs::directory_entry& e : entries) {
        const std::string name = cp.fromUtf8(e.path().filename().string());
        std::error_code fe;
        if (e.is_symlink(fe) && fs::is_directory(e.path(), fe)) continue;
        if (e.is_directory(fe)) {
            if (recursive) collect(prefix + name, true, seen, out);
        } else if (e.is_regular_file(fe)) {
            if (canPlayFile(prefix + name)) out.add(prefix + name);
        }
    }
}

}  // namespace

namespace music {

const Api& api() { return s_api; }
Api& apiForTests() { return s_api; }

bool isExistingFile(std::string_view windowsName) {
    return !windowsName.empty() && nativeIsFile(platform::resolvePath(windowsName));
}

std::string nativeName(std::string_view windowsName) {
    const std::string name =
        isExistingFile(windowsName) ? std::string(windowsName) : runtime::RepConst(windowsName);
    const fs::path native = platform::resolvePath(name);
    return nativeIsFile(native) ? native.string() : name;
}

void stopAndFree(uint32_t handle) {
    s_api.BASS_ChannelStop(handle);
    s_api.BASS_StreamFree(handle);
    s_api.BASS_MusicFree(handle);
}

}  // namespace music

bool bindMusicLibrary(bool bound) {
    if (!bound) {
        s_loaded = false;
        s_cdLoaded = false;
        s_tagsLoaded = false;
        return false;
    }
    if (!s_loaded) s_loaded = bindAll();
    return s_loaded;
}

bool musicLoaded() { return s_loaded; }
bool cdLoaded() { return s_loaded && s_cdLoaded; }
bool tagsLoaded() { return s_loaded && s_tagsLoaded; }

bool startMusic() {
    if (s_started) return s_loaded;
    s_started = true;
    try {
        if (!bindMusicLibrary()) return false;
        if (s_api.BASS_GetVersion() == media::kBassVersion) {
            // No window handle has meaning for the engine.
            // The default output; the silent device when no output opens.
            if (!s_api.BASS_Init(1, 44100, 0, nullptr, nullptr) && !s_api.BASS_SetDevice(1) &&
                !s_api.BASS_Init(0, 44100, 0, nullptr, nullptr))
                s_api.BASS_SetDevice(0);
        }
        restoreSoundSettings();
    } catch (...) {
        // Music is simply unavailable.
    }
    return s_loaded;
}

void stopMusic() {
    if (!s_loaded) return;
    try {
        saveSoundSettings();
    } catch (...) {
    }
    // Every device opened this run (the start, the stored one, the dialog's choices) closes.
    for (uint32_t i = 0; s_api.BASS_GetDeviceDescription(i); ++i)
        if (s_api.BASS_SetDevice(i)) s_api.BASS_Free();
    s_loaded = false;
    s_started = false;
}

void restoreSoundSettings() {
    if (!s_loaded) return;
    if (storedDword(kStored, 0) == 0) return;
    s_api.BASS_SetConfig(11, storedDword(kNetTimeout, s_api.BASS_GetConfig(11)));
    s_api.BASS_SetConfig(0, storedDword(kBuffer, s_api.BASS_GetConfig(0)));
    s_api.BASS_SetConfig(12, storedDword(kNetBuffer, s_api.BASS_GetConfig(12)));
    const uint32_t device = storedDword(kDevice, s_api.BASS_GetDevice());
    s_api.BASS_Init(static_cast<int32_t>(device), 44100, 0, nullptr, nullptr);
    s_api.BASS_SetDevice(device);
}

void saveSoundSettings() {
    if (!s_loaded) return;
    using platform::RegistryValue;
    platform::registry().setValues(platform::RegistryRoot::CurrentUser, platform::currentPlayerKey(),
                                   {{kStored, RegistryValue::dword(1)},
                                    {kNetTimeout, RegistryValue::dword(s_api.BASS_GetConfig(11))},
                                    {kBuffer, RegistryValue::dword(s_api.BASS_GetConfig(0))},
                                    {kNetBuffer, RegistryValue::dword(s_api.BASS_GetConfig(12))},
                                    {kDevice, RegistryValue::dword(s_api.BASS_GetDevice())}});
}

OpenedChannel openChannel(std::string_view file, OpenRow row, EndNotify* onEnd, void* user) {
    if (!s_loaded) return {};
    const Flags& f = row == OpenRow::Once ? kOnce : kLoop;
    const std::string name = music::isExistingFile(file) ? std::string(file) : runtime::RepConst(file);
    const fs::path native = platform::resolvePath(name);
    uint32_t stream = 0, mod = 0;
    if (nativeIsFile(native)) {
        stream = s_api.BASS_StreamCreateFile(false, native.c_str(), 0, 0, f.stream);
        if (stream == 0) mod = s_api.BASS_MusicLoad(false, native.c_str(), 0, 0, f.music, 0);
    } else if (isInternetAddress(name)) {
        stream = s_api.BASS_StreamCreateURL(name.c_str(), 0, f.url, nullptr, nullptr);
    }
    if (stream == 0 && mod == 0 && cdLoaded() && s_api.BASS_CD_StreamCreateFile)
        stream = s_api.BASS_CD_StreamCreateFile(native.c_str(), f.cd);
    OpenedChannel opened;
    opened.handle = stream != 0 ? stream : mod;
    if (opened.handle == 0) return opened;
    if (onEnd) opened.sync = s_api.BASS_ChannelSetSync(opened.handle, 0x80000002u, 0, onEnd, user);
    if (stream != 0) {
        s_api.BASS_StreamPreBuf(stream);
        s_api.BASS_StreamPlay(stream, false, f.play);
    } else {
        s_api.BASS_MusicPreBuf(mod);
        s_api.BASS_MusicPlayEx(mod, 0, -1, true);
    }
    return opened;
}

int32_t playMusic(const std::string& file) {
    return static_cast<int32_t>(openChannel(file, OpenRow::Once).handle);
}
int32_t playMusicLoop(const std::string& file) {
    return static_cast<int32_t>(openChannel(file, OpenRow::Loop).handle);
}

int32_t playMusicEx(const std::string& file, uint32_t volume, int32_t panning) {
    const int32_t h = playMusic(file);
    setChannelVolume(static_cast<uint32_t>(h), volume);
    setChannelPanning(h, panning);
    return h;
}

int32_t playMusicLoopEx(const std::string& file, uint32_t volume, int32_t panning) {
    const int32_t h = playMusicLoop(file);
    setChannelVolume(static_cast<uint32_t>(h), volume);
    setChannelPanning(h, panning);
    return h;
}

void stopMusicChannel(int32_t handle) {
    if (s_loaded) music::stopAndFree(static_cast<uint32_t>(handle));
}

void pauseMusic(int32_t handle) {
    if (!s_loaded) return;
    const auto h = static_cast<uint32_t>(handle);
    if (s_api.BASS_ChannelIsActive(h) == media::BASS_ACTIVE_PLAYING)
        s_api.BASS_ChannelPause(h);
    else
        s_api.BASS_ChannelResume(h);
}

int32_t musicStatus(int32_t handle) {
    if (!s_loaded) return 0;
    switch (s_api.BASS_ChannelIsActive(static_cast<uint32_t>(handle))) {
    case media::BASS_ACTIVE_STOPPED: return 1;
    case media::BASS_ACTIVE_PLAYING: return 2;
    case media::BASS_ACTIVE_PAUSED: return 3;
    case media::BASS_ACTIVE_STALLED: return 4;
    default: return 0;
    }
}

int32_t getLastBassError() { return s_loaded ? s_api.BASS_ErrorGetCode() : 0; }
float getCpuUsedByMusic() { return s_loaded ? s_api.BASS_GetCPU() : 0.0f; }
bool setVolume(int32_t volume) { return s_loaded && s_api.BASS_SetVolume(static_cast<uint32_t>(volume)); }
int32_t getVolume() { return s_loaded ? static_cast<int32_t>(s_api.BASS_GetVolume()) : 0; }

bool setChannelVolume(uint32_t handle, uint32_t volume) {
    return s_loaded && s_api.BASS_ChannelSetAttributes(handle, -1, static_cast<int32_t>(volume), -101);
}
bool setChannelPanning(int32_t handle, int32_t panning) {
    return s_loaded && s_api.BASS_ChannelSetAttributes(static_cast<uint32_t>(handle), -1, -1, panning);
}
bool setChannelSampleRate(uint32_t handle, uint32_t rate) {
    return s_loaded && s_api.BASS_ChannelSetAttributes(handle, static_cast<int32_t>(rate), -1, -101);
}

namespace {
struct Attributes {
    uint32_t freq = 0, volume = 0;
    int32_t pan = 0;
};
bool readAttributes(int32_t handle, Attributes& a) {
    return s_loaded &&
           s_api.BASS_ChannelGetAttributes(static_cast<uint32_t>(handle), &a.freq, &a.volume, &a.pan);
}
}  // namespace

// The script's variable receives the value only from a successful call.
bool getChannelVolume(int32_t handle, uint32_t& volume) {
    Attributes a;
    if (!readAttributes(handle, a)) return false;
    volume = a.volume;
    return true;
}
bool getChannelPanning(int32_t handle, int32_t& panning) {
    Attributes a;
    if (!readAttributes(handle, a)) return false;
    panning = a.pan;
    return true;
}
bool getChannelSampleRate(int32_t handle, uint32_t& rate) {
    Attributes a;
    if (!readAttributes(handle, a)) return false;
    rate = a.freq;
    return true;
}

bool musicSlideAttributes(int32_t handle, int32_t freq, int32_t volume, int32_t pan, int32_t time) {
    return s_loaded && s_api.BASS_ChannelSlideAttributes(static_cast<uint32_t>(handle), freq, volume, pan,
                                                         static_cast<uint32_t>(time));
}

bool isMono(int32_t handle) {
    media::BassChannelInfo info{};
    return s_loaded && s_api.BASS_ChannelGetInfo(static_cast<uint32_t>(handle), &info) && info.chans == 1;
}

std::string getMusicFormat(int32_t handle) {
    if (!s_loaded) return {};
    media::BassChannelInfo info{};
    s_api.BASS_ChannelGetInfo(static_cast<uint32_t>(handle), &info);
    struct Row {
        uint32_t mask;
        const char* name;
    };
    static constexpr Row kRows[] = {{0x10001, "WAV"}, {0x10002, "OGG"}, {0x10003, "MP1"}, {0x10004, "MP2"},
                                    {0x10005, "MP3"}, {0x20001, "MTM"}, {0x20002, "S3M"}, {0x20003, "XM"},
                                    {0x20004, "IT"},  {0x100, "MO3"}};
    const uint32_t t = info.ctype;
    for (const Row& r : kRows)
        if ((t & r.mask) == t) return r.name;
    if (cdLoaded() && (t & 0x10200u) == t) return "CDA";
    return {};
}

int32_t getLengthInSeconds(int32_t handle) {
    if (!s_loaded) return 0;
    const auto h = static_cast<uint32_t>(handle);
    const std::string f = getMusicFormat(handle);
    uint64_t bytes = 0;
    if (isStreamFormat(f))
        bytes = s_api.BASS_StreamGetLength(h);
    else if (isMusicFormat(f))
        bytes = s_api.BASS_MusicGetLength(h, true);
    else
        return 0;
    return secondsUp(s_api.BASS_ChannelBytes2Seconds(h, bytes));
}

int32_t getPosition(int32_t handle) {
    if (!s_loaded) return 0;
    const auto h = static_cast<uint32_t>(handle);
    const auto low = static_cast<int32_t>(static_cast<uint32_t>(s_api.BASS_ChannelGetPosition(h)));
    return secondsUp(s_api.BASS_ChannelBytes2Seconds(h, static_cast<uint64_t>(static_cast<int64_t>(low))));
}

void setPosition(int32_t handle, int32_t position) {
    if (!s_loaded) return;
    position = std::max(0, std::min(position, getLengthInSeconds(handle)));
    const std::string f = getMusicFormat(handle);
    if (!isStreamFormat(f) && !isMusicFormat(f)) return;
    const auto h = static_cast<uint32_t>(handle);
    s_api.BASS_ChannelSetPosition(h, s_api.BASS_ChannelSeconds2Bytes(h, static_cast<float>(position)));
}

int32_t getBitRate(int32_t handle) {
    if (!s_loaded || s_api.BASS_GetDevice() == 0) return 0;
    const auto h = static_cast<uint32_t>(handle);
    const int64_t seconds = secondsUp(s_api.BASS_ChannelBytes2Seconds(h, s_api.BASS_StreamGetLength(h)));
    const uint32_t size = s_api.BASS_StreamGetFilePosition(h, media::BASS_FILEPOS_END);
    // A stream too short for a whole second, or one whose size is unknown, has no rate to tell.
    if (seconds <= 0 || size == 0xFFFFFFFFu) return 0;
    int64_t rate = static_cast<int64_t>(size) / (seconds * 125);
    if (rate % 2 != 0) ++rate;
    return static_cast<int32_t>(rate);
}

std::unique_ptr<classes::TStringList> searchForMusic(const std::string& path, bool recursive) {
    auto list = std::make_unique<classes::TStringList>();
    if (!s_loaded) return list;
    std::set<std::pair<uint64_t, uint64_t>> seen;
    collect(path, recursive, seen, *list);
    return list;
}

bool canPlayFile(const std::string& name) {
    if (!s_loaded) return false;
    const std::string native = music::nativeName(name);
    if (media::probeFile(native) != media::ProbeResult::None) return true;
    if (cdLoaded() && hasExtensionCda(name) && s_api.BASS_CD_StreamCreateFile) {
        const uint32_t h = s_api.BASS_CD_StreamCreateFile(native.c_str(), 0x40000);
        if (h != 0) {
            music::stopAndFree(h);
            return true;
        }
    }
    return false;
}

}  // namespace library
