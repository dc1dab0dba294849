// The settings sheet's pages and Apply without any window: what the dialogs will
// show, refuse, grey out and take over.
#include <gtest/gtest.h>

#include <algorithm>

#include "FakePorts.h"
#include "render/PanelLayout.h"
#include "system/Registry.h"
#include "settings/Settings.h"
#include "settings/SettingsSheetModel.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
using G = CGeneralOptionsPage;
using A = CAppearancePage;

class SettingsSheetTest : public ::testing::Test {
protected:
    void SetUp() override { settings.Open(); }
    bool RunEntry() { return CRegistry::RunEntryExists("Orvanta for Outlook"); }
    // The sheet opened over a 1920 x 1080 virtual screen (or the size given).
    void OpenSheet(int w = 1920, int h = 1080) { sheet.Init(settings, RunEntry(), true, w, h); }
    RegValue Stored(const std::string& name) {
        RegValue v;
        env.registry.Tree(RegRoot::CurrentUser).QueryValue(kRoot, name, v);
        return v;
    }

    FakeEnvironment env;
    CSettings settings{kRoot};
    CSettingsSheetModel sheet;
};

// --- range checks -------------------------------------------------------------------

TEST_F(SettingsSheetTest, CheckIntervalOutsideFiveTo3600IsRefusedAndKept) {
    OpenSheet();
    G& g = sheet.General();
    std::string message;
    for (const char* bad : {"4", "3601", "0", "-5"}) {
        EXPECT_FALSE(g.TakeRefresh(bad, message)) << bad;
        EXPECT_EQ(message, "Please enter an integer between 5 and 3600.");
        EXPECT_EQ(g.m_refresh, 20) << bad;
    }
    for (const char* notNumber : {"", "  ", "ten", "5s", "99999999999", "+"}) {
        message.clear();
        EXPECT_FALSE(g.TakeRefresh(notNumber, message)) << notNumber;
        EXPECT_EQ(message, "Please enter an integer.") << notNumber;
        EXPECT_EQ(g.m_refresh, 20);
    }
    EXPECT_TRUE(g.TakeRefresh("5", message));
    EXPECT_EQ(g.m_refresh, 5);
    EXPECT_TRUE(g.TakeRefresh(" 3600 ", message));
    EXPECT_EQ(g.m_refresh, 3600);
}

TEST_F(SettingsSheetTest, AppearanceEditsHaveTheirAcceptedRanges) {
    OpenSheet();
    A& a = sheet.Appearance();
    const int width = a.m_sideBarWidth;
    std::string message;
    EXPECT_FALSE(a.TakeEdit(A::kSideBarWidthEdit, "159", message));
    EXPECT_EQ(message, "Please enter an integer between 160 and 400.");
    EXPECT_FALSE(a.TakeEdit(A::kSideBarWidthEdit, "401", message));
    EXPECT_EQ(a.m_sideBarWidth, width);
    EXPECT_TRUE(a.TakeEdit(A::kSideBarWidthEdit, "160", message));
    EXPECT_EQ(a.m_sideBarWidth, 160);

    EXPECT_FALSE(a.TakeEdit(A::kTransparencyEdit, "101", message));
    EXPECT_EQ(message, "Please enter an integer between 0 and 100.");
    EXPECT_EQ(a.m_transparency, 30);
    for (int edit : {A::kCalendarPosXEdit, A::kCalendarPosYEdit, A::kSideBarCalPosXEdit, A::kSideBarCalPosYEdit}) {
        EXPECT_FALSE(a.TakeEdit(edit, "3001", message)) << edit;
        EXPECT_EQ(message, "Please enter an integer between 0 and 3000.");
        EXPECT_TRUE(a.TakeEdit(edit, "3000", message)) << edit;
    }
    EXPECT_EQ(a.m_calendarPosX, 3000);
    EXPECT_EQ(a.m_sideBarCalPosY, 3000);
    // The blanks take any count of pixels, but no sign.
    EXPECT_FALSE(a.TakeEdit(A::kHeaderEdit, "-1", message));
    EXPECT_EQ(message, "Please enter an integer.");
    EXPECT_TRUE(a.TakeEdit(A::kHeaderEdit, "12", message));
    EXPECT_EQ(a.m_headerBlank, 12);
}

