// The network routines of the script library: host names and addresses, the adapter
// address, the connection state, the address the internet sees and the proxy settings of
// the emulated Internet Settings. None expands placeholders and none raises: failures give
// the empty text or False.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "classes/NativeType.h"

namespace classes {
class TStringList;
}

namespace library {

struct TDWHostConnectInfo {
    std::string Host;
    uint16_t Port = 0;
    bool operator==(const TDWHostConnectInfo&) const = default;
};

struct TDWInternetProxySetting {
    TDWHostConnectInfo HTTP, HTTPS, FTP, Gopher, Socks;
    bool operator==(const TDWInternetProxySetting&) const = default;
};

enum class TDWInternetConnectedState : uint8_t {
    dwicsConfigured,
    dwicsLAN,
    dwicsModem,
    dwicsOffline,
    dwicsProxy,
    dwicsRASInstalled
};
using TDWInternetConnectedStates = classes::Set<TDWInternetConnectedState>;

// ---- host names and addresses (getaddrinfo, getnameinfo, getifaddrs) ----

std::string GetIPAdress();
std::string GetIPByHostName(const std::string& hostName);
std::string GetHostNameByIP(const std::string& ipAddress);
// The first non-zero hardware address of a network interface, "00-1A-2B-3C-4D-5E".
std::string GetMACAdress();

// ---- the address the internet sees ----

// Asks the mail server named by the value "InetSideIPServer" ("host" or "host:port", port
// 25 by default) under HKCU\Software\Tamberlo\Vantrel for its greeting and the reply to a
// HELO, and returns the text between the first "[" and the next "]" when that is an IPv4
// or IPv6 address. No server is built in: without the value the answer is empty. Waits at
// most a few seconds per step, letting window messages run meanwhile.
std::string GetInetSideIP();
inline constexpr std::string_view kInetSideIPServerValue = "InetSideIPServer";
// The bracketed address of a server's reply, empty unless it is a valid address.
std::string bracketedAddress(std::string_view reply);

// ---- connection state ----

// The flags of the connection-state query (modem 1, LAN 2, proxy 4, RAS 16, offline 32,
// configured 64) and whether a connection exists; `available` False when there is no query.
struct ConnectionState {
    bool available = true;
    uint32_t flags = 0;
    bool connected = false;
};
using ConnectionStateProvider = std::function<ConnectionState()>;
// Replaces the system's answer (tests); nullptr restores it.
void setConnectionStateProvider(ConnectionStateProvider provider);
// The system's answer: a default route (IPv4 or IPv6) means a LAN connection that is
// configured and connected; the proxy flag follows ProxyEnable of the Internet Settings.
ConnectionState systemConnectionState();
// From the texts of /proc/net/route and /proc/net/ipv6_route.
bool hasDefaultRoute(std::string_view ipv4Routes, std::string_view ipv6Routes);

bool GetInternetConnectionState(TDWInternetConnectedStates& states);

// ---- proxy settings ----

inline constexpr std::string_view kInternetSettingsKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";

// "host:port" (port 0 when missing or not a number up to 65535; "[v6]:port" keeps the
// brackets off the host).
TDWHostConnectInfo parseHostPort(std::string_view text);
// The ProxyServer text: one "host:port" for every protocol, or "protocol=host:port" entries
// separated by ";" filling only the fields they name.
void parseProxyServer(std::string_view text, TDWInternetProxySetting& setting);
// The ProxyOverride text split at ";", blank entries dropped, "<local>" as "127.0.0.1".
std::vector<std::string> parseProxyOverride(std::string_view text);

bool GetInternetProxySetting(TDWInternetProxySetting& setting);
// Replaces the list's lines with the override entries; a nil list is left nil (False).
bool GetProxyIgnoredAdresses(classes::TStringList* addresses);

// The proxy a download uses for a URL of `scheme` to `host`, from the registry store.
struct ProxyChoice {
    enum class Kind { None, Http, Socks } kind = Kind::None;
    std::string host;
    uint16_t port = 0;
};
struct ProxyConfig {
    bool enabled = false;
    TDWInternetProxySetting servers;
    std::string overrideText;  // as stored: "<local>" and wildcard patterns
};
ProxyConfig readProxyConfig();
// The scheme's own server (http, https), else the SOCKS server, else none; hosts matching
// an override pattern go direct ("<local>": names without a dot and loopback addresses).
ProxyChoice chooseProxy(const ProxyConfig& config, std::string_view scheme, std::string_view host);

}  // namespace library
