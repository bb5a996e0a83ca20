#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "ScriptRunner.h"

using script::NativeCall;

namespace {

TEST(Api, NativeRoutinesGetTypedArgumentsAndWriteVarParameters) {
    auto r = runScript(
        "var n: Integer; s: string; d: Double;\n"
        "begin Split('left=right', s, n); Out(s + ' ' + IntToStr(n)); d := Half(3); Out(FloatToStr(d)); end.",
        [](script::Compiler& c) {
            c.addFunction("procedure Split(const Text: string; var Left: string; var Len: Integer);",
                          [](NativeCall& call) {
                              std::string t = call.string(0);
                              call.setString(1, t.substr(0, t.find('=')));
                              call.setInteger(2, int64_t(t.size()));
                          });
            c.addFunction("function Half(X: Extended): Extended;",
                          [](NativeCall& call) { call.returnReal(call.real(0) / 2); });
        });
    ASSERT_TRUE(r.ok) << r.message << r.error.text;
    EXPECT_EQ(r.out, "left 10\n1.5\n");
}

TEST(Api, RoutinesDeclaredWithoutCodeAreBoundByNameAtRunTime) {
    auto declare = [](script::Compiler& c) { c.addFunction("function Answer: Integer;"); };
    auto r = runScript("begin Out(IntToStr(answer)); end.", declare, [](script::Executor& e) {
        e.bind("ANSWER", [](NativeCall& c) { c.returnInteger(42); });
    });
    ASSERT_TRUE(r.ok) << r.error.text;
    EXPECT_EQ(r.out, "42\n");
    auto missing = runScript("begin Out(IntToStr(Answer)); end.", declare);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error.kind, script::TIFException::erCannotImport);
    EXPECT_EQ(missing.error.text, "Cannot Import ANSWER");
}

TEST(Api, NativeErrorsBecomeCatchableScriptErrors) {
    auto r =
        runScript("begin try Fail; except Out(ExceptionParam); end; Fail; end.", [](script::Compiler& c) {
            c.addFunction("procedure Fail;", [](NativeCall& call) {
                call.raise(script::TIFException::erCustomError, "native says no");
            });
        });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, "native says no\n");
    EXPECT_EQ(r.error.text, "native says no");
    EXPECT_EQ(r.error.pos.row, 1);
}

TEST(Api, ExternalDeclarationsUseTheHostHandler) {
    auto r = runScript(
        "function Beep(Freq: Integer): Integer; external 'Beep@kernel32.dll stdcall';\n"
        "begin Out(IntToStr(Beep(440))); end.",
        {}, [](script::Executor& e) {
            e.bind("Beep@kernel32.dll stdcall", [](NativeCall& c) { c.returnInteger(c.integer(0) + 1); });
        });
    ASSERT_TRUE(r.ok) << r.message << r.error.text;
    EXPECT_EQ(r.out, "441\n");
    auto unbound = runScript("procedure Nope; external 'nope@x.dll';\nbegin Nope; end.");
    EXPECT_FALSE(unbound.ok);
    EXPECT_EQ(unbound.error.text, "Cannot Import NOPE");
}

TEST(Api, EventProceduresCanBeCalledByNameAfterTheMainBlock) {
    script::Compiler c;
    std::string out;
    c.setUnitHandler([&](script::Compiler& cc, const std::string&) {
        cc.addFunction("procedure Out(S: string);", [&](const std::string& s) { out += s; });
        return true;
    });
    auto chunk = c.compile(
        "var clicks: Integer;\n"
        "procedure OnClick(Sender: Integer); begin clicks := clicks + Sender; Out(IntToStr(clicks)); end;\n"
        "procedure Bad; begin RaiseException(erCustomError, 'bad event'); end;\n"
        "begin end.");
    ASSERT_TRUE(chunk);
    script::Executor e;
    ASSERT_TRUE(e.load(chunk));
    ASSERT_TRUE(e.run());
    e.call("onclick", {int64_t{2}});
    e.call("OnClick", {int64_t{3}});
    EXPECT_EQ(out, "25");
    try {
        e.call("Bad");
        FAIL() << "no exception";
    } catch (const script::ScriptException& ex) {
        EXPECT_STREQ(ex.what(), "bad event");
    }
    EXPECT_EQ(e.lastError().text, "bad event");
    e.call("OnClick", {int64_t{1}});  // the executor stays usable after a failed event
    EXPECT_EQ(out, "256");
    EXPECT_EQ(e.lastError().kind, script::TIFException::erNoError);
}

}  // namespace

