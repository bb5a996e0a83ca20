// Channel life cycle on the virtual clock: positions, ends, syncs, auto-free, loops, pause,
// slides and decoding channels, all through the entry points.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "TestAudio.h"
#include "media/Bass.h"
#include "media/ErrorCode.h"
#include "media/VirtualClock.h"

using namespace media;
using media::test::makeTone;

namespace {

// Before the engine first looks: this binary runs on the hand-driven clock.
const bool s_virtual = (setenv("VANTREL_AUDIO", "virtual", 1), true);

constexpr uint64_t kBytesPerSecond = 44100 * 4;

uint64_t msBytes(int ms) { return static_cast<uint64_t>(ms) * 44100 / 1000 * 4; }

void countSync(uint32_t, uint32_t, uint32_t, void* user) { ++*static_cast<std::atomic<int>*>(user); }

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s_virtual);
        ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
        oneSecond = makeTone("one.wav", 1.0);
    }
    void TearDown() override { BASS_Free(); }

    uint32_t play(const std::string& path, uint32_t flags) {
        const uint32_t h = BASS_StreamCreateFile(false, path.c_str(), 0, 0, flags);
        EXPECT_NE(h, 0u) << BASS_ErrorGetCode();
        EXPECT_TRUE(BASS_StreamPreBuf(h));
        EXPECT_TRUE(BASS_StreamPlay(h, false, flags & BASS_SAMPLE_LOOP));
        return h;
    }

    std::string oneSecond;
};

TEST_F(EngineTest, PlayAdvancesEndsNotifiesOnceAndFreesItself) {
    std::atomic<int> ends{0}, onceEnds{0};
    const uint32_t h = play(oneSecond, BASS_STREAM_AUTOFREE);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends), 0u);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_ONETIME | BASS_SYNC_END, 0, countSync, &onceEnds), 0u);
    EXPECT_EQ(BASS_StreamGetLength(h), kBytesPerSecond);

    ASSERT_TRUE(advanceVirtualClock(500));
    EXPECT_EQ(BASS_ChannelGetPosition(h), msBytes(500));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(ends, 0);

    ASSERT_TRUE(advanceVirtualClock(600));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(onceEnds, 1);
    // Freed by itself: the handle is dead for every call.
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_FALSE(BASS_StreamFree(h));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);

    ASSERT_TRUE(advanceVirtualClock(500));
    EXPECT_EQ(ends, 1);
}

TEST_F(EngineTest, WithoutAutoFreeAnEndedChannelStaysAndReplaysFromTheStart) {
    const uint32_t h = play(oneSecond, 0);
    ASSERT_TRUE(advanceVirtualClock(1100));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(BASS_ChannelGetPosition(h), kBytesPerSecond);
    ASSERT_TRUE(BASS_StreamPlay(h, false, 0));
    ASSERT_TRUE(advanceVirtualClock(100));
    EXPECT_EQ(BASS_ChannelGetPosition(h), msBytes(100));
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, HandlesAreNeverReused) {
    const uint32_t first = play(oneSecond, BASS_STREAM_AUTOFREE);
    ASSERT_TRUE(advanceVirtualClock(1100));  // auto-freed
    std::vector<uint32_t> handles{first};
    for (int i = 0; i < 5; ++i) {
        const uint32_t h = BASS_StreamCreateFile(false, oneSecond.c_str(), 0, 0, 0);
        ASSERT_NE(h, 0u);
        for (uint32_t old : handles) EXPECT_NE(h, old);
        handles.push_back(h);
        EXPECT_TRUE(BASS_StreamFree(h));
    }
    // A stale handle never reaches a live channel.
    const uint32_t live = BASS_StreamCreateFile(false, oneSecond.c_str(), 0, 0, 0);
    for (uint32_t old : handles) {
        EXPECT_NE(old, live);
        EXPECT_FALSE(BASS_ChannelStop(old));
        EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
    }
    EXPECT_TRUE(BASS_StreamFree(live));
}

