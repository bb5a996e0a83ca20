// Members of imported classes in expressions: methods, properties (published ones read
// through the class metadata, declared ones through typed accessors, indexed and default
// ones with their index arguments) and constructors called on a class (TStringList.Create).
#include "classes/ClassInfo.h"
#include "script/Parser.h"

namespace script {

namespace {
const TypeDesc kVoid{};
}  // namespace

bool Parser::inherits(const ClassDecl* cls, const ClassDecl* ancestor) {
    return cls && ancestor && cls->info->inheritsFrom(*ancestor->info);
}

// A member is looked for class by class from the most derived; a published property
// belongs to the declared class at or below which its declaring class sits.
const ClassDecl::Member* Parser::findMember(const ClassDecl* cls, const std::string& upper) {
    const classes::PropInfo* pub = cls->info->findProperty(upper);
    for (const ClassDecl* c = cls; c; c = c->parent) {
        auto it = c->members.find(upper);
        if (it != c->members.end()) {
            if (it->second.kind == ClassDecl::Member::Kind::Pending)
                declarePending(*const_cast<ClassDecl*>(c), const_cast<ClassDecl::Member&>(it->second));
            return &it->second;
        }
        if (pub && (!c->parent || !c->parent->info->inheritsFrom(*pub->declaredBy))) return nullptr;
    }
    return nullptr;
}

const classes::PropInfo* Parser::findPublished(const ClassDecl* cls, const std::string& upper) const {
    const classes::PropInfo* pub = cls->info->findProperty(upper);
    if (!pub) return nullptr;
    for (const ClassDecl* c = cls; c; c = c->parent) {
        if (c->members.count(upper)) return nullptr;
        if (!c->parent || !c->parent->info->inheritsFrom(*pub->declaredBy)) return pub;
    }
    return pub;
}

const TypeDesc* Parser::typeFromInfo(const classes::TypeInfo& info, const Token& at) {
    using K = classes::TypeKind;
    if (info.kind() == K::Class) {
        // A sub-object's class (a control's Font) is declared with the first property that
        // holds one, so its members are there even when nobody registered it.
        if (!info.classInfo()) error("Unknown type '" + info.name() + "'", at);
        return declareClass(*info.classInfo())->type;
    }
    auto expected = [&]() -> TypeKind {
        switch (info.kind()) {
        case K::Integer:
        case K::Int64: return TypeKind::Integer;
        case K::Char: return TypeKind::Char;
        case K::Enumeration: return TypeKind::Enum;
        case K::Set: return TypeKind::Set;
        case K::Float: return TypeKind::Float;
        case K::String:
        case K::WString: return TypeKind::String;
        case K::Method: return TypeKind::Proc;
        case K::Variant: return TypeKind::Variant;
        case K::Boolean: return TypeKind::Boolean;
        case K::Class: break;
        }
        return TypeKind::Class;
    }();
    auto declared = [&]() -> const TypeDesc* {
        Symbol* s = m_globals.find(upperName(info.name()));
        if (s && s->kind == SymKind::Type && s->type->kind == expected) return s->type;
        const TypeDesc* b = builtinType(upperName(info.name()));
        return b && b->kind == expected ? b : nullptr;
    };
    if (const TypeDesc* t = declared()) return t;
    switch (info.kind()) {
    case K::Integer: return builtinType("INTEGER");
    case K::Int64: return builtinType("INT64");
    case K::Char: return builtinType("CHAR");
    case K::String:
    case K::WString: return builtinType("STRING");
    case K::Variant: return builtinType("VARIANT");
    case K::Boolean: return builtinType("BOOLEAN");
    case K::Float:
        switch (info.floatType()) {
        case classes::FloatType::Single: return builtinType("SINGLE");
        case classes::FloatType::Extended: return builtinType("EXTENDED");
        case classes::FloatType::Currency: return builtinType("CURRENCY");
        default: return builtinType("DOUBLE");
        }
    case K::Method:
        // Event types are declared when first used, so their parameter types may come later.
        declareType(info.name(), info.declaration());
        break;
    case K::Enumeration:
    case K::Set: declareTypeFrom(info); break;
    default: break;
    }
    if (const TypeDesc* t = declared()) return t;
    error("Unknown type '" + info.name() + "'", at);
}

int Parser::publishedProp(const ClassDecl* cls, const classes::PropInfo* p, const Token& at) {
    if (auto it = m_publishedProps.find(p); it != m_publishedProps.end()) return it->second;
    PropRef r;
    r.cls = cls;
    r.published = p;
    r.type = typeFromInfo(*p->type, at);
    r.access = p->readOnly() ? PropertyAccess::ReadOnly : PropertyAccess::ReadWrite;
    r.name = p->name;
    m_chunk->props.push_back(std::move(r));
    int index = int(m_chunk->props.size() - 1);
    m_publishedProps[p] = index;
    return index;
}

Operand Parser::methodOrProperty(Operand obj, const std::string& up, const Token& at) {
    const ClassDecl* cls = obj.type->cls;
    if (const ClassDecl::Member* m = findMember(cls, up)) {
        switch (m->kind) {
        case ClassDecl::Member::Kind::Method: return callMethod(obj, m->index, at);
        case ClassDecl::Member::Kind::Property: return propertyAccess(obj, m->index, at);
        case ClassDecl::Member::Kind::Constructor:
        case ClassDecl::Member::Kind::Pending: break;
        }
    } else if (const classes::PropInfo* p = findPublished(cls, up)) {
        return propertyAccess(obj, publishedProp(cls, p, at), at);
    }
    error("Unknown identifier '" + at.text + "'", at);
}

// index = "[" expression { "," expression } "]"   (indexed properties)
Operand Parser::propertyAccess(Operand obj, int prop, const Token& at) {
    discharge(obj);
    // Copied: compiling the index may declare more properties and move the table.
    std::vector<Param> params = m_chunk->props[size_t(prop)].params;
    if (!params.empty()) {
        if (m_tok.type != Tok::LBracket) error("Invalid number of parameters", at);
        next();
        for (size_t i = 0; i < params.size(); ++i) {
            if (i > 0) expect(Tok::Comma, "Invalid number of parameters");
            Token it = m_tok;
            Operand v = expression(params[i].type);
            coerce(v, params[i].type, it);
            discharge(v);
        }
        expect(Tok::RBracket, "Closing square bracket (']') expected");
    }
    const PropRef& r = m_chunk->props[size_t(prop)];
    Operand o;
    o.kind = Operand::Kind::Prop;
    o.index = prop;
    o.type = r.type;
    o.access = r.access;
    return o;
}

Operand Parser::defaultProperty(Operand obj, const Token& at) {
    for (const ClassDecl* c = obj.type->cls; c; c = c->parent) {
        if (c->defaultName.empty()) continue;
        const ClassDecl::Member* m = findMember(c, c->defaultName);
        if (m && m->kind == ClassDecl::Member::Kind::Property) return propertyAccess(obj, m->index, at);
    }
    error("Type mismatch", at);
}

Operand Parser::callMethod(Operand obj, int native, const Token& at) {
    discharge(obj);
    ProcSig sig = m_chunk->natives[size_t(native)].sig;
    int pins = arguments(sig, at, m_tok.type == Tok::LParen);
    mark(at);
    emit(Op::CALL_METHOD, native);
    if (pins) emit(Op::UNPIN, pins);
    Operand o;
    o.type = sig.result ? sig.result : &kVoid;
    return o;
}

// class-reference = class-type "." constructor [ args ]; the class named is the one created
Operand Parser::classReference(Operand cls, const std::string& up, const Token& at) {
    const ClassDecl* c = cls.type->cls;
    const ClassDecl::Member* m = findMember(c, up);
    if (!m || m->kind != ClassDecl::Member::Kind::Constructor)
        error("Unknown identifier '" + at.text + "'", at);
    emit(Op::PUSH_INT, c->index);
    ProcSig sig = m_chunk->natives[size_t(m->index)].sig;
    int pins = arguments(sig, at, m_tok.type == Tok::LParen);
    mark(at);
    emit(Op::CALL_METHOD, m->index);
    if (pins) emit(Op::UNPIN, pins);
    Operand o;
    o.type = cls.type;
    return o;
}

}  // namespace script
