// ClassBuilder<T>: declares a class's metadata from its C++ accessors. Typical use, in the
// class's .cpp:
//
//   const ClassInfo& TButton::staticClass() {
//       static const auto info =
//           ClassBuilder<TButton>("TButton", TControl::staticClass())
//               .property("Caption", types::string(), &TButton::caption, &TButton::setCaption)
//               .property("Default", types::boolean(), &TButton::isDefault, &TButton::setDefault,
//                         {.defaultValue = 0})
//               .readOnly("Font", TFont::staticClass().typeInfo(), &TButton::font)
//               .event("OnClick", types::notifyEvent(), &TButton::onClick)
//               .publicMethod("procedure Click;", &TButton::click)
//               .publicProperty("property Lines[Index: Integer]: string; default;", &TButton::line,
//                               &TButton::setLine)
//               .build();
//       return *info;
//   }
//
// Getters are `V (T::*)() const` or callables taking `const T&`; setters `void (T::*)(V)`
// or callables taking `(T&, V)`. The value type V maps to PropValue: integers, enums and
// bool to int64_t, floating types to long double, std::string, std::u16string, TMethod,
// Variant, and pointers to TObject descendants to TObject* (checked with dynamic_cast:
// an object of the wrong class is "Invalid property value"). Script members (publicMethod,
// publicProperty, constructor) are declared in the script language and take ordinary C++
// parameter and result types (NativeType.h).
#pragma once

#include "classes/ClassInfo.h"
#include "classes/Errors.h"
#include "classes/TCollection.h"
#include "classes/TComponent.h"

#include <memory>
#include <type_traits>
#include <utility>

namespace classes {

struct PropOptions {
    std::optional<int64_t> defaultValue = std::nullopt;
    std::function<bool(const TObject&)> stored = {};
};

namespace detail {

[[noreturn]] void throwInvalidValue();

template <class V>
struct PropTraits {
    static PropValue to(const V& v) {
        if constexpr (std::is_same_v<V, bool>) {
            return int64_t{v ? 1 : 0};
        } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
            return static_cast<int64_t>(v);
        } else if constexpr (std::is_floating_point_v<V>) {
            return static_cast<long double>(v);
        } else if constexpr (std::is_pointer_v<V>) {
            static_assert(std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<V>>>);
            return static_cast<TObject*>(const_cast<std::remove_cv_t<std::remove_pointer_t<V>>*>(v));
        } else {
            static_assert(std::is_constructible_v<PropValue, V>, "unsupported property value type");
            return PropValue(v);
        }
    }
    static V from(const PropValue& p) {
        if constexpr (std::is_same_v<V, bool>) {
            if (auto* i = std::get_if<int64_t>(&p)) return *i != 0;
        } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
            if (auto* i = std::get_if<int64_t>(&p)) return static_cast<V>(*i);
        } else if constexpr (std::is_floating_point_v<V>) {
            if (auto* f = std::get_if<long double>(&p)) return static_cast<V>(*f);
            if (auto* i = std::get_if<int64_t>(&p)) return static_cast<V>(*i);
        } else if constexpr (std::is_pointer_v<V>) {
            if (auto* o = std::get_if<TObject*>(&p)) {
                using Obj = std::remove_cv_t<std::remove_pointer_t<V>>;
                if (*o == nullptr) return nullptr;
                if (auto* cast = dynamic_cast<Obj*>(*o)) return cast;
            }
        } else {
            if (auto* v = std::get_if<V>(&p)) return *v;
        }
        throwInvalidValue();
    }
};

template <class T>
Factory defaultFactory() {
    if constexpr (std::is_abstract_v<T>) {
        return {};
    } else if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*>) {
        return [](TObject* ctx) -> TObject* { return new T(dynamic_cast<TComponent*>(ctx)); };
    } else if constexpr (std::is_base_of_v<TCollectionItem, T> && std::is_constructible_v<T, TCollection*>) {
        return [](TObject* ctx) -> TObject* { return new T(dynamic_cast<TCollection*>(ctx)); };
    } else if constexpr (std::is_default_constructible_v<T>) {
        return [](TObject*) -> TObject* { return new T(); };
    } else {
        return {};
    }
}

}  // namespace detail

template <class T>
class ClassBuilder {
public:
    ClassBuilder(std::string name, const ClassInfo& parent) : ClassBuilder(std::move(name), &parent) {}
    ClassBuilder(std::string name, const ClassInfo* parent) {
        m_parts.name = std::move(name);
        m_parts.parent = parent;
        m_parts.factory = detail::defaultFactory<T>();
    }

    template <class G, class S>
    ClassBuilder& property(std::string name, const TypeInfo& type, G getter, S setter,
                           PropOptions opts = {}) {
        using V = std::decay_t<std::invoke_result_t<G, const T&>>;
        PropInfo& p = add(std::move(name), type, getter, std::move(opts));
        p.setter = [setter](TObject& obj, const PropValue& v) {
            std::invoke(setter, static_cast<T&>(obj), detail::PropTraits<V>::from(v));
        };
        return *this;
    }