TEST_F(EngineTest, LoopRestartsAndSignalsEachEnd) {
    const std::string short200 = makeTone("short.wav", 0.2);
    std::atomic<int> ends{0};
    const uint32_t h = play(short200, BASS_SAMPLE_LOOP);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends), 0u);
    ASSERT_TRUE(advanceVirtualClock(500));
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(BASS_ChannelGetPosition(h), msBytes(100));
    EXPECT_TRUE(BASS_ChannelStop(h));
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, PauseHoldsThePositionAndResumeGoesOn) {
    const uint32_t h = play(oneSecond, 0);
    ASSERT_TRUE(advanceVirtualClock(100));
    EXPECT_TRUE(BASS_ChannelPause(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PAUSED);
    EXPECT_FALSE(BASS_ChannelPause(h));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorAlready);
    ASSERT_TRUE(advanceVirtualClock(300));
    EXPECT_EQ(BASS_ChannelGetPosition(h), msBytes(100));
    EXPECT_TRUE(BASS_ChannelResume(h));
    EXPECT_FALSE(BASS_ChannelResume(h));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorNoPause);
    ASSERT_TRUE(advanceVirtualClock(100));
    EXPECT_EQ(BASS_ChannelGetPosition(h), msBytes(200));
    EXPECT_TRUE(BASS_ChannelStop(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_FALSE(BASS_ChannelResume(h));  // a stopped channel is not paused
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, SlidesReachTheirTargetOnTime) {
    const uint32_t h = play(makeTone("long.wav", 3.0), 0);
    ASSERT_TRUE(BASS_ChannelSlideAttributes(h, -1, 0, 100, 400));
    EXPECT_EQ(BASS_ChannelIsSliding(h), BASS_SLIDE_VOL | BASS_SLIDE_PAN);
    ASSERT_TRUE(advanceVirtualClock(200));
    uint32_t freq = 0, volume = 0;
    int32_t pan = 0;
    ASSERT_TRUE(BASS_ChannelGetAttributes(h, &freq, &volume, &pan));
    EXPECT_EQ(freq, 44100u);
    EXPECT_NEAR(volume, 50, 2);
    EXPECT_NEAR(pan, 50, 2);
    EXPECT_NE(BASS_ChannelIsSliding(h), 0u);
    ASSERT_TRUE(advanceVirtualClock(200));
    ASSERT_TRUE(BASS_ChannelGetAttributes(h, &freq, &volume, &pan));
    EXPECT_EQ(volume, 0u);
    EXPECT_EQ(pan, 100);
    EXPECT_EQ(BASS_ChannelIsSliding(h), 0u);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, FrequencyChangesHowFastTheSourceIsHeard) {
    const uint32_t h = play(makeTone("long.wav", 3.0), 0);
    ASSERT_TRUE(BASS_ChannelSetAttributes(h, 22050, -1, -101));
    ASSERT_TRUE(advanceVirtualClock(1000));
    EXPECT_NEAR(static_cast<double>(BASS_ChannelGetPosition(h)), 22050.0 * 4, 8);
    // A linear slide from 22050 to 88200 Hz over 1 s hears (22050 + 88200) / 2 frames a second.
    ASSERT_TRUE(BASS_ChannelSlideAttributes(h, 88200, -1, -101, 1000));
    const uint64_t before = BASS_ChannelGetPosition(h);
    ASSERT_TRUE(advanceVirtualClock(1000));
    EXPECT_NEAR(static_cast<double>(BASS_ChannelGetPosition(h) - before) / 4, 55125, 200);
    EXPECT_EQ(BASS_ChannelIsSliding(h), 0u);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, AttributesKeepSentinelsAndRejectOutOfRange) {
    const uint32_t h = BASS_StreamCreateFile(false, oneSecond.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelSetAttributes(h, -1, 30, -101));
    ASSERT_TRUE(BASS_ChannelSetAttributes(h, -1, -1, -40));
    uint32_t freq = 0, volume = 0;
    int32_t pan = 0;
    ASSERT_TRUE(BASS_ChannelGetAttributes(h, &freq, &volume, &pan));
    EXPECT_EQ(freq, 44100u);
    EXPECT_EQ(volume, 30u);
    EXPECT_EQ(pan, -40);
    EXPECT_FALSE(BASS_ChannelSetAttributes(h, -1, 101, -101));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllParam);
    EXPECT_FALSE(BASS_ChannelSetAttributes(h, 50, -1, -101));
    EXPECT_FALSE(BASS_ChannelSetAttributes(h, -1, -1, 101));
    ASSERT_TRUE(BASS_ChannelGetAttributes(h, &freq, &volume, &pan));
    EXPECT_EQ(volume, 30u);
    EXPECT_EQ(pan, -40);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, VolumeAndPanningShapeTheMix) {
    // Levels are measured as the mixer hears them: a full-scale channel panned hard left
    // is silent on the right, and half volume halves the peak.
    const std::string square = test::scratchPath("square.wav");
    ASSERT_TRUE(test::run("sox -n -r 44100 -c 2 -b 16 '" + square + "' synth 3 square 100 vol 0.5"));
    const uint32_t h = play(square, 0);
    ASSERT_TRUE(advanceVirtualClock(50));
    const uint32_t full = BASS_ChannelGetLevel(h);
    ASSERT_NE(full, 0xFFFFFFFFu);
    ASSERT_TRUE(BASS_ChannelSetAttributes(h, -1, 50, -100));
    ASSERT_TRUE(advanceVirtualClock(50));
    const uint32_t half = BASS_ChannelGetLevel(h);
    EXPECT_NEAR(static_cast<double>(half & 0xFFFF), (full & 0xFFFF) / 2.0, (full & 0xFFFF) * 0.05);
    EXPECT_EQ(half >> 16, 0u);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, SurroundSourcesFoldEvenChannelsLeftAndOddRight) {
    // Four channels: +-10000 on channels 0 and 2, silence on 1 and 3.
    const std::string quad = test::scratchPath("quad.wav");
    std::vector<int16_t> samples;
    for (int frame = 0; frame < 44100; ++frame) {
        const int16_t v = (frame / 50) % 2 ? 10000 : -10000;
        samples.insert(samples.end(), {v, 0, v, 0});
    }
    test::writeWav(quad, 44100, 4, samples);
    const uint32_t h = play(quad, 0);
    ASSERT_TRUE(advanceVirtualClock(50));
    const uint32_t level = BASS_ChannelGetLevel(h);
    EXPECT_EQ(level & 0xFFFF, 10000u);
    EXPECT_EQ(level >> 16, 0u);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, SeekingMovesThePositionInBytes) {
    const uint32_t h = play(oneSecond, 0);
    const uint64_t target = BASS_ChannelSeconds2Bytes(h, 0.25f);
    EXPECT_EQ(target, msBytes(250));
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, target), 0.25f);
    ASSERT_TRUE(BASS_ChannelSetPosition(h, target));
    EXPECT_EQ(BASS_ChannelGetPosition(h), target);
    ASSERT_TRUE(advanceVirtualClock(100));
    EXPECT_EQ(BASS_ChannelGetPosition(h), msBytes(350));
    // A whole second rounded up past the end seeks to the end, and the channel ends there.
    std::atomic<int> ends{0};
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends), 0u);
    ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 2.0f)));
    EXPECT_EQ(BASS_ChannelGetPosition(h), kBytesPerSecond);
    ASSERT_TRUE(advanceVirtualClock(20));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, DecodingChannelDeliversEverySampleThenStops) {
    const uint32_t h =
        BASS_StreamCreateFile(false, oneSecond.c_str(), 0, 0, BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE);
    ASSERT_NE(h, 0u);
    std::atomic<int> ends{0};
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends), 0u);
    EXPECT_FALSE(BASS_StreamPlay(h, false, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorDecode);
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> buffer(10240);
    while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED) {
        const uint32_t n = BASS_ChannelGetData(h, buffer.data(), 10240);
        ASSERT_NE(n, 0xFFFFFFFFu);
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
        EXPECT_EQ(BASS_ChannelGetPosition(h), pcm.size());
    }
    EXPECT_EQ(pcm, test::wavData(test::readFile(oneSecond)));
    EXPECT_EQ(BASS_ChannelGetData(h, buffer.data(), 10240), 0u);
    advanceVirtualClock(0);  // lets the notification thread catch up
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, EightBitChannelsCountOneBytePerSample) {
    const std::string path = makeTone("eight.wav", 0.5, "-r 22050 -c 1 -b 8 -e unsigned-integer");
    const uint32_t h = BASS_StreamCreateFile(false, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    BassChannelInfo info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, BASS_SAMPLE_8BITS);
    EXPECT_EQ(BASS_StreamGetLength(h), 11025u);
    std::vector<uint8_t> pcm(20000);
    const uint32_t n = BASS_ChannelGetData(h, pcm.data(), 20000);
    pcm.resize(n);
    EXPECT_EQ(pcm, test::wavData(test::readFile(path)));
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, MemoryStreamsPlayLikeFiles) {
    const std::vector<uint8_t> bytes = test::readFile(oneSecond);
    const uint32_t h = BASS_StreamCreateFile(true, bytes.data(), 0, static_cast<uint32_t>(bytes.size()), 0);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(BASS_StreamGetLength(h), kBytesPerSecond);
    ASSERT_TRUE(BASS_StreamPlay(h, false, 0));
    ASSERT_TRUE(advanceVirtualClock(250));
    EXPECT_EQ(BASS_ChannelGetPosition(h), msBytes(250));
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_END), bytes.size());
    EXPECT_TRUE(BASS_StreamFree(h));
}

