// The settings sheet's pages as they exchange values with their controls, and the
// sheet and main frame around them, with controls kept in memory: what each control
// shows, what a refused value does to the field, what the user's clicks grey out,
// the live limits while typing, the factory buttons, and when Apply runs.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "FakePorts.h"
#include "TempFolder.h"
#include "app/MainFrame.h"
#include "app/OrvantaDoc.h"
#include "desktop/ActiveWallpaper.h"
#include "outlook/store/SubstituteOutlook.h"
#include "system/Registry.h"
#include "settings/Settings.h"
#include "settings/SettingsPropSheet.h"
#include "util/Strings.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
using G = CGeneralOptionsPage;
using A = CAppearancePage;

// A page's controls in memory. As with real edits, setting an edit's text reports a
// change to the page at once; the test's own typing and clicks go through Type and Click.
class FakePage : public IPageControls {
public:
    FakePage(IPropertyPageEvents& events, std::set<int> edits) : m_events(events), m_edits(std::move(edits)) {}

    std::string Text(int id) override { return texts[id]; }
    void SetText(int id, const std::string& text) override {
        texts[id] = text;
        if (m_edits.count(id)) m_events.OnCommand(*this, id, SheetNotify::EditChanged);
    }
    bool Checked(int id) override { return checks[id]; }
    void SetChecked(int id, bool c) override { checks[id] = c; }
    void SetChoices(int id, const std::vector<std::string>& entries) override {
        lists[id] = entries;
        selections[id] = -1;
    }
    int Selection(int id) override { return selections.count(id) ? selections[id] : -1; }
    void Select(int id, int index) override {
        selections[id] = index >= 0 && index < static_cast<int>(lists[id].size()) ? index : -1;
    }
    // The user picks an entry of a drop-down list.
    void Pick(int id, int index) {
        selections[id] = index;
        m_events.OnCommand(*this, id, SheetNotify::SelectionChanged);
    }
    void Enable(int id, bool e) override { enabled[id] = e; }
    void SetSpinRange(int id, int min, int max) override { spins[id] = {min, max}; }
    void SetSliderRange(int id, int min, int max, int page, int ticks) override {
        slider = {id, min, max, page, ticks};
    }
    int SliderPosition(int) override { return sliderPos; }
    void SetSliderPosition(int, int p) override { sliderPos = p; }
    void FocusEdit(int id) override { focus = id; }
    void SetModified(bool m) override { modified = m; }
    int ShowMessage(const std::string& text, const std::string& caption, unsigned flags) override {
        boxes.push_back({text, caption, flags});
        return MsgBox::IdOk;
    }

    bool Enabled(int id) const {
        auto it = enabled.find(id);
        return it == enabled.end() || it->second;
    }
    void Init() { m_events.OnInitPage(*this); }
    void Type(int id, const std::string& text) {
        texts[id] = text;
        m_events.OnCommand(*this, id, SheetNotify::EditChanged);
    }
    // A check box toggles; a radio button is selected and its group cleared.
    void Click(int id, std::initializer_list<int> group = {}) {
        if (group.size()) {
            for (int other : group) checks[other] = false;
            checks[id] = true;
        } else {
            checks[id] = !checks[id];
        }
        m_events.OnCommand(*this, id, SheetNotify::Clicked);
    }
    bool Leave() { return m_events.OnKillActive(*this); }

    struct Box {
        std::string text, caption;
        unsigned flags;
    };
    struct Slider {
        int id = 0, min = 0, max = 0, page = 0, ticks = 0;
    };
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, bool> enabled;
    std::map<int, std::pair<int, int>> spins;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections;
    Slider slider;
    int sliderPos = 0;
    int focus = 0;
    bool modified = false;
    std::vector<Box> boxes;

private:
    IPropertyPageEvents& m_events;
    std::set<int> m_edits;
};

