// Class metadata, the class registry and generic property access by path.
#include "classes/ClassInfo.h"

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "classes/TComponent.h"

#include <map>

namespace classes {

namespace detail {
void throwInvalidValue() { throw EPropertyError(msg::kInvalidPropertyValue); }
}  // namespace detail

void PropInfo::set(TObject& obj, const PropValue& value) const {
    if (!setter) throw EPropertyError(msg::kPropertyReadOnly);
    setter(obj, value);
}

ClassInfo::ClassInfo(Parts parts)
    : m_name(std::move(parts.name)),
      m_parent(parts.parent),
      m_ownProps(std::move(parts.props)),
      m_defined(std::move(parts.defined)),
      m_methods(std::move(parts.methods)),
      m_members(std::move(parts.members)),
      m_fieldClasses(std::move(parts.fieldClasses)),
      m_factory(std::move(parts.factory)) {
    m_type = std::make_unique<TypeInfo>(TypeInfo::object(*this));
    if (m_parent) {
        m_allProps = m_parent->m_allProps;
        m_propIndex = m_parent->m_propIndex;
    }
    for (PropInfo& p : m_ownProps) {
        p.declaredBy = this;
        std::string key = base::asciiUpper(p.name);
        auto it = m_propIndex.find(key);
        if (it != m_propIndex.end()) {
            // A redeclaration replaces the ancestor's property in place, keeping its order.
            for (auto& slot : m_allProps) {
                if (slot == it->second) slot = &p;
            }
            it->second = &p;
        } else {
            m_allProps.push_back(&p);
            m_propIndex.emplace(std::move(key), &p);
        }
    }
}

bool ClassInfo::inheritsFrom(const ClassInfo& ancestor) const {
    for (const ClassInfo* c = this; c; c = c->m_parent) {
        if (c == &ancestor) return true;
    }
    return false;
}

bool ClassInfo::isComponent() const { return inheritsFrom(TComponent::staticClass()); }

const PropInfo* ClassInfo::findProperty(std::string_view name) const {
    // Most lookups hit on the first try with the stream's own spelling; upper-casing into a
    // small buffer avoids allocating for typical names.
    char buf[64];
    if (name.size() <= sizeof buf) {
        for (size_t i = 0; i < name.size(); ++i) {
            char c = name[i];
            buf[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
        auto it = m_propIndex.find(std::string(buf, name.size()));
        return it == m_propIndex.end() ? nullptr : it->second;
    }
    auto it = m_propIndex.find(base::asciiUpper(name));
    return it == m_propIndex.end() ? nullptr : it->second;
}

const DefinedProp* ClassInfo::findDefinedProperty(std::string_view name) const {
    for (const ClassInfo* c = this; c; c = c->m_parent) {
        for (const DefinedProp& d : c->m_defined) {
            if (base::asciiSameText(d.name, name)) return &d;
        }
    }
    return nullptr;
}

std::vector<const DefinedProp*> ClassInfo::definedProperties() const {
    std::vector<const ClassInfo*> chain;
    for (const ClassInfo* c = this; c; c = c->m_parent) chain.push_back(c);
    std::vector<const DefinedProp*> out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const DefinedProp& d : (*it)->m_defined) out.push_back(&d);
    }
    return out;
}

const MethodInfo* ClassInfo::findMethod(std::string_view name) const {
    for (const ClassInfo* c = this; c; c = c->m_parent) {
        for (const MethodInfo& m : c->m_methods) {
            if (base::asciiSameText(m.name, name)) return &m;
        }
    }
    return nullptr;
}

std::vector<const MethodInfo*> ClassInfo::methods() const {
    std::vector<const ClassInfo*> chain;
    for (const ClassInfo* c = this; c; c = c->m_parent) chain.push_back(c);
    std::vector<const MethodInfo*> out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const MethodInfo& m : (*it)->m_methods) out.push_back(&m);
    }
    return out;
}

const ClassInfo* ClassInfo::findFieldClass(std::string_view name) const {
    for (const ClassInfo* c = this; c; c = c->m_parent) {
        for (const ClassInfo* f : c->m_fieldClasses) {
            if (base::asciiSameText(f->name(), name)) return f;
        }
    }
    return nullptr;
}

TObject* ClassInfo::create(TObject* context) const {
    if (!m_factory) throw base::Error(format(msg::kAbstractClass, {m_name}));
    return m_factory(context);
}

namespace {

std::map<std::string, const ClassInfo*>& registry() {
    static std::map<std::string, const ClassInfo*> table;
    return table;
}

}  // namespace

void ClassRegistry::registerClass(const ClassInfo& info) {
    for (const ClassInfo* c = &info; c; c = c->parent()) {
        std::string key = base::asciiUpper(c->name());
        auto [it, inserted] = registry().emplace(key, c);
        if (!inserted && it->second != c) throw base::Error(format(msg::kDuplicateClass, {c->name()}));
    }
}

void ClassRegistry::registerClasses(std::initializer_list<const ClassInfo*> infos) {
    for (const ClassInfo* i : infos) registerClass(*i);
}

void ClassRegistry::unregisterClass(const ClassInfo& info) {
    auto it = registry().find(base::asciiUpper(info.name()));
    if (it != registry().end() && it->second == &info) registry().erase(it);
}

const ClassInfo* ClassRegistry::find(std::string_view name) {
    auto it = registry().find(base::asciiUpper(name));
    return it == registry().end() ? nullptr : it->second;
}

std::vector<const ClassInfo*> ClassRegistry::all() {
    std::vector<const ClassInfo*> out;
    out.reserve(registry().size());
    for (const auto& entry : registry()) out.push_back(entry.second);
    return out;
}

const ClassInfo& ClassRegistry::get(std::string_view name) {
    const ClassInfo* c = find(name);
    if (!c) throw EClassNotFound(format(msg::kClassNotFound, {name}));
    return *c;
}

namespace {

// Walks every part of `path` but the last; returns the object holding the last part.
const TObject& walkPath(const TObject& start, std::string_view path, std::string_view& last) {
    const TObject* obj = &start;
    size_t dot;
    while ((dot = path.find('.')) != std::string_view::npos) {
        std::string_view part = path.substr(0, dot);
        const PropInfo* p = obj->classType().findProperty(part);
        if (!p) throw EPropertyError(format(msg::kUnknownProperty, {part}));
        if (p->type->kind() != TypeKind::Class) throw EPropertyError(msg::kInvalidPropertyPath);
        PropValue v = p->get(*obj);
        TObject* next = std::get<TObject*>(v);
        if (!next) throw EPropertyError(msg::kInvalidPropertyPath);
        obj = next;
        path.remove_prefix(dot + 1);
    }
    last = path;
    return *obj;
}

}  // namespace

PropValue getPropertyValue(const TObject& obj, std::string_view path) {
    std::string_view last;
    const TObject& target = walkPath(obj, path, last);
    const PropInfo* p = target.classType().findProperty(last);
    if (!p) throw EPropertyError(format(msg::kUnknownProperty, {last}));
    return p->get(target);
}

void setPropertyValue(TObject& obj, std::string_view path, const PropValue& value) {
    std::string_view last;
    // The walk only reads; the final object is written through the same pointer it came from.
    TObject& target = const_cast<TObject&>(walkPath(obj, path, last));
    const PropInfo* p = target.classType().findProperty(last);
    if (!p) throw EPropertyError(format(msg::kUnknownProperty, {last}));
    p->set(target, value);
}

}  // namespace classes
