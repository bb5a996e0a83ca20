#include "library/Dates.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>

#include "base/AnsiText.h"
#include "base/Error.h"
#include "platform/RegionalSettings.h"

namespace library {
namespace {

constexpr int64_t kMsPerDay = 86400000;
// 1 January 0001 and 31 December 9999 as day numbers, the range the date unit accepts.
constexpr int64_t kMinDay = -693593;
constexpr int64_t kMaxDay = 2958465;

struct DateTimeParts {
    int year, month, day, dayOfWeek;  // dayOfWeek 0 = Sunday
    int hour, minute, second, msec;
    int64_t dayNumber;
};

// Days since 1970-01-01 for a proleptic Gregorian date, and back.
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kUnixDayOfZero = -25569;  // 30 December 1899

std::optional<DateTimeParts> decode(double value) {
    if (!std::isfinite(value) || value < double(kMinDay) - 1 || value > double(kMaxDay) + 1)
        return std::nullopt;
    const auto ms = static_cast<int64_t>(std::llround(value * double(kMsPerDay)));
    DateTimeParts p{};
    p.dayNumber = ms / kMsPerDay;  // toward zero: the fraction of a negative value is a time of day too
    if (p.dayNumber < kMinDay || p.dayNumber > kMaxDay) return std::nullopt;
    int64_t t = (ms < 0 ? -ms : ms) % kMsPerDay;
    p.hour = static_cast<int>(t / 3600000);
    p.minute = static_cast<int>(t / 60000 % 60);
    p.second = static_cast<int>(t / 1000 % 60);
    p.msec = static_cast<int>(t % 1000);
    int64_t unixDay = p.dayNumber + kUnixDayOfZero;
    civilFromDays(unixDay, p.year, p.month, p.day);
    p.dayOfWeek = static_cast<int>(((unixDay % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    return p;
}

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

bool hasAmPm(std::string_view picture) {
    for (size_t i = 0; i < picture.size(); ++i) {
        if (base::ansiStartsWithText(picture.substr(i), "am/pm") ||
            base::ansiStartsWithText(picture.substr(i), "a/p") ||
            base::ansiStartsWithText(picture.substr(i), "ampm"))
            return true;
    }
    return false;
}

class DateFormatter {
public:
    DateFormatter(const DateTimeParts& parts, const platform::RegionalSettings& settings)
        : m_p(parts), m_s(settings) {}

    void format(std::string_view picture, int depth) {
        if (depth > 2) return;  // pictures naming pictures: the regional ones do not nest deeper
        const bool twelveHour = hasAmPm(picture);
        size_t i = 0;
        while (i < picture.size()) {
            char c = picture[i];
            char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            size_t count = 1;
            while (i + count < picture.size() &&
                   std::toupper(static_cast<unsigned char>(picture[i + count])) == upper &&
                   std::isalpha(static_cast<unsigned char>(c)))
                ++count;
            if (std::isalpha(static_cast<unsigned char>(c))) {
                if (upper == 'M' && m_lastLetter == 'H') upper = 'N';
                m_lastLetter = upper;
            }
            switch (upper) {
            case '"':
            case '\'': {
                size_t end = picture.find(c, i + 1);
                if (end == std::string_view::npos) end = picture.size();
                m_out.append(picture.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            case 'D': day(count, depth); break;
            case 'M': month(count); break;
            case 'Y': m_out += count <= 2 ? twoDigits(m_p.year % 100) : std::to_string(m_p.year); break;
            case 'H': {
                int h = m_p.hour;
                if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
                m_out += count == 1 ? std::to_string(h) : twoDigits(h);
                break;
            }
            case 'N': m_out += count == 1 ? std::to_string(m_p.minute) : twoDigits(m_p.minute); break;
            case 'S': m_out += count == 1 ? std::to_string(m_p.second) : twoDigits(m_p.second); break;
            case 'Z': {
                char buf[16];
                std::snprintf(buf, sizeof buf, count == 1 ? "%d" : "%03d", m_p.msec);
                m_out += buf;
                break;
            }
            case 'T': format(m_s.longTimeFormat, depth + 1); break;
            case 'C':
                format(m_s.shortDateFormat, depth + 1);
                if (m_p.hour || m_p.minute || m_p.second || m_p.msec) {
                    m_out.push_back(' ');
                    format(m_s.longTimeFormat, depth + 1);
                }
                break;
            case 'A':
                if (size_t used = amPm(picture.substr(i))) {
                    i += used;
                    continue;
                }
                m_out.append(count, c);
                break;
            case '/': m_out.push_back(m_s.dateSeparator); break;
            case ':': m_out.push_back(m_s.timeSeparator); break;
            default: m_out.append(count, c); break;
            }
            i += count;
        }
    }

    const std::string& result() const { return m_out; }

private:
    void day(size_t count, int depth) {
        switch (count) {
        case 1: m_out += std::to_string(m_p.day); break;
        case 2: m_out += twoDigits(m_p.day); break;
        case 3: m_out += m_s.shortDayNames[static_cast<size_t>(m_p.dayOfWeek)]; break;
        case 4: m_out += m_s.longDayNames[static_cast<size_t>(m_p.dayOfWeek)]; break;
        default: format(m_s.shortDateFormat, depth + 1); break;
        }
    }
    void month(size_t count) {
        switch (count) {
        case 1: m_out += std::to_string(m_p.month); break;
        case 2: m_out += twoDigits(m_p.month); break;
        case 3: m_out += m_s.shortMonthNames[static_cast<size_t>(m_p.month - 1)]; break;
        default: m_out += m_s.longMonthNames[static_cast<size_t>(m_p.month - 1)]; break;
        }
    }
    // "am/pm" and "a/p" keep the picture's letter case; "ampm" writes the regional designators.
    size_t amPm(std::string_view rest) {
        const bool pm = m_p.hour >= 12;
        if (base::ansiStartsWithText(rest, "am/pm")) {
            m_out.append(pm ? rest.substr(3, 2) : rest.substr(0, 2));
            return 5;
        }
        if (base::ansiStartsWithText(rest, "a/p")) {
            m_out.append(pm ? rest.substr(2, 1) : rest.substr(0, 1));
            return 3;
        }
        if (base::ansiStartsWithText(rest, "ampm")) {
            m_out += pm ? m_s.timePMString : m_s.timeAMString;
            return 4;
        }
        return 0;
    }

    const DateTimeParts& m_p;
    const platform::RegionalSettings& m_s;
    std::string m_out;
    char m_lastLetter = 0;
};

// A cursor over the text StrToTime reads; blanks are spaces only, as the date unit skips them.
class TimeScanner {
public:
    explicit TimeScanner(std::string_view s) : m_s(s) {}
    void blanks() {
        while (m_pos < m_s.size() && m_s[m_pos] == ' ') ++m_pos;
    }
    bool number(int& value) {
        blanks();
        size_t start = m_pos;
        value = 0;
        while (m_pos < m_s.size() && m_pos - start < 4 && m_s[m_pos] >= '0' && m_s[m_pos] <= '9')
            value = value * 10 + (m_s[m_pos++] - '0');
        return m_pos > start;
    }
    bool character(char c) {
        blanks();
        if (m_pos < m_s.size() && m_s[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool word(std::string_view w) {
        blanks();
        if (w.empty() || !base::ansiStartsWithText(m_s.substr(m_pos), w)) return false;
        m_pos += w.size();
        return true;
    }
    bool atEnd() const { return m_pos >= m_s.size(); }

private:
    std::string_view m_s;
    size_t m_pos = 0;
};

// -1 when no designator follows, else the hour it adds (0 or 12).
int designator(TimeScanner& scan, const platform::RegionalSettings& s) {
    if (scan.word(s.timeAMString) || scan.word("AM")) return 0;
    if (scan.word(s.timePMString) || scan.word("PM")) return 12;
    return -1;
}

std::optional<double> scanTime(std::string_view text, const platform::RegionalSettings& s) {
    TimeScanner scan(text);
    int baseHour = designator(scan, s);
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (!scan.number(hour)) return std::nullopt;
    if (scan.character(s.timeSeparator)) {
        if (!scan.number(minute)) return std::nullopt;
        if (scan.character(s.timeSeparator)) {
            if (!scan.number(second)) return std::nullopt;
            if (scan.character(s.decimalSeparator) && !scan.number(msec)) return std::nullopt;
        }
    }
    if (baseHour < 0) baseHour = designator(scan, s);
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12) return std::nullopt;
        hour = hour % 12 + baseHour;
    }
    scan.blanks();
    if (!scan.atEnd() || hour > 23 || minute > 59 || second > 59 || msec > 999) return std::nullopt;
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / double(kMsPerDay);
}

// "1.2" → {1, 2, 0, 0}; false when the text is not a version.
bool parseVersion(std::string_view text, uint32_t (&fields)[4]) {
    std::string v(text);
    auto dots = [&v] { return std::count(v.begin(), v.end(), '.'); };
    while (dots() < 3) {
        if (v.empty() || v.back() != '.') v.push_back('.');
        v.push_back('0');
    }
    if (dots() > 3) return false;
    size_t start = 0;
    for (int f = 0; f < 4; ++f) {
        size_t end = f < 3 ? v.find('.', start) : v.size();
        std::string_view field(v.data() + start, end - start);
        // Each field is an Integer first, so more than 2^31 - 1 is no number at all.
        if (field.empty() || field.size() > 10) return false;
        uint64_t value = 0;
        for (char c : field) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + uint64_t(c - '0');
        }
        if (value > 2147483647u) return false;
        fields[f] = static_cast<uint32_t>(value % 65536);
        start = end + 1;
    }
    return true;
}

}  // namespace

std::string SecondsToString(int32_t seconds) {
    if (seconds <= 0) return "00:00";
    int h = seconds / 3600;
    int m = seconds % 3600 / 60;
    int s = seconds % 60;
    if (h == 0) return twoDigits(m) + ":" + twoDigits(s);
    return twoDigits(h) + ":" + twoDigits(m) + ":" + twoDigits(s);
}

int32_t DayOfYear(double date) {
    auto p = decode(date);
    if (!p) return 0;
    int64_t first = daysFromCivil(p->year, 1, 1) - kUnixDayOfZero;
    return static_cast<int32_t>(p->dayNumber - first + 1);
}

std::string TimeToStr(double date) {
    const platform::RegionalSettings& s = platform::regionalSettings();
    auto p = decode(date);
    if (!p) return {};
    DateFormatter f(*p, s);
    f.format(s.longTimeFormat, 0);
    return f.result();
}

double StrToTime(std::string_view text) {
    auto t = scanTime(text, platform::regionalSettings());
    if (!t) throw base::ScriptError("'" + std::string(text) + "' is not a valid time");
    return *t;
}

bool ISVersionOlder(std::string_view oldVersion, std::string_view newVersion) {
    uint32_t a[4] = {0, 0, 0, 0};
    uint32_t b[4] = {0, 0, 0, 0};
    if (!parseVersion(oldVersion, a)) std::fill(std::begin(a), std::end(a), 0u);
    if (!parseVersion(newVersion, b)) std::fill(std::begin(b), std::end(b), 0u);
    for (int i = 0; i < 4; ++i) {
        if (a[i] != b[i]) return a[i] < b[i];
    }
    return false;
}

std::string formatDateTime(std::string_view picture, double value,
                           const platform::RegionalSettings& settings) {
    auto p = decode(value);
    if (!p) throw base::ScriptError("Invalid argument to date encode");
    DateFormatter f(*p, settings);
    f.format(picture, 0);
    return f.result();
}

}  // namespace library
