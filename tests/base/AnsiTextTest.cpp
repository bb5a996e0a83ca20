#include "base/AnsiText.h"

#include <gtest/gtest.h>

#include "base/CodePage.h"

namespace {

TEST(ReplaceAllText, MatchesCaseInsensitivelyAndKeepsTheRestOfTheText) {
    EXPECT_EQ(base::replaceAllText("a%n b%N c", "%n", "\r\n"), "a\r\n b\r\n c");
    EXPECT_EQ(base::replaceAllText("Path %tmpappdir%\\x", "%TMPAPPDIR%", "C:\\T"), "Path C:\\T\\x");
}

TEST(ReplaceAllText, NeverRescansInsertedText) {
    // The inserted text contains the search text; a rescan would loop or double it.
    EXPECT_EQ(base::replaceAllText("xx", "x", "xx"), "xxxx");
    EXPECT_EQ(base::replaceAllText("aaa", "aa", "a"), "aa");
}

TEST(ReplaceAllText, EmptySearchOrNoHitLeavesTextAlone) {
    EXPECT_EQ(base::replaceAllText("abc", "", "z"), "abc");
    EXPECT_EQ(base::replaceAllText("abc", "d", "z"), "abc");
    EXPECT_EQ(base::replaceAllText("", "d", "z"), "");
}

TEST(AnsiCase, FoldsAccentedLettersOfTheActiveCodePage) {
    base::CodePage::setActive(1252);
    EXPECT_EQ(base::ansiUpper("\xe9t\xe9"), "\xc9T\xc9");  // été
    EXPECT_TRUE(base::ansiSameText("\xe4pfel", "\xc4PFEL"));
    EXPECT_FALSE(base::ansiSameText("abc", "abd"));
    EXPECT_EQ(base::ansiLower("\x8a"), "\x9a");  // Š → š lives in the 0x80 block of 1252
    base::CodePage::setActive(1251);
    EXPECT_EQ(base::ansiUpper("\xe0\xff"), "\xc0\xdf");  // а я → А Я
    base::CodePage::setActive(1252);
}

TEST(TrimText, StripsControlCharactersAndSpaces) {
    EXPECT_EQ(base::trimText(" \t a b \r\n"), "a b");
    EXPECT_EQ(base::trimText("   "), "");
}

}  // namespace
