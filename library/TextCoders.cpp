#include "library/TextCoders.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "base/AnsiText.h"
#include "platform/LargeBuffer.h"

namespace library {
namespace {

const char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// One or two characters read as a hexadecimal number; 0 when they are not one.
unsigned char hexByte(std::string_view digits) {
    if (digits.empty()) return 0;
    int value = 0;
    for (char c : digits) {
        int v = hexValue(c);
        if (v < 0) return 0;
        value = value * 16 + v;
    }
    return static_cast<unsigned char>(value);
}

// HTML 4 names of the Latin-1 characters 160 to 255, in code order.
const char* const kLatin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct EntityPair {
    std::string name;  // "&amp;"
    int code;
};

// The Latin entity table. The apostrophe encodes as "&#39;": the named "&prime;" is another
// character (U+2032); "&prime;" still decodes to the apostrophe, as texts encoded by earlier
// versions carry it.
struct LatinTables {
    std::array<std::string, 256> encoded;  // empty: copied as it is
    std::vector<EntityPair> named;
    std::unordered_map<std::string_view, int> byName;  // decode look-up, exact names
    size_t longestName = 0;

    LatinTables() {
        named = {{"&quot;", 34}, {"&amp;", 38}, {"&prime;", 39}, {"&lt;", 60}, {"&gt;", 62}};
        for (int c = 160; c <= 255; ++c) named.push_back({std::string("&") + kLatin1Names[c - 160] + ";", c});
        for (const auto& e : named) {
            if (e.code != 39) encoded[static_cast<size_t>(e.code)] = e.name;
            longestName = std::max(longestName, e.name.size());
        }
        encoded[39] = "&#39;";
        for (const auto& e : named) byName.emplace(e.name, e.code);
    }
    int find(std::string_view name) const {
        auto it = byName.find(name);
        return it == byName.end() ? -1 : it->second;
    }
};

const LatinTables& latinTables() {
    static const LatinTables tables;
    return tables;
}

// The HTML escape table. 150 is the en dash, 173 the soft hyphen, 176 the degree sign and 186
// the masculine ordinal; the bar stays a bar ("&brvbar;" is the broken bar, another glyph).
const std::array<const char*, 256>& htmlTable() {
    static const std::array<const char*, 256> table = [] {
        std::array<const char*, 256> t{};
        const std::pair<int, const char*> fixed[] = {
            {38, "&amp;"},     {60, "&lt;"},      {62, "&gt;"},      {32, "&nbsp;"},    {169, "&copy;"},
            {174, "&reg;"},    {153, "&#153;"},   {171, "&laquo;"},  {187, "&raquo;"},  {161, "&iexcl;"},
            {191, "&iquest;"}, {167, "&sect;"},   {182, "&para;"},   {181, "&micro;"},  {177, "&plusmn;"},
            {173, "&shy;"},    {168, "&uml;"},    {184, "&cedil;"},  {170, "&ordf;"},   {176, "&deg;"},
            {172, "&not;"},    {150, "&ndash;"},  {175, "&macr;"},   {186, "&ordm;"},   {185, "&sup1;"},
            {178, "&sup2;"},   {179, "&sup3;"},   {188, "&frac14;"}, {189, "&frac12;"}, {190, "&frac34;"},
            {215, "&times;"},  {247, "&divide;"}, {162, "&cent;"},   {163, "&pound;"},  {164, "&curren;"},
            {165, "&yen;"},    {128, "&euro;"},   {147, "&ldquo;"},  {34, "&quot;"},    {148, "&rdquo;"},
        };
        for (const auto& [code, text] : fixed) t[static_cast<size_t>(code)] = text;
        static std::array<std::string, 64> letters;
        for (int c = 192; c <= 255; ++c) {
            if (c == 215 || c == 247) continue;
            letters[static_cast<size_t>(c - 192)] = std::string("&") + kLatin1Names[c - 160] + ";";
            t[static_cast<size_t>(c)] = letters[static_cast<size_t>(c - 192)].c_str();
        }
        return t;
    }();
    return table;
}

// A numeric reference's digits ("65", "x41") as a character code: 32 when they cannot be
// read; -1 when they name no character of the code table (negative, above 255, overflowing).
int numericReference(std::string_view digits) {
    if (digits.empty()) return 32;
    int base = 10;
    bool negative = false;
    if (digits[0] == 'x' || digits[0] == 'X') {
        base = 16;
        digits.remove_prefix(1);
    } else if (digits[0] == '-' || digits[0] == '+') {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) return 32;
    bool overflow = false;
    int64_t value = 0;
    for (char c : digits) {
        int v = base == 16 ? hexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (v < 0) return 32;
        if (!overflow) {
            value = value * base + v;
            overflow = value > INT32_MAX;
        }
    }
    if (overflow || negative || value > 255) return -1;
    return static_cast<int>(value);
}

// The character a decoded reference produces: controls and the no-break space give a space.
char decodedChar(int code) {
    if (code < 0) return '?';
    if (code < 32 || code == 160) return ' ';
    return static_cast<char>(code);
}

}  // namespace

// ---- Coder family ----

TCustomCoder::TCustomCoder(int32_t type, std::string alphabet)
    : m_type(type), m_alphabet(std::move(alphabet)) {
    m_reverse.fill(255);
    for (size_t i = 0; i < m_alphabet.size(); ++i)
        m_reverse[static_cast<unsigned char>(m_alphabet[i])] = static_cast<uint8_t>(i);
}

TDefaultCoder::TDefaultCoder(int32_t type) : TCustomCoder(type, {}) {
    for (int b = 0; b < 256; ++b) m_reverse[static_cast<size_t>(b)] = static_cast<uint8_t>(b);
}

std::string ThexCoder::encode(std::string_view decoded) const {
    std::string out;
    out.reserve(decoded.size() * 2 + (decoded.size() / 16 + 1) * 2);
    for (size_t i = 0; i < decoded.size(); ++i) {
        auto b = static_cast<unsigned char>(decoded[i]);
        out.push_back(kHexDigits[b >> 4]);
        out.push_back(kHexDigits[b & 15]);
        if (i % 16 == 15 || i + 1 == decoded.size()) out += "\r\n";
    }
    return out;
}

std::string ThexCoder::decode(std::string_view encoded) const {
    std::string out;
    out.reserve(encoded.size() / 2);
    size_t pos = 0;
    while (pos < encoded.size()) {
        size_t end = encoded.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = encoded.size();
        std::string_view line = base::trimText(encoded.substr(pos, end - pos));
        for (size_t i = 0; i < line.size(); i += 2)
            out.push_back(static_cast<char>(hexByte(line.substr(i, 2))));
        pos = end + 1;
    }
    return out;
}

std::string TQuotedPrintableCoder::encode(std::string_view decoded) const {
    std::string out;
    out.reserve(decoded.size() + decoded.size() / 2);
    for (char c : decoded) {
        auto b = static_cast<unsigned char>(c);
        if ((b >= 33 && b <= 60) || (b >= 62 && b <= 162)) {
            out.push_back(c);
        } else {
            out.push_back('=');
            out.push_back(kHexDigits[b >> 4]);
            out.push_back(kHexDigits[b & 15]);
        }
    }
    return out;
}

std::string TQuotedPrintableCoder::decode(std::string_view encoded) const {
    std::string out;
    out.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '=') {
            out.push_back(encoded[i]);
            continue;
        }
        // At the end of the text the escape takes what is left: one digit or none.
        out.push_back(static_cast<char>(hexByte(encoded.substr(i + 1, 2))));
        i += std::min<size_t>(2, encoded.size() - i - 1);
    }
    return out;
}

