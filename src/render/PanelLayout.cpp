#include "PanelLayout.h"

#include <algorithm>

#include "../platform/Platform.h"
#include "../settings/Settings.h"

namespace {
constexpr int kHeaderHeight = 32;

// The style's central geometry at scale: the panel, its blocks and their insets.
StyleGeometry Scaled(StyleGeometry g, int scale) {
    if (scale == 100) return g;
    auto px = [&](int v) { return CPanelScale::Length(v, scale); };
    g.panelWidth = px(g.panelWidth);
    g.panelHeight = px(g.panelHeight);
    for (PanelPoint* p : {&g.header, &g.currentMonth, &g.nextMonth, &g.previousMonth}) *p = {px(p->x), px(p->y)};
    // Edges scaled, not sizes: blocks that meet at 100 % still meet, and none passes the panel.
    for (Rect* r : {&g.appointments, &g.tasks, &g.folders, &g.calendar})
        *r = Rect{px(r->left), px(r->top), px(r->right), px(r->bottom)};
    for (int* insets : {g.appointmentInsets, g.taskInsets, g.folderInsets})
        insets[0] = px(insets[0]), insets[1] = px(insets[1]);
    return g;
}

} // namespace

void PanelLayout::TakeStyle(int index, int percent) {
    style = (index >= 0 && index <= 2) ? index : 0;
    scale = calendarScale = std::clamp(percent, CPanelScale::kMin, CPanelScale::kMax);
    for (FontSpec* f : {&fonts.listText, &fonts.small, &fonts.item, &fonts.heading, &fonts.heading2, &fonts.task,
                        &fonts.taskDone, &fonts.calendar, &fonts.calendarBold, &fonts.date, &fonts.folderUnread})
        f->height = Px(f->height);
    const CStyleSet& set = CStyleSet::For(style);
    colors = set.colors;
    headerBitmap = set.headerBitmap;
    iconLibrary = set.iconLibrary;
    HighContrastColors hc;
    ISystemPort* system = PortOrNull<ISystemPort>();
    if (!system || !system->HighContrast(hc)) return;
    highContrast = true;
    for (size_t slot : {ColorSlot::TaskBackground, ColorSlot::AppointmentBackground, ColorSlot::FolderBackground,
                        ColorSlot::CalendarBackground})
        colors[slot] = hc.window;
    colors[ColorSlot::Text] = colors[ColorSlot::Heading] = hc.windowText;
    colors[ColorSlot::DueDate] = hc.highlight;
    for (size_t slot : {ColorSlot::HeadingLine, ColorSlot::AppointmentLine, ColorSlot::FolderLine})
        colors[slot] = hc.grayText;
    textBackground = hc.window;
    folderText = hc.windowText;
    greyText = hc.grayText;
}

PanelLayout PanelLayout::ForDesktop(const CSettings& s, int screenWidth, int screenHeight, int folderCount) {
    const Rect whole = Rect::FromSize(0, 0, screenWidth, screenHeight);
    return ForDesktop(s, screenWidth, screenHeight, whole, whole, folderCount);
}

PanelLayout PanelLayout::ForDesktop(const CSettings& s, int screenWidth, int screenHeight, const Rect& monitor,
                                    const Rect& workArea, int folderCount, int scale) {
    PanelLayout layout;
    layout.TakeStyle(s.m_style, scale);
    layout.screenWidth = screenWidth;
    layout.screenHeight = screenHeight;
    layout.monitor = monitor;
    layout.workArea = workArea;
    layout.sideBarWidth = layout.Px(std::min(s.m_sideBarWidth, CSettings::kMaxSideBarWidth));
    layout.central = s.m_centralView;
    layout.singleClick = s.m_desktopMouseMode != 0;
    layout.interactive = s.m_useInteractiveDesktop;
    const CStyleSet& set = CStyleSet::For(layout.style);
    if (layout.central) {
        // Green has no folder block of its own in the central view: its folder
        // rectangle stays empty, so nothing of it is drawn or clickable.
        layout.geometry = Scaled(set.central, layout.scale);
        return layout;
    }
    // Side-bar view: the panel is the virtual screen; the column along its right edge
    // is divided between the blocks; the calendar goes in the room left of it.
    StyleGeometry& g = layout.geometry;
    for (int* insets : {g.appointmentInsets, g.taskInsets, g.folderInsets}) insets[0] = insets[1] = layout.Px(2);
    layout.LayoutSideBar(s, folderCount, layout.ListLineHeight());
    layout.PlaceSideBarCalendar(s, set.sideBarCalendar);
    return layout;
}

