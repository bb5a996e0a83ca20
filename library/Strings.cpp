#include "library/Strings.h"

#include <cstdio>
#include <limits>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/Error.h"
#include "library/Dates.h"
#include "platform/RegionalSettings.h"
#include "script/SystemUnit.h"

namespace library {
namespace {

constexpr uint32_t kMaxStringLength = 1u << 30;

// Steps over one character of the regional code page: two bytes for a lead byte with its
// trail byte, else one.
class CharStepper {
public:
    CharStepper() : m_codePage(platform::regionalSettings().codePage) {}
    size_t next(std::string_view s, size_t i) const {
        return platform::isLeadByte(m_codePage, static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? i + 2
                                                                                                      : i + 1;
    }

private:
    int m_codePage;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte of "%XY" at `i`, or -1 when two hexadecimal digits do not follow.
int percentEscape(std::string_view s, size_t i) {
    if (i + 2 >= s.size()) return -1;
    int hi = hexDigit(s[i + 1]);
    int lo = hexDigit(s[i + 2]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

// A decimal number with optional sign, fraction (regional separator) and exponent.
bool parseDecimal(std::string_view s, double& value) {
    s = base::trimText(s);
    if (s.empty()) return false;
    std::string c(s);
    const char sep = platform::regionalSettings().decimalSeparator;
    size_t i = 0;
    if (c[i] == '+' || c[i] == '-') ++i;
    size_t digits = 0;
    while (i < c.size() && c[i] >= '0' && c[i] <= '9') ++i, ++digits;
    if (i < c.size() && c[i] == sep) {
        c[i++] = '.';
        while (i < c.size() && c[i] >= '0' && c[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < c.size() && (c[i] == 'e' || c[i] == 'E')) {
        size_t e = i + 1;
        if (e < c.size() && (c[e] == '+' || c[e] == '-')) ++e;
        size_t start = e;
        while (e < c.size() && c[e] >= '0' && c[e] <= '9') ++e;
        if (e == start) return false;
        i = e;
    }
    if (i != c.size()) return false;
    value = std::strtod(c.c_str(), nullptr);
    return true;
}

}  // namespace

std::string variantText(const classes::Variant& value) {
    using Type = classes::Variant::Type;
    const platform::RegionalSettings& settings = platform::regionalSettings();
    auto withSeparator = [&settings](std::string text) {
        for (char& c : text)
            if (c == '.') c = settings.decimalSeparator;
        return text;
    };
    switch (value.type()) {
    case Type::Boolean: return BoolToStr(value.asBoolean());
    case Type::Integer:
    case Type::Int64: return std::to_string(value.asInt64());
    case Type::Single:
    case Type::Double:
    case Type::Extended: return withSeparator(script::formatFloat(static_cast<double>(value.asFloat())));
    case Type::Currency: {
        // Four decimals at most, trailing zeros dropped: 1.5000 is "1.5".
        int64_t scaled = value.asInt64();
        uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
        std::string text;
        if (scaled < 0) text.push_back('-');
        text += std::to_string(magnitude / 10000);
        std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
        while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
        if (!fraction.empty()) {
            text.push_back(settings.decimalSeparator);
            text += fraction;
        }
        return text;
    }
    case Type::Date: try { return formatDateTime("c", static_cast<double>(value.asFloat()), settings);
        } catch (const base::Error&) {
            return {};
        }
    case Type::String: return value.asString();
    case Type::WString: {
        std::string utf8;
        const std::u16string& w = value.asWideString();
        for (size_t i = 0; i < w.size(); ++i) {
            char32_t cp = w[i];
            if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000)
                cp = 0x10000 + ((cp - 0xD800) << 10) + (w[++i] - 0xDC00);
            base::appendUtf8(utf8, cp);
        }
        return base::CodePage::active().fromUtf8(utf8);
    }
    case Type::Unassigned:
    case Type::Null:
    case Type::Array: return {};
    }
    return {};
}

std::string Format(std::string_view s, std::span<const classes::Variant> args) {
    std::string out(s);
    for (size_t i = 0; i < args.size(); ++i) {
        std::string marker(1, '%');
        marker += std::to_string(i + 1);
        StringChange(out, marker, variantText(args[i]));
    }
    return out;
}

std::string IntToHex(int32_t value, int32_t digits) {
    char buf[48];
    int width = digits < 0 ? 0 : digits > 32 ? 32 : digits;
    std::snprintf(buf, sizeof buf, "%0*X", width, static_cast<unsigned>(value));
    return buf;
}

bool StrToBool(std::string_view s) {
    if (base::asciiSameText(s, "True")) return true;
    if (base::asciiSameText(s, "False")) return false;
    double v = 0;
    return parseDecimal(s, v) && v != 0;
}

std::string BoolToStr(bool b) { return b ? "True" : "False"; }

bool SameText(std::string_view a, std::string_view b) { return base::asciiSameText(a, b); }

void StringChange(std::string& s, std::string_view from, std::string_view to) {
    if (from.empty()) return;
    s = base::replaceAllText(s, from, to);
}

bool AdjustLength(std::string& s, uint32_t length) {
    if (length > kMaxStringLength) return false;
    bool shorter = s.size() > length;
    s.resize(length, '\0');
    return shorter;
}

std::string AddQuotes(std::string_view s) {
    std::string_view t = base::trimText(s);
    bool quoted = t.size() >= 2 && t.front() == '"' && t.back() == '"';
    std::string out;
    if (t.find(' ') == std::string_view::npos || quoted) return out.assign(t);
    out.reserve(t.size() + 2);
    out.push_back('"');
    out.append(t);
    out.push_back('"');
    return out;
}

std::string RemoveQuotes(std::string_view s) {
    size_t b = s.find_first_not_of('"');
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of('"');
    return std::string(s.substr(b, e - b + 1));
}

bool ConvertPercentStr(std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out.push_back(s[i]);
            continue;
        }
        int byte = percentEscape(s, i);
        if (byte < 0) {
            s = out + s.substr(i);
            return false;
        }
        out.push_back(static_cast<char>(byte));
        i += 2;
    }
    s = std::move(out);
    return true;
}

bool ConvertConstPercentStr(std::string& s) {
    const CharStepper step;
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '{') {
            int32_t after = SkipPastConst(s, static_cast<int32_t>(i + 1));
            if (after == 0) {
                s = out + s.substr(i);
                return false;
            }
            out.append(s, i, static_cast<size_t>(after - 1) - i);
            i = static_cast<size_t>(after - 1);
        } else if (s[i] == '%') {
            int byte = percentEscape(s, i);
            if (byte < 0) {
                s = out + s.substr(i);
                return false;
            }
            out.push_back(static_cast<char>(byte));
            i += 3;
        } else {
            size_t next = step.next(s, i);
            out.append(s, i, next - i);
            i = next;
        }
    }
    s = std::move(out);
    return true;
}

int32_t ConstPos(char ch, std::string_view s) {
    const CharStepper step;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ch) return static_cast<int32_t>(i + 1);
        if (s[i] == '{') {
            int32_t after = SkipPastConst(s, static_cast<int32_t>(i + 1));
            if (after == 0) return 0;
            i = static_cast<size_t>(after - 1);
        } else {
            i = step.next(s, i);
        }
    }
    return 0;
}

