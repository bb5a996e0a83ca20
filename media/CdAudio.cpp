// The CD entry points over the drive table: argument checks, error numbers and channels.
#include "media/CdAudio.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "media/Engine.h"
#include "media/ErrorCode.h"
#include "media/LastError.h"
#include "media/cd/CdDrive.h"

namespace media {

namespace {

constexpr uint32_t kFail32 = 0xFFFFFFFFu;

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

thread_local std::string t_description;
thread_local std::string t_id;

CdDrive* driveAt(uint32_t drive) {
    const auto& drives = cdDrives();
    if (drive >= drives.size()) {
        t_lastError = kErrorDevice;
        return nullptr;
    }
    return drives[drive].get();
}

// Registers a track stream as a channel of the current device.
uint32_t addChannel(std::unique_ptr<AudioStream> stream, uint32_t flags) {
    Engine& engine = Engine::instance();
    std::lock_guard<std::mutex> lock(engine.mutex);
    if (!engine.currentDevice()) return fail(kErrorInit, 0u);
    const uint32_t handle = engine.add(std::move(stream), ChannelKind::Stream, flags);
    if (handle == 0) return fail(kErrorMem, 0u);
    return ok(handle);
}

bool deviceReady() {
    Engine& engine = Engine::instance();
    std::lock_guard<std::mutex> lock(engine.mutex);
    return engine.currentDevice() != nullptr;
}

uint32_t createTrackStream(uint32_t driveIndex, int track, uint32_t flags) {
    CdDrive* drive = driveAt(driveIndex);
    if (!drive) return 0;
    if (!deviceReady()) return fail(kErrorInit, 0u);
    int error = kErrorOk;
    // The disc is opened outside the engine lock: a physical drive may take seconds to spin up.
    std::unique_ptr<AudioStream> stream = drive->openTrack(driveIndex, track, error);
    if (!stream) return fail(error, 0u);
    return addChannel(std::move(stream), flags);
}

}  // namespace

const char* BASS_CD_GetDriveDescription(uint32_t drive) {
    CdDrive* d = driveAt(drive);
    if (!d) return nullptr;
    t_description = d->description();
    return ok(t_description.c_str());
}

int32_t BASS_CD_GetDriveLetter(uint32_t drive) {
    CdDrive* d = driveAt(drive);
    if (!d) return -1;
    return ok(d->letter);
}

bool BASS_CD_GetInfo(uint32_t drive, void* info) {
    CdDrive* d = driveAt(drive);
    if (!d) return false;
    if (!info) return fail(kErrorIllParam, false);
    auto* out = static_cast<BassCdInfo*>(info);
    t_description = d->description();
    out->description = t_description.c_str();
    out->letter = static_cast<uint32_t>(d->letter);
    out->hasDoor = d->hasDoor();
    const std::optional<CdToc> toc = d->toc();
    out->tracks = toc ? static_cast<uint32_t>(toc->tracks.size()) : 0;
    out->cdText = toc && !d->cdText().empty();
    return ok(true);
}

bool BASS_CD_Door(uint32_t drive, uint32_t action) {
    CdDrive* d = driveAt(drive);
    if (!d) return false;
    if (action > BASS_CD_DOOR_UNLOCK) return fail(kErrorIllParam, false);
    if (!d->hasDoor()) return fail(kErrorNotAvail, false);
    if (!d->door(static_cast<DoorAction>(action))) return fail(kErrorUnknown, false);
    return ok(true);
}

bool BASS_CD_DoorIsOpen(uint32_t drive) {
    CdDrive* d = driveAt(drive);
    if (!d) return false;
    return ok(d->doorIsOpen());
}

bool BASS_CD_DoorIsLocked(uint32_t drive) {
    CdDrive* d = driveAt(drive);
    if (!d) return false;
    return ok(d->doorIsLocked());
}

bool BASS_CD_IsReady(uint32_t drive) {
    CdDrive* d = driveAt(drive);
    if (!d) return false;
    return ok(d->toc().has_value());
}

uint32_t BASS_CD_GetTracks(uint32_t drive) {
    CdDrive* d = driveAt(drive);
    if (!d) return kFail32;
    const std::optional<CdToc> toc = d->toc();
    if (!toc) return fail(kErrorNoCd, kFail32);
    return ok(static_cast<uint32_t>(toc->tracks.size()));
}

uint32_t BASS_CD_GetTrackLength(uint32_t drive, uint32_t track) {
    CdDrive* d = driveAt(drive);
    if (!d) return kFail32;
    const std::optional<CdToc> toc = d->toc();
    if (!toc) return fail(kErrorNoCd, kFail32);
    if (track >= toc->tracks.size()) return fail(kErrorCdTrack, kFail32);
    return ok(toc->tracks[track].sectors * kCdSectorBytes);
}

const char* BASS_CD_GetID(uint32_t drive, uint32_t id) {
    CdDrive* d = driveAt(drive);
    if (!d) return nullptr;
    const std::optional<CdToc> toc = d->toc();
    if (!toc) return fail<const char*>(kErrorNoCd, nullptr);
    switch (id) {
    case BASS_CDID_IDENTITY: t_id = cdIdentity(*toc); break;
    case BASS_CDID_UPC: t_id = d->mcn(); break;
    case BASS_CDID_CDDB:
    case BASS_CDID_CDDB2: t_id = cddbQuery(*toc); break;
    case BASS_CDID_TEXT: {
        const std::vector<CdTextField> fields = d->cdText();
        if (fields.empty()) return fail<const char*>(kErrorNotAvail, nullptr);
        t_id = joinCdText(fields);
        break;
    }
    case BASS_CDID_CDPLAYER: t_id = cdPlayerId(*toc); break;
    default:
        if (id < BASS_CDID_ISRC || id - BASS_CDID_ISRC >= toc->tracks.size())
            return fail<const char*>(kErrorIllParam, nullptr);
        t_id = d->isrc(static_cast<int>(id - BASS_CDID_ISRC));
        break;
    }
    if (t_id.empty()) return fail<const char*>(kErrorNotAvail, nullptr);
    return ok(t_id.c_str());
}

bool BASS_CD_Release(uint32_t drive) {
    CdDrive* d = driveAt(drive);
    if (!d) return false;
    d->release();
    return ok(true);
}

uint32_t BASS_CD_StreamCreate(uint32_t drive, uint32_t track, uint32_t flags) {
    if (track > 0xFFFF) return fail(kErrorCdTrack, 0u);
    return createTrackStream(drive, static_cast<int>(track), flags);
}

uint32_t BASS_CD_StreamCreateFile(const char* file, uint32_t flags) {
    if (!file) return fail(kErrorIllParam, 0u);
    std::ifstream in(file, std::ios::binary);
    if (!in) return fail(kErrorFileOpen, 0u);
    std::vector<uint8_t> bytes;
    char chunk[256];
    while (bytes.size() < 4096 && in.read(chunk, sizeof chunk).gcount() > 0)
        bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    const std::optional<CdaFile> cda = parseCda(bytes);
    if (!cda) return fail(kErrorFileForm, 0u);
    // The file names a track by where it starts on its disc: the drive holding a disc with
    // that track in that place plays it (a file of another disc plays nothing).
    const auto& drives = cdDrives();
    for (uint32_t i = 0; i < drives.size(); ++i) {
        const std::optional<CdToc> toc = drives[i]->toc();
        if (!toc) continue;
        for (size_t t = 0; t < toc->tracks.size(); ++t)
            if (toc->tracks[t].start == cda->start && toc->tracks[t].number == cda->track)
                return createTrackStream(i, static_cast<int>(t), flags);
    }
    return fail(kErrorNoCd, 0u);
}

uint32_t BASS_CD_StreamGetTrack(uint32_t handle) {
    Engine& engine = Engine::instance();
    std::lock_guard<std::mutex> lock(engine.mutex);
    const std::shared_ptr<Channel> c = engine.find(handle);
    if (!c) return fail(kErrorHandle, kFail32);
    // The stream object never changes after creation and its drive and track are constant.
    const auto track = cdStreamTrack(*c->stream);
    if (!track) return fail(kErrorHandle, kFail32);
    return ok(track->first << 16 | (track->second & 0xFFFF));
}

// Analogue playback needs the drive's own audio output wired to a sound card, which
// machines of today lack; the digital streams above play every track instead.
bool BASS_CD_Analog_Play(uint32_t drive, uint32_t, uint32_t) {
    if (!driveAt(drive)) return false;
    return fail(kErrorNotAvail, false);
}
uint32_t BASS_CD_Analog_PlayFile(const char*, uint32_t) { return fail(kErrorNotAvail, kFail32); }
bool BASS_CD_Analog_Stop(uint32_t drive) {
    if (!driveAt(drive)) return false;
    return fail(kErrorNotAvail, false);
}
uint32_t BASS_CD_Analog_IsActive(uint32_t drive) {
    if (!driveAt(drive)) return 0;
    return ok(0u);
}
uint32_t BASS_CD_Analog_GetPosition(uint32_t drive) {
    if (!driveAt(drive)) return kFail32;
    return fail(kErrorNotAvail, kFail32);
}

}  // namespace media
