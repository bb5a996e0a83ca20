// Decoders against Debian's own tools on the same files, tag blocks, and the sniff table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "TestAudio.h"
#include "media/Bass.h"
#include "media/ErrorCode.h"
#include "media/Tags.h"
#include "media/decoders/DecoderTable.h"
#include "media/decoders/MpegDecoder.h"

using namespace media;
namespace t = media::test;

namespace {

// Everything a decoding channel delivers for `path`, read the way the WAV converter reads.
std::vector<uint8_t> decodeAll(const std::string& path, bool music = false) {
    const uint32_t h = music ? BASS_MusicLoad(false, path.c_str(), 0, 0, 0x240000, 0)
                             : BASS_StreamCreateFile(false, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_NE(h, 0u) << path << " error " << BASS_ErrorGetCode();
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> buffer(10240);
    while (h != 0 && BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED) {
        const uint32_t n = BASS_ChannelGetData(h, buffer.data(), 10240);
        if (n == 0xFFFFFFFFu) break;
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
    }
    BASS_StreamFree(h);
    BASS_MusicFree(h);
    return pcm;
}

class DecoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
        source = t::scratchPath("source.wav");
        // Noise over a chord: every bit of the samples matters.
        ASSERT_TRUE(t::run("sox -n -r 44100 -c 2 -b 16 '" + source +
                           "' synth 2.5 sine 300 sine 500 synth 2.5 whitenoise amod 0.2 vol 0.5"));
    }
    void TearDown() override { BASS_Free(); }
    std::string source;
};

TEST_F(DecoderTest, Mp3MatchesMpg123BitForBit) {
    const std::string mp3 = t::scratchPath("bits.mp3"), ref = t::scratchPath("bits-mp3.wav");
    ASSERT_TRUE(t::run("lame --quiet -b 160 '" + source + "' '" + mp3 + "'"));
    ASSERT_TRUE(t::run("mpg123 -q -w '" + ref + "' '" + mp3 + "'"));
    const std::vector<uint8_t> expected = t::wavData(t::readFile(ref));
    ASSERT_GT(expected.size(), 400000u);
    EXPECT_EQ(decodeAll(mp3), expected);
}

TEST_F(DecoderTest, MonoLowRateMp3MatchesMpg123) {
    const std::string mono = t::scratchPath("mono.wav"), mp3 = t::scratchPath("mono.mp3"),
                      ref = t::scratchPath("mono-mp3.wav");
    ASSERT_TRUE(t::run("sox '" + source + "' -r 22050 -c 1 '" + mono + "'"));
    ASSERT_TRUE(t::run("lame --quiet -m m '" + mono + "' '" + mp3 + "'"));
    ASSERT_TRUE(t::run("mpg123 -q -w '" + ref + "' '" + mp3 + "'"));
    EXPECT_EQ(decodeAll(mp3), t::wavData(t::readFile(ref)));
}

TEST_F(DecoderTest, Mp2MatchesMpg123AndIsTypedMp2) {
    const std::string mp2 = t::scratchPath("bits.mp2"), ref = t::scratchPath("bits-mp2.wav");
    ASSERT_TRUE(t::run("twolame --quiet '" + source + "' '" + mp2 + "'"));
    ASSERT_TRUE(t::run("mpg123 -q -w '" + ref + "' '" + mp2 + "'"));
    EXPECT_EQ(decodeAll(mp2), t::wavData(t::readFile(ref)));
    const uint32_t h = BASS_StreamCreateFile(false, mp2.c_str(), 0, 0, BASS_STREAM_DECODE);
    BassChannelInfo info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.ctype, 0x10004u);
    BASS_StreamFree(h);
}

TEST_F(DecoderTest, OggMatchesOggdecBitForBit) {
    const std::string ogg = t::scratchPath("bits.ogg"), ref = t::scratchPath("bits-ogg.wav");
    ASSERT_TRUE(t::run("oggenc -Q -q 3 '" + source + "' -o '" + ogg + "'"));
    ASSERT_TRUE(t::run("oggdec -Q '" + ogg + "' -o '" + ref + "'"));
    const std::vector<uint8_t> expected = t::wavData(t::readFile(ref));
    ASSERT_GT(expected.size(), 400000u);
    EXPECT_EQ(decodeAll(ogg), expected);
}

