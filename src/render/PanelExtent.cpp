#include "PanelExtent.h"

#include <algorithm>

std::vector<Rect> CPanelExtent::Pieces(const PanelLayout& layout, bool calendarShown) {
    const StyleGeometry& g = layout.geometry;
    const long long panelW = std::max(1, g.panelWidth), panelH = std::max(1, g.panelHeight);
    // The header picture and the body below it are the column's width from the header;
    // every block draws inside its own rectangle.
    long long from = g.header.x, to = from + std::max(0, layout.sideBarWidth);
    for (const Rect* r : {&g.appointments, &g.tasks, &g.folders}) {
        if (r->right <= r->left) continue;
        from = std::min<long long>(from, r->left);
        to = std::max<long long>(to, r->right);
    }
    const Rect calendar = g.calendar.Intersect({0, 0, static_cast<int>(panelW), static_cast<int>(panelH)});
    const bool beside = calendarShown && !calendar.IsEmpty() && (calendar.right <= from || calendar.left >= to);
    if (calendarShown && !calendar.IsEmpty() && !beside) {
        from = std::min<long long>(from, calendar.left);
        to = std::max<long long>(to, calendar.right);
    }
    from = std::clamp(from, 0LL, panelW - 1);
    to = std::clamp(to, from + 1, panelW);
    std::vector<Rect> pieces{Rect{static_cast<int>(from), 0, static_cast<int>(to), static_cast<int>(panelH)}};
    if (beside) pieces.push_back(calendar);
    return pieces;
}

PanelLayout CPanelExtent::Moved(const PanelLayout& layout, const Rect& piece) {
    PanelLayout moved = layout;
    StyleGeometry& g = moved.geometry;
    g.panelWidth = piece.Width();
    g.panelHeight = piece.Height();
    g.header.x -= piece.left;
    g.header.y -= piece.top;
    for (Rect* r : {&g.appointments, &g.tasks, &g.folders, &g.calendar}) *r = r->Offsetted(-piece.left, -piece.top);
    return moved;
}
