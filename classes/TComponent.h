// TComponent: named objects owned by an owner, in creation order, with free notifications
// and the loading protocol the stream reader drives (loading flag, loaded() in creation
// order with the root first).
#pragma once

#include "classes/TObject.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace classes {

enum class ComponentState : uint32_t {
    Loading = 1u << 0,  // between the start of a stream read and loaded()
    Reading = 1u << 1,  // its own properties are being read
    Writing = 1u << 2,
    Destroying = 1u << 3,  // inside the destructor
    Designing = 1u << 4,
    Ancestor = 1u << 5,
    Inline = 1u << 6,
    FreeNotification = 1u << 7,
};

enum class Operation { Insert, Remove };

class TComponent : public TPersistent {
public:
    CLASSES_OBJECT(TComponent)

    // With an owner, the owner owns this component (appended to its components) and
    // deletes it in its destructor. Deleting an owned component directly is allowed: it
    // removes itself from its owner first.
    explicit TComponent(TComponent* owner);
    // Sends Operation::Remove to every component that asked for free notification, then
    // deletes the owned components (last created first).
    ~TComponent() override;

    const std::string& name() const { return m_name; }
    // Throws EComponentError for a name that is not an identifier ("'%s' is not a valid
    // component name") or that another component of the same owner already has
    // ("A component named %s already exists"); names compare case-insensitively.
    // An empty name is allowed.
    void setName(std::string_view newName);
    int32_t tag() const { return m_tag; }
    void setTag(int32_t tag) { m_tag = tag; }

    TComponent* owner() const { return m_owner; }
    int componentCount() const { return static_cast<int>(m_components.size()); }
    // Borrowed; index in creation order. Throws EListError when out of range.
    TComponent* component(int index) const;
    const std::vector<TComponent*>& components() const { return m_components; }
    int componentIndex() const;
    void setComponentIndex(int index);
    // Case-insensitive; an empty name finds nothing.
    TComponent* findComponent(std::string_view name) const;
    // Takes ownership of `c` (removing it from its previous owner).
    void insertComponent(TComponent* c);
    // Gives up ownership: the caller owns `c` afterwards.
    void removeComponent(TComponent* c);
    // Deletes every owned component now.
    void destroyComponents();

    bool hasState(ComponentState s) const { return (m_state & static_cast<uint32_t>(s)) != 0; }
    void setState(ComponentState s, bool on);

    // `other` receives notification(this, Remove) when this component is destroyed, even
    // when it is not the owner; the link is mutual and cleaned up by either destructor.
    void freeNotification(TComponent* other);
    void removeFreeNotification(TComponent* other);
    // Called on the owner when a component is inserted into or removed from it, and for
    // free notifications. The default passes removals on to every owned component (so
    // siblings drop references to the removed one); insertions reach the owner only.
    // Overrides must call the inherited version.
    virtual void notification(TComponent* component, Operation operation);

    // Called once after a stream read has set every property and resolved references.
    // Overrides must call the inherited version (it clears the loading state).
    virtual void loaded();

    // Stream reader hooks. A control overrides setParentComponent to become a child of
    // `parent` (when `parent` can hold controls); the default ignores it.
    virtual void setParentComponent(TComponent* parent);
    virtual TComponent* parentComponent() const { return nullptr; }
    virtual bool hasParent() const { return false; }
    // Moves `child` to position `order` among this component's children (child-position flag).
    virtual void setChildOrder(TComponent* child, int order);
    // Stream writer hook: calls `proc` for each child to write below this component, in
    // order. The default lists the owned components without a parent when this is `root`.
    virtual void getChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const;

    // Design-time position of a non-visual component (defined properties "Left" and "Top").
    int32_t designLeft() const { return m_designLeft; }
    int32_t designTop() const { return m_designTop; }
    void setDesignPosition(int32_t left, int32_t top) {
        m_designLeft = left;
        m_designTop = top;
    }

    std::string namePath() const override;

protected:
    // Called by setName after validation; overrides may react to renames.
    virtual void setNameValue(std::string_view newName);
    // Throws EComponentError when `newName` is taken; the default checks the owner's components.
    virtual void validateRename(TComponent* component, std::string_view curName, std::string_view newName);

private:
    void insert(TComponent* c);
    void remove(TComponent* c);
    void removeNotification(TComponent* other);
    void indexName(TComponent* c);
    void unindexName(TComponent* c);

    std::string m_name;
    TComponent* m_owner = nullptr;
    std::vector<TComponent*> m_components;  // owned, creation order
    // Owned components by upper-cased name, so look-ups stay fast on forms with thousands
    // of components (the reader looks up every new name).
    std::unordered_map<std::string, TComponent*> m_nameIndex;
    std::vector<TComponent*> m_freeNotifies;  // not owned, mutual links
    uint32_t m_state = 0;
    int32_t m_tag = 0;
    int32_t m_designLeft = 0;
    int32_t m_designTop = 0;
};

bool isValidIdent(std::string_view name);

// Components that are roots of the process (forms, data modules). The stream reader uses
// them to keep root names unique ("%s_%d") and to resolve dotted references across roots.
// A root registers itself when created and unregisters in its destructor (vcl's TForm
// does this); not thread-safe, main thread only.
void addGlobalComponent(TComponent* root);
void removeGlobalComponent(TComponent* root);
TComponent* findGlobalComponent(std::string_view name);
const std::vector<TComponent*>& globalComponents();

}  // namespace classes