// --- enable rules ---------------------------------------------------------------------

TEST_F(SettingsSheetTest, InteractiveDesktopOffGreysItsFourControls) {
    OpenSheet();
    G& g = sheet.General();
    const int dependent[] = {G::kDoubleClick, G::kSingleClick, G::kShowDesktopTooltip, G::kShowContacts};
    for (int id : dependent) EXPECT_TRUE(g.IsEnabled(id)) << id;
    g.m_useInteractiveDesktop = false;
    for (int id : dependent) EXPECT_FALSE(g.IsEnabled(id)) << id;
    EXPECT_TRUE(g.IsEnabled(G::kRefreshEdit));
    EXPECT_TRUE(g.IsEnabled(G::kHideOnDesktopLock));
    sheet.Init(settings, true, false, 1920, 1080); // not of the NT family
    EXPECT_FALSE(sheet.General().IsEnabled(G::kHideOnDesktopLock));
}

TEST_F(SettingsSheetTest, ViewPlacementAndCalendarSwitchTheirControls) {
    OpenSheet();
    A& a = sheet.Appearance();
    const int sideBar[] = {A::kShowCalendar, A::kShowTasks, A::kSideBarWidthEdit, A::kSideBarWidthLabel, A::kHeaderSpin,
                           A::kFooterUnit, A::kRightMarginEdit, A::kRatioSlider, A::kRatioText};
    const int sideBarCalendar[] = {A::kSideBarCalPosXLabel, A::kSideBarCalPosYLabel, A::kSideBarCalPosXEdit,
                                   A::kSideBarCalPosYEdit, A::kSideBarCalPosXSpin, A::kSideBarCalPosYSpin};
    const int central[] = {A::kCalendarPosXLabel, A::kCalendarPosYLabel, A::kCalendarPosXEdit,
                           A::kCalendarPosYEdit, A::kCalendarPosXSpin, A::kCalendarPosYSpin};

    // Side-bar view.
    for (int id : sideBar) EXPECT_TRUE(a.IsEnabled(id)) << id;
    for (int id : sideBarCalendar) EXPECT_TRUE(a.IsEnabled(id)) << id;
    for (int id : central) EXPECT_FALSE(a.IsEnabled(id)) << id;
    EXPECT_FALSE(a.IsEnabled(A::kCenter));
    EXPECT_FALSE(a.IsEnabled(A::kPosition));
    a.m_showCalendar = false;
    for (int id : sideBarCalendar) EXPECT_FALSE(a.IsEnabled(id)) << id;
    EXPECT_TRUE(a.IsEnabled(A::kSideBarWidthEdit));

    // Central view, centred, then at a position.
    a.m_showCalendar = true;
    a.m_centralView = true;
    for (int id : sideBar) EXPECT_FALSE(a.IsEnabled(id)) << id;
    for (int id : sideBarCalendar) EXPECT_FALSE(a.IsEnabled(id)) << id;
    EXPECT_TRUE(a.IsEnabled(A::kCenter));
    EXPECT_TRUE(a.IsEnabled(A::kPosition));
    for (int id : central) EXPECT_FALSE(a.IsEnabled(id)) << id;
    a.m_offsetPosition = true;
    for (int id : central) EXPECT_TRUE(a.IsEnabled(id)) << id;
    // Controls no rule names stay enabled in both views.
    EXPECT_TRUE(a.IsEnabled(A::kTransparencyEdit));
    EXPECT_TRUE(a.IsEnabled(A::kStyleBrown));
}

// --- limits against the screen --------------------------------------------------------

