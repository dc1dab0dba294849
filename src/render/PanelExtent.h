#pragma once
// Where on its panel a side bar draws. Its panel spans the whole virtual screen, but
// only the column (header, body, blocks) and the month calendar are ever painted; the
// data surface need hold no more than the columns between them.
#include "PanelLayout.h"

class CPanelExtent {
public:
    // The columns [left, left + width) of the panel that the side bar's drawing can
    // touch, within the panel; at least one column.
    static void DrawnColumns(const PanelLayout& layout, int& left, int& width);
    // The layout drawn into a surface of width columns that starts at the panel's
    // column left: every block moved left by as much.
    static PanelLayout Moved(const PanelLayout& layout, int left, int width);
};
