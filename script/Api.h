// The engine's public face: compile a script against declared routines, types, constants,
// variables and classes, then run it with native bindings. The host declares everything by
// declaration strings in the script language ("function FileExists(const FileName: string):
// Boolean;") and binds ordinary C++ functions, usually through an Imports table (Imports.h).
// Script objects are classes::TObject descendants described by their class metadata.
// Single-threaded: one Compiler or Executor is used by one thread at a time; nested calls
// from native code into the executor (event procedures) are allowed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/Error.h"
#include "classes/Forward.h"
#include "classes/NativeCallable.h"
#include "script/Foreign.h"
#include "script/Imports.h"

namespace script {

struct Chunk;
class Vm;
class Parser;
class NativeCall;  // the untyped call of engine-internal routines (script/NativeCall.h)
using NativeFn = std::function<void(NativeCall&)>;

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

// Thrown by native code (or the VM) to raise a catchable script error. Any other exception
// a native routine throws becomes the script error erException with its message.
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

// A native function whose C++ signature does not fit its declaration (a programming error,
// found when the declaration is registered or the binding loaded); the message names the
// declaration and the parameter.
class BindingError : public base::Error {
public:
    using base::Error::Error;
};

struct SourcePos {
    int row = 0, col = 0;
    uint32_t offset = 0;  // byte offset in the source; 0 when unknown
};

struct CompileMessage {
    enum class Kind : uint8_t { Error, Warning, Hint };
    Kind kind = Kind::Error;
    std::string text;
    int row = 0, col = 0;
    // "[Error] (row:col): text"
    std::string toString() const;
};

// One compilation. Declarations are accepted only while the unit handler runs for "SYSTEM"
// ("This function can only be called from within the OnUses event" otherwise). Declaring the
// same thing twice is harmless; an enumeration member the host declares again shadows the
// earlier one. A declaration that does not parse fails the compilation with a message that
// quotes it; a typed function that does not fit its declaration throws BindingError.
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
    // Class members are parsed when a script first uses them (so registering stays cheap and
    // members may name classes declared later). With the check on, every member and
    // property type is declared right after registration: a start-up test of the vocabulary.
    void setCheckDeclarations(bool on) { m_checkDeclarations = on; }

    // Every declaration of a table (routines, types, constants, classes, variables).
    void addImports(const Imports& imports);
    // A routine with its code attached now (no executor binding needed): a typed C++
    // function, or an engine-internal NativeFn.
    template <class F>
    void addFunction(std::string_view declaration, F fn) {
        if constexpr (std::is_invocable_v<F&, NativeCall&>)
            addNativeFunction(declaration, NativeFn(std::move(fn)));
        else
            addTypedFunction(declaration, classes::NativeCallable::function(std::move(fn)));
    }
    void addFunction(std::string_view declaration, NativeFn fn) {
        addNativeFunction(declaration, std::move(fn));
    }
    // A routine the executor binds by name (Executor::addImports, Executor::bind).
    void addFunction(std::string_view declaration);
    void addType(std::string_view name, std::string_view declaration);
    void addIntConst(std::string_view name, int64_t value);
    void addStringConst(std::string_view name, std::string_view value);
    void addFloatConst(std::string_view name, double value);
    void addVariable(std::string_view name, std::string_view typeName);
    // The class with its published properties, script members and (first) its ancestors.
    void addClass(const classes::ClassInfo& cls);

    // Null on failure; messages() then starts with the error.
    std::shared_ptr<const Chunk> compile(std::string_view source);
    const std::vector<CompileMessage>& messages() const;

private:
    void addNativeFunction(std::string_view declaration, NativeFn fn);
    void addTypedFunction(std::string_view declaration, classes::NativeCallable fn);
    friend class Parser;

    std::unique_ptr<Parser> m_parser;
    UnitHandler m_unitHandler;
    PositionHook m_hook;
    bool m_inUses = false;
    bool m_checkDeclarations = false;
};

