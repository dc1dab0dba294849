// The desktop tooltip's size and place: lines, the text box, the screen's edges and
// the taskbar.
#include <gtest/gtest.h>

#include "desktop/TooltipLayout.h"

namespace {

const FrameMetrics kFrame{18, 4, 32}; // caption, sizing frame, cursor
const Rect kScreen{0, 0, 1920, 1080};

TEST(TooltipLayout, EveryCarriageReturnAndLineFeedEndsALine) {
    EXPECT_TRUE(TooltipLines("").empty());
    EXPECT_EQ(TooltipLines("Team stand-up"), (std::vector<std::string>{"Team stand-up"}));
    EXPECT_EQ(TooltipLines("Start: 09:00\r\nRoom 2.14"), (std::vector<std::string>{"Start: 09:00", "", "Room 2.14"}));
    EXPECT_EQ(TooltipLines("a\nb\n"), (std::vector<std::string>{"a", "b", ""}));
}

TEST(TooltipLayout, TextBoxFromTheWidestAndTallestLine) {
    const TooltipBox box = TooltipTextBox({{120, 13}, {0, 13}, {300, 15}}, 1920);
    EXPECT_EQ(box.width, 310);
    EXPECT_EQ(box.height, 15 * 3 + 5);
    // A line wider than the screen is held to the screen's width.
    EXPECT_EQ(TooltipTextBox({{5000, 13}}, 1920).width, 1930);
    EXPECT_EQ(TooltipTextBox({}, 1920).height, 5);
    // Word wrapping that needs more height wins, with its own margin.
    EXPECT_EQ(WithWrappedHeight(box, 80).height, 85);
    EXPECT_EQ(WithWrappedHeight(box, 40).height, 50);
}

TEST(TooltipLayout, BelowThePointerCentredOnIt) {
    const Rect r = PlaceTooltip({200, 40}, 800, 300, kScreen, kFrame, std::nullopt);
    EXPECT_EQ(r.left, 700);
    EXPECT_EQ(r.right, 900);
    EXPECT_EQ(r.top, 300 + 32);
    EXPECT_EQ(r.bottom, 300 + 32 + 40 + 18 + 8);
    EXPECT_EQ(ShownTooltipHeight(r, kFrame), 40);
    // An odd width: the exact half on both sides, truncated.
    const Rect odd = PlaceTooltip({201, 40}, 800, 300, kScreen, kFrame, std::nullopt);
    EXPECT_EQ(odd.left, 699);
    EXPECT_EQ(odd.right, 900);
}

TEST(TooltipLayout, ShiftedInsideTheScreenAtBothEdges) {
    const Rect right = PlaceTooltip({200, 40}, 1900, 300, kScreen, kFrame, std::nullopt);
    EXPECT_EQ(right.right, 1920);
    EXPECT_EQ(right.left, 1720);
    const Rect left = PlaceTooltip({200, 40}, 20, 300, kScreen, kFrame, std::nullopt);
    EXPECT_EQ(left.left, 0);
    EXPECT_EQ(left.right, 200); // starts at the edge with its whole width
}

TEST(TooltipLayout, MonitorsLeftOfAndAboveThePrimaryKeepTheirTooltips) {
    // A second monitor of 1280 pixels left of the primary one: the virtual screen
    // starts at -1280, and a point near its left edge keeps the tooltip on it.
    const Rect wide = Rect::FromSize(-1280, -200, 3200, 1280);
    const Rect r = PlaceTooltip({200, 40}, -1270, -150, wide, kFrame, std::nullopt);
    EXPECT_EQ(r.left, -1280);
    EXPECT_EQ(r.right, -1080);
    EXPECT_EQ(r.top, -150 + 32);
    const Rect far = PlaceTooltip({200, 40}, 1915, 100, wide, kFrame, std::nullopt);
    EXPECT_EQ(far.right, 1920);
}

TEST(TooltipLayout, AboveABottomTaskbarInTheWayOnlyThen) {
    // Taskbar at y 1040: a point near the bottom puts the tooltip on top of it.
    const Rect r = PlaceTooltip({200, 40}, 800, 1000, kScreen, kFrame, 1040);
    EXPECT_EQ(r.bottom, 1040);
    EXPECT_EQ(r.top, 1040 - (40 + 18 + 8));
    EXPECT_EQ(ShownTooltipHeight(r, kFrame), 40);
    // Far above the taskbar: below the pointer as usual.
    const Rect high = PlaceTooltip({200, 40}, 800, 200, kScreen, kFrame, 1040);
    EXPECT_EQ(high.top, 232);
    // A taskbar along the top edge never lifts the tooltip off the screen.
    const Rect top = PlaceTooltip({200, 40}, 800, 10, kScreen, kFrame, 0);
    EXPECT_EQ(top.top, 42);
}

} // namespace