std::string TLatinCoder::encode(std::string_view decoded) const {
    const auto& table = latinTables().encoded;
    std::string out;
    out.reserve(decoded.size());
    for (char c : decoded) {
        const std::string& entity = table[static_cast<unsigned char>(c)];
        if (entity.empty())
            out.push_back(c);
        else
            out += entity;
    }
    return out;
}

// One left-to-right pass that behaves as repeated decoding: a reference that decodes to "&"
// leaves that "&" in the text, where it may start the next reference, and an unknown named
// reference is skipped for good. A decoded "&" is written over the last character of its own
// reference, so the scan simply resumes there.
std::string TLatinCoder::decode(std::string_view encoded) const {
    const LatinTables& tables = latinTables();
    std::string text(encoded);
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    size_t terminator = 0;  // the first ';' or ' ' after pos, found lazily
    while (pos < text.size()) {
        size_t amp = text.find('&', pos);
        if (amp == std::string::npos) {
            out.append(text, pos, std::string::npos);
            break;
        }
        out.append(text, pos, amp - pos);
        if (terminator <= amp) {
            terminator = text.find_first_of("; ", amp + 1);
            if (terminator == std::string::npos) terminator = text.size();
        }
        size_t last = terminator < text.size() ? terminator : text.size() - 1;  // inclusive end
        std::string_view candidate(text.data() + amp, last - amp + 1);
        std::string_view body = candidate;
        if (terminator < text.size()) body.remove_suffix(1);
        int code;
        if (body.size() >= 2 && body[1] == '#') {
            code = numericReference(body.substr(2));
        } else {
            body = base::trimText(body);
            code = body.size() + 1 <= tables.longestName ? tables.find(std::string(body) + ";") : -2;
            if (code == -1) code = -2;
        }
        if (code == -2 || candidate.size() < 2) {
            out.push_back('&');  // unknown: left as it is, never examined again
            pos = amp + 1;
            continue;
        }
        char c = decodedChar(code);
        if (c == '&') {
            text[last] = '&';
            pos = last;
        } else {
            out.push_back(c);
            pos = last + 1;
        }
    }
    return out;
}

