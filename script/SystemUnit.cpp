// System unit routines. Each is declared by its script declaration and bound to a lambda;
// the compiler treats a few (Length, Inc, High, ...) as intrinsics because they are generic.
#include "script/SystemUnit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/AnsiText.h"
#include "script/Parser.h"
#include "script/Variants.h"
#include "script/Vm.h"

namespace script {

std::string formatFloat(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14E", v);
    std::string sci = buf;
    size_t e = sci.find('E');
    int exp = std::atoi(sci.c_str() + e + 1);
    auto stripZeros = [](std::string m) {
        if (m.find('.') != std::string::npos) {
            while (m.back() == '0') m.pop_back();
            if (m.back() == '.') m.pop_back();
        }
        return m;
    };
    // General format: fixed while the integer part fits 15 digits and |v| >= 0.00001.
    if (exp < 15 && std::fabs(v) >= 0.00001) {
        std::snprintf(buf, sizeof buf, "%.*f", std::max(0, 14 - exp), v);
        return stripZeros(buf);
    }
    std::string mant = stripZeros(sci.substr(0, e));
    return mant + "E" + std::to_string(exp);
}

bool parseIntText(const std::string& text, int64_t& out) {
    std::string_view s = base::trimText(text);
    if (s.empty()) return false;
    size_t i = 0;
    bool neg = false;
    if (s[0] == '-' || s[0] == '+') {
        neg = s[0] == '-';
        ++i;
    }
    if (i >= s.size()) return false;
    uint64_t v = 0;
    if (s[i] == '$' || (s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X'))) {
        i += s[i] == '$' ? 1 : 2;
        if (i >= s.size()) return false;
        for (; i < s.size(); ++i) {
            char c = s[i];
            int d = c >= '0' && c <= '9'                     ? c - '0'
                    : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10
                                                             : -1;
            if (d < 0 || v > (UINT64_MAX >> 4)) return false;
            v = v * 16 + uint64_t(d);
        }
    } else {
        for (; i < s.size(); ++i) {
            if (s[i] < '0' || s[i] > '9') return false;
            uint64_t nv = v * 10 + uint64_t(s[i] - '0');
            if (nv / 10 != v || nv > uint64_t(INT64_MAX) + (neg ? 1 : 0)) return false;
            v = nv;
        }
    }
    out = neg ? int64_t(0 - v) : int64_t(v);
    return true;
}

bool parseFloatText(const std::string& text, double& out) {
    std::string s(base::trimText(text));
    if (s.empty()) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end && *end == '\0';
}

void registerSystemUnit(Parser& p) {
    using K = Intrinsic;
    const std::pair<const char*, K> intrinsics[] = {
        {"Length", K::Length},
        {"SetLength", K::SetLength},
        {"High", K::High},
        {"Low", K::Low},
        {"Inc", K::Inc},
        {"Dec", K::Dec},
        {"Include", K::Include},
        {"Exclude", K::Exclude},
        {"SizeOf", K::SizeOf},
        {"Ord", K::Ord},
        {"Chr", K::Chr},
        {"Succ", K::Succ},
        {"Pred", K::Pred},
        {"Assigned", K::Assigned},
        {"Abs", K::Abs},
        {"Exit", K::Exit},
        {"Break", K::Break},
        {"Continue", K::Continue},
        {"GetArrayLength", K::GetArrayLength},
        {"SetArrayLength", K::SetArrayLength},
        {"RaiseException", K::RaiseException},
    };
    for (auto& [name, k] : intrinsics) p.declareIntrinsic(name, k);

    p.declareType(
        "TIFException",
        "(erNoError, erCannotImport, erInvalidType, ErInternalError, erInvalidHeader, erInvalidOpcode, "
        "erInvalidOpcodeParameter, erNoMainProc, erOutOfGlobalVarsRange, erOutOfProcRange, "
        "ErOutOfRange, erOutOfStackRange, ErTypeMismatch, erUnexpectedEof, erVersionError, "
        "ErDivideByZero, ErMathError, erCouldNotCallProc, erOutofRecordRange, erOutOfMemory, "
        "erException, erNullPointerException, erNullVariantError, erInterfaceNotSupported, "
        "erCustomError)");
    p.declareType("TVarType", "Word");
    p.declareType("LongInt", "Integer");
    p.declareType("TDateTime", "Double");

    const TypeDesc* integer = builtinType("INTEGER");
    const TypeDesc* ext = builtinType("EXTENDED");
    const std::pair<const char*, int64_t> varConsts[] = {
        {"varEmpty", 0},      {"varNull", 1},         {"varSmallInt", 2},     {"varInteger", 3},
        {"varSingle", 4},     {"varDouble", 5},       {"varCurrency", 6},     {"varDate", 7},
        {"varOleStr", 8},     {"varDispatch", 9},     {"varError", 10},       {"varBoolean", 11},
        {"varVariant", 12},   {"varUnknown", 13},     {"varShortInt", 16},    {"varByte", 17},
        {"varWord", 18},      {"varLongWord", 19},    {"varInt64", 20},       {"varStrArg", 0x48},
        {"varString", 0x100}, {"varAny", 0x101},      {"varTypeMask", 0xFFF}, {"varArray", 0x2000},
        {"varByRef", 0x4000}, {"MaxInt", 2147483647},
    };
    for (auto& [name, v] : varConsts) p.declareConst(name, integer, Slot{.i = v}, {});
    p.declareConst("NaN", ext, Slot{.d = -std::numeric_limits<double>::quiet_NaN()}, {});
    p.declareConst("Infinity", ext, Slot{.d = std::numeric_limits<double>::infinity()}, {});
    p.declareConst("NegInfinity", ext, Slot{.d = -std::numeric_limits<double>::infinity()}, {});
    p.declareConst("True", builtinType("BOOLEAN"), Slot{.i = 1}, {});
    p.declareConst("False", builtinType("BOOLEAN"), Slot{.i = 0}, {});

    auto fn = [&](const char* decl, NativeFn f) { p.declareFunction(decl, std::move(f)); };

    // integers and text
    fn("function IntToStr(I: Int64): string;",
       [](NativeCall& c) { c.returnString(std::to_string(c.integer(0))); });
    fn("function Int64ToStr(I: Int64): string;",
       [](NativeCall& c) { c.returnString(std::to_string(c.integer(0))); });
    fn("function StrToInt(S: string): Integer;", [](NativeCall& c) {
        int64_t v;
        c.returnInteger(parseIntText(c.string(0), v) && v >= INT32_MIN && v <= INT32_MAX ? v : -1);
    });
    fn("function StrToIntDef(S: string; Def: Integer): Integer;", [](NativeCall& c) {
        int64_t v;
        c.returnInteger(parseIntText(c.string(0), v) && v >= INT32_MIN && v <= INT32_MAX ? v : c.integer(1));
    });
    fn("function StrToInt64(S: string): Int64;", [](NativeCall& c) {
        int64_t v;
        c.returnInteger(parseIntText(c.string(0), v) ? v : -1);
    });
    fn("function StrToInt64Def(S: string; Def: Int64): Int64;", [](NativeCall& c) {
        int64_t v;
        c.returnInteger(parseIntText(c.string(0), v) ? v : c.integer(1));
    });
    fn("function IntToHex(Value: Int64; Digits: Integer): string;", [](NativeCall& c) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%0*llX", int(std::clamp<int64_t>(c.integer(1), 0, 16)),
                      static_cast<unsigned long long>(c.integer(0)));
        c.returnString(buf);
    });
    fn("function FloatToStr(E: Extended): string;",
       [](NativeCall& c) { c.returnString(formatFloat(c.real(0))); });
    fn("function StrToFloat(S: string): Extended;", [](NativeCall& c) {
        double d;
        if (!parseFloatText(c.string(0), d)) c.raise(TIFException::erException, "Invalid float");
        c.returnReal(d);
    });
    fn("function StrToFloatDef(S: string; Def: Extended): Extended;", [](NativeCall& c) {
        double d;
        c.returnReal(parseFloatText(c.string(0), d) ? d : c.real(1));
    });
    fn("function Copy(S: string; Index, Count: Integer): string;", [](NativeCall& c) {
        const std::string& s = c.string(0);
        int64_t i = c.integer(1), n = c.integer(2);
        if (i < 1) i = 1;
        if (n <= 0 || i > int64_t(s.size())) return c.returnString({});
        c.returnString(s.substr(size_t(i - 1), size_t(n)));
    });
    fn("function Pos(SubStr, S: string): Integer;", [](NativeCall& c) {
        const std::string& sub = c.string(0);
        if (sub.empty()) return c.returnInteger(0);
        size_t at = c.string(1).find(sub);
        c.returnInteger(at == std::string::npos ? 0 : int64_t(at) + 1);
    });
    fn("procedure Delete(var S: string; Index, Count: Integer);", [](NativeCall& c) {
        std::string s = c.string(0);
        int64_t i = c.integer(1), n = c.integer(2);
        if (i < 1 || i > int64_t(s.size()) || n <= 0) return;
        s.erase(size_t(i - 1), size_t(n));
        c.setString(0, std::move(s));
    });
    fn("procedure Insert(Source: string; var S: string; Index: Integer);", [](NativeCall& c) {
        std::string s = c.string(1);
        int64_t i = c.integer(2);
        if (i < 1) i = 1;
        if (i > int64_t(s.size()) + 1) i = int64_t(s.size()) + 1;
        s.insert(size_t(i - 1), c.string(0));
        c.setString(1, std::move(s));
    });
    fn("function UpperCase(S: string): string;",
       [](NativeCall& c) { c.returnString(base::asciiUpper(c.string(0))); });
    fn("function LowerCase(S: string): string;", [](NativeCall& c) {
        std::string s = c.string(0);
        for (char& ch : s)
            if (ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
        c.returnString(std::move(s));
    });
    fn("function AnsiUpperCase(S: string): string;",
       [](NativeCall& c) { c.returnString(base::ansiUpper(c.string(0))); });
    fn("function AnsiLowerCase(S: string): string;",
       [](NativeCall& c) { c.returnString(base::ansiLower(c.string(0))); });
    fn("function Trim(S: string): string;", [](NativeCall& c) {
        const std::string& s = c.string(0);
        size_t a = 0, b = s.size();
        while (a < b && uint8_t(s[a]) <= ' ') ++a;
        while (b > a && uint8_t(s[b - 1]) <= ' ') --b;
        c.returnString(s.substr(a, b - a));
    });
    fn("function TrimLeft(S: string): string;", [](NativeCall& c) {
        const std::string& s = c.string(0);
        size_t a = 0;
        while (a < s.size() && uint8_t(s[a]) <= ' ') ++a;
        c.returnString(s.substr(a));
    });
    fn("function TrimRight(S: string): string;", [](NativeCall& c) {
        const std::string& s = c.string(0);
        size_t b = s.size();
        while (b > 0 && uint8_t(s[b - 1]) <= ' ') --b;
        c.returnString(s.substr(0, b));
    });
    auto pad = [](NativeCall& c, char fill, bool left) {
        std::string s = c.string(0);
        int64_t n = c.integer(1);
        if (n > int64_t(s.size()) && n < (int64_t(1) << 30)) {
            std::string f(size_t(n) - s.size(), fill);
            s = left ? f + s : s + f;
        }
        c.returnString(std::move(s));
    };
    fn("function PadL(S: string; I: LongInt): string;", [pad](NativeCall& c) { pad(c, ' ', true); });
    fn("function PadR(S: string; I: LongInt): string;", [pad](NativeCall& c) { pad(c, ' ', false); });
    fn("function PadZ(S: string; I: LongInt): string;", [pad](NativeCall& c) { pad(c, '0', true); });
    auto repl = [](NativeCall& c) {
        int64_t n = c.integer(1);
        if (n <= 0) return c.returnString({});
        if (n >= (int64_t(1) << 30)) c.raise(TIFException::erOutOfMemory);
        c.returnString(std::string(size_t(n), char(c.integer(0))));
    };
    fn("function Replicate(C: Char; I: LongInt): string;", repl);
    fn("function StringOfChar(C: Char; I: LongInt): string;", repl);
    fn("function StrGet(var S: string; I: Integer): Char;", [](NativeCall& c) {
        const std::string& s = c.string(0);
        int64_t i = c.integer(1);
        if (i < 1 || i > int64_t(s.size())) c.raise(TIFException::erOutOfRange, "Out of string range");
        c.returnInteger(uint8_t(s[size_t(i - 1)]));
    });
    fn("procedure StrSet(C: Char; I: Integer; var S: string);", [](NativeCall& c) {
        std::string s = c.string(2);
        int64_t i = c.integer(1);
        if (i < 1 || i > int64_t(s.size())) c.raise(TIFException::erOutOfRange, "Out of string range");
        s[size_t(i - 1)] = char(c.integer(0));
        c.setString(2, std::move(s));
    });
    fn("function StringReplace(S, OldPattern, NewPattern: string): string;",
       [](NativeCall& c) { c.returnString(base::replaceAllText(c.string(0), c.string(1), c.string(2))); });
    fn("function CompareText(S1, S2: string): Integer;", [](NativeCall& c) {
        std::string a = base::asciiUpper(c.string(0)), b = base::asciiUpper(c.string(1));
        int r = a.compare(b);
        c.returnInteger(r < 0 ? -1 : r > 0 ? 1 : 0);
    });
    fn("function CompareStr(S1, S2: string): Integer;", [](NativeCall& c) {
        int r = c.string(0).compare(c.string(1));
        c.returnInteger(r < 0 ? -1 : r > 0 ? 1 : 0);
    });

    // reals
    fn("function Sin(E: Extended): Extended;", [](NativeCall& c) { c.returnReal(std::sin(c.real(0))); });
    fn("function Cos(E: Extended): Extended;", [](NativeCall& c) { c.returnReal(std::cos(c.real(0))); });
    fn("function Tan(E: Extended): Extended;", [](NativeCall& c) { c.returnReal(std::tan(c.real(0))); });
    fn("function ArcTan(E: Extended): Extended;", [](NativeCall& c) { c.returnReal(std::atan(c.real(0))); });
    fn("function Exp(E: Extended): Extended;", [](NativeCall& c) { c.returnReal(std::exp(c.real(0))); });
    fn("function Ln(E: Extended): Extended;", [](NativeCall& c) { c.returnReal(std::log(c.real(0))); });
    fn("function Sqrt(E: Extended): Extended;", [](NativeCall& c) { c.returnReal(std::sqrt(c.real(0))); });
    fn("function Pi: Extended;", [](NativeCall& c) { c.returnReal(3.14159265358979323846); });
    auto toInt64 = [](NativeCall& c, double v) {
        if (!(v >= -9.2233720368547758e18 && v < 9.2233720368547758e18)) c.raise(TIFException::erMathError);
        c.returnInteger(int64_t(v));
    };
    // Round ties to even, as the FPU's default rounding does.
    fn("function Round(E: Extended): Int64;",
       [toInt64](NativeCall& c) { toInt64(c, std::nearbyint(c.real(0))); });
    fn("function Trunc(E: Extended): Int64;",
       [toInt64](NativeCall& c) { toInt64(c, std::trunc(c.real(0))); });
    fn("function Int(E: Extended): Extended;", [](NativeCall& c) { c.returnReal(std::trunc(c.real(0))); });
    fn("function Frac(E: Extended): Extended;",
       [](NativeCall& c) { c.returnReal(c.real(0) - std::trunc(c.real(0))); });

    // variants
    fn("function VarIsEmpty(const V: Variant): Boolean;",
       [](NativeCall& c) { c.returnBoolean(variantType(c.slot(0)) == 0); });
    fn("function VarIsNull(const V: Variant): Boolean;",
       [](NativeCall& c) { c.returnBoolean(variantType(c.slot(0)) == 1); });
    fn("function VarType(const V: Variant): TVarType;",
       [](NativeCall& c) { c.returnInteger(variantType(c.slot(0))); });
    fn("function Null: Variant;", [](NativeCall& c) {
        auto* o = new VarObj;
        o->kind = VarKind::Null;
        c.result().p = o;
    });
    fn("function Unassigned: Variant;", [](NativeCall& c) { c.result().p = nullptr; });

    // exceptions
    fn("procedure RaiseLastException;", [](NativeCall& c) { c.vm()->raiseLast(); });
    fn("function ExceptionType: TIFException;",
       [](NativeCall& c) { c.returnInteger(int64_t(c.vm()->currentException().kind)); });
    fn("function ExceptionParam: string;",
       [](NativeCall& c) { c.returnString(c.vm()->currentException().param); });
    fn("function ExceptionProc: Cardinal;",
       [](NativeCall& c) { c.returnInteger(c.vm()->currentException().procIndex); });
    fn("function ExceptionPos: Cardinal;",
       [](NativeCall& c) { c.returnInteger(c.vm()->currentException().pos.offset); });
    fn("function ExceptionToString(Er: TIFException; Param: string): string;", [](NativeCall& c) {
        int64_t k = c.integer(0);
        if (k < 0 || k >= kExceptionKinds) k = int64_t(TIFException::erCustomError);
        c.returnString(exceptionText(TIFException(k), c.string(1)));
    });
}

}  // namespace script
