#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/CodePage.h"

namespace fs = std::filesystem;

namespace {

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("vantrel-paths-" + std::to_string(::getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "Pics" / "Holiday");
        std::ofstream(m_root / "Pics" / "Holiday" / "Beach.JPG") << "x";
        m_table.map('d', m_root);
        m_table.map('Z', "/");
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path m_root;
    platform::DriveTable m_table;
};

TEST_F(PathsTest, DriveLettersAndBothSeparatorsTranslate) {
    EXPECT_EQ(m_table.toNative("D:\\Pics\\Holiday"), m_root / "Pics" / "Holiday");
    EXPECT_EQ(m_table.toNative("d:/Pics/./Holiday/"), m_root / "Pics" / "Holiday");
    EXPECT_EQ(m_table.toNative("D:"), m_root);
    EXPECT_EQ(m_table.toNative("Z:\\etc\\hosts"), fs::path("/etc/hosts"));
    EXPECT_EQ(m_table.toNative("/etc/hosts"), fs::path("/etc/hosts"));
    EXPECT_EQ(m_table.toNative("pics\\a.jpg"), fs::path("pics/a.jpg"));
}

TEST_F(PathsTest, DoubledSeparatorsCountAsOne) {
    const fs::path holiday = m_root / "Pics" / "Holiday";
    EXPECT_EQ(m_table.toNative("D:\\\\Pics\\\\Holiday"), holiday);
    EXPECT_EQ(m_table.toNative("D:/\\Pics//Holiday\\\\"), holiday);
    EXPECT_EQ(m_table.toNative("pics\\\\a.jpg"), fs::path("pics/a.jpg"));
    EXPECT_EQ(m_table.toNative("/etc//hosts"), fs::path("/etc/hosts"));
    EXPECT_EQ(m_table.toNative("//etc//hosts"), fs::path("/etc/hosts"));
    EXPECT_EQ(m_table.resolve("//" + m_root.string() + "//PICS"), m_root / "Pics");
    EXPECT_EQ(m_table.toNative("Z:\\\\etc\\hosts"), fs::path("/etc/hosts"));
    EXPECT_EQ(m_table.resolve("d:\\\\pics\\\\HOLIDAY\\\\beach.jpg"), holiday / "Beach.JPG");
    EXPECT_EQ(m_table.toWindows(m_root.string() + "//Pics//Holiday"), "D:\\Pics\\Holiday");
}

TEST_F(PathsTest, DotDotNeverLeavesTheDriveRoot) {
    EXPECT_EQ(m_table.toNative("D:\\..\\..\\etc\\passwd"), m_root / "etc" / "passwd");
    EXPECT_EQ(m_table.toNative("D:\\Pics\\..\\x"), m_root / "x");
}

TEST_F(PathsTest, UnmappedDrivesAndSharesGiveNoPath) {
    EXPECT_TRUE(m_table.toNative("Q:\\x").empty());
    EXPECT_TRUE(m_table.toNative("\\\\server\\share\\x").empty());
    EXPECT_TRUE(m_table.toNative("").empty());
    EXPECT_TRUE(m_table.resolve("Q:\\x").empty());
}

TEST_F(PathsTest, ResolveFindsNamesWhateverTheirCase) {
    EXPECT_EQ(m_table.resolve("D:\\PICS\\holiday\\beach.jpg"), m_root / "Pics" / "Holiday" / "Beach.JPG");
    // A missing last part keeps its spelling under the matched folders (a file to create).
    EXPECT_EQ(m_table.resolve("d:\\pics\\HOLIDAY\\New.txt"), m_root / "Pics" / "Holiday" / "New.txt");
    // Below a missing folder nothing is looked up.
    EXPECT_EQ(m_table.resolve("D:\\nope\\beach.jpg"), m_root / "nope" / "beach.jpg");
}

TEST_F(PathsTest, ResolveMatchesAccentedNamesOfTheCodePage) {
    base::CodePage::setActive(1252);
    std::ofstream(m_root / "\xc3\x89T\xc3\x89.txt") << "x";  // "ÉTÉ.txt" on disk, UTF-8
    EXPECT_EQ(m_table.resolve("D:\\\xe9t\xe9.TXT"), m_root / "\xc3\x89T\xc3\x89.txt");
}

TEST_F(PathsTest, WindowsFormPrefersTheLongestDriveRoot) {
    EXPECT_EQ(m_table.toWindows(m_root / "Pics" / "Holiday"), "D:\\Pics\\Holiday");
    EXPECT_EQ(m_table.toWindows(m_root), "D:\\");
    EXPECT_EQ(m_table.toWindows("/etc/hosts"), "Z:\\etc\\hosts");
    EXPECT_EQ(m_table.toNative(m_table.toWindows(m_root / "Pics")), m_root / "Pics");
}

TEST(FileNames, CompareWithSimpleCaseFolding) {
    EXPECT_TRUE(platform::sameFileName("Read Me.TXT", "read me.txt"));
    EXPECT_TRUE(platform::sameFileName("\xd0\x9f\xd1\x80\xd0\xb8", "\xd0\xbf\xd0\xa0\xd0\x98"));  // При / пРИ
    EXPECT_FALSE(platform::sameFileName("a.txt", "a.txt2"));
}

TEST(MountPoints, RootHoldsEverythingElse) {
    EXPECT_EQ(platform::mountPointOf("/"), fs::path("/"));
    fs::path mp = platform::mountPointOf(fs::temp_directory_path());
    EXPECT_TRUE(mp.is_absolute());
}

TEST(ProcessDrives, SystemDriveHoldsTheWindowsFolders) {
    platform::DriveTable& t = platform::drives();
    EXPECT_TRUE(fs::is_directory(t.resolve("C:\\WINDOWS\\system32")));
    EXPECT_EQ(t.toWindows(platform::systemDriveRoot() / "WINDOWS"), "C:\\WINDOWS");
}

}  // namespace
