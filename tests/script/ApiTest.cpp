#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "ScriptRunner.h"

using script::ClassBinding;
using script::NativeCall;
using script::ObjectRef;

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
    EXPECT_EQ(unbound.error.kind, script::TIFException::erCouldNotCallProc);
}

// A host class over a tiny object table: handle -> (caption, width).
class FakeButton : public ClassBinding {
public:
    std::map<ObjectRef, std::pair<std::string, int64_t>> objects;
    std::string className() const override { return "TFakeButton"; }
    const ClassBinding* parent() const override { return nullptr; }
    bool findProperty(std::string_view name, PropertyDecl& out) const override {
        if (name == "CAPTION")
            out = {"string", script::PropertyAccess::ReadWrite, 1};
        else if (name == "WIDTH")
            out = {"Integer", script::PropertyAccess::ReadOnly, 2};
        else
            return false;
        return true;
    }
    bool isInstance(ObjectRef self) const override { return objects.count(self) != 0; }
    void getProperty(ObjectRef self, int id, NativeCall& call) const override {
        auto it = objects.find(self);
        if (it == objects.end()) call.raise(script::TIFException::erNullPointerException);
        if (id == 1)
            call.returnString(it->second.first);
        else
            call.returnInteger(it->second.second);
    }
    void setProperty(ObjectRef self, int id, NativeCall& call) const override {
        auto& o = const_cast<FakeButton*>(this)->objects[self];
        if (id == 1) o.first = call.string(0);
    }
};

TEST(Api, ImportedClassesExposePropertiesMethodsAndGlobals) {
    FakeButton cls;
    cls.objects[7] = {"OK", 75};
    auto declare = [&](script::Compiler& c) {
        c.addClass(cls);
        c.addMethod("TFakeButton", "function Grow(By: Integer): Integer;", [&cls](NativeCall& call) {
            cls.objects[call.self()].second += call.integer(0);
            call.returnInteger(cls.objects[call.self()].second);
        });
        c.addVariable("Button1", "TFakeButton");
        c.addVariable("Button2", "TFakeButton");
    };
    auto bind = [](script::Executor& e) { (void)e; };
    script::Compiler c;
    c.setUnitHandler([&](script::Compiler& cc, const std::string&) {
        declare(cc);
        cc.addFunction("procedure Out(S: string);", [](NativeCall&) {});
        return true;
    });
    auto chunk = c.compile(
        "var b: TFakeButton;\n"
        "begin b := Button1; b.Caption := b.Caption + '!'; b.Grow(5);\n"
        "  if (b is TFakeButton) and not (Button2 is TFakeButton) then (Button1 as TFakeButton).Grow(0);\n"
        "  try b := Button2 as TFakeButton; except b.Caption := b.Caption + '?'; end;\n"
        "  with Button1 do Caption := Caption + IntToStr(Width); end.");
    ASSERT_TRUE(chunk) << c.messages()[0].toString();
    script::Executor e;
    bind(e);
    ASSERT_TRUE(e.load(chunk));
    EXPECT_TRUE(e.setGlobalObject("button1", 7));
    EXPECT_TRUE(e.setGlobalObject("Button2", 99));  // a handle this class does not own
    EXPECT_FALSE(e.setGlobalObject("NoSuchVar", 7));
    ASSERT_TRUE(e.run()) << e.lastError().text;
    EXPECT_EQ(cls.objects[7].first, "OK!?80");

    script::Compiler c2;
    c2.setUnitHandler([&](script::Compiler& cc, const std::string&) {
        declare(cc);
        return true;
    });
    EXPECT_FALSE(c2.compile("begin Button1.Width := 3; end."));
    EXPECT_EQ(c2.messages()[0].toString(), "[Error] (1:7): Read-only property");
}

