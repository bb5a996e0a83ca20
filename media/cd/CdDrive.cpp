// Drives through libcdio: tables of contents, CD-TEXT, doors, and track streams that read
// images sector by sector and physical discs through cdparanoia's error correction.
#include "media/cd/CdDrive.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/memory.h>
#include <cdio/mmc.h>
#include <cdio/mmc_ll_cmds.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/CodePage.h"
#include "media/ErrorCode.h"

namespace media {

namespace {

void quietLog(cdio_log_level_t, const char*) {}

bool endsWith(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i]) return false;
    return true;
}

CdIo_t* openPath(const std::string& path, bool image) {
    if (!image) return cdio_open(path.c_str(), DRIVER_DEVICE);
    const driver_id_t driver = endsWith(path, ".toc")   ? DRIVER_CDRDAO
                               : endsWith(path, ".nrg") ? DRIVER_NRG
                                                        : DRIVER_BINCUE;
    return cdio_open(path.c_str(), driver);
}

std::string takeText(char* text) {
    if (!text) return {};
    std::string s(text);
    cdio_free(text);
    return s;
}

std::optional<CdToc> readToc(CdIo_t* p) {
    const track_t first = cdio_get_first_track_num(p);
    const track_t count = cdio_get_num_tracks(p);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) return std::nullopt;
    CdToc toc;
    toc.leadout = cdio_get_track_lsn(p, CDIO_CDROM_LEADOUT_TRACK);
    for (int t = first; t < first + count; ++t) {
        const auto track = static_cast<track_t>(t);
        CdTrack info;
        info.number = t;
        info.start = cdio_get_track_lsn(p, track);
        const lsn_t last = cdio_get_track_last_lsn(p, track);
        if (info.start == CDIO_INVALID_LSN) return std::nullopt;
        info.sectors =
            last != CDIO_INVALID_LSN && last >= info.start ? static_cast<uint32_t>(last - info.start + 1) : 0;
        info.audio = cdio_get_track_format(p, track) == TRACK_FORMAT_AUDIO;
        toc.tracks.push_back(info);
    }
    return toc;
}

// Reads whole raw sectors of the track being played.
class SectorReader {
public:
    virtual ~SectorReader() = default;
    virtual bool read(int32_t lsn, uint32_t count, uint8_t* out) = 0;
};

// Images (and drives paranoia cannot drive): the sectors as stored.
class DirectReader : public SectorReader {
public:
    explicit DirectReader(CdIo_t* p) : m_cdio(p) {}
    ~DirectReader() override { cdio_destroy(m_cdio); }
    bool read(int32_t lsn, uint32_t count, uint8_t* out) override {
        return cdio_read_audio_sectors(m_cdio, out, lsn, count) == DRIVER_OP_SUCCESS;
    }

private:
    CdIo_t* m_cdio;
};

// Physical discs: overlapped, verified reads that hide scratches and jitter.
class ParanoiaReader : public SectorReader {
public:
    ParanoiaReader(cdrom_drive_t* drive, cdrom_paranoia_t* paranoia) : m_drive(drive), m_paranoia(paranoia) {}
    ~ParanoiaReader() override {
        cdio_paranoia_free(m_paranoia);
        cdio_cddap_close(m_drive);  // also destroys the libcdio handle
    }
    bool read(int32_t lsn, uint32_t count, uint8_t* out) override {
        if (lsn != m_next) cdio_paranoia_seek(m_paranoia, lsn, SEEK_SET);
        for (uint32_t i = 0; i < count; ++i) {
            const int16_t* sector = cdio_paranoia_read(m_paranoia, nullptr);
            if (!sector) {
                m_next = -1;
                return false;
            }
            std::memcpy(out + i * kCdSectorBytes, sector, kCdSectorBytes);
        }
        m_next = lsn + static_cast<int32_t>(count);
        return true;
    }

private:
    cdrom_drive_t* m_drive;
    cdrom_paranoia_t* m_paranoia;
    int32_t m_next = -1;
};

