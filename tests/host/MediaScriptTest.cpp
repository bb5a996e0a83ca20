// A script driving the media-player control and a video device through their registered
// declarations, on a video file the test writes; and the same script compiling against the
// control's "not installed" form.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "AviWriter.h"
#include "HostTestSupport.h"
#include "components/VideoBackend.h"
#include "components/WindowsMediaPlayer.h"
#include "media/VideoPlayer.h"
#include "media/mci/Mci.h"
#include "vcl/StdCtrls.h"

namespace {

namespace fs = std::filesystem;
using host_test::compileError;
using host_test::importer;

const bool s_quiet = (setenv("VANTREL_AUDIO", "null", 1), true);

struct Stage {
    std::unique_ptr<vcl::TAutorunForm> form = std::make_unique<vcl::TAutorunForm>(nullptr);
    vcl::TLabel* label = new vcl::TLabel(form.get());
    components::TWindowsMediaPlayer* player = nullptr;
    Stage() {
        form->setName("Form1");
        label->setName("Label1");
        label->setParent(form.get());
        player = new components::TWindowsMediaPlayer(form.get());
        player->setName("MediaPlayer1");
        player->setParent(form.get());
    }
};

std::string script(const std::string& clip) {
    return "var Log, Msg: string; Code: Integer; D: IDispatch;\n"
           "procedure Closed(Sender: TObject); begin Log := Log + 'closed;'; end;\n"
           "begin\n"
           "  MediaPlayer1.AutoStart := False;\n"
           "  MediaPlayer1.OnClosed := @Closed;\n"
           "  MediaPlayer1.FullScreen := False;\n"
           "  MediaPlayer1.Open('" +
           clip +
           "');\n"
           "  Log := IntToStr(Round(MediaPlayer1.Duration * 1000)) + ';' + MediaPlayer1.GetCurrentFile + "
           "';';\n"
           "  if MediaPlayer1.CanSeek then Log := Log + 'seek;';\n"
           "  MediaPlayer1.CurrentPosition := 0.5;\n"
           "  Log := Log + IntToStr(Round(MediaPlayer1.CurrentPosition * 10)) + ';';\n"
           "  D := MediaPlayer1.GetInterface;\n"
           "  if D = nil then Log := Log + 'nil;';\n"
           "  MediaPlayer1.Close;\n"
           "  if SendMCIString('open \"" +
           clip +
           "\" alias clip', Msg, Code) then Log := Log + 'mci;';\n"
           "  SendMCIString('close clip', Msg, Code);\n"
           "  Label1.Caption := Log;\n"
           "end.";
}

class MediaScripts : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s_quiet);
        m_clip =
            (fs::temp_directory_path() / ("vantrel-script-" + std::to_string(::getpid()) + ".avi")).string();
        ASSERT_TRUE(test::writeAvi(m_clip, 16, 16, 10, 10));
    }
    void TearDown() override {
        media::mci::closeAll();
        media::setVideoBackend(nullptr);
        fs::remove(m_clip);
    }
    std::string m_clip;
};

TEST_F(MediaScripts, ScriptPlaysThroughTheControlAndTheCommandLayer) {
    components::installVideoBackend();
    Stage s;
    if (!s.player->hasPlayer()) GTEST_SKIP() << "no Qt Multimedia backend can play video here";
    const std::string source = script(m_clip);
    host::ScriptHost scriptHost(s.form.get(), importer());
    host::Compiled compiled = scriptHost.compile(source);
    ASSERT_TRUE(compiled.ok) << compileError(s.form.get(), source);
    EXPECT_EQ(scriptHost.run(compiled), host::RunOutcome::Finished);
    EXPECT_EQ(s.label->caption(), "1000;" + m_clip + ";seek;5;nil;closed;mci;");
    EXPECT_EQ(s.player->displaySize(), 4);
}

TEST_F(MediaScripts, NotInstalledControlRunsTheSameScriptInertly) {
    Stage s;
    ASSERT_FALSE(s.player->hasPlayer());
    const std::string source = script(m_clip);
    host::ScriptHost scriptHost(s.form.get(), importer());
    host::Compiled compiled = scriptHost.compile(source);
    ASSERT_TRUE(compiled.ok) << compileError(s.form.get(), source);
    EXPECT_EQ(scriptHost.run(compiled), host::RunOutcome::Finished);
    EXPECT_EQ(s.label->caption(), "0;;0;nil;");
}

}  // namespace
