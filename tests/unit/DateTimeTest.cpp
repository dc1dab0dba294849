#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "util/OleDateTime.h"
#include "util/WeekNumber.h"

namespace {

COleDateTime Date(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return COleDateTime(y, m, d, h, mi, s);
}

TEST(DateTime, ValidationByConversionBack) {
    EXPECT_EQ(Date(2008, 2, 30).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(2008, 2, 29).GetStatus(), COleDateTime::valid);
    EXPECT_EQ(Date(2009, 2, 29).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(2026, 4, 31).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(2026, 13, 1).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(2026, 0, 1).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(2026, 1, 1, 24, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(2026, 1, 1, 23, 60, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(1900, 2, 29).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(2000, 2, 29).GetStatus(), COleDateTime::valid);
    EXPECT_EQ(Date(100, 1, 1).GetStatus(), COleDateTime::valid);
    EXPECT_EQ(Date(9999, 12, 31, 23, 59, 59).GetStatus(), COleDateTime::valid);
    EXPECT_EQ(Date(99, 12, 31).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(10000, 1, 1).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(Date(-5, 1, 1).GetStatus(), COleDateTime::invalid);
    COleDateTime bad = Date(2009, 2, 29);
    EXPECT_EQ(bad.GetYear(), -1);
    EXPECT_EQ(bad.GetDayOfWeek(), -1);
}

TEST(DateTime, TheOleDateAxis) {
    EXPECT_DOUBLE_EQ(Date(1899, 12, 30).m_dt, 0.0);
    EXPECT_EQ(COleDateTime().GetDayOfWeek(), 7); // 30 December 1899 was a Saturday
    EXPECT_DOUBLE_EQ(Date(1899, 12, 29, 6, 0, 0).m_dt, -1.25);
    EXPECT_DOUBLE_EQ(Date(2008, 11, 4, 12, 0, 0).m_dt, 39756.5);
    COleDateTime none(COleDateTime::kNoDate);
    EXPECT_EQ(none.GetYear(), 4501);
    EXPECT_EQ(none.GetMonth(), 1);
    EXPECT_EQ(none.GetDay(), 1);
    COleDateTime early(-1.25);
    EXPECT_EQ(early.GetDay(), 29);
    EXPECT_EQ(early.GetHour(), 6);
    EXPECT_EQ(COleDateTime(-657435.0).GetYear(), -1); // before year 100
    EXPECT_EQ(COleDateTime(2958466.0).GetYear(), -1); // after 9999
    COleDateTime nan(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(nan.GetYear(), -1);
    EXPECT_EQ(nan.Format("%Y"), "Invalid DateTime");
}

// Before the epoch the fraction runs forward from the day, so the range's first day
// spans OLE values below -657434: every hour of it is valid, the day before is not.
TEST(DateTime, TheFirstDayOfTheRangeHoldsEveryHour) {
    for (int h : {0, 12, 23}) {
        COleDateTime d = Date(100, 1, 1, h, 59, 59);
        ASSERT_EQ(d.GetStatus(), COleDateTime::valid) << h;
        EXPECT_EQ(d.GetYear(), 100);
        EXPECT_EQ(d.GetHour(), h);
    }
    EXPECT_DOUBLE_EQ(Date(100, 1, 1, 12, 0, 0).m_dt, -657434.5);
    EXPECT_EQ(COleDateTime(-657434.5).GetDay(), 1);
    COleDateTime noon = Date(100, 1, 1, 12, 0, 0);
    EXPECT_EQ((noon - COleDateTimeSpan(0, 12, 0, 0)).GetStatus(), COleDateTime::valid);
    EXPECT_EQ((noon - COleDateTimeSpan(0, 12, 0, 1)).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ((noon + COleDateTimeSpan(0, 6, 0, 0)).GetHour(), 18);
}

TEST(DateTime, ArithmeticOnTheContinuousAxis) {
    COleDateTime d = Date(1899, 12, 29, 6, 0, 0);
    COleDateTime next = d + COleDateTimeSpan(1.0);
    EXPECT_EQ(next.GetDay(), 30);
    EXPECT_EQ(next.GetHour(), 6);
    COleDateTime evening = d + COleDateTimeSpan(0, 12, 0, 0);
    EXPECT_EQ(evening.GetDay(), 29);
    EXPECT_EQ(evening.GetHour(), 18);
    EXPECT_DOUBLE_EQ(evening.m_dt, -1.75);
    COleDateTime back = Date(1899, 12, 30, 3, 0, 0) - COleDateTimeSpan(0, 6, 0, 0);
    EXPECT_EQ(back.GetDay(), 29);
    EXPECT_EQ(back.GetHour(), 21);
    EXPECT_NEAR((Date(1899, 12, 31) - Date(1899, 12, 29, 12, 0, 0)).GetTotalDays(), 1.5, 1e-9);
    EXPECT_EQ((Date(9999, 12, 31) + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::invalid);
    COleDateTimeSpan badSpan(3615898.0);
    EXPECT_EQ(badSpan.GetStatus(), COleDateTimeSpan::invalid);
    EXPECT_EQ(COleDateTimeSpan(-3615897.0).GetStatus(), COleDateTimeSpan::valid);
    EXPECT_EQ((Date(2000, 1, 1) + badSpan).GetStatus(), COleDateTime::invalid);
}

TEST(DateTime, ComparisonsNeedTwoValidValues) {
    COleDateTime a = Date(1899, 12, 29, 6, 0, 0), b = Date(1899, 12, 29, 18, 0, 0);
    EXPECT_TRUE(b > a); // -1.75 is later than -1.25
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(a > a);
    COleDateTime bad = Date(2009, 2, 29);
    EXPECT_FALSE(bad > a);
    EXPECT_FALSE(a > bad);
    COleDateTime nul;
    nul.SetStatus(COleDateTime::null);
    EXPECT_FALSE(b > nul);
}

TEST(DateTime, Formatting) {
    COleDateTime d = Date(2026, 12, 6, 14, 5, 9);
    EXPECT_EQ(d.Format("%H:%M"), "14:05");
    EXPECT_EQ(d.Format("%I:%M"), "02:05");
    EXPECT_EQ(d.Format("%H:%Mam"), "14:05am");
    EXPECT_EQ(d.Format("%I:%Mpm"), "02:05pm");
    EXPECT_EQ(d.Format("%A %d %B %Y, %a %b %j %w %p %y %S %%"),
              "Sunday 06 December 2026, Sun Dec 340 0 PM 26 09 %");
    EXPECT_EQ(Date(2026, 1, 1, 0, 0, 0).Format("%I %p %#d"), "12 AM 1");
    EXPECT_EQ(d.Format("%Q"), "%Q");
    EXPECT_EQ(d.Format(std::string(300, 'x')), "");
    COleDateTime nul;
    nul.SetStatus(COleDateTime::null);
    EXPECT_EQ(nul.Format("%H"), "");
    EXPECT_EQ(Date(2008, 2, 30).Format("%H"), "Invalid DateTime");
    EXPECT_EQ(Date(150, 3, 1).Format("%Y-%m-%d"), "150-03-01");
}

TEST(DateTime, FieldsRoundTripEverywhere) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> year(100, 9999), month(1, 12), day(1, 31), hour(0, 23), minsec(0, 59);
    int checked = 0;
    for (int i = 0; i < 20000; ++i) {
        int y = year(rng), m = month(rng), d = day(rng), h = hour(rng), mi = minsec(rng), s = minsec(rng);
        COleDateTime v(y, m, d, h, mi, s);
        if (v.GetStatus() != COleDateTime::valid) continue;
        ++checked;
        DateFields f;
        ASSERT_TRUE(v.GetFields(f));
        ASSERT_EQ(f.year, y);
        ASSERT_EQ(f.month, m);
        ASSERT_EQ(f.day, d);
        ASSERT_EQ(f.hour, h);
        ASSERT_EQ(f.minute, mi);
        ASSERT_EQ(f.second, s);
        // one day later on the continuous axis is the next calendar day at the same time
        COleDateTime n = v + COleDateTimeSpan(1.0);
        if (n.GetStatus() == COleDateTime::valid) {
            ASSERT_EQ(n.GetHour(), h);
            ASSERT_EQ(n.GetDayOfWeek(), f.dayOfWeek % 7 + 1);
        }
    }
    EXPECT_GT(checked, 15000);
}

TEST(WeekNumbers, OutlooksRules) {
    EXPECT_EQ(WeekNumber(Date(2009, 1, 1), 1, 0), 1);
    EXPECT_EQ(WeekNumber(Date(2009, 1, 5), 1, 0), 2);
    EXPECT_EQ(WeekNumber(Date(2010, 1, 1), 1, 0), 53);
    EXPECT_EQ(WeekNumber(Date(2011, 12, 26), 1, 0), 52);
    EXPECT_EQ(WeekNumber(Date(2011, 12, 31), 1, 0), 52);
    EXPECT_EQ(WeekNumber(Date(2012, 1, 2), 1, 0), 1);
    EXPECT_EQ(WeekNumber(Date(2008, 12, 31), 1, 0), 1);
    EXPECT_EQ(WeekNumber(Date(2010, 1, 1), 2, 0), 52);
    EXPECT_EQ(WeekNumber(Date(2008, 12, 31), 0, 6), 1);
    EXPECT_EQ(WeekNumber(Date(2009, 1, 4), 0, 6), 2);
    EXPECT_EQ(WeekNumber(Date(2009, 1, 3), 0, 6), 1);
    EXPECT_EQ(WeekNumber(Date(2026, 12, 7), 3, 4), 4); // unknown rule gives the first day back
    // A time of day on the last day of a week stays in that week.
    EXPECT_EQ(WeekNumber(Date(2009, 1, 4, 15, 30, 0), 1, 0), 1);
    EXPECT_EQ(WeekNumber(Date(2009, 2, 30), 1, 0), -1);
}

TEST(WeekNumbers, EveryRuleStaysInRangeAndGrowsByOneEachWeek) {
    for (int f = 0; f < 7; ++f) {
        for (int rule = 0; rule < 3; ++rule) {
            COleDateTime d = Date(1990, 1, 1);
            int prev = WeekNumber(d, rule, f);
            for (int i = 1; i < 366 * 12; ++i) {
                d += COleDateTimeSpan(1.0);
                int w = WeekNumber(d, rule, f);
                ASSERT_GE(w, 1) << d.Format("%Y-%m-%d") << " rule " << rule << " f " << f;
                ASSERT_LE(w, 54);
                // the number changes only where a week starts (weekday f)
                int monday0 = (d.GetDayOfWeek() + 5) % 7;
                if (monday0 != f) {
                    ASSERT_EQ(w, prev) << d.Format("%Y-%m-%d") << " rule " << rule << " f " << f;
                }
                prev = w;
            }
        }
    }
}

} // namespace
