// INI (profile) files with the semantics of the Windows profile functions: section and
// key names match case-insensitively and are trimmed, values are trimmed and lose one
// pair of surrounding quotes when read, the first of duplicate sections or keys wins,
// lines starting with ";" are comments and lines without "=" are kept but hold no key.
// A missing or unreadable file reads as empty. Texts are bytes in the ANSI code page.
//
// Writes keep every other line byte for byte: a changed key is rewritten in place, a new
// key goes after the last key of its section and a new section at the end of the file,
// with CR LF line ends. A write replaces the file atomically (a temporary file renamed
// over it) while holding a lock on its folder, so concurrent writers never lose each
// other's changes and a crash never leaves half a file; the folder must exist.
#pragma once

#include <filesystem>
#include <functional>
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
    // The key names of the first matching section, in file order.
    std::vector<std::string> keyNames(std::string_view section) const;
    std::vector<std::string> sectionNames() const;

    // Sets the key, adding it or its section when missing. Names are trimmed; names and
    // value end at a zero byte, as the C strings of the profile functions do. False, and
    // nothing changed, for an empty name, a line break anywhere, a section name holding
    // "]" or a key name holding "=" or starting with "[" or ";".
    bool setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key (each copy of it in the section); true when a line was removed.
    bool removeKey(std::string_view section, std::string_view key);
    // Removes every section of that name with its lines; true when a line was removed.
    bool removeSection(std::string_view section);

    // The file's bytes.
    std::string text() const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string raw;  // without its line end
        std::string eol;  // "\r\n", "\n" or "" for a last line without one
        Kind kind = Kind::Other;
        std::string name;  // section or key name, trimmed
        std::string value;
    };
    static Line parseLine(std::string raw, std::string eol, bool first);
    // Index of the first header of the section, or npos.
    size_t findSection(std::string_view section) const;
    // Index of the line after the section's last line.
    size_t sectionEnd(size_t header) const;

    std::vector<Line> m_lines;
};

// GetPrivateProfileString: at most bufferSize - 1 characters of the value, or of the
// default (without trailing blanks) when the key is absent.
std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue, size_t bufferSize);

// GetPrivateProfileInt: the default when the key is absent, otherwise the leading
// decimal (or 0x hexadecimal) number of the value, 0 when there is none.
int readProfileInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   int defaultValue);

// Loads the file, lets `edit` change it and writes the result back as described above;
// nothing is written when the content stays the same. False when `edit` refuses, the
// file exists but cannot be read, or it cannot be written.
bool editProfile(const std::filesystem::path& file, const std::function<bool(ProfileFile&)>& edit);

// WritePrivateProfileString with a value, without a key (deletes the key), without a
// section (deletes the section).
bool writeProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                        std::string_view value);
bool deleteProfileKey(const std::filesystem::path& file, std::string_view section, std::string_view key);
bool deleteProfileSection(const std::filesystem::path& file, std::string_view section);

}  // namespace platform