const std::set<int> kGeneralEdits{G::kRefreshEdit};
const std::set<int> kAppearanceEdits{A::kCalendarPosXEdit,   A::kCalendarPosYEdit, A::kSideBarCalPosXEdit,
                                     A::kSideBarCalPosYEdit, A::kSideBarWidthEdit, A::kHeaderEdit,
                                     A::kFooterEdit,         A::kRightMarginEdit,  A::kTransparencyEdit};

class SettingsTabsTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.system.screen = {1, 0, 0, 1280, 1024, 1280, 1024, 1280};
        settings.Open();
    }
    // The sheet as the main frame makes it; its pages read the record now.
    void MakeSheet() {
        sheet = std::make_unique<CSettingsPropSheet>(
            settings, CSettingsPropSheet::Owner{[this](const std::vector<ApplyStep>& s) { applied.push_back(s); },
                                                [this] { ++helps; }, [this] { ++abouts; }});
        general = std::make_unique<FakePage>(sheet->GeneralTab(), kGeneralEdits);
        appearance = std::make_unique<FakePage>(sheet->AppearanceTab(), kAppearanceEdits);
    }
    RegValue Stored(const std::string& name) {
        RegValue v;
        env.registry.Tree(RegRoot::CurrentUser).QueryValue(kRoot, name, v);
        return v;
    }

    FakeEnvironment env;
    CSettings settings{kRoot};
    std::unique_ptr<CSettingsPropSheet> sheet;
    std::unique_ptr<FakePage> general, appearance;
    std::vector<std::vector<ApplyStep>> applied;
    int helps = 0, abouts = 0;
};

// --- what the pages show ------------------------------------------------------------