TEST_F(SettingsSheetTest, SpinLimitsFollowTheScreenAndTheOtherBlank) {
    settings.m_sideBarWidth = 300;
    settings.m_rightMarginBlank = 5000; // more than the screen leaves
    settings.m_headerBlank = 100;
    settings.m_footerBlank = 35;
    OpenSheet(1600, 900);
    A& a = sheet.Appearance();
    EXPECT_EQ(a.m_rightMarginBlank, 1300);
    EXPECT_EQ(a.SpinRange(A::kRightMarginSpin), (A::Range{0, 1300}));
    EXPECT_EQ(a.SpinRange(A::kHeaderSpin), (A::Range{0, 865}));
    EXPECT_EQ(a.SpinRange(A::kFooterSpin), (A::Range{0, 800}));
    EXPECT_EQ(a.SpinRange(A::kCalendarPosXSpin), (A::Range{0, 1600}));
    EXPECT_EQ(a.SpinRange(A::kSideBarCalPosYSpin), (A::Range{0, 900}));
    EXPECT_EQ(a.SpinRange(A::kSideBarWidthSpin), (A::Range{160, 400}));
    EXPECT_EQ(a.SpinRange(A::kTransparencySpin), (A::Range{0, 100}));
}

TEST_F(SettingsSheetTest, HeaderAndFooterLeaveTheSideBarItsHeight) {
    settings.m_headerBlank = 0;
    settings.m_footerBlank = 35;
    OpenSheet(1280, 1024);
    A& a = sheet.Appearance();
    a.OnHeaderChanged(1000);
    EXPECT_EQ(a.m_headerBlank, 896);
    EXPECT_EQ(a.m_footerBlank, 0);

    a.m_headerBlank = 800;
    a.OnFooterChanged(200);
    EXPECT_EQ(a.m_footerBlank, 200);
    EXPECT_EQ(a.m_headerBlank, 696);

    a.OnFooterChanged(5000);
    EXPECT_EQ(a.m_footerBlank, 896);
    EXPECT_EQ(a.m_headerBlank, 0);
    // Within the room nothing moves.
    a.OnHeaderChanged(100);
    a.OnFooterChanged(100);
    EXPECT_EQ(a.m_headerBlank, 100);
    EXPECT_EQ(a.m_footerBlank, 100);
    // A screen lower than the side bar's minimum leaves no blanks at all.
    OpenSheet(640, 100);
    sheet.Appearance().OnHeaderChanged(50);
    EXPECT_EQ(sheet.Appearance().m_headerBlank, 0);
    EXPECT_EQ(sheet.Appearance().m_footerBlank, 0);
}

TEST_F(SettingsSheetTest, AWiderSideBarBringsTheRightMarginDown) {
    settings.m_sideBarWidth = 160;
    settings.m_rightMarginBlank = 1700;
    OpenSheet(1920, 1080);
    A& a = sheet.Appearance();
    EXPECT_EQ(a.m_rightMarginBlank, 1700);
    // Up to the largest width, from any width before: the column must stay on screen.
    a.OnSideBarWidthChanged(400);
    EXPECT_EQ(a.SpinRange(A::kRightMarginSpin).max, 1520);
    EXPECT_EQ(a.m_rightMarginBlank, 1520);
    a.OnSideBarWidthChanged(500); // refused by the field: no new limit
    EXPECT_EQ(a.SpinRange(A::kRightMarginSpin).max, 1520);
    a.OnSideBarWidthChanged(200);
    EXPECT_EQ(a.SpinRange(A::kRightMarginSpin).max, 1720);
    a.OnRightMarginChanged(1800);
    EXPECT_EQ(a.m_rightMarginBlank, 1720);
    std::string message;
    ASSERT_TRUE(a.TakeEdit(A::kSideBarWidthEdit, "300", message));
    EXPECT_EQ(a.m_rightMarginBlank, 1620);
}

TEST_F(SettingsSheetTest, SliderFillsTheRatioText) {
    OpenSheet();
    A& a = sheet.Appearance();
    a.OnSliderScroll(A::kThumbTrack, 40, 75); // during a drag the carried position counts
    EXPECT_EQ(a.m_appointmentsTask, 40);
    EXPECT_EQ(a.RatioText(), "Appointments/Tasks ratio (40 : 60) %");
    EXPECT_TRUE(a.IsModified());
    a.OnSliderScroll(1 /* SB_LINERIGHT */, 0, 41);
    EXPECT_EQ(a.RatioText(), "Appointments/Tasks ratio (41 : 59) %");
}

// --- factory settings -----------------------------------------------------------------

