#include "player/Placeholders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "player/ProcessState.h"
#include "player/TempFolders.h"

namespace {

player::PlaceholderTable sampleTable() {
    player::PlaceholderTable t = player::currentPlaceholders();
    for (auto& p : t) p.value.clear();
    t[0].value = "Z:\\tmp\\zep-00001_al";  // %TMPAPPDIR%
    t[2].value = "Z:\\tmp\\";              // %TMP%
    t[7].value = "D:\\cd";                 // %SRCDIR%
    t[9].value = "D:";                     // %SRCDRIVE%
    t[15].value = "alice";                 // %UserName%
    t[22].value = "\r\n";                  // %n
    return t;
}

TEST(Placeholders, ExpandInAnyCaseAndInTableOrder) {
    auto t = sampleTable();
    EXPECT_EQ(player::expandPlaceholders("%tmpappdir%\\x.dll", t), "Z:\\tmp\\zep-00001_al\\x.dll");
    EXPECT_EQ(player::expandPlaceholders("a%nb%Nc", t), "a\r\nb\r\nc");
    EXPECT_EQ(player::expandPlaceholders("%SRCDRIVE%\\autorun.inf", t), "D:\\autorun.inf");
    // A value that itself holds "%n" is still seen by the later "%n" step.
    t[7].value = "D:\\%n";
    EXPECT_EQ(player::expandPlaceholders("%SRCDIR%", t), "D:\\\r\n");
    // Text produced by "%n" is final.
    t[22].value = "%UserName%";
    EXPECT_EQ(player::expandPlaceholders("%n", t), "%UserName%");
}

TEST(Placeholders, CollapseNamesTheMostSpecificFolderFirst) {
    auto t = sampleTable();
    EXPECT_EQ(player::collapsePlaceholders("Z:\\tmp\\zep-00001_al\\a.wav", t), "%TMPAPPDIR%\\a.wav");
    EXPECT_EQ(player::collapsePlaceholders("z:\\TMP\\other.txt", t), "%TMP%other.txt");
    EXPECT_EQ(player::collapsePlaceholders("Hello alice, D:\\cd\\x and D:\\y", t),
              "Hello %UserName%, %SRCDIR%\\x and %SRCDRIVE%\\y");
    EXPECT_EQ(player::collapsePlaceholders("a\r\nb", t), "a%nb");
}

TEST(Placeholders, EmptyValuesAreNeverSearchedFor) {
    auto t = sampleTable();
    EXPECT_EQ(player::collapsePlaceholders("plain", t), "plain");
    EXPECT_EQ(player::expandPlaceholders("%Embedded%x", t), "x");
}

class LivePlaceholders : public ::testing::Test {
protected:
    void SetUp() override {
        player::state().setExecutable("/opt/vantrel/bin/vantrel");
        player::state().setSourceFolder("/opt/vantrel/bin");
        platform::setRegistry(platform::RegistryStore::openInMemory());
    }
};

TEST_F(LivePlaceholders, FolderValuesFollowTheWindowsConventions) {
    std::string tmp = player::RepConst("%TMP%");
    ASSERT_FALSE(tmp.empty());
    EXPECT_EQ(tmp.back(), '\\');
    EXPECT_EQ(player::RepConst("%SYS%"), "C:\\WINDOWS\\system32");
    EXPECT_EQ(player::RepConst("%WIN%"), "C:\\WINDOWS");
    EXPECT_EQ(player::RepConst("%SRCDIR%"), "Z:\\opt\\vantrel\\bin");
    EXPECT_EQ(player::RepConst("%PLDIR%\\x"), "Z:\\opt\\vantrel\\bin\\x");
    EXPECT_EQ(player::RepConst("%SRCDRIVE%"), "Z:");
    EXPECT_EQ(player::RepConst("[%Embedded%]"), "[]");  // no project loaded
    EXPECT_EQ(player::RepConst("[%PF%][%COMMON%][%NETHOOD%]"),
              "[C:\\Program Files][C:\\Program Files\\Common Files][]");
    EXPECT_EQ(player::RepConst("%UserName%"), platform::userName());
    EXPECT_EQ(player::RepConst("no placeholder"), "no placeholder");
}

TEST_F(LivePlaceholders, ProgramFoldersFollowTheRegistry) {
    platform::registry().setValue(platform::RegistryRoot::LocalMachine,
                                  "Software\\Microsoft\\Windows\\CurrentVersion", "programfilesdir",
                                  platform::RegistryValue::string("D:\\Apps"));
    platform::registry().deleteValue(platform::RegistryRoot::LocalMachine,
                                     "Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir");
    EXPECT_EQ(player::RepConst("%PF%\\x|%COMMON%|"), "D:\\Apps\\x||");
}

TEST_F(LivePlaceholders, DERepConstPrefersTheApplicationFolderAndFindsTheUserNameAnywhere) {
    player::TempFolders& folders = player::TempFolders::instance();
    if (folders.appFolder().empty()) {
        ASSERT_TRUE(folders.createAppFolder(platform::userTempFolder()));
    }
    std::string inside = platform::windowsPath(folders.appFolder() / "music.mp3");
    EXPECT_EQ(player::DERepConst(inside), "%TMPAPPDIR%\\music.mp3");
    EXPECT_EQ(player::RepConst(player::DERepConst(inside)), inside);
    std::string user = platform::userName();
    EXPECT_EQ(player::DERepConst("Dear " + user + "!"), "Dear %UserName%!");
    folders.cleanup();
}

}  // namespace

namespace {

TEST(Placeholders, FoldersAtADriveRootHaveNoTrailingBackslash) {
    namespace fs = std::filesystem;
    const fs::path cd = fs::temp_directory_path() / ("vantrel-cd-" + std::to_string(::getpid()));
    fs::create_directories(cd);
    std::ofstream(cd / "autorun.ini") << "[Autorun]\n";
    platform::drives().map('D', cd);
    player::state().setSourceFolder(cd);
    player::state().setExecutable(cd / "vantrel");
    EXPECT_EQ(player::RepConst("%SRCDIR%"), "D:");
    EXPECT_EQ(player::RepConst("%SRCDIR%\\autorun.ini"), "D:\\autorun.ini");
    EXPECT_EQ(player::RepConst("%PLDIR%\\data"), "D:\\data");
    EXPECT_EQ(player::RepConst("%SRCDRIVE%\\autorun.ini"), "D:\\autorun.ini");
    EXPECT_EQ(player::DERepConst("D:\\autorun.ini"), "%SRCDIR%\\autorun.ini");
    EXPECT_EQ(platform::resolvePath(player::RepConst("%SRCDIR%\\AUTORUN.INI")), cd / "autorun.ini");
    // The root of the file system is the root of Z:.
    player::state().setSourceFolder("/");
    EXPECT_EQ(player::RepConst("%SRCDIR%\\etc"), "Z:\\etc");
    platform::drives().unmap('D');
    fs::remove_all(cd);
    player::state().setSourceFolder("/opt/vantrel/bin");
    player::state().setExecutable("/opt/vantrel/bin/vantrel");
}

}  // namespace
