#pragma once
// Where on its panel a side bar draws. Its panel spans the whole virtual screen, but
// only the column (header, body, blocks) and the month calendar are ever painted; the
// data surfaces need hold no more than these.
#include <vector>

#include "../util/Rect.h"
#include "PanelLayout.h"

class CPanelExtent {
public:
    // The parts of the panel the side bar's drawing can touch, within the panel: first
    // the column's full height (with the calendar when it shares columns with it),
    // then the calendar's rectangle when it lies beside the column. Never empty.
    static std::vector<Rect> Pieces(const PanelLayout& layout, bool calendarShown);
    // The layout drawn into a surface whose (0, 0) is the panel's (left, top): every
    // block moved by as much.
    static PanelLayout Moved(const PanelLayout& layout, const Rect& piece);
};
