#include "TaskList.h"

#include <algorithm>

#include "../outlook/Tasks.h"
#include "../settings/Settings.h"
#include "../util/LocaleValues.h"
#include "MaskedBitmap.h"
#include "MemWallPaper.h"
#include "RegionList.h"

namespace {
constexpr int kTextOffset = 58; // right of the separator inset: room for five state pictures
} // namespace

void CTaskList::Draw(CMemWallPaper& data, CRegionList& regions, const CLocaleValues& locale, const CTasks& tasks) {
    const CSettings& s = data.Settings();
    const PanelLayout& L = data.Layout();
    const StyleGeometry& g = L.geometry;
    if (!g.showTasks) return;
    const Rect& block = g.tasks;
    CMemWallPaper surface(data.Factory(), block.Width(), block.Height(), s, L, L.colors[ColorSlot::TaskBackground]);
    if (!surface.IsValid()) return;
    surface.LoadTaskBitmaps();
    ICanvas& canvas = surface.Canvas();
    canvas.SetFont(L.fonts.task);
    canvas.SetTextColor(L.colors[ColorSlot::Text]);
    canvas.SetBackground(true, L.textBackground);
    const bool central = L.central;
    const bool singleClick = L.singleClick;
    const int dx = block.left + data.OriginX(), dy = block.top + data.OriginY();
    const auto px = [&](int v) { return L.Px(v); };

    int y = px(15);
    if (!central) {
        CMaskedBitmap::LoadBitmap(CStyleSet::kTaskStrip + L.style, L.scale).Draw(surface, 0, px(2));
        regions.AddHeaderRegion(Rect{0, px(2), block.Width(), px(28)}.Offsetted(dx, dy), singleClick, 1);
        y = px(31);
    }
    const int t = canvas.MeasureText("all-day event").height;
    // In the central Blue and Green views the calendar lies over the lower part; and
    // nothing is seen or clicked below the panel, however far the block reaches.
    const int limit = std::min(central && L.style != 2 ? g.calendar.top - block.top : block.Height(),
                               data.Height() - block.top);
    // Tasks that would start under the calendar (or below the block or the panel) are not drawn.
    const int drawEnd = std::min(limit, block.Height());
    const int left = g.taskInsets[0];
    const int textX = left + px(kTextOffset);
    const int textWidth = block.Width() - textX - px(5);

    // Only whole lines: the calendar over the block must not cut a line of text in half.
    for (int i = 0; i < tasks.GetCount() && y + t <= drawEnd; ++i) {
        const CTask& task = tasks.GetAt(i);
        const int top = y;
        auto state = [&](CMemWallPaper::TaskBitmap which, int offset) {
            surface.TaskState(which).DrawTransparent(surface, left + px(offset), y, L.keyColor);
        };
        if (task.IsComplete())
            state(CMemWallPaper::Complete, 0);
        else
            state(task.GetPercentComplete() > 0 ? CMemWallPaper::InProgress : CMemWallPaper::NotStarted, 0);
        if (task.HasAttachments()) state(CMemWallPaper::Attachment, 10);
        if (task.GetImportance() == 2) state(CMemWallPaper::ImportanceHigh, 20);
        if (task.GetImportance() == 0) state(CMemWallPaper::ImportanceLow, 20);
        if (task.HasReminder()) state(CMemWallPaper::Reminder, 30);
        if (task.IsRecurring()) state(CMemWallPaper::Recurring, 40);

        // The subject, one line at a time; an empty subject still takes a line.
        std::string rest = task.GetSubject();
        std::string line;
        do {
            rest = surface.DrawLineWrapped(rest, textX, y, textWidth, &line);
            y += t;
        } while (!rest.empty() && y + t <= drawEnd);
        int bottom = y;

        if (task.HasDueDate()) {
            const std::string due = " (" + locale.LongDateText(task.GetDueDate()) + ")";
            const int lastWidth = canvas.MeasureText(line).width;
            const int dueWidth = canvas.MeasureText(due).width;
            canvas.SetTextColor(L.colors[ColorSlot::DueDate]);
            if (DueDateFitsOnLine(block.Width(), textX, lastWidth, dueWidth)) {
                canvas.DrawText(textX + lastWidth + px(1), bottom - t, due);
            } else if (bottom + t <= drawEnd) {
                canvas.DrawText(textX, bottom, due);
                bottom += t;
            }
            canvas.SetTextColor(L.colors[ColorSlot::Text]);
        }
        if (top < limit)
            regions.AddTaskRegion(Rect{left, top, block.Width(), std::min(limit, bottom)}.Offsetted(dx, dy), singleClick,
                                  task.GetEntryID())
                .SetName(task.GetSubject() +
                         (task.HasDueDate() ? ", due " + locale.LongDateText(task.GetDueDate()) : std::string()));
        if (bottom + px(5) < drawEnd)
            canvas.DrawLine(left, bottom + px(5), block.Width() - g.taskInsets[1], bottom + px(5),
                            L.colors[ColorSlot::HeadingLine]);
        y = bottom + px(10);
    }
    data.DrawSurface(block.left, block.top, surface);
}
