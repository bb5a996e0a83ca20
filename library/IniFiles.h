// The INI-file routines of the script library as plain functions over the profile engine.
// A file name with no folder names a file in the Windows folder (C:\WINDOWS) and an empty
// name means "win.ini" there; other names are Windows paths. Reads of a missing file give
// the defaults; the first write creates the file but not its folder. None expands
// placeholders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace classes {
class Variant;
}

namespace library {

// Where a script's INI file name points.
std::filesystem::path iniFilePath(const std::string& fileName);

// The key's text, at most 1023 characters, or Default (without trailing blanks) when the
// key is missing.
std::string getIniString(const std::string& section, const std::string& key, const std::string& defaultValue,
                         const std::string& fileName);
// The key's decimal integer when it is one and, unless min = max, within min..max;
// otherwise the default.
int32_t getIniInt(const std::string& section, const std::string& key, int32_t defaultValue, int32_t min,
                  int32_t max, const std::string& fileName);
// getIniInt with default 0 or 1 and no range; True when not 0.
bool getIniBool(const std::string& section, const std::string& key, bool defaultValue,
                const std::string& fileName);
// Whether the section has the key, also when its value is empty.
bool iniKeyExists(const std::string& section, const std::string& key, const std::string& fileName);
// True when the section has no keys (or does not exist).
bool isIniSectionEmpty(const std::string& section, const std::string& fileName);

bool setIniString(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& fileName);
bool setIniInt(const std::string& section, const std::string& key, int32_t value,
               const std::string& fileName);
bool setIniBool(const std::string& section, const std::string& key, bool value, const std::string& fileName);
void deleteIniEntry(const std::string& section, const std::string& key, const std::string& fileName);
void deleteIniSection(const std::string& section, const std::string& fileName);

// Writes the variant as text: integers in decimal (as a 32-bit Longint), reals in the
// script's float-to-text form, currency in its text form, dates as the date part in the
// short date format (the time is not written), booleans as "1" or "0", strings as they
// are; other types write nothing.
void writeToIni(const std::string& fileName, const std::string& section, const std::string& key,
                const classes::Variant& value);

// A currency amount (times 10000) as text: "12.34", "-0.0005", "7".
std::string currencyText(int64_t scaled);

}  // namespace library
