// The single-pass compiler: a recursive-descent parser that checks types against hashed,
// case-insensitive symbol tables and generates code for the stack VM as it goes (in the
// manner of a one-pass Pascal compiler; the dialect is single-pass by definition).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "classes/ClassInfo.h"
#include "script/Api.h"
#include "script/Arith.h"
#include "script/Chunk.h"
#include "script/Lexer.h"
#include "script/Symbols.h"

namespace script {

// An expression being compiled: either already on the stack (Value, Addr, StrChar, Prop
// parts) or still deferred (Const, variables) so the consumer picks load, store or address.
struct Operand {
    enum class Kind : uint8_t {
        Value,
        Const,
        Local,
        Global,
        RefLocal,
        Addr,
        StrChar,
        Prop,
        ProcName,
        TypeRef
    };
    Kind kind = Kind::Value;
    const TypeDesc* type = nullptr;
    int index = 0;     // slot, procedure, property id
    Slot cval{};       // constant value
    std::string cstr;  // string constant
    bool readOnly = false;
    bool isNative = false;
    const ClassDecl* cls = nullptr;
    PropertyAccess access = PropertyAccess::ReadWrite;
};

const TypeDesc* builtinType(const std::string& upperName);

class Parser {
public:
    explicit Parser(Compiler& owner);
    std::shared_ptr<const Chunk> compile(std::string_view source);
    std::vector<CompileMessage> messages;

    // Declarations from the host (see Compiler; Declare.cpp). A declaration that does not
    // parse throws base::CompileError quoting it; a typed function that does not fit it,
    // BindingError.
    // `typed` is checked against the declaration; it becomes the routine's code when `attach`.
    void declareFunction(std::string_view decl, NativeFn fn = {}, classes::NativeCallable typed = {},
                         bool attach = true);
    void declareType(std::string_view name, std::string_view decl);
    void declareConst(std::string_view name, const TypeDesc* t, Slot v, std::string s);
    void declareVariable(std::string_view name, std::string_view typeName);
    ClassDecl* declareClass(const classes::ClassInfo& info);
    void declareIntrinsic(const char* name, Intrinsic k);
    // A member added by the host to a declared class (see Imports::method, Imports::property).
    void declareMember(std::string_view className, classes::ScriptMember m);
    // Parses every member still pending (a start-up check of everything registered).
    void declareAllMembers();

private:
    template <typename F>
    void withSource(std::string_view src, F body);
    struct LoopCtx {
        std::vector<int> breaks, continues;
        int tryDepth;
    };
    struct LabelInfo {
        int pc = -1;
        std::vector<std::pair<int, int>> gotos;  // (operand position, try depth)
        int tryDepth = 0;
        std::vector<int> tryPath;
        Token where;
    };
    struct WithCtx {
        const TypeDesc* type;
        int temp;  // local holding the address (records) or the object
    };

    // tokens
    void next();
    bool accept(Tok t);
    void expect(Tok t, const char* msg);
    std::string expectIdent();
    [[noreturn]] void error(const std::string& msg, const Token& at);
    [[noreturn]] void error(const std::string& msg) { error(msg, m_tok); }
    void startSource(std::string_view src);

    // declarations
    void program();
    void usesClause();
    void constSection();
    void typeSection();
    void varSection(bool global);
    void labelSection();
    void procDeclaration(bool isFunction);
    void procHeader(bool isFunction, std::string& name, ProcSig& sig, Token& nameTok);
    void paramList(ProcSig& sig);
    void procBody(int procIndex);
    const TypeDesc* typeSpec();
    const TypeDesc* typeIdent();
    const TypeDesc* staticArray();
    const TypeDesc* recordType();
    const TypeDesc* enumType();
    const TypeDesc* interfaceType();
    TypeDesc* newType(TypeKind k);
    int typeIndex(const TypeDesc* t);

