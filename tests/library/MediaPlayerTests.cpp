// Video through Qt Multimedia with a file the test writes: the media-player control opens it,
// reports its length, plays it to the end with its events and unloads it; the command
// layer does the same through "open ... alias v" and shows the pictures in a window of the
// form; without a backend the control shows its "not installed" picture and stays inert.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "AviWriter.h"
#include "components/MCIObject.h"
#include "components/VideoBackend.h"
#include "components/WindowsMediaPlayer.h"
#include "media/VideoPlayer.h"
#include "media/mci/Mci.h"
#include "media/mci/MciErrors.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Picture.h"
#include "vcl/WindowHandle.h"
#include "vcl/WindowIds.h"

namespace fs = std::filesystem;
using components::TWindowsMediaPlayer;

namespace {

const bool s_quiet = (setenv("VANTREL_AUDIO", "null", 1), true);

constexpr const char* kNoBackend =
    "no Qt Multimedia backend can play video here (plug-in missing or built without video)";

// 15 frames at 10 a second: 1.5 s.
std::string clip() {
    static const std::string path = [] {
        const fs::path p =
            fs::temp_directory_path() / ("vantrel-clip-" + std::to_string(::getpid()) + ".avi");
        EXPECT_TRUE(test::writeAvi(p.string(), 32, 24, 10, 15));
        return p.string();
    }();
    return path;
}

classes::TMethod logger(std::string& log, const char* word) {
    static int codes[16];
    static int next = 0;
    return classes::TMethod(&codes[next++ % 16], nullptr, [&log, word](std::span<const classes::EventArg>) {
        log += std::string(word) + " ";
    });
}

// Handles events until `done` or about five seconds passed.
bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    vcl::toolkit::runUntil([&] { return done() || clock.elapsed() > 5000; });
    return done();
}

class Video : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s_quiet);
        components::installVideoBackend();
    }
    void TearDown() override {
        media::mci::closeAll();
        media::setVideoBackend(nullptr);
    }
};

TEST_F(Video, MediaPlayerOpensPlaysAndClosesAFile) {
    TWindowsMediaPlayer player(nullptr);
    if (!player.hasPlayer()) GTEST_SKIP() << kNoBackend;
    player.handle();  // the pictures go into the control's own window
    std::string log;
    player.onPlay = logger(log, "play");
    player.onPaused = logger(log, "paused");
    player.onStopped = logger(log, "stopped");
    player.onClosed = logger(log, "closed");
    player.onMpError = logger(log, "error");
    EXPECT_TRUE(player.flag(TWindowsMediaPlayer::AutoStart));
    player.setFlag(TWindowsMediaPlayer::AutoStart, false);
    player.setFullScreen(false);
    EXPECT_EQ(player.displaySize(), 4);

    player.open(clip());
    ASSERT_FALSE(player.hasError()) << player.errorDescription();
    if (player.duration() <= 0) GTEST_SKIP() << kNoBackend;
    EXPECT_NEAR(player.duration(), 1.5, 0.05);
    EXPECT_EQ(player.currentFile(), clip());
    EXPECT_TRUE(player.canSeek());
    EXPECT_EQ(log, "");

    // A click on the pictures plays and pauses (ClickToPlay is on by default).
    player.onClick = logger(log, "click");
    player.click();
    EXPECT_TRUE(waitFor([&] { return player.currentPosition() > 0.2; }));
    player.click();
    EXPECT_EQ(log, "play click paused click ");
    player.onClick = {};
    log = "play paused ";
    player.setCurrentPosition(1.2);
    player.play();
    EXPECT_TRUE(waitFor([&] { return log.find("stopped") != std::string::npos; })) << log;
    EXPECT_EQ(log, "play paused play stopped ");
    EXPECT_NEAR(player.currentPosition(), 1.5, 0.1);

    player.close();
    EXPECT_EQ(log, "play paused play stopped closed ");
    EXPECT_EQ(player.currentFile(), "");
    EXPECT_EQ(player.duration(), 0.0);

    // A file that is not a medium: an error the script can read, nothing loaded.
    const fs::path junk = fs::temp_directory_path() / ("vantrel-junk-" + std::to_string(::getpid()) + ".avi");
    { std::ofstream(junk) << "not a video at all"; }
    player.open(junk.string());
    EXPECT_TRUE(player.hasError());
    EXPECT_NE(player.errorDescription(), "");
    EXPECT_EQ(player.currentFile(), "");
    EXPECT_NE(log.find("error"), std::string::npos);
    fs::remove(junk);
}

