// Variant conversions and operators.
#include "script/Variants.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "script/Api.h"
#include "script/SystemUnit.h"

namespace script {

namespace {

const VarObj& varOf(Slot v) {
    static const VarObj empty;
    return v.p ? *static_cast<VarObj*>(v.p) : empty;
}

Slot make(VarObj* o) { return Slot{.p = o}; }

[[noreturn]] void mismatch() {
    throw ScriptException(TIFException::erException, "Invalid variant type cast");
}

bool isIntKind(VarKind k) { return k == VarKind::Integer || k == VarKind::Int64 || k == VarKind::Boolean; }

double toReal(const VarObj& v) {
    switch (v.kind) {
    case VarKind::Empty: return 0;
    case VarKind::Integer:
    case VarKind::Int64:
    case VarKind::Boolean: return double(v.i);
    case VarKind::Double: return v.d;
    case VarKind::String: {
        double d;
        if (!parseFloatText(v.s, d)) mismatch();
        return d;
    }
    case VarKind::Null: break;
    }
    mismatch();
}

int64_t toInt(const VarObj& v) {
    switch (v.kind) {
    case VarKind::Empty: return 0;
    case VarKind::Integer:
    case VarKind::Int64:
    case VarKind::Boolean: return v.i;
    case VarKind::Double: return int64_t(std::nearbyint(v.d));
    case VarKind::String: {
        int64_t r;
        if (parseIntText(v.s, r)) return r;
        double d;
        if (!parseFloatText(v.s, d)) mismatch();
        return int64_t(std::nearbyint(d));
    }
    case VarKind::Null: break;
    }
    mismatch();
}

}  // namespace

std::string variantToString(Slot s) {
    const VarObj& v = varOf(s);
    switch (v.kind) {
    case VarKind::Empty: return "";
    case VarKind::Null: mismatch();
    case VarKind::Integer:
    case VarKind::Int64: return std::to_string(v.i);
    case VarKind::Double: return formatFloat(v.d);
    case VarKind::Boolean: return v.i ? "True" : "False";
    case VarKind::String: return v.s;
    }
    return "";
}

Slot toVariant(Slot v, int code) {
    if (code == 0) return v;
    auto* o = new VarObj;
    switch (code) {
    case 1:
        o->kind = VarKind::Integer;
        o->i = v.i;
        break;
    case 2:
        o->kind = VarKind::Int64;
        o->i = v.i;
        break;
    case 3:
        o->kind = VarKind::Double;
        o->d = v.d;
        break;
    case 4:
        o->kind = VarKind::Boolean;
        o->i = v.i != 0;
        break;
    case 5:
        o->kind = VarKind::String;
        o->s = strOf(v);
        release(v.p);
        break;
    case 6:
        o->kind = VarKind::String;
        o->s = std::string(1, char(v.i));
        break;
    default: break;
    }
    return make(o);
}

Slot fromVariant(Slot v, int code) {
    Slot r{.i = 0};
    struct Guard {
        Slot v;
        ~Guard() { release(v.p); }
    } g{v};
    const VarObj& o = varOf(v);
    if (o.kind == VarKind::Null && code != 0) mismatch();
    switch (code) {
    case 0: retain(v.p); return v;
    case 1:
    case 2: r.i = toInt(o); break;
    case 3: r.d = toReal(o); break;
    case 4:
        if (o.kind == VarKind::String) {
            if (o.s == "True" || o.s == "true" || o.s == "TRUE")
                r.i = 1;
            else if (o.s == "False" || o.s == "false" || o.s == "FALSE")
                r.i = 0;
            else
                r.i = toInt(o) != 0;
        } else {
            r.i = o.kind == VarKind::Double ? o.d != 0 : toInt(o) != 0;
        }
        break;
    case 5: r.p = newStr(variantToString(v)); break;
    case 6: {
        std::string s = variantToString(v);
        if (s.size() != 1) mismatch();
        r.i = uint8_t(s[0]);
        break;
    }
    default: mismatch();
    }
    return r;
}

bool variantEquals(Slot a, Slot b) {
    retain(a.p);
    retain(b.p);
    Slot r = variantOp(9, a, b);
    return r.i != 0;
}

Slot variantOp(int op, Slot sa, Slot sb) {
    struct Guard {
        Slot a, b;
        ~Guard() {
            release(a.p);
            release(b.p);
        }
    } g{sa, sb};
    const VarObj& a = varOf(sa);
    const VarObj& b = varOf(sb);
    bool cmp = op >= 9 && op <= 14;
    if (a.kind == VarKind::Null || b.kind == VarKind::Null) {
        if (cmp) {
            bool both = a.kind == b.kind;
            return Slot{.i = op == 9 ? both : op == 10 ? !both : 0};
        }
        auto* o = new VarObj;
        o->kind = VarKind::Null;
        return make(o);
    }
    // Conversions below may throw a type mismatch; the result object must not leak then.
    auto o = std::make_unique<VarObj>();
    bool strs = a.kind == VarKind::String && b.kind == VarKind::String;
    if (strs || (op == 0 && (a.kind == VarKind::String || b.kind == VarKind::String) &&
                 (a.kind == VarKind::Empty || b.kind == VarKind::Empty))) {
        std::string x = variantToString(sa), y = variantToString(sb);
        int c = x.compare(y);
        switch (op) {
        case 0:
            o->kind = VarKind::String;
            o->s = x + y;
            return make(o.release());
        case 9: return Slot{.i = c == 0};
        case 10: return Slot{.i = c != 0};
        case 11: return Slot{.i = c < 0};
        case 12: return Slot{.i = c <= 0};
        case 13: return Slot{.i = c > 0};
        case 14: return Slot{.i = c >= 0};
        default: break;
        }
    }
    if (a.kind == VarKind::Boolean && b.kind == VarKind::Boolean && op >= 6 && op <= 8) {
        o->kind = VarKind::Boolean;
        o->i = op == 6 ? (a.i && b.i) : op == 7 ? (a.i || b.i) : (a.i != b.i);
        return make(o.release());
    }
    bool ints = isIntKind(a.kind == VarKind::Empty ? VarKind::Integer : a.kind) &&
                isIntKind(b.kind == VarKind::Empty ? VarKind::Integer : b.kind) &&
                a.kind != VarKind::String && b.kind != VarKind::String;
    if (ints || (op >= 4 && op <= 8) || op >= 15) {
        int64_t x = toInt(a), y = toInt(b), v = 0;
        switch (op) {
        case 0: v = int64_t(uint64_t(x) + uint64_t(y)); break;
        case 1: v = int64_t(uint64_t(x) - uint64_t(y)); break;
        case 2: v = int64_t(uint64_t(x) * uint64_t(y)); break;
        case 3: {
            if (y == 0) {
                throw ScriptException(TIFException::erDivideByZero, "");
            }
            o->kind = VarKind::Double;
            o->d = double(x) / double(y);
            return make(o.release());
        }
        case 4:
        case 5:
            if (y == 0) {
                throw ScriptException(TIFException::erDivideByZero, "");
            }
            v = y == -1 ? (op == 4 ? -x : 0) : (op == 4 ? x / y : x % y);
            break;
        case 6: v = x & y; break;
        case 7: v = x | y; break;
        case 8: v = x ^ y; break;
        case 15: v = int64_t(uint64_t(x) << (y & 63)); break;
        case 16: v = int64_t(uint64_t(x) >> (y & 63)); break;
        default: {
            bool r = op == 9    ? x == y
                     : op == 10 ? x != y
                     : op == 11 ? x < y
                     : op == 12 ? x <= y
                     : op == 13 ? x > y
                                : x >= y;
            return Slot{.i = r};
        }
        }
        bool wide = a.kind == VarKind::Int64 || b.kind == VarKind::Int64 || v < INT32_MIN || v > INT32_MAX;
        o->kind = wide ? VarKind::Int64 : VarKind::Integer;
        o->i = v;
        return make(o.release());
    }
    double x = toReal(a), y = toReal(b);
    switch (op) {
    case 0: o->d = x + y; break;
    case 1: o->d = x - y; break;
    case 2: o->d = x * y; break;
    case 3:
        if (y == 0) throw ScriptException(TIFException::erDivideByZero, "");
        o->d = x / y;
        break;
    default: {
        bool r = op == 9    ? x == y
                 : op == 10 ? x != y
                 : op == 11 ? x < y
                 : op == 12 ? x <= y
                 : op == 13 ? x > y
                            : x >= y;
        return Slot{.i = r};
    }
    }
    o->kind = VarKind::Double;
    return make(o.release());
}

Slot variantUnary(int op, Slot sa) {
    struct Guard {
        Slot a;
        ~Guard() { release(a.p); }
    } g{sa};
    const VarObj& a = varOf(sa);
    auto o = std::make_unique<VarObj>(a);
    o->rc = 1;
    if (a.kind == VarKind::Null) return make(o.release());
    if (op == 0) {
        if (a.kind == VarKind::Double)
            o->d = -a.d;
        else if (a.kind == VarKind::String) {
            o->kind = VarKind::Double;
            o->d = -toReal(a);
        } else {
            o->i = -toInt(a);
            if (o->kind == VarKind::Empty) o->kind = VarKind::Integer;
        }
    } else {
        if (a.kind == VarKind::Boolean)
            o->i = !a.i;
        else {
            o->i = ~toInt(a);
            o->kind = VarKind::Integer;
        }
    }
    return make(o.release());
}

int variantType(Slot v) {
    switch (varOf(v).kind) {
    case VarKind::Empty: return 0;
    case VarKind::Null: return 1;
    case VarKind::Integer: return 3;
    case VarKind::Double: return 5;
    case VarKind::Boolean: return 11;
    case VarKind::Int64: return 20;
    case VarKind::String: return 256;
    }
    return 0;
}

}  // namespace script