TEST_F(SettingsSheetTest, FactorySettingsGiveTheStoreInitialValues) {
    settings.m_refresh = 600;
    settings.m_systrayIcon = 1;
    settings.m_doubleclickAction = 0;
    settings.m_useInteractiveDesktop = false;
    settings.m_desktopMouseMode = 1;
    settings.m_launchOutlook = true;
    settings.m_showSplash = false;
    settings.m_keepOnExit = true;
    settings.m_hideOnDesktopLock = false;
    settings.m_style = 2;
    settings.m_centralView = true;
    settings.m_timeStyle = 2;
    settings.m_appointmentsTask = 10;
    settings.m_footerBlank = 300;
    settings.m_showTasks = false;
    settings.m_offsetType = true;
    settings.m_calendarPosX = 77;
    OpenSheet(1920, 1080);
    G& g = sheet.General();
    g.FactorySettings();
    EXPECT_TRUE(g.IsModified());
    EXPECT_TRUE(g.m_launchAtStartup);
    EXPECT_EQ(g.m_systrayIcon, 0);
    EXPECT_FALSE(g.m_keepOnExit);
    EXPECT_TRUE(g.m_showSplash);
    EXPECT_EQ(g.m_doubleclickAction, 3);
    EXPECT_EQ(g.m_refresh, 20);
    EXPECT_FALSE(g.m_launchOutlook);
    EXPECT_EQ(g.m_desktopMouseMode, 0);
    EXPECT_TRUE(g.m_useInteractiveDesktop);
    EXPECT_TRUE(g.m_showDesktopTooltip);
    EXPECT_TRUE(g.m_showContacts);
    EXPECT_FALSE(g.m_hideOnDesktopLock); // the user's choice stays

    A& a = sheet.Appearance();
    EXPECT_FALSE(a.IsModified()); // each page resets only itself
    a.FactorySettings();
    EXPECT_EQ(a.m_fdow, 0);
    EXPECT_EQ(a.m_style, 0);
    EXPECT_TRUE(a.m_showWeekNumbers);
    EXPECT_EQ(a.m_transparency, 30);
    EXPECT_FALSE(a.m_centralView);
    EXPECT_EQ(a.m_timeStyle, 0);
    EXPECT_EQ(a.m_sideBarWidth, 256); // 20 % of 1920 is 384, at most 256
    EXPECT_TRUE(a.m_showCalendar && a.m_showAppointments && a.m_showTasks && a.m_showMessages);
    EXPECT_EQ(a.m_headerBlank, 0);
    EXPECT_EQ(a.m_footerBlank, 35);
    EXPECT_EQ(a.m_rightMarginBlank, 0);
    EXPECT_EQ(a.m_appointmentsTask, 60);
    EXPECT_EQ(a.m_calendarPosX, 0);
    EXPECT_EQ(a.m_calendarPosY, 0);
    EXPECT_EQ(a.m_sideBarCalPosX, 735);
    EXPECT_EQ(a.m_sideBarCalPosY, 696);
    EXPECT_FALSE(a.m_offsetPosition);
    EXPECT_TRUE(a.IsEnabled(A::kSideBarWidthEdit));

    // A small screen gets values its fields accept.
    OpenSheet(400, 300);
    sheet.Appearance().FactorySettings();
    EXPECT_EQ(sheet.Appearance().m_sideBarWidth, 160);
    EXPECT_EQ(sheet.Appearance().m_sideBarCalPosX, 0);
    EXPECT_EQ(sheet.Appearance().m_sideBarCalPosY, 0);
}

TEST_F(SettingsSheetTest, FactorySettingsWriteTheLogonEntryOnlyOnApply) {
    ASSERT_TRUE(CRegistry::DeleteRunEntry("Orvanta for Outlook"));
    OpenSheet();
    EXPECT_FALSE(sheet.General().m_launchAtStartup); // shown from the Run key, not the flag
    EXPECT_TRUE(settings.m_launchAtStartup);
    sheet.General().FactorySettings();
    EXPECT_TRUE(sheet.General().m_launchAtStartup);
    EXPECT_FALSE(RunEntry()); // a sheet cancelled now leaves the Run key as it was
    sheet.Apply(settings);
    EXPECT_TRUE(RunEntry());
}

