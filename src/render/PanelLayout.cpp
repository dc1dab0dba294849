#include "PanelLayout.h"

#include <algorithm>

#include "../platform/Platform.h"
#include "../settings/Settings.h"

namespace {
constexpr int kHeaderHeight = 32;
} // namespace

void PanelLayout::TakeStyle(int index) {
    style = (index >= 0 && index <= 2) ? index : 0;
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
                                    const Rect& workArea, int folderCount) {
    PanelLayout layout;
    layout.TakeStyle(s.m_style);
    layout.screenWidth = screenWidth;
    layout.screenHeight = screenHeight;
    layout.monitor = monitor;
    layout.workArea = workArea;
    layout.sideBarWidth = std::min(s.m_sideBarWidth, CSettings::kMaxSideBarWidth);
    layout.central = s.m_centralView;
    layout.singleClick = s.m_desktopMouseMode != 0;
    layout.interactive = s.m_useInteractiveDesktop;
    const CStyleSet& set = CStyleSet::For(layout.style);
    if (layout.central) {
        // Green has no folder block of its own in the central view: its folder
        // rectangle stays empty, so nothing of it is drawn or clickable.
        layout.geometry = set.central;
        return layout;
    }
    // Side-bar view: the panel is the virtual screen; the column along its right edge
    // is divided between the blocks.
    StyleGeometry& g = layout.geometry;
    g.calendar = Rect::FromSize(monitor.left + s.m_sideBarCalPosX, monitor.top + s.m_sideBarCalPosY,
                                set.sideBarCalendar.Width(), set.sideBarCalendar.Height());
    g.currentMonth = {165, 10};
    g.nextMonth = {10, 135};
    g.previousMonth = {10, 12};
    for (int* insets : {g.appointmentInsets, g.taskInsets, g.folderInsets}) insets[0] = insets[1] = 2;
    layout.LayoutSideBar(s, folderCount, layout.ListLineHeight());
    return layout;
}

PanelLayout PanelLayout::ForPopup(const CSettings& s) {
    PanelLayout layout;
    layout.TakeStyle(s.m_style);
    layout.geometry = CStyleSet::For(layout.style).central;
    layout.sideBarWidth = std::min(s.m_sideBarWidth, CSettings::kMaxSideBarWidth);
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
                            (static_cast<long long>(s.m_footerBlank) + s.m_headerBlank + kHeaderHeight);
    long long c = std::max(0LL, space);
    long long folders = 0;
    if (s.m_showMessages) {
        folders = static_cast<long long>(std::max(0, folderCount)) * (lineHeight + 10) + 20;
        if (!s.m_showAppointments && !s.m_showTasks) folders = c;
        folders = std::min(folders, c);
    }
    c -= folders;
    long long appointments = 0;
    if (s.m_showAppointments) appointments = s.m_showTasks ? static_cast<long long>(s.m_appointmentsTask) * c / 100 : c;
    const long long tasks = s.m_showTasks ? c - appointments : 0;

    const int top = headerY + kHeaderHeight;
    g.appointments = Rect::FromSize(x, top, width, static_cast<int>(appointments));
    g.tasks = Rect::FromSize(x, top + static_cast<int>(appointments), width, static_cast<int>(tasks));
    g.folders = Rect::FromSize(x, top + static_cast<int>(appointments + tasks), width, static_cast<int>(folders));
}