TEST_F(SettingsTabsTest, BothPagesShowTheStoredValuesInTheirControls) {
    settings.m_launchOutlook = true;
    settings.m_showSplash = false;
    settings.m_keepOnExit = true;
    settings.m_refresh = 45;
    settings.m_desktopMouseMode = 1;
    settings.m_showDesktopTooltip = false;
    settings.m_doubleclickAction = 2;
    settings.m_systrayIcon = 1;
    settings.m_centralView = true;
    settings.m_offsetType = true;
    settings.m_calendarPosX = 120;
    settings.m_calendarPosY = 80;
    settings.m_sideBarWidth = 300;
    settings.m_headerBlank = 12;
    settings.m_footerBlank = 40;
    settings.m_rightMarginBlank = 5000; // beyond the screen: shown at its limit
    settings.m_appointmentsTask = 70;
    settings.m_transparency = 55;
    settings.m_fdow = 2;
    settings.m_showWeekNumbers = false;
    settings.m_timeStyle = 1;
    settings.m_style = 2;
    settings.m_showTasks = false;
    CRegistry::DeleteRunEntry("Orvanta for Outlook");
    settings.m_launchAtStartup = true; // the box follows the Run key, not the flag
    MakeSheet();
    general->Init();
    appearance->Init();

    FakePage& g = *general;
    EXPECT_FALSE(g.checks[G::kLaunchAtStartup]);
    EXPECT_TRUE(g.checks[G::kLaunchOutlook]);
    EXPECT_FALSE(g.checks[G::kShowSplash]);
    EXPECT_TRUE(g.checks[G::kKeepOnExit]);
    EXPECT_EQ(g.texts[G::kRefreshEdit], "45");
    EXPECT_EQ(g.spins[G::kRefreshSpin], std::make_pair(5, 3600));
    EXPECT_FALSE(g.checks[G::kDoubleClick]);
    EXPECT_TRUE(g.checks[G::kSingleClick]);
    EXPECT_FALSE(g.checks[G::kShowDesktopTooltip]);
    for (int id : {G::kActionSettings, G::kActionStartOutlook, G::kActionShowHide, G::kActionPopup})
        EXPECT_EQ(g.checks[id], id == G::kActionShowHide) << id;
    EXPECT_FALSE(g.checks[G::kDateIcon]);
    EXPECT_TRUE(g.checks[G::kProgramIcon]);
    EXPECT_FALSE(g.modified) << "filling the page is no change of the user's";

    FakePage& a = *appearance;
    EXPECT_TRUE(a.checks[A::kCentralView]);
    EXPECT_FALSE(a.checks[A::kSideBarView]);
    EXPECT_TRUE(a.checks[A::kPosition]);
    EXPECT_EQ(a.texts[A::kCalendarPosXEdit], "120");
    EXPECT_EQ(a.texts[A::kCalendarPosYEdit], "80");
    EXPECT_EQ(a.texts[A::kSideBarWidthEdit], "300");
    EXPECT_EQ(a.texts[A::kHeaderEdit], "12");
    EXPECT_EQ(a.texts[A::kFooterEdit], "40");
    EXPECT_EQ(a.texts[A::kRightMarginEdit], "980");
    EXPECT_EQ(a.texts[A::kTransparencyEdit], "55");
    EXPECT_FALSE(a.checks[A::kShowTasks]);
    EXPECT_TRUE(a.checks[A::kShowMessages]);
    EXPECT_EQ(a.sliderPos, 70);
    EXPECT_EQ(a.texts[A::kRatioText], "Appointments/Tasks ratio (70 : 30) %");
    EXPECT_EQ(a.slider.min, 0);
    EXPECT_EQ(a.slider.max, 100);
    EXPECT_EQ(a.slider.page, 25);
    EXPECT_EQ(a.slider.ticks, 10);
    EXPECT_TRUE(a.checks[A::kFdowMonday]);
    EXPECT_FALSE(a.checks[A::kShowWeekNumbers]);
    EXPECT_TRUE(a.checks[A::kTime24]);
    EXPECT_TRUE(a.checks[A::kStyleBrown]);
    EXPECT_FALSE(a.checks[A::kStyleBlue]);
    // Spin limits against the 1280 x 1024 screen and the values held.
    EXPECT_EQ(a.spins[A::kTransparencySpin], std::make_pair(0, 100));
    EXPECT_EQ(a.spins[A::kSideBarWidthSpin], std::make_pair(160, 400));
    EXPECT_EQ(a.spins[A::kRightMarginSpin], std::make_pair(0, 980));
    EXPECT_EQ(a.spins[A::kHeaderSpin], std::make_pair(0, 1024 - 40));
    EXPECT_EQ(a.spins[A::kFooterSpin], std::make_pair(0, 1024 - 12));
    EXPECT_EQ(a.spins[A::kCalendarPosXSpin], std::make_pair(0, 1280));
    EXPECT_EQ(a.spins[A::kSideBarCalPosYSpin], std::make_pair(0, 1024));
    // Central view at a position: its position fields enabled, the side bar's greyed.
    EXPECT_TRUE(a.Enabled(A::kCalendarPosXEdit));
    EXPECT_TRUE(a.Enabled(A::kCenter));
    EXPECT_FALSE(a.Enabled(A::kSideBarWidthEdit));
    EXPECT_FALSE(a.Enabled(A::kHeaderLabel));
    EXPECT_FALSE(a.Enabled(A::kRatioSlider));
    EXPECT_FALSE(a.Enabled(A::kSideBarCalPosXSpin));
    EXPECT_FALSE(a.modified);
}

// --- refused values -----------------------------------------------------------------

TEST_F(SettingsTabsTest, ARefusedIntervalIsReportedKeptAndFocused) {
    MakeSheet();
    general->Init();
    general->Type(G::kRefreshEdit, "4");
    EXPECT_TRUE(general->modified);
    EXPECT_FALSE(general->Leave());
    ASSERT_EQ(general->boxes.size(), 1u);
    EXPECT_EQ(general->boxes[0].text, "Please enter an integer between 5 and 3600.");
    EXPECT_EQ(general->boxes[0].caption, "Orvanta for Outlook");
    EXPECT_EQ(general->boxes[0].flags, MsgBox::IconWarning);
    EXPECT_EQ(general->texts[G::kRefreshEdit], "20");
    EXPECT_EQ(general->focus, G::kRefreshEdit);
    EXPECT_EQ(sheet->Model().General().m_refresh, 20);

    general->Type(G::kRefreshEdit, "3600");
    EXPECT_TRUE(general->Leave());
    EXPECT_EQ(general->boxes.size(), 1u);
    EXPECT_EQ(sheet->Model().General().m_refresh, 3600);
}

