// System information and control routines called from C++: the version classification for
// every row of its table, the version routines on injected snapshots, memory counts that
// stop at the largest Integer, processor texts, mutex lists, sleeping and the buzzer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "library/System.h"
#include "media/Bass.h"
#include "platform/Machine.h"
#include "platform/WindowsVersion.h"

namespace {

using library::TOSProductType;
using library::TOSSuiteType;
using library::TOSType;

platform::WindowsVersion snapshot(uint32_t platformId, uint32_t major, uint32_t minor, uint16_t suite = 0,
                                  uint8_t product = 1) {
    platform::WindowsVersion v;
    v.platformId = platformId;
    v.major = major;
    v.minor = minor;
    v.suiteMask = suite;
    v.productType = product;
    return v;
}

class InjectedVersion : public ::testing::Test {
protected:
    void TearDown() override { platform::setWindowsVersion(std::nullopt); }
    void inject(const platform::WindowsVersion& v) { platform::setWindowsVersion(v); }
};

TEST(OsClassification, EveryRowOfTheTable) {
    struct Row {
        platform::WindowsVersion v;
        TOSType os;
        const char* name;
    };
    const Row rows[] = {
        {snapshot(1, 4, 0), TOSType::OS_WIN95, "Microsoft Windows 95"},
        {snapshot(1, 4, 10), TOSType::OS_WIN98, "Microsoft Windows 98"},
        {snapshot(1, 4, 90), TOSType::OS_WINME, "Microsoft Windows Millenium Edition"},
        {snapshot(2, 3, 51), TOSType::OS_NT351, "Microsoft Windows NT 3.51"},
        {snapshot(2, 4, 0, 0, 1), TOSType::OS_NT4_WORKSTATION, "Microsoft Windows NT 4.0 Workstation"},
        {snapshot(2, 4, 0, 0, 2), TOSType::OS_NT4_DOMAINCONTROLLER,
         "Microsoft Windows NT 4.0 Domain Controller"},
        {snapshot(2, 4, 0, 0, 3), TOSType::OS_NT4_SERVER, "Microsoft Windows NT 4.0 Server"},
        {snapshot(2, 5, 0, 2), TOSType::OS_WIN2000_ADVSERVER, "Microsoft Windows 2000 Advanced Server"},
        {snapshot(2, 5, 0, 128), TOSType::OS_WIN2000_DATACENTER, "Microsoft Windows 2000 DataCenter Server"},
        {snapshot(2, 5, 0, 0), TOSType::OS_WIN2000, "Microsoft Windows 2000"},
        {snapshot(2, 5, 0, 2 + 16), TOSType::OS_WIN2000, "Microsoft Windows 2000"},
        {snapshot(2, 5, 1, 2), TOSType::OS_WINXP_NETSERVER, "Microsoft Windows XP .NET Server"},
        {snapshot(2, 5, 1, 512), TOSType::OS_WINXP_HOME, "Microsoft Windows XP Home Edition"},
        {snapshot(2, 5, 1, 256), TOSType::OS_WINXP_PROFESSIONAL, "Microsoft Windows XP Professional"},
        {snapshot(2, 5, 1, 512 + 256), TOSType::OS_WINXP_PROFESSIONAL, "Microsoft Windows XP Professional"},
        {snapshot(2, 5, 2, 16, 3), TOSType::OS_WIN2003, "Microsoft Windows Server 2003"},
        // Anything else, also every newer version.
        {snapshot(1, 4, 50), TOSType::OS_UNKNOWN, "MS OS unknown"},
        {snapshot(2, 4, 0, 0, 0), TOSType::OS_UNKNOWN, "MS OS unknown"},
        {snapshot(2, 5, 3), TOSType::OS_UNKNOWN, "MS OS unknown"},
        {snapshot(2, 6, 1), TOSType::OS_UNKNOWN, "MS OS unknown"},
        {snapshot(2, 10, 0), TOSType::OS_UNKNOWN, "MS OS unknown"},
        {snapshot(3, 5, 1), TOSType::OS_UNKNOWN, "MS OS unknown"},
    };
    for (const Row& r : rows) {
        platform::setWindowsVersion(r.v);
        EXPECT_EQ(library::getOS(), r.os)
            << r.name << " " << r.v.major << "." << r.v.minor << " suite " << r.v.suiteMask;
        EXPECT_EQ(library::getOSName(), r.name);
    }
    platform::setWindowsVersion(std::nullopt);
}

TEST(OsClassification, SuitesAndProductsCompareForEquality) {
    const std::pair<uint32_t, TOSSuiteType> suites[] = {
        {4, TOSSuiteType::OSST_BACKOFFICE},    {128, TOSSuiteType::OSST_DATACENTER},
        {2, TOSSuiteType::OSST_ENTERPRISE},    {512, TOSSuiteType::OSST_PERSONAL},
        {1, TOSSuiteType::OSST_SMALLBUSINESS}, {32, TOSSuiteType::OSST_SMALLBUSINESS_RESTRICTED},
        {16, TOSSuiteType::OSST_TERMINAL},     {0, TOSSuiteType::OSST_UNKNOWN},
        {256, TOSSuiteType::OSST_UNKNOWN},     {2 + 16, TOSSuiteType::OSST_UNKNOWN},
    };
    for (auto [mask, type] : suites) EXPECT_EQ(library::suiteTypeOf(mask), type) << mask;
    EXPECT_EQ(library::productTypeOf(1), TOSProductType::OSPT_WORKSTATION);
    EXPECT_EQ(library::productTypeOf(2), TOSProductType::OSPT_DOMAIN_CONTROLLER);
    EXPECT_EQ(library::productTypeOf(3), TOSProductType::OSPT_SERVER);
    EXPECT_EQ(library::productTypeOf(0), TOSProductType::OSPT_UNKNOWN);
    EXPECT_EQ(library::productTypeOf(4), TOSProductType::OSPT_UNKNOWN);
}

TEST_F(InjectedVersion, VersionRoutinesReadTheSnapshot) {
    // The default: the NT family as scripts expect it.
    platform::setWindowsVersion(std::nullopt);
    unsetenv("VANTREL_WINDOWS_VERSION");
    EXPECT_TRUE(library::isWinXP());
    EXPECT_TRUE(library::usingWinNT());
    EXPECT_EQ(library::getOS(), TOSType::OS_WINXP_PROFESSIONAL);
    EXPECT_EQ(library::getNTServicePackName(), "Service Pack 3");

    platform::WindowsVersion v = snapshot(2, 5, 0, 128, 3);
    v.build = 0x12345;
    v.servicePack = "Service Pack 4";
    v.servicePackMajor = 4;
    v.servicePackMinor = 1;
    inject(v);
    library::TOSVersionInfoEx info;
    info.wReserved = 9;
    library::getWindowsVersionEx(info);
    EXPECT_EQ(info.dwOSVersionInfoSize, 156u);
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwBuildNumber, 0x12345u);
    EXPECT_EQ(info.dwPlatformId, 2u);
    EXPECT_STREQ(info.szCSDVersion.data(), "Service Pack 4");
    EXPECT_EQ(info.wServicePackMinor, 1);
    EXPECT_EQ(info.wSuiteMask, 128);
    EXPECT_EQ(info.wProductType, 3);
    EXPECT_EQ(info.wReserved, 0);
    EXPECT_EQ(library::winBuildNumber(), 0x2345) << "the low 16 bits";
    EXPECT_EQ(library::ntServicePackMajorVersion(), 4);
    EXPECT_TRUE(library::isWin2K());
    EXPECT_TRUE(library::isNTServer());
    EXPECT_FALSE(library::isNTWorkstation());
    EXPECT_FALSE(library::isDomainController());
    EXPECT_EQ(library::getSuiteType(), TOSSuiteType::OSST_DATACENTER);
    EXPECT_EQ(library::getProductType(), TOSProductType::OSPT_SERVER);

