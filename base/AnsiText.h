// Text operations on byte strings in the active ANSI code page, with the case rules
// of the Windows "Ansi" string functions.
#pragma once

#include <string>
#include <string_view>

namespace base {

std::string ansiUpper(std::string_view s);
std::string ansiLower(std::string_view s);
bool ansiSameText(std::string_view a, std::string_view b);
bool ansiStartsWithText(std::string_view s, std::string_view prefix);

// Replaces every occurrence of `search` by `replacement`, comparing case-insensitively and
// scanning left to right; the scan resumes behind the inserted text, so inserted text is
// never matched again. An empty `search` leaves the text unchanged.
std::string replaceAllText(std::string_view text, std::string_view search, std::string_view replacement);

// ASCII-only helpers for keywords, switches and identifiers.
bool asciiSameText(std::string_view a, std::string_view b);
std::string asciiUpper(std::string_view s);

// Strips spaces and control characters (bytes up to 0x20) from both ends, as Delphi's Trim.
std::string_view trimText(std::string_view s);

}  // namespace base
