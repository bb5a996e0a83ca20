// Downloads against an HTTP server on loopback: the bytes arrive whole, error statuses,
// refused connections and redirects, a slow body cancelled (and not) through automation
// answers, the forms disabled meanwhile, the proxy of the Internet Settings, and the
// routines called from a script.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <random>

#include "library/Download.h"
#include "library/IFSI_Conventions.h"
#include "library/IFSI_Network.h"
#include "library/Network.h"
#include "library/ProgressDialog.h"
#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/Registry.h"
#include "tests/library/LoopbackServer.h"
#include "tests/script/ScriptSession.h"
#include "tests/support/AnsweredDialogs.h"
#include "tests/support/TempTree.h"
#include "vcl/Forms.h"

namespace fs = std::filesystem;
using namespace library;
using loopback::sendAll;

namespace {

std::string randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

std::string response(int status, std::string_view reason, std::string_view body,
                     std::string_view extra = {}) {
    return "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
           std::string(extra) + "\r\n" + std::string(body);
}

std::string pathOf(const std::string& head) {
    const size_t a = head.find(' ');
    const size_t b = head.find(' ', a + 1);
    return a == std::string::npos || b == std::string::npos ? std::string() : head.substr(a + 1, b - a - 1);
}

// gzip of "hello\n".
std::string gzippedHello() {
    static const unsigned char bytes[] = {0x1f, 0x8b, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,
                                          0xff, 0xcb, 0x48, 0xcd, 0xc9, 0xc9, 0xe7, 0x02, 0x00,
                                          0x20, 0x30, 0x3a, 0x36, 0x06, 0x00, 0x00, 0x00};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

const std::string& payload() {
    static const std::string data = randomBytes(3 << 20, 7);
    return data;
}

// Sends `total` bytes in pieces of `piece` with a pause between, until done, refused by the
// client or the server stops.
void trickle(const loopback::Server& server, int fd, size_t total, size_t piece, int pauseMs) {
    if (!sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(total) +
                         "\r\nConnection: close\r\n\r\n"))
        return;
    const std::string block(piece, 'x');
    for (size_t sent = 0; sent < total && !server.stopping(); sent += piece) {
        if (!sendAll(fd, std::string_view(block).substr(0, std::min(piece, total - sent)))) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setRegistry(platform::RegistryStore::openInMemory());
        answer("");
    }
    void TearDown() override {
        platform::setMessagePump(nullptr);
        platform::installDialogs(nullptr);
        platform::setRegistry(nullptr);
    }
    void answer(const std::string& script) const { m_dialogs.answer(script); }
    size_t logged(const std::string& piece) const { return m_dialogs.count(piece); }
    // Everything in the test folder but the log: no part files may stay behind.
    std::vector<std::string> files() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(t.root()))
            if (e.path().filename() != "dialogs.log") out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    void route(int fd, const std::string& head) {
        const std::string path = pathOf(head);
        if (path == "/data.bin") {
            sendAll(fd, response(200, "OK", payload()));
        } else if (path == "/moved") {
            sendAll(fd, response(302, "Found", "", "Location: /data.bin\r\n"));
        } else if (path == "/moved-twice") {
            sendAll(fd,
                    response(301, "Moved Permanently", "gone", "Location: " + server.url("/moved") + "\r\n"));
        } else if (path == "/loop") {
            sendAll(fd, response(302, "Found", "", "Location: /loop\r\n"));
        } else if (path == "/chunked") {
            sendAll(fd,
                    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                    "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n");
        } else if (path == "/slow") {
            trickle(server, fd, 64 << 20, 16384, 10);
        } else if (path == "/slow-small") {
            trickle(server, fd, 96 * 1024, 8192, 25);
        } else if (path == "/short") {
            sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\nonly part");
        } else if (path == "/hello.gz") {
            // A stored .gz file, labelled as compressed to a client that asks for compression,
            // as many servers do: the download must keep the file's own bytes.
            const std::string lowered = [&] {
                std::string l = head;
                for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                return l;
            }();
            const bool acceptsGzip = lowered.find("accept-encoding:") != std::string::npos &&
                                     lowered.find("gzip") != std::string::npos;
            sendAll(fd, response(200, "OK", gzippedHello(), acceptsGzip ? "Content-Encoding: gzip\r\n" : ""));
        } else if (path == "/error") {
            sendAll(fd, response(500, "Internal Server Error", "broken"));
        } else {
            sendAll(fd, response(404, "Not Found", "not here"));
        }
    }

    TempTree t{"download"};
    AnsweredDialogs m_dialogs{t.native("dialogs.log")};
    loopback::Server server{[this](int fd, const std::string& head) { route(fd, head); }};
};

