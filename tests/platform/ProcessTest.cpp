// The process layer on real children: command-line splitting, program resolution with
// ".exe" twins, exit codes, errors from real failures and the message pump during waits.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>

#include "platform/EventPump.h"
#include "platform/Process.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

struct SplitCase {
    const char* tail;
    std::vector<std::string> params;
};

TEST(CommandLineSplit, ParametersFollowTheShellRules) {
    const SplitCase cases[] = {
        {"", {}},
        {"   ", {}},
        {"a b  c", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"x\"y z\"w", {"xy zw"}},
        {"a \"\" b", {"a", "b"}},                  // an empty pair between parameters is skipped
        {"a\\b \"c\\\" d", {"a\\b", "c\\", "d"}},  // backslashes are plain characters
        {"\"unterminated tail", {"unterminated tail"}},
        {"\ta\x01\x02"
         "b",
         {"a", "b"}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(splitParameters(c.tail), c.params) << c.tail;
    EXPECT_EQ(splitParameters(std::string(5000, 'x')).at(0).size(), 4096u);
}

TEST(CommandLineSplit, ProgramEndsAtFirstSpaceOutsideQuotes) {
    SplitCommand s = splitProgram("\"C:\\Program Files\\x.exe\"   -a \"b c\"");
    EXPECT_EQ(s.program, "C:\\Program Files\\x.exe");
    EXPECT_EQ(s.tail, "-a \"b c\"");
    s = splitProgram("tool.exe");
    EXPECT_EQ(s.program, "tool.exe");
    EXPECT_EQ(s.tail, "");
}

class Processes : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vantrel-process-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        setMessagePump(nullptr);
        fs::remove_all(dir);
    }
    fs::path script(const std::string& name, const std::string& body, bool executable = true) {
        fs::path p = dir / name;
        std::ofstream(p) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(p,
                        executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
        return p;
    }
    int run(const fs::path& program, std::vector<std::string> args = {}) {
        Started s = startProgram({program, std::move(args), dir}, true);
        EXPECT_TRUE(s) << s.error;
        return waitForExit(s.pid, 1).value_or(-1);
    }
    fs::path dir;
};

TEST_F(Processes, ExitCodesAndSignalsOfRealChildren) {
    EXPECT_EQ(run(script("zero", "exit 0")), 0);
    EXPECT_EQ(run(script("seven", "exit 7")), 7);
    EXPECT_EQ(run(script("killed", "kill -9 $$")), 128 + 9);
    // A signal the player ignores still ends the programs it starts.
    auto previous = ::signal(SIGTERM, SIG_IGN);
    EXPECT_EQ(run(script("terminated", "kill -TERM $$; sleep 1; exit 0")), 128 + SIGTERM);
    ::signal(SIGTERM, previous);
    // Arguments arrive one by one, spaces and quotes intact; the working folder is ours.
    fs::path echo = script("args", "[ \"$1\" = 'a b' ] && [ \"$2\" = 'q\"' ] && [ \"$(pwd)\" = '" +
                                       dir.string() + "' ] && exit 42; exit 1");
    EXPECT_EQ(run(echo, {"a b", "q\""}), 42);
    EXPECT_FALSE(waitForExit(1).has_value());  // not our child
}

TEST_F(Processes, WaitRunsTheMessagePump) {
    int pumped = 0;
    setMessagePump([&] { ++pumped; });
    EXPECT_EQ(run(script("slow", "sleep 0.2; exit 3")), 3);
    EXPECT_GT(pumped, 3);
}

TEST_F(Processes, ResolutionErrorsComeFromRealFailures) {
    EXPECT_EQ(resolveProgram(dir / "missing.exe").error, kFileNotFound);
    EXPECT_EQ(resolveProgram(dir / "nofolder" / "x.exe").error, kPathNotFound);
    EXPECT_EQ(resolveProgram(script("plain", "exit 0", false)).error, kAccessDenied);
    std::ofstream(dir / "win.exe") << "MZ\x90";
    EXPECT_EQ(resolveProgram(dir / "win.exe").error, kBadFormat);
    EXPECT_EQ(startProgram({dir / "nofolder" / "x", {}, {}}, true).error, kFileNotFound);
    EXPECT_EQ(startProgram({script("plain2", "exit 0", false), {}, {}}, true).error, kAccessDenied);
}

TEST_F(Processes, ExeNameFindsItsNativeTwin) {
    fs::path twin = script("keyboard", "exit 5");
    std::ofstream(dir / "keyboard.exe") << "MZ";  // the Windows build beside it loses
    ResolvedProgram r = resolveProgram(dir / "KEYBOARD.exe");
    ASSERT_EQ(r.error, 0);
    EXPECT_EQ(r.file, twin);
    // A bare name is found in the given folders, then on PATH.
    EXPECT_EQ(resolveProgram("keyboard.exe", {dir}).file, twin);
    EXPECT_EQ(resolveProgram("sh.exe").file, findOnPath("sh"));
    EXPECT_EQ(resolveProgram("no-such-program-here.exe").error, kFileNotFound);
}

TEST_F(Processes, OpenerGetsTheTargetAsOneArgument) {
    const char* oldPath = std::getenv("PATH");
    const std::string saved = oldPath ? oldPath : "";
    fs::path log = dir / "opened.txt";
    script("xdg-open", "printf '%s|%s\\n' \"$#\" \"$1\" >> '" + log.string() + "'");
    setenv("PATH", (dir.string() + ":" + saved).c_str(), 1);
    EXPECT_EQ(openWithDesktop("http://example.org/a b;c"), 0);
    setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(openWithDesktop("x"), kNoAssociation);
    setenv("PATH", saved.c_str(), 1);
    std::error_code ec;
    for (int i = 0; i < 300 && (!fs::exists(log) || fs::file_size(log, ec) == 0); ++i) usleep(10000);
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "1|http://example.org/a b;c");
}

}  // namespace
