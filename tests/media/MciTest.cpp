// The command-string interpreter on the engine's hand-driven clock: files and a disc image
// made by the test, lengths and positions in every time format, play ranges, pause and
// resume, the sequencer's rendering, and the error numbers of bad commands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "MciAsk.h"
#include "TestAudio.h"
#include "media/Bass.h"
#include "media/VirtualClock.h"
#include "media/mci/Mci.h"
#include "media/mci/MciErrors.h"
#include "media/mci/MidiRenderer.h"

using namespace media;

namespace {

constexpr uint32_t kSector = 2352;

std::string makeDisc() {
    // Two audio tracks of 40 and 63 sectors, then a data track.
    test::writeFile(test::scratchPath("mci.bin"), std::vector<uint8_t>(123 * kSector, 0x11));
    const std::string cue =
        "FILE \"mci.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
        "  TRACK 02 AUDIO\n    INDEX 01 00:00:40\n  TRACK 03 MODE1/2352\n    INDEX 01 00:01:28\n";
    const std::string path = test::scratchPath("mci.cue");
    test::writeFile(path, std::vector<uint8_t>(cue.begin(), cue.end()));
    return path;
}

// Before the engine and the drive table first look.
const bool s_setup = [] {
    setenv("VANTREL_AUDIO", "virtual", 1);
    setenv("VANTREL_CD_IMAGE", makeDisc().c_str(), 1);
    return true;
}();

using test::ask;
using test::codeOf;

double number(const std::string& command) { return std::stod(ask(command)); }

void varLen(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t bytes[4];
    int n = 0;
    do {
        bytes[n++] = static_cast<uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n--) out.push_back(static_cast<uint8_t>(bytes[n] | (n ? 0x80 : 0)));
}

// A format-0 MIDI file at 120 beats a minute: two half-second notes, so one second of music.
std::string writeMidi(const std::string& name) {
    std::vector<uint8_t> track;
    auto event = [&](uint32_t delta, std::initializer_list<uint8_t> bytes) {
        varLen(track, delta);
        for (uint8_t b : bytes) track.push_back(b);
    };
    event(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500000 microseconds a beat
    event(0, {0xC0, 0x00});                          // piano
    event(0, {0x90, 60, 100});
    event(480, {0x80, 60, 0});
    event(0, {0x90, 67, 100});
    event(480, {0x80, 67, 0});
    event(0, {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
    const auto size = static_cast<uint32_t>(track.size());
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(size >> shift));
    file.insert(file.end(), track.begin(), track.end());
    const std::string path = test::scratchPath(name);
    test::writeFile(path, file);
    return path;
}

class Mci : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s_setup);
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    }
    void TearDown() override {
        mci::closeAll();
        BASS_Free();
    }
};

TEST_F(Mci, WaveAudioLengthsPositionsAndTimeFormatsMatchTheFile) {
    const std::string path = test::makeTone("mci tone.wav", 1.5);
    const std::string id = ask("open \"" + path + "\" type waveaudio alias Snd");
    EXPECT_EQ(mci::deviceId("snd"), std::stoi(id));
    EXPECT_EQ(ask("status snd mode"), "stopped");
    EXPECT_EQ(ask("status snd time format"), "milliseconds");
    EXPECT_EQ(number("status snd length"), 1500);
    EXPECT_EQ(number("status SND position"), 0);
    EXPECT_EQ(ask("status snd number of tracks"), "1");
    EXPECT_EQ(ask("status snd ready"), "true");
    ask("set snd time format samples");
    EXPECT_EQ(number("status snd length"), 66150);
    ask("set snd time format bytes");
    EXPECT_EQ(number("status snd length"), 264600);
    ask("set snd time format ms");
    EXPECT_EQ(ask("capability snd can play"), "true");
    EXPECT_EQ(ask("capability snd can eject"), "false");
    EXPECT_EQ(ask("capability snd device type"), "waveaudio");
    ask("close snd");
    EXPECT_EQ(mci::deviceId("snd"), 0);
    // Without a type the extension chooses the device, and the file name is the alias; a
    // name with spaces needs its quotes.
    EXPECT_EQ(codeOf("open " + path), mci::kMciUnrecognizedKeyword);
    ask("open \"" + path + "\"");
    EXPECT_EQ(ask("status \"" + path + "\" length"), "1500");
}

