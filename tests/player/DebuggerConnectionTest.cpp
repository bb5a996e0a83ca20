// The player's end of the debugger link against a peer played by the test: one
// announcement, the reports and commands, placeholder requests, and a peer that cannot be
// reached, vanishes or talks nonsense, none of which may stop the player.
#include "player/DebuggerConnection.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>

#include "platform/LocalSocket.h"
#include "runtime/DebuggerWire.h"
#include "runtime/ProcessState.h"

namespace fs = std::filesystem;
using runtime::DebugFrame;
namespace msg = runtime::debugmsg;
using namespace std::chrono_literals;

namespace {

constexpr uint32_t kNumber = 4711;

class DebuggerConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* v = std::getenv("XDG_RUNTIME_DIR")) m_savedRuntime = v;
        m_dir = fs::temp_directory_path() / ("vantrel-link-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "shows");
        ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
        m_savedSource = runtime::state().sourceFolder();
        runtime::state().setSourceFolder(m_dir / "shows");
        runtime::state().setDebuggerHandle(0);
        m_link.setOnChange([this](bool open) { m_changes.push_back(open); });
    }
    void TearDown() override {
        m_link.close();
        runtime::state().setDebuggerHandle(0);
        runtime::state().setSourceFolder(m_savedSource);
        if (m_savedRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_savedRuntime->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(m_dir);
    }

    // The debugger's side: listening where the number points.
    platform::LocalListener listen() {
        return platform::LocalListener::listenAt(runtime::debuggerEndpoint(kNumber));
    }

    // Every frame the peer has received within `wait`.
    std::vector<DebugFrame> received(platform::LocalSocket& peer, std::chrono::milliseconds wait = 200ms) {
        std::string bytes;
        while (peer.waitReadable(wait)) {
            if (peer.readAvailable(bytes) == platform::LocalSocket::Read::Closed) break;
        }
        m_decoder.feed(bytes);
        std::vector<DebugFrame> frames;
        while (auto f = m_decoder.next()) frames.push_back(*f);
        return frames;
    }

    // Connects the player's end with the number known, as the start routine does.
    platform::LocalSocket attach(platform::LocalListener& listener) {
        runtime::state().setDebuggerHandle(kNumber);
        m_link.hookup();
        return listener.accept();
    }

    DebugFrame expand(platform::LocalSocket& peer, const std::string& text) {
        EXPECT_TRUE(peer.sendAll(runtime::encodeDebugFrame({msg::kExpand, {}, {text}}), 1s));
        EXPECT_TRUE(m_link.fd() >= 0 && platform::LocalSocket(::dup(m_link.fd())).waitReadable(1s));
        m_link.serviceRequests();
        auto frames = received(peer);
        EXPECT_EQ(frames.size(), 1u) << text;
        return frames.empty() ? DebugFrame() : frames[0];
    }

    fs::path m_dir;
    std::optional<std::string> m_savedRuntime;
    fs::path m_savedSource;
    player::DebuggerConnection m_link;
    runtime::DebugFrameDecoder m_decoder;
    std::vector<bool> m_changes;
};

TEST_F(DebuggerConnectionTest, OneAnnouncementOnceTheNumberIsKnown) {
    platform::LocalListener listener = listen();
    ASSERT_TRUE(listener.valid());
    // The loading form's window comes first, before the command line was read: nothing.
    m_link.hookup();
    EXPECT_FALSE(m_link.active());
    EXPECT_FALSE(listener.accept().valid());

    platform::LocalSocket peer = attach(listener);
    ASSERT_TRUE(peer.valid());
    EXPECT_TRUE(m_link.active());
    EXPECT_EQ(received(peer),
              (std::vector<DebugFrame>{{msg::kAnnounce, {static_cast<int32_t>(::getpid())}, {}}}));
    EXPECT_EQ(m_changes, std::vector<bool>{true});
}

TEST_F(DebuggerConnectionTest, ReportsAndCommandsKeepTheirNumbersAndOrder) {
    platform::LocalListener listener = listen();
    platform::LocalSocket peer = attach(listener);
    ASSERT_TRUE(peer.valid());
    m_link.command(0, "a hint");
    m_link.command(1, "an error");
    m_link.command(2, "a warning");
    m_link.command(3, "no such command");
    m_link.report("divide by Zero", 140, 11, 22);
    m_link.report("Successfully executed", -1, 0, 0);
    const std::string longText(70000, 'x');  // whole, not cut to the old area's size
    m_link.command(0, longText);
    const std::vector<DebugFrame> expected = {
        {msg::kAnnounce, {static_cast<int32_t>(::getpid())}, {}},
        {msg::kHint, {}, {"a hint"}},
        {msg::kError, {}, {"an error"}},
        {msg::kWarning, {}, {"a warning"}},
        {msg::kReport, {140, 11, 22}, {"divide by Zero"}},
        {msg::kReport, {-1, 0, 0}, {"Successfully executed"}},
        {msg::kHint, {}, {longText}},
    };
    EXPECT_EQ(received(peer), expected);
}

