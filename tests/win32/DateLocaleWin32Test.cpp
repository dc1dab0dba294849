// Dates against oleaut32 and locale values against the Windows locale functions.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <random>

#include "Win32TestUtil.h"
#include "outlook/store/StoreFilter.h"
#include "platform/Platform.h"
#include "util/LocaleValues.h"
#include "util/OleDateTime.h"

namespace {

TEST(Win32Dates, FieldsAndBackAgreeWithOleaut32) {
    std::mt19937_64 rng(20261207);
    std::uniform_int_distribution<long long> dayDist(-657434, 2958465);
    std::uniform_int_distribution<int> secDist(0, 86399);
    int compared = 0, negatives = 0;
    for (int i = 0; i < 200000; ++i) {
        long long day = dayDist(rng);
        int sec = i % 10 == 0 ? 0 : secDist(rng);
        double frac = sec / 86400.0;
        double v = day >= 0 ? day + frac : day - frac;
        if (v < 0) ++negatives;

        SYSTEMTIME st{};
        ASSERT_TRUE(VariantTimeToSystemTime(v, &st)) << v;
        DateFields f;
        ASSERT_TRUE(COleDateTime::FieldsFromOle(v, f)) << v;
        ASSERT_EQ(f.year, st.wYear) << v;
        ASSERT_EQ(f.month, st.wMonth) << v;
        ASSERT_EQ(f.day, st.wDay) << v;
        ASSERT_EQ(f.hour, st.wHour) << v;
        ASSERT_EQ(f.minute, st.wMinute) << v;
        ASSERT_EQ(f.second, st.wSecond) << v;
        ASSERT_EQ(f.dayOfWeek, st.wDayOfWeek + 1) << v;

        double theirs = 0, ours = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&st, &theirs)) << v;
        ASSERT_TRUE(COleDateTime::OleFromFields(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                                                st.wSecond, ours));
        ASSERT_NEAR(ours, theirs, 1e-6) << v; // well under a second
        ASSERT_NEAR(ours, v, 1e-6) << v;
        ++compared;
    }
    EXPECT_EQ(compared, 200000);
    EXPECT_GT(negatives, 3000);
}

TEST(Win32Dates, InvalidFieldsAreRefusedLikeOleaut32) {
    struct Case {
        WORD y, m, d;
    } cases[] = {{2008, 2, 30}, {2009, 2, 29}, {2026, 4, 31}, {1900, 2, 29}};
    for (const auto& c : cases) {
        COleDateTime ours(c.y, c.m, c.d, 0, 0, 0);
        EXPECT_EQ(ours.GetStatus(), COleDateTime::invalid) << c.y << "-" << c.m << "-" << c.d;
    }
    SYSTEMTIME st{};
    EXPECT_TRUE(VariantTimeToSystemTime(-1.25, &st));
    EXPECT_EQ(st.wDay, 29);
    EXPECT_EQ(st.wHour, 6);
    EXPECT_EQ(COleDateTime(-1.25).GetHour(), 6);
}

void ExpectPicturesMatchWindows(const char* name) {
    CLocaleValues l = LocaleValues(name);
    LCID lcid = LocaleNameToLCID(Widen(name).c_str(), 0);
    ASSERT_NE(lcid, 0u) << name;
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> days(-20000, 80000), secs(0, 86399);
    for (int i = 0; i < 2000; ++i) {
        COleDateTime d(days(rng) + secs(rng) / 86400.0);
        SYSTEMTIME st{};
        ASSERT_TRUE(VariantTimeToSystemTime(d.m_dt, &st));
        wchar_t date[256] = {}, time[256] = {};
        ASSERT_GT(GetDateFormatW(lcid, 0, &st, Widen(l.m_longDateFormat).c_str(), date, 256), 0);
        ASSERT_GT(GetTimeFormatW(lcid, TIME_NOSECONDS, &st, Widen(l.m_timeFormat).c_str(), time, 256), 0);
        DateFields f;
        ASSERT_TRUE(d.GetFields(f));
        // The portable formatter (what the Linux program writes) against the system's.
        ASSERT_EQ(l.FormatDatePicture(l.m_longDateFormat, f) + " " + l.FormatTimePicture(l.m_timeFormat, f, true),
                  Narrow(date) + " " + Narrow(time))
            << name << " " << d.m_dt;
    }
}

TEST(Win32Locale, EnglishUnitedStates) {
    CLocaleValues l = LocaleValues("en-US");
    EXPECT_EQ(l.m_longDateOrder, 0);
    EXPECT_EQ(l.m_clockFormat, 0);
    EXPECT_EQ(l.m_am, "AM");
    EXPECT_EQ(l.m_pm, "PM");
    EXPECT_EQ(l.m_monthNames[0], "January");
    EXPECT_EQ(l.m_dayNames[0], "Monday");
    EXPECT_EQ(l.DayName(1), "Sunday");
    EXPECT_EQ(l.m_firstDayOfWeek, 6);
    EXPECT_EQ(l.ShortDayCaption(4), "FR");
    EXPECT_EQ(l.LongDateText(COleDateTime(2026, 12, 6, 0, 0, 0)), "December 6 2026");
    ExpectPicturesMatchWindows("en-US");
}

