#include "library/Network.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/AnsiText.h"
#include "classes/TStrings.h"
#include "library/Guarded.h"
#include "platform/EventPump.h"
#include "platform/Registry.h"

namespace library {
namespace {

using platform::RegistryRoot;
using Clock = std::chrono::steady_clock;

std::string dotted(const in_addr& a) {
    char text[INET_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET, &a, text, sizeof text) ? std::string(text) : std::string();
}

// The last IPv4 address of the lookup, as the Windows resolver's list ends with it.
std::string lastIPv4(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) return {};
    std::string last;
    for (addrinfo* a = list; a; a = a->ai_next)
        if (a->ai_family == AF_INET) last = dotted(reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr);
    ::freeaddrinfo(list);
    return last;
}

std::string readFile(const char* path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool wildcardMatch(std::string_view pattern, std::string_view text) {
    size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool isLoopback(std::string_view host) {
    if (base::asciiSameText(host, "localhost") || host == "::1" || host == "[::1]") return true;
    in_addr a{};
    const std::string h(host);
    return inet_pton(AF_INET, h.c_str(), &a) == 1 && (ntohl(a.s_addr) >> 24) == 127;
}

ConnectionStateProvider& providerSlot() {
    static ConnectionStateProvider provider;
    return provider;
}

// ---- the mail-server conversation ----

class Socket {
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Waits for `events` on the socket until the deadline, letting window messages run.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count(), 50)));
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return false;
        platform::processMessages();
    }
}

int connectTo(const std::string& host, const std::string& port, Clock::time_point deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0) return -1;
    int result = -1;
    for (addrinfo* a = list; a && result < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ||
            (errno == EINPROGRESS && waitFor(fd, POLLOUT, deadline))) {
            int error = 0;
            socklen_t len = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0) {
                result = fd;
                continue;
            }
        }
        ::close(fd);
    }
    ::freeaddrinfo(list);
    return result;
}

// A reply is complete with a line "ddd text" (a space after the code; "ddd-" continues).
bool replyComplete(std::string_view text, size_t from) {
    size_t start = from;
    for (size_t nl = text.find('\n', start); nl != std::string_view::npos; nl = text.find('\n', start)) {
        const std::string_view line = text.substr(start, nl - start);
        if (line.size() >= 4 && line[3] == ' ') return true;
        if (line.size() == 3) return true;
        start = nl + 1;
    }
    return false;
}

// Reads until the reply that starts at `from` is complete, the peer closes or time runs out.
void readReply(int fd, std::string& text, size_t from, Clock::time_point deadline) {
    char buffer[4096];
    while (!replyComplete(text, from) && text.size() < 65536) {
        if (!waitFor(fd, POLLIN, deadline)) return;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0) return;
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
}

std::string inetSideServer() {
    return platform::registry()
        .readString(RegistryRoot::CurrentUser, platform::kProductKey, kInetSideIPServerValue)
        .value_or("");
}

}  // namespace

// ---- host names and addresses ----

std::string GetIPAdress() {
    return guardedOr(std::string(), [] {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0) return std::string();
        return lastIPv4(name);
    });
}

std::string GetIPByHostName(const std::string& hostName) {
    return guardedOr(std::string(), [&] { return lastIPv4(hostName); });
}

std::string GetHostNameByIP(const std::string& ipAddress) {
    return guardedOr(std::string(), [&] {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        if (inet_pton(AF_INET, ipAddress.c_str(), &sa.sin_addr) != 1) return std::string();
        char host[NI_MAXHOST] = {};
        if (::getnameinfo(reinterpret_cast<sockaddr*>(&sa), sizeof sa, host, sizeof host, nullptr, 0,
                          NI_NAMEREQD) != 0)
            return std::string();
        return std::string(host);
    });
}

std::string GetMACAdress() {
    return guardedOr(std::string(), [] {
        ifaddrs* list = nullptr;
        if (::getifaddrs(&list) != 0) return std::string();
        std::string found;
        for (ifaddrs* i = list; i && found.empty(); i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_PACKET) continue;
            const auto* ll = reinterpret_cast<const sockaddr_ll*>(i->ifa_addr);
            if (ll->sll_halen != 6) continue;
            bool zero = true;
            for (int b = 0; b < 6; ++b) zero = zero && ll->sll_addr[b] == 0;
            if (zero) continue;
            char text[18];
            std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", ll->sll_addr[0],
                          ll->sll_addr[1], ll->sll_addr[2], ll->sll_addr[3], ll->sll_addr[4],
                          ll->sll_addr[5]);
            found = text;
        }
        ::freeifaddrs(list);
        return found;
    });
}

