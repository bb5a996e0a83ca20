// One uniform way to call a C++ function, lambda or member function whose parameter and
// result types nativeType() describes: the caller passes pointers to C++ objects of those
// types. The script binder builds the objects from script values; this layer knows
// nothing of scripts.
//
//   auto f = NativeCallable::function([](int a, const std::string& s) { return a + int(s.size()); });
//   auto m = NativeCallable::method<TStrings>(&TStrings::add);        // self is a TStrings
//   auto g = NativeCallable::method<TStrings>([](const TStrings& s) { return s.count(); });
#pragma once

#include "classes/NativeType.h"

#include <functional>
#include <memory>
#include <utility>

namespace classes {

struct NativeParam {
    const NativeType* type;
    bool byRef;  // a non-const lvalue reference: the callee may write it
};

struct NativeSignature {
    const NativeType* result;  // kind Void for none
    const NativeParam* params;
    uint32_t count;
    // Methods: the class `self` is an instance of; null for plain functions.
    const ClassInfo& (*selfClass)() = nullptr;
    // The method takes self as a pointer, so it is called for nil too (Free does nothing then).
    bool selfNullable = false;
};

class NativeCallable {
public:
    using Invoke = void (*)(const void* fn, TObject* self, void* const* args, void* result);

    NativeCallable() = default;

    // A function pointer or a callable object.
    template <class F>
    static NativeCallable function(F f);
    // A method of T: a member function pointer of T or one of its bases, or a callable whose
    // first parameter is T&, const T& or T* (a pointer also accepts nil).
    template <class T, class F>
    static NativeCallable method(F f);

    explicit operator bool() const { return m_invoke != nullptr; }
    const NativeSignature& signature() const { return *m_sig; }
    // `args[i]` points at an object of signature().params[i]'s type, `result` at a constructed
    // object of the result type (unused for void); `self` is an instance of the method's class
    // (or null for a nullable self). Exceptions of the callee propagate.
    void call(TObject* self, void* const* args, void* result) const {
        m_invoke(m_fn.get(), self, args, result);
    }

private:
    NativeCallable(std::shared_ptr<const void> fn, Invoke invoke, const NativeSignature* sig)
        : m_fn(std::move(fn)), m_invoke(invoke), m_sig(sig) {}

