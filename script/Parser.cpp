// Declarations and statements of the single-pass compiler.
#include "script/Parser.h"

#include <algorithm>

#include "script/SystemUnit.h"

namespace script {

Parser::Parser(Compiler& owner) : m_owner(owner) {}

void Parser::next() {
    m_prev = std::move(m_tok);
    m_tok = m_lex->next();
    if (m_tok.offset >= m_nextHook && m_lex.get() == m_mainLexer) {
        // once for every multiple of the stride the offset has reached, however far it jumped
        while (m_tok.offset >= m_nextHook) {
            m_nextHook += kHookStride;
            m_owner.m_hook(m_tok.offset);
        }
    }
}

bool Parser::accept(Tok t) {
    if (m_tok.type != t) return false;
    next();
    return true;
}

void Parser::expect(Tok t, const char* msg) {
    if (m_tok.type != t) error(msg);
    next();
}

std::string Parser::expectIdent() {
    if (m_tok.type != Tok::Ident) error("Identifier expected");
    std::string s = m_tok.text;
    next();
    return s;
}

void Parser::error(const std::string& msg, const Token& at) { throw base::CompileError(msg, at.row, at.col); }

void Parser::startSource(std::string_view src) {
    m_lex = std::make_unique<Lexer>(src);
    m_tok = m_lex->next();
}

void Parser::mark(const Token& t) {
    auto& lines = m_chunk->lines;
    SourcePos p{t.row, t.col, t.offset};
    if (!lines.empty() && lines.back().first == uint32_t(here()))
        lines.back().second = p;
    else
        lines.push_back({uint32_t(here()), p});
}

TypeDesc* Parser::newType(TypeKind k) {
    m_chunk->types.push_back(std::make_unique<TypeDesc>());
    TypeDesc* t = m_chunk->types.back().get();
    t->kind = k;
    return t;
}

int Parser::typeIndex(const TypeDesc* t) {
    auto& tt = m_chunk->typeTable;
    for (size_t i = 0; i < tt.size(); ++i)
        if (tt[i] == t) return int(i);
    tt.push_back(t);
    return int(tt.size() - 1);
}

int Parser::allocTemp(const TypeDesc* t) {
    int slot;
    if (m_inProc) {
        slot = m_frameSize++;
    } else {
        slot = m_chunk->procs[0].frameSize++;
    }
    if (t && t->isManaged()) {
        ProcInfo& p = m_inProc ? m_chunk->procs[size_t(m_procIndex)] : m_chunk->procs[0];
        p.managedLocals.push_back(slot);
    }
    return slot;
}

std::shared_ptr<const Chunk> Parser::compile(std::string_view source) {
    m_chunk = std::make_shared<Chunk>();
    m_code = &m_chunk->code;
    m_globals.clear();
    m_locals.clear();
    messages.clear();
    m_nesting = 0;
    m_labels.clear();
    m_withs.clear();
    m_loops.clear();
    m_classDecls.clear();
    m_publishedProps.clear();
    m_hostMembers.clear();
    m_inHost = false;
    m_ops.clear();
    m_tryDepth = 0;
    m_tryPath.clear();
    m_inProc = false;
    m_chunk->procs.emplace_back();
    m_chunk->procs[0].name = "!MAIN";
    m_chunk->procs[0].defined = true;
    try {
        registerSystemUnit(*this);
        m_owner.m_inUses = true;
        bool ok = !m_owner.m_unitHandler || m_owner.m_unitHandler(m_owner, "SYSTEM");
        m_owner.m_inUses = false;
        if (!ok) throw base::CompileError("Unknown identifier 'SYSTEM'", 1, 1);
        if (m_owner.m_checkDeclarations) declareAllMembers();
        startSource(source);
        m_mainLexer = m_lex.get();
        m_nextHook = m_owner.m_hook ? kHookStride : UINT32_MAX;
        program();
    } catch (const base::CompileError& e) {
        m_owner.m_inUses = false;
        messages.push_back({CompileMessage::Kind::Error, e.what(), e.row(), e.col()});
        m_chunk.reset();
        return nullptr;
    } catch (...) {
        m_owner.m_inUses = false;
        m_chunk.reset();
        throw;
    }
    auto chunk = std::move(m_chunk);
    m_code = nullptr;
    return chunk;
}

// program = [ "program" ident ";" ] [ uses ] { section | routine } "begin" statements "end" "."
void Parser::program() {
    if (accept(Tok::KwProgram)) {
        expectIdent();
        expect(Tok::Semicolon, "Semicolon (';') expected");
    }
    if (m_tok.type == Tok::KwUses) usesClause();
    for (;;) {
        switch (m_tok.type) {
        case Tok::KwConst: constSection(); continue;
        case Tok::KwType: typeSection(); continue;
        case Tok::KwVar: varSection(true); continue;
        case Tok::KwLabel: labelSection(); continue;
        case Tok::KwProcedure: procDeclaration(false); continue;
        case Tok::KwFunction: procDeclaration(true); continue;
        default: break;
        }
        break;
    }
    for (auto& p : m_chunk->procs)
        if (!p.defined) error("Unsatisfied Forward " + p.name);
    if (m_tok.type != Tok::KwBegin) error("'BEGIN' expected");
    m_chunk->procs[0].entry = uint32_t(here());
    m_procIndex = 0;
    m_proc = &m_chunk->procs[0];
    compoundStatement();
    mark(m_prev);
    emit(Op::HALT);
    for (auto& l : m_labels) {
        if (!l.gotos.empty() && l.pc < 0) error("Label '" + l.where.text + "' not set", l.where);
    }
    if (m_tok.type != Tok::Dot) error("period ('.') expected");
    m_chunk->globalNames.clear();
    m_globals.forEach([&](const Symbol& s) {
        if (s.kind == SymKind::Var && s.global) m_chunk->globalNames.push_back({upperName(s.name), s.slot});
    });
}

// uses = "uses" ident { "," ident } ";"
void Parser::usesClause() {
    next();
    do {
        Token at = m_tok;
        std::string unit = upperName(expectIdent());
        m_owner.m_inUses = true;
        bool ok = m_owner.m_unitHandler && m_owner.m_unitHandler(m_owner, unit);
        m_owner.m_inUses = false;
        if (!ok) error("Unknown identifier '" + at.text + "'", at);
    } while (accept(Tok::Comma));
    expect(Tok::Semicolon, "Semicolon (';') expected");
}

// const-section = "const" { ident "=" const-expression ";" }
void Parser::constSection() {
    next();
    do {
        Token at = m_tok;
        std::string name = expectIdent();
        if (m_tok.type != Tok::Eq) error("is ('=') expected");
        next();
        Operand v = expression();
        if (v.kind != Operand::Kind::Const) error("Constant expression expected", at);
        Symbol s;
        s.kind = SymKind::Const;
        s.name = name;
        s.type = v.type;
        s.value = v.cval;
        s.str = v.cstr;
        if (!(m_inProc ? m_locals : m_globals).add(upperName(name), std::move(s)))
            error("Duplicate identifier '" + name + "'", at);
        expect(Tok::Semicolon, "Semicolon (';') expected");
    } while (m_tok.type == Tok::Ident);
}

// type-section = "type" { ident "=" type ";" }
void Parser::typeSection() {
    next();
    do {
        Token at = m_tok;
        std::string name = expectIdent();
        if (m_tok.type != Tok::Eq) error("is ('=') expected");
        next();
        const TypeDesc* t = typeSpec();
        if (t->name.empty() || t->kind == TypeKind::Enum || t->kind == TypeKind::Record ||
            t->kind == TypeKind::StaticArray || t->kind == TypeKind::DynArray || t->kind == TypeKind::Set ||
            t->kind == TypeKind::Proc)
            if (t->name.empty()) const_cast<TypeDesc*>(t)->name = name;
        Symbol s;
        s.kind = SymKind::Type;
        s.name = name;
        s.type = t;
        if (!m_globals.add(upperName(name), std::move(s))) error("Duplicate identifier '" + name + "'", at);
        expect(Tok::Semicolon, "Semicolon (';') expected");
    } while (m_tok.type == Tok::Ident);
}

// var-section = "var" { ident { "," ident } ":" type ";" }
void Parser::varSection(bool global) {
    next();
    do {
        std::vector<Token> names;
        names.push_back(m_tok);
        expectIdent();
        while (accept(Tok::Comma)) {
            names.push_back(m_tok);
            expectIdent();
        }
        expect(Tok::Colon, "colon (':') expected");
        const TypeDesc* t = typeSpec();
        for (const Token& n : names) {
            Symbol s;
            s.kind = SymKind::Var;
            s.name = n.text;
            s.type = t;
            s.global = global;
            if (global) {
                s.slot = m_chunk->nGlobals++;
                m_chunk->globalTypes.push_back(t);
                if (t->isManaged()) m_chunk->managedGlobals.push_back(s.slot);
            } else {
                s.slot = allocTemp(t);
            }
            if (!(global ? m_globals : m_locals).add(upperName(n.text), std::move(s)))
                error("Duplicate identifier '" + n.text + "'", n);
        }
        if (m_tok.type == Tok::Eq) error("Semicolon (';') expected");
        expect(Tok::Semicolon, "Semicolon (';') expected");
    } while (m_tok.type == Tok::Ident);
}

// label-section = "label" ident { "," ident } ";"
void Parser::labelSection() {
    next();
    do {
        Token at = m_tok;
        std::string name = expectIdent();
        Symbol s;
        s.kind = SymKind::Label;
        s.name = name;
        s.slot = int(m_labels.size());
        LabelInfo li;
        li.where = at;
        m_labels.push_back(li);
        if (!(m_inProc ? m_locals : m_globals).add(upperName(name), std::move(s)))
            error("Duplicate identifier '" + name + "'", at);
    } while (accept(Tok::Comma));
    expect(Tok::Semicolon, "Semicolon (';') expected");
}

// params = param-group { ";" param-group }
// param-group = [ "var" | "const" | "out" ] ident { "," ident } ":" ( type | "array" "of" type )
void Parser::paramList(ProcSig& sig) {
    do {
        ParamMode mode = ParamMode::Value;
        if (accept(Tok::KwVar))
            mode = ParamMode::Var;
        else if (accept(Tok::KwConst))
            mode = ParamMode::Const;
        else if (m_tok.type == Tok::Ident && upperName(m_tok.text) == "OUT") {
            // "out" is a directive: a parameter may still be called Out
            Token save = m_tok;
            next();
            if (m_tok.type == Tok::Ident)
                mode = ParamMode::Out;
            else {
                // it was the parameter name itself; no way back in the lexer, so handle inline
                std::vector<std::string> names{save.text};
                while (accept(Tok::Comma)) names.push_back(expectIdent());
                expect(Tok::Colon, "colon (':') expected");
                const TypeDesc* t = typeIdent();
                for (auto& n : names) sig.params.push_back({n, t, mode});
                continue;
            }
        }
        std::vector<std::string> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma)) names.push_back(expectIdent());
        const TypeDesc* t;
        if (mode != ParamMode::Value && m_tok.type != Tok::Colon) {
            // An untyped const/var parameter takes a value of any type, as a variant.
            t = builtinType("VARIANT");
            for (auto& n : names) sig.params.push_back({n, t, mode});
            continue;
        }
        expect(Tok::Colon, "colon (':') expected");
        if (m_tok.type == Tok::KwArray) {
            next();
            expect(Tok::KwOf, "'OF' expected");
            // "array of const": values of any type, each passed as a variant
            bool ofConst = accept(Tok::KwConst);
            const TypeDesc* elem = ofConst ? builtinType("VARIANT") : typeIdent();
            TypeDesc* arr = newType(TypeKind::DynArray);
            arr->elem = elem;
            arr->openArray = true;
            arr->name = ofConst ? "array of const" : "array of " + elem->name;
            t = arr;
        } else {
            t = typeIdent();
        }
        if (m_tok.type == Tok::Eq) error("Closing parenthesis expected");
        for (auto& n : names) sig.params.push_back({n, t, mode});
    } while (accept(Tok::Semicolon));
}