// The play list's pattern: the end sync opens and starts the next channel from inside the
// notification, which must not deadlock and must play.
struct Chain {
    std::string next;
    std::atomic<uint32_t> started{0};
};

void playNext(uint32_t, uint32_t channel, uint32_t, void* user) {
    auto* chain = static_cast<Chain*>(user);
    BASS_ChannelStop(channel);
    BASS_StreamFree(channel);
    const uint32_t h = BASS_StreamCreateFile(false, chain->next.c_str(), 0, 0, BASS_STREAM_AUTOFREE);
    BASS_StreamPreBuf(h);
    BASS_StreamPlay(h, false, 0);
    chain->started = h;
}

TEST_F(EngineTest, EndSyncMayStartTheNextChannel) {
    Chain chain;
    chain.next = oneSecond;
    const uint32_t h = play(makeTone("short.wav", 0.2), BASS_STREAM_AUTOFREE);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_ONETIME | BASS_SYNC_END, 0, playNext, &chain), 0u);
    ASSERT_TRUE(advanceVirtualClock(300));
    ASSERT_NE(chain.started.load(), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(chain.started), BASS_ACTIVE_PLAYING);
    ASSERT_TRUE(advanceVirtualClock(100));
    EXPECT_GT(BASS_ChannelGetPosition(chain.started), 0u);
}

