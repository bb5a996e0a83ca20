// Facts about the machine the player runs on: memory, sound hardware, network presence,
// the user's rights and the keyboard's lock lights. Each call reads the system afresh;
// none fails: what cannot be read is 0 or false. No Qt.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Byte counts as Windows reports them in its memory status: physical memory, the commit
// limit (memory plus swap, the "page file") and the process's address space.
struct MemoryStatus {
    uint64_t totalPhysical = 0;
    uint64_t availablePhysical = 0;
    uint64_t totalPage = 0;
    uint64_t availablePage = 0;
    uint64_t totalVirtual = 0;
    uint64_t availableVirtual = 0;
    uint32_t load = 0;  // percent of physical memory in use, 0..100
};

MemoryStatus memoryStatus();

// The physical and page figures from the text of /proc/meminfo (values in kB); `load`
// follows from them. Fields it lacks stay 0.
MemoryStatus parseMeminfo(std::string_view text);

// At least one sound card with a playback device (ALSA's /proc/asound); `root` is a test hook.
bool soundCardPresent(const char* root = "/proc/asound");

// An interface other than loopback is up.
bool networkPresent();

// The user may administer the machine: root, or a member of sudo, admin or wheel.
bool userIsAdministrator();

// The lock lights as the kernel's LED class shows them (/sys/class/leds/*::capslock, ...);
// all false where there are none (containers, remote sessions).
struct LockLights {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};
LockLights lockLights(const char* root = "/sys/class/leds");

}  // namespace platform
