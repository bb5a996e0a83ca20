// The user's regional settings as the Windows locale functions report them: time and date
// pictures, separators, AM/PM designators, day and month names and the ANSI code page. Every
// routine that formats or parses dates and numbers reads them here, so a test pins them once.
// Values come from the POSIX locale of the environment (LC_TIME, LC_NUMERIC); texts are bytes
// in the settings' code page. Main thread only.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct RegionalSettings {
    // Pictures in the Windows/Delphi form: h hh n nn s ss z zzz AMPM for times, d dd ddd dddd
    // m mm mmm mmmm yy yyyy for dates; ':' stands for timeSeparator and '/' for dateSeparator.
    std::string longTimeFormat = "hh:nn:ss";
    std::string shortDateFormat = "mm/dd/yy";
    char dateSeparator = '/';
    char timeSeparator = ':';
    char decimalSeparator = '.';
    char thousandSeparator = ',';
    std::string timeAMString = "AM";
    std::string timePMString = "PM";
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> longMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    // Sunday first, as the date unit counts days of the week.
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    // The Windows ANSI code page number (1252, 1251, ..., or 932/936/949/950 for double-byte).
    int codePage = 1252;
};

// The current settings: pinned ones if any, else read once from the environment's locale
// (falling back to the "C" locale when the named one is not installed), with the code page
// the player chose at start-up (base::CodePage::active()).
const RegionalSettings& regionalSettings();
// Pins the settings until reset; tests use it, so results do not depend on the machine.
void setRegionalSettings(RegionalSettings settings);
// Forgets pinned and cached settings; the next regionalSettings() reads the locale again.
void resetRegionalSettings();

// The settings of a named POSIX locale ("de_DE.UTF-8", "C"); the code page is the one Windows
// would pick for that locale. Nullopt when the locale is not installed.
std::optional<RegionalSettings> regionalSettingsForLocale(const std::string& name);

// Converts a POSIX strftime picture ("%d.%m.%Y", "%I:%M:%S %p") into the Windows picture
// form above. The first literal separator found is returned in `separator` (unchanged when
// there is none) and written as '/' (dates) or ':' (times) in the picture.
std::string datePictureFromPosix(std::string_view format, char& separator);
std::string timePictureFromPosix(std::string_view format, char& separator);

// True when `byte` is the lead byte of a double-byte character in `codePage`; always false
// for the single-byte code pages.
bool isLeadByte(int codePage, unsigned char byte);

}  // namespace platform