TEST_F(SettingsTabsTest, TheFirstRefusedFieldOfTheAppearancePageStopsTheRest) {
    MakeSheet();
    appearance->Init();
    appearance->Type(A::kSideBarWidthEdit, "159");
    appearance->Type(A::kTransparencyEdit, "101");
    EXPECT_FALSE(appearance->Leave());
    ASSERT_EQ(appearance->boxes.size(), 1u);
    EXPECT_EQ(appearance->boxes[0].text, "Please enter an integer between 160 and 400.");
    EXPECT_EQ(appearance->focus, A::kSideBarWidthEdit);
    EXPECT_EQ(appearance->texts[A::kSideBarWidthEdit], std::to_string(settings.m_sideBarWidth));

    EXPECT_FALSE(appearance->Leave());
    ASSERT_EQ(appearance->boxes.size(), 2u);
    EXPECT_EQ(appearance->boxes[1].text, "Please enter an integer between 0 and 100.");
    EXPECT_EQ(appearance->texts[A::kTransparencyEdit], "30");
    EXPECT_TRUE(appearance->Leave());
}

// --- enable rules through the user's clicks -------------------------------------------

TEST_F(SettingsTabsTest, InteractiveDesktopOffGreysItsFourControls) {
    MakeSheet();
    general->Init();
    const int dependent[] = {G::kDoubleClick, G::kSingleClick, G::kShowDesktopTooltip, G::kShowContacts};
    for (int id : dependent) EXPECT_TRUE(general->Enabled(id)) << id;
    general->Click(G::kUseInteractiveDesktop);
    for (int id : dependent) EXPECT_FALSE(general->Enabled(id)) << id;
    EXPECT_TRUE(general->Enabled(G::kHideOnDesktopLock));
    EXPECT_TRUE(general->modified);
    general->Click(G::kUseInteractiveDesktop);
    for (int id : dependent) EXPECT_TRUE(general->Enabled(id)) << id;
}

TEST_F(SettingsTabsTest, ViewPlacementAndCalendarChoicesSwitchTheEnabledControls) {
    MakeSheet();
    appearance->Init();
    FakePage& a = *appearance;
    const std::initializer_list<int> views{A::kSideBarView, A::kCentralView};
    const std::initializer_list<int> placements{A::kCenter, A::kPosition};
    EXPECT_TRUE(a.Enabled(A::kSideBarCalPosXEdit));
    EXPECT_FALSE(a.Enabled(A::kCenter));
    a.Click(A::kShowCalendar);
    EXPECT_FALSE(a.Enabled(A::kSideBarCalPosXEdit));
    EXPECT_FALSE(a.Enabled(A::kSideBarCalPosYLabel));
    EXPECT_TRUE(a.Enabled(A::kFooterEdit));

    a.Click(A::kCentralView, views);
    for (int id : {A::kShowAppointments, A::kSideBarWidthSpin, A::kRightMarginUnit, A::kRatioText, A::kFooterLabel})
        EXPECT_FALSE(a.Enabled(id)) << id;
    EXPECT_TRUE(a.Enabled(A::kCenter));
    EXPECT_TRUE(a.Enabled(A::kPosition));
    EXPECT_FALSE(a.Enabled(A::kCalendarPosXEdit)) << "\"Center\" is selected";
    a.Click(A::kPosition, placements);
    for (int id : {A::kCalendarPosXLabel, A::kCalendarPosXEdit, A::kCalendarPosXSpin, A::kCalendarPosYEdit})
        EXPECT_TRUE(a.Enabled(id)) << id;

    a.Click(A::kSideBarView, views);
    EXPECT_FALSE(a.Enabled(A::kCalendarPosXEdit));
    EXPECT_FALSE(a.Enabled(A::kPosition));
    EXPECT_TRUE(a.Enabled(A::kRatioSlider));
    EXPECT_FALSE(a.Enabled(A::kSideBarCalPosXEdit)) << "the calendar is still off";
}

