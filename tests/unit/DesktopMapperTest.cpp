// The interactive desktop without windows: the desktop mapper's hook handling, its
// registered messages, the resting delay through its timers, clicks by "Desktop
// Mouse Mode" with the icon test first; the tooltip's placement and life; the pop-up
// window's forwarding; the main frame setting and removing the hook and opening the
// pop-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FakeDesktopPort.h"
#include "FakePorts.h"
#include "desktop/DesktopMapper.h"
#include "desktop/PopUpSource.h"
#include "desktop/ToolTip.h"
#include "platform/HookMessages.h"
#include "render/Composer.h"
#include "settings/Settings.h"

namespace {

constexpr const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

std::int64_t Point(int x, int y) { return (static_cast<std::int64_t>(y & 0xFFFF) << 16) | (x & 0xFFFF); }

class DesktopMapperTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.m_desktopMouseMode = 1;
        regions.AddHeaderRegion({0, 0, 400, 30}, true, 0);
        regions.AddAppointmentRegion({100, 100, 300, 120}, true, "APPT-A");
        regions.AddAppointmentRegion({100, 120, 300, 140}, true, "APPT-B");
        regions.AddDayRegion({50, 200, 70, 215}, true, 46363.0);
        SetRegionSender([this](const RegionMessage& m) {
            sent.push_back(std::to_string(m.message) + (m.entryId.empty() ? "" : " " + m.entryId));
        });
        mapper.m_clock = [this] { return static_cast<std::uint64_t>(env.windows.nowMs); };
        ASSERT_TRUE(mapper.Create());
    }
    void TearDown() override { SetRegionSender(nullptr); }
    void Post(unsigned msg, uintptr_t wp, std::int64_t lp) {
        mapper.Window()->Post(msg, wp, static_cast<intptr_t>(lp));
        env.windows.DeliverPosted();
    }
    unsigned Registered(const char* name) { return env.windows.RegisterMessage(name); }

    FakeEnvironment env;
    FakeDesktopPort desktop;
    ScopedPort<IDesktopPort> desktopScope{desktop};
    CSettings settings{kRoot};
    CRegionList regions;
    CToolTip tooltip;
    CDesktopMapper mapper{settings, regions, tooltip};
    std::vector<std::string> sent;
};

TEST_F(DesktopMapperTest, TheWindowAndTheFourMessagesAreTheHookLibrarys) {
    EXPECT_EQ(env.windows.windows[mapper.Handle()].caption, "DesktopMapper");
    EXPECT_EQ(mapper.MoveMessage(), Registered("UWM_MOUSEMOVE_MSG-9AE594A5_B5DB_11D5_A76D_A32DB15C6A5D_01"));
    EXPECT_EQ(mapper.ClickMessage(), Registered("UWM_MOUSEMOVE_MSG-9AE594A5_B5DB_11D5_A76D_A32DB15C6A5D_02"));
    EXPECT_EQ(mapper.DoubleClickMessage(), Registered("UWM_MOUSEMOVE_MSG-9AE594A5_B5DB_11D5_A76D_A32DB15C6A5D_04"));
    EXPECT_EQ(mapper.OtherEventMessage(), Registered("UWM_MOUSEEVENT_MSG-9AE594A5_B5DB_11D5_A76D_A32DB15C6A5D_10"));
    EXPECT_STREQ(HookMessages::kLibrary, "MouseHook.dll");
}

TEST_F(DesktopMapperTest, InstallSetsTheHookForItsWindowAndTheRehookCheckRunsUntilRemoved) {
    EXPECT_TRUE(mapper.InstallHook());
    EXPECT_TRUE(mapper.HookSet());
    EXPECT_EQ(desktop.hookWindow, mapper.Handle());
    EXPECT_EQ(env.windows.TimerPeriod(CDesktopMapper::kRehookTimer), 500u);
    EXPECT_TRUE(mapper.InstallHook()); // again while set: fine
    EXPECT_TRUE(mapper.RemoveHook());
    EXPECT_FALSE(mapper.HookSet());
    EXPECT_FALSE(desktop.hookSet);
    EXPECT_FALSE(env.windows.TimerRunning(CDesktopMapper::kRehookTimer));
}

TEST_F(DesktopMapperTest, AFailedSetLeavesTheFlagClearButTheCheckRunning) {
    desktop.setWorks = false;
    EXPECT_FALSE(mapper.InstallHook());
    EXPECT_FALSE(mapper.HookSet());
    EXPECT_TRUE(env.windows.TimerRunning(CDesktopMapper::kRehookTimer));
    // The shell makes its web view: the check hooks again, now with success.
    desktop.setWorks = true;
    desktop.webView = 77;
    env.windows.Advance(500);
    EXPECT_TRUE(mapper.HookSet());
}

