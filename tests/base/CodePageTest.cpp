#include "base/CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, Windows1252RoundTripsThroughUtf8) {
    base::CodePage cp(1252);
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::string utf8 = cp.toUtf8(all);
    EXPECT_EQ(cp.fromUtf8(utf8), all);
    EXPECT_EQ(cp.toUtf8("\x80"), "\xe2\x82\xac");  // euro sign
    EXPECT_EQ(cp.toUtf8("\x81"), "\xc2\x81");      // unassigned byte keeps its value
}

TEST(CodePage, CharactersOutsideThePageBecomeTheReplacement) {
    base::CodePage cp(1252);
    EXPECT_EQ(cp.fromUtf8("a\xd0\x96z"), "a?z");    // Cyrillic Zhe
    EXPECT_EQ(cp.fromUtf8("\xff\xfe", '_'), "__");  // malformed UTF-8
    EXPECT_EQ(base::CodePage(1251).toUtf8("\xc6"), "\xd0\x96");
}

TEST(CodePage, LocaleChoosesTheWindowsAnsiPage) {
    EXPECT_EQ(base::CodePage::forLocale("ru_RU.UTF-8"), 1251);
    EXPECT_EQ(base::CodePage::forLocale("pl_PL"), 1250);
    EXPECT_EQ(base::CodePage::forLocale("en_US.UTF-8"), 1252);
    EXPECT_EQ(base::CodePage::forLocale("C"), 1252);
    EXPECT_EQ(base::CodePage::forLocale(""), 1252);
    EXPECT_EQ(base::CodePage(4242).number(), 1252);
}

TEST(Utf8, DecodesAndRejectsMalformedSequences) {
    std::string s =
        "\xf0\x9f\x98\x80"
        "a\xc3";
    size_t pos = 0;
    EXPECT_EQ(base::decodeUtf8(s, pos), U'\U0001F600');
    EXPECT_EQ(base::decodeUtf8(s, pos), U'a');
    EXPECT_EQ(base::decodeUtf8(s, pos), U'\uFFFD');  // truncated sequence
    EXPECT_EQ(pos, s.size());
}

}  // namespace