// --- live limits while typing ----------------------------------------------------------

TEST_F(SettingsTabsTest, TypedBlanksAreBroughtWithinTheScreenAsTheUserTypes) {
    settings.m_headerBlank = 0;
    settings.m_footerBlank = 35;
    MakeSheet();
    appearance->Init();
    FakePage& a = *appearance;
    a.Type(A::kHeaderEdit, "1000");
    EXPECT_EQ(a.texts[A::kHeaderEdit], "896");
    EXPECT_EQ(a.texts[A::kFooterEdit], "0");
    EXPECT_EQ(a.spins[A::kFooterSpin], std::make_pair(0, 1024 - 896));
    a.Type(A::kHeaderEdit, "800");
    a.Type(A::kFooterEdit, "200");
    EXPECT_EQ(a.texts[A::kHeaderEdit], "696");
    EXPECT_EQ(a.texts[A::kFooterEdit], "200");
    // Half-typed text is left alone.
    a.Type(A::kFooterEdit, "");
    EXPECT_EQ(a.texts[A::kFooterEdit], "");
    EXPECT_EQ(a.texts[A::kHeaderEdit], "696");
    EXPECT_TRUE(a.modified);
}

TEST_F(SettingsTabsTest, AWiderSideBarLowersTheRightMarginsLimit) {
    settings.m_sideBarWidth = 200;
    settings.m_rightMarginBlank = 1000;
    MakeSheet();
    appearance->Init();
    FakePage& a = *appearance;
    EXPECT_EQ(a.texts[A::kRightMarginEdit], "1000");
    a.Type(A::kSideBarWidthEdit, "400");
    EXPECT_EQ(a.spins[A::kRightMarginSpin], std::make_pair(0, 880));
    EXPECT_EQ(a.texts[A::kRightMarginEdit], "880");
    a.Type(A::kRightMarginEdit, "900");
    EXPECT_EQ(a.texts[A::kRightMarginEdit], "880");
    a.Type(A::kRightMarginEdit, "10");
    a.Type(A::kSideBarWidthEdit, "300");
    EXPECT_EQ(a.spins[A::kRightMarginSpin], std::make_pair(0, 980));
    EXPECT_EQ(a.texts[A::kRightMarginEdit], "10");
}

TEST_F(SettingsTabsTest, TheSliderRewritesTheRatioText) {
    MakeSheet();
    appearance->Init();
    appearance->sliderPos = 75;
    // A thumb drag carries its position; other scrolls read the slider's own.
    sheet->AppearanceTab().OnHScroll(*appearance, A::kRatioSlider, A::kThumbTrack, 40);
    EXPECT_EQ(appearance->texts[A::kRatioText], "Appointments/Tasks ratio (40 : 60) %");
    EXPECT_TRUE(appearance->modified);
    appearance->sliderPos = 85;
    sheet->AppearanceTab().OnHScroll(*appearance, A::kRatioSlider, 3 /* page right */, 0);
    EXPECT_EQ(appearance->texts[A::kRatioText], "Appointments/Tasks ratio (85 : 15) %");
}

// --- buttons -----------------------------------------------------------------------------

