// Code page tables are built once from glibc's iconv, which knows every Windows
// single-byte code page; case tables come from a small Unicode case mapping.
#include "base/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>

namespace base {
namespace {

constexpr int kDefaultCodePage = 1252;

// 437 is the OEM code page ZIP archives store their names in.
bool isSupported(int number) { return number == 437 || number == 874 || (number >= 1250 && number <= 1258); }

// Fills `table` with the code point of each byte; false when iconv lacks the code page.
bool loadTable(int number, std::array<char32_t, 256>& table) {
    std::string name = "CP" + std::to_string(number);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        unsigned char out[4] = {0, 0, 0, 0};
        char* inp = &in;
        char* outp = reinterpret_cast<char*>(out);
        size_t inLeft = 1;
        size_t outLeft = 4;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) {
            // Unassigned bytes behave as Windows does: they map to the C1 control of the same value.
            table[b] = static_cast<char32_t>(b);
        } else {
            table[b] = static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24));
        }
    }
    iconv_close(cd);
    return true;
}

std::unique_ptr<CodePage>& activeSlot() {
    static std::unique_ptr<CodePage> slot;
    return slot;
}

}  // namespace

CodePage::CodePage(int number) : m_number(isSupported(number) ? number : kDefaultCodePage) {
    if (!loadTable(m_number, m_toUnicode)) {
        m_number = kDefaultCodePage;
        if (!loadTable(m_number, m_toUnicode)) {
            for (int b = 0; b < 256; ++b) m_toUnicode[b] = static_cast<char32_t>(b);
        }
    }
    for (int b = 0; b < 256; ++b) {
        auto c = static_cast<unsigned char>(b);
        m_upper[b] = fromUnicode(unicodeUpper(m_toUnicode[b]), c);
        m_lower[b] = fromUnicode(unicodeLower(m_toUnicode[b]), c);
    }
}

const CodePage& CodePage::active() {
    auto& slot = activeSlot();
    if (!slot) slot = std::make_unique<CodePage>(kDefaultCodePage);
    return *slot;
}

void CodePage::setActive(int number) { activeSlot() = std::make_unique<CodePage>(number); }

int CodePage::forLocale(std::string_view locale) {
    std::string lang;
    for (char c : locale) {
        if (!std::isalpha(static_cast<unsigned char>(c))) break;
        lang.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    static const struct {
        const char* lang;
        int codePage;
    } kTable[] = {
        {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"sr", 1251}, {"mk", 1251}, {"pl", 1250},
        {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250}, {"bs", 1250},
        {"sq", 1250}, {"el", 1253}, {"tr", 1254}, {"he", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256},
        {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258}, {"th", 874},
    };
    for (const auto& entry : kTable) {
        if (lang == entry.lang) return entry.codePage;
    }
    return kDefaultCodePage;
}

unsigned char CodePage::fromUnicode(char32_t cp, unsigned char replacement) const {
    if (cp < 0x80 && m_toUnicode[cp] == cp) return static_cast<unsigned char>(cp);
    for (int b = 0x80; b < 256; ++b) {
        if (m_toUnicode[b] == cp) return static_cast<unsigned char>(b);
    }
    return replacement;
}

std::string CodePage::toUtf8(std::string_view ansi) const {
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) appendUtf8(out, m_toUnicode[static_cast<unsigned char>(c)]);
    return out;
}

std::string CodePage::fromUtf8(std::string_view utf8, unsigned char replacement) const {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[pos]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++pos;
            continue;
        }
        out.push_back(static_cast<char>(fromUnicode(decodeUtf8(utf8, pos), replacement)));
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char32_t decodeUtf8(std::string_view s, size_t& pos) {
    auto lead = static_cast<unsigned char>(s[pos++]);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4) return U'\uFFFD';
    char32_t cp = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if (pos >= s.size() || (static_cast<unsigned char>(s[pos]) & 0xC0) != 0x80) return U'\uFFFD';
        cp = (cp << 6) | (static_cast<unsigned char>(s[pos++]) & 0x3F);
    }
    return cp;
}

size_t firstInvalidUtf8(std::string_view s) {
    size_t pos = 0;
    while (pos < s.size()) {
        const auto lead = static_cast<unsigned char>(s[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
        if (extra < 0 || lead > 0xF4 || s.size() - pos <= static_cast<size_t>(extra)) return pos;
        char32_t cp = lead & (0x3F >> extra);
        for (int i = 1; i <= extra; ++i) {
            const auto b = static_cast<unsigned char>(s[pos + static_cast<size_t>(i)]);
            if ((b & 0xC0) != 0x80) return pos;
            cp = (cp << 6) | (b & 0x3F);
        }
        const char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return pos;
        pos += static_cast<size_t>(extra) + 1;
    }
    return std::string_view::npos;
}

char32_t unicodeUpper(char32_t cp) {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp < 0x80) return cp;
    if ((cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 32;
    if (cp == 0xFF) return 0x178;
    if (cp == 0xB5) return 0x39C;
    if (cp == 0x131) return 'I';
    // Latin Extended-A: pairs with the capital on the even (or odd) code point.
    if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177)) return cp & ~1u;
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) return (cp & 1u) ? cp : cp - 1;
    if (cp == 0x192) return 0x191;
    if (cp >= 0x3B1 && cp <= 0x3CB && cp != 0x3C2) return cp - 32;
    if (cp == 0x3C2) return 0x3A3;
    if (cp == 0x3AC) return 0x386;
    if (cp >= 0x3AD && cp <= 0x3AF) return cp - 37;
    if (cp == 0x3CC) return 0x38C;
    if (cp == 0x3CD || cp == 0x3CE) return cp - 63;
    if (cp >= 0x430 && cp <= 0x44F) return cp - 32;
    if (cp >= 0x450 && cp <= 0x45F) return cp - 80;
    if (cp >= 0x490 && cp <= 0x4BF) return cp & ~1u;
    return cp;
}

char32_t unicodeLower(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if (cp < 0x80) return cp;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
    if (cp == 0x178) return 0xFF;
    if (cp == 0x130) return 'i';
    if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177)) return cp | 1u;
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) return (cp & 1u) ? cp + 1 : cp;
    if (cp == 0x191) return 0x192;
    if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) return cp + 32;
    if (cp == 0x386) return 0x3AC;
    if (cp >= 0x388 && cp <= 0x38A) return cp + 37;
    if (cp == 0x38C) return 0x3CC;
    if (cp == 0x38E || cp == 0x38F) return cp + 63;
    if (cp >= 0x410 && cp <= 0x42F) return cp + 32;
    if (cp >= 0x400 && cp <= 0x40F) return cp + 80;
    if (cp >= 0x490 && cp <= 0x4BF) return cp | 1u;
    return cp;
}

}  // namespace base
