// The 10-byte x87 extended float of component streams (64-bit mantissa with explicit
// integer bit, 15-bit exponent biased by 16383, sign). On x86 `long double` is that very
// format, so the conversion is exact in both directions, bit for bit; elsewhere the value
// is rounded to the widest float the compiler has.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace classes {

using Extended80 = std::array<unsigned char, 10>;  // little-endian, as stored

long double extendedToLongDouble(const Extended80& bytes);
Extended80 longDoubleToExtended(long double value);
// The arithmetic route, used where `long double` is not the x87 format; exposed for tests.
long double extendedToLongDoubleArithmetic(const Extended80& bytes);
Extended80 longDoubleToExtendedArithmetic(long double value);

// Shortest decimal text that reads back to the same long double ("1.5", "2.0", "1e+300");
// always contains '.', 'e' or a letter, so it never reads as an integer. Not-finite values
// give "" (callers write those in another form).
std::string formatExtended(long double value);
std::string formatDouble(double value);
std::string formatSingle(float value);
// Parses text written by the format functions (and plain decimal numbers); false on junk.
bool parseLongDouble(std::string_view text, long double& value);
bool parseDouble(std::string_view text, double& value);
bool parseFloat(std::string_view text, float& value);

}  // namespace classes
