// Declarations made by the host and the system unit: each is parsed from its script text
// with the same grammar functions as the script itself.
#include "script/Parser.h"

namespace script {

template <typename F>
void Parser::withSource(std::string_view src, F body) {
    auto savedLex = std::move(m_lex);
    Token savedTok = m_tok, savedPrev = m_prev;
    std::string text(src);
    startSource(text);
    try {
        body();
    } catch (...) {
        m_lex = std::move(savedLex);
        m_tok = savedTok;
        m_prev = savedPrev;
        throw;
    }
    m_lex = std::move(savedLex);
    m_tok = savedTok;
    m_prev = savedPrev;
}

void Parser::declareIntrinsic(const char* name, Intrinsic k) {
    Symbol s;
    s.kind = SymKind::Intrinsic;
    s.name = name;
    s.intrinsic = k;
    s.builtin = true;
    m_globals.add(upperName(name), std::move(s));
}

void Parser::declareFunction(std::string_view decl, NativeFn fn, const ClassBinding* method) {
    std::string text(decl);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (text.empty() || text.back() != ';') text += ';';
    withSource(text, [&] {
        bool isFunc;
        if (accept(Tok::KwFunction))
            isFunc = true;
        else if (accept(Tok::KwProcedure))
            isFunc = false;
        else
            error("Syntax error");
        std::string name;
        ProcSig sig;
        Token nameTok;
        procHeader(isFunc, name, sig, nameTok);
        NativeProc np;
        np.name = method ? upperName(method->className()) + "." + upperName(name) : upperName(name);
        np.sig = std::move(sig);
        np.fn = std::move(fn);
        np.isMethod = method != nullptr;
        m_chunk->natives.push_back(std::move(np));
        int index = int(m_chunk->natives.size() - 1);
        if (method) {
            m_methods.push_back({method, upperName(name), index});
            return;
        }
        Symbol s;
        s.kind = SymKind::Native;
        s.name = name;
        s.slot = index;
        s.builtin = true;
        if (!m_globals.add(upperName(name), std::move(s)))
            error("Duplicate identifier '" + upperName(name) + "'", nameTok);
    });
}

void Parser::declareType(std::string_view name, std::string_view decl) {
    withSource(decl, [&] {
        const TypeDesc* t = typeSpec();
        if (t->name.empty()) const_cast<TypeDesc*>(t)->name = std::string(name);
        Symbol s;
        s.kind = SymKind::Type;
        s.name = std::string(name);
        s.type = t;
        s.builtin = true;
        if (!m_globals.add(upperName(name), std::move(s)))
            error("Duplicate identifier '" + upperName(name) + "'");
    });
}

void Parser::declareConst(std::string_view name, const TypeDesc* t, Slot v, std::string str) {
    Symbol s;
    s.kind = SymKind::Const;
    s.name = std::string(name);
    s.type = t;
    s.value = v;
    s.str = std::move(str);
    s.builtin = true;
    if (!m_globals.add(upperName(name), std::move(s)))
        throw base::CompileError("Duplicate identifier '" + upperName(name) + "'", 0, 0);
}

void Parser::declareVariable(std::string_view name, std::string_view typeName) {
    std::string up = upperName(typeName);
    Symbol* ts = m_globals.find(up);
    const TypeDesc* t = ts && ts->kind == SymKind::Type ? ts->type : builtinType(up);
    if (!t) throw base::CompileError("Invalid type for variable " + std::string(name), 0, 0);
    Symbol s;
    s.kind = SymKind::Var;
    s.name = std::string(name);
    s.type = t;
    s.global = true;
    s.used = true;
    s.slot = m_chunk->nGlobals++;
    m_chunk->globalTypes.push_back(t);
    if (t->isManaged()) m_chunk->managedGlobals.push_back(s.slot);
    if (!m_globals.add(upperName(name), std::move(s)))
        throw base::CompileError("Duplicate identifier '" + upperName(name) + "'", 0, 0);
}

void Parser::declareMethod(std::string_view className, std::string_view decl, NativeFn fn) {
    std::string up = upperName(className);
    for (const ClassBinding* c : m_classes)
        if (upperName(c->className()) == up) return declareFunction(decl, std::move(fn), c);
    throw base::CompileError("Unknown type '" + up + "'", 0, 0);
}

void Parser::declareClass(const ClassBinding& cls) {
    TypeDesc* t = newType(TypeKind::Class);
    t->name = cls.className();
    t->cls = &cls;
    Symbol s;
    s.kind = SymKind::Type;
    s.name = t->name;
    s.type = t;
    s.builtin = true;
    m_globals.add(upperName(t->name), std::move(s));
    m_classes.push_back(&cls);
}

}  // namespace script
