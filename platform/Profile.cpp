#include "platform/Profile.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "base/AnsiText.h"

namespace platform {
namespace {

std::string unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return std::string(v.substr(1, v.size() - 2));
    }
    return std::string(v);
}

}  // namespace

ProfileFile ProfileFile::load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

ProfileFile ProfileFile::parse(std::string_view text) {
    ProfileFile profile;
    Section* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = base::trimText(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            std::string_view name =
                line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            profile.m_sections.push_back({std::string(base::trimText(name)), {}});
            current = &profile.m_sections.back();
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos) continue;
        current->entries.push_back(
            {std::string(base::trimText(line.substr(0, eq))), unquote(base::trimText(line.substr(eq + 1)))});
    }
    return profile;
}

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const {
    for (const Section& s : m_sections) {
        if (!base::ansiSameText(s.name, section)) continue;
        for (const Entry& e : s.entries) {
            if (base::ansiSameText(e.key, key)) return e.value;
        }
        return std::nullopt;  // only the first section of a name counts
    }
    return std::nullopt;
}

std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue, size_t bufferSize) {
    if (bufferSize == 0) return {};
    auto v = ProfileFile::load(file).value(section, key);
    std::string out = v ? *v : std::string(base::trimText(defaultValue));
    if (out.size() > bufferSize - 1) out.resize(bufferSize - 1);
    return out;
}

int readProfileInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   int defaultValue) {
    auto v = ProfileFile::load(file).value(section, key);
    if (!v) return defaultValue;
    std::string_view s = *v;
    bool negative = false;
    if (!s.empty() && s.front() == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    unsigned base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    uint32_t n = 0;  // wraps like the 32-bit original
    for (char c : s) {
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
                        ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                        : -1;
        if (digit < 0) break;
        n = n * base + static_cast<uint32_t>(digit);
    }
    if (negative) n = 0u - n;
    return static_cast<int>(n);
}

}  // namespace platform
