// PlaySound, sndPlaySound and mciSendString as scripts declare them from winmm.dll: WAV files
// played through the music routines on the engine's hand-driven clock, one sound at a time.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "MusicTestSupport.h"
#include "TestAudio.h"
#include "library/Music.h"
#include "library/WinApi.h"
#include "media/mci/Mci.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace {

class MusicWinApiTest : public music_test::MusicFixture {
protected:
    void SetUp() override {
        MusicFixture::SetUp();
        m_dir = fs::temp_directory_path() / ("vantrel-playsound-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        media::test::writeWav((m_dir / "chime.wav").string(), 22050, 1,
                              std::vector<int16_t>(22050 / 2, 1000));
        m_table.routine("function SoundChannel: Integer;", [] { return library::systemSoundChannel(); });
    }
    void TearDown() override {
        fs::remove_all(m_dir);
        MusicFixture::TearDown();
    }
    std::string play(const std::string& body) {
        ScriptSession& s = session();
        s.tables.push_back(&m_table);
        s.log.clear();
        const std::string source =
            "function PlaySound(pszSound: PChar; hmod: Integer; fdwSound: DWORD): LongBool; "
            "external 'PlaySoundA@winmm.dll stdcall';\n"
            "function sndPlaySound(lpszSoundName: PChar; uFlags: Cardinal): LongBool; "
            "external 'sndPlaySoundA@winmm stdcall';\n"
            "function mciSendString(lpstrCommand, lpstrReturnString: PChar; uReturnLength: Cardinal; "
            "hWndCallback: Integer): Cardinal; external 'mciSendStringA@winmm.dll stdcall';\n"
            "const SND_ASYNC = 1; SND_NODEFAULT = 2; SND_LOOP = 8; SND_FILENAME = $20000;\n" +
            body;
        if (!s.compile(source)) return "compile: " + s.compileError;
        s.exec = std::make_unique<script::Executor>();
        for (const script::Imports* t : s.tables) s.exec->addImports(*t);
        library::bindSystemLibraries(*s.exec);
        if (!s.exec->load(s.chunk)) return "load: " + s.exec->lastError().text;
        if (!s.exec->run()) return "run: " + s.exec->lastError().text;
        return s.log;
    }
    std::string wav() const { return platform::windowsPath(m_dir / "chime.wav"); }

    fs::path m_dir;
    script::Imports m_table;
};

TEST_F(MusicWinApiTest, AWaveFilePlaysThroughTheMusicRoutinesOneSoundAtATime) {
    EXPECT_EQ(play("var first: Integer;\nbegin\n"
                   "  if PlaySound('" +
                   wav() +
                   "', 0, SND_ASYNC or SND_FILENAME) then Log(IntToStr(MusicStatus(SoundChannel)));\n"
                   "  first := SoundChannel;\n"
                   "  Advance(200);\n"
                   "  Log(IntToStr(MusicStatus(SoundChannel)));\n"
                   "  sndPlaySound('" +
                   wav() +
                   "', SND_ASYNC or SND_LOOP);\n"
                   "  Log(IntToStr(MusicStatus(first)) + ' ' + IntToStr(Ord(SoundChannel <> first)));\n"
                   "  Advance(1200);\n"
                   "  Log(IntToStr(MusicStatus(SoundChannel)));\n"
                   "  PlaySound('', 0, 0);\n"
                   "  Log(IntToStr(SoundChannel));\n"
                   "  if not PlaySound('C:\\none.wav', 0, SND_ASYNC or SND_NODEFAULT) then Log('missing');\n"
                   "end."),
              // Playing, still playing after 200 ms of its 500, replaced (the first stopped), looping
              // past its end, stopped by a nil sound, and a missing file refused.
              "2\n2\n1 1\n2\n0\nmissing\n");
    EXPECT_EQ(library::systemSoundChannel(), 0);
    // The same file through the music routine ends when its length has played.
    const int32_t h = library::playMusic(wav());
    ASSERT_NE(h, 0);
    advance(600);
    EXPECT_EQ(library::musicStatus(h), 1);
}

// mciSendString reaches the player's own command interpreter: a Windows path through the
// drive table, the answer cut to the buffer, and the device closed with the run's resources.
TEST_F(MusicWinApiTest, MciCommandsReachTheDeviceLayer) {
    EXPECT_EQ(play("var r: string; e: Cardinal;\nbegin\n"
                   "  r := StringOfChar(' ', 32);\n"
                   "  e := mciSendString('open \"" +
                   wav() +
                   "\" type waveaudio alias chime', r, 32, 0);\n"
                   "  Log(IntToStr(e));\n"
                   "  r := StringOfChar(' ', 32);\n"
                   "  mciSendString('status chime length', r, 32, 0);\n"
                   "  Log(Copy(r, 1, Pos(#0, r) - 1));\n"
                   "  r := StringOfChar('.', 3);\n"
                   "  mciSendString('status chime length', r, 3, 0);\n"
                   "  Log(IntToStr(Ord(r[1])) + ' ' + IntToStr(Ord(r[3])));\n"
                   "  Log(IntToStr(mciSendString('status nosuch mode', r, 3, 0)));\n"
                   "end."),
              // Opened, half a second long, a three-byte buffer holding "50" and its end, and
              // an unknown alias refused with MCIERR_INVALID_DEVICE_NAME.
              "0\n500\n53 0\n263\n");
    EXPECT_NE(media::mci::deviceId("chime"), 0);
    library::releaseSystemResources();
    EXPECT_EQ(media::mci::deviceId("chime"), 0);
}

}  // namespace
