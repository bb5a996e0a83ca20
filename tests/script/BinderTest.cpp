// The typed binder: routines registered as a declaration plus an ordinary C++ function,
// checked against each other at registration, and the registration table's rules.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include "ScriptSession.h"
#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "classes/TStrings.h"
#include "classes/TypeInfo.h"

using testing::HasSubstr;

namespace {

enum class Color { cRed, cGreen, cBlue };

struct Span {
    int32_t From = 0;
    std::string Text;
    double Weight = 0;
};

}  // namespace

template <>
struct classes::RecordFields<Span> : classes::Fields<&Span::From, &Span::Text, &Span::Weight> {};

namespace {

std::string variantText(const classes::Variant& v) {
    switch (v.type()) {
    case classes::Variant::Type::Unassigned: return "empty";
    case classes::Variant::Type::Integer: return "int " + std::to_string(v.asInt64());
    case classes::Variant::Type::String: return "str " + v.asString();
    case classes::Variant::Type::Double: return "dbl " + std::to_string(int(v.asFloat()));
    case classes::Variant::Type::Boolean: return v.asBoolean() ? "true" : "false";
    default: return "other";
    }
}

const script::Imports& typesImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TColor", "(cRed, cGreen, cBlue)")
            .type("TColors", "set of TColor")
            .type("TSpan", "record From: Integer; Text: string; Weight: Double; end")
            .type("TInts", "array of Integer")
            .type("TTriple", "array[1..3] of string")
            .type("TCallback", "procedure (N: Integer; var Total: Integer)")
            .constant("Answer", 42)
            .constant("Greeting", "hi")
            .constant("Third", 1.0 / 3)
            .routine("function AddInts(A: Integer; B: Byte; C: Int64): Int64;",
                     [](int a, uint8_t b, int64_t c) { return a + b + c; })
            .routine("function Join(const A: string; B: string; C: Char): string;",
                     [](std::string_view a, std::string b, char c) { return std::string(a) + b + c; })
            .routine(
                "procedure Bump(var I: Integer; var S: string; var D: Double; var B: Boolean; var C: Char; "
                "var W: Word);",
                [](int& i, std::string& s, double& d, bool& b, char& c, int& w) {
                    i += 1;
                    s += "+";
                    d *= 2;
                    b = !b;
                    c = char(c + 1);
                    w += 65535;  // wraps to the script's Word
                })
            .routine("function Shift(R: TSpan): TSpan;",
                     [](Span s) {
                         s.From += 10;
                         s.Text = "<" + s.Text + ">";
                         s.Weight /= 2;
                         return s;
                     })
            .routine("function Reverse(A: array of Integer): TInts;",
                     [](std::vector<int> v) { return std::vector<int>(v.rbegin(), v.rend()); })
            .routine("function Rotate(A: TTriple): TTriple;",
                     [](const std::array<std::string, 3>& a) {
                         return std::array<std::string, 3>{a[2], a[0], a[1]};
                     })
            .routine("function Flip(S: TColors): TColors;",
                     [](classes::Set<Color> s) {
                         classes::Set<Color> r;
                         for (Color c : {Color::cRed, Color::cGreen, Color::cBlue})
                             if (!s.contains(c)) r.include(c);
                         return r;
                     })
            .routine("function Next(C: TColor): TColor;", [](Color c) { return Color((int(c) + 1) % 3); })
            .routine("function Describe(V: Variant): string;", &variantText)
            .routine("function Untyped(const X): string;", &variantText)
            .routine("function Fmt(const F: string; const Args: array of const): string;",
                     [](const std::string& f, const std::vector<classes::Variant>& args) {
                         std::string s = f;
                         for (const auto& a : args) {
                             s += '|';
                             s += variantText(a);
                         }
                         return s;
                     })
            .routine("function Echo(V: Variant): Variant;", [](const classes::Variant& v) { return v; })
            .routine("function NewList(const Text: string): TStringList;",
                     [](const std::string& text) {
                         auto l = std::make_unique<classes::TStringList>();
                         l->setCommaText(text);
                         return l;
                     })
            .routine("function Count(L: TStrings): Integer;",
                     [](classes::TStrings* l) { return l ? l->count() : -1; })
            .routine("procedure SwapLists(var A, B: TStringList);",
                     [](classes::TStringList*& a, classes::TStringList*& b) { std::swap(a, b); })
            .routine("function Sum(Upto: Integer; F: TCallback): Integer;",
                     [](int upto, const classes::TMethod& f) {
                         int64_t total = 0;
                         for (int64_t i = 1; i <= upto; ++i) f({i, &total});
                         return int(total);
                     })
            .routine("function Small(F: Single; E: Extended; C: Currency): Extended;",
                     [](float f, long double e, double c) { return double(f) + double(e) + c; });
        return m;
    }();
    return table;
}

