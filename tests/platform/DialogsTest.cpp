#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/CodePage.h"
#include "base/Json.h"
#include "platform/Automation.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_log = fs::temp_directory_path() / ("vantrel-dialogs-" + std::to_string(::getpid()) + ".log");
        fs::remove(m_log);
    }
    void TearDown() override { fs::remove(m_log); }

    platform::DialogService service(std::string_view automation) {
        return platform::DialogService(
            std::make_unique<platform::AutomationBackend>(platform::AutomationScript::parse(automation)),
            std::make_unique<platform::DialogLog>(m_log.string()));
    }

    fs::path m_log;
};

TEST_F(DialogsTest, MessageBoxesTakeAnswersInOrderAndFallBackToEscape) {
    auto dialogs = service("# answers\nanswer ignore\n\nanswer Yes\nanswer Retry\ncancel\n");
    using namespace platform;
    EXPECT_EQ(dialogs.messageBox("t", "c", MB_ABORTRETRYIGNORE), IDIGNORE);
    EXPECT_EQ(dialogs.messageBox("t", "c", MB_YESNO), IDYES);
    // "Retry" is no button of an OK box: the box gets its Escape answer.
    EXPECT_EQ(dialogs.messageBox("t", "c", MB_OK), IDOK);
    EXPECT_EQ(dialogs.messageBox("t", "c", MB_YESNOCANCEL), IDCANCEL);  // cancel
    // Nothing left: Escape answers.
    EXPECT_EQ(dialogs.messageBox("t", "c", MB_YESNO), IDNO);
    EXPECT_EQ(dialogs.messageBox("t", "c", MB_ABORTRETRYIGNORE), IDABORT);
    EXPECT_EQ(dialogs.messageBox("t", "c", MB_OKCANCEL), IDCANCEL);
}

TEST_F(DialogsTest, InputAndFileDialogsTakeTextsAndCancel) {
    auto dialogs = service("answer  two  spaces\ncancel\nanswer /etc/hosts\nanswer\n");
    EXPECT_EQ(dialogs.inputBox("c", "p", "d"), std::optional<std::string>(" two  spaces"));
    EXPECT_EQ(dialogs.inputBox("c", "p", "d"), std::nullopt);
    platform::DialogRequest open;
    open.kind = platform::DialogKind::OpenFile;
    EXPECT_EQ(dialogs.fileDialog(open), std::optional<std::string>("Z:\\etc\\hosts"));
    EXPECT_EQ(dialogs.inputBox("c", "p", "d"), std::optional<std::string>(""));
}

TEST_F(DialogsTest, LogHasOneJsonLinePerDialogWithTextsInUtf8) {
    base::CodePage::setActive(1252);
    auto dialogs = service("answer OK\n");
    dialogs.messageBox("Internal error: \r\n102 : caf\xe9", "Error",
                       platform::MB_OK | platform::MB_ICONWARNING);
    dialogs.logEvent(base::JsonObject().add("kind", "load").add("offset", 7));
    dialogs.logExit(102);
    EXPECT_EQ(
        readFile(m_log),
        "{\"kind\":\"message\",\"caption\":\"Error\",\"text\":\"Internal error: \\r\\n102 : caf\xc3\xa9\","
        "\"icon\":\"warning\",\"buttons\":[\"OK\"],\"answer\":\"OK\"}\n"
        "{\"kind\":\"load\",\"offset\":7}\n"
        "{\"kind\":\"exit\",\"code\":102}\n");
}

TEST(AutomationScript, KeepsAllStepsInOneQueueAndReportsUnknownVerbs) {
    std::vector<std::string> problems;
    auto script = platform::AutomationScript::parse(
        "click Form1.Button1\r\nfrobnicate x\nWAIT 100\nanswer OK", &problems);
    ASSERT_EQ(script.size(), 3u);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "line 2: unknown step 'frobnicate'");
    EXPECT_FALSE(script.hasAnswer());  // a driver step comes first
    EXPECT_EQ(script.front().verb, "click");
    EXPECT_EQ(script.front().argument, "Form1.Button1");
    script.take();
    EXPECT_EQ(script.take().verb, "wait");
    EXPECT_TRUE(script.hasAnswer());
}

TEST_F(DialogsTest, ADialogLeavesADriverStepAtTheHeadOfTheQueue) {
    auto queue = std::make_shared<platform::AutomationScript>(
        platform::AutomationScript::parse("click Button1\nanswer Yes\n"));
    platform::DialogService dialogs(std::make_unique<platform::AutomationBackend>(queue), nullptr);
    // The click is not this box's answer: it gets Escape, and the click stays first.
    EXPECT_EQ(dialogs.messageBox("t", "c", platform::MB_YESNO), platform::IDNO);
    ASSERT_EQ(queue->size(), 2u);
    queue->take();
    EXPECT_EQ(dialogs.messageBox("t", "c", platform::MB_YESNO), platform::IDYES);
    EXPECT_TRUE(queue->empty());
}

