#pragma once
// Where the desktop tooltip goes and how big it is, as pure arithmetic over what the
// platform measured: the lines of the text, the virtual screen, the window frame and
// cursor sizes, and the taskbar. The tooltip window itself only asks for these numbers.
#include <optional>
#include <string>
#include <vector>

#include "../util/Rect.h"

// The text's lines: every CR and every LF ends a line, so "a\r\nb" is three lines
// ("a", "", "b"); an empty text has none.
std::vector<std::string> TooltipLines(const std::string& text);

struct TextExtent {
    int width = 0, height = 0;
};

// The box the text is drawn in: the widest line (at most the screen's width) plus 10
// pixels, and the tallest line times the line count plus 5 pixels, or the height the
// word-wrapped text needs in that width plus 5 when that is more.
struct TooltipBox {
    int width = 0, height = 0;
};
TooltipBox TooltipTextBox(const std::vector<TextExtent>& lines, int screenWidth);
TooltipBox WithWrappedHeight(TooltipBox box, int wrappedHeight);

struct FrameMetrics {
    int captionHeight = 0;
    int frameHeight = 0; // the sizing frame, counted twice
    int cursorHeight = 0;
};

// The window's rectangle, frame and caption included: below the pointer at (x, y),
// centred on it but inside the width of the virtual screen (all monitors; its left
// and top edges are negative when a monitor lies left of or above the primary one);
// above the taskbar's top edge when the taskbar lies below the pointer and the
// tooltip would reach it.
Rect PlaceTooltip(const TooltipBox& box, int x, int y, const Rect& screen, const FrameMetrics& frame,
                  std::optional<int> taskbarTop);
// The height the placed window is shown with: the frame and caption the window drops
// at creation are taken off again.
int ShownTooltipHeight(const Rect& placed, const FrameMetrics& frame);