TEST(Binder, RoutinesOfEveryParameterTypeCrossBothWays) {
    ScriptSession s;
    s.tables.push_back(&typesImports());
    ASSERT_TRUE(s.run(R"(
var i: Integer; st: string; d: Double; b: Boolean; c: Char; w: Word; r: TSpan; t: TTriple;
    ints: TInts; colors: TColors; a, z: TStringList; total: Integer;
procedure AddUp(N: Integer; var Total: Integer);
begin
  Total := Total + N * N;
end;
begin
  Log(IntToStr(AddInts(-5, 200, 10000000000)));
  Log(Join('a', 'b', 'c'));
  i := 41; st := 'x'; d := 1.5; b := False; c := 'a'; w := 2;
  Bump(i, st, d, b, c, w);
  if b then st := st + 'T';
  Log(IntToStr(i) + st + FloatToStr(d) + c + IntToStr(w));
  r.From := 1; r.Text := 'mid'; r.Weight := 5;
  r := Shift(r);
  Log(IntToStr(r.From) + r.Text + FloatToStr(r.Weight));
  ints := Reverse([1, 2, 3]);
  Log(IntToStr(Length(ints)) + IntToStr(ints[0]) + IntToStr(ints[2]));
  t[1] := 'x'; t[2] := 'y'; t[3] := 'z';
  t := Rotate(t);
  Log(t[1] + t[2] + t[3]);
  colors := Flip([cGreen]);
  if (cRed in colors) and (cBlue in colors) and not (cGreen in colors) then Log('flipped');
  if Next(cBlue) = cRed then Log('wrapped');
  Log(Describe(7) + ', ' + Describe('seven') + ', ' + Describe(Unassigned));
  Log(Untyped(3.0) + ', ' + Untyped(True));
  Log(Fmt('f', [1, 'two', 3.5, False]));
  Log(Echo('back'));
  a := NewList('p,q,r');
  z := nil;
  Log(IntToStr(Count(a)) + ' ' + IntToStr(Count(nil)));
  SwapLists(a, z);
  if (a = nil) and (z <> nil) then Log('swapped ' + z[1]);
  z.Free;
  Log(IntToStr(Sum(3, @AddUp)));
  Log(FloatToStr(Small(0.5, 0.25, 1.125)));
  Log(IntToStr(Answer) + Greeting + FloatToStr(Third * 3));
end.)")) << s.error;
    EXPECT_EQ(s.log,
              "10000000195\nabc\n42x+T3b1\n11<mid>2.5\n331\nzxy\nflipped\nwrapped\nint 7, str seven, empty\n"
              "dbl 3, true\nf|int 1|str two|dbl 3|false\nback\n3 -1\nswapped q\n14\n1.875\n42hi1\n");
}

TEST(Binder, AFunctionThatDoesNotFitItsDeclarationFailsWhenRegistered) {
    auto declareOne = [](auto fn, const char* decl) {
        script::Imports m;
        m.routine(decl, fn);
        ScriptSession s;
        s.tables.push_back(&m);
        try {
            s.compile("begin end.");
        } catch (const script::BindingError& e) {
            return std::string(e.what());
        }
        return std::string("no error: ") + s.compileError;
    };
    EXPECT_EQ(declareOne([](const std::string&, int) { return 0; },
                         "function F(A: Integer; const S: string): Integer;"),
              "Binding mismatch in \"function F(A: Integer; const S: string): Integer;\": parameter 1 (A) is "
              "Integer, the native function takes std::string");
    EXPECT_EQ(
        declareOne([](int) { return 0; }, "function F(A, B: Integer): Integer;"),
        "Binding mismatch in \"function F(A, B: Integer): Integer;\": 2 parameters declared, the native "
        "function takes 1");
    EXPECT_THAT(declareOne([](int) {}, "procedure P(var X: Integer);"),
                HasSubstr("parameter 1 (X) is var, the native parameter is not a non-const reference"));
    EXPECT_THAT(declareOne([](int&) {}, "procedure P(X: Integer);"),
                HasSubstr("parameter 1 (X) is not var, the native parameter is a non-const reference"));
    EXPECT_THAT(declareOne([](int16_t) {}, "procedure P(X: Integer);"),
                HasSubstr("parameter 1 (X) is Integer, the native function takes int16_t (too narrow)"));
    EXPECT_THAT(declareOne([] {}, "function F: string;"),
                HasSubstr("the result is string, the native function returns void"));
    EXPECT_THAT(declareOne([] { return 1; }, "procedure P;"),
                HasSubstr("a procedure, the native function returns int32_t"));
    EXPECT_THAT(declareOne([](classes::TStrings*) {}, "procedure P(X: TComponent);"),
                HasSubstr("the classes are unrelated"));
    EXPECT_THAT(declareOne([](const Span&) {}, "procedure P(X: Integer);"),
                HasSubstr("parameter 1 (X) is Integer, the native function takes record"));

    // A binding the executor adds is checked when the script loads.
    script::Imports decl, impl;
    decl.unbound("function H(X: Integer): Integer;");
    impl.bind("H", [](const std::string&) { return 1; });
    ScriptSession s;
    s.tables = {&decl, &impl};
    ASSERT_TRUE(s.compile("begin H(1); end."));
    EXPECT_THROW(s.load(), script::BindingError);
}

TEST(Binder, OnlyRoutinesAScriptCallsNeedABinding) {
    script::Imports later;
    later.unbound("function Later(X: Integer): Integer;");
    ScriptSession s;
    s.tables.push_back(&later);
    EXPECT_TRUE(s.run("begin Log('runs'); end.")) << s.error;
    EXPECT_FALSE(s.run("begin Log(IntToStr(Later(1))); end."));
    EXPECT_EQ(s.error, "Cannot Import LATER");
    EXPECT_EQ(s.exec->lastError().kind, script::TIFException::erCannotImport);
    EXPECT_FALSE(s.run("type TF = function (X: Integer): Integer; var f: TF; begin f := @Later; end."));
    EXPECT_EQ(s.error, "Cannot Import LATER");

    script::Imports impl;
    impl.bind("later", [](int x) { return x + 1; });
    s.tables.push_back(&impl);
    EXPECT_TRUE(s.run("begin Log(IntToStr(Later(1))); end.")) << s.error;
    EXPECT_EQ(s.log, "runs\n2\n");
}

TEST(Binder, HostDeclarationsShadowRepeatAndNameThemselvesInErrors) {
    script::Imports forms;
    forms.type("TFormBorderStyle", "(bsNone, bsSingle, bsSizeable, bsDialog)")
        .type("TBorderStyle", "(bsNone, bsSingle)")
        .routine("function Style(B: TBorderStyle): Integer;", [](int b) { return b; })
        .variable("Current", "TBorderStyle");
    ScriptSession s;
    s.tables.push_back(&forms);
    s.tables.push_back(&forms);  // everything registered twice
    s.tables.push_back(&typesImports());
    s.tables.push_back(&typesImports());
    ASSERT_TRUE(s.run("begin Current := bsSingle; Log(IntToStr(Style(Current)) + IntToStr(Answer)); end."))
        << s.error;
    EXPECT_EQ(s.log, "142\n");

    script::Imports bad;
    bad.routine("function Bad(X: Nope): Integer;", [](int x) { return x; });
    ScriptSession b;
    b.tables.push_back(&bad);
    EXPECT_FALSE(b.compile("begin end."));
    EXPECT_THAT(b.compileError,
                HasSubstr("in the declaration \"function Bad(X: Nope): Integer;\" (column 17)"));
    EXPECT_THAT(b.compileError, HasSubstr("[Error] (0:0): Unknown type"));

    static const classes::TypeInfo notEnum = classes::TypeInfo::set("TNot", classes::types::boolean());
    script::Imports e;
    EXPECT_THROW(e.enumeration(notEnum), base::Error);
}

// A class whose member declaration names a type nobody registered.
class TBroken : public classes::TObject {
public:
    CLASSES_OBJECT(TBroken)
};
const classes::ClassInfo& TBroken::staticClass() {
    static const auto info = classes::ClassBuilder<TBroken>("TBroken", classes::TObject::staticClass())
                                 .publicMethod("procedure Use(X: TUnknown);", [](TBroken&, int) {})
                                 .build();
    return *info;
}

TEST(Binder, MembersAreCheckedWhenUsedOrAllAtOnceAtStartUp) {
    script::Imports broken;
    broken.classType(TBroken::staticClass());
    ScriptSession s;
    s.tables.push_back(&broken);
    EXPECT_TRUE(s.compile("var b: TBroken; begin end.")) << s.compileError;
    EXPECT_FALSE(s.compile("var b: TBroken; begin b.Use(1); end."));
    EXPECT_THAT(s.compileError, HasSubstr("procedure Use(X: TUnknown);"));

    // The whole standard vocabulary declares and binds cleanly.
    script::Compiler all;
    all.setCheckDeclarations(true);
    all.setUnitHandler([](script::Compiler& c, const std::string&) {
        c.addImports(script::dateUtilsImports());
        c.addImports(script::stdClassImports());
        c.addImports(script::classesImports());
        return true;
    });
    EXPECT_TRUE(all.compile("begin end.")) << all.messages().at(0).toString();
    script::Compiler withBroken;
    withBroken.setCheckDeclarations(true);
    withBroken.setUnitHandler([&](script::Compiler& c, const std::string&) {
        c.addImports(broken);
        return true;
    });
    EXPECT_FALSE(withBroken.compile("begin end."));
}

TEST(Binder, NativeExceptionsBecomeScriptErrors) {
    script::Imports m;
    m.routine("procedure ListError;", [] {
         throw classes::EListError("List index out of bounds (3)");
     }).routine("procedure DivZero;", [] {
        throw script::ScriptException(script::TIFException::erDivideByZero, "");
    });
    ScriptSession s;
    s.tables.push_back(&m);
    EXPECT_FALSE(s.run(R"(
begin
  try ListError; except Log(ExceptionToString(ExceptionType, ExceptionParam)); end;
  try DivZero; except Log(ExceptionToString(ExceptionType, ExceptionParam)); end;
  ListError;
end.)"));
    EXPECT_EQ(s.log, "Exception: List index out of bounds (3)\ndivide by Zero\n");
    EXPECT_EQ(s.error, "Exception: List index out of bounds (3)");
    EXPECT_EQ(s.exec->lastError().pos.row, 5);
}

}  // namespace
