// C++ types described at run time: what a native routine's parameters and result are, so a
// binder (the script engine's) can build arguments for it and read its result without
// knowing the routine. nativeType<T>() describes every supported T:
//
//   bool, char, the integer types, float, double, long double, std::string, std::string_view,
//   enumerations, Set<E>, records (structs whose fields RecordFields lists), std::array<T, N>,
//   std::vector<T>, Variant, TMethod, T* and std::unique_ptr<T> for TObject descendants.
//
// A record is described once by listing its fields through pointers to members:
//
//   struct TDWDimension { int32_t Height; int32_t Width; };
//   template <> struct classes::RecordFields<TDWDimension>
//       : classes::Fields<&TDWDimension::Height, &TDWDimension::Width> {};
#pragma once

#include "classes/PropValue.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace classes {

class ClassInfo;

enum class NativeKind : uint8_t {
    Void,
    Bool,
    Char,
    Int,
    Float,
    String,      // std::string
    StringView,  // std::string_view (parameters only)
    Enum,
    Set,
    Record,
    Array,   // std::array
    Vector,  // std::vector
    Variant,
    Object,  // T* (borrowed), std::unique_ptr<T> (ownership passes with the value), or a
             // parameter T& / const T& (never nil)
    Method,  // TMethod
};

struct NativeType;

struct NativeField {
    const NativeType* type;
    void* (*at)(void* record);
};

struct NativeType {
    NativeKind kind = NativeKind::Void;
    uint8_t size = 0;        // Bool, Char, Int, Float, Enum: sizeof
    bool isSigned = false;   // Int
    bool owning = false;     // Object: std::unique_ptr
    bool reference = false;  // Object: the parameter is the object itself (T&), not a pointer
    const char* name = "";   // the C++ spelling, for messages
    uint32_t byteSize = 0;   // storage for a temporary
    uint32_t align = 1;
    void (*construct)(void*) = nullptr;  // default-constructs at the address
    void (*destroy)(void*) = nullptr;
    const NativeType* elem = nullptr;  // Set: the enumeration; Array, Vector: the element
    uint32_t length = 0;               // Array
    const NativeField* fields = nullptr;
    uint32_t fieldCount = 0;
    const ClassInfo& (*classInfo)() = nullptr;         // Object
    size_t (*count)(const void*) = nullptr;            // Vector
    void (*resize)(void*, size_t) = nullptr;           // Vector
    void* (*element)(void*, size_t) = nullptr;         // Array, Vector
    TObject* (*release)(void*) = nullptr;              // Object: takes the pointer out
    void (*reset)(void* dst, TObject* obj) = nullptr;  // Object: stores the pointer
};

// A set of enumeration members (ordinals 0..255), the C++ side of the script's "set of E".
template <class E>
class Set {
public:
    using element_type = E;
    constexpr Set() = default;
    Set(std::initializer_list<E> members) {
        for (E e : members) include(e);
    }
    bool contains(E e) const {
        auto v = static_cast<size_t>(e);
        return v < 256 && ((m_words[v >> 6] >> (v & 63)) & 1);
    }
    Set& include(E e) {
        auto v = static_cast<size_t>(e);
        if (v < 256) m_words[v >> 6] |= uint64_t(1) << (v & 63);
        return *this;
    }
    Set& exclude(E e) {
        auto v = static_cast<size_t>(e);
        if (v < 256) m_words[v >> 6] &= ~(uint64_t(1) << (v & 63));
        return *this;
    }
    bool empty() const { return !(m_words[0] | m_words[1] | m_words[2] | m_words[3]); }
    // The first 64 members as a bit mask (the form published set properties and event
    // arguments use).
    uint64_t mask() const { return m_words[0]; }
    static Set fromMask(uint64_t mask) {
        Set s;
        s.m_words[0] = mask;
        return s;
    }
    const uint64_t* words() const { return m_words; }
    uint64_t* words() { return m_words; }
    bool operator==(const Set& o) const { return std::memcmp(m_words, o.m_words, sizeof m_words) == 0; }

private:
    uint64_t m_words[4] = {0, 0, 0, 0};
};

template <auto... Members>
struct Fields {};

// Specialize as `: Fields<&S::a, &S::b, ...>` to describe a record, fields in declared order.
template <class S>
struct RecordFields;

