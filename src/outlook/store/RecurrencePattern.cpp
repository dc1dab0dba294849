#include "RecurrencePattern.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int64_t kEpochShift = 693899; // civil-day offset of 30 Dec 1899 in the algorithm below

constexpr int64_t kNone = INT64_MIN;

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

// The instance-th day of the month matching mask (5 = the last one); kNone when none.
int64_t NthInMonth(int year, int month, int mask, int instance) {
    int dim = CRecurrencePattern::DaysInMonth(year, month);
    int64_t first = CRecurrencePattern::DayNumber(year, month, 1);
    if (instance >= 5) {
        for (int d = dim; d >= 1; --d)
            if (mask & (1 << CRecurrencePattern::Weekday(first + d - 1))) return first + d - 1;
        return kNone;
    }
    int seen = 0;
    for (int d = 1; d <= dim; ++d)
        if ((mask & (1 << CRecurrencePattern::Weekday(first + d - 1))) && ++seen == instance) return first + d - 1;
    return kNone;
}

} // namespace

// The occurrences are found period by period (the interval's days, weeks, months or
// years), so the cost follows the periods inside the window and never the pattern's
// age. A counted pattern numbers its occurrences from the first one; the count is at
// most a few thousand, so those patterns walk their periods from the start.
std::vector<int64_t> CRecurrencePattern::Days(int64_t fromDay, int64_t toDay) const {
    std::vector<int64_t> out;
    const int64_t last = m_hasEnd ? std::min(toDay, m_endDay) : toDay;
    if (last < m_startDay) return out;
    const int64_t interval = std::max(1, m_interval);
    const bool counted = m_occurrences > 0;
    const int64_t first = counted ? m_startDay : std::max(fromDay, m_startDay);
    if (first > last) return out;

    int sy, sm, sd;
    CivilDate(m_startDay, sy, sm, sd);
    int fy, fm, fd;
    CivilDate(first, fy, fm, fd);
    auto weekStart = [&](int64_t n) { return n - ((Weekday(n) - m_firstDayOfWeek + 7) % 7); };
    const int64_t week0 = weekStart(m_startDay);
    const int64_t month0 = static_cast<int64_t>(sy) * 12 + (sm - 1);

    // The period holding the first day asked for.
    int64_t k = 0;
    switch (m_type) {
    case Type::Daily: k = (first - m_startDay) / interval; break;
    case Type::Weekly: k = (weekStart(first) - week0) / 7 / interval; break;
    case Type::Monthly:
    case Type::MonthNth: k = (static_cast<int64_t>(fy) * 12 + (fm - 1) - month0) / interval; break;
    case Type::Yearly:
    case Type::YearNth: k = (fy - sy) / interval; break;
    }

    int count = 0;
    // Takes day when it belongs to the pattern; false once the walk is over.
    auto take = [&](int64_t day) {
        if (day < m_startDay) return true;
        if (day > last) return false;
        if (counted && ++count > m_occurrences) return false;
        if (day >= fromDay) out.push_back(day);
        return true;
    };
    for (;; ++k) {
        int64_t periodStart = 0;
        bool more = true;
        switch (m_type) {
        case Type::Daily:
            periodStart = m_startDay + k * interval;
            more = take(periodStart);
            break;
        case Type::Weekly:
            periodStart = week0 + k * interval * 7;
            for (int64_t day = periodStart; day < periodStart + 7 && more; ++day)
                if (m_dayMask & (1 << Weekday(day))) more = take(day);
            break;
        case Type::Monthly:
        case Type::MonthNth:
        case Type::Yearly:
        case Type::YearNth: {
            const bool yearly = m_type == Type::Yearly || m_type == Type::YearNth;
            int64_t index = yearly ? (static_cast<int64_t>(sy) + k * interval) * 12 + (m_monthOfYear - 1)
                                   : month0 + k * interval;
            int year = static_cast<int>(FloorDiv(index, 12)), month = static_cast<int>(index - FloorDiv(index, 12) * 12) + 1;
            periodStart = DayNumber(year, month, 1);
            int64_t day = (m_type == Type::Monthly || m_type == Type::Yearly)
                              ? DayNumber(year, month, std::min(m_dayOfMonth, DaysInMonth(year, month)))
                              : NthInMonth(year, month, m_dayMask, m_instance);
            if (day != kNone) more = take(day);
            break;
        }
        }
        if (!more || periodStart > last) break;
    }
    return out;
}