// Marks an object the host deletes itself (the application object, a form it holds in a
// smart pointer): a script's Free of it is the script error "Invalid pointer operation"
// instead of a second delete. Components and collection items are otherwise freed by their
// owner's rules, other objects only when the script created them. Main thread only.
void markHostOwned(classes::TObject* obj);

// The bytecode of a chunk, one line per instruction with its source position.
std::string disassemble(const Chunk& chunk);

struct RuntimeError {
    TIFException kind = TIFException::erNoError;
    std::string param;
    std::string text;
    SourcePos pos;
    std::string procName;
    int procIndex = 0;      // the procedure number
    uint32_t position = 0;  // the code position inside that procedure
};

// One run of a compiled script.
class Executor {
public:
    Executor();
    ~Executor();
    // Binds the routines of a table by name (its declarations go to the Compiler).
    void addImports(const Imports& imports);
    // Binds (or rebinds) a routine declared without code; names ignore case. A method
    // declared without code binds as "TClass.Method".
    void bind(std::string_view name, NativeFn fn);
    // Script routines declared "external 'Proc@Library [stdcall|cdecl|register|pascal]
    // [delayload]'" call Proc of the shared library through dlopen. `exports` stand in for
    // a library (named in any case, ".dll" implied): a routine of that name is served by its
    // binding and never looked up.
    void addLibrary(std::string_view library, const Imports& exports);
    // Maps a library name as scripts write it ("user32.dll") to what dlopen opens; the
    // default opens the name as written. Called before any lookup of `exports`-less names.
    using LibraryResolver = std::function<std::string(std::string_view library)>;
    void setLibraryResolver(LibraryResolver r);
    // Routines of libraries the host serves itself (script/Foreign.h), asked after the
    // `exports` stand-ins and before any shared library is opened. A served routine whose
    // declaration has another parameter count does not load ("Cannot Import <name>").
    void setForeignProvider(ForeignProvider p);
    // Called for every script error as it is raised, handled or not (debugger reports).
    using ErrorCallback = std::function<void(const RuntimeError&)>;
    void setErrorCallback(ErrorCallback cb);

    // False when a routine the script calls has no binding, or a library routine it calls
    // cannot be found (lastError: erCannotImport, "Cannot Import <name>"). Throws
    // BindingError when a binding does not fit its declaration.
    bool load(std::shared_ptr<const Chunk> chunk);
    // Stores an object in a global variable of a class type; unknown names are ignored.
    bool setGlobalObject(std::string_view name, classes::TObject* obj);
    // Runs the main block; false when it ended by an unhandled script error (lastError()).
    bool run();
    // Calls a script routine by name with arguments as an event passes them (var
    // arguments are pointers, written back). An unhandled script error is rethrown as
    // ScriptException; the executor stays usable.
    void call(std::string_view name, std::span<const classes::EventArg> args = {});
    void call(std::string_view name, std::initializer_list<classes::EventArg> args) {
        call(name, std::span<const classes::EventArg>(args.begin(), args.size()));
    }
    // The event handler that runs the script routine `name` (what `Obj.OnX := @Name` stores);
    // an unassigned TMethod when there is no such routine. Calling it after the executor is
    // gone does nothing.
    classes::TMethod method(std::string_view name);
    // The error that ended the last run() or call(); erNoError after a successful one.
    const RuntimeError& lastError() const;
    // The source position of a procedure's code position (RuntimeError::procIndex and
    // position); offset 0 when unknown.
    SourcePos sourcePosition(int procIndex, uint32_t position) const;
    // Limit on nested script calls before "Out Of Stack Range".
    void setMaxDepth(int depth);
    // Limit on loop iterations and calls (backward jumps and routine entries) per run
    // before the script error "Execution limit exceeded"; unlimited by default.
    void setStepLimit(int64_t backwardJumps);

private:
    std::unique_ptr<Vm> m_vm;
};

}  // namespace script
