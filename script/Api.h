// The engine's public face: compile a script against declared routines, types, constants,
// variables and imported classes, then run it with native bindings. The host declares
// everything by declaration strings in the script language ("function FileExists(FileName:
// string): Boolean;") and binds native code by name. Single-threaded: one Compiler or
// Executor is used by one thread at a time; nested calls from native code into the
// executor (event procedures) are allowed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "script/Chunk.h"

namespace script {

class Vm;

// Run-time error kinds in the engine's own order; scripts see them as TIFException.
enum class TIFException : uint8_t {
    erNoError,
    erCannotImport,
    erInvalidType,
    erInternalError,
    erInvalidHeader,
    erInvalidOpcode,
    erInvalidOpcodeParameter,
    erNoMainProc,
    erOutOfGlobalVarsRange,
    erOutOfProcRange,
    erOutOfRange,
    erOutOfStackRange,
    erTypeMismatch,
    erUnexpectedEof,
    erVersionError,
    erDivideByZero,
    erMathError,
    erCouldNotCallProc,
    erOutofRecordRange,
    erOutOfMemory,
    erException,
    erNullPointerException,
    erNullVariantError,
    erInterfaceNotSupported,
    erCustomError,
};
constexpr int kExceptionKinds = int(TIFException::erCustomError) + 1;
const char* exceptionName(TIFException e);
// The message a script error shows: "divide by Zero", "Exception: <param>", ...
std::string exceptionText(TIFException e, const std::string& param);

// Thrown by native code (or the VM) to raise a catchable script error.
class ScriptException : public base::ScriptError {
public:
    ScriptException(TIFException kind, std::string param)
        : base::ScriptError(exceptionText(kind, param)), m_kind(kind), m_param(std::move(param)) {}
    TIFException kind() const { return m_kind; }
    const std::string& param() const { return m_param; }

private:
    TIFException m_kind;
    std::string m_param;
};

// Script-visible objects are host handles; 0 is nil. The host's handle table resolves
// them, so a freed or forged handle is the host's error to report, never a dereference.
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
    ObjectRef object(int i) const { return ObjectRef(slot(i).i); }
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
    void returnObject(ObjectRef v) { m_result->i = int64_t(v); }

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

enum class PropertyAccess : uint8_t { ReadWrite = 0, ReadOnly = 1, WriteOnly = 2 };

// An imported class as the host's class-metadata layer describes it. The engine asks at
// compile time for properties by name and at run time reads/writes them through the binding.
class ClassBinding {
public:
    struct PropertyDecl {
        std::string typeName;  // a type known to the compiler, e.g. "Integer", "TNotifyEvent"
        PropertyAccess access = PropertyAccess::ReadWrite;
        int id = 0;  // passed back at run time
    };
    virtual ~ClassBinding() = default;
    virtual std::string className() const = 0;
    virtual const ClassBinding* parent() const = 0;
    virtual bool findProperty(std::string_view name, PropertyDecl& out) const = 0;
    // Run time: whether the object is an instance of this class or a descendant ("is", "as").
    virtual bool isInstance(ObjectRef self) const = 0;
    // get: the value goes to call.return*(); set: the value is argument 0.
    virtual void getProperty(ObjectRef self, int id, NativeCall& call) const = 0;
    virtual void setProperty(ObjectRef self, int id, NativeCall& call) const = 0;
};

struct CompileMessage {
    enum class Kind : uint8_t { Error, Warning, Hint };
    Kind kind = Kind::Error;
    std::string text;
    int row = 0, col = 0;
    // "[Error] (row:col): text"
    std::string toString() const;
};

class Parser;

// One compilation. Declarations are accepted only while the unit handler runs for "SYSTEM"
// ("This function can only be called from within the OnUses event" otherwise).
class Compiler {
public:
    // Called with "SYSTEM" first, then with each unit of a uses clause; false refuses it.
    using UnitHandler = std::function<bool(Compiler&, const std::string& unit)>;
    // Called each time compilation passes another multiple of 51,200 bytes of the source
    // (once per multiple, with the offset reached), so the host may process pending events.
    using PositionHook = std::function<void(uint32_t offset)>;

    Compiler();
    ~Compiler();
    void setUnitHandler(UnitHandler h);
    void setPositionHook(PositionHook h);

    // Declarations; each throws base::CompileError when the text does not parse.
    void addFunction(std::string_view declaration, NativeFn fn = {});
    void addType(std::string_view name, std::string_view declaration);
    void addIntConst(std::string_view name, int64_t value);
    void addStringConst(std::string_view name, std::string_view value);
    void addFloatConst(std::string_view name, double value);
    void addVariable(std::string_view name, std::string_view typeName);
    void addClass(const ClassBinding& cls);
    void addMethod(std::string_view className, std::string_view declaration, NativeFn fn);

    // Null on failure; messages() then starts with the error.
    std::shared_ptr<const Chunk> compile(std::string_view source);
    const std::vector<CompileMessage>& messages() const;

private:
    std::unique_ptr<Parser> m_parser;
    UnitHandler m_unitHandler;
    PositionHook m_hook;
    bool m_inUses = false;
    friend class Parser;
};

struct RuntimeError {
    TIFException kind = TIFException::erNoError;
    std::string param;
    std::string text;
    SourcePos pos;
    std::string procName;
    int procIndex = 0;
};

// One run of a compiled script.
class Executor {
public:
    Executor();
    ~Executor();
    // Binds (or rebinds) a native routine declared without code; names ignore case.
    // A script's "external 'text'" routine binds by that text, then by its own name;
    // a method declared without code binds as "TClass.Method".
    void bind(std::string_view name, NativeFn fn);
    // Asked at load time for external routines no bind() covers (the host's DLL import
    // handler); an empty function leaves the routine unbound ("Could not call proc").
    using ExternalResolver = std::function<NativeFn(const std::string& externalText, const ProcSig& sig)>;
    void setExternalResolver(ExternalResolver r);
    // Called for every script error as it is raised, handled or not (debugger reports).
    using ErrorCallback = std::function<void(const RuntimeError&)>;
    void setErrorCallback(ErrorCallback cb);
    // False when a routine the script calls has no binding (lastError: erCannotImport).
    bool load(std::shared_ptr<const Chunk> chunk);
    // Stores an object in a global variable; unknown names are ignored.
    bool setGlobalObject(std::string_view name, ObjectRef obj);
    // Runs the main block; false when it ended by an unhandled script error.
    bool run();
    // Calls a script routine by name with integer/object arguments (event procedures);
    // an unhandled script error is rethrown as ScriptException.
    void callProc(std::string_view name, const std::vector<int64_t>& args);
    // Calls the routine behind a procedure value (what a script stored into an event
    // property with @Proc); `var` parameters are written back into args.
    void callProcValue(int64_t proc, std::vector<int64_t>& args);
    const RuntimeError& lastError() const;
    // Limit on nested script calls before "Out Of Stack Range".
    void setMaxDepth(int depth);
    // Limit on loop iterations and calls (backward jumps and routine entries) per run
    // before the script error "Execution limit exceeded"; unlimited by default.
    void setStepLimit(int64_t backwardJumps);

private:
    std::unique_ptr<Vm> m_vm;
};

}  // namespace script
