// Folding with carry-less multiplication follows Intel's "Fast CRC Computation for Generic
// Polynomials Using PCLMULQDQ": four 128-bit lanes are folded forward over the data, then
// into one lane, then reduced to 32 bits by a bit-reflected Barrett reduction. The fold
// constants are powers of x modulo the polynomial, bit-reflected.
#include "base/Crc32.h"

#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace base {
namespace {

uint32_t tableUpdate(uint32_t state, const unsigned char* p, size_t size) {
    return ~static_cast<uint32_t>(crc32_z(~state & 0xFFFFFFFFu, p, size));
}

#if defined(__x86_64__)

// x^(4*128+32) and x^(4*128-32) mod P: folding across four lanes.
constexpr uint64_t kFold4Low = 0x154442bd4, kFold4High = 0x1c6e41596;
// x^(128+32) and x^(128-32) mod P: folding into the next lane.
constexpr uint64_t kFold1Low = 0x1751997d0, kFold1High = 0x0ccaa009e;
// x^64 mod P: the last 64 to 32 bits.
constexpr uint64_t kFold64 = 0x163cd6124;
// The polynomial and its Barrett constant floor(x^64 / P).
constexpr uint64_t kPoly = 0x1db710641, kMu = 0x1f7011641;

__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i x, __m128i k, __m128i next) {
    __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

// `size` is at least 64 and a multiple of 16.
__attribute__((target("pclmul,sse4.1"))) uint32_t foldUpdate(uint32_t state, const unsigned char* p,
                                                             size_t size) {
    auto load = [](const unsigned char* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
    __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i x1 = load(p + 16), x2 = load(p + 32), x3 = load(p + 48);
    p += 64;
    size -= 64;
    const __m128i k4 = _mm_set_epi64x(static_cast<long long>(kFold4High), static_cast<long long>(kFold4Low));
    while (size >= 64) {
        x0 = fold(x0, k4, load(p));
        x1 = fold(x1, k4, load(p + 16));
        x2 = fold(x2, k4, load(p + 32));
        x3 = fold(x3, k4, load(p + 48));
        p += 64;
        size -= 64;
    }
    const __m128i k1 = _mm_set_epi64x(static_cast<long long>(kFold1High), static_cast<long long>(kFold1Low));
    x0 = fold(x0, k1, x1);
    x0 = fold(x0, k1, x2);
    x0 = fold(x0, k1, x3);
    while (size >= 16) {
        x0 = fold(x0, k1, load(p));
        p += 16;
        size -= 16;
    }
    // 128 to 64 bits.
    x0 = _mm_xor_si128(_mm_clmulepi64_si128(x0, k1, 0x10), _mm_srli_si128(x0, 8));
    // 64 to 32 bits.
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
    __m128i upper = _mm_srli_si128(x0, 4);
    x0 = _mm_clmulepi64_si128(_mm_and_si128(x0, mask32), _mm_cvtsi64_si128(static_cast<long long>(kFold64)),
                              0x00);
    x0 = _mm_xor_si128(x0, upper);
    // Barrett reduction.
    const __m128i poly = _mm_set_epi64x(static_cast<long long>(kMu), static_cast<long long>(kPoly));
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x0, mask32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), poly, 0x00);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x0, t), 1));
}

bool hasCarrylessMultiply() {
    static const bool yes = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return yes;
}

#endif

}  // namespace

uint32_t crc32Update(uint32_t state, const void* data, size_t size) {
    auto p = static_cast<const unsigned char*>(data);
#if defined(__x86_64__)
    if (size >= 64 && hasCarrylessMultiply()) {
        size_t bulk = size & ~size_t(15);
        state = foldUpdate(state, p, bulk);
        p += bulk;
        size -= bulk;
    }
#endif
    return size ? tableUpdate(state, p, size) : state;
}

}  // namespace base
