// Time formatting and parsing with the regional settings, and version comparison. TDateTime
// is a double: whole days since 30 December 1899 plus the fraction of the day (a negative
// value's fraction still counts forward from midnight, as the date unit decodes it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
struct RegionalSettings;
}

namespace library {

// "MM:SS" below an hour, "HH:MM:SS" from one hour on, "00:00" for 0 and less.
std::string SecondsToString(int32_t seconds);
// 1 for the 1st of January; 0 for a value outside the years 1 to 9999.
int32_t DayOfYear(double date);
// The time part in the regional long time format; "" for a value outside the date range.
std::string TimeToStr(double date);
// A time in the regional format: hours, optional minutes, seconds and milliseconds, optional
// AM/PM designator. Throws base::ScriptError "'text' is not a valid time" for anything else.
double StrToTime(std::string_view text);
// True when `oldVersion` is strictly lower than `newVersion`, comparing major.minor.release.build
// (missing fields are 0; an unreadable version counts as 0.0.0.0).
bool ISVersionOlder(std::string_view oldVersion, std::string_view newVersion);

// Formats with a Windows date/time picture (d dd ddd dddd ddddd m mm mmm mmmm yy yyyy h hh n
// nn s ss z zzz t tt c am/pm a/p ampm / : "quoted"). Throws base::ScriptError for a value
// outside the years 1 to 9999.
std::string formatDateTime(std::string_view picture, double value,
                           const platform::RegionalSettings& settings);

}  // namespace library