TEST_F(DecoderTest, ModuleMatchesOpenmpt123BitForBit) {
    const std::string mod = t::scratchPath("bits.mod");
    t::writeFile(mod, t::makeModule("bit song"));
    // Dither off on both sides: libopenmpt seeds its dither randomly, so dithered renders
    // differ between two runs of the same tool.
    ASSERT_TRUE(
        t::run("cd '" + t::scratchDir() +
               "' && openmpt123 -q --force --render --samplerate 44100 --no-float --dither 0 bits.mod"));
    const std::vector<uint8_t> expected = t::wavData(t::readFile(mod + ".wav"));
    ASSERT_GT(expected.size(), 600000u);
    EXPECT_EQ(decodeAll(mod, true), expected);
}

TEST_F(DecoderTest, WavPcmAndAdpcmVariantsDecode) {
    // 16-bit PCM is handed out unchanged.
    EXPECT_EQ(decodeAll(source), t::wavData(t::readFile(source)));
    struct Variant {
        const char* name;
        const char* options;
        size_t bytesPerFrame;
        bool blockCoded;  // ADPCM pads its last block
    } variants[] = {{"s24.wav", "-b 24", 4, false},
                    {"s32.wav", "-b 32", 4, false},
                    {"float.wav", "-e floating-point -b 32", 4, false},
                    {"ima.wav", "-e ima-adpcm", 4, true},
                    {"ms.wav", "-e ms-adpcm", 4, true},
                    {"u8.wav", "-b 8", 2, false}};
    const size_t frames = 44100 * 5 / 2;
    const std::vector<uint8_t> reference = t::wavData(t::readFile(source));
    for (const Variant& v : variants) {
        const std::string path = t::scratchPath(v.name);
        ASSERT_TRUE(t::run(std::string("sox '") + source + "' -D " + v.options + " '" + path + "'"))
            << v.name;
        const std::vector<uint8_t> pcm = decodeAll(path);
        if (v.blockCoded)
            EXPECT_NEAR(static_cast<double>(pcm.size()), static_cast<double>(frames * v.bytesPerFrame),
                        2048 * 4)
                << v.name;
        else
            EXPECT_EQ(pcm.size(), frames * v.bytesPerFrame) << v.name;
        if (v.bytesPerFrame == 4 && !v.blockCoded) {
            // Wider sources carry the 16-bit samples exactly in their top bits.
            EXPECT_EQ(pcm, reference) << v.name;
        }
    }
}

