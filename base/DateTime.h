// Date-times as scripts hold them: a double counting days since 30 December 1899, the
// fraction being the time of day. Encoding, decoding, the clock and FormatDateTime's
// format language ("dd/mm/yyyy hh:nn:ss", "dddd", "am/pm", quoted literals).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// Days from 30 December 1899 to 1 January 1970.
constexpr double kUnixDateDelta = 25569.0;

bool isLeapYear(int year);
// False for a date or time out of range (month 13, 31 April, hour 24, year 0 or 10000).
bool tryEncodeDate(int year, int month, int day, double& out);
bool tryEncodeTime(int hour, int minute, int second, int msec, double& out);
void decodeDate(double dateTime, int& year, int& month, int& day);
void decodeTime(double dateTime, int& hour, int& minute, int& second, int& msec);
// 1 for Sunday to 7 for Saturday.
int dayOfWeek(double dateTime);
// The local time now.
double now();
int64_t dateTimeToUnix(double dateTime);
double unixToDateTime(int64_t seconds);

struct DateFormat {
    char dateSeparator = '/';
    char timeSeparator = ':';
    std::string shortDateFormat = "m/d/yyyy";
    std::string longDateFormat = "dddd, mmmm d, yyyy";
    std::string shortTimeFormat = "h:nn AMPM";
    std::string longTimeFormat = "h:nn:ss AMPM";
    std::string amString = "AM";
    std::string pmString = "PM";
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> longMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};

    // The process's settings: the short date format follows the locale's date order and
    // separator (LC_ALL, LC_TIME, LANG), with four-digit years; names are English.
    static const DateFormat& system();
};

std::string formatDateTime(std::string_view format, double dateTime,
                           const DateFormat& f = DateFormat::system());
// Parses a date in the short date format's day/month/year order; false when it is not one.
bool tryStrToDate(std::string_view text, double& out, const DateFormat& f = DateFormat::system());

}  // namespace base
