// Windows language identifiers and English language names for POSIX locales, from a table
// of our own ("de_DE.UTF-8" is 0x0407, "German (Germany)"). No Qt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The identifier for a locale name ("fr_CA", "fr_CA.UTF-8@euro", "fr"); a language whose
// territory the table lacks gets the language's main identifier. "C", "POSIX" and an empty
// name are US English; a language not in the table is 0.
uint16_t languageIdOf(std::string_view locale);

// "English (United States)" for 0x0409; empty for an identifier not in the table.
std::string languageNameOf(uint16_t languageId);

// The user's interface language: LC_ALL, else LC_MESSAGES, else LANG.
std::string userInterfaceLocale();

// The system's default locale: LANG in /etc/default/locale or /etc/locale.conf, else the
// process's LANG. `root` is a test hook prefixed to those file names.
std::string systemLocale(const std::string& root = "");

}  // namespace platform
