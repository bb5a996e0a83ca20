// The script host over a form built here: host variables, compile failures, the outcomes
// of a run, event procedures and what an attached debugger is told.
#include <gtest/gtest.h>

#include <memory>

#include "HostTestSupport.h"
#include "components/ActiveXPlaceholders.h"
#include "components/InternalPlayList.h"
#include "components/RichEditViewer.h"
#include "components/TimerEx.h"
#include "host/ClassImporter.h"
#include "host/DebuggerLink.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "platform/EventPump.h"
#include "platform/Registry.h"
#include "runtime/ProcessState.h"
#include "script/Api.h"
#include "script/Chunk.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Edits.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

namespace {

using host_test::importer;

class FakeDebugger : public host::DebuggerLink {
public:
    bool active() const override { return true; }
    void report(const std::string& text, int position, int row, int col) override {
        reports.emplace_back(text, position);
        rows.emplace_back(row, col);
    }
    void command(int kind, const std::string& text) override { commands.emplace_back(kind, text); }
    std::vector<std::pair<std::string, int>> reports;
    std::vector<std::pair<int, int>> rows;  // row and column of each report
    std::vector<std::pair<int, std::string>> commands;
};

class ScriptHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_form = std::make_unique<vcl::TAutorunForm>(nullptr);
        m_form->setName("Form1");
        m_form->setCaption("The form");
        m_label = new vcl::TLabel(m_form.get());
        m_label->setName("Label1");
        m_label->setParent(m_form.get());
        m_button = new vcl::TButton(m_form.get());
        m_button->setName("Button1");
        m_button->setParent(m_form.get());
        auto* timer = new components::TTimerEx(m_form.get());
        timer->setName("Timer1");
        vcl::application().setTitle("Title");
        runtime::state().setDebuggerHandle(0);
    }
    void TearDown() override {
        host::setDebuggerLink(nullptr);
        runtime::state().setDebuggerHandle(0);
        components::internalPlayList().clear();
    }

    host::RunOutcome play(const std::string& source) {
        host::ScriptHost scriptHost(m_form.get(), importer());
        host::Compiled compiled = scriptHost.compile(source);
        EXPECT_TRUE(compiled.ok) << source;
        return scriptHost.run(compiled);
    }

    std::unique_ptr<vcl::TAutorunForm> m_form;
    vcl::TLabel* m_label = nullptr;
    vcl::TButton* m_button = nullptr;
};

TEST_F(ScriptHostTest, HostVariablesHoldTheFormItsComponentsTheApplicationAndThePlayList) {
    components::internalPlayList().add("song.mp3");
    EXPECT_EQ(play("begin\n"
                   "  Label1.Caption := Self.Caption + '|' + Form1.Name + '|' + Application.Title + '|' +\n"
                   "    IntToStr(InternalPlayList.Count) + '|' + InternalPlayList[0];\n"
                   "  Timer1.Interval := 123;\n"
                   "end."),
              host::RunOutcome::Finished);
    EXPECT_EQ(m_label->caption(), "The form|Form1|Title|1|song.mp3");
    EXPECT_EQ(static_cast<vcl::TTimer*>(m_form->findComponent("Timer1"))->interval(), 123);
    // The project's form is the application's main form from now on.
    EXPECT_EQ(vcl::application().mainForm(), m_form.get());
}