TEST_F(DesktopMapperTest, ANewShellWebViewIsHookedAgainWithinHalfASecond) {
    desktop.webView = 10;
    ASSERT_TRUE(mapper.InstallHook());
    desktop.calls.clear();
    env.windows.Advance(500);
    EXPECT_TRUE(desktop.calls.empty()); // the same web view: nothing
    desktop.webView = 11; // Active Desktop switched: the shell made it again
    env.windows.Advance(500);
    const std::string h = std::to_string(mapper.Handle());
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"clear " + h, "set " + h}));
    EXPECT_TRUE(mapper.HookSet());
}

TEST_F(DesktopMapperTest, AClearThatFailsKeepsTheFlagAndIsNotFollowedByASet) {
    desktop.webView = 10;
    ASSERT_TRUE(mapper.InstallHook());
    desktop.clearWorks = false;
    desktop.webView = 11;
    desktop.calls.clear();
    env.windows.Advance(500);
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"clear " + std::to_string(mapper.Handle())}));
    EXPECT_TRUE(mapper.HookSet());
    EXPECT_FALSE(mapper.RemoveHook());
}

TEST_F(DesktopMapperTest, SingleClickModeOpensOnTheClickAndIgnoresTheDoubleClick) {
    settings.m_desktopMouseMode = 1;
    Post(mapper.DoubleClickMessage(), 5, Point(150, 110));
    EXPECT_TRUE(sent.empty());
    Post(mapper.ClickMessage(), 5, Point(150, 110));
    EXPECT_EQ(sent, (std::vector<std::string>{"1284 APPT-A"}));
    Post(mapper.ClickMessage(), 5, Point(60, 205));
    EXPECT_EQ(sent.back(), "1287");
}

TEST_F(DesktopMapperTest, DoubleClickModeIgnoresTheClickAndOpensOnTheDoubleClick) {
    settings.m_desktopMouseMode = 0;
    Post(mapper.ClickMessage(), 5, Point(150, 130));
    EXPECT_TRUE(sent.empty());
    Post(mapper.DoubleClickMessage(), 5, Point(150, 130));
    EXPECT_EQ(sent, (std::vector<std::string>{"1284 APPT-B"}));
    // A negative second parameter is no double click.
    Post(mapper.DoubleClickMessage(), 5, -1);
    EXPECT_EQ(sent.size(), 1u);
}

