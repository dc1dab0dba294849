#include "PanelExtent.h"

#include <algorithm>

void CPanelExtent::DrawnColumns(const PanelLayout& layout, int& left, int& width) {
    const StyleGeometry& g = layout.geometry;
    const long long panel = std::max(1, g.panelWidth);
    // The header picture and the body below it are the column's width from the header;
    // every block draws inside its own rectangle.
    long long from = static_cast<long long>(g.header.x), to = from + std::max(0, layout.sideBarWidth);
    for (const Rect* r : {&g.appointments, &g.tasks, &g.folders, &g.calendar}) {
        if (r->right <= r->left) continue;
        from = std::min<long long>(from, r->left);
        to = std::max<long long>(to, r->right);
    }
    from = std::clamp(from, 0LL, panel - 1);
    to = std::clamp(to, from + 1, panel);
    left = static_cast<int>(from);
    width = static_cast<int>(to - from);
}

PanelLayout CPanelExtent::Moved(const PanelLayout& layout, int left, int width) {
    PanelLayout moved = layout;
    StyleGeometry& g = moved.geometry;
    g.panelWidth = width;
    g.header.x -= left;
    for (Rect* r : {&g.appointments, &g.tasks, &g.folders, &g.calendar}) *r = r->Offsetted(-left, 0);
    return moved;
}
