// Regional settings: POSIX pictures in the Windows form, the locale as the source, pinning,
// double-byte lead bytes, and errno as Windows error codes.
#include "platform/LastError.h"
#include "platform/RegionalSettings.h"

#include "base/CodePage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

using namespace platform;

TEST(RegionalSettings, PosixPicturesBecomeWindowsPictures) {
    struct Case {
        const char* posix;
        bool date;
        const char* picture;
        char separator;
    };
    const Case cases[] = {
        {"%m/%d/%y", true, "mm/dd/yy", '/'},
        {"%d.%m.%Y", true, "dd/mm/yyyy", '.'},
        {"%Y-%m-%d", true, "yyyy/mm/dd", '-'},
        {"%F", true, "yyyy/mm/dd", '-'},
        {"%D", true, "mm/dd/yy", '/'},
        {"%-d.%-m.%Y", true, "d/m/yyyy", '.'},
        {"%e %b %Y", true, "d mmm yyyy", '#'},
        {"%A, %d %B %Y", true, "dddd\",\" dd mmmm yyyy", '#'},
        {"%d.%m.%Y.", true, "dd/mm/yyyy\".\"", '.'},
        {"%Yr%m", true, "yyyy\"r\"mm", '#'},
        {"%H:%M:%S", false, "hh:nn:ss", ':'},
        {"%T", false, "hh:nn:ss", ':'},
        {"%r", false, "hh:nn:ss AMPM", ':'},
        {"%I:%M:%S %p", false, "hh:nn:ss AMPM", ':'},
        {"%k.%M", false, "h:nn", '.'},
        {"%H h %M", false, "hh \"h\" nn", '#'},
        {"%H:%M:%S %Z", false, "hh:nn:ss ", ':'},
        {"%Ey %Od", true, "yy dd", '#'},
    };
    for (const auto& c : cases) {
        char separator = '#';
        std::string picture =
            c.date ? datePictureFromPosix(c.posix, separator) : timePictureFromPosix(c.posix, separator);
        EXPECT_EQ(picture, c.picture) << c.posix;
        EXPECT_EQ(separator, c.separator) << c.posix;
    }
}

TEST(RegionalSettings, TheCLocaleGivesItsOwnValues) {
    auto c = regionalSettingsForLocale("C");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(c->shortDateFormat, "mm/dd/yy");
    EXPECT_EQ(c->dateSeparator, '/');
    EXPECT_EQ(c->timeSeparator, ':');
    EXPECT_EQ(c->decimalSeparator, '.');
    EXPECT_EQ(c->thousandSeparator, ',');  // the C locale groups nothing; a character is still needed
    EXPECT_EQ(c->timeAMString, "AM");
    EXPECT_EQ(c->timePMString, "PM");
    EXPECT_EQ(c->longMonthNames[8], "September");
    EXPECT_EQ(c->shortDayNames[0], "Sun");
    EXPECT_EQ(c->codePage, 1252);
    EXPECT_FALSE(regionalSettingsForLocale("xx_NOWHERE.UTF-8").has_value());
}

TEST(RegionalSettings, EnvironmentLocaleIsReadOnceAndPinnedSettingsWin) {
    const char* old = std::getenv("LC_ALL");
    std::string saved = old ? old : "";
    base::CodePage::setActive(1251);
    setenv("LC_ALL", "C.UTF-8", 1);
    resetRegionalSettings();
    EXPECT_EQ(regionalSettings().longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(regionalSettings().codePage, 1251);  // the player's chosen code page
    // A locale that is not installed leaves the "C" values.
    setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    resetRegionalSettings();
    EXPECT_EQ(regionalSettings().decimalSeparator, '.');
    EXPECT_EQ(regionalSettings().shortDateFormat, "mm/dd/yy");

    RegionalSettings pinned;
    pinned.decimalSeparator = ',';
    pinned.longTimeFormat = "h.nn";
    setRegionalSettings(pinned);
    EXPECT_EQ(regionalSettings().decimalSeparator, ',');
    EXPECT_EQ(regionalSettings().longTimeFormat, "h.nn");

    old ? setenv("LC_ALL", saved.c_str(), 1) : unsetenv("LC_ALL");
    resetRegionalSettings();
    base::CodePage::setActive(1252);
}

TEST(RegionalSettings, LeadBytesOfTheDoubleByteCodePages) {
    EXPECT_TRUE(isLeadByte(932, 0x81));
    EXPECT_TRUE(isLeadByte(932, 0xE0));
    EXPECT_FALSE(isLeadByte(932, 0xA0));  // half-width katakana are single bytes
    EXPECT_FALSE(isLeadByte(932, 'A'));
    for (int cp : {936, 949, 950}) {
        EXPECT_TRUE(isLeadByte(cp, 0x81)) << cp;
        EXPECT_FALSE(isLeadByte(cp, 0x80)) << cp;
        EXPECT_FALSE(isLeadByte(cp, 0xFF)) << cp;
    }
    for (int b = 0; b < 256; ++b) EXPECT_FALSE(isLeadByte(1252, static_cast<unsigned char>(b)));
}

TEST(LastError, ErrnoBecomesTheNearestWindowsCode) {
    EXPECT_EQ(systemErrorFromErrno(0), 0);
    EXPECT_EQ(systemErrorFromErrno(ENOENT), 2);
    EXPECT_EQ(systemErrorFromErrno(EACCES), 5);
    EXPECT_EQ(systemErrorFromErrno(EEXIST), 183);
    EXPECT_EQ(systemErrorFromErrno(EINVAL), 87);
    EXPECT_EQ(systemErrorFromErrno(EDOM), 31);
    setLastSystemErrorFromErrno(EBUSY);
    EXPECT_EQ(lastSystemError(), 32);
    setLastSystemError(0);
    EXPECT_EQ(lastSystemError(), 0);
}
