// The typed binder: signature checks, call plans and the conversions between slots and
// C++ objects.
#include "script/Binder.h"

#include <cmath>
#include <cstring>
#include <new>

#include "base/CodePage.h"
#include "classes/ClassInfo.h"
#include "classes/TObject.h"
#include "classes/TypeInfo.h"
#include "script/Handles.h"
#include "script/Vm.h"

namespace script {

namespace {

using NK = classes::NativeKind;
using Code = ArgPlan::Code;

const std::string kEmpty;

std::string nativeName(const classes::NativeType& nt) {
    switch (nt.kind) {
    case NK::Int: return std::string(nt.isSigned ? "int" : "uint") + std::to_string(nt.size * 8) + "_t";
    case NK::Object:
        if (nt.reference) return nt.classInfo().name() + "&";
        return nt.owning ? "std::unique_ptr<" + nt.classInfo().name() + ">" : nt.classInfo().name() + "*";
    default: return nt.name;
    }
}

std::string scriptName(const TypeDesc* t) {
    if (!t) return "nothing";
    if (!t->name.empty()) return t->name;
    switch (t->kind) {
    case TypeKind::Record: return "a record";
    case TypeKind::StaticArray: return "a static array";
    case TypeKind::DynArray: return "an array";
    case TypeKind::Set: return "a set";
    case TypeKind::Proc: return "a procedural type";
    default: return "a value";
    }
}

// Whether every value of the script integer type fits the C++ integer.
bool intFits(const TypeDesc* t, const classes::NativeType& nt) {
    int bits = nt.size * 8;
    __int128 lo = nt.isSigned ? -(__int128(1) << (bits - 1)) : 0;
    __int128 hi = nt.isSigned ? (__int128(1) << (bits - 1)) - 1 : (__int128(1) << bits) - 1;
    __int128 tlo = t->low, thi = t->high;
    if (t->kind == TypeKind::Integer && t->intKind == IntKind::UInt64) thi = (__int128(1) << 64) - 1;
    return tlo >= lo && thi <= hi;
}

// Why the script type and the C++ type cannot exchange values ("" when they can).
// Parameters need every script value to fit; results may narrow.
std::string incompatible(const TypeDesc* t, const classes::NativeType& nt, bool param, bool topLevel) {
    switch (t->kind) {
    case TypeKind::Integer:
        if (nt.kind == NK::Int) return !param || intFits(t, nt) ? "" : "too narrow";
        break;
    case TypeKind::Enum:
        if (nt.kind == NK::Enum || nt.kind == NK::Int) return "";
        break;
    case TypeKind::Boolean:
        if (nt.kind == NK::Bool) return "";
        break;
    case TypeKind::Char:
        if (nt.kind == NK::Char) return "";
        break;
    case TypeKind::Float:
        if (nt.kind == NK::Float) return "";
        break;
    case TypeKind::String:
        if (nt.kind == NK::String || (nt.kind == NK::StringView && param && topLevel)) return "";
        break;
    case TypeKind::Variant:
        if (nt.kind == NK::Variant) return "";
        break;
    case TypeKind::Set:
        if (nt.kind == NK::Set) return "";
        break;
    case TypeKind::Record:
        if (nt.kind != NK::Record) break;
        if (nt.fieldCount != t->fields.size())
            return "it has " + std::to_string(t->fields.size()) + " fields, the native record " +
                   std::to_string(nt.fieldCount);
        for (size_t f = 0; f < t->fields.size(); ++f) {
            std::string why = incompatible(t->fields[f].type, *nt.fields[f].type, param, false);
            if (!why.empty())
                return "field " + t->fields[f].name + " (" + scriptName(t->fields[f].type) + ", native " +
                       nativeName(*nt.fields[f].type) + ")";
        }
        return "";
    case TypeKind::StaticArray:
        if (nt.kind != NK::Array) break;
        if (int64_t(nt.length) != t->high - t->low + 1)
            return "it has " + std::to_string(t->high - t->low + 1) + " elements, the native array " +
                   std::to_string(nt.length);
        return incompatible(t->elem, *nt.elem, param, false).empty() ? "" : "the element types differ";
    case TypeKind::DynArray:
        if (nt.kind != NK::Vector) break;
        return incompatible(t->elem, *nt.elem, param, false).empty() ? "" : "the element types differ";
    case TypeKind::Class:
        if (nt.kind != NK::Object) break;
        if (nt.reference && !(param && topLevel)) return "an object reference only as a parameter";
        if (t->cls && !t->cls->info->inheritsFrom(nt.classInfo()) &&
            !nt.classInfo().inheritsFrom(*t->cls->info))
            return "the classes are unrelated";
        return "";
    case TypeKind::Proc:
        if (nt.kind == NK::Method) return "";
        break;
    default: break;
    }
    return "different";
}

uint32_t alignUp(uint32_t v, uint32_t a) { return (v + a - 1) / a * a; }

ArgPlan plan(const TypeDesc* t, const classes::NativeType& nt, bool byRef, uint32_t& scratch) {
    ArgPlan p;
    p.byRef = byRef;
    p.type = t;
    p.native = &nt;
    p.isSigned = nt.isSigned;
    switch (nt.kind) {
    case NK::Int:
    case NK::Enum:
        p.code = nt.size == 1 ? Code::I8 : nt.size == 2 ? Code::I16 : nt.size == 4 ? Code::I32 : Code::I64;
        break;
    case NK::Bool: p.code = Code::Bool; break;
    case NK::Char: p.code = Code::Char; break;
    case NK::Float: p.code = nt.size == 4 ? Code::F32 : nt.size == 8 ? Code::F64 : Code::F80; break;
    case NK::String: p.code = Code::Str; break;
    case NK::StringView: p.code = Code::StrView; break;
    case NK::Void: p.code = Code::Void; return p;
    case NK::Object:
        if (nt.reference) {
            p.code = Code::Obj;
            return p;
        }
        p.code = Code::Generic;
        break;
    default: p.code = Code::Generic; break;
    }
    if (p.code == Code::Str && !byRef) return p;  // points into the script's string
    uint32_t align = std::max<uint32_t>(nt.align, 8);
    p.offset = alignUp(scratch, align);
    scratch = p.offset + std::max<uint32_t>(nt.byteSize, 8);
    return p;
}

StrObj* uniqueString(Slot& s) {
    auto* o = static_cast<StrObj*>(s.p);
    if (!o) {
        o = new StrObj(std::string());
        s.p = o;
    } else if (o->rc > 1) {
        auto* c = new StrObj(o->s);
        --o->rc;
        s.p = o = c;
    }
    return o;
}

void storeInt(void* dst, int size, int64_t v) {
    switch (size) {
    case 1: *static_cast<int8_t*>(dst) = int8_t(v); break;
    case 2: *static_cast<int16_t*>(dst) = int16_t(v); break;
    case 4: *static_cast<int32_t*>(dst) = int32_t(v); break;
    default: *static_cast<int64_t*>(dst) = v; break;
    }
}

int64_t loadInt(const void* src, int size, bool isSigned) {
    switch (size) {
    case 1: return isSigned ? *static_cast<const int8_t*>(src) : *static_cast<const uint8_t*>(src);
    case 2: return isSigned ? *static_cast<const int16_t*>(src) : *static_cast<const uint16_t*>(src);
    case 4: return isSigned ? *static_cast<const int32_t*>(src) : *static_cast<const uint32_t*>(src);
    default: return *static_cast<const int64_t*>(src);
    }
}

void storeFloat(void* dst, int size, double v) {
    if (size == 4)
        *static_cast<float*>(dst) = float(v);
    else if (size == 8)
        *static_cast<double*>(dst) = v;
    else
        *static_cast<long double*>(dst) = v;
}

double loadFloat(const void* src, int size) {
    if (size == 4) return *static_cast<const float*>(src);
    if (size == 8) return *static_cast<const double*>(src);
    return double(*static_cast<const long double*>(src));
}

double toScriptFloat(const TypeDesc* t, double v) {
    if (t->kind != TypeKind::Float) return v;
    if (t->floatKind == FloatKind::Single) return double(float(v));
    if (t->floatKind == FloatKind::Currency) return std::nearbyint(v * 10000.0) / 10000.0;
    return v;
}

Slot scalarFromNative(const TypeDesc* t, int64_t v) {
    if (t->kind == TypeKind::Float) return Slot{.d = double(v)};
    return Slot{.i = wrapTo(t, v)};
}

// Replaces a slot's value with an owned one, releasing what it held.
void assignSlot(Slot& s, const TypeDesc* t, Slot v) {
    if (t->isManaged()) {
        HeapObj* old = s.p;
        s = v;
        release(old);
    } else {
        s = v;
    }
}

// Destroys the temporaries a call constructed, also when the callee throws.
struct Scratch {
    const BoundCall& call;
    unsigned char* mem;
    size_t constructed = 0;  // arguments whose temporary exists
    bool result = false;
    ~Scratch() {
        for (size_t i = 0; i < constructed; ++i) {
            const ArgPlan& a = call.args[i];
            if (a.code == Code::Generic) a.native->destroy(mem + a.offset);
        }
        if (result) call.result.native->destroy(mem + call.result.offset);
    }
};

}  // namespace

int64_t wrapTo(const TypeDesc* t, int64_t v) {
    switch (t->kind) {
    case TypeKind::Boolean: return v != 0;
    case TypeKind::Char: return uint8_t(v);
    case TypeKind::Integer:
        switch (t->intKind) {
        case IntKind::Byte: return uint8_t(v);
        case IntKind::ShortInt: return int8_t(v);
        case IntKind::Word: return uint16_t(v);
        case IntKind::SmallInt: return int16_t(v);
        case IntKind::Integer: return int32_t(v);
        case IntKind::Cardinal: return uint32_t(v);
        default: return v;
        }
    default: return v;
    }
}

std::shared_ptr<const BoundCall> bindCall(classes::NativeCallable fn, const ProcSig& sig,
                                          std::string_view declaration, const ClassDecl* cls) {
    const classes::NativeSignature& ns = fn.signature();
    auto fail = [&](const std::string& why) {
        throw BindingError("Binding mismatch in \"" + std::string(declaration) + "\": " + why);
    };
    if (cls) {
        if (!ns.selfClass) fail("the native function is not a method");
        if (!cls->info->inheritsFrom(ns.selfClass()))
            fail(cls->info->name() + " objects are not " + ns.selfClass().name() + " objects");
    }
    if (ns.count != sig.params.size())
        fail(std::to_string(sig.params.size()) + " parameters declared, the native function takes " +
             std::to_string(ns.count));
    auto b = std::make_shared<BoundCall>();
    b->fn = std::move(fn);
    b->declaration = std::string(declaration);
    uint32_t scratch = 0;
    for (size_t i = 0; i < sig.params.size(); ++i) {
        const Param& p = sig.params[i];
        const classes::NativeParam& np = ns.params[i];
        std::string which = "parameter " + std::to_string(i + 1) + " (" + p.name + ")";
        if (p.byRef() && !np.byRef)
            fail(which + " is var, the native parameter is not a non-const reference");
        if (!p.byRef() && np.byRef)
            fail(which + " is not var, the native parameter is a non-const reference");
        std::string why = incompatible(p.type, *np.type, true, !p.byRef());
        if (!why.empty())
            fail(which + " is " + scriptName(p.type) + ", the native function takes " + nativeName(*np.type) +
                 (why == "different" ? "" : " (" + why + ")"));
        b->args.push_back(plan(p.type, *np.type, np.byRef, scratch));
    }
    if (!sig.result) {
        if (ns.result->kind != NK::Void)
            fail("a procedure, the native function returns " + nativeName(*ns.result));
    } else {
        if (ns.result->kind == NK::Void)
            fail("the result is " + scriptName(sig.result) + ", the native function returns void");
        std::string why = incompatible(sig.result, *ns.result, false, true);
        if (!why.empty())
            fail("the result is " + scriptName(sig.result) + ", the native function returns " +
                 nativeName(*ns.result) + (why == "different" ? "" : " (" + why + ")"));
        b->result = plan(sig.result, *ns.result, true, scratch);
        if (b->result.code == Code::Str) b->result.code = Code::Generic;
    }
    b->scratch = scratch;
    return b;
}

void callBound(const BoundCall& b, Slot* args, Slot* result, classes::TObject* self, Vm& vm) {
    constexpr size_t kSmall = 256;
    constexpr size_t kParams = 16;
    alignas(16) unsigned char small[kSmall];
    std::unique_ptr<unsigned char[]> big;
    unsigned char* mem = small;
    if (b.scratch > kSmall) {
        big.reset(new unsigned char[b.scratch + 16]);
        mem =
            reinterpret_cast<unsigned char*>((reinterpret_cast<uintptr_t>(big.get()) + 15) & ~uintptr_t(15));
    }
    size_t n = b.args.size();
    void* fixed[kParams];
    std::unique_ptr<void*[]> more;
    void** ptrs = fixed;
    if (n > kParams) {
        more.reset(new void*[n]);
        ptrs = more.get();
    }
    Scratch guard{b, mem};
    for (size_t i = 0; i < n; ++i) {
        const ArgPlan& a = b.args[i];
        Slot& s = a.byRef ? *args[i].a : args[i];
        void* cell = mem + a.offset;
        switch (a.code) {
        case Code::I8: *static_cast<int8_t*>(cell) = int8_t(s.i); break;
        case Code::I16: *static_cast<int16_t*>(cell) = int16_t(s.i); break;
        case Code::I32: *static_cast<int32_t*>(cell) = int32_t(s.i); break;
        case Code::I64: *static_cast<int64_t*>(cell) = s.i; break;
        case Code::Bool: *static_cast<bool*>(cell) = s.i != 0; break;
        case Code::Char: *static_cast<char*>(cell) = char(s.i); break;
        case Code::F32: *static_cast<float*>(cell) = float(s.d); break;
        case Code::F64: *static_cast<double*>(cell) = s.d; break;
        case Code::F80: *static_cast<long double*>(cell) = s.d; break;
        case Code::Str:
            if (a.byRef)
                cell = &uniqueString(s)->s;
            else
                cell = s.p ? &static_cast<StrObj*>(s.p)->s : const_cast<std::string*>(&kEmpty);
            break;
        case Code::StrView: new (cell) std::string_view(strOf(s)); break;
        case Code::Obj:
            cell = objectOf(ObjectRef(s.i), &a.native->classInfo());
            if (!cell) throw ScriptException(TIFException::erNullPointerException, "");
            break;
        case Code::Generic:
            a.native->construct(cell);
            guard.constructed = i + 1;
            toNative(a.type, s, *a.native, cell, vm);
            break;
        case Code::Void: break;
        }
        guard.constructed = i + 1;
        ptrs[i] = cell;
    }
    void* res = nullptr;
    if (b.result.code != Code::Void) {
        res = mem + b.result.offset;
        if (b.result.code == Code::Generic) {
            b.result.native->construct(res);
            guard.result = true;
        }
    }
    struct Normalise {
        const BoundCall& b;
        Slot* args;
        ~Normalise() {
            // An empty string is a null slot everywhere else in the VM.
            for (size_t i = 0; i < b.args.size(); ++i) {
                const ArgPlan& a = b.args[i];
                if (a.code != Code::Str || !a.byRef) continue;
                Slot& s = *args[i].a;
                if (s.p && static_cast<StrObj*>(s.p)->s.empty()) {
                    release(s.p);
                    s.p = nullptr;
                }
            }
        }
    } normalise{b, args};
    b.fn.call(self, ptrs, res);
    for (size_t i = 0; i < n; ++i) {
        const ArgPlan& a = b.args[i];
        if (!a.byRef) continue;
        Slot& s = *args[i].a;
        void* cell = ptrs[i];
        switch (a.code) {
        case Code::I8:
        case Code::I16:
        case Code::I32:
        case Code::I64: s = scalarFromNative(a.type, loadInt(cell, a.native->size, a.isSigned)); break;
        case Code::Bool: s.i = *static_cast<bool*>(cell); break;
        case Code::Char: s.i = uint8_t(*static_cast<char*>(cell)); break;
        case Code::F32:
        case Code::F64:
        case Code::F80: s.d = toScriptFloat(a.type, loadFloat(cell, a.native->size)); break;
        case Code::Generic: assignSlot(s, a.type, fromNative(a.type, *a.native, cell, vm)); break;
        default: break;
        }
    }
    const ArgPlan& r = b.result;
    switch (r.code) {
    case Code::Void: break;
    case Code::I8:
    case Code::I16:
    case Code::I32:
    case Code::I64: *result = scalarFromNative(r.type, loadInt(res, r.native->size, r.isSigned)); break;
    case Code::Bool: result->i = *static_cast<bool*>(res); break;
    case Code::Char: result->i = uint8_t(*static_cast<char*>(res)); break;
    case Code::F32:
    case Code::F64:
    case Code::F80: result->d = toScriptFloat(r.type, loadFloat(res, r.native->size)); break;
    default: *result = fromNative(r.type, *r.native, res, vm); break;
    }
}

classes::TObject* objectOf(ObjectRef h, const classes::ClassInfo* required) {
    if (h == 0) return nullptr;
    classes::TObject* obj = Handles::resolve(h);
    if (!obj) throw ScriptException(TIFException::erNullPointerException, "");
    if (required && !obj->classType().inheritsFrom(*required))
        throw ScriptException(TIFException::erTypeMismatch, "");
    return obj;
}

void toNative(const TypeDesc* t, Slot v, const classes::NativeType& nt, void* dst, Vm& vm) {
    switch (nt.kind) {
    case NK::Void: return;
    case NK::Bool: *static_cast<bool*>(dst) = v.i != 0; return;
    case NK::Char: *static_cast<char*>(dst) = char(v.i); return;
    case NK::Int:
    case NK::Enum: storeInt(dst, nt.size, v.i); return;
    case NK::Float: storeFloat(dst, nt.size, t->kind == TypeKind::Float ? v.d : double(v.i)); return;
    case NK::String:
        if (t->kind == TypeKind::Char)
            *static_cast<std::string*>(dst) = std::string(1, char(v.i));
        else
            *static_cast<std::string*>(dst) = strOf(v);
        return;
    case NK::StringView: *static_cast<std::string_view*>(dst) = strOf(v); return;
    case NK::Set:
        if (v.p)
            std::memcpy(dst, static_cast<SetObj*>(v.p)->bits, sizeof(SetObj::bits));
        else
            std::memset(dst, 0, sizeof(SetObj::bits));
        return;
    case NK::Record: {
        auto* o = static_cast<AggObj*>(v.p);
        for (uint32_t f = 0; f < nt.fieldCount; ++f)
            toNative(t->fields[f].type, o ? o->slots[f] : Slot{.i = 0}, *nt.fields[f].type,
                     nt.fields[f].at(dst), vm);
        return;
    }
    case NK::Array: {
        auto* o = static_cast<AggObj*>(v.p);
        for (uint32_t i = 0; i < nt.length; ++i)
            toNative(t->elem, o ? o->slots[i] : Slot{.i = 0}, *nt.elem, nt.element(dst, i), vm);
        return;
    }
    case NK::Vector: {
        auto* a = static_cast<ArrObj*>(v.p);
        size_t count = a ? a->items.size() : 0;
        nt.resize(dst, count);
        for (size_t i = 0; i < count; ++i) toNative(t->elem, a->items[i], *nt.elem, nt.element(dst, i), vm);
        return;
    }
    case NK::Variant:
        *static_cast<classes::Variant*>(dst) =
            t->kind == TypeKind::Variant ? variantToNative(v) : classes::Variant();
        return;
    case NK::Object: nt.reset(dst, objectOf(ObjectRef(v.i), &nt.classInfo())); return;
    case NK::Method: *static_cast<classes::TMethod*>(dst) = vm.methodFor(v.i); return;
    }
}

bool recordFits(const TypeDesc* t, const classes::NativeType& nt, bool byRef) {
    if (t->kind != TypeKind::Record || nt.kind != NK::Record) return false;
    return incompatible(t, nt, false, false).empty() && (!byRef || incompatible(t, nt, true, false).empty());
}

Slot fromNative(const TypeDesc* t, const classes::NativeType& nt, void* src, Vm& vm) {
    switch (nt.kind) {
    case NK::Void: return Slot{.i = 0};
    case NK::Bool: return Slot{.i = *static_cast<const bool*>(src)};
    case NK::Char: return Slot{.i = uint8_t(*static_cast<const char*>(src))};
    case NK::Int:
    case NK::Enum: return scalarFromNative(t, loadInt(src, nt.size, nt.isSigned));
    case NK::Float: return Slot{.d = toScriptFloat(t, loadFloat(src, nt.size))};
    case NK::String: {
        std::string& s = *static_cast<std::string*>(src);
        if (t->kind == TypeKind::Char) return Slot{.i = s.empty() ? 0 : uint8_t(s[0])};
        return Slot{.p = newStr(std::move(s))};
    }
    case NK::StringView: return Slot{.p = newStr(std::string(*static_cast<const std::string_view*>(src)))};
    case NK::Set: {
        auto* words = static_cast<const uint64_t*>(src);
        if (!(words[0] | words[1] | words[2] | words[3])) return Slot{.p = nullptr};
        auto* s = new SetObj;
        std::memcpy(s->bits, words, sizeof s->bits);
        return Slot{.p = s};
    }
    case NK::Record: {
        auto* o = new AggObj(t);
        Slot r{.p = o};
        for (uint32_t f = 0; f < nt.fieldCount; ++f)
            o->slots[f] = fromNative(t->fields[f].type, *nt.fields[f].type, nt.fields[f].at(src), vm);
        return r;
    }
    case NK::Array: {
        auto* o = new AggObj(t);
        for (uint32_t i = 0; i < nt.length; ++i)
            o->slots[i] = fromNative(t->elem, *nt.elem, nt.element(src, i), vm);
        return Slot{.p = o};
    }
    case NK::Vector: {
        size_t count = nt.count(src);
        if (count == 0) return Slot{.p = nullptr};
        auto* a = new ArrObj(t->elem, t->elem->isManaged());
        a->items.resize(count, Slot{.i = 0});
        for (size_t i = 0; i < count; ++i)
            a->items[i] = fromNative(t->elem, *nt.elem, nt.element(src, i), vm);
        return Slot{.p = a};
    }
    case NK::Variant: return variantFromNative(*static_cast<const classes::Variant*>(src));
    case NK::Object: {
        classes::TObject* obj = nt.release(src);
        return Slot{.i = int64_t(Handles::ref(obj, nt.owning))};
    }
    case NK::Method: return Slot{.i = vm.procOf(*static_cast<const classes::TMethod*>(src))};
    }
    return Slot{.i = 0};
}

Slot variantFromNative(const classes::Variant& v) {
    using T = classes::Variant::Type;
    auto* o = new VarObj;
    switch (v.type()) {
    case T::Unassigned: delete o; return Slot{.p = nullptr};
    case T::Null: o->kind = VarKind::Null; break;
    case T::Boolean:
        o->kind = VarKind::Boolean;
        o->i = v.asBoolean();
        break;
    case T::Integer:
        o->kind = VarKind::Integer;
        o->i = v.asInt64();
        break;
    case T::Int64:
        o->kind = VarKind::Int64;
        o->i = v.asInt64();
        break;
    case T::Currency:
        o->kind = VarKind::Double;
        o->d = double(v.asInt64()) / 10000.0;
        break;
    case T::Single:
    case T::Double:
    case T::Extended:
    case T::Date:
        o->kind = VarKind::Double;
        o->d = double(v.asFloat());
        break;
    case T::String:
        o->kind = VarKind::String;
        o->s = v.asString();
        break;
    case T::WString: {
        o->kind = VarKind::String;
        const base::CodePage& cp = base::CodePage::active();
        for (char16_t c : v.asWideString()) o->s += char(cp.fromUnicode(c));
        break;
    }
    case T::Array: delete o; throw ScriptException(TIFException::erTypeMismatch, "");
    }
    return Slot{.p = o};
}

classes::Variant variantToNative(Slot v) {
    auto* o = static_cast<const VarObj*>(v.p);
    if (!o) return {};
    switch (o->kind) {
    case VarKind::Empty: return {};
    case VarKind::Null: return classes::Variant::null();
    case VarKind::Integer: return classes::Variant::integer(int32_t(o->i));
    case VarKind::Int64: return classes::Variant::int64(o->i);
    case VarKind::Double: return classes::Variant::floating(o->d, classes::Variant::Type::Double);
    case VarKind::Boolean: return classes::Variant::boolean(o->i != 0);
    case VarKind::String: return classes::Variant::string(o->s);
    }
    return {};
}

Slot fromProperty(const TypeDesc* t, const classes::PropValue& v, Vm& vm) {
    if (auto* i = std::get_if<int64_t>(&v)) {
        if (t->kind == TypeKind::Set) {
            if (*i == 0) return Slot{.p = nullptr};
            auto* s = new SetObj;
            s->bits[0] = uint64_t(*i);
            return Slot{.p = s};
        }
        if (t->kind == TypeKind::Float) return Slot{.d = double(*i)};
        if (t->kind == TypeKind::String) return Slot{.p = newStr(std::string(1, char(*i)))};
        return Slot{.i = wrapTo(t, *i)};
    }
    if (auto* f = std::get_if<long double>(&v)) return Slot{.d = toScriptFloat(t, double(*f))};
    if (auto* s = std::get_if<std::string>(&v)) {
        if (t->kind == TypeKind::Char) return Slot{.i = s->empty() ? 0 : uint8_t((*s)[0])};
        return Slot{.p = newStr(*s)};
    }
    if (auto* w = std::get_if<std::u16string>(&v)) {
        const base::CodePage& cp = base::CodePage::active();
        std::string s;
        for (char16_t c : *w) s += char(cp.fromUnicode(c));
        return Slot{.p = newStr(std::move(s))};
    }
    if (auto* o = std::get_if<classes::TObject*>(&v)) return Slot{.i = int64_t(Handles::ref(*o))};
    if (auto* m = std::get_if<classes::TMethod>(&v)) return Slot{.i = vm.procOf(*m)};
    if (auto* var = std::get_if<classes::Variant>(&v)) return variantFromNative(*var);
    return Slot{.i = 0};
}

classes::PropValue toProperty(const TypeDesc* t, const classes::TypeInfo& info, Slot v, Vm& vm) {
    using K = classes::TypeKind;
    switch (info.kind()) {
    case K::Integer:
    case K::Enumeration:
    case K::Boolean:
    case K::Int64: return int64_t(v.i);
    case K::Char:
        return t->kind == TypeKind::String ? int64_t(uint8_t(strOf(v).empty() ? 0 : strOf(v)[0]))
                                           : int64_t(v.i);
    case K::Set: return int64_t(v.p ? static_cast<SetObj*>(v.p)->bits[0] : 0);
    case K::Float: return static_cast<long double>(v.d);
    case K::String: return strOf(v);
    case K::WString: {
        const base::CodePage& cp = base::CodePage::active();
        std::u16string w;
        for (unsigned char c : strOf(v)) w += char16_t(cp.toUnicode(c));
        return w;
    }
    case K::Class: return objectOf(ObjectRef(v.i), nullptr);
    case K::Method: return vm.methodFor(v.i);
    case K::Variant: return variantToNative(v);
    }
    return int64_t(0);
}

// A native value handed to a script as `type` (an event's record argument): results may narrow.
bool receivable(const TypeDesc* type, const classes::NativeType& nt) {
    return incompatible(type, nt, false, true).empty();
}

}  // namespace script
