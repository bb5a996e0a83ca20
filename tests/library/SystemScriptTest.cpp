// The system family called from scripts through its declarations: each script in
// tests/library/scripts/system/ logs what it sees, and its trailing "// expect: LINE"
// comments list the log, line by line. The scripts set the Windows version through a
// routine of the test's own and reach a form, an image and a folder of generated files.
#include <gtest/gtest.h>

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "classes/TComponent.h"
#include "library/IFSI_Strings.h"
#include "library/IFSI_System.h"
#include "pictures/Encoders.h"
#include "platform/Paths.h"
#include "platform/WindowsVersion.h"
#include "script/Imports.h"
#include "tests/script/ExpectedLog.h"
#include "tests/script/ScriptSession.h"
#include "tests/vcl/CursorBuilder.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Picture.h"

namespace fs = std::filesystem;

namespace {

const fs::path kScripts = fs::path(VANTREL_SOURCE_DIR) / "tests/library/scripts/system";

// The shared vocabulary these routines name, as the library registers it ahead of every
// family; here until the host replays that table in tests too.
const script::Imports& vocabulary() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TOSType",
               "(OS_WIN95, OS_WIN98, OS_WINME, OS_NT351, OS_NT4_DOMAINCONTROLLER, OS_NT4_SERVER, "
               "OS_NT4_WORKSTATION, OS_WIN2000, OS_WIN2000_ADVSERVER, OS_WIN2000_DATACENTER, OS_WINXP_HOME, "
               "OS_WINXP_PROFESSIONAL, OS_WINXP_NETSERVER, OS_WIN2003, OS_UNKNOWN)")
            .type("TOSSuiteType",
                  "(OSST_BACKOFFICE, OSST_DATACENTER, OSST_ENTERPRISE, OSST_PERSONAL, OSST_SMALLBUSINESS, "
                  "OSST_SMALLBUSINESS_RESTRICTED, OSST_TERMINAL, OSST_UNKNOWN)")
            .type("TOSProductType", "(OSPT_WORKSTATION, OSPT_DOMAIN_CONTROLLER, OSPT_SERVER, OSPT_UNKNOWN)")
            .type("TOSVersionInfoEx",
                  "record dwOSVersionInfoSize:DWORD;dwMajorVersion:DWORD; "
                  "dwMinorVersion:DWORD;dwBuildNumber:DWORD; "
                  "dwPlatformId: DWord;szCSDVersion: array[0..127] of Char;wServicePackMajor: Word; "
                  "wServicePackMinor: Word;wSuiteMask: Word; wProductType: Byte; wReserved: Byte; end;")
            .type("TDWDimension", "record Height : Integer; Width : Integer; end")
            .constant("VER_SUITE_PERSONAL", int32_t(512))
            .classType(vcl::TPicture::staticClass())
            .classType(vcl::TImage::staticClass())
            .classType(vcl::TForm::staticClass());
        return m;
    }();
    return table;
}

class SystemScripts : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vantrel-system-scripts-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        writeFiles();
        saveEnv("XDG_RUNTIME_DIR");
        saveEnv("LC_ALL");
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        setenv("LC_ALL", "de_DE.UTF-8", 1);
        classes::ClassRegistry::registerClass(classes::TComponent::staticClass());

        form.setBorderStyle(vcl::bsNone);
        form.setColor(0x00FF00);
        form.setBounds(0, 0, 64, 48);
        image.setParent(&form);

        helpers
            .routine(
                "procedure SetVersion(Major, Minor, Build, PlatformId, Suite, Product: Integer; CSD: "
                "string);",
                [](int32_t major, int32_t minor, int32_t build, int32_t platformId, int32_t suite,
                   int32_t product, const std::string& csd) {
                    platform::WindowsVersion v;
                    v.major = static_cast<uint32_t>(major);
                    v.minor = static_cast<uint32_t>(minor);
                    v.build = static_cast<uint32_t>(build);
                    v.platformId = static_cast<uint32_t>(platformId);
                    v.suiteMask = static_cast<uint16_t>(suite);
                    v.productType = static_cast<uint8_t>(product);
                    v.servicePack = csd;
                    platform::setWindowsVersion(v);
                })
            .routine("function TestFolder: string;", [this] { return platform::windowsPath(dir); })
            .routine("function FileSize(Name: string): Integer;", [](const std::string& name) {
                std::error_code ec;
                const auto size = fs::file_size(platform::resolvePath(name), ec);
                return ec ? -1 : static_cast<int32_t>(size);
            });
        session.tables.push_back(&vocabulary());
        session.tables.push_back(&library::stringImports());
        session.tables.push_back(&library::systemImports());
        session.tables.push_back(&helpers);
        session.global("Form1", "TForm", &form).global("Image1", "TImage", &image);
    }
    void TearDown() override {
        platform::setWindowsVersion(std::nullopt);
        form.hide();
        fs::remove_all(dir);
        for (const auto& [name, value] : savedEnv)
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
    }
    void saveEnv(const char* name) {
        const char* value = std::getenv(name);
        savedEnv.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    void writeFiles() {
        using namespace cursorfiles;
        std::ofstream(dir / "arrow.cur", std::ios::binary)
            << iconDirectory({solidEntry(32, 32, 0xFF0000, 2, 3)});
        std::ofstream(dir / "busy.ani", std::ios::binary)
            << animatedCursor({iconDirectory({solidEntry(16, 16, 0xFF, 1, 1)}),
                               iconDirectory({solidEntry(16, 16, 0xFF00, 1, 1)})},
                              10);
        pictures::Image img(12, 8, 0xFF336699u);
        std::ofstream(dir / "photo.tga", std::ios::binary) << pictures::encodeTarga(img);
    }

    fs::path dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv;
    vcl::TForm form{nullptr};
    vcl::TImage image{nullptr};
    script::Imports helpers;
    ScriptSession session;
};

TEST_P(SystemScripts, FamilyScriptLogsWhatItExpects) {
    const std::string source = readTextFile(kScripts / GetParam());
    ASSERT_FALSE(source.empty()) << GetParam();
    ASSERT_TRUE(session.run(source)) << session.error;
    EXPECT_EQ(session.log, taggedLines(source));
    EXPECT_NE(session.log, "");
}

std::vector<std::string> scripts() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kScripts))
        if (e.path().extension() == ".pas") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(System, SystemScripts, ::testing::ValuesIn(scripts()),
                         [](const auto& test) { return test.param.substr(0, test.param.find('.')); });

}  // namespace
