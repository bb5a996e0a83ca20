// The INI routines: reads with the profile functions' rules, rewrites compared byte for
// byte with files written by hand, file names, and writes that stay whole.
#include "library/IniFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/CodePage.h"
#include "base/DateTime.h"
#include "classes/PropValue.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"

namespace fs = std::filesystem;
using classes::Variant;
using VarType = classes::Variant::Type;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

fs::path dataFile(const char* name) { return fs::path(VANTREL_SOURCE_DIR) / "tests/library/data/ini" / name; }

class IniFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        base::CodePage::setActive(1252);
        m_dir = fs::temp_directory_path() / ("vantrel-ini-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        fs::copy_file(dataFile("original.ini"), m_dir / "show.ini");
        m_file = (m_dir / "show.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
    std::string m_file;
};

TEST_F(IniFilesTest, WritesChangeOnlyTheirLinesAndDeletesRemoveWholeEntries) {
    EXPECT_TRUE(library::setIniString("autorun", "volume", "7", m_file));
    EXPECT_TRUE(library::setIniString("Player", "Theme", "dark", m_file));
    EXPECT_TRUE(library::setIniString("CAF\xC9", "Age", "30", m_file));
    EXPECT_TRUE(library::setIniString("New", "K", "v", m_file));
    EXPECT_EQ(readAll(m_file), readAll(dataFile("after-writes.ini")));
    EXPECT_TRUE(library::setIniString("new", " k ", "v", m_file));  // the same value again
    EXPECT_EQ(readAll(m_file), readAll(dataFile("after-writes.ini")));

    library::deleteIniEntry("Player", "skin", m_file);  // both copies of the key
    library::deleteIniSection("AUTORUN", m_file);
    EXPECT_EQ(readAll(m_file), readAll(dataFile("after-deletes.ini")));
    library::deleteIniSection("Nowhere", m_file);
    library::deleteIniEntry("Player", "nothing", m_file);
    EXPECT_EQ(readAll(m_file), readAll(dataFile("after-deletes.ini")));
}

TEST_F(IniFilesTest, ReadsTrimUnquoteTakeTheFirstDuplicateAndStopAt1023Characters) {
    EXPECT_EQ(library::getIniString("AUTORUN", "loadingtext", "d", m_file), "  Please wait  ");
    EXPECT_EQ(library::getIniString("Player", "Skin", "d", m_file), "blue");
    EXPECT_EQ(library::getIniString("caf\xE9", "name", "d", m_file), "Fran\xE7ois");
    EXPECT_EQ(library::getIniString("Player", "just a line without equals", "dflt  ", m_file), "dflt");
    EXPECT_FALSE(library::iniKeyExists("Player", "just a line without equals", m_file));
    EXPECT_FALSE(library::iniKeyExists("Player", "; trailing comment of Player", m_file));

    library::setIniString("Long", "Text", std::string(1500, 'x'), m_file);
    EXPECT_EQ(library::getIniString("Long", "Text", "", m_file), std::string(1023, 'x'));
    EXPECT_EQ(library::getIniString("Long", "None", std::string(1100, 'd'), m_file), std::string(1023, 'd'));
    EXPECT_EQ(library::getIniString("S", "K", "missing file", (m_dir / "none.ini").string()), "missing file");
}

TEST_F(IniFilesTest, IntegersBooleansAndExistence) {
    const std::string f = (m_dir / "numbers.ini").string();
    writeAll(
        f,
        "[S]\r\nEleven=11\r\nWord=abc\r\nFive= 5 \r\nNeg=-12\r\nHuge=99999999999\r\nEmpty=\r\nHex=0x10\r\n"
        "[Blank]\r\n; only a comment\r\nno equals here\r\n");
    EXPECT_EQ(library::getIniInt("S", "Eleven", 7, 1, 10, f), 7);
    EXPECT_EQ(library::getIniInt("S", "Word", 7, 1, 10, f), 7);
    EXPECT_EQ(library::getIniInt("S", "Five", 7, 1, 10, f), 5);
    EXPECT_EQ(library::getIniInt("S", "Eleven", 7, 0, 0, f), 11);
    EXPECT_EQ(library::getIniInt("S", "Neg", 7, 0, 0, f), -12);
    EXPECT_EQ(library::getIniInt("S", "Huge", 7, 0, 0, f), 7);
    EXPECT_EQ(library::getIniInt("S", "Hex", 7, 0, 0, f), 7);
    EXPECT_EQ(library::getIniInt("S", "Missing", 7, 5, 5, f), 7);
    EXPECT_TRUE(library::getIniBool("S", "Five", false, f));
    EXPECT_TRUE(library::getIniBool("S", "Word", true, f));
    EXPECT_FALSE(library::getIniBool("S", "Empty", false, f));
    EXPECT_TRUE(library::iniKeyExists("S", "Empty", f));
    EXPECT_TRUE(library::iniKeyExists("s", "EMPTY", f));
    EXPECT_FALSE(library::iniKeyExists("S", "Missing", f));
    EXPECT_TRUE(library::isIniSectionEmpty("Blank", f));
    EXPECT_TRUE(library::isIniSectionEmpty("Missing", f));
    EXPECT_FALSE(library::isIniSectionEmpty("S", f));

    EXPECT_TRUE(library::setIniInt("S", "Neg", -40, f));
    EXPECT_TRUE(library::setIniBool("S", "Flag", true, f));
    EXPECT_EQ(library::getIniString("S", "Neg", "", f), "-40");
    EXPECT_EQ(library::getIniString("S", "Flag", "", f), "1");
}

TEST_F(IniFilesTest, TheFirstWriteCreatesTheFileButNotItsFolderAndBadTextIsRefused) {
    const fs::path created = m_dir / "new.ini";
    EXPECT_TRUE(library::setIniString("Sec", "Key", "Value", created.string()));
    EXPECT_EQ(readAll(created), "[Sec]\r\nKey=Value\r\n");
    library::deleteIniEntry("Sec", "Key", (m_dir / "other.ini").string());
    EXPECT_FALSE(fs::exists(m_dir / "other.ini"));

    EXPECT_FALSE(library::setIniString("S", "K", "v", (m_dir / "no" / "such" / "x.ini").string()));
    EXPECT_FALSE(fs::exists(m_dir / "no"));
    EXPECT_FALSE(library::setIniString("S", "K", "v", m_dir.string()));  // a folder, not a file

    // A line break would smuggle in lines of its own; such writes change nothing.
    const std::string before = readAll(created);
    EXPECT_FALSE(library::setIniString("Sec", "Key", "a\r\n[Evil]\r\nx=1", created.string()));
    EXPECT_FALSE(library::setIniString("Sec", "K=ey", "v", created.string()));
    EXPECT_FALSE(library::setIniString("Se]c", "Key", "v", created.string()));
    EXPECT_FALSE(library::setIniString("", "Key", "v", created.string()));
    EXPECT_FALSE(library::setIniString("Sec", "", "v", created.string()));
    EXPECT_EQ(readAll(created), before);
    // Text ends at a zero byte, as in the C strings of the profile functions.
    EXPECT_TRUE(library::setIniString("Sec", "Key", std::string("ab\0cd", 5), created.string()));
    EXPECT_EQ(library::getIniString("Sec", "Key", "", created.string()), "ab");
}

TEST_F(IniFilesTest, VariantsWriteTheTextOfTheirType) {
    const std::string f = (m_dir / "v.ini").string();
    library::writeToIni(f, "S", "Bool", Variant::boolean(true));
    library::writeToIni(f, "S", "Int", Variant::integer(-3));
    library::writeToIni(f, "S", "Big", Variant::int64(0x100000002));
    library::writeToIni(f, "S", "Real", Variant::floating(1.5, VarType::Double));
    library::writeToIni(f, "S", "Ext", Variant::floating(0.1, VarType::Extended));
    library::writeToIni(f, "S", "Money", Variant::currency(123400));
    library::writeToIni(f, "S", "Str", Variant::string("text"));
    library::writeToIni(f, "S", "Null", Variant::null());
    library::writeToIni(f, "S", "Empty", Variant());
    EXPECT_EQ(readAll(f),
              "[S]\r\nBool=1\r\nInt=-3\r\nBig=2\r\nReal=1.5\r\nExt=0.1\r\nMoney=12.34\r\nStr=text\r\n");

    EXPECT_EQ(library::currencyText(-5), "-0.0005");
    EXPECT_EQ(library::currencyText(70000), "7");
    EXPECT_EQ(library::currencyText(INT64_MIN), "-922337203685477.5808");

    // A date keeps only its date part, in the short date format it reads back with.
    library::writeToIni(f, "S", "When", Variant::floating(45366.75, VarType::Date));
    const std::string when = library::getIniString("S", "When", "", f);
    EXPECT_NE(when.find("2024"), std::string::npos) << when;
    double back = 0;
    ASSERT_TRUE(base::tryStrToDate(when, back)) << when;
    EXPECT_EQ(back, 45366.0);
}

TEST_F(IniFilesTest, BareNamesLiveInTheWindowsFolderAndAnEmptyNameIsWinIni) {
    const std::string name = "vantrel-test-" + std::to_string(::getpid()) + ".ini";
    EXPECT_EQ(library::iniFilePath(name), platform::windowsFolder() / name);
    EXPECT_EQ(library::iniFilePath("").filename(), "win.ini");
    EXPECT_EQ(library::iniFilePath("").parent_path(), platform::windowsFolder());
    EXPECT_EQ(library::iniFilePath("Z:\\tmp\\x.ini"), fs::path("/tmp/x.ini"));
    ASSERT_TRUE(library::setIniString("S", "K", "v", name));
    EXPECT_EQ(readAll(platform::windowsFolder() / name), "[S]\r\nK=v\r\n");
    EXPECT_EQ(library::getIniString("s", "k", "", name), "v");
    fs::remove(platform::windowsFolder() / name);
}

TEST_F(IniFilesTest, RewritesKeepModeAndLinksLeaveNoTemporaryFilesAndLoseNoConcurrentKey) {
    ::chmod(m_file.c_str(), 0640);
    fs::create_symlink(m_file, m_dir / "link.ini");
    ASSERT_TRUE(library::setIniString("Player", "Via", "link", (m_dir / "link.ini").string()));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
    EXPECT_EQ(library::getIniString("Player", "Via", "", m_file), "link");
    EXPECT_EQ(fs::status(m_file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    auto writer = [&](const std::string& prefix) {
        for (int i = 0; i < 60; ++i) library::setIniInt("Many", prefix + std::to_string(i), i, m_file);
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(library::getIniInt("Many", std::string("a").append(std::to_string(i)), -1, 0, 0, m_file),
                  i);
        EXPECT_EQ(library::getIniInt("Many", std::string("b").append(std::to_string(i)), -1, 0, 0, m_file),
                  i);
    }
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(m_dir)) files += e.path().extension() == ".tmp" ? 100 : 1;
    EXPECT_EQ(files, 2u);  // show.ini and the link
}

}  // namespace