TEST_F(ScriptHostTest, TheHostVariablesExistEvenWhenTheScriptNeverNamesThem) {
    host::ScriptHost scriptHost(m_form.get(), importer());
    host::Compiled compiled = scriptHost.compile("begin end.");
    ASSERT_TRUE(compiled.ok);
    std::vector<std::string> names;
    for (const auto& [name, slot] : compiled.code->globalNames) names.push_back(name);
    for (const char* expected :
         {"SELF", "INTERNALPLAYLIST", "APPLICATION", "FORM1", "LABEL1", "BUTTON1", "TIMER1"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
}

TEST_F(ScriptHostTest, ScriptsThatCannotCompile) {
    host::ScriptHost scriptHost(m_form.get(), importer());
    EXPECT_FALSE(scriptHost.compile("uses Classes;\nbegin end.").ok);
    EXPECT_FALSE(scriptHost.compile("begin Label1.NoSuchThing := 1; end.").ok);
    // A component of a class the compiler does not know: its variable cannot be declared.
    auto* rich = new vcl::TRichEdit(m_form.get());
    rich->setName("RichEdit1");
    EXPECT_FALSE(scriptHost.compile("begin end.").ok);
    // Names are case-insensitive, the host routines included.
    delete rich;
    EXPECT_TRUE(scriptHost.compile("begin if isdebuggerattached then exitprocess(0); end.").ok);
}

TEST_F(ScriptHostTest, RunsEndAsFinishedRuntimeErrorOrLoadFailed) {
    EXPECT_EQ(play("var z: Integer; begin z := 1 div z; Label1.Caption := 'no'; end."),
              host::RunOutcome::RuntimeError);
    EXPECT_NE(m_label->caption(), "no");
    // Declared without a binding: it compiles, the code does not load.
    EXPECT_EQ(play("begin ProcessMessages; end."), host::RunOutcome::LoadFailed);

    host::ScriptHost scriptHost(m_form.get(), importer());
    // Stored bytecode, the authoring tool's, never loads; a source that does not compile
    // falls back to it.
    EXPECT_EQ(scriptHost.play(false, "", "IFPS\x01\x02", ""), host::RunOutcome::LoadFailed);
    EXPECT_EQ(scriptHost.play(true, "begin", "", ""), host::RunOutcome::LoadFailed);
    EXPECT_EQ(scriptHost.play(true, "begin Label1.Caption := 'ran'; end.", "IFPS", ""),
              host::RunOutcome::Finished);
    EXPECT_EQ(m_label->caption(), "ran");
}

// No script procedure runs once the main block has returned and the executor is gone: a
// handler the script attached then does nothing (events during the run: the e2e tests).
TEST_F(ScriptHostTest, AnEventAfterTheRunHasEndedDoesNothing) {
    EXPECT_EQ(play("procedure Click(Sender: TObject);\n"
                   "begin Label1.Caption := 'clicked'; end;\n"
                   "begin Button1.OnClick := @Click; Label1.Caption := 'ready'; end."),
              host::RunOutcome::Finished);
    EXPECT_TRUE(static_cast<bool>(m_button->onClick));
    EXPECT_NO_THROW(m_button->click());
    EXPECT_EQ(m_label->caption(), "ready");
}

TEST_F(ScriptHostTest, TheDebuggerIsToldErrorsAndTheEndOfTheRun) {
    FakeDebugger debugger;
    host::setDebuggerLink(&debugger);
    EXPECT_EQ(play("begin SendCommandToDebugger(DC_WARNING, 'careful'); end."), host::RunOutcome::Finished);
    EXPECT_EQ(debugger.reports, (std::vector<std::pair<std::string, int>>{{"Successfully executed", -1}}));
    // Without a debugger handle on the command line, no command goes out.
    EXPECT_TRUE(debugger.commands.empty());

    debugger.reports.clear();
    debugger.rows.clear();
    runtime::state().setDebuggerHandle(42);
    EXPECT_EQ(play("begin SendCommandToDebugger(DC_WARNING, 'careful');\n"
                   "  if IsDebuggerAttached then RaiseException(erCustomError, 'stop'); end."),
              host::RunOutcome::RuntimeError);
    EXPECT_EQ(debugger.commands, (std::vector<std::pair<int, std::string>>{{2, "careful"}}));
    ASSERT_EQ(debugger.reports.size(), 2u);
    EXPECT_EQ(debugger.reports[0].first, "stop");
    // With the handle the debug information is loaded: the error has its source position,
    // row and column, all pointing at the call that raised it.
    const std::string source =
        "begin SendCommandToDebugger(DC_WARNING, 'careful');\n"
        "  if IsDebuggerAttached then RaiseException(erCustomError, 'stop'); end.";
    ASSERT_GT(debugger.reports[0].second, 0);
    EXPECT_EQ(source.substr(static_cast<size_t>(debugger.reports[0].second), 14), "RaiseException");
    EXPECT_EQ(debugger.rows[0], (std::pair<int, int>{2, 30}));
    // The end of the run has no place in the source.
    EXPECT_EQ(debugger.rows[1], (std::pair<int, int>{0, 0}));
    EXPECT_EQ(debugger.reports[1],
              (std::pair<std::string, int>{"[Error] Unable to succesfully run this project.", -1}));

    debugger.reports.clear();
    EXPECT_EQ(play("begin ProcessMessages; end."), host::RunOutcome::LoadFailed);
    ASSERT_EQ(debugger.reports.size(), 1u);
    EXPECT_EQ(debugger.reports[0].second, 0);
}

// Pending events are handled every 51,200 source positions while a long script compiles.
TEST_F(ScriptHostTest, CompilingALongScriptKeepsHandlingEvents) {
    int pumps = 0;
    platform::setMessagePump([&pumps] { ++pumps; });
    std::string source = "var X: Integer;\nbegin\n";
    while (source.size() < 3 * 51200 + 100) source += "  X := X + 1;\n";
    source += "end.";
    host::ScriptHost scriptHost(m_form.get(), importer());
    EXPECT_TRUE(scriptHost.compile(source).ok);
    EXPECT_EQ(pumps, 3);
    pumps = 0;
    EXPECT_TRUE(scriptHost.compile("begin end.").ok);
    EXPECT_EQ(pumps, 0);
    platform::setMessagePump(nullptr);
}

// The string and registry families take their places in the sequences: their routines, the
// registry roots on the HKEY alias, and the placeholder routines the host binds for them.
TEST_F(ScriptHostTest, TheStringAndRegistryFamiliesAreInTheVocabulary) {
    platform::setRegistry(platform::RegistryStore::openInMemory());
    EXPECT_EQ(
        play("var K: HKEY;\n"
             "begin\n"
             "  K := HKCU;\n"
             "  WriteToRegistry(K, 'Software\\Show', 'Name', 'Ann');\n"
             "  Label1.Caption := ReadFromRegistry(HKEY_CURRENT_USER, 'Software\\Show', 'Name', '') + '|' +\n"
             "    DecodeStr(1, EncodeStr(1, 'x y')) + '|' + RepConst('a%nb') + '|' + AddQuotes('q r');\n"
             "end."),
        host::RunOutcome::Finished);
    EXPECT_EQ(m_label->caption(), "Ann|x y|a\r\nb|\"q r\"");
    // A routine declared and never bound: the script compiles and does not load.
    EXPECT_EQ(play("begin GetNumberOfIcons('x'); end."), host::RunOutcome::LoadFailed);
}

// The file and system families take their slots: a script reaches both through the
// registered vocabulary.
TEST_F(ScriptHostTest, TheFileAndSystemFamiliesAreInTheVocabulary) {
    EXPECT_EQ(play("begin\n"
                   "  if IsNTMachine and not IsWin95 then Label1.Caption := 'nt';\n"
                   "  Label1.Caption := Label1.Caption + '|' + ExtractFileDir('C:\\a\\b.txt') + '|' +\n"
                   "    IntToStr(Ord(DirExists('C:\\'))) + IntToStr(Ord(FileExists('C:\\no such file')));\n"
                   "end."),
              host::RunOutcome::Finished);
    EXPECT_EQ(m_label->caption(), "nt|C:\\a|10");
}

TEST_F(ScriptHostTest, TheMusicFamilyAndThePlayListMembersAreInTheVocabulary) {
    // Without the audio library every routine gives its neutral value and the list stays off.
    components::internalPlayList().add("song.mp3");
    EXPECT_EQ(play("var V: Cardinal; L: TStringList;\n"
                   "begin\n"
                   "  V := 7;\n"
                   "  InternalPlayList.Active := True;\n"
                   "  InternalPlayList.ActiveFile := 'song.mp3';\n"
                   "  InternalPlayList.PlayNextFile;\n"
                   "  L := SearchForMusic('%TMP%', True);\n"
                   "  GetChannelVolume(PlayMusicLoopEx('song.mp3', 50, 0), V);\n"
                   "  Label1.Caption := IntToStr(PlayMusic('song.mp3')) + '|' + GetMusicFormat(1) + '|' +\n"
                   "    IntToStr(L.Count) + '|' + IntToStr(V) + '|' + "
                   "IntToStr(InternalPlayList.ActiveFileHandle) +\n"
                   "    '|' + InternalPlayList.ActiveFile + '|' + IntToStr(Ord(InternalPlayList.Active));\n"
                   "  L.Free;\n"
                   "end."),
              host::RunOutcome::Finished);
    EXPECT_EQ(m_label->caption(), "0||0|7|0||0");
}

TEST_F(ScriptHostTest, ParamStrAndParamCountReadTheCommandLine) {
    runtime::state().setArguments({"show.zep", "two words"});
    EXPECT_EQ(
        play("begin Label1.Caption := IntToStr(ParamCount) + '|' + ParamStr(2) + '|' + ParamStr(3) + '|' +\n"
             "  ParamStr(-1); end."),
        host::RunOutcome::Finished);
    EXPECT_EQ(m_label->caption(), "2|two words||");
    runtime::state().setArguments({});
}

}  // namespace

namespace {

// The browser, the Flash stand-in and the rich-text viewer through their script members (the
// browser without its engine, so nothing loads).
TEST_F(ScriptHostTest, TheActiveXStandInsAndTheViewerAnswerTheirMembers) {
    components::TWebBrowser::setEngineEnabled(false);
    auto* movie = new components::TShockwaveFlash(m_form.get());
    movie->setName("Movie");
    auto* browser = new components::TWebBrowser(m_form.get());
    browser->setName("Browser");
    auto* viewer = new components::TRichEditViewer(m_form.get());
    viewer->setName("Viewer");
    EXPECT_EQ(
        play("procedure Nav(Sender: TObject; const pDisp: IDispatch; var URL: OleVariant);\n"
             "begin end;\n"
             "procedure Cmd(Sender: TObject; const command: WideString; const args: WideString);\n"
             "begin end;\n"
             "var U: OleVariant;\n"
             "begin\n"
             "  Movie.Play; Movie.SetVariable('a', 'b'); Movie.Movie := 'x.swf'; Movie.TGotoFrame('/', 3);\n"
             "  Movie.OnFSCommand := @Cmd;\n"
             "  U := 'http://x.example/';\n"
             "  Browser.Navigate2(U); Browser.Navigate('http://example.org/'); Browser.GoBack;\n"
             "  Browser.PutProperty('k', 'v');\n"
             "  Browser.OnNavigateComplete2 := @Nav;\n"
             "  Viewer.RTFText := '{\\rtf1 {\\b Bold} text}';\n"
             "  Label1.Caption := IntToStr(Movie.FlashVersion) + '|' + IntToStr(Ord(Movie.IsPlaying)) + '|' "
             "+\n"
             "    Movie.Movie + '|' + Movie.GetVariable('a') + '|' + Browser.LocationURL + '|' +\n"
             "    Browser.GetProperty('k') + '|' + IntToStr(Ord(Browser.Busy)) + '|' + Viewer.Text + '|' +\n"
             "    IntToStr(Viewer.SetRTFText('plain words')) + '|' + Viewer.Text;\n"
             "end."),
        host::RunOutcome::Finished);
    EXPECT_EQ(m_label->caption(), "0|0|||||0|Bold text|0|plain words");
    EXPECT_TRUE(movie->event("OnFSCommand").assigned());
    EXPECT_TRUE(browser->event("OnNavigateComplete2").assigned());
    components::TWebBrowser::setEngineEnabled(true);
}

}  // namespace
