// The music routines as scripts call them, on the hand-driven clock: opening, states,
// positions, attributes and slides, formats and rounding, the library missing, the search
// for playable files, and the sound settings surviving a restart.
#include <unistd.h>

#include <filesystem>

#include "MusicTestSupport.h"
#include "TestAudio.h"
#include "classes/TStrings.h"
#include "library/Music.h"
#include "media/Bass.h"
#include "platform/Registry.h"

namespace fs = std::filesystem;
namespace t = media::test;
using music_test::MusicFixture;

namespace {

class MusicTest : public MusicFixture {};

TEST_F(MusicTest, ScriptPlaysPausesSlidesAndSeeksWithStatesAndPositions) {
    const std::string wav = win(t::makeTone("three.wav", 3.0));
    const std::string log = run(R"(
var h: integer; v: cardinal; p: integer; r: cardinal;
begin
  h := PlayMusic(')" + wav + R"(');
  Log(IntToStr(MusicStatus(h)) + ' ' + GetMusicFormat(h) + ' ' + IntToStr(GetLengthInSeconds(h)));
  Advance(1500);
  Log('at ' + IntToStr(GetPosition(h)));
  PauseMusic(h);
  Log('paused ' + IntToStr(MusicStatus(h)));
  Advance(1000);
  Log('still ' + IntToStr(GetPosition(h)));
  PauseMusic(h);
  Log('resumed ' + IntToStr(MusicStatus(h)));
  if MusicSlideAttributes(h, -1, 0, -101, 1000) then Log('sliding');
  Advance(500);
  GetChannelVolume(h, v);
  Log('half ' + IntToStr(v));
  Advance(500);
  GetChannelVolume(h, v);
  Log('silent ' + IntToStr(v));
  SetPosition(h, 99);
  Log('end ' + IntToStr(GetPosition(h)));
  SetPosition(h, -5);
  Log('start ' + IntToStr(GetPosition(h)));
  SetChannelPanning(h, -40);
  SetChannelSampleRate(h, 22050);
  GetChannelPanning(h, p);
  GetChannelSampleRate(h, r);
  Log('pan ' + IntToStr(p) + ' rate ' + IntToStr(r));
  if not IsMono(h) then Log('stereo');
  StopMusic(h);
  Log('stopped ' + IntToStr(MusicStatus(h)));
  r := 7;
  if not GetChannelSampleRate(h, r) then Log('gone ' + IntToStr(r) + ' ' + IntToStr(GetLastBassError));
end.
)");
    EXPECT_EQ(log,
              "2 WAV 3\nat 2\npaused 3\nstill 2\nresumed 2\nsliding\nhalf 50\nsilent 0\nend 3\nstart 0\n"
              "pan -40 rate 22050\nstereo\nstopped 1\ngone 7 5\n");
}

TEST_F(MusicTest, PlayMusicFreesItselfAtTheEndWhileTheLoopKeepsPlaying) {
    const std::string wav = win(t::makeTone("one.wav", 1.0));
    const std::string log = run(R"(
var once, loop, ex: integer; v: cardinal; p: integer;
begin
  once := PlayMusic(')" + wav + R"(');
  loop := PlayMusicLoop(')" + wav +
                                R"(');
  ex := PlayMusicLoopEx(')" + wav +
                                R"(', 30, 60);
  GetChannelVolume(ex, v);
  GetChannelPanning(ex, p);
  Log('ex ' + IntToStr(v) + ' ' + IntToStr(p));
  Advance(2500);
  Log(IntToStr(MusicStatus(once)) + ' ' + IntToStr(MusicStatus(loop)) + ' ' + IntToStr(GetPosition(loop)));
  if not SetChannelVolume(once, 10) then Log('once is gone');
  StopMusic(loop);
  StopMusic(ex);
  Log(IntToStr(PlayMusic(')" + win(t::scratchPath("missing.wav")) +
                                R"(')));
  Log(IntToStr(PlayMusic('no-such-thing')));
end.
)");
    EXPECT_EQ(log, "ex 30 60\n1 2 1\nonce is gone\n0\n0\n");
}

TEST_F(MusicTest, PlaceholdersExpandOnlyForNamesThatDoNotExist) {
    // "%n" is a line break: a file literally named so is used as written.
    const std::string dir = t::scratchPath("places");
    fs::create_directories(dir);
    fs::copy_file(t::makeTone("p.wav", 0.5), dir + "/a%n.wav", fs::copy_options::overwrite_existing);
    EXPECT_NE(library::playMusic(win(dir + "/a%n.wav")), 0);
    EXPECT_EQ(library::playMusic(win(dir + "/b%n.wav")), 0);
}

TEST_F(MusicTest, ModulesMp3AndOggReportTheirFormatsAndRates) {
    if (!t::haveTool("lame") || !t::haveTool("oggenc")) GTEST_SKIP() << "lame or oggenc missing";
    const std::string tone = t::makeTone("rate.wav", 10.0);
    const std::string mp3 = t::scratchPath("rate.mp3");
    const std::string ogg = t::scratchPath("rate.ogg");
    ASSERT_TRUE(t::run("lame --quiet --cbr -b 128 '" + tone + "' '" + mp3 + "'"));
    ASSERT_TRUE(t::run("oggenc -Q '" + tone + "' -o '" + ogg + "'"));
    const std::string mod = t::scratchPath("tune.mod");
    t::writeFile(mod, t::makeModule("tune"));

    const int32_t m = library::playMusic(win(mp3));
    EXPECT_EQ(library::getMusicFormat(m), "MP3");
    EXPECT_EQ(library::getLengthInSeconds(m), 10);  // the encoder's delay and padding are trimmed
    EXPECT_EQ(library::getBitRate(m), 128);
    const int32_t o = library::playMusic(win(ogg));
    EXPECT_EQ(library::getMusicFormat(o), "OGG");
    const int32_t x = library::playMusic(win(mod));
    EXPECT_EQ(library::getMusicFormat(x), "MTM");  // plain modules have type hex 20000
    EXPECT_GT(library::getLengthInSeconds(x), 0);
    EXPECT_EQ(library::getBitRate(x), 0);
    for (int32_t h : {m, o, x}) library::stopMusicChannel(h);
}

TEST_F(MusicTest, AnEmptyStreamHasNoLengthAndNoBitRate) {
    const std::string empty = t::scratchPath("empty.wav");
    t::writeWav(empty, 44100, 2, {});
    const int32_t h = library::playMusicLoop(win(empty));
    ASSERT_NE(h, 0);
    EXPECT_EQ(library::getLengthInSeconds(h), 0);
    EXPECT_EQ(library::getBitRate(h), 0);
    library::stopMusicChannel(h);
}

TEST_F(MusicTest, WithoutTheLibraryEveryRoutineAnswersItsNeutralValue) {
    const std::string wav = win(t::makeTone("one.wav", 1.0));
    library::bindMusicLibrary(false);
    const std::string log = run(R"(
var v: cardinal; L: TStringList;
begin
  v := 9;
  Log(IntToStr(PlayMusic(')" + wav +
                                R"(')) + ' ' + IntToStr(MusicStatus(1)) + ' ' + GetMusicFormat(1) + '|');
  if not GetChannelVolume(1, v) then Log('volume ' + IntToStr(v));
  L := SearchForMusic(')" + win(t::scratchDir()) +
                                R"(', True);
  Log('found ' + IntToStr(L.Count));
  L.Free;
  if not SetVolume(50) and (GetVolume = 0) and (GetCPUUsedByMusic = 0) then Log('quiet');
end.
)");
    library::bindMusicLibrary(true);
    EXPECT_EQ(log, "0 0 |\nvolume 9\nfound 0\nquiet\n");
}

TEST_F(MusicTest, SearchForMusicProbesHeadersSortsAndNeverFollowsFolderLinks) {
    const std::string root = t::scratchPath("search");
    fs::remove_all(root);
    fs::create_directories(root + "/sub");
    fs::copy_file(t::makeTone("s.wav", 0.2), root + "/b.wav");
    fs::copy_file(t::makeTone("s.wav", 0.2), root + "/sub/c.WAV");
    t::writeFile(root + "/a.mod", t::makeModule("a"));
    t::writeFile(root + "/fake.mp3", {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
    t::writeFile(root + "/notes.txt", {'h', 'i'});
    fs::create_directory_symlink(root, root + "/sub/loop");
    const std::string w = win(root);

    auto all = library::searchForMusic(w, true);
    EXPECT_EQ(all->text(), w + "\\a.mod\r\n" + w + "\\b.wav\r\n" + w + "\\sub\\c.WAV\r\n");
    auto top = library::searchForMusic(w + "\\", false);
    EXPECT_EQ(top->count(), 2);
    EXPECT_FALSE(library::canPlayFile(w + "\\fake.mp3"));
    EXPECT_TRUE(library::canPlayFile(w + "\\a.mod"));
}

TEST_F(MusicTest, SettingsAreStoredPerPlayerAndSurviveARestart) {
    namespace m = media;
    const std::string key = platform::currentPlayerKey();
    EXPECT_FALSE(platform::registry().value(platform::RegistryRoot::CurrentUser, key, "BASS_STORED"));
    m::BASS_SetConfig(m::BASS_CONFIG_BUFFER, 2000);
    m::BASS_SetConfig(m::BASS_CONFIG_NET_TIMEOUT, 15000);
    m::BASS_SetConfig(m::BASS_CONFIG_NET_BUFFER, 20000);
    library::stopMusic();  // the exit: settings written
    auto stored = platform::registry().value(platform::RegistryRoot::CurrentUser, key, "BASS_CONFIG_BUFFER");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->dwordValue(), 2000u);

    m::BASS_SetConfig(m::BASS_CONFIG_BUFFER, 500);
    m::BASS_SetConfig(m::BASS_CONFIG_NET_TIMEOUT, 5000);
    ASSERT_TRUE(library::startMusic());  // the next run
    EXPECT_EQ(m::BASS_GetConfig(m::BASS_CONFIG_BUFFER), 2000u);
    EXPECT_EQ(m::BASS_GetConfig(m::BASS_CONFIG_NET_TIMEOUT), 15000u);
    EXPECT_EQ(m::BASS_GetConfig(m::BASS_CONFIG_NET_BUFFER), 20000u);
    EXPECT_EQ(m::BASS_GetDevice(), 1u);

    // Another copy of the player keeps its own settings.
    library::stopMusic();
    platform::setCurrentPlayerPath("Z:\\opt\\other\\vantrel");
    m::BASS_SetConfig(m::BASS_CONFIG_BUFFER, 500);
    ASSERT_TRUE(library::startMusic());
    EXPECT_EQ(m::BASS_GetConfig(m::BASS_CONFIG_BUFFER), 500u);
}

}  // namespace
