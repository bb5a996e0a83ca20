// The VM's side of native code: binding at load time, native calls, object members through
// the handle table, and script procedures run from native events.
#include <algorithm>
#include <cstring>
#include <optional>

#include "classes/ClassInfo.h"
#include "classes/TObject.h"
#include "script/Binder.h"
#include "script/Dll.h"
#include "script/Handles.h"
#include "script/Symbols.h"
#include "script/Variants.h"
#include "script/Vm.h"

namespace script {

namespace {

[[noreturn]] void fail(TIFException k, std::string p = {}) { throw ScriptException(k, std::move(p)); }

// While native code runs, nested script calls start above the caller's stack top.
struct TopGuard {
    Slot*& top;
    Slot* saved;
    TopGuard(Slot*& t, Slot* now) : top(t), saved(t) { top = now; }
    ~TopGuard() { top = saved; }
};

// Library names as Windows compares them: any case, ".dll" implied.
std::string libraryKey(std::string_view library) {
    std::string key = upperName(library);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".DLL") == 0) key.resize(key.size() - 4);
    return key;
}

RuntimeError cannotImport(const std::string& name) {
    RuntimeError e;
    e.kind = TIFException::erCannotImport;
    e.param = name;
    e.text = exceptionText(e.kind, name);
    return e;
}

// An event argument as the value of a script parameter of type `t`.
Slot fromEventArg(const classes::EventArg& a, const Param& prm, Vm& vm) {
    const TypeDesc* t = prm.type;
    auto mismatch = [] { fail(TIFException::erCouldNotCallProc); };
    if (auto* r = std::get_if<classes::RecordArg>(&a)) {
        // A handler declared with another record than the raiser's cannot be called.
        const bool fits = r->type && r->data &&
                          (recordFits(t, *r->type, prm.byRef()) || (!prm.byRef() && receivable(t, *r->type)));
        if (!fits) mismatch();
        return fromNative(t, *r->type, r->data, vm);
    }
    auto fromInt = [&](int64_t v) -> Slot {
        switch (t->kind) {
        case TypeKind::Integer:
        case TypeKind::Enum:
        case TypeKind::Char:
        case TypeKind::Boolean: return Slot{.i = wrapTo(t, v)};
        case TypeKind::Float: return Slot{.d = double(v)};
        case TypeKind::Set: {
            if (v == 0) return Slot{.p = nullptr};
            auto* s = new SetObj;
            s->bits[0] = uint64_t(v);
            return Slot{.p = s};
        }
        default: mismatch();
        }
        return {};
    };
    if (auto* i = std::get_if<int64_t>(&a)) return fromInt(*i);
    if (auto* p = std::get_if<int64_t*>(&a)) return fromInt(**p);
    if (auto* b = std::get_if<bool>(&a)) return fromInt(*b);
    if (auto* p = std::get_if<bool*>(&a)) return fromInt(**p);
    auto fromFloat = [&](long double v) -> Slot {
        if (t->kind != TypeKind::Float) mismatch();
        return Slot{.d = double(v)};
    };
    if (auto* f = std::get_if<long double>(&a)) return fromFloat(*f);
    if (auto* p = std::get_if<long double*>(&a)) return fromFloat(**p);
    auto fromString = [&](const std::string& s) -> Slot {
        if (t->kind == TypeKind::Char) return Slot{.i = s.empty() ? 0 : uint8_t(s[0])};
        // Variant parameters of events (the browser's addresses) arrive as texts.
        if (t->kind == TypeKind::Variant) return variantFromNative(classes::Variant::string(s));
        if (t->kind != TypeKind::String) mismatch();
        return Slot{.p = newStr(s)};
    };
    if (auto* s = std::get_if<std::string>(&a)) return fromString(*s);
    if (auto* p = std::get_if<std::string*>(&a)) return fromString(**p);
    auto fromObject = [&](classes::TObject* o) -> Slot {
        if (t->kind != TypeKind::Class) mismatch();
        return Slot{.i = int64_t(Handles::ref(o))};
    };
    if (auto* o = std::get_if<classes::TObject*>(&a)) return fromObject(*o);
    if (auto* p = std::get_if<classes::TObject**>(&a)) return fromObject(**p);
    mismatch();
    return {};
}