TEST_F(Mci, PlayPauseResumeAndRangesFollowTheClock) {
    const std::string path = test::makeTone("range.wav", 2.0);
    ask("open " + test::scratchPath("range.wav") + " alias r");
    ask("play r");
    ASSERT_TRUE(advanceVirtualClock(500));
    EXPECT_EQ(ask("status r mode"), "playing");
    const double p1 = number("status r position");
    EXPECT_NEAR(p1, 500, 30);
    ask("pause r");
    EXPECT_EQ(ask("status r mode"), "paused");
    ASSERT_TRUE(advanceVirtualClock(400));
    EXPECT_EQ(number("status r position"), p1);  // time passes, the position does not
    ask("resume r");
    ASSERT_TRUE(advanceVirtualClock(300));
    EXPECT_NEAR(number("status r position"), p1 + 300, 30);
    // A range ends exactly at its "to" position, and stop keeps the place.
    ask("play r from 1000 to 1200");
    ASSERT_TRUE(advanceVirtualClock(600));
    EXPECT_EQ(ask("status r mode"), "stopped");
    EXPECT_EQ(number("status r position"), 1200);
    ask("seek r to start");
    EXPECT_EQ(number("status r position"), 0);
    ask("seek r to end");
    EXPECT_EQ(number("status r position"), 2000);
    ask("seek r to 700");
    ask("play r");
    ASSERT_TRUE(advanceVirtualClock(100));
    ask("stop r");
    const double stopped = number("status r position");
    EXPECT_GT(stopped, 700);
    ASSERT_TRUE(advanceVirtualClock(200));
    EXPECT_EQ(number("status r position"), stopped);
    EXPECT_EQ(ask("status r mode"), "stopped");
    // Playing to the end stops by itself.
    ask("play r from 1900");
    ASSERT_TRUE(advanceVirtualClock(400));
    EXPECT_EQ(ask("status r mode"), "stopped");
    EXPECT_EQ(number("status r position"), 2000);
}

TEST_F(Mci, CompressedAudioPlaysThroughTheEngine) {
    if (!test::haveTool("oggenc")) GTEST_SKIP() << "oggenc is not installed";
    const std::string wav = test::makeTone("c.wav", 1.2);
    const std::string ogg = test::scratchPath("c.ogg");
    ASSERT_TRUE(test::run("oggenc -Q -o '" + ogg + "' '" + wav + "'"));
    ask("open " + ogg + " alias song");
    EXPECT_EQ(ask("capability song device type"), "mpegvideo");
    EXPECT_NEAR(number("status song length"), 1200, 5);
    ask("play song");
    ASSERT_TRUE(advanceVirtualClock(300));
    EXPECT_NEAR(number("status song position"), 300, 30);
}

