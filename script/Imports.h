// Registration tables: what one module of the host exposes to scripts, replayed into every
// Compiler (declarations) and every Executor (bindings). Build a table once, as a static,
// and replay it for each compilation and each run:
//
//   const script::Imports& fileImports() {
//       static const script::Imports table = [] {
//           script::Imports m;
//           m.routine("function FileExists(const FileName: string): Boolean;", &fileExists)
//               .routine("procedure Split(const S: string; var Left, Right: string);", &split)
//               .unbound("function Later(X: Integer): Integer;")  // loads unless a script calls it
//               .type("TDWDimension", "record Height : Integer; Width : Integer; end")
//               .enumeration(msgBoxTypeInfo())                    // "(mbInformation, ...)"
//               .constant("clMoneyGreen", 12639424)
//               .constant("AUDIOWAV", "WAV Files (*.wav)|*.wav")
//               .classType(classes::TStringList::staticClass())
//               .method("TStrings", "procedure AddPair(const Name, Value: string);",
//                       [](classes::TStrings& s, const std::string& n, const std::string& v) {
//                           s.add(n + "=" + v);
//                       })
//               .variable("Application", "TApplication");
//           return m;
//       }();
//       return table;
//   }
//
//   compiler.addImports(fileImports());  // in the unit handler, for "SYSTEM"
//   executor.addImports(fileImports());  // before load()
//
// Native functions take and return ordinary C++ types (classes/NativeType.h): integers,
// bool, char, floating types, std::string (std::string_view for parameters), enumerations,
// classes::Set<E>, records described by classes::RecordFields, std::array, std::vector
// (std::vector<classes::Variant> for "array of const"), classes::Variant (also for untyped
// const parameters), classes::TMethod (procedural values), T* for objects the script does
// not own and std::unique_ptr<T> for new objects the script then owns and may Free. A `var`
// or `out` parameter is a non-const reference. The C++ signature is checked against the
// declaration when it is declared or bound: a mismatch throws BindingError naming the
// declaration. Exceptions of native functions become script errors (ScriptException keeps
// its kind; any other exception is erException with its message). Classes come from their
// metadata (classes::ClassBuilder); method() and property() add members the metadata lacks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "classes/NativeCallable.h"

namespace script {

namespace detail {

template <class L>
struct FirstArg;
template <class A0, class... A>
struct FirstArg<classes::detail::TypeList<A0, A...>> {
    using type = std::remove_cv_t<std::remove_pointer_t<std::remove_cvref_t<A0>>>;
};
template <class F, bool Member = std::is_member_function_pointer_v<F>>
struct SelfOf {
    using type = typename classes::detail::Callable<F>::Class;
};
template <class F>
struct SelfOf<F, false> {
    using type = typename FirstArg<typename classes::detail::Callable<std::remove_pointer_t<F>>::Args>::type;
};

}  // namespace detail

class Imports {
public:
    // A routine and its native function.
    template <class F>
    Imports& routine(std::string_view declaration, F fn) {
        return add(Kind::Routine, {}, declaration, classes::NativeCallable::function(std::move(fn)));
    }
    // A routine declared without a binding: a script that calls it does not load ("Cannot
    // Import <name>"); one that does not call it runs.
    Imports& unbound(std::string_view declaration) { return add(Kind::Unbound, {}, declaration, {}); }
    // A binding for a routine another table declares (an executor-only registration).
    template <class F>
    Imports& bind(std::string_view name, F fn) {
        return add(Kind::Bind, name, {}, classes::NativeCallable::function(std::move(fn)));
    }
    // A type: an alias ("Integer"), an enumeration ("(a, b)"), a record, a set, an array or a
    // procedural type ("procedure (Sender: TObject; var Key: Word)").
    Imports& type(std::string_view name, std::string_view declaration) {
        return add(Kind::Type, name, declaration, {});
    }
    // An enumeration from native type information: "(" + its members joined by "," + ")".
    Imports& enumeration(const classes::TypeInfo& type);
    template <class I>
    requires std::is_integral_v<I> Imports& constant(std::string_view name, I value) {
        Entry& e = append(Kind::IntConst, name, {});
        e.i = static_cast<int64_t>(value);
        return *this;
    }
    Imports& constant(std::string_view name, std::string_view value) {
        return add(Kind::StrConst, name, value, {});
    }
    Imports& constant(std::string_view name, const char* value) {
        return constant(name, std::string_view(value));
    }
    // An Extended constant.
    Imports& constant(std::string_view name, double value) {
        append(Kind::FloatConst, name, {}).d = value;
        return *this;
    }
    // A class from its metadata (its ancestors first, when not declared yet).
    Imports& classType(const classes::ClassInfo& cls) {
        append(Kind::Class, {}, {}).info = &cls;
        return *this;
    }
    // A method added to a declared class: `fn` is a member function pointer or a callable
    // whose first parameter is the object (T&, const T& or T*, the last also called for nil).
    template <class F>
    Imports& method(std::string_view className, std::string_view declaration, F fn) {
        using T = typename detail::SelfOf<std::decay_t<F>>::type;
        return add(Kind::Method, className, declaration, classes::NativeCallable::method<T>(std::move(fn)));
    }
    // A property added to a declared class ("property Selected[Index: Integer]: Boolean;"),
    // read-only without a setter. Getter: (self, index parameters); setter: (self, index
    // parameters, value).
    template <class G>
    Imports& property(std::string_view className, std::string_view declaration, G getter) {
        using T = typename detail::SelfOf<std::decay_t<G>>::type;
        return add(Kind::Property, className, declaration,
                   classes::NativeCallable::method<T>(std::move(getter)));
    }
    template <class G, class S>
    Imports& property(std::string_view className, std::string_view declaration, G getter, S setter) {
        property(className, declaration, std::move(getter));
        using T = typename detail::SelfOf<std::decay_t<S>>::type;
        m_entries.back().setter = classes::NativeCallable::method<T>(std::move(setter));
        return *this;
    }
    // A global variable of a declared type, kept in the bytecode even when unused.
    Imports& variable(std::string_view name, std::string_view typeName) {
        return add(Kind::Variable, name, typeName, {});
    }
    // Appends every entry of another table.
    Imports& add(const Imports& other) {
        m_entries.insert(m_entries.end(), other.m_entries.begin(), other.m_entries.end());
        return *this;
    }
    size_t size() const { return m_entries.size(); }

private:
    friend class Compiler;
    friend class Executor;
    enum class Kind : uint8_t {
        Routine,
        Unbound,
        Bind,
        Type,
        IntConst,
        StrConst,
        FloatConst,
        Class,
        Method,
        Property,
        Variable
    };
    struct Entry {
        Kind kind;
        std::string name;
        std::string text;  // declaration, string constant, variable type
        classes::NativeCallable fn;
        classes::NativeCallable setter;
        const classes::ClassInfo* info = nullptr;
        int64_t i = 0;
        double d = 0;
    };
    Entry& append(Kind kind, std::string_view name, std::string_view text) {
        m_entries.push_back({kind, std::string(name), std::string(text), {}, {}});
        return m_entries.back();
    }
    Imports& add(Kind kind, std::string_view name, std::string_view text, classes::NativeCallable fn) {
        append(kind, name, text).fn = std::move(fn);
        return *this;
    }

    std::vector<Entry> m_entries;
};

}  // namespace script