TEST(FontText, RoundTripsAndKeepsWhatAnAnswerLeavesOut) {
    platform::DialogFont base{"Arial", 10, false, true, false, false, 0x0000FF};
    EXPECT_EQ(platform::fontText(base), "Arial,10,italic,255");
    EXPECT_EQ(platform::parseFontText(platform::fontText(base), {}), base);
    platform::DialogFont f = platform::parseFontText("Courier New", base);
    EXPECT_EQ(f.name, "Courier New");
    EXPECT_EQ(f.size, 10);
    EXPECT_TRUE(f.italic);  // styles not given: kept
    f = platform::parseFontText(" , 14 , Bold STRIKEOUT , 0x00FF00", base);
    EXPECT_EQ(f.name, "Arial");
    EXPECT_EQ(f.size, 14);
    EXPECT_TRUE(f.bold && f.strikeOut && !f.italic && !f.underline);
    EXPECT_EQ(f.color, 0x00FF00u);
    f = platform::parseFontText("X,0,,-1", base);  // a size or colour out of range is ignored
    EXPECT_EQ(f.size, 10);
    EXPECT_EQ(f.color, 0x0000FFu);
    EXPECT_FALSE(f.italic);  // an empty styles field means none
}

TEST_F(DialogsTest, FontPrinterAndChoiceDialogsTakeTheirAnswers) {
    auto dialogs = service("answer Serif,,bold\nanswer Cancel\nanswer OK\nanswer second\n");
    platform::DialogRequest font;
    font.kind = platform::DialogKind::Font;
    font.font = {"Sans", 9};
    auto a = dialogs.ask(font);
    EXPECT_TRUE(a.accepted);
    EXPECT_EQ(a.text, "Serif,9,bold,0");
    platform::DialogRequest printer;
    printer.kind = platform::DialogKind::PrinterSetup;
    EXPECT_FALSE(dialogs.ask(printer).accepted);
    EXPECT_TRUE(dialogs.ask(printer).accepted);
    platform::DialogRequest choice;
    choice.kind = platform::DialogKind::Choice;
    choice.items = {"First", "Second"};
    choice.initialText = "First";
    a = dialogs.ask(choice);
    EXPECT_TRUE(a.accepted);
    EXPECT_EQ(a.text, "Second");
}

// The choice dialog's layout: everything below the prompt moves down with its height.
TEST(ChoiceLayout, StacksPromptListAndButtons) {
    const platform::ChoiceLayout one = platform::choiceLayout(13, 21);
    EXPECT_EQ(one.clientWidth, 337);
    EXPECT_EQ(one.icon, (platform::DialogPlace{16, 8, 32, 32}));
    EXPECT_EQ(one.prompt, (platform::DialogPlace{56, 16, 260, 13}));
    EXPECT_EQ(one.list, (platform::DialogPlace{16, 41, 305, 21}));
    EXPECT_EQ(one.ok, (platform::DialogPlace{91, 72, 75, 21}));
    EXPECT_EQ(one.cancel, (platform::DialogPlace{171, 72, 75, 21}));
    EXPECT_EQ(one.clientHeight, 108);
    const platform::ChoiceLayout three = platform::choiceLayout(39, 21);
    EXPECT_EQ(three.list.top - one.list.top, 26);
    EXPECT_EQ(three.clientHeight - one.clientHeight, 26);
}

TEST(ButtonNames, RoundTripCaseInsensitively) {
    for (int id = platform::IDOK; id <= platform::IDNO; ++id) {
        EXPECT_EQ(platform::buttonFromName(platform::buttonName(id)), id);
    }
    EXPECT_EQ(platform::buttonFromName("yes"), platform::IDYES);
    EXPECT_EQ(platform::buttonFromName("YES TO ALL"), platform::IDYESTOALL);
    EXPECT_EQ(platform::buttonFromName("Maybe"), 0);
}

TEST(ProgressWindows, AreLoggedWhenTheyOpenAndNeverStopWithoutAPerson) {
    const std::string path = ::testing::TempDir() + "progress-" + std::to_string(::getpid()) + ".log";
    std::remove(path.c_str());
    platform::DialogService dialogs(nullptr, std::make_unique<platform::DialogLog>(path));
    auto window = dialogs.progress("Copying...", "a.txt");
    EXPECT_TRUE(window->step("b.txt", 0.5));
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, R"({"kind":"progress","caption":"Copying...","text":"a.txt"})");
    std::remove(path.c_str());
}

}  // namespace