// header = ident [ "(" [ params ] ")" ] [ ":" type ] ";"
void Parser::procHeader(bool isFunction, std::string& name, ProcSig& sig, Token& nameTok) {
    nameTok = m_tok;
    name = expectIdent();
    if (m_tok.type == Tok::Dot) error("Semicolon (';') expected");
    if (accept(Tok::LParen)) {
        if (m_tok.type != Tok::RParen) paramList(sig);
        expect(Tok::RParen, "Closing parenthesis expected");
    }
    if (isFunction) {
        expect(Tok::Colon, "colon (':') expected");
        sig.result = typeIdent();
    }
    expect(Tok::Semicolon, "Semicolon (';') expected");
}

static bool sameSig(const ProcSig& a, const ProcSig& b) {
    if (a.result != b.result || a.params.size() != b.params.size()) return false;
    for (size_t i = 0; i < a.params.size(); ++i)
        if (a.params[i].mode != b.params[i].mode ||
            (a.params[i].type != b.params[i].type &&
             !(a.params[i].type->openArray && b.params[i].type->openArray &&
               a.params[i].type->elem == b.params[i].type->elem)))
            return false;
    return true;
}

// routine = ( "procedure" | "function" ) header ( "forward" ";" | "external" string ";" | body ";" )
void Parser::procDeclaration(bool isFunction) {
    if (m_inProc) error("'BEGIN' expected");
    next();
    std::string name;
    ProcSig sig;
    Token nameTok;
    procHeader(isFunction, name, sig, nameTok);
    std::string up = upperName(name);
    Symbol* existing = m_globals.find(up);
    int index;
    if (existing && existing->kind == SymKind::Proc && !m_chunk->procs[size_t(existing->slot)].defined &&
        !m_chunk->procs[size_t(existing->slot)].isExternal) {
        index = existing->slot;
        if (!sameSig(m_chunk->procs[size_t(index)].sig, sig)) error("Forward Parameter Mismatch", nameTok);
    } else {
        index = int(m_chunk->procs.size());
        m_chunk->procs.emplace_back();
        ProcInfo& p = m_chunk->procs.back();
        p.name = name;
        p.sig = sig;
        p.nParams = int(sig.params.size());
        Symbol s;
        s.kind = SymKind::Proc;
        s.name = name;
        s.slot = index;
        if (!m_globals.add(up, std::move(s))) error("Duplicate identifier '" + name + "'", nameTok);
    }
    // "export" marks a routine for the host in the original; every routine is exported here.
    while (m_tok.type == Tok::Ident && upperName(m_tok.text) == "EXPORT") {
        next();
        expect(Tok::Semicolon, "Semicolon (';') expected");
    }
    if (accept(Tok::KwForward)) {
        expect(Tok::Semicolon, "Semicolon (';') expected");
        return;
    }
    if (accept(Tok::KwExternal)) {
        if (m_tok.type != Tok::StrLit) error("String Expected");
        ProcInfo& p = m_chunk->procs[size_t(index)];
        p.isExternal = true;
        p.defined = true;
        p.externalName = m_tok.text;
        next();
        while (m_tok.type == Tok::Ident) next();  // calling convention
        expect(Tok::Semicolon, "Semicolon (';') expected");
        return;
    }
    procBody(index);
    expect(Tok::Semicolon, "Semicolon (';') expected");
}

