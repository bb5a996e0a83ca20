// A BIN/CUE disc made here, with CD-TEXT, a catalogue number, an ISRC and a data track,
// read as drive 0 through VANTREL_CD_IMAGE: drives, tracks, ids, doors, track files and
// channels that decode bit for bit what the image holds and play on the "No sound" device.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestAudio.h"
#include "media/Bass.h"
#include "media/CdAudio.h"
#include "media/ErrorCode.h"
#include "media/cd/CdDisc.h"

using namespace media;

namespace {

constexpr uint32_t kSector = 2352;
// Track 1 at LSN 0 (40 sectors), track 2 at 40 (63 sectors), a data track at 103 (20).
constexpr uint32_t kTrack2Start = 40, kTrack3Start = 103, kTotal = 123;

std::vector<uint8_t> makeBin() {
    std::vector<uint8_t> bin(kTotal * kSector);
    uint32_t x = 12345;
    for (auto& b : bin) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return bin;
}

const std::vector<uint8_t>& bin() {
    static const std::vector<uint8_t> bytes = makeBin();
    return bytes;
}

std::string makeDisc() {
    test::writeFile(test::scratchPath("disc.bin"), bin());
    const std::string cue = R"(CATALOG 0123456789012
PERFORMER "Disc Artist"
TITLE "Disc Title"
FILE "disc.bin" BINARY
  TRACK 01 AUDIO
    TITLE "First Song"
    PERFORMER "Singer One"
    SONGWRITER "Writer One"
    ISRC USABC1234567
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    TITLE "Second Song"
    PERFORMER "Singer Two"
    INDEX 01 00:00:40
  TRACK 03 MODE1/2352
    INDEX 01 00:01:28
)";
    const std::string path = test::scratchPath("disc.cue");
    test::writeFile(path, std::vector<uint8_t>(cue.begin(), cue.end()));
    return path;
}

// Before the engine and the drive table first look.
const bool s_setup = [] {
    setenv("VANTREL_AUDIO", "null", 1);
    setenv("VANTREL_CD_IMAGE", makeDisc().c_str(), 1);
    return true;
}();

std::vector<std::string> splitList(const char* p) {
    std::vector<std::string> items;
    while (p && *p) {
        items.emplace_back(p);
        p += items.back().size() + 1;
    }
    return items;
}

void putLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A track file as the Windows shell shows them on an audio disc.
std::vector<uint8_t> cdaFile(int track, uint32_t startLsn, uint32_t sectors) {
    std::vector<uint8_t> f;
    for (char c : std::string("RIFF")) f.push_back(static_cast<uint8_t>(c));
    putLE(f, 36, 4);
    for (char c : std::string("CDDAfmt ")) f.push_back(static_cast<uint8_t>(c));
    putLE(f, 24, 4);
    putLE(f, 1, 2);
    putLE(f, static_cast<uint32_t>(track), 2);
    putLE(f, 0x12345678, 4);
    putLE(f, startLsn + 150, 4);
    putLE(f, sectors, 4);
    putLE(f, 0, 4);
    putLE(f, 0, 4);
    return f;
}

class CdAudio : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(s_setup);
        ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    }
    static void TearDownTestSuite() { BASS_Free(); }

    static std::vector<uint8_t> decodeAll(uint32_t h) {
        std::vector<uint8_t> out;
        std::vector<uint8_t> buffer(10000);  // not a whole number of sectors
        for (;;) {
            const uint32_t got = BASS_ChannelGetData(h, buffer.data(), static_cast<uint32_t>(buffer.size()));
            if (got == 0 || got == 0xFFFFFFFFu) break;
            out.insert(out.end(), buffer.begin(), buffer.begin() + got);
        }
        return out;
    }
};