    template <class G>
    ClassBuilder& readOnly(std::string name, const TypeInfo& type, G getter, PropOptions opts = {}) {
        add(std::move(name), type, getter, std::move(opts));
        return *this;
    }

    // An event property backed by a TMethod member (OnClick and friends). `type` is the
    // event's Method-kind TypeInfo, which carries the declaration scripts see.
    template <class C>
    ClassBuilder& event(std::string name, const TypeInfo& type, TMethod C::*member) {
        static_assert(std::is_base_of_v<C, T>);
        return property(
            std::move(name), type, [member](const T& obj) { return obj.*member; },
            [member](T& obj, const TMethod& m) { obj.*member = m; });
    }

    // `read` must consume exactly one value; see DefinedProp.
    ClassBuilder& defined(std::string name, std::function<void(T&, TReader&)> read,
                          std::function<void(const T&, TWriter&)> write = {},
                          std::function<bool(const T&)> hasData = {}) {
        DefinedProp d;
        d.name = std::move(name);
        d.read = [read](TObject& o, TReader& r) { read(static_cast<T&>(o), r); };
        if (write) d.write = [write](const TObject& o, TWriter& w) { write(static_cast<const T&>(o), w); };
        if (hasData) d.hasData = [hasData](const TObject& o) { return hasData(static_cast<const T&>(o)); };
        m_parts.defined.push_back(std::move(d));
        return *this;
    }

    ClassBuilder& method(std::string name, std::function<TMethod(T&)> bind) {
        m_parts.methods.push_back({std::move(name), [bind](TObject& o) { return bind(static_cast<T&>(o)); }});
        return *this;
    }

    // Script members (see ScriptMember). Methods take a member function pointer of T or a
    // callable whose first parameter is T&, const T& or T*; parameters and results are
    // ordinary C++ types (see NativeType.h).
    template <class F>
    ClassBuilder& publicMethod(std::string declaration, F fn) {
        return member(ScriptMember::Kind::Method, std::move(declaration),
                      NativeCallable::method<T>(std::move(fn)));
    }
    template <class G>
    ClassBuilder& publicProperty(std::string declaration, G getter) {
        return member(ScriptMember::Kind::Property, std::move(declaration),
                      NativeCallable::method<T>(std::move(getter)));
    }
    template <class G, class S>
    ClassBuilder& publicProperty(std::string declaration, G getter, S setter) {
        member(ScriptMember::Kind::Property, std::move(declaration),
               NativeCallable::method<T>(std::move(getter)));
        m_parts.members.back().setter = NativeCallable::method<T>(std::move(setter));
        return *this;
    }
    // A type the class's script members name, declared with the class unless a type of that
    // name exists ("TDuplicates" = "(dupIgnore, dupAccept, dupError)").
    ClassBuilder& publicType(std::string name, std::string declaration) {
        member(ScriptMember::Kind::Type, std::move(declaration), {});
        m_parts.members.back().name = std::move(name);
        return *this;
    }
    // Runs `part(*this)`, so a long declaration can be split into functions.
    template <class F>
    ClassBuilder& with(F part) {
        part(*this);
        return *this;
    }
    // A constructor through the class's factory (virtual: `TButton.Create(Form)` creates a TButton).
    ClassBuilder& constructor(std::string declaration) {
        return member(ScriptMember::Kind::Constructor, std::move(declaration), {});
    }
    // A constructor with its own code: `make` returns the new object (T* or std::unique_ptr<T>).
    template <class F>
    ClassBuilder& constructor(std::string declaration, F make) {
        return member(ScriptMember::Kind::Constructor, std::move(declaration),
                      NativeCallable::function(std::move(make)));
    }

    ClassBuilder& fieldClass(const ClassInfo& info) {
        m_parts.fieldClasses.push_back(&info);
        return *this;
    }

    // Replaces the factory derived from T's constructors; an empty one makes the class abstract.
    ClassBuilder& factory(Factory f) {
        m_parts.factory = std::move(f);
        return *this;
    }

    std::unique_ptr<ClassInfo> build() { return std::make_unique<ClassInfo>(std::move(m_parts)); }

private:
    ClassBuilder& member(ScriptMember::Kind kind, std::string declaration, NativeCallable call) {
        ScriptMember m;
        m.kind = kind;
        m.declaration = std::move(declaration);
        m.call = std::move(call);
        m_parts.members.push_back(std::move(m));
        return *this;
    }

    template <class G>
    PropInfo& add(std::string name, const TypeInfo& type, G getter, PropOptions opts) {
        using V = std::decay_t<std::invoke_result_t<G, const T&>>;
        PropInfo p;
        p.name = std::move(name);
        p.type = &type;
        p.getter = [getter](const TObject& obj) {
            return detail::PropTraits<V>::to(std::invoke(getter, static_cast<const T&>(obj)));
        };
        p.defaultValue = opts.defaultValue;
        p.stored = std::move(opts.stored);
        m_parts.props.push_back(std::move(p));
        return m_parts.props.back();
    }

    ClassInfo::Parts m_parts;
};

}  // namespace classes