// body = { "var" var-decls | "label" labels } "begin" statements "end"
void Parser::procBody(int procIndex) {
    m_inProc = true;
    m_procIndex = procIndex;
    m_locals.clear();
    ProcInfo* p = &m_chunk->procs[size_t(procIndex)];
    p->entry = uint32_t(here());
    p->managedLocals.clear();
    ProcSig sig = p->sig;
    m_frameSize = 0;
    for (auto& prm : sig.params) {
        Symbol s;
        s.kind = SymKind::Var;
        s.name = prm.name;
        s.type = prm.type;
        s.byRef = prm.byRef();
        s.readOnly = prm.mode == ParamMode::Const;
        s.slot = m_frameSize++;
        if (!s.byRef && prm.type->isManaged()) p->managedLocals.push_back(s.slot);
        if (!m_locals.add(upperName(prm.name), std::move(s)))
            error("Duplicate identifier '" + prm.name + "'");
    }
    if (sig.result) {
        Symbol s;
        s.kind = SymKind::Var;
        s.name = "Result";
        s.type = sig.result;
        s.slot = m_frameSize++;
        m_locals.add("RESULT", std::move(s));
    }
    for (;;) {
        if (m_tok.type == Tok::KwVar)
            varSection(false);
        else if (m_tok.type == Tok::KwLabel)
            labelSection();
        else
            break;
    }
    if (m_tok.type != Tok::KwBegin) error("'BEGIN' expected");
    std::vector<int> exits;
    m_loops.clear();
    size_t firstLabel = m_labels.size();
    compoundStatement();
    for (size_t i = firstLabel; i < m_labels.size(); ++i)
        if (!m_labels[i].gotos.empty() && m_labels[i].pc < 0)
            error("Label '" + m_labels[i].where.text + "' not set", m_labels[i].where);
    mark(m_prev);
    emit(Op::RET);
    p = &m_chunk->procs[size_t(procIndex)];
    p->frameSize = m_frameSize;
    p->defined = true;
    m_inProc = false;
    m_locals.clear();
    m_procIndex = 0;
}