TEST_F(SettingsTabsTest, FactoryButtonsShowTheInitialValuesAndWriteNothingYet) {
    settings.m_refresh = 600;
    settings.m_useInteractiveDesktop = false;
    settings.m_doubleclickAction = 0;
    settings.m_style = 1;
    settings.m_transparency = 80;
    settings.m_footerBlank = 0;
    settings.Save();
    CRegistry::DeleteRunEntry("Orvanta for Outlook");
    MakeSheet();
    general->Init();
    appearance->Init();
    ASSERT_FALSE(general->Enabled(G::kShowContacts));

    general->Click(G::kFactorySettings);
    EXPECT_EQ(general->texts[G::kRefreshEdit], "20");
    EXPECT_TRUE(general->checks[G::kUseInteractiveDesktop]);
    EXPECT_TRUE(general->Enabled(G::kShowContacts));
    EXPECT_TRUE(general->checks[G::kActionPopup]);
    EXPECT_FALSE(general->checks[G::kActionSettings]);
    EXPECT_TRUE(general->checks[G::kLaunchAtStartup]);
    EXPECT_TRUE(general->modified);

    appearance->Click(A::kFactorySettings);
    EXPECT_TRUE(appearance->checks[A::kStyleBlue]);
    EXPECT_FALSE(appearance->checks[A::kStyleGreen]);
    EXPECT_EQ(appearance->texts[A::kTransparencyEdit], "30");
    EXPECT_EQ(appearance->texts[A::kFooterEdit], "35");
    EXPECT_EQ(appearance->texts[A::kSideBarWidthEdit], "256");
    EXPECT_EQ(appearance->sliderPos, 60);
    EXPECT_EQ(appearance->texts[A::kSideBarCalPosYEdit], std::to_string(1024 - 384));
    EXPECT_TRUE(appearance->modified);

    // Nothing reaches the registry until Apply: a sheet cancelled now leaves it as it was.
    EXPECT_EQ(Stored("Refresh").data, RegValue::Number(600).data);
    EXPECT_FALSE(CRegistry::RunEntryExists("Orvanta for Outlook"));
    EXPECT_TRUE(applied.empty());
}

TEST_F(SettingsTabsTest, HelpAndAboutOnEitherPageReachTheOwner) {
    MakeSheet();
    general->Init();
    appearance->Init();
    general->Click(G::kHelp);
    appearance->Click(A::kHelp);
    sheet->OnHelp(); // F1
    general->Click(G::kAbout);
    appearance->Click(A::kAbout);
    EXPECT_EQ(helps, 3);
    EXPECT_EQ(abouts, 2);
    EXPECT_FALSE(general->modified);
    EXPECT_FALSE(appearance->modified);
}

// --- the sheet through the dialog port ------------------------------------------------------

// The dialog port's sheet, played by the test: it sees the description and drives the
// pages and the sheet's buttons as a user would.
struct SheetUi : FakeUiPort {
    std::function<int(const PropertySheetDesc&, IPropertySheetEvents&)> run;
    int runs = 0;
    int RunPropertySheet(const PropertySheetDesc& desc, IPropertySheetEvents& events) override {
        ++runs;
        return run ? run(desc, events) : kSheetUnavailable;
    }
};

struct CaptionWindow : IPropertySheetWindow {
    std::string caption;
    void SetCaption(const std::string& c) override { caption = c; }
};

TEST_F(SettingsTabsTest, OkAppliesOnceAfterTheSheetClosesAndCancelAppliesNothing) {
    SheetUi ui;
    ScopedPort<IDialogPort> withUi{ui};
    CaptionWindow window;
    ui.run = [&](const PropertySheetDesc& desc, IPropertySheetEvents& events) {
        EXPECT_EQ(desc.owner, 77u);
        EXPECT_EQ(desc.caption, "Settings");
        EXPECT_EQ(desc.pages.size(), 3u);
        EXPECT_EQ(desc.pages[0].templateId, 239);
        EXPECT_EQ(desc.pages[1].templateId, 241);
        EXPECT_EQ(desc.pages.size() == 3 ? desc.pages[2].templateId : 0, 243); // "Calendars"
        EXPECT_EQ(desc.pages[0].iconId, 128);
        events.OnSheetCreated(window);
        FakePage page(*desc.pages[1].events, kAppearanceEdits);
        page.Init();
        page.Click(A::kStyleGreen, {A::kStyleBlue, A::kStyleGreen, A::kStyleBrown});
        EXPECT_TRUE(page.Leave());
        EXPECT_TRUE(applied.empty()) << "OK applies after the sheet closed";
        return MsgBox::IdOk;
    };
    MakeSheet();
    EXPECT_EQ(sheet->DoModal(77), MsgBox::IdOk);
    EXPECT_EQ(window.caption, "Orvanta for Outlook Settings");
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(settings.m_style, 1);
    EXPECT_EQ(applied[0].back(), ApplyStep::StartRefreshTimer);

    // The same changes, cancelled.
    settings.ApplyStyle(0);
    ui.run = [&](const PropertySheetDesc& desc, IPropertySheetEvents&) {
        FakePage page(*desc.pages[1].events, kAppearanceEdits);
        page.Init();
        page.Click(A::kStyleGreen, {A::kStyleBlue, A::kStyleGreen, A::kStyleBrown});
        page.Leave();
        return MsgBox::IdCancel;
    };
    MakeSheet();
    applied.clear();
    EXPECT_EQ(sheet->DoModal(77), MsgBox::IdCancel);
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(settings.m_style, 0);
}

