#include "runtime/Placeholders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "runtime/ProcessState.h"
#include "runtime/TempFolders.h"

namespace {

runtime::PlaceholderTable sampleTable() {
    runtime::PlaceholderTable t = runtime::currentPlaceholders();
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
    EXPECT_EQ(runtime::expandPlaceholders("%tmpappdir%\\x.dll", t), "Z:\\tmp\\zep-00001_al\\x.dll");
    EXPECT_EQ(runtime::expandPlaceholders("a%nb%Nc", t), "a\r\nb\r\nc");
    EXPECT_EQ(runtime::expandPlaceholders("%SRCDRIVE%\\autorun.inf", t), "D:\\autorun.inf");
    // A value that itself holds "%n" is still seen by the later "%n" step.
    t[7].value = "D:\\%n";
    EXPECT_EQ(runtime::expandPlaceholders("%SRCDIR%", t), "D:\\\r\n");
    // Text produced by "%n" is final.
    t[22].value = "%UserName%";
    EXPECT_EQ(runtime::expandPlaceholders("%n", t), "%UserName%");
}

TEST(Placeholders, CollapseNamesTheMostSpecificFolderFirst) {
    auto t = sampleTable();
    EXPECT_EQ(runtime::collapsePlaceholders("Z:\\tmp\\zep-00001_al\\a.wav", t), "%TMPAPPDIR%\\a.wav");
    EXPECT_EQ(runtime::collapsePlaceholders("z:\\TMP\\other.txt", t), "%TMP%other.txt");
    EXPECT_EQ(runtime::collapsePlaceholders("Hello alice, D:\\cd\\x and D:\\y", t),
              "Hello %UserName%, %SRCDIR%\\x and %SRCDRIVE%\\y");
    EXPECT_EQ(runtime::collapsePlaceholders("a\r\nb", t), "a%nb");
}

TEST(Placeholders, EmptyValuesAreNeverSearchedFor) {
    auto t = sampleTable();
    EXPECT_EQ(runtime::collapsePlaceholders("plain", t), "plain");
    EXPECT_EQ(runtime::expandPlaceholders("%Embedded%x", t), "x");
}

class LivePlaceholders : public ::testing::Test {
protected:
    void SetUp() override {
        runtime::state().setExecutable("/opt/vantrel/bin/vantrel");
        runtime::state().setSourceFolder("/opt/vantrel/bin");
        platform::setRegistry(platform::RegistryStore::openInMemory());
    }
};

TEST_F(LivePlaceholders, FolderValuesFollowTheWindowsConventions) {
    std::string tmp = runtime::RepConst("%TMP%");
    ASSERT_FALSE(tmp.empty());
    EXPECT_EQ(tmp.back(), '\\');
    EXPECT_EQ(runtime::RepConst("%SYS%"), "C:\\WINDOWS\\system32");
    EXPECT_EQ(runtime::RepConst("%WIN%"), "C:\\WINDOWS");
    EXPECT_EQ(runtime::RepConst("%SRCDIR%"), "Z:\\opt\\vantrel\\bin");
    EXPECT_EQ(runtime::RepConst("%PLDIR%\\x"), "Z:\\opt\\vantrel\\bin\\x");
    EXPECT_EQ(runtime::RepConst("%SRCDRIVE%"), "Z:");
    EXPECT_EQ(runtime::RepConst("[%Embedded%]"), "[]");  // no project loaded
    EXPECT_EQ(runtime::RepConst("[%PF%][%COMMON%][%NETHOOD%]"),
              "[C:\\Program Files][C:\\Program Files\\Common Files][]");
    EXPECT_EQ(runtime::RepConst("%UserName%"), platform::userName());
    EXPECT_EQ(runtime::RepConst("no placeholder"), "no placeholder");
}

TEST_F(LivePlaceholders, ProgramFoldersFollowTheRegistry) {
    platform::registry().setValue(platform::RegistryRoot::LocalMachine,
                                  "Software\\Microsoft\\Windows\\CurrentVersion", "programfilesdir",
                                  platform::RegistryValue::string("D:\\Apps"));
    platform::registry().deleteValue(platform::RegistryRoot::LocalMachine,
                                     "Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir");
    EXPECT_EQ(runtime::RepConst("%PF%\\x|%COMMON%|"), "D:\\Apps\\x||");
}

TEST_F(LivePlaceholders, DERepConstPrefersTheApplicationFolderAndFindsTheUserNameAnywhere) {
    runtime::TempFolders& folders = runtime::TempFolders::instance();
    if (folders.appFolder().empty()) {
        ASSERT_TRUE(folders.createAppFolder(platform::userTempFolder()));
    }
    std::string inside = platform::windowsPath(folders.appFolder() / "music.mp3");
    EXPECT_EQ(runtime::DERepConst(inside), "%TMPAPPDIR%\\music.mp3");
    EXPECT_EQ(runtime::RepConst(runtime::DERepConst(inside)), inside);
    std::string user = platform::userName();
    EXPECT_EQ(runtime::DERepConst("Dear " + user + "!"), "Dear %UserName%!");
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
    runtime::state().setSourceFolder(cd);
    runtime::state().setExecutable(cd / "vantrel");
    EXPECT_EQ(runtime::RepConst("%SRCDIR%"), "D:");
    EXPECT_EQ(runtime::RepConst("%SRCDIR%\\autorun.ini"), "D:\\autorun.ini");
    EXPECT_EQ(runtime::RepConst("%PLDIR%\\data"), "D:\\data");
    EXPECT_EQ(runtime::RepConst("%SRCDRIVE%\\autorun.ini"), "D:\\autorun.ini");
    EXPECT_EQ(runtime::DERepConst("D:\\autorun.ini"), "%SRCDIR%\\autorun.ini");
    EXPECT_EQ(platform::resolvePath(runtime::RepConst("%SRCDIR%\\AUTORUN.INI")), cd / "autorun.ini");
    // The root of the file system is the root of Z:.
    runtime::state().setSourceFolder("/");
    EXPECT_EQ(runtime::RepConst("%SRCDIR%\\etc"), "Z:\\etc");
    platform::drives().unmap('D');
    fs::remove_all(cd);
    runtime::state().setSourceFolder("/opt/vantrel/bin");
    runtime::state().setExecutable("/opt/vantrel/bin/vantrel");
}

}  // namespace
