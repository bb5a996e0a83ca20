// Machine facts from the proc and sys file systems, sysinfo, getifaddrs and the group database.
#include "platform/Machine.h"

#include <grp.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The number after "Name:" on its line, 0 when the line is missing.
uint64_t field(std::string_view text, std::string_view name) {
    size_t at = 0;
    while ((at = text.find(name, at)) != std::string_view::npos) {
        bool lineStart = at == 0 || text[at - 1] == '\n';
        at += name.size();
        if (!lineStart || at >= text.size() || text[at] != ':') continue;
        ++at;
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
        uint64_t v = 0;
        std::from_chars(text.data() + at, text.data() + text.size(), v);
        return v;
    }
    return 0;
}

bool hasField(std::string_view text, std::string_view name) {
    for (size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, at + 1))
        if ((at == 0 || text[at - 1] == '\n') && at + name.size() < text.size() &&
            text[at + name.size()] == ':')
            return true;
    return false;
}

uint32_t loadOf(uint64_t total, uint64_t available) {
    if (total == 0 || available >= total) return 0;
    return static_cast<uint32_t>((total - available) * 100 / total);
}

// The size of the user part of the address space, where no limit is set.
uint64_t addressSpace() {
    if constexpr (sizeof(void*) == 4) return uint64_t(3) << 30;
    return uint64_t(1) << 47;
}

}  // namespace

MemoryStatus parseMeminfo(std::string_view text) {
    MemoryStatus m;
    const uint64_t kB = 1024;
    m.totalPhysical = field(text, "MemTotal") * kB;
    // Kernels before 3.14 have no estimate of their own.
    m.availablePhysical =
        hasField(text, "MemAvailable")
            ? field(text, "MemAvailable") * kB
            : (field(text, "MemFree") + field(text, "Buffers") + field(text, "Cached")) * kB;
    if (m.availablePhysical > m.totalPhysical) m.availablePhysical = m.totalPhysical;
    m.totalPage = m.totalPhysical + field(text, "SwapTotal") * kB;
    m.availablePage = m.availablePhysical + field(text, "SwapFree") * kB;
    m.load = loadOf(m.totalPhysical, m.availablePhysical);
    return m;
}

MemoryStatus memoryStatus() {
    MemoryStatus m = parseMeminfo(readFile("/proc/meminfo"));
    if (m.totalPhysical == 0) {
        struct sysinfo si {};
        if (::sysinfo(&si) == 0) {
            const uint64_t unit = si.mem_unit ? si.mem_unit : 1;
            m.totalPhysical = uint64_t(si.totalram) * unit;
            m.availablePhysical = (uint64_t(si.freeram) + si.bufferram) * unit;
            m.totalPage = m.totalPhysical + uint64_t(si.totalswap) * unit;
            m.availablePage = m.availablePhysical + uint64_t(si.freeswap) * unit;
            m.load = loadOf(m.totalPhysical, m.availablePhysical);
        }
    }
    struct rlimit lim {};
    m.totalVirtual = addressSpace();
    if (::getrlimit(RLIMIT_AS, &lim) == 0 && lim.rlim_cur != RLIM_INFINITY && lim.rlim_cur < m.totalVirtual)
        m.totalVirtual = lim.rlim_cur;
    const uint64_t used = field(readFile("/proc/self/status"), "VmSize") * 1024;
    m.availableVirtual = used < m.totalVirtual ? m.totalVirtual - used : 0;
    return m;
}

bool soundCardPresent(const char* root) {
    std::error_code ec;
    for (const auto& card : fs::directory_iterator(root, ec)) {
        const std::string name = card.path().filename().string();
        if (name.rfind("card", 0) != 0 || !card.is_directory(ec)) continue;
        for (const auto& dev : fs::directory_iterator(card.path(), ec)) {
            const std::string d = dev.path().filename().string();
            // pcmNp: a playback device; pcmNc would be capture only.
            if (d.rfind("pcm", 0) == 0 && !d.empty() && d.back() == 'p') return true;
        }
    }
    return false;
}

bool networkPresent() {
    struct ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return false;
    bool found = false;
    for (struct ifaddrs* i = list; i && !found; i = i->ifa_next)
        found = (i->ifa_flags & IFF_UP) && !(i->ifa_flags & IFF_LOOPBACK);
    ::freeifaddrs(list);
    return found;
}

bool userIsAdministrator() {
    if (::geteuid() == 0) return true;
    int n = ::getgroups(0, nullptr);
    if (n < 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(n) + 1);
    n = ::getgroups(n, groups.data());
    if (n < 0) return false;
    groups.resize(static_cast<size_t>(n));
    groups.push_back(::getegid());
    for (const char* name : {"sudo", "admin", "wheel"}) {
        struct group gr {};
        struct group* found = nullptr;
        std::vector<char> buf(16384);
        if (::getgrnam_r(name, &gr, buf.data(), buf.size(), &found) != 0 || !found) continue;
        for (gid_t g : groups)
            if (g == found->gr_gid) return true;
    }
    return false;
}

LockLights lockLights(const char* root) {
    LockLights l;
    std::error_code ec;
    for (const auto& led : fs::directory_iterator(root, ec)) {
        const std::string name = led.path().filename().string();
        const std::string value = readFile(led.path() / "brightness");
        const bool on = !value.empty() && value[0] != '0';
        // Several keyboards each have their own lights; any one lit counts.
        if (name.ends_with("::capslock")) l.capsLock |= on;
        if (name.ends_with("::numlock")) l.numLock |= on;
        if (name.ends_with("::scrolllock")) l.scrollLock |= on;
    }
    return l;
}

}  // namespace platform