// Writes a var parameter's final value back through the event argument's pointer.
void toEventArg(const classes::EventArg& a, const TypeDesc* t, Slot v, Vm& vm) {
    if (auto* r = std::get_if<classes::RecordArg>(&a))
        toNative(t, v, *r->type, r->data, vm);
    else if (auto* p = std::get_if<int64_t*>(&a))
        **p = t->kind == TypeKind::Set ? int64_t(v.p ? static_cast<SetObj*>(v.p)->bits[0] : 0) : v.i;
    else if (auto* b = std::get_if<bool*>(&a))
        **b = v.i != 0;
    else if (auto* f = std::get_if<long double*>(&a))
        **f = v.d;
    else if (auto* s = std::get_if<std::string*>(&a))
        **s = t->kind == TypeKind::Char      ? std::string(1, char(v.i))
              : t->kind == TypeKind::Variant ? variantToString(v)
                                             : strOf(v);
    else if (auto* o = std::get_if<classes::TObject**>(&a))
        **o = Handles::resolve(ObjectRef(v.i));
}

// The class an object needs for the property: a published one's declaring class (one
// PropRef serves every class that inherits it).
const classes::ClassInfo* owner(const PropRef& r) {
    return r.published ? r.published->declaredBy : r.cls->info;
}

bool isPointer(const classes::EventArg& a) {
    return std::holds_alternative<int64_t*>(a) || std::holds_alternative<bool*>(a) ||
           std::holds_alternative<long double*>(a) || std::holds_alternative<std::string*>(a) ||
           std::holds_alternative<classes::TObject**>(a) || std::holds_alternative<classes::RecordArg>(a);
}

}  // namespace

// ---------------------------------------------------------------- binding

void Vm::bind(std::string_view name, NativeFn fn) { m_bindings[upperName(name)] = {std::move(fn), {}}; }

void Vm::bindTyped(std::string_view name, classes::NativeCallable fn) {
    m_bindings[upperName(name)] = {{}, std::move(fn)};
}

void Vm::addLibrary(std::string_view library, std::string_view proc, classes::NativeCallable fn) {
    m_libraries[libraryKey(library)][upperName(proc)] = std::move(fn);
}

bool Vm::bindNatives(const Chunk& chunk) {
    m_natives.assign(chunk.natives.size(), {});
    for (size_t i = 0; i < chunk.natives.size(); ++i) {
        const NativeProc& np = chunk.natives[i];
        NativeTarget& t = m_natives[i];
        auto it = m_bindings.find(np.name);
        if (it != m_bindings.end()) {
            if (it->second.typed)
                t.bound =
                    bindCall(it->second.typed, np.sig, np.declaration.empty() ? np.name : np.declaration,
                             np.kind == CallKind::Method ? np.cls : nullptr);
            else
                t.raw = it->second.raw;
        } else if (np.bound) {
            t.bound = np.bound;
        } else if (np.fn) {
            t.raw = np.fn;
        } else if (np.used && np.kind != CallKind::Constructor) {
            // Declarations nobody calls need no code; one the script calls does.
            m_error = cannotImport(np.name);
            return false;
        }
    }
    return true;
}

bool Vm::isConstant(const HeapObj* p) const {
    if (!m_chunk || !p) return false;
    for (size_t i = 0; i < m_chunk->constants.size(); ++i)
        if (m_chunk->constManaged[i] && m_chunk->constants[i].p == p) return true;
    return false;
}

bool Vm::bindExternals(const Chunk& chunk) {
    m_externals.assign(chunk.procs.size(), {});
    for (size_t i = 0; i < chunk.procs.size(); ++i) {
        const ProcInfo& p = chunk.procs[i];
        if (!p.isExternal) continue;
        NativeTarget& t = m_externals[i];
        std::string declaration = "external '" + p.externalName + "' of " + p.name;
        auto it = m_bindings.find(upperName(p.externalName));
        if (it == m_bindings.end()) it = m_bindings.find(upperName(p.name));
        if (it != m_bindings.end()) {
            if (it->second.typed)
                t.bound = bindCall(it->second.typed, p.sig, declaration);
            else
                t.raw = it->second.raw;
            continue;
        }
        DllImport imp;
        if (!parseDllImport(p.externalName, imp)) {
            if (!p.called) continue;
            m_error = cannotImport(upperName(p.name));
            return false;
        }
        auto lib = m_libraries.find(libraryKey(imp.library));
        if (lib != m_libraries.end()) {
            auto fn = lib->second.find(upperName(imp.proc));
            if (fn != lib->second.end()) {
                t.bound = bindCall(fn->second, p.sig, declaration);
                continue;
            }
        }
        if (m_foreign) {
            if (ForeignRoutine r = m_foreign(imp.library, imp.proc)) {
                if (r.params != int(p.sig.params.size())) {
                    if (!p.called) continue;
                    m_error = cannotImport(upperName(p.name));
                    return false;
                }
                t.raw = [fn = std::move(r.fn)](NativeCall& c) {
                    ForeignCall call(c);
                    fn(call);
                };
                continue;
            }
        }
        std::string file = m_libraryResolver ? m_libraryResolver(imp.library) : imp.library;
        if (imp.delayLoad) {
            t.raw = delayedDllCall(file, imp.proc, p.sig);
            continue;
        }
        if (void* sym = openSymbol(file, imp.proc)) t.raw = makeDllCall(sym, p.sig);
        if (!t.raw && p.called) {
            m_error = cannotImport(upperName(p.name));
            return false;
        }
    }
    return true;
}

