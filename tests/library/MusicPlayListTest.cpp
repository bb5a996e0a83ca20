// The internal play list: wrapping after the first match, stopping at an entry that does
// not open, ActiveFile and Active as scripts write them, and end reports that arrive after
// the script has moved the list on (they must not advance it a second time).
#include "MusicTestSupport.h"
#include "TestAudio.h"
#include "components/InternalPlayList.h"
#include "library/Music.h"
#include "library/MusicPlayList.h"
#include "vcl/WindowHandle.h"

namespace t = media::test;
using music_test::MusicFixture;

namespace {

class MusicPlayListTest : public MusicFixture {
protected:
    void SetUp() override {
        MusicFixture::SetUp();
        a = win(t::makeTone("a.wav", 1.0));
        b = win(t::makeTone("b.wav", 1.0));
    }
    components::TInternalPlayList& list() { return components::internalPlayList(); }
    // One entry's length passes and its end report is delivered.
    void finishEntry() {
        advance(1100);
        deliverEnds();
    }
    std::string a, b;
};

TEST_F(MusicPlayListTest, PlaysThroughAndWrapsAfterTheFirstMatch) {
    list().add(a);
    list().add(b);
    list().add(a);  // never reached: the entry after the first "a" always follows "a"
    library::setPlayListActive(list(), true);
    EXPECT_TRUE(list().active);
    EXPECT_EQ(list().activeFile, a);
    const uint32_t first = list().activeHandle;
    EXPECT_NE(first, 0u);
    finishEntry();
    EXPECT_EQ(list().activeFile, b);
    EXPECT_NE(list().activeHandle, first);
    finishEntry();
    EXPECT_EQ(list().activeFile, a);
    finishEntry();
    EXPECT_EQ(list().activeFile, b);
    EXPECT_TRUE(list().active);
}

TEST_F(MusicPlayListTest, OneEntryRepeatsAndAnEntryThatDoesNotOpenStopsTheList) {
    list().add(a);
    library::setPlayListActive(list(), true);
    finishEntry();
    finishEntry();
    EXPECT_EQ(list().activeFile, a);
    EXPECT_TRUE(list().active);

    list().add(win(t::scratchPath("gone.wav")));
    list().add(b);
    finishEntry();
    EXPECT_FALSE(list().active);
    EXPECT_EQ(list().activeHandle, 0u);
    EXPECT_EQ(list().activeFile, win(t::scratchPath("gone.wav")));
    advance(2000);
    EXPECT_EQ(deliverEnds(), 0);  // no skipping on to b
}

TEST_F(MusicPlayListTest, AnEmptyListDoesNotStartAndSwitchingOffKeepsTheEntry) {
    library::setPlayListActive(list(), true);
    EXPECT_FALSE(list().active);
    EXPECT_EQ(list().activeHandle, 0u);

    list().add(a);
    list().add(b);
    library::setPlayListActive(list(), true);
    const uint32_t h = list().activeHandle;
    library::setPlayListActive(list(), false);
    EXPECT_EQ(list().activeFile, a);
    EXPECT_EQ(list().activeHandle, h);
    EXPECT_EQ(library::musicStatus(static_cast<int32_t>(h)), 1);
    advance(2000);
    EXPECT_EQ(deliverEnds(), 0);
    // Switching on again moves to the next entry instead of replaying the last one.
    library::setPlayListActive(list(), true);
    EXPECT_EQ(list().activeFile, b);
}

TEST_F(MusicPlayListTest, ActiveFileTakesTheListsSpellingAndLeavesTheFlag) {
    list().add(a);
    list().add(b);
    std::string upper = b;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    library::setPlayListActiveFile(list(), upper);
    EXPECT_EQ(list().activeFile, b);
    EXPECT_FALSE(list().active);
    EXPECT_NE(list().activeHandle, 0u);
    library::setPlayListActiveFile(list(), "not in the list");
    EXPECT_EQ(list().activeFile, b);
    // When it ends, the list goes on after it and is active from then on.
    finishEntry();
    EXPECT_EQ(list().activeFile, a);
    EXPECT_TRUE(list().active);
}

TEST_F(MusicPlayListTest, AScriptEditingTheListWhileEntriesEndIsNeverOvertaken) {
    const std::string c = win(t::makeTone("c.wav", 1.0));
    const std::string log = run(R"(
begin
  InternalPlayList.Add(')" + a + R"(');
  InternalPlayList.Add(')" + b + R"(');
  InternalPlayList.Add(')" + c + R"(');
  InternalPlayList.Active := True;
  { a ends; before its report runs the script chooses c itself: the stale report is dropped. }
  Advance(1100);
  InternalPlayList.ActiveFile := ')" +
                                c + R"(';
  Log(IntToStr(DeliverEnds) + ' ' + InternalPlayList.ActiveFile);
  { c ends while the script deletes it from the list: the list restarts at its first entry. }
  Advance(1100);
  InternalPlayList.Delete(2);
  DeliverEnds;
  Log(InternalPlayList.ActiveFile);
  { b's end arrives after the script switched the list off: nothing starts. }
  InternalPlayList.PlayNextFile;
  Advance(1100);
  InternalPlayList.Active := False;
  DeliverEnds;
  Log(InternalPlayList.ActiveFile + ' ' + IntToStr(MusicStatus(InternalPlayList.ActiveFileHandle)));
  if not InternalPlayList.Active then Log('off');
end.
)");
    EXPECT_EQ(log, "1 " + c + "\n" + a + "\n" + b + " 1\noff\n");
}

TEST_F(MusicPlayListTest, EndReportsTravelThroughTheEventLoop) {
    library::setPlayListPoster(nullptr);  // the toolkit's own queue, as in the player
    list().add(a);
    list().add(b);
    library::setPlayListActive(list(), true);
    advance(1100);
    EXPECT_EQ(list().activeFile, a);  // nothing happens on the engine's thread
    for (int i = 0; i < 50 && list().activeFile != b; ++i) vcl::toolkit::processMessages();
    EXPECT_EQ(list().activeFile, b);
    EXPECT_TRUE(list().active);
}

TEST_F(MusicPlayListTest, WithoutTheLibraryTheListStaysOff) {
    list().add(a);
    library::bindMusicLibrary(false);
    library::setPlayListActive(list(), true);
    EXPECT_FALSE(list().active);
    library::playNextFile(list());
    EXPECT_EQ(list().activeHandle, 0u);
    library::bindMusicLibrary(true);
}

}  // namespace
