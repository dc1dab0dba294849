#include "RecurrencePattern.h"

#include <algorithm>

namespace {
constexpr int64_t kEpochShift = 693899; // civil-day offset of 30 Dec 1899 in the algorithm below

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
} // namespace

int64_t CRecurrencePattern::DayNumber(int year, int month, int day) {
    int64_t y = year - (month <= 2);
    int64_t era = FloorDiv(y, 400);
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - kEpochShift;
}

void CRecurrencePattern::CivilDate(int64_t n, int& year, int& month, int& day) {
    int64_t z = n + kEpochShift;
    int64_t era = FloorDiv(z, 146097);
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int CRecurrencePattern::Weekday(int64_t n) { return static_cast<int>(((n % 7) + 7 + 6) % 7); }

int CRecurrencePattern::DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

namespace {

// The instance-th day of the month matching mask (5 = the last one); -1 when none.
int64_t NthInMonth(int year, int month, int mask, int instance) {
    int dim = CRecurrencePattern::DaysInMonth(year, month);
    int64_t first = CRecurrencePattern::DayNumber(year, month, 1);
    if (instance >= 5) {
        for (int d = dim; d >= 1; --d)
            if (mask & (1 << CRecurrencePattern::Weekday(first + d - 1))) return first + d - 1;
        return -1;
    }
    int seen = 0;
    for (int d = 1; d <= dim; ++d)
        if ((mask & (1 << CRecurrencePattern::Weekday(first + d - 1))) && ++seen == instance) return first + d - 1;
    return -1;
}

} // namespace

bool CRecurrencePattern::Matches(int64_t day) const {
    if (day < m_startDay) return false;
    int interval = std::max(1, m_interval);
    int y, m, d, sy, sm, sd;
    CivilDate(day, y, m, d);
    CivilDate(m_startDay, sy, sm, sd);
    switch (m_type) {
    case Type::Daily: return (day - m_startDay) % interval == 0;
    case Type::Weekly: {
        if (!(m_dayMask & (1 << Weekday(day)))) return false;
        auto weekStart = [&](int64_t n) { return n - ((Weekday(n) - m_firstDayOfWeek + 7) % 7); };
        return FloorDiv(weekStart(day) - weekStart(m_startDay), 7) % interval == 0;
    }
    case Type::Monthly: {
        int months = (y - sy) * 12 + (m - sm);
        if (months % interval != 0) return false;
        return d == std::min(m_dayOfMonth, DaysInMonth(y, m)); // day 31 falls on the last day
    }
    case Type::MonthNth: {
        int months = (y - sy) * 12 + (m - sm);
        return months % interval == 0 && NthInMonth(y, m, m_dayMask, m_instance) == day;
    }
    case Type::Yearly:
        return m == m_monthOfYear && (y - sy) % interval == 0 &&
               d == std::min(m_dayOfMonth, DaysInMonth(y, m));
    case Type::YearNth:
        return m == m_monthOfYear && (y - sy) % interval == 0 &&
               NthInMonth(y, m, m_dayMask, m_instance) == day;
    }
    return false;
}

std::vector<int64_t> CRecurrencePattern::Days(int64_t fromDay, int64_t toDay) const {
    std::vector<int64_t> out;
    int64_t last = m_hasEnd ? std::min(toDay, m_endDay) : toDay;
    if (m_occurrences > 0) {
        // Counted from the start: every occurrence up to the window's end must be seen.
        int count = 0;
        for (int64_t day = m_startDay; day <= last && count < m_occurrences; ++day) {
            if (!Matches(day)) continue;
            ++count;
            if (day >= fromDay) out.push_back(day);
        }
        return out;
    }
    for (int64_t day = std::max(fromDay, m_startDay); day <= last; ++day)
        if (Matches(day)) out.push_back(day);
    return out;
}