// ---- the address the internet sees ----

std::string bracketedAddress(std::string_view reply) {
    const size_t open = reply.find('[');
    if (open == std::string_view::npos) return {};
    const size_t close = reply.find(']', open + 1);
    if (close == std::string_view::npos) return {};
    const std::string inside(reply.substr(open + 1, close - open - 1));
    in6_addr a{};
    if (inet_pton(AF_INET, inside.c_str(), &a) == 1 || inet_pton(AF_INET6, inside.c_str(), &a) == 1)
        return inside;
    return {};
}

std::string GetInetSideIP() {
    return guardedOr(std::string(), [] {
        const std::string server = inetSideServer();
        if (server.empty()) return std::string();
        const TDWHostConnectInfo where = parseHostPort(server);
        if (where.Host.empty()) return std::string();
        const std::string port = std::to_string(where.Port ? where.Port : 25);
        constexpr auto kStep = std::chrono::seconds(5);
        const Socket s(connectTo(where.Host, port, Clock::now() + kStep));
        if (s.fd() < 0) return std::string();
        std::string text;
        // Waiting for the greeting first: servers drop clients that talk before it.
        readReply(s.fd(), text, 0, Clock::now() + kStep);
        const std::string_view helo = "HELO HELO\r\n";
        if (::send(s.fd(), helo.data(), helo.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(helo.size()))
            return bracketedAddress(text);
        readReply(s.fd(), text, text.size(), Clock::now() + kStep);
        const std::string_view quit = "QUIT\r\n";
        [[maybe_unused]] const ssize_t sent = ::send(s.fd(), quit.data(), quit.size(), MSG_NOSIGNAL);
        return bracketedAddress(text);
    });
}

// ---- connection state ----

bool hasDefaultRoute(std::string_view ipv4Routes, std::string_view ipv6Routes) {
    std::istringstream v4{std::string(ipv4Routes)};
    std::string line;
    std::getline(v4, line);  // the heading
    while (std::getline(v4, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags;
        if (!(fields >> iface >> destination >> gateway >> flags)) continue;
        const unsigned long f = std::strtoul(flags.c_str(), nullptr, 16);
        if (destination == "00000000" && (f & 1u) && iface != "lo") return true;
    }
    std::istringstream v6{std::string(ipv6Routes)};
    while (std::getline(v6, line)) {
        std::istringstream fields(line);
        std::string destination, prefix, source, sourcePrefix, nextHop, metric, refs, use, flags, iface;
        if (!(fields >> destination >> prefix >> source >> sourcePrefix >> nextHop >> metric >> refs >> use >>
              flags >> iface))
            continue;
        const unsigned long f = std::strtoul(flags.c_str(), nullptr, 16);
        // RTF_UP | RTF_GATEWAY towards ::/0, not the unreachable route the kernel keeps on lo.
        if (destination == std::string(32, '0') && prefix == "00" && (f & 3u) == 3u && iface != "lo")
            return true;
    }
    return false;
}

ConnectionState systemConnectionState() {
    ConnectionState state;
    if (hasDefaultRoute(readFile("/proc/net/route"), readFile("/proc/net/ipv6_route"))) {
        state.flags |= 2u | 64u;
        state.connected = true;
    }
    if (guardedOr(false, [] { return readProxyConfig().enabled; })) state.flags |= 4u;
    return state;
}

void setConnectionStateProvider(ConnectionStateProvider provider) { providerSlot() = std::move(provider); }

bool GetInternetConnectionState(TDWInternetConnectedStates& states) {
    return guardedOr(false, [&] {
        const ConnectionState s = providerSlot() ? providerSlot()() : systemConnectionState();
        if (!s.available) return false;
        using S = TDWInternetConnectedState;
        constexpr std::pair<uint32_t, S> kMap[] = {{1u, S::dwicsModem},    {2u, S::dwicsLAN},
                                                   {4u, S::dwicsProxy},    {16u, S::dwicsRASInstalled},
                                                   {32u, S::dwicsOffline}, {64u, S::dwicsConfigured}};
        for (const auto& [flag, member] : kMap)
            if (s.flags & flag) states.include(member);
        return s.connected;
    });
}

// ---- proxy settings ----

TDWHostConnectInfo parseHostPort(std::string_view text) {
    TDWHostConnectInfo info;
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        info.Host = std::string(text.substr(1, close == std::string_view::npos ? text.npos : close - 1));
        if (close != std::string_view::npos && close + 1 < text.size() && text[close + 1] == ':')
            portText = text.substr(close + 2);
    } else {
        const size_t colon = text.find(':');
        info.Host = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos) portText = text.substr(colon + 1);
    }
    uint32_t port = 0;
    bool ok = !portText.empty() && portText.size() <= 5;
    for (char c : portText) {
        if (c < '0' || c > '9') ok = false;
        port = port * 10 + static_cast<uint32_t>(c - '0');
    }
    info.Port = ok && port <= 65535 ? static_cast<uint16_t>(port) : 0;
    return info;
}

