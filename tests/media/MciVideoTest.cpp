// Video devices of the command interpreter over a hand-driven stand-in for the toolkit's
// player: which files and types open as video, positions and ranges in milliseconds,
// stop keeping its place, the window commands, and "not installed" without a backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "MciAsk.h"
#include "TestAudio.h"
#include "media/VideoPlayer.h"
#include "media/mci/Mci.h"
#include "media/mci/MciErrors.h"

using namespace media;

namespace {

using test::ask;
using test::codeOf;

constexpr int64_t kClipMs = 4000;
constexpr int32_t kKnownWindow = 0x10004;

// Plays a clip of kClipMs whenever the file exists; time moves only through advance().
class FakePlayer final : public VideoPlayer {
public:
    bool load(const std::string& path) override {
        if (!std::filesystem::exists(path) || path.find("broken") != std::string::npos) return false;
        m_file = path;
        return true;
    }
    void unload() override { m_file.clear(); }
    const std::string& fileName() const override { return m_file; }
    void play(int64_t untilMs) override {
        m_until = untilMs;
        m_state = State::Playing;
    }
    void pause() override { m_state = State::Paused; }
    void stop() override { m_state = State::Stopped; }
    State state() const override { return m_state; }
    int64_t lengthMs() const override { return kClipMs; }
    int64_t positionMs() const override { return m_pos; }
    void seek(int64_t ms) override { m_pos = ms; }
    bool seekable() const override { return true; }
    bool hasVideo() const override { return true; }
    bool hasAudio() const override { return false; }
    int volume() const override { return m_volume; }
    void setVolume(int v) override { m_volume = v; }
    bool muted() const override { return m_muted; }
    void setMuted(bool m) override { m_muted = m; }
    std::string errorText() const override { return {}; }
    bool setWindow(int32_t id) override {
        if (id != kOwnWindow && id != kNoWindow && id != kKnownWindow) return false;
        m_window = id;
        return true;
    }
    int32_t window() const override { return m_window; }
    void showWindow(bool show) override { shown = show; }
    void setWindowText(const std::string& text) override { title = text; }
    void setFullScreen(bool) override {}

    void advance(int64_t ms) {
        if (m_state != State::Playing) return;
        const int64_t end = m_until >= 0 ? m_until : kClipMs;
        m_pos = std::min(m_pos + ms, end);
        if (m_pos == end) m_state = State::Stopped;
    }

