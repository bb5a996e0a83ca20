// TComponent: ownership, names, free notifications and the global root list.
#include "classes/TComponent.h"

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"

#include <algorithm>

namespace classes {

const ClassInfo& TComponent::staticClass() {
    static const auto info =
        ClassBuilder<TComponent>("TComponent", TPersistent::staticClass())
            .property("Name", types::componentName(), &TComponent::name,
                      [](TComponent& c, const std::string& n) { c.setName(n); },
                      {.stored = [](const TObject&) { return false; }})
            .property("Tag", types::integer(), &TComponent::tag, &TComponent::setTag, {.defaultValue = 0})
            .defined(
                "Left",
                [](TComponent& c, TReader& r) { c.setDesignPosition(r.readInteger(), c.designTop()); },
                [](const TComponent& c, TWriter& w) { w.writeInteger(c.designLeft()); },
                [](const TComponent& c) { return c.designLeft() != 0 || c.designTop() != 0; })
            .defined(
                "Top",
                [](TComponent& c, TReader& r) { c.setDesignPosition(c.designLeft(), r.readInteger()); },
                [](const TComponent& c, TWriter& w) { w.writeInteger(c.designTop()); },
                [](const TComponent& c) { return c.designLeft() != 0 || c.designTop() != 0; })
            .constructor("constructor Create(AOwner: TComponent);")
            .publicMethod("function FindComponent(AName: string): TComponent;", &TComponent::findComponent)
            .publicMethod("procedure DestroyComponents;", &TComponent::destroyComponents)
            .publicMethod("procedure InsertComponent(AComponent: TComponent);",
                          [](TComponent& c, TComponent& child) { c.insertComponent(&child); })
            .publicMethod("procedure RemoveComponent(AComponent: TComponent);",
                          [](TComponent& c, TComponent& child) {
                              if (child.owner() == &c) c.removeComponent(&child);
                          })
            .publicMethod("procedure FreeNotification(AComponent: TComponent);",
                          [](TComponent& c, TComponent& other) { c.freeNotification(&other); })
            .publicProperty("property Owner: TComponent;", &TComponent::owner)
            .publicProperty("property Components[Index: Integer]: TComponent;", &TComponent::component)
            .publicProperty("property ComponentCount: Integer;", &TComponent::componentCount)
            .publicProperty("property ComponentIndex: Integer;", &TComponent::componentIndex,
                            &TComponent::setComponentIndex)
            .build();
    return *info;
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->insertComponent(this);
}

TComponent::~TComponent() {
    setState(ComponentState::Destroying, true);
    removePendingFixups(this);
    // Notified components may unlink themselves while we iterate, so take them one by one.
    while (!m_freeNotifies.empty()) {
        TComponent* other = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        other->removeNotification(this);
        other->notification(this, Operation::Remove);
    }
    destroyComponents();
    if (m_owner) m_owner->removeComponent(this);
    removeGlobalComponent(this);
}

void TComponent::destroyComponents() {
    while (!m_components.empty()) {
        TComponent* c = m_components.back();
        // Unlink first so the child's destructor does not search our list again.
        m_components.pop_back();
        unindexName(c);
        c->m_owner = nullptr;
        c->releaseHandle();
        delete c;
    }
}

bool isValidIdent(std::string_view name) {
    if (name.empty()) return false;
    auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (!alpha(name[0])) return false;
    for (char c : name) {
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    }
    return true;
}

void TComponent::setName(std::string_view newName) {
    if (newName == m_name) return;
    if (!newName.empty() && !isValidIdent(newName)) {
        throw EComponentError(format(msg::kInvalidName, {newName}));
    }
    if (m_owner) {
        m_owner->validateRename(this, m_name, newName);
        m_owner->unindexName(this);
    } else {
        validateRename(nullptr, m_name, newName);
    }
    setNameValue(newName);
    if (m_owner) m_owner->indexName(this);
}

void TComponent::indexName(TComponent* c) {
    if (!c->m_name.empty()) m_nameIndex[base::asciiUpper(c->m_name)] = c;
}

void TComponent::unindexName(TComponent* c) {
    if (c->m_name.empty()) return;
    auto it = m_nameIndex.find(base::asciiUpper(c->m_name));
    if (it != m_nameIndex.end() && it->second == c) m_nameIndex.erase(it);
}

void TComponent::setNameValue(std::string_view newName) { m_name = std::string(newName); }

void TComponent::validateRename(TComponent* component, std::string_view curName, std::string_view newName) {
    if (!component || newName.empty() || base::asciiSameText(curName, newName)) return;
    if (TComponent* other = findComponent(newName); other && other != component) {
        throw EComponentError(format(msg::kDuplicateName, {newName}));
    }
}

TComponent* TComponent::component(int index) const {
    if (index < 0 || index >= componentCount()) {
        throw EListError(format(msg::kListIndexError, {std::to_string(index)}));
    }
    return m_components[static_cast<size_t>(index)];
}

int TComponent::componentIndex() const {
    if (!m_owner) return -1;
    auto& list = m_owner->m_components;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TComponent::setComponentIndex(int index) {
    if (!m_owner) return;
    auto& list = m_owner->m_components;
    int count = static_cast<int>(list.size());
    int cur = componentIndex();
    if (index < 0) index = 0;
    if (index >= count) index = count - 1;
    if (cur < 0 || cur == index) return;
    list.erase(list.begin() + cur);
    list.insert(list.begin() + index, this);
}

TComponent* TComponent::findComponent(std::string_view name) const {
    if (name.empty() || m_nameIndex.empty()) return nullptr;
    auto it = m_nameIndex.find(base::asciiUpper(name));
    return it == m_nameIndex.end() ? nullptr : it->second;
}

void TComponent::insertComponent(TComponent* c) {
    if (!c || c->m_owner == this) return;
    validateRename(c, {}, c->m_name);
    if (c->m_owner) c->m_owner->removeComponent(c);
    insert(c);
    notification(c, Operation::Insert);
}

void TComponent::removeComponent(TComponent* c) {
    if (!c || c->m_owner != this) return;
    notification(c, Operation::Remove);
    remove(c);
}

void TComponent::insert(TComponent* c) {
    m_components.push_back(c);
    c->m_owner = this;
    indexName(c);
}

void TComponent::remove(TComponent* c) {
    // Components are mostly removed newest first, so search from the end.
    auto it = std::find(m_components.rbegin(), m_components.rend(), c);
    if (it != m_components.rend()) m_components.erase(std::next(it).base());
    unindexName(c);
    c->m_owner = nullptr;
}

void TComponent::setState(ComponentState s, bool on) {
    if (on) {
        m_state |= static_cast<uint32_t>(s);
    } else {
        m_state &= ~static_cast<uint32_t>(s);
    }
}

void TComponent::freeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), other) == m_freeNotifies.end()) {
        m_freeNotifies.push_back(other);
        other->freeNotification(this);
    }
    setState(ComponentState::FreeNotification, true);
}