TEST_F(SettingsTabsTest, TheApplyButtonAppliesAndKeepsTheSheetOpen) {
    SheetUi ui;
    ScopedPort<IDialogPort> withUi{ui};
    ui.run = [&](const PropertySheetDesc& desc, IPropertySheetEvents& events) {
        FakePage page(*desc.pages[0].events, kGeneralEdits);
        page.Init();
        page.Type(G::kRefreshEdit, "90");
        EXPECT_TRUE(page.Leave());
        events.OnApplyNow();
        EXPECT_EQ(applied.size(), 1u);
        EXPECT_EQ(settings.m_refresh, 90);
        EXPECT_FALSE(sheet->Model().General().IsModified());
        return MsgBox::IdCancel; // values applied earlier stay in effect
    };
    MakeSheet();
    sheet->DoModal(1);
    EXPECT_EQ(applied.size(), 1u);
    EXPECT_EQ(settings.m_refresh, 90);
}

// "Panel Monitor": the primary, then each monitor there is by position; a stored
// monitor that is gone keeps its entry; the choice is applied and drawn with.
TEST_F(SettingsTabsTest, ThePanelMonitorListOffersEachMonitorAndApplyTakesTheChoice) {
    auto monitor = [](int left, bool primary) {
        const Rect r = Rect::FromSize(left, 0, 1280, 1024);
        return MonitorInfo{r, r, primary};
    };
    env.system.monitors = {monitor(0, true), monitor(1280, false)};
    const struct Case {
        int stored;
        std::vector<std::string> entries;
    } cases[] = {
        {0, {"Primary monitor", "Monitor 1", "Monitor 2"}},
        {2, {"Primary monitor", "Monitor 1", "Monitor 2"}},
        {4, {"Primary monitor", "Monitor 1", "Monitor 2", "Monitor 3 (not connected)", "Monitor 4 (not connected)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        settings.m_panelMonitor = c.stored;
        MakeSheet();
        general->Init();
        EXPECT_EQ(general->lists[G::kPanelMonitor], c.entries);
        EXPECT_EQ(general->Selection(G::kPanelMonitor), c.stored);
        EXPECT_FALSE(general->modified) << "showing changes nothing";
    }
    general->Pick(G::kPanelMonitor, 1);
    EXPECT_TRUE(general->modified);
    EXPECT_TRUE(general->Leave());
    applied.clear();
    sheet->Model().Apply(settings, nullptr);
    EXPECT_EQ(settings.m_panelMonitor, 1);
    // The factory value is the primary.
    general->Click(G::kFactorySettings);
    EXPECT_EQ(general->Selection(G::kPanelMonitor), 0);
    // The Linux sheet's text form names and checks it too.
    std::string message;
    EXPECT_EQ(sheet->Model().SetByName("Panel Monitor", "2", message), CSettingsSheetModel::SetResult::Taken);
    EXPECT_EQ(sheet->Model().ValueText("Panel Monitor"), "2");
    EXPECT_EQ(sheet->Model().SetByName("Panel Monitor", "-1", message), CSettingsSheetModel::SetResult::Refused);
}

// --- the main frame opens it -----------------------------------------------------------

class FrameSheetTest : public ::testing::Test {
protected:
    struct StoreOutlook : IAutomationPort {
        std::shared_ptr<CSubstituteOutlook> store;
        long CreateOutlook(AutoObjectPtr& app) override {
            app = store->Application();
            return 0;
        }
        std::string ErrorText(long) override { return {}; }
        bool StartOle() override { return true; }
        void StopOle() override {}
    };
    void SetUp() override {
        std::string error;
        outlook.store = CSubstituteOutlook::Load(
            R"({"folders": [{"name": "Inbox", "role": "inbox", "unread": 2},
                {"name": "Calendar", "role": "calendar", "appointments": [
                {"subject": "Stand-up", "start": "today 09:00", "end": "today 09:15"}]},
                {"name": "Tasks", "role": "tasks"}]})",
            46363.0, error);
        ASSERT_TRUE(outlook.store) << error;
        settings.Open();
        settings.m_hideData = false;
        settings.Save();
        doc.Composer().SetOutputPath(dir.File("orvanta.bmp"));
        doc.m_beforeRead = [this] { return wallpaper.Capture(doc.Composer().OutputPath()); };
        ASSERT_TRUE(frame.Create("Orvanta for Outlook"));
        frame.SetDocument(&doc);
        env.windows.Advance(300); // the first tick: connected, drawn, timers running
    }

    FakeEnvironment env;
    SheetUi ui;
    ScopedPort<IDialogPort> withUi{ui};
    StoreOutlook outlook;
    ScopedPort<IAutomationPort> withOutlook{outlook};
    TempFolder dir;
    CSettings settings{kRoot};
    CActiveWallpaper wallpaper{settings};
    COrvantaDoc doc{settings};
    CMainFrame frame{settings, wallpaper};
};

