// Text helpers of the script library: the positional Format, conversions, quoting, percent
// escapes, brace constants, accelerators and wildcard matching. Texts are byte strings in the
// ANSI code page; the helpers that say "multi-byte aware" step over double-byte characters of
// the regional code page, so a trail byte is never taken for a brace, "&" or wildcard.
// None of them expands placeholders. Positions are 1-based, as scripts count.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "classes/PropValue.h"

namespace library {

// The text form of a variant, with the regional settings: integers in decimal, floating
// point as FloatToStr and currency as CurrToStr (regional decimal separator), dates as
// DateTimeToStr, "True"/"False", strings as they are (wide ones in the ANSI code page);
// unassigned, null and arrays give "".
std::string variantText(const classes::Variant& value);

// Replaces, for i = 1 to the number of args, every "%i" by the text of the i-th argument with
// StringChange: "%10" is "%1" followed by "0", and replaced text is scanned again by later i.
std::string Format(std::string_view s, std::span<const classes::Variant> args);

// Upper-case hexadecimal, zero-padded to at least `digits` (at most 32) digits; negative
// values as their 32-bit two's complement.
std::string IntToHex(int32_t value, int32_t digits);
// "True"/"False" in any case; else a decimal number is True when not zero; else False.
bool StrToBool(std::string_view s);
std::string BoolToStr(bool b);
// Equal with only the letters A to Z folded.
bool SameText(std::string_view a, std::string_view b);

// Replaces every occurrence of `from` (ignoring case) by `to`, scanning on behind each
// inserted text; an empty `from` changes nothing.
void StringChange(std::string& s, std::string_view from, std::string_view to);
// Sets the length of `s` to `length`, cutting or filling with NUL bytes; true when it was
// made shorter. A length beyond what a script string may hold (1 GiB) leaves `s` and gives false.
bool AdjustLength(std::string& s, uint32_t length);

// Trims spaces and controls; a text with a space that is not already quoted at both ends
// gets enclosed in double quotes.
std::string AddQuotes(std::string_view s);
// Removes every leading and every trailing double quote.
std::string RemoveQuotes(std::string_view s);

// "%" and two hexadecimal digits become that byte, left to right. False at the first "%"
// without two hexadecimal digits; `s` then keeps the replacements made before it.
bool ConvertPercentStr(std::string& s);
// The same outside brace constants, which are copied unchanged; false also for an unclosed
// brace. Multi-byte aware.
bool ConvertConstPercentStr(std::string& s);
// Position of the first `ch` outside brace constants; 0 when none or a constant is unclosed.
// Multi-byte aware.
int32_t ConstPos(char ch, std::string_view s);
// `start` is the position of a "{": the position after the constant it opens ("{{" is an
// escaped brace: start + 2); 0 when the constant is not closed or `start` is at or after the
// last character. Multi-byte aware.
int32_t SkipPastConst(std::string_view s, int32_t start);
// True when a byte of `s` is the lead byte of a double-byte character in the regional code page.
bool IsMultiByteString(std::string_view s);

// Deletes accelerator ampersands, keeping the character after each ("&&" gives "&").
// Multi-byte aware.
std::string RemoveAccelChar(std::string_view s);
// Appends "." to a non-empty text whose last byte is above 46.
std::string AddPeriod(std::string_view s);

bool IsWildcard(std::string_view pattern);
// Case-sensitive match of the whole text: "?" is one character, "*" any run. Both texts end
// at a NUL, as the routine takes C strings. Multi-byte aware.
bool WildcardMatch(std::string_view text, std::string_view pattern);

int32_t IntMax(int32_t a, int32_t b);

}  // namespace library
