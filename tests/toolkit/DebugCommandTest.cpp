// zeptool debug without a player: its readable lines for each message of the link, and
// the ways a debugging session cannot start. The sessions themselves: the e2e tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

#include "runtime/DebuggerWire.h"
#include "toolkit/Zeptool.h"

namespace fs = std::filesystem;
using runtime::DebugFrame;
using toolkit::describeDebugFrame;
namespace msg = runtime::debugmsg;

namespace {

TEST(DebugCommand, EachMessageReadsAsOneLine) {
    EXPECT_EQ(describeDebugFrame({msg::kAnnounce, {321}, {}}), "2023 announce: player process 321");
    EXPECT_EQ(describeDebugFrame({msg::kHint, {}, {"h"}}), "1724 hint: \"h\"");
    EXPECT_EQ(describeDebugFrame({msg::kError, {}, {"e"}}), "1725 error: \"e\"");
    EXPECT_EQ(describeDebugFrame({msg::kWarning, {}, {"w"}}), "1726 warning: \"w\"");
    EXPECT_EQ(describeDebugFrame({msg::kReport, {57, 6, 3}, {"Something went wrong"}}),
              "1801 report: \"Something went wrong\" at row 6, column 3 (position 57)");
    EXPECT_EQ(describeDebugFrame({msg::kReport, {0, 0, 0}, {""}}), "1801 report: \"\" (no source position)");
    EXPECT_EQ(describeDebugFrame({msg::kReport, {-1, 0, 0}, {"Successfully executed"}}),
              "1801 end of run: \"Successfully executed\"");
    EXPECT_EQ(describeDebugFrame({msg::kExpand, {}, {"%SRCDIR% "}}), "2022 request: \"%SRCDIR% \"");
    EXPECT_EQ(describeDebugFrame({msg::kExpand, {}, {"D:\\show", "%SRCDIR%"}}),
              "2022 expanded: \"%SRCDIR%\" -> \"D:\\show\"");
    // Messages of no known shape still show what they carry.
    EXPECT_EQ(describeDebugFrame({msg::kReport, {1}, {"x", "y"}}), "1801 (unknown message): 1 \"x\" \"y\"");
    EXPECT_EQ(describeDebugFrame({999, {}, {}}), "999 (unknown message):");
}

TEST(DebugCommand, TextsAreQuotedWithControlCharactersEscaped) {
    EXPECT_EQ(toolkit::quoteDebugText("line 1\r\nline\t2"), "\"line 1\\r\\nline\\t2\"");
    EXPECT_EQ(toolkit::quoteDebugText(std::string("say \"hi\"\x01\x7F", 10)), "\"say \\\"hi\\\"\\x01\\x7f\"");
    // Backslashes of Windows paths stay as they are; ANSI text is shown as UTF-8.
    EXPECT_EQ(toolkit::quoteDebugText("C:\\caf\xE9"), "\"C:\\caf\xC3\xA9\"");
}

class DebugSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* v = std::getenv("XDG_RUNTIME_DIR")) m_saved = v;
        m_dir = fs::temp_directory_path() / ("zeptool-debug-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override {
        if (m_saved)
            ::setenv("XDG_RUNTIME_DIR", m_saved->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(m_dir);
    }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), {"zeptool", "debug"});
        out.str("");
        err.str("");
        return toolkit::runZeptool(args, out, err);
    }
    fs::path m_dir;
    std::optional<std::string> m_saved;
    std::ostringstream out, err;
};

TEST_F(DebugSession, WrongUsageStartsNothing) {
    EXPECT_EQ(run({}), 2);
    EXPECT_NE(err.str().find("usage: zeptool debug P.zep"), std::string::npos) << err.str();
    EXPECT_EQ(run({"show.zep", "--expand"}), 2);
    EXPECT_EQ(err.str(), "zeptool: --expand needs a value\n");
    EXPECT_EQ(run({"show.zep", "other.zep"}), 2);
    EXPECT_EQ(run({"show.zep", "--verbose"}), 2);
    EXPECT_EQ(err.str(), "zeptool: unexpected argument \"--verbose\"\n");
    EXPECT_TRUE(out.str().empty());
}

TEST_F(DebugSession, APlayerThatCannotStartFailsAndLeavesNoSocket) {
    EXPECT_EQ(run({"show.zep", "--player", (m_dir / "no-such-player").string()}), 1);
    EXPECT_NE(err.str().find("cannot start"), std::string::npos) << err.str();
    EXPECT_TRUE(fs::is_empty(m_dir / "vantrel-debugger"));
}

TEST_F(DebugSession, NoPrivateFolderForTheSocketIsAFailure) {
    fs::create_directories(m_dir / "elsewhere");
    fs::create_directory_symlink(m_dir / "elsewhere", m_dir / "vantrel-debugger");
    EXPECT_EQ(run({"show.zep", "--player", "/bin/true"}), 1);
    EXPECT_EQ(err.str(), "zeptool: no private runtime folder for the debugger's socket\n");
}

}  // namespace