namespace {

TEST(Api, ForeignNativeExceptionsBecomeScriptErrors) {
    auto r = runScript(
        "begin try Boom; except Out(ExceptionToString(ExceptionType, ExceptionParam)); end; Boom; end.",
        [](script::Compiler& c) {
            c.addFunction("procedure Boom;", [](NativeCall&) { throw std::out_of_range("index 7"); });
        });
    EXPECT_EQ(r.out, "Exception: index 7\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.kind, script::TIFException::erException);
}

TEST(Api, OneCompilerCompilesRepeatedlyWithFreshDeclarations) {
    script::Compiler c;
    int calls = 0;
    c.setUnitHandler([&](script::Compiler& cc, const std::string&) {
        ++calls;
        cc.addIntConst("Build", calls);
        return true;
    });
    auto first = c.compile("var x: Integer; begin x := Build; end.");
    auto second = c.compile("var x: Integer; begin x := Build; end.");
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(c.compile("begin x := 1; end."));
    EXPECT_EQ(c.messages()[0].toString(), "[Error] (1:7): Unknown identifier 'x'");
}

}  // namespace

namespace {

TEST(Api, LibraryStandInsAndErrorCallbackServeTheHost) {
    script::Compiler c;
    auto chunk = c.compile(
        "function MessageBeep(Kind: Integer): Integer; external 'MessageBeep@user32.dll stdcall';\n"
        "var i: Integer;\n"
        "begin i := MessageBeep(3); try i := i div 0; except end; RaiseException(erCustomError, 'last'); "
        "end.");
    ASSERT_TRUE(chunk) << c.messages()[0].toString();
    script::Executor e;
    script::Imports user32;
    user32.bind("messagebeep", [](int kind) { return kind * 2; });
    e.addLibrary("User32", user32);  // the script's "user32.dll": any case, ".dll" implied
    std::vector<std::string> errors;
    std::vector<script::SourcePos> translated;
    e.setErrorCallback([&](const script::RuntimeError& err) {
        errors.push_back(err.text + "@" + std::to_string(err.pos.row) + ":" + std::to_string(err.pos.col));
        translated.push_back(e.sourcePosition(err.procIndex, err.position));
    });
    ASSERT_TRUE(e.load(chunk));
    EXPECT_FALSE(e.run());
    EXPECT_EQ(errors, (std::vector<std::string>{"divide by Zero@3:39", "last@3:58"}));
    // The (procedure, position) pair of the report translates back to the same place.
    ASSERT_EQ(translated.size(), 2u);
    EXPECT_EQ(translated[0].row, 3);
    EXPECT_EQ(translated[0].col, 39);
    EXPECT_EQ(translated[1].col, 58);
    EXPECT_EQ(e.sourcePosition(0, 1u << 30).offset, 0u);
    EXPECT_EQ(e.sourcePosition(99, 0).offset, 0u);
}

}  // namespace

namespace {

TEST(Api, SetAndOpenArrayArgumentsReachNativeCode) {
    auto r =
        runScript("begin Out(Describe([ssAlt, ssCtrl], ['a', 'bc'])); Out(Describe([], [])); end.",
                  [](script::Compiler& c) {
                      c.addType("TShift", "(ssShift, ssAlt, ssCtrl)");
                      c.addType("TShiftState", "set of TShift");
                      c.addFunction("function Describe(Shift: TShiftState; Names: array of string): string;",
                                    [](NativeCall& call) {
                                        std::string s;
                                        for (int member = 0; member < 3; ++member)
                                            s += call.setHas(0, member) ? '1' : '0';
                                        s += ':';
                                        s += std::to_string(call.arrayLength(1));
                                        for (int64_t k = 0; k < call.arrayLength(1); ++k) {
                                            s += ' ';
                                            s += call.arrayString(1, k);
                                        }
                                        call.returnString(s);
                                    });
                  });
    ASSERT_TRUE(r.ok) << r.message << r.error.text;
    EXPECT_EQ(r.out, "011:2 a bc\n000:0\n");
}

}  // namespace
