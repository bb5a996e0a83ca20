// A compiled script: flat code for every routine, the constant pool, global layout, the
// native routines it calls and the debug information mapping code offsets to source.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

struct SourcePos {
    int row = 0, col = 0;
    uint32_t offset = 0;
};

class NativeCall;
using NativeFn = std::function<void(NativeCall&)>;

struct NativeProc {
    std::string name;  // upper case; methods "CLASS.METHOD"
    ProcSig sig;
    NativeFn fn;
    bool isMethod = false;
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
    std::string externalName;
};

struct PropRef {
    const ClassBinding* cls;
    int id;
    const TypeDesc* type;
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
    std::vector<std::unique_ptr<TypeDesc>> types;  // owns every type the code refers to
    std::vector<const TypeDesc*> typeTable;        // operand index → type

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

std::string disassemble(const Chunk& chunk);

}  // namespace script