TEST_F(DecoderTest, Mp3TagBlocksAndTagTemplate) {
    const std::string mp3 = t::scratchPath("tagged.mp3");
    ASSERT_TRUE(
        t::run("lame --quiet --add-id3v2 --tt 'Song' --ta 'Band' --tl 'Disc' --ty 1999 --tc 'Note' "
               "--tn 7 --tg Rock '" +
               source + "' '" + mp3 + "'"));
    const uint32_t h = BASS_StreamCreateFile(false, mp3.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    const char* v1 = BASS_StreamGetTags(h, BASS_TAG_ID3);
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(std::string(v1, 3), "TAG");
    EXPECT_EQ(std::string(v1 + 33, 4), "Band");
    const char* v2 = BASS_StreamGetTags(h, BASS_TAG_ID3V2);
    ASSERT_NE(v2, nullptr);
    EXPECT_EQ(std::string(v2, 3), "ID3");
    EXPECT_EQ(BASS_StreamGetTags(h, BASS_TAG_OGG), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorNotAvail);
    EXPECT_STREQ(TAGS_Read(h, "%ARTI - %TITL (%ALBM, %YEAR) #%TRCK %CMNT"),
                 "Band - Song (Disc, 1999) #7 Note");
    EXPECT_STREQ(TAGS_Read(h, "%GNRE"), "Rock");
    BASS_StreamFree(h);
}

TEST_F(DecoderTest, OggCommentsAsZeroTerminatedList) {
    const std::string ogg = t::scratchPath("tagged.ogg");
    ASSERT_TRUE(t::run("oggenc -Q -t 'A' -a 'B' -N 3 '" + source + "' -o '" + ogg + "'"));
    const uint32_t h = BASS_StreamCreateFile(false, ogg.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    const char* p = BASS_StreamGetTags(h, BASS_TAG_OGG);
    ASSERT_NE(p, nullptr);
    std::vector<std::string> strings;
    for (; *p; p += std::strlen(p) + 1) strings.emplace_back(p);
    EXPECT_NE(std::find(strings.begin(), strings.end(), "title=A"), strings.end());
    EXPECT_NE(std::find(strings.begin(), strings.end(), "artist=B"), strings.end());
    EXPECT_STREQ(TAGS_Read(h, "%TITL/%ARTI/%TRCK"), "A/B/3");
    BASS_StreamFree(h);
}

TEST(TagParsing, Id3v1FieldsAreCutByPosition) {
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, 5, "Short");
    tag.replace(33, 6, "Artist");
    tag.replace(93, 4, "2001");
    tag[127] = 17;
    const TagFields fields = parseTagBlocks("", tag, "", "");
    EXPECT_EQ(fields.title, "Short");
    EXPECT_EQ(fields.artist, "Artist");
    EXPECT_EQ(fields.year, "2001");
    EXPECT_EQ(fields.genre, "17");
}

TEST(TagParsing, Id3v2TakesPrecedenceAndDecodesUtf16) {
    // ID3v2.3 with a UTF-16 (BOM) title frame.
    const std::string text = std::string("\x01\xFF\xFE", 3) + std::string("T\0i\0", 4);
    std::string frame =
        "TIT2" + std::string("\0\0\0", 3) + static_cast<char>(text.size()) + std::string("\0\0", 2) + text;
    std::string tag = std::string("ID3\x03\x00\x00", 6) + std::string("\0\0\0", 3) +
                      static_cast<char>(frame.size()) + frame;
    std::string v1(128, '\0');
    v1.replace(0, 3, "TAG");
    v1.replace(3, 3, "Old");
    EXPECT_EQ(parseTagBlocks(tag, v1, "", "").title, "Ti");
    // A frame that claims more bytes than the tag holds ends the walk without reading beyond.
    tag[tag.size() - text.size() - 3] = 0x7F;
    EXPECT_EQ(parseTagBlocks(tag, v1, "", "").title, "Old");
}

TEST(Sniffing, MpegProbeNeedsChainedFrames) {
    // A lone frame header inside other data is not MPEG audio.
    std::mt19937 random(7);
    std::vector<uint8_t> noise(64 * 1024);
    for (auto& b : noise) b = static_cast<uint8_t>(random());
    for (size_t i = 0; i + 4 < noise.size(); i += 997) {
        noise[i] = 0xFF;
        noise[i + 1] = 0xFB;
        noise[i + 2] = 0x90;
    }
    auto source = openMemorySource(noise.data(), noise.size());
    EXPECT_FALSE(sniffMpeg(*source));

    // A JPEG start (FF D8 FF E0 ...) followed by marker segments is never MPEG either.
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0};
    jpeg.resize(4096, 0xFF);
    auto picture = openMemorySource(jpeg.data(), jpeg.size());
    EXPECT_FALSE(sniffMpeg(*picture));

    const std::vector<uint8_t> mod = t::makeModule("probe");
    auto module = openMemorySource(mod.data(), mod.size());
    EXPECT_FALSE(sniffMpeg(*module));
    EXPECT_EQ(openStream(openMemorySource(mod.data(), mod.size()), DecoderFamily::Stream), nullptr);
    EXPECT_NE(openStream(openMemorySource(mod.data(), mod.size()), DecoderFamily::Module), nullptr);
}

}  // namespace
