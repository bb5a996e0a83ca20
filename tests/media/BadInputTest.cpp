// Bad input ends in a neutral failure with the right error number, never a crash or a hang.
#include <gtest/gtest.h>

#include "TestAudio.h"
#include "media/Bass.h"
#include "media/ErrorCode.h"

using namespace media;
namespace t = media::test;

namespace {

class BadInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = t::scratchPath(name);
        t::writeFile(path, bytes);
        return path;
    }
    std::string mp3() {
        const std::string path = t::scratchPath("good.mp3");
        t::run("lame --quiet '" + t::makeTone("bad-src.wav", 1.0) + "' '" + path + "'");
        return path;
    }
    // Drains a decoding channel; returns the bytes it gave.
    static size_t drain(uint32_t h) {
        std::vector<uint8_t> buffer(10240);
        size_t total = 0;
        for (int guard = 0; guard < 100000 && BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED; ++guard) {
            const uint32_t n = BASS_ChannelGetData(h, buffer.data(), 10240);
            if (n == 0xFFFFFFFFu) break;
            total += n;
        }
        return total;
    }
};

TEST_F(BadInputTest, OpeningFailuresCarryTheirNumber) {
    const std::vector<uint8_t> full = t::readFile(mp3());
    ASSERT_GT(full.size(), 4000u);
    const std::string stub = write("stub.mp3", std::vector<uint8_t>(full.begin(), full.begin() + 300));
    EXPECT_EQ(BASS_StreamCreateFile(false, stub.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);

    const std::string text = "This is a text file, not Ogg Vorbis.\n";
    const std::string ogg = write("text.ogg", std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(BASS_StreamCreateFile(false, ogg.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);
    EXPECT_EQ(BASS_MusicLoad(false, ogg.c_str(), 0, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);

    const std::string empty = write("empty.wav", {});
    EXPECT_EQ(BASS_StreamCreateFile(false, empty.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);

    EXPECT_EQ(BASS_StreamCreateFile(false, t::scratchPath("missing.wav").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);
    EXPECT_EQ(BASS_StreamCreateURL("not an address", 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);

    // A RIFF header that promises WAVE but holds nothing usable.
    const std::string riff = "RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00";
    const std::string hollow = write("hollow.wav", std::vector<uint8_t>(riff.begin(), riff.end()));
    EXPECT_EQ(BASS_StreamCreateFile(false, hollow.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);
}

TEST_F(BadInputTest, TruncatedMp3PlaysWhatIsThereAndEnds) {
    const std::vector<uint8_t> full = t::readFile(mp3());
    const std::string cut =
        write("cut.mp3", std::vector<uint8_t>(full.begin(), full.begin() + full.size() / 2 + 17));
    const uint32_t h = BASS_StreamCreateFile(false, cut.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    const size_t got = drain(h);
    EXPECT_GT(got, 44100u * 4 / 4);
    EXPECT_LT(got, 44100u * 4);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(BadInputTest, CorruptOggEndsTheDecodingChannel) {
    const std::string ogg = t::scratchPath("good.ogg");
    ASSERT_TRUE(t::run("oggenc -Q '" + t::makeTone("ogg-src.wav", 3.0) + "' -o '" + ogg + "'"));
    std::vector<uint8_t> bytes = t::readFile(ogg);
    for (size_t i = bytes.size() / 2; i < bytes.size(); i += 7) bytes[i] ^= 0x5A;  // damage the audio pages
    const std::string bad = write("damaged.ogg", bytes);
    const uint32_t h = BASS_StreamCreateFile(false, bad.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    drain(h);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(BadInputTest, ModuleWithGarbageIsRefused) {
    std::vector<uint8_t> garbage(6000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 131 + 7);
    const std::string xm = write("garbage.xm", garbage);
    EXPECT_EQ(BASS_MusicLoad(false, xm.c_str(), 0, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);

    // A module header whose patterns and samples were cut off.
    std::vector<uint8_t> mod = t::makeModule("cut");
    mod.resize(1100);
    const std::string cut = write("cut.mod", mod);
    const uint32_t h = BASS_MusicLoad(false, cut.c_str(), 0, 0, BASS_STREAM_DECODE, 0);
    if (h == 0) {
        EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);
    } else {
        drain(h);  // a lenient loader may accept it; then it must still end
        EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
        EXPECT_TRUE(BASS_MusicFree(h));
    }
}

TEST_F(BadInputTest, BadHandlesAndArgumentsFailNeutrally) {
    EXPECT_EQ(BASS_ChannelIsActive(0), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
    EXPECT_EQ(BASS_ChannelGetPosition(123456), ~uint64_t{0});
    EXPECT_FALSE(BASS_ChannelGetInfo(123456, nullptr));
    EXPECT_EQ(BASS_ChannelGetData(123456, nullptr, 10), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
    EXPECT_EQ(BASS_StreamCreateFile(true, nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);
    const std::string wav = t::makeTone("args.wav", 0.1);
    const uint32_t h = BASS_StreamCreateFile(false, wav.c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_EQ(BASS_ChannelGetData(h, nullptr, 100), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllParam);
    EXPECT_FALSE(BASS_ChannelGetInfo(h, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllParam);
    EXPECT_TRUE(BASS_StreamFree(h));
}

}  // namespace