// --- Apply ------------------------------------------------------------------------------

TEST_F(SettingsSheetTest, ApplyTakesBothPagesOverAndListsTheStepsInOrder) {
    settings.m_hideData = false;
    settings.m_hideOnDesktopLock = true;
    OpenSheet();
    std::string message;
    ASSERT_TRUE(sheet.General().TakeRefresh("45", message));
    sheet.General().m_doubleclickAction = 1;
    sheet.General().m_launchAtStartup = false;
    sheet.General().m_showContacts = false;
    sheet.Appearance().m_style = 1;
    sheet.Appearance().m_transparency = 55;
    ASSERT_TRUE(sheet.Appearance().TakeEdit(A::kSideBarWidthEdit, "333", message));
    sheet.Appearance().OnSliderScroll(A::kThumbTrack, 40, 0);
    ASSERT_TRUE(RunEntry());

    const std::vector<ApplyStep> steps = sheet.Apply(settings);
    EXPECT_EQ(steps, (std::vector<ApplyStep>{ApplyStep::UpdateTray, ApplyStep::StopRefreshTimer,
                                             ApplyStep::StopWatcher, ApplyStep::StartWatcher,
                                             ApplyStep::SaveSettings, ApplyStep::InstallHook,
                                             ApplyStep::ReadAndRecompose, ApplyStep::StartRefreshTimer}));
    EXPECT_EQ(settings.m_refresh, 45);
    EXPECT_EQ(settings.m_doubleclickAction, 1);
    EXPECT_FALSE(settings.m_launchAtStartup);
    EXPECT_FALSE(RunEntry()); // deleted at once
    EXPECT_FALSE(settings.m_showContacts);
    EXPECT_EQ(settings.m_style, 1);
    EXPECT_EQ(PanelLayout::ForDesktop(settings, 1920, 1080, 3).colors, CStyleSet::For(1).colors); // drawn in it
    EXPECT_EQ(settings.m_transparency, 55);
    EXPECT_EQ(settings.m_sideBarWidth, 333);
    EXPECT_EQ(settings.m_appointmentsTask, 40);
    EXPECT_FALSE(sheet.General().IsModified());
    EXPECT_FALSE(sheet.Appearance().IsModified());
    // Apply leaves the saving to its step.
    EXPECT_EQ(Stored("Refresh").data, RegValue::Number(20).data);
}

TEST_F(SettingsSheetTest, ApplyStepsFollowHiddenDataLockAndInteractiveDesktop) {
    settings.m_hideData = true;
    settings.m_hideOnDesktopLock = true;
    settings.m_useInteractiveDesktop = true;
    auto steps = CSettingsSheetModel::StepsAfterTakeOver(settings);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), ApplyStep::StartWatcher), 0);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), ApplyStep::InstallHook), 0);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), ApplyStep::RemoveHook), 0);
    settings.m_useInteractiveDesktop = false;
    steps = CSettingsSheetModel::StepsAfterTakeOver(settings);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), ApplyStep::RemoveHook), 1);
    settings.m_hideData = false;
    settings.m_hideOnDesktopLock = false;
    steps = CSettingsSheetModel::StepsAfterTakeOver(settings);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), ApplyStep::StartWatcher), 0);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), ApplyStep::RemoveHook), 1);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), ApplyStep::InstallHook), 0);
}

TEST_F(SettingsSheetTest, CentralViewKeepsTheSideBarValues) {
    settings.m_sideBarWidth = 200;
    settings.m_appointmentsTask = 75;
    settings.m_showTasks = true;
    settings.m_headerBlank = 10;
    OpenSheet();
    A& a = sheet.Appearance();
    std::string message;
    ASSERT_TRUE(a.TakeEdit(A::kSideBarWidthEdit, "350", message));
    a.m_showTasks = false;
    a.OnSliderScroll(A::kThumbTrack, 20, 0);
    a.OnHeaderChanged(50);
    a.m_centralView = true;
    a.m_offsetPosition = true;
    ASSERT_TRUE(a.TakeEdit(A::kCalendarPosXEdit, "120", message));
    sheet.Apply(settings);
    EXPECT_TRUE(settings.m_centralView);
    EXPECT_TRUE(settings.m_offsetType);
    EXPECT_EQ(settings.m_calendarPosX, 120);
    EXPECT_EQ(settings.m_sideBarWidth, 200);
    EXPECT_EQ(settings.m_appointmentsTask, 75);
    EXPECT_TRUE(settings.m_showTasks);
    EXPECT_EQ(settings.m_headerBlank, 10);
}

