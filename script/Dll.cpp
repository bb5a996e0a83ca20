// DLL routines through dlopen and libffi.
#include "script/Dll.h"

#include <dlfcn.h>
#include <ffi.h>

#include <cstring>
#include <memory>
#include <vector>

#include "script/Symbols.h"

namespace script {

namespace {

ffi_type* ffiType(const TypeDesc* t) {
    switch (t->kind) {
    case TypeKind::Integer:
        switch (t->intKind) {
        case IntKind::Byte: return &ffi_type_uint8;
        case IntKind::ShortInt: return &ffi_type_sint8;
        case IntKind::Word: return &ffi_type_uint16;
        case IntKind::SmallInt: return &ffi_type_sint16;
        case IntKind::Integer: return &ffi_type_sint32;
        case IntKind::Cardinal: return &ffi_type_uint32;
        case IntKind::Int64: return &ffi_type_sint64;
        case IntKind::UInt64: return &ffi_type_uint64;
        }
        return nullptr;
    case TypeKind::Boolean:
    case TypeKind::Char: return &ffi_type_uint8;
    case TypeKind::Enum: return &ffi_type_sint32;
    case TypeKind::Float: return t->floatKind == FloatKind::Single ? &ffi_type_float : &ffi_type_double;
    case TypeKind::String: return &ffi_type_pointer;
    default: return nullptr;
    }
}

// One argument's storage: the value itself, or (var parameters) what the pointer points at.
struct Cell {
    union {
        int64_t i;
        double d;
        float f;
        void* p;
    } value;
    union {
        int64_t i;
        double d;
        float f;
    } target;
    std::vector<char> text;
};

int64_t readInt(const TypeDesc* t, const void* p) {
    switch (t->kind) {
    case TypeKind::Boolean: return *static_cast<const uint8_t*>(p) != 0;
    case TypeKind::Char: return *static_cast<const uint8_t*>(p);
    case TypeKind::Enum: return *static_cast<const int32_t*>(p);
    default: break;
    }
    switch (t->intKind) {
    case IntKind::Byte: return *static_cast<const uint8_t*>(p);
    case IntKind::ShortInt: return *static_cast<const int8_t*>(p);
    case IntKind::Word: return *static_cast<const uint16_t*>(p);
    case IntKind::SmallInt: return *static_cast<const int16_t*>(p);
    case IntKind::Integer: return *static_cast<const int32_t*>(p);
    case IntKind::Cardinal: return *static_cast<const uint32_t*>(p);
    default: return *static_cast<const int64_t*>(p);
    }
}

void writeInt(const TypeDesc* t, void* p, int64_t v) {
    size_t size = t->kind == TypeKind::Enum ? 4 : ffiType(t)->size;
    std::memcpy(p, &v, size);  // little-endian: the low bytes
}

struct DllCall {
    void* fn;
    ProcSig sig;
    ffi_cif cif;
    std::vector<ffi_type*> types;

    void operator()(NativeCall& call) const {
        size_t n = sig.params.size();
        std::vector<Cell> cells(n);
        std::vector<void*> values(n);
        for (size_t i = 0; i < n; ++i) {
            const Param& p = sig.params[i];
            Cell& c = cells[i];
            Slot& s = call.slot(int(i));
            const TypeDesc* t = p.type;
            if (t->kind == TypeKind::String) {
                const std::string& str = strOf(s);
                c.text.assign(str.begin(), str.end());
                c.text.push_back('\0');
                c.value.p = c.text.data();
            } else if (p.byRef()) {
                if (t->kind == TypeKind::Float)
                    t->floatKind == FloatKind::Single ? void(c.target.f = float(s.d))
                                                      : void(c.target.d = s.d);
                else
                    writeInt(t, &c.target, s.i);
                c.value.p = &c.target;
            } else if (t->kind == TypeKind::Float) {
                t->floatKind == FloatKind::Single ? void(c.value.f = float(s.d)) : void(c.value.d = s.d);
            } else {
                writeInt(t, &c.value, s.i);
            }
            values[i] = &c.value;
        }
        union {
            ffi_arg i;
            double d;
            float f;
            void* p;
        } ret{};
        ffi_call(const_cast<ffi_cif*>(&cif), FFI_FN(fn), &ret, values.data());
        for (size_t i = 0; i < n; ++i) {
            const Param& p = sig.params[i];
            if (!p.byRef()) continue;
            const TypeDesc* t = p.type;
            Cell& c = cells[i];
            if (t->kind == TypeKind::String)
                call.setString(int(i), std::string(c.text.data()));
            else if (t->kind == TypeKind::Float)
                call.setReal(int(i), t->floatKind == FloatKind::Single ? double(c.target.f) : c.target.d);
            else
                call.setInteger(int(i), readInt(t, &c.target));
        }
        const TypeDesc* r = sig.result;
        if (!r) return;
        if (r->kind == TypeKind::String)
            call.returnString(ret.p ? std::string(static_cast<const char*>(ret.p)) : std::string());
        else if (r->kind == TypeKind::Float)
            call.returnReal(r->floatKind == FloatKind::Single ? double(ret.f) : ret.d);
        else
            call.returnInteger(readInt(r, &ret));
    }
};

}  // namespace

bool parseDllImport(std::string_view text, DllImport& out) {
    size_t at = text.find('@');
    if (at == std::string_view::npos || at == 0) return false;
    out.proc = std::string(text.substr(0, at));
    std::string_view rest = text.substr(at + 1);
    // The library name runs to the first blank; the words after it are directives.
    size_t end = rest.find(' ');
    out.library = std::string(rest.substr(0, end));
    if (out.library.empty()) return false;
    out.delayLoad = false;
    while (end != std::string_view::npos) {
        rest = rest.substr(end + 1);
        end = rest.find(' ');
        std::string word = upperName(rest.substr(0, end));
        if (word == "DELAYLOAD") out.delayLoad = true;
    }
    return true;
}

void* openSymbol(const std::string& libraryFile, const std::string& proc) {
    void* lib = dlopen(libraryFile.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) return nullptr;
    // The library stays open for the process: routines bound to it may be called any time.
    return dlsym(lib, proc.c_str());
}

NativeFn makeDllCall(void* symbol, const ProcSig& sig) {
    auto call = std::make_shared<DllCall>();
    call->fn = symbol;
    call->sig = sig;
    for (const Param& p : sig.params) {
        ffi_type* t = ffiType(p.type);
        if (!t) return {};
        call->types.push_back(p.byRef() && p.type->kind != TypeKind::String ? &ffi_type_pointer : t);
    }
    ffi_type* result = &ffi_type_void;
    if (sig.result && !(result = ffiType(sig.result))) return {};
    if (ffi_prep_cif(&call->cif, FFI_DEFAULT_ABI, unsigned(call->types.size()), result, call->types.data()) !=
        FFI_OK)
        return {};
    return [call](NativeCall& c) { (*call)(c); };
}

NativeFn delayedDllCall(std::string libraryFile, std::string proc, const ProcSig& sig) {
    struct Lazy {
        std::string file, proc;
        ProcSig sig;
        NativeFn fn;
    };
    auto lazy = std::make_shared<Lazy>(Lazy{std::move(libraryFile), std::move(proc), sig, {}});
    return [lazy](NativeCall& c) {
        if (!lazy->fn) {
            if (void* sym = openSymbol(lazy->file, lazy->proc)) lazy->fn = makeDllCall(sym, lazy->sig);
            if (!lazy->fn) throw ScriptException(TIFException::erCouldNotCallProc, "");
        }
        lazy->fn(c);
    };
}

}  // namespace script
