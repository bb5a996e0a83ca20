// The language table: POSIX language and territory codes to Windows identifiers and names.
#include "platform/Language.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/AnsiText.h"

namespace platform {
namespace {

struct LanguageEntry {
    const char* language;   // ISO 639 code
    const char* territory;  // ISO 3166 code; the first entry of a language is its main one
    uint16_t id;
    const char* name;
};

constexpr LanguageEntry kLanguages[] = {
    {"en", "US", 0x0409, "English (United States)"},
    {"en", "GB", 0x0809, "English (United Kingdom)"},
    {"en", "AU", 0x0C09, "English (Australia)"},
    {"en", "CA", 0x1009, "English (Canada)"},
    {"en", "NZ", 0x1409, "English (New Zealand)"},
    {"en", "IE", 0x1809, "English (Ireland)"},
    {"en", "ZA", 0x1C09, "English (South Africa)"},
    {"en", "IN", 0x4009, "English (India)"},
    {"de", "DE", 0x0407, "German (Germany)"},
    {"de", "CH", 0x0807, "German (Switzerland)"},
    {"de", "AT", 0x0C07, "German (Austria)"},
    {"de", "LU", 0x1007, "German (Luxembourg)"},
    {"de", "LI", 0x1407, "German (Liechtenstein)"},
    {"fr", "FR", 0x040C, "French (France)"},
    {"fr", "BE", 0x080C, "French (Belgium)"},
    {"fr", "CA", 0x0C0C, "French (Canada)"},
    {"fr", "CH", 0x100C, "French (Switzerland)"},
    {"fr", "LU", 0x140C, "French (Luxembourg)"},
    {"es", "ES", 0x0C0A, "Spanish (Spain)"},
    {"es", "MX", 0x080A, "Spanish (Mexico)"},
    {"es", "CO", 0x240A, "Spanish (Colombia)"},
    {"es", "AR", 0x2C0A, "Spanish (Argentina)"},
    {"es", "CL", 0x340A, "Spanish (Chile)"},
    {"it", "IT", 0x0410, "Italian (Italy)"},
    {"it", "CH", 0x0810, "Italian (Switzerland)"},
    {"nl", "NL", 0x0413, "Dutch (Netherlands)"},
    {"nl", "BE", 0x0813, "Dutch (Belgium)"},
    {"pt", "BR", 0x0416, "Portuguese (Brazil)"},
    {"pt", "PT", 0x0816, "Portuguese (Portugal)"},
    {"sv", "SE", 0x041D, "Swedish (Sweden)"},
    {"sv", "FI", 0x081D, "Swedish (Finland)"},
    {"da", "DK", 0x0406, "Danish (Denmark)"},
    {"nb", "NO", 0x0414, "Norwegian (Bokmal)"},
    {"no", "NO", 0x0414, "Norwegian (Bokmal)"},
    {"nn", "NO", 0x0814, "Norwegian (Nynorsk)"},
    {"fi", "FI", 0x040B, "Finnish (Finland)"},
    {"is", "IS", 0x040F, "Icelandic (Iceland)"},
    {"pl", "PL", 0x0415, "Polish (Poland)"},
    {"cs", "CZ", 0x0405, "Czech (Czech Republic)"},
    {"sk", "SK", 0x041B, "Slovak (Slovakia)"},
    {"hu", "HU", 0x040E, "Hungarian (Hungary)"},
    {"sl", "SI", 0x0424, "Slovenian (Slovenia)"},
    {"hr", "HR", 0x041A, "Croatian (Croatia)"},
    {"sr", "RS", 0x0C1A, "Serbian (Cyrillic)"},
    {"ro", "RO", 0x0418, "Romanian (Romania)"},
    {"bg", "BG", 0x0402, "Bulgarian (Bulgaria)"},
    {"ru", "RU", 0x0419, "Russian (Russia)"},
    {"uk", "UA", 0x0422, "Ukrainian (Ukraine)"},
    {"be", "BY", 0x0423, "Belarusian (Belarus)"},
    {"el", "GR", 0x0408, "Greek (Greece)"},
    {"tr", "TR", 0x041F, "Turkish (Turkey)"},
    {"he", "IL", 0x040D, "Hebrew (Israel)"},
    {"ar", "SA", 0x0401, "Arabic (Saudi Arabia)"},
    {"ar", "EG", 0x0C01, "Arabic (Egypt)"},
    {"fa", "IR", 0x0429, "Farsi (Iran)"},
    {"et", "EE", 0x0425, "Estonian (Estonia)"},
    {"lv", "LV", 0x0426, "Latvian (Latvia)"},
    {"lt", "LT", 0x0427, "Lithuanian (Lithuania)"},
    {"ja", "JP", 0x0411, "Japanese (Japan)"},
    {"ko", "KR", 0x0412, "Korean (Korea)"},
    {"zh", "CN", 0x0804, "Chinese (PRC)"},
    {"zh", "TW", 0x0404, "Chinese (Taiwan)"},
    {"zh", "HK", 0x0C04, "Chinese (Hong Kong S.A.R.)"},
    {"zh", "SG", 0x1004, "Chinese (Singapore)"},
    {"th", "TH", 0x041E, "Thai (Thailand)"},
    {"vi", "VN", 0x042A, "Vietnamese (Vietnam)"},
    {"id", "ID", 0x0421, "Indonesian (Indonesia)"},
    {"ms", "MY", 0x043E, "Malay (Malaysia)"},
    {"hi", "IN", 0x0439, "Hindi (India)"},
    {"ca", "ES", 0x0403, "Catalan (Spain)"},
    {"eu", "ES", 0x042D, "Basque (Spain)"},
    {"gl", "ES", 0x0456, "Galician (Spain)"},
    {"af", "ZA", 0x0436, "Afrikaans (South Africa)"},
    {"sq", "AL", 0x041C, "Albanian (Albania)"},
    {"mk", "MK", 0x042F, "Macedonian (FYROM)"},
    {"ka", "GE", 0x0437, "Georgian (Georgia)"},
    {"hy", "AM", 0x042B, "Armenian (Armenia)"},
    {"kk", "KZ", 0x043F, "Kazakh (Kazakhstan)"},
};

// "LANG=de_DE.UTF-8" (quotes allowed) in a shell-style file.
std::string langFromFile(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::string_view l = base::trimText(line);
        if (l.substr(0, 5) != "LANG=") continue;
        l.remove_prefix(5);
        if (l.size() >= 2 && (l.front() == '"' || l.front() == '\'') && l.back() == l.front())
            l = l.substr(1, l.size() - 2);
        return std::string(l);
    }
    return {};
}

}  // namespace

uint16_t languageIdOf(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX") return 0x0409;
    size_t sep = locale.find_first_of("_-");
    std::string_view language = locale.substr(0, sep);
    std::string_view territory = sep == std::string_view::npos ? std::string_view() : locale.substr(sep + 1);
    uint16_t main = 0;
    for (const LanguageEntry& e : kLanguages) {
        if (!base::asciiSameText(language, e.language)) continue;
        if (base::asciiSameText(territory, e.territory)) return e.id;
        if (!main) main = e.id;
    }
    return main;
}

std::string languageNameOf(uint16_t languageId) {
    for (const LanguageEntry& e : kLanguages)
        if (e.id == languageId) return e.name;
    return {};
}

std::string userInterfaceLocale() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* v = std::getenv(var); v && *v) return v;
    return {};
}

std::string systemLocale(const std::string& root) {
    for (const char* file : {"/etc/default/locale", "/etc/locale.conf"}) {
        std::string lang = langFromFile(root + file);
        if (!lang.empty()) return lang;
    }
    const char* v = std::getenv("LANG");
    return v ? v : "";
}

}  // namespace platform
