// The VM loop and the Executor facade.
#include "script/Vm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "script/Arith.h"
#include "script/Symbols.h"
#include "script/Variants.h"

namespace script {

namespace {

constexpr size_t kStackSlots = size_t(1) << 22;  // 32 MiB of address space, committed on use
constexpr size_t kRedZone = size_t(1) << 16;
const char* const kStepLimitText = "Execution limit exceeded";
const char* const kStringRangeText = "Out of string range";

// Out of line and without temporaries at the call sites: the dispatch loop then has no
// clean-up code on its error paths, which would cost it registers on the normal ones.
[[noreturn, gnu::noinline, gnu::cold]] void fail(TIFException k) { throw ScriptException(k, {}); }
[[noreturn, gnu::noinline, gnu::cold]] void fail(TIFException k, const char* p) {
    throw ScriptException(k, p);
}
[[noreturn, gnu::noinline, gnu::cold]] void fail(TIFException k, const std::string& p) {
    throw ScriptException(k, p);
}

[[gnu::noinline]] AggObj* cloneAgg(const AggObj* o) { return new AggObj(*o); }

// Copies s (null: the default value) into d element by element. Nested aggregates are
// copied into the objects d already has, so addresses into any level of d stay valid. With
// `steal`, s is about to be dropped and gives up its nested objects and strings instead.
void copyInto(AggObj* d, AggObj* s, bool steal) {
    const TypeDesc* t = d->type;
    for (size_t i = 0; i < d->slots.size(); ++i) {
        Slot& dst = d->slots[i];
        Slot v = s ? s->slots[i] : Slot{.i = 0};
        switch (t->managedSlots[i]) {
        case kAggregateSlot: {
            auto* dn = static_cast<AggObj*>(dst.p);
            auto* sn = static_cast<AggObj*>(v.p);
            if (dn == sn) break;
            if (dn && dn->rc > 1) {  // shared for a moment on the stack: detach first
                --dn->rc;
                dst.p = dn = cloneAgg(dn);
            }
            if (dn) {
                copyInto(dn, sn, steal && sn && sn->rc == 1);
            } else if (sn) {
                if (steal && sn->rc == 1) {
                    dst.p = sn;
                    s->slots[i].p = nullptr;
                } else {
                    dst.p = cloneAgg(sn);
                }
            }
            break;
        }
        case kManagedSlot:
            if (steal) {
                s->slots[i].p = dst.p;  // the old value goes with s
                dst = v;
            } else {
                retain(v.p);
                release(dst.p);
                dst = v;
            }
            break;
        default: dst = v; break;
        }
    }
}

// The assignment of records and static arrays: the value (an owned reference) is copied
// into the object the destination slot already holds.
void assignAgg(Slot* dst, HeapObj* value) {
    auto* d = static_cast<AggObj*>(dst->p);
    auto* v = static_cast<AggObj*>(value);
    if (d == v) {
        release(value);
        return;
    }
    if (!d) {
        if (v && v->rc > 1) {
            --v->rc;
            v = cloneAgg(v);
        }
        dst->p = v;
        return;
    }
    if (d->rc > 1) {
        --d->rc;
        dst->p = d = cloneAgg(d);
    }
    copyInto(d, v, v && v->rc == 1);
    release(value);
}

// Elements of a dynamic array copied into a new one: nested records and static arrays are
// copied, everything else shared.
void copyItems(std::vector<Slot>& to, const std::vector<Slot>& from, const TypeDesc* elem) {
    to = from;
    if (!elem->isManaged()) return;
    bool agg = elem->isAggregate();
    for (Slot& x : to) {
        if (agg && x.p)
            x.p = cloneAgg(static_cast<AggObj*>(x.p));
        else
            retain(x.p);
    }
}

// A shared or not yet created aggregate, made the slot's own (out of line: rare, and it allocates).
[[gnu::noinline]] AggObj* detachAgg(Slot* s, const TypeDesc* t) {
    auto* o = static_cast<AggObj*>(s->p);
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

inline AggObj* uniqueAgg(Slot* s, const TypeDesc* t) {
    auto* o = static_cast<AggObj*>(s->p);
    if (o && o->rc == 1) [[likely]]
        return o;
    return detachAgg(s, t);
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

const SetObj kEmptySet;

const SetObj& setOf(Slot v) { return v.p ? *static_cast<SetObj*>(v.p) : kEmptySet; }

[[gnu::noinline]] HeapObj* joinedStr(Slot a, Slot b) { return new StrObj(strOf(a) + strOf(b)); }

[[noreturn]] void indexError(int64_t i, int64_t len) {
    fail(TIFException::erOutOfRange,
         "Array index out of bounds (" + std::to_string(i) + "). Length is " + std::to_string(len) + ".");
}

[[noreturn]] void staticIndexError(int64_t i, const TypeDesc* t) {
    fail(TIFException::erOutOfRange, "Static array index out of bounds (" + std::to_string(i) +
                                         "). Length is " + std::to_string(t->high - t->low + 1) + ".");
}

[[noreturn]] void stringIndexError() { fail(TIFException::erOutOfRange, kStringRangeText); }

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
    for (size_t i = 0; i < slots.size(); ++i) {
        if (type->managedSlots[i] == kAggregateSlot && slots[i].p)
            slots[i].p = new AggObj(*static_cast<AggObj*>(slots[i].p));
        else if (type->managedSlots[i])
            retain(slots[i].p);
    }
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

[[gnu::always_inline]] inline Slot* Vm::enter(int proc, const int32_t*& pc, Slot* sp, Slot*& bp) {
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

const int32_t* Vm::leave(int remaining, const int32_t* target) {
    while (remaining > 0) {
        Handler h = m_handlers.back();
        m_handlers.pop_back();
        --remaining;
        if (h.isFinally) {
            m_pending.push_back({Pending::Leave, remaining, target, m_handlers.size()});
            return h.target;
        }
    }
    return target;
}

// The address of field f of the aggregate (of type table entry t) whose slot is at s.
inline Slot* Vm::fieldAddress(Slot* s, int t, int f) {
    auto* o = static_cast<AggObj*>(s->p);
    if (!(o && o->rc == 1)) [[unlikely]]
        o = detachAgg(s, m_chunk->typeTable[size_t(t)]);
    return &o->slots[size_t(f)];
}

// Calls the dispatch loop makes out of line and by value, so that it stays free of clean-up
// code and its pc and sp stay in registers.
[[gnu::noinline]] Slot* Vm::nativeCall(const ProcSig& sig, const NativeTarget& t, Slot* sp) {
    callNative(sig, t, sp, 0, nullptr, false);
    return sp;
}

[[gnu::noinline]] Slot* Vm::methodCall(int n, Slot* sp) {
    callMethod(n, sp);
    return sp;
}

[[gnu::noinline]] Slot* Vm::externalCall(int proc, Slot* sp) {
    callExternal(proc, sp);
    return sp;
}

// RaiseException(kind, text) from the script; args are the two popped slots.
[[gnu::noinline]] void Vm::prepareRaise(Slot* args) {
    int64_t k = args[0].i;
    tag(args + 1) = 0;
    std::string param = strOf(args[1]);
    release(args[1].p);
    if (k < 0 || k >= kExceptionKinds) k = int64_t(TIFException::erCustomError);
    m_raising.emplace(TIFException(k), std::move(param));
}

[[noreturn, gnu::noinline]] void Vm::throwRaising() {
    ScriptException e = *m_raising;
    m_raising.reset();
    m_reraise = true;  // the handler in execute() must keep the original position
    throw e;
}

// With VANTREL_THREADED_DISPATCH every instruction jumps straight to the next one's code
// through a table of label addresses (a GCC and Clang extension), saving the jump back to
// one shared switch; otherwise the switch dispatches. Either way the loop first publishes
// where the instruction starts, for execute()'s error handling.
#if VANTREL_THREADED_DISPATCH
#define CASE(name) L_##name : case Op::name
#define NEXT()                                     \
    do {                                           \
        regs.pc = pc;                              \
        regs.sp = sp;                              \
        uint32_t next = uint32_t(*pc++);           \
        if (next >= kOpCount) goto invalid_opcode; \
        goto* kDispatch[next];                     \
    } while (0)
#else
#define CASE(name) case Op::name
#define NEXT() break
#endif
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

// The dispatch loop keeps pc, sp and bp in registers: it has no exception handler of its own
// (a handler's edges, or a register whose address escapes, would keep them in memory and
// every instruction would pay for it). It publishes where each instruction starts, and
// execute() unwinds from there when an instruction or a native routine throws.
void Vm::execute(const int32_t* pc, Slot* sp, size_t baseFrames, Slot* baseSp) {
    Regs saved = m_regs;  // an outer activation's, when a native routine calls back in
    Regs& r = m_regs;
    r = {pc, sp, m_frames.back().bp};
    struct Restore {
        Regs& r;
        Regs saved;
        ~Restore() { r = saved; }
    } restore{r, saved};
    for (;;) {
        try {
            dispatch(baseFrames, baseSp);
            return;
        } catch (const ScriptException& e) {
            if (!unwindFrom(e, r, baseFrames, baseSp)) throw;
        } catch (const std::bad_alloc&) {
            ScriptException e(TIFException::erOutOfMemory, "");
            if (!unwindFrom(e, r, baseFrames, baseSp)) throw e;
        } catch (const std::exception& err) {
            // Any other failure of native code becomes a script error, never a crash.
            ScriptException e(TIFException::erException, err.what());
            if (!unwindFrom(e, r, baseFrames, baseSp)) throw e;
        }
    }
}

bool Vm::unwindFrom(const ScriptException& e, Regs& r, size_t baseFrames, Slot* baseSp) {
    const int32_t* pc = r.pc + 1;  // just past the failing instruction's opcode
    if (!unwind(e, pc, r.sp, r.bp, baseFrames, baseSp)) return false;
    r.pc = pc;  // the handler's code
    return true;
}

void Vm::dispatch(size_t baseFrames, Slot* baseSp) {
    Regs& regs = m_regs;
    const int32_t* pc = regs.pc;
    Slot* sp = regs.sp;
    Slot* bp = regs.bp;
    Slot* globals = m_globals.data();
    const Chunk& ch = *m_chunk;
#if VANTREL_THREADED_DISPATCH
    static const void* const kDispatch[] = {
#define OP(name, n, doc) &&L_##name,
#include "script/Opcodes.def"
#undef OP
    };
    constexpr uint32_t kOpCount = sizeof(kDispatch) / sizeof(kDispatch[0]);
#endif
    for (;;) {
        {
            for (;;) {
                regs.pc = pc;
                regs.sp = sp;
                // CASE() is a case label clang-format does not know
                // clang-format off
                switch (Op(*pc++)) {
                CASE(NOP): NEXT();
                CASE(PUSH_INT): (sp++)->i = *pc++; NEXT();
                CASE(PUSH_CONST): {
                    int c = *pc++;
                    *sp = ch.constants[size_t(c)];
                    if (ch.constManaged[size_t(c)]) {
                        retain(sp->p);
                        tag(sp) = 1;
                    }
                    ++sp;
                    NEXT();
                }
                CASE(PUSH_NIL): (sp++)->i = 0; NEXT();
                CASE(POP): --sp; NEXT();
                CASE(POP_M):
                    release((--sp)->p);
                    tag(sp) = 0;
                    NEXT();
                CASE(DUP):
                    *sp = sp[-1];
                    ++sp;
                    NEXT();
                CASE(SWAP):
                    std::swap(sp[-1], sp[-2]);
                    std::swap(tag(sp - 1), tag(sp - 2));
                    NEXT();
                CASE(LOAD_L): *sp++ = bp[*pc++]; NEXT();
                CASE(LOAD_LM):
                    *sp = bp[*pc++];
                    retain(sp->p);
                    tag(sp) = 1;
                    ++sp;
                    NEXT();
                CASE(STORE_L): bp[*pc++] = *--sp; NEXT();
                CASE(STORE_LM): {
                    Slot& d = bp[*pc++];
                    HeapObj* old = d.p;
                    d = *--sp;
                    tag(sp) = 0;
                    release(old);
                    NEXT();
                }
                CASE(LOAD_G): *sp++ = globals[*pc++]; NEXT();
                CASE(LOAD_GM):
                    *sp = globals[*pc++];
                    retain(sp->p);
                    tag(sp) = 1;
                    ++sp;
                    NEXT();
                CASE(STORE_G): globals[*pc++] = *--sp; NEXT();
                CASE(STORE_GM): {
                    Slot& d = globals[*pc++];
                    HeapObj* old = d.p;
                    d = *--sp;
                    tag(sp) = 0;
                    release(old);
                    NEXT();
                }
                CASE(ADDR_L): (sp++)->a = &bp[*pc++]; NEXT();
                CASE(ADDR_G): (sp++)->a = &globals[*pc++]; NEXT();
                CASE(LOAD_I): sp[-1] = *sp[-1].a; NEXT();
                CASE(LOAD_IM):
                    sp[-1] = *sp[-1].a;
                    retain(sp[-1].p);
                    tag(sp - 1) = 1;
                    NEXT();
                CASE(STORE_I):
                    sp -= 2;
                    *sp[0].a = sp[1];
                    NEXT();
                CASE(STORE_IM): {
                    sp -= 2;
                    HeapObj* old = sp[0].a->p;
                    *sp[0].a = sp[1];
                    tag(sp + 1) = 0;
                    release(old);
                    NEXT();
                }
                CASE(FIELD_ADDR): {
                    sp[-1].a = fieldAddress(sp[-1].a, pc[0], pc[1]);
                    pc += 2;
                    NEXT();
                }
                CASE(INDEX_ADDR): {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    int64_t i = (--sp)->i;
                    if (i < t->low || i > t->high) staticIndexError(i, t);
                    AggObj* o = uniqueAgg(sp[-1].a, t);
                    sp[-1].a = &o->slots[size_t(i - t->low)];
                    NEXT();
                }
                CASE(DYN_INDEX_ADDR): {
                    int64_t i = (--sp)->i;
                    ArrObj* a = static_cast<ArrObj*>(sp[-1].a->p);
                    int64_t len = a ? int64_t(a->items.size()) : 0;
                    if (i < 0 || i >= len) indexError(i, len);
                    sp[-1].a = &a->items[size_t(i)];
                    NEXT();
                }
                CASE(STR_CHAR): {
                    int64_t i = (--sp)->i;
                    const std::string& s = strOf(*sp[-1].a);
                    if (i < 1 || i > int64_t(s.size())) stringIndexError();
                    sp[-1].i = uint8_t(s[size_t(i - 1)]);
                    NEXT();
                }
                CASE(STR_SETCHAR): {
                    sp -= 3;
                    int64_t i = sp[1].i;
                    Slot* a = sp[0].a;
                    if (i < 1 || i > int64_t(strOf(*a).size())) stringIndexError();
                    uniqueStr(a)->s[size_t(i - 1)] = char(sp[2].i);
                    NEXT();
                }
                CASE(ADD_I): BIN_I(arith::add(a, b, IntKind::Int64));
                CASE(SUB_I): BIN_I(arith::sub(a, b, IntKind::Int64));
                CASE(MUL_I): BIN_I(arith::mul(a, b, IntKind::Int64));
                CASE(ADD_I32): BIN_I(arith::add(a, b, IntKind::Integer));
                CASE(SUB_I32): BIN_I(arith::sub(a, b, IntKind::Integer));
                CASE(MUL_I32): BIN_I(arith::mul(a, b, IntKind::Integer));
                CASE(DIV_I): {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = arith::div(sp[-1].i, b, IntKind::Int64);
                    NEXT();
                }
                CASE(MOD_I): {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = arith::mod(sp[-1].i, b, IntKind::Int64);
                    NEXT();
                }
                CASE(DIV_U): {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = arith::div(sp[-1].i, b, IntKind::UInt64);
                    NEXT();
                }
                CASE(MOD_U): {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = arith::mod(sp[-1].i, b, IntKind::UInt64);
                    NEXT();
                }
                CASE(AND_I): BIN_I(a & b);
                CASE(OR_I): BIN_I(a | b);
                CASE(XOR_I): BIN_I(a ^ b);
                CASE(SHL_I): BIN_I(arith::shl(a, b, IntKind::Int64));
                CASE(SHR_I): BIN_I(arith::shr(a, b, IntKind::Int64));
                CASE(NEG_I): sp[-1].i = arith::neg(sp[-1].i, IntKind::Int64); NEXT();
                CASE(NOT_I): sp[-1].i = ~sp[-1].i; NEXT();
                CASE(NOT_B): sp[-1].i = !sp[-1].i; NEXT();
                CASE(ABS_I): sp[-1].i = sp[-1].i < 0 ? int64_t(0 - uint64_t(sp[-1].i)) : sp[-1].i; NEXT();
                CASE(ABS_F): sp[-1].d = std::fabs(sp[-1].d); NEXT();
                CASE(WRAP): sp[-1].i = arith::wrap(sp[-1].i, IntKind(*pc++)); NEXT();
                CASE(INC_L):
                    bp[pc[0]].i = int64_t(uint64_t(bp[pc[0]].i) + uint64_t(int64_t(pc[1])));
                    pc += 2;
                    NEXT();
                CASE(INC_L32):
                    bp[pc[0]].i = int32_t(uint32_t(bp[pc[0]].i) + uint32_t(pc[1]));
                    pc += 2;
                    NEXT();
                CASE(EQ_I): BIN_I(a == b);
                CASE(NE_I): BIN_I(a != b);
                CASE(LT_I): BIN_I(a < b);
                CASE(LE_I): BIN_I(a <= b);
                CASE(GT_I): BIN_I(a > b);
                CASE(GE_I): BIN_I(a >= b);
                CASE(LT_U): BIN_I(uint64_t(a) < uint64_t(b));
                CASE(LE_U): BIN_I(uint64_t(a) <= uint64_t(b));
                CASE(GT_U): BIN_I(uint64_t(a) > uint64_t(b));
                CASE(GE_U): BIN_I(uint64_t(a) >= uint64_t(b));
                CASE(JLE_LL): pc += bp[pc[0]].i <= bp[pc[1]].i ? pc[2] + 3 : 3; NEXT();
                CASE(JGE_LL): pc += bp[pc[0]].i >= bp[pc[1]].i ? pc[2] + 3 : 3; NEXT();
                CASE(JLE_LG): pc += bp[pc[0]].i <= globals[pc[1]].i ? pc[2] + 3 : 3; NEXT();
                CASE(ADD_F): BIN_F(a + b);
                CASE(SUB_F): BIN_F(a - b);
                CASE(MUL_F): BIN_F(a * b);
                CASE(DIV_F):
                    if (sp[-1].d == 0) fail(TIFException::erDivideByZero);
                    BIN_F(a / b);
                CASE(NEG_F): sp[-1].d = -sp[-1].d; NEXT();
                CASE(EQ_F): CMP_F(a == b);
                CASE(NE_F): CMP_F(a != b);
                CASE(LT_F): CMP_F(a < b);
                CASE(LE_F): CMP_F(a <= b);
                CASE(GT_F): CMP_F(a > b);
                CASE(GE_F): CMP_F(a >= b);
                CASE(I2F): sp[-1].d = double(sp[-1].i); NEXT();
                CASE(I2F_U): sp[-2].d = double(sp[-2].i); NEXT();
                CASE(U2F): sp[-1].d = double(uint64_t(sp[-1].i)); NEXT();
                CASE(F2SINGLE): sp[-1].d = double(float(sp[-1].d)); NEXT();
                CASE(F2CURR): sp[-1].d = std::nearbyint(sp[-1].d * 10000.0) / 10000.0; NEXT();
                CASE(CONCAT_S): {
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
                            HeapObj* n = joinedStr(sa, sb);
                            release(sa.p);
                            sa.p = n;
                        }
                        release(sb.p);
                    }
                    NEXT();
                }
                CASE(EQ_S): CMP_S(c == 0);
                CASE(NE_S): CMP_S(c != 0);
                CASE(LT_S): CMP_S(c < 0);
                CASE(LE_S): CMP_S(c <= 0);
                CASE(GT_S): CMP_S(c > 0);
                CASE(GE_S): CMP_S(c >= 0);
                CASE(C2S):
                    sp[-1].p = new StrObj(std::string(1, char(sp[-1].i)));
                    tag(sp - 1) = 1;
                    NEXT();
                CASE(C2S_U):
                    sp[-2].p = new StrObj(std::string(1, char(sp[-2].i)));
                    tag(sp - 2) = 1;
                    NEXT();
                CASE(S2C): {
                    Slot s = sp[-1];
                    if (strOf(s).size() != 1) fail(TIFException::erTypeMismatch);
                    sp[-1].i = uint8_t(strOf(s)[0]);
                    tag(sp - 1) = 0;
                    release(s.p);
                    NEXT();
                }
                CASE(SET_NEW):
                    tag(sp) = 1;
                    (sp++)->p = new SetObj;
                    NEXT();
                CASE(SET_ADD): {
                    int64_t e = (--sp)->i;
                    if (e < 0 || e > 255) fail(TIFException::erOutOfRange);
                    static_cast<SetObj*>(sp[-1].p)->set(e);
                    NEXT();
                }
                CASE(SET_RANGE): {
                    sp -= 2;
                    int64_t lo = sp[0].i, hi = sp[1].i;
                    if (lo <= hi && (lo < 0 || hi > 255)) fail(TIFException::erOutOfRange);
                    for (int64_t e = lo; e <= hi; ++e) static_cast<SetObj*>(sp[-1].p)->set(e);
                    NEXT();
                }
                CASE(SET_IN): {
                    Slot s = *--sp;
                    tag(sp) = 0;
                    sp[-1].i = setOf(s).test(sp[-1].i);
                    release(s.p);
                    NEXT();
                }
                CASE(SET_UNION):
                    SET_BIN(auto* r = new SetObj;
                            for (int k = 0; k < 4; ++k) r->bits[k] = a.bits[k] | b.bits[k]; sp[-1].p = r);
                CASE(SET_DIFF):
                    SET_BIN(auto* r = new SetObj;
                            for (int k = 0; k < 4; ++k) r->bits[k] = a.bits[k] & ~b.bits[k]; sp[-1].p = r);
                CASE(SET_INTER):
                    SET_BIN(auto* r = new SetObj;
                            for (int k = 0; k < 4; ++k) r->bits[k] = a.bits[k] & b.bits[k]; sp[-1].p = r);
                CASE(SET_EQ):
                    SET_BIN(sp[-1].i = std::memcmp(a.bits, b.bits, sizeof a.bits) == 0; tag(sp - 1) = 0);
                CASE(SET_NE):
                    SET_BIN(sp[-1].i = std::memcmp(a.bits, b.bits, sizeof a.bits) != 0; tag(sp - 1) = 0);
                CASE(SET_LE):
                    SET_BIN(bool r = true; for (int k = 0; k < 4; ++k) r = r && !(a.bits[k] & ~b.bits[k]);
                            sp[-1].i = r; tag(sp - 1) = 0);
                CASE(SET_GE):
                    SET_BIN(bool r = true; for (int k = 0; k < 4; ++k) r = r && !(b.bits[k] & ~a.bits[k]);
                            sp[-1].i = r; tag(sp - 1) = 0);
                CASE(SET_INCL): {
                    sp -= 2;
                    int64_t e = sp[1].i;
                    SetObj* s = uniqueSet(sp[0].a);
                    if (*pc++)
                        s->set(e);
                    else
                        s->reset(e);
                    NEXT();
                }
                CASE(AGG_EQ):
                CASE(AGG_NE): {
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
                CASE(STR_LEN): {
                    HeapObj* s = sp[-1].p;
                    sp[-1].i = s ? int64_t(static_cast<StrObj*>(s)->s.size()) : 0;
                    tag(sp - 1) = 0;
                    release(s);
                    NEXT();
                }
                CASE(ARR_LEN): {
                    HeapObj* s = sp[-1].p;
                    sp[-1].i = s ? int64_t(static_cast<ArrObj*>(s)->items.size()) : 0;
                    tag(sp - 1) = 0;
                    release(s);
                    NEXT();
                }
                CASE(STR_SETLEN): {
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
                CASE(ARR_SETLEN): {
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
                        copyItems(c->items, arr->items, t->elem);
                        --arr->rc;
                        a->p = arr = c;
                    }
                    if (managed)
                        for (size_t k = size_t(n); k < arr->items.size(); ++k) release(arr->items[k].p);
                    arr->items.resize(size_t(n), Slot{.i = 0});
                    NEXT();
                }
                CASE(ARR_LIT): {
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
                CASE(AGG_TO_ARR): {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    Slot s = sp[-1];
                    auto* arr = new ArrObj(t->elem, t->elem->isManaged());
                    if (s.p) {
                        copyItems(arr->items, static_cast<AggObj*>(s.p)->slots, t->elem);
                    } else {
                        arr->items.assign(size_t(t->slotCount()), Slot{.i = 0});
                    }
                    release(s.p);
                    sp[-1].p = arr;
                    NEXT();
                }
                CASE(JMP): {
                    int o = *pc++;
                    BRANCH(o);
                    NEXT();
                }
                CASE(JF): {
                    int o = *pc++;
                    if (!(--sp)->i) BRANCH(o);
                    NEXT();
                }
                CASE(JT): {
                    int o = *pc++;
                    if ((--sp)->i) BRANCH(o);
                    NEXT();
                }
                CASE(CALL): {
                    int p = *pc++;
                    if (ch.procs[size_t(p)].isExternal) {
                        sp = externalCall(p, sp);
                        NEXT();
                    }
                    sp = enter(p, pc, sp, bp);
                    regs.bp = bp;
                    NEXT();
                }
                CASE(CALL_NATIVE): {
                    int n = *pc++;
                    sp = nativeCall(ch.natives[size_t(n)].sig, m_natives[size_t(n)], sp);
                    NEXT();
                }
                CASE(CALL_METHOD): sp = methodCall(*pc++, sp); NEXT();
                CASE(CALL_IND): {
                    ++pc;
                    int64_t v = (--sp)->i;
                    if (v == 0) fail(TIFException::erNullPointerException);
                    if (v > 0) {
                        if (ch.procs[size_t(v - 1)].isExternal) {
                            sp = externalCall(int(v - 1), sp);
                        } else {
                            sp = enter(int(v - 1), pc, sp, bp);
                            regs.bp = bp;
                        }
                    } else {
                        size_t n = size_t(-v - 1);
                        sp = nativeCall(ch.natives[n].sig, m_natives[n], sp);
                    }
                    NEXT();
                }
                CASE(PROC_REF): (sp++)->i = *pc++; NEXT();
                CASE(RET): {
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
                    bp = regs.bp = m_frames.back().bp;
                    NEXT();
                }
                CASE(HALT): {
                    releaseFrame(m_frames.back());
                    unpinTo(m_frames.back().pins);
                    m_frames.pop_back();
                    return;
                }
                CASE(TRY_EXCEPT):
                CASE(TRY_FINALLY): {
                    bool fin = Op(pc[-1]) == Op::TRY_FINALLY;
                    m_handlers.push_back({fin, pc + *pc + 1, m_frames.size(), sp, m_pins.size()});
                    ++pc;
                    NEXT();
                }
                CASE(POP_HANDLER): {
                    bool fin = m_handlers.back().isFinally;
                    m_handlers.pop_back();
                    if (fin) m_pending.push_back({Pending::None, 0, nullptr, m_handlers.size()});
                    NEXT();
                }
                CASE(END_FINALLY): {
                    Pending p = m_pending.back();
                    m_pending.pop_back();
                    if (p.kind == Pending::Exception) {
                        m_reraise = true;
                        m_raising.emplace(m_exc.kind, m_exc.param);
                        goto raise_now;
                    }
                    if (p.kind == Pending::Leave) pc = leave(p.remaining, p.target);
                    NEXT();
                }
                CASE(END_EXCEPT): NEXT();
                CASE(LEAVE): {
                    int n = pc[0];
                    pc = leave(n, pc + pc[1] + 2);
                    NEXT();
                }
                CASE(TO_VAR):
                    sp[-1] = toVariant(sp[-1], *pc++);
                    tag(sp - 1) = 1;
                    NEXT();
                CASE(FROM_VAR): {
                    int kind = *pc++;
                    tag(sp - 1) = 0;  // consumed even when the conversion fails
                    sp[-1] = fromVariant(sp[-1], kind);
                    tag(sp - 1) = kind == 0 || kind == 5;
                    NEXT();
                }
                CASE(VAR_OP): {
                    int op = *pc++;
                    Slot b = *--sp;
                    tag(sp) = 0;
                    tag(sp - 1) = 0;
                    sp[-1] = variantOp(op, sp[-1], b);
                    tag(sp - 1) = op < 9 || op > 14;
                    NEXT();
                }
                CASE(VAR_UN):
                    tag(sp - 1) = 0;
                    sp[-1] = variantUnary(*pc++, sp[-1]);
                    tag(sp - 1) = 1;
                    NEXT();
                CASE(GET_PROP): sp = getProperty(ch.props[size_t(*pc++)], sp); NEXT();
                CASE(SET_PROP): sp = setProperty(ch.props[size_t(*pc++)], sp); NEXT();
                CASE(ADD_I32K): sp[-1].i = int32_t(uint32_t(sp[-1].i) + uint32_t(*pc++)); NEXT();
                CASE(SUB_I32K): sp[-1].i = int32_t(uint32_t(sp[-1].i) - uint32_t(*pc++)); NEXT();
                CASE(MUL_I32K): sp[-1].i = int32_t(uint32_t(sp[-1].i) * uint32_t(*pc++)); NEXT();
                CASE(ADD_IK): sp[-1].i = int64_t(uint64_t(sp[-1].i) + uint64_t(int64_t(*pc++))); NEXT();
                CASE(SUB_IK): sp[-1].i = int64_t(uint64_t(sp[-1].i) - uint64_t(int64_t(*pc++))); NEXT();
                CASE(DIV_I32): {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = arith::div(sp[-1].i, b, IntKind::Integer);
                    NEXT();
                }
                CASE(MOD_I32): {
                    int64_t b = (--sp)->i;
                    if (b == 0) fail(TIFException::erDivideByZero);
                    sp[-1].i = arith::mod(sp[-1].i, b, IntKind::Integer);
                    NEXT();
                }
                CASE(DIV_IK): sp[-1].i /= *pc++; NEXT();
                CASE(MOD_IK): sp[-1].i %= *pc++; NEXT();
                CASE(JF_EQ): {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i == sp[1].i)) BRANCH(o);
                    NEXT();
                }
                CASE(JF_NE): {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i != sp[1].i)) BRANCH(o);
                    NEXT();
                }
                CASE(JF_LT): {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i < sp[1].i)) BRANCH(o);
                    NEXT();
                }
                CASE(JF_LE): {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i <= sp[1].i)) BRANCH(o);
                    NEXT();
                }
                CASE(JF_GT): {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i > sp[1].i)) BRANCH(o);
                    NEXT();
                }
                CASE(JF_GE): {
                    int o = *pc++;
                    sp -= 2;
                    if (!(sp[0].i >= sp[1].i)) BRANCH(o);
                    NEXT();
                }
                CASE(JFK_EQ): {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i == k)) BRANCH(o);
                    NEXT();
                }
                CASE(JFK_NE): {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i != k)) BRANCH(o);
                    NEXT();
                }
                CASE(JFK_LT): {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i < k)) BRANCH(o);
                    NEXT();
                }
                CASE(JFK_LE): {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i <= k)) BRANCH(o);
                    NEXT();
                }
                CASE(JFK_GT): {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i > k)) BRANCH(o);
                    NEXT();
                }
                CASE(JFK_GE): {
                    int k = pc[0], o = pc[1];
                    pc += 2;
                    --sp;
                    if (!(sp->i >= k)) BRANCH(o);
                    NEXT();
                }
                CASE(INC_G):
                    globals[pc[0]].i = int64_t(uint64_t(globals[pc[0]].i) + uint64_t(int64_t(pc[1])));
                    pc += 2;
                    NEXT();
                CASE(INC_G32):
                    globals[pc[0]].i = int32_t(uint32_t(globals[pc[0]].i) + uint32_t(pc[1]));
                    pc += 2;
                    NEXT();
                CASE(DYN_LOAD): {
                    int64_t i = (--sp)->i;
                    ArrObj* a = static_cast<ArrObj*>(sp[-1].a->p);
                    int64_t len = a ? int64_t(a->items.size()) : 0;
                    if (i < 0 || i >= len) indexError(i, len);
                    sp[-1] = a->items[size_t(i)];
                    NEXT();
                }
                CASE(INDEX_LOAD): {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    int64_t i = (--sp)->i;
                    if (i < t->low || i > t->high) staticIndexError(i, t);
                    AggObj* o = static_cast<AggObj*>(sp[-1].a->p);
                    sp[-1] = o ? o->slots[size_t(i - t->low)] : Slot{.i = 0};
                    NEXT();
                }
                CASE(FIELD_LOAD): {
                    AggObj* o = static_cast<AggObj*>(sp[-1].a->p);
                    sp[-1] = o ? o->slots[size_t(pc[1])] : Slot{.i = 0};
                    pc += 2;
                    NEXT();
                }
                CASE(LOAD_LL):
                    sp[0] = bp[pc[0]];
                    sp[1] = bp[pc[1]];
                    sp += 2;
                    pc += 2;
                    NEXT();
                CASE(LOAD_GG):
                    sp[0] = globals[pc[0]];
                    sp[1] = globals[pc[1]];
                    sp += 2;
                    pc += 2;
                    NEXT();
                CASE(ADDTO_L32):
                    bp[pc[0]].i = int32_t(uint32_t(bp[pc[0]].i) + uint32_t(bp[pc[1]].i));
                    pc += 2;
                    NEXT();
                CASE(ADDTO_G32):
                    globals[pc[0]].i = int32_t(uint32_t(globals[pc[0]].i) + uint32_t(globals[pc[1]].i));
                    pc += 2;
                    NEXT();
                CASE(DYN_ADDR_GG):
                    sp->a = dynElement(&globals[pc[0]], globals[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                CASE(DYN_ADDR_LL):
                    sp->a = dynElement(&bp[pc[0]], bp[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                CASE(DYN_ADDR_RL):
                    sp->a = dynElement(bp[pc[0]].a, bp[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                CASE(DYN_LOAD_GG):
                    *sp = *dynElement(&globals[pc[0]], globals[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                CASE(DYN_LOAD_LL):
                    *sp = *dynElement(&bp[pc[0]], bp[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                CASE(DYN_LOAD_RL):
                    *sp = *dynElement(bp[pc[0]].a, bp[pc[1]].i);
                    ++sp;
                    pc += 2;
                    NEXT();
                CASE(STORE_IK): (--sp)->a->i = *pc++; NEXT();
                CASE(STORE_RI):
                    sp -= 2;
                    *sp[1].a = sp[0];
                    NEXT();
                CASE(STORE_RIM): {
                    sp -= 2;
                    HeapObj* old = sp[1].a->p;
                    *sp[1].a = sp[0];
                    tag(sp) = 0;
                    release(old);
                    NEXT();
                }
                CASE(STR_SETCHAR_R): {
                    sp -= 3;
                    Slot* a = sp[1].a;
                    int64_t i = sp[2].i;
                    if (i < 1 || i > int64_t(strOf(*a).size())) stringIndexError();
                    uniqueStr(a)->s[size_t(i - 1)] = char(sp[0].i);
                    NEXT();
                }
                CASE(APPEND_L):
                CASE(APPEND_G): {
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
                CASE(DYN_INDEX_PIN): {
                    int64_t i = (--sp)->i;
                    Slot* arr = sp[-1].a;
                    sp[-1].a = dynElement(arr, i);
                    retain(arr->p);
                    m_pins.push_back(arr->p);
                    NEXT();
                }
                CASE(UNPIN): unpinTo(m_pins.size() - size_t(*pc++)); NEXT();
                CASE(INDEX_ADDR_GG):
                CASE(INDEX_ADDR_LL): {
                    bool global = Op(pc[-1]) == Op::INDEX_ADDR_GG;
                    const TypeDesc* t = ch.typeTable[size_t(pc[0])];
                    Slot* arr = global ? &globals[pc[1]] : &bp[pc[1]];
                    int64_t i = global ? globals[pc[2]].i : bp[pc[2]].i;
                    pc += 3;
                    if (i < t->low || i > t->high) staticIndexError(i, t);
                    (sp++)->a = &uniqueAgg(arr, t)->slots[size_t(i - t->low)];
                    NEXT();
                }
                CASE(INDEX_LOAD_GG):
                CASE(INDEX_LOAD_LL): {
                    bool global = Op(pc[-1]) == Op::INDEX_LOAD_GG;
                    const TypeDesc* t = ch.typeTable[size_t(pc[0])];
                    Slot* arr = global ? &globals[pc[1]] : &bp[pc[1]];
                    int64_t i = global ? globals[pc[2]].i : bp[pc[2]].i;
                    pc += 3;
                    if (i < t->low || i > t->high) staticIndexError(i, t);
                    AggObj* o = static_cast<AggObj*>(arr->p);
                    *sp++ = o ? o->slots[size_t(i - t->low)] : Slot{.i = 0};
                    NEXT();
                }
                CASE(IS_CLASS): {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    sp[-1].i = isInstance(t, ObjectRef(sp[-1].i));
                    NEXT();
                }
                CASE(AS_CLASS): {
                    const TypeDesc* t = ch.typeTable[size_t(*pc++)];
                    ObjectRef obj = ObjectRef(sp[-1].i);
                    if (obj != 0 && !isInstance(t, obj)) fail(TIFException::erTypeMismatch);
                    NEXT();
                }
                CASE(SHL_I32): BIN_I(arith::shl(a, b, IntKind::Integer));
                CASE(SHR_I32): BIN_I(arith::shr(a, b, IntKind::Integer));
                CASE(SHL_W):
                CASE(SHR_W): {
                    bool left = Op(pc[-1]) == Op::SHL_W;
                    IntKind k = IntKind(*pc++);
                    int64_t b = (--sp)->i;
                    sp[-1].i = left ? arith::shl(sp[-1].i, b, k) : arith::shr(sp[-1].i, b, k);
                    NEXT();
                }
                CASE(AND_IK): sp[-1].i &= *pc++; NEXT();
                CASE(OR_IK): sp[-1].i |= *pc++; NEXT();
                CASE(XOR_IK): sp[-1].i ^= *pc++; NEXT();
                CASE(SHL_I32K): sp[-1].i = arith::shl(sp[-1].i, *pc++, IntKind::Integer); NEXT();
                CASE(SHR_I32K): sp[-1].i = arith::shr(sp[-1].i, *pc++, IntKind::Integer); NEXT();
#define JFK_VAR(op, base, cmp)     \
    CASE(op): {                 \
        int64_t a = base[pc[0]].i; \
        int k = pc[1], o = pc[2];  \
        pc += 3;                   \
        if (!(a cmp k)) BRANCH(o); \
        NEXT();                    \
    }
                    JFK_VAR(JFK_EQ_L, bp, ==)
                    JFK_VAR(JFK_NE_L, bp, !=)
                    JFK_VAR(JFK_LT_L, bp, <)
                    JFK_VAR(JFK_LE_L, bp, <=)
                    JFK_VAR(JFK_GT_L, bp, >)
                    JFK_VAR(JFK_GE_L, bp, >=)
                    JFK_VAR(JFK_EQ_G, globals, ==)
                    JFK_VAR(JFK_NE_G, globals, !=)
                    JFK_VAR(JFK_LT_G, globals, <)
                    JFK_VAR(JFK_LE_G, globals, <=)
                    JFK_VAR(JFK_GT_G, globals, >)
                    JFK_VAR(JFK_GE_G, globals, >=)
#undef JFK_VAR
#define FOR_STEP(op, var, bound)                         \
    CASE(op): {                                       \
        int64_t& v = var[pc[0]].i;                       \
        int s = pc[1];                                   \
        int64_t k = bound;                               \
        int o = pc[3];                                   \
        pc += 4;                                         \
        v = int64_t(uint64_t(v) + uint64_t(int64_t(s))); \
        if (s > 0 ? v <= k : v >= k) BRANCH(o);          \
        NEXT();                                          \
    }
                    FOR_STEP(FOR_LK, bp, pc[2])
                    FOR_STEP(FOR_GK, globals, pc[2])
                    FOR_STEP(FOR_LL, bp, bp[pc[2]].i)
                    FOR_STEP(FOR_GG, globals, globals[pc[2]].i)
#undef FOR_STEP
#define OP_WITH_CONSTANT(op, base, expr) \
    CASE(op): {                       \
        int64_t a = base[pc[0]].i;       \
        int64_t k = pc[1];               \
        pc += 2;                         \
        (sp++)->i = (expr);              \
        NEXT();                          \
    }
                    OP_WITH_CONSTANT(ADDK_L, bp, arith::add(a, k, IntKind::Integer))
                    OP_WITH_CONSTANT(ADDK_G, globals, arith::add(a, k, IntKind::Integer))
                    OP_WITH_CONSTANT(MULK_L, bp, arith::mul(a, k, IntKind::Integer))
                    OP_WITH_CONSTANT(MULK_G, globals, arith::mul(a, k, IntKind::Integer))
                    OP_WITH_CONSTANT(DIVK_L, bp, a / k)
                    OP_WITH_CONSTANT(DIVK_G, globals, a / k)
                    OP_WITH_CONSTANT(MODK_L, bp, a % k)
                    OP_WITH_CONSTANT(MODK_G, globals, a % k)
                    OP_WITH_CONSTANT(ANDK_L, bp, a & k)
                    OP_WITH_CONSTANT(ANDK_G, globals, a & k)
                    OP_WITH_CONSTANT(SHLK_L, bp, arith::shl(a, k, IntKind::Integer))
                    OP_WITH_CONSTANT(SHLK_G, globals, arith::shl(a, k, IntKind::Integer))
                    OP_WITH_CONSTANT(SHRK_L, bp, arith::shr(a, k, IntKind::Integer))
                    OP_WITH_CONSTANT(SHRK_G, globals, arith::shr(a, k, IntKind::Integer))
#undef OP_WITH_CONSTANT
#define OP_WITH_VARIABLE(op, base, expr)                           \
    CASE(op): {                                                    \
        int64_t a = sp[-1].i;                                      \
        int64_t b = base[*pc++].i;                                 \
        sp[-1].i = (expr);                                         \
        NEXT();                                                    \
    }
                OP_WITH_VARIABLE(XOR_L, bp, a ^ b)
                OP_WITH_VARIABLE(XOR_G, globals, a ^ b)
                OP_WITH_VARIABLE(AND_L, bp, a & b)
                OP_WITH_VARIABLE(AND_G, globals, a & b)
                OP_WITH_VARIABLE(OR_L, bp, a | b)
                OP_WITH_VARIABLE(OR_G, globals, a | b)
                OP_WITH_VARIABLE(ADD32_L, bp, arith::add(a, b, IntKind::Integer))
                OP_WITH_VARIABLE(ADD32_G, globals, arith::add(a, b, IntKind::Integer))
                OP_WITH_VARIABLE(SUB32_L, bp, arith::sub(a, b, IntKind::Integer))
                OP_WITH_VARIABLE(SUB32_G, globals, arith::sub(a, b, IntKind::Integer))
#undef OP_WITH_VARIABLE
#define OP_WITH_VARIABLES(op, base, expr)                          \
    CASE(op): {                                                    \
        int64_t a = base[pc[0]].i;                                 \
        int64_t b = base[pc[1]].i;                                 \
        pc += 2;                                                   \
        (sp++)->i = (expr);                                        \
        NEXT();                                                    \
    }
                OP_WITH_VARIABLES(XOR_LL, bp, a ^ b)
                OP_WITH_VARIABLES(XOR_GG, globals, a ^ b)
                OP_WITH_VARIABLES(ADD32_LL, bp, arith::add(a, b, IntKind::Integer))
                OP_WITH_VARIABLES(ADD32_GG, globals, arith::add(a, b, IntKind::Integer))
                OP_WITH_VARIABLES(SUB32_LL, bp, arith::sub(a, b, IntKind::Integer))
                OP_WITH_VARIABLES(SUB32_GG, globals, arith::sub(a, b, IntKind::Integer))
#undef OP_WITH_VARIABLES
                CASE(LOAD_REF): *sp++ = *bp[*pc++].a; NEXT();
                CASE(FIELD_ADDR2): {
                    Slot* f = fieldAddress(sp[-1].a, pc[0], pc[1]);
                    sp[-1].a = fieldAddress(f, pc[2], pc[3]);
                    pc += 4;
                    NEXT();
                }
                CASE(FIELD_LOAD2): {
                    Slot* f = fieldAddress(sp[-1].a, pc[0], pc[1]);
                    auto* o = static_cast<AggObj*>(f->p);
                    sp[-1] = o ? o->slots[size_t(pc[3])] : Slot{.i = 0};
                    pc += 4;
                    NEXT();
                }
                CASE(DYN_STOREK_GG): {
                    dynElement(&globals[pc[0]], globals[pc[1]].i)->i = pc[2];
                    pc += 3;
                    NEXT();
                }
                CASE(STORE_AGG):
                    sp -= 2;
                    tag(sp + 1) = 0;
                    assignAgg(sp[0].a, sp[1].p);
                    NEXT();
                CASE(STORE_AGG_R):
                    sp -= 2;
                    tag(sp) = 0;
                    assignAgg(sp[1].a, sp[0].p);
                    NEXT();
                CASE(AGG_UNSHARE): {
                    auto* o = static_cast<AggObj*>(sp[-1].p);
                    if (o && o->rc > 1) {
                        --o->rc;
                        sp[-1].p = cloneAgg(o);
                    }
                    NEXT();
                }
                CASE(RAISE): {
                    sp -= 2;
                    prepareRaise(sp);
                    goto raise_now;
                }
                default:
#if VANTREL_THREADED_DISPATCH
                invalid_opcode:
#endif
                    fail(TIFException::erInvalidOpcode);
                }
                // clang-format on
                continue;
            raise_now:
                const int32_t* upc = pc;
                Slot* usp = sp;
                Slot* ubp = bp;
                if (!unwind(*m_raising, upc, usp, ubp, baseFrames, baseSp)) throwRaising();
                pc = upc;
                sp = usp;
                bp = regs.bp = ubp;
                m_raising.reset();
            }
        }
    }
}

}  // namespace script