// ---------------------------------------------------------------- types

const TypeDesc* Parser::typeIdent() {
    if (m_tok.type != Tok::Ident) {
        if (m_tok.type == Tok::KwArray || m_tok.type == Tok::KwRecord || m_tok.type == Tok::KwSet ||
            m_tok.type == Tok::LParen)
            return typeSpec();
        error("Identifier expected");
    }
    std::string up = upperName(m_tok.text);
    Symbol* s = m_globals.find(up);
    if (s && s->kind == SymKind::Type) {
        next();
        return s->type;
    }
    if (const TypeDesc* b = builtinType(up)) {
        next();
        return b;
    }
    error("Unknown type '" + m_tok.text + "'");
}

// type = type-ident | "(" enum ")" | "set" "of" type | "array" ... | "record" ... | proc-type
const TypeDesc* Parser::typeSpec() {
    Nest nest(*this);
    switch (m_tok.type) {
    case Tok::LParen: return enumType();
    case Tok::KwRecord: return recordType();
    case Tok::KwSet: {
        next();
        expect(Tok::KwOf, "'OF' expected");
        const TypeDesc* elem = typeIdent();
        if (!elem->isOrdinal() || elem->low < 0 || elem->high > 255) error("Type mismatch", m_prev);
        TypeDesc* t = newType(TypeKind::Set);
        t->elem = elem;
        return t;
    }
    case Tok::KwArray: {
        next();
        if (m_tok.type == Tok::LBracket) return staticArray();
        expect(Tok::KwOf, "'OF' expected");
        TypeDesc* t = newType(TypeKind::DynArray);
        t->elem = typeIdent();
        return t;
    }
    case Tok::KwProcedure:
    case Tok::KwFunction: {
        bool isFunc = m_tok.type == Tok::KwFunction;
        next();
        TypeDesc* t = newType(TypeKind::Proc);
        if (accept(Tok::LParen)) {
            if (m_tok.type != Tok::RParen) paramList(t->sig);
            expect(Tok::RParen, "Closing parenthesis expected");
        }
        if (isFunc) {
            expect(Tok::Colon, "colon (':') expected");
            t->sig.result = typeIdent();
        }
        return t;
    }
    case Tok::IntLit:
    case Tok::StrLit:
    case Tok::Minus: error("Identifier expected");  // subranges are not part of the dialect
    case Tok::Caret: error("Identifier expected");
    case Tok::KwClass: error("Identifier expected");
    case Tok::Ident:
        if (upperName(m_tok.text) == "INTERFACE") return interfaceType();
        return typeIdent();
    default: return typeIdent();
    }
}

// interface = "interface" [ "(" ident ")" ] [ "[" guid "]" ] { member } "end" | "interface"
// Interfaces have no run-time meaning here: the declaration is read past and names an
// opaque type that only nil and values of its own type are assignable to.
const TypeDesc* Parser::interfaceType() {
    next();
    TypeDesc* t = newType(TypeKind::Class);
    if (m_tok.type == Tok::Semicolon) return t;  // forward declaration
    if (accept(Tok::LParen)) {
        expectIdent();
        expect(Tok::RParen, "Closing parenthesis expected");
    }
    while (m_tok.type != Tok::KwEnd) {
        if (m_tok.type == Tok::Eof) error("'END' expected");
        if (m_tok.type == Tok::KwBegin || m_tok.type == Tok::KwType) error("'END' expected");
        next();
    }
    next();
    return t;
}

// enum = "(" ident { "," ident } ")"
const TypeDesc* Parser::enumType() {
    next();
    TypeDesc* t = newType(TypeKind::Enum);
    std::vector<Token> names;
    do {
        names.push_back(m_tok);
        t->members.push_back(expectIdent());
    } while (accept(Tok::Comma));
    expect(Tok::RParen, "Closing parenthesis expected");
    t->low = 0;
    t->high = int64_t(t->members.size()) - 1;
    for (size_t i = 0; i < names.size(); ++i) {
        Symbol s;
        s.kind = SymKind::Const;
        s.name = names[i].text;
        s.type = t;
        s.value.i = int64_t(i);
        s.builtin = m_inHost;  // a host enumeration declared later may shadow these
        if (!m_globals.add(upperName(names[i].text), std::move(s)))
            error("Duplicate identifier '" + names[i].text + "'", names[i]);
    }
    return t;
}

int64_t Parser::constInt(const Token& at) {
    Operand v = expression();
    if (v.kind != Operand::Kind::Const || !v.type->isOrdinal()) error("Constant expression expected", at);
    return v.cval.i;
}

