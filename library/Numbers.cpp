#include "library/Numbers.h"

#include <bit>
#include <chrono>
#include <random>

#include "base/Error.h"

namespace library {
namespace {

std::mt19937& generator() {
    static std::mt19937 gen(
        static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    return gen;
}

int32_t wrap(uint32_t v) { return static_cast<int32_t>(v); }

}  // namespace

bool Odd(int32_t x) { return (x & 1) != 0; }

int32_t Random(int32_t range) {
    if (range <= 0) return 0;
    // Scaling the 32-bit draw keeps every value below range reachable without a modulo bias loop.
    return static_cast<int32_t>((uint64_t(generator()()) * uint64_t(range)) >> 32);
}

void seedRandom(uint32_t seed) { generator().seed(seed); }

std::string DecToRoman(int32_t value) {
    static const struct {
        int32_t value;
        const char* text;
    } kNumerals[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
                     {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    std::string out;
    for (const auto& n : kNumerals) {
        while (value >= n.value) {
            out += n.text;
            value -= n.value;
        }
    }
    return out;
}

int32_t Expon(int32_t value, int32_t exponent) {
    if (exponent == 0) return 1;
    if (exponent < 0) return value;
    // Squaring gives the same wrapped product as exponent - 1 multiplications, without the
    // two-billion-step loop a large exponent would cost.
    uint32_t base = static_cast<uint32_t>(value);
    uint32_t result = 1;
    for (uint32_t e = static_cast<uint32_t>(exponent); e; e >>= 1) {
        if (e & 1) result *= base;
        base *= base;
    }
    return wrap(result);
}

int32_t SimpleChecksum(std::string_view s) {
    uint32_t sum = 0;
    for (size_t i = 0; i < s.size(); ++i) sum += static_cast<unsigned char>(s[i]) * (i % 2 == 0 ? 3u : 7u);
    return wrap(sum);
}

int32_t Diff(int32_t a, int32_t b) {
    int64_t d = int64_t(a) - int64_t(b);
    return wrap(static_cast<uint32_t>(d < 0 ? -d : d));
}

int32_t HexToInt(std::string_view hex) {
    uint64_t value = 0;
    bool valid = !hex.empty();
    for (char c : hex) {
        int v = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                       : -1;
        if (v < 0 || (value = value * 16 + uint64_t(v)) > 0xFFFFFFFFu) {
            valid = false;
            break;
        }
    }
    if (!valid) throw base::ScriptError("'$" + std::string(hex) + "' is not a valid integer value");
    return wrap(static_cast<uint32_t>(value));
}

int32_t ExtractBits(int32_t value, int32_t start, int32_t count) {
    if (count == 0) return 0;
    uint32_t shift = static_cast<uint32_t>(start) & 31;
    uint32_t bits = ((static_cast<uint32_t>(count) - 1u) & 31) + 1;
    uint32_t v = static_cast<uint32_t>(value) >> shift;
    return wrap(bits == 32 ? v : v & ((1u << bits) - 1));
}

int32_t CountBits(int32_t value) { return std::popcount(static_cast<uint32_t>(value)); }

bool BitIsSet(uint32_t w, int32_t bit) { return (w >> (static_cast<uint32_t>(bit) & 31)) & 1; }

void SetBit(uint32_t& w, int32_t bit) { w |= 1u << (static_cast<uint32_t>(bit) & 31); }

void ResetBit(uint32_t& w, int32_t bit) { w &= ~(1u << (static_cast<uint32_t>(bit) & 31)); }

}  // namespace library
