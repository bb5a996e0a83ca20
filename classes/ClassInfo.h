// Class metadata: one immutable description per class of its published properties, defined
// properties, published methods, published field classes, parent and factory. It is the one
// description the stream reader and writer, the script engine's property access and the
// script declarations all read. Build one with ClassBuilder (ClassBuilder.h) inside the
// class's staticClass(); look classes up by name through ClassRegistry.
#pragma once

#include "classes/NativeCallable.h"
#include "classes/PropValue.h"
#include "classes/TypeInfo.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace classes {

// A published property. Getter always present; no setter means read-only.
struct PropInfo {
    std::string name;
    const TypeInfo* type = nullptr;
    const ClassInfo* declaredBy = nullptr;
    std::function<PropValue(const TObject&)> getter;
    std::function<void(TObject&, const PropValue&)> setter;
    // Ordinal kinds: a value equal to the default is not written. Without a default an
    // ordinal is always written; strings, floats, objects and events are written when
    // not empty, zero or nil.
    std::optional<int64_t> defaultValue;
    // Empty means stored.
    std::function<bool(const TObject&)> stored;

    bool readOnly() const { return !setter; }
    bool isStored(const TObject& obj) const { return !stored || stored(obj); }
    PropValue get(const TObject& obj) const { return getter(obj); }
    // Throws EPropertyError("Property is read-only") without a setter, and
    // EPropertyError("Invalid property value") when the value's alternative does not fit.
    void set(TObject& obj, const PropValue& value) const;
};

// A defined (unpublished, stream-only) property such as "Strings" or "Picture.Data". The
// reader calls `read` with the reader positioned on the value; it must consume exactly one
// value. `write` (may be empty: never written) writes exactly one value when `hasData`
// (empty: always) says there is something to write.
struct DefinedProp {
    std::string name;
    std::function<void(TObject&, TReader&)> read;
    std::function<void(const TObject&, TWriter&)> write;
    std::function<bool(const TObject&)> hasData;
};

// A published method, named by event properties in streams ("OnClick = Button1Click").
struct MethodInfo {
    std::string name;
    std::function<TMethod(TObject& instance)> bind;
};

// A member scripts see beyond the published properties, declared in the script language and
// called through the typed binder (see NativeCallable):
//   Method       "function IndexOf(const S: string): Integer;"         `call` is the method
//   Constructor  "constructor Create(AOwner: TComponent);"             `call` returns the new
//                object; empty: the class's factory, the first argument (if any) as context
//   Property     "property Strings[Index: Integer]: string; default;"  `call` is the getter
//                (self, index parameters), `setter` (self, index parameters, value) or empty
//                for a read-only property; "default;" makes `Obj[i]` mean it
//   Type         a type the members name, `name` = `declaration` ("(dupIgnore, dupAccept)")
struct ScriptMember {
    enum class Kind : uint8_t { Method, Constructor, Property, Type };
    Kind kind = Kind::Method;
    std::string name;  // Type
    std::string declaration;
    NativeCallable call;
    NativeCallable setter;
};

// Creates an instance. `context` is the owner for a component (the owner then owns the
// result; with a null owner the caller does), the collection for a collection item (the
// collection owns it), ignored otherwise (the caller owns the result).
using Factory = std::function<TObject*(TObject* context)>;

class ClassInfo {
public:
    const std::string& name() const { return m_name; }
    const ClassInfo* parent() const { return m_parent; }
    // True for this class and every descendant of `ancestor`.
    bool inheritsFrom(const ClassInfo& ancestor) const;
    bool isComponent() const;
    // The Class-kind TypeInfo naming this class, for object-valued properties.
    const TypeInfo& typeInfo() const { return *m_type; }

    // Published properties, the ancestors' first, each class's in declaration order.
    const std::vector<const PropInfo*>& properties() const { return m_allProps; }
    // Case-insensitive, searching ancestors; null when absent.
    const PropInfo* findProperty(std::string_view name) const;
    // The class's own defined properties followed by its ancestors'.
    const DefinedProp* findDefinedProperty(std::string_view name) const;
    std::vector<const DefinedProp*> definedProperties() const;  // ancestors first
    const MethodInfo* findMethod(std::string_view name) const;
    std::vector<const MethodInfo*> methods() const;  // ancestors first
    // The class's own script members (ancestors' not included), in declaration order.
    const std::vector<ScriptMember>& scriptMembers() const { return m_members; }
    // Classes of published fields (the classes of a form's controls), searched with ancestors.
    const ClassInfo* findFieldClass(std::string_view name) const;

    bool canCreate() const { return static_cast<bool>(m_factory); }
    // Throws base::Error("Cannot create an instance of %s") for an abstract class. Exceptions
    // of the constructor propagate.
    TObject* create(TObject* context) const;

    // Use ClassBuilder; this is public only for it.
    struct Parts;
    explicit ClassInfo(Parts parts);
    ClassInfo(const ClassInfo&) = delete;
    ClassInfo& operator=(const ClassInfo&) = delete;

    struct Parts {
        std::string name;
        const ClassInfo* parent = nullptr;
        std::vector<PropInfo> props;
        std::vector<DefinedProp> defined;
        std::vector<MethodInfo> methods;
        std::vector<ScriptMember> members;
        std::vector<const ClassInfo*> fieldClasses;
        Factory factory;
    };

private:
    std::string m_name;
    const ClassInfo* m_parent;
    std::unique_ptr<TypeInfo> m_type;
    std::vector<PropInfo> m_ownProps;
    std::vector<const PropInfo*> m_allProps;
    std::unordered_map<std::string, const PropInfo*> m_propIndex;  // upper-case ASCII keys
    std::vector<DefinedProp> m_defined;
    std::vector<MethodInfo> m_methods;
    std::vector<ScriptMember> m_members;
    std::vector<const ClassInfo*> m_fieldClasses;
    Factory m_factory;
};

// The process-wide, case-insensitive table of classes that streams may name. Registration
// happens at start-up on the main thread; look-ups may then happen from any thread.
class ClassRegistry {
public:
    // Registers the class and all its ancestors. Registering a class again changes nothing;
    // a different class with a registered name throws base::Error("Class %s already registered").
    static void registerClass(const ClassInfo& info);
    static void registerClasses(std::initializer_list<const ClassInfo*> infos);
    static void unregisterClass(const ClassInfo& info);
    // Null when not registered.
    static const ClassInfo* find(std::string_view name);
    // Every registered class, ordered by upper-cased name (for declaring them to scripts).
    static std::vector<const ClassInfo*> all();
    // Throws EClassNotFound("Class %s not found").
    static const ClassInfo& get(std::string_view name);
};

// Generic property access by dotted path ("Font.Name"), for scripts and tools. Every part
// but the last must be a Class-kind property holding an object. Throws EPropertyError with
// "Property %s does not exist", "Invalid property path", "Property is read-only" or
// "Invalid property value".
PropValue getPropertyValue(const TObject& obj, std::string_view path);
void setPropertyValue(TObject& obj, std::string_view path, const PropValue& value);

}  // namespace classes
