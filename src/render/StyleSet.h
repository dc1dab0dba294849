#pragma once
// The three colour styles (Blue, Green, Brown): colours, the numbers of their
// pictures, their icon library, and the fixed geometry of the central view.
#include <array>
#include <string>

#include "../platform/CanvasPort.h"
#include "../util/Rect.h"

struct PanelPoint {
    int x = 0;
    int y = 0;
};

struct StyleGeometry {
    int panelWidth = 700, panelHeight = 526;
    PanelPoint header;
    Rect appointments, tasks, folders, calendar;
    bool folderRectSet = true; // Green keeps the folder rectangle it had
    PanelPoint currentMonth, nextMonth, previousMonth;
    int appointmentInsets[2] = {0, 0}, taskInsets[2] = {0, 0}, folderInsets[2] = {0, 0};
    bool showAppointments = true, showTasks = true, showFolders = true;
    bool showCurrentMonth = true, showNextMonth = true, showPreviousMonth = true;
};

// What each colour slot of a style set paints (slot 1 is not used by the drawing).
struct ColorSlot {
    enum : size_t {
        TaskBackground = 2, // also the side bar's body
        AppointmentBackground = 3,
        FolderBackground = 4,
        CalendarBackground = 5,
        IconCalendarKey = 6,
        Text = 7,            // task text, appointment subjects, the small calendars' days
        Heading = 8,         // day headings, the time column, the small calendars' month names
        DueDate = 9,
        HeadingLine = 10,    // under each day heading; between tasks
        AppointmentLine = 11, // between the appointments of one day
        FolderLine = 12,
    };
};

struct CStyleSet {
    // Colour slots 1 to 12 (index 0 unused).
    std::array<Colorref, 13> colors{};
    int headerBitmap = 187;       // 187 + style
    std::string iconLibrary;      // "look01.icl" ...
    StyleGeometry central;        // the central view's blocks
    Rect sideBarCalendar;         // size of the calendar block in the side-bar view (x, y from the settings)

    // Pictures taken by adding the style index to a base number.
    static constexpr int kCalendarBackground = 196;
    static constexpr int kAppointmentStrip = 223;
    static constexpr int kTaskStrip = 226;
    static constexpr int kFolderStrip = 230;
    static constexpr int kContactsButton = 236;
    static constexpr int kTodayIcon = 205;

    // The set of style 0, 1 or 2; any other index gives Blue.
    static const CStyleSet& For(int style);
};

// Fixed colours beside the style sets.
constexpr Colorref kDefaultKeyColor = MakeColorref(0, 255, 255);
constexpr Colorref kSmallCalendarGrey = MakeColorref(155, 155, 155);

// The eleven fonts the drawing uses, all built from "Ms Sans Serif" 12.
struct StyleFonts {
    FontSpec listText{"Ms Sans Serif", 11, 400, false};
    FontSpec small{"Ms Sans Serif", 10, 400, false};
    FontSpec item{"Ms Sans Serif", 11, 400, false};
    FontSpec heading{"Ms Sans Serif", 12, 700, false};
    FontSpec heading2{"Ms Sans Serif", 12, 700, false};
    FontSpec task{"Ms Sans Serif", 12, 400, false};
    FontSpec taskDone{"Ms Sans Serif", 12, 400, true};
    FontSpec calendar{"Verdana", 12, 400, false};
    FontSpec calendarBold{"Verdana", 12, 700, false};
    FontSpec date{"Verdana", 16, 800, false};
    FontSpec folderUnread{"Ms Sans Serif", 11, 700, false};
};
