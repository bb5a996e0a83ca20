// The system's multiply-and-divide: a * b / c through a 64-bit product, rounded to the
// nearest integer with halves away from zero; -1 when c is 0, as the system answers.
#pragma once

#include <cstdint>

namespace vcl {

inline constexpr int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t p = static_cast<int64_t>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    const int64_t n = p < 0 ? -p : p, d = c < 0 ? -static_cast<int64_t>(c) : c;
    const int64_t q = (n + d / 2) / d;
    return static_cast<int>(negative ? -q : q);
}

}  // namespace vcl