    // The 9x family: every user administers it.
    inject(snapshot(1, 4, 10));
    EXPECT_TRUE(library::isWin98());
    EXPECT_FALSE(library::isWin95() || library::isWinME() || library::isNTMachine() || library::usingWinNT());
    EXPECT_TRUE(library::isAdminLoggedOn());
    EXPECT_TRUE(library::isPowerUserLoggedOn());
    inject(snapshot(2, 3, 51));
    EXPECT_TRUE(library::isNT351());
    EXPECT_EQ(library::isAdminLoggedOn(), platform::userIsAdministrator());
    inject(snapshot(2, 4, 0));
    EXPECT_TRUE(library::isNT4());
    inject(snapshot(2, 5, 2));
    EXPECT_TRUE(library::isWin2003());
    EXPECT_FALSE(library::isWinXP());

    // The service-pack text is cut to what the record holds.
    v.servicePack = std::string(200, 'x');
    inject(v);
    library::getWindowsVersionEx(info);
    EXPECT_EQ(std::string(info.szCSDVersion.data()).size(), 127u);
}

TEST(UserAndLanguage, NamesAndIdentifiers) {
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(library::getUILanguage(), 0x0407);
    unsetenv("LC_ALL");
    const std::string computer = library::getComputerNameString();
    EXPECT_LE(computer.size(), 15u);
    for (char c : computer) EXPECT_FALSE(c >= 'a' && c <= 'z') << computer;
    EXPECT_FALSE(library::getUserNameString().empty());
    EXPECT_LE(library::getWindowsLanguageStr().size(), 50u);
    EXPECT_FALSE(library::activeDesktopEnabled());
    if constexpr (sizeof(void*) == 8) {
        EXPECT_FALSE(library::wow64IsRunning(0xFFFFFFFF));
    }
}

