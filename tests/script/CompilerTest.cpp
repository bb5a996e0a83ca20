#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/Api.h"
#include "script/Chunk.h"

using script::Compiler;

namespace {

std::string firstMessage(Compiler& c) {
    return c.messages().empty() ? std::string() : c.messages().front().toString();
}

TEST(Compiler, AsksForTheSystemUnitFirstThenEachUsedUnit) {
    Compiler c;
    std::vector<std::string> asked;
    c.setUnitHandler([&](Compiler&, const std::string& unit) {
        asked.push_back(unit);
        return unit == "SYSTEM" || unit == "EXTRA";
    });
    EXPECT_TRUE(c.compile("uses Extra; begin end."));
    EXPECT_EQ(asked, (std::vector<std::string>{"SYSTEM", "EXTRA"}));
    asked.clear();
    EXPECT_FALSE(c.compile("uses Other; begin end."));
    EXPECT_EQ(firstMessage(c), "[Error] (1:6): Unknown identifier 'Other'");
}

TEST(Compiler, DeclarationsAreRefusedOutsideTheUnitHandler) {
    Compiler c;
    EXPECT_THROW(c.addFunction("function F: Integer;"), base::CompileError);
    EXPECT_THROW(c.addIntConst("X", 1), base::CompileError);
}

TEST(Compiler, HostDeclarationsAreVisibleAndCaseInsensitive) {
    Compiler c;
    c.setUnitHandler([](Compiler& cc, const std::string&) {
        cc.addFunction("function FileExists(const FileName: string): Boolean;", {});
        cc.addType("TDebugCommand", "( DC_HINT, DC_ERROR, DC_WARNING )");
        cc.addIntConst("clMoneyGreen", 12639424);
        cc.addStringConst("REGSTR_PATH_SETUP", "Software\\Setup");
        cc.addVariable("Counter", "Integer");
        return true;
    });
    auto chunk = c.compile(
        "var d: tdebugcommand; i: integer;\n"
        "begin if fileexists(regstr_path_setup) then d := dc_error; i := CLMONEYGREEN + counter; end.");
    ASSERT_TRUE(chunk) << firstMessage(c);
}

TEST(Compiler, BadHostDeclarationFailsTheCompilation) {
    Compiler c;
    c.setUnitHandler([](Compiler& cc, const std::string&) {
        cc.addFunction("function Broken(: Integer;", {});
        return true;
    });
    EXPECT_FALSE(c.compile("begin end."));
    ASSERT_FALSE(c.messages().empty());
    EXPECT_EQ(c.messages()[0].kind, script::CompileMessage::Kind::Error);
}

TEST(Compiler, AScriptRoutineShadowsABuiltinOfTheSameName) {
    Compiler c;
    auto chunk = c.compile(
        "function IntToStr(I: Integer): string; begin Result := 'mine'; end;\n"
        "var s: string; begin s := IntToStr(1); end.");
    EXPECT_TRUE(chunk) << firstMessage(c);
}

TEST(Compiler, PositionHookFiresOncePerMultipleOf51200Crossed) {
    // Statements of 13 bytes never start exactly on a multiple; a 110,000-byte comment
    // jumps over two multiples at once.
    std::string src = "var i: Integer;\nbegin\n";
    while (src.size() < 60000) src += "  i := i + 1;";
    std::string comment = "{" + std::string(110000, 'c') + "}";
    src += comment + "\n";
    size_t afterComment = src.size();
    while (src.size() < 240000) src += "  i := i + 1;";
    src += "\nend.";
    Compiler c;
    std::vector<uint32_t> offsets;
    c.setPositionHook([&](uint32_t off) { offsets.push_back(off); });
    ASSERT_TRUE(c.compile(src)) << firstMessage(c);
    ASSERT_EQ(offsets.size(), (src.size() - 1) / 51200);
    for (size_t k = 0; k < offsets.size(); ++k) {
        EXPECT_GE(offsets[k], (k + 1) * 51200);
        EXPECT_LT(offsets[k], (k + 1) * 51200 + 13 + comment.size()) << k;
    }
    // the two multiples inside the comment are reported at the first token after it
    EXPECT_EQ(offsets[1], afterComment + 2);
    EXPECT_EQ(offsets[2], afterComment + 2);

    Compiler small;
    offsets.clear();
    small.setPositionHook([&](uint32_t off) { offsets.push_back(off); });
    ASSERT_TRUE(small.compile("var i: Integer;\nbegin\n  i := 1;\nend."));
    EXPECT_TRUE(offsets.empty());
}

TEST(Compiler, DebugInformationMapsCodeToSourcePositions) {
    Compiler c;
    auto chunk = c.compile("var i: Integer;\nbegin\n  i := 1;\n  i := i div 0;\nend.");
    ASSERT_TRUE(chunk);
    bool sawRow4 = false;
    for (auto& [pc, pos] : chunk->lines) {
        EXPECT_LT(pc, chunk->code.size() + 1);
        if (pos.row == 4) sawRow4 = true;
    }
    EXPECT_TRUE(sawRow4);
    EXPECT_NE(script::disassemble(*chunk).find("DIV_I"), std::string::npos);
}

TEST(Compiler, ConstantsFoldAtCompileTime) {
    Compiler c;
    auto chunk = c.compile(
        "const K = 2 * 3 + 1; N = 'a' + 'b'; var i: Integer; s: string;\n"
        "begin i := K * 10; s := N; end.");
    ASSERT_TRUE(chunk) << firstMessage(c);
    std::string listing = script::disassemble(*chunk);
    EXPECT_NE(listing.find("PUSH_INT       70"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("MUL_I"), std::string::npos) << listing;
}

TEST(Compiler, GeneratedLongScriptCompiles) {
    std::string src = "var total: Integer;\n";
    for (int i = 0; i < 500; ++i) {
        src += "procedure P" + std::to_string(i) +
               "(A: Integer);\nvar x: Integer;\nbegin\n  x := A * 2;\n"
               "  if x > 10 then total := total + x else total := total - 1;\nend;\n";
    }
    src += "begin\n";
    for (int i = 0; i < 500; ++i) src += "  P" + std::to_string(i) + "(" + std::to_string(i) + ");\n";
    src += "end.\n";
    Compiler c;
    auto chunk = c.compile(src);
    ASSERT_TRUE(chunk) << firstMessage(c);
    EXPECT_EQ(chunk->procs.size(), 501u);
}

}  // namespace
