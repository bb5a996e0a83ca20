// The Windows version the player reports to scripts. Scripts branch on it (NT or not, XP or
// 2000), so it is an emulated snapshot: by default 5.1 build 2600 "Service Pack 3" on the NT
// platform, a workstation with suite mask 256, for which scripts take their NT branches.
// VANTREL_WINDOWS_VERSION chooses another, and tests inject any snapshot. Main thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct WindowsVersion {
    uint32_t major = 5;
    uint32_t minor = 1;
    uint32_t build = 2600;
    uint32_t platformId = 2;                     // 1: the Windows 9x family, 2: the NT family
    std::string servicePack = "Service Pack 3";  // at most 127 bytes
    uint16_t servicePackMajor = 3;
    uint16_t servicePackMinor = 0;
    uint16_t suiteMask = 256;
    uint8_t productType = 1;  // 1 workstation, 2 domain controller, 3 server
};

// The snapshot in force: the injected one, else VANTREL_WINDOWS_VERSION when it parses,
// else the default above.
WindowsVersion windowsVersion();

// Test hook: every later windowsVersion() returns `version` (nullopt: back to the
// environment and the default).
void setWindowsVersion(std::optional<WindowsVersion> version);

// "5.0.2195" followed by optional ";key=value" parts: platform (1 or 2), sp ("4" or "4.1"),
// csd (the service-pack text), suite, product. Unknown keys, bad numbers or a missing version
// give nullopt. Example: "5.0.2195;sp=4;csd=Service Pack 4;suite=128;product=3".
std::optional<WindowsVersion> parseWindowsVersion(std::string_view text);

// True when the player is a 32-bit program running on a 64-bit kernel.
bool runsAs32BitOn64Bit();

}  // namespace platform
