// Date arithmetic on the proleptic Gregorian calendar and FormatDateTime.
#include "base/DateTime.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace base {

namespace {

constexpr int kMsecPerDay = 86400000;

// Days since 1970-01-01 of a civil date, and back (valid far beyond years 1..9999).
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(y + (month <= 2));
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// The whole days and the milliseconds of the day, as the time of day of a date before
// 1899 counts forward too (-1.25 is 29 December 1899, 06:00).
void split(double dt, int64_t& days, int& msec) {
    double whole = std::trunc(dt);
    double frac = std::fabs(dt - whole);
    int64_t ms = std::llround(frac * kMsecPerDay);
    if (ms >= kMsecPerDay) ms = kMsecPerDay - 1;
    days = int64_t(whole);
    msec = int(ms);
}

}  // namespace

bool isLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool tryEncodeDate(int year, int month, int day, double& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return false;
    out = double(daysFromCivil(year, month, day)) + kUnixDateDelta;
    return true;
}

bool tryEncodeTime(int hour, int minute, int second, int msec, double& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    out = double(((hour * 60 + minute) * 60 + second) * 1000 + msec) / kMsecPerDay;
    return true;
}

void decodeDate(double dateTime, int& year, int& month, int& day) {
    int64_t days;
    int msec;
    split(dateTime, days, msec);
    civilFromDays(days - int64_t(kUnixDateDelta), year, month, day);
}

void decodeTime(double dateTime, int& hour, int& minute, int& second, int& msec) {
    int64_t days;
    int ms;
    split(dateTime, days, ms);
    hour = ms / 3600000;
    minute = ms / 60000 % 60;
    second = ms / 1000 % 60;
    msec = ms % 1000;
}

int dayOfWeek(double dateTime) {
    int64_t days;
    int msec;
    split(dateTime, days, msec);
    // 30 December 1899 was a Saturday.
    int64_t d = (days + 6) % 7;
    if (d < 0) d += 7;
    return int(d) + 1;
}

double now() {
    auto t = std::chrono::system_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
    std::time_t secs = std::time_t(ms / 1000);
    std::tm local{};
    localtime_r(&secs, &local);
    double date = 0, time = 0;
    tryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    tryEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), int(ms % 1000), time);
    return date + time;
}

int64_t dateTimeToUnix(double dateTime) { return std::llround((dateTime - kUnixDateDelta) * 86400.0); }

double unixToDateTime(int64_t seconds) { return double(seconds) / 86400.0 + kUnixDateDelta; }

const DateFormat& DateFormat::system() {
    static const DateFormat f = [] {
        DateFormat d;
        locale_t loc = newlocale(LC_TIME_MASK, "", locale_t(0));
        if (!loc) return d;
        std::string posix = nl_langinfo_l(D_FMT, loc);
        freelocale(loc);
        // "%m/%d/%y" → "mm/dd/yyyy": the order and separator are the locale's.
        std::string out;
        for (size_t i = 0; i < posix.size(); ++i) {
            if (posix[i] != '%' || i + 1 >= posix.size()) {
                out += posix[i];
                if (!std::isalnum(static_cast<unsigned char>(posix[i])) && posix[i] != ' ')
                    d.dateSeparator = posix[i];
                continue;
            }
            char c = posix[++i];
            if (c == 'd')
                out += "dd";
            else if (c == 'e')
                out += "d";
            else if (c == 'm')
                out += "mm";
            else if (c == 'y' || c == 'Y')
                out += "yyyy";
            else
                return d;  // a format we do not translate: keep the defaults
        }
        for (char& c : out)
            if (c == d.dateSeparator) c = '/';
        if (out.find('d') != std::string::npos && out.find('m') != std::string::npos &&
            out.find('y') != std::string::npos)
            d.shortDateFormat = out;
        return d;
    }();
    return f;
}

namespace {

std::string pad(int v, int width) {
    std::string s = std::to_string(v);
    while (int(s.size()) < width) s.insert(s.begin(), '0');
    return s;
}

bool startsWithText(std::string_view s, size_t at, std::string_view word) {
    if (s.size() - at < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[at + i])) != word[i]) return false;
    return true;
}

bool usesTwelveHours(std::string_view f) {
    char quote = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        if (quote) {
            if (f[i] == quote) quote = 0;
            continue;
        }
        if (f[i] == '"' || f[i] == '\'') {
            quote = f[i];
            continue;
        }
        if (startsWithText(f, i, "am/pm") || startsWithText(f, i, "a/p") || startsWithText(f, i, "ampm"))
            return true;
    }
    return false;
}

