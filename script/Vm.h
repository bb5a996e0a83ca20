// The stack VM. Variables live in frame slots resolved at compile time; each opcode knows
// its operand types, so the loop never dispatches on a value's type. Script errors are
// C++ exceptions (ScriptException) thrown by an opcode or native routine and caught once
// per activation of the loop, which unwinds to the innermost script handler.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/Api.h"
#include "script/Chunk.h"

namespace script {

class Vm;

// The callable inside a TMethod that runs a script procedure (an event handler a script
// assigned). It outlives the executor harmlessly: the link is cleared when the executor
// dies or loads other bytecode, and the handler then does nothing.
struct ScriptHandler {
    struct Link {
        Vm* vm;
    };
    std::shared_ptr<Link> link;
    int64_t proc;
    void operator()(std::span<const classes::EventArg> args) const;
};

class Vm {
public:
    Vm();
    ~Vm();
    void bind(std::string_view name, NativeFn fn);
    void bindTyped(std::string_view name, classes::NativeCallable fn);
    void addLibrary(std::string_view library, std::string_view proc, classes::NativeCallable fn);
    void setLibraryResolver(Executor::LibraryResolver r) { m_libraryResolver = std::move(r); }
    void setForeignProvider(ForeignProvider p) { m_foreign = std::move(p); }
    // Whether `p` is a string of the loaded chunk's constant pool (never written in place).
    bool isConstant(const HeapObj* p) const;
    void setErrorCallback(Executor::ErrorCallback cb) { m_onError = std::move(cb); }
    bool load(std::shared_ptr<const Chunk> chunk);
    bool run();
    void call(std::string_view name, std::span<const classes::EventArg> args);
    // Runs the routine behind a procedure value with an event's arguments.
    void callProcValue(int64_t proc, std::span<const classes::EventArg> args);
    bool setGlobalObject(std::string_view name, classes::TObject* obj);
    void setMaxDepth(int d) { m_maxDepth = size_t(d); }
    void setStepLimit(int64_t n) { m_stepLimit = m_budget = n; }
    SourcePos sourcePosition(int proc, uint32_t position) const;
    // Procedure values and event handlers: a TMethod that runs the procedure, and back.
    classes::TMethod methodFor(int64_t proc);
    int64_t procOf(const classes::TMethod& m) const;
    int findProc(std::string_view name) const;

    const RuntimeError& lastError() const { return m_error; }
    // The exception being handled (ExceptionType, ExceptionParam, ... of the system unit).
    const RuntimeError& currentException() const { return m_exc; }
    void raiseLast();
    std::chrono::steady_clock::time_point startTime() const { return m_start; }

private:
    struct Frame {
        int proc;
        const int32_t* ret;
        Slot* bp;
        size_t pins;  // pin stack height at entry
    };
    struct Handler {
        bool isFinally;
        const int32_t* target;
        size_t frameDepth;
        Slot* sp;
        size_t pins;
    };
    struct Pending {
        enum Kind : uint8_t { None, Exception, Leave } kind;
        int remaining;
        const int32_t* target;
        size_t depth;
    };

    // Where CALL_NATIVE, CALL_METHOD and external routines go.
    struct NativeTarget {
        NativeFn raw;
        std::shared_ptr<const BoundCall> bound;
    };
    struct Binding {
        NativeFn raw;
        classes::NativeCallable typed;
    };

