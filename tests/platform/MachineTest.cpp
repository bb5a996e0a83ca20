// The emulated Windows version, the language table and the machine facts: parsed from
// known texts and fake system trees, and plausible on this machine.
#include <gtest/gtest.h>

#include <net/if.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/Language.h"
#include "platform/Machine.h"
#include "platform/WindowsVersion.h"

namespace fs = std::filesystem;

namespace {

class TempTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("vantrel-machine-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    void write(const fs::path& rel, const std::string& text) {
        fs::create_directories((root / rel).parent_path());
        std::ofstream(root / rel) << text;
    }
    fs::path root;
};

TEST(WindowsVersion, TextFormsParseOrAreRefused) {
    auto v = platform::parseWindowsVersion("5.0.2195;sp=4;csd=Service Pack 4;suite=128;product=3");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->major, 5u);
    EXPECT_EQ(v->minor, 0u);
    EXPECT_EQ(v->build, 2195u);
    EXPECT_EQ(v->platformId, 2u);
    EXPECT_EQ(v->servicePack, "Service Pack 4");
    EXPECT_EQ(v->servicePackMajor, 4);
    EXPECT_EQ(v->suiteMask, 128);
    EXPECT_EQ(v->productType, 3);

    v = platform::parseWindowsVersion(" 4.10.2222 ; platform=1 ; sp=1.2; csd= A ");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->platformId, 1u);
    EXPECT_EQ(v->servicePackMinor, 2);
    EXPECT_EQ(v->servicePack, " A ") << "the service-pack text is kept as written";
    EXPECT_EQ(platform::parseWindowsVersion("6.1.7601")->servicePack, "") << "no parts: no service pack";

    for (const char* bad :
         {"", "5", "5.1", "5.1.x", "5.1.2600;", "5.1.2600;suite", "5.1.2600;colour=red",
          "5.1.2600;platform=3", "5.1.2600;product=256", "5.1.2600;sp=70000", "-5.1.2600", "5.1.2600.1"})
        EXPECT_FALSE(platform::parseWindowsVersion(bad)) << bad;
}

TEST(WindowsVersion, InjectedBeatsEnvironmentBeatsDefault) {
    platform::setWindowsVersion(std::nullopt);
    unsetenv("VANTREL_WINDOWS_VERSION");
    platform::WindowsVersion d = platform::windowsVersion();
    EXPECT_EQ(d.major * 100 + d.minor, 501u);
    EXPECT_EQ(d.build, 2600u);
    EXPECT_EQ(d.servicePack, "Service Pack 3");
    EXPECT_EQ(d.suiteMask, 256);
    EXPECT_EQ(d.productType, 1);

    setenv("VANTREL_WINDOWS_VERSION", "4.0.1381;product=2", 1);
    EXPECT_EQ(platform::windowsVersion().productType, 2);
    setenv("VANTREL_WINDOWS_VERSION", "nonsense", 1);
    EXPECT_EQ(platform::windowsVersion().build, 2600u) << "a value that does not parse leaves the default";

    platform::WindowsVersion injected;
    injected.major = 3;
    platform::setWindowsVersion(injected);
    EXPECT_EQ(platform::windowsVersion().major, 3u);
    platform::setWindowsVersion(std::nullopt);
    unsetenv("VANTREL_WINDOWS_VERSION");
    EXPECT_EQ(platform::windowsVersion().major, 5u);
    if constexpr (sizeof(void*) == 8) {
        EXPECT_FALSE(platform::runsAs32BitOn64Bit());
    }
}

