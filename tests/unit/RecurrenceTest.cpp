#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "outlook/store/RecurrencePattern.h"

namespace {

using Type = CRecurrencePattern::Type;

CRecurrencePattern RandomPattern(std::mt19937& rnd, int64_t start) {
    CRecurrencePattern p;
    p.m_type = static_cast<Type>(rnd() % 6);
    p.m_interval = 1 + static_cast<int>(rnd() % 4);
    p.m_dayMask = 1 + static_cast<int>(rnd() % 127);
    p.m_dayOfMonth = 1 + static_cast<int>(rnd() % 31);
    p.m_instance = 1 + static_cast<int>(rnd() % 5);
    p.m_monthOfYear = 1 + static_cast<int>(rnd() % 12);
    p.m_firstDayOfWeek = static_cast<int>(rnd() % 7);
    p.m_startDay = start;
    switch (rnd() % 3) {
    case 0: break;
    case 1:
        p.m_hasEnd = true;
        p.m_endDay = start + static_cast<int64_t>(rnd() % 4000);
        break;
    default: p.m_occurrences = 1 + static_cast<int>(rnd() % 60); break;
    }
    return p;
}

// A window anywhere gives exactly the days that the walk from the pattern's first day
// finds inside it: jumping to the window changes nothing, also before 1899.
TEST(Recurrence, AnyWindowMatchesTheWalkFromTheStart) {
    std::mt19937 rnd(7);
    for (int i = 0; i < 3000; ++i) {
        int64_t start = static_cast<int64_t>(rnd() % 20000) - 10000;
        CRecurrencePattern p = RandomPattern(rnd, start);
        int64_t from = start + static_cast<int64_t>(rnd() % 3000) - 100;
        int64_t to = from + static_cast<int64_t>(rnd() % 400);
        std::vector<int64_t> all = p.Days(start, to), expected;
        for (int64_t d : all)
            if (d >= from) expected.push_back(d);
        ASSERT_EQ(p.Days(from, to), expected) << "case " << i << " type " << static_cast<int>(p.m_type);
    }
}

// An old pattern asked for one week far from its start gives that week's few days.
TEST(Recurrence, AnOldPatternGivesOnlyTheWindow) {
    const int64_t year100 = CRecurrencePattern::DayNumber(100, 1, 1);
    const int64_t today = CRecurrencePattern::DayNumber(2026, 12, 7);
    CRecurrencePattern daily;
    daily.m_type = Type::Daily;
    daily.m_startDay = year100;
    EXPECT_EQ(daily.Days(today, today + 6).size(), 7u);

    CRecurrencePattern yearly;
    yearly.m_type = Type::Yearly;
    yearly.m_startDay = year100;
    yearly.m_monthOfYear = 12;
    yearly.m_dayOfMonth = 8;
    EXPECT_EQ(yearly.Days(today, today + 6), std::vector<int64_t>{today + 1});
    // counted from year 100: the 999th year is long before the window
    yearly.m_occurrences = 999;
    EXPECT_TRUE(yearly.Days(today, today + 6).empty());
    EXPECT_EQ(yearly.Days(year100, CRecurrencePattern::DayNumber(1099, 12, 31)).size(), 999u);

    CRecurrencePattern monthNth;
    monthNth.m_type = Type::MonthNth;
    monthNth.m_startDay = year100;
    monthNth.m_dayMask = 1 << 1; // Mondays
    monthNth.m_instance = 1;
    std::vector<int64_t> days = monthNth.Days(today, today + 6); // Monday 7 December 2026
    EXPECT_EQ(days, std::vector<int64_t>{today});
}

} // namespace