TEST_F(FrameSheetTest, TheTrayCommandOpensOneSheetAtTheNextTickAndOkPutsItIntoEffect) {
    const int redraws = frame.Redraws();
    ui.run = [&](const PropertySheetDesc& desc, IPropertySheetEvents&) {
        EXPECT_EQ(desc.owner, frame.Window()->Handle());
        EXPECT_TRUE(frame.SettingsSheetOpen());
        // The tray asks again while the sheet is open: the clock goes on, no second sheet.
        frame.Window()->Post(Msg::Command, ID_SETTINGS, 0);
        env.windows.DeliverPosted();
        frame.OnDeferredWork();
        FakePage page(*desc.pages[1].events, kAppearanceEdits);
        page.Init();
        page.Click(A::kStyleBrown, {A::kStyleBlue, A::kStyleGreen, A::kStyleBrown});
        page.Leave();
        return MsgBox::IdOk;
    };
    frame.Window()->Post(Msg::Command, ID_SETTINGS, 0);
    env.windows.Advance(1);
    EXPECT_EQ(ui.runs, 0) << "the sheet opens at the deferred tick";
    env.windows.Advance(300);
    EXPECT_EQ(ui.runs, 1);
    EXPECT_FALSE(frame.SettingsSheetOpen());
    EXPECT_EQ(settings.m_style, 2);
    RegValue stored;
    env.registry.Tree(RegRoot::CurrentUser).QueryValue(kRoot, "Orvanta style", stored);
    EXPECT_EQ(stored.data, RegValue::Number(2).data);
    EXPECT_EQ(frame.Redraws(), redraws + 1);
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kRefreshTimer), 20000u);

    // Closed again: the next request opens a new one; Cancel redraws nothing.
    ui.run = [](const PropertySheetDesc&, IPropertySheetEvents&) { return MsgBox::IdCancel; };
    frame.Window()->Post(Msg::Command, ID_SETTINGS, 0);
    env.windows.Advance(300);
    EXPECT_EQ(ui.runs, 2);
    EXPECT_EQ(frame.Redraws(), redraws + 1);
}

TEST_F(FrameSheetTest, WhereNoSheetCanBeShownTheRequestChangesNothing) {
    const int redraws = frame.Redraws();
    frame.Window()->Post(Msg::Command, ID_SETTINGS, 0);
    env.windows.Advance(300);
    EXPECT_EQ(ui.runs, 1);
    EXPECT_FALSE(frame.SettingsSheetOpen());
    EXPECT_EQ(frame.Redraws(), redraws);
}

} // namespace