TEST_F(EngineTest, SyncsCanBeRemovedAndOnlyEndSyncsExist) {
    std::atomic<int> ends{0};
    const uint32_t h = play(makeTone("short.wav", 0.2), 0);
    const uint32_t sync = BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends);
    ASSERT_NE(sync, 0u);
    EXPECT_EQ(BASS_ChannelSetSync(h, 1, 0, countSync, &ends), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllType);
    EXPECT_TRUE(BASS_ChannelRemoveSync(h, sync));
    EXPECT_FALSE(BASS_ChannelRemoveSync(h, sync));
    ASSERT_TRUE(advanceVirtualClock(300));
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, ModulesPlayAsMusicOnly) {
    const std::string path = test::scratchPath("song.mod");
    test::writeFile(path, test::makeModule("engine song"));
    EXPECT_EQ(BASS_StreamCreateFile(false, path.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);
    const uint32_t h = BASS_MusicLoad(false, path.c_str(), 0, 0, 0x48400, 0);
    ASSERT_NE(h, 0u);
    EXPECT_STREQ(BASS_MusicGetName(h), "engine song");
    EXPECT_EQ(BASS_StreamGetLength(h), ~uint64_t{0});  // not a stream
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
    const uint32_t length = BASS_MusicGetLength(h, true);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, length), 3.84, 0.05);
    ASSERT_TRUE(BASS_MusicPreBuf(h));
    ASSERT_TRUE(BASS_MusicPlayEx(h, 0, -1, true));
    ASSERT_TRUE(advanceVirtualClock(500));
    EXPECT_EQ(BASS_ChannelGetPosition(h), msBytes(500));
    EXPECT_EQ(BASS_MusicGetLength(h, false), 1u);  // one order
    // Row 32 of order 0 is half-way through the only pattern.
    ASSERT_TRUE(BASS_MusicPlayEx(h, 32u << 16, -1, false));
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h)), 1.92, 0.01);
    EXPECT_FALSE(BASS_MusicPlayEx(h, 5, -1, false));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorPosition);
    EXPECT_FALSE(BASS_StreamFree(h));
    EXPECT_TRUE(BASS_MusicFree(h));
}

