#include "MonthCalendar.h"

#include "../settings/Settings.h"
#include "../util/LocaleValues.h"
#include "../util/WeekNumber.h"
#include "MaskedBitmap.h"
#include "MemWallPaper.h"
#include "../util/PanelScale.h"
#include "RegionList.h"

namespace {

constexpr Colorref kBlack = MakeColorref(0, 0, 0);

COleDateTime FirstOfMonth(const COleDateTime& d) { return COleDateTime(d.GetYear(), d.GetMonth(), 1, 0, 0, 0); }

COleDateTime AddMonths(const COleDateTime& first, int months) {
    int y = first.GetYear(), m = first.GetMonth() + months;
    while (m < 1) m += 12, --y;
    while (m > 12) m -= 12, ++y;
    return COleDateTime(y, m, 1, 0, 0, 0);
}

COleDateTime NextDay(const COleDateTime& d) { return d + COleDateTimeSpan(1.0); }

bool SameDay(const COleDateTime& a, const COleDateTime& b) {
    return a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth() && a.GetDay() == b.GetDay();
}

} // namespace

int CMonthCalendar::Column(const COleDateTime& date, int firstDayOfWeek) {
    const int mondayFirst = (date.GetDayOfWeek() + 5) % 7; // 0 Monday ... 6 Sunday
    return ((mondayFirst - firstDayOfWeek) % 7 + 7) % 7;
}

std::vector<CMonthCalendar::Cell> CMonthCalendar::IconMonthCells(const COleDateTime& date, int firstDayOfWeek,
                                                                 int scale) {
    const int pitchX = CPanelScale::Length(kIconPitchX, scale), pitchY = CPanelScale::Length(kIconPitchY, scale);
    std::vector<Cell> cells;
    COleDateTime d = FirstOfMonth(date);
    const int month = d.GetMonth();
    int column = Column(d, firstDayOfWeek);
    for (int row = 0; row < 6 && d.GetMonth() == month; ++row, column = 0) {
        for (; column <= 6 && d.GetMonth() == month; ++column, d = NextDay(d))
            cells.push_back({pitchX * column, pitchY + pitchY * row, d, false});
    }
    return cells;
}

std::string CMonthCalendar::SmallDayText(int day, bool leading) {
    return (!leading && day < 10 ? "0" : "") + std::to_string(day);
}

std::vector<CMonthCalendar::Cell> CMonthCalendar::SmallMonthCells(const COleDateTime& date, int firstDayOfWeek,
                                                                  int scale) {
    const int pitchX = CPanelScale::Length(kSmallPitchX, scale), pitchY = CPanelScale::Length(kSmallPitchY, scale);
    std::vector<Cell> cells;
    const COleDateTime first = FirstOfMonth(date);
    const int month = first.GetMonth();
    // Days of the previous month before the 1st: one less than the 1st's column
    // counted from 1, so none when the month starts on the first day of the week.
    const int leading = Column(first, firstDayOfWeek);
    int column = 0, row = 0;
    const int rowTop = CPanelScale::Length(29, scale);
    for (int k = leading; k >= 1; --k, ++column)
        cells.push_back({pitchX * column, rowTop, first - COleDateTimeSpan(static_cast<double>(k)), true});
    COleDateTime d = first;
    while (row < 6) {
        const bool inMonth = d.GetMonth() == month;
        if (!inMonth && column == 0) break; // the month ended with the row
        cells.push_back({pitchX * column, rowTop + pitchY * row, d, !inMonth});
        d = NextDay(d);
        if (++column == 7) column = 0, ++row;
    }
    return cells;
}

void CMonthCalendar::Draw(CMemWallPaper& data, CRegionList& regions, const CLocaleValues& locale,
                          const COleDateTime& today) {
    const CSettings& s = data.Settings();
    const PanelLayout& panelLayout = data.Layout();
    // The block is drawn at the calendar's own scale, which can be below the panel's.
    PanelLayout smaller;
    if (panelLayout.calendarScale != panelLayout.scale) smaller = panelLayout.CalendarLayout();
    const PanelLayout& L = panelLayout.calendarScale != panelLayout.scale ? smaller : panelLayout;
    const StyleGeometry& g = L.geometry;
    const Rect& block = g.calendar;
    CMemWallPaper surface(data.Factory(), block.Width(), block.Height(), s, L, L.colors[ColorSlot::CalendarBackground]);
    if (!surface.IsValid()) return;
    const CMaskedBitmap background = CMaskedBitmap::LoadBitmap(CStyleSet::kCalendarBackground + L.style, L.scale);
    // In the system's high-contrast scheme the block stays in the window colour.
    if (!L.highContrast) {
        if (!L.central && L.style == 2) {
            background.DrawStretched(surface, 0, 0, block.Width(), block.Height());
        } else if (L.calendarCut > 0) {
            // Without the small months: the picture's part under this month where the
            // whole block has it, and over the margin left of the month (where the
            // small months' cards end) the picture's ground from the month's edge on.
            background.Draw(surface, -L.calendarCut, 0);
            background.Draw(surface, -(L.calendarCut + g.currentMonth.x), 0);
        } else {
            background.Draw(surface, 0, 0);
        }
    }

    const int dx = block.left + data.OriginX(), dy = block.top + data.OriginY();
    const COleDateTime first = FirstOfMonth(today);
    // The small months go with this month's grid.
    if (g.showCurrentMonth) {
        if (g.showPreviousMonth)
            DrawSmallMonth(surface, regions, locale, g.previousMonth.x, g.previousMonth.y, AddMonths(first, -1), dx, dy);
        if (g.showNextMonth)
            DrawSmallMonth(surface, regions, locale, g.nextMonth.x, g.nextMonth.y, AddMonths(first, 1), dx, dy);
        surface.LoadIcons(L.iconLibrary);
        DrawIconMonth(surface, regions, locale, g.currentMonth.x, g.currentMonth.y, today, dx, dy);
    }
    data.DrawSurface(block.left, block.top, surface);
}