void parseProxyServer(std::string_view text, TDWInternetProxySetting& setting) {
    if (text.find('=') == std::string_view::npos) {
        const TDWHostConnectInfo all = parseHostPort(base::trimText(text));
        setting = {all, all, all, all, all};
        return;
    }
    while (!text.empty()) {
        const size_t semi = text.find(';');
        const std::string_view entry = base::trimText(text.substr(0, semi));
        text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
        const size_t eq = entry.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view protocol = entry.substr(0, eq);
        const TDWHostConnectInfo info = parseHostPort(entry.substr(eq + 1));
        if (protocol == "http")
            setting.HTTP = info;
        else if (protocol == "https")
            setting.HTTPS = info;
        else if (protocol == "ftp")
            setting.FTP = info;
        else if (protocol == "gopher")
            setting.Gopher = info;
        else if (protocol == "socks")
            setting.Socks = info;
    }
}

std::vector<std::string> parseProxyOverride(std::string_view text) {
    std::vector<std::string> out;
    while (!text.empty()) {
        const size_t semi = text.find(';');
        const std::string_view entry = base::trimText(text.substr(0, semi));
        text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
        if (entry.empty()) continue;
        out.emplace_back(base::asciiSameText(entry, "<local>") ? std::string("127.0.0.1")
                                                               : std::string(entry));
    }
    return out;
}

ProxyConfig readProxyConfig() {
    ProxyConfig config;
    const auto& store = platform::registry();
    const auto enable = store.value(RegistryRoot::CurrentUser, kInternetSettingsKey, "ProxyEnable");
    config.enabled = enable && enable->dwordValue().value_or(0) != 0;
    const std::string server =
        store.readString(RegistryRoot::CurrentUser, kInternetSettingsKey, "ProxyServer").value_or("");
    parseProxyServer(server, config.servers);
    config.overrideText =
        store.readString(RegistryRoot::CurrentUser, kInternetSettingsKey, "ProxyOverride").value_or("");
    return config;
}

ProxyChoice chooseProxy(const ProxyConfig& config, std::string_view scheme, std::string_view host) {
    if (!config.enabled) return {};
    std::string_view rest = config.overrideText;
    while (!rest.empty()) {
        const size_t semi = rest.find(';');
        const std::string_view entry = base::trimText(rest.substr(0, semi));
        rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
        if (base::asciiSameText(entry, "<local>")) {
            if (host.find('.') == std::string_view::npos || isLoopback(host)) return {};
        } else if (!entry.empty() && wildcardMatch(entry, host)) {
            return {};
        }
    }
    const TDWHostConnectInfo* own = nullptr;
    if (base::asciiSameText(scheme, "http"))
        own = &config.servers.HTTP;
    else if (base::asciiSameText(scheme, "https"))
        own = &config.servers.HTTPS;
    if (own && !own->Host.empty())
        return {ProxyChoice::Kind::Http, own->Host, own->Port ? own->Port : uint16_t(80)};
    if (!config.servers.Socks.Host.empty())
        return {ProxyChoice::Kind::Socks, config.servers.Socks.Host,
                config.servers.Socks.Port ? config.servers.Socks.Port : uint16_t(1080)};
    return {};
}

bool GetInternetProxySetting(TDWInternetProxySetting& setting) {
    return guardedOr(false, [&] {
        const auto& store = platform::registry();
        if (!store.keyExists(RegistryRoot::CurrentUser, kInternetSettingsKey)) return false;
        const auto enable = store.value(RegistryRoot::CurrentUser, kInternetSettingsKey, "ProxyEnable");
        if (!enable || enable->dwordValue().value_or(0) == 0) return false;
        const std::string server =
            store.readString(RegistryRoot::CurrentUser, kInternetSettingsKey, "ProxyServer").value_or("");
        parseProxyServer(server, setting);
        return true;
    });
}

bool GetProxyIgnoredAdresses(classes::TStringList* addresses) {
    if (!addresses) return false;
    return guardedOr(false, [&] {
        const auto text =
            platform::registry().readString(RegistryRoot::CurrentUser, kInternetSettingsKey, "ProxyOverride");
        addresses->clear();
        for (const std::string& entry : parseProxyOverride(text.value_or(""))) addresses->add(entry);
        return addresses->count() > 0;
    });
}

}  // namespace library
