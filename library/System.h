// System information and control for scripts: the Windows version family and its
// classification, the user and languages, memory, sound, processors, network presence,
// named mutexes, sleeping and the buzzer. Plain functions over platform/; none fails: what
// cannot be found is 0, False or empty text. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
struct WindowsVersion;
}

namespace library {

enum class TOSType : uint8_t {
    OS_WIN95,
    OS_WIN98,
    OS_WINME,
    OS_NT351,
    OS_NT4_DOMAINCONTROLLER,
    OS_NT4_SERVER,
    OS_NT4_WORKSTATION,
    OS_WIN2000,
    OS_WIN2000_ADVSERVER,
    OS_WIN2000_DATACENTER,
    OS_WINXP_HOME,
    OS_WINXP_PROFESSIONAL,
    OS_WINXP_NETSERVER,
    OS_WIN2003,
    OS_UNKNOWN
};
enum class TOSSuiteType : uint8_t {
    OSST_BACKOFFICE,
    OSST_DATACENTER,
    OSST_ENTERPRISE,
    OSST_PERSONAL,
    OSST_SMALLBUSINESS,
    OSST_SMALLBUSINESS_RESTRICTED,
    OSST_TERMINAL,
    OSST_UNKNOWN
};
enum class TOSProductType : uint8_t { OSPT_WORKSTATION, OSPT_DOMAIN_CONTROLLER, OSPT_SERVER, OSPT_UNKNOWN };

// The extended version record scripts receive.
struct TOSVersionInfoEx {
    uint32_t dwOSVersionInfoSize = 0;
    uint32_t dwMajorVersion = 0;
    uint32_t dwMinorVersion = 0;
    uint32_t dwBuildNumber = 0;
    uint32_t dwPlatformId = 0;
    std::array<char, 128> szCSDVersion{};
    uint16_t wServicePackMajor = 0;
    uint16_t wServicePackMinor = 0;
    uint16_t wSuiteMask = 0;
    uint8_t wProductType = 0;
    uint8_t wReserved = 0;
};
// The record size the system accepts for the extended query.
inline constexpr uint32_t kOSVersionInfoExSize = 156;

// Classification of a snapshot.
TOSType osTypeOf(const platform::WindowsVersion& v);
TOSSuiteType suiteTypeOf(uint32_t suiteMask);
TOSProductType productTypeOf(uint32_t productType);
std::string osNameOf(TOSType os);

// Version routines, each on a fresh snapshot.
void getWindowsVersionEx(TOSVersionInfoEx& info);
bool isNTWorkstation();
bool isNTServer();
bool isDomainController();
bool isNTMachine();
bool isWin95();
bool isWin98();
bool isWinME();
bool isNT351();
bool isNT4();
bool isWin2K();
bool isWinXP();
bool isWin2003();
int32_t winMajorVersion();
int32_t winMinorVersion();
int32_t winBuildNumber();  // the low 16 bits
int32_t ntServicePackMajorVersion();
int32_t ntServicePackMinorVersion();
TOSType getOS();
std::string getOSName();
TOSSuiteType getSuiteType();
TOSProductType getProductType();
std::string getNTServicePackName();
// About the player's own process whatever the handle: a 32-bit player on a 64-bit kernel.
bool wow64IsRunning(uint32_t appHandle);
bool usingWinNT();

// User and languages.
bool isAdminLoggedOn();
bool isPowerUserLoggedOn();
int32_t getUILanguage();
std::string getWindowsLanguageStr();  // at most 50 characters
std::string getComputerNameString();
std::string getUserNameString();
// The web-content desktop does not exist here.
bool activeDesktopEnabled();

// Memory: byte counts that stop at 2147483647, the largest a script's Integer holds.
int32_t saturatedCount(uint64_t bytes);
int32_t totalPhysicalMemory();
int32_t availablePhysicalMemory();
int32_t totalPageMemory();
int32_t availablePageMemory();
int32_t totalVirtualMemory();
int32_t availableVirtualMemory();
int32_t memoryUsedPercentage();

bool soundCardInstalled();
bool networkIsPresent();
// A square tone through the audio engine when it runs; returns after `delayMs` either way.
void buzzerSound(uint16_t frequency, uint32_t delayMs);
// The tone's 16-bit mono samples at `rate`, continuing at sample `phase` (tests).
void toneSamples(int16_t* out, size_t count, uint32_t frequency, uint32_t rate, uint64_t phase);

// Processors, numbered from 1; an index out of range gives empty text.
int32_t processorCount();
std::string processorName(int32_t index);
std::string processorSpeedMHZ(int32_t index);  // "2195 MHz"
std::string processorSpeed(int32_t index);     // "2.20 GHz", or "800 MHz" below one gigahertz
void processorVendor(int32_t index, std::string& name, std::string& signature);
std::string processorSignature(int32_t index);  // "x86 Family 6 Model 85 Stepping 7"
std::string processorUsage(int32_t index);      // "12%"

// Named mutexes between processes.
void createNamedMutex(std::string_view name);
// A comma-separated list: True as soon as one named mutex exists.
bool checkForMutexes(std::string_view names);

// Blocks the player (no messages are processed).
void sleepMs(uint32_t milliseconds);

}  // namespace library
