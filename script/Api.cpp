// The Compiler and Executor facades, the replay of import tables, message and error texts,
// and chunk helpers.
#include "script/Api.h"

#include <algorithm>
#include <cctype>

#include "classes/ClassInfo.h"
#include "classes/TypeInfo.h"
#include "script/Handles.h"
#include "script/Parser.h"
#include "script/Vm.h"

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

void Compiler::addNativeFunction(std::string_view declaration, NativeFn fn) {
    requireUses(m_inUses);
    m_parser->declareFunction(declaration, std::move(fn));
}
void Compiler::addTypedFunction(std::string_view declaration, classes::NativeCallable fn) {
    requireUses(m_inUses);
    m_parser->declareFunction(declaration, {}, std::move(fn));
}
void Compiler::addFunction(std::string_view declaration) {
    requireUses(m_inUses);
    m_parser->declareFunction(declaration);
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
void Compiler::addClass(const classes::ClassInfo& cls) {
    requireUses(m_inUses);
    m_parser->declareClass(cls);
}

namespace {

std::string enumDeclaration(const classes::TypeInfo& type) {
    if (type.kind() != classes::TypeKind::Enumeration)
        throw base::Error("Internal error: RegisterRealEnum not passed a valid enum type");
    std::string decl = "(";
    for (size_t i = 0; i < type.elements().size(); ++i) decl += (i ? "," : "") + type.elements()[i];
    return decl + ")";
}

// The routine name of a declaration ("function FileExists(...)" → "FileExists").
std::string_view routineName(std::string_view decl) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < decl.size() && (decl[i] == ' ' || decl[i] == '\t' || decl[i] == '\r' || decl[i] == '\n'))
            ++i;
    };
    skipBlanks();
    while (i < decl.size() && std::isalpha(static_cast<unsigned char>(decl[i]))) ++i;  // function/procedure
    skipBlanks();
    size_t start = i;
    while (i < decl.size() && (std::isalnum(static_cast<unsigned char>(decl[i])) || decl[i] == '_')) ++i;
    return decl.substr(start, i - start);
}

}  // namespace

Imports& Imports::enumeration(const classes::TypeInfo& type) {
    return add(Kind::Type, type.name(), enumDeclaration(type), {});
}

void Compiler::addImports(const Imports& imports) {
    requireUses(m_inUses);
    Parser& p = *m_parser;
    using Kind = Imports::Kind;
    for (const Imports::Entry& e : imports.m_entries) {
        switch (e.kind) {
        case Kind::Routine:
            // Declared here, bound by the executor; the check runs now so a mismatch shows at start-up.
            p.declareFunction(e.text, {}, e.fn, false);
            break;
        case Kind::Unbound: p.declareFunction(e.text); break;
        case Kind::Bind: break;
        case Kind::Type: p.declareType(e.name, e.text); break;
        case Kind::IntConst: p.declareConst(e.name, builtinType("INTEGER"), Slot{.i = e.i}, {}); break;
        case Kind::StrConst: p.declareConst(e.name, builtinType("STRING"), Slot{.i = 0}, e.text); break;
        case Kind::FloatConst: p.declareConst(e.name, builtinType("EXTENDED"), Slot{.d = e.d}, {}); break;
        case Kind::Class: p.declareClass(*e.info); break;
        case Kind::Method: {
            classes::ScriptMember m;
            m.kind = classes::ScriptMember::Kind::Method;
            m.declaration = e.text;
            m.call = e.fn;
            p.declareMember(e.name, m);
            break;
        }
        case Kind::Property: {
            classes::ScriptMember m;
            m.kind = classes::ScriptMember::Kind::Property;
            m.declaration = e.text;
            m.call = e.fn;
            m.setter = e.setter;
            p.declareMember(e.name, m);
            break;
        }
        case Kind::Variable: p.declareVariable(e.name, e.text); break;
        }
    }
}

std::shared_ptr<const Chunk> Compiler::compile(std::string_view source) { return m_parser->compile(source); }
const std::vector<CompileMessage>& Compiler::messages() const { return m_parser->messages; }

void markHostOwned(classes::TObject* obj) { Handles::hostOwned(obj); }

// ---------------------------------------------------------------- Executor

Executor::Executor() : m_vm(std::make_unique<Vm>()) {}
Executor::~Executor() = default;

void Executor::addImports(const Imports& imports) {
    for (const Imports::Entry& e : imports.m_entries) {
        if (e.kind == Imports::Kind::Routine)
            m_vm->bindTyped(routineName(e.text), e.fn);
        else if (e.kind == Imports::Kind::Bind)
            m_vm->bindTyped(e.name, e.fn);
    }
}

void Executor::bind(std::string_view name, NativeFn fn) { m_vm->bind(name, std::move(fn)); }

void Executor::addLibrary(std::string_view library, const Imports& exports) {
    for (const Imports::Entry& e : exports.m_entries) {
        if (e.kind == Imports::Kind::Routine)
            m_vm->addLibrary(library, routineName(e.text), e.fn);
        else if (e.kind == Imports::Kind::Bind)
            m_vm->addLibrary(library, e.name, e.fn);
    }
}

void Executor::setLibraryResolver(LibraryResolver r) { m_vm->setLibraryResolver(std::move(r)); }
void Executor::setForeignProvider(ForeignProvider p) { m_vm->setForeignProvider(std::move(p)); }
void Executor::setErrorCallback(ErrorCallback cb) { m_vm->setErrorCallback(std::move(cb)); }
bool Executor::load(std::shared_ptr<const Chunk> chunk) { return m_vm->load(std::move(chunk)); }
bool Executor::setGlobalObject(std::string_view name, classes::TObject* obj) {
    return m_vm->setGlobalObject(name, obj);
}
bool Executor::run() { return m_vm->run(); }
void Executor::call(std::string_view name, std::span<const classes::EventArg> args) {
    m_vm->call(name, args);
}
classes::TMethod Executor::method(std::string_view name) {
    int proc = m_vm->findProc(name);
    return proc < 0 ? classes::TMethod() : m_vm->methodFor(proc + 1);
}
const RuntimeError& Executor::lastError() const { return m_vm->lastError(); }
SourcePos Executor::sourcePosition(int procIndex, uint32_t position) const {
    return m_vm->sourcePosition(procIndex, position);
}
void Executor::setMaxDepth(int depth) { m_vm->setMaxDepth(depth); }
void Executor::setStepLimit(int64_t backwardJumps) { m_vm->setStepLimit(backwardJumps); }

}  // namespace script