std::unique_ptr<SectorReader> makeReader(const std::string& path, bool image) {
    CdIo_t* p = openPath(path, image);
    if (!p) return nullptr;
    if (!image) {
        if (cdrom_drive_t* d = cdio_cddap_identify_cdio(p, CDDA_MESSAGE_FORGETIT, nullptr)) {
            if (cdio_cddap_open(d) == 0) {
                if (cdrom_paranoia_t* par = cdio_paranoia_init(d)) {
                    cdio_paranoia_modeset(par, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
                    return std::make_unique<ParanoiaReader>(d, par);
                }
            }
            cdio_cddap_close_no_free_cdio(d);
        }
    }
    return std::make_unique<DirectReader>(p);
}

// One track as 44100 Hz stereo 16-bit frames, read a few sectors at a time.
class CdTrackStream : public AudioStream {
public:
    CdTrackStream(std::unique_ptr<SectorReader> reader, const CdTrack& track, uint32_t driveIndex,
                  int trackIndex)
        : drive(driveIndex),
          index(trackIndex),
          m_reader(std::move(reader)),
          m_start(track.start),
          m_sectors(track.sectors),
          m_cache(kChunkSectors * kCdSectorBytes) {}

    const uint32_t drive;
    const int index;

    StreamFormat format() const override { return {}; }
    size_t read(int16_t* out, size_t frames) override {
        size_t done = 0;
        const int64_t total = length();
        while (done < frames && m_pos < total && !m_failed) {
            const auto sector = static_cast<uint32_t>(m_pos / kCdFramesPerSector);
            if (sector < m_cacheFirst || sector >= m_cacheFirst + m_cacheCount) {
                const uint32_t count = std::min(kChunkSectors, m_sectors - sector);
                if (!m_reader->read(m_start + static_cast<int32_t>(sector), count, m_cache.data())) {
                    m_failed = true;
                    break;
                }
                m_cacheFirst = sector;
                m_cacheCount = count;
            }
            const int64_t cacheEnd = int64_t{m_cacheFirst + m_cacheCount} * kCdFramesPerSector;
            const auto n =
                static_cast<size_t>(std::min<int64_t>(cacheEnd - m_pos, static_cast<int64_t>(frames - done)));
            const size_t offset = static_cast<size_t>(m_pos - int64_t{m_cacheFirst} * kCdFramesPerSector) * 4;
            // Disc samples are little-endian, as are the engine's on every machine it runs on.
            std::memcpy(out + done * 2, m_cache.data() + offset, n * 4);
            done += n;
            m_pos += static_cast<int64_t>(n);
        }
        return done;
    }
    int64_t length() const override { return int64_t{m_sectors} * kCdFramesPerSector; }
    bool seek(int64_t frame) override {
        if (frame < 0 || frame > length()) return false;
        m_pos = frame;
        m_failed = false;
        return true;
    }
    uint32_t typeCode() const override { return kTypeCodeCd; }
    uint64_t sourceSize() const override { return uint64_t{m_sectors} * kCdSectorBytes; }

private:
    static constexpr uint32_t kChunkSectors = 16;

    std::unique_ptr<SectorReader> m_reader;
    int32_t m_start;
    uint32_t m_sectors;
    std::vector<uint8_t> m_cache;
    uint32_t m_cacheFirst = 0;
    uint32_t m_cacheCount = 0;
    int64_t m_pos = 0;
};

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::unique_ptr<CdDrive>> findDrives() {
    cdio_log_set_handler(quietLog);
    std::vector<std::unique_ptr<CdDrive>> drives;
    // Windows would give the first CD drive "D"; later ones follow, up to "Z".
    auto letter = [&drives] { return std::min<int>(3 + static_cast<int>(drives.size()), 25); };
    if (const char* images = std::getenv("VANTREL_CD_IMAGE")) {
        std::string list = images;
        size_t begin = 0;
        while (begin <= list.size()) {
            size_t end = list.find(':', begin);
            if (end == std::string::npos) end = list.size();
            if (end > begin)
                drives.push_back(std::make_unique<CdDrive>(list.substr(begin, end - begin), true, letter()));
            begin = end + 1;
        }
    }
    if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
        for (char** d = devices; *d; ++d) drives.push_back(std::make_unique<CdDrive>(*d, false, letter()));
        cdio_free_device_list(devices);
    }
    return drives;
}

}  // namespace

CdDrive::CdDrive(std::string path_, bool image_, int letter_)
    : path(std::move(path_)), image(image_), letter(letter_) {}

CdDrive::~CdDrive() {
    if (m_handle) cdio_destroy(m_handle);
}

CdIo_t* CdDrive::handle() {
    // A physical drive whose disc was changed must read the new table of contents.
    if (m_handle && !image && cdio_get_media_changed(m_handle) == 1) {
        cdio_destroy(m_handle);
        m_handle = nullptr;
    }
    if (!m_handle) m_handle = openPath(path, image);
    return m_handle;
}

const std::string& CdDrive::description() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_description.empty()) {
        if (image) {
            m_description = "Disc image " + baseName(path);
        } else {
            cdio_hwinfo_t info{};
            if (CdIo_t* p = handle(); p && cdio_get_hwinfo(p, &info)) {
                m_description = std::string(info.psz_vendor) + ' ' + info.psz_model + ' ' + info.psz_revision;
                // The fields are space-padded to fixed widths.
                std::string compact;
                for (char c : m_description)
                    if (c != ' ' || (!compact.empty() && compact.back() != ' ')) compact += c;
                while (!compact.empty() && compact.back() == ' ') compact.pop_back();
                m_description = compact;
            }
            if (m_description.empty()) m_description = path;
        }
    }
    return m_description;
}

std::optional<CdToc> CdDrive::toc() {
    std::lock_guard<std::mutex> lock(m_mutex);
    CdIo_t* p = handle();
    if (!p) return std::nullopt;
    return readToc(p);
}

