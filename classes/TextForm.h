// The readable text form of component streams ("object Form1: TForm ... end") and its
// conversion to and from the binary form. Works on the stream's own structure, so classes
// and properties need not be registered: unknown ones are kept as they are.
//
// Text conventions: two spaces per nesting level, "\n" line ends (CR LF accepted when
// reading). ANSI strings are quoted, with control characters as #n and other bytes as the
// UTF-8 of their character in the active code page; wide strings write every character
// outside printable ASCII as #n (its UTF-16 code unit), so a #n above 127 marks a wide
// string. Floats: Extended as plain decimal ("1.5"), Single with suffix "s", Currency
// with "c", Date with "d"; an Extended that is not finite is "$" + its 20 hex digits
// (sign/exponent first). Binary → text → binary gives identical bytes for everything
// TWriter produces.
#pragma once

#include "base/Error.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace classes {

// A malformed binary stream or text form. For binary input, `offset` is the byte offset
// (from the start of the given bytes) where something else was expected; for text, the
// 1-based line. what() is one line: "offset 37: expected a value tag, found 0x63".
class TextFormError : public base::StreamError {
public:
    TextFormError(const std::string& message, int64_t where) : base::StreamError(message), m_where(where) {}
    int64_t where() const { return m_where; }

private:
    int64_t m_where;
};

// Converts the stream (signature and root record) starting at `offset` of `bytes`.
// `consumed` receives the number of bytes the stream occupies.
std::string binaryToText(std::string_view bytes, size_t offset = 0, size_t* consumed = nullptr);
// Converts a text form back into a binary stream with its "TPF0" signature.
std::string textToBinary(std::string_view text);

}  // namespace classes