TEST(Api, CallsOnANilObjectAreScriptErrors) {
    FakeButton cls;
    auto r =
        runScript("var b: TFakeButton;\nbegin try Out(b.Caption); except Out('caught'); end; b.Grow(1); end.",
                  [&](script::Compiler& c) {
                      c.addClass(cls);
                      c.addMethod("TFakeButton", "function Grow(By: Integer): Integer;", [](NativeCall&) {});
                  });
    EXPECT_EQ(r.out, "caught\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.kind, script::TIFException::erNullPointerException);
}

TEST(Api, EventProceduresCanBeCalledByNameAfterTheMainBlock) {
    script::Compiler c;
    std::string out;
    c.setUnitHandler([&](script::Compiler& cc, const std::string&) {
        cc.addFunction("procedure Out(S: string);", [&](NativeCall& call) { out += call.string(0); });
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
    e.callProc("onclick", {2});
    e.callProc("OnClick", {3});
    EXPECT_EQ(out, "25");
    try {
        e.callProc("Bad", {});
        FAIL() << "no exception";
    } catch (const script::ScriptException& ex) {
        EXPECT_STREQ(ex.what(), "bad event");
    }
    e.callProc("OnClick", {1});  // the executor stays usable after a failed event
    EXPECT_EQ(out, "256");
}

}  // namespace

namespace {

// An event property: the script stores @Handler, the host later calls it with a var parameter.
class FakeEdit : public ClassBinding {
public:
    int64_t onKey = 0;
    std::string className() const override { return "TFakeEdit"; }
    const ClassBinding* parent() const override { return nullptr; }
    bool findProperty(std::string_view name, PropertyDecl& out) const override {
        if (name != "ONKEY") return false;
        out = {"TKeyEvent", script::PropertyAccess::ReadWrite, 1};
        return true;
    }
    bool isInstance(ObjectRef self) const override { return self == 1; }
    void getProperty(ObjectRef, int, NativeCall& call) const override { call.returnInteger(onKey); }
    void setProperty(ObjectRef, int, NativeCall& call) const override {
        const_cast<FakeEdit*>(this)->onKey = call.integer(0);
    }
};

TEST(Api, EventPropertiesHoldScriptProceduresTheHostCallsWithVarParameters) {
    FakeEdit cls;
    script::Compiler c;
    c.setUnitHandler([&](script::Compiler& cc, const std::string&) {
        cc.addType("TKeyEvent", "procedure (Sender: TObject; var Key: Word; Shift: Integer);");
        cc.addClass(cls);
        cc.addVariable("Edit1", "TFakeEdit");
        return true;
    });
    // TObject is not declared here: the declaration must fail cleanly first.
    EXPECT_FALSE(c.compile("begin end."));
    script::Compiler c2;
    c2.setUnitHandler([&](script::Compiler& cc, const std::string&) {
        cc.addType("TObject", "Integer");
        cc.addType("TKeyEvent", "procedure (Sender: TObject; var Key: Word; Shift: Integer);");
        cc.addClass(cls);
        cc.addVariable("Edit1", "TFakeEdit");
        return true;
    });
    auto chunk = c2.compile(
        "procedure KeyDown(Sender: TObject; var Key: Word; Shift: Integer);\n"
        "begin if Key = 13 then Key := 0 else Key := Key + Shift; end;\n"
        "begin Edit1.OnKey := @KeyDown; if Edit1.OnKey <> nil then ; end.");
    ASSERT_TRUE(chunk) << c2.messages()[0].toString();
    script::Executor e;
    ASSERT_TRUE(e.load(chunk));
    e.setGlobalObject("Edit1", 1);
    ASSERT_TRUE(e.run()) << e.lastError().text;
    ASSERT_NE(cls.onKey, 0);
    std::vector<int64_t> args = {1, 13, 0};
    e.callProcValue(cls.onKey, args);
    EXPECT_EQ(args[1], 0);
    args = {1, 40, 2};
    e.callProcValue(cls.onKey, args);
    EXPECT_EQ(args[1], 42);
    args = {1};
    EXPECT_THROW(e.callProcValue(cls.onKey, args), script::ScriptException);
    EXPECT_THROW(e.callProcValue(0, args), script::ScriptException);
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

TEST(Api, ExternalResolverAndErrorCallbackServeTheHost) {
    script::Compiler c;
    auto chunk = c.compile(
        "function MessageBeep(Kind: Integer): Integer; external 'MessageBeep@user32.dll stdcall';\n"
        "var i: Integer;\n"
        "begin i := MessageBeep(3); try i := i div 0; except end; RaiseException(erCustomError, 'last'); "
        "end.");
    ASSERT_TRUE(chunk) << c.messages()[0].toString();
    script::Executor e;
    std::vector<std::string> asked;
    e.setExternalResolver([&](const std::string& text, const script::ProcSig& sig) -> script::NativeFn {
        asked.push_back(text + "/" + std::to_string(sig.params.size()));
        return [](NativeCall& call) { call.returnInteger(call.integer(0) * 2); };
    });
    std::vector<std::string> errors;
    e.setErrorCallback([&](const script::RuntimeError& err) {
        errors.push_back(err.text + "@" + std::to_string(err.pos.row) + ":" + std::to_string(err.pos.col));
    });
    ASSERT_TRUE(e.load(chunk));
    EXPECT_FALSE(e.run());
    EXPECT_EQ(asked, (std::vector<std::string>{"MessageBeep@user32.dll stdcall/1"}));
    EXPECT_EQ(errors, (std::vector<std::string>{"divide by Zero@3:39", "last@3:58"}));
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
