// The MCI panel over the command layer on the hand-driven clock: queries before and after
// Open, a play range, pause and resume, and a file that does not open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestAudio.h"
#include "components/MCIObject.h"
#include "media/Bass.h"
#include "media/VirtualClock.h"
#include "platform/Paths.h"

namespace t = media::test;

namespace {

const bool s_virtual = (setenv("VANTREL_AUDIO", "virtual", 1), true);

TEST(MCIObject, PlaysAFileWithRangesAndReportsErrors) {
    ASSERT_TRUE(s_virtual);
    ASSERT_TRUE(media::BASS_Init(0, 44100, 0, nullptr, nullptr));
    components::TMCIObject mci(nullptr);
    EXPECT_EQ(mci.color(), 0u);
    // Before Open nothing is ready: every query is 0 and no device is touched.
    EXPECT_EQ(mci.position(), 0);
    EXPECT_EQ(mci.mode(), components::mpNotReady);
    EXPECT_EQ(mci.trackLength(0), 0);
    EXPECT_FALSE(mci.canPlay());

    const std::string wav = platform::windowsPath(t::makeTone("panel.wav", 1.0));
    mci.setFileName(wav);
    mci.setDeviceType(components::dtWaveAudio);
    mci.open();
    ASSERT_TRUE(mci.canPlay());
    EXPECT_FALSE(mci.canEject());
    EXPECT_EQ(mci.length(), 1000);
    EXPECT_EQ(mci.tracks(), 1);
    EXPECT_EQ(mci.trackLength(0), 0);
    EXPECT_GT(mci.deviceId(), 0);
    EXPECT_EQ(mci.mode(), components::mpStopped);
    mci.setStartPos(200);
    mci.setEndPos(600);
    mci.play();
    ASSERT_TRUE(media::advanceVirtualClock(100));
    EXPECT_EQ(mci.mode(), components::mpPlaying);
    mci.pause();
    const int held = mci.position();
    ASSERT_TRUE(media::advanceVirtualClock(300));
    EXPECT_EQ(mci.position(), held);
    EXPECT_EQ(mci.mode(), components::mpPaused);
    mci.resume();
    ASSERT_TRUE(media::advanceVirtualClock(600));
    EXPECT_EQ(mci.position(), 600);  // the range ended at EndPos
    EXPECT_EQ(mci.mode(), components::mpStopped);
    mci.setPosition(100);
    EXPECT_EQ(mci.position(), 100);
    mci.close();
    EXPECT_EQ(mci.position(), 0);

    // A missing file: the panel stays closed (the text goes to OnError when assigned).
    mci.setFileName("C:\\no\\such\\file.wav");
    mci.open();
    EXPECT_FALSE(mci.canPlay());
    media::BASS_Free();
}

}  // namespace