TEST(Language, LocalesMapToIdentifiersAndNames) {
    EXPECT_EQ(platform::languageIdOf("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(platform::languageIdOf("de_AT@euro"), 0x0C07);
    EXPECT_EQ(platform::languageIdOf("fr-CA"), 0x0C0C);
    EXPECT_EQ(platform::languageIdOf("pt_BR"), 0x0416);
    EXPECT_EQ(platform::languageIdOf("en"), 0x0409) << "a language alone is its main territory";
    EXPECT_EQ(platform::languageIdOf("es_PE"), 0x0C0A) << "an unknown territory falls back likewise";
    EXPECT_EQ(platform::languageIdOf("C"), 0x0409);
    EXPECT_EQ(platform::languageIdOf("POSIX"), 0x0409);
    EXPECT_EQ(platform::languageIdOf(""), 0x0409);
    EXPECT_EQ(platform::languageIdOf("xx_YY"), 0);
    EXPECT_EQ(platform::languageNameOf(0x0407), "German (Germany)");
    EXPECT_EQ(platform::languageNameOf(0x0419), "Russian (Russia)");
    EXPECT_EQ(platform::languageNameOf(0x1234), "");
}

TEST_F(TempTree, SystemLocaleComesFromTheSystemFiles) {
    write("etc/locale.conf", "# comment\nLANG=\"ja_JP.UTF-8\"\n");
    EXPECT_EQ(platform::systemLocale(root.string()), "ja_JP.UTF-8");
    write("etc/default/locale", "LANG=nl_NL.UTF-8\n");
    EXPECT_EQ(platform::systemLocale(root.string()), "nl_NL.UTF-8") << "Debian's file first";
    const char* old = std::getenv("LANG");
    const std::string saved = old ? old : "";
    setenv("LANG", "sv_SE.UTF-8", 1);
    EXPECT_EQ(platform::systemLocale((root / "none").string()), "sv_SE.UTF-8");
    if (old)
        setenv("LANG", saved.c_str(), 1);
    else
        unsetenv("LANG");
}

TEST(Memory, MeminfoTextAndThisMachine) {
    const char* text =
        "MemTotal:        8000000 kB\nMemFree:          500000 kB\nMemAvailable:    2000000 kB\n"
        "Buffers:          100000 kB\nCached:          1000000 kB\nSwapTotal:       1000000 kB\n"
        "SwapFree:         400000 kB\n";
    platform::MemoryStatus m = platform::parseMeminfo(text);
    EXPECT_EQ(m.totalPhysical, 8000000ull * 1024);
    EXPECT_EQ(m.availablePhysical, 2000000ull * 1024);
    EXPECT_EQ(m.totalPage, 9000000ull * 1024);
    EXPECT_EQ(m.availablePage, 2400000ull * 1024);
    EXPECT_EQ(m.load, 75u);
    // Old kernels without their own estimate: free + buffers + cache.
    m = platform::parseMeminfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n");
    EXPECT_EQ(m.availablePhysical, 400ull * 1024);
    EXPECT_EQ(m.load, 60u);
    EXPECT_EQ(platform::parseMeminfo("").load, 0u);

    m = platform::memoryStatus();
    EXPECT_GT(m.totalPhysical, 64ull << 20);
    EXPECT_LT(m.totalPhysical, 64ull << 40);
    EXPECT_LE(m.availablePhysical, m.totalPhysical);
    EXPECT_GT(m.availablePhysical, 0u);
    EXPECT_GE(m.totalPage, m.totalPhysical);
    EXPECT_LE(m.availablePage, m.totalPage);
    EXPECT_LE(m.load, 100u);
    EXPECT_GT(m.totalVirtual, 1ull << 31);
    EXPECT_LT(m.availableVirtual, m.totalVirtual) << "this process takes some of its address space";
}

TEST_F(TempTree, SoundCardsAndLockLightsFromTheirTrees) {
    EXPECT_FALSE(platform::soundCardPresent(root.string().c_str()));
    write("card0/pcm0c/info", "capture");
    EXPECT_FALSE(platform::soundCardPresent(root.string().c_str())) << "capture only";
    write("card1/pcm3p/info", "playback");
    EXPECT_TRUE(platform::soundCardPresent(root.string().c_str()));

    const std::string leds = (root / "leds").string();
    EXPECT_FALSE(platform::lockLights(leds.c_str()).capsLock);
    write("leds/input3::capslock/brightness", "1\n");
    write("leds/input3::numlock/brightness", "0\n");
    write("leds/input9::numlock/brightness", "1\n");
    write("leds/input3::scrolllock/brightness", "0\n");
    const platform::LockLights l = platform::lockLights(leds.c_str());
    EXPECT_TRUE(l.capsLock);
    EXPECT_TRUE(l.numLock) << "any keyboard's light";
    EXPECT_FALSE(l.scrollLock);
}

TEST(Machine, NetworkAndRightsAgreeWithTheSystem) {
    // An interface other than loopback that is up, as the kernel lists them.
    bool up = false;
    std::error_code ec;
    for (const auto& dev : fs::directory_iterator("/sys/class/net", ec)) {
        std::ifstream flags(dev.path() / "flags");
        unsigned long v = 0;
        flags >> std::hex >> v;
        if ((v & IFF_UP) && !(v & IFF_LOOPBACK)) up = true;
    }
    EXPECT_EQ(platform::networkPresent(), up);
    if (::geteuid() == 0) {
        EXPECT_TRUE(platform::userIsAdministrator());
    }
}

}  // namespace