TEST(Win32Locale, German) {
    CLocaleValues l = LocaleValues("de-DE");
    EXPECT_EQ(l.m_longDateOrder, 1);
    EXPECT_EQ(l.m_clockFormat, 1);
    EXPECT_EQ(l.m_monthNames[2], "M\xC3\xA4rz");
    EXPECT_EQ(l.m_dayNames[6], "Sonntag");
    EXPECT_EQ(l.m_firstDayOfWeek, 0);
    EXPECT_EQ(l.ShortDayCaption(3), "DO");
    EXPECT_EQ(l.LongDateText(COleDateTime(2026, 12, 6, 0, 0, 0)), "6 Dezember 2026");
    ExpectPicturesMatchWindows("de-DE");
}

// The dates of Outlook filters are exactly the system's long date and time texts,
// whatever the script, calendar, month-name form or designator of the locale; the
// substitute store reads back those of the Gregorian calendar.
TEST(Win32Locale, FilterDatesAreTheSystemsTextsInEveryLocale) {
    const char* names[] = {"en-US", "en-GB", "de-DE", "fr-FR", "ru-RU", "pl-PL", "cs-CZ", "fi-FI", "el-GR",
                           "ja-JP", "ko-KR", "zh-CN", "th-TH", "ar-SA", "he-IL", "tr-TR"};
    const COleDateTime dates[] = {COleDateTime(2026, 12, 7, 0, 0, 0), COleDateTime(2026, 12, 7, 23, 59, 0),
                                  COleDateTime(2027, 5, 1, 12, 0, 0), COleDateTime(2026, 2, 28, 9, 5, 0)};
    int compared = 0;
    for (const char* name : names) {
        LCID lcid = LocaleNameToLCID(Widen(name).c_str(), 0);
        ASSERT_NE(lcid, 0u) << name;
        CLocaleValues l = LocaleValues(name);
        for (const COleDateTime& d : dates) {
            SYSTEMTIME st{};
            ASSERT_TRUE(VariantTimeToSystemTime(d.m_dt, &st));
            wchar_t date[256] = {}, time[256] = {};
            ASSERT_GT(GetDateFormatW(lcid, DATE_LONGDATE, &st, nullptr, date, 256), 0) << name;
            ASSERT_GT(GetTimeFormatW(lcid, TIME_NOSECONDS, &st, nullptr, time, 256), 0) << name;
            const std::string text = l.DateTimeText(d);
            EXPECT_EQ(text, Narrow(date) + " " + Narrow(time)) << name;
            ++compared;
            CALID calendar = 0;
            GetLocaleInfoW(lcid, LOCALE_ICALENDARTYPE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&calendar),
                           sizeof calendar / sizeof(wchar_t));
            if (calendar != CAL_GREGORIAN && calendar != CAL_GREGORIAN_US) continue; // Buddhist, Hijri years
            double back = 0;
            EXPECT_TRUE(CStoreFilter::ParseDateText(text, l, back)) << name << ": " << text;
            EXPECT_EQ(COleDateTime(back), d) << name << ": " << text;
        }
    }
    EXPECT_EQ(compared, 16 * 4);
    // The month after a day number is the genitive the system writes.
    EXPECT_NE(LocaleValues("ru-RU").DateTimeText(dates[0]).find("\xD0\xB4\xD0\xB5\xD0\xBA\xD0\xB0\xD0\xB1\xD1\x80\xD1\x8F"),
              std::string::npos);
}

TEST(Win32Locale, UnknownLocaleLeavesFieldsEmpty) {
    CLocaleValues l = LocaleValues("xx-NOWHERE");
    EXPECT_EQ(l.m_monthNames[0], "");
    EXPECT_EQ(l.m_firstDayOfWeek, 0);
    EXPECT_EQ(l.ShortDayCaption(0), "");
    CLocaleValues user = LocaleValues(); // the default locale of the prefix reads
    EXPECT_FALSE(user.m_monthNames[0].empty());
    EXPECT_FALSE(user.m_longDateFormat.empty());
}

TEST(Win32Dates, CurrentTimeIsTheLocalClock) {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    COleDateTime now = LocalNow();
    ASSERT_EQ(now.GetStatus(), COleDateTime::valid);
    double local = 0;
    SystemTimeToVariantTime(&st, &local);
    EXPECT_NEAR(now.m_dt, local, 5.0 / 86400);
}

} // namespace