int32_t SkipPastConst(std::string_view s, int32_t start) {
    if (start < 1 || static_cast<size_t>(start) >= s.size()) return 0;
    const CharStepper step;
    size_t i = static_cast<size_t>(start);  // 0-based index of the character after the "{"
    if (s[i] == '{') return start + 2;
    int level = 1;
    size_t lastOpen = std::string_view::npos;  // the last "{" that raised the level
    while (i < s.size()) {
        if (s[i] == '{') {
            if (lastOpen != std::string_view::npos && lastOpen + 1 == i) {
                --level;  // "{{" inside a constant is an escaped brace
                lastOpen = std::string_view::npos;
            } else {
                ++level;
                lastOpen = i;
            }
        } else if (s[i] == '}') {
            if (level == 1) return static_cast<int32_t>(i + 2);
            --level;
        }
        i = step.next(s, i);
    }
    return 0;
}

bool IsMultiByteString(std::string_view s) {
    const int codePage = platform::regionalSettings().codePage;
    for (char c : s)
        if (platform::isLeadByte(codePage, static_cast<unsigned char>(c))) return true;
    return false;
}

std::string RemoveAccelChar(std::string_view s) {
    const CharStepper step;
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '&') {
            if (++i >= s.size()) break;
        }
        size_t next = step.next(s, i);
        out.append(s.substr(i, next - i));
        i = next;
    }
    return out;
}

std::string AddPeriod(std::string_view s) {
    std::string out(s);
    if (!out.empty() && static_cast<unsigned char>(out.back()) > 46) out.push_back('.');
    return out;
}

bool IsWildcard(std::string_view pattern) { return pattern.find_first_of("*?") != std::string_view::npos; }

// Only the last star is ever revisited: when the rest of the pattern reaches a later star,
// the earlier one is settled, and when a star runs out of positions the match fails. This is
// the specified "no backtracking into earlier stars", in time proportional to text x pattern.
bool WildcardMatch(std::string_view text, std::string_view pattern) {
    text = text.substr(0, text.find('\0'));
    pattern = pattern.substr(0, pattern.find('\0'));
    const CharStepper step;
    constexpr size_t kNone = std::string_view::npos;
    size_t t = 0, p = 0;
    size_t starPattern = kNone, starText = 0;
    while (true) {
        if (p < pattern.size() && pattern[p] == '*') {
            while (p < pattern.size() && pattern[p] == '*') ++p;
            if (p == pattern.size()) return true;
            starPattern = p;
            starText = t;
            continue;
        }
        bool matched = false;
        if (p == pattern.size()) {
            if (t == text.size()) return true;
        } else if (t < text.size()) {
            if (pattern[p] == '?') {
                ++p;
                t = step.next(text, t);
                matched = true;
            } else {
                size_t len = step.next(pattern, p) - p;
                if (text.substr(t, len) == pattern.substr(p, len)) {
                    p += len;
                    t += len;
                    matched = true;
                }
            }
        }
        if (matched) continue;
        if (starPattern == kNone || starText >= text.size()) return false;
        starText = step.next(text, starText);
        t = starText;
        p = starPattern;
    }
}

int32_t IntMax(int32_t a, int32_t b) { return a > b ? a : b; }

}  // namespace library