TEST_F(EngineTest, LoopingModuleStartsOverAtItsEnd) {
    const std::string path = test::scratchPath("loop.mod");
    test::writeFile(path, test::makeModule("loop song"));
    std::atomic<int> ends{0};
    const uint32_t h = BASS_MusicLoad(false, path.c_str(), 0, 0, 0x8404, 0);
    ASSERT_NE(h, 0u);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends), 0u);
    ASSERT_TRUE(BASS_MusicPlayEx(h, 0, -1, true));
    ASSERT_TRUE(advanceVirtualClock(4000));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
    EXPECT_LT(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h)), 0.5f);
    EXPECT_TRUE(BASS_MusicFree(h));
}

// The format table scripts use: the first mask that covers every bit of the type code.
std::string formatOf(uint32_t type) {
    static const std::pair<uint32_t, const char*> kRows[] = {
        {0x10001, "WAV"}, {0x10002, "OGG"}, {0x10003, "MP1"}, {0x10004, "MP2"}, {0x10005, "MP3"},
        {0x20001, "MTM"}, {0x20002, "S3M"}, {0x20003, "XM"},  {0x20004, "IT"},  {0x100, "MO3"}};
    for (const auto& [mask, name] : kRows)
        if ((type & mask) == type) return name;
    return "";
}

TEST_F(EngineTest, TypeCodesClassifyEveryFormat) {
    const std::string mp3 = test::scratchPath("tone.mp3");
    const std::string ogg = test::scratchPath("tone.ogg");
    ASSERT_TRUE(test::run("lame --quiet '" + oneSecond + "' '" + mp3 + "'"));
    ASSERT_TRUE(test::run("oggenc -Q '" + oneSecond + "' -o '" + ogg + "'"));
    const std::pair<std::string, std::string> files[] = {{oneSecond, "WAV"}, {mp3, "MP3"}, {ogg, "OGG"}};
    for (const auto& [path, expected] : files) {
        const uint32_t h = BASS_StreamCreateFile(false, path.c_str(), 0, 0, BASS_STREAM_DECODE);
        BassChannelInfo info{};
        ASSERT_TRUE(BASS_ChannelGetInfo(h, &info)) << path;
        EXPECT_EQ(formatOf(info.ctype), expected);
        BASS_StreamFree(h);
    }
    EXPECT_EQ(formatOf(0x20002), "S3M");
    EXPECT_EQ(formatOf(0x20003), "XM");
    EXPECT_EQ(formatOf(0x20004), "IT");
    EXPECT_EQ(formatOf(0x100), "MO3");
}

