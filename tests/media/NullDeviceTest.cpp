// The "No sound" device on the real clock: with the decode worker, the sink's thread and
// the notification thread all running, a channel plays, ends, notifies once and frees itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "TestAudio.h"
#include "media/Bass.h"
#include "media/ErrorCode.h"
#include "media/VirtualClock.h"

using namespace media;

namespace {

void countSync(uint32_t, uint32_t, uint32_t, void* user) {
    ++*static_cast<std::atomic<int>*>(user);
}

TEST(NullDevice, DefaultDeviceFallsBackToTheSinkAndPlaysInRealTime) {
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(advanceVirtualClock(10));  // not the virtual clock here
    const std::string path = test::makeTone("real.wav", 0.4);
    std::atomic<int> ends{0};
    const uint32_t h = BASS_StreamCreateFile(false, path.c_str(), 0, 0, BASS_STREAM_AUTOFREE);
    ASSERT_NE(h, 0u);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends), 0u);
    ASSERT_TRUE(BASS_StreamPlay(h, false, 0));
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const uint64_t pos = BASS_ChannelGetPosition(h);
    EXPECT_GT(pos, 0u);
    EXPECT_LT(pos, 44100u * 4 * 4 / 10);
    while (ends == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(ends, 1);
    // Paced by the clock: not before the 0.4 s of sound could have been heard.
    EXPECT_GE(took, std::chrono::milliseconds(390));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(BASS_StreamFree(h));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
    EXPECT_TRUE(BASS_Free());
}

}  // namespace