TEST_F(CdAudio, TheImageIsDriveZeroWithItsTracks) {
    EXPECT_NE(std::string(BASS_CD_GetDriveDescription(0)).find("disc.cue"), std::string::npos);
    EXPECT_EQ(BASS_CD_GetDriveLetter(0), 3);
    EXPECT_TRUE(BASS_CD_IsReady(0));
    EXPECT_EQ(BASS_CD_GetTracks(0), 3u);
    EXPECT_EQ(BASS_CD_GetTrackLength(0, 0), kTrack2Start * kSector);
    EXPECT_EQ(BASS_CD_GetTrackLength(0, 1), (kTrack3Start - kTrack2Start) * kSector);
    EXPECT_EQ(BASS_CD_GetTrackLength(0, 3), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorCdTrack);
    BassCdInfo info{};
    ASSERT_TRUE(BASS_CD_GetInfo(0, &info));
    EXPECT_FALSE(info.hasDoor);
    EXPECT_TRUE(info.cdText);
    EXPECT_EQ(info.tracks, 3u);
    EXPECT_EQ(info.letter, 3u);

    // A drive index past the table is refused by every call, each with the same error.
    EXPECT_EQ(BASS_CD_GetDriveDescription(99), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
    EXPECT_EQ(BASS_CD_GetDriveLetter(99), -1);
    EXPECT_EQ(BASS_CD_GetTracks(99), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
    EXPECT_FALSE(BASS_CD_IsReady(99));
    EXPECT_EQ(BASS_CD_StreamCreate(99, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
}

TEST_F(CdAudio, TracksDecodeBitForBitAsTheImageHoldsThem) {
    const uint32_t h = BASS_CD_StreamCreate(0, 1, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    BassChannelInfo info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.ctype, 0x10200u);
    EXPECT_EQ(BASS_StreamGetLength(h), (kTrack3Start - kTrack2Start) * kSector);
    const std::vector<uint8_t> slice(bin().begin() + kTrack2Start * kSector,
                                     bin().begin() + kTrack3Start * kSector);
    EXPECT_TRUE(decodeAll(h) == slice);

    // Seeking lands on the same bytes, also in the middle of a sector.
    const uint32_t at = 17 * kSector + 588;
    ASSERT_TRUE(BASS_ChannelSetPosition(h, at));
    std::vector<uint8_t> part(5000);
    ASSERT_EQ(BASS_ChannelGetData(h, part.data(), 5000), 5000u);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), slice.begin() + at));
    EXPECT_TRUE(BASS_StreamFree(h));

    const uint32_t first = BASS_CD_StreamCreate(0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(first, 0u);
    const std::vector<uint8_t> track1 = decodeAll(first);
    EXPECT_TRUE(std::equal(track1.begin(), track1.end(), bin().begin()) &&
                track1.size() == kTrack2Start * kSector);
    BASS_StreamFree(first);
}

TEST_F(CdAudio, DataTracksAndMissingTracksGiveNoChannel) {
    EXPECT_EQ(BASS_CD_StreamCreate(0, 2, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorNotAudio);
    EXPECT_EQ(BASS_CD_StreamCreate(0, 3, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorCdTrack);
    EXPECT_EQ(BASS_CD_StreamCreate(0, 0x10000, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorCdTrack);
}

TEST_F(CdAudio, CdTextListsDiscAndTrackFields) {
    const char* text = BASS_CD_GetID(0, BASS_CDID_TEXT);
    ASSERT_NE(text, nullptr);
    const std::vector<std::string> items = splitList(text);
    auto has = [&items](const std::string& s) {
        return std::find(items.begin(), items.end(), s) != items.end();
    };
    EXPECT_TRUE(has("TITLE=Disc Title"));
    EXPECT_TRUE(has("PERFORMER=Disc Artist"));
    EXPECT_TRUE(has("TITLE1=First Song"));
    EXPECT_TRUE(has("PERFORMER1=Singer One"));
    EXPECT_TRUE(has("SONGWRITER1=Writer One"));
    EXPECT_TRUE(has("TITLE2=Second Song"));
    EXPECT_TRUE(has("PERFORMER2=Singer Two"));
    EXPECT_FALSE(has("TITLE3="));
    // The list ends with an empty string right after the last item.
    size_t length = 0;
    for (const std::string& item : items) length += item.size() + 1;
    EXPECT_EQ(text[length], '\0');
}

TEST_F(CdAudio, DiscIdsFollowTheTableOfContents) {
    // Starts 150, 190 and 253 frames: 2, 2 and 3 seconds; the lead-out at 273 frames (3 s).
    ASSERT_NE(BASS_CD_GetID(0, BASS_CDID_CDDB), nullptr);
    EXPECT_STREQ(BASS_CD_GetID(0, BASS_CDID_CDDB), "07000103 3 150 190 253 3");
    EXPECT_STREQ(BASS_CD_GetID(0, BASS_CDID_CDDB2), "07000103 3 150 190 253 3");
    // 0:02:00 + 0:02:40 + 0:03:28 as (minutes << 16 | seconds << 8 | frames).
    EXPECT_STREQ(BASS_CD_GetID(0, BASS_CDID_CDPLAYER), "744");
    EXPECT_STREQ(BASS_CD_GetID(0, BASS_CDID_UPC), "0123456789012");
    EXPECT_STREQ(BASS_CD_GetID(0, BASS_CDID_ISRC + 0), "USABC1234567");
    EXPECT_EQ(BASS_CD_GetID(0, BASS_CDID_ISRC + 1), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorNotAvail);
    EXPECT_EQ(BASS_CD_GetID(0, BASS_CDID_ISRC + 3), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllParam);
    EXPECT_EQ(BASS_CD_GetID(0, 77), nullptr);
    const std::string identity = BASS_CD_GetID(0, BASS_CDID_IDENTITY);
    EXPECT_EQ(identity.substr(0, 8), "07000103");
}

TEST_F(CdAudio, AnImageDriveAnswersAsADriveWithoutADoor) {
    for (uint32_t action : {BASS_CD_DOOR_OPEN, BASS_CD_DOOR_CLOSE, BASS_CD_DOOR_LOCK, BASS_CD_DOOR_UNLOCK}) {
        EXPECT_FALSE(BASS_CD_Door(0, action));
        EXPECT_EQ(BASS_ErrorGetCode(), kErrorNotAvail);
    }
    EXPECT_FALSE(BASS_CD_Door(0, 4));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllParam);
    EXPECT_FALSE(BASS_CD_DoorIsOpen(0));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);
    EXPECT_FALSE(BASS_CD_DoorIsLocked(0));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorOk);
    EXPECT_FALSE(BASS_CD_DoorIsOpen(99));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
    // The disc is still there after all that, and after the drive was released.
    EXPECT_TRUE(BASS_CD_Release(0));
    EXPECT_TRUE(BASS_CD_IsReady(0));
    EXPECT_EQ(BASS_CD_GetTracks(0), 3u);
    EXPECT_FALSE(BASS_CD_Analog_Play(0, 0, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorNotAvail);
    EXPECT_EQ(BASS_CD_Analog_IsActive(0), 0u);
}

TEST_F(CdAudio, TrackFilesOpenTheTrackTheyName) {
    const std::string cda = test::scratchPath("Track02.cda");
    test::writeFile(cda, cdaFile(2, kTrack2Start, kTrack3Start - kTrack2Start));
    const uint32_t h = BASS_CD_StreamCreateFile(cda.c_str(), BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(BASS_CD_StreamGetTrack(h), (0u << 16) | 1u);
    std::vector<uint8_t> head(4096);
    ASSERT_EQ(BASS_ChannelGetData(h, head.data(), 4096), 4096u);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bin().begin() + kTrack2Start * kSector));
    BASS_StreamFree(h);

    const std::string other = test::scratchPath("Other.cda");
    test::writeFile(other, cdaFile(2, 5000, 100));
    EXPECT_EQ(BASS_CD_StreamCreateFile(other.c_str(), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorNoCd);
    const std::string junk = test::scratchPath("junk.cda");
    test::writeFile(junk, std::vector<uint8_t>(44, 'x'));
    EXPECT_EQ(BASS_CD_StreamCreateFile(junk.c_str(), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);
    EXPECT_EQ(BASS_CD_StreamCreateFile(test::scratchPath("none.cda").c_str(), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);
}

TEST_F(CdAudio, TrackChannelsPlayAndKnowTheirTrack) {
    const uint32_t h = BASS_CD_StreamCreate(0, 0, 0);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(BASS_CD_StreamGetTrack(h), 0u);
    ASSERT_TRUE(BASS_StreamPlay(h, false, 0));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
    // 40 sectors are under half a second: the channel plays to its end and stops.
    for (int i = 0; i < 400 && BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED; ++i) usleep(10000);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(BASS_ChannelGetPosition(h), kTrack2Start * kSector);
    EXPECT_TRUE(BASS_StreamFree(h));
    EXPECT_EQ(BASS_CD_StreamGetTrack(h), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);

    const std::string tone = test::makeTone("plain.wav", 0.1);
    const uint32_t file = BASS_StreamCreateFile(false, tone.c_str(), 0, 0, 0);
    ASSERT_NE(file, 0u);
    EXPECT_EQ(BASS_CD_StreamGetTrack(file), 0xFFFFFFFFu);
    BASS_StreamFree(file);
}

TEST(CdDisc, TrackFilesAreCheckedBeforeUse) {
    const std::vector<uint8_t> good = cdaFile(5, 1000, 300);
    const auto cda = parseCda(good);
    ASSERT_TRUE(cda.has_value());
    EXPECT_EQ(cda->track, 5);
    EXPECT_EQ(cda->start, 1000);
    EXPECT_EQ(cda->sectors, 300u);
    EXPECT_EQ(cda->serial, 0x12345678u);
    // Cut short, a chunk claiming more than the file, track 0 or a start inside the pregap.
    EXPECT_FALSE(parseCda(std::span(good).first(30)).has_value());
    std::vector<uint8_t> bad = good;
    bad[16] = 0xFF;
    EXPECT_FALSE(parseCda(bad).has_value());
    EXPECT_FALSE(parseCda(cdaFile(0, 1000, 300)).has_value());
    bad = good;
    bad[28] = 10;
    bad[29] = bad[30] = bad[31] = 0;
    EXPECT_FALSE(parseCda(bad).has_value());
}

TEST(CdDisc, TextValuesCannotEndTheListEarly) {
    const std::string list = joinCdText({{"TITLE1", std::string("A\0B", 3)}, {"PERFORMER1", "C"}});
    EXPECT_EQ(list, std::string("TITLE1=A\0PERFORMER1=C\0\0", 23));
}

TEST(CdDisc, ShortDiscsPutTheirLengthIntoThePlayerId) {
    CdToc one;
    one.tracks.push_back({1, 0, 7500, true});
    one.leadout = 7500;
    // 0:02:00 is 0x200; a single track adds its 7500 sectors (0x1D4C).
    EXPECT_EQ(cdPlayerId(one), "1F4C");
    EXPECT_EQ(cddbId(one), (2u << 24) | (100u << 8) | 1u);
}

}  // namespace
