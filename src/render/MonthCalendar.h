#pragma once
// The calendar block: this month as a grid of day pictures from the style's icon
// library (with today marked and the week numbers beside the rows), and the previous
// and next months as small text calendars. Every day shown records a day region.
#include <string>
#include <vector>

#include "../util/OleDateTime.h"

class CLocaleValues;
class CMemWallPaper;
class CRegionList;

class CMonthCalendar {
public:
    // One day of a month grid: where it goes (relative to the month's position), which
    // date it is, and whether it belongs to a neighbouring month (drawn in grey).
    struct Cell {
        int x = 0;
        int y = 0;
        COleDateTime date;
        bool otherMonth = false;
    };

    // Icon calendar geometry at 100 % (the layout's scale multiplies it).
    static constexpr int kIconMonthWidth = 266, kIconMonthHeight = 288;
    static constexpr int kIconSize = 32, kIconPitchX = 38, kIconPitchY = 36;
    // Small calendar geometry.
    static constexpr int kSmallPitchX = 22, kSmallPitchY = 13, kRuleLength = 147;

    // Draws the calendar block onto the data surface at the block's position.
    static void Draw(CMemWallPaper& data, CRegionList& regions, const CLocaleValues& locale,
                     const COleDateTime& today);

    // The column (0..6) of a date counted from the first day of the week
    // (0 Monday ... 6 Sunday).
    static int Column(const COleDateTime& date, int firstDayOfWeek);
    // The cells of the icon calendar for the month of date: at most six rows of the
    // month's own days, the first row starting at the 1st's column; placed for a
    // drawing at scale per cent.
    static std::vector<Cell> IconMonthCells(const COleDateTime& date, int firstDayOfWeek, int scale = 100);
    // The cells of the small calendar for the month of date: the days of the previous
    // month before the 1st, the month's days, and the next month's days completing the
    // last row; at most six rows; placed for a drawing at scale per cent.
    static std::vector<Cell> SmallMonthCells(const COleDateTime& date, int firstDayOfWeek, int scale = 100);
    // A day number as the small calendar writes it: "07" for the month's own 7th,
    // "7" for a leading day of the previous month.
    static std::string SmallDayText(int day, bool leading);

private:
    static void DrawIconMonth(CMemWallPaper& block, CRegionList& regions, const CLocaleValues& locale, int px,
                              int py, const COleDateTime& date, int regionDx, int regionDy);
    static void DrawSmallMonth(CMemWallPaper& block, CRegionList& regions, const CLocaleValues& locale,
                               int a, int b, const COleDateTime& first, int regionDx, int regionDy);
};