TEST_F(SettingsSheetTest, PagesAreFilledBeforeAnyDialogSoApplyKeepsAnUnopenedPage) {
    settings.m_style = 2;
    settings.m_timeStyle = 1;
    settings.m_calendarPosY = 99;
    OpenSheet();
    sheet.General().m_showSplash = false; // only the General page was touched
    sheet.Apply(settings);
    EXPECT_EQ(settings.m_style, 2);
    EXPECT_EQ(settings.m_timeStyle, 1);
    EXPECT_EQ(settings.m_calendarPosY, 99);
    EXPECT_FALSE(settings.m_showSplash);
}

// --- by registry value name (the Linux command) -------------------------------------

TEST_F(SettingsSheetTest, SettingByNameUsesThePagesChecks) {
    OpenSheet(1280, 1024);
    std::string message;
    EXPECT_EQ(sheet.SetByName("Refresh", "4", message), CSettingsSheetModel::SetResult::Refused);
    EXPECT_EQ(message, "Please enter an integer between 5 and 3600.");
    EXPECT_EQ(sheet.ValueText("Refresh"), "20");
    EXPECT_FALSE(sheet.General().IsModified());

    EXPECT_EQ(sheet.SetByName("Orvanta style", "3", message), CSettingsSheetModel::SetResult::Refused);
    EXPECT_EQ(message, "Please enter an integer between 0 and 2.");
    EXPECT_EQ(sheet.SetByName("Orvanta style", "1", message), CSettingsSheetModel::SetResult::Taken);
    EXPECT_EQ(sheet.ValueText("Orvanta style"), "1");
    EXPECT_TRUE(sheet.Appearance().IsModified());

    EXPECT_EQ(sheet.SetByName("KeepOnExit", "yes", message), CSettingsSheetModel::SetResult::Refused);
    EXPECT_EQ(sheet.SetByName("KeepOnExit", "true", message), CSettingsSheetModel::SetResult::Taken);
    EXPECT_EQ(sheet.ValueText("KeepOnExit"), "TRUE");

    // The header typed too large is brought down, and the footer with it.
    EXPECT_EQ(sheet.SetByName("Header Blank", "1000", message), CSettingsSheetModel::SetResult::Taken);
    EXPECT_EQ(sheet.ValueText("Header Blank"), "896");
    EXPECT_EQ(sheet.ValueText("Footer Blank"), "0");

    EXPECT_EQ(sheet.SetByName("Wallpaper", "x.bmp", message), CSettingsSheetModel::SetResult::Unknown);
    EXPECT_EQ(sheet.ValueText("Wallpaper"), "");
    // "Private Items" takes 0 to 2 only; "Presenting" is a flag.
    EXPECT_EQ(sheet.SetByName("Private Items", "3", message), CSettingsSheetModel::SetResult::Refused);
    EXPECT_EQ(sheet.SetByName("Private Items", "1", message), CSettingsSheetModel::SetResult::Taken);
    EXPECT_EQ(sheet.ValueText("Private Items"), "1");
    EXPECT_EQ(sheet.SetByName("Presenting", "TRUE", message), CSettingsSheetModel::SetResult::Taken);
    EXPECT_TRUE(sheet.General().m_presenting);
    EXPECT_EQ(CSettingsSheetModel::SettingNames().size(), 36u); // with "Panel Scale" and "Panel Monitor"
    EXPECT_EQ(sheet.RangeText("Refresh"), "5 to 3600");
}

