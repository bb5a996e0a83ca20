#include "library/MusicTags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>
#include <utility>

#include "base/Error.h"
#include "library/Expansion.h"
#include "library/Music.h"
#include "library/MusicApi.h"
#include "media/Bass.h"
#include "platform/Paths.h"

namespace library {

namespace {

constexpr const char* kGenres[] = {"Blues",
                                   "Classic Rock",
                                   "Country",
                                   "Dance",
                                   "Disco",
                                   "Funk",
                                   "Grunge",
                                   "Hip- Hop",
                                   "Jazz",
                                   "Metal",
                                   "New Age",
                                   "Oldies",
                                   "Other",
                                   "Pop",
                                   "R&B",
                                   "Rap",
                                   "Reggae",
                                   "Rock",
                                   "Techno",
                                   "Industrial",
                                   "Alternative",
                                   "Ska",
                                   "Death Metal",
                                   "Pranks",
                                   "Soundtrack",
                                   "Euro-Techno",
                                   "Ambient",
                                   "Trip-Hop",
                                   "Vocal",
                                   "Jazz+Funk",
                                   "Fusion",
                                   "Trance",
                                   "Classical",
                                   "Instrumental",
                                   "Acid",
                                   "House",
                                   "Game",
                                   "Sound Clip",
                                   "Gospel",
                                   "Noise",
                                   "Alternative Rock",
                                   "Bass",
                                   "Punk",
                                   "Space",
                                   "Meditative",
                                   "Instrumental Pop",
                                   "Instrumental Rock",
                                   "Ethnic",
                                   "Gothic",
                                   "Darkwave",
                                   "Techno-Industrial",
                                   "Electronic",
                                   "Pop-Folk",
                                   "Eurodance",
                                   "Dream",
                                   "Southern Rock",
                                   "Comedy",
                                   "Cult",
                                   "Gangsta",
                                   "Top 40",
                                   "Christian Rap",
                                   "Pop/Funk",
                                   "Jungle",
                                   "Native US",
                                   "Cabaret",
                                   "New Wave",
                                   "Psychadelic",
                                   "Rave",
                                   "Showtunes",
                                   "Trailer",
                                   "Lo-Fi",
                                   "Tribal",
                                   "Acid Punk",
                                   "Acid Jazz",
                                   "Polka",
                                   "Retro",
                                   "Musical",
                                   "Rock & Roll",
                                   "Hard Rock",
                                   "Folk",
                                   "Folk-Rock",
                                   "National Folk",
                                   "Swing",
                                   "Fast Fusion",
                                   "Bebob",
                                   "Latin",
                                   "Revival",
                                   "Celtic",
                                   "Bluegrass",
                                   "Avantgarde",
                                   "Gothic Rock",
                                   "Progressive Rock",
                                   "Psychedelic Rock",
                                   "Symphonic Rock",
                                   "Slow Rock",
                                   "Big Band",
                                   "Chorus",
                                   "Easy Listening",
                                   "Acoustic",
                                   "Humour",
                                   "Speech",
                                   "Chanson",
                                   "Opera",
                                   "Chamber Music",
                                   "Sonata",
                                   "Symphony",
                                   "Booty Bass",
                                   "Primus",
                                   "Porn Groove",
                                   "Satire",
                                   "Slow Jam",
                                   "Club",
                                   "Tango",
                                   "Samba",
                                   "Folklore",
                                   "Ballad",
                                   "Power Ballad",
                                   "Rhytmic Soul",
                                   "Freestyle",
                                   "Duet",
                                   "Punk Rock",
                                   "Drum Solo",
                                   "Acapella",
                                   "Euro-House",
                                   "Dance Hall",
                                   "Goa",
                                   "Drum & Bass",
                                   "Club-House",
                                   "Hardcore",
                                   "Terror",
                                   "Indie",
                                   "BritPop",
                                   "Negerpunk",
                                   "Polsk Punk",
                                   "Beat",
                                   "Christian Gangsta",
                                   "Heavy Metal",
                                   "Black Metal",
                                   "Crossover",
                                   "Contemporary C",
                                   "Christian Rock",
                                   "Merengue",
                                   "Salsa",
                                   "Thrash Metal",
                                   "Anime",
                                   "JPop",
                                   "SynthPop"};
static_assert(std::size(kGenres) == 147);

constexpr uint32_t kNoTrack = 0xFFFFFFFFu;
// The kinds of disc identity the CD family answers.
constexpr uint32_t kCdIdCddb = 2, kCdIdCddb2 = 3, kCdIdText = 4, kCdIdCdPlayer = 5;

std::string trimmed(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

void trimAll(TMUSICTag& t) {
    for (std::string* s : {&t.Title, &t.Artist, &t.Album, &t.Year, &t.Comment, &t.Genre}) *s = trimmed(*s);
    for (std::string& s : t.ExtraInfo) s = trimmed(s);
}

std::string text(const char* p) { return p ? std::string(p) : std::string(); }

// A block of zero-terminated strings ending with an empty one, as the engine hands over
// comment lists and headers.
template <class Visit>
void eachString(const char* p, Visit visit) {
    for (size_t i = 0; p && *p; ++i) {
        const std::string_view s(p);
        visit(i, s);
        p += s.size() + 1;
    }
}

void setExtra(TMUSICTag& t, size_t i, std::string value) {
    // Lists longer than the record keep what fits.
    if (i < t.ExtraInfo.size()) t.ExtraInfo[i] = std::move(value);
}

bool readsAsWholeNumber(std::string_view s, int32_t& value) {
    if (s.empty()) return false;
    const char* b = s.data();
    const char* e = b + s.size();
    if (*b == '+') ++b;
    if (b == e || *b == '+') return false;
    auto [end, ec] = std::from_chars(b, e, value);
    return ec == std::errc() && end == e;
}

bool fromTagFamily(const music::Api& a, uint32_t h, TMUSICTag& t) {
    auto read = [&](const char* format) { return text(a.TAGS_Read(h, format)); };
    t.Title = read("%TITL");
    t.Artist = read("%ARTI");
    t.Album = read("%ALBM");
    t.Genre = read("%GNRE");
    t.Year = read("%YEAR");
    t.Comment = read("%CMNT");
    int32_t number = 0;
    if (readsAsWholeNumber(t.Genre, number)) t.Genre = genreByteToName(static_cast<uint8_t>(number & 0xFF));
    const std::string track = read("%TRCK");
    if (!track.empty()) t.ExtraInfo[0] = "Track=" + track;
    trimAll(t);
    return a.BASS_StreamGetTags(h, media::BASS_TAG_ID3V2) || a.BASS_StreamGetTags(h, media::BASS_TAG_ID3) ||
           a.BASS_StreamGetTags(h, media::BASS_TAG_OGG);
}

bool fromId3v1Block(const music::Api& a, uint32_t h, TMUSICTag& t) {
    const char* p = a.BASS_StreamGetTags(h, media::BASS_TAG_ID3);
    if (!p) return false;
    const std::string_view tag(p, 128);
    t.Title = std::string(tag.substr(3, 30));
    t.Artist = std::string(tag.substr(33, 30));
    t.Album = std::string(tag.substr(63, 30));
    t.Year = std::string(tag.substr(93, 4));
    t.Comment = std::string(tag.substr(97, 30));
    t.Genre = genreByteToName(static_cast<uint8_t>(tag[127]));
    t.ExtraInfo[0] = t.Title;
    t.ExtraInfo[1] = t.Artist;
    t.ExtraInfo[2] = t.Album;
    t.ExtraInfo[3] = t.Year;
    t.ExtraInfo[4] = t.Comment;
    t.ExtraInfo[5] = t.Genre;
    trimAll(t);
    return true;
}

bool fromOggComments(const music::Api& a, uint32_t h, TMUSICTag& t) {
    const char* p = a.BASS_StreamGetTags(h, media::BASS_TAG_OGG);
    if (!p) return false;
    struct Key {
        std::string_view name;
        std::string TMUSICTag::*field;
    };
    static constexpr Key kKeys[] = {{"TITLE=", &TMUSICTag::Title},
                                    {"ARTIST=", &TMUSICTag::Artist},
                                    {"ALBUM=", &TMUSICTag::Album},
                                    {"GENRE=", &TMUSICTag::Genre},
                                    {"COMMENT=", &TMUSICTag::Comment}};
    eachString(p, [&](size_t i, std::string_view s) {
        for (const Key& k : kKeys) {
            const size_t at = s.find(k.name);
            if (at != std::string_view::npos) {
                t.*k.field = std::string(s.substr(at + k.name.size()));
                return;
            }
        }
        setExtra(t, i, std::string(s));
    });
    trimAll(t);
    return true;
}

bool fromHttpHeaders(const music::Api& a, uint32_t h, TMUSICTag& t) {
    const char* p = a.BASS_StreamGetTags(h, media::BASS_TAG_HTTP);
    if (!p) return false;
    eachString(p, [&](size_t i, std::string_view s) { setExtra(t, i, std::string(s)); });
    trimAll(t);
    return true;
}

bool fromShoutcastHeaders(const music::Api& a, uint32_t h, TMUSICTag& t) {
    const char* p = a.BASS_StreamGetTags(h, media::BASS_TAG_ICY);
    if (!p) return false;
    eachString(p, [&](size_t, std::string_view s) {
        // The station's name follows the key and one separator.
        if (s.substr(0, 9) == "icy-name:") t.Artist = std::string(s.size() > 10 ? s.substr(10) : "");
    });
    trimAll(t);
    return true;
}

// StreamTitle='Artist - Song';StreamUrl='';  The title ends before the quote that closes it,
// found from the title's own position: a ";" earlier in the text must not cut it.
void fromStreamMetadata(const music::Api& a, uint32_t h, TMUSICTag& t) {
    const std::string meta = text(a.BASS_StreamGetTags(h, media::BASS_TAG_META));
    constexpr std::string_view kKey = "StreamTitle=";
    const size_t at = meta.find(kKey);
    if (at == std::string::npos) return;
    size_t begin = at + kKey.size();
    if (begin < meta.size() && meta[begin] == '\'') ++begin;
    const size_t semi = meta.find(';', begin);
    size_t end = semi == std::string::npos ? meta.size() : semi;
    if (end > begin && meta[end - 1] == '\'') --end;
    t.Title = end > begin ? meta.substr(begin, end - begin) : std::string();
}

void fromCdText(const music::Api& a, uint32_t h, TMUSICTag& t) {
    const uint32_t where = a.BASS_CD_StreamGetTrack(h);
    if (where == kNoTrack) return;
    const uint32_t drive = where >> 16;
    const uint32_t track = (where & 0xFFFF) + 1;
    a.BASS_CD_GetID(drive, kCdIdText);
    if (a.BASS_CD_GetTracks(drive) == kNoTrack) return;
    const char* cdText = a.BASS_CD_GetID(drive, kCdIdText);
    if (cdText) {
        const std::string n = std::to_string(track);
        auto rest = [&](const std::string& key, std::string& out, const char* prefix) {
            bool found = false;
            eachString(cdText, [&](size_t, std::string_view s) {
                if (found || s.substr(0, key.size()) != key) return;
                found = true;
                out = prefix + std::string(s.substr(key.size()));
            });
        };
        rest("TITLE" + n + "=", t.Title, "");
        rest("PERFORMER" + n + "=", t.Artist, "");
        rest("GENRE" + n + "=", t.Genre, "");
        rest("MESSAGE" + n + "=", t.Comment, "");
        rest("SONGWRITER" + n + "=", t.ExtraInfo[0], "SONGWRITER=");
        rest("COMPOSER" + n + "=", t.ExtraInfo[1], "COMPOSER=");
        rest("ARRANGER" + n + "=", t.ExtraInfo[2], "ARRANGER=");
        rest("ISRC" + n + "=", t.ExtraInfo[3], "ISRC=");
        rest("UPC", t.ExtraInfo[4], "UPC=");
        rest("DISCID", t.ExtraInfo[5], "DISCID=");
    }
    if (const char* id = a.BASS_CD_GetID(drive, kCdIdCdPlayer)) t.ExtraInfo[6] = "CDID_CDPLAYER=" + text(id);
    if (const char* id = a.BASS_CD_GetID(drive, kCdIdCddb)) t.ExtraInfo[7] = "CDID_CDDB=" + text(id);
    if (const char* id = a.BASS_CD_GetID(drive, kCdIdCddb2)) t.ExtraInfo[8] = "CDID_CDDB2=" + text(id);
    trimAll(t);
}

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::string genreByteToName(uint8_t genre) { return genre < std::size(kGenres) ? kGenres[genre] : ""; }

TID3V1Tag readId3v1Tag(const std::string& fileName) {
    const std::string name = existingOrExpanded(fileName, ExistingName::File);
    const std::string path = platform::resolvePath(name).string();
    Fd in{path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) {
        const int err = path.empty() ? ENOENT : errno;
        throw base::ScriptError("Cannot open file \"" + fileName + "\". " + std::strerror(err));
    }
    struct stat st {};
    char tag[128];
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < static_cast<off_t>(sizeof tag))
        return {};
    size_t got = 0;
    while (got < sizeof tag) {
        const ssize_t n =
            ::pread(in.fd, tag + got, sizeof tag - got, st.st_size - static_cast<off_t>(sizeof tag - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {};
        got += static_cast<size_t>(n);
    }
    const std::string_view v(tag, sizeof tag);
    TID3V1Tag t;
    t.ID = std::string(v.substr(0, 3));
    t.Titel = std::string(v.substr(3, 30));
    t.Artist = std::string(v.substr(33, 30));
    t.Album = std::string(v.substr(63, 30));
    t.Year = std::string(v.substr(93, 4));
    t.Comment = std::string(v.substr(97, 30));
    t.Genre = static_cast<uint8_t>(v[127]);
    return t;
}

TMUSICTag getMusicTagsFrom(const music::Api& a, bool tags, bool cd, uint32_t h) {
    TMUSICTag t;
    try {
        media::BassChannelInfo info{};
        a.BASS_ChannelGetInfo(h, &info);
        if ((info.ctype & 0x20000u) == info.ctype) {
            if (const char* name = a.BASS_MusicGetName(h)) t.Title = name;
        }
        if (tags) {
            if (fromTagFamily(a, h, t)) return t;
        } else if (fromId3v1Block(a, h, t) || fromOggComments(a, h, t)) {
            return t;
        }
        if (fromHttpHeaders(a, h, t) || fromShoutcastHeaders(a, h, t)) return t;
        fromStreamMetadata(a, h, t);
        if (cd) fromCdText(a, h, t);
    } catch (...) {
        // What was gathered so far is the answer.
    }
    return t;
}

TMUSICTag getMusicTags(int32_t handle) {
    if (!musicLoaded()) return {};
    return getMusicTagsFrom(music::api(), tagsLoaded(), cdLoaded(), static_cast<uint32_t>(handle));
}

namespace {

int32_t playCd(uint32_t drive, uint32_t track, uint32_t flags) {
    if (!cdLoaded()) return 0;
    const music::Api& a = music::api();
    const uint32_t h = a.BASS_CD_StreamCreate(drive, track, flags);
    if (h != 0) {
        a.BASS_StreamPreBuf(h);
        a.BASS_StreamPlay(h, false, 0);
    }
    return static_cast<int32_t>(h);
}

}  // namespace

int32_t playCdTrack(uint32_t drive, uint32_t track) { return playCd(drive, track, 0x50000); }
int32_t playCdTrackLoop(uint32_t drive, uint32_t track) { return playCd(drive, track, 0x10004); }

uint32_t getTracks(uint32_t drive) { return cdLoaded() ? music::api().BASS_CD_GetTracks(drive) : 0; }

std::string getCdDriveDescription(uint32_t drive) {
    return cdLoaded() ? text(music::api().BASS_CD_GetDriveDescription(drive)) : std::string();
}

std::string getCdDriveLetter(uint32_t drive) {
    if (!cdLoaded()) return {};
    const int32_t n = music::api().BASS_CD_GetDriveLetter(drive);
    // Only the 26 letters exist; anything else is no drive.
    if (n < 0 || n > 25) return {};
    return std::string(1, static_cast<char>('A' + n));
}

bool cdDoorIsOpen(uint32_t drive) { return cdLoaded() && music::api().BASS_CD_DoorIsOpen(drive); }
bool cdDoorIsLocked(uint32_t drive) { return cdLoaded() && music::api().BASS_CD_DoorIsLocked(drive); }
bool cdDoor(uint32_t drive, uint32_t action) {
    return cdLoaded() && music::api().BASS_CD_Door(drive, action);
}

}  // namespace library
