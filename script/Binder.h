// The typed binder: how a native function's C++ parameters and result cross from and to
// the VM's slots. A BoundCall is planned once (when the declaration meets the function) and
// then called many times; the common types (integers, floats, Booleans, strings) take a
// short path without temporaries on the heap.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classes/NativeCallable.h"
#include "script/Chunk.h"

namespace script {

class Vm;

struct ArgPlan {
    enum class Code : uint8_t {
        Void,
        I8,
        I16,
        I32,
        I64,
        Bool,
        Char,
        F32,
        F64,
        F80,
        Str,      // std::string by value, const& or & (points into the slot's string)
        StrView,  // std::string_view
        Obj,      // T& of a TObject descendant: the object itself
        Generic,  // any other type, through a constructed temporary
    };
    Code code = Code::Void;
    bool byRef = false;
    bool isSigned = false;
    const TypeDesc* type = nullptr;  // the script side
    const classes::NativeType* native = nullptr;
    uint32_t offset = 0;  // of the temporary in the call's scratch storage
};

struct BoundCall {
    classes::NativeCallable fn;
    std::vector<ArgPlan> args;
    ArgPlan result;
    uint32_t scratch = 0;  // bytes of temporaries
    std::string declaration;
};

// Checks that `fn` fits a routine declared as `sig` (for methods also that `cls`'s objects
// are instances of the function's class) and plans its calls. Throws BindingError naming
// `declaration` and the parameter that does not fit.
std::shared_ptr<const BoundCall> bindCall(classes::NativeCallable fn, const ProcSig& sig,
                                          std::string_view declaration, const ClassDecl* cls = nullptr);
// Calls it. `args` are the script's argument slots (a var parameter's slot holds the
// variable's address); `result` receives the owned result. `self` must be an instance of
// the function's class (the caller checks).
void callBound(const BoundCall& call, Slot* args, Slot* result, classes::TObject* self, Vm& vm);

// One value between its script type and a C++ object of `nt` (constructed at dst / src).
void toNative(const TypeDesc* type, Slot value, const classes::NativeType& nt, void* dst, Vm& vm);
Slot fromNative(const TypeDesc* type, const classes::NativeType& nt, void* src, Vm& vm);  // owned
// Whether a native record can pass into a script parameter of type `type` (and, for a
// var parameter, back out again).
bool recordFits(const TypeDesc* type, const classes::NativeType& nt, bool byRef);
// Whether fromNative can make a value of `type` from `nt` (an array argument, say).
bool receivable(const TypeDesc* type, const classes::NativeType& nt);
// Published property values.
Slot fromProperty(const TypeDesc* type, const classes::PropValue& v, Vm& vm);  // owned
classes::PropValue toProperty(const TypeDesc* type, const classes::TypeInfo& info, Slot v, Vm& vm);
// Variant payloads.
Slot variantFromNative(const classes::Variant& v);  // owned
classes::Variant variantToNative(Slot v);

// The script object behind a handle: null for nil; a dead handle raises "Null Pointer
// Exception", an object of another class "Type Mismatch" (an unchecked cast in the script).
classes::TObject* objectOf(ObjectRef h, const classes::ClassInfo* required);

// Integer values as the script type holds them (wrapped to its width).
int64_t wrapTo(const TypeDesc* type, int64_t v);

}  // namespace script