// static-array = "[" bound { "," bound } "]" "of" type ; bound = const ".." const | ordinal-type
const TypeDesc* Parser::staticArray() {
    next();
    std::vector<std::pair<int64_t, int64_t>> dims;
    do {
        Token at = m_tok;
        if (m_tok.type == Tok::Ident) {
            Symbol* s = m_globals.find(upperName(m_tok.text));
            const TypeDesc* bt = s && s->kind == SymKind::Type ? s->type : builtinType(upperName(m_tok.text));
            if (bt && bt->isOrdinal() && bt->kind != TypeKind::Integer) {
                next();
                dims.push_back({bt->low, bt->high});
                continue;
            }
        }
        int64_t lo = constInt(at);
        expect(Tok::DotDot, "'..' expected");
        int64_t hi = constInt(at);
        if (hi < lo || hi - lo >= (int64_t(1) << 24)) error("Out Of Range", at);
        dims.push_back({lo, hi});
    } while (accept(Tok::Comma));
    expect(Tok::RBracket, "Closing square bracket (']') expected");
    expect(Tok::KwOf, "'OF' expected");
    const TypeDesc* elem = typeIdent();
    for (size_t i = dims.size(); i-- > 0;) {
        TypeDesc* t = newType(TypeKind::StaticArray);
        t->low = dims[i].first;
        t->high = dims[i].second;
        t->elem = elem;
        t->managedSlots.assign(size_t(t->high - t->low + 1), elem->slotKind());
        elem = t;
    }
    return elem;
}

// record = "record" { ident { "," ident } ":" type ";" } "end"
const TypeDesc* Parser::recordType() {
    next();
    TypeDesc* t = newType(TypeKind::Record);
    while (m_tok.type == Tok::Ident) {
        std::vector<Token> names;
        names.push_back(m_tok);
        next();
        while (accept(Tok::Comma)) {
            names.push_back(m_tok);
            expectIdent();
        }
        expect(Tok::Colon, "colon (':') expected");
        const TypeDesc* ft = typeSpec();
        for (auto& n : names) {
            std::string up = upperName(n.text);
            for (auto& f : t->fields)
                if (f.name == up) error("Duplicate identifier '" + n.text + "'", n);
            t->fields.push_back({up, ft});
            t->managedSlots.push_back(ft->slotKind());
        }
        if (!accept(Tok::Semicolon)) break;
    }
    expect(Tok::KwEnd, "'END' expected");
    return t;
}

// ---------------------------------------------------------------- statements

// statements = statement { ";" statement }
void Parser::statementList(Tok end1, Tok end2) {
    statement();
    while (accept(Tok::Semicolon)) statement();
    if (m_tok.type != end1 && m_tok.type != end2) {
        if (end1 == Tok::KwEnd) error("'END' expected");
        error("Semicolon (';') expected");
    }
}

// compound = "begin" statements "end"
void Parser::compoundStatement() {
    expect(Tok::KwBegin, "'BEGIN' expected");
    statementList(Tok::KwEnd);
    next();
}

// statement = [ label ":" ] [ assignment | call | compound | if | case | for | while | repeat
//             | with | try | goto ]
void Parser::statement() {
    Nest nest(*this);
    if (m_tok.type == Tok::Ident) {
        std::string up = upperName(m_tok.text);
        Symbol* s = m_inProc ? m_locals.find(up) : nullptr;
        if (!s) s = m_globals.find(up);
        if (s && s->kind == SymKind::Label) {
            Token at = m_tok;
            next();
            expect(Tok::Colon, "colon (':') expected");
            LabelInfo& l = m_labels[size_t(s->slot)];
            if (l.pc >= 0) error("Duplicate identifier '" + at.text + "'", at);
            if (!l.gotos.empty() && l.tryPath != m_tryPath) error("Invalid jump", at);
            l.pc = label();
            l.tryPath = m_tryPath;
            for (auto& [pos, depth] : l.gotos) (*m_code)[size_t(pos)] = l.pc - (pos + 1);
        }
    }
    mark(m_tok);
    switch (m_tok.type) {
    case Tok::KwBegin: compoundStatement(); return;
    case Tok::KwIf: ifStatement(); return;
    case Tok::KwWhile: whileStatement(); return;
    case Tok::KwRepeat: repeatStatement(); return;
    case Tok::KwFor: forStatement(); return;
    case Tok::KwCase: caseStatement(); return;
    case Tok::KwWith: withStatement(); return;
    case Tok::KwTry: tryStatement(); return;
    case Tok::KwGoto: gotoStatement(); return;
    case Tok::Ident:
    case Tok::LParen: assignmentOrCall(); return;
    default: return;  // empty statement
    }
}

