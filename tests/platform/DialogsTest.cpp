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

TEST(AutomationScript, KeepsDriverStepsAndReportsUnknownVerbs) {
    std::vector<std::string> problems;
    auto script = platform::AutomationScript::parse(
        "click Form1.Button1\r\nfrobnicate x\nWAIT 100\nanswer OK", &problems);
    ASSERT_EQ(script.driverSteps().size(), 2u);
    EXPECT_EQ(script.driverSteps()[0].verb, "click");
    EXPECT_EQ(script.driverSteps()[0].argument, "Form1.Button1");
    EXPECT_EQ(script.driverSteps()[1].verb, "wait");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "line 2: unknown step 'frobnicate'");
    EXPECT_TRUE(script.hasAnswer());
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
