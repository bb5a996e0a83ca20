// Expressions, designators, calls and the type rules of the single-pass compiler.
#include <cmath>
#include <unordered_map>

#include "script/Arith.h"
#include "script/Parser.h"

namespace script {

namespace {

TypeDesc makeInt(const char* name, IntKind k, int64_t lo, int64_t hi) {
    TypeDesc t;
    t.kind = TypeKind::Integer;
    t.name = name;
    t.intKind = k;
    t.low = lo;
    t.high = hi;
    return t;
}
TypeDesc makeKind(const char* name, TypeKind k, int64_t lo = 0, int64_t hi = 0) {
    TypeDesc t;
    t.kind = k;
    t.name = name;
    t.low = lo;
    t.high = hi;
    return t;
}
TypeDesc makeFloat(const char* name, FloatKind k) {
    TypeDesc t;
    t.kind = TypeKind::Float;
    t.name = name;
    t.floatKind = k;
    return t;
}

struct Builtins {
    std::unordered_map<std::string, TypeDesc> map;
    TypeDesc boolean = makeKind("Boolean", TypeKind::Boolean, 0, 1);
    TypeDesc voidT = makeKind("", TypeKind::Void);
    TypeDesc nilT = makeKind("nil", TypeKind::Nil);
    TypeDesc emptySet = makeKind("set", TypeKind::Set);
    Builtins() {
        map.emplace("BYTE", makeInt("Byte", IntKind::Byte, 0, 255));
        map.emplace("SHORTINT", makeInt("ShortInt", IntKind::ShortInt, -128, 127));
        map.emplace("WORD", makeInt("Word", IntKind::Word, 0, 65535));
        map.emplace("SMALLINT", makeInt("SmallInt", IntKind::SmallInt, -32768, 32767));
        map.emplace("INTEGER", makeInt("Integer", IntKind::Integer, INT32_MIN, INT32_MAX));
        map.emplace("CARDINAL", makeInt("Cardinal", IntKind::Cardinal, 0, UINT32_MAX));
        map.emplace("INT64", makeInt("Int64", IntKind::Int64, INT64_MIN, INT64_MAX));
        map.emplace("UINT64", makeInt("UInt64", IntKind::UInt64, 0, INT64_MAX));
        map.emplace("SINGLE", makeFloat("Single", FloatKind::Single));
        map.emplace("DOUBLE", makeFloat("Double", FloatKind::Double));
        map.emplace("EXTENDED", makeFloat("Extended", FloatKind::Extended));
        map.emplace("CURRENCY", makeFloat("Currency", FloatKind::Currency));
        map.emplace("CHAR", makeKind("Char", TypeKind::Char, 0, 255));
        map.emplace("STRING", makeKind("string", TypeKind::String));
        map.emplace("VARIANT", makeKind("Variant", TypeKind::Variant));
        // Booleans of other widths behave as Boolean (SizeOf tells them apart).
        map.emplace("BYTEBOOL", makeKind("ByteBool", TypeKind::Boolean, 0, 1));
        map.emplace("WORDBOOL", makeKind("WordBool", TypeKind::Boolean, 0, 1));
        map.emplace("LONGBOOL", makeKind("LongBool", TypeKind::Boolean, 0, 1));
        emptySet.elem = nullptr;
    }
    const TypeDesc* find(const std::string& up) const {
        static const std::unordered_map<std::string, std::string> aliases = {
            {"LONGINT", "INTEGER"},      {"LONGWORD", "CARDINAL"}, {"DWORD", "CARDINAL"},
            {"NATIVEINT", "INTEGER"},    {"REAL", "DOUBLE"},       {"WIDECHAR", "CHAR"},
            {"ANSICHAR", "CHAR"},        {"ANSISTRING", "STRING"}, {"WIDESTRING", "STRING"},
            {"UNICODESTRING", "STRING"}, {"PCHAR", "STRING"},      {"TBTSTRING", "STRING"},
        };
        if (up == "BOOLEAN") return &boolean;
        auto a = aliases.find(up);
        auto it = map.find(a == aliases.end() ? up : a->second);
        return it == map.end() ? nullptr : &it->second;
    }
};

const Builtins& builtins() {
    static const Builtins b;
    return b;
}

const TypeDesc* tInt() { return builtins().find("INTEGER"); }
const TypeDesc* tInt64() { return builtins().find("INT64"); }
const TypeDesc* tBool() { return &builtins().boolean; }
const TypeDesc* tStr() { return builtins().find("STRING"); }
const TypeDesc* tChar() { return builtins().find("CHAR"); }
const TypeDesc* tExt() { return builtins().find("EXTENDED"); }
const TypeDesc* tVoid() { return &builtins().voidT; }

// The integer operation a token stands for, if any.
bool intOpOf(Tok op, arith::IntOp& out) {
    using arith::IntOp;
    switch (op) {
    case Tok::Plus: out = IntOp::Add; return true;
    case Tok::Minus: out = IntOp::Sub; return true;
    case Tok::Star: out = IntOp::Mul; return true;
    case Tok::Slash:
    case Tok::KwDiv: out = IntOp::Div; return true;
    case Tok::KwMod: out = IntOp::Mod; return true;
    case Tok::KwAnd: out = IntOp::And; return true;
    case Tok::KwOr: out = IntOp::Or; return true;
    case Tok::KwXor: out = IntOp::Xor; return true;
    case Tok::KwShl: out = IntOp::Shl; return true;
    case Tok::KwShr: out = IntOp::Shr; return true;
    default: return false;
    }
}

bool isInt(const TypeDesc* t) { return t->kind == TypeKind::Integer; }
bool isFloat(const TypeDesc* t) { return t->kind == TypeKind::Float; }
bool isNumeric(const TypeDesc* t) { return isInt(t) || isFloat(t); }
bool isStringy(const TypeDesc* t) { return t->kind == TypeKind::String || t->kind == TypeKind::Char; }

bool sameSignature(const ProcSig& a, const ProcSig& b) {
    if ((a.result == nullptr) != (b.result == nullptr)) return false;
    if (a.result && a.result != b.result && a.result->kind != b.result->kind) return false;
    if (a.params.size() != b.params.size()) return false;
    for (size_t i = 0; i < a.params.size(); ++i) {
        if (a.params[i].byRef() != b.params[i].byRef()) return false;
        if (a.params[i].type != b.params[i].type && a.params[i].type->kind != b.params[i].type->kind)
            return false;
    }
    return true;
}

}  // namespace

const TypeDesc* builtinType(const std::string& upperName) { return builtins().find(upperName); }

Operand Parser::constOperand(const TypeDesc* t, int64_t v) {
    Operand o;
    o.kind = Operand::Kind::Const;
    o.type = t;
    o.cval.i = v;
    return o;
}

int Parser::constIndex(Slot v, bool managed) {
    m_chunk->constants.push_back(v);
    m_chunk->constManaged.push_back(managed);
    return int(m_chunk->constants.size() - 1);
}

int Parser::stringConst(const std::string& s) { return constIndex(Slot{.p = newStr(s)}, true); }

void Parser::pushConst(const Operand& c) {
    const TypeDesc* t = c.type;
    if (t->kind == TypeKind::String) {
        if (c.cstr.empty())
            emit(Op::PUSH_NIL);
        else
            emit(Op::PUSH_CONST, stringConst(c.cstr));
    } else if (t->kind == TypeKind::Float) {
        emit(Op::PUSH_CONST, constIndex(c.cval, false));
    } else if (t->kind == TypeKind::Nil) {
        emit(Op::PUSH_NIL);
    } else if (t->kind == TypeKind::Variant) {
        emit(Op::PUSH_NIL);
    } else if (c.cval.i >= INT32_MIN && c.cval.i <= INT32_MAX) {
        emit(Op::PUSH_INT, int(c.cval.i));
    } else {
        emit(Op::PUSH_CONST, constIndex(c.cval, false));
    }
}

void Parser::discharge(Operand& op) {
    bool m = op.type && op.type->isManaged();
    switch (op.kind) {
    case Operand::Kind::Value: return;
    case Operand::Kind::Const: pushConst(op); break;
    case Operand::Kind::Local: emit(m ? Op::LOAD_LM : Op::LOAD_L, op.index); break;
    case Operand::Kind::Global: emit(m ? Op::LOAD_GM : Op::LOAD_G, op.index); break;
    case Operand::Kind::RefLocal:
        emit(Op::LOAD_L, op.index);
        emit(m ? Op::LOAD_IM : Op::LOAD_I);
        break;
    case Operand::Kind::Addr: emit(m ? Op::LOAD_IM : Op::LOAD_I); break;
    case Operand::Kind::StrChar: emit(Op::STR_CHAR); break;
    case Operand::Kind::Prop:
        if (op.access == PropertyAccess::WriteOnly) error("Write-only property", m_prev);
        emit(Op::GET_PROP, op.index);
        break;
    case Operand::Kind::ProcName: error("Type mismatch", m_prev);
    case Operand::Kind::TypeRef: error("Type mismatch", m_prev);
    }
    op.kind = Operand::Kind::Value;
}

void Parser::pushAddress(Operand& op, const Token& at) {
    switch (op.kind) {
    case Operand::Kind::Local: emit(Op::ADDR_L, op.index); break;
    case Operand::Kind::Global: emit(Op::ADDR_G, op.index); break;
    case Operand::Kind::RefLocal: emit(Op::LOAD_L, op.index); break;
    case Operand::Kind::Addr: break;
    default: error("Variable Expected", at);
    }
    op.kind = Operand::Kind::Addr;
}

void Parser::prepareStore(Operand& target) {
    if (target.kind == Operand::Kind::RefLocal) {
        emit(Op::LOAD_L, target.index);
        target.kind = Operand::Kind::Addr;
    }
}

void Parser::store(Operand& t, const Token& at) {
    bool m = t.type->isManaged();
    if (t.type->isAggregate()) {
        // Records and static arrays are copied into the object the variable already has.
        switch (t.kind) {
        case Operand::Kind::Local: emit(Op::ADDR_L, t.index); break;
        case Operand::Kind::Global: emit(Op::ADDR_G, t.index); break;
        case Operand::Kind::Addr: emit(Op::STORE_AGG); return;
        default: error("Variable Expected", at);
        }
        emit(Op::STORE_AGG_R);
        return;
    }
    switch (t.kind) {
    case Operand::Kind::Local: emit(m ? Op::STORE_LM : Op::STORE_L, t.index); break;
    case Operand::Kind::Global: emit(m ? Op::STORE_GM : Op::STORE_G, t.index); break;
    case Operand::Kind::Addr: emit(m ? Op::STORE_IM : Op::STORE_I); break;
    case Operand::Kind::StrChar: emit(Op::STR_SETCHAR); break;
    case Operand::Kind::Prop: emit(Op::SET_PROP, t.index); break;
    default: error("Variable Expected", at);
    }
}

void Parser::popValue(const Operand& v) { emit(v.type && v.type->isManaged() ? Op::POP_M : Op::POP); }

int Parser::varCode(const TypeDesc* t) const {
    switch (t->kind) {
    case TypeKind::Integer:
        if (t->intKind == IntKind::Int64 || t->intKind == IntKind::UInt64 || t->intKind == IntKind::Cardinal)
            return 2;
        return 1;
    case TypeKind::Enum: return 1;
    case TypeKind::Float: return 3;
    case TypeKind::Boolean: return 4;
    case TypeKind::String: return 5;
    case TypeKind::Char: return 6;
    case TypeKind::Variant: return 0;
    default: return -1;
    }
}

bool Parser::assignable(const TypeDesc* to, const Operand& from) const {
    const TypeDesc* f = from.type;
    if (to == f) return true;
    switch (to->kind) {
    case TypeKind::Integer: return isInt(f) || f->kind == TypeKind::Variant;
    case TypeKind::Float: return isNumeric(f) || f->kind == TypeKind::Variant;
    case TypeKind::String: return isStringy(f) || f->kind == TypeKind::Variant;
    case TypeKind::Char:
        return f->kind == TypeKind::Char || f->kind == TypeKind::Variant ||
               (from.kind == Operand::Kind::Const && f->kind == TypeKind::String && from.cstr.size() == 1);
    case TypeKind::Boolean: return f->kind == TypeKind::Boolean || f->kind == TypeKind::Variant;
    case TypeKind::Enum: return f == to;
    case TypeKind::Variant: return varCode(f) >= 0 || f->kind == TypeKind::Nil;
    case TypeKind::Set:
        return f->kind == TypeKind::Set &&
               (!f->elem || !to->elem || f->elem == to->elem ||
                (f->elem->kind == to->elem->kind && f->elem->kind != TypeKind::Enum));
    case TypeKind::DynArray:
        return f->kind == TypeKind::Nil || (f->kind == TypeKind::DynArray && f->elem == to->elem) ||
               (to->openArray && f->kind == TypeKind::StaticArray && f->elem == to->elem);
    case TypeKind::Record: return false;
    case TypeKind::StaticArray:
        return f->kind == TypeKind::StaticArray && f->low == to->low && f->high == to->high &&
               (f->elem == to->elem ||
                (f->elem->isOrdinal() && f->elem->kind == to->elem->kind &&
                 f->elem->intKind == to->elem->intKind && f->elem->kind != TypeKind::Enum));
    case TypeKind::Proc:
        return f->kind == TypeKind::Nil || (f->kind == TypeKind::Proc && sameSignature(to->sig, f->sig));
    case TypeKind::Class:
        if (f->kind == TypeKind::Nil) return true;
        if (f->kind != TypeKind::Class) return false;
        return inherits(f->cls, to->cls);
    default: return false;
    }
}

void Parser::coerce(Operand& v, const TypeDesc* to, const Token& at) {
    if (!to) return;
    if (!assignable(to, v)) error("Type mismatch", at);
    const TypeDesc* f = v.type;
    if (f == to) return;
    if (v.kind == Operand::Kind::Const) {
        if (to->kind == TypeKind::Float && isInt(f)) {
            v.cval.d = f->intKind == IntKind::UInt64 ? double(uint64_t(v.cval.i)) : double(v.cval.i);
            if (to->floatKind == FloatKind::Single) v.cval.d = double(float(v.cval.d));
            if (to->floatKind == FloatKind::Currency) v.cval.d = std::nearbyint(v.cval.d * 10000.0) / 10000.0;
            v.type = to;
            return;
        }
        if (to->kind == TypeKind::String && f->kind == TypeKind::Char) {
            v.cstr = std::string(1, char(v.cval.i));
            v.type = to;
            return;
        }
        if (to->kind == TypeKind::Char && f->kind == TypeKind::String) {
            v.cval.i = uint8_t(v.cstr[0]);
            v.type = to;
            return;
        }
        if (to->kind == TypeKind::Integer && isInt(f)) {
            v.cval.i = arith::wrap(v.cval.i, to->intKind);
            v.type = to;
            return;
        }
        if (to->kind == TypeKind::Float && isFloat(f)) {
            if (to->floatKind == FloatKind::Single) v.cval.d = double(float(v.cval.d));
            if (to->floatKind == FloatKind::Currency) v.cval.d = std::nearbyint(v.cval.d * 10000.0) / 10000.0;
            v.type = to;
            return;
        }
    }
    discharge(v);
    if (f->kind == TypeKind::Variant && to->kind != TypeKind::Variant) {
        emit(Op::FROM_VAR, varCode(to));
        if (to->kind == TypeKind::Integer && to->intKind != IntKind::Int64) emit(Op::WRAP, int(to->intKind));
    } else {
        switch (to->kind) {
        case TypeKind::Integer:
            if (f->intKind != to->intKind && to->intKind != IntKind::Int64 &&
                to->intKind != IntKind::UInt64 && !(to->low <= f->low && f->high <= to->high))
                emit(Op::WRAP, int(to->intKind));
            break;
        case TypeKind::Float:
            if (isInt(f)) emit(f->intKind == IntKind::UInt64 ? Op::U2F : Op::I2F);
            if (to->floatKind == FloatKind::Single && !(isFloat(f) && f->floatKind == FloatKind::Single))
                emit(Op::F2SINGLE);
            if (to->floatKind == FloatKind::Currency && !(isFloat(f) && f->floatKind == FloatKind::Currency))
                emit(Op::F2CURR);
            break;
        case TypeKind::String:
            if (f->kind == TypeKind::Char) emit(Op::C2S);
            break;
        case TypeKind::Variant:
            if (f->kind == TypeKind::Nil) break;
            emit(Op::TO_VAR, varCode(f));
            break;
        case TypeKind::DynArray:
            if (f->kind == TypeKind::StaticArray) emit(Op::AGG_TO_ARR, typeIndex(f));
            break;
        default: break;
        }
    }
    v.type = to;
}

void Parser::checkOrdinal(const Operand& op, const Token& at) {
    if (!op.type->isOrdinal()) error("Type mismatch", at);
}

// expression = simple-expression [ relop simple-expression ]
Operand Parser::expression(const TypeDesc* hint) {
    Nest nest(*this);
    size_t m0 = m_code->size();
    Operand l = simpleExpression(hint);
    for (;;) {
        Tok op = m_tok.type;
        if (op != Tok::Eq && op != Tok::Ne && op != Tok::Lt && op != Tok::Le && op != Tok::Gt &&
            op != Tok::Ge && op != Tok::KwIn && op != Tok::KwIs)
            return l;
        Token at = m_tok;
        next();
        if (op == Tok::KwIs || op == Tok::KwAs) {
            l = classTest(op, l, at);
            m0 = m_code->size();
            continue;
        }
        if (l.kind != Operand::Kind::Const) {
            discharge(l);
            m0 = m_code->size();
        }
        size_t m1 = m_code->size();
        if (l.kind == Operand::Kind::Const) {
            discharge(l);
            l.kind = Operand::Kind::Const;
            m1 = m_code->size();
        }
        Operand r = simpleExpression(l.type->kind == TypeKind::Set ? nullptr : l.type);
        l = binary(op, l, r, at, m0, m1);
        m0 = m_code->size();
    }
}

// simple-expression = [ "+" | "-" ] term { addop term }
Operand Parser::simpleExpression(const TypeDesc* hint) {
    size_t m0 = m_code->size();
    Operand l = term(hint);
    for (;;) {
        Tok op = m_tok.type;
        if (op != Tok::Plus && op != Tok::Minus && op != Tok::KwOr && op != Tok::KwXor) return l;
        Token at = m_tok;
        next();
        size_t m1;
        if (l.kind == Operand::Kind::Const) {
            m0 = m_code->size();
            discharge(l);
            l.kind = Operand::Kind::Const;
        } else {
            discharge(l);
            m0 = m_code->size();
        }
        m1 = m_code->size();
        Operand r = term(l.type->kind == TypeKind::Set ? l.type : nullptr);
        l = binary(op, l, r, at, m0, m1);
    }
}

// term = factor { mulop factor }
Operand Parser::term(const TypeDesc* hint) {
    Operand l = factor(hint);
    for (;;) {
        Tok op = m_tok.type;
        if (op != Tok::Star && op != Tok::Slash && op != Tok::KwDiv && op != Tok::KwMod && op != Tok::KwAnd &&
            op != Tok::KwShl && op != Tok::KwShr && op != Tok::KwAs)
            return l;
        Token at = m_tok;
        next();
        if (op == Tok::KwAs) {
            l = classTest(op, l, at);
            continue;
        }
        size_t m0 = m_code->size();
        if (l.kind == Operand::Kind::Const) {
            discharge(l);
            l.kind = Operand::Kind::Const;
        } else {
            discharge(l);
            m0 = m_code->size();
        }
        size_t m1 = m_code->size();
        Operand r = factor(l.type->kind == TypeKind::Set ? l.type : nullptr);
        l = binary(op, l, r, at, m0, m1);
    }
}

// factor = number | string | "nil" | "(" expression ")" | "not" factor | "-" factor | "+" factor
//        | "@" designator | set | designator
Operand Parser::factor(const TypeDesc* hint) {
    Nest nest(*this);
    Token at = m_tok;
    switch (m_tok.type) {
    case Tok::IntLit: {
        uint64_t v = m_tok.ival;
        bool hex = m_tok.hex;
        next();
        // $80000000..$FFFFFFFF are the negative Integers whose bit pattern they spell
        if (hex && v <= UINT32_MAX) return constOperand(tInt(), int32_t(uint32_t(v)));
        const TypeDesc* t = v <= uint64_t(INT32_MAX)   ? tInt()
                            : v <= uint64_t(INT64_MAX) ? tInt64()
                                                       : builtinType("UINT64");
        return constOperand(t, int64_t(v));
    }
    case Tok::FloatLit: {
        Operand o;
        o.kind = Operand::Kind::Const;
        o.type = tExt();
        o.cval.d = m_tok.fval;
        next();
        return o;
    }
    case Tok::StrLit: {
        Operand o;
        o.kind = Operand::Kind::Const;
        if (m_tok.text.size() == 1) {
            o.type = tChar();
            o.cval.i = uint8_t(m_tok.text[0]);
        } else {
            o.type = tStr();
            o.cstr = m_tok.text;
        }
        next();
        return o;
    }
    case Tok::KwNil: {
        next();
        return constOperand(&builtins().nilT, 0);
    }
    case Tok::LParen: {
        next();
        Operand o = expression(hint);
        expect(Tok::RParen, "Closing parenthesis expected");
        if (o.kind == Operand::Kind::Const || o.kind == Operand::Kind::Value) {
            Operand sel = o;
            if (m_tok.type == Tok::LBracket || m_tok.type == Tok::Dot) selectors(sel, size_t(here()));
            return sel;
        }
        discharge(o);
        return o;
    }
    case Tok::KwNot: {
        next();
        Operand o = factor(nullptr);
        if (o.kind == Operand::Kind::Const && (o.type->kind == TypeKind::Boolean || isInt(o.type))) {
            o.cval.i =
                o.type->kind == TypeKind::Boolean ? !o.cval.i : arith::wrap(~o.cval.i, o.type->intKind);
            return o;
        }
        discharge(o);
        if (o.type->kind == TypeKind::Boolean)
            emit(Op::NOT_B);
        else if (isInt(o.type)) {
            emit(Op::NOT_I);
            if (o.type->intKind != IntKind::Int64 && o.type->intKind != IntKind::UInt64)
                emit(Op::WRAP, int(o.type->intKind));
        } else if (o.type->kind == TypeKind::Variant)
            emit(Op::VAR_UN, 1);
        else
            error("Type mismatch", at);
        return o;
    }
    case Tok::Minus:
    case Tok::Plus: {
        bool neg = m_tok.type == Tok::Minus;
        next();
        Operand o = factor(nullptr);
        if (!isNumeric(o.type) && o.type->kind != TypeKind::Variant) error("Type mismatch", at);
        if (!neg) return o;
        if (o.kind == Operand::Kind::Const) {
            if (isFloat(o.type))
                o.cval.d = -o.cval.d;
            else {
                if (o.type->intKind == IntKind::UInt64 || o.type == tInt64()) {
                    o.type = tInt64();
                    o.cval.i = -o.cval.i;
                    if (o.cval.i >= INT32_MIN) o.type = tInt();
                } else {
                    o.cval.i = arith::neg(o.cval.i, o.type->intKind);
                }
            }
            return o;
        }
        discharge(o);
        if (isFloat(o.type))
            emit(Op::NEG_F);
        else if (o.type->kind == TypeKind::Variant)
            emit(Op::VAR_UN, 0);
        else {
            emit(Op::NEG_I);
            if (o.type->intKind != IntKind::Int64 && o.type->intKind != IntKind::UInt64)
                emit(Op::WRAP, int(o.type->intKind));
        }
        return o;
    }
    case Tok::At: {
        next();
        Token nt = m_tok;
        std::string up = upperName(expectIdent());
        Symbol* s = m_globals.find(up);
        if (!s || (s->kind != SymKind::Proc && s->kind != SymKind::Native))
            error("Unknown identifier '" + nt.text + "'", nt);
        const ProcSig& sig = s->kind == SymKind::Proc ? m_chunk->procs[size_t(s->slot)].sig
                                                      : m_chunk->natives[size_t(s->slot)].sig;
        TypeDesc* t = newType(TypeKind::Proc);
        t->sig = sig;
        emit(Op::PROC_REF, s->kind == SymKind::Proc ? s->slot + 1 : -(s->slot + 1));
        Operand o;
        o.type = t;
        return o;
    }
    case Tok::LBracket:
        if (hint && hint->kind == TypeKind::DynArray) return arrayLiteral(hint);
        return setConstructor(hint);
    case Tok::Ident: {
        Operand o = designator();
        if (o.kind == Operand::Kind::ProcName) o = callRoutine(o, at);
        if (o.kind == Operand::Kind::TypeRef) error("Type mismatch", at);
        if (o.type->kind == TypeKind::Void) error("Type mismatch", at);
        return o;
    }
    default:
        if (m_tok.type == Tok::Eof) error("Unexpected end of file");
        error("Syntax error");
    }
}

// set = "[" [ element { "," element } ] "]" ; element = expression [ ".." expression ]
Operand Parser::setConstructor(const TypeDesc* hint) {
    next();
    emit(Op::SET_NEW);
    const TypeDesc* elem = hint && hint->kind == TypeKind::Set ? hint->elem : nullptr;
    if (m_tok.type != Tok::RBracket) {
        do {
            Token at = m_tok;
            Operand e = expression(elem);
            checkOrdinal(e, at);
            if (elem && !(e.type == elem || (e.type->kind == elem->kind && elem->kind != TypeKind::Enum) ||
                          (e.kind == Operand::Kind::Const && e.type->kind == TypeKind::Integer &&
                           elem->kind == TypeKind::Integer)))
                error("Type mismatch", at);
            if (!elem) elem = e.type;
            discharge(e);
            if (accept(Tok::DotDot)) {
                Operand h = expression(elem);
                checkOrdinal(h, at);
                discharge(h);
                emit(Op::SET_RANGE);
            } else {
                emit(Op::SET_ADD);
            }
        } while (accept(Tok::Comma));
    }
    expect(Tok::RBracket, "Closing square bracket (']') expected");
    Operand o;
    if (!elem) {
        o.type = &builtins().emptySet;
    } else {
        TypeDesc* t = newType(TypeKind::Set);
        t->elem = elem;
        t->name = "set";
        o.type = t;
    }
    return o;
}

// array-literal = "[" [ expression { "," expression } ] "]"   (open array arguments)
Operand Parser::arrayLiteral(const TypeDesc* arrType) {
    next();
    int n = 0;
    if (m_tok.type != Tok::RBracket) {
        do {
            Token at = m_tok;
            Operand e = expression(arrType->elem);
            coerce(e, arrType->elem, at);
            discharge(e);
            if (arrType->elem->isAggregate()) emit(Op::AGG_UNSHARE);
            ++n;
        } while (accept(Tok::Comma));
    }
    expect(Tok::RBracket, "Closing square bracket (']') expected");
    emit(Op::ARR_LIT, typeIndex(arrType), n);
    Operand o;
    o.type = arrType;
    return o;
}

bool Parser::foldBinary(Tok op, Operand& l, const Operand& r) {
    const TypeDesc* lt = l.type;
    const TypeDesc* rt = r.type;
    auto boolResult = [&](bool b) {
        l = constOperand(tBool(), b);
        return true;
    };
    if ((isInt(lt) || lt->kind == TypeKind::Boolean || lt->kind == TypeKind::Enum ||
         lt->kind == TypeKind::Char) &&
        lt->kind == rt->kind && (isInt(lt) ? isInt(rt) : true) &&
        !(lt->kind == TypeKind::Char && op == Tok::Plus)) {
        int64_t a = l.cval.i, b = r.cval.i;
        if (isInt(lt) && lt->intKind == IntKind::UInt64) {
            uint64_t ua = uint64_t(a), ub = uint64_t(b);
            switch (op) {
            case Tok::Lt: return boolResult(ua < ub);
            case Tok::Le: return boolResult(ua <= ub);
            case Tok::Gt: return boolResult(ua > ub);
            case Tok::Ge: return boolResult(ua >= ub);
            default: break;
            }
        }
        switch (op) {
        case Tok::Eq: return boolResult(a == b);
        case Tok::Ne: return boolResult(a != b);
        case Tok::Lt: return boolResult(a < b);
        case Tok::Le: return boolResult(a <= b);
        case Tok::Gt: return boolResult(a > b);
        case Tok::Ge: return boolResult(a >= b);
        default: break;
        }
        if (lt->kind == TypeKind::Boolean) {
            if (op == Tok::KwAnd) return boolResult(a && b);
            if (op == Tok::KwOr) return boolResult(a || b);
            if (op == Tok::KwXor) return boolResult(a != b);
            return false;
        }
        arith::IntOp iop;
        if (!isInt(lt) || !intOpOf(op, iop)) return false;
        if (arith::divides(iop) && b == 0) error("Divide by Zero");
        // Folding follows the run-time rule: the left operand's type, wrapped to its width.
        l = constOperand(lt, arith::apply(iop, a, b, lt->intKind));
        return true;
    }
    if (isNumeric(lt) && isNumeric(rt) && (isFloat(lt) || isFloat(rt))) {
        double a = isFloat(lt) ? l.cval.d : double(l.cval.i);
        double b = isFloat(rt) ? r.cval.d : double(r.cval.i);
        double v;
        switch (op) {
        case Tok::Plus: v = a + b; break;
        case Tok::Minus: v = a - b; break;
        case Tok::Star: v = a * b; break;
        case Tok::Slash:
            if (b == 0) return false;  // raised at run time
            v = a / b;
            break;
        case Tok::Eq: return boolResult(a == b);
        case Tok::Ne: return boolResult(a != b);
        case Tok::Lt: return boolResult(a < b);
        case Tok::Le: return boolResult(a <= b);
        case Tok::Gt: return boolResult(a > b);
        case Tok::Ge: return boolResult(a >= b);
        default: return false;
        }
        l.kind = Operand::Kind::Const;
        l.type = isFloat(lt) ? lt : rt;
        l.cval.d = v;
        return true;
    }
    if (isStringy(lt) && isStringy(rt) &&
        !(lt->kind == TypeKind::Char && rt->kind == TypeKind::Char && op != Tok::Plus)) {
        std::string a = lt->kind == TypeKind::Char ? std::string(1, char(l.cval.i)) : l.cstr;
        std::string b = rt->kind == TypeKind::Char ? std::string(1, char(r.cval.i)) : r.cstr;
        switch (op) {
        case Tok::Plus:
            l.kind = Operand::Kind::Const;
            l.type = tStr();
            l.cstr = a + b;
            return true;
        case Tok::Eq: return boolResult(a == b);
        case Tok::Ne: return boolResult(a != b);
        case Tok::Lt: return boolResult(a < b);
        case Tok::Le: return boolResult(a <= b);
        case Tok::Gt: return boolResult(a > b);
        case Tok::Ge: return boolResult(a >= b);
        default: return false;
        }
    }
    return false;
}

// The run-time form of arith::apply: 32-bit Integer and 64-bit operations have their own
// instructions; the narrower types and Cardinal compute in 64 bits and wrap.
void Parser::emitIntOp(arith::IntOp op, const TypeDesc* left, const TypeDesc* right) {
    using arith::IntOp;
    IntKind k = left->intKind;
    bool is32 = k == IntKind::Integer, u = k == IntKind::UInt64;
    bool narrow = !is32 && !arith::is64(k);
    switch (op) {
    case IntOp::Add: emit(is32 ? Op::ADD_I32 : Op::ADD_I); break;
    case IntOp::Sub: emit(is32 ? Op::SUB_I32 : Op::SUB_I); break;
    case IntOp::Mul: emit(is32 ? Op::MUL_I32 : Op::MUL_I); break;
    case IntOp::Div: emit(u ? Op::DIV_U : is32 ? Op::DIV_I32 : Op::DIV_I); break;
    case IntOp::Mod: emit(u ? Op::MOD_U : is32 ? Op::MOD_I32 : Op::MOD_I); break;
    case IntOp::And:
    case IntOp::Or:
    case IntOp::Xor:
        emit(op == IntOp::And ? Op::AND_I : op == IntOp::Or ? Op::OR_I : Op::XOR_I);
        // only a wider right operand can carry bits the left type does not have
        narrow = !arith::is64(k) && !(left->low <= right->low && right->high <= left->high);
        break;
    case IntOp::Shl:
    case IntOp::Shr:
        if (is32 || arith::is64(k))
            emit(op == IntOp::Shl ? (is32 ? Op::SHL_I32 : Op::SHL_I) : (is32 ? Op::SHR_I32 : Op::SHR_I));
        else
            emit(op == IntOp::Shl ? Op::SHL_W : Op::SHR_W, int(k));
        return;
    }
    if (narrow) emit(Op::WRAP, int(k));
}

Operand Parser::binary(Tok op, Operand l, Operand r, const Token& at, size_t leftMark, size_t leftEnd) {
    // Both sides constant: drop the left push and fold.
    if (l.kind == Operand::Kind::Const && r.kind == Operand::Kind::Const && m_code->size() == leftEnd) {
        Operand folded = l;
        if (foldBinary(op, folded, r)) {
            truncateCode(leftMark);
            return folded;
        }
    }
    l.kind = Operand::Kind::Value;  // the left side is on the stack by now
    const TypeDesc* lt = l.type;
    const TypeDesc* rt = r.type;
    Operand res;
    res.kind = Operand::Kind::Value;
    bool cmp =
        op == Tok::Eq || op == Tok::Ne || op == Tok::Lt || op == Tok::Le || op == Tok::Gt || op == Tok::Ge;

    if (op == Tok::KwIn) {
        if (rt->kind != TypeKind::Set || !lt->isOrdinal()) error("Type mismatch", at);
        discharge(r);
        emit(Op::SET_IN);
        res.type = tBool();
        return res;
    }
    // Variants: the other side becomes a variant and the operation is dispatched at run time.
    if (lt->kind == TypeKind::Variant || rt->kind == TypeKind::Variant) {
        if (rt->kind != TypeKind::Variant) {
            if (varCode(rt) < 0) error("Type mismatch", at);
            discharge(r);
            emit(Op::TO_VAR, varCode(rt));
        } else {
            discharge(r);
        }
        if (lt->kind != TypeKind::Variant) {
            if (varCode(lt) < 0) error("Type mismatch", at);
            emit(Op::SWAP);
            emit(Op::TO_VAR, varCode(lt));
            emit(Op::SWAP);
        }
        static const std::unordered_map<int, int> codes = {
            {int(Tok::Plus), 0},  {int(Tok::Minus), 1}, {int(Tok::Star), 2},  {int(Tok::Slash), 3},
            {int(Tok::KwDiv), 4}, {int(Tok::KwMod), 5}, {int(Tok::KwAnd), 6}, {int(Tok::KwOr), 7},
            {int(Tok::KwXor), 8}, {int(Tok::Eq), 9},    {int(Tok::Ne), 10},   {int(Tok::Lt), 11},
            {int(Tok::Le), 12},   {int(Tok::Gt), 13},   {int(Tok::Ge), 14},   {int(Tok::KwShl), 15},
            {int(Tok::KwShr), 16}};
        emit(Op::VAR_OP, codes.at(int(op)));
        res.type = cmp ? tBool() : builtinType("VARIANT");
        return res;
    }
    // Integers (and ordinals compared with each other).
    if (isInt(lt) && isInt(rt)) {
        discharge(r);
        bool u = lt->intKind == IntKind::UInt64;
        if (cmp) {
            static const Op s[] = {Op::EQ_I, Op::NE_I, Op::LT_I, Op::LE_I, Op::GT_I, Op::GE_I};
            static const Op us[] = {Op::EQ_I, Op::NE_I, Op::LT_U, Op::LE_U, Op::GT_U, Op::GE_U};
            int k = op == Tok::Eq   ? 0
                    : op == Tok::Ne ? 1
                    : op == Tok::Lt ? 2
                    : op == Tok::Le ? 3
                    : op == Tok::Gt ? 4
                                    : 5;
            emit(u ? us[k] : s[k]);
            res.type = tBool();
            return res;
        }
        arith::IntOp iop;
        if (!intOpOf(op, iop)) error("Type mismatch", at);
        if (arith::divides(iop)) mark(at);
        emitIntOp(iop, lt, rt);
        res.type = lt;
        return res;
    }
    // Reals.
    if (isNumeric(lt) && isNumeric(rt)) {
        discharge(r);
        if (isInt(rt)) emit(rt->intKind == IntKind::UInt64 ? Op::U2F : Op::I2F);
        if (isInt(lt)) emit(Op::I2F_U);
        if (cmp) {
            static const Op s[] = {Op::EQ_F, Op::NE_F, Op::LT_F, Op::LE_F, Op::GT_F, Op::GE_F};
            int k = op == Tok::Eq   ? 0
                    : op == Tok::Ne ? 1
                    : op == Tok::Lt ? 2
                    : op == Tok::Le ? 3
                    : op == Tok::Gt ? 4
                                    : 5;
            emit(s[k]);
            res.type = tBool();
            return res;
        }
        switch (op) {
        case Tok::Plus: emit(Op::ADD_F); break;
        case Tok::Minus: emit(Op::SUB_F); break;
        case Tok::Star: emit(Op::MUL_F); break;
        case Tok::Slash:
            mark(at);
            emit(Op::DIV_F);
            break;
        default: error("Type mismatch", at);
        }
        res.type = isFloat(lt) ? lt : rt;
        if (res.type->floatKind == FloatKind::Single || res.type->floatKind == FloatKind::Currency)
            res.type = tExt();
        return res;
    }
    // Strings and chars.
    if (isStringy(lt) && isStringy(rt)) {
        discharge(r);
        if (lt->kind == TypeKind::Char && rt->kind == TypeKind::Char && cmp) {
            static const Op s[] = {Op::EQ_I, Op::NE_I, Op::LT_I, Op::LE_I, Op::GT_I, Op::GE_I};
            int k = op == Tok::Eq   ? 0
                    : op == Tok::Ne ? 1
                    : op == Tok::Lt ? 2
                    : op == Tok::Le ? 3
                    : op == Tok::Gt ? 4
                                    : 5;
            emit(s[k]);
            res.type = tBool();
            return res;
        }
        if (rt->kind == TypeKind::Char) emit(Op::C2S);
        if (lt->kind == TypeKind::Char) emit(Op::C2S_U);
        if (cmp) {
            static const Op s[] = {Op::EQ_S, Op::NE_S, Op::LT_S, Op::LE_S, Op::GT_S, Op::GE_S};
            int k = op == Tok::Eq   ? 0
                    : op == Tok::Ne ? 1
                    : op == Tok::Lt ? 2
                    : op == Tok::Le ? 3
                    : op == Tok::Gt ? 4
                                    : 5;
            emit(s[k]);
            res.type = tBool();
            return res;
        }
        if (op != Tok::Plus) error("Type mismatch", at);
        m_concats.push_back({here(), int(leftEnd)});
        emit(Op::CONCAT_S);
        res.type = tStr();
        return res;
    }
    // Booleans, enumerations: ordinal comparisons and logic (both sides always evaluated).
    if ((lt->kind == TypeKind::Boolean && rt->kind == TypeKind::Boolean) ||
        (lt->kind == TypeKind::Enum && lt == rt)) {
        discharge(r);
        if (cmp) {
            static const Op s[] = {Op::EQ_I, Op::NE_I, Op::LT_I, Op::LE_I, Op::GT_I, Op::GE_I};
            int k = op == Tok::Eq   ? 0
                    : op == Tok::Ne ? 1
                    : op == Tok::Lt ? 2
                    : op == Tok::Le ? 3
                    : op == Tok::Gt ? 4
                                    : 5;
            emit(s[k]);
            res.type = tBool();
            return res;
        }
        if (lt->kind != TypeKind::Boolean) error("Type mismatch", at);
        if (op == Tok::KwAnd)
            emit(Op::AND_I);
        else if (op == Tok::KwOr)
            emit(Op::OR_I);
        else if (op == Tok::KwXor)
            emit(Op::XOR_I);
        else
            error("Type mismatch", at);
        res.type = tBool();
        return res;
    }
    // Sets.
    if (lt->kind == TypeKind::Set && rt->kind == TypeKind::Set) {
        Operand probe = r;
        probe.kind = Operand::Kind::Value;
        if (!assignable(lt, probe) && !assignable(rt, l)) error("Type mismatch", at);
        discharge(r);
        switch (op) {
        case Tok::Plus: emit(Op::SET_UNION); break;
        case Tok::Minus: emit(Op::SET_DIFF); break;
        case Tok::Star: emit(Op::SET_INTER); break;
        case Tok::Eq: emit(Op::SET_EQ); break;
        case Tok::Ne: emit(Op::SET_NE); break;
        case Tok::Le: emit(Op::SET_LE); break;
        case Tok::Ge: emit(Op::SET_GE); break;
        default: error("Type mismatch", at);
        }
        res.type = cmp ? tBool() : (lt->elem ? lt : rt);
        return res;
    }
    // Records of one type compare field by field.
    if ((lt->kind == TypeKind::Record || lt->kind == TypeKind::StaticArray) && lt == rt &&
        (op == Tok::Eq || op == Tok::Ne)) {
        discharge(r);
        if (mayRunCode(leftEnd)) {
            // The left side waits on the stack while the right side runs code that may
            // write the variable it came from: it takes its own copy first.
            CodePiece right = cutCode(leftEnd);
            emit(Op::AGG_UNSHARE);
            pasteCode(right);
        }
        emit(op == Tok::Eq ? Op::AGG_EQ : Op::AGG_NE, typeIndex(lt));
        res.type = tBool();
        return res;
    }
    // References compared with nil or each other.
    auto isRef = [](const TypeDesc* t) {
        return t->kind == TypeKind::Class || t->kind == TypeKind::Proc || t->kind == TypeKind::Nil;
    };
    if (isRef(lt) && isRef(rt) && (op == Tok::Eq || op == Tok::Ne)) {
        discharge(r);
        emit(op == Tok::Eq ? Op::EQ_I : Op::NE_I);
        res.type = tBool();
        return res;
    }
    if ((lt->kind == TypeKind::DynArray && rt->kind == TypeKind::Nil) && (op == Tok::Eq || op == Tok::Ne)) {
        emit(Op::ARR_LEN);
        emit(Op::PUSH_INT, 0);
        emit(op == Tok::Eq ? Op::EQ_I : Op::NE_I);
        res.type = tBool();
        return res;
    }
    error("Type mismatch", at);
}

// class-test = expression ( "is" | "as" ) class-type
Operand Parser::classTest(Tok op, Operand l, const Token& at) {
    if (l.type->kind != TypeKind::Class) error("Type mismatch", at);
    discharge(l);
    Token tt = m_tok;
    const TypeDesc* t = typeIdent();
    if (t->kind != TypeKind::Class || !t->cls) error("Class type expected", tt);
    mark(at);
    emit(op == Tok::KwIs ? Op::IS_CLASS : Op::AS_CLASS, typeIndex(t));
    Operand o;
    o.type = op == Tok::KwIs ? builtinType("BOOLEAN") : t;
    return o;
}

// designator = ident { "." ident | "[" expression { "," expression } "]" | "(" args ")" }
Operand Parser::designator() {
    Token at = m_tok;
    if (m_tok.type != Tok::Ident) {
        if (m_tok.type == Tok::LParen) {
            Operand o = factor(nullptr);
            return o;
        }
        error("Identifier expected");
    }
    next();
    Token saved = m_desigTok;
    m_desigTok = at;
    size_t start = size_t(here());
    bool savedChain = m_pinChain;
    m_pinChain = m_pinNext;
    m_pinNext = false;
    Operand o = identifier(at);
    selectors(o, start);
    m_desigTok = saved;
    m_pinChain = savedChain;
    return o;
}

Operand Parser::identifier(const Token& nameTok) {
    std::string up = upperName(nameTok.text);
    // with-blocks, innermost first
    for (size_t i = m_withs.size(); i-- > 0;) {
        const WithCtx& w = m_withs[i];
        if (w.type->kind == TypeKind::Record) {
            for (size_t f = 0; f < w.type->fields.size(); ++f) {
                if (w.type->fields[f].name != up) continue;
                emit(Op::LOAD_L, w.temp);
                emit(Op::FIELD_ADDR, typeIndex(w.type), int(f));
                Operand o;
                o.kind = Operand::Kind::Addr;
                o.type = w.type->fields[f].type;
                return o;
            }
        } else if (w.type->kind == TypeKind::Class && hasMember(w.type->cls, up)) {
            Operand obj;
            obj.kind = Operand::Kind::Local;
            obj.index = w.temp;
            obj.type = w.type;
            return methodOrProperty(obj, up, nameTok);
        }
    }
    Symbol* s = m_inProc ? m_locals.find(up) : nullptr;
    if (!s && !m_globals.find(up)) {
        if (const TypeDesc* bt = builtinType(up)) {
            Operand o;
            o.kind = Operand::Kind::TypeRef;
            o.type = bt;
            return o;
        }
    }
    if (s && s->kind == SymKind::Var && m_inProc) {
        Operand o;
        o.kind = s->byRef ? Operand::Kind::RefLocal : Operand::Kind::Local;
        o.type = s->type;
        o.index = s->slot;
        o.readOnly = s->readOnly;
        return o;
    }
    if (!s) s = m_globals.find(up);
    if (!s) error("Unknown identifier '" + nameTok.text + "'", nameTok);
    Operand o;
    switch (s->kind) {
    case SymKind::Var:
        o.kind = Operand::Kind::Global;
        o.type = s->type;
        o.index = s->slot;
        return o;
    case SymKind::Const:
        o.kind = Operand::Kind::Const;
        o.type = s->type;
        o.cval = s->value;
        o.cstr = s->str;
        return o;
    case SymKind::Type:
        o.kind = Operand::Kind::TypeRef;
        o.type = s->type;
        return o;
    case SymKind::Proc:
        // Inside a function, its own name on the left of ":=" is the result variable.
        if (m_inProc && s->slot == m_procIndex && m_tok.type == Tok::Assign) {
            Symbol* r = m_locals.find("RESULT");
            if (r) {
                o.kind = Operand::Kind::Local;
                o.type = r->type;
                o.index = r->slot;
                return o;
            }
        }
        o.kind = Operand::Kind::ProcName;
        o.index = s->slot;
        o.type = tVoid();
        return o;
    case SymKind::Native:
        o.kind = Operand::Kind::ProcName;
        o.index = s->slot;
        o.isNative = true;
        o.type = tVoid();
        return o;
    case SymKind::Intrinsic: return callIntrinsic(*s, nameTok);
    case SymKind::Label: error("Identifier expected", nameTok);
    }
    error("Unknown identifier '" + nameTok.text + "'", nameTok);
}

void Parser::selectors(Operand& op, size_t start) {
    for (;;) {
        Token at = m_tok;
        if (m_tok.type == Tok::LParen) {
            if (op.kind == Operand::Kind::ProcName) {
                op = callRoutine(op, m_desigTok);
                continue;
            }
            if (op.kind == Operand::Kind::TypeRef) {
                // type cast: T(expression)
                const TypeDesc* to = op.type;
                next();
                Operand v = expression();
                expect(Tok::RParen, "Closing parenthesis expected");
                if (v.kind == Operand::Kind::Const && v.type->isOrdinal() && to->isOrdinal()) {
                    v.type = to;
                    if (isInt(to)) v.cval.i = arith::wrap(v.cval.i, to->intKind);
                    op = v;
                    continue;
                }
                const TypeDesc* from = v.type;
                if (from->isOrdinal() && to->isOrdinal()) {
                    discharge(v);
                    if (isInt(to) && to->intKind != IntKind::Int64 && to->intKind != IntKind::UInt64)
                        emit(Op::WRAP, int(to->intKind));
                    else if (to->kind == TypeKind::Char)
                        emit(Op::WRAP, int(IntKind::Byte));
                    else if (to->kind == TypeKind::Boolean) {
                        emit(Op::PUSH_INT, 0);
                        emit(Op::NE_I);
                    }
                } else if (assignable(to, v) ||
                           (to->kind == TypeKind::Class && from->kind == TypeKind::Class)) {
                    if (to->kind != TypeKind::Class) coerce(v, to, at);
                    discharge(v);
                } else {
                    error("Type mismatch", at);
                }
                op.kind = Operand::Kind::Value;
                op.type = to;
                continue;
            }
            if (op.type && op.type->kind == TypeKind::Proc) {
                op = callProcValue(op, m_desigTok);
                continue;
            }
            return;
        }
        // a parameterless function's result: F.Field, F[i]
        if ((m_tok.type == Tok::Dot || m_tok.type == Tok::LBracket) && op.kind == Operand::Kind::ProcName)
            op = callRoutine(op, m_desigTok);
        if (m_tok.type == Tok::Dot) {
            next();
            Token ft = m_tok;
            std::string up = upperName(expectIdent());
            if (op.type && op.type->kind == TypeKind::Record) {
                int idx = -1;
                for (size_t f = 0; f < op.type->fields.size(); ++f)
                    if (op.type->fields[f].name == up) idx = int(f);
                if (idx < 0) error("Unknown identifier '" + ft.text + "'", ft);
                if (op.kind == Operand::Kind::Value) {
                    int t = allocTemp(op.type);
                    emit(Op::STORE_LM, t);
                    op.kind = Operand::Kind::Local;
                    op.index = t;
                }
                bool ro = op.readOnly;
                pushAddress(op, ft);
                emit(Op::FIELD_ADDR, typeIndex(op.type), idx);
                op.type = op.type->fields[size_t(idx)].type;
                op.readOnly = ro;
                continue;
            }
            if (op.type && op.type->kind == TypeKind::Class) {
                op = op.kind == Operand::Kind::TypeRef ? classReference(op, up, ft)
                                                       : methodOrProperty(op, up, ft);
                continue;
            }
            error("Unknown identifier '" + ft.text + "'", ft);
        }
        if (m_tok.type == Tok::LBracket && op.type && op.type->kind == TypeKind::Class &&
            op.kind != Operand::Kind::TypeRef) {
            op = defaultProperty(op, at);
            continue;
        }
        if (m_tok.type == Tok::LBracket) {
            next();
            do {
                Token it = m_tok;
                const TypeDesc* t = op.type;
                if (!t) error("Type mismatch", it);
                if (t->kind == TypeKind::String || t->kind == TypeKind::StaticArray ||
                    t->kind == TypeKind::DynArray) {
                    if (op.kind == Operand::Kind::Value || op.kind == Operand::Kind::Const) {
                        discharge(op);
                        int tmp = allocTemp(t);
                        emit(Op::STORE_LM, tmp);
                        op.kind = Operand::Kind::Local;
                        op.index = tmp;
                    }
                    bool ro = op.readOnly;
                    pushAddress(op, it);
                    size_t idxStart = size_t(here());
                    Operand idx = expression();
                    if (!isInt(idx.type) && !(t->kind == TypeKind::StaticArray && idx.type->isOrdinal()))
                        error("Type mismatch", it);
                    discharge(idx);
                    if (mayRunCode(idxStart)) hoistValue(afterLastCall(start, idxStart), idxStart);
                    mark(at);
                    if (t->kind == TypeKind::String) {
                        op.kind = Operand::Kind::StrChar;
                        op.type = tChar();
                    } else if (t->kind == TypeKind::StaticArray) {
                        emit(Op::INDEX_ADDR, typeIndex(t));
                        op.kind = Operand::Kind::Addr;
                        op.type = t->elem;
                    } else {
                        emit(m_pinChain ? Op::DYN_INDEX_PIN : Op::DYN_INDEX_ADDR);
                        if (m_pinChain) ++m_pins;
                        op.kind = Operand::Kind::Addr;
                        op.type = t->elem;
                    }
                    op.readOnly = ro;
                } else {
                    error("Type mismatch", it);
                }
                if (op.kind == Operand::Kind::StrChar && m_tok.type == Tok::Comma) error("Type mismatch", it);
            } while (accept(Tok::Comma));
            expect(Tok::RBracket, "Closing square bracket (']') expected");
            continue;
        }
        if (m_tok.type == Tok::Caret) error("Syntax error");
        return;
    }
}

void Parser::argument(const Param& p) {
    Token at = m_tok;
    if (p.byRef()) {
        m_pinNext = true;
        Operand v = expression();
        m_pinNext = false;
        if (v.kind != Operand::Kind::Local && v.kind != Operand::Kind::Global &&
            v.kind != Operand::Kind::RefLocal && v.kind != Operand::Kind::Addr)
            error("Variable Expected", at);
        if (v.readOnly) error("Variable Expected", at);
        const TypeDesc* a = v.type;
        const TypeDesc* b = p.type;
        bool ok = a == b ||
                  (a->kind == b->kind && a->kind != TypeKind::Integer && a->kind != TypeKind::Enum &&
                   a->kind != TypeKind::Record && a->kind != TypeKind::StaticArray &&
                   a->kind != TypeKind::Float && a->kind != TypeKind::DynArray) ||
                  (isInt(a) && isInt(b) && a->intKind == b->intKind) ||
                  (isFloat(a) && isFloat(b) && a->floatKind == b->floatKind) ||
                  (a->kind == TypeKind::DynArray && b->kind == TypeKind::DynArray && a->elem == b->elem);
        if (!ok) error("Type mismatch", at);
        // An element of a dynamic array passed this way was pinned by the designator
        // (DYN_INDEX_PIN), so the callee cannot free it under the address.
        pushAddress(v, at);
        return;
    }
    Operand v = expression(p.type);
    coerce(v, p.type, at);
    discharge(v);
    // The parameter owns its copy: a write through an address the caller still holds into
    // the original must not show through it.
    if (p.type->isAggregate()) emit(Op::AGG_UNSHARE);
}

// args = "(" [ expression { "," expression } ] ")"
int Parser::arguments(const ProcSig& sig, const Token& at, bool parens) {
    int savedPins = m_pins;
    m_pins = 0;
    size_t n = 0;
    if (parens) {
        next();
        if (m_tok.type != Tok::RParen) {
            do {
                if (n >= sig.params.size()) error("Invalid number of parameters", at);
                argument(sig.params[n++]);
            } while (accept(Tok::Comma));
        }
        expect(Tok::RParen, "Closing parenthesis expected");
    }
    if (n != sig.params.size()) error("Invalid number of parameters", at);
    int pins = m_pins;
    m_pins = savedPins;
    return pins;
}

Operand Parser::callRoutine(Operand fn, const Token& at) {
    ProcSig sig = fn.isNative ? m_chunk->natives[size_t(fn.index)].sig : m_chunk->procs[size_t(fn.index)].sig;
    int pins = arguments(sig, at, m_tok.type == Tok::LParen);
    mark(at);
    emit(fn.isNative ? Op::CALL_NATIVE : Op::CALL, fn.index);
    if (pins) emit(Op::UNPIN, pins);
    Operand o;
    o.type = sig.result ? sig.result : tVoid();
    return o;
}

Operand Parser::callProcValue(Operand fn, const Token& at) {
    discharge(fn);
    int tmp = allocTemp(nullptr);
    emit(Op::STORE_L, tmp);
    ProcSig sig = fn.type->sig;
    int pins = arguments(sig, at, true);
    emit(Op::LOAD_L, tmp);
    mark(at);
    emit(Op::CALL_IND, int(sig.params.size()));
    if (pins) emit(Op::UNPIN, pins);
    Operand o;
    o.type = sig.result ? sig.result : tVoid();
    return o;
}

}  // namespace script
