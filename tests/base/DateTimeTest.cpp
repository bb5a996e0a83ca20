// Date-time arithmetic and the FormatDateTime format language.
#include "base/DateTime.h"

#include <gtest/gtest.h>

using namespace base;

namespace {

double at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    double date = 0, time = 0;
    EXPECT_TRUE(tryEncodeDate(y, mo, d, date));
    EXPECT_TRUE(tryEncodeTime(h, mi, s, ms, time));
    return date + time;
}

TEST(DateTimeTest, EncodesAndDecodesAcrossCenturiesAndBeforeTheEpoch) {
    double d;
    ASSERT_TRUE(tryEncodeDate(1899, 12, 30, d));
    EXPECT_EQ(d, 0);
    ASSERT_TRUE(tryEncodeDate(2000, 2, 29, d));
    EXPECT_EQ(d, 36585);
    EXPECT_FALSE(tryEncodeDate(1900, 2, 29, d));  // not a leap year
    EXPECT_FALSE(tryEncodeDate(2023, 4, 31, d));
    EXPECT_FALSE(tryEncodeDate(0, 1, 1, d));
    EXPECT_FALSE(tryEncodeDate(10000, 1, 1, d));
    ASSERT_TRUE(tryEncodeDate(1, 1, 1, d));
    EXPECT_EQ(d, -693593);
    int y, m, day;
    decodeDate(-693593, y, m, day);
    EXPECT_EQ(y * 10000 + m * 100 + day, 10101);
    // Before 1899 the time of day still counts forward from midnight.
    decodeDate(-1.25, y, m, day);
    EXPECT_EQ(y * 10000 + m * 100 + day, 18991229);
    int h, mi, s, ms;
    decodeTime(-1.25, h, mi, s, ms);
    EXPECT_EQ(h, 6);
    decodeDate(at(9999, 12, 31), y, m, day);
    EXPECT_EQ(y * 10000 + m * 100 + day, 99991231);
}

TEST(DateTimeTest, TimesRoundToTheMillisecondWithoutReachingTheNextDay) {
    double t;
    EXPECT_FALSE(tryEncodeTime(24, 0, 0, 0, t));
    EXPECT_FALSE(tryEncodeTime(1, 60, 0, 0, t));
    EXPECT_FALSE(tryEncodeTime(1, 0, 0, 1000, t));
    int h, mi, s, ms;
    decodeTime(at(2020, 1, 1, 23, 59, 59, 999), h, mi, s, ms);
    EXPECT_EQ(h * 10000000 + mi * 100000 + s * 1000 + ms, 235959999);
    decodeTime(0.99999999999, h, mi, s, ms);  // rounds up to 24:00, clamped
    EXPECT_EQ(h, 23);
    EXPECT_EQ(ms, 999);
}

TEST(DateTimeTest, WeekdaysAndUnixTimes) {
    EXPECT_EQ(dayOfWeek(0), 7);  // 30 December 1899, a Saturday
    EXPECT_EQ(dayOfWeek(at(2024, 12, 31)), 3);
    EXPECT_EQ(dayOfWeek(-1), 6);
    EXPECT_EQ(dateTimeToUnix(at(1970, 1, 1)), 0);
    EXPECT_EQ(dateTimeToUnix(at(2038, 1, 19, 3, 14, 8)), int64_t(1) << 31);
    EXPECT_EQ(unixToDateTime(86400), at(1970, 1, 2));
    EXPECT_LT(std::abs(now() - at(2000, 1, 1)), 365.0 * 200);
}

TEST(DateTimeTest, FormatTokensFollowTheFormatLanguage) {
    DateFormat f;
    double dt = at(2004, 2, 9, 13, 5, 7, 45);
    EXPECT_EQ(formatDateTime("d/m/yy", dt, f), "9/2/04");
    EXPECT_EQ(formatDateTime("dd.mm.yyyy", dt, f), "09.02.2004");
    EXPECT_EQ(formatDateTime("ddd dddd mmm mmmm", dt, f), "Mon Monday Feb February");
    EXPECT_EQ(formatDateTime("h:n:s.z hh:nn:ss.zzz", dt, f), "13:5:7.45 13:05:07.045");
    EXPECT_EQ(formatDateTime("hh:mm", dt, f), "13:05");  // m after h is the minute
    EXPECT_EQ(formatDateTime("h:mm AM/PM a/p am/pm ampm", dt, f), "1:05 PM p pm PM");
    EXPECT_EQ(formatDateTime("h am/pm", at(2004, 2, 9, 0, 30), f), "12 am");
    EXPECT_EQ(formatDateTime("'d' \"yyyy\" mm", dt, f), "d yyyy 02");
    EXPECT_EQ(formatDateTime("ddddd", dt, f), "2/9/2004");
    EXPECT_EQ(formatDateTime("dddddd", dt, f), "Monday, February 9, 2004");
    EXPECT_EQ(formatDateTime("c", dt, f), "2/9/2004 1:05:07 PM");
    EXPECT_EQ(formatDateTime("c", at(2004, 2, 9), f), "2/9/2004");
    EXPECT_EQ(formatDateTime("", at(2004, 2, 9), f), "2/9/2004");
    EXPECT_EQ(formatDateTime("t | tt", dt, f), "1:05 PM | 1:05:07 PM");
    f.dateSeparator = '-';
    f.timeSeparator = '.';
    EXPECT_EQ(formatDateTime("yyyy/mm/dd hh:nn", dt, f), "2004-02-09 13.05");
}

TEST(DateTimeTest, DatesParseInTheShortFormatsOrder) {
    DateFormat us;
    double d;
    ASSERT_TRUE(tryStrToDate("2/9/2004", d, us));
    EXPECT_EQ(d, at(2004, 2, 9));
    ASSERT_TRUE(tryStrToDate(" 12/31/99 ", d, us));
    EXPECT_EQ(d, at(1999, 12, 31));
    DateFormat de;
    de.shortDateFormat = "dd/mm/yyyy";
    de.dateSeparator = '.';
    ASSERT_TRUE(tryStrToDate("09.02.2004", d, de));
    EXPECT_EQ(d, at(2004, 2, 9));
    EXPECT_FALSE(tryStrToDate("31.02.2004", d, de));
    EXPECT_FALSE(tryStrToDate("9/2/2004", d, de));
    EXPECT_FALSE(tryStrToDate("", d, de));
    EXPECT_FALSE(tryStrToDate("1.2.3.4", d, de));
    EXPECT_FALSE(tryStrToDate("x", d, us));
    for (double day : {0.0, 36585.0, 45657.0}) {
        ASSERT_TRUE(tryStrToDate(formatDateTime("ddddd", day, de), d, de));
        EXPECT_EQ(d, day);
    }
}

}  // namespace