TEST_F(DesktopMapperTest, AClickOnAnIconBelongsToTheShellAndOutsideEveryRegionDoesNothing) {
    desktop.icons = [](IDesktopPort::Handle, int x, int y) { return x >= 140 && x < 180 && y >= 100 && y < 140; };
    Post(mapper.ClickMessage(), 9, Point(150, 110));
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(desktop.iconTests.size(), 1u);
    EXPECT_EQ(desktop.iconTests[0].first, 9u); // asked of the window under the mouse
    EXPECT_EQ(desktop.iconTests[0].second, std::make_pair(150, 110));
    Post(mapper.ClickMessage(), 9, Point(250, 110));
    EXPECT_EQ(sent, (std::vector<std::string>{"1284 APPT-A"}));
    Post(mapper.ClickMessage(), 9, Point(700, 500));
    EXPECT_EQ(sent.size(), 1u);
    // The pop-up forwards with no window: the shell is not asked.
    desktop.iconTests.clear();
    Post(mapper.ClickMessage(), 0, Point(150, 110));
    EXPECT_TRUE(desktop.iconTests.empty());
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(DesktopMapperTest, RestingShowsTheTooltipThroughTheTimerAndTellsTheHook) {
    mapper.RegionsChanged(true);
    Post(mapper.MoveMessage(), 0x200, Point(150, 110));
    EXPECT_EQ(env.windows.TimerPeriod(CHoverTracker::kDelayTimer), 50u);
    env.windows.Advance(800);
    EXPECT_FALSE(desktop.windowShown);
    env.windows.Advance(150);
    ASSERT_TRUE(desktop.windowShown);
    EXPECT_EQ(desktop.windowText, "Click to open Appointment");
    EXPECT_EQ(desktop.extra, 1);
    EXPECT_FALSE(env.windows.TimerRunning(CHoverTracker::kDelayTimer));
    // Straight into the next region: switched at once.
    Post(mapper.MoveMessage(), 0x200, Point(150, 130));
    EXPECT_EQ(desktop.windowsShown, 2);
    EXPECT_EQ(desktop.windowsDestroyed, 1);
    // The other event hides it (and tells the hook); a negative one would not.
    Post(mapper.OtherEventMessage(), 0, Point(150, 130));
    EXPECT_FALSE(desktop.windowShown);
    EXPECT_EQ(desktop.extra, 0);
}

TEST_F(DesktopMapperTest, WithTooltipsOffHoveringShowsNothingAndNeverTellsTheHook) {
    mapper.RegionsChanged(false);
    Post(mapper.MoveMessage(), 0x200, Point(150, 110));
    env.windows.Advance(1000);
    EXPECT_FALSE(desktop.windowShown);
    EXPECT_TRUE(std::find(desktop.calls.begin(), desktop.calls.end(), "extra 1") == desktop.calls.end());
    ASSERT_NE(mapper.Tracker().Hovered(), nullptr);
    EXPECT_EQ(mapper.Tracker().Hovered()->Message().entryId, "APPT-A");
}

// The hook's points count from the virtual screen's top-left, as the regions do; with
// a monitor left of or above the primary one that corner is negative, and the
// tooltip must still stand under the pointer on the screen. The monitors change
// between compositions: each composition takes the layout then in force.
TEST_F(DesktopMapperTest, HookTooltipsStandAtTheScreenPointWhenTheVirtualScreenStartsLeftOrAbove) {
    ASSERT_TRUE(mapper.InstallHook());
    struct Layout {
        int left, top;
    };
    for (Layout l : {Layout{0, 0}, Layout{-1280, 0}, Layout{0, -1024}, Layout{-1920, -300}}) {
        SCOPED_TRACE(std::to_string(l.left) + "," + std::to_string(l.top));
        desktop.metrics.screenLeft = l.left;
        desktop.metrics.screenTop = l.top;
        desktop.metrics.screenWidth = 1024 - l.left;
        desktop.metrics.screenHeight = 768 - l.top;
        tooltip.Hide();
        mapper.RegionsChanged(true); // a composition for these monitors
        // At (150, 110) of the picture: the first appointment's region.
        Post(mapper.MoveMessage(), 0x200, Point(150, 110));
        env.windows.Advance(1000);
        ASSERT_TRUE(desktop.windowShown);
        // 160 wide, centred on the pointer; below the 32-pixel cursor.
        EXPECT_EQ(desktop.windowRect.left, l.left + 150 - 80);
        EXPECT_EQ(desktop.windowRect.top, l.top + 110 + 32);
    }
}

// A composition that no longer has the item under the pointer takes its tooltip away
// at once (it would stand over the bare desktop for the rest of its 10 seconds); the
// same item at that point keeps it, and the other mapper's composition (the pop-up's)
// leaves it alone.
TEST_F(DesktopMapperTest, ATooltipWhoseRegionTheNewPictureLacksGoesAtOnce) {
    mapper.RegionsChanged(true);
    CRegionList popupRegions;
    CDesktopMapper popup{settings, popupRegions, tooltip};
    ASSERT_TRUE(popup.Create());
    Post(mapper.MoveMessage(), 0x200, Point(150, 110));
    env.windows.Advance(1000);
    ASSERT_TRUE(desktop.windowShown);
    mapper.RegionsChanged(true);
    EXPECT_TRUE(desktop.windowShown) << "the same item is still under the pointer";
    popup.RegionsChanged(true);
    EXPECT_TRUE(desktop.windowShown) << "the pop-up's picture has no say over the desktop's tooltip";
    regions.Clear();
    regions.AddDayRegion({50, 200, 70, 215}, true, 46363.0);
    mapper.RegionsChanged(true);
    EXPECT_FALSE(desktop.windowShown) << "its item is gone";
    EXPECT_EQ(desktop.extra, 0);
    // A different item now at that point is no reason to keep the old text either.
    regions.AddDayRegion({100, 100, 300, 120}, true, 46364.0);
    mapper.RegionsChanged(true);
    Post(mapper.MoveMessage(), 0x200, Point(150, 110));
    env.windows.Advance(1000);
    ASSERT_TRUE(desktop.windowShown);
    regions.Clear();
    regions.AddAppointmentRegion({100, 100, 300, 120}, true, "APPT-C");
    mapper.RegionsChanged(true);
    EXPECT_FALSE(desktop.windowShown);
}

TEST(ToolTip, PlacedBelowThePointerInsideTheScreenAndAboveTheTaskbar) {
    FakeDesktopPort desktop;
    ScopedPort<IDesktopPort> scope(desktop);
    CToolTip tip;
    // "Click to open Appointment": 25 characters, 150 + 10 wide, 13 + 5 high.
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Appointment", 500, 300, 0));
    EXPECT_EQ(desktop.windowRect.Width(), 160);
    EXPECT_EQ(desktop.windowRect.Height(), 18);
    EXPECT_EQ(desktop.windowRegion, (Rect{0, 0, 160, 18})); // the text box, in the window's own coordinates
    EXPECT_EQ(desktop.windowRect.left, 420);
    EXPECT_EQ(desktop.windowRect.top, 332); // below the 32-pixel cursor
    tip.Hide();
    // Near the right edge it ends at the screen's width; near the left it starts at 0.
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Appointment", 1020, 300, 0));
    EXPECT_EQ(desktop.windowRect.right, 1024);
    tip.Hide();
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Appointment", 3, 300, 0));
    EXPECT_EQ(desktop.windowRect.left, 0);
    tip.Hide();
    // Near the bottom it stands on the taskbar's top edge (748).
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Appointment", 500, 730, 0));
    EXPECT_EQ(tip.Placement().bottom, 748);
    EXPECT_EQ(desktop.windowRect.top, 748 - (18 + 18 + 2 * 4));
    tip.Hide();
    // A monitor left of the primary one: the virtual screen starts at -1280.
    desktop.metrics.screenLeft = -1280;
    desktop.metrics.screenWidth = 2304;
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Appointment", -1278, 300, 0));
    EXPECT_EQ(desktop.windowRect.left, -1280);
    EXPECT_EQ(desktop.windowRect.Width(), 160);
}

TEST(ToolTip, TheSameKeyStaysAnotherReplacesItAndEveryHideTellsTheHook) {
    FakeDesktopPort desktop;
    ScopedPort<IDesktopPort> scope(desktop);
    CToolTip tip;
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Day Calendar", 100, 100, 46363));
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Day Calendar", 120, 100, 46363));
    EXPECT_EQ(desktop.windowsShown, 1);
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Day Calendar", 140, 100, 46364));
    EXPECT_EQ(desktop.windowsShown, 2);
    EXPECT_EQ(desktop.windowsDestroyed, 1);
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"extra 0"}));
    // The window's own 10 seconds (or a click, a key, the focus lost) hide it too.
    desktop.WindowDismisses();
    EXPECT_FALSE(tip.Shown());
    EXPECT_FALSE(desktop.windowShown);
    EXPECT_EQ(desktop.extra, 0);
    // Two lines separated by CR LF measure as three.
    ASSERT_TRUE(tip.ShowTooltipText("one\r\ntwo", 100, 100, 1));
    EXPECT_EQ(desktop.windowRect.Height(), 3 * 13 + 5);
    // A window that cannot be made shows nothing.
    tip.Hide();
    desktop.windowWorks = false;
    EXPECT_FALSE(tip.ShowTooltipText("x", 1, 1, 2));
    EXPECT_FALSE(tip.Shown());
}

