// Single-byte ANSI code pages. Script and project strings are byte strings in the
// player's ANSI code page; this is the one place they are turned into Unicode and back.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace base {

class CodePage {
public:
    // The Windows code page number; unsupported numbers give Windows-1252.
    explicit CodePage(int number);

    // The process-wide ANSI code page. Set it once at start-up, before other threads run.
    static const CodePage& active();
    static void setActive(int number);
    // The ANSI code page Windows would pick for a POSIX locale name such as "ru_RU.UTF-8".
    static int forLocale(std::string_view locale);

    int number() const { return m_number; }
    char32_t toUnicode(unsigned char c) const { return m_toUnicode[c]; }
    // Characters the code page cannot hold become `replacement`.
    unsigned char fromUnicode(char32_t cp, unsigned char replacement = '?') const;

    std::string toUtf8(std::string_view ansi) const;
    std::string fromUtf8(std::string_view utf8, unsigned char replacement = '?') const;

    unsigned char upper(unsigned char c) const { return m_upper[c]; }
    unsigned char lower(unsigned char c) const { return m_lower[c]; }

private:
    int m_number;
    std::array<char32_t, 256> m_toUnicode{};
    std::array<unsigned char, 256> m_upper{};
    std::array<unsigned char, 256> m_lower{};
};

// Appends one code point as UTF-8.
void appendUtf8(std::string& out, char32_t cp);
// Decodes the code point at `pos` and advances it; malformed bytes give U+FFFD.
char32_t decodeUtf8(std::string_view s, size_t& pos);
// The offset of the first byte that is not well-formed UTF-8 (overlong forms, surrogates
// and code points above U+10FFFF included), or npos when all of `s` is.
size_t firstInvalidUtf8(std::string_view s);
// Simple one-to-one Unicode case mapping for the scripts single-byte code pages cover
// (Latin, Greek, Cyrillic); other characters are returned unchanged.
char32_t unicodeUpper(char32_t cp);
char32_t unicodeLower(char32_t cp);

}  // namespace base
