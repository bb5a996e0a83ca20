// The emulated Windows version: the configured snapshot, its text form and the 32-on-64 check.
#include "platform/WindowsVersion.h"

#include <sys/utsname.h>

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "base/AnsiText.h"

namespace platform {
namespace {

std::optional<WindowsVersion> s_injected;

template <class T>
bool number(std::string_view text, T& out) {
    text = base::trimText(text);
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v > static_cast<uint64_t>(T(~T(0))))
        return false;
    out = static_cast<T>(v);
    return true;
}

// "a.b.c" into its three numbers; "a.b" leaves the third as it is.
bool dotted(std::string_view text, uint32_t& a, uint32_t& b, uint32_t* c) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos) return false;
    if (!number(text.substr(0, dot), a)) return false;
    std::string_view rest = text.substr(dot + 1);
    size_t dot2 = rest.find('.');
    if (dot2 == std::string_view::npos) return !c && number(rest, b);
    return c && number(rest.substr(0, dot2), b) && number(rest.substr(dot2 + 1), *c);
}

bool applyKey(WindowsVersion& v, std::string_view key, std::string_view value) {
    if (base::asciiSameText(key, "platform"))
        return number(value, v.platformId) && (v.platformId == 1 || v.platformId == 2);
    if (base::asciiSameText(key, "csd")) {
        v.servicePack.assign(value.substr(0, 127));
        return true;
    }
    if (base::asciiSameText(key, "suite")) return number(value, v.suiteMask);
    if (base::asciiSameText(key, "product")) return number(value, v.productType);
    if (base::asciiSameText(key, "sp")) {
        uint32_t major = 0, minor = 0;
        if (value.find('.') == std::string_view::npos) {
            if (!number(value, major)) return false;
        } else if (!dotted(value, major, minor, nullptr)) {
            return false;
        }
        if (major > 0xFFFF || minor > 0xFFFF) return false;
        v.servicePackMajor = static_cast<uint16_t>(major);
        v.servicePackMinor = static_cast<uint16_t>(minor);
        return true;
    }
    return false;
}

}  // namespace

std::optional<WindowsVersion> parseWindowsVersion(std::string_view text) {
    WindowsVersion v;
    size_t semi = text.find(';');
    if (!dotted(base::trimText(text.substr(0, semi)), v.major, v.minor, &v.build)) return std::nullopt;
    // A version named without service-pack parts has none.
    v.servicePack.clear();
    v.servicePackMajor = v.servicePackMinor = 0;
    while (semi != std::string_view::npos) {
        text.remove_prefix(semi + 1);
        semi = text.find(';');
        std::string_view part = text.substr(0, semi);
        size_t eq = part.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        std::string_view key = base::trimText(part.substr(0, eq));
        std::string_view value = part.substr(eq + 1);
        if (!base::asciiSameText(key, "csd")) value = base::trimText(value);
        if (!applyKey(v, key, value)) return std::nullopt;
    }
    return v;
}

WindowsVersion windowsVersion() {
    if (s_injected) return *s_injected;
    if (const char* env = std::getenv("VANTREL_WINDOWS_VERSION"); env && *env)
        if (auto v = parseWindowsVersion(env)) return *v;
    return WindowsVersion{};
}

void setWindowsVersion(std::optional<WindowsVersion> version) { s_injected = std::move(version); }

bool runsAs32BitOn64Bit() {
    if constexpr (sizeof(void*) != 4) {
        return false;
    } else {
        struct utsname u;
        if (::uname(&u) != 0) return false;
        // A 32-bit program sees the kernel's own machine name, unless started through
        // setarch linux32, which then stands for a 32-bit system as well.
        return std::strstr(u.machine, "64") != nullptr;
    }
}

}  // namespace platform