// The pop-up's mouse, as its window reports it from its own thread: posted to the
// pop-up mapper, whose tooltips then stand at the window's screen place.
TEST_F(DesktopMapperTest, ThePopUpForwardsMovesWithItsCornerAndAPressAsAClickInEitherMode) {
    CComposer composer(settings, "unused.bmp");
    CPopUpSource source(composer, mapper);
    mapper.RegionsChanged(true);
    source.MouseMove(162, 121, 150, 110);
    env.windows.DeliverPosted();
    env.windows.Advance(1000);
    ASSERT_TRUE(desktop.windowShown);
    EXPECT_EQ(desktop.windowRect.top, 121 + 110 + 32);
    // A press: the click (mode 1) or the double click (mode 0), then the other event.
    for (int mode : {1, 0}) {
        settings.m_desktopMouseMode = mode;
        source.SetMouseMode(mode);
        sent.clear();
        source.LeftButtonDown(150, 130);
        ASSERT_GE(env.windows.posted.size(), 2u);
        EXPECT_EQ(std::get<1>(env.windows.posted[0]), mode == 1 ? mapper.ClickMessage() : mapper.DoubleClickMessage());
        EXPECT_EQ(std::get<1>(env.windows.posted[1]), mapper.OtherEventMessage());
        env.windows.DeliverPosted();
        EXPECT_EQ(sent, (std::vector<std::string>{"1284 APPT-B"})) << mode;
        EXPECT_FALSE(desktop.windowShown);
    }
    // Before any composition there is no picture to paint.
    bool painted = false;
    source.PaintPicture([](const PixelSurface&, void* p) { *static_cast<bool*>(p) = true; }, &painted);
    EXPECT_FALSE(painted);
}