TEST(Memory, CountsStopAtTheLargestIntegerInsteadOfTurningNegative) {
    EXPECT_EQ(library::saturatedCount(0), 0);
    EXPECT_EQ(library::saturatedCount(2147483647), 2147483647);
    EXPECT_EQ(library::saturatedCount(2147483648ull), 2147483647) << "2 GB used to read as -2147483648";
    EXPECT_EQ(library::saturatedCount(8ull << 30), 2147483647) << "8 GB used to read as 0";
    EXPECT_EQ(library::saturatedCount(uint64_t(-1)), 2147483647);

    // This machine.
    const platform::MemoryStatus m = platform::memoryStatus();
    for (int32_t v :
         {library::totalPhysicalMemory(), library::availablePhysicalMemory(), library::totalPageMemory(),
          library::availablePageMemory(), library::totalVirtualMemory(), library::availableVirtualMemory()})
        EXPECT_GT(v, 0);
    EXPECT_EQ(library::totalPhysicalMemory(), library::saturatedCount(m.totalPhysical));
    EXPECT_GE(library::totalPageMemory(), library::totalPhysicalMemory());
    EXPECT_LE(library::availablePhysicalMemory(), library::totalPhysicalMemory());
    EXPECT_GE(library::memoryUsedPercentage(), 0);
    EXPECT_LE(library::memoryUsedPercentage(), 100);
}