// assignment = designator ":=" expression ; call = designator [ "(" args ")" ]
void Parser::assignmentOrCall() {
    Token at = m_tok;
    size_t designatorStart = size_t(label());
    Operand target = designator();
    if (m_tok.type == Tok::Assign) {
        Token asg = m_tok;
        next();
        if (target.kind == Operand::Kind::Value || target.kind == Operand::Kind::Const ||
            target.kind == Operand::Kind::ProcName || target.kind == Operand::Kind::TypeRef)
            error("Variable Expected", at);
        if (target.readOnly) error("Variable Expected", at);
        if (target.kind == Operand::Kind::Prop && target.access == PropertyAccess::ReadOnly)
            error("Read-only property", at);
        prepareStore(target);
        bool indirect = target.kind == Operand::Kind::Addr || target.kind == Operand::Kind::StrChar;
        size_t rhsStart = size_t(label());  // nothing fuses across: the right side may move
        m_concats.clear();
        Operand v = expression(target.type);
        coerce(v, target.type, asg);
        discharge(v);
        if (appendInPlace(target, rhsStart)) return;
        auto& code = *m_code;
        if (target.kind == Operand::Kind::Addr && !target.type->isManaged() && code.size() == rhsStart + 2 &&
            code[rhsStart] == int32_t(Op::PUSH_INT) && designatorStart + 3 == rhsStart &&
            code[designatorStart] == int32_t(Op::DYN_ADDR_GG)) {
            // a[i] := k, the commonest store into an array
            int a = code[designatorStart + 1], i = code[designatorStart + 2], k = code[rhsStart + 1];
            truncateCode(designatorStart);
            emit(Op::DYN_STOREK_GG, a, i);
            code.push_back(k);
            return;
        }
        if (indirect && mayRunCode(rhsStart)) {
            // The right side runs first, so it cannot free what the target's address points
            // into (a routine resizing the array being assigned to).
            CodePiece rhs = cutCode(rhsStart);
            CodePiece addr = cutCode(designatorStart);
            pasteCode(rhs);
            pasteCode(addr);
            emit(target.kind == Operand::Kind::StrChar ? Op::STR_SETCHAR_R
                 : target.type->isAggregate()          ? Op::STORE_AGG_R
                 : target.type->isManaged()            ? Op::STORE_RIM
                                                       : Op::STORE_RI);
            return;
        }
        store(target, asg);
        return;
    }
    if (target.kind == Operand::Kind::ProcName) {
        target = callRoutine(target, at);
    }
    if (target.kind == Operand::Kind::Value) {
        if (target.type && target.type->kind != TypeKind::Void) popValue(target);
        return;
    }
    if (m_tok.type == Tok::Eq) error("Assignment expected");
    error("Assignment expected");
}

// if = "if" expression "then" statement [ "else" statement ]
void Parser::ifStatement() {
    next();
    Token at = m_tok;
    Operand c = expression();
    if (c.type->kind != TypeKind::Boolean && c.type->kind != TypeKind::Variant) error("Type mismatch", at);
    coerce(c, builtinType("BOOLEAN"), at);
    discharge(c);
    expect(Tok::KwThen, "'THEN' expected");
    int jf = emitJump(Op::JF);
    statement();
    if (accept(Tok::KwElse)) {
        int jend = emitJump(Op::JMP);
        patchHere(jf);
        statement();
        patchHere(jend);
    } else {
        patchHere(jf);
    }
}

// while = "while" expression "do" statement
void Parser::whileStatement() {
    next();
    Token at = m_tok;
    size_t condStart = size_t(label());
    Operand c = expression();
    if (c.type->kind != TypeKind::Boolean && c.type->kind != TypeKind::Variant) error("Type mismatch", at);
    coerce(c, builtinType("BOOLEAN"), at);
    discharge(c);
    expect(Tok::KwDo, "'DO' expected");
    // The test moves below the body so each iteration takes a single jump.
    CodePiece test = cutCode(condStart);
    int toTest = emitJump(Op::JMP);
    int top = label();
    m_loops.push_back({{}, {}, m_tryDepth});
    statement();
    patchHere(toTest);
    for (int p : m_loops.back().continues) patchHere(p);
    pasteCode(test);
    emitJumpTo(Op::JT, top);
    for (int p : m_loops.back().breaks) patchHere(p);
    m_loops.pop_back();
}

// repeat = "repeat" statements "until" expression
void Parser::repeatStatement() {
    next();
    int top = label();
    m_loops.push_back({{}, {}, m_tryDepth});
    statementList(Tok::KwUntil);
    next();
    for (int p : m_loops.back().continues) patchHere(p);
    Token at = m_tok;
    Operand c = expression();
    if (c.type->kind != TypeKind::Boolean && c.type->kind != TypeKind::Variant) error("Type mismatch", at);
    coerce(c, builtinType("BOOLEAN"), at);
    discharge(c);
    emitJumpTo(Op::JF, top);
    for (int p : m_loops.back().breaks) patchHere(p);
    m_loops.pop_back();
}

