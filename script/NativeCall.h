// The untyped native call of engine-internal routines (the system unit, tests): arguments
// read and written by index in their declared types. Host code binds typed C++ functions
// through Imports instead, which never sees the VM's slots.
#pragma once

#include <cstdint>
#include <string>

#include "script/Api.h"
#include "script/Types.h"
#include "script/Value.h"

namespace script {

// Script-visible objects as the VM holds them: handles into the handle table; 0 is nil.
using ObjectRef = uint64_t;

// The arguments and result of one native call, in declared order and declared types.
// Reading a `var` parameter reads through it; set*() writes a `var`/`out` parameter.
class NativeCall {
public:
    NativeCall(Slot* args, const ProcSig* sig, Slot* result, ObjectRef self = 0, Vm* vm = nullptr)
        : m_args(args), m_sig(sig), m_result(result), m_self(self), m_vm(vm) {}

    int count() const { return int(m_sig->params.size()); }
    ObjectRef self() const { return m_self; }
    int64_t integer(int i) const { return slot(i).i; }
    double real(int i) const { return slot(i).d; }
    bool boolean(int i) const { return slot(i).i != 0; }
    const std::string& string(int i) const { return strOf(slot(i)); }
    // Set parameters (TShiftState, ...): whether the member with this ordinal is in it.
    bool setHas(int i, int member) const;
    // Open and dynamic array parameters.
    int64_t arrayLength(int i) const;
    int64_t arrayInteger(int i, int64_t index) const;
    std::string arrayString(int i, int64_t index) const;

    void setInteger(int i, int64_t v) { slot(i).i = v; }
    void setReal(int i, double v) { slot(i).d = v; }
    void setBoolean(int i, bool v) { slot(i).i = v; }
    void setString(int i, std::string v);

    void returnInteger(int64_t v) { m_result->i = v; }
    void returnReal(double v) { m_result->d = v; }
    void returnBoolean(bool v) { m_result->i = v; }
    void returnString(std::string v);

    [[noreturn]] void raise(TIFException kind, std::string param = {}) const {
        throw ScriptException(kind, std::move(param));
    }

    // Engine-internal access (variants, sets, records) for the system unit.
    Slot& slot(int i) const { return m_sig->params[size_t(i)].byRef() ? *m_args[i].a : m_args[i]; }
    Slot& result() const { return *m_result; }
    const ProcSig& sig() const { return *m_sig; }
    Vm* vm() const { return m_vm; }

private:
    Slot* m_args;
    const ProcSig* m_sig;
    Slot* m_result;
    ObjectRef m_self;
    Vm* m_vm;
};

}  // namespace script