TEST(Processors, TextsForEachProcessorAndNothingOutOfRange) {
    const int n = library::processorCount();
    ASSERT_GE(n, 1);
    for (int i : {1, n}) {
        EXPECT_FALSE(library::processorName(i).empty());
        EXPECT_TRUE(std::regex_match(library::processorSpeedMHZ(i), std::regex("[1-9][0-9]{2,4} MHz")))
            << library::processorSpeedMHZ(i);
        EXPECT_TRUE(
            std::regex_match(library::processorSpeed(i), std::regex("([0-9]\\.[0-9]{2} GHz|[0-9]{3} MHz)")))
            << library::processorSpeed(i);
        EXPECT_TRUE(std::regex_match(library::processorSignature(i),
                                     std::regex("(x86|ARM) Family [0-9]+ Model [0-9]+ Stepping [0-9]+")))
            << library::processorSignature(i);
        EXPECT_TRUE(std::regex_match(library::processorUsage(i), std::regex("([0-9]|[1-9][0-9]|100)%")))
            << library::processorUsage(i);
        std::string name, signature;
        library::processorVendor(i, name, signature);
        EXPECT_FALSE(name.empty());
        EXPECT_FALSE(signature.empty());
    }
    for (int bad : {0, -1, n + 1}) {
        EXPECT_EQ(library::processorName(bad), "");
        EXPECT_EQ(library::processorSpeedMHZ(bad), "");
        EXPECT_EQ(library::processorSpeed(bad), "");
        EXPECT_EQ(library::processorSignature(bad), "");
        EXPECT_EQ(library::processorUsage(bad), "");
        std::string name = "kept", signature = "kept too";
        library::processorVendor(bad, name, signature);
        EXPECT_EQ(name, "kept");
        EXPECT_EQ(signature, "kept too");
    }
}

TEST(Mutexes, ListsAreTrimmedAndAnyOneCounts) {
    const std::string folder = ::testing::TempDir() + "vantrel-system-mutexes";
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    library::createNamedMutex("Alpha");
    library::createNamedMutex("B");
    EXPECT_TRUE(library::checkForMutexes("Alpha"));
    EXPECT_TRUE(library::checkForMutexes("nope, B")) << "'A, B' checks A and then B";
    EXPECT_TRUE(library::checkForMutexes(" , ,Alpha  "));
    EXPECT_FALSE(library::checkForMutexes("nope,other"));
    EXPECT_FALSE(library::checkForMutexes("Alpha B"));
    EXPECT_FALSE(library::checkForMutexes(""));
    EXPECT_FALSE(library::checkForMutexes(" , "));
    library::createNamedMutex("");  // nothing to create
}

TEST(SleepAndBuzzer, ReturnAfterTheDelayWithOrWithoutSound) {
    using Clock = std::chrono::steady_clock;
    auto elapsedMs = [](Clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
    };
    auto t = Clock::now();
    library::sleepMs(30);
    EXPECT_GE(elapsedMs(t), 30);

    // No audio engine running: silence, but the delay all the same.
    t = Clock::now();
    library::buzzerSound(440, 40);
    EXPECT_GE(elapsedMs(t), 40);

    // With the engine on its silent device the tone plays as a stream and is gone after.
    ASSERT_TRUE(media::BASS_Init(0, 44100, 0, nullptr, nullptr));
    auto probe = [] {
        const uint32_t h = media::BASS_StreamCreate(
            44100, 0, [](uint32_t, void*, uint32_t, void*) { return 0u; }, nullptr);
        media::BASS_StreamFree(h);
        return h;
    };
    const uint32_t before = probe();
    t = Clock::now();
    library::buzzerSound(880, 50);
    EXPECT_GE(elapsedMs(t), 50);
    EXPECT_GT(probe(), before + 1) << "the tone took a stream handle of its own";
    library::buzzerSound(20, 5);     // below what the beep service takes: silence
    library::buzzerSound(30000, 5);  // above what the output carries: silence
    library::buzzerSound(440, 0);
    media::BASS_Free();
}

TEST(SleepAndBuzzer, ToneIsASquareWaveOfItsFrequency) {
    std::vector<int16_t> s(44100);
    library::toneSamples(s.data(), s.size(), 1000, 44100, 0);
    int changes = 0;
    for (size_t i = 1; i < s.size(); ++i) changes += (s[i] > 0) != (s[i - 1] > 0);
    EXPECT_NEAR(changes, 2000, 2) << "two changes per period";
    EXPECT_EQ(*std::max_element(s.begin(), s.end()), 8192);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), -8192);
    // Continuing at a phase gives the same wave as one long run.
    std::vector<int16_t> tail(100);
    library::toneSamples(tail.data(), tail.size(), 1000, 44100, 500);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), s.begin() + 500));
}

}  // namespace