    // statements
    void statement();
    void statementList(Tok end1, Tok end2 = Tok::Eof);
    void compoundStatement();
    void assignmentOrCall();
    void ifStatement();
    void whileStatement();
    void repeatStatement();
    void forStatement();
    void caseStatement();
    void withStatement();
    void tryStatement();
    void gotoStatement();
    void exitStatement();
    void breakContinue(bool isBreak);

    // expressions
    Operand expression(const TypeDesc* hint = nullptr);
    Operand simpleExpression(const TypeDesc* hint);
    Operand term(const TypeDesc* hint);
    Operand factor(const TypeDesc* hint);
    Operand designator();
    Operand classTest(Tok op, Operand l, const Token& at);
    Operand identifier(const Token& nameTok);
    // `start`: where the designator's code begins (its address computation, for hoisting).
    void selectors(Operand& op, size_t start);
    Operand setConstructor(const TypeDesc* hint);
    Operand arrayLiteral(const TypeDesc* arrType);
    Operand binary(Tok op, Operand l, Operand r, const Token& at, size_t leftMark, size_t leftEnd);
    bool foldBinary(Tok op, Operand& l, const Operand& r);
    void emitIntOp(arith::IntOp op, const TypeDesc* left, const TypeDesc* right);
    Operand callRoutine(Operand fn, const Token& at);
    Operand callIntrinsic(const Symbol& s, const Token& at);
    int arguments(const ProcSig& sig, const Token& at, bool parens);  // returns the pins to release
    void argument(const Param& p);
    Operand callProcValue(Operand fn, const Token& at);
    // class members (ClassExpr.cpp)
    Operand callMethod(Operand obj, int native, const Token& at);
    Operand methodOrProperty(Operand obj, const std::string& upper, const Token& at);
    Operand classReference(Operand cls, const std::string& upper, const Token& at);
    Operand defaultProperty(Operand obj, const Token& at);
    Operand propertyAccess(Operand obj, int prop, const Token& at);
    // Declares a pending member on first use.
    const ClassDecl::Member* findMember(const ClassDecl* cls, const std::string& upper);
    const classes::PropInfo* findPublished(const ClassDecl* cls, const std::string& upper) const;
    bool hasMember(const ClassDecl* cls, const std::string& upper) {
        return findMember(cls, upper) || findPublished(cls, upper);
    }
    void declarePending(ClassDecl& cls, ClassDecl::Member& m);
    int publishedProp(const ClassDecl* cls, const classes::PropInfo* p, const Token& at);
    const TypeDesc* typeFromInfo(const classes::TypeInfo& info, const Token& at);
    static bool inherits(const ClassDecl* cls, const ClassDecl* ancestor);
    // host class members (Declare.cpp)
    void declareMemberOf(ClassDecl& cls, const classes::ScriptMember& m);
    void declareEnumsOf(const classes::ClassInfo& info);
    void declareTypeFrom(const classes::TypeInfo& t);