    std::shared_ptr<const void> m_fn;
    Invoke m_invoke = nullptr;
    const NativeSignature* m_sig = nullptr;
};

namespace detail {

template <class... A>
struct TypeList {};

template <class F>
struct Callable : Callable<decltype(&F::operator())> {};
template <class R, class... A>
struct Callable<R (*)(A...)> {
    using Result = R;
    using Args = TypeList<A...>;
};
template <class R, class... A>
struct Callable<R (*)(A...) noexcept> : Callable<R (*)(A...)> {};
template <class R, class... A>
struct Callable<R(A...)> : Callable<R (*)(A...)> {};
template <class R, class... A>
struct Callable<R(A...) noexcept> : Callable<R (*)(A...)> {};
template <class C, class R, class... A>
struct Callable<R (C::*)(A...)> : Callable<R (*)(A...)> {
    using Class = C;
};
template <class C, class R, class... A>
struct Callable<R (C::*)(A...) const> : Callable<R (*)(A...)> {
    using Class = C;
};
template <class C, class R, class... A>
struct Callable<R (C::*)(A...) noexcept> : Callable<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct Callable<R (C::*)(A...) const noexcept> : Callable<R (C::*)(A...) const> {};

// A non-const reference is a var parameter, except for an object: T& is the object itself.
template <class A>
constexpr bool isByRef = std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>> &&
                         !std::is_base_of_v<TObject, std::remove_cvref_t<A>>;

template <class A>
std::remove_cvref_t<A>& argAt(void* p) {
    static_assert(!std::is_rvalue_reference_v<A>, "native parameters are values or lvalue references");
    static_assert(std::is_copy_constructible_v<std::remove_cvref_t<A>> ||
                      (std::is_lvalue_reference_v<A> && std::is_base_of_v<TObject, std::remove_cvref_t<A>>),
                  "ownership crosses to scripts through results only (std::unique_ptr results)");
    return *static_cast<std::remove_cvref_t<A>*>(p);
}

template <class T>
constexpr auto selfClassOf() -> const ClassInfo& (*)() {
    if constexpr (std::is_void_v<T>)
        return nullptr;
    else
        return &T::staticClass;
}

template <class T, bool Nullable, class R, class... A>
const NativeSignature& signatureOf() {
    static_assert(!std::is_base_of_v<TObject, std::remove_cvref_t<R>>,
                  "objects are returned as T* or std::unique_ptr<T>");
    static const NativeParam params[] = {{&nativeType<A>(), isByRef<A>}..., {nullptr, false}};
    static const NativeSignature sig{&nativeType<R>(), params, static_cast<uint32_t>(sizeof...(A)),
                                     selfClassOf<T>(), Nullable};
    return sig;
}

template <class R, class V>
void storeResult(void* result, V&& value) {
    *static_cast<std::remove_cvref_t<R>*>(result) = std::forward<V>(value);
}

template <class F, class R, class... A>
struct FunctionInvoker {
    template <size_t... I>
    static void run(const void* fn, void* const* args, void* result, std::index_sequence<I...>) {
        F& f = *const_cast<F*>(static_cast<const F*>(fn));
        if constexpr (std::is_void_v<R>)
            std::invoke(f, argAt<A>(args[I])...);
        else
            storeResult<R>(result, std::invoke(f, argAt<A>(args[I])...));
    }
    static void invoke(const void* fn, TObject*, void* const* args, void* result) {
        run(fn, args, result, std::index_sequence_for<A...>{});
    }
};

// Self as the object (member function pointers, T& and const T& first parameters) or as
// a pointer (T* first parameter).
template <class T, bool AsPointer, class F, class R, class... A>
struct MethodInvoker {
    template <size_t... I>
    static void run(const void* fn, TObject* self, void* const* args, void* result,
                    std::index_sequence<I...>) {
        F& f = *const_cast<F*>(static_cast<const F*>(fn));
        T* obj = static_cast<T*>(self);
        if constexpr (AsPointer) {
            if constexpr (std::is_void_v<R>)
                std::invoke(f, obj, argAt<A>(args[I])...);
            else
                storeResult<R>(result, std::invoke(f, obj, argAt<A>(args[I])...));
        } else {
            if constexpr (std::is_void_v<R>)
                std::invoke(f, *obj, argAt<A>(args[I])...);
            else
                storeResult<R>(result, std::invoke(f, *obj, argAt<A>(args[I])...));
        }
    }
    static void invoke(const void* fn, TObject* self, void* const* args, void* result) {
        run(fn, self, args, result, std::index_sequence_for<A...>{});
    }
};

template <class F, class R, class... A>
NativeCallable::Invoke functionInvoke(TypeList<A...>*) {
    return &FunctionInvoker<F, R, A...>::invoke;
}
template <class R, class... A>
const NativeSignature& functionSignature(TypeList<A...>*) {
    return signatureOf<void, false, R, A...>();
}

template <class T, class F, class R, class Self, class... A>
std::pair<NativeCallable::Invoke, const NativeSignature*> methodParts(TypeList<Self, A...>*) {
    using S = std::remove_cvref_t<std::remove_pointer_t<std::remove_cvref_t<Self>>>;
    static_assert(std::is_base_of_v<S, T>, "a method's first parameter must be its class");
    constexpr bool asPointer = std::is_pointer_v<std::remove_cvref_t<Self>>;
    return {&MethodInvoker<T, asPointer, F, R, A...>::invoke, &signatureOf<T, asPointer, R, A...>()};
}
template <class T, class F, class R, class... A>
std::pair<NativeCallable::Invoke, const NativeSignature*> memberParts(TypeList<A...>*) {
    return {&MethodInvoker<T, false, F, R, A...>::invoke, &signatureOf<T, false, R, A...>()};
}

}  // namespace detail

template <class F>
NativeCallable NativeCallable::function(F f) {
    using Fn = std::decay_t<F>;
    using Traits = detail::Callable<std::remove_pointer_t<Fn>>;
    typename Traits::Args* args = nullptr;
    return NativeCallable(std::make_shared<Fn>(std::move(f)),
                          detail::functionInvoke<Fn, typename Traits::Result>(args),
                          &detail::functionSignature<typename Traits::Result>(args));
}

template <class T, class F>
NativeCallable NativeCallable::method(F f) {
    static_assert(std::is_base_of_v<TObject, T>);
    using Fn = std::decay_t<F>;
    std::pair<Invoke, const NativeSignature*> parts;
    if constexpr (std::is_member_function_pointer_v<Fn>) {
        using Traits = detail::Callable<Fn>;
        static_assert(std::is_base_of_v<typename Traits::Class, T>,
                      "a member function of the class or a base");
        typename Traits::Args* args = nullptr;
        parts = detail::memberParts<T, Fn, typename Traits::Result>(args);
    } else {
        using Traits = detail::Callable<std::remove_pointer_t<Fn>>;
        typename Traits::Args* args = nullptr;
        parts = detail::methodParts<T, Fn, typename Traits::Result>(args);
    }
    return NativeCallable(std::make_shared<Fn>(std::move(f)), parts.first, parts.second);
}

}  // namespace classes
