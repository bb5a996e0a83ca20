// The roots of the class tree: TObject (class identity through ClassInfo) and TPersistent
// (copying by Assign). Every class with metadata declares CLASSES_OBJECT(TName) in its body
// and defines TName::staticClass() with a ClassBuilder.
#pragma once

#include "classes/ClassInfo.h"

#include <string>

// Declares the static and virtual class accessors; put it in the public part of the class.
#define CLASSES_OBJECT(Name)                          \
    static const ::classes::ClassInfo& staticClass(); \
    const ::classes::ClassInfo& classType() const override { return staticClass(); }

namespace classes {

class TObject {
public:
    TObject() = default;
    virtual ~TObject() {
        if (m_handleSlot) releaseHandle();
    }
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const ClassInfo& staticClass();
    // The most derived class's metadata.
    virtual const ClassInfo& classType() const { return staticClass(); }
    const std::string& className() const { return classType().name(); }
    bool inheritsFrom(const ClassInfo& ancestor) const { return classType().inheritsFrom(ancestor); }

    // The script engine's handle table keeps the index of this object's entry here (0: none)
    // and is told through the hook when the object dies, so a script's reference to a dead
    // object is an error instead of a dangling pointer. Main thread only.
    uint32_t handleSlot() const { return m_handleSlot; }
    void setHandleSlot(uint32_t slot) const { m_handleSlot = slot; }
    using HandleHook = void (*)(const TObject&);
    static void setHandleHook(HandleHook hook);
    // Tells the table now. The destructor does it at the latest; owners call it before they
    // delete an object, so the object is dead to scripts before any of its destructors runs.
    void releaseHandle() const;

private:
    mutable uint32_t m_handleSlot = 0;
};

class TPersistent : public TObject {
public:
    CLASSES_OBJECT(TPersistent)

    // Copies `source` into this object: asks source.assignTo(*this); the default
    // assignTo throws EConvertError("Cannot assign a %s to a %s"). Overrides handle the
    // classes they know and call the inherited assign otherwise.
    virtual void assign(const TPersistent& source);
    // The object this one belongs to (a font's control, an item's collection), or null.
    virtual TPersistent* persistentOwner() const { return nullptr; }
    // "Form1.Button1.Font" style name, for messages and tools.
    virtual std::string namePath() const;

protected:
    virtual void assignTo(TPersistent& dest) const;
};

}  // namespace classes
