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
    g.appointments = Rect::FromSize(0, 64, 250, 526);
    g.tasks = Rect::FromSize(403, 64, 297, 526);
    g.folders = Rect::FromSize(250, 64, 153, 526);
    g.calendar = Rect::FromSize(248, 260, 450, 264);
    g.currentMonth = {165, 10};
    g.nextMonth = {10, 135};
    g.previousMonth = {10, 12};
    g.appointmentInsets[0] = 2, g.appointmentInsets[1] = 15;
    g.taskInsets[0] = 15, g.taskInsets[1] = 0;
    s.sideBarCalendar = Rect::FromSize(0, 0, 450, 264);
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
    g.appointments = Rect::FromSize(0, 64, 250, 526);
    g.tasks = Rect::FromSize(250, 64, 450, 526);
    g.folderRectSet = false;
    g.calendar = Rect::FromSize(248, 255, 450, 269);
    g.currentMonth = {165, 10};
    g.nextMonth = {10, 135};
    g.previousMonth = {10, 12};
    g.appointmentInsets[0] = 2, g.appointmentInsets[1] = 15;
    g.showFolders = false;
    s.sideBarCalendar = Rect::FromSize(0, 0, 450, 269);
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
    g.appointments = Rect::FromSize(405, 64, 295, 526);
    g.tasks = Rect::FromSize(0, 64, 405, 526);
    g.folders = Rect::FromSize(295, 64, 150, 526);
    g.calendar = Rect::FromSize(408, 255, 290, 269);
    g.currentMonth = {5, 10};
    g.nextMonth = {10, 135};
    g.previousMonth = {10, 12};
    g.taskInsets[0] = 2, g.taskInsets[1] = 15;
    g.showFolders = false;
    g.showNextMonth = false, g.showPreviousMonth = false;
    s.sideBarCalendar = Rect::FromSize(0, 0, 455, 269);
    return s;
}

} // namespace

const CStyleSet& CStyleSet::For(int style) {
    static const CStyleSet sets[3] = {Blue(), Green(), Brown()};
    return sets[style >= 0 && style <= 2 ? style : 0];
}
