// The resting delay and the switching of tooltips over the desktop's regions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/HoverTracker.h"

namespace {

class Host : public IHoverHost {
public:
    void StartDelayTimer() override { timer = true; }
    void StopDelayTimer() override { timer = false; }
    std::uint64_t NowMs() override { return now; }
    bool TooltipShown() override { return shown; }
    void HideTooltip() override {
        shown = false;
        events.push_back("hide");
    }
    void ShowTooltip(const CActiveRegion& region, int x, int y) override {
        shown = true;
        events.push_back("show " + region.Message().entryId + " at " + std::to_string(x) + "," + std::to_string(y));
    }
    bool timer = false;
    bool shown = false;
    std::uint64_t now = 1000;
    std::vector<std::string> events;
};

std::int64_t Point(int x, int y) { return (static_cast<std::int64_t>(y & 0xFFFF) << 16) | (x & 0xFFFF); }

class HoverTrackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        regions.AddAppointmentRegion({100, 100, 300, 120}, true, "A");
        regions.AddAppointmentRegion({100, 120, 300, 140}, true, "B");
    }
    // Time passes in 50 ms ticks of the delay timer while it runs.
    void Wait(std::uint64_t ms) {
        for (std::uint64_t t = 0; t < ms; t += 50) {
            host.now += 50;
            if (host.timer) tracker.OnDelayTimer();
        }
    }
    void Move(int x, int y, unsigned message = CHoverTracker::kMouseMove) { tracker.OnMouseMove(message, Point(x, y)); }

    CRegionList regions;
    Host host;
    CHoverTracker tracker{host, regions};
};

TEST_F(HoverTrackerTest, ATooltipAppearsOnlyOnceThePointerRests) {
    // Moving through the region for two seconds: nothing while it moves.
    for (int i = 0; i < 40; ++i) {
        Move(110 + i, 105);
        Wait(50);
    }
    EXPECT_TRUE(host.events.empty());
    EXPECT_TRUE(tracker.DelayRunning());
    Wait(800);
    EXPECT_TRUE(host.events.empty());
    Wait(100);
    EXPECT_EQ(host.events, (std::vector<std::string>{"show A at 149,105"}));
    EXPECT_FALSE(host.timer);
    EXPECT_FALSE(tracker.DelayRunning());
}

TEST_F(HoverTrackerTest, WhileShownAnotherRegionSwitchesAtOnceAndTheSameOneNever) {
    Move(150, 110);
    Wait(900);
    ASSERT_EQ(host.events.size(), 1u);
    Move(160, 112); // within A
    EXPECT_EQ(host.events.size(), 1u);
    Move(160, 125); // into B
    EXPECT_EQ(host.events, (std::vector<std::string>{"show A at 150,110", "hide", "show B at 160,125"}));
    Move(50, 50); // out of every region
    EXPECT_EQ(host.events.back(), "hide");
    EXPECT_EQ(tracker.Hovered(), nullptr);
}

TEST_F(HoverTrackerTest, ATooltipItsTimerTookAwayReturnsOnlyAfterAnotherRegion) {
    Move(150, 110);
    Wait(900);
    host.shown = false; // the tooltip's own ten seconds ran out
    Move(151, 110);
    Wait(2000);
    EXPECT_EQ(host.events.size(), 1u);
    Move(151, 125);
    Wait(900);
    EXPECT_EQ(host.events.back(), "show B at 151,125");
    Move(151, 110); // back into A while B's tooltip is up: A's at once
    EXPECT_EQ(host.events, (std::vector<std::string>{"show A at 150,110", "show B at 151,125", "hide",
                                                     "show A at 151,110"}));
}

TEST_F(HoverTrackerTest, AnotherMouseMessageChangingRegionWaitsForTheRest) {
    Move(150, 110);
    Wait(900);
    Move(150, 125, 0x20A); // the wheel, say
    EXPECT_EQ(host.events, (std::vector<std::string>{"show A at 150,110", "hide"}));
    Wait(900);
    EXPECT_EQ(host.events.back(), "show B at 150,125");
}

TEST_F(HoverTrackerTest, OtherEventsStopTheDelayAndHideOnlyWhenNotNegative) {
    Move(150, 110);
    Wait(900);
    Move(150, 111);
    tracker.OnOtherEvent(-1);
    EXPECT_FALSE(host.timer);
    EXPECT_TRUE(host.shown);
    tracker.OnOtherEvent(0);
    EXPECT_FALSE(host.shown);
    // A click before the rest was over: no tooltip follows.
    Move(150, 125);
    tracker.OnOtherEvent(Point(150, 125));
    Wait(2000);
    EXPECT_EQ(host.events.back(), "hide");
}

TEST_F(HoverTrackerTest, DisabledTooltipsFollowTheRegionButShowNothing) {
    tracker.SetTooltipsEnabled(false);
    Move(150, 110);
    Wait(900);
    EXPECT_TRUE(host.events.empty());
    ASSERT_NE(tracker.Hovered(), nullptr);
    EXPECT_EQ(tracker.Hovered()->Message().entryId, "A");
}

TEST_F(HoverTrackerTest, TheOffsetPlacesPopUpTooltipsOnTheScreen) {
    tracker.SetTooltipOffset(610, 277);
    Move(150, 110);
    Wait(900);
    EXPECT_EQ(host.events, (std::vector<std::string>{"show A at 760,387"}));
    // A point of zero (or the picture's origin) is never a tooltip's.
    CRegionList corner;
    corner.AddAppointmentRegion({0, 0, 10, 10}, true, "C");
    Host other;
    CHoverTracker t(other, corner);
    t.OnMouseMove(CHoverTracker::kMouseMove, 0);
    other.now += 1000;
    t.OnDelayTimer();
    EXPECT_TRUE(other.events.empty());
}

} // namespace
