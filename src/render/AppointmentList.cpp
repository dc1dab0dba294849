#include "AppointmentList.h"

#include <algorithm>
#include <cstdio>

#include "../outlook/Appointments.h"
#include "../settings/Settings.h"
#include "../util/LocaleValues.h"
#include "MaskedBitmap.h"
#include "MemWallPaper.h"
#include "RegionList.h"

namespace {


std::string Hour12(const COleDateTime& t) {
    char text[16];
    const int h = t.GetHour() % 12 == 0 ? 12 : t.GetHour() % 12;
    std::snprintf(text, sizeof text, "%02d:%02d", h, std::max(0, t.GetMinute()));
    return text;
}

} // namespace

std::string CAppointmentList::TimeTemplate(int timeStyle, const CLocaleValues& locale) {
    if (timeStyle == 1) return "12:00-12:30 ";
    if (timeStyle != 0) return "12:00am-12:30pm  ";
    if (locale.m_clockFormat == 1) return "12:00-12:30 ";
    const std::string& longer = locale.m_am.size() >= locale.m_pm.size() ? locale.m_am : locale.m_pm;
    return "12:00" + longer + "-12:00" + longer + " ";
}

void CAppointmentList::Draw(CMemWallPaper& data, CRegionList& regions, const CLocaleValues& locale,
                            std::span<const CAppointments> days) {
    const CSettings& s = data.Settings();
    const PanelLayout& L = data.Layout();
    const StyleGeometry& g = L.geometry;
    if (!g.showAppointments) return;
    const Rect& block = g.appointments;
    CMemWallPaper surface(data.Factory(), block.Width(), block.Height(), s, L, L.colors[ColorSlot::AppointmentBackground]);
    if (!surface.IsValid()) return;
    surface.LoadTaskBitmaps();
    ICanvas& canvas = surface.Canvas();
    const bool central = L.central;
    const auto px = [&](int v) { return L.Px(v); };
    const bool singleClick = L.singleClick;
    const int dx = block.left + data.OriginX(), dy = block.top + data.OriginY();

    const int left = g.appointmentInsets[0];
    const int usable = block.Width() - g.appointmentInsets[0] - g.appointmentInsets[1];
    // Measures, all in the item font but the line height.
    canvas.SetFont(L.fonts.item);
    // The column also holds the two fixed texts, so a subject never runs into them.
    int timeWidth = 0;
    for (const std::string& text : {std::string("all-day event"), TimeTemplate(s.m_timeStyle, locale),
                                    std::string("All day event "), std::string("Multi - day ")})
        timeWidth = std::max(timeWidth, canvas.MeasureText(text).width);
    const int designatorWidth = std::max(canvas.MeasureText(locale.m_am).width, canvas.MeasureText(locale.m_pm).width);
    const int clockWidth = canvas.MeasureText("12:00").width;
    const int dashWidth = canvas.MeasureText("-").width;
    // The first line of an item holds the time (item font) beside the subject (small font).
    const int itemHeight = canvas.MeasureText("all-day event").height;
    canvas.SetFont(L.fonts.small);
    const int h = canvas.MeasureText("all-day event").height;
    const int firstLine = std::max(h, itemHeight);

    int y = px(20);
    if (!central) {
        CMaskedBitmap::LoadBitmap(CStyleSet::kAppointmentStrip + L.style, L.scale).Draw(surface, 0, px(5));
        regions.AddHeaderRegion(Rect{0, px(5), block.Width(), px(31)}.Offsetted(dx, dy), singleClick, 0);
        y = px(31);
    }
    // In the central Brown view the calendar lies over the lower part of the block; and
    // nothing is seen or clicked below the panel, however far the block reaches.
    const int limit = std::min(central && L.style == 2 ? g.calendar.top - block.top : block.Height(),
                               data.Height() - block.top);
    // Items that would start under the calendar (or below the block or the panel) are not drawn.
    const int drawEnd = std::min(limit, block.Height());
    const bool locale12 = s.m_timeStyle == 0 && locale.m_clockFormat != 1;
    const bool hours24 = (s.m_timeStyle == 0 && locale.m_clockFormat == 1) || s.m_timeStyle == 1;

    for (size_t day = 0; day < days.size(); ++day) {
        const CAppointments& list = days[day];
        if (list.GetCount() == 0) continue;
        // A heading is drawn only with room for its first item's line under it: the
        // calendar over the block must not cut a line of text in half.
        if (y + h * 11 / 10 + firstLine > drawEnd) break;
        canvas.DrawLine(left, y + h, usable, y + h, L.colors[ColorSlot::HeadingLine]);
        canvas.SetBackground(false, 0);
        canvas.SetFont(L.fonts.heading);
        canvas.SetTextColor(L.colors[ColorSlot::Heading]);
        const std::string dayName = day == 0 ? std::string("Today") : locale.DayName(list.m_dayStart.GetDayOfWeek());
        canvas.DrawText(left, y, dayName);
        y += h * 11 / 10;
        canvas.SetBackground(true, L.textBackground);

        for (int i = 0; i < list.GetCount() && y + (i > 0 ? px(6) : 0) + firstLine <= drawEnd; ++i) {
            const CAppointment& a = list.GetAt(i);
            if (i > 0) {
                canvas.DrawLine(left, y + px(3), usable, y + px(3), L.colors[ColorSlot::AppointmentLine]);
                y += px(6);
            }
            const int top = y;
            canvas.SetFont(L.fonts.item);
            canvas.SetTextColor(L.colors[ColorSlot::Heading]);
            if (a.IsMultiDay()) {
                canvas.DrawText(left, y, "Multi - day");
            } else if (a.IsAllDay()) {
                canvas.DrawText(left, y, "All day event");
            } else if (locale12) {
                const COleDateTime& start = a.GetStart();
                const COleDateTime& end = a.GetEnd();
                int x = left;
                canvas.DrawText(x, y, Hour12(start));
                canvas.DrawText(x += clockWidth, y, start.GetHour() < 12 ? locale.m_am : locale.m_pm);
                canvas.DrawText(x += designatorWidth, y, "-");
                canvas.DrawText(x += dashWidth, y, Hour12(end));
                canvas.DrawText(x += clockWidth, y, end.GetHour() < 12 ? locale.m_am : locale.m_pm);
            } else {
                canvas.DrawText(left, y, a.FormatStartTime(hours24) + "-" + a.FormatEndTime(hours24));
            }

            canvas.SetTextColor(L.colors[ColorSlot::Text]);
            canvas.SetFont(L.fonts.small);
            const int row = y + h;
            const int rowEnd = y + px(17) + h;
            // The state marks only where they are seen whole.
            if (rowEnd <= drawEnd) {
                auto mark = [&](CMemWallPaper::TaskBitmap which, int offset) {
                    surface.TaskState(which).DrawTransparent(surface, left + px(offset), row, L.keyColor);
                };
                if (a.HasAttachments()) mark(CMemWallPaper::Attachment, 0);
                if (a.GetImportance() == 0) mark(CMemWallPaper::ImportanceLow, 10);
                if (a.GetImportance() == 2) mark(CMemWallPaper::ImportanceHigh, 10);
                if (a.HasReminder()) mark(CMemWallPaper::Reminder, 20);
                if (a.IsRecurring()) mark(CMemWallPaper::Recurring, 30);
            }

            // What a screen reader says for the item: the day, the time and the subject.
            std::string when = a.IsMultiDay() ? std::string("Multi - day")
                               : a.IsAllDay() ? std::string("All day event")
                                              : a.FormatStartTime(hours24) + "-" + a.FormatEndTime(hours24);
            const int x = left + timeWidth;
            std::string rest = surface.DrawLineWrapped(a.GetSubject(), x, y, usable - x);
            if (!a.GetSubject().empty()) y += h;
            while (!rest.empty() && y + h <= drawEnd) {
                rest = surface.DrawLineWrapped(rest, x, y, usable - x - px(5));
                y += h;
            }
            const int bottom = std::max(y, rowEnd);
            if (top < limit)
                regions.AddAppointmentRegion(Rect{left, top, left + usable, std::min(limit, bottom)}.Offsetted(dx, dy),
                                             singleClick, a.GetEntryID())
                    .SetName(dayName + ", " + when + ", " + a.GetSubject());
            y = bottom;
        }
    }
    data.DrawSurface(block.left, block.top, surface);
}
