// The user dialog routines called directly, answered by an automation queue: what each
// returns on OK and on Cancel, and which texts are expanded before the dialog shows them.
#include "library/Messages.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "classes/TStrings.h"
#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "runtime/Placeholders.h"
#include "vcl/Forms.h"
#include "vcl/Graphics.h"

namespace fs = std::filesystem;

namespace {

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_log = fs::temp_directory_path() / ("vantrel-messages-" + std::to_string(::getpid()) + ".log");
        fs::remove(m_log);
        vcl::application().setTitle("App title");
    }
    void TearDown() override {
        platform::installDialogs(nullptr);
        fs::remove(m_log);
    }
    void answers(std::string_view automation) {
        platform::installDialogs(std::make_unique<platform::DialogService>(
            std::make_unique<platform::AutomationBackend>(platform::AutomationScript::parse(automation)),
            std::make_unique<platform::DialogLog>(m_log.string())));
    }
    std::vector<std::string> log() const {
        std::ifstream in(m_log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    fs::path m_log;
};

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

TEST_F(MessagesTest, InputBoxesExpandExceptInputQuery) {
    answers("cancel\ncancel\nanswer new\ncancel\nanswer x\n");
    EXPECT_EQ(library::Readln("%n"), "");
    EXPECT_EQ(library::InputBox("c", "p", "a%nb"), "a\r\nb");  // cancelled: the expanded default
    std::string value = "%n";
    EXPECT_TRUE(library::InputQuery("%n", "%n", value));
    EXPECT_EQ(value, "new");
    value = "kept";
    EXPECT_FALSE(library::InputQuery("c", "p", value));
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(library::InputBox("c", "p", "d"), "x");
    const auto lines = log();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(contains(lines[0], "\"caption\":\"App title\",\"text\":\"\\r\\n\"")) << lines[0];
    EXPECT_TRUE(contains(lines[2], "\"caption\":\"%n\",\"text\":\"%n\",\"icon\":\"none\",\"initial\":\"%n\""))
        << lines[2];
}

TEST_F(MessagesTest, MessageBoxesReturnTheButtonAndExpandTextAndCaption) {
    answers("answer Retry\nanswer OK\n");
    EXPECT_EQ(library::MsgBox("a%nb", "%n", 0x02 | 0x10), 4);
    library::ShowMessage("%n");
    EXPECT_EQ(library::MsgBox("t", "c", 0x04), 7);  // nothing left: Escape gives No
    const auto lines = log();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "{\"kind\":\"message\",\"caption\":\"\\r\\n\",\"text\":\"a\\r\\nb\",\"icon\":\"error\","
              "\"buttons\":[\"Abort\",\"Retry\",\"Ignore\"],\"answer\":\"Retry\"}");
    EXPECT_TRUE(contains(lines[1], "\"caption\":\"App title\",\"text\":\"\\r\\n\"")) << lines[1];
}

TEST_F(MessagesTest, SelectStringFromListPreselectsAndFallsBackToTheDefault) {
    classes::TStringList list;
    list.add("Alpha");
    list.add("Beta");
    answers("cancel\ncancel\nanswer OK\nanswer beta\nanswer gamma\nanswer OK\n");
    EXPECT_EQ(library::SelectStringFromList("T", "P", "", &list), "Alpha");
    EXPECT_EQ(library::SelectStringFromList("T", "P", "zz", &list), "zz");
    EXPECT_EQ(library::SelectStringFromList("T", "P", "BETA", &list), "Beta");  // OK keeps the pre-selection
    EXPECT_EQ(library::SelectStringFromList("T", "P", "", &list), "Beta");
    EXPECT_EQ(library::SelectStringFromList("T", "P", "d", &list), "d");  // no such item: cancelled
    EXPECT_EQ(library::SelectStringFromList("T", "P", "", nullptr), "");
    const auto lines = log();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(contains(lines[1], "\"initial\":\"Alpha\",\"items\":[\"Alpha\",\"Beta\"]")) << lines[1];
    EXPECT_TRUE(contains(lines[2], "\"initial\":\"Beta\"")) << lines[2];
}

TEST_F(MessagesTest, FolderAndFileDialogs) {
    const fs::path dir = fs::temp_directory_path();
    answers("cancel\nanswer " + dir.string() + "\ncancel\ncancel\nanswer /tmp/b.txt\n");
    std::string folder = "Z:\\no\\such\\folder";
    EXPECT_FALSE(library::SelectDirectoryEX("p", folder));
    EXPECT_EQ(folder, "");  // not a folder: cleared before the dialog
    EXPECT_EQ(library::SelectDirectory("%n"), platform::windowsPath(dir));

    bool executed = true;
    EXPECT_EQ(library::fileNameDialog(library::FileDialogKind::Open, "t", "a%nb", "%n", "", "", true, false,
                                      executed),
              "a\r\nb");
    EXPECT_FALSE(executed);
    std::string name = "start.txt";
    EXPECT_FALSE(library::PromptForFileName(name, "", "txt", "t", "", false));
    EXPECT_EQ(name, "start.txt");
    EXPECT_TRUE(library::PromptForFileName(name, "", "txt", "t", "", true));
    EXPECT_EQ(name, "Z:\\tmp\\b.txt");
    const auto lines = log();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(contains(lines[1], "\"text\":\"\\r\\n\"")) << lines[1];
    EXPECT_TRUE(contains(lines[3], "\"filter\":\"All files (*.*)|*.*\",\"initial\":\"start.txt\""))
        << lines[3];
}

TEST_F(MessagesTest, ColourFontAndPrinterDialogs) {
    answers("cancel\nanswer 0x00FF00\nanswer 99999999\nanswer DejaVu Sans,20,underline\ncancel\ncancel\n");
    EXPECT_EQ(library::selectColor(0x80000005, library::ColorDialogForm::Short), int32_t(0x80000005));
    EXPECT_EQ(library::selectColor(0, library::ColorDialogForm::Full), 0x00FF00);
    EXPECT_EQ(library::selectColor(7, library::ColorDialogForm::Short), 7);  // no colour: the default

    vcl::TFont initial;
    initial.setName("Arial");
    initial.setSize(10);
    initial.setColor(0x0000FF);
    vcl::TFont* chosen = library::SelectFont(&initial);
    ASSERT_NE(chosen, &initial);
    EXPECT_EQ(chosen->name(), "DejaVu Sans");
    EXPECT_EQ(chosen->size(), 20);
    EXPECT_EQ(chosen->style(), vcl::fontStyle(vcl::fsUnderline));
    EXPECT_EQ(chosen->color(), 0x0000FF);  // not answered: as it was
    EXPECT_EQ(library::SelectFont(&initial), &initial);
    EXPECT_EQ(initial.name(), "Arial");
    // Cancelled is still shown.
    EXPECT_TRUE(library::PrinterSetupDialog());
    const auto lines = log();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(contains(lines[3], "\"initial\":\"Arial,10,,255\"")) << lines[3];
}

TEST_F(MessagesTest, AboutBoxAndTheErrorTexts) {
    answers("");
    library::AboutMe("Title#Text %n", "%n", 0);
    library::AboutMe("Plain", "", 0);
    const auto lines = log();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(contains(lines[0], "\"caption\":\"About Title\",\"text\":\"Text \\r\\n\"")) << lines[0];
    EXPECT_TRUE(contains(lines[1], "\"caption\":\"About Plain\",\"text\":\"Plain\"")) << lines[1];

    EXPECT_EQ(library::systemErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(library::win32ErrorText("Open%n", ENOENT),
              "Open\r\n failed; code 2.\r\nNo such file or directory");
}

}  // namespace
