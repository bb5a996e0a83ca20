// Speech through espeak-ng: voices, WAV files, word positions as byte offsets of the text,
// control tags, and a channel on the hand-driven clock that pauses and resumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "TestAudio.h"
#include "media/Bass.h"
#include "media/VirtualClock.h"
#include "media/speech/Speaker.h"

using namespace media;
using media::speech::Speaker;

namespace {

const bool s_virtual = (setenv("VANTREL_AUDIO", "virtual", 1), true);

std::string englishVoice() {
    for (const auto& v : Speaker::instance().voices())
        if (v.language.rfind("en", 0) == 0) return v.name;
    return {};
}

class SpeakerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s_virtual);
        if (!Speaker::instance().available()) GTEST_SKIP() << "espeak-ng has no voices on this machine";
        m_voice = englishVoice();
        ASSERT_FALSE(m_voice.empty());
    }
    void TearDown() override { Speaker::instance().stop(); }

    // Samples of a finished WAV file made by `text`.
    size_t spokenSamples(const std::string& text, const std::string& file) {
        Speaker& s = Speaker::instance();
        EXPECT_TRUE(s.select(m_voice, file));
        EXPECT_TRUE(s.speak(text));
        s.waitSynthesised();
        return test::wavData(test::readFile(file)).size() / 2;
    }

    std::string m_voice;
};

TEST_F(SpeakerTest, VoicesCarryNamesLanguagesAndMappedGenders) {
    const auto voices = Speaker::instance().voices();
    EXPECT_GT(voices.size(), 10u);
    for (const auto& v : voices) {
        EXPECT_FALSE(v.name.empty());
        EXPECT_TRUE(v.gender >= 0 && v.gender <= 2) << v.name;
    }
    Speaker& s = Speaker::instance();
    EXPECT_FALSE(s.select("no such voice", ""));
    EXPECT_FALSE(s.selected());
    EXPECT_FALSE(s.speak("nothing selected"));
    std::string upper = m_voice;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    EXPECT_TRUE(s.select(upper, ""));  // names match without regard to case
}

TEST_F(SpeakerTest, SpeechGoesIntoAWavFileAndEndsOnTheLastWord) {
    const std::string file = test::scratchPath("speech.wav");
    const std::string text = "Hello there, this is a short test.";
    const size_t samples = spokenSamples(text, file);
    const auto wav = test::readFile(file);
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(wav[22], 1);           // mono
    EXPECT_GT(samples, 22050u / 2);  // at least half a second of speech
    EXPECT_EQ(Speaker::instance().position(), static_cast<int>(text.find("test")));
    // A file that cannot be created is refused, nothing spoken.
    ASSERT_TRUE(Speaker::instance().select(m_voice, test::scratchPath("no/such/dir/x.wav")));
    EXPECT_FALSE(Speaker::instance().speak("lost"));
}

TEST_F(SpeakerTest, ControlTagsChangeSpeedAndAreNotSpoken) {
    speech::Attributes a;
    speech::applyTags("\\Vol=2147450879\\", a);
    EXPECT_EQ(a.volume, 0x7FFF7FFFu);
    speech::applyTags("\\spd=220\\\\Pit=65535\\\\Bad=x\\", a);
    EXPECT_EQ(a.speed, 220u);
    EXPECT_EQ(a.pitch, 65535u);
    const std::string words = "one two three four five six seven eight nine ten";
    const size_t slow = spokenSamples("\\Spd=100\\" + words, test::scratchPath("slow.wav"));
    const size_t fast = spokenSamples("\\Spd=400\\" + words, test::scratchPath("fast.wav"));
    EXPECT_LT(fast * 2, slow);
    // Offsets count the tag's bytes, as they stand in the text.
    const std::string tagged = "alpha \\Spd=300\\beta gamma";
    spokenSamples(tagged, test::scratchPath("tagged.wav"));
    EXPECT_EQ(Speaker::instance().position(), static_cast<int>(tagged.find("gamma")));
    Speaker::instance().inject("\\Spd=175\\");
}

TEST_F(SpeakerTest, ChannelPositionsRiseWithTheClockAndHoldWhilePaused) {
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    Speaker& s = Speaker::instance();
    const std::string text = "Seven words are spoken here very slowly.";
    ASSERT_TRUE(s.select(m_voice, ""));
    s.inject("\\Spd=120\\");
    ASSERT_TRUE(s.speak(text));
    s.waitSynthesised();
    EXPECT_EQ(s.position(), 0);
    std::set<int> wordStarts{0};
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i - 1] == ' ') wordStarts.insert(static_cast<int>(i));
    int last = 0;
    std::set<int> seen;
    for (int step = 0; step < 8; ++step) {
        ASSERT_TRUE(advanceVirtualClock(200));
        const int pos = s.position();
        EXPECT_GE(pos, last);
        EXPECT_TRUE(wordStarts.count(pos)) << pos;
        seen.insert(pos);
        last = pos;
    }
    EXPECT_GE(seen.size(), 3u);  // several words passed, each in turn
    s.pause();
    EXPECT_TRUE(s.paused());
    const int held = s.position();
    ASSERT_TRUE(advanceVirtualClock(1000));
    EXPECT_EQ(s.position(), held);
    s.resume();
    EXPECT_FALSE(s.paused());
    ASSERT_TRUE(advanceVirtualClock(6000));
    EXPECT_GT(s.position(), held);
    EXPECT_EQ(s.position(), static_cast<int>(text.find("slowly")));
    s.stop();
    EXPECT_EQ(s.position(), 0);
    BASS_Free();
}

}  // namespace
