// Arguments of host-served library routines, read and written by kind.
#include "script/Foreign.h"

#include <algorithm>
#include <cstring>

#include "script/Binder.h"
#include "script/NativeCall.h"
#include "script/Vm.h"

namespace script {

namespace {

// The record or array behind a `var` slot, made the variable's own so writes stay in it.
AggObj* ownAggregate(Slot& s, const TypeDesc* t) {
    auto* o = static_cast<AggObj*>(s.p);
    if (!o) {
        o = new AggObj(t);
        s.p = o;
    } else if (o->rc > 1) {
        auto* c = new AggObj(*o);
        --o->rc;
        s.p = o = c;
    }
    return o;
}

bool isCharArray(const TypeDesc* t) {
    return t->kind == TypeKind::StaticArray && t->elem && t->elem->kind == TypeKind::Char;
}

// Writes text into an array of Char: within its length, a zero after the text when it fits.
void fillCharArray(Slot& s, const TypeDesc* t, std::string_view text) {
    AggObj* o = ownAggregate(s, t);
    size_t n = std::min(text.size(), o->slots.size());
    for (size_t k = 0; k < o->slots.size(); ++k)
        o->slots[k].i = k < n ? static_cast<unsigned char>(text[k]) : 0;
}

std::string charArrayText(const Slot& s) {
    std::string out;
    if (const auto* o = static_cast<const AggObj*>(s.p))
        for (const Slot& c : o->slots) {
            if (c.i == 0) break;
            out.push_back(static_cast<char>(c.i));
        }
    return out;
}

}  // namespace

int ForeignCall::count() const { return m_call.count(); }

int64_t ForeignCall::integer(int i) const {
    if (i < 0 || i >= count()) return 0;
    const TypeDesc* t = m_call.sig().params[size_t(i)].type;
    if (t->isOrdinal()) return m_call.integer(i);
    if (t->kind == TypeKind::Float) return static_cast<int64_t>(m_call.real(i));
    return 0;
}

bool ForeignCall::isText(int i) const {
    if (i < 0 || i >= count()) return false;
    const TypeDesc* t = m_call.sig().params[size_t(i)].type;
    return t->kind == TypeKind::String || isCharArray(t);
}

std::string ForeignCall::text(int i) const {
    if (i < 0 || i >= count()) return {};
    const TypeDesc* t = m_call.sig().params[size_t(i)].type;
    if (isCharArray(t)) return charArrayText(m_call.slot(i));
    if (t->kind != TypeKind::String) return {};
    const std::string& s = m_call.string(i);
    return s.substr(0, s.find('\0'));
}

std::string ForeignCall::bytes(int i) const {
    if (i < 0 || i >= count()) return {};
    const TypeDesc* t = m_call.sig().params[size_t(i)].type;
    return t->kind == TypeKind::String ? m_call.string(i) : text(i);
}

size_t ForeignCall::capacity(int i) const {
    if (i < 0 || i >= count()) return 0;
    const Param& p = m_call.sig().params[size_t(i)];
    const Slot& s = m_call.slot(i);
    if (isCharArray(p.type)) return p.byRef() ? size_t(p.type->slotCount()) : 0;
    if (p.type->kind != TypeKind::String || !s.p) return 0;
    if (!p.byRef() && m_call.vm() && m_call.vm()->isConstant(s.p)) return 0;
    return strOf(s).size();
}

size_t ForeignCall::fill(int i, std::string_view bytes) {
    const Param& p = m_call.sig().params[size_t(i)];
    size_t room = capacity(i);
    size_t n = std::min(bytes.size(), room);
    if (room == 0) return 0;
    Slot& s = m_call.slot(i);
    if (isCharArray(p.type)) {
        AggObj* o = ownAggregate(s, p.type);
        for (size_t k = 0; k < n; ++k) o->slots[k].i = static_cast<unsigned char>(bytes[k]);
        return n;
    }
    if (p.byRef()) {
        // The variable gets its own copy first, as any other write to it would.
        auto* o = static_cast<StrObj*>(s.p);
        if (o->rc > 1) {
            auto* c = new StrObj(o->s);
            --o->rc;
            s.p = o = c;
        }
        std::memcpy(o->s.data(), bytes.data(), n);
        o->s.resize(std::min(o->s.size(), o->s.find('\0')));
        if (o->s.empty()) {
            release(s.p);
            s.p = nullptr;
        }
        return n;
    }
    // A value PChar: the bytes the caller's variable holds, written where they are.
    std::memcpy(static_cast<StrObj*>(s.p)->s.data(), bytes.data(), n);
    return n;
}

bool ForeignCall::setInteger(int i, int64_t value) {
    if (i < 0 || i >= count()) return false;
    const Param& p = m_call.sig().params[size_t(i)];
    if (!p.byRef() || !p.type->isOrdinal()) return false;
    m_call.setInteger(i, p.type->kind == TypeKind::Boolean ? value != 0 : wrapTo(p.type, value));
    return true;
}

int ForeignCall::fieldCount(int i) const {
    if (i < 0 || i >= count()) return 0;
    const Param& p = m_call.sig().params[size_t(i)];
    return p.byRef() && p.type->kind == TypeKind::Record ? int(p.type->fields.size()) : 0;
}

int64_t ForeignCall::field(int i, int f) const {
    if (f < 0 || f >= fieldCount(i)) return 0;
    const TypeDesc* ft = m_call.sig().params[size_t(i)].type->fields[size_t(f)].type;
    const auto* o = static_cast<const AggObj*>(m_call.slot(i).p);
    if (!o || !ft->isOrdinal()) return 0;
    return o->slots[size_t(f)].i;
}

void ForeignCall::setField(int i, int f, int64_t value) {
    if (f < 0 || f >= fieldCount(i)) return;
    const TypeDesc* rt = m_call.sig().params[size_t(i)].type;
    const TypeDesc* ft = rt->fields[size_t(f)].type;
    AggObj* o = ownAggregate(m_call.slot(i), rt);
    Slot& s = o->slots[size_t(f)];
    if (ft->kind == TypeKind::Boolean)
        s.i = value != 0;
    else if (ft->isOrdinal())
        s.i = wrapTo(ft, value);
    else if (ft->kind == TypeKind::Float)
        s.d = static_cast<double>(value);
}

void ForeignCall::setFieldText(int i, int f, std::string_view text) {
    if (f < 0 || f >= fieldCount(i)) return;
    const TypeDesc* rt = m_call.sig().params[size_t(i)].type;
    const TypeDesc* ft = rt->fields[size_t(f)].type;
    AggObj* o = ownAggregate(m_call.slot(i), rt);
    Slot& s = o->slots[size_t(f)];
    if (ft->kind == TypeKind::String) {
        release(s.p);
        s.p = newStr(std::string(text));
    } else if (isCharArray(ft)) {
        fillCharArray(s, ft, text);
    }
}

void ForeignCall::returnInteger(int64_t value) {
    const TypeDesc* r = m_call.sig().result;
    if (!r) return;
    if (r->kind == TypeKind::Boolean)
        m_call.returnBoolean(value != 0);
    else if (r->isOrdinal())
        m_call.returnInteger(wrapTo(r, value));
    else if (r->kind == TypeKind::Float)
        m_call.returnReal(static_cast<double>(value));
}

void ForeignCall::returnText(std::string value) {
    const TypeDesc* r = m_call.sig().result;
    if (r && r->kind == TypeKind::String) m_call.returnString(std::move(value));
}

}  // namespace script