void formatInto(std::string& out, std::string_view f, double dt, const DateFormat& fs, int depth) {
    int year, month, day, hour, minute, second, msec;
    decodeDate(dt, year, month, day);
    decodeTime(dt, hour, minute, second, msec);
    bool twelve = usesTwelveHours(f);
    bool afterHour = false;
    size_t i = 0;
    auto run = [&](char c) {
        size_t n = 0;
        while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == c) ++n;
        return n;
    };
    while (i < f.size()) {
        char c = f[i];
        char lc = char(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'') {
            size_t end = f.find(c, i + 1);
            if (end == std::string_view::npos) end = f.size();
            out += f.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (startsWithText(f, i, "am/pm")) {
            afterHour = false;
            std::string_view w = f.substr(i, 5);
            bool pm = hour >= 12;
            out += std::isupper(static_cast<unsigned char>(w[pm ? 3 : 0])) ? (pm ? "PM" : "AM")
                                                                           : (pm ? "pm" : "am");
            i += 5;
            continue;
        }
        if (startsWithText(f, i, "a/p")) {
            bool pm = hour >= 12;
            char letter = f[i + (pm ? 2 : 0)];
            out += std::isupper(static_cast<unsigned char>(letter)) ? (pm ? 'P' : 'A') : (pm ? 'p' : 'a');
            i += 3;
            continue;
        }
        if (startsWithText(f, i, "ampm")) {
            out += hour >= 12 ? fs.pmString : fs.amString;
            i += 4;
            continue;
        }
        size_t n = 1;
        switch (lc) {
        case 'c':
            if (depth < 2) {
                formatInto(out, fs.shortDateFormat, dt, fs, depth + 1);
                if (hour || minute || second || msec) {
                    out += ' ';
                    formatInto(out, fs.longTimeFormat, dt, fs, depth + 1);
                }
            }
            break;
        case 'd':
            n = run('d');
            if (n == 1)
                out += std::to_string(day);
            else if (n == 2)
                out += pad(day, 2);
            else if (n == 3)
                out += fs.shortDayNames[size_t(dayOfWeek(dt) - 1)];
            else if (n == 4)
                out += fs.longDayNames[size_t(dayOfWeek(dt) - 1)];
            else if (n == 5 && depth < 2)
                formatInto(out, fs.shortDateFormat, dt, fs, depth + 1);
            else if (depth < 2)
                formatInto(out, fs.longDateFormat, dt, fs, depth + 1);
            if (n > 6) n = 6;
            break;
        case 'm':
            n = run('m');
            if (afterHour && n <= 2) {
                out += n == 1 ? std::to_string(minute) : pad(minute, 2);
            } else if (n == 1) {
                out += std::to_string(month);
            } else if (n == 2) {
                out += pad(month, 2);
            } else if (n == 3) {
                out += fs.shortMonthNames[size_t(month - 1)];
            } else {
                out += fs.longMonthNames[size_t(month - 1)];
                n = std::min<size_t>(n, 4);
            }
            break;
        case 'y':
            n = run('y');
            out += n <= 2 ? pad(year % 100, 2) : pad(year, 4);
            break;
        case 'e': out += std::to_string(year); break;
        case 'h': {
            n = std::min<size_t>(run('h'), 2);
            int h = hour;
            if (twelve) {
                h %= 12;
                if (h == 0) h = 12;
            }
            out += n == 1 ? std::to_string(h) : pad(h, 2);
            break;
        }
        case 'n':
            n = std::min<size_t>(run('n'), 2);
            out += n == 1 ? std::to_string(minute) : pad(minute, 2);
            break;
        case 's':
            n = std::min<size_t>(run('s'), 2);
            out += n == 1 ? std::to_string(second) : pad(second, 2);
            break;
        case 'z':
            n = run('z');
            out += n >= 3 ? pad(msec, 3) : std::to_string(msec);
            n = std::min<size_t>(n, 3);
            break;
        case 't':
            n = std::min<size_t>(run('t'), 2);
            if (depth < 2)
                formatInto(out, n == 1 ? fs.shortTimeFormat : fs.longTimeFormat, dt, fs, depth + 1);
            break;
        case '/': out += fs.dateSeparator; break;
        case ':': out += fs.timeSeparator; break;
        default: out += c; break;
        }
        // Only format letters decide what a following "m" means ("hh:mm" is minutes).
        if (std::isalpha(static_cast<unsigned char>(lc))) afterHour = lc == 'h';
        i += n;
    }
}

}  // namespace

std::string formatDateTime(std::string_view format, double dateTime, const DateFormat& f) {
    std::string out;
    formatInto(out, format.empty() ? std::string_view("c") : format, dateTime, f, 0);
    return out;
}

bool tryStrToDate(std::string_view text, double& out, const DateFormat& f) {
    // The order of day, month and year in the short date format.
    std::string order;
    for (char c : f.shortDateFormat) {
        char lc = char(std::tolower(static_cast<unsigned char>(c)));
        if ((lc == 'd' || lc == 'm' || lc == 'y') && order.find(lc) == std::string::npos) order += lc;
    }
    if (order.size() != 3) order = "mdy";
    int parts[3] = {0, 0, 0};
    int count = 0;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    while (count < 3) {
        size_t start = i;
        int v = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - start < 5)
            v = v * 10 + (text[i++] - '0');
        if (i == start) break;
        parts[count++] = v;
        if (i < text.size() && text[i] == f.dateSeparator)
            ++i;
        else
            break;
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size() || count < 2) return false;
    int year = 0, month = 0, day = 0;
    if (count == 2) {
        // Day and month in their order; the current year.
        int y, m, d;
        decodeDate(now(), y, m, d);
        year = y;
        size_t k = 0;
        for (char c : order) {
            if (c == 'y') continue;
            (c == 'd' ? day : month) = parts[k++];
        }
    } else {
        for (size_t k = 0; k < 3; ++k) (order[k] == 'd' ? day : order[k] == 'm' ? month : year) = parts[k];
        if (year < 100) year += year < 50 ? 2000 : 1900;
    }
    return tryEncodeDate(year, month, day, out);
}

}  // namespace base
