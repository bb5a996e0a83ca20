// Channel tags from each of their sources in turn, the ID3v1 reader on files cut at fixed
// places, the genre table, and the CD routines as scripts see them. The sources a test file
// cannot produce (headers of a radio stream, CD-TEXT) come from stand-in entry points.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "MusicTestSupport.h"
#include "TestAudio.h"
#include "library/Music.h"
#include "library/MusicApi.h"
#include "library/MusicTags.h"
#include "media/Bass.h"

namespace t = media::test;
using library::TMUSICTag;
using music_test::MusicFixture;

namespace {

// What the stand-in entry points answer, by tag kind and by format.
struct Fake {
    uint32_t ctype = 0x10005;
    std::string moduleName;
    std::map<uint32_t, std::string> blocks;     // BASS_StreamGetTags kind -> raw bytes
    std::map<std::string, std::string> fields;  // TAGS_Read format -> text
    uint32_t cdTrack = 0xFFFFFFFFu;
    uint32_t cdTracks = 0;
    std::map<uint32_t, std::string> cdIds;
    std::vector<uint32_t> cdIdCalls;
    int32_t driveLetter = -1;
};
Fake s_fake;

// A block of zero-terminated strings ending with an empty one.
std::string list(const std::vector<std::string>& strings) {
    std::string out;
    for (const std::string& s : strings) out += s + '\0';
    return out + '\0';
}

bool fakeInfo(uint32_t, media::BassChannelInfo* info) {
    *info = {44100, 2, 0, s_fake.ctype};
    return true;
}
const char* fakeMusicName(uint32_t) {
    return s_fake.moduleName.empty() ? nullptr : s_fake.moduleName.c_str();
}
const char* fakeTags(uint32_t, uint32_t kind) {
    auto it = s_fake.blocks.find(kind);
    return it == s_fake.blocks.end() ? nullptr : it->second.data();
}
const char* fakeRead(uint32_t, const char* format) {
    static std::string answer;
    auto it = s_fake.fields.find(format);
    answer = it == s_fake.fields.end() ? "" : it->second;
    return answer.c_str();
}
uint32_t fakeCdTrack(uint32_t) { return s_fake.cdTrack; }
uint32_t fakeCdTracks(uint32_t) { return s_fake.cdTracks; }
const char* fakeCdId(uint32_t, uint32_t kind) {
    s_fake.cdIdCalls.push_back(kind);
    auto it = s_fake.cdIds.find(kind);
    return it == s_fake.cdIds.end() ? nullptr : it->second.data();
}
int32_t fakeDriveLetter(uint32_t) { return s_fake.driveLetter; }

library::music::Api fakeApi() {
    library::music::Api a;
    a.BASS_ChannelGetInfo = &fakeInfo;
    a.BASS_MusicGetName = &fakeMusicName;
    a.BASS_StreamGetTags = &fakeTags;
    a.TAGS_Read = &fakeRead;
    a.BASS_CD_StreamGetTrack = &fakeCdTrack;
    a.BASS_CD_GetTracks = &fakeCdTracks;
    a.BASS_CD_GetID = &fakeCdId;
    a.BASS_CD_GetDriveLetter = &fakeDriveLetter;
    return a;
}

// An ID3v1 tag with each field padded by zero bytes, as many taggers write it.
std::string id3v1(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, const std::string& comment, uint8_t genre) {
    std::string tag(128, '\0');
    std::memcpy(&tag[0], "TAG", 3);
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag.replace(63, album.size(), album);
    tag.replace(93, year.size(), year);
    tag.replace(97, comment.size(), comment);
    tag[127] = static_cast<char>(genre);
    return tag;
}

TMUSICTag tagsOf(bool tagFamily, bool cd) { return library::getMusicTagsFrom(fakeApi(), tagFamily, cd, 7); }

class MusicTagsTest : public MusicFixture {
protected:
    void SetUp() override {
        MusicFixture::SetUp();
        s_fake = Fake{};
    }
};

TEST_F(MusicTagsTest, GenreTableKeepsItsSpellingsAndEndsAt146) {
    EXPECT_EQ(library::genreByteToName(0), "Blues");
    EXPECT_EQ(library::genreByteToName(7), "Hip- Hop");
    EXPECT_EQ(library::genreByteToName(66), "Psychadelic");
    EXPECT_EQ(library::genreByteToName(117), "Rhytmic Soul");
    EXPECT_EQ(library::genreByteToName(139), "Contemporary C");
    EXPECT_EQ(library::genreByteToName(146), "SynthPop");
    int named = 0;
    for (int g = 0; g <= 255; ++g) {
        const std::string name = library::genreByteToName(static_cast<uint8_t>(g));
        if (g <= 146) {
            EXPECT_FALSE(name.empty()) << g;
            ++named;
        } else {
            EXPECT_EQ(name, "") << g;  // 255 is the usual "no genre"
        }
    }
    EXPECT_EQ(named, 147);
    EXPECT_EQ(run("begin Log(GenreByteToName(17) + '|' + GenreByteToName(255) + '|'); end."), "Rock||\n");
}

TEST_F(MusicTagsTest, Id3v1FieldsAreCutByPositionWithTheirPadding) {
    const std::string path = t::scratchPath("tagged.mp3");
    std::vector<uint8_t> bytes(1000, 0x55);
    const std::string tag = id3v1("Short", "Some Artist", "An Album", "1999", "Fine", 17);
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    t::writeFile(path, bytes);
    const std::string log = run(R"(
var tag: TID3V1Tag;
begin
  tag := ReadID3V1Tag(')" + win(path) +
                                R"(');
  Log(tag.ID + ' ' + IntToStr(Length(tag.Titel)) + ' ' + IntToStr(Length(tag.Year)) + ' ' + IntToStr(tag.Genre));
  Log(Trim(tag.Artist) + '|' + Trim(tag.Album) + '|' + tag.Year + '|' + Trim(tag.Comment));
end.
)");
    EXPECT_EQ(log, "TAG 30 4 17\nSome Artist|An Album|1999|Fine\n");

    // The marker is the script's to check: untagged data comes back as it is.
    const library::TID3V1Tag raw = library::readId3v1Tag(win(t::makeTone("plain.wav", 0.1)));
    EXPECT_NE(raw.ID, "TAG");
    EXPECT_EQ(raw.Titel.size(), 30u);

    const std::string tiny = t::scratchPath("tiny.bin");
    t::writeFile(tiny, std::vector<uint8_t>(100, 'x'));
    const library::TID3V1Tag none = library::readId3v1Tag(win(tiny));
    EXPECT_EQ(none.ID + none.Titel + none.Artist + none.Comment, "");
    EXPECT_EQ(none.Genre, 0);

    const std::string failed = run(R"(
begin
  try
    ReadID3V1Tag(')" + win(t::scratchPath("missing.mp3")) +
                                   R"(');
    Log('read');
  except
    Log('error: ' + ExceptionParam);
  end;
end.
)");
    EXPECT_NE(failed.find("error: Cannot open file"), std::string::npos) << failed;
}

TEST_F(MusicTagsTest, TagFamilyNamesNumericGenresAndStopsAtFileBlocks) {
    s_fake.fields = {{"%TITL", "  Song  "}, {"%ARTI", "Band"}, {"%GNRE", "17"}, {"%TRCK", "3"}};
    s_fake.blocks[media::BASS_TAG_ID3V2] = "ID3";
    s_fake.blocks[media::BASS_TAG_HTTP] = list({"HTTP/1.0 200 OK"});
    TMUSICTag tags = tagsOf(true, false);
    EXPECT_EQ(tags.Title, "Song");
    EXPECT_EQ(tags.Artist, "Band");
    EXPECT_EQ(tags.Genre, "Rock");
    EXPECT_EQ(tags.ExtraInfo[0], "Track=3");
    EXPECT_EQ(tags.ExtraInfo[1], "");  // the headers were never reached

    s_fake.fields["%GNRE"] = "Synth";
    s_fake.fields["%TRCK"] = "";
    s_fake.blocks.erase(media::BASS_TAG_ID3V2);
    tags = tagsOf(true, false);
    EXPECT_EQ(tags.Genre, "Synth");
    EXPECT_EQ(tags.ExtraInfo[0], "HTTP/1.0 200 OK");  // no file block: on to the headers

    s_fake.fields["%GNRE"] = "273";  // only the low byte names the genre
    EXPECT_EQ(tagsOf(true, false).Genre, "Rock");
    s_fake.fields["%GNRE"] = "-1";
    EXPECT_EQ(tagsOf(true, false).Genre, "");
}

TEST_F(MusicTagsTest, WithoutTheTagFamilyRawBlocksAreRead) {
    s_fake.blocks[media::BASS_TAG_ID3] = id3v1("Title", "Artist", "Album", "2004", "Note", 146);
    TMUSICTag tags = tagsOf(false, false);
    EXPECT_EQ(tags.Title, "Title");
    EXPECT_EQ(tags.Comment, "Note");
    EXPECT_EQ(tags.Genre, "SynthPop");
    EXPECT_EQ(tags.ExtraInfo[3], "2004");
    EXPECT_EQ(tags.ExtraInfo[5], "SynthPop");

    s_fake.blocks.clear();
    s_fake.blocks[media::BASS_TAG_OGG] = list({"TITLE=A", "ARTIST=B", "TRACKNUMBER=3"});
    tags = tagsOf(false, false);
    EXPECT_EQ(tags.Title, "A");
    EXPECT_EQ(tags.Artist, "B");
    EXPECT_EQ(tags.ExtraInfo[2], "TRACKNUMBER=3");  // the index counts every string

    // A long comment list keeps what fits instead of writing past the record.
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i) many.push_back("X" + std::to_string(i) + "=v");
    s_fake.blocks[media::BASS_TAG_OGG] = list(many);
    tags = tagsOf(false, false);
    EXPECT_EQ(tags.ExtraInfo[20], "X20=v");
}

TEST_F(MusicTagsTest, RadioHeadersAndTheStreamTitle) {
    s_fake.blocks[media::BASS_TAG_ICY] = list({"ICY 200 OK", "icy-name: Radio Test", "icy-br:128"});
    s_fake.blocks[media::BASS_TAG_META] = std::string("StreamTitle='ignored';") + '\0';
    TMUSICTag tags = tagsOf(true, false);
    EXPECT_EQ(tags.Artist, "Radio Test");
    EXPECT_EQ(tags.Title, "");  // the headers answered: no metadata step

    s_fake.blocks.clear();
    s_fake.blocks[media::BASS_TAG_META] = std::string("StreamTitle='Artist - Song';StreamUrl='';") + '\0';
    EXPECT_EQ(tagsOf(true, false).Title, "Artist - Song");
    // A ";" before the title must not cut it.
    s_fake.blocks[media::BASS_TAG_META] = std::string("StreamUrl='a;b';StreamTitle='Late';") + '\0';
    EXPECT_EQ(tagsOf(true, false).Title, "Late");
    s_fake.blocks[media::BASS_TAG_META] = std::string("StreamTitle=';") + '\0';
    EXPECT_EQ(tagsOf(true, false).Title, "");
}

TEST_F(MusicTagsTest, CdTextOfTheChannelsTrack) {
    s_fake.ctype = 0x10200;
    s_fake.cdTrack = (2u << 16) | 0;  // drive 2, track index 0: the keys use track 1
    s_fake.cdTracks = 5;
    s_fake.cdIds[4] = list({"TITLE0=Wrong", "TITLE1=First Song", "PERFORMER1=Singer", "ISRC1=XX123",
                            "UPC=0123", "TITLE1=Second match"});
    s_fake.cdIds[2] = "8a0b1c0d";
    TMUSICTag tags = tagsOf(true, true);
    EXPECT_EQ(tags.Title, "First Song");
    EXPECT_EQ(tags.Artist, "Singer");
    EXPECT_EQ(tags.ExtraInfo[3], "ISRC=XX123");
    EXPECT_EQ(tags.ExtraInfo[4], "UPC==0123");  // the key has no "=", so the rest keeps it
    EXPECT_EQ(tags.ExtraInfo[7], "CDID_CDDB=8a0b1c0d");
    EXPECT_EQ(tags.ExtraInfo[6], "");
    EXPECT_EQ(s_fake.cdIdCalls.front(), 4u);

    s_fake.cdTracks = 0xFFFFFFFFu;  // the drive stopped answering
    EXPECT_EQ(tagsOf(true, true).Title, "");
    EXPECT_EQ(tagsOf(true, false).ExtraInfo[7], "");  // no CD family, no CD step
}

TEST_F(MusicTagsTest, ModuleNamesTagsAndOggCommentsFromRealFiles) {
    if (!t::haveTool("lame") || !t::haveTool("oggenc")) GTEST_SKIP() << "lame or oggenc missing";
    const std::string tone = t::makeTone("tags.wav", 1.0);
    const std::string mp3 = t::scratchPath("tags.mp3");
    const std::string ogg = t::scratchPath("tags.ogg");
    ASSERT_TRUE(
        t::run("lame --quiet --id3v1-only --tt 'Mp3 Title' --ta 'Mp3 Artist' --tl Album --ty 2001 --tg 17 '" +
               tone + "' '" + mp3 + "'"));
    ASSERT_TRUE(t::run("oggenc -Q -t 'Ogg Title' -a 'Ogg Artist' -G Jazz -c TRACKNUMBER=4 '" + tone +
                       "' -o '" + ogg + "'"));
    const std::string mod = t::scratchPath("named.mod");
    t::writeFile(mod, t::makeModule("tune name"));
    const std::string log = run(R"(
procedure Show(h: integer);
var tag: TMUSICTag;
begin
  tag := GetMusicTags(h);
  Log(tag.Title + '|' + tag.Artist + '|' + tag.Genre + '|' + tag.Year + '|' + tag.ExtraInfo[0]);
  StopMusic(h);
end;
begin
  Show(PlayMusic(')" + win(mp3) +
                                R"('));
  Show(PlayMusic(')" + win(ogg) +
                                R"('));
  Show(PlayMusic(')" + win(mod) +
                                R"('));
end.
)");
    EXPECT_EQ(log,
              "Mp3 Title|Mp3 Artist|Rock|2001|\n"
              "Ogg Title|Ogg Artist|Jazz||Track=4\n"
              "tune name||||\n");
}

TEST_F(MusicTagsTest, CdRoutinesPassTheFamilysAnswersThrough) {
    library::music::Api& api = library::music::apiForTests();
    const library::music::Api saved = api;
    api.BASS_CD_GetDriveLetter = &fakeDriveLetter;
    s_fake.driveLetter = 3;
    EXPECT_EQ(run("begin Log('[' + GetCDDriveLetter(0) + ']'); end."), "[D]\n");
    s_fake.driveLetter = -1;
    EXPECT_EQ(run("begin Log('[' + GetCDDriveLetter(0) + ']'); end."), "[]\n");
    api = saved;

    // Without the library every CD routine answers its neutral value.
    library::bindMusicLibrary(false);
    EXPECT_EQ(run(R"(
begin
  Log(IntToStr(PlayCDTrack(0, 1)) + ' ' + IntToStr(GetTracks(0)) + ' [' + GetCDDriveDescription(0) + ']');
  if not CD_Door(0, CD_DOOR_OPEN) and not CD_DoorIsOpen(0) and not CD_DoorIsLocked(0) then Log('inert');
  Log('[' + GetMusicTags(1).Title + ']');
end.
)"),
              "0 0 []\ninert\n[]\n");
    library::bindMusicLibrary(true);
}

}  // namespace
