// Integer arithmetic of the dialect, in one place for the constant folder and the VM, so a
// folded constant and the same operation on variables give the same value. The result has
// the type of the left operand and wraps to its width; types narrower than 64 bits shift as
// 32-bit values (count modulo 32), the 64-bit ones modulo 64.
#pragma once

#include <cstdint>

#include "script/Types.h"

namespace script::arith {

enum class IntOp : uint8_t { Add, Sub, Mul, Div, Mod, And, Or, Xor, Shl, Shr };

constexpr bool is64(IntKind k) { return k == IntKind::Int64 || k == IntKind::UInt64; }

constexpr int64_t wrap(int64_t v, IntKind k) {
    switch (k) {
    case IntKind::Byte: return uint8_t(v);
    case IntKind::ShortInt: return int8_t(v);
    case IntKind::Word: return uint16_t(v);
    case IntKind::SmallInt: return int16_t(v);
    case IntKind::Integer: return int32_t(v);
    case IntKind::Cardinal: return uint32_t(v);
    default: return v;
    }
}

constexpr int64_t add(int64_t a, int64_t b, IntKind k) { return wrap(int64_t(uint64_t(a) + uint64_t(b)), k); }
constexpr int64_t sub(int64_t a, int64_t b, IntKind k) { return wrap(int64_t(uint64_t(a) - uint64_t(b)), k); }
constexpr int64_t mul(int64_t a, int64_t b, IntKind k) { return wrap(int64_t(uint64_t(a) * uint64_t(b)), k); }
constexpr int64_t neg(int64_t a, IntKind k) { return wrap(int64_t(0 - uint64_t(a)), k); }

// Division by zero is the caller's to report (a compile error or a script error).
constexpr int64_t div(int64_t a, int64_t b, IntKind k) {
    if (k == IntKind::UInt64) return int64_t(uint64_t(a) / uint64_t(b));
    return b == -1 ? neg(a, k) : wrap(a / b, k);
}
constexpr int64_t mod(int64_t a, int64_t b, IntKind k) {
    if (k == IntKind::UInt64) return int64_t(uint64_t(a) % uint64_t(b));
    return b == -1 ? 0 : wrap(a % b, k);
}

constexpr int64_t shl(int64_t a, int64_t b, IntKind k) {
    if (is64(k)) return int64_t(uint64_t(a) << (b & 63));
    return wrap(int64_t(uint32_t(a) << (b & 31)), k);
}
constexpr int64_t shr(int64_t a, int64_t b, IntKind k) {
    if (is64(k)) return int64_t(uint64_t(a) >> (b & 63));
    return wrap(int64_t(uint32_t(a) >> (b & 31)), k);
}

constexpr bool divides(IntOp op) { return op == IntOp::Div || op == IntOp::Mod; }

// The operation on two values of kind k; b must not be 0 for Div and Mod.
constexpr int64_t apply(IntOp op, int64_t a, int64_t b, IntKind k) {
    switch (op) {
    case IntOp::Add: return add(a, b, k);
    case IntOp::Sub: return sub(a, b, k);
    case IntOp::Mul: return mul(a, b, k);
    case IntOp::Div: return div(a, b, k);
    case IntOp::Mod: return mod(a, b, k);
    case IntOp::And: return wrap(a & b, k);
    case IntOp::Or: return wrap(a | b, k);
    case IntOp::Xor: return wrap(a ^ b, k);
    case IntOp::Shl: return shl(a, b, k);
    case IntOp::Shr: return shr(a, b, k);
    }
    return 0;
}

}  // namespace script::arith
