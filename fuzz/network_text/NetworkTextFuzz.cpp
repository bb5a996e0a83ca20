// Texts the network routines take from outside: proxy settings from the registry, a mail
// server's reply and the kernel's route tables. Parsing must never crash, an address taken
// from a reply is always a valid one, and a port never exceeds its word.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "library/Network.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    library::TDWInternetProxySetting setting;
    library::parseProxyServer(text, setting);
    for (const std::string& entry : library::parseProxyOverride(text))
        if (entry.empty() || entry.find(';') != std::string::npos) __builtin_trap();

    library::ProxyConfig config;
    config.enabled = true;
    config.servers = setting;
    config.overrideText = std::string(text);
    library::chooseProxy(config, "http", text.substr(0, text.find('\n')));

    const std::string address = library::bracketedAddress(text);
    unsigned char bytes[16];
    if (!address.empty() && inet_pton(AF_INET, address.c_str(), bytes) != 1 &&
        inet_pton(AF_INET6, address.c_str(), bytes) != 1)
        __builtin_trap();

    const size_t half = text.size() / 2;
    library::hasDefaultRoute(text.substr(0, half), text.substr(half));
    return 0;
}
