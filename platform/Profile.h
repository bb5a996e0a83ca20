// Reading Windows profile (INI) files with the semantics of the profile functions:
// section and key names match case-insensitively, values are trimmed and lose one pair
// of surrounding quotes, and results are cut to the caller's buffer size. A missing or
// unreadable file reads as empty. Texts are bytes in the ANSI code page.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class ProfileFile {
public:
    static ProfileFile load(const std::filesystem::path& file);
    static ProfileFile parse(std::string_view text);

    // The value of the first matching key in the first matching section, trimmed and
    // unquoted; nullopt when the section or key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Section> m_sections;
};

// GetPrivateProfileString: at most bufferSize - 1 characters of the value, or of the
// default when the key is absent.
std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue, size_t bufferSize);

// GetPrivateProfileInt: the default when the key is absent, otherwise the leading
// decimal (or 0x hexadecimal) number of the value, 0 when there is none.
int readProfileInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   int defaultValue);

}  // namespace platform