TEST_F(DownloadTest, BodyArrivesWholeWithProgressAndMessage) {
    std::vector<std::string> statuses;
    std::string caption;
    int lastPosition = -1;
    platform::setMessagePump([&] {
        if (ProgressDialog* d = ProgressDialog::current()) {
            caption = d->caption();
            if (statuses.empty() || statuses.back() != d->status()) statuses.push_back(d->status());
            lastPosition = d->position();
        }
    });
    ASSERT_TRUE(DownloadFileEx(server.url("/data.bin"), t.win("data.bin"), "Fetching the data"));
    EXPECT_TRUE(t.read("data.bin") == payload());
    EXPECT_EQ(files(), std::vector<std::string>{"data.bin"});
    EXPECT_EQ(caption, "Downloading ...");
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.front(), "Fetching the data");
    for (size_t i = 1; i < statuses.size(); ++i) EXPECT_EQ(statuses[i].rfind("Fetching the data\r\n", 0), 0u);
    EXPECT_GE(lastPosition, 0);
    EXPECT_LE(lastPosition, 100);
    EXPECT_EQ(ProgressDialog::current(), nullptr);

    // An existing file is replaced, and a body without a length arrives too.
    ASSERT_TRUE(DownloadFile(server.url("/chunked"), t.win("data.bin")));
    EXPECT_EQ(t.read("data.bin"), "hello world");
}

TEST_F(DownloadTest, FailuresLeaveTheTargetAsItWas) {
    t.write("keep.txt", "old");
    EXPECT_FALSE(DownloadFile(server.url("/missing"), t.win("keep.txt")));
    EXPECT_FALSE(DownloadFile(server.url("/error"), t.win("keep.txt")));
    EXPECT_FALSE(DownloadFile(server.url("/short"), t.win("keep.txt")));
    EXPECT_FALSE(DownloadFile(server.url("/loop"), t.win("keep.txt")));
    EXPECT_FALSE(
        DownloadFile("http://127.0.0.1:" + std::to_string(loopback::closedPort()) + "/x", t.win("keep.txt")));
    EXPECT_FALSE(DownloadFile("not a url", t.win("keep.txt")));
    EXPECT_FALSE(DownloadFile("gopher://127.0.0.1/x", t.win("keep.txt")));
    EXPECT_EQ(t.read("keep.txt"), "old");
    EXPECT_FALSE(DownloadFile(server.url("/missing"), t.win("new.txt")));
    EXPECT_EQ(files(), std::vector<std::string>{"keep.txt"});
    // A folder that does not exist fails before anything is fetched.
    const size_t before = server.heads().size();
    EXPECT_FALSE(DownloadFile(server.url("/data.bin"), t.win("no\\such\\folder\\f.bin")));
    EXPECT_EQ(server.heads().size(), before);
    EXPECT_EQ(ProgressDialog::current(), nullptr);
}

TEST_F(DownloadTest, ACompressedFileArrivesAsStoredNeverUnpacked) {
    ASSERT_TRUE(DownloadFile(server.url("/hello.gz"), t.win("hello.gz")));
    EXPECT_EQ(t.read("hello.gz"), gzippedHello());
}

TEST_F(DownloadTest, RedirectsAreFollowed) {
    ASSERT_TRUE(DownloadFile(server.url("/moved-twice"), t.win("r.bin")));
    EXPECT_TRUE(t.read("r.bin") == payload());
    EXPECT_EQ(files(), std::vector<std::string>{"r.bin"});
}

