// System information and control routines over the platform layer and the audio engine.
#include "library/System.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "base/AnsiText.h"
#include "media/Bass.h"
#include "platform/Language.h"
#include "platform/Machine.h"
#include "platform/NamedMutex.h"
#include "platform/Processor.h"
#include "platform/SystemInfo.h"
#include "platform/WindowsVersion.h"

namespace library {
namespace {

using platform::WindowsVersion;

bool nt(const WindowsVersion& v) { return v.platformId == 2; }
bool ntVersion(uint32_t major, uint32_t minor) {
    const WindowsVersion v = platform::windowsVersion();
    return nt(v) && v.major == major && v.minor == minor;
}
bool nineX(uint32_t minor) {
    const WindowsVersion v = platform::windowsVersion();
    return v.platformId == 1 && v.major == 4 && v.minor == minor;
}

bool validProcessor(int32_t index) { return index >= 1 && index <= platform::processorCount(); }

std::string megahertz(double mhz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f MHz", mhz);
    return buf;
}

// The buzzer's state, read by the audio engine's thread. A freed stream's procedure may
// still be running for one mix period, so states are kept a while after their stream goes.
struct Tone {
    uint32_t frequency;
    uint32_t rate;
    std::atomic<uint64_t> phase{0};
};
constexpr uint32_t kToneRate = 44100;

uint32_t toneProc(uint32_t, void* buffer, uint32_t length, void* user) {
    auto* tone = static_cast<Tone*>(user);
    const size_t count = length / 2;
    const uint64_t at = tone->phase.fetch_add(count);
    toneSamples(static_cast<int16_t*>(buffer), count, tone->frequency, tone->rate, at);
    return static_cast<uint32_t>(count * 2);
}

void retire(std::unique_ptr<Tone> tone) {
    using Clock = std::chrono::steady_clock;
    static std::vector<std::pair<Clock::time_point, std::unique_ptr<Tone>>> retired;
    const auto now = Clock::now();
    std::erase_if(retired, [now](const auto& r) { return now - r.first > std::chrono::seconds(2); });
    retired.emplace_back(now, std::move(tone));
}

}  // namespace

// --- Version ---

TOSType osTypeOf(const WindowsVersion& v) {
    if (v.platformId == 1) {
        if (v.minor == 0) return TOSType::OS_WIN95;
        if (v.minor == 10) return TOSType::OS_WIN98;
        if (v.minor == 90) return TOSType::OS_WINME;
        return TOSType::OS_UNKNOWN;
    }
    if (v.platformId != 2) return TOSType::OS_UNKNOWN;
    switch (v.major) {
    case 3: return TOSType::OS_NT351;
    case 4:
        if (v.productType == 1) return TOSType::OS_NT4_WORKSTATION;
        if (v.productType == 2) return TOSType::OS_NT4_DOMAINCONTROLLER;
        if (v.productType == 3) return TOSType::OS_NT4_SERVER;
        return TOSType::OS_UNKNOWN;
    case 5:
        // Suite masks compare for equality: a server with terminal services is no longer
        // "advanced server", as scripts written against this table expect.
        if (v.minor == 0)
            return v.suiteMask == 2     ? TOSType::OS_WIN2000_ADVSERVER
                   : v.suiteMask == 128 ? TOSType::OS_WIN2000_DATACENTER
                                        : TOSType::OS_WIN2000;
        if (v.minor == 1)
            return v.suiteMask == 2     ? TOSType::OS_WINXP_NETSERVER
                   : v.suiteMask == 512 ? TOSType::OS_WINXP_HOME
                                        : TOSType::OS_WINXP_PROFESSIONAL;
        if (v.minor == 2) return TOSType::OS_WIN2003;
        return TOSType::OS_UNKNOWN;
    default: return TOSType::OS_UNKNOWN;
    }
}

TOSSuiteType suiteTypeOf(uint32_t suiteMask) {
    switch (suiteMask) {
    case 4: return TOSSuiteType::OSST_BACKOFFICE;
    case 128: return TOSSuiteType::OSST_DATACENTER;
    case 2: return TOSSuiteType::OSST_ENTERPRISE;
    case 512: return TOSSuiteType::OSST_PERSONAL;
    case 1: return TOSSuiteType::OSST_SMALLBUSINESS;
    case 32: return TOSSuiteType::OSST_SMALLBUSINESS_RESTRICTED;
    case 16: return TOSSuiteType::OSST_TERMINAL;
    default: return TOSSuiteType::OSST_UNKNOWN;
    }
}

TOSProductType productTypeOf(uint32_t productType) {
    switch (productType) {
    case 1: return TOSProductType::OSPT_WORKSTATION;
    case 2: return TOSProductType::OSPT_DOMAIN_CONTROLLER;
    case 3: return TOSProductType::OSPT_SERVER;
    default: return TOSProductType::OSPT_UNKNOWN;
    }
}

std::string osNameOf(TOSType os) {
    static const char* const kNames[] = {
        "Microsoft Windows 95",
        "Microsoft Windows 98",
        "Microsoft Windows Millenium Edition",
        "Microsoft Windows NT 3.51",
        "Microsoft Windows NT 4.0 Domain Controller",
        "Microsoft Windows NT 4.0 Server",
        "Microsoft Windows NT 4.0 Workstation",
        "Microsoft Windows 2000",
        "Microsoft Windows 2000 Advanced Server",
        "Microsoft Windows 2000 DataCenter Server",
        "Microsoft Windows XP Home Edition",
        "Microsoft Windows XP Professional",
        "Microsoft Windows XP .NET Server",
        "Microsoft Windows Server 2003",
        "MS OS unknown",
    };
    const auto i = static_cast<size_t>(os);
    return i < std::size(kNames) ? kNames[i] : kNames[std::size(kNames) - 1];
}

void getWindowsVersionEx(TOSVersionInfoEx& info) {
    const WindowsVersion v = platform::windowsVersion();
    info = TOSVersionInfoEx{};
    info.dwOSVersionInfoSize = kOSVersionInfoExSize;
    info.dwMajorVersion = v.major;
    info.dwMinorVersion = v.minor;
    info.dwBuildNumber = v.build;
    info.dwPlatformId = v.platformId;
    std::memcpy(info.szCSDVersion.data(), v.servicePack.data(), std::min<size_t>(v.servicePack.size(), 127));
    info.wServicePackMajor = v.servicePackMajor;
    info.wServicePackMinor = v.servicePackMinor;
    info.wSuiteMask = v.suiteMask;
    info.wProductType = v.productType;
}

bool isNTWorkstation() { return platform::windowsVersion().productType == 1; }
bool isNTServer() { return platform::windowsVersion().productType == 3; }
bool isDomainController() { return platform::windowsVersion().productType == 2; }
bool isNTMachine() { return nt(platform::windowsVersion()); }
bool isWin95() { return nineX(0); }
bool isWin98() { return nineX(10); }
bool isWinME() { return nineX(90); }
bool isNT351() { return ntVersion(3, 51); }
bool isNT4() { return ntVersion(4, 0); }
bool isWin2K() { return ntVersion(5, 0); }
bool isWinXP() { return ntVersion(5, 1); }
bool isWin2003() { return ntVersion(5, 2); }
int32_t winMajorVersion() { return static_cast<int32_t>(platform::windowsVersion().major); }
int32_t winMinorVersion() { return static_cast<int32_t>(platform::windowsVersion().minor); }
int32_t winBuildNumber() { return static_cast<int32_t>(platform::windowsVersion().build & 0xFFFF); }
int32_t ntServicePackMajorVersion() { return platform::windowsVersion().servicePackMajor; }
int32_t ntServicePackMinorVersion() { return platform::windowsVersion().servicePackMinor; }
TOSType getOS() { return osTypeOf(platform::windowsVersion()); }
std::string getOSName() { return osNameOf(getOS()); }
TOSSuiteType getSuiteType() { return suiteTypeOf(platform::windowsVersion().suiteMask); }
TOSProductType getProductType() { return productTypeOf(platform::windowsVersion().productType); }
std::string getNTServicePackName() { return platform::windowsVersion().servicePack; }
bool wow64IsRunning(uint32_t) { return platform::runsAs32BitOn64Bit(); }
bool usingWinNT() { return isNTMachine(); }

// --- User and languages ---

bool isAdminLoggedOn() { return !isNTMachine() || platform::userIsAdministrator(); }
bool isPowerUserLoggedOn() { return !isNTMachine() || platform::userIsAdministrator(); }
int32_t getUILanguage() { return platform::languageIdOf(platform::userInterfaceLocale()); }
std::string getWindowsLanguageStr() {
    return platform::languageNameOf(platform::languageIdOf(platform::systemLocale())).substr(0, 50);
}
std::string getComputerNameString() { return platform::computerName().substr(0, 16); }
std::string getUserNameString() { return platform::userName().substr(0, 256); }
bool activeDesktopEnabled() { return false; }

// --- Memory, sound, network ---

int32_t saturatedCount(uint64_t bytes) {
    return static_cast<int32_t>(std::min<uint64_t>(bytes, std::numeric_limits<int32_t>::max()));
}
int32_t totalPhysicalMemory() { return saturatedCount(platform::memoryStatus().totalPhysical); }
int32_t availablePhysicalMemory() { return saturatedCount(platform::memoryStatus().availablePhysical); }
int32_t totalPageMemory() { return saturatedCount(platform::memoryStatus().totalPage); }
int32_t availablePageMemory() { return saturatedCount(platform::memoryStatus().availablePage); }
int32_t totalVirtualMemory() { return saturatedCount(platform::memoryStatus().totalVirtual); }
int32_t availableVirtualMemory() { return saturatedCount(platform::memoryStatus().availableVirtual); }
int32_t memoryUsedPercentage() { return static_cast<int32_t>(platform::memoryStatus().load); }

bool soundCardInstalled() { return platform::soundCardPresent(); }
bool networkIsPresent() { return platform::networkPresent(); }

void toneSamples(int16_t* out, size_t count, uint32_t frequency, uint32_t rate, uint64_t phase) {
    // Half a period high, half low: the speaker's square wave, at a quarter of full scale.
    for (size_t i = 0; i < count; ++i) {
        const bool high = ((phase + i) * 2 * frequency / rate) % 2 == 0;
        out[i] = high ? 8192 : -8192;
    }
}

void buzzerSound(uint16_t frequency, uint32_t delayMs) {
    uint32_t stream = 0;
    auto tone = std::make_unique<Tone>();
    tone->frequency = frequency;
    tone->rate = kToneRate;
    // The range the system's beep service accepts, and what the output rate can carry.
    if (frequency >= 37 && frequency < kToneRate / 2 && delayMs > 0) {
        stream = media::BASS_StreamCreate(kToneRate, media::BASS_SAMPLE_MONO, &toneProc, tone.get());
        if (stream && !media::BASS_StreamPlay(stream, false, 0)) {
            media::BASS_StreamFree(stream);
            stream = 0;
        }
    }
    sleepMs(delayMs);
    if (stream) {
        media::BASS_StreamFree(stream);
        retire(std::move(tone));
    }
}

// --- Processors ---

int32_t processorCount() { return platform::processorCount(); }

std::string processorName(int32_t index) { return validProcessor(index) ? platform::processorId().name : ""; }

std::string processorSpeedMHZ(int32_t index) {
    if (!validProcessor(index)) return {};
    const double mhz = platform::processorMHz();
    return mhz > 0 ? megahertz(mhz) : std::string();
}

std::string processorSpeed(int32_t index) {
    if (!validProcessor(index)) return {};
    const double mhz = platform::processorMHz();
    if (mhz <= 0) return {};
    if (mhz < 1000) return megahertz(mhz);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f GHz", mhz / 1000);
    return buf;
}

void processorVendor(int32_t index, std::string& name, std::string& signature) {
    if (!validProcessor(index)) return;
    name = platform::processorId().vendorName;
    signature = platform::processorId().vendorSignature;
}

std::string processorSignature(int32_t index) {
    if (!validProcessor(index)) return {};
    const platform::ProcessorId& p = platform::processorId();
#if defined(__x86_64__) || defined(__i386__)
    const char* arch = "x86";
#else
    const char* arch = "ARM";
#endif
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s Family %u Model %u Stepping %u", arch, p.family, p.model, p.stepping);
    return buf;
}

std::string processorUsage(int32_t index) {
    if (!validProcessor(index)) return {};
    static platform::ProcessorUsage usage;
    const int percent = usage.percent(static_cast<size_t>(index - 1));
    return percent < 0 ? std::string() : std::to_string(percent) + "%";
}

// --- Mutexes and sleeping ---

void createNamedMutex(std::string_view name) { platform::createMutex(name); }

bool checkForMutexes(std::string_view names) {
    while (!names.empty()) {
        const size_t comma = names.find(',');
        const std::string_view name = base::trimText(names.substr(0, comma));
        if (!name.empty() && platform::mutexExists(name)) return true;
        names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
    }
    return false;
}

void sleepMs(uint32_t milliseconds) {
    if (milliseconds) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace library