TEST_F(EngineTest, DevicesConfigurationAndMasterVolume) {
    EXPECT_EQ(BASS_GetVersion(), 2u);
    EXPECT_STREQ(BASS_GetDeviceDescription(0), "No sound");
    EXPECT_STREQ(BASS_GetDeviceDescription(1), "Default");
    EXPECT_EQ(BASS_GetDevice(), 1u);
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorAlready);
    EXPECT_FALSE(BASS_SetDevice(0));  // not initialised
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorInit);
    EXPECT_FALSE(BASS_SetDevice(99));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_GetDevice(), 0u);
    EXPECT_TRUE(BASS_Free());
    EXPECT_TRUE(BASS_SetDevice(1));

    // The settings dialog's choices round-trip; the defaults are among them.
    EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_BUFFER), 500u);
    EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_NET_TIMEOUT), 5000u);
    EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_NET_BUFFER), 5000u);
    for (uint32_t ms : {500u, 1000u, 2000u, 3000u}) {
        BASS_SetConfig(BASS_CONFIG_BUFFER, ms);
        EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_BUFFER), ms);
    }
    for (uint32_t ms : {5000u, 10000u, 15000u, 20000u}) {
        BASS_SetConfig(BASS_CONFIG_NET_BUFFER, ms);
        EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_NET_BUFFER), ms);
        BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, ms);
        EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_NET_TIMEOUT), ms);
    }
    BASS_SetConfig(BASS_CONFIG_BUFFER, 500);
    EXPECT_EQ(BASS_GetConfig(77), 0xFFFFFFFFu);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllParam);

    EXPECT_TRUE(BASS_SetVolume(40));
    EXPECT_EQ(BASS_GetVolume(), 40u);
    EXPECT_FALSE(BASS_SetVolume(101));
    EXPECT_EQ(BASS_GetVolume(), 40u);
    BASS_SetVolume(100);
}

TEST_F(EngineTest, EveryCallFailsCleanlyWithoutADevice) {
    BASS_Free();
    EXPECT_EQ(BASS_StreamCreateFile(false, oneSecond.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorInit);
    EXPECT_EQ(BASS_GetDevice(), 0xFFFFFFFFu);
    EXPECT_FALSE(BASS_SetVolume(50));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorInit);
    EXPECT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
}

// A caller's procedure as the source: no data yet means stalled, not ended.
struct Feed {
    std::atomic<int> mode{0};  // 0 nothing yet, 1 data, 2 data and end
};

uint32_t feedProc(uint32_t, void* buffer, uint32_t length, void* user) {
    auto* feed = static_cast<Feed*>(user);
    if (feed->mode == 0) return 0;
    std::memset(buffer, 0x11, length);
    return feed->mode == 2 ? (length | 0x80000000u) : length;
}

TEST_F(EngineTest, UserStreamStallsUntilItsProcedureDelivers) {
    Feed feed;
    const uint32_t h = BASS_StreamCreate(44100, 0, feedProc, &feed);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(BASS_StreamPlay(h, false, 0));
    ASSERT_TRUE(advanceVirtualClock(50));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STALLED);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    feed.mode = 1;
    ASSERT_TRUE(advanceVirtualClock(50));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
    EXPECT_GT(BASS_ChannelGetPosition(h), 0u);
    feed.mode = 2;
    ASSERT_TRUE(advanceVirtualClock(1500));  // the ring drains, then the stream ends
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, DecodingUserStreamWaitsForDataAndEndsOnTheEndFlag) {
    Feed feed;
    const uint32_t h = BASS_StreamCreate(22050, BASS_STREAM_DECODE | BASS_SAMPLE_MONO, feedProc, &feed);
    ASSERT_NE(h, 0u);
    std::vector<uint8_t> buffer(1000);
    EXPECT_EQ(BASS_ChannelGetData(h, buffer.data(), 1000), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
    feed.mode = 2;
    EXPECT_EQ(BASS_ChannelGetData(h, buffer.data(), 1000), 1000u);
    EXPECT_EQ(buffer[999], 0x11);
    // Like a file that ends on a full buffer: the next call finds the end.
    EXPECT_EQ(BASS_ChannelGetData(h, buffer.data(), 1000), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(EngineTest, LastErrorBelongsToTheCallingThread) {
    EXPECT_EQ(BASS_StreamCreateFile(false, "/no/such/file.wav", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);
    int32_t other = -2;
    std::thread([&] {
        BASS_ChannelStop(0);
        other = BASS_ErrorGetCode();
    }).join();
    EXPECT_EQ(other, kErrorHandle);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);
}

}  // namespace