TEST_F(DownloadTest, CancelAnsweredNoGoesOnAndYesStops) {
    // The first question is answered No, the second Yes; the slow body would take minutes.
    answer("answer No\nanswer Yes\n");
    int pumped = 0;
    std::string afterYes;
    platform::setMessagePump([&] {
        ProgressDialog* d = ProgressDialog::current();
        if (!d || d->cancelled() || ++pumped % 5 != 0) return;
        d->cancelPressed();
        if (d->cancelled()) afterYes = d->buttonText();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(DownloadFile(server.url("/slow"), t.win("slow.bin")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(afterYes, "&Aborting...");
    EXPECT_EQ(logged("Do you want to cancel the download?"), 2u);
    EXPECT_EQ(files(), std::vector<std::string>{});
    EXPECT_EQ(ProgressDialog::current(), nullptr);

    // Answered No every time, the slow download completes.
    answer("answer No\nanswer No\nanswer No\n");
    pumped = 0;
    platform::setMessagePump([&] {
        ProgressDialog* d = ProgressDialog::current();
        if (d && ++pumped == 3) d->pressKey(27);
    });
    ASSERT_TRUE(DownloadFile(server.url("/slow-small"), t.win("small.bin")));
    EXPECT_EQ(t.read("small.bin"), std::string(96 * 1024, 'x'));
    EXPECT_EQ(logged("Do you want to cancel the download?"), 1u);
}

TEST_F(DownloadTest, FormsAreDisabledDuringTheDownload) {
    vcl::TForm form(nullptr);
    form.show();
    ASSERT_TRUE(form.enabled());
    int disabledSeen = 0, enabledSeen = 0;
    platform::setMessagePump([&] {
        if (!ProgressDialog::current()) return;
        (form.enabled() ? enabledSeen : disabledSeen)++;
    });
    ASSERT_TRUE(DownloadFile(server.url("/slow-small"), t.win("f.bin")));
    EXPECT_GT(disabledSeen, 0);
    EXPECT_EQ(enabledSeen, 0);
    EXPECT_TRUE(form.enabled());
    // Also after a failure.
    EXPECT_FALSE(DownloadFile(server.url("/missing"), t.win("g.bin")));
    EXPECT_TRUE(form.enabled());
    form.hide();
}

TEST_F(DownloadTest, ProxyOfTheInternetSettingsIsUsed) {
    // The proxy gets the absolute URL; the named host is never looked up.
    loopback::Server proxy([](int fd, const std::string&) { sendAll(fd, response(200, "OK", "via proxy")); });
    auto& reg = platform::registry();
    const std::string key(kInternetSettingsKey);
    reg.setValue(platform::RegistryRoot::CurrentUser, key, "ProxyEnable", platform::RegistryValue::dword(1));
    reg.setValue(
        platform::RegistryRoot::CurrentUser, key, "ProxyServer",
        platform::RegistryValue::string("http=127.0.0.1:" + std::to_string(proxy.port()) + ";ftp=f:21"));
    reg.setValue(platform::RegistryRoot::CurrentUser, key, "ProxyOverride",
                 platform::RegistryValue::string("*.local.test;<local>"));
    ASSERT_TRUE(DownloadFile("http://downloads.example.test/file.txt", t.win("p.txt")));
    EXPECT_EQ(t.read("p.txt"), "via proxy");
    ASSERT_EQ(proxy.heads().size(), 1u);
    EXPECT_EQ(proxy.heads()[0].rfind("GET http://downloads.example.test/file.txt HTTP/1.1\r\n", 0), 0u);

    // Loopback is covered by "<local>": the download goes to the server itself.
    ASSERT_TRUE(DownloadFile(server.url("/chunked"), t.win("direct.txt")));
    EXPECT_EQ(proxy.heads().size(), 1u);
}

TEST_F(DownloadTest, ScriptsDownloadAndReadProxySettings) {
    auto& reg = platform::registry();
    const std::string key(kInternetSettingsKey);
    reg.setValue(platform::RegistryRoot::CurrentUser, key, "ProxyEnable", platform::RegistryValue::dword(1));
    reg.setValue(platform::RegistryRoot::CurrentUser, key, "ProxyServer",
                 platform::RegistryValue::string("10.0.0.1:8080"));
    reg.setValue(platform::RegistryRoot::CurrentUser, key, "ProxyOverride",
                 platform::RegistryValue::string("<local>;10.*"));
    setConnectionStateProvider([] { return ConnectionState{true, 2u | 64u, true}; });
    ScriptSession session;
    session.tables.push_back(&conventionImports());
    session.tables.push_back(&networkImports());
    const std::string source =
        "var P: TDWInternetProxySetting; L, N: TStringList; S: TDWInternetConnectedStates;\n"
        "begin\n"
        "  if DownloadFile('" +
        server.url("/chunked") + "', '" + t.win("s.txt") +
        "') then Log('ok');\n"
        "  if not DownloadFileEx('" +
        server.url("/missing") + "', '" + t.win("m.txt") +
        "', 'M') then Log('404');\n"
        "  if GetInternetProxySetting(P) then Log(P.Socks.Host + ':' + IntToStr(P.Socks.Port));\n"
        "  L := TStringList.Create;\n"
        "  if GetProxyIgnoredAdresses(L) then Log(L.CommaText);\n"
        "  L.Free;\n"
        "  N := nil;\n"
        "  if not GetProxyIgnoredAdresses(N) and (N = nil) then Log('nil stays nil');\n"
        "  S := [dwicsModem];\n"
        "  if GetInternetConnectionState(S) and (dwicsLAN in S) and (dwicsModem in S) then Log('lan');\n"
        "  Log(GetIPByHostName('localhost'));\n"
        "end.";
    ASSERT_TRUE(session.run(source)) << session.error;
    setConnectionStateProvider(nullptr);
    EXPECT_EQ(session.log, "ok\n404\n10.0.0.1:8080\n127.0.0.1,10.*\nnil stays nil\nlan\n127.0.0.1\n");
    EXPECT_EQ(t.read("s.txt"), "hello world");
}

}  // namespace