    bool shown = true;
    std::string title;

private:
    std::string m_file;
    State m_state = State::Stopped;
    int64_t m_pos = 0;
    int64_t m_until = -1;
    int32_t m_window = kNoWindow;
    int m_volume = 100;
    bool m_muted = false;
};

class FakeBackend final : public VideoBackend {
public:
    std::unique_ptr<VideoPlayer> create() override {
        auto p = std::make_unique<FakePlayer>();
        last = p.get();
        return p;
    }
    void idle(int) override {
        if (last) last->advance(100);
    }
    FakePlayer* last = nullptr;
};

class MciVideo : public testing::Test {
protected:
    void SetUp() override { setVideoBackend(&m_backend); }
    void TearDown() override {
        mci::closeAll();
        setVideoBackend(nullptr);
    }
    std::string clip(const std::string& name) {
        const std::string path = test::scratchPath(name);
        test::writeFile(path, std::vector<uint8_t>(16, 0));
        return path;
    }
    FakeBackend m_backend;
};

TEST_F(MciVideo, VideoFilesOpenByTypeOrExtension) {
    ask("open \"" + clip("a.avi") + "\" alias v");
    EXPECT_EQ(ask("capability v device type"), "avivideo");
    EXPECT_EQ(ask("capability v has video"), "true");
    EXPECT_EQ(ask("capability v has audio"), "false");
    EXPECT_EQ(ask("status v length"), "4000");
    EXPECT_EQ(ask("status v mode"), "stopped");
    EXPECT_EQ(ask("status v time format"), "milliseconds");
    // Pictures go to a window of the device's own until told otherwise.
    EXPECT_EQ(m_backend.last->window(), VideoPlayer::kOwnWindow);

    ask("open \"" + clip("b.mp4") + "\" alias m");
    EXPECT_EQ(ask("capability m device type"), "mpegvideo");
    ask("open \"" + clip("c.bin") + "\" type digitalvideo alias d");
    EXPECT_EQ(ask("capability d device type"), "digitalvideo");

    EXPECT_EQ(codeOf("open \"" + test::scratchPath("missing.avi") + "\""), mci::kMciFileNotFound);
    EXPECT_EQ(codeOf("open \"" + clip("broken.avi") + "\""), mci::kMciInvalidFile);
    EXPECT_EQ(codeOf("open \"" + clip("x.vcr") + "\" type vcr"), mci::kMciDeviceNotInstalled);
    EXPECT_EQ(codeOf("set v time format bytes"), mci::kMciBadTimeFormat);
}

TEST_F(MciVideo, PlaysRangesPausesAndStopsInPlace) {
    ask("open \"" + clip("r.avi") + "\" alias v");
    FakePlayer& p = *m_backend.last;
    ask("play v from 500 to 1500");
    EXPECT_EQ(ask("status v mode"), "playing");
    EXPECT_EQ(ask("status v position"), "500");
    p.advance(300);
    ask("pause v");
    EXPECT_EQ(ask("status v mode"), "paused");
    p.advance(300);
    EXPECT_EQ(ask("status v position"), "800");
    // Resuming keeps the range's end.
    ask("resume v");
    p.advance(5000);
    EXPECT_EQ(ask("status v position"), "1500");
    EXPECT_EQ(ask("status v mode"), "stopped");

    ask("play v");
    p.advance(200);
    ask("stop v");
    EXPECT_EQ(ask("status v position"), "1700");
    ask("seek v to 3000");
    EXPECT_EQ(ask("status v position"), "3000");
    EXPECT_EQ(ask("status v mode"), "stopped");
    ask("seek v to start");
    EXPECT_EQ(ask("status v position"), "0");
    EXPECT_EQ(codeOf("seek v to 4001"), mci::kMciOutOfRange);
    EXPECT_EQ(codeOf("play v from 3000 to 2000"), mci::kMciOutOfRange);

    // "wait" lets the player's events run until the play ends.
    ask("play v from 3500 wait");
    EXPECT_EQ(ask("status v position"), "4000");
    EXPECT_EQ(ask("status v mode"), "stopped");
}

TEST_F(MciVideo, WindowAndAudioCommands) {
    ask("open \"" + clip("w.avi") + "\" alias v");
    FakePlayer& p = *m_backend.last;
    ask("window v handle " + std::to_string(kKnownWindow));
    EXPECT_EQ(ask("status v window handle"), std::to_string(kKnownWindow));
    EXPECT_EQ(codeOf("window v handle 12345"), mci::kMciBadInteger);
    EXPECT_EQ(ask("status v window handle"), std::to_string(kKnownWindow));
    ask("window v handle default");
    EXPECT_EQ(p.window(), VideoPlayer::kOwnWindow);
    ask("window v state hide");
    EXPECT_FALSE(p.shown);
    ask("window v text \"Intro Clip\"");
    EXPECT_EQ(p.title, "Intro Clip");
    EXPECT_EQ(codeOf("window v state sideways"), mci::kMciBadConstant);
    EXPECT_EQ(codeOf("window v"), mci::kMciMissingParameter);

    ask("setaudio v volume to 250");
    EXPECT_EQ(p.volume(), 25);
    EXPECT_EQ(ask("status v volume"), "250");
    EXPECT_EQ(codeOf("setaudio v volume to 1001"), mci::kMciOutOfRange);
    ask("setaudio v off");
    EXPECT_TRUE(p.muted());

    // The audio devices have no window.
    ask("open \"" + test::makeTone("w.wav", 0.2) + "\" alias snd");
    EXPECT_EQ(codeOf("window snd state show"), mci::kMciUnsupportedFunction);
    EXPECT_EQ(ask("capability snd has video"), "false");
}

TEST_F(MciVideo, WithoutABackendVideoIsNotInstalled) {
    setVideoBackend(nullptr);
    EXPECT_EQ(codeOf("open \"" + clip("n.avi") + "\" alias v"), mci::kMciDeviceNotInstalled);
    EXPECT_EQ(codeOf("open \"" + clip("n.mpg") + "\" type mpegvideo alias v"), mci::kMciDeviceNotInstalled);
}

}  // namespace
