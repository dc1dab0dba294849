#pragma once
// The data surface: the panel's blocks are drawn into it with the settings and the
// panel layout it is given, the regions they record are shifted by the panel origin, and it carries the
// pictures the blocks draw (day numbers, weekdays, today's mark, header, task states).
#include <array>
#include <string>

#include "MaskedBitmap.h"
#include "MemDC.h"
#include "PanelLayout.h"

class CSettings;

class CMemWallPaper : public CMemDC {
public:
    // settings and layout must outlive the surface.
    CMemWallPaper(ICanvasFactory* factory, int width, int height, const CSettings& settings, const PanelLayout& layout,
                  Colorref fill);

    const CSettings& Settings() const { return m_settings; }
    const PanelLayout& Layout() const { return m_layout; }
    void SetPanelOrigin(int x, int y) { m_originX = x, m_originY = y; }
    int OriginX() const { return m_originX; }
    int OriginY() const { return m_originY; }

    // The icon library's day numbers (icons 0..30 for days 1..31) and weekdays (31..37,
    // Monday first), and the style's "today" mark; false when any is missing. These and
    // the bitmaps below come at the layout's scale.
    bool LoadIcons(const std::string& library);
    // Attachment, high and low importance, reminder, recurring, complete, not started,
    // in progress.
    bool LoadTaskBitmaps();
    bool LoadHeaderBitmap(int id);

    const CMaskedBitmap& DayNumber(int day) const { return m_days[static_cast<size_t>(day - 1)]; } // 1..31
    const CMaskedBitmap& Weekday(int index) const { return m_weekdays[static_cast<size_t>(index)]; } // 0 Monday
    const CMaskedBitmap& Today() const { return m_today; }
    const CMaskedBitmap& Header() const { return m_header; }
    enum TaskBitmap { Attachment, ImportanceHigh, ImportanceLow, Reminder, Recurring, Complete, NotStarted, InProgress };
    const CMaskedBitmap& TaskState(TaskBitmap which) const { return m_taskStates[which]; }

    // Draws as much of text as fits in width at (x, y), broken after a word where it
    // can; returns the rest, its leading blanks removed. drawn, when given, receives
    // the line as drawn.
    std::string DrawLineWrapped(const std::string& text, int x, int y, int width, std::string* drawn = nullptr);
    // Draws text at (x, y), cut to width with "..." when it does not fit; returns
    // what was not drawn.
    std::string DrawLineFitted(const std::string& text, int x, int y, int width);

private:
    const CSettings& m_settings;
    const PanelLayout& m_layout;
    int m_originX = 0;
    int m_originY = 0;
    std::array<CMaskedBitmap, 31> m_days;
    std::array<CMaskedBitmap, 7> m_weekdays;
    CMaskedBitmap m_today;
    CMaskedBitmap m_header;
    std::array<CMaskedBitmap, 8> m_taskStates;
};