    // code generation helpers (CodeGen.cpp); a small peephole pass fuses common pairs
    void emit(Op op);
    void emit(Op op, int a);
    void emit(Op op, int a, int b);
    int here() const { return int(m_code->size()); }
    int label() {
        m_ops.clear();
        return here();
    }
    int emitJump(Op op);
    void patchHere(int operandPos) {
        (*m_code)[size_t(operandPos)] = here() - (operandPos + 1);
        m_ops.clear();
    }
    void emitJumpTo(Op op, int target) {
        int pos = emitJump(op);
        (*m_code)[size_t(pos)] = target - (pos + 1);
    }
    void truncateCode(size_t size);
    struct CodePiece {
        std::vector<int32_t> code;
        std::vector<std::pair<uint32_t, SourcePos>> lines;  // offsets relative to the piece
    };
    // Moves the code from `from` to the end out (relocatable: expression code has no jumps).
    CodePiece cutCode(size_t from);
    void pasteCode(const CodePiece& piece);
    bool mayRunCode(size_t from) const;  // does the code from `from` call anything?
    // The end of the last call in [from, to), or from: the code after it only computes
    // addresses, so code that runs may move in front of it without changing the order of effects.
    size_t afterLastCall(size_t from, size_t to) const;
    // Moves the code of one pushed scalar (valueStart to the end) in front of the address code
    // that begins at `from`, through a temporary: an element's address is never held while
    // code runs that could free or move what it points into (an index calling a routine that
    // resizes the array).
    void hoistValue(size_t from, size_t valueStart);
    // Instruction `back` places before the end of the code (0 = last), if it is `op` and
    // no jump target lies between it and the end; its start offset, else -1.
    int recent(int back, Op op) const;
    int operandOf(int at, int k) const { return (*m_code)[size_t(at + 1 + k)]; }
    void mark(const Token& t);
    void discharge(Operand& op);
    void pushAddress(Operand& op, const Token& at);
    void prepareStore(Operand& target);            // before the value is computed
    void store(Operand& target, const Token& at);  // value on top of stack
    void pushConst(const Operand& c);
    int constIndex(Slot v, bool managed);
    int stringConst(const std::string& s);
    void coerce(Operand& value, const TypeDesc* to, const Token& at);
    bool assignable(const TypeDesc* to, const Operand& from) const;
    void popValue(const Operand& v);
    int allocTemp(const TypeDesc* t);
    int varCode(const TypeDesc* t) const;
    Operand constOperand(const TypeDesc* t, int64_t v);
    int64_t constInt(const Token& at);
    void checkOrdinal(const Operand& op, const Token& at);

    Compiler& m_owner;
    std::unique_ptr<Lexer> m_lex;
    Token m_tok, m_prev;
    Token m_desigTok;  // start of the designator being compiled
    std::shared_ptr<Chunk> m_chunk;
    std::vector<int32_t>* m_code = nullptr;
    Scope m_globals;  // system unit + script globals
    Scope m_locals;
    bool m_inProc = false;
    int m_procIndex = 0;
    ProcInfo* m_proc = nullptr;
    int m_frameSize = 0;
    std::vector<LoopCtx> m_loops;
    int m_tryDepth = 0;
    std::vector<int> m_tryPath;  // ids of the try blocks around the current point
    int m_tryCounter = 0;
    std::vector<WithCtx> m_withs;
    std::vector<LabelInfo> m_labels;
    std::unordered_map<const classes::ClassInfo*, ClassDecl*> m_classDecls;
    std::unordered_map<const classes::PropInfo*, int> m_publishedProps;  // PropRef per property
    bool m_inHost = false;  // parsing a host declaration: its names may shadow earlier ones
    std::vector<std::unique_ptr<classes::ScriptMember>> m_hostMembers;  // added by the host
    // The position hook fires each time the main source's offset passes a multiple of this.
    static constexpr uint32_t kHookStride = 51200;
    uint32_t m_nextHook = UINT32_MAX;
    const Lexer* m_mainLexer = nullptr;
    std::vector<std::pair<int, int>> m_concats;  // string '+' of this statement: (op, right side start)
    bool appendInPlace(const Operand& target, size_t rhsStart);
    // Dynamic arrays whose element addresses outlive the designator (by-reference
    // arguments, with) are pinned so the callee cannot free them under the address.
    bool m_pinNext = false;   // the next designator is such a target
    bool m_pinChain = false;  // the designator being compiled is one
    int m_pins = 0;           // pins emitted for the current argument list / with
    int m_nesting = 0;        // recursion depth of the grammar functions
    struct Nest {
        Parser& p;
        explicit Nest(Parser& parser) : p(parser) {
            if (++p.m_nesting > kMaxNesting) p.error("Syntax error");
        }
        ~Nest() { --p.m_nesting; }
    };
    static constexpr int kMaxNesting = 200;
    std::vector<int> m_ops;  // starts of the instructions emitted since the last jump target
};

}  // namespace script
