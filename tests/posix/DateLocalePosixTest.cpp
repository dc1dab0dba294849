// Dates and regional settings against the C library.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/Platform.h"
#include "util/LocaleValues.h"
#include "util/OleDateTime.h"
#include "util/WeekNumber.h"

namespace {

// The C library's ISO 8601 week (%V) is an independent oracle for rule 1 with Monday first.
TEST(PosixDates, IsoWeeksMatchTheCLibraryFrom1900To2100) {
    COleDateTime d(1900, 1, 1, 0, 0, 0);
    int days = 0;
    while (d.GetYear() <= 2100) {
        struct tm tm {};
        tm.tm_year = d.GetYear() - 1900;
        tm.tm_mon = d.GetMonth() - 1;
        tm.tm_mday = d.GetDay();
        tm.tm_hour = 12;
        ASSERT_NE(timegm(&tm), static_cast<time_t>(-1)); // fills weekday and day of year
        char iso[8] = {};
        ASSERT_GT(strftime(iso, sizeof iso, "%V", &tm), 0u);
        ASSERT_EQ(WeekNumber(d, 1, 0), std::atoi(iso)) << d.Format("%Y-%m-%d");
        ASSERT_EQ(d.GetDayOfWeek(), tm.tm_wday + 1) << d.Format("%Y-%m-%d");
        ASSERT_EQ(d.GetDayOfYear(), tm.tm_yday + 1) << d.Format("%Y-%m-%d");
        d += COleDateTimeSpan(1.0);
        ++days;
    }
    EXPECT_EQ(days, 73414);
}

TEST(PosixLocale, EnglishUnitedStates) {
    CLocaleValues l = LocaleValues("en_US.UTF-8");
    EXPECT_EQ(l.m_longDateOrder, 0);
    EXPECT_EQ(l.m_clockFormat, 0);
    EXPECT_EQ(l.m_am, "AM");
    EXPECT_EQ(l.m_pm, "PM");
    EXPECT_EQ(l.m_monthNames[0], "January");
    EXPECT_EQ(l.m_abbrevMonthNames[11], "Dec");
    EXPECT_EQ(l.m_dayNames[0], "Monday");
    EXPECT_EQ(l.m_abbrevDayNames[6], "Sun");
    EXPECT_EQ(l.m_firstDayOfWeek, 6);
    EXPECT_EQ(l.DayName(1), "Sunday");
    EXPECT_EQ(l.ShortDayCaption(0), "MO");
    COleDateTime d(2026, 12, 6, 14, 5, 30);
    EXPECT_EQ(l.LongDateText(d), "December 6 2026");
    EXPECT_EQ(l.DateTimeText(d), "Sunday, December 6, 2026 2:05 PM");
}

TEST(PosixLocale, GermanAndOthers) {
    CLocaleValues de = LocaleValues("de_DE.UTF-8");
    EXPECT_EQ(de.m_longDateOrder, 1);
    EXPECT_EQ(de.m_clockFormat, 1);
    EXPECT_EQ(de.m_monthNames[2], "M\xC3\xA4rz");
    EXPECT_EQ(de.m_dayNames[6], "Sonntag");
    EXPECT_EQ(de.m_firstDayOfWeek, 0);
    EXPECT_EQ(de.ShortDayCaption(3), "DO");
    COleDateTime d(2026, 12, 6, 9, 7, 0);
    EXPECT_EQ(de.LongDateText(d), "6 Dezember 2026");
    EXPECT_EQ(de.DateTimeText(d), "Sonntag, 6 Dezember 2026 09:07");

    CLocaleValues gb = LocaleValues("en_GB.UTF-8");
    EXPECT_EQ(gb.m_longDateOrder, 1);
    EXPECT_EQ(gb.m_clockFormat, 1);
    EXPECT_EQ(gb.m_firstDayOfWeek, 0);

    CLocaleValues fr = LocaleValues("fr_FR.UTF-8");
    EXPECT_EQ(fr.m_dayNames[0], "lundi");
    EXPECT_EQ(fr.ShortDayCaption(0), "LU");
    EXPECT_EQ(fr.m_monthNames[7], "ao\xC3\xBBt");
}

TEST(PosixLocale, UnreadableLocaleLeavesEverythingEmpty) {
    CLocaleValues none = LocaleValues("xx_NOWHERE.UTF-8");
    EXPECT_EQ(none.m_longDateOrder, 0);
    EXPECT_EQ(none.m_firstDayOfWeek, 0);
    EXPECT_EQ(none.m_monthNames[0], "");
    EXPECT_EQ(none.DayName(1), "");
    EXPECT_EQ(none.ShortDayCaption(0), "");
    EXPECT_EQ(none.LongDateText(COleDateTime(2026, 1, 1, 0, 0, 0)), " 1 2026"); // order 0, no month name
    EXPECT_EQ(none.DateTimeText(COleDateTime(2026, 1, 1, 0, 0, 0)), " ");
}

} // namespace
