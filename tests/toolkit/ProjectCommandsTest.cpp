// zeptool pack, info and unpack on a project folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "toolkit/Zeptool.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ProjectCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("zeptool-project-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "src" / "files" / "pics");
        std::ofstream(m_dir / "src" / "form.txt") << "object Main: TAutorunForm\n  Caption = 'Show'\n"
                                                     "  object Logo: TImage\n    Left = 4\n  end\nend\n";
        std::ofstream(m_dir / "src" / "script.pas", std::ios::binary)
            << "begin\r\n  Main.ShowModal;\r\nend.\r\n";
        std::ofstream(m_dir / "src" / "files" / "readme.txt") << "read me";
        std::ofstream(m_dir / "src" / "files" / "pics" / "a.bmp") << std::string(40000, 'b');
    }
    void TearDown() override { fs::remove_all(m_dir); }

    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "zeptool");
        out.str("");
        err.str("");
        return toolkit::runZeptool(args, out, err);
    }

    fs::path m_dir;
    std::ostringstream out, err;
};

TEST_F(ProjectCommandsTest, PackInfoUnpackRoundTrip) {
    const std::string zep = (m_dir / "show.zep").string();
    ASSERT_EQ(run({"pack", (m_dir / "src").string(), zep}), 0) << err.str();
    ASSERT_EQ(run({"info", zep}), 0) << err.str();
    const std::string info = out.str();
    EXPECT_NE(info.find("kind: ZEPScript\nformat version: 20\nform: Main: TAutorunForm"), std::string::npos)
        << info;
    EXPECT_NE(info.find("  40000  C:\\pics\\a.bmp"), std::string::npos) << info;
    EXPECT_NE(info.find("  7  C:\\readme.txt"), std::string::npos) << info;
    EXPECT_NE(info.find("script source: present"), std::string::npos) << info;

    ASSERT_EQ(run({"unpack", zep, (m_dir / "out").string()}), 0) << err.str();
    EXPECT_EQ(readFile(m_dir / "out" / "form.txt"), readFile(m_dir / "src" / "form.txt"));
    EXPECT_EQ(readFile(m_dir / "out" / "script.pas"), "begin\r\n  Main.ShowModal;\r\nend.\r\n");
    EXPECT_EQ(readFile(m_dir / "out" / "files" / "readme.txt"), "read me");
    // The player restores file names alone, and so does unpack.
    EXPECT_EQ(readFile(m_dir / "out" / "files" / "a.bmp"), std::string(40000, 'b'));

    // Packing the unpacked folder gives the same form and files again.
    ASSERT_EQ(run({"pack", (m_dir / "out").string(), (m_dir / "again.zep").string()}), 0);
    ASSERT_EQ(run({"info", (m_dir / "again.zep").string()}), 0);
    EXPECT_NE(out.str().find("form: Main: TAutorunForm"), std::string::npos);
}

TEST_F(ProjectCommandsTest, BadInputGivesAClearLine) {
    std::ofstream(m_dir / "bad.zep") << "TPF0\x06"
                                        "TForm1";
    EXPECT_EQ(run({"info", (m_dir / "bad.zep").string()}), 1);
    EXPECT_EQ(err.str().rfind("zeptool: ", 0), 0u);
    EXPECT_NE(err.str().find("offset 4"), std::string::npos) << err.str();
    EXPECT_EQ(run({"info", (m_dir / "missing.zep").string()}), 1);
    std::ofstream(m_dir / "src" / "form.txt") << "object Broken";
    EXPECT_EQ(run({"pack", (m_dir / "src").string(), (m_dir / "x.zep").string()}), 1);
    EXPECT_NE(err.str().find("form.txt"), std::string::npos);
    EXPECT_EQ(run({"pack", (m_dir / "src").string()}), 2);
}

TEST_F(ProjectCommandsTest, InfoListsTheExternalRoutinesAndWhetherThePlayerServesThem) {
    std::ofstream(m_dir / "src" / "script.pas", std::ios::binary)
        << "// function Old(X: Integer): Integer; external 'Old@user32.dll';\r\n"
           "function MessageBox(hWnd: Integer; lpText, lpCaption: PChar; uType: Cardinal): Integer;\r\n"
           "  external 'MessageBoxA@user32.dll stdcall';\r\n"
           "function GetWindowText(hWnd: Integer; lpString: PChar; n: Integer): Integer; "
           "external 'GetWindowTextA@USER32 stdcall';\r\n"
           "procedure Fade(Level: Integer); external 'fade@effects.dll cdecl delayload';\r\n"
           "begin\r\n  MessageBox(0, 'external ''x@y''', '', 0);\r\nend.\r\n";
    const std::string zep = (m_dir / "show.zep").string();
    ASSERT_EQ(run({"pack", (m_dir / "src").string(), zep}), 0) << err.str();
    ASSERT_EQ(run({"info", zep}), 0) << err.str();
    const std::string info = out.str();
    EXPECT_NE(
        info.find(
            "\nexternal routines: 3\n"
            "  MessageBox: 'MessageBoxA@user32.dll stdcall' (line 3): covered\n"
            "  GetWindowText: 'GetWindowTextA@USER32 stdcall' (line 4): not covered "
            "(\"Cannot Import GETWINDOWTEXT\")\n"
            "  Fade: 'fade@effects.dll cdecl delayload' (line 5): from the shared library effects.dll\n"),
        std::string::npos)
        << info;
}

}  // namespace