TEST_F(DebuggerConnectionTest, PlaceholderRequestsAreAnsweredWithoutTrailingSpaces) {
    platform::LocalListener listener = listen();
    platform::LocalSocket peer = attach(listener);
    ASSERT_TRUE(peer.valid());
    received(peer);  // the announcement
    const std::string source = "Z:" + (m_dir / "shows").string();
    std::string windowsSource = source;
    for (char& c : windowsSource)
        if (c == '/') c = '\\';

    // The expanded text, then the requested text itself.
    EXPECT_EQ(expand(peer, "%SRCDIR%  "), (DebugFrame{msg::kExpand, {}, {windowsSource, "%SRCDIR%"}}));
    EXPECT_EQ(expand(peer, "%srcdir%\\a b.txt "),
              (DebugFrame{msg::kExpand, {}, {windowsSource + "\\a b.txt", "%srcdir%\\a b.txt"}}));
    EXPECT_EQ(expand(peer, ""), (DebugFrame{msg::kExpand, {}, {"", ""}}));
    EXPECT_EQ(expand(peer, "    "), (DebugFrame{msg::kExpand, {}, {"", ""}}));
    // Leading spaces and other white space stay.
    EXPECT_EQ(expand(peer, "  x\t"), (DebugFrame{msg::kExpand, {}, {"  x\t", "  x\t"}}));

    // Two requests in one read are both answered, in order; frames the player does not
    // take from a debugger are passed over.
    std::string two = runtime::encodeDebugFrame({msg::kHint, {}, {"not for the player"}}) +
                      runtime::encodeDebugFrame({msg::kExpand, {}, {"1 "}}) +
                      runtime::encodeDebugFrame({msg::kExpand, {}, {"2  "}});
    ASSERT_TRUE(peer.sendAll(two, 1s));
    ASSERT_TRUE(platform::LocalSocket(::dup(m_link.fd())).waitReadable(1s));
    m_link.serviceRequests();
    EXPECT_EQ(received(peer),
              (std::vector<DebugFrame>{{msg::kExpand, {}, {"1", "1"}}, {msg::kExpand, {}, {"2", "2"}}}));
    EXPECT_TRUE(m_link.active());
}

TEST_F(DebuggerConnectionTest, AnEndpointNobodyListensAtLeavesNoDebugger) {
    runtime::state().setDebuggerHandle(kNumber);
    m_link.hookup();
    EXPECT_FALSE(m_link.active());
    EXPECT_EQ(runtime::state().debuggerHandle(), 0u);
    m_link.report("nowhere", 1, 1, 1);  // goes nowhere, harmlessly
    m_link.command(0, "nowhere");
    EXPECT_TRUE(m_changes.empty());
}

TEST_F(DebuggerConnectionTest, APeerThatVanishesLeavesThePlayerRunning) {
    platform::LocalListener listener = listen();
    platform::LocalSocket peer = attach(listener);
    ASSERT_TRUE(peer.valid());
    peer.close();
    // Writing to a socket whose reader has gone raises SIGPIPE unless the sends say not
    // to; the test process would die here.
    for (int i = 0; i < 3; ++i) m_link.command(0, "anyone there?");
    m_link.report("still running", 5, 1, 5);
    EXPECT_FALSE(m_link.active());
    EXPECT_EQ(m_changes, (std::vector<bool>{true, false}));
    // The number stays: the debugger was attached, it went away.
    EXPECT_EQ(runtime::state().debuggerHandle(), kNumber);
}

TEST_F(DebuggerConnectionTest, APeerGoneWhileTheRequestsAreReadIsNoticed) {
    platform::LocalListener listener = listen();
    platform::LocalSocket peer = attach(listener);
    ASSERT_TRUE(peer.valid());
    peer.close();
    m_link.serviceRequests();
    EXPECT_FALSE(m_link.active());
    EXPECT_EQ(m_changes, (std::vector<bool>{true, false}));
}

TEST_F(DebuggerConnectionTest, APeerSendingNonsenseIsLeft) {
    platform::LocalListener listener = listen();
    platform::LocalSocket peer = attach(listener);
    ASSERT_TRUE(peer.valid());
    ASSERT_TRUE(peer.sendAll(std::string("\xFF\xFF\xFF\xFF garbage", 12), 1s));
    ASSERT_TRUE(platform::LocalSocket(::dup(m_link.fd())).waitReadable(1s));
    m_link.serviceRequests();
    EXPECT_FALSE(m_link.active());
    m_link.command(0, "ignored");
    EXPECT_EQ(received(peer).size(), 1u);  // the announcement only
}

TEST_F(DebuggerConnectionTest, ClosingFreesTheLinkAndAnnouncesAnewOnTheNextHookup) {
    platform::LocalListener listener = listen();
    platform::LocalSocket peer = attach(listener);
    ASSERT_TRUE(peer.valid());
    m_link.close();
    EXPECT_FALSE(m_link.active());
    EXPECT_EQ(m_link.fd(), -1);
    EXPECT_EQ(received(peer).size(), 1u);  // the announcement, then the end
    EXPECT_EQ(m_changes, (std::vector<bool>{true, false}));

    m_link.hookup();
    platform::LocalSocket again = listener.accept();
    ASSERT_TRUE(again.valid());
    m_decoder = {};
    EXPECT_EQ(received(again).size(), 1u);
    EXPECT_EQ(m_changes, (std::vector<bool>{true, false, true}));
}

}  // namespace