// for = "for" ident ":=" expression ( "to" | "downto" ) expression "do" statement
// The final bound is re-evaluated before every iteration, as the dialect does.
void Parser::forStatement() {
    next();
    Token at = m_tok;
    Operand var = designator();
    if (var.kind != Operand::Kind::Local && var.kind != Operand::Kind::Global &&
        var.kind != Operand::Kind::RefLocal)
        error("Variable Expected", at);
    if (!var.type->isOrdinal()) error("Type mismatch", at);
    expect(Tok::Assign, "Assignment expected");
    Token st = m_tok;
    Operand tgt = var;
    prepareStore(tgt);
    Operand start = expression(var.type);
    coerce(start, var.type, st);
    discharge(start);
    store(tgt, st);
    bool down = false;
    if (accept(Tok::KwDownto))
        down = true;
    else
        expect(Tok::KwTo, "'TO' expected");
    size_t testStart = size_t(label());
    Operand cur = var;
    discharge(cur);
    Token fin = m_tok;
    Operand final = expression(var.type);
    coerce(final, var.type, fin);
    bool unsignedCmp = var.type->kind == TypeKind::Integer && var.type->intKind == IntKind::UInt64;
    // A bound that is a constant or a variable of the same kind lets one instruction step the
    // counter and test it (FOR_*); the test is then made once more before the first pass.
    bool fused =
        !unsignedCmp && (var.kind == Operand::Kind::Local || var.kind == Operand::Kind::Global) &&
        ((final.kind == Operand::Kind::Const && final.cval.i >= INT32_MIN && final.cval.i <= INT32_MAX) ||
         final.kind == var.kind);
    Operand bound = final;
    discharge(final);
    emit(down ? (unsignedCmp ? Op::GE_U : Op::GE_I) : (unsignedCmp ? Op::LE_U : Op::LE_I));
    expect(Tok::KwDo, "'DO' expected");
    if (fused) {
        int exit = emitJump(Op::JF);
        int top = label();
        m_loops.push_back({{}, {}, m_tryDepth});
        statement();
        for (int p : m_loops.back().continues) patchHere(p);
        bool local = var.kind == Operand::Kind::Local;
        Op op = bound.kind == Operand::Kind::Const ? (local ? Op::FOR_LK : Op::FOR_GK)
                                                   : (local ? Op::FOR_LL : Op::FOR_GG);
        emit(op, var.index, down ? -1 : 1);
        m_code->push_back(bound.kind == Operand::Kind::Const ? int32_t(bound.cval.i) : bound.index);
        m_code->push_back(0);
        (*m_code)[size_t(here() - 1)] = top - here();
        patchHere(exit);
        for (int p : m_loops.back().breaks) patchHere(p);
        m_loops.pop_back();
        return;
    }
    // The bound test (re-evaluated every time) moves below the body.
    CodePiece test = cutCode(testStart);
    int toTest = emitJump(Op::JMP);
    int top = label();
    m_loops.push_back({{}, {}, m_tryDepth});
    statement();
    for (int p : m_loops.back().continues) patchHere(p);
    // The step does not wrap to the variable's type: a loop up to the type's last value
    // ends (as in Delphi) instead of wrapping around forever, leaving final+1 behind.
    int step = down ? -1 : 1;
    if (var.kind == Operand::Kind::Local) {
        emit(Op::INC_L, var.index, step);
    } else if (var.kind == Operand::Kind::Global) {
        emit(Op::INC_G, var.index, step);
    } else {
        Operand a = var;
        pushAddress(a, at);
        emit(Op::DUP);
        emit(Op::LOAD_I);
        emit(Op::PUSH_INT, step);
        emit(Op::ADD_I);
        emit(Op::STORE_I);
    }
    patchHere(toTest);
    pasteCode(test);
    emitJumpTo(Op::JT, top);
    for (int p : m_loops.back().breaks) patchHere(p);
    m_loops.pop_back();
}

// case = "case" expression "of" branch { ";" branch } [ ";" ] [ "else" statements ] [ ";" ] "end"
// branch = label { "," label } ":" statement ; label = expression [ ".." expression ]
// Each label is a run-time comparison, tried in order.
void Parser::caseStatement() {
    next();
    Operand sel = expression();
    discharge(sel);
    int temp = allocTemp(sel.type);
    emit(sel.type->isManaged() ? Op::STORE_LM : Op::STORE_L, temp);
    expect(Tok::KwOf, "'OF' expected");
    std::vector<int> ends;
    auto selOperand = [&] {
        Operand o;
        o.kind = Operand::Kind::Local;
        o.type = sel.type;
        o.index = temp;
        return o;
    };
    while (m_tok.type != Tok::KwElse && m_tok.type != Tok::KwEnd) {
        // Labels before the last jump into the branch when they match; the last one jumps
        // past it when it does not, so the branch itself follows without a jump.
        std::vector<int> hits, misses;
        for (;;) {
            Token lt = m_tok;
            Operand l = selOperand();
            size_t m0 = m_code->size();
            discharge(l);
            size_t m1 = m_code->size();
            Operand v = simpleExpression(sel.type);
            if (accept(Tok::DotDot)) {
                Operand ge = binary(Tok::Ge, l, v, lt, m0, m1);
                discharge(ge);
                int below = emitJump(Op::JF);
                Operand l2 = selOperand();
                size_t n0 = m_code->size();
                discharge(l2);
                size_t n1 = m_code->size();
                Operand hi = simpleExpression(sel.type);
                Operand le = binary(Tok::Le, l2, hi, lt, n0, n1);
                discharge(le);
                if (m_tok.type == Tok::Comma) {
                    hits.push_back(emitJump(Op::JT));
                    patchHere(below);
                } else {
                    misses.push_back(below);
                    misses.push_back(emitJump(Op::JF));
                }
            } else {
                Operand eq = binary(Tok::Eq, l, v, lt, m0, m1);
                discharge(eq);
                if (m_tok.type == Tok::Comma)
                    hits.push_back(emitJump(Op::JT));
                else
                    misses.push_back(emitJump(Op::JF));
            }
            if (!accept(Tok::Comma)) break;
        }
        expect(Tok::Colon, "colon (':') expected");
        for (int h : hits) patchHere(h);
        statement();
        ends.push_back(emitJump(Op::JMP));
        for (int m : misses) patchHere(m);
        if (!accept(Tok::Semicolon)) break;
    }
    if (accept(Tok::KwElse)) {
        statementList(Tok::KwEnd);
    }
    accept(Tok::Semicolon);
    expect(Tok::KwEnd, "'END' expected");
    for (int e : ends) patchHere(e);
}