// Every kind of setting takes blanks around its value alike, a blank below 0 is
// refused with the range it has, and what the screen's room moved is said.
TEST_F(SettingsSheetTest, SettingByNameTakesBlanksAlikeAndSaysWhatTheLimitsMoved) {
    using R = CSettingsSheetModel::SetResult;
    const std::string fits = " (larger values are brought down to fit the screen).";
    const struct {
        const char* name;
        const char* text;
        R result;
        std::string message;
        const char* value; // the value afterwards
    } cases[] = {
        {"Refresh", " 20", R::Taken, "", "20"},
        {"Refresh", "30 ", R::Taken, "", "30"},
        {"Refresh", "+40", R::Taken, "", "40"},
        {"Refresh", "\t50\t", R::Taken, "", "50"},
        {"Refresh", "6 0", R::Refused, "Please enter an integer.", "50"},
        {"KeepOnExit", "TRUE ", R::Taken, "", "TRUE"},
        {"KeepOnExit", " false", R::Taken, "", "FALSE"},
        {"KeepOnExit", "TRUE\n", R::Refused, "Please enter TRUE or FALSE.", "FALSE"},
        {"Orvanta style", " 2 ", R::Taken, "", "2"},
        {"Panel Scale", "150", R::Taken, "", "150"},
        {"Panel Scale", " 0", R::Taken, "", "0"},
        {"Panel Scale", "99", R::Refused, "Please enter 0 (the monitor's scale) or an integer between 100 and 300.", "0"},
        {"Panel Scale", "301", R::Refused, "Please enter 0 (the monitor's scale) or an integer between 100 and 300.", "0"},
        {"Panel Scale", "300", R::Taken, "", "300"},
        {"Header Blank", " 10", R::Taken, "", "10"},
        {"Header Blank", "-0", R::Taken, "", "0"},
        {"Header Blank", "-5", R::Refused, "Please enter an integer between 0 and 861" + fits, "0"},
        {"Footer Blank", "-1", R::Refused, "Please enter an integer between 0 and 896" + fits, "35"},
        {"Right Margin Blank", "-1", R::Refused, "Please enter an integer between 0 and 896" + fits, "0"}, // 1280 - 384
        {"Header Blank", "800", R::Taken, "", "800"},
        {"Footer Blank", "200", R::Taken, "\"Header Blank\" went from 800 to 696 to make room.", "200"},
        {"Header Blank", "99999", R::Taken,
         "\"Header Blank\" 99999 does not fit the screen: it was brought down to 896. \"Footer Blank\" went from 200 "
         "to 0 to make room.",
         "896"},
        {"Right Margin Blank", "5000", R::Taken,
         "\"Right Margin Blank\" 5000 does not fit the screen: it was brought down to 896.", "896"},
        {"\x1b]0;title\x07", "1", R::Unknown, "\"\\x1b]0;title\\x07\" is not a setting of the settings sheet.", ""},
    };
    OpenSheet(1280, 1024);
    for (const auto& c : cases) {
        std::string message = "left from before";
        EXPECT_EQ(sheet.SetByName(c.name, c.text, message), c.result) << c.name << " [" << c.text << "]";
        EXPECT_EQ(message, c.message) << c.name << " [" << c.text << "]";
        EXPECT_EQ(sheet.ValueText(c.name), c.value) << c.name << " [" << c.text << "]";
    }
}

TEST_F(SettingsSheetTest, SideBarValuesAreRefusedInTheCentralViewRatherThanDropped) {
    settings.m_centralView = true;
    OpenSheet();
    std::string message;
    EXPECT_EQ(sheet.SetByName("SideBar Width", "300", message), CSettingsSheetModel::SetResult::Refused);
    EXPECT_NE(message.find("SideBarStyle"), std::string::npos) << message;
    EXPECT_EQ(sheet.SetByName("SideBarStyle", "0", message), CSettingsSheetModel::SetResult::Taken);
    EXPECT_EQ(sheet.SetByName("SideBar Width", "300", message), CSettingsSheetModel::SetResult::Taken);
    sheet.Init(settings, true, false, 1920, 1080); // not of the NT family
    EXPECT_EQ(sheet.SetByName("Hide On Desktop Lock", "TRUE", message), CSettingsSheetModel::SetResult::Refused);
}

} // namespace
