// The text helpers: Format's positional quirks, conversions, quoting, percent escapes, brace
// constants, accelerators and wildcards, in single- and double-byte code pages.
#include "library/Strings.h"

#include "PinnedSettings.h"

#include <string>
#include <vector>

using namespace library;
using namespace std::string_literals;

namespace {

class Strings : public PinnedSettings {
protected:
    // Code page 932: 0x81 is a lead byte, and "{" (0x7B) may be its trail byte.
    void doubleByte() {
        pin([](platform::RegionalSettings& s) { s.codePage = 932; });
    }
};

using classes::Variant;

std::string fmt(std::string_view s, std::vector<Variant> args) { return Format(s, args); }

}  // namespace

TEST_F(Strings, FormatReplacesNumberedMarkersInOrder) {
    const Variant a = Variant::string("a"), b = Variant::string("b");
    EXPECT_EQ(fmt("%1 and %2", {a, Variant::integer(5)}), "a and 5");
    EXPECT_EQ(fmt("%10", {Variant::string("x")}), "x0");  // %1 comes first
    EXPECT_EQ(fmt("%2%1%2", {a, b}), "bab");
    EXPECT_EQ(fmt("%1", {Variant::string("%2"), b}), "b");  // replaced text is scanned again
    EXPECT_EQ(fmt("%3 stays", {a}), "%3 stays");
    EXPECT_EQ(fmt("%1|%2|%3|%4|%5", {Variant::boolean(true), Variant::floating(2.5, Variant::Type::Double),
                                     Variant(), Variant::int64(-7), Variant::null()}),
              "True|2.5||-7|");
    EXPECT_EQ(fmt("no markers", {}), "no markers");
}

TEST_F(Strings, FormatWritesNumbersWithTheRegionalDecimalSeparator) {
    pin([](platform::RegionalSettings& s) { s.decimalSeparator = ','; });
    EXPECT_EQ(fmt("%1", {Variant::floating(1.25)}), "1,25");
    EXPECT_EQ(fmt("%1", {Variant::floating(1e20)}), "1E20");
    EXPECT_EQ(variantText(Variant::int64(int64_t(1) << 40)), "1099511627776");
    EXPECT_EQ(variantText(Variant::currency(15000)), "1,5");
    EXPECT_EQ(variantText(Variant::currency(-123)), "-0,0123");
    EXPECT_EQ(variantText(Variant::currency(70000)), "7");
    EXPECT_EQ(variantText(Variant::floating(36526.5, Variant::Type::Date)), "01/01/00 12:00:00");
    EXPECT_EQ(variantText(Variant::floating(36526, Variant::Type::Date)), "01/01/00");
    EXPECT_EQ(variantText(Variant::wideString(u"caf\u00e9 \u20ac \u4e00")), "caf\xe9 \x80 ?");
    EXPECT_EQ(variantText(Variant::array({Variant::integer(1)})), "");
}

TEST_F(Strings, Conversions) {
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0x1A2B, 1), "1A2B");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(1, -3), "1");
    EXPECT_EQ(IntToHex(1, 1000).size(), 32u);

    for (const char* yes : {"True", "tRUE", "1", "-2", "0.5", " 3 ", "1e3"})
        EXPECT_TRUE(StrToBool(yes)) << yes;
    for (const char* no : {"False", "FALSE", "0", "0.0", "", "yes", "1x", "True "})
        EXPECT_FALSE(StrToBool(no)) << no;
    pin([](platform::RegionalSettings& s) { s.decimalSeparator = ','; });
    EXPECT_TRUE(StrToBool("0,5"));
    EXPECT_FALSE(StrToBool("0.5"));

    EXPECT_EQ(BoolToStr(true), "True");
    EXPECT_EQ(BoolToStr(false), "False");
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("\xe9", "\xc9"));  // only A to Z fold
    EXPECT_FALSE(SameText("ab", "abc"));
    EXPECT_EQ(IntMax(-3, 2), 2);
    EXPECT_EQ(IntMax(INT32_MIN, INT32_MIN), INT32_MIN);
}

