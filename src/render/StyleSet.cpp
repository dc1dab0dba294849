#include "StyleSet.h"

namespace {

CStyleSet Blue() {
    CStyleSet s;
    s.colors = {0,
                0xFFB4BE, 0xFFFFFF, 0xFFFFFF, 0xFDF4EF, 0xFEE2D2, 0x000000,
                0x000000, 0x6A2D00, 0x0040C9, 0x6A2E00, 0x96B1EC, 0x2466F2};
    s.headerBitmap = 187;
    s.iconLibrary = "look01.icl";
    StyleGeometry& g = s.central;
    g.appointments = {250, 526, 0, 64};
    g.tasks = {297, 526, 403, 64};
    g.folders = {153, 526, 250, 64};
    g.calendar = {450, 264, 248, 260};
    g.currentMonth = {165, 10};
    g.nextMonth = {10, 135};
    g.previousMonth = {10, 12};
    g.appointmentInsets[0] = 2, g.appointmentInsets[1] = 15;
    g.taskInsets[0] = 15, g.taskInsets[1] = 0;
    s.sideBarCalendar = {450, 264, 0, 0};
    return s;
}

CStyleSet Green() {
    CStyleSet s;
    s.colors = {0,
                0xFFB4BE, 0xFFFFFF, 0xFFFFFF, 0xFDF4EF, 0xD3EBBD, 0x000000,
                0x000000, 0x275301, 0x377200, 0x275301, 0x96B2EE, 0x96B2EE};
    s.headerBitmap = 188;
    s.iconLibrary = "look02.icl";
    StyleGeometry& g = s.central;
    g.appointments = {250, 526, 0, 64};
    g.tasks = {450, 526, 250, 64};
    g.folderRectSet = false;
    g.calendar = {450, 269, 248, 255};
    g.currentMonth = {165, 10};
    g.nextMonth = {10, 135};
    g.previousMonth = {10, 12};
    g.appointmentInsets[0] = 2, g.appointmentInsets[1] = 15;
    g.showFolders = false;
    s.sideBarCalendar = {450, 269, 0, 0};
    return s;
}

CStyleSet Brown() {
    CStyleSet s;
    s.colors = {0,
                0xE7FAFF, 0xE7FAFF, 0xE7FAFF, 0xE7FAFF, 0x7CCCFC, 0x000000,
                0x000000, 0x000282, 0x1967C3, 0x040484, 0x96B2EE, 0x96B2EE};
    s.headerBitmap = 189;
    s.iconLibrary = "look03.icl";
    StyleGeometry& g = s.central;
    g.appointments = {295, 526, 405, 64};
    g.tasks = {405, 526, 0, 64};
    g.folders = {150, 526, 295, 64};
    g.calendar = {290, 269, 408, 255};
    g.currentMonth = {5, 10};
    g.nextMonth = {10, 135};
    g.previousMonth = {10, 12};
    g.taskInsets[0] = 2, g.taskInsets[1] = 15;
    g.showFolders = false;
    g.showNextMonth = false, g.showPreviousMonth = false;
    s.sideBarCalendar = {455, 269, 0, 0};
    return s;
}

} // namespace

const CStyleSet& CStyleSet::For(int style) {
    static const CStyleSet sets[3] = {Blue(), Green(), Brown()};
    return sets[style >= 0 && style <= 2 ? style : 0];
}
