#include "base/AnsiText.h"

#include "base/CodePage.h"

namespace base {

std::string ansiUpper(std::string_view s) {
    const CodePage& cp = CodePage::active();
    std::string out(s);
    for (char& c : out) c = static_cast<char>(cp.upper(static_cast<unsigned char>(c)));
    return out;
}

std::string ansiLower(std::string_view s) {
    const CodePage& cp = CodePage::active();
    std::string out(s);
    for (char& c : out) c = static_cast<char>(cp.lower(static_cast<unsigned char>(c)));
    return out;
}

bool ansiSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const CodePage& cp = CodePage::active();
    for (size_t i = 0; i < a.size(); ++i) {
        if (cp.upper(static_cast<unsigned char>(a[i])) != cp.upper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool ansiStartsWithText(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && ansiSameText(s.substr(0, prefix.size()), prefix);
}

std::string replaceAllText(std::string_view text, std::string_view search, std::string_view replacement) {
    if (search.empty()) return std::string(text);
    // Comparing upper-cased copies keeps the scan a plain find; the output is built from
    // the original text so untouched characters keep their case.
    const std::string upperText = ansiUpper(text);
    const std::string upperSearch = ansiUpper(search);
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (true) {
        size_t hit = upperText.find(upperSearch, pos);
        if (hit == std::string::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(replacement);
        pos = hit + search.size();
    }
    out.append(text.substr(pos));
    return out;
}

bool asciiSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string asciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return out;
}

std::string_view trimText(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

}  // namespace base
