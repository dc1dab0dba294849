#include "TooltipLayout.h"

#include <algorithm>
#include <cmath>

std::vector<std::string> TooltipLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    return lines;
}

TooltipBox TooltipTextBox(const std::vector<TextExtent>& lines, int screenWidth) {
    int widest = 0, tallest = 0;
    for (const TextExtent& e : lines) {
        widest = std::max(widest, e.width);
        tallest = std::max(tallest, e.height);
    }
    TooltipBox box;
    box.width = std::min(screenWidth, widest) + 10;
    box.height = tallest * static_cast<int>(lines.size()) + 5;
    return box;
}

TooltipBox WithWrappedHeight(TooltipBox box, int wrappedHeight) {
    if (wrappedHeight > box.height) box.height = wrappedHeight + 5;
    return box;
}

Rect PlaceTooltip(const TooltipBox& box, int x, int y, const Rect& screen, const FrameMetrics& frame,
                  std::optional<int> taskbarTop) {
    const int windowHeight = box.height + frame.captionHeight + 2 * frame.frameHeight;
    const int topBelow = y + frame.cursorHeight;
    const int bottomBelow = topBelow + windowHeight;

    // Centred on the pointer; a tooltip that would pass the right edge ends there, one
    // that would pass the left edge starts there. The edges are those of the virtual
    // screen, so monitors left of the primary one are not cut off at zero.
    const int screenLeft = screen.left;
    const int screenRight = screen.right;
    const int halfWhole = box.width / 2;
    int c = x;
    if (x + halfWhole > screenRight) c = screenRight - halfWhole;
    const double half = box.width * 0.5;
    Rect r;
    r.left = static_cast<int>(std::max(c - half, static_cast<double>(screenLeft)));
    r.right = static_cast<int>(std::min(static_cast<double>(screenRight), c + half));
    if (r.left == screenLeft && r.right - r.left < box.width) r.right = std::min(screenRight, r.left + box.width);

    // Only a taskbar below the pointer can be in the way; one along the top or a side
    // edge must not lift the tooltip off the screen.
    if (taskbarTop && *taskbarTop > y && *taskbarTop < bottomBelow) {
        r.bottom = *taskbarTop;
        r.top = *taskbarTop - windowHeight;
    } else {
        r.top = topBelow;
        r.bottom = bottomBelow;
    }
    return r;
}

int ShownTooltipHeight(const Rect& placed, const FrameMetrics& frame) {
    return placed.Height() - frame.captionHeight - 2 * frame.frameHeight;
}