    void invokeEvent(int index, std::span<const classes::EventArg> args);
    void runEvent(int index, std::span<const classes::EventArg> args);
    bool bindNatives(const Chunk& chunk);
    bool bindExternals(const Chunk& chunk);
    void callMethod(int n, Slot*& sp);
    void construct(const NativeProc& np, const NativeTarget& t, Slot*& sp);
    Slot* getProperty(const PropRef& r, Slot* sp);
    Slot* setProperty(const PropRef& r, Slot* sp);
    bool isInstance(const TypeDesc* t, ObjectRef h);
    // Where the dispatch loop is: the start of the instruction being run.
    struct Regs {
        const int32_t* pc;
        Slot* sp;
        Slot* bp;
    };
    void execute(const int32_t* pc, Slot* sp, size_t baseFrames, Slot* baseSp);
    void dispatch(size_t baseFrames, Slot* baseSp);
    bool unwindFrom(const ScriptException& e, Regs& r, size_t baseFrames, Slot* baseSp);
    Slot* fieldAddress(Slot* s, int type, int field);
    Slot* nativeCall(const ProcSig& sig, const NativeTarget& t, Slot* sp);
    Slot* methodCall(int n, Slot* sp);
    Slot* externalCall(int proc, Slot* sp);
    void prepareRaise(Slot* args);
    [[noreturn]] void throwRaising();
    Slot* enter(int proc, const int32_t*& pc, Slot* sp, Slot*& bp);
    Slot* enterFromNative(int proc, const int32_t*& pc, Slot* sp, Slot*& bp);  // enter(), not inlined
    void releaseFrame(const Frame& f);
    void abandonFrame(const Frame& f);
    bool unwind(const ScriptException& e, const int32_t*& pc, Slot*& sp, Slot*& bp, size_t baseFrames,
                Slot* baseSp);
    const int32_t* leave(int remaining, const int32_t* target);  // where execution goes on
    SourcePos posAt(const int32_t* pc, int& proc) const;
    void callNative(const ProcSig& sig, const NativeTarget& t, Slot*& sp, ObjectRef self,
                    classes::TObject* obj, bool method);
    void callExternal(int proc, Slot*& sp);

    std::shared_ptr<const Chunk> m_chunk;
    std::unordered_map<std::string, Binding> m_bindings;
    // Stand-ins for shared libraries: library (upper case, no ".DLL") → upper-case routine → code.
    std::unordered_map<std::string, std::unordered_map<std::string, classes::NativeCallable>> m_libraries;
    Executor::LibraryResolver m_libraryResolver;
    ForeignProvider m_foreign;
    Executor::ErrorCallback m_onError;
    std::vector<NativeTarget> m_natives;    // per chunk native
    std::vector<NativeTarget> m_externals;  // per chunk proc (external declarations)
    std::shared_ptr<ScriptHandler::Link> m_link;
    std::unique_ptr<char[]> m_procKeys;  // one byte per procedure: the identity of its TMethods
    Regs m_regs{};                       // published by the dispatch loop for execute()'s error handling
    std::unique_ptr<Slot[]> m_stack;
    // One byte per stack slot: 1 while the slot holds an owned managed temporary, so an
    // error can release what an expression had pushed when it was interrupted.
    std::unique_ptr<uint8_t, void (*)(void*)> m_tags{nullptr, free};
    uint8_t& tag(const Slot* s) { return m_tags.get()[s - m_stack.get()]; }
    void dropTemporaries(Slot* from, Slot* to);
    Slot* m_stackEnd = nullptr;
    Slot* m_top = nullptr;  // stack top while native code runs (nested calls start above it)
    std::vector<Slot> m_globals;
    std::vector<Frame> m_frames;
    std::vector<Handler> m_handlers;
    std::vector<Pending> m_pending;
    std::vector<HeapObj*> m_pins;  // arrays kept alive while element addresses are in use
    void unpinTo(size_t height) {
        while (m_pins.size() > height) {
            release(m_pins.back());
            m_pins.pop_back();
        }
    }
    size_t m_maxDepth = 400000;
    int64_t m_stepLimit = INT64_MAX;
    int64_t m_budget = INT64_MAX;
    RuntimeError m_error;
    RuntimeError m_exc;
    bool m_reraise = false;
    std::optional<ScriptException> m_raising;  // raised by the script itself: no C++ unwinding
    std::chrono::steady_clock::time_point m_start;
};

}  // namespace script
