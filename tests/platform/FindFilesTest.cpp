#include "platform/FindFiles.h"

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "tests/support/TempTree.h"

namespace {

using platform::matchesFileMask;

std::vector<std::string> names(const std::vector<platform::FoundFile>& found) {
    std::vector<std::string> out;
    for (const auto& f : found) out.push_back(f.name + (f.isFolder ? "/" : ""));
    return out;
}

TEST(FileMaskTest, DosRulesForDotsAndStars) {
    // "*.*" and "*" match every name, with or without a dot.
    for (const char* name : {"readme", "a.txt", ".profile", "archive.tar.gz"}) {
        EXPECT_TRUE(matchesFileMask(name, "*.*")) << name;
        EXPECT_TRUE(matchesFileMask(name, "*")) << name;
    }
    EXPECT_TRUE(matchesFileMask("a.txt", "*.TXT"));
    EXPECT_FALSE(matchesFileMask("a.txt2", "*.txt"));
    EXPECT_TRUE(matchesFileMask("archive.tar.gz", "*.gz"));
    // A trailing ".*" also finds the bare name; a trailing "." finds only names without one.
    EXPECT_TRUE(matchesFileMask("setup", "setup.*"));
    EXPECT_TRUE(matchesFileMask("setup.exe", "setup.*"));
    EXPECT_FALSE(matchesFileMask("setupx", "setup.*"));
    EXPECT_TRUE(matchesFileMask("readme", "*."));
    EXPECT_FALSE(matchesFileMask("a.txt", "*."));
    // "?" is one character.
    EXPECT_TRUE(matchesFileMask("track01.mp3", "track??.mp3"));
    EXPECT_FALSE(matchesFileMask("track1.mp3", "track??.mp3"));
    EXPECT_TRUE(matchesFileMask("a*b", "a*b"));
    EXPECT_FALSE(matchesFileMask("", "?"));
}

TEST(FileMaskTest, CaseFoldsInTheCodePage) {
    base::CodePage::setActive(1252);
    EXPECT_TRUE(matchesFileMask("\xC9t\xE9.TXT", "\xE9T\xC9.txt"));  // "Été" against "éTÉ"
    EXPECT_TRUE(platform::fileNameLess("apple", "Banana"));
    EXPECT_TRUE(platform::fileNameLess("..", "!"));
    EXPECT_TRUE(platform::fileNameLess(".", ".."));
}

TEST(FindFilesTest, ListsSortedWithDotsFirstAndFollowsTheCase) {
    TempTree t("find");
    t.write("b.TXT", "12345");
    t.write("A.txt", "1");
    t.write("c.doc", "");
    t.write("noext", "");
    std::filesystem::create_directories(t.native("Sub"));

    EXPECT_EQ(names(platform::findFiles(t.win("*.*"))),
              (std::vector<std::string>{"./", "../", "A.txt", "b.TXT", "c.doc", "noext", "Sub/"}));
    EXPECT_EQ(names(platform::findFiles(t.win("*.txt"))), (std::vector<std::string>{"A.txt", "b.TXT"}));
    // Forward slashes and any case in the folder part.
    std::string upper = t.win();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto one = platform::findFiles(upper + "/B.txt");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].name, "b.TXT");
    EXPECT_EQ(one[0].size, 5u);
    EXPECT_TRUE(platform::findFiles(t.win("missing\\*.*")).empty());
    EXPECT_TRUE(platform::findFiles(t.win("nothing.here")).empty());
    EXPECT_TRUE(platform::findFiles(t.win() + "\\").empty());
}

TEST(FindFilesTest, LinksAreReportedAndDanglingOnesAreFiles) {
    TempTree t("findlinks");
    std::filesystem::create_directories(t.native("real"));
    std::filesystem::create_directory_symlink(t.native("real"), t.native("link"));
    std::filesystem::create_symlink(t.native("gone"), t.native("dangling"));
    auto found = platform::findInFolder(t.root(), "*");
    ASSERT_EQ(names(found), (std::vector<std::string>{"./", "../", "dangling", "link/", "real/"}));
    EXPECT_TRUE(found[2].isLink);
    EXPECT_TRUE(found[3].isLink);
    EXPECT_FALSE(found[4].isLink);
}

TEST(FindFilesTest, SplitsBeforeTheLastComponent) {
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(platform::splitLastComponent("C:\\x\\*.txt"), (P{"C:\\x\\", "*.txt"}));
    EXPECT_EQ(platform::splitLastComponent("C:/x/a"), (P{"C:/x/", "a"}));
    EXPECT_EQ(platform::splitLastComponent("C:*.txt"), (P{"C:", "*.txt"}));
    EXPECT_EQ(platform::splitLastComponent("name"), (P{"", "name"}));
}

}  // namespace
