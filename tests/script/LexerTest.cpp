#include <gtest/gtest.h>

#include <vector>

#include "base/Error.h"
#include "script/Lexer.h"

using script::Lexer;
using script::Tok;
using script::Token;

namespace {

std::vector<Token> lexAll(std::string_view src) {
    Lexer lx(src);
    std::vector<Token> out;
    for (;;) {
        Token t = lx.next();
        if (t.type == Tok::Eof) return out;
        out.push_back(t);
    }
}

TEST(Lexer, KeywordsAreCaseInsensitiveAndIdentifiersKeepTheirSpelling) {
    auto t = lexAll("BeGiN myVar END");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].type, Tok::KwBegin);
    EXPECT_EQ(t[1].type, Tok::Ident);
    EXPECT_EQ(t[1].text, "myVar");
    EXPECT_EQ(t[2].type, Tok::KwEnd);
}

TEST(Lexer, CommentsAndDirectivesAreSkippedAndPositionsCounted) {
    auto t = lexAll("{$R+} a (* two\nlines *) b // rest\n  c");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].row, 1);
    EXPECT_EQ(t[0].col, 7);
    EXPECT_EQ(t[1].row, 2);
    EXPECT_EQ(t[1].col, 10);
    EXPECT_EQ(t[2].row, 3);
    EXPECT_EQ(t[2].col, 3);
    EXPECT_EQ(t[2].offset, 36u);
}

TEST(Lexer, StringLiteralsJoinQuotedPartsAndCharacterCodes) {
    auto t = lexAll("'it''s'#13#$0A'x' ''");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].type, Tok::StrLit);
    EXPECT_EQ(t[0].text, "it's\r\nx");
    EXPECT_EQ(t[1].text, "");
}

TEST(Lexer, NumbersInDecimalHexAndReal) {
    auto t = lexAll("42 $FF 1.5 2e3 1..2 99999999999999999999");
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[0].ival, 42u);
    EXPECT_EQ(t[1].ival, 255u);
    EXPECT_EQ(t[2].type, Tok::FloatLit);
    EXPECT_DOUBLE_EQ(t[2].fval, 1.5);
    EXPECT_DOUBLE_EQ(t[3].fval, 2000.0);
    EXPECT_EQ(t[4].type, Tok::IntLit);  // "1..2" is a range, not a real
    EXPECT_EQ(t[5].type, Tok::DotDot);
    EXPECT_EQ(t[7].type, Tok::FloatLit);  // too large for any integer type
}

TEST(Lexer, CompoundSymbols) {
    auto t = lexAll(":= <> <= >= .. < > : .");
    std::vector<Tok> want = {Tok::Assign, Tok::Ne, Tok::Le,    Tok::Ge, Tok::DotDot,
                             Tok::Lt,     Tok::Gt, Tok::Colon, Tok::Dot};
    ASSERT_EQ(t.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(t[i].type, want[i]) << i;
}

TEST(Lexer, MalformedInputReportsItsPosition) {
    try {
        lexAll("a\n  'open");
        FAIL() << "no error";
    } catch (const base::CompileError& e) {
        EXPECT_STREQ(e.what(), "String error");
        EXPECT_EQ(e.row(), 2);
        EXPECT_EQ(e.col(), 3);
    }
    EXPECT_THROW(lexAll("{ open"), base::CompileError);
    EXPECT_THROW(lexAll("(* open"), base::CompileError);
    EXPECT_THROW(lexAll("#"), base::CompileError);
    EXPECT_THROW(lexAll("a ? b"), base::CompileError);
}

}  // namespace