void PanelLayout::PlaceSideBarCalendar(const CSettings& s, const Rect& size) {
    StyleGeometry& g = geometry;
    // The room: the work area left of the column.
    Rect room = workArea.IsEmpty() ? monitor : workArea;
    room.right = std::min(room.right, g.header.x);
    const long long wantX = static_cast<long long>(monitor.left) + s.m_sideBarCalPosX;
    const long long wantY = static_cast<long long>(monitor.top) + s.m_sideBarCalPosY;
    const auto lay = [&](int percent, bool smallMonths) {
        const auto px = [&](int v) { return CPanelScale::Length(v, percent); };
        calendarScale = percent;
        calendarCut = smallMonths ? 0 : px(165) - px(10);
        g.showPreviousMonth = g.showNextMonth = smallMonths;
        g.calendar = Rect::FromSize(static_cast<int>(wantX), static_cast<int>(wantY), px(size.Width()) - calendarCut,
                                    px(size.Height()));
        g.currentMonth = {px(165) - calendarCut, px(10)};
        g.nextMonth = {px(10), px(135)};
        g.previousMonth = {px(10), px(12)};
    };
    for (int percent = scale;; percent = std::max(CPanelScale::kMin, (percent - 1) / 25 * 25)) {
        for (const bool smallMonths : {true, false}) {
            lay(percent, smallMonths);
            const int w = g.calendar.Width(), h = g.calendar.Height();
            if (w > room.Width() || h > room.Height()) continue;
            // The place was chosen for some size and some column: moved only as far as
            // it takes to lie wholly in the room.
            const long long x = std::clamp<long long>(wantX, room.left, static_cast<long long>(room.right) - w);
            const long long y = std::clamp<long long>(wantY, room.top, static_cast<long long>(room.bottom) - h);
            g.calendar = Rect::FromSize(static_cast<int>(x), static_cast<int>(y), w, h);
            return;
        }
        if (percent == CPanelScale::kMin) break;
    }
    lay(CPanelScale::kMin, true);
}

PanelLayout PanelLayout::CalendarLayout() const {
    PanelLayout layout = *this;
    layout.scale = calendarScale;
    const StyleFonts drawn;
    layout.fonts.calendar.height = CPanelScale::Length(drawn.calendar.height, calendarScale);
    layout.fonts.calendarBold.height = CPanelScale::Length(drawn.calendarBold.height, calendarScale);
    return layout;
}

PanelLayout PanelLayout::ForPopup(const CSettings& s, int scale) {
    PanelLayout layout;
    layout.TakeStyle(s.m_style, scale);
    layout.geometry = Scaled(CStyleSet::For(layout.style).central, layout.scale);
    layout.sideBarWidth = layout.Px(std::min(s.m_sideBarWidth, CSettings::kMaxSideBarWidth));
    layout.central = true;
    layout.singleClick = true; // one click opens there
    layout.interactive = true;
    return layout;
}

int PanelLayout::ListLineHeight() const {
    constexpr int kFallback = 13;
    ICanvasFactory* factory = PortOrNull<ICanvasFactory>();
    if (!factory) return kFallback;
    auto canvas = factory->CreateSurface(1, 1);
    if (!canvas) return kFallback;
    canvas->SetFont(fonts.listText);
    return canvas->MeasureText("all-day event").height;
}

void PanelLayout::LayoutSideBar(const CSettings& s, int folderCount, int lineHeight) {
    StyleGeometry& g = geometry;
    g.panelWidth = screenWidth;
    g.panelHeight = screenHeight;
    const Rect area = workArea.IsEmpty() ? Rect::FromSize(0, 0, screenWidth, screenHeight) : workArea;
    const int width = sideBarWidth;
    const int x = area.right - s.m_rightMarginBlank - width;
    const int headerY = area.top + s.m_headerBlank;
    g.header = {x, headerY};

    // 64-bit sums: hand-edited margins near the integer limits must not wrap.
    const long long space = static_cast<long long>(area.Height()) -
                            (static_cast<long long>(s.m_footerBlank) + s.m_headerBlank + Px(kHeaderHeight));
    long long c = std::max(0LL, space);
    long long folders = 0;
    if (s.m_showMessages) {
        folders = static_cast<long long>(std::max(0, folderCount)) * (lineHeight + Px(10)) + Px(20);
        if (!s.m_showAppointments && !s.m_showTasks) folders = c;
        folders = std::min(folders, c);
    }
    c -= folders;
    long long appointments = 0;
    if (s.m_showAppointments) appointments = s.m_showTasks ? static_cast<long long>(s.m_appointmentsTask) * c / 100 : c;
    const long long tasks = s.m_showTasks ? c - appointments : 0;

    const int top = headerY + Px(kHeaderHeight);
    g.appointments = Rect::FromSize(x, top, width, static_cast<int>(appointments));
    g.tasks = Rect::FromSize(x, top + static_cast<int>(appointments), width, static_cast<int>(tasks));
    g.folders = Rect::FromSize(x, top + static_cast<int>(appointments + tasks), width, static_cast<int>(folders));
}
