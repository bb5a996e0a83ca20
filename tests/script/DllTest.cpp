// Script routines declared as external DLL routines, called in a small shared library the
// build makes, and the failures when the library or the routine is missing.
#include <gtest/gtest.h>

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
