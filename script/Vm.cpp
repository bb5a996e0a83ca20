// The VM loop and the Executor facade.
#include "script/Vm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "script/Symbols.h"
#include "script/Variants.h"

namespace script {

namespace {

constexpr size_t kStackSlots = size_t(1) << 22;  // 32 MiB of address space, committed on use
constexpr size_t kRedZone = size_t(1) << 16;
const char* const kStepLimitText = "Execution limit exceeded";

[[noreturn]] void fail(TIFException k, std::string p = {}) { throw ScriptException(k, std::move(p)); }

int64_t wrap(int64_t v, int k) {
    switch (IntKind(k)) {
    case IntKind::Byte: return uint8_t(v);
    case IntKind::ShortInt: return int8_t(v);
    case IntKind::Word: return uint16_t(v);
    case IntKind::SmallInt: return int16_t(v);
    case IntKind::Integer: return int32_t(v);
    case IntKind::Cardinal: return uint32_t(v);
    default: return v;
    }
}

AggObj* uniqueAgg(Slot* s, const TypeDesc* t) {
    AggObj* o = static_cast<AggObj*>(s->p);
    if (!o) {
        o = new AggObj(t);
        s->p = o;
    } else if (o->rc > 1) {
        AggObj* c = new AggObj(*o);
        --o->rc;
        s->p = o = c;
    }
    return o;
}

StrObj* uniqueStr(Slot* s) {
    StrObj* o = static_cast<StrObj*>(s->p);
    if (o && o->rc > 1) {
        StrObj* c = new StrObj(o->s);
        --o->rc;
        s->p = o = c;
    }
    return o;
}

SetObj* uniqueSet(Slot* s) {
    SetObj* o = static_cast<SetObj*>(s->p);
    if (!o) {
        o = new SetObj;
        s->p = o;
    } else if (o->rc > 1) {
        SetObj* c = new SetObj(*o);
        c->rc = 1;
        --o->rc;
        s->p = o = c;
    }
    return o;
}

const SetObj& setOf(Slot v) {
    static const SetObj empty;
    return v.p ? *static_cast<SetObj*>(v.p) : empty;
}

[[noreturn]] void indexError(int64_t i, int64_t len) {
    fail(TIFException::erOutOfRange,
         "Array index out of bounds (" + std::to_string(i) + "). Length is " + std::to_string(len) + ".");
}

inline Slot* dynElement(Slot* arrSlot, int64_t i) {
    ArrObj* a = static_cast<ArrObj*>(arrSlot->p);
    int64_t len = a ? int64_t(a->items.size()) : 0;
    if (i < 0 || i >= len) indexError(i, len);
    return &a->items[size_t(i)];
}

}  // namespace

AggObj::AggObj(const TypeDesc* t) : type(t), slots(size_t(t->slotCount()), Slot{.i = 0}) {}

AggObj::AggObj(const AggObj& other) : HeapObj(), type(other.type), slots(other.slots) {
    rc = 1;
    for (size_t i = 0; i < slots.size(); ++i)
        if (type->managedSlots[i]) retain(slots[i].p);
}

AggObj::~AggObj() {
    for (size_t i = 0; i < slots.size(); ++i)
        if (type->managedSlots[i]) release(slots[i].p);
}

bool valuesEqual(const TypeDesc* t, Slot a, Slot b) {
    switch (t->kind) {
    case TypeKind::Float: return a.d == b.d;
    case TypeKind::String: return strOf(a) == strOf(b);
    case TypeKind::Set: return std::memcmp(setOf(a).bits, setOf(b).bits, sizeof(SetObj::bits)) == 0;
    case TypeKind::Variant: return variantEquals(a, b);
    case TypeKind::Record:
    case TypeKind::StaticArray: {
        if (a.p == b.p) return true;
        size_t n = size_t(t->slotCount());
        for (size_t i = 0; i < n; ++i) {
            Slot x = a.p ? static_cast<AggObj*>(a.p)->slots[i] : Slot{.i = 0};
            Slot y = b.p ? static_cast<AggObj*>(b.p)->slots[i] : Slot{.i = 0};
            const TypeDesc* ft = t->kind == TypeKind::Record ? t->fields[i].type : t->elem;
            if (!valuesEqual(ft, x, y)) return false;
        }
        return true;
    }
    default: return a.i == b.i;
    }
}

Vm::Vm() : m_stack(new Slot[kStackSlots]), m_stackEnd(m_stack.get() + kStackSlots - kRedZone) {
    m_link = std::make_shared<ScriptHandler::Link>(ScriptHandler::Link{this});
    m_tags.reset(static_cast<uint8_t*>(calloc(kStackSlots, 1)));
    if (!m_tags) throw std::bad_alloc();
}

void Vm::dropTemporaries(Slot* from, Slot* to) {
    for (Slot* s = from; s < to; ++s) {
        if (tag(s)) {
            release(s->p);
            tag(s) = 0;
        }
    }
}

Vm::~Vm() {
    m_link->vm = nullptr;  // handlers stored in native objects no longer reach us
    unpinTo(0);
    if (m_chunk)
        for (int g : m_chunk->managedGlobals) release(m_globals[size_t(g)].p);
}

SourcePos Vm::posAt(const int32_t* pc, int& proc) const {
    uint32_t off = uint32_t(pc - m_chunk->code.data());
    proc = m_chunk->procAt(off ? off - 1 : 0);
    return m_chunk->positionOf(off ? off - 1 : 0);
}

bool Vm::run() {
    if (!m_chunk) return false;
    m_start = std::chrono::steady_clock::now();
    m_budget = m_stepLimit;
    m_error = {};
    m_frames.clear();
    m_handlers.clear();
    m_pending.clear();
    const ProcInfo& main = m_chunk->procs[0];
    Slot* bp = m_stack.get();
    std::fill(bp, bp + main.frameSize, Slot{.i = 0});
    unpinTo(0);
    m_frames.push_back({0, nullptr, bp, 0});
    try {
        execute(m_chunk->code.data() + main.entry, bp + main.frameSize, 0, bp + main.frameSize);
    } catch (const ScriptException&) {
        return false;
    }
    m_error = {};  // errors the script handled are not the run's
    return true;
}

inline Slot* Vm::enter(int proc, const int32_t*& pc, Slot* sp, Slot*& bp) {
    const ProcInfo& p = m_chunk->procs[size_t(proc)];
    bp = sp - p.nParams;
    Slot* end = bp + p.frameSize;
    if (end >= m_stackEnd || m_frames.size() >= m_maxDepth) fail(TIFException::erOutOfStackRange);
    if (--m_budget < 0) fail(TIFException::erCustomError, kStepLimitText);
    // Frames are small: plain loops beat a memset call here.
    for (Slot* s = sp; s < end; ++s) s->i = 0;
    for (uint8_t* t = &tag(bp); t < &tag(sp); ++t) *t = 0;  // the frame owns its parameters now
    m_frames.push_back({proc, pc, bp, m_pins.size()});
    pc = m_chunk->code.data() + p.entry;
    return end;
}

Slot* Vm::enterFromNative(int proc, const int32_t*& pc, Slot* sp, Slot*& bp) {
    return enter(proc, pc, sp, bp);
}

inline void Vm::releaseFrame(const Frame& f) {
    for (int m : m_chunk->procs[size_t(f.proc)].managedLocals) {
        release(f.bp[m].p);
        f.bp[m].p = nullptr;
    }
}

void Vm::abandonFrame(const Frame& f) {
    releaseFrame(f);
    // A routine left by an error never hands its result over.
    const ProcInfo& p = m_chunk->procs[size_t(f.proc)];
    if (p.sig.result && p.sig.result->isManaged()) {
        release(f.bp[p.nParams].p);
        f.bp[p.nParams].p = nullptr;
    }
}

void Vm::raiseLast() {
    m_reraise = true;
    throw ScriptException(m_exc.kind, m_exc.param);
}

bool Vm::unwind(const ScriptException& e, const int32_t*& pc, Slot*& sp, Slot*& bp, size_t baseFrames,
                Slot* baseSp) {
    if (!m_reraise) {
        int proc = 0;
        SourcePos pos = posAt(pc, proc);
        uint32_t off = uint32_t(pc - m_chunk->code.data());
        uint32_t entry = m_chunk->procs[size_t(proc)].entry;
        m_exc = {e.kind(),
                 e.param(),
                 e.what(),
                 pos,
                 m_chunk->procs[size_t(proc)].name,
                 proc,
                 off > entry ? off - 1 - entry : 0};
        if (m_onError) m_onError(m_exc);
    }
    m_reraise = false;
    m_error = m_exc;
    if (m_handlers.empty() || m_handlers.back().frameDepth <= baseFrames) {
        while (m_frames.size() > baseFrames) {
            abandonFrame(m_frames.back());
            unpinTo(m_frames.back().pins);
            m_frames.pop_back();
        }
        dropTemporaries(baseSp, sp);
        return false;
    }
    Handler h = m_handlers.back();
    m_handlers.pop_back();
    while (!m_pending.empty() && m_pending.back().depth > m_handlers.size()) m_pending.pop_back();
    while (m_frames.size() > h.frameDepth) {
        abandonFrame(m_frames.back());
        m_frames.pop_back();
    }
    bp = m_frames.back().bp;
    unpinTo(h.pins);
    dropTemporaries(h.sp, sp);
    sp = h.sp;
    pc = h.target;
    if (h.isFinally) m_pending.push_back({Pending::Exception, 0, nullptr, m_handlers.size()});
    return true;
}

bool Vm::leave(int remaining, const int32_t* target, const int32_t*& pc) {
    while (remaining > 0) {
        Handler h = m_handlers.back();
        m_handlers.pop_back();
        --remaining;
        if (h.isFinally) {
            m_pending.push_back({Pending::Leave, remaining, target, m_handlers.size()});
            pc = h.target;
            return true;
        }
    }
    pc = target;
    return true;
}

// Dispatch is a plain switch: a computed-goto table measured no steady gain on the
// benchmarks (some faster, some slower), so it was not kept.
#define NEXT() break
// Backward jumps (and routine entries) spend the step budget, so a host can bound a
// script that never ends.
#define BRANCH(o)                                                                         \
    do {                                                                                  \
        if ((o) < 0 && --m_budget < 0) fail(TIFException::erCustomError, kStepLimitText); \
        pc += (o);                                                                        \
    } while (0)
#define BIN_I(expr)            \
    {                          \
        int64_t b = (--sp)->i; \
        int64_t a = sp[-1].i;  \
        sp[-1].i = (expr);     \
    }                          \
    NEXT()
#define BIN_F(expr)           \
    {                         \
        double b = (--sp)->d; \
        double a = sp[-1].d;  \
        sp[-1].d = (expr);    \
    }                         \
    NEXT()
#define CMP_F(expr)           \
    {                         \
        double b = (--sp)->d; \
        double a = sp[-1].d;  \
        sp[-1].i = (expr);    \
    }                         \
    NEXT()
#define CMP_S(expr)                           \
    {                                         \
        Slot sb = *--sp;                      \
        Slot sa = sp[-1];                     \
        int c = strOf(sa).compare(strOf(sb)); \
        sp[-1].i = (expr);                    \
        tag(sp) = 0;                          \
        tag(sp - 1) = 0;                      \
        release(sa.p);                        \
        release(sb.p);                        \
    }                                         \
    NEXT()
#define SET_BIN(body)                \
    {                                \
        Slot sb = *--sp;             \
        Slot sa = sp[-1];            \
        const SetObj& a = setOf(sa); \
        const SetObj& b = setOf(sb); \
        tag(sp) = 0;                 \
        body;                        \
        release(sa.p);               \
        release(sb.p);               \
    }                                \
    NEXT()

void Vm::execute(const int32_t* pc, Slot* sp, size_t baseFrames, Slot* baseSp) {
    Slot* bp = m_frames.back().bp;
    Slot* globals = m_globals.data();
    const Chunk& ch = *m_chunk;
    std::optional<ScriptException> raising;  // errors raised by the script itself skip the C++ unwinder
    for (;;) {
        try {
            for (;;) {
                switch (Op(*pc++)) {
                case Op::NOP: NEXT();
                case Op::PUSH_INT: (sp++)->i = *pc++; NEXT();
                case Op::PUSH_CONST: {
                    int c = *pc++;
                    *sp = ch.constants[size_t(c)];
                    if (ch.constManaged[size_t(c)]) {
                        retain(sp->p);
                        tag(sp) = 1;
                    }
                    ++sp;
                    NEXT();
                }
                case Op::PUSH_NIL: (sp++)->i = 0; NEXT();
                case Op::POP: --sp; NEXT();
                case Op::POP_M:
                    release((--sp)->p);
                    tag(sp) = 0;
                    NEXT();
                case Op::DUP:
                    *sp = sp[-1];
                    ++sp;
                    NEXT();
                case Op::SWAP:
                    std::swap(sp[-1], sp[-2]);
                    std::swap(tag(sp - 1), tag(sp - 2));
                    NEXT();
                case Op::LOAD_L: *sp++ = bp[*pc++]; NEXT();
                case Op::LOAD_LM:
                    *sp = bp[*pc++];
                    retain(sp->p);
                    tag(sp) = 1;
                    ++sp;
                    NEXT();
                case Op::STORE_L: bp[*pc++] = *--sp; NEXT();
                case Op::STORE_LM: {
                    Slot& d = bp[*pc++];
                    HeapObj* old = d.p;
                    d = *--sp;
                    tag(sp) = 0;
                    release(old);
                    NEXT();
                }
                case Op::LOAD_G: *sp++ = globals[*pc++]; NEXT();
                case Op::LOAD_GM:
                    *sp = globals[*pc++];
                    retain(sp->p);
                    tag(sp) = 1;
                    ++sp;
                    NEXT();
                case Op::STORE_G: globals[*pc++] = *--sp; NEXT();
                case Op::STORE_GM: {
                    Slot& d = globals[*pc++];
                    HeapObj* old = d.p;
                    d = *--sp;
                    tag(sp) = 0;
                    release(old);
                    NEXT();
                }
                case Op::ADDR_L: (sp++)->a = &bp[*pc++]; NEXT();
                case Op::ADDR_G: (sp++)->a = &globals[*pc++]; NEXT();
                case Op::LOAD_I: sp[-1] = *sp[-1].a; NEXT();
                case Op::LOAD_IM:
                    sp[-1] = *sp[-1].a;
                    retain(sp[-1].p);
                    tag(sp - 1) = 1;
                    NEXT();
                case Op::STORE_I:
                    sp -= 2;
                    *sp[0].a = sp[1];
                    NEXT();
                case Op::STORE_IM: {
                    sp -= 2;
                    HeapObj* old = sp[0].a->p;
                    *sp[0].a = sp[1];
                    tag(sp + 1) = 0;
                    release(old);
                    NEXT();
                }
                case Op::FIELD_ADDR: {
                    const TypeDesc* t = ch.typeTable[size_t(pc[0])];
                    AggObj* o = uniqueAgg(sp[-1].a, t);
                    sp[-1].a = &o->slots[size_t(pc[1])];
                    pc += 2;
                    NEXT();
                }
                case Op::INDEX_ADDR: {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    int64_t i = (--sp)->i;
                    if (i < t->low || i > t->high) indexError(i, t->high - t->low + 1);
                    AggObj* o = uniqueAgg(sp[-1].a, t);
                    sp[-1].a = &o->slots[size_t(i - t->low)];
                    NEXT();
                }
                case Op::DYN_INDEX_ADDR: {
                    int64_t i = (--sp)->i;
                    ArrObj* a = static_cast<ArrObj*>(sp[-1].a->p);
                    int64_t len = a ? int64_t(a->items.size()) : 0;
                    if (i < 0 || i >= len) indexError(i, len);
                    sp[-1].a = &a->items[size_t(i)];
                    NEXT();
                }
                case Op::STR_CHAR: {
                    int64_t i = (--sp)->i;
                    const std::string& s = strOf(*sp[-1].a);
                    if (i < 1 || i > int64_t(s.size())) fail(TIFException::erOutOfRange);
                    sp[-1].i = uint8_t(s[size_t(i - 1)]);
                    NEXT();
                }
                case Op::STR_SETCHAR: {
                    sp -= 3;
                    int64_t i = sp[1].i;
                    Slot* a = sp[0].a;
                    if (i < 1 || i > int64_t(strOf(*a).size())) fail(TIFException::erOutOfRange);
                    uniqueStr(a)->s[size_t(i - 1)] = char(sp[2].i);
                    NEXT();
                }
                case Op::ADD_I: BIN_I(int64_t(uint64_t(a) + uint64_t(b)));
                case Op::SUB_I: BIN_I(int64_t(uint64_t(a) - uint64_t(b)));
                case Op::MUL_I: BIN_I(int64_t(uint64_t(a) * uint64_t(b)));
                case Op::ADD_I32: BIN_I(int32_t(uint32_t(a) + uint32_t(b)));
                case Op::SUB_I32: BIN_I(int32_t(uint32_t(a) - uint32_t(b)));
                case Op::MUL_I32: BIN_I(int32_t(uint32_t(a) * uint32_t(b)));
                case Op::DIV_I: {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = b == -1 ? int64_t(0 - uint64_t(sp[-1].i)) : sp[-1].i / b;
                    NEXT();
                }
                case Op::MOD_I: {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = b == -1 ? 0 : sp[-1].i % b;
                    NEXT();
                }
                case Op::DIV_U: {
                    uint64_t b = uint64_t((--sp)->i);
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = int64_t(uint64_t(sp[-1].i) / b);
                    NEXT();
                }
                case Op::MOD_U: {
                    uint64_t b = uint64_t((--sp)->i);
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = int64_t(uint64_t(sp[-1].i) % b);
                    NEXT();
                }
                case Op::AND_I: BIN_I(a & b);
                case Op::OR_I: BIN_I(a | b);
                case Op::XOR_I: BIN_I(a ^ b);
                case Op::SHL_I: BIN_I(int64_t(uint64_t(a) << (b & 63)));
                case Op::SHR_I: BIN_I(int64_t(uint64_t(a) >> (b & 63)));
                case Op::NEG_I: sp[-1].i = int64_t(0 - uint64_t(sp[-1].i)); NEXT();
                case Op::NOT_I: sp[-1].i = ~sp[-1].i; NEXT();
                case Op::NOT_B: sp[-1].i = !sp[-1].i; NEXT();
                case Op::ABS_I: sp[-1].i = sp[-1].i < 0 ? int64_t(0 - uint64_t(sp[-1].i)) : sp[-1].i; NEXT();
                case Op::ABS_F: sp[-1].d = std::fabs(sp[-1].d); NEXT();
                case Op::WRAP: sp[-1].i = wrap(sp[-1].i, *pc++); NEXT();
                case Op::INC_L:
                    bp[pc[0]].i = int64_t(uint64_t(bp[pc[0]].i) + uint64_t(int64_t(pc[1])));
                    pc += 2;
                    NEXT();
                case Op::INC_L32:
                    bp[pc[0]].i = int32_t(uint32_t(bp[pc[0]].i) + uint32_t(pc[1]));
                    pc += 2;
                    NEXT();
                case Op::EQ_I: BIN_I(a == b);
                case Op::NE_I: BIN_I(a != b);
                case Op::LT_I: BIN_I(a < b);
                case Op::LE_I: BIN_I(a <= b);
                case Op::GT_I: BIN_I(a > b);
                case Op::GE_I: BIN_I(a >= b);
                case Op::LT_U: BIN_I(uint64_t(a) < uint64_t(b));
                case Op::LE_U: BIN_I(uint64_t(a) <= uint64_t(b));
                case Op::GT_U: BIN_I(uint64_t(a) > uint64_t(b));
                case Op::GE_U: BIN_I(uint64_t(a) >= uint64_t(b));
                case Op::JLE_LL: pc += bp[pc[0]].i <= bp[pc[1]].i ? pc[2] + 3 : 3; NEXT();
                case Op::JGE_LL: pc += bp[pc[0]].i >= bp[pc[1]].i ? pc[2] + 3 : 3; NEXT();
                case Op::JLE_LG: pc += bp[pc[0]].i <= globals[pc[1]].i ? pc[2] + 3 : 3; NEXT();
                case Op::ADD_F: BIN_F(a + b);
                case Op::SUB_F: BIN_F(a - b);
                case Op::MUL_F: BIN_F(a * b);
                case Op::DIV_F: BIN_F(a / b);
                case Op::NEG_F: sp[-1].d = -sp[-1].d; NEXT();
                case Op::EQ_F: CMP_F(a == b);
                case Op::NE_F: CMP_F(a != b);
                case Op::LT_F: CMP_F(a < b);
                case Op::LE_F: CMP_F(a <= b);
                case Op::GT_F: CMP_F(a > b);
                case Op::GE_F: CMP_F(a >= b);
                case Op::I2F: sp[-1].d = double(sp[-1].i); NEXT();
                case Op::I2F_U: sp[-2].d = double(sp[-2].i); NEXT();
                case Op::U2F: sp[-1].d = double(uint64_t(sp[-1].i)); NEXT();
                case Op::F2SINGLE: sp[-1].d = double(float(sp[-1].d)); NEXT();
                case Op::F2CURR: sp[-1].d = std::nearbyint(sp[-1].d * 10000.0) / 10000.0; NEXT();
                case Op::CONCAT_S: {
                    Slot sb = *--sp;
                    tag(sp) = 0;
                    Slot& sa = sp[-1];
                    if (!sa.p) {
                        sa = sb;
                        NEXT();
                    }
                    if (sb.p) {
                        if (sa.p->rc == 1) {
                            static_cast<StrObj*>(sa.p)->s += strOf(sb);
                        } else {
                            HeapObj* n = new StrObj(strOf(sa) + strOf(sb));
                            release(sa.p);
                            sa.p = n;
                        }
                        release(sb.p);
                    }
                    NEXT();
                }
                case Op::EQ_S: CMP_S(c == 0);
                case Op::NE_S: CMP_S(c != 0);
                case Op::LT_S: CMP_S(c < 0);
                case Op::LE_S: CMP_S(c <= 0);
                case Op::GT_S: CMP_S(c > 0);
                case Op::GE_S: CMP_S(c >= 0);
                case Op::C2S:
                    sp[-1].p = new StrObj(std::string(1, char(sp[-1].i)));
                    tag(sp - 1) = 1;
                    NEXT();
                case Op::C2S_U:
                    sp[-2].p = new StrObj(std::string(1, char(sp[-2].i)));
                    tag(sp - 2) = 1;
                    NEXT();
                case Op::S2C: {
                    Slot s = sp[-1];
                    if (strOf(s).size() != 1) fail(TIFException::erTypeMismatch);
                    sp[-1].i = uint8_t(strOf(s)[0]);
                    tag(sp - 1) = 0;
                    release(s.p);
                    NEXT();
                }
                case Op::SET_NEW:
                    tag(sp) = 1;
                    (sp++)->p = new SetObj;
                    NEXT();
                case Op::SET_ADD: {
                    int64_t e = (--sp)->i;
                    if (e < 0 || e > 255) fail(TIFException::erOutOfRange);
                    static_cast<SetObj*>(sp[-1].p)->set(e);
                    NEXT();
                }
                case Op::SET_RANGE: {
                    sp -= 2;
                    int64_t lo = sp[0].i, hi = sp[1].i;
                    if (lo <= hi && (lo < 0 || hi > 255)) fail(TIFException::erOutOfRange);
                    for (int64_t e = lo; e <= hi; ++e) static_cast<SetObj*>(sp[-1].p)->set(e);
                    NEXT();
                }
                case Op::SET_IN: {
                    Slot s = *--sp;
                    tag(sp) = 0;
                    sp[-1].i = setOf(s).test(sp[-1].i);
                    release(s.p);
                    NEXT();
                }
                case Op::SET_UNION:
                    SET_BIN(auto* r = new SetObj;
                            for (int k = 0; k < 4; ++k) r->bits[k] = a.bits[k] | b.bits[k]; sp[-1].p = r);
                case Op::SET_DIFF:
                    SET_BIN(auto* r = new SetObj;
                            for (int k = 0; k < 4; ++k) r->bits[k] = a.bits[k] & ~b.bits[k]; sp[-1].p = r);
                case Op::SET_INTER:
                    SET_BIN(auto* r = new SetObj;
                            for (int k = 0; k < 4; ++k) r->bits[k] = a.bits[k] & b.bits[k]; sp[-1].p = r);
                case Op::SET_EQ:
                    SET_BIN(sp[-1].i = std::memcmp(a.bits, b.bits, sizeof a.bits) == 0; tag(sp - 1) = 0);
                case Op::SET_NE:
                    SET_BIN(sp[-1].i = std::memcmp(a.bits, b.bits, sizeof a.bits) != 0; tag(sp - 1) = 0);
                case Op::SET_LE:
                    SET_BIN(bool r = true; for (int k = 0; k < 4; ++k) r = r && !(a.bits[k] & ~b.bits[k]);
                            sp[-1].i = r; tag(sp - 1) = 0);
                case Op::SET_GE:
                    SET_BIN(bool r = true; for (int k = 0; k < 4; ++k) r = r && !(b.bits[k] & ~a.bits[k]);
                            sp[-1].i = r; tag(sp - 1) = 0);
                case Op::SET_INCL: {
                    sp -= 2;
                    int64_t e = sp[1].i;
                    SetObj* s = uniqueSet(sp[0].a);
                    if (*pc++)
                        s->set(e);
                    else
                        s->reset(e);
                    NEXT();
                }
                case Op::AGG_EQ:
                case Op::AGG_NE: {
                    bool eq = Op(pc[-1]) == Op::AGG_EQ;
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    Slot b = *--sp;
                    Slot a = sp[-1];
                    tag(sp) = 0;
                    tag(sp - 1) = 0;
                    sp[-1].i = valuesEqual(t, a, b) == eq;
                    release(a.p);
                    release(b.p);
                    NEXT();
                }
                case Op::STR_LEN: {
                    HeapObj* s = sp[-1].p;
                    sp[-1].i = s ? int64_t(static_cast<StrObj*>(s)->s.size()) : 0;
                    tag(sp - 1) = 0;
                    release(s);
                    NEXT();
                }
                case Op::ARR_LEN: {
                    HeapObj* s = sp[-1].p;
                    sp[-1].i = s ? int64_t(static_cast<ArrObj*>(s)->items.size()) : 0;
                    tag(sp - 1) = 0;
                    release(s);
                    NEXT();
                }
                case Op::STR_SETLEN: {
                    sp -= 2;
                    int64_t n = sp[1].i;
                    Slot* a = sp[0].a;
                    if (n <= 0) {
                        release(a->p);
                        a->p = nullptr;
                    } else {
                        if (n > (int64_t(1) << 31)) fail(TIFException::erOutOfMemory);
                        if (!a->p) a->p = new StrObj(std::string());
                        uniqueStr(a)->s.resize(size_t(n), '\0');
                    }
                    NEXT();
                }
                case Op::ARR_SETLEN: {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    sp -= 2;
                    int64_t n = sp[1].i;
                    Slot* a = sp[0].a;
                    if (n < 0) n = 0;
                    if (n > (int64_t(1) << 28)) fail(TIFException::erOutOfMemory);
                    ArrObj* arr = static_cast<ArrObj*>(a->p);
                    bool managed = t->elem->isManaged();
                    if (n == 0) {
                        release(arr);
                        a->p = nullptr;
                        NEXT();
                    }
                    if (!arr) {
                        if (n == 0) NEXT();
                        arr = new ArrObj(t->elem, managed);
                        a->p = arr;
                    } else if (arr->rc > 1) {
                        ArrObj* c = new ArrObj(t->elem, managed);
                        c->items = arr->items;
                        if (managed)
                            for (Slot& s : c->items) retain(s.p);
                        --arr->rc;
                        a->p = arr = c;
                    }
                    if (managed)
                        for (size_t k = size_t(n); k < arr->items.size(); ++k) release(arr->items[k].p);
                    arr->items.resize(size_t(n), Slot{.i = 0});
                    NEXT();
                }
                case Op::ARR_LIT: {
                    const TypeDesc* t = ch.typeTable[size_t(pc[0])];
                    int n = pc[1];
                    pc += 2;
                    auto* arr = new ArrObj(t->elem, t->elem->isManaged());
                    arr->items.assign(sp - n, sp);
                    sp -= n;
                    std::fill(&tag(sp), &tag(sp + n), uint8_t(0));
                    tag(sp) = 1;
                    (sp++)->p = arr;
                    NEXT();
                }
                case Op::AGG_TO_ARR: {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    Slot s = sp[-1];
                    auto* arr = new ArrObj(t->elem, t->elem->isManaged());
                    if (s.p)
                        arr->items = static_cast<AggObj*>(s.p)->slots;
                    else
                        arr->items.assign(size_t(t->slotCount()), Slot{.i = 0});
                    if (arr->managed)
                        for (Slot& x : arr->items) retain(x.p);
                    release(s.p);
                    sp[-1].p = arr;
                    NEXT();
                }
                case Op::JMP: {
                    int o = *pc++;
                    BRANCH(o);
                    NEXT();
                }
                case Op::JF: {
                    int o = *pc++;
                    if (!(--sp)->i) BRANCH(o);
                    NEXT();
                }
                case Op::JT: {
                    int o = *pc++;
                    if ((--sp)->i) BRANCH(o);
                    NEXT();
                }
                case Op::CALL: {
                    int p = *pc++;
                    if (ch.procs[size_t(p)].isExternal) {
                        callExternal(p, sp);
                        NEXT();
                    }
                    sp = enter(p, pc, sp, bp);
                    NEXT();
                }
                case Op::CALL_NATIVE: {
                    int n = *pc++;
                    callNative(ch.natives[size_t(n)].sig, m_natives[size_t(n)], sp, 0, nullptr, false);
                    NEXT();
                }
                case Op::CALL_METHOD: callMethod(*pc++, sp); NEXT();
                case Op::CALL_IND: {
                    ++pc;
                    int64_t v = (--sp)->i;
                    if (v == 0) fail(TIFException::erNullPointerException);
                    if (v > 0) {
                        if (ch.procs[size_t(v - 1)].isExternal)
                            callExternal(int(v - 1), sp);
                        else
                            sp = enter(int(v - 1), pc, sp, bp);
                    } else {
                        size_t n = size_t(-v - 1);
                        callNative(ch.natives[n].sig, m_natives[n], sp, 0, nullptr, false);
                    }
                    NEXT();
                }
                case Op::PROC_REF: (sp++)->i = *pc++; NEXT();
                case Op::RET: {
                    Frame f = m_frames.back();
                    const ProcInfo& info = ch.procs[size_t(f.proc)];
                    releaseFrame(f);
                    unpinTo(f.pins);
                    if (info.sig.result) {
                        f.bp[0] = f.bp[info.nParams];
                        tag(f.bp) = info.sig.result->isManaged();
                        sp = f.bp + 1;
                    } else {
                        sp = f.bp;
                    }
                    m_frames.pop_back();
                    if (m_frames.size() <= baseFrames) return;
                    pc = f.ret;
                    bp = m_frames.back().bp;
                    NEXT();
                }
                case Op::HALT: {
                    releaseFrame(m_frames.back());
                    unpinTo(m_frames.back().pins);
                    m_frames.pop_back();
                    return;
                }
                case Op::TRY_EXCEPT:
                case Op::TRY_FINALLY: {
                    bool fin = Op(pc[-1]) == Op::TRY_FINALLY;
                    m_handlers.push_back({fin, pc + *pc + 1, m_frames.size(), sp, m_pins.size()});
                    ++pc;
                    NEXT();
                }
                case Op::POP_HANDLER: {
                    bool fin = m_handlers.back().isFinally;
                    m_handlers.pop_back();
                    if (fin) m_pending.push_back({Pending::None, 0, nullptr, m_handlers.size()});
                    NEXT();
                }
                case Op::END_FINALLY: {
                    Pending p = m_pending.back();
                    m_pending.pop_back();
                    if (p.kind == Pending::Exception) {
                        m_reraise = true;
                        raising.emplace(m_exc.kind, m_exc.param);
                        goto raise_now;
                    }
                    if (p.kind == Pending::Leave) leave(p.remaining, p.target, pc);
                    NEXT();
                }
                case Op::END_EXCEPT: NEXT();
                case Op::LEAVE: {
                    int n = pc[0];
                    const int32_t* target = pc + pc[1] + 2;
                    leave(n, target, pc);
                    NEXT();
                }
                case Op::TO_VAR:
                    sp[-1] = toVariant(sp[-1], *pc++);
                    tag(sp - 1) = 1;
                    NEXT();
                case Op::FROM_VAR: {
                    int kind = *pc++;
                    tag(sp - 1) = 0;  // consumed even when the conversion fails
                    sp[-1] = fromVariant(sp[-1], kind);
                    tag(sp - 1) = kind == 0 || kind == 5;
                    NEXT();
                }
                case Op::VAR_OP: {
                    int op = *pc++;
                    Slot b = *--sp;
                    tag(sp) = 0;
                    tag(sp - 1) = 0;
                    sp[-1] = variantOp(op, sp[-1], b);
                    tag(sp - 1) = op < 9 || op > 14;
                    NEXT();
                }
                case Op::VAR_UN:
                    tag(sp - 1) = 0;
                    sp[-1] = variantUnary(*pc++, sp[-1]);
                    tag(sp - 1) = 1;
                    NEXT();
                case Op::GET_PROP: sp = getProperty(ch.props[size_t(*pc++)], sp); NEXT();
                case Op::SET_PROP: sp = setProperty(ch.props[size_t(*pc++)], sp); NEXT();
                case Op::ADD_I32K: sp[-1].i = int32_t(uint32_t(sp[-1].i) + uint32_t(*pc++)); NEXT();
                case Op::SUB_I32K: sp[-1].i = int32_t(uint32_t(sp[-1].i) - uint32_t(*pc++)); NEXT();
                case Op::MUL_I32K: sp[-1].i = int32_t(uint32_t(sp[-1].i) * uint32_t(*pc++)); NEXT();
                case Op::ADD_IK: sp[-1].i = int64_t(uint64_t(sp[-1].i) + uint64_t(int64_t(*pc++))); NEXT();
                case Op::SUB_IK: sp[-1].i = int64_t(uint64_t(sp[-1].i) - uint64_t(int64_t(*pc++))); NEXT();
                case Op::DIV_I32: {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = b == -1 ? int32_t(0 - uint32_t(sp[-1].i)) : sp[-1].i / b;
                    NEXT();
                }
                case Op::MOD_I32: {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = b == -1 ? 0 : sp[-1].i % b;
                    NEXT();
                }
                case Op::DIV_IK: sp[-1].i /= *pc++; NEXT();
                case Op::MOD_IK: sp[-1].i %= *pc++; NEXT();
                case Op::JF_EQ: {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i == sp[1].i)) BRANCH(o);
                    NEXT();
                }
                case Op::JF_NE: {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i != sp[1].i)) BRANCH(o);
                    NEXT();
                }
                case Op::JF_LT: {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i < sp[1].i)) BRANCH(o);
                    NEXT();
                }
                case Op::JF_LE: {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i <= sp[1].i)) BRANCH(o);
                    NEXT();
                }
                case Op::JF_GT: {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i > sp[1].i)) BRANCH(o);
                    NEXT();
                }
                case Op::JF_GE: {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i >= sp[1].i)) BRANCH(o);
                    NEXT();
                }
                case Op::JFK_EQ: {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i == k)) BRANCH(o);
                    NEXT();
                }
                case Op::JFK_NE: {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i != k)) BRANCH(o);
                    NEXT();
                }
                case Op::JFK_LT: {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i < k)) BRANCH(o);
                    NEXT();
                }
                case Op::JFK_LE: {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i <= k)) BRANCH(o);
                    NEXT();
                }
                case Op::JFK_GT: {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i > k)) BRANCH(o);
                    NEXT();
                }
                case Op::JFK_GE: {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i >= k)) BRANCH(o);
                    NEXT();
                }
                case Op::INC_G:
                    globals[pc[0]].i = int64_t(uint64_t(globals[pc[0]].i) + uint64_t(int64_t(pc[1])));
                    pc += 2;
                    NEXT();
                case Op::INC_G32:
                    globals[pc[0]].i = int32_t(uint32_t(globals[pc[0]].i) + uint32_t(pc[1]));
                    pc += 2;
                    NEXT();
                case Op::DYN_LOAD: {
                    int64_t i = (--sp)->i;
                    ArrObj* a = static_cast<ArrObj*>(sp[-1].a->p);
                    int64_t len = a ? int64_t(a->items.size()) : 0;
                    if (i < 0 || i >= len) indexError(i, len);
                    sp[-1] = a->items[size_t(i)];
                    NEXT();
                }
                case Op::INDEX_LOAD: {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    int64_t i = (--sp)->i;
                    if (i < t->low || i > t->high) indexError(i, t->high - t->low + 1);
                    AggObj* o = static_cast<AggObj*>(sp[-1].a->p);
                    sp[-1] = o ? o->slots[size_t(i - t->low)] : Slot{.i = 0};
                    NEXT();
                }
                case Op::FIELD_LOAD: {
                    AggObj* o = static_cast<AggObj*>(sp[-1].a->p);
                    sp[-1] = o ? o->slots[size_t(pc[1])] : Slot{.i = 0};
                    pc += 2;
                    NEXT();
                }
                case Op::LOAD_LL:
                    sp[0] = bp[pc[0]];
                    sp[1] = bp[pc[1]];
                    sp += 2;
                    pc += 2;
                    NEXT();
                case Op::LOAD_GG:
                    sp[0] = globals[pc[0]];
                    sp[1] = globals[pc[1]];
                    sp += 2;
                    pc += 2;
                    NEXT();
                case Op::ADDTO_L32:
                    bp[pc[0]].i = int32_t(uint32_t(bp[pc[0]].i) + uint32_t(bp[pc[1]].i));
                    pc += 2;
                    NEXT();
                case Op::ADDTO_G32:
                    globals[pc[0]].i = int32_t(uint32_t(globals[pc[0]].i) + uint32_t(globals[pc[1]].i));
                    pc += 2;
                    NEXT();
                case Op::DYN_ADDR_GG:
                    sp->a = dynElement(&globals[pc[0]], globals[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                case Op::DYN_ADDR_LL:
                    sp->a = dynElement(&bp[pc[0]], bp[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                case Op::DYN_ADDR_RL:
                    sp->a = dynElement(bp[pc[0]].a, bp[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                case Op::DYN_LOAD_GG:
                    *sp = *dynElement(&globals[pc[0]], globals[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                case Op::DYN_LOAD_LL:
                    *sp = *dynElement(&bp[pc[0]], bp[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                case Op::DYN_LOAD_RL:
                    *sp = *dynElement(bp[pc[0]].a, bp[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                case Op::STORE_IK: (--sp)->a->i = *pc++; NEXT();
                case Op::STORE_RI:
                    sp -= 2;
                    *sp[1].a = sp[0];
                    NEXT();
                case Op::STORE_RIM: {
                    sp -= 2;
                    HeapObj* old = sp[1].a->p;
                    *sp[1].a = sp[0];
                    tag(sp) = 0;
                    release(old);
                    NEXT();
                }
                case Op::STR_SETCHAR_R: {
                    sp -= 3;
                    Slot* a = sp[1].a;
                    int64_t i = sp[2].i;
                    if (i < 1 || i > int64_t(strOf(*a).size())) fail(TIFException::erOutOfRange);
                    uniqueStr(a)->s[size_t(i - 1)] = char(sp[0].i);
                    NEXT();
                }
                case Op::APPEND_L:
                case Op::APPEND_G: {
                    Slot* d = Op(pc[-1]) == Op::APPEND_L ? &bp[*pc] : &globals[*pc];
                    ++pc;
                    Slot b = *--sp;
                    tag(sp) = 0;
                    if (!b.p) NEXT();
                    if (!d->p) {
                        d->p = b.p;  // the popped reference moves into the variable
                        NEXT();
                    }
                    uniqueStr(d)->s += strOf(b);
                    release(b.p);
                    NEXT();
                }
                case Op::DYN_INDEX_PIN: {
                    int64_t i = (--sp)->i;
                    Slot* arr = sp[-1].a;
                    sp[-1].a = dynElement(arr, i);
                    retain(arr->p);
                    m_pins.push_back(arr->p);
                    NEXT();
                }
                case Op::UNPIN: unpinTo(m_pins.size() - size_t(*pc++)); NEXT();
                case Op::INDEX_ADDR_GG:
                case Op::INDEX_ADDR_LL: {
                    bool global = Op(pc[-1]) == Op::INDEX_ADDR_GG;
                    const TypeDesc* t = ch.typeTable[size_t(pc[0])];
                    Slot* arr = global ? &globals[pc[1]] : &bp[pc[1]];
                    int64_t i = global ? globals[pc[2]].i : bp[pc[2]].i;
                    pc += 3;
                    if (i < t->low || i > t->high) indexError(i, t->high - t->low + 1);
                    (sp++)->a = &uniqueAgg(arr, t)->slots[size_t(i - t->low)];
                    NEXT();
                }
                case Op::INDEX_LOAD_GG:
                case Op::INDEX_LOAD_LL: {
                    bool global = Op(pc[-1]) == Op::INDEX_LOAD_GG;
                    const TypeDesc* t = ch.typeTable[size_t(pc[0])];
                    Slot* arr = global ? &globals[pc[1]] : &bp[pc[1]];
                    int64_t i = global ? globals[pc[2]].i : bp[pc[2]].i;
                    pc += 3;
                    if (i < t->low || i > t->high) indexError(i, t->high - t->low + 1);
                    AggObj* o = static_cast<AggObj*>(arr->p);
                    *sp++ = o ? o->slots[size_t(i - t->low)] : Slot{.i = 0};
                    NEXT();
                }
                case Op::IS_CLASS: {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    sp[-1].i = isInstance(t, ObjectRef(sp[-1].i));
                    NEXT();
                }
                case Op::AS_CLASS: {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    ObjectRef obj = ObjectRef(sp[-1].i);
                    if (obj != 0 && !isInstance(t, obj)) fail(TIFException::erTypeMismatch);
                    NEXT();
                }
                case Op::RAISE: {
                    sp -= 2;
                    int64_t k = sp[0].i;
                    tag(sp + 1) = 0;
                    std::string param = strOf(sp[1]);
                    release(sp[1].p);
                    if (k < 0 || k >= kExceptionKinds) k = int64_t(TIFException::erCustomError);
                    raising.emplace(TIFException(k), std::move(param));
                    goto raise_now;
                }
                default: fail(TIFException::erInvalidOpcode);
                }
                continue;
            raise_now:
                if (!unwind(*raising, pc, sp, bp, baseFrames, baseSp)) {
                    ScriptException e = *raising;
                    raising.reset();
                    m_reraise = true;  // the handler below must keep the original position
                    throw e;
                }
                raising.reset();
            }
        } catch (const ScriptException& e) {
            if (!unwind(e, pc, sp, bp, baseFrames, baseSp)) throw;
        } catch (const std::bad_alloc&) {
            ScriptException e(TIFException::erOutOfMemory, "");
            if (!unwind(e, pc, sp, bp, baseFrames, baseSp)) throw e;
        } catch (const std::exception& err) {
            // Any other failure of native code becomes a script error, never a crash.
            ScriptException e(TIFException::erException, err.what());
            if (!unwind(e, pc, sp, bp, baseFrames, baseSp)) throw e;
        }
    }
}

}  // namespace script
