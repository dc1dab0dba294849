#pragma once
// A recurrence as Outlook defines it, and the days on which it occurs.
#include <cstdint>
#include <vector>

class CRecurrencePattern {
public:
    enum class Type { Daily, Weekly, Monthly, MonthNth, Yearly, YearNth };

    Type m_type = Type::Weekly;
    int m_interval = 1;        // days, weeks, months or years
    int m_dayMask = 0;         // bit 0 Sunday ... bit 6 Saturday (weekly, month-nth, year-nth)
    int m_dayOfMonth = 1;      // monthly, yearly
    int m_instance = 1;        // month-nth, year-nth: 1..4, 5 = last
    int m_monthOfYear = 1;     // yearly, year-nth
    int m_firstDayOfWeek = 0;  // 0 Sunday ... 6 Saturday: where a week of a weekly pattern begins
    int64_t m_startDay = 0;    // first possible day (days since 30 Dec 1899)
    bool m_hasEnd = false;     // ends on m_endDay (inclusive)
    int64_t m_endDay = 0;
    int m_occurrences = 0;     // ends after this many occurrences when > 0

    // Days of the occurrences in [fromDay, toDay], before exceptions are applied.
    std::vector<int64_t> Days(int64_t fromDay, int64_t toDay) const;

    // Calendar helpers on day numbers (days since 30 Dec 1899).
    static int64_t DayNumber(int year, int month, int day);
    static void CivilDate(int64_t dayNumber, int& year, int& month, int& day);
    static int Weekday(int64_t dayNumber); // 0 Sunday ... 6 Saturday
    static int DaysInMonth(int year, int month);
};
