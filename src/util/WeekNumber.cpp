#include "WeekNumber.h"

#include <cmath>

int WeekNumber(const COleDateTime& date, int rule, int firstDay) {
    if (rule < 0 || rule > 2) return firstDay;
    DateFields f;
    if (!date.GetFields(f)) return -1;
    const int year = f.year;
    COleDateTime jan1(year, 1, 1, 0, 0, 0);
    int c = jan1.GetDayOfWeek() - firstDay - 2; // days from the start of J's week to J
    if (c < 0) c += 7;
    // Whole days only: a time of day on the last day of a week still belongs to that week.
    const double day = std::floor(COleDateTime::ToLinear(COleDateTime(f.year, f.month, f.day, 0, 0, 0).m_dt));
    double end = COleDateTime::ToLinear(jan1.m_dt) - c + 6; // last day of J's week
    int n = rule == 0 ? 1 : rule == 1 ? (c < 4 ? 1 : 0) : (c == 0 ? 1 : 0);
    while (day > end && n <= 53) {
        ++n;
        end += 7;
    }
    DateFields e;
    COleDateTime::FieldsFromOle(COleDateTime::FromLinear(end), e);
    if (rule == 0) {
        if (e.year > year) n = 1;
    } else if (rule == 1) {
        if (e.year > year && e.day >= 4) {
            n = 1; // that week holds four or more days of the next year
        } else if (n == 0) {
            n = WeekNumber(COleDateTime(year - 1, 12, 31, 0, 0, 0), 1, firstDay);
        }
    } else if (n == 0) {
        n = WeekNumber(COleDateTime(year - 1, 12, 31, 0, 0, 0), 2, firstDay);
    }
    return n;
}