void CMonthCalendar::DrawIconMonth(CMemWallPaper& block, CRegionList& regions, const CLocaleValues& locale, int px,
                                   int py, const COleDateTime& date, int regionDx, int regionDy) {
    const CSettings& s = block.Settings();
    const PanelLayout& L = block.Layout();
    const int fdow = s.EffectiveFirstDayOfWeek();
    const bool singleClick = L.singleClick;
    const int monthWidth = L.Px(kIconMonthWidth), iconSize = L.Px(kIconSize);
    CMemDC month(block.Factory(), monthWidth, L.Px(kIconMonthHeight), L.colors[ColorSlot::IconCalendarKey]);
    if (!month.IsValid()) return;
    for (int i = 0; i < 7; ++i) block.Weekday((fdow + i) % 7).Draw(month, L.Px(kIconPitchX) * i, 0);

    ICanvas& canvas = block.Canvas();
    canvas.SetFont(L.fonts.calendar);
    canvas.SetTextColor(L.greyText);
    canvas.SetBackground(false, 0);
    const std::vector<Cell> cells = IconMonthCells(date, fdow, L.scale);
    for (size_t i = 0; i < cells.size(); ++i) {
        const Cell& c = cells[i];
        block.DayNumber(c.date.GetDay()).DrawTransparent(month, c.x, c.y, kBlack);
        if (SameDay(c.date, date)) block.Today().DrawTransparent(month, c.x, c.y, kBlack);
        regions.AddDayRegion(Rect::FromSize(c.x, c.y, iconSize, iconSize).Offsetted(px + regionDx, py + regionDy),
                             singleClick, c.date.m_dt)
            .SetName(locale.LongDateText(c.date));
        const bool rowEnds = i + 1 == cells.size() || cells[i + 1].y != c.y;
        if (rowEnds && s.m_showWeekNumbers) {
            // The week of the row's first day.
            size_t rowStart = i;
            while (rowStart > 0 && cells[rowStart - 1].y == c.y) --rowStart;
            const int week = WeekNumber(cells[rowStart].date, s.m_outlook.m_firstWeekOfYear, fdow);
            canvas.DrawText(px + monthWidth, py + c.y + L.Px(8), std::to_string(week));
        }
    }
    const CMaskedBitmap picture = CMaskedBitmap::FromSurface(month.Pixels());
    picture.DrawTransparent(block, px, py, kBlack);
}

void CMonthCalendar::DrawSmallMonth(CMemWallPaper& block, CRegionList& regions, const CLocaleValues& locale,
                                    int a, int b, const COleDateTime& first, int regionDx, int regionDy) {
    const CSettings& s = block.Settings();
    const PanelLayout& L = block.Layout();
    const int fdow = s.EffectiveFirstDayOfWeek();
    const bool singleClick = L.singleClick;
    ICanvas& canvas = block.Canvas();
    canvas.SetBackground(false, 0);
    canvas.SetFont(L.fonts.calendarBold);
    canvas.SetTextColor(L.colors[ColorSlot::Heading]);
    canvas.DrawText(a, b, locale.ToUpper(locale.m_monthNames[first.GetMonth() - 1]));

    canvas.SetFont(L.fonts.calendar);
    const auto px = [&](int v) { return L.Px(v); };
    canvas.DrawLine(a, b + px(13), a + px(kRuleLength), b + px(13), L.greyText);
    canvas.SetTextColor(L.colors[ColorSlot::Text]);
    for (int j = 0; j < 7; ++j)
        canvas.DrawText(a + px(kSmallPitchX) * j, b + px(15), locale.ShortDayCaption((fdow + j) % 7));
    canvas.DrawLine(a, b + px(27), a + px(kRuleLength), b + px(27), kSmallCalendarGrey);

    const TextSize cell = canvas.MeasureText(locale.ShortDayCaption(6));
    for (const Cell& c : SmallMonthCells(first, fdow, L.scale)) {
        const bool leading = c.otherMonth && c.date < first;
        canvas.SetTextColor(c.otherMonth ? L.greyText : L.colors[ColorSlot::Text]);
        canvas.DrawText(a + c.x, b + c.y, SmallDayText(c.date.GetDay(), leading));
        // Leading days are one row of 13 pixels high; the others as high as the caption.
        const int height = leading ? px(kSmallPitchY) : cell.height;
        regions.AddDayRegion(Rect::FromSize(a + c.x, b + c.y, cell.width, height).Offsetted(regionDx, regionDy),
                             singleClick, c.date.m_dt)
            .SetName(locale.LongDateText(c.date));
    }
}