void TComponent::removeFreeNotification(TComponent* other) {
    if (!other) return;
    removeNotification(other);
    other->removeNotification(this);
}

void TComponent::removeNotification(TComponent* other) {
    auto it = std::find(m_freeNotifies.begin(), m_freeNotifies.end(), other);
    if (it != m_freeNotifies.end()) m_freeNotifies.erase(it);
}

void TComponent::notification(TComponent* component, Operation operation) {
    if (operation != Operation::Remove) return;
    removeNotification(component);
    // Owned components hear about removals, so references between siblings are cleared.
    // Insertions are not passed on: forms read thousands of components, and telling every
    // sibling about every new one would make loading quadratic. A notification may delete
    // components, so walk by index and re-check the bound.
    for (int i = componentCount() - 1; i >= 0; --i) {
        if (i >= componentCount()) {
            i = componentCount();
            continue;
        }
        m_components[static_cast<size_t>(i)]->notification(component, operation);
    }
}

void TComponent::loaded() { setState(ComponentState::Loading, false); }

void TComponent::setParentComponent(TComponent*) {}

void TComponent::setChildOrder(TComponent*, int) {}

void TComponent::getChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
    if (root != this) return;
    for (TComponent* c : m_components) {
        if (!c->hasParent()) proc(c);
    }
}

std::string TComponent::namePath() const {
    std::string path = m_name.empty() ? className() : m_name;
    if (m_owner && !m_owner->m_name.empty()) path = m_owner->m_name + "." + path;
    return path;
}

namespace {
std::vector<TComponent*>& globals() {
    static std::vector<TComponent*> list;
    return list;
}
}  // namespace

void addGlobalComponent(TComponent* root) {
    auto& list = globals();
    if (root && std::find(list.begin(), list.end(), root) == list.end()) list.push_back(root);
}

void removeGlobalComponent(TComponent* root) {
    auto& list = globals();
    auto it = std::find(list.begin(), list.end(), root);
    if (it != list.end()) list.erase(it);
}

TComponent* findGlobalComponent(std::string_view name) {
    if (name.empty()) return nullptr;
    for (TComponent* c : globals()) {
        if (base::asciiSameText(c->name(), name)) return c;
    }
    return nullptr;
}

const std::vector<TComponent*>& globalComponents() { return globals(); }

}  // namespace classes
