// Time texts with pinned regional settings, day numbers across the calendar, and versions.
#include "library/Dates.h"

#include "base/Error.h"

#include <cmath>

#include "PinnedSettings.h"

using namespace library;

namespace {

class Dates : public PinnedSettings {
protected:
    // 1 January 2000 is day 36526.
    static constexpr double kY2k = 36526;
    void twelveHour() {
        pin([](platform::RegionalSettings& s) {
            s.longTimeFormat = "h:nn:ss AMPM";
            s.timeAMString = "vorm.";
            s.timePMString = "nachm.";
        });
    }
};

}  // namespace

TEST_F(Dates, SecondsToString) {
    EXPECT_EQ(SecondsToString(59), "00:59");
    EXPECT_EQ(SecondsToString(61), "01:01");
    EXPECT_EQ(SecondsToString(3599), "59:59");
    EXPECT_EQ(SecondsToString(3600), "01:00:00");
    EXPECT_EQ(SecondsToString(3661), "01:01:01");
    EXPECT_EQ(SecondsToString(360000), "100:00:00");
    EXPECT_EQ(SecondsToString(0), "00:00");
    EXPECT_EQ(SecondsToString(-5), "00:00");
}

TEST_F(Dates, DayOfYearCountsFromTheFirstOfJanuary) {
    EXPECT_EQ(DayOfYear(kY2k), 1);
    EXPECT_EQ(DayOfYear(kY2k + 0.99), 1);
    EXPECT_EQ(DayOfYear(kY2k + 59), 60);        // 29 February 2000
    EXPECT_EQ(DayOfYear(kY2k + 365), 366);      // 31 December, a leap year
    EXPECT_EQ(DayOfYear(kY2k + 366 + 59), 60);  // 1 March 2001
    EXPECT_EQ(DayOfYear(0), 364);               // 30 December 1899
    EXPECT_EQ(DayOfYear(-1.5), 363);            // the day part of a negative value counts toward zero
    EXPECT_EQ(DayOfYear(-693593), 1);           // 1 January 0001
    EXPECT_EQ(DayOfYear(2958465), 365);         // 31 December 9999
    EXPECT_EQ(DayOfYear(1e9), 0);
    EXPECT_EQ(DayOfYear(std::nan("")), 0);
}

TEST_F(Dates, TimeToStrUsesTheLongTimeFormat) {
    EXPECT_EQ(TimeToStr(0.5), "12:00:00");
    EXPECT_EQ(TimeToStr(kY2k + 1.0 / 24 + 2.0 / 1440 + 3.0 / 86400), "01:02:03");
    EXPECT_EQ(TimeToStr(-1.25), "06:00:00");  // a negative value's fraction is still a time of day
    EXPECT_EQ(TimeToStr(std::nan("")), "");
    twelveHour();
    EXPECT_EQ(TimeToStr(0.75), "6:00:00 nachm.");
    EXPECT_EQ(TimeToStr(0), "12:00:00 vorm.");
    pin([](platform::RegionalSettings& s) {
        s.longTimeFormat = "hh:mm:ss";  // "mm" after hours means minutes
        s.timeSeparator = '.';
    });
    EXPECT_EQ(TimeToStr(0.5 + 5.0 / 1440), "12.05.00");
}

