// Extended-float conversion and exact decimal formatting.
#include "classes/Extended.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace classes {

namespace {
constexpr bool kLongDoubleIsX87 = LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384;
}

long double extendedToLongDoubleArithmetic(const Extended80& b) {
    uint64_t mant = 0;
    for (int i = 7; i >= 0; --i) mant = (mant << 8) | b[static_cast<size_t>(i)];
    unsigned se = static_cast<unsigned>(b[8] | (b[9] << 8));
    bool negative = (se & 0x8000) != 0;
    int exp = static_cast<int>(se & 0x7FFF);
    long double v;
    if (exp == 0x7FFF) {
        v = (mant << 1) == 0 ? HUGE_VALL : NAN;
    } else if (exp == 0) {
        v = std::ldexp(static_cast<long double>(mant), -16382 - 63);
    } else {
        v = std::ldexp(static_cast<long double>(mant), exp - 16383 - 63);
    }
    return negative ? -v : v;
}

Extended80 longDoubleToExtendedArithmetic(long double value) {
    Extended80 out{};
    bool negative = std::signbit(value);
    uint64_t mant = 0;
    unsigned exp = 0;
    if (std::isnan(value)) {
        exp = 0x7FFF;
        mant = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exp = 0x7FFF;
        mant = 0x8000000000000000ull;
    } else if (value != 0) {
        int e;
        long double m = std::frexp(std::fabs(value), &e);  // m in [0.5, 1)
        int biased = e - 1 + 16383;
        if (biased <= 0) {  // denormal in the extended format
            mant = static_cast<uint64_t>(std::ldexp(m, 64 + biased - 1));
            exp = 0;
        } else {
            mant = static_cast<uint64_t>(std::ldexp(m, 64));
            exp = static_cast<unsigned>(biased);
        }
    }
    for (size_t i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(mant >> (8 * i));
    unsigned se = exp | (negative ? 0x8000u : 0u);
    out[8] = static_cast<unsigned char>(se & 0xFF);
    out[9] = static_cast<unsigned char>(se >> 8);
    return out;
}

long double extendedToLongDouble(const Extended80& bytes) {
    if constexpr (kLongDoubleIsX87) {
        long double v = 0;
        std::memcpy(&v, bytes.data(), 10);
        return v;
    } else {
        return extendedToLongDoubleArithmetic(bytes);
    }
}

Extended80 longDoubleToExtended(long double value) {
    if constexpr (kLongDoubleIsX87) {
        Extended80 out{};
        std::memcpy(out.data(), &value, 10);
        return out;
    } else {
        return longDoubleToExtendedArithmetic(value);
    }
}

namespace {
template <class F>
std::string shortest(F value) {
    if (!std::isfinite(value)) return {};
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    std::string s(buf, r.ptr);
    if (s.find_first_of(".e") == std::string::npos) {
        s += ".0";
    }
    return s;
}
}  // namespace

std::string formatExtended(long double value) { return shortest(value); }
std::string formatDouble(double value) { return shortest(value); }
std::string formatSingle(float value) { return shortest(value); }

namespace {
template <class F>
bool parseNumber(std::string_view text, F& value) {
    if (text.empty()) return false;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+') ++b;
    auto r = std::from_chars(b, e, value);
    return r.ec == std::errc() && r.ptr == e;
}
}  // namespace

bool parseLongDouble(std::string_view text, long double& value) { return parseNumber(text, value); }
bool parseDouble(std::string_view text, double& value) { return parseNumber(text, value); }
bool parseFloat(std::string_view text, float& value) { return parseNumber(text, value); }

}  // namespace classes
