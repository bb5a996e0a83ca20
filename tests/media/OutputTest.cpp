// Device 1 through SDL2: SDL's dummy driver stands in for a sound card, and an unusable
// driver shows the fallback to the "No sound" sink. Either way channels play in real time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "TestAudio.h"
#include "media/Bass.h"

using namespace media;

namespace {

// Before the engine first looks: real outputs, not the forced sink.
const bool s_devices = (unsetenv("VANTREL_AUDIO"), true);

void countSync(uint32_t, uint32_t, uint32_t, void* user) { ++*static_cast<std::atomic<int>*>(user); }

// Plays a short tone on the current device and waits for its end; returns the end count.
int playToEnd() {
    const std::string path = test::makeTone("output.wav", 0.3);
    std::atomic<int> ends{0};
    const uint32_t h = BASS_StreamCreateFile(false, path.c_str(), 0, 0, BASS_STREAM_AUTOFREE);
    EXPECT_NE(h, 0u);
    BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends);
    EXPECT_TRUE(BASS_StreamPlay(h, false, 0));
    const auto start = std::chrono::steady_clock::now();
    while (ends == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(200));  // not decoded at once
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    return ends;
}

TEST(Output, SdlDeviceOpensAndPlays) {
    ASSERT_TRUE(s_devices);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    BassInfo info{};
    ASSERT_TRUE(BASS_GetInfo(&info));
    EXPECT_EQ(info.flags & kInfoFlagSink, 0u);
    EXPECT_EQ(playToEnd(), 1);
    EXPECT_TRUE(BASS_Free());
}

TEST(Output, DefaultDeviceFallsBackToTheSinkWithoutOutput) {
    ASSERT_TRUE(s_devices);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    BassInfo info{};
    ASSERT_TRUE(BASS_GetInfo(&info));
    EXPECT_EQ(info.flags & kInfoFlagSink, kInfoFlagSink);
    EXPECT_EQ(playToEnd(), 1);
    EXPECT_TRUE(BASS_Free());
}

}  // namespace
