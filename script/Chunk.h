// A compiled script: flat code for every routine, the constant pool, global layout, the
// native routines it calls and the debug information mapping code offsets to source.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/NativeCall.h"
#include "script/Types.h"
#include "script/Value.h"

namespace script {

enum class Op : uint8_t {
#define OP(name, n, doc) name,
#include "script/Opcodes.def"
#undef OP
};

struct OpInfo {
    const char* name;
    int operands;
    const char* doc;
};
const OpInfo& opInfo(Op op);

struct BoundCall;  // a typed native function and how its arguments cross (Binder.h)

// An imported class as one compilation sees it: its metadata and the members declared from
// it (published properties are looked up in the metadata when used).
struct ClassDecl {
    struct Member {
        enum class Kind : uint8_t { Method, Constructor, Property, Pending } kind;
        int index = -1;  // Chunk::natives (methods, constructors) or Chunk::props
        // Pending: parsed when first used, so members may name classes declared later.
        const classes::ScriptMember* source = nullptr;
    };
    const classes::ClassInfo* info = nullptr;
    ClassDecl* parent = nullptr;
    const TypeDesc* type = nullptr;
    int index = 0;                                    // in Chunk::classes
    std::unordered_map<std::string, Member> members;  // own members by upper-case name
    std::string defaultName;                          // own default property, upper case
};

enum class CallKind : uint8_t { Routine, Method, Constructor };

struct NativeProc {
    std::string name;  // upper case; methods "CLASS.METHOD"
    ProcSig sig;
    NativeFn fn;
    bool isMethod = false;
    CallKind kind = CallKind::Routine;
    const ClassDecl* cls = nullptr;          // methods and constructors
    std::shared_ptr<const BoundCall> bound;  // typed code attached at compile time
    std::string declaration;                 // as the host wrote it, for messages
    bool used = false;                       // called or taken (@) by the script
    bool nilSelf = false;                    // a method that also runs for nil (Free)
};

struct ProcInfo {
    std::string name;  // as declared
    ProcSig sig;
    uint32_t entry = 0;
    int nParams = 0;
    int frameSize = 0;               // params + locals
    std::vector<int> managedLocals;  // slots released on return (owned params included)
    bool defined = false;
    bool isExternal = false;
    bool called = false;  // external routines: called or taken (@) by the script
    std::string externalName;
};

// A property of an imported class: published (read through its metadata) or declared
// ("property Strings[Index: Integer]: string") with typed accessors; index parameters come
// first on the stack, after the object.
struct PropRef {
    const ClassDecl* cls = nullptr;
    const classes::PropInfo* published = nullptr;
    std::shared_ptr<const BoundCall> getter, setter;
    const TypeDesc* type = nullptr;
    std::vector<Param> params;
    PropertyAccess access = PropertyAccess::ReadWrite;
    std::string name;
};

struct Chunk {
    std::vector<int32_t> code;
    std::vector<std::pair<uint32_t, SourcePos>> lines;  // sorted by code offset
    std::vector<Slot> constants;
    std::vector<uint8_t> constManaged;
    std::vector<ProcInfo> procs;  // procs[0] is the main block
    std::vector<NativeProc> natives;
    std::vector<PropRef> props;
    int nGlobals = 0;
    std::vector<int> managedGlobals;
    std::vector<std::pair<std::string, int>> globalNames;  // upper-case name → slot
    std::vector<const TypeDesc*> globalTypes;
    std::vector<std::unique_ptr<TypeDesc>> types;     // owns every type the code refers to
    std::vector<const TypeDesc*> typeTable;           // operand index → type
    std::vector<std::unique_ptr<ClassDecl>> classes;  // imported classes; constructors name them by index

    Chunk() = default;
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;
    ~Chunk() {
        for (size_t i = 0; i < constants.size(); ++i)
            if (constManaged[i]) release(constants[i].p);
    }

    SourcePos positionOf(uint32_t pc) const;
    int procAt(uint32_t pc) const;
};

}  // namespace script
