// Number and bit helpers of the script library. Arithmetic wraps around at 32 bits as the
// scripts' Integer does. HexToInt is the one that fails loudly (base::ScriptError).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace library {

bool Odd(int32_t x);
// 0 <= r < range from the library's generator (Mersenne twister, seeded once from the
// clock); a range of 0 or below gives 0.
int32_t Random(int32_t range);
// Reseeds the generator, so a test sees a fixed sequence.
void seedRandom(uint32_t seed);

// Greedy Roman numeral ("MCMXCIV"); 0 and negative numbers give "".
std::string DecToRoman(int32_t value);
// value to the power exponent with wrap-around; exponent 0 gives 1, a negative one gives value.
int32_t Expon(int32_t value, int32_t exponent);
// Sum of the bytes, odd positions (1st, 3rd, ...) times 3 and even ones times 7.
int32_t SimpleChecksum(std::string_view s);
int32_t Diff(int32_t a, int32_t b);
// The text read as hexadecimal (up to 32 bits, "FFFFFFFF" is -1). Throws base::ScriptError
// "'$text' is not a valid integer value" for anything else.
int32_t HexToInt(std::string_view hex);

// Count bits of value from bit (start mod 32), count taken as ((count - 1) mod 32) + 1; count 0 gives 0.
int32_t ExtractBits(int32_t value, int32_t start, int32_t count);
int32_t CountBits(int32_t value);
bool BitIsSet(uint32_t w, int32_t bit);
void SetBit(uint32_t& w, int32_t bit);
void ResetBit(uint32_t& w, int32_t bit);

}  // namespace library
