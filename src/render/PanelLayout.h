#pragma once
// The panel's look and geometry for one drawing: the style's colours, pictures and
// fonts, the rectangles of its blocks, and the view it is drawn in. Computed from the
// settings, the screen and the folder count when a picture is composed, and handed
// to the painters as a value; the settings record holds none of it.
#include <array>
#include <string>

#include "../util/PanelScale.h"
#include "StyleSet.h"

class CSettings;

struct PanelLayout {
    // --- the look of the style in force ---
    int style = 0; // 0 Blue, 1 Green, 2 Brown
    std::array<Colorref, 13> colors{}; // slots 1 to 12
    Colorref keyColor = kDefaultKeyColor;
    int headerBitmap = 187;
    std::string iconLibrary = "look01.icl";
    StyleFonts fonts;
    // Colours the style does not name: behind the item texts, the folders' text, the
    // days of other months.
    Colorref textBackground = MakeColorref(255, 255, 255);
    Colorref folderText = MakeColorref(0, 0, 0);
    Colorref greyText = kSmallCalendarGrey;
    // The system's high-contrast scheme is on: every colour above is one of its
    // (window, window text, highlight, grey text) and the panel is drawn opaque.
    bool highContrast = false;

    // --- where things are ---
    // The panel: its size, the header position and the blocks inside it. In the
    // central view the style's fixed geometry; in the side-bar view the whole
    // virtual screen with the column at its right edge.
    StyleGeometry geometry;
    int screenWidth = 0; // the virtual screen the panel was laid out for
    int screenHeight = 0;
    // The monitor the panel is on and the part of it not covered by taskbars or docks,
    // in the picture's coordinates: the side-bar column runs down the work area's
    // right edge, its calendar is placed from the monitor's top-left corner.
    Rect monitor;
    Rect workArea;
    int sideBarWidth = 0; // the column's width as drawn: "SideBar Width", at most the largest

    // --- the size it is drawn at ---
    // Per cent of the 100 % drawing (CPanelScale): the fonts, the geometry above (but
    // the positions the user chose and the blanks, which are the screen's pixels), the
    // painters' own offsets and line heights, and the pictures.
    int scale = 100;
    // A length of the 100 % drawing at this layout's scale.
    int Px(int length) const { return CPanelScale::Length(length, scale); }
    // The month calendar's scale: the panel's, or in the side-bar view a smaller one
    // where the calendar at the panel's would not fit in the room the column leaves.
    int calendarScale = 100;
    // In the side-bar view the small previous and next months can be left out for
    // room: the block is then this many pixels narrower on their side (it keeps their
    // left margin) and shows this month alone; 0 with the small months.
    int calendarCut = 0;
    // This layout at the calendar's scale (its fonts and lengths), to draw the
    // calendar block with.
    PanelLayout CalendarLayout() const;

    // --- the view ---
    bool central = false;     // the central panel, else the side bar
    bool singleClick = false; // one click opens an item (the tooltips say so)
    bool interactive = true;  // the desktop answers clicks (the contacts button is drawn)

    // How many folder lines the column makes room for when the real count is not known.
    static constexpr int kStyleFolderCount = 3;

    // The desktop's panel: the view the settings choose, on a virtual screen of the
    // size given, with room in the side-bar column for folderCount folders (its line
    // height measured through the canvas port).
    static PanelLayout ForDesktop(const CSettings& settings, int screenWidth, int screenHeight, int folderCount);
    // The same with the panel on one monitor of the virtual screen (its rectangle and
    // work area in the picture's coordinates), drawn at scale per cent.
    static PanelLayout ForDesktop(const CSettings& settings, int screenWidth, int screenHeight, const Rect& monitor,
                                  const Rect& workArea, int folderCount, int scale = 100);
    // The pop-up's panel: the central view whatever the desktop shows, its tooltips
    // worded for a single click, and the contacts button when contacts are on; drawn
    // at the scale of the monitor it opens on.
    static PanelLayout ForPopup(const CSettings& settings, int scale = 100);

    // Divides the side-bar column (the work area's height, at its right edge) between
    // the appointments, the tasks and folderCount mail folders; lineHeight is the
    // height of a folder line in the list-text font. Without a work area set, the
    // whole screen is worked in.
    void LayoutSideBar(const CSettings& settings, int folderCount, int lineHeight);
    // The height of a line of the list-text font as the canvas draws it.
    int ListLineHeight() const;

private:
    void TakeStyle(int style, int scale);
    // Places the side bar's calendar (of the style's size at 100 %) in the room the
    // column leaves on the work area, as near the user's place as it goes: at the
    // panel's scale, else without the small months, else at a smaller scale, one step
    // of 25 % at a time down to 100 %. A calendar that does not fit even so stays at
    // 100 % where the user put it.
    void PlaceSideBarCalendar(const CSettings& settings, const Rect& size);
};
