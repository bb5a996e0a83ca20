// Host names and addresses (loopback names only), the adapter address against sysfs, the
// internet-side address from fake mail servers on loopback, the connection state through
// an injected provider and the route tables, and the proxy texts of the Internet Settings.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <set>

#include "classes/TStrings.h"
#include "library/Network.h"
#include "platform/Registry.h"
#include "tests/library/LoopbackServer.h"

namespace fs = std::filesystem;
using namespace library;
using loopback::sendAll;

namespace {

class NetworkTest : public ::testing::Test {
protected:
    void SetUp() override { platform::setRegistry(platform::RegistryStore::openInMemory()); }
    void TearDown() override {
        setConnectionStateProvider(nullptr);
        platform::setRegistry(nullptr);
    }
    void setString(std::string_view key, std::string_view name, const std::string& value) {
        platform::registry().setValue(platform::RegistryRoot::CurrentUser, key, name,
                                      platform::RegistryValue::string(value));
    }
    void setProxy(uint32_t enable, const std::string& server, const std::string& bypass) {
        platform::registry().setValue(platform::RegistryRoot::CurrentUser, kInternetSettingsKey,
                                      "ProxyEnable", platform::RegistryValue::dword(enable));
        setString(kInternetSettingsKey, "ProxyServer", server);
        setString(kInternetSettingsKey, "ProxyOverride", bypass);
    }
    void useMailServer(uint16_t port) {
        setString(platform::kProductKey, kInetSideIPServerValue, "127.0.0.1:" + std::to_string(port));
    }
};

bool isDottedIPv4(const std::string& s) {
    in_addr a{};
    return inet_pton(AF_INET, s.c_str(), &a) == 1;
}

TEST_F(NetworkTest, LoopbackNamesAndAddresses) {
    EXPECT_EQ(GetIPByHostName("localhost"), "127.0.0.1");
    EXPECT_EQ(GetIPByHostName("127.0.0.5"), "127.0.0.5");
    EXPECT_EQ(GetIPByHostName(""), "");
    EXPECT_EQ(GetHostNameByIP("127.0.0.1"), "localhost");
    EXPECT_EQ(GetHostNameByIP("not an address"), "");
    EXPECT_EQ(GetHostNameByIP(""), "");
    const std::string own = GetIPAdress();
    EXPECT_TRUE(own.empty() || isDottedIPv4(own)) << own;
}

TEST_F(NetworkTest, AdapterAddressIsOneTheSystemLists) {
    std::set<std::string> known;
    for (const auto& e : fs::directory_iterator("/sys/class/net")) {
        std::ifstream in(e.path() / "address");
        std::string mac;
        if (!(in >> mac) || mac.size() != 17 || mac == "00:00:00:00:00:00") continue;
        for (char& c : mac)
            c = c == ':' ? '-' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        known.insert(mac);
    }
    const std::string mac = GetMACAdress();
    if (known.empty()) {
        EXPECT_EQ(mac, "");
    } else {
        EXPECT_TRUE(std::regex_match(mac, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}"))) << mac;
        EXPECT_TRUE(known.count(mac)) << mac;
    }
}

// A mail server that greets, answers HELO with `reply` and hands back what it was sent.
struct FakeMailServer {
    explicit FakeMailServer(std::string reply, bool greet = true)
        : server(
              [this, reply, greet](int fd, const std::string&) {
                  if (greet) sendAll(fd, "220-mail.test ESMTP\r\n220 ready\r\n");
                  const std::string helo = loopback::readUntil(fd, "\r\n", 3000);
                  {
                      std::lock_guard lock(mutex);
                      received = helo;
                  }
                  sendAll(fd, reply);
                  const std::string quit = loopback::readUntil(fd, "\r\n", 500);
                  std::lock_guard lock(mutex);
                  received += quit;
              },
              false) {}
    std::string got() {
        std::lock_guard lock(mutex);
        return received;
    }
    std::mutex mutex;
    std::string received;
    loopback::Server server;
};

TEST_F(NetworkTest, InetSideAddressComesFromTheGreetingReply) {
    {
        FakeMailServer mail("250 mail.test Hello HELO [203.0.113.7]\r\n");
        useMailServer(mail.server.port());
        EXPECT_EQ(GetInetSideIP(), "203.0.113.7");
        EXPECT_EQ(mail.got().rfind("HELO HELO\r\n", 0), 0u) << mail.got();
    }
    {
        FakeMailServer mail("250 mail.test Hello [2001:db8::5]\r\n");
        useMailServer(mail.server.port());
        EXPECT_EQ(GetInetSideIP(), "2001:db8::5");
    }
    // Only a valid address is an answer: a name, a cut reply, no brackets.
    for (const char* reply : {"250 Hello [unknown]\r\n", "250 Hello [203.0.11", "250 Hello 203.0.113.7\r\n",
                              "250 Hello [203.0.113.7 more]\r\n", "250 Hello [999.1.1.1]\r\n"}) {
        FakeMailServer mail(reply);
        useMailServer(mail.server.port());
        EXPECT_EQ(GetInetSideIP(), "") << reply;
    }
}

TEST_F(NetworkTest, InetSideAddressIsEmptyWithoutAServer) {
    EXPECT_EQ(GetInetSideIP(), "");  // none configured, none built in
    useMailServer(loopback::closedPort());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetInetSideIP(), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // A server that never speaks is given up on.
    FakeMailServer silent("", false);
    useMailServer(silent.server.port());
    EXPECT_EQ(GetInetSideIP(), "");
}

TEST_F(NetworkTest, ConnectionStateAddsMembersFromTheProvider) {
    using S = TDWInternetConnectedState;
    setConnectionStateProvider([] { return ConnectionState{true, 1u | 4u | 16u | 32u, false}; });
    TDWInternetConnectedStates states{S::dwicsConfigured};
    EXPECT_FALSE(GetInternetConnectionState(states));
    EXPECT_EQ(states, (TDWInternetConnectedStates{S::dwicsConfigured, S::dwicsModem, S::dwicsProxy,
                                                  S::dwicsRASInstalled, S::dwicsOffline}));

    setConnectionStateProvider([] { return ConnectionState{true, 2u, true}; });
    states = {};
    EXPECT_TRUE(GetInternetConnectionState(states));
    EXPECT_EQ(states, TDWInternetConnectedStates{S::dwicsLAN});

    setConnectionStateProvider([] { return ConnectionState{false, 2u, true}; });
    states = {S::dwicsModem};
    EXPECT_FALSE(GetInternetConnectionState(states));
    EXPECT_EQ(states, TDWInternetConnectedStates{S::dwicsModem});
}

TEST_F(NetworkTest, DefaultRouteMeansLan) {
    const std::string head = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n";
    const std::string v4 = head + "eth0\t00000000\t0102A8C0\t0003\t0\t0\t100\t00000000\n";
    const std::string v4Local = head + "eth0\t0002A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\n";
    const std::string v6Default =
        "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
        "fe800000000000000000000000000001 00000400 00000001 00000000 00000003 eth0\n";
    const std::string v6Unreachable =
        "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
        "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200 lo\n";
    EXPECT_TRUE(hasDefaultRoute(v4, ""));
    EXPECT_FALSE(hasDefaultRoute(v4Local, v6Unreachable));
    EXPECT_TRUE(hasDefaultRoute(head, v6Default));
    EXPECT_FALSE(hasDefaultRoute("", ""));

    setProxy(1, "p:1", "");
    const ConnectionState s = systemConnectionState();
    EXPECT_TRUE(s.available);
    EXPECT_TRUE(s.flags & 4u);
    EXPECT_EQ(s.connected, (s.flags & 2u) != 0);
}

TEST_F(NetworkTest, ProxyServerTexts) {
    TDWInternetProxySetting p;
    parseProxyServer("10.0.0.1:8080", p);
    const TDWHostConnectInfo all{"10.0.0.1", 8080};
    EXPECT_EQ(p, (TDWInternetProxySetting{all, all, all, all, all}));

    TDWInternetProxySetting q;
    q.Gopher = {"kept", 70};
    parseProxyServer("http=h:80;https=s:443; ftp=f ;socks=[::1]:1080;HTTP=upper:1;telnet=t:23", q);
    EXPECT_EQ(q.HTTP, (TDWHostConnectInfo{"h", 80}));
    EXPECT_EQ(q.HTTPS, (TDWHostConnectInfo{"s", 443}));
    EXPECT_EQ(q.FTP, (TDWHostConnectInfo{"f", 0}));
    EXPECT_EQ(q.Socks, (TDWHostConnectInfo{"::1", 1080}));
    EXPECT_EQ(q.Gopher, (TDWHostConnectInfo{"kept", 70}));

    EXPECT_EQ(parseHostPort("h:70000").Port, 0);
    EXPECT_EQ(parseHostPort("h:8o").Port, 0);
    EXPECT_EQ(parseHostPort("h:").Port, 0);
    EXPECT_EQ(parseHostPort("h:65535").Port, 65535);
    EXPECT_EQ(parseProxyOverride("<local>;10.*"), (std::vector<std::string>{"127.0.0.1", "10.*"}));
    EXPECT_EQ(parseProxyOverride(";; a ;<LOCAL>"), (std::vector<std::string>{"a", "127.0.0.1"}));
}

TEST_F(NetworkTest, ProxyRoutinesReadTheInternetSettings) {
    TDWInternetProxySetting p;
    p.HTTP = {"unchanged", 1};
    setProxy(0, "10.0.0.1:8080", "<local>");
    EXPECT_FALSE(GetInternetProxySetting(p));
    EXPECT_EQ(p.HTTP.Host, "unchanged");
    setProxy(1, "10.0.0.1:8080", "<local>;10.*");
    EXPECT_TRUE(GetInternetProxySetting(p));
    EXPECT_EQ(p.Socks, (TDWHostConnectInfo{"10.0.0.1", 8080}));

    classes::TStringList list;
    list.add("old");
    EXPECT_TRUE(GetProxyIgnoredAdresses(&list));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.get(0), "127.0.0.1");
    EXPECT_EQ(list.get(1), "10.*");
    EXPECT_FALSE(GetProxyIgnoredAdresses(nullptr));
    setString(kInternetSettingsKey, "ProxyOverride", "");
    EXPECT_FALSE(GetProxyIgnoredAdresses(&list));
    EXPECT_EQ(list.count(), 0);
}

TEST_F(NetworkTest, ProxyChoiceFollowsSchemeAndBypassList) {
    ProxyConfig c;
    parseProxyServer("http=web:3128;socks=sock:1081", c.servers);
    c.overrideText = "*.intra.test;<local>;192.168.*";
    EXPECT_EQ(chooseProxy(c, "http", "example.test").kind, ProxyChoice::Kind::None);  // disabled
    c.enabled = true;
    const ProxyChoice web = chooseProxy(c, "http", "example.test");
    EXPECT_EQ(web.kind, ProxyChoice::Kind::Http);
    EXPECT_EQ(web.host, "web");
    EXPECT_EQ(web.port, 3128);
    const ProxyChoice secure = chooseProxy(c, "HTTPS", "example.test");
    EXPECT_EQ(secure.kind, ProxyChoice::Kind::Socks);
    EXPECT_EQ(secure.port, 1081);
    for (const char* direct : {"a.INTRA.test", "intranet", "localhost", "127.0.0.1", "192.168.1.5"})
        EXPECT_EQ(chooseProxy(c, "http", direct).kind, ProxyChoice::Kind::None) << direct;
    c.overrideText.clear();
    EXPECT_EQ(chooseProxy(c, "http", "localhost").kind, ProxyChoice::Kind::Http);
}

}  // namespace