TEST_F(Dates, StrToTimeReadsTheRegionalFormat) {
    EXPECT_DOUBLE_EQ(StrToTime("12:30"), 0.5 + 30.0 / 1440);
    EXPECT_DOUBLE_EQ(StrToTime(" 1:02:03 "), (3600 + 120 + 3) / 86400.0);
    EXPECT_DOUBLE_EQ(StrToTime("0:00:00.500"), 0.5 / 86400);
    EXPECT_DOUBLE_EQ(StrToTime("6 PM"), 0.75);
    EXPECT_DOUBLE_EQ(StrToTime("6:15 pm"), 0.75 + 15.0 / 1440);
    EXPECT_DOUBLE_EQ(StrToTime("12 AM"), 0);
    EXPECT_DOUBLE_EQ(StrToTime("12:00 PM"), 0.5);
    EXPECT_DOUBLE_EQ(StrToTime("PM 6:00"), 0.75);
    for (const char* bad :
         {"", "abc", "25:00", "12:60", "12:00:60", "13 PM", "0 AM", "12:", "12:00x", "1:2:3:4"})
        EXPECT_THROW(StrToTime(bad), base::ScriptError) << bad;
    try {
        StrToTime("25:00");
        FAIL();
    } catch (const base::ScriptError& e) {
        EXPECT_STREQ(e.what(), "'25:00' is not a valid time");
    }
    twelveHour();
    EXPECT_DOUBLE_EQ(StrToTime("6:00 nachm."), 0.75);
    pin([](platform::RegionalSettings& s) { s.timeSeparator = '.'; });
    EXPECT_DOUBLE_EQ(StrToTime("18.30"), 0.75 + 30.0 / 1440);
    EXPECT_THROW(StrToTime("18:30"), base::ScriptError);
}

TEST_F(Dates, TimeTextsRoundTrip) {
    for (int second = 0; second < 86400; second += 397) {
        double t = second / 86400.0;
        EXPECT_NEAR(StrToTime(TimeToStr(t)), t, 1e-9) << second;
    }
    twelveHour();
    for (int second = 0; second < 86400; second += 397) {
        double t = second / 86400.0;
        EXPECT_NEAR(StrToTime(TimeToStr(t)), t, 1e-9) << TimeToStr(t);
    }
}

TEST_F(Dates, FormatDateTimePictures) {
    const auto& s = platform::regionalSettings();
    double t = kY2k + 0.5 + 7.0 / 1440 + 0.25 / 86400;
    EXPECT_EQ(formatDateTime("yyyy-mm-dd hh:nn:ss.zzz", t, s), "2000-01-01 12:07:00.250");
    EXPECT_EQ(formatDateTime("dddd d mmmm yy", t, s), "Saturday 1 January 00");
    EXPECT_EQ(formatDateTime("ddd, mmm d", t, s), "Sat, Jan 1");
    EXPECT_EQ(formatDateTime("h:mm am/pm A/P", t, s), "12:07 pm P");
    EXPECT_EQ(formatDateTime("\"day\" d 'of' m", t, s), "day 1 of 1");
    EXPECT_EQ(formatDateTime("c", t, s), "01/01/00 12:07:00");
    EXPECT_EQ(formatDateTime("c", kY2k, s), "01/01/00");
    EXPECT_EQ(formatDateTime("ddddd", kY2k + 40, s), "02/10/00");
    EXPECT_THROW(formatDateTime("c", 1e12, s), base::ScriptError);
}

TEST(ISVersionOlder, ComparesFourFieldsNumerically) {
    EXPECT_TRUE(ISVersionOlder("1.2", "1.10"));
    EXPECT_FALSE(ISVersionOlder("2.0", "2.0.0.0"));
    EXPECT_FALSE(ISVersionOlder("2.0.0.0", "2.0"));
    EXPECT_TRUE(ISVersionOlder("1.0", "1.0.0.1"));
    EXPECT_FALSE(ISVersionOlder("1.0.0.1", "1.0"));
    EXPECT_TRUE(ISVersionOlder("1.", "1.0.0.1"));
    EXPECT_TRUE(ISVersionOlder("1.65536", "1.1"));  // fields are taken modulo 65536
    EXPECT_TRUE(ISVersionOlder("9.9.9.9", "10"));
    // Unreadable versions count as 0.0.0.0.
    EXPECT_TRUE(ISVersionOlder("abc", "1"));
    EXPECT_TRUE(ISVersionOlder("1.2.3.4.5", "0.0.0.1"));
    EXPECT_TRUE(ISVersionOlder("1..2", "0.0.0.1"));
    EXPECT_TRUE(ISVersionOlder("99999999999", "0.0.0.1"));
    EXPECT_FALSE(ISVersionOlder("", "0"));
    EXPECT_FALSE(ISVersionOlder("x", "y"));
}