TEST_F(Strings, StringChangeAndAdjustLength) {
    std::string s = "aXbxc";
    StringChange(s, "x", "--");
    EXPECT_EQ(s, "a--b--c");
    s = "aa";
    StringChange(s, "A", "aa");  // inserted text is not matched again
    EXPECT_EQ(s, "aaaa");
    StringChange(s, "", "z");
    EXPECT_EQ(s, "aaaa");

    s = "abcdef";
    EXPECT_TRUE(AdjustLength(s, 2));
    EXPECT_EQ(s, "ab");
    EXPECT_FALSE(AdjustLength(s, 4));
    EXPECT_EQ(s, "ab\0\0"s);
    EXPECT_FALSE(AdjustLength(s, 4));
    EXPECT_FALSE(AdjustLength(s, 0xFFFFFFFFu));  // refused, not attempted
    EXPECT_EQ(s, "ab\0\0"s);
}

TEST_F(Strings, Quotes) {
    EXPECT_EQ(AddQuotes(" C:\\Program Files "), "\"C:\\Program Files\"");
    EXPECT_EQ(AddQuotes("\"a b\""), "\"a b\"");
    EXPECT_EQ(AddQuotes("\"a b"), "\"\"a b\"");
    EXPECT_EQ(AddQuotes("\t plain\r\n"), "plain");
    EXPECT_EQ(AddQuotes("   "), "");
    EXPECT_EQ(RemoveQuotes("\"\"a\"b\"\""), "a\"b");
    EXPECT_EQ(RemoveQuotes("\"\"\""), "");
    EXPECT_EQ(RemoveQuotes(" \"a\" "), " \"a\" ");
}

TEST_F(Strings, PercentEscapes) {
    std::string s = "a%41b%7e%7E";
    EXPECT_TRUE(ConvertPercentStr(s));
    EXPECT_EQ(s, "aAb~~");
    s = "100%";
    EXPECT_FALSE(ConvertPercentStr(s));
    EXPECT_EQ(s, "100%");
    s = "x%41%4g%42";
    EXPECT_FALSE(ConvertPercentStr(s));
    EXPECT_EQ(s, "xA%4g%42");  // replacements before the bad escape stay
    s = "%2541";
    EXPECT_TRUE(ConvertPercentStr(s));
    EXPECT_EQ(s, "%41");  // a produced "%" is not read again

    s = "%41{x%zz}%42";
    EXPECT_TRUE(ConvertConstPercentStr(s));
    EXPECT_EQ(s, "A{x%zz}B");
    s = "{{%41";
    EXPECT_TRUE(ConvertConstPercentStr(s));
    EXPECT_EQ(s, "{{A");
    s = "%41{open %42";
    EXPECT_FALSE(ConvertConstPercentStr(s));
    EXPECT_EQ(s, "A{open %42");
    s = "%41%";
    EXPECT_FALSE(ConvertConstPercentStr(s));
    EXPECT_EQ(s, "A%");
}

TEST_F(Strings, BraceConstants) {
    EXPECT_EQ(SkipPastConst("{app}\\x", 1), 6);
    EXPECT_EQ(SkipPastConst("{{x", 1), 3);
    EXPECT_EQ(SkipPastConst("{a{b}c}d", 1), 8);
    EXPECT_EQ(SkipPastConst("{a{{b}c", 1), 7);  // "{{" inside is an escaped brace
    EXPECT_EQ(SkipPastConst("x{ab}", 2), 6);
    EXPECT_EQ(SkipPastConst("{abc", 1), 0);
    EXPECT_EQ(SkipPastConst("x{", 2), 0);  // at the last character
    EXPECT_EQ(SkipPastConst("{a}", 0), 0);
    EXPECT_EQ(SkipPastConst("{a}", 9), 0);

    EXPECT_EQ(ConstPos(',', "a{b,c},d"), 7);
    EXPECT_EQ(ConstPos(',', "a,{b"), 2);
    EXPECT_EQ(ConstPos(',', "a{b,c"), 0);
    EXPECT_EQ(ConstPos('x', "abc"), 0);
    EXPECT_EQ(ConstPos('{', "a{b}"), 2);
}