namespace detail {

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<Set<E>> : std::true_type {};
template <class T>
struct IsArray : std::false_type {};
template <class T, size_t N>
struct IsArray<std::array<T, N>> : std::true_type {};
template <class T>
struct IsVector : std::false_type {};
template <class T, class A>
struct IsVector<std::vector<T, A>> : std::true_type {};
template <class T>
struct IsUniquePtr : std::false_type {};
template <class T>
struct IsUniquePtr<std::unique_ptr<T>> : std::true_type {};

template <class S, class = void>
struct HasFields : std::false_type {};
template <class S>
struct HasFields<S, std::void_t<decltype(sizeof(RecordFields<S>))>> : std::true_type {};

template <class T>
void constructAt(void* p) {
    new (p) T();
}
template <class T>
void destroyAt(void* p) {
    static_cast<T*>(p)->~T();
}

template <class T>
constexpr NativeType storage(NativeKind kind, const char* name) {
    NativeType t;
    t.kind = kind;
    t.name = name;
    t.byteSize = sizeof(T);
    t.align = alignof(T);
    t.construct = &constructAt<T>;
    t.destroy = &destroyAt<T>;
    return t;
}

template <class S, auto M>
void* fieldAt(void* record) {
    return &(static_cast<S*>(record)->*M);
}

template <class M>
struct MemberType;
template <class S, class F>
struct MemberType<F S::*> {
    using type = F;
};

template <class T>
const NativeType& describe();

template <class S, auto... M>
const NativeField* recordFields(Fields<M...>*) {
    static const NativeField fields[] = {
        {&describe<typename MemberType<decltype(M)>::type>(), &fieldAt<S, M>}...,
        {nullptr, nullptr},
    };
    return fields;
}
template <auto... M>
constexpr uint32_t fieldCount(Fields<M...>*) {
    return sizeof...(M);
}

template <class T>
NativeType makeType() {
    if constexpr (std::is_void_v<T>) {
        NativeType t;
        t.name = "void";
        return t;
    } else if constexpr (std::is_same_v<T, bool>) {
        NativeType t = storage<T>(NativeKind::Bool, "bool");
        t.size = 1;
        return t;
    } else if constexpr (std::is_same_v<T, char>) {
        NativeType t = storage<T>(NativeKind::Char, "char");
        t.size = 1;
        return t;
    } else if constexpr (std::is_integral_v<T>) {
        NativeType t =
            storage<T>(NativeKind::Int, std::is_signed_v<T> ? "signed integer" : "unsigned integer");
        t.size = sizeof(T);
        t.isSigned = std::is_signed_v<T>;
        return t;
    } else if constexpr (std::is_floating_point_v<T>) {
        NativeType t = storage<T>(NativeKind::Float, sizeof(T) == 4   ? "float"
                                                     : sizeof(T) == 8 ? "double"
                                                                      : "long double");
        t.size = sizeof(T);
        return t;
    } else if constexpr (std::is_enum_v<T>) {
        NativeType t = storage<T>(NativeKind::Enum, "enumeration");
        t.size = sizeof(T);
        t.isSigned = std::is_signed_v<std::underlying_type_t<T>>;
        return t;
    } else if constexpr (std::is_same_v<T, std::string>) {
        return storage<T>(NativeKind::String, "std::string");
    } else if constexpr (std::is_same_v<T, std::string_view>) {
        return storage<T>(NativeKind::StringView, "std::string_view");
    } else if constexpr (std::is_same_v<T, Variant>) {
        return storage<T>(NativeKind::Variant, "classes::Variant");
    } else if constexpr (std::is_same_v<T, TMethod>) {
        return storage<T>(NativeKind::Method, "classes::TMethod");
    } else if constexpr (IsSet<T>::value) {
        static_assert(sizeof(T) == 32 && std::is_standard_layout_v<T>, "a set is its 256 bits");
        NativeType t = storage<T>(NativeKind::Set, "classes::Set");
        t.elem = &describe<typename T::element_type>();
        return t;
    } else if constexpr (IsArray<T>::value) {
        NativeType t = storage<T>(NativeKind::Array, "std::array");
        t.elem = &describe<typename T::value_type>();
        t.length = static_cast<uint32_t>(std::tuple_size_v<T>);
        t.element = [](void* a, size_t i) -> void* { return &(*static_cast<T*>(a))[i]; };
        return t;
    } else if constexpr (IsVector<T>::value) {
        NativeType t = storage<T>(NativeKind::Vector, "std::vector");
        t.elem = &describe<typename T::value_type>();
        t.count = [](const void* v) { return static_cast<const T*>(v)->size(); };
        t.resize = [](void* v, size_t n) { static_cast<T*>(v)->resize(n); };
        t.element = [](void* v, size_t i) -> void* { return &(*static_cast<T*>(v))[i]; };
        return t;
    } else if constexpr (std::is_class_v<T> && std::is_base_of_v<TObject, T>) {
        // Only as a reference parameter: the argument points at the object itself.
        NativeType t;
        t.kind = NativeKind::Object;
        t.name = "reference";
        t.reference = true;
        t.classInfo = &T::staticClass;
        return t;
    } else if constexpr (std::is_pointer_v<T>) {
        using Obj = std::remove_cv_t<std::remove_pointer_t<T>>;
        static_assert(std::is_base_of_v<TObject, Obj>,
                      "only pointers to TObject descendants cross to scripts");
        NativeType t = storage<T>(NativeKind::Object, "pointer");
        t.classInfo = &Obj::staticClass;
        t.release = [](void* p) -> TObject* { return const_cast<Obj*>(*static_cast<T*>(p)); };
        t.reset = [](void* p, TObject* o) { *static_cast<T*>(p) = static_cast<Obj*>(o); };
        return t;
    } else if constexpr (IsUniquePtr<T>::value) {
        using Obj = typename T::element_type;
        static_assert(std::is_base_of_v<TObject, Obj>,
                      "only pointers to TObject descendants cross to scripts");
        NativeType t = storage<T>(NativeKind::Object, "std::unique_ptr");
        t.classInfo = &Obj::staticClass;
        t.owning = true;
        t.release = [](void* p) -> TObject* { return static_cast<T*>(p)->release(); };
        t.reset = [](void* p, TObject* o) { static_cast<T*>(p)->reset(static_cast<Obj*>(o)); };
        return t;
    } else {
        static_assert(HasFields<T>::value, "unsupported native type: describe records with RecordFields");
        NativeType t = storage<T>(NativeKind::Record, "record");
        RecordFields<T>* tag = nullptr;
        t.fields = recordFields<T>(tag);
        t.fieldCount = fieldCount(tag);
        return t;
    }
}

template <class T>
const NativeType& describe() {
    static const NativeType t = makeType<T>();
    return t;
}

}  // namespace detail

// The description of T (cv-qualifiers and references removed).
template <class T>
const NativeType& nativeType() {
    return detail::describe<std::remove_cvref_t<T>>();
}

// An event argument that hands the record `r` to the handler (see RecordArg); `r` must
// outlive the call.
template <class R>
RecordArg recordArg(R& r) {
    return {&nativeType<R>(), &r};
}

}  // namespace classes