bool Vm::load(std::shared_ptr<const Chunk> chunk) {
    m_error = {};
    if (m_chunk) {
        for (int g : m_chunk->managedGlobals) release(m_globals[size_t(g)].p);
        m_globals.clear();
        m_chunk.reset();
        // Handlers bound to the old procedures must not run the new ones.
        m_link->vm = nullptr;
        m_link = std::make_shared<ScriptHandler::Link>(ScriptHandler::Link{this});
    }
    // Whatever happens below, nothing of the old bytecode stays runnable.
    if (!bindNatives(*chunk) || !bindExternals(*chunk)) {
        m_natives.clear();
        m_externals.clear();
        return false;
    }
    m_chunk = std::move(chunk);
    m_globals.assign(size_t(m_chunk->nGlobals), Slot{.i = 0});
    m_procKeys = std::make_unique<char[]>(m_chunk->procs.size() + 1);
    return true;
}

bool Vm::setGlobalObject(std::string_view name, classes::TObject* obj) {
    if (!m_chunk) return false;
    std::string up = upperName(name);
    for (auto& [n, slot] : m_chunk->globalNames) {
        if (n != up) continue;
        const TypeDesc* t = m_chunk->globalTypes[size_t(slot)];
        if (t->kind != TypeKind::Class) return false;
        if (obj && !obj->classType().inheritsFrom(*t->cls->info)) return false;
        m_globals[size_t(slot)].i = int64_t(Handles::ref(obj));
        return true;
    }
    return false;
}

SourcePos Vm::sourcePosition(int proc, uint32_t position) const {
    if (!m_chunk || proc < 0 || size_t(proc) >= m_chunk->procs.size()) return {};
    const ProcInfo& p = m_chunk->procs[size_t(proc)];
    if (!p.defined || p.isExternal) return {};
    uint64_t pc = uint64_t(p.entry) + position;
    if (pc >= m_chunk->code.size()) return {};
    return m_chunk->positionOf(uint32_t(pc));
}

// ---------------------------------------------------------------- native calls

void Vm::callNative(const ProcSig& sig, const NativeTarget& t, Slot*& sp, ObjectRef self,
                    classes::TObject* obj, bool method) {
    size_t n = sig.params.size();
    Slot* args = sp - n;
    Slot result{.i = 0};
    try {
        TopGuard top(m_top, sp);
        if (t.bound) {
            callBound(*t.bound, args, &result, obj, *this);
        } else {
            if (!t.raw) fail(TIFException::erCouldNotCallProc);
            NativeCall call(args, &sig, &result, self, this);
            t.raw(call);
        }
    } catch (...) {
        if (sig.result && sig.result->isManaged()) release(result.p);
        throw;
    }
    for (size_t i = 0; i < n; ++i) {
        if (!sig.params[i].byRef() && sig.params[i].type->isManaged()) release(args[i].p);
        tag(args + i) = 0;
    }
    sp = method ? args - 1 : args;
    if (sig.result) {
        tag(sp) = sig.result->isManaged();
        *sp++ = result;
    }
}

void Vm::callExternal(int proc, Slot*& sp) {
    const ProcInfo& p = m_chunk->procs[size_t(proc)];
    const NativeTarget& t = m_externals[size_t(proc)];
    if (!t.raw && !t.bound) fail(TIFException::erCouldNotCallProc, p.name);
    callNative(p.sig, t, sp, 0, nullptr, false);
}

