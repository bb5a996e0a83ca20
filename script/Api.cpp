// The Compiler facade, message and error texts, and chunk helpers.
#include "script/Api.h"

#include <algorithm>

#include "script/Parser.h"

namespace script {

namespace {

const char* const kExceptionNames[] = {
    "erNoError",
    "erCannotImport",
    "erInvalidType",
    "ErInternalError",
    "erInvalidHeader",
    "erInvalidOpcode",
    "erInvalidOpcodeParameter",
    "erNoMainProc",
    "erOutOfGlobalVarsRange",
    "erOutOfProcRange",
    "ErOutOfRange",
    "erOutOfStackRange",
    "ErTypeMismatch",
    "erUnexpectedEof",
    "erVersionError",
    "ErDivideByZero",
    "ErMathError",
    "erCouldNotCallProc",
    "erOutofRecordRange",
    "erOutOfMemory",
    "erException",
    "erNullPointerException",
    "erNullVariantError",
    "erInterfaceNotSupported",
    "erCustomError",
};

void requireUses(bool inUses) {
    if (!inUses)
        throw base::CompileError("This function can only be called from within the OnUses event", 0, 0);
}

}  // namespace

const char* exceptionName(TIFException e) { return kExceptionNames[size_t(e)]; }

std::string exceptionText(TIFException e, const std::string& param) {
    switch (e) {
    case TIFException::erNoError: return "No Error";
    case TIFException::erCannotImport: return "Cannot Import " + param;
    case TIFException::erInvalidType: return "Invalid Type";
    case TIFException::erInternalError: return "Internal error";
    case TIFException::erInvalidHeader: return "Invalid Header";
    case TIFException::erInvalidOpcode: return "Invalid Opcode";
    case TIFException::erInvalidOpcodeParameter: return "Invalid Opcode Parameter";
    case TIFException::erNoMainProc: return "no Main Proc";
    case TIFException::erOutOfGlobalVarsRange: return "Out of Global Vars range";
    case TIFException::erOutOfProcRange: return "Out of Proc Range";
    case TIFException::erOutOfRange: return param.empty() ? "Out Of Range" : param;
    case TIFException::erOutOfStackRange: return "Out Of Stack Range";
    case TIFException::erTypeMismatch: return "Type Mismatch";
    case TIFException::erUnexpectedEof: return "Unexpected End Of File";
    case TIFException::erVersionError: return "Version error";
    case TIFException::erDivideByZero: return "divide by Zero";
    case TIFException::erMathError: return "Math error";
    case TIFException::erCouldNotCallProc: return "Could not call proc";
    case TIFException::erOutofRecordRange: return "Out of Record Fields Range";
    case TIFException::erOutOfMemory: return "Out Of Memory";
    case TIFException::erException: return "Exception: " + param;
    case TIFException::erNullPointerException: return "Null Pointer Exception";
    case TIFException::erNullVariantError: return "Null variant error";
    case TIFException::erInterfaceNotSupported: return "Interface not supported";
    case TIFException::erCustomError: return param;
    }
    return param;
}

std::string CompileMessage::toString() const {
    const char* k = kind == Kind::Error ? "[Error]" : kind == Kind::Warning ? "[Warning]" : "[Hint]";
    return std::string(k) + " (" + std::to_string(row) + ":" + std::to_string(col) + "): " + text;
}

bool NativeCall::setHas(int i, int member) const {
    const SetObj* s = static_cast<const SetObj*>(slot(i).p);
    return s && s->test(member);
}

int64_t NativeCall::arrayLength(int i) const {
    const ArrObj* a = static_cast<const ArrObj*>(slot(i).p);
    return a ? int64_t(a->items.size()) : 0;
}
int64_t NativeCall::arrayInteger(int i, int64_t index) const {
    const ArrObj* a = static_cast<const ArrObj*>(slot(i).p);
    if (!a || index < 0 || index >= int64_t(a->items.size())) raise(TIFException::erOutOfRange);
    return a->items[size_t(index)].i;
}
std::string NativeCall::arrayString(int i, int64_t index) const {
    const ArrObj* a = static_cast<const ArrObj*>(slot(i).p);
    if (!a || index < 0 || index >= int64_t(a->items.size())) raise(TIFException::erOutOfRange);
    return strOf(a->items[size_t(index)]);
}
void NativeCall::setString(int i, std::string v) {
    Slot& s = slot(i);
    release(s.p);
    s.p = newStr(std::move(v));
}
void NativeCall::returnString(std::string v) {
    release(m_result->p);
    m_result->p = newStr(std::move(v));
}

const OpInfo& opInfo(Op op) {
    static const OpInfo table[] = {
#define OP(name, n, doc) {#name, n, doc},
#include "script/Opcodes.def"
#undef OP
    };
    return table[size_t(op)];
}

SourcePos Chunk::positionOf(uint32_t pc) const {
    auto it =
        std::upper_bound(lines.begin(), lines.end(), pc,
                         [](uint32_t v, const std::pair<uint32_t, SourcePos>& e) { return v < e.first; });
    if (it == lines.begin()) return {};
    return std::prev(it)->second;
}

int Chunk::procAt(uint32_t pc) const {
    int best = 0;
    uint32_t bestEntry = 0;
    for (size_t i = 0; i < procs.size(); ++i)
        if (procs[i].defined && !procs[i].isExternal && procs[i].entry <= pc && procs[i].entry >= bestEntry) {
            best = int(i);
            bestEntry = procs[i].entry;
        }
    return best;
}

Compiler::Compiler() : m_parser(std::make_unique<Parser>(*this)) {}
Compiler::~Compiler() = default;
void Compiler::setUnitHandler(UnitHandler h) { m_unitHandler = std::move(h); }
void Compiler::setPositionHook(PositionHook h) { m_hook = std::move(h); }

void Compiler::addFunction(std::string_view declaration, NativeFn fn) {
    requireUses(m_inUses);
    m_parser->declareFunction(declaration, std::move(fn));
}
void Compiler::addType(std::string_view name, std::string_view declaration) {
    requireUses(m_inUses);
    m_parser->declareType(name, declaration);
}
void Compiler::addIntConst(std::string_view name, int64_t value) {
    requireUses(m_inUses);
    m_parser->declareConst(name, builtinType("INTEGER"), Slot{.i = value}, {});
}
void Compiler::addStringConst(std::string_view name, std::string_view value) {
    requireUses(m_inUses);
    m_parser->declareConst(name, builtinType("STRING"), Slot{.i = 0}, std::string(value));
}
void Compiler::addFloatConst(std::string_view name, double value) {
    requireUses(m_inUses);
    m_parser->declareConst(name, builtinType("EXTENDED"), Slot{.d = value}, {});
}
void Compiler::addVariable(std::string_view name, std::string_view typeName) {
    requireUses(m_inUses);
    m_parser->declareVariable(name, typeName);
}
void Compiler::addClass(const ClassBinding& cls) {
    requireUses(m_inUses);
    m_parser->declareClass(cls);
}
void Compiler::addMethod(std::string_view className, std::string_view declaration, NativeFn fn) {
    requireUses(m_inUses);
    m_parser->declareMethod(className, declaration, std::move(fn));
}

std::shared_ptr<const Chunk> Compiler::compile(std::string_view source) { return m_parser->compile(source); }
const std::vector<CompileMessage>& Compiler::messages() const { return m_parser->messages; }

}  // namespace script