TEST_F(Video, CommandLayerOpensAVideoWithItsLength) {
    std::string result;
    const int code = media::mci::sendString("open \"" + clip() + "\" alias v", result);
    if (code == media::mci::kMciDeviceNotInstalled) GTEST_SKIP() << kNoBackend;
    ASSERT_EQ(code, 0) << media::mci::errorText(code);
    auto ask = [](const std::string& command) {
        std::string answer;
        const int c = media::mci::sendString(command, answer);
        EXPECT_EQ(c, 0) << command << ": " << media::mci::errorText(c);
        return answer;
    };
    EXPECT_EQ(ask("status v length"), "1500");
    EXPECT_EQ(ask("capability v device type"), "avivideo");
    EXPECT_EQ(ask("capability v has video"), "true");
    EXPECT_EQ(ask("status v mode"), "stopped");

    // A window freed under the pictures takes them along; the device plays on.
    {
        vcl::TPanel gone(nullptr);
        ask("window v handle " + std::to_string(vcl::windowId(&gone)));
        ask("play v from 0 to 200");
    }
    ask("play v from 200 to 300 wait");
    EXPECT_EQ(ask("status v position"), "300");

    // The pictures in a panel of the form rather than a window of the device's own.
    vcl::TPanel panel(nullptr);
    panel.setBounds(0, 0, 64, 48);
    const int32_t id = vcl::windowId(&panel);
    ask("window v handle " + std::to_string(id));
    EXPECT_EQ(ask("status v window handle"), std::to_string(id));

    // A range ends where it should; "wait" returns once it has.
    ask("play v from 0 to 500 wait");
    EXPECT_EQ(ask("status v mode"), "stopped");
    EXPECT_EQ(ask("status v position"), "500");
    // The frame at 500 ms fills the panel the right way up: green grows across, red upwards
    // (the file's rows run bottom up), and blue is the frame's number times 16.
    vcl::toolkit::processMessages();
    const pictures::Image shot = panel.grab();
    ASSERT_EQ(shot.width, 64);
    auto green = [&](int x, int y) { return static_cast<int>((shot.pixel(x, y) >> 8) & 0xFF); };
    auto red = [&](int x, int y) { return static_cast<int>((shot.pixel(x, y) >> 16) & 0xFF); };
    EXPECT_GT(green(60, 24), green(4, 24) + 150);
    EXPECT_GT(red(32, 2), red(32, 45) + 150);
    EXPECT_NEAR(static_cast<int>(shot.pixel(32, 24) & 0xFF), 5 * 16, 2);
    ask("play v from 1200 wait");
    EXPECT_NEAR(std::stoi(ask("status v position")), 1500, 100);
    ask("close v");
    EXPECT_EQ(media::mci::sendString("status v length", result), media::mci::kMciInvalidDeviceName);
}

TEST_F(Video, MciPanelShowsAVideoInItself) {
    components::TMCIObject panel(nullptr);
    panel.setFileName(clip());
    panel.open();
    if (!panel.canPlay()) GTEST_SKIP() << kNoBackend;
    EXPECT_EQ(panel.length(), 1500);
    EXPECT_EQ(panel.mode(), components::mpStopped);
    panel.setPosition(700);
    EXPECT_EQ(panel.position(), 700);
    panel.close();
    EXPECT_EQ(panel.length(), 0);
}

TEST_F(Video, WithoutABackendThePlayerIsNotInstalled) {
    media::setVideoBackend(nullptr);
    TWindowsMediaPlayer player(nullptr);
    EXPECT_FALSE(player.hasPlayer());
    EXPECT_EQ(player.width(), 320);
    EXPECT_EQ(player.height(), 220);
    vcl::TImage* picture = player.fallbackPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->center());
    EXPECT_EQ(picture->align(), vcl::alClient);
    EXPECT_FALSE(picture->picture()->empty());
    // Inert members: neutral reads, writes and methods that do nothing.
    player.open(clip());
    EXPECT_EQ(player.currentFile(), "");
    EXPECT_EQ(player.duration(), 0.0);
    EXPECT_FALSE(player.hasError());
    EXPECT_FALSE(player.flag(TWindowsMediaPlayer::AutoStart));
    player.setFullScreen(false);
    EXPECT_EQ(player.displaySize(), 0);
    player.setMute(true);
    EXPECT_FALSE(player.mute());
    EXPECT_EQ(player.currentPosition(), 0.0);

    std::string result;
    EXPECT_EQ(media::mci::sendString("open \"" + clip() + "\" alias v", result),
              media::mci::kMciDeviceNotInstalled);
}

}  // namespace