TEST_F(Strings, DoubleByteCharactersHideTheirTrailBytes) {
    const std::string text = "\x81{,x";  // in 932 "\x81{" is one character
    EXPECT_EQ(ConstPos(',', text), 0);   // 1252: "{" opens a constant that never closes
    std::string s = "\x81{%41";
    EXPECT_FALSE(ConvertConstPercentStr(s));
    EXPECT_FALSE(IsMultiByteString("\x81\x40"));
    EXPECT_EQ(RemoveAccelChar("&\x81&x"), "\x81x");

    doubleByte();
    EXPECT_EQ(ConstPos(',', text), 3);
    s = "\x81{%41";
    EXPECT_TRUE(ConvertConstPercentStr(s));
    EXPECT_EQ(s, "\x81{A");
    EXPECT_EQ(SkipPastConst("{\x81}}", 1), 5);
    EXPECT_TRUE(IsMultiByteString("ab\x81\x40"));
    EXPECT_FALSE(IsMultiByteString("abc\x7f"));
    EXPECT_EQ(RemoveAccelChar("&\x81&x"), "\x81&x");
    EXPECT_TRUE(WildcardMatch("\x81\x40", "?"));
    EXPECT_TRUE(WildcardMatch("a\x81\x40z", "a*z"));
    EXPECT_FALSE(WildcardMatch("\x81\x40", "??"));
}

TEST_F(Strings, AcceleratorsAndPeriods) {
    EXPECT_EQ(RemoveAccelChar("&File"), "File");
    EXPECT_EQ(RemoveAccelChar("Save && &Quit"), "Save & Quit");
    EXPECT_EQ(RemoveAccelChar("x&"), "x");
    EXPECT_EQ(AddPeriod("Done"), "Done.");
    EXPECT_EQ(AddPeriod("\xe9t\xe9"), "\xe9t\xe9.");
    for (const char* kept : {"", "Done.", "Stop!", "a ", "x,", "a-", "\"q\""})
        EXPECT_EQ(AddPeriod(kept), kept);
}

TEST_F(Strings, WildcardMatching) {
    EXPECT_TRUE(IsWildcard("*.txt"));
    EXPECT_TRUE(IsWildcard("a?"));
    EXPECT_FALSE(IsWildcard("plain"));

    struct Case {
        const char* text;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"abc", "abc", true},
        {"abc", "a?c", true},
        {"abc", "a?", false},
        {"abc", "*", true},
        {"", "*", true},
        {"", "", true},
        {"a", "", false},
        {"", "?", false},
        {"abc", "ABC", false},
        {"abcbc", "*bc", true},
        {"aXbYc", "a*b*c", true},
        {"abc", "a**c", true},
        {"readme.txt", "*.txt", true},
        {"readme.txt.bak", "*.txt", false},
        {"mississippi", "m*iss*ppi", true},
        {"ab", "a*b*", true},
        {"abcd", "*c", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.text, c.pattern), c.match) << c.text << " ~ " << c.pattern;
    EXPECT_TRUE(WildcardMatch("a\0zzz"s, "a"));  // C strings end at NUL
    EXPECT_TRUE(WildcardMatch("abc", "abc\0x"s));

    // Backtracking only into the last star keeps hostile patterns linear.
    std::string text(20000, 'a');
    EXPECT_FALSE(WildcardMatch(text, "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(WildcardMatch(text + "b", "*a*a*a*a*a*a*a*a*a*a*b"));
}