void Vm::callMethod(int n, Slot*& sp) {
    const NativeProc& np = m_chunk->natives[size_t(n)];
    const NativeTarget& t = m_natives[size_t(n)];
    if (np.kind == CallKind::Constructor) return construct(np, t, sp);
    ObjectRef self = ObjectRef(sp[-int(np.sig.params.size()) - 1].i);
    classes::TObject* obj = nullptr;
    if (t.bound) {
        if (!self && !t.bound->fn.signature().selfNullable) fail(TIFException::erNullPointerException);
        obj = objectOf(self, np.cls->info);
    } else if (!self && !np.nilSelf) {
        fail(TIFException::erNullPointerException);
    }
    Handles::Hold hold(obj);
    callNative(np.sig, t, sp, self, obj, true);
}

void Vm::construct(const NativeProc& np, const NativeTarget& t, Slot*& sp) {
    size_t n = np.sig.params.size();
    Slot* args = sp - n;
    const ClassDecl* named = m_chunk->classes[size_t(args[-1].i)].get();
    Slot result{.i = 0};
    {
        TopGuard top(m_top, sp);
        if (t.bound) {
            callBound(*t.bound, args, &result, nullptr, *this);
        } else {
            classes::TObject* context = nullptr;
            if (n > 0 && np.sig.params[0].type->kind == TypeKind::Class)
                context = objectOf(ObjectRef(args[0].i), nullptr);
            result.i = int64_t(Handles::ref(named->info->create(context)));
        }
    }
    // What a script constructs is the script's to free.
    Handles::ref(Handles::resolve(ObjectRef(result.i)), true);
    for (size_t i = 0; i < n; ++i) {
        if (!np.sig.params[i].byRef() && np.sig.params[i].type->isManaged()) release(args[i].p);
        tag(args + i) = 0;
    }
    sp = args - 1;
    tag(sp) = 0;
    *sp++ = result;
}

Slot* Vm::getProperty(const PropRef& r, Slot* sp) {
    size_t n = r.params.size();
    Slot* args = sp - n;
    ObjectRef self = ObjectRef(args[-1].i);
    classes::TObject* obj = objectOf(self, owner(r));
    if (!obj) fail(TIFException::erNullPointerException);
    Slot res{.i = 0};
    {
        TopGuard top(m_top, sp);  // an event the accessor raises runs above our stack
        if (r.published)
            res = fromProperty(r.type, r.published->get(*obj), *this);
        else
            callBound(*r.getter, args, &res, obj, *this);
    }
    for (size_t i = 0; i < n; ++i) {
        if (r.params[i].type->isManaged()) release(args[i].p);
        tag(args + i) = 0;
    }
    args[-1] = res;
    tag(args - 1) = r.type->isManaged();
    return args;
}

Slot* Vm::setProperty(const PropRef& r, Slot* sp) {
    size_t n = r.params.size();
    Slot* args = sp - n - 1;
    Slot value = sp[-1];
    ObjectRef self = ObjectRef(args[-1].i);
    classes::TObject* obj = objectOf(self, owner(r));
    if (!obj) fail(TIFException::erNullPointerException);
    {
        TopGuard top(m_top, sp);
        Handles::Hold hold(obj);  // a setter may raise an event whose handler frees the object
        if (r.published) {
            r.published->set(*obj, toProperty(r.type, *r.published->type, value, *this));
        } else {
            Slot none{.i = 0};
            callBound(*r.setter, args, &none, obj, *this);
        }
    }
    for (size_t i = 0; i < n; ++i) {
        if (r.params[i].type->isManaged()) release(args[i].p);
        tag(args + i) = 0;
    }
    if (r.type->isManaged()) release(value.p);
    tag(sp - 1) = 0;
    return args - 1;
}

bool Vm::isInstance(const TypeDesc* t, ObjectRef h) {
    if (h == 0) return false;
    classes::TObject* obj = Handles::resolve(h);
    if (!obj) fail(TIFException::erNullPointerException);
    return obj->classType().inheritsFrom(*t->cls->info);
}

// ---------------------------------------------------------------- events

classes::TMethod Vm::methodFor(int64_t proc) {
    if (!m_chunk || proc <= 0 || size_t(proc) > m_chunk->procs.size()) return {};
    return classes::TMethod(&m_procKeys[size_t(proc)], nullptr, ScriptHandler{m_link, proc});
}

// A handler that native code installed (or another executor) is no procedure of this
// script: it reads as nil.
int64_t Vm::procOf(const classes::TMethod& m) const {
    const classes::TMethod::Invoker* inv = m.invoker();
    if (!inv) return 0;
    const ScriptHandler* h = inv->target<ScriptHandler>();
    return h && h->link == m_link ? h->proc : 0;
}

