// SendMCIString from a script: placeholders and Windows paths in the command, the answer or
// the error text in ResultMsg, the error number in ResultCode.
#include <cstdlib>

#include "MusicTestSupport.h"
#include "TestAudio.h"
#include "library/IFSI_Mci.h"
#include "library/MciCommands.h"
#include "media/mci/Mci.h"
#include "media/mci/MciErrors.h"

namespace t = media::test;

namespace music_test {
namespace {

class MciScriptTest : public MusicFixture {
protected:
    void TearDown() override {
        media::mci::closeAll();
        MusicFixture::TearDown();
    }
};

TEST_F(MciScriptTest, ScriptOpensPlaysAndAsksThroughWindowsPaths) {
    const std::string wav = win(t::makeTone("mci script.wav", 1.25));
    session().tables.push_back(&library::mciImports());
    const std::string log = run(R"(
var msg: string; code: integer;
procedure Send(const c: string);
begin
  if SendMCIString(c, msg, code) then Log('ok ' + msg) else Log('err ' + IntToStr(code) + ' ' + msg);
end;
begin
  Send('open "' + ')" + wav + R"(' + '" type waveaudio alias tune');
  Send('status tune length');
  Send('play tune from 250');
  Advance(500);
  Send('status tune mode');
  Send('pause tune');
  Send('status tune mode');
  Send('close tune');
  Send('status tune mode');
end.
)");
    const std::string badName = media::mci::errorText(media::mci::kMciInvalidDeviceName);
    EXPECT_EQ(log, "ok 1\nok 1250\nok " + media::mci::errorText(0) + "\nok playing\nok " +
                       media::mci::errorText(0) + "\nok paused\nok " + media::mci::errorText(0) +
                       "\nerr 263 " + badName + "\n");
}

TEST_F(MciScriptTest, PlaceholdersInTheCommandAreExpanded) {
    std::string msg;
    int32_t code = -1;
    // "%n" is a line break: the device name ends at it and the rest is an unknown word.
    EXPECT_FALSE(library::SendMCIString("status%ncdx mode", msg, code));
    EXPECT_EQ(code, media::mci::kMciInvalidDeviceName);
    EXPECT_EQ(msg, media::mci::errorText(code));
    EXPECT_FALSE(library::SendMCIString("", msg, code));
    EXPECT_EQ(code, media::mci::kMciMissingCommandString);
}

}  // namespace
}  // namespace music_test