TBase64Coder::TBase64Coder()
    : TBase64Coder(ctBase64, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", '=') {}

TBase64Coder::TBase64Coder(int32_t type, std::string alphabet, char pad)
    : TCustomCoder(type, std::move(alphabet)), m_pad(pad) {}

TUUeCoder::TUUeCoder()
    : TBase64Coder(ctUUE, "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_", '~') {}

TXXCoder::TXXCoder()
    : TBase64Coder(ctXX, "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", '~') {}

// Both directions work through a small buffer that is appended to a reserved result: the
// result is written once (no zero fill first), and large results get huge pages.
namespace {
constexpr size_t kChunkGroups = 4096;
}  // namespace

std::string TBase64Coder::encode(std::string_view decoded) const {
    const char* alpha = alphabet().data();
    const auto* in = reinterpret_cast<const unsigned char*>(decoded.data());
    const size_t n = decoded.size();
    std::string out;
    platform::reserveLargeString(out, (n + 2) / 3 * 4);
    char buf[kChunkGroups * 4];
    size_t i = 0;
    while (n - i >= 3) {
        const size_t end = i + std::min((n - i) / 3, kChunkGroups) * 3;
        char* o = buf;
        for (; i < end; i += 3, o += 4) {
            uint32_t v = (uint32_t(in[i]) << 16) | (uint32_t(in[i + 1]) << 8) | in[i + 2];
            o[0] = alpha[v >> 18];
            o[1] = alpha[(v >> 12) & 63];
            o[2] = alpha[(v >> 6) & 63];
            o[3] = alpha[v & 63];
        }
        out.append(buf, static_cast<size_t>(o - buf));
    }
    if (i < n) {
        uint32_t a = in[i];
        uint32_t b = i + 1 < n ? in[i + 1] : 0;
        const char tail[4] = {alpha[a >> 2], alpha[((a & 3) << 4) | (b >> 4)],
                              i + 1 < n ? alpha[(b & 15) << 2] : m_pad, m_pad};
        out.append(tail, 4);
    }
    return out;
}

std::string TBase64Coder::decode(std::string_view encoded) const {
    // Index per byte, with bit 8 marking the pad, so one OR over a group finds a pad.
    uint16_t codes[256];
    for (int b = 0; b < 256; ++b) codes[b] = m_reverse[static_cast<size_t>(b)];
    codes[static_cast<unsigned char>(m_pad)] = 0x100;

    const auto* in = reinterpret_cast<const unsigned char*>(encoded.data());
    const size_t n = encoded.size();
    std::string out;
    platform::reserveLargeString(out, (n + 3) / 4 * 3);
    unsigned char buf[kChunkGroups * 3];
    unsigned char* o = buf;
    auto flush = [&] {
        out.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(o - buf));
        o = buf;
    };
    // The bytes of one group; `chars` is the number of characters before the pad.
    auto group = [&o](const uint32_t* c, int chars) {
        // Fewer than two characters carry no whole byte.
        int count = chars < 2 ? 0 : chars - 1;
        unsigned char bytes[3] = {static_cast<unsigned char>((c[0] << 2) | ((c[1] & 0xFF) >> 4)),
                                  static_cast<unsigned char>((c[1] << 4) | ((c[2] & 0xFF) >> 2)),
                                  static_cast<unsigned char>((c[2] << 6) | (c[3] & 0xFF))};
        for (int k = 0; k < count; ++k) {
            if (bytes[k] == 0) break;  // the group ends at its first zero byte
            *o++ = bytes[k];
        }
    };
    auto charsBeforePad = [](const uint32_t* c) {
        int chars = 0;
        while (chars < 4 && !(c[chars] & 0x100)) ++chars;
        return chars;
    };
    size_t i = 0;
    while (n - i >= 4) {
        const size_t end = i + std::min((n - i) / 4, kChunkGroups) * 4;
        for (; i < end; i += 4) {
            uint32_t c[4] = {codes[in[i]], codes[in[i + 1]], codes[in[i + 2]], codes[in[i + 3]]};
            if (!((c[0] | c[1] | c[2] | c[3]) & 0x100)) {
                uint32_t v =
                    ((c[0] & 0xFF) << 18) | ((c[1] & 0xFF) << 12) | ((c[2] & 0xFF) << 6) | (c[3] & 0xFF);
                auto a = static_cast<unsigned char>(v >> 16);
                auto b = static_cast<unsigned char>(v >> 8);
                auto d = static_cast<unsigned char>(v);
                if (a && b && d) {
                    o[0] = a;
                    o[1] = b;
                    o[2] = d;
                    o += 3;
                    continue;
                }
            }
            group(c, charsBeforePad(c));
        }
        flush();
    }
    if (i < n) {
        // A short last group is padded, as if the text had been filled up to a multiple of 4.
        uint32_t c[4] = {0x100, 0x100, 0x100, 0x100};
        for (size_t k = 0; i + k < n; ++k) c[k] = codes[in[i + k]];
        group(c, charsBeforePad(c));
        flush();
    }
    return out;
}

TMainCoder::TMainCoder(int32_t type) {
    switch (type) {
    case ctHex: m_coder = std::make_unique<ThexCoder>(); break;
    case ctPrintable: m_coder = std::make_unique<TQuotedPrintableCoder>(); break;
    case ctLatin: m_coder = std::make_unique<TLatinCoder>(); break;
    case ctBase64: m_coder = std::make_unique<TBase64Coder>(); break;
    case ctUUE: m_coder = std::make_unique<TUUeCoder>(); break;
    case ctXX: m_coder = std::make_unique<TXXCoder>(); break;
    default: m_coder = std::make_unique<TDefaultCoder>(); break;
    }
}

TMainCoder::~TMainCoder() = default;

std::string EncodeStr(int32_t type, std::string_view text) { return TMainCoder(type).encode(text); }

std::string DecodeStr(int32_t type, std::string_view text) { return TMainCoder(type).decode(text); }

std::string StringToHTML(std::string_view text) {
    const auto& table = htmlTable();
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (const char* escape = table[static_cast<unsigned char>(c)])
            out += escape;
        else
            out.push_back(c);
    }
    return out;
}

}  // namespace library