TEST_F(Mci, SequencerRendersAMidiFileWrittenByTheTest) {
    if (mci::soundFontPath().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    const std::string path = writeMidi("tune.mid");
    // One second of notes, then a second for them to die away.
    const std::vector<uint8_t> wav = mci::renderMidi(path);
    ASSERT_GT(wav.size(), 44u);
    const size_t frames = (wav.size() - 44) / 4;
    EXPECT_NEAR(static_cast<double>(frames) / 44100.0, 2.0, 0.05);
    double energy = 0;
    for (size_t i = 44; i + 1 < 44 + 44100 * 4; i += 2) {
        const auto s = static_cast<int16_t>(wav[i] | (wav[i + 1] << 8));
        energy += std::abs(static_cast<double>(s));
    }
    EXPECT_GT(energy / 88200.0, 50.0);  // the notes are heard, not silence

    ask("open " + path + " alias midi");
    EXPECT_EQ(ask("capability midi device type"), "sequencer");
    EXPECT_NEAR(number("status midi length"), 2000, 50);
    ask("play midi");
    ASSERT_TRUE(advanceVirtualClock(700));
    EXPECT_NEAR(number("status midi position"), 700, 30);
    EXPECT_EQ(ask("status midi mode"), "playing");

    const std::string notMidi = test::scratchPath("fake.mid");
    test::writeFile(notMidi, {'R', 'I', 'F', 'F', 0, 0});
    EXPECT_EQ(codeOf("open " + notMidi), mci::kMciInvalidFile);
}

TEST_F(Mci, CdAudioTracksInTmsfAndMilliseconds) {
    // A bare device type works for one command without an open.
    EXPECT_EQ(ask("status cdaudio number of tracks"), "3");
    EXPECT_EQ(mci::deviceId("cdaudio"), 0);
    ask("open cdaudio alias cd");
    EXPECT_EQ(ask("status cd time format"), "tmsf");
    EXPECT_EQ(ask("status cd length track 1"), "00:00:40");
    EXPECT_EQ(ask("status cd length track 2"), "00:00:63");
    EXPECT_EQ(ask("status cd position track 2"), "02:00:00:00");
    EXPECT_EQ(ask("status cd mode"), "stopped");
    EXPECT_EQ(ask("capability cd can eject"), "false");  // a disc image has no door
    EXPECT_EQ(codeOf("set cd door open"), mci::kMciUnsupportedFunction);
    ask("play cd from 2 to 2:0:0:30");
    ASSERT_TRUE(advanceVirtualClock(200));
    EXPECT_EQ(ask("status cd current track"), "2");
    ASSERT_TRUE(advanceVirtualClock(400));
    EXPECT_EQ(ask("status cd mode"), "stopped");
    EXPECT_EQ(ask("status cd position"), "02:00:00:30");
    ask("set cd time format milliseconds");
    EXPECT_EQ(number("status cd length track 1"), 40 * 1000 / 75);
    EXPECT_EQ(number("status cd position"), (40 + 30) * 1000 / 75);
    // Playing across a track boundary goes on into the next track.
    ask("play cd from 400 to 700");
    ASSERT_TRUE(advanceVirtualClock(500));
    EXPECT_EQ(number("status cd position"), 700);
}

TEST_F(Mci, BadCommandsGiveTheirErrorNumbers) {
    const std::string path = test::makeTone("e.wav", 0.5);
    EXPECT_EQ(codeOf(""), mci::kMciMissingCommandString);
    EXPECT_EQ(codeOf("   "), mci::kMciMissingCommandString);
    EXPECT_EQ(codeOf("dance snd"), mci::kMciInvalidDeviceName);
    EXPECT_EQ(codeOf("status nothing mode"), mci::kMciInvalidDeviceName);
    EXPECT_EQ(codeOf("open \"" + path), mci::kMciNoClosingQuote);
    EXPECT_EQ(codeOf("open " + test::scratchPath("missing.wav")), mci::kMciFileNotFound);
    EXPECT_EQ(codeOf("open " + test::scratchPath("clip.avi")), mci::kMciDeviceNotInstalled);
    EXPECT_EQ(codeOf("open x type avivideo"), mci::kMciDeviceNotInstalled);
    EXPECT_EQ(codeOf("open " + test::scratchPath("noext")), mci::kMciExtensionNotFound);
    EXPECT_EQ(codeOf("open " + path + " type waveaudio alias"), mci::kMciMissingStringArgument);
    EXPECT_EQ(codeOf("open waveaudio"), mci::kMciFilenameRequired);
    EXPECT_EQ(codeOf("open " + path + " alias e"), 0);
    EXPECT_EQ(codeOf("open " + path + " alias E"), mci::kMciDuplicateAlias);
    EXPECT_EQ(codeOf("dance e"), mci::kMciUnrecognizedCommand);
    EXPECT_EQ(codeOf("status e"), mci::kMciMissingParameter);
    EXPECT_EQ(codeOf("status e colour"), mci::kMciUnrecognizedKeyword);
    EXPECT_EQ(codeOf("play e from 12x"), mci::kMciBadInteger);
    EXPECT_EQ(codeOf("play e from 600"), mci::kMciOutOfRange);
    EXPECT_EQ(codeOf("play e from 300 to 100"), mci::kMciOutOfRange);
    EXPECT_EQ(codeOf("seek e to 99999"), mci::kMciOutOfRange);
    EXPECT_EQ(codeOf("set e time format tmsf"), mci::kMciBadTimeFormat);
    EXPECT_EQ(codeOf("set e door open"), mci::kMciUnsupportedFunction);
    EXPECT_EQ(codeOf("play all"), mci::kMciCannotUseAll);
    EXPECT_EQ(codeOf("play e wait notify"), 0);  // flags are accepted anywhere
    EXPECT_EQ(codeOf("close all"), 0);
    EXPECT_EQ(codeOf("status e mode"), mci::kMciInvalidDeviceName);
    // Every number has a text of its own, and unknown numbers a general one.
    const std::string unknown = mci::errorText(9999);
    for (int code : {0,   257, 259, 261, 262, 263, 264, 265, 266, 267, 269, 270, 273, 274, 275, 276,
                     277, 279, 281, 282, 287, 289, 290, 292, 293, 294, 296, 301, 302, 304, 305, 306})
        EXPECT_NE(mci::errorText(code), unknown) << code;
}

}  // namespace