// The pop-up by keyboard, as a screen reader sees it too: the items in reading order
// (the header's button, the appointments as drawn, the tasks beside them, the days
// below), each with its name and role; the focus starts on the first appointment,
// Tab goes round at the ends, Enter opens the focused item as a click on it does. A
// recomposition while the pop-up is open tells it to paint again and keeps the focus
// on the same appointment, though another one now comes before it; when its item is
// gone the focus goes back to the start. A listener taken away hears nothing more.
TEST_F(DesktopMapperTest, ThePopUpsFocusGoesInReadingOrderAndKeepsItsItemThroughARecomposition) {
    CComposer composer(settings, "unused.bmp");
    CPopUpSource source(composer, mapper);
    auto draw = [&](const std::vector<std::string>& appointments) {
        // As the painters record them: header first, then each block in drawing order.
        regions.Clear();
        regions.AddHeaderRegion({0, 0, 100, 30}, true, 0);
        int y = 40;
        for (const std::string& id : appointments) {
            regions.AddAppointmentRegion({0, y, 300, y + 20}, true, id).SetName("Today, " + id);
            y += 20;
        }
        regions.AddTaskRegion({400, 40, 700, 60}, true, "TASK-1").SetName("Report");
        regions.AddTaskRegion({400, 60, 700, 80}, true, "TASK-2").SetName("Budget");
        regions.AddDayRegion({10, 300, 30, 315}, true, 46363.0);
        mapper.RegionsChanged(true);
        source.PictureChanged(regions);
    };
    int changes = 0;
    const int listener = source.AddChangeListener([&] { ++changes; });
    draw({"APPT-A", "APPT-B", "APPT-C"});
    source.ResetFocus();
    EXPECT_EQ(changes, 1);

    int focused = -1;
    std::vector<PopupItem> items = source.Items(focused);
    std::vector<std::string> names;
    for (const PopupItem& i : items) names.push_back(i.name);
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.end() - 1),
              (std::vector<std::string>{"New Appointment", "Today, APPT-A", "Today, APPT-B", "Today, APPT-C", "Report",
                                        "Budget"}));
    EXPECT_EQ(items[0].role, PopupItem::Role::Button);
    EXPECT_EQ(items[1].role, PopupItem::Role::ListItem);
    EXPECT_EQ(items[6].role, PopupItem::Role::Cell);
    EXPECT_EQ(items[6].rect, (Rect{10, 300, 30, 315}));
    EXPECT_EQ(focused, 1) << "starts on the first appointment";

    // Backwards past the first item to the last one, forward round again.
    ASSERT_TRUE(source.MoveFocus(false));
    ASSERT_TRUE(source.MoveFocus(false));
    source.Items(focused);
    EXPECT_EQ(focused, 6);
    ASSERT_TRUE(source.MoveFocus(true));
    ASSERT_TRUE(source.MoveFocus(true));
    ASSERT_TRUE(source.MoveFocus(true));
    source.Items(focused);
    EXPECT_EQ(focused, 2) << "APPT-B";

    // A new picture with an appointment before it: still on APPT-B, and the pop-up told.
    draw({"APPT-0", "APPT-A", "APPT-B", "APPT-C"});
    EXPECT_EQ(changes, 2);
    items = source.Items(focused);
    ASSERT_EQ(focused, 3);
    EXPECT_EQ(items[3].name, "Today, APPT-B");

    // Enter: the click in the middle of the focused item, so the mapper opens it.
    sent.clear();
    ASSERT_TRUE(source.ActivateFocused());
    env.windows.DeliverPosted();
    EXPECT_EQ(sent, (std::vector<std::string>{"1284 APPT-B"}));

    // Its item gone: back to the first appointment. Unheard once taken away.
    draw({"APPT-A", "APPT-C"});
    source.Items(focused);
    EXPECT_EQ(focused, 1);
    source.RemoveChangeListener(listener);
    draw({"APPT-A"});
    EXPECT_EQ(changes, 3);

    // Nothing to focus in an empty picture.
    regions.Clear();
    source.PictureChanged(regions);
    EXPECT_TRUE(source.Items(focused).empty());
    EXPECT_EQ(focused, -1);
    EXPECT_FALSE(source.MoveFocus(true));
    EXPECT_FALSE(source.ActivateFocused());
}

} // namespace
