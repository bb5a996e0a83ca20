// The debugger link between the real player and its peers: zeptool debug as the authoring
// side, and a peer played by the test that goes away in the middle of a run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "PlayerProcess.h"
#include "platform/LocalSocket.h"
#include "runtime/DebuggerWire.h"

namespace fs = std::filesystem;
using e2e::PlayerProcess;
using e2e::Sandbox;
using namespace std::chrono_literals;
namespace msg = runtime::debugmsg;

namespace {

fs::path project(const std::string& name) { return fs::path(E2E_PROJECTS) / (name + ".zep"); }

std::vector<std::string> linesOf(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> startingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& l : lines)
        if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

// The runtime folder both ends use: private to the sandbox.
fs::path runtimeFolder(const Sandbox& box) {
    const fs::path dir = box.dir() / "run";
    fs::create_directories(dir);
    ::chmod(dir.c_str(), 0700);
    return dir;
}

// "row R, column C (position P)" of a report line.
struct At {
    int row = 0, col = 0;
    size_t position = 0;
};
At positionIn(const std::string& line) {
    At at;
    std::sscanf(line.substr(line.find(" at row ")).c_str(), " at row %d, column %d (position %zu)", &at.row,
                &at.col, &at.position);
    return at;
}

// The script as the project carries it: packing gives it Windows line ends.
std::string scriptSource(const std::string& name) {
    std::ifstream in(fs::path(E2E_SOURCES) / name / "script.pas", std::ios::binary);
    std::string crlf;
    for (std::string line; std::getline(in, line);) crlf += line + "\r\n";
    return crlf;
}

TEST(DebuggerLink, ZeptoolDebugShowsEveryMessageWithTheErrorsSourcePositions) {
    Sandbox box;
    const fs::path out = box.dir() / "debug.txt";
    PlayerProcess::Options options(
        {"debug", project("eventerror").string(), "--player", e2e::builtPlayer().string(), "--expand",
         "%TMPAPPDIR%  ", "--expand", "   "},
        true,
        // Time for the requests before the clicks end the run.
        "wait 1500\nclick Button1\nanswer OK\nclick Button2\nanswer OK\nclick Button3\nanswer OK\n",
        {"XDG_RUNTIME_DIR=" + runtimeFolder(box).string()});
    options.output = out;
    PlayerProcess zeptool(box, fs::path(VANTREL_BINARY_DIR) / "toolkit" / "zeptool", options);
    ASSERT_EQ(zeptool.wait(), 0);
    const auto lines = linesOf(out);
    const std::string all = joined(lines);

    // Exactly one announcement, before anything else.
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("2023 announce: player process ", 0), 0u) << all;
    EXPECT_EQ(startingWith(lines, "2023 ").size(), 1u) << all;

    // Placeholder requests: the expanded folder and the text without its trailing spaces;
    // only spaces give two empty texts.
    const auto expanded = startingWith(lines, "2022 expanded: ");
    ASSERT_EQ(expanded.size(), 2u) << all;
    const auto appFolders = box.appFolders();  // removed at the end of the run
    EXPECT_TRUE(appFolders.empty());
    std::string tmp = "Z:" + box.tmp().string();
    for (char& c : tmp)
        if (c == '/') c = '\\';
    EXPECT_EQ(expanded[0].rfind("2022 expanded: \"%TMPAPPDIR%\" -> \"" + tmp + "\\zep-", 0), 0u) << all;
    EXPECT_EQ(expanded[0].substr(expanded[0].size() - 4), "_al\"") << all;
    EXPECT_EQ(expanded[1], "2022 expanded: \"\" -> \"\"");

    // The errors of the two event procedures and of the main block, at their places in
    // the script, then the end of the run.
    const auto reports = startingWith(lines, "1801 ");
    ASSERT_EQ(reports.size(), 4u) << all;
    const std::string source = scriptSource("eventerror");
    EXPECT_EQ(reports[0].rfind("1801 report: \"Something went wrong\" at row 6, column ", 0), 0u) << all;
    const At first = positionIn(reports[0]);
    ASSERT_LT(first.position, source.size());
    EXPECT_EQ(source.substr(first.position, 14), "RaiseException");
    EXPECT_EQ(first.col, 3);
    // A division fails at its operator.
    EXPECT_EQ(reports[1].rfind("1801 report: \"divide by Zero\" at row 12, column ", 0), 0u) << all;
    EXPECT_EQ(source.substr(positionIn(reports[1]).position, 8), "div Zero");
    EXPECT_EQ(reports[2].rfind("1801 report: \"divide by Zero\" at row 27, column ", 0), 0u) << all;
    EXPECT_EQ(source.substr(positionIn(reports[2]).position, 6), "div Ze");
    EXPECT_EQ(positionIn(reports[2]).col, 26);
    EXPECT_EQ(reports[3], "1801 end of run: \"[Error] Unable to succesfully run this project.\"");
    EXPECT_EQ(lines.back(), "player ended with exit code 0");
}

// The test plays the debugger: it listens, hears the announcement and a few of the
// script's hints, and goes away while the script keeps sending.
TEST(DebuggerLink, APeerThatVanishesMidRunLeavesTheProjectRunning) {
    Sandbox box;
    const fs::path run = runtimeFolder(box);
    ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    const uint32_t number = 90000 + static_cast<uint32_t>(::getpid() % 10000);
    platform::LocalListener listener = platform::LocalListener::listenAt(runtime::debuggerEndpoint(number));
    ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(listener.valid());

    PlayerProcess player(box, e2e::builtPlayer(),
                         {{project("debugpeer").string(), "DEBUGER:" + std::to_string(number)},
                          true,
                          "",
                          {"XDG_RUNTIME_DIR=" + run.string()}});
    platform::LocalSocket peer;
    ASSERT_TRUE(e2e::waitFor([&] { return (peer = listener.accept()).valid(); }));
    runtime::DebugFrameDecoder decoder;
    std::vector<runtime::DebugFrame> heard;
    ASSERT_TRUE(e2e::waitFor([&] {
        std::string bytes;
        peer.readAvailable(bytes);
        decoder.feed(bytes);
        while (auto f = decoder.next()) heard.push_back(*f);
        return !heard.empty() && heard.back() == runtime::DebugFrame{msg::kHint, {}, {"tick 3"}};
    }));
    peer.close();
    listener = {};

    EXPECT_EQ(player.wait(), 0);
    ASSERT_GE(heard.size(), 5u);
    EXPECT_EQ(heard[0], (runtime::DebugFrame{msg::kAnnounce, {player.pid()}, {}}));
    EXPECT_EQ(heard[1], (runtime::DebugFrame{msg::kWarning, {}, {"starting"}}));
    bool shown = false;
    for (const auto& line : player.logLines())
        shown = shown || line.find("\"text\":\"ticks 40 attached\"") != std::string::npos;
    EXPECT_TRUE(shown) << joined(player.logLines());
}

TEST(DebuggerLink, ANumberNobodyListensForPlaysAsWithoutADebugger) {
    Sandbox box;
    PlayerProcess player(box, e2e::builtPlayer(),
                         {{project("debugpeer").string(), "DEBUGER:77"},
                          true,
                          "",
                          {"XDG_RUNTIME_DIR=" + runtimeFolder(box).string()}});
    EXPECT_EQ(player.wait(), 0);
    bool shown = false;
    for (const auto& line : player.logLines())
        shown = shown || line.find("\"text\":\"ticks 40 alone\"") != std::string::npos;
    EXPECT_TRUE(shown) << joined(player.logLines());
}

}  // namespace
