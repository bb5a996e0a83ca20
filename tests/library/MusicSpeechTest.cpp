// The TTS_ routines from a script: engines, selection with its information, speech into a
// WAV file with the word position at its end, and the tags the setters inject.
#include "MusicTestSupport.h"
#include "TestAudio.h"
#include "library/IFSI_Speech.h"
#include "library/Speech.h"
#include "media/speech/Speaker.h"
#include "script/Imports.h"

namespace t = media::test;

namespace music_test {
namespace {

const script::Imports& waitRoutine() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("procedure WaitSpeech;", [] { media::speech::Speaker::instance().waitSynthesised(); });
        return m;
    }();
    return table;
}

class SpeechScriptTest : public MusicFixture {
protected:
    void SetUp() override {
        MusicFixture::SetUp();
        if (!media::speech::Speaker::instance().available()) GTEST_SKIP() << "espeak-ng has no voices here";
        session().tables.push_back(&library::speechImports());
        session().tables.push_back(&waitRoutine());
    }
    void TearDown() override {
        library::TTS_Stop();
        library::TTS_SetOutput("");
        MusicFixture::TearDown();
    }
};

TEST_F(SpeechScriptTest, ScriptSpeaksIntoAWavFileWithInformationAndPosition) {
    const std::string wav = t::scratchPath("script speech.wav");
    const std::string log = run(R"(
var list: TStrings; i, found: integer; info: TMSpeechEngineInfo; text: string;
begin
  if TTS_CheckInstallation then Log('installed');
  list := TTS_GetEngines;
  found := -1;
  for i := 0 to list.Count - 1 do
    if (found < 0) and (Pos('English', list[i]) = 1) then found := i;
  TTS_SetOutput(')" + win(wav) + R"(');
  TTS_SelectEngine(list[found]);
  info := TTS_SelectedEngineInfo;
  if info.Name = list[found] then Log('selected');
  if (info.Gender = 'MALE') or (info.Gender = 'FEMALE') or (info.Gender = 'NEUTRAL') then Log('gender');
  Log(IntToStr(info.MinSpeed) + '..' + IntToStr(info.MaxSpeed) + ' ' + IntToStr(info.MaxVolume));
  list.Free;
  text := 'Good morning, dear listener.';
  TTS_Speak(text);
  WaitSpeech;
  Log(IntToStr(TTS_GetPosition) + ' ' + IntToStr(Pos('listener', text) - 1));
  TTS_SetVolume(50);
  Log(IntToStr(TTS_GetVolume));
  TTS_SetPitch(-1);
  Log(IntToStr(TTS_GetPitch));
  TTS_SetSpeed(220);
  Log(IntToStr(TTS_GetSpeed));
  TTS_Pause;
  if TTS_Paused then Log('paused');
  TTS_Resume;
  if not TTS_Paused then Log('resumed');
end.
)");
    EXPECT_EQ(log, "installed\nselected\ngender\n80..450 100\n19 19\n49\n65535\n220\npaused\nresumed\n");
    EXPECT_GT(t::wavData(t::readFile(wav)).size(), 22050u);  // over half a second of speech
}

TEST(SpeechTags, VolumeCarriesBothChannelsInOneNumber) {
    EXPECT_EQ(library::volumeTag(50), "\\Vol=2147450879\\");
    EXPECT_EQ(library::volumeTag(100), "\\Vol=4294967295\\");
    EXPECT_EQ(library::volumeTag(0), "\\Vol=0\\");
}

}  // namespace
}  // namespace music_test
