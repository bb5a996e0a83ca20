// Script routines declared as external DLL routines, called in a small shared library the
// build makes, and the failures when the library or the routine is missing.
#include <gtest/gtest.h>

#include <algorithm>

#include "ScriptSession.h"

namespace {

std::string declarations(const std::string& lib) {
    return "function AddInts(A, B: Integer): Integer; external 'add_ints@" + lib +
           " cdecl';\n"
           "function TimesBig(A: Int64; B: Integer): Int64; external 'times_big@" +
           lib +
           " stdcall';\n"
           "function Half(X: Double): Double; external 'half@" +
           lib +
           " register';\n"
           "function IsEven(X: Integer): Boolean; external 'is_even@" +
           lib +
           " pascal';\n"
           "function TextLength(const S: string): Integer; external 'text_length@" +
           lib +
           "';\n"
           "function Greeting: string; external 'greeting@" +
           lib +
           "';\n"
           "procedure FillName(var Buffer: string; Size: Integer); external 'fill_name@" +
           lib +
           "';\n"
           "procedure DoubleInPlace(var V: Integer); external 'double_in_place@" +
           lib +
           " delayload';\n"
           "procedure CountVowels(const S: string; var Count: Integer); external 'count_vowels@" +
           lib + "';\n";
}

TEST(Dll, RoutinesOfASharedLibraryTakeIntegersStringsAndVarParameters) {
    ScriptSession s;
    ASSERT_TRUE(s.run(declarations(TESTLIB_PATH) + R"(
var v, n: Integer; name: string;
begin
  Log(IntToStr(AddInts(40, 2)) + ' ' + IntToStr(TimesBig(3000000000, 3)) + ' ' + FloatToStr(Half(5)));
  if IsEven(4) and not IsEven(5) then Log('even');
  Log(IntToStr(TextLength('hello')) + ' ' + IntToStr(TextLength('')) + ' ' + Greeting);
  name := StringOfChar(' ', 20);
  FillName(name, Length(name));
  Log('[' + name + ']');
  v := 21;
  DoubleInPlace(v);
  CountVowels('Autorun', n);
  Log(IntToStr(v) + ' ' + IntToStr(n));
end.)")) << s.error;
    EXPECT_EQ(s.log, "42 9000000000 2.5\neven\n5 0 hello from C\n[filled]\n42 4\n");
}

TEST(Dll, AMissingLibraryOrRoutineFailsAtLoadOrAtTheFirstDelayedCall) {
    ScriptSession s;
    EXPECT_FALSE(s.run("function Nope(X: Integer): Integer; external 'nope@" TESTLIB_PATH "';\n"
                       "begin Nope(1); end."));
    EXPECT_EQ(s.error, "Cannot Import NOPE");
    EXPECT_FALSE(
        s.run("function Gone(X: Integer): Integer; external 'gone@/no/such/library.so stdcall';\n"
              "begin Log('never'); Gone(1); end."));
    EXPECT_EQ(s.error, "Cannot Import GONE");
    EXPECT_EQ(s.log, "");
    EXPECT_FALSE(
        s.run("function Gone(X: Integer): Integer; external 'gone@/no/such/library.so delayload';\n"
              "begin Log('loaded'); try Gone(1); except Log(ExceptionToString(ExceptionType, '')); end; "
              "Gone(2); end."));
    EXPECT_EQ(s.log, "loaded\nCould not call proc\n");
    EXPECT_EQ(s.error, "Could not call proc");
}

TEST(Dll, AForeignProviderServesRoutinesWhateverTypesTheScriptDeclares) {
    ScriptSession s;
    ASSERT_TRUE(s.compile(R"(
type TName = record Len: Word; Text: array[0..3] of Char; Rest: Integer; end;
     TThree = array[0..2] of Char;
function Fill(Buf: PChar; Size: Cardinal): LongBool; external 'Fill@sys.dll stdcall';
procedure FillVar(var Buf: string; Size: Integer); external 'FILL@SYS';
procedure FillRecord(var R: TName); external 'fillrecord@Sys.DLL';
procedure FillArray(var A: TThree); external 'FillArray@sys';
var b, c: string; r: TName; a: TThree;
begin
  SetLength(b, 5);
  c := b;
  if Fill(b, 100) then Log(IntToStr(Length(b)) + ' ' + Copy(b, 1, 4) + ' ' + IntToStr(Ord(b[5])) + ' ' + c);
  b := 'const';
  Fill(b, 100);
  Log(b + ' const');
  SetLength(b, 8);
  FillVar(b, 8);
  Log(IntToStr(Length(b)) + ' ' + b);
  r.Rest := 7;
  FillRecord(r);
  Log(IntToStr(r.Len) + ' ' + r.Text[0] + r.Text[3] + ' ' + IntToStr(r.Rest));
  FillArray(a);
  Log(a[0] + a[1] + a[2]);
end.)")) << s.compileError;
    s.exec = std::make_unique<script::Executor>();
    for (const script::Imports* t : s.tables) s.exec->addImports(*t);
    std::vector<std::string> asked;
    s.exec->setForeignProvider([&](std::string_view lib, std::string_view proc) -> script::ForeignRoutine {
        asked.push_back(std::string(lib) + ":" + std::string(proc));
        if (proc == "fillrecord")
            return {[](script::ForeignCall& c) {
                        c.setField(0, 0, 70000);  // wraps to the Word field
                        c.setFieldText(0, 1, "abcdefgh");
                    },
                    1};
        // Six bytes offered: the buffer takes what its length allows, never more.
        return {[](script::ForeignCall& c) {
                    EXPECT_EQ(c.fill(0, std::string("wxyz!?", 6)), std::min<size_t>(6, c.capacity(0)));
                    c.returnInteger(c.integer(1) + 1);
                },
                2 - int(proc == "FillArray")};
    });
    ASSERT_TRUE(s.exec->load(s.chunk)) << s.exec->lastError().text;
    ASSERT_TRUE(s.exec->run()) << s.exec->lastError().text;
    // A PChar is written in place (the copy sharing it sees it too, as with the system's
    // pointers) and keeps its length; a literal is never written; a var string is cut at its
    // zero; record fields and arrays of Char take what fits.
    EXPECT_EQ(s.log, "5 wxyz 33 wxyz!\nconst const\n6 wxyz!?\n4464 ad 7\nwxy\n");
    EXPECT_EQ(asked,
              (std::vector<std::string>{"sys.dll:Fill", "SYS:FILL", "Sys.DLL:fillrecord", "sys:FillArray"}));
}

TEST(Dll, AResolverMapsLibraryNamesBeforeDlopen) {
    ScriptSession s;
    ASSERT_TRUE(
        s.compile("function AddInts(A, B: Integer): Integer; external 'add_ints@mylib.dll stdcall';\n"
                  "begin Log(IntToStr(AddInts(1, 2))); end."));
    s.exec = std::make_unique<script::Executor>();
    for (const script::Imports* t : s.tables) s.exec->addImports(*t);
    std::vector<std::string> asked;
    s.exec->setLibraryResolver([&](std::string_view lib) {
        asked.emplace_back(lib);
        return std::string(TESTLIB_PATH);
    });
    ASSERT_TRUE(s.exec->load(s.chunk)) << s.exec->lastError().text;
    ASSERT_TRUE(s.exec->run());
    EXPECT_EQ(s.log, "3\n");
    EXPECT_EQ(asked, std::vector<std::string>{"mylib.dll"});
}

}  // namespace
