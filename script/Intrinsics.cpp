// Built-in routines the compiler expands inline because they are generic over types:
// Length, SetLength, High, Low, Inc, Dec, Include, Exclude, SizeOf, Ord, Chr, Succ, Pred,
// Assigned, Abs, Exit, Break, Continue, RaiseException and the array-length aliases.
#include <cmath>

#include "script/Parser.h"

namespace script {

namespace {

const TypeDesc* tInt() { return builtinType("INTEGER"); }
const TypeDesc* tBool() { return builtinType("BOOLEAN"); }
const TypeDesc* tStr() { return builtinType("STRING"); }
const TypeDesc* tChar() { return builtinType("CHAR"); }
const TypeDesc* tVoid() {
    static const TypeDesc v;
    return &v;
}
bool isInt(const TypeDesc* t) { return t->kind == TypeKind::Integer; }
bool isFloat(const TypeDesc* t) { return t->kind == TypeKind::Float; }
bool isNumeric(const TypeDesc* t) { return isInt(t) || isFloat(t); }

int sizeOfType(const TypeDesc* t) {
    switch (t->kind) {
    case TypeKind::Integer:
        switch (t->intKind) {
        case IntKind::Byte:
        case IntKind::ShortInt: return 1;
        case IntKind::Word:
        case IntKind::SmallInt: return 2;
        case IntKind::Int64:
        case IntKind::UInt64: return 8;
        default: return 4;
        }
    case TypeKind::Boolean: return t->name == "LongBool" ? 4 : t->name == "WordBool" ? 2 : 1;
    case TypeKind::Char: return 1;
    case TypeKind::Enum: return t->high < 256 ? 1 : 2;
    case TypeKind::Float:
        return t->floatKind == FloatKind::Single ? 4 : t->floatKind == FloatKind::Extended ? 10 : 8;
    case TypeKind::Variant: return 16;
    case TypeKind::Set: return t->elem ? int((t->elem->high / 8) + 1) : 0;
    case TypeKind::StaticArray: return int(t->high - t->low + 1) * sizeOfType(t->elem);
    case TypeKind::Record: {
        int n = 0;
        for (auto& f : t->fields) n += sizeOfType(f.type);
        return n;
    }
    default: return 4;
    }
}

}  // namespace

Operand Parser::callIntrinsic(const Symbol& s, const Token& at) {
    Operand res;
    res.type = tVoid();
    auto open = [&] { expect(Tok::LParen, "opening parenthesis expected"); };
    auto close = [&] { expect(Tok::RParen, "Closing parenthesis expected"); };
    switch (s.intrinsic) {
    case Intrinsic::Exit:
        if (m_tok.type == Tok::LParen) error("Semicolon (';') expected");
        exitStatement();
        return res;
    case Intrinsic::RaiseException: {
        // RaiseException(Ex: TIFException; Param: string)
        open();
        Symbol* ts = m_globals.find("TIFEXCEPTION");
        Token kt = m_tok;
        Operand k = expression(ts ? ts->type : nullptr);
        if (ts && ts->kind == SymKind::Type) coerce(k, ts->type, kt);
        discharge(k);
        expect(Tok::Comma, "Invalid number of parameters");
        Token pt = m_tok;
        Operand p = expression(tStr());
        coerce(p, tStr(), pt);
        discharge(p);
        close();
        mark(at);
        emit(Op::RAISE);
        return res;
    }
    case Intrinsic::Break:
    case Intrinsic::Continue: breakContinue(s.intrinsic == Intrinsic::Break); return res;
    case Intrinsic::Length:
    case Intrinsic::GetArrayLength: {
        open();
        Token vt = m_tok;
        Operand v = expression();
        close();
        if (v.type->kind == TypeKind::StaticArray) {
            if (v.kind != Operand::Kind::Const && v.kind != Operand::Kind::Value) {
                // nothing evaluated yet
            } else if (v.kind == Operand::Kind::Value) {
                popValue(v);
            }
            if (v.kind == Operand::Kind::Addr) emit(Op::POP);
            return constOperand(tInt(), v.type->high - v.type->low + 1);
        }
        if (v.kind == Operand::Kind::Const && v.type->kind == TypeKind::String)
            return constOperand(tInt(), int64_t(v.cstr.size()));
        if (v.kind == Operand::Kind::Const && v.type->kind == TypeKind::Char) return constOperand(tInt(), 1);
        discharge(v);
        if (v.type->kind == TypeKind::String)
            emit(Op::STR_LEN);
        else if (v.type->kind == TypeKind::DynArray)
            emit(Op::ARR_LEN);
        else if (v.type->kind == TypeKind::Char) {
            emit(Op::POP);
            emit(Op::PUSH_INT, 1);
        } else
            error("Type mismatch", vt);
        res.type = tInt();
        return res;
    }
    case Intrinsic::SetLength:
    case Intrinsic::SetArrayLength: {
        open();
        Token vt = m_tok;
        size_t addrStart = size_t(here());
        Operand v = expression();
        if (v.readOnly) error("Variable Expected", vt);
        pushAddress(v, vt);
        expect(Tok::Comma, "comma (',') expected");
        Token nt = m_tok;
        size_t nStart = size_t(here());
        Operand n = expression();
        if (!isInt(n.type)) error("Type mismatch", nt);
        discharge(n);
        if (mayRunCode(nStart)) hoistValue(afterLastCall(addrStart, nStart), nStart);
        close();
        mark(at);
        if (v.type->kind == TypeKind::String)
            emit(Op::STR_SETLEN);
        else if (v.type->kind == TypeKind::DynArray)
            emit(Op::ARR_SETLEN, typeIndex(v.type));
        else
            error("Type mismatch", vt);
        return res;
    }
    case Intrinsic::High:
    case Intrinsic::Low: {
        bool high = s.intrinsic == Intrinsic::High;
        open();
        Token vt = m_tok;
        Operand v;
        if (m_tok.type == Tok::Ident) {
            size_t start = size_t(here());
            next();
            v = identifier(vt);
            if (v.kind != Operand::Kind::TypeRef) selectors(v, start);
        } else {
            v = expression();
        }
        close();
        const TypeDesc* t = v.type;
        if (v.kind == Operand::Kind::TypeRef || t->kind == TypeKind::StaticArray) {
            if (v.kind == Operand::Kind::Addr) emit(Op::POP);
            if (t->kind == TypeKind::StaticArray) {
                const TypeDesc* it = tInt();
                return constOperand(it, high ? t->high : t->low);
            }
            if (!t->isOrdinal()) error("Type mismatch", vt);
            return constOperand(t, high ? t->high : t->low);
        }
        if (t->kind == TypeKind::DynArray || t->kind == TypeKind::String) {
            if (!high) {
                if (v.kind == Operand::Kind::Addr) emit(Op::POP);
                return constOperand(tInt(), t->kind == TypeKind::String ? 1 : 0);
            }
            discharge(v);
            emit(t->kind == TypeKind::String ? Op::STR_LEN : Op::ARR_LEN);
            if (t->kind == TypeKind::DynArray) {
                emit(Op::PUSH_INT, 1);
                emit(Op::SUB_I32);
            }
            res.type = tInt();
            return res;
        }
        if (t->isOrdinal()) {
            if (v.kind == Operand::Kind::Addr) emit(Op::POP);
            return constOperand(t, high ? t->high : t->low);
        }
        error("Type mismatch", vt);
    }
    case Intrinsic::Inc:
    case Intrinsic::Dec: {
        bool inc = s.intrinsic == Intrinsic::Inc;
        open();
        Token vt = m_tok;
        Operand v = expression();
        if (!v.type->isOrdinal()) error("Type mismatch", vt);
        if (v.readOnly || v.kind == Operand::Kind::Const || v.kind == Operand::Kind::Value)
            error("Variable Expected", vt);
        Operand amount = constOperand(tInt(), 1);
        bool constAmount = true;
        int64_t k = 1;
        if (accept(Tok::Comma)) {
            Token nt = m_tok;
            amount = expression();
            if (!isInt(amount.type)) error("Type mismatch", nt);
            constAmount = amount.kind == Operand::Kind::Const;
            k = amount.cval.i;
        }
        close();
        bool is32 = isInt(v.type) && v.type->intKind == IntKind::Integer;
        bool is64 =
            isInt(v.type) && (v.type->intKind == IntKind::Int64 || v.type->intKind == IntKind::UInt64);
        if (v.kind == Operand::Kind::Local && constAmount && (is32 || is64) && k >= INT32_MIN &&
            k <= INT32_MAX) {
            emit(is32 ? Op::INC_L32 : Op::INC_L, v.index, int(inc ? k : -k));
            return res;
        }
        if (!constAmount) {
            // evaluate the amount first so the address can be taken afterwards
            discharge(amount);
            int tmp = allocTemp(nullptr);
            emit(Op::STORE_L, tmp);
            pushAddress(v, vt);
            emit(Op::DUP);
            emit(Op::LOAD_I);
            emit(Op::LOAD_L, tmp);
        } else {
            pushAddress(v, vt);
            emit(Op::DUP);
            emit(Op::LOAD_I);
            emit(Op::PUSH_CONST, constIndex(Slot{.i = k}, false));
        }
        emit(inc ? Op::ADD_I : Op::SUB_I);
        if (isInt(v.type) && !is64)
            emit(Op::WRAP, int(v.type->intKind));
        else if (v.type->kind == TypeKind::Char)
            emit(Op::WRAP, int(IntKind::Byte));
        emit(Op::STORE_I);
        return res;
    }
    case Intrinsic::Include:
    case Intrinsic::Exclude: {
        open();
        Token vt = m_tok;
        size_t addrStart = size_t(here());
        Operand v = expression();
        if (v.type->kind != TypeKind::Set) error("Type mismatch", vt);
        pushAddress(v, vt);
        expect(Tok::Comma, "comma (',') expected");
        Token et = m_tok;
        size_t eStart = size_t(here());
        Operand e = expression(v.type->elem);
        checkOrdinal(e, et);
        discharge(e);
        if (mayRunCode(eStart)) hoistValue(afterLastCall(addrStart, eStart), eStart);
        close();
        emit(Op::SET_INCL, s.intrinsic == Intrinsic::Include ? 1 : 0);
        return res;
    }
    case Intrinsic::SizeOf: {
        open();
        Token vt = m_tok;
        Operand v;
        if (m_tok.type == Tok::Ident) {
            size_t start = size_t(here());
            next();
            v = identifier(vt);
            if (v.kind != Operand::Kind::TypeRef) selectors(v, start);
        } else {
            v = expression();
        }
        close();
        if (v.kind == Operand::Kind::Addr || v.kind == Operand::Kind::Value) popValue(v);
        return constOperand(tInt(), sizeOfType(v.type));
    }
    case Intrinsic::Ord:
    case Intrinsic::Chr:
    case Intrinsic::Succ:
    case Intrinsic::Pred:
    case Intrinsic::Abs: {
        open();
        Token vt = m_tok;
        Operand v = expression();
        close();
        if (s.intrinsic == Intrinsic::Abs) {
            if (!isNumeric(v.type)) error("Type mismatch", vt);
            if (v.kind == Operand::Kind::Const) {
                if (isFloat(v.type))
                    v.cval.d = std::fabs(v.cval.d);
                else
                    v.cval.i = v.cval.i < 0 ? -v.cval.i : v.cval.i;
                return v;
            }
            discharge(v);
            emit(isFloat(v.type) ? Op::ABS_F : Op::ABS_I);
            return v;
        }
        if (s.intrinsic == Intrinsic::Chr) {
            if (!isInt(v.type)) error("Type mismatch", vt);
            if (v.kind == Operand::Kind::Const) return constOperand(tChar(), uint8_t(v.cval.i));
            discharge(v);
            emit(Op::WRAP, int(IntKind::Byte));
            v.type = tChar();
            return v;
        }
        checkOrdinal(v, vt);
        if (s.intrinsic == Intrinsic::Ord) {
            const TypeDesc* t = isInt(v.type) ? v.type : tInt();
            if (v.kind == Operand::Kind::Const) return constOperand(t, v.cval.i);
            discharge(v);
            v.type = t;
            return v;
        }
        int64_t d = s.intrinsic == Intrinsic::Succ ? 1 : -1;
        if (v.kind == Operand::Kind::Const) {
            v.cval.i += d;
            return v;
        }
        discharge(v);
        emit(Op::PUSH_INT, int(d));
        emit(Op::ADD_I);
        if (isInt(v.type) && v.type->intKind != IntKind::Int64 && v.type->intKind != IntKind::UInt64)
            emit(Op::WRAP, int(v.type->intKind));
        return v;
    }
    case Intrinsic::Assigned: {
        open();
        Token vt = m_tok;
        Operand v = expression();
        close();
        if (v.type->kind == TypeKind::DynArray || v.type->kind == TypeKind::String) {
            discharge(v);
            emit(v.type->kind == TypeKind::String ? Op::STR_LEN : Op::ARR_LEN);
        } else if (v.type->kind == TypeKind::Class || v.type->kind == TypeKind::Proc ||
                   v.type->kind == TypeKind::Nil) {
            discharge(v);
        } else {
            error("Type mismatch", vt);
        }
        emit(Op::PUSH_INT, 0);
        emit(Op::NE_I);
        res.type = tBool();
        return res;
    }
    }
    return res;
}

}  // namespace script