std::vector<CdTextField> CdDrive::cdText() {
    static const std::pair<cdtext_field_t, const char*> kFields[] = {
        {CDTEXT_FIELD_TITLE, "TITLE"},           {CDTEXT_FIELD_PERFORMER, "PERFORMER"},
        {CDTEXT_FIELD_SONGWRITER, "SONGWRITER"}, {CDTEXT_FIELD_COMPOSER, "COMPOSER"},
        {CDTEXT_FIELD_ARRANGER, "ARRANGER"},     {CDTEXT_FIELD_MESSAGE, "MESSAGE"},
        {CDTEXT_FIELD_GENRE, "GENRE"},           {CDTEXT_FIELD_ISRC, "ISRC"},
        {CDTEXT_FIELD_UPC_EAN, "UPC"},           {CDTEXT_FIELD_DISCID, "DISCID"},
    };
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<CdTextField> fields;
    CdIo_t* p = handle();
    if (!p) return fields;
    const std::optional<CdToc> disc = readToc(p);
    cdtext_t* text = cdio_get_cdtext(p);
    if (!disc || !text) return fields;
    // libcdio hands out UTF-8; scripts read the ANSI code page.
    auto add = [&](const std::string& key, const char* value) {
        if (value && *value) fields.emplace_back(key, base::CodePage::active().fromUtf8(value));
    };
    for (const auto& [field, name] : kFields) add(name, cdtext_get_const(text, field, 0));
    for (const CdTrack& t : disc->tracks)
        for (const auto& [field, name] : kFields)
            add(name + std::to_string(t.number),
                cdtext_get_const(text, field, static_cast<track_t>(t.number)));
    return fields;
}

std::string CdDrive::mcn() {
    std::lock_guard<std::mutex> lock(m_mutex);
    CdIo_t* p = handle();
    return p ? takeText(cdio_get_mcn(p)) : std::string();
}

std::string CdDrive::isrc(int trackIndex) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CdIo_t* p = handle();
    if (!p) return {};
    const std::optional<CdToc> disc = readToc(p);
    if (!disc || trackIndex < 0 || static_cast<size_t>(trackIndex) >= disc->tracks.size()) return {};
    return takeText(
        cdio_get_track_isrc(p, static_cast<track_t>(disc->tracks[static_cast<size_t>(trackIndex)].number)));
}

void CdDrive::release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handle) cdio_destroy(m_handle);
    m_handle = nullptr;
}

bool CdDrive::door(DoorAction action) {
    if (!hasDoor()) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    switch (action) {
    case DoorAction::Open:
        if (m_locked) return false;
        if (m_handle) cdio_destroy(m_handle);  // the tray cannot open under an open handle
        m_handle = nullptr;
        return cdio_eject_media_drive(path.c_str()) == DRIVER_OP_SUCCESS;
    case DoorAction::Close: {
        driver_id_t driver = DRIVER_DEVICE;
        return cdio_close_tray(path.c_str(), &driver) == DRIVER_OP_SUCCESS;
    }
    case DoorAction::Lock:
    case DoorAction::Unlock: {
        const bool prevent = action == DoorAction::Lock;
        CdIo_t* p = handle();
        if (!p || mmc_prevent_allow_medium_removal(p, false, prevent, 0) != DRIVER_OP_SUCCESS) return false;
        m_locked = prevent;
        return true;
    }
    }
    return false;
}

bool CdDrive::doorIsOpen() {
    if (!hasDoor()) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    CdIo_t* p = handle();
    return p && mmc_get_tray_status(p) == 1;
}

bool CdDrive::doorIsLocked() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return hasDoor() && m_locked;
}

std::unique_ptr<AudioStream> CdDrive::openTrack(uint32_t driveIndex, int index, int& error) {
    const std::optional<CdToc> disc = toc();
    if (!disc) {
        error = kErrorNoCd;
        return nullptr;
    }
    if (index < 0 || static_cast<size_t>(index) >= disc->tracks.size()) {
        error = kErrorCdTrack;
        return nullptr;
    }
    const CdTrack& track = disc->tracks[static_cast<size_t>(index)];
    if (!track.audio || track.sectors == 0) {
        error = kErrorNotAudio;
        return nullptr;
    }
    std::unique_ptr<SectorReader> reader = makeReader(path, image);
    if (!reader) {
        error = kErrorNoCd;
        return nullptr;
    }
    return std::make_unique<CdTrackStream>(std::move(reader), track, driveIndex, index);
}

const std::vector<std::unique_ptr<CdDrive>>& cdDrives() {
    static const std::vector<std::unique_ptr<CdDrive>> drives = findDrives();
    return drives;
}

std::optional<std::pair<uint32_t, uint32_t>> cdStreamTrack(const AudioStream& stream) {
    if (const auto* cd = dynamic_cast<const CdTrackStream*>(&stream))
        return std::make_pair(cd->drive, static_cast<uint32_t>(cd->index));
    return std::nullopt;
}

}  // namespace media
