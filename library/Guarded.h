// Library routines are guarded unless documented otherwise: whatever fails inside gives the
// neutral result (empty text, 0, False) and the script goes on.
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

namespace library {

template <auto Fn>
struct Guarded;

template <class R, class... A, R (*Fn)(A...)>
struct Guarded<Fn> {
    static R call(A... args) {
        try {
            return Fn(std::forward<A>(args)...);
        } catch (const std::exception&) {
            if constexpr (!std::is_void_v<R>) return R{};
        }
    }
};

// `guarded<&f>` binds in place of `&f`.
template <auto Fn>
constexpr auto guarded = &Guarded<Fn>::call;

// Runs `body`; whatever fails inside gives `failure` instead (a result other than the neutral one).
template <typename T, typename F>
T guardedOr(T failure, F&& body) {
    try {
        return body();
    } catch (const std::exception&) {
        return failure;
    }
}

}  // namespace library
