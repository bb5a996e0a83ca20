// The "No sound" device on the real clock: with the decode worker, the sink's thread and
// the notification thread all running, a channel plays, ends, notifies once and frees itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

#include "TestAudio.h"
#include "media/Bass.h"
#include "media/ErrorCode.h"
#include "media/VirtualClock.h"

using namespace media;

namespace {

// Before the engine first looks: the forced sink, whatever the machine has.
const bool s_null = (setenv("VANTREL_AUDIO", "null", 1), true);

void countSync(uint32_t, uint32_t, uint32_t, void* user) { ++*static_cast<std::atomic<int>*>(user); }

TEST(NullDevice, DefaultDeviceFallsBackToTheSinkAndPlaysInRealTime) {
    ASSERT_TRUE(s_null);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    BassInfo info{};
    ASSERT_TRUE(BASS_GetInfo(&info));
    EXPECT_EQ(info.flags & kInfoFlagSink, kInfoFlagSink);
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
    // Paced by the clock: the sink mixes a few milliseconds ahead, never the whole file at once.
    EXPECT_GE(took, std::chrono::milliseconds(300));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(BASS_StreamFree(h));
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorHandle);
    // The engine's own threads did the work: a share of one core, never more than all of it.
    const float cpu = BASS_GetCPU();
    EXPECT_GE(cpu, 0.0f);
    EXPECT_LT(cpu, 100.0f);
    EXPECT_TRUE(BASS_Free());
}

// Two callers open, play, seek, slide, pause and free channels while the mixer, the
// decode worker and the notification thread run; handles stay unique and every call on a
// freed channel fails cleanly. (Most useful under the sanitizers.)
TEST(NullDevice, ConcurrentCallersKeepTheEngineConsistent) {
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    const std::string path = test::makeTone("stress.wav", 0.05);
    std::atomic<int> ends{0};
    std::mutex seenMutex;
    std::set<uint32_t> seen;
    bool duplicate = false;
    auto worker = [&](int seed) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
        for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
            const uint32_t flags = (i + seed) % 3 == 0 ? BASS_STREAM_AUTOFREE : BASS_SAMPLE_LOOP;
            const uint32_t h = BASS_StreamCreateFile(false, path.c_str(), 0, 0, flags);
            ASSERT_NE(h, 0u);
            {
                std::lock_guard<std::mutex> lock(seenMutex);
                duplicate |= !seen.insert(h).second;
            }
            BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countSync, &ends);
            BASS_StreamPlay(h, false, flags & BASS_SAMPLE_LOOP);
            BASS_ChannelSlideAttributes(h, 30000, 20, 50, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            BASS_ChannelSetPosition(h, 400);
            BASS_ChannelPause(h);
            BASS_ChannelResume(h);
            if (i % 2) {
                BASS_ChannelStop(h);
                BASS_StreamFree(h);
                EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
            }
        }
    };
    std::thread a(worker, 0), b(worker, 1);
    a.join();
    b.join();
    EXPECT_FALSE(duplicate);
    // Channels that ended by themselves signalled it (allow a loaded machine some time).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ends == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(ends.load(), 0);
    EXPECT_TRUE(BASS_Free());
}

}  // namespace
