// Binary ↔ text conversion of component streams, driven by the stream's own tags.
#include "classes/TextForm.h"

#include "base/ByteReader.h"
#include "base/CodePage.h"
#include "base/LittleEndian.h"
#include "classes/Extended.h"
#include "classes/ValueTag.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace classes {

namespace {

constexpr int kMaxNesting = 200;
constexpr size_t kStringChunk = 64;
constexpr size_t kHexBytesPerLine = 32;

std::string hexByte(unsigned v) {
    static const char* digits = "0123456789ABCDEF";
    return {digits[(v >> 4) & 15], digits[v & 15]};
}

// Words of the text form that a bare identifier in their place would be taken for.
bool isReservedWord(std::string_view s) {
    static const char* const kWords[] = {"object", "inherited", "inline", "end",
                                         "true",   "false",     "nil",    "null"};
    for (const char* w : kWords) {
        if (s.size() != std::strlen(w)) continue;
        bool same = true;
        for (size_t i = 0; same && i < s.size(); ++i) same = (s[i] | 0x20) == w[i];
        if (same) return true;
    }
    return false;
}

bool identStartChar(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool identChar(char c) { return identStartChar(c) || (c >= '0' && c <= '9') || c == '.'; }

bool isBareIdent(std::string_view s) {
    if (s.empty() || !identStartChar(s[0]) || isReservedWord(s)) return false;
    for (char c : s)
        if (!identChar(c)) return false;
    return true;
}

// '&' and a literal of printable ASCII in quotes and #n byte codes for everything else:
// an identifier is bytes, so the codes are bytes too, whatever the code page.
std::string quotedIdent(std::string_view s) {
    std::string out = "&";
    bool quoted = false;
    for (char ch : s) {
        auto b = static_cast<unsigned char>(ch);
        if (b >= 32 && b < 127) {
            if (!quoted) out += '\'';
            quoted = true;
            out += ch;
            if (ch == '\'') out += ch;
        } else {
            if (quoted) out += '\'';
            quoted = false;
            out += '#' + std::to_string(b);
        }
    }
    if (s.empty()) out += "''";
    if (quoted) out += '\'';
    return out;
}

// ---- Binary to text ----

class BinaryToText {
public:
    BinaryToText(std::string_view bytes, size_t pos) : m_in(bytes, pos) {}

    std::string run(size_t* consumed) {
        size_t start = m_in.position();
        if (!m_in.has(4) || m_in.data().substr(start, 4) != "TPF0") fail("the signature \"TPF0\"");
        m_in.skip(4);
        convertObject(0);
        if (consumed) *consumed = m_in.position() - start;
        return std::move(m_out);
    }

private:
    [[noreturn]] void fail(const std::string& expected) {
        const size_t at = m_in.position();
        std::string found =
            !m_in.atEnd() ? ", found 0x" + hexByte(m_in.peek()) : ", found the end of the data";
        throw TextFormError("offset " + std::to_string(at) + ": expected " + expected + found,
                            static_cast<int64_t>(at));
    }

    // Every read names what it expected, so a short stream fails with that description.
    void need(size_t n, const char* what) {
        if (!m_in.has(n)) fail(what);
    }
    uint8_t byte(const char* what) {
        need(1, what);
        return m_in.u8();
    }
    uint8_t peek(const char* what) {
        need(1, what);
        return m_in.peek();
    }
    std::string_view take(size_t n, const char* what) {
        need(n, what);
        return m_in.take(n);
    }
    uint32_t le32(const char* what) {
        need(4, what);
        return m_in.le32();
    }
    uint64_t le64(const char* what) {
        need(8, what);
        return m_in.le64();
    }
    void back() { m_in.seek(m_in.position() - 1); }
    // A failure names the length byte, where the short string begins.
    std::string_view shortStr(const char* what) {
        need(1, what);
        if (!m_in.has(1 + static_cast<size_t>(m_in.peek()))) fail(what);
        return m_in.shortString();
    }

    // Names and identifiers as one token of the text form: bare when they read back as
    // the same identifier, otherwise quoted after '&'. The reader takes any bytes there.
    std::string ident(const char* what, bool allowEmpty) {
        std::string_view s = shortStr(what);
        if (s.empty() && allowEmpty) return {};
        return isBareIdent(s) ? std::string(s) : quotedIdent(s);
    }

    void indent(int level) { m_out.append(static_cast<size_t>(level) * 2, ' '); }
    void guard(int level) {
        if (level > kMaxNesting) fail("less deeply nested data");
    }

    void convertObject(int level) {
        guard(level);
        uint8_t first = peek("a component record");
        uint8_t flags = 0;
        int64_t position = -1;
        if ((first & 0xF0) == 0xF0) {
            m_in.skip(1);
            flags = first & 0x0F;
            if (flags & 2) {
                uint8_t tag = byte("an integer child position");
                position = readIntegerPayload(tag, "an integer child position");
            }
        }
        std::string cls = ident("a class name (an identifier)", false);
        std::string name = ident("a component name (an identifier or empty)", true);
        indent(level);
        // A record both inherited and inline keeps both words.
        m_out += (flags & 5) == 5 ? "inherited inline "
                 : (flags & 4)    ? "inline "
                 : (flags & 1)    ? "inherited "
                                  : "object ";
        if (!name.empty()) m_out += name + ": ";
        m_out += cls;
        if (flags & 2) m_out += " [" + std::to_string(position) + "]";
        m_out += "\n";
        while (peek("a property name or the end of the properties") != 0) convertProperty(level + 1);
        m_in.skip(1);
        while (peek("a child record or the end of the children") != 0) convertObject(level + 1);
        m_in.skip(1);
        indent(level);
        m_out += "end\n";
    }

    int64_t readIntegerPayload(uint8_t tag, const char* what) {
        switch (static_cast<ValueTag>(tag)) {
        case ValueTag::Int8: return static_cast<int8_t>(byte(what));
        case ValueTag::Int16:
            return static_cast<int16_t>(
                base::readLE16(reinterpret_cast<const unsigned char*>(take(2, what).data())));
        case ValueTag::Int32: return static_cast<int32_t>(le32(what));
        default: back(); fail(what);
        }
    }

    void convertProperty(int level) {
        std::string name = ident("a property name (an identifier)", false);
        indent(level);
        m_out += name + " = ";
        convertValue(level);
        m_out += "\n";
    }

    void convertValue(int level) {
        guard(level);
        const char* what = "a value tag (0 to 20)";
        uint8_t tag = byte(what);
        switch (static_cast<ValueTag>(tag)) {
        case ValueTag::Null: m_out += "Null"; return;
        case ValueTag::Nil: m_out += "nil"; return;
        case ValueTag::False: m_out += "False"; return;
        case ValueTag::True: m_out += "True"; return;
        case ValueTag::Int8:
        case ValueTag::Int16:
        case ValueTag::Int32: m_out += std::to_string(readIntegerPayload(tag, "integer bytes")); return;
        case ValueTag::Int64:
            m_out += std::to_string(static_cast<int64_t>(le64("8 bytes of an Int64")));
            return;
        case ValueTag::Extended: {
            Extended80 e;
            std::memcpy(e.data(), take(10, "10 bytes of an Extended").data(), 10);
            long double v = extendedToLongDouble(e);
            std::string text = formatExtended(v);
            long double back = 0;
            if (!text.empty() && parseLongDouble(text, back) && longDoubleToExtended(back) == e) {
                m_out += text;
            } else {
                m_out += "$";
                for (int i = 9; i >= 0; --i) m_out += hexByte(e[static_cast<size_t>(i)]);
            }
            return;
        }
        case ValueTag::Single: {
            uint32_t bits = le32("4 bytes of a Single");
            float f;
            std::memcpy(&f, &bits, 4);
            std::string text = formatSingle(f);
            if (text.empty()) {
                m_out += "$" + hexByte(bits >> 24) + hexByte(bits >> 16) + hexByte(bits >> 8) + hexByte(bits);
            } else {
                m_out += text + "s";
            }
            return;
        }
        case ValueTag::Currency: {
            int64_t v = static_cast<int64_t>(le64("8 bytes of a Currency"));
            m_out += formatCurrency(v) + "c";
            return;
        }
        case ValueTag::Date: {
            uint64_t bits = le64("8 bytes of a Date");
            double d;
            std::memcpy(&d, &bits, 8);
            std::string text = formatDouble(d);
            if (text.empty()) {
                m_out += "$";
                for (int i = 7; i >= 0; --i) m_out += hexByte(static_cast<unsigned>(bits >> (8 * i)));
            } else {
                m_out += text + "d";
            }
            return;
        }
        case ValueTag::String: writeAnsi(shortStr("a short string"), level); return;
        case ValueTag::LString: writeAnsi(take(le32("a string length"), "the string's bytes"), level); return;
        case ValueTag::Ident: m_out += ident("an identifier", false); return;
        case ValueTag::WString: {
            uint32_t n = le32("a wide string length");
            std::string_view raw = take(static_cast<size_t>(n) * 2, "the wide string's bytes");
            std::u16string units(n, u'\0');
            for (size_t i = 0; i < n; ++i) {
                units[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                                 (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
            }
            writeWide(units, level);
            return;
        }
        case ValueTag::UTF8String: {
            std::string_view utf8 = take(le32("a UTF-8 string length"), "the UTF-8 string's bytes");
            std::u16string units;
            size_t p = 0;
            while (p < utf8.size()) {
                char32_t cp = base::decodeUtf8(utf8, p);
                if (cp >= 0x10000) {
                    cp -= 0x10000;
                    units.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
                    units.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
                } else {
                    units.push_back(static_cast<char16_t>(cp));
                }
            }
            writeWide(units, level);
            return;
        }
        case ValueTag::Binary: {
            std::string_view data = take(le32("a binary length"), "the binary bytes");
            m_out += "{";
            for (size_t i = 0; i < data.size(); ++i) {
                if (i % kHexBytesPerLine == 0) {
                    m_out += "\n";
                    indent(level + 1);
                }
                m_out += hexByte(static_cast<unsigned char>(data[i]));
            }
            m_out += "}";
            return;
        }
        case ValueTag::Set: {
            m_out += "[";
            bool firstName = true;
            while (true) {
                std::string n = ident("a set element name", true);
                if (n.empty()) break;
                if (!firstName) m_out += ", ";
                m_out += n;
                firstName = false;
            }
            m_out += "]";
            return;
        }
        case ValueTag::List: {
            m_out += "(";
            while (peek("a list value or the end of the list") != 0) {
                m_out += "\n";
                indent(level + 1);
                convertValue(level + 1);
            }
            m_in.skip(1);
            m_out += ")";
            return;
        }
        case ValueTag::Collection: {
            m_out += "<";
            while (peek("a collection item or the end of the collection") != 0) {
                m_out += "\n";
                indent(level + 1);
                m_out += "item";
                uint8_t t = peek("a collection item");
                if (t == 2 || t == 3 || t == 4) {
                    m_in.skip(1);
                    m_out += " [" + std::to_string(readIntegerPayload(t, "an item index")) + "]";
                }
                m_out += "\n";
                if (byte("a list tag (1) opening the item") != 1) {
                    back();
                    fail("a list tag (1) opening the item");
                }
                while (peek("a property name or the end of the item") != 0) convertProperty(level + 2);
                m_in.skip(1);
                indent(level + 1);
                m_out += "end";
            }
            m_in.skip(1);
            m_out += ">";
            return;
        }
        }
        back();
        fail(what);
    }

    static std::string formatCurrency(int64_t v) {
        bool negative = v < 0;
        uint64_t mag = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        std::string frac = std::to_string(mag % 10000);
        frac.insert(0, 4 - frac.size(), '0');
        return (negative ? "-" : "") + std::to_string(mag / 10000) + "." + frac;
    }

    // Pieces of a string literal, so long strings can be wrapped between pieces.
    struct Piece {
        std::string text;
        bool code;  // a #n character code, written outside the quotes
    };

    void emitPieces(const std::vector<Piece>& pieces, int level) {
        if (pieces.empty()) {
            m_out += "''";
            return;
        }
        std::string cur;
        bool quoted = false;
        size_t count = 0;
        for (const Piece& piece : pieces) {
            const std::string& p = piece.text;
            if (count == kStringChunk) {
                if (quoted) cur += "'";
                m_out += cur + " +\n";
                indent(level + 1);
                cur.clear();
                quoted = false;
                count = 0;
            }
            bool isCode = piece.code;
            if (isCode && quoted) {
                cur += "'";
                quoted = false;
            } else if (!isCode && !quoted) {
                cur += "'";
                quoted = true;
            }
            cur += p;
            ++count;
        }
        if (quoted) cur += "'";
        m_out += cur;
    }

    static Piece code(unsigned value) {
        std::string text = std::to_string(value);
        text.insert(text.begin(), '#');
        return {std::move(text), true};
    }

    void writeAnsi(std::string_view s, int level) {
        const base::CodePage& cp = base::CodePage::active();
        std::vector<Piece> pieces;
        pieces.reserve(s.size());
        for (char ch : s) {
            auto b = static_cast<unsigned char>(ch);
            if (b < 32 || b == 127) {
                pieces.push_back(code(b));
            } else if (b == '\'') {
                pieces.push_back({"''", false});
            } else if (b < 128) {
                pieces.push_back({std::string(1, ch), false});
            } else {
                std::string u;
                base::appendUtf8(u, cp.toUnicode(b));
                pieces.push_back({std::move(u), false});
            }
        }
        emitPieces(pieces, level);
    }

    void writeWide(const std::u16string& units, int level) {
        std::vector<Piece> pieces;
        pieces.reserve(units.size());
        for (size_t i = 0; i < units.size(); ++i) {
            char16_t c = units[i];
            // A lone surrogate has no UTF-8 form; it reads back as the replacement character.
            if (c >= 0xD800 && c < 0xDC00) {
                if (i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
                    pieces.push_back(code(c));
                    c = units[++i];
                } else {
                    c = 0xFFFD;
                }
            } else if (c >= 0xDC00 && c < 0xE000) {
                c = 0xFFFD;
            }
            if (c == '\'') {
                pieces.push_back({"''", false});
            } else if (c >= 32 && c < 127) {
                pieces.push_back({std::string(1, static_cast<char>(c)), false});
            } else {
                pieces.push_back(code(c));
            }
        }
        emitPieces(pieces, level);
    }

    base::ByteReader m_in;
    std::string m_out;
};

// ---- Text to binary ----

enum class Tok { End, Ident, Integer, Float, String, Symbol, Hex };

class TextToBinary {
public:
    explicit TextToBinary(std::string_view text) : m_text(text) {}

    std::string run() {
        // Editors save forms as UTF-8, with or without a byte-order mark; older tools
        // wrote the ANSI code page. With the mark the text must be UTF-8; without it,
        // text that is not UTF-8 is read as the code page's characters.
        constexpr std::string_view kBom = "\xEF\xBB\xBF";
        const bool bom = m_text.substr(0, kBom.size()) == kBom;
        if (bom) m_pos = kBom.size();
        const size_t invalid = base::firstInvalidUtf8(m_text.substr(m_pos));
        if (invalid != std::string_view::npos) {
            if (bom) {
                m_tokLine = 1 + static_cast<int>(std::count(
                                    m_text.begin(),
                                    m_text.begin() + static_cast<std::ptrdiff_t>(m_pos + invalid), '\n'));
                fail("UTF-8 text after the byte-order mark",
                     "the byte 0x" + hexByte(static_cast<unsigned char>(m_text[m_pos + invalid])));
            }
            m_ansiText = true;
        }
        m_out = "TPF0";
        next();
        convertObject(0);
        if (m_tok != Tok::End) fail("the end of the text after the root's \"end\"");
        return std::move(m_out);
    }

private:
    [[noreturn]] void fail(const std::string& expected) {
        fail(expected, m_tok == Tok::End ? "the end of the text" : "\"" + m_tokText + "\"");
    }
    [[noreturn]] void fail(const std::string& expected, const std::string& found) {
        throw TextFormError(
            "line " + std::to_string(m_tokLine) + ": expected " + expected + ", found " + found, m_tokLine);
    }

    // Tokenizer: identifiers (dots allowed inside), numbers with optional suffix, string
    // literals (quoted pieces and #n codes), hexadecimal numbers, single-character symbols.
    void skipBlanks() {
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\n') {
                ++m_line;
                ++m_pos;
            } else if (static_cast<unsigned char>(c) <= ' ') {
                ++m_pos;
            } else {
                break;
            }
        }
    }

    static bool digit(char c) { return c >= '0' && c <= '9'; }

    void next() {
        skipBlanks();
        m_tokLine = m_line;
        m_tokText.clear();
        m_tokQuoted = false;
        if (m_pos >= m_text.size()) {
            m_tok = Tok::End;
            return;
        }
        char c = m_text[m_pos];
        if (c == '&' && m_pos + 1 < m_text.size() &&
            (m_text[m_pos + 1] == '\'' || m_text[m_pos + 1] == '#')) {
            ++m_pos;
            readStringToken(true);
        } else if (identStartChar(c)) {
            size_t start = m_pos;
            while (m_pos < m_text.size() && identChar(m_text[m_pos])) ++m_pos;
            m_tokText = std::string(m_text.substr(start, m_pos - start));
            m_tok = Tok::Ident;
        } else if (c == '\'' || c == '#') {
            readStringToken(false);
        } else if (digit(c) ||
                   ((c == '-' || c == '+') && m_pos + 1 < m_text.size() && digit(m_text[m_pos + 1]))) {
            size_t start = m_pos++;
            bool isFloat = false;
            while (m_pos < m_text.size()) {
                char d = m_text[m_pos];
                if (digit(d)) {
                    ++m_pos;
                } else if (d == '.' || d == 'e' || d == 'E') {
                    isFloat = true;
                    ++m_pos;
                    if ((d == 'e' || d == 'E') && m_pos < m_text.size() &&
                        (m_text[m_pos] == '-' || m_text[m_pos] == '+')) {
                        ++m_pos;
                    }
                } else {
                    break;
                }
            }
            m_tokText = std::string(m_text.substr(start, m_pos - start));
            m_suffix = 0;
            if (m_pos < m_text.size() &&
                (m_text[m_pos] == 's' || m_text[m_pos] == 'c' || m_text[m_pos] == 'd' ||
                 m_text[m_pos] == 'S' || m_text[m_pos] == 'C' || m_text[m_pos] == 'D')) {
                m_suffix = static_cast<char>(m_text[m_pos] | 0x20);
                ++m_pos;
                isFloat = true;
            }
            m_tok = isFloat ? Tok::Float : Tok::Integer;
        } else if (c == '$') {
            size_t start = ++m_pos;
            while (m_pos < m_text.size() && std::isxdigit(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
            m_tokText = std::string(m_text.substr(start, m_pos - start));
            m_tok = Tok::Hex;
        } else {
            ++m_pos;
            m_tokText = std::string(1, c);
            m_tok = Tok::Symbol;
        }
    }

    // A literal: quoted pieces and #n codes, possibly joined across lines by '+'. As an
    // identifier ("&'a-b c'") it is bytes: #n is a byte and quoted characters must be in
    // the code page.
    void readStringToken(bool identifier) {
        m_str.clear();
        m_strWide = false;
        m_tok = identifier ? Tok::Ident : Tok::String;
        m_tokQuoted = identifier;
        m_tokText = identifier ? "" : "string";
        while (true) {
            if (m_pos >= m_text.size()) break;
            char c = m_text[m_pos];
            if (c == '\'') {
                ++m_pos;
                while (true) {
                    if (m_pos >= m_text.size() || m_text[m_pos] == '\n') {
                        fail("a closing quote", "an unterminated string");
                    }
                    if (m_text[m_pos] == '\'') {
                        if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
                            appendChar(u'\'', identifier);
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        break;
                    }
                    appendChar(rawChar(), identifier);
                }
            } else if (c == '#') {
                ++m_pos;
                size_t start = m_pos;
                while (m_pos < m_text.size() && digit(m_text[m_pos])) ++m_pos;
                if (start == m_pos || m_pos - start > 6) fail("a character code after '#'", "'#'");
                unsigned long code = std::stoul(std::string(m_text.substr(start, m_pos - start)));
                if (identifier) {
                    if (code > 0xFF) fail("a byte code up to 255 in a quoted identifier");
                    m_tokText.push_back(static_cast<char>(code));
                    continue;
                }
                if (code > 0xFFFF) fail("a character code up to 65535");
                if (code >= 128) m_strWide = true;
                m_str.push_back(static_cast<char16_t>(code));
            } else {
                // A '+' followed by another literal continues the string on the next line.
                size_t save = m_pos;
                int saveLine = m_line;
                skipBlanks();
                if (m_pos < m_text.size() && m_text[m_pos] == '+') {
                    ++m_pos;
                    skipBlanks();
                    if (m_pos < m_text.size() && (m_text[m_pos] == '\'' || m_text[m_pos] == '#')) continue;
                }
                m_pos = save;
                m_line = saveLine;
                break;
            }
        }
    }

    // The character at the position, as UTF-8 or (in an ANSI text) one code-page byte.
    char32_t rawChar() {
        if (m_ansiText)
            return base::CodePage::active().toUnicode(static_cast<unsigned char>(m_text[m_pos++]));
        return base::decodeUtf8(m_text, m_pos);
    }

    void appendChar(char32_t ch, bool identifier) {
        if (!identifier) {
            appendUnit(ch);
            return;
        }
        if (ch < 128) {
            m_tokText.push_back(static_cast<char>(ch));
            return;
        }
        const base::CodePage& cp = base::CodePage::active();
        unsigned char b = cp.fromUnicode(ch, 0);
        if (b == 0) {
            std::string shown;
            base::appendUtf8(shown, ch);
            fail("a character of code page " + std::to_string(cp.number()) + " in a quoted identifier",
                 "'" + shown + "'");
        }
        m_tokText.push_back(static_cast<char>(b));
    }

    void appendUnit(char32_t ch) {
        if (ch >= 0x10000) {
            ch -= 0x10000;
            m_str.push_back(static_cast<char16_t>(0xD800 + (ch >> 10)));
            m_str.push_back(static_cast<char16_t>(0xDC00 + (ch & 0x3FF)));
        } else {
            m_str.push_back(static_cast<char16_t>(ch));
        }
    }

    bool isSymbol(char c) const { return m_tok == Tok::Symbol && m_tokText[0] == c; }
    bool isKeyword(const char* k) const {
        if (m_tok != Tok::Ident || m_tokQuoted || m_tokText.size() != std::strlen(k)) return false;
        for (size_t i = 0; i < m_tokText.size(); ++i) {
            char a = m_tokText[i];
            if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
            if (a != k[i]) return false;
        }
        return true;
    }
    struct Snapshot {
        size_t pos;
        int line;
        Tok tok;
        std::string text;
        bool quoted;
        int tokLine;
    };
    Snapshot snapshot() const { return {m_pos, m_line, m_tok, m_tokText, m_tokQuoted, m_tokLine}; }
    void restore(const Snapshot& s) {
        m_pos = s.pos;
        m_line = s.line;
        m_tok = s.tok;
        m_tokText = s.text;
        m_tokQuoted = s.quoted;
        m_tokLine = s.tokLine;
    }

    void expectSymbol(char c) {
        if (!isSymbol(c)) fail(std::string("'") + c + "'");
        next();
    }
    void guard(int level) {
        if (level > kMaxNesting) fail("less deeply nested data");
    }

    void writeStr(const std::string& s) {
        if (s.size() > 255) fail("a name of at most 255 characters");
        m_out.push_back(static_cast<char>(s.size()));
        m_out += s;
    }
    void writeTag(ValueTag t) { m_out.push_back(static_cast<char>(t)); }

    void writeInteger(int64_t v) {
        if (v >= INT8_MIN && v <= INT8_MAX) {
            writeTag(ValueTag::Int8);
            m_out.push_back(static_cast<char>(v));
        } else if (v >= INT16_MIN && v <= INT16_MAX) {
            writeTag(ValueTag::Int16);
            base::appendLE16(m_out, static_cast<uint16_t>(v));
        } else if (v >= INT32_MIN && v <= INT32_MAX) {
            writeTag(ValueTag::Int32);
            base::appendLE32(m_out, static_cast<uint32_t>(v));
        } else {
            writeTag(ValueTag::Int64);
            base::appendLE64(m_out, static_cast<uint64_t>(v));
        }
    }

    int64_t parseInteger() {
        if (m_tok != Tok::Integer) fail("an integer");
        errno = 0;
        char* end = nullptr;
        long long v = std::strtoll(m_tokText.c_str(), &end, 10);
        if (errno == ERANGE || *end != '\0') fail("an integer in the 64-bit range");
        next();
        return v;
    }

    // object := ("object" | "inherited" | "inline") [Name ":"] Class ["[" Integer "]"]
    //           { Property } { object } "end"
    void convertObject(int level) {
        guard(level);
        uint8_t flags = 0;
        if (isKeyword("inherited")) {
            flags = 1;
            // "inherited inline Name: Class" is both; "inherited inline: Class" names a
            // component "inline".
            Snapshot before = snapshot();
            next();
            if (isKeyword("inline")) {
                next();
                if (!isSymbol(':')) flags |= 4;
            }
            restore(before);
            if (flags & 4) next();
        } else if (isKeyword("inline")) {
            flags = 4;
        } else if (!isKeyword("object")) {
            fail("\"object\", \"inherited\" or \"inline\"");
        }
        next();
        if (m_tok != Tok::Ident) fail("a component name or class name");
        std::string name = m_tokText;
        std::string cls;
        next();
        if (isSymbol(':')) {
            next();
            if (m_tok != Tok::Ident) fail("a class name");
            cls = m_tokText;
            next();
        } else {
            cls = name;
            name.clear();
        }
        int64_t position = -1;
        if (isSymbol('[')) {
            next();
            position = parseInteger();
            if (position < INT32_MIN || position > INT32_MAX) fail("a 32-bit child position");
            expectSymbol(']');
            flags |= 2;
        }
        // A record's first byte in F0..FF is its prefix, so a class name of 240 characters
        // or more needs one, even with no flags in it; so does an empty class name below
        // the root, whose length byte would otherwise end the list of children.
        if (flags != 0 || cls.size() >= 0xF0 || (level > 0 && cls.empty())) {
            m_out.push_back(static_cast<char>(0xF0 | flags));
            if (flags & 2) writeInteger(position);
        }
        writeStr(cls);
        writeStr(name);
        while (!isKeyword("end") && !isKeyword("object") && !isKeyword("inherited") && !isKeyword("inline")) {
            convertProperty(level + 1);
        }
        m_out.push_back(0);
        while (!isKeyword("end")) convertObject(level + 1);
        m_out.push_back(0);
        next();
    }

    // Property := Name "=" Value
    void convertProperty(int level) {
        if (m_tok != Tok::Ident) fail("a property name, an object or \"end\"");
        // An empty name would read as the end of the properties.
        if (m_tokText.empty()) fail("a property name that is not empty", "''");
        writeStr(m_tokText);
        next();
        expectSymbol('=');
        convertValue(level);
    }

    // Value := Integer | Float | String | Ident | "$" Hex | "[" Set "]" | "(" { Value } ")"
    //        | "{" Hex "}" | "<" { "item" ["[" Integer "]"] { Property } "end" } ">"
    void convertValue(int level) {
        guard(level);
        switch (m_tok) {
        case Tok::Integer: writeInteger(parseInteger()); return;
        case Tok::Float: writeFloat(); return;
        case Tok::String:
            writeString();
            next();
            return;
        case Tok::Hex: writeHexExtended(); return;
        case Tok::Ident:
            if (isKeyword("false")) {
                writeTag(ValueTag::False);
            } else if (isKeyword("true")) {
                writeTag(ValueTag::True);
            } else if (isKeyword("nil")) {
                writeTag(ValueTag::Nil);
            } else if (isKeyword("null")) {
                writeTag(ValueTag::Null);
            } else {
                writeTag(ValueTag::Ident);
                writeStr(m_tokText);
            }
            next();
            return;
        case Tok::Symbol: break;
        case Tok::End: fail("a value");
        }
        char c = m_tokText[0];
        if (c == '[') {
            writeTag(ValueTag::Set);
            next();
            while (!isSymbol(']')) {
                if (m_tok != Tok::Ident) fail("a set element name or ']'");
                if (m_tokText.empty()) fail("a set element name that is not empty", "''");
                writeStr(m_tokText);
                next();
                if (isSymbol(',')) {
                    next();
                } else if (!isSymbol(']')) {
                    fail("',' or ']'");
                }
            }
            m_out.push_back(0);
            next();
        } else if (c == '(') {
            writeTag(ValueTag::List);
            next();
            while (!isSymbol(')')) {
                // The Null tag is the list's own end marker.
                if (isKeyword("null")) fail("a list value other than Null");
                convertValue(level + 1);
            }
            m_out.push_back(0);
            next();
        } else if (c == '{') {
            writeBinary();
        } else if (c == '<') {
            writeTag(ValueTag::Collection);
            next();
            while (!isSymbol('>')) {
                if (!isKeyword("item")) fail("\"item\" or '>'");
                next();
                if (isSymbol('[')) {
                    next();
                    int64_t index = parseInteger();
                    if (index < INT32_MIN || index > INT32_MAX) fail("a 32-bit item index");
                    writeInteger(index);
                    expectSymbol(']');
                }
                writeTag(ValueTag::List);
                while (!isKeyword("end")) convertProperty(level + 1);
                m_out.push_back(0);
                next();
            }
            m_out.push_back(0);
            next();
        } else {
            fail("a value");
        }
    }

    void writeFloat() {
        std::string text = m_tokText;
        char suffix = m_suffix;
        if (suffix == 'c') {
            writeCurrency(text);
            next();
            return;
        }
        if (suffix == 's') {
            float f;
            if (!parseFloat(text, f)) fail("a number");
            writeTag(ValueTag::Single);
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            base::appendLE32(m_out, bits);
        } else if (suffix == 'd') {
            double d;
            if (!parseDouble(text, d)) fail("a number");
            writeTag(ValueTag::Date);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            base::appendLE64(m_out, bits);
        } else {
            long double v;
            if (!parseLongDouble(text, v)) fail("a number");
            writeTag(ValueTag::Extended);
            Extended80 e = longDoubleToExtended(v);
            m_out.append(reinterpret_cast<const char*>(e.data()), e.size());
        }
        next();
    }

    // Exact decimal with up to four fraction digits.
    void writeCurrency(const std::string& text) {
        size_t i = 0;
        bool negative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
        uint64_t whole = 0;
        size_t digits = 0;
        while (i < text.size() && digit(text[i])) {
            if (whole > (UINT64_MAX - 9) / 10) fail("a currency amount in range");
            whole = whole * 10 + static_cast<uint64_t>(text[i++] - '0');
            ++digits;
        }
        uint64_t frac = 0;
        int fracDigits = 0;
        if (i < text.size() && text[i] == '.') {
            ++i;
            while (i < text.size() && digit(text[i])) {
                if (fracDigits == 4) fail("at most four decimals in a currency amount");
                frac = frac * 10 + static_cast<uint64_t>(text[i++] - '0');
                ++fracDigits;
            }
        }
        if (i != text.size() || digits == 0) fail("a currency amount such as 12.5c");
        while (fracDigits++ < 4) frac *= 10;
        // The negative range reaches one unit further than the positive one.
        const uint64_t limit = static_cast<uint64_t>(INT64_MAX) + (negative ? 1 : 0);
        if (whole > limit / 10000) fail("a currency amount in range");
        uint64_t mag = whole * 10000 + frac;
        if (mag > limit) fail("a currency amount in range");
        int64_t v = negative ? static_cast<int64_t>(0 - mag) : static_cast<int64_t>(mag);
        writeTag(ValueTag::Currency);
        base::appendLE64(m_out, static_cast<uint64_t>(v));
    }

    // Raw bits of a float that has no decimal form: 8 digits a Single, 16 a Date, 20 an
    // Extended, most significant byte first.
    void writeHexExtended() {
        size_t n = m_tokText.size() / 2;
        if (m_tokText.size() % 2 != 0 || (n != 4 && n != 8 && n != 10)) {
            fail("8, 16 or 20 hexadecimal digits of a Single, Date or Extended");
        }
        writeTag(n == 4 ? ValueTag::Single : n == 8 ? ValueTag::Date : ValueTag::Extended);
        std::string bytes(n, '\0');
        for (size_t i = 0; i < n; ++i) {
            bytes[n - 1 - i] = static_cast<char>(std::stoul(m_tokText.substr(2 * i, 2), nullptr, 16));
        }
        m_out += bytes;
        next();
    }

    void writeBinary() {
        // The tokenizer is bypassed: hex digits run across lines up to '}'.
        std::string data;
        int nibble = -1;
        while (true) {
            if (m_pos >= m_text.size()) {
                m_tok = Tok::End;
                fail("'}' closing the binary data");
            }
            char c = m_text[m_pos++];
            if (c == '}') break;
            if (c == '\n') {
                ++m_line;
                continue;
            }
            if (static_cast<unsigned char>(c) <= ' ') continue;
            int v = std::isxdigit(static_cast<unsigned char>(c))
                        ? (digit(c) ? c - '0' : (c | 0x20) - 'a' + 10)
                        : -1;
            if (v < 0) {
                m_tokLine = m_line;
                m_tokText = std::string(1, c);
                m_tok = Tok::Symbol;
                fail("hexadecimal digits");
            }
            if (nibble < 0) {
                nibble = v;
            } else {
                data.push_back(static_cast<char>(nibble * 16 + v));
                nibble = -1;
            }
        }
        if (nibble >= 0) {
            m_tokLine = m_line;
            fail("an even number of hexadecimal digits", "'}'");
        }
        writeTag(ValueTag::Binary);
        base::appendLE32(m_out, static_cast<uint32_t>(data.size()));
        m_out += data;
        next();
    }

    // Whether every character has a byte in the code page, so an ANSI string holds it.
    bool fitsCodePage() const {
        const base::CodePage& cp = base::CodePage::active();
        for (char16_t c : m_str) {
            if (c >= 128 && cp.toUnicode(cp.fromUnicode(c, 0)) != c) return false;
        }
        return true;
    }

    // An ANSI string when the code page holds the text and no #n above 127 asks for a
    // wide one; otherwise a wide string, so no character is ever replaced.
    void writeString() {
        if (m_strWide || !fitsCodePage()) {
            std::string utf8;
            for (size_t i = 0; i < m_str.size(); ++i) {
                char32_t c = m_str[i];
                if (c >= 0xD800 && c < 0xDC00 && i + 1 < m_str.size() && m_str[i + 1] >= 0xDC00 &&
                    m_str[i + 1] < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (m_str[i + 1] - 0xDC00);
                    ++i;
                } else if (c >= 0xD800 && c < 0xE000) {
                    c = 0xFFFD;  // a lone surrogate has no UTF-8 form
                }
                base::appendUtf8(utf8, c);
            }
            writeTag(ValueTag::UTF8String);
            base::appendLE32(m_out, static_cast<uint32_t>(utf8.size()));
            m_out += utf8;
            return;
        }
        const base::CodePage& cp = base::CodePage::active();
        std::string ansi;
        ansi.reserve(m_str.size());
        for (char16_t c : m_str) ansi.push_back(static_cast<char>(c < 128 ? c : cp.fromUnicode(c, 0)));
        if (ansi.size() <= 255) {
            writeTag(ValueTag::String);
            m_out.push_back(static_cast<char>(ansi.size()));
        } else {
            writeTag(ValueTag::LString);
            base::appendLE32(m_out, static_cast<uint32_t>(ansi.size()));
        }
        m_out += ansi;
    }

    std::string_view m_text;
    size_t m_pos = 0;
    int m_line = 1;
    Tok m_tok = Tok::End;
    std::string m_tokText;
    bool m_tokQuoted = false;  // an identifier written as "&'...'": never a keyword
    bool m_ansiText = false;   // the text is in the ANSI code page, not UTF-8
    int m_tokLine = 1;
    char m_suffix = 0;
    std::u16string m_str;
    bool m_strWide = false;
    std::string m_out;
};

}  // namespace

std::string binaryToText(std::string_view bytes, size_t offset, size_t* consumed) {
    if (offset > bytes.size()) offset = bytes.size();
    return BinaryToText(bytes, offset).run(consumed);
}

std::string textToBinary(std::string_view text) { return TextToBinary(text).run(); }

}  // namespace classes