int Vm::findProc(std::string_view name) const {
    if (!m_chunk) return -1;
    std::string up = upperName(name);
    for (size_t i = 1; i < m_chunk->procs.size(); ++i)
        if (!m_chunk->procs[i].isExternal && upperName(m_chunk->procs[i].name) == up) return int(i);
    return -1;
}

void ScriptHandler::operator()(std::span<const classes::EventArg> args) const {
    Vm* vm = link->vm;
    if (!vm) return;
    // The event's objects (its sender) are not deleted under the code that raised it. An
    // event passes a handful of arguments.
    std::optional<Handles::Hold> holds[8];
    size_t n = 0;
    for (const classes::EventArg& a : args)
        if (auto* o = std::get_if<classes::TObject*>(&a); o && *o && n < std::size(holds))
            holds[n++].emplace(*o);
    vm->callProcValue(proc, args);
}

void Vm::call(std::string_view name, std::span<const classes::EventArg> args) {
    int index = findProc(name);
    if (index < 0) fail(TIFException::erCouldNotCallProc, std::string(name));
    invokeEvent(index, args);
}

void Vm::callProcValue(int64_t proc, std::span<const classes::EventArg> args) {
    if (proc == 0) fail(TIFException::erNullPointerException);
    if (!m_chunk || proc < 0 || size_t(proc) > m_chunk->procs.size()) fail(TIFException::erCouldNotCallProc);
    invokeEvent(int(proc - 1), args);
}

void Vm::invokeEvent(int index, std::span<const classes::EventArg> args) {
    // Each call has its own error state: a nested call's error neither becomes the
    // ExceptionParam of a handler it interrupted nor outlives a successful outer run.
    bool nested = !m_frames.empty();
    RuntimeError savedExc = m_exc, savedError = m_error;
    try {
        runEvent(index, args);
    } catch (...) {
        m_exc = savedExc;
        if (nested) m_error = savedError;
        throw;
    }
    m_exc = savedExc;
    m_error = nested ? savedError : RuntimeError{};
}

void Vm::runEvent(int index, std::span<const classes::EventArg> args) {
    if (!m_chunk || index <= 0 || size_t(index) >= m_chunk->procs.size() ||
        m_chunk->procs[size_t(index)].isExternal)
        fail(TIFException::erCouldNotCallProc);
    const ProcInfo& p = m_chunk->procs[size_t(index)];
    if (args.size() != size_t(p.nParams)) fail(TIFException::erCouldNotCallProc);
    std::vector<Slot> cells(args.size(), Slot{.i = 0});
    Slot* base = m_top && !m_frames.empty() ? m_top : m_stack.get();
    Slot* sp = base;
    // Converted arguments are owned here until the frame takes them.
    auto dropArgs = [&](Slot* end) {
        for (size_t i = 0; i < args.size() && base + i < end; ++i)
            if (!p.sig.params[i].byRef() && p.sig.params[i].type->isManaged()) release(base[i].p);
    };
    auto writeBack = [&] {
        for (size_t i = 0; i < args.size(); ++i) {
            const Param& prm = p.sig.params[i];
            if (!prm.byRef()) continue;
            if (isPointer(args[i])) toEventArg(args[i], prm.type, cells[i], *this);
            if (prm.type->isManaged()) release(cells[i].p);
            cells[i].p = nullptr;
        }
    };
    try {
        for (size_t i = 0; i < args.size(); ++i) {
            const Param& prm = p.sig.params[i];
            Slot v = fromEventArg(args[i], prm, *this);
            if (prm.byRef()) {
                cells[i] = v;
                (sp++)->a = &cells[i];
            } else {
                *sp++ = v;
            }
        }
    } catch (...) {
        dropArgs(sp);
        writeBack();
        throw;
    }
    size_t depth = m_frames.size();
    Slot* bp = nullptr;
    const int32_t* pc = nullptr;
    try {
        sp = enterFromNative(index, pc, sp, bp);
    } catch (...) {
        dropArgs(sp);
        writeBack();
        throw;
    }
    m_frames.back().ret = nullptr;
    try {
        execute(pc, sp, depth, base);
    } catch (...) {
        writeBack();
        throw;
    }
    if (p.sig.result && p.sig.result->isManaged()) {
        release(base[0].p);
        tag(base) = 0;
    }
    writeBack();
}

}  // namespace script
