// Declarations made by the host and the system unit: each is parsed from its script text
// with the same grammar functions as the script itself. Host names are built-in: a later
// declaration of the same name replaces an earlier one (an enumeration member declared
// again shadows the first), and the script's own names shadow them all.
#include <cctype>

#include "classes/ClassInfo.h"
#include "classes/TObject.h"
#include "script/Binder.h"
#include "script/Handles.h"
#include "script/Parser.h"

namespace script {

template <typename F>
void Parser::withSource(std::string_view src, F body) {
    auto savedLex = std::move(m_lex);
    Token savedTok = m_tok, savedPrev = m_prev;
    bool savedHost = m_inHost;
    std::string text(src);
    auto restore = [&] {
        m_lex = std::move(savedLex);
        m_tok = savedTok;
        m_prev = savedPrev;
        m_inHost = savedHost;
    };
    m_inHost = true;
    try {
        startSource(text);
        body();
    } catch (const base::CompileError& e) {
        restore();
        // The position is inside the host's text, not the script: name the declaration.
        throw base::CompileError(std::string(e.what()) + " in the declaration \"" + text + "\" (column " +
                                     std::to_string(e.col()) + ")",
                                 0, 0);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void Parser::declareIntrinsic(const char* name, Intrinsic k) {
    Symbol s;
    s.kind = SymKind::Intrinsic;
    s.name = name;
    s.intrinsic = k;
    s.builtin = true;
    m_globals.add(upperName(name), std::move(s));
}

namespace {

std::string trimmedDeclaration(std::string_view decl) {
    std::string text(decl);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (text.empty() || text.back() != ';') text += ';';
    return text;
}

// The name a member declaration declares ("property Items[..." → "ITEMS") and whether it
// ends in "default;".
std::string memberName(std::string_view decl, bool& isDefault) {
    size_t i = 0;
    auto blank = [&](size_t k) {
        return k < decl.size() && std::isspace(static_cast<unsigned char>(decl[k]));
    };
    auto word = [&](size_t k) {
        return k < decl.size() && (std::isalnum(static_cast<unsigned char>(decl[k])) || decl[k] == '_');
    };
    while (blank(i)) ++i;
    while (word(i)) ++i;  // procedure, function, constructor, property
    while (blank(i)) ++i;
    size_t start = i;
    while (word(i)) ++i;
    std::string name = upperName(decl.substr(start, i - start));
    std::string tail = upperName(decl.substr(i));
    while (!tail.empty() && (tail.back() == ';' || std::isspace(static_cast<unsigned char>(tail.back()))))
        tail.pop_back();
    isDefault = tail.size() >= 7 && tail.compare(tail.size() - 7, 7, "DEFAULT") == 0 &&
                (tail.size() == 7 || !std::isalnum(static_cast<unsigned char>(tail[tail.size() - 8])));
    return name;
}

}  // namespace

void Parser::declareFunction(std::string_view decl, NativeFn fn, classes::NativeCallable typed, bool attach) {
    std::string text = trimmedDeclaration(decl);
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
        while (m_tok.type == Tok::Ident) {  // directives: stdcall; overload; ...
            next();
            accept(Tok::Semicolon);
        }
        NativeProc np;
        np.name = upperName(name);
        np.sig = std::move(sig);
        np.fn = std::move(fn);
        np.declaration = text;
        if (typed) {
            auto bound = bindCall(std::move(typed), np.sig, text);
            if (attach) np.bound = std::move(bound);
        }
        m_chunk->natives.push_back(std::move(np));
        Symbol s;
        s.kind = SymKind::Native;
        s.name = name;
        s.slot = int(m_chunk->natives.size() - 1);
        s.builtin = true;
        if (!m_globals.add(upperName(name), std::move(s)))
            error("Duplicate identifier '" + name + "'", nameTok);
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
            error("Duplicate identifier '" + std::string(name) + "'");
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
        throw base::CompileError("Duplicate identifier '" + std::string(name) + "'", 0, 0);
}

void Parser::declareVariable(std::string_view name, std::string_view typeName) {
    std::string up = upperName(typeName);
    Symbol* ts = m_globals.find(up);
    const TypeDesc* t = ts && ts->kind == SymKind::Type ? ts->type : builtinType(up);
    if (!t) throw base::CompileError("Invalid type for variable " + std::string(name), 0, 0);
    if (Symbol* old = m_globals.find(upperName(name));
        old && old->kind == SymKind::Var && old->global && upperName(old->type->name) == upperName(t->name)) {
        // Declared again: the same variable, of the type as declared now.
        old->type = t;
        m_chunk->globalTypes[size_t(old->slot)] = t;
        return;
    }
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
        throw base::CompileError("Duplicate identifier '" + std::string(name) + "'", 0, 0);
}

ClassDecl* Parser::declareClass(const classes::ClassInfo& info) {
    if (auto it = m_classDecls.find(&info); it != m_classDecls.end()) return it->second;
    ClassDecl* parent = info.parent() ? declareClass(*info.parent()) : nullptr;
    auto owned = std::make_unique<ClassDecl>();
    ClassDecl* c = owned.get();
    c->info = &info;
    c->parent = parent;
    c->index = int(m_chunk->classes.size());
    m_chunk->classes.push_back(std::move(owned));
    m_classDecls[&info] = c;
    TypeDesc* t = newType(TypeKind::Class);
    t->name = info.name();
    t->cls = c;
    c->type = t;
    Symbol s;
    s.kind = SymKind::Type;
    s.name = info.name();
    s.type = t;
    s.builtin = true;
    m_globals.add(upperName(info.name()), std::move(s));
    declareEnumsOf(info);
    if (&info == &classes::TObject::staticClass()) {
        // Free lives in the handle table's rules, not in the class: nil does nothing, a
        // dead object is an error, an owned sub-object cannot be freed.
        NativeProc np;
        np.name = "TOBJECT.FREE";
        np.isMethod = true;
        np.kind = CallKind::Method;
        np.cls = c;
        np.nilSelf = true;
        np.declaration = "procedure Free;";
        np.fn = [](NativeCall& call) { Handles::free(call.self()); };
        m_chunk->natives.push_back(std::move(np));
        c->members["FREE"] = {ClassDecl::Member::Kind::Method, int(m_chunk->natives.size() - 1)};
    }
    for (const classes::ScriptMember& m : info.scriptMembers()) declareMemberOf(*c, m);
    return c;
}

void Parser::declareAllMembers() {
    Token none;
    for (size_t i = 0; i < m_chunk->classes.size(); ++i) {
        ClassDecl& c = *m_chunk->classes[i];
        for (auto& [name, m] : c.members)
            if (m.kind == ClassDecl::Member::Kind::Pending) declarePending(c, m);
        for (const classes::PropInfo* p : c.info->properties())
            if (p->declaredBy == c.info) typeFromInfo(*p->type, none);
    }
}

// An enumeration or set type from native type information ("(a,b,c)", "set of E"),
// unless a type of that name exists.
void Parser::declareTypeFrom(const classes::TypeInfo& t) {
    auto known = [&](const std::string& name) {
        Symbol* s = m_globals.find(upperName(name));
        return s && s->kind == SymKind::Type;
    };
    if (t.name().empty() || known(t.name())) return;
    if (t.kind() == classes::TypeKind::Enumeration) {
        std::string decl = "(";
        for (size_t i = 0; i < t.elements().size(); ++i) decl += (i ? "," : "") + t.elements()[i];
        declareType(t.name(), decl + ")");
    } else if (t.kind() == classes::TypeKind::Set && t.elementType()) {
        declareTypeFrom(*t.elementType());
        declareType(t.name(), "set of " + t.elementType()->name());
    }
}

// The enumeration and set types of the class's own published properties, so scripts can
// name their members.
void Parser::declareEnumsOf(const classes::ClassInfo& info) {
    for (const classes::PropInfo* p : info.properties())
        if (p->declaredBy == &info) declareTypeFrom(*p->type);
}

void Parser::declareMemberOf(ClassDecl& c, const classes::ScriptMember& m) {
    if (m.kind == classes::ScriptMember::Kind::Type) {
        if (Symbol* s = m_globals.find(upperName(m.name)); !s || s->kind != SymKind::Type)
            declareType(m.name, m.declaration);
        return;
    }
    bool isDefault = false;
    std::string name = memberName(m.declaration, isDefault);
    c.members[name] = {ClassDecl::Member::Kind::Pending, -1, &m};
    if (isDefault && m.kind == classes::ScriptMember::Kind::Property) c.defaultName = name;
}

void Parser::declarePending(ClassDecl& c, ClassDecl::Member& member) {
    const classes::ScriptMember& m = *member.source;
    std::string text = trimmedDeclaration(m.declaration);
    // Parsing may declare types; `member` stays valid (map nodes do not move).
    withSource(text, [&] {
        using Kind = classes::ScriptMember::Kind;
        if (m.kind == Kind::Property) {
            // property = "property" ident [ "[" params "]" ] ":" type { ident } ";" [ "default" ";" ]
            expect(Tok::KwProperty, "'PROPERTY' expected");
            Token nameTok = m_tok;
            std::string name = expectIdent();
            ProcSig getter;
            if (accept(Tok::LBracket)) {
                paramList(getter);
                expect(Tok::RBracket, "Closing square bracket (']') expected");
            }
            expect(Tok::Colon, "colon (':') expected");
            const TypeDesc* type = typeIdent();
            while (m_tok.type == Tok::Ident) next();  // read/write specifiers: the accessors decide
            expect(Tok::Semicolon, "Semicolon (';') expected");
            bool isDefault = false;
            if (m_tok.type == Tok::Ident && upperName(m_tok.text) == "DEFAULT") {
                next();
                accept(Tok::Semicolon);
                isDefault = true;
            }
            if (isDefault && getter.params.empty())
                error("Default property must be an array property", nameTok);
            if (!m.call) error("Property '" + name + "' has no getter", nameTok);
            PropRef r;
            r.cls = &c;
            r.type = type;
            r.params = getter.params;
            r.name = name;
            getter.result = type;
            r.getter = bindCall(m.call, getter, text, &c);
            if (m.setter) {
                ProcSig setter;
                setter.params = r.params;
                setter.params.push_back({"Value", type, ParamMode::Value});
                r.setter = bindCall(m.setter, setter, text, &c);
            } else {
                r.access = PropertyAccess::ReadOnly;
            }
            m_chunk->props.push_back(std::move(r));
            member = {ClassDecl::Member::Kind::Property, int(m_chunk->props.size() - 1), nullptr};
            return;
        }
        bool isFunc = false;
        if (m.kind == Kind::Constructor)
            expect(Tok::KwConstructor, "'CONSTRUCTOR' expected");
        else if (accept(Tok::KwFunction))
            isFunc = true;
        else
            expect(Tok::KwProcedure, "'PROCEDURE' expected");
        std::string name;
        ProcSig sig;
        Token nameTok;
        procHeader(isFunc, name, sig, nameTok);
        while (m_tok.type == Tok::Ident) {  // virtual; override; overload; ...
            next();
            accept(Tok::Semicolon);
        }
        NativeProc np;
        np.name = upperName(c.info->name()) + "." + upperName(name);
        np.isMethod = true;
        np.cls = &c;
        np.declaration = text;
        if (m.kind == Kind::Constructor) {
            np.kind = CallKind::Constructor;
            sig.result = c.type;
            np.sig = std::move(sig);
            if (m.call) np.bound = bindCall(m.call, np.sig, text);
        } else {
            np.kind = CallKind::Method;
            np.sig = std::move(sig);
            if (m.call) np.bound = bindCall(m.call, np.sig, text, &c);
        }
        m_chunk->natives.push_back(std::move(np));
        auto kind = m.kind == Kind::Constructor ? ClassDecl::Member::Kind::Constructor
                                                : ClassDecl::Member::Kind::Method;
        member = {kind, int(m_chunk->natives.size() - 1), nullptr};
    });
}

void Parser::declareMember(std::string_view className, classes::ScriptMember m) {
    Symbol* s = m_globals.find(upperName(className));
    if (!s || s->kind != SymKind::Type || s->type->kind != TypeKind::Class)
        throw base::CompileError("Unknown type '" + std::string(className) + "'", 0, 0);
    m_hostMembers.push_back(std::make_unique<classes::ScriptMember>(std::move(m)));
    declareMemberOf(*const_cast<ClassDecl*>(s->type->cls), *m_hostMembers.back());
}

}  // namespace script