// with = "with" designator { "," designator } "do" statement
void Parser::withStatement() {
    next();
    size_t before = m_withs.size();
    int savedPins = m_pins;
    m_pins = 0;
    do {
        Token at = m_tok;
        m_pinNext = true;
        Operand d = designator();
        m_pinNext = false;
        if (d.kind == Operand::Kind::ProcName) d = callRoutine(d, at);
        if (d.type->kind == TypeKind::Record && d.kind == Operand::Kind::Value) {
            // a function's result: the block works on a copy of its own
            int tmp = allocTemp(d.type);
            emit(Op::STORE_LM, tmp);
            d.kind = Operand::Kind::Local;
            d.index = tmp;
        }
        if (d.type->kind == TypeKind::Record) {
            pushAddress(d, at);
            int t = allocTemp(nullptr);
            emit(Op::STORE_L, t);
            m_withs.push_back({d.type, t});
        } else if (d.type->kind == TypeKind::Class) {
            discharge(d);
            int t = allocTemp(nullptr);
            emit(Op::STORE_L, t);
            m_withs.push_back({d.type, t});
        } else {
            error("Type mismatch", at);
        }
    } while (accept(Tok::Comma));
    expect(Tok::KwDo, "'DO' expected");
    int pins = m_pins;
    m_pins = savedPins;
    statement();
    if (pins) emit(Op::UNPIN, pins);
    m_withs.resize(before);
}

// try = "try" statements ( "except" statements [ "finally" statements ]
//                        | "finally" statements [ "except" statements ] ) "end"
void Parser::tryStatement() {
    next();
    int id = ++m_tryCounter;
    // The outer handler of a combined form is opened first and closed last.
    int outerPos = emitJump(Op::TRY_EXCEPT);
    int innerPos = emitJump(Op::TRY_FINALLY);
    m_tryDepth += 2;
    m_tryPath.push_back(id);
    statementList(Tok::KwExcept, Tok::KwFinally);
    m_tryPath.pop_back();
    Tok first = m_tok.type;
    next();
    // Decide the form now that the first part is known; rewrite the two entry ops.
    if (first == Tok::KwExcept) {
        (*m_code)[size_t(outerPos - 1)] = int32_t(Op::TRY_FINALLY);
        (*m_code)[size_t(innerPos - 1)] = int32_t(Op::TRY_EXCEPT);
    }
    // inner part
    emit(Op::POP_HANDLER);
    m_tryDepth -= 1;
    m_tryPath.push_back(-id);
    if (first == Tok::KwExcept) {
        int jend = emitJump(Op::JMP);
        patchHere(innerPos);
        statementList(Tok::KwEnd, Tok::KwFinally);
        emit(Op::END_EXCEPT);
        patchHere(jend);
    } else {
        patchHere(innerPos);
        statementList(Tok::KwEnd, Tok::KwExcept);
        emit(Op::END_FINALLY);
    }
    m_tryPath.pop_back();
    Tok second = m_tok.type;
    emit(Op::POP_HANDLER);
    m_tryDepth -= 1;
    if (second == Tok::KwEnd) {
        // Single form: the outer handler was a no-op finally.
        (*m_code)[size_t(outerPos - 1)] = int32_t(Op::TRY_FINALLY);
        patchHere(outerPos);
        emit(Op::END_FINALLY);
        next();
        return;
    }
    next();
    m_tryPath.push_back(-id - 1000000);
    if (second == Tok::KwFinally) {
        patchHere(outerPos);
        statementList(Tok::KwEnd);
        emit(Op::END_FINALLY);
    } else {
        (*m_code)[size_t(outerPos - 1)] = int32_t(Op::TRY_EXCEPT);
        int jend = emitJump(Op::JMP);
        patchHere(outerPos);
        statementList(Tok::KwEnd);
        emit(Op::END_EXCEPT);
        patchHere(jend);
    }
    m_tryPath.pop_back();
    next();
}

// goto = "goto" label
void Parser::gotoStatement() {
    next();
    Token at = m_tok;
    std::string up = upperName(expectIdent());
    Symbol* s = m_inProc ? m_locals.find(up) : nullptr;
    if (!s && !m_inProc) s = m_globals.find(up);
    if (!s) error("Unknown identifier '" + at.text + "'", at);
    if (s->kind != SymKind::Label) error("Invalid jump", at);
    LabelInfo& l = m_labels[size_t(s->slot)];
    if (l.pc >= 0) {
        if (l.tryPath != m_tryPath) error("Invalid jump", at);
        emitJumpTo(Op::JMP, l.pc);
    } else {
        // Forward jumps may not enter a try block; checked when the label is set.
        int pos = emitJump(Op::JMP);
        l.gotos.push_back({pos, m_tryDepth});
        if (l.gotos.size() == 1)
            l.tryPath = m_tryPath;
        else if (l.tryPath != m_tryPath)
            error("Invalid jump", at);
    }
}

// exit = "Exit" ; leaves the routine through every enclosing finally part
void Parser::exitStatement() {
    if (m_tryDepth > 0) {
        emit(Op::LEAVE, m_tryDepth, 0);
        (*m_code)[size_t(here() - 1)] = 0;
        int pos = here() - 1;
        // the target is the routine's RET/HALT: jump to a RET emitted right here
        int skip = emitJump(Op::JMP);
        patchHere(pos);
        emit(m_inProc ? Op::RET : Op::HALT);
        patchHere(skip);
    } else {
        emit(m_inProc ? Op::RET : Op::HALT);
    }
}

void Parser::breakContinue(bool isBreak) {
    if (m_loops.empty()) error("Not in a loop", m_prev);
    LoopCtx& l = m_loops.back();
    int depth = m_tryDepth - l.tryDepth;
    int pos;
    if (depth > 0) {
        emit(Op::LEAVE, depth, 0);
        pos = here() - 1;
    } else {
        pos = emitJump(Op::JMP);
    }
    (isBreak ? l.breaks : l.continues).push_back(pos);
}

}  // namespace script
