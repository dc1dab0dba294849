// The data panel over a canvas whose characters are all 6 pixels wide and 12 high:
// the side-bar column, the month grids, what each block writes where, and the regions
// a click finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "FakePorts.h"
#include "app/OrvantaDoc.h"
#include "outlook/store/SubstituteOutlook.h"
#include "outlook/store/StorePort.h"
#include "TempFolder.h"
#include "render/AppointmentList.h"
#include "render/DataPanel.h"
#include "render/DayRegion.h"
#include "render/EntryRegion.h"
#include "render/HeaderRegion.h"
#include "render/Composer.h"
#include "render/MemWallPaper.h"
#include "render/MonthCalendar.h"
#include "render/RegionList.h"
#include "render/SurfaceOps.h"
#include "render/MaskedBitmap.h"
#include "render/TaskList.h"
#include "render/ImageLayer.h"
#include "system/MonitorSet.h"
#include "settings/Settings.h"
#include "util/LocaleValues.h"
#include "util/PanelScale.h"
#include "util/Utf8.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

COleDateTime Day(int y, int m, int d) { return COleDateTime(y, m, d, 0, 0, 0); }

// ---------------------------------------------------------------- side-bar column

class SideBarColumn : public ::testing::Test {
protected:
    SideBarColumn() {
        s.m_headerBlank = s.m_footerBlank = s.m_rightMarginBlank = 0;
        s.m_sideBarWidth = 300;
        s.m_centralView = 0;
    }
    // The column on a 1600-wide screen of the height given (433 with no blanks: 401
    // pixels below the header), with folder lines of the height given.
    void Lay(int folders, int lineHeight, int screenHeight = 433) {
        layout.screenWidth = 1600;
        layout.screenHeight = screenHeight;
        layout.sideBarWidth = s.m_sideBarWidth;
        layout.LayoutSideBar(s, folders, lineHeight);
    }
    FakeEnvironment env;
    CSettings s{kRoot};
    PanelLayout layout;
    const StyleGeometry& g = layout.geometry;
};

TEST_F(SideBarColumn, AppointmentsTakeTheirShareOfWhatTheFoldersLeave) {
    s.m_showMessages = false;
    Lay(3, 13);
    EXPECT_EQ(g.appointments.Height(), 300); // 75 % of 401, rounded down
    EXPECT_EQ(g.tasks.Height(), 101);
    EXPECT_EQ(g.folders.Height(), 0);
    EXPECT_EQ(g.appointments.top, 32);
    EXPECT_EQ(g.tasks.top, 332);
    EXPECT_EQ(g.folders.top, 433);

    s.m_showMessages = true;
    s.m_headerBlank = 10;
    s.m_footerBlank = 40;
    s.m_rightMarginBlank = 5;
    Lay(3, 13, 900);
    // 900 - (40 + 10 + 32) = 818; three folders of 13 + 10 plus 20 take 89.
    EXPECT_EQ(g.folders.Height(), 89);
    EXPECT_EQ(g.appointments.Height(), 729 * 75 / 100);
    EXPECT_EQ(g.tasks.Height(), 729 - 729 * 75 / 100);
    for (const Rect* b : {&g.appointments, &g.tasks, &g.folders}) {
        EXPECT_EQ(b->left, 1600 - 5 - 300);
        EXPECT_EQ(b->Width(), 300);
    }
    EXPECT_EQ(g.header.x, 1295);
    EXPECT_EQ(g.header.y, 10);
    EXPECT_EQ(g.appointments.top, 42);
    EXPECT_EQ(g.folders.bottom, 900 - 40); // the column ends at the footer
}

TEST_F(SideBarColumn, SwitchedOffBlocksGiveTheirRoomAway) {
    s.m_showAppointments = s.m_showTasks = false;
    Lay(3, 13);
    EXPECT_EQ(g.folders.Height(), 401); // only folders: the whole column
    EXPECT_EQ(g.appointments.Height() + g.tasks.Height(), 0);

    s.m_showMessages = false;
    s.m_showTasks = true;
    Lay(3, 13);
    EXPECT_EQ(g.tasks.Height(), 401);
}

TEST_F(SideBarColumn, ManyFoldersOnAShortScreenAreCutToTheColumn) {
    Lay(30, 13, 300);
    EXPECT_EQ(g.folders.Height(), 268);
    EXPECT_EQ(g.appointments.Height(), 0);
    EXPECT_EQ(g.tasks.Height(), 0);
    // Blanks larger than the screen leave nothing, never a negative height.
    s.m_footerBlank = 1000;
    Lay(3, 13, 300);
    EXPECT_EQ(g.folders.Height(), 0);
    EXPECT_EQ(g.appointments.Height(), 0);
}

TEST_F(SideBarColumn, AWidthAboveTheLargestIsDrawnAsTheLargest) {
    s.m_sideBarWidth = 500;
    s.ApplyStyle(1);
    layout = PanelLayout::ForDesktop(s, 1600, 433, PanelLayout::kStyleFolderCount);
    EXPECT_EQ(g.appointments.Width(), 400);
    EXPECT_EQ(g.header.x, 1200);
    // Three folders with the measured line (12 here) when the count is not known.
    EXPECT_EQ(g.folders.Height(), 3 * 22 + 20);
}

// The screen is asked for at each composition: after a change of resolution the
// column lies at the new right edge and runs to the new bottom.
TEST_F(SideBarColumn, AResolutionChangeBetweenTwoCompositionsMovesTheColumn) {
    TempFolder dir;
    s.ApplyStyle(0);
    CComposer composer(s, dir.File("orvanta.bmp"));
    struct Screen {
        int width, height;
    } screens[] = {{1600, 900}, {1280, 1024}, {2560, 1440}};
    for (const Screen& screen : screens) {
        env.system.screen = ScreenMetrics{1, 0, 0, screen.width, screen.height, screen.width, screen.height, screen.width};
        ASSERT_TRUE(composer.Compose());
        const StyleGeometry& now = composer.Layout().geometry;
        EXPECT_EQ(now.header.x, screen.width - 300) << screen.width;
        EXPECT_EQ(now.panelWidth, screen.width);
        EXPECT_EQ(now.folders.bottom, screen.height - s.m_footerBlank) << screen.height;
        EXPECT_EQ(composer.OriginX(), 0);
    }
}

// ---------------------------------------------------------------- month grids

TEST(MonthGrid, AMonthStartingOnTheFirstDayOfTheWeek) {
    // February 2026 begins on a Sunday and has 28 days.
    const auto icons = CMonthCalendar::IconMonthCells(Day(2026, 2, 14), 6);
    ASSERT_EQ(icons.size(), 28u);
    EXPECT_EQ(icons.front().x, 0);
    EXPECT_EQ(icons.back().y, 36 + 3 * 36); // exactly four rows
    const auto small = CMonthCalendar::SmallMonthCells(Day(2026, 2, 1), 6);
    EXPECT_EQ(small.size(), 28u); // no leading days, and the month ends with its row
    EXPECT_TRUE(std::none_of(small.begin(), small.end(), [](const auto& c) { return c.otherMonth; }));
}

TEST(MonthGrid, MondayFirstWithTheFirstOnASunday) {
    const auto icons = CMonthCalendar::IconMonthCells(Day(2026, 2, 1), 0);
    EXPECT_EQ(icons.front().x, 6 * 38);
    EXPECT_EQ(icons[1].x, 0); // the 2nd opens the next row
    EXPECT_EQ(icons[1].y, 72);

    const auto small = CMonthCalendar::SmallMonthCells(Day(2026, 2, 1), 0);
    ASSERT_EQ(small.size(), 6u + 28u + 1u);
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(small[k].otherMonth);
        EXPECT_EQ(small[k].date.GetDay(), 26 + k); // 26 ... 31 January
        EXPECT_EQ(small[k].x, 22 * k);
    }
    EXPECT_EQ(small[6].date.GetDay(), 1);
    EXPECT_EQ(small[6].x, 132);
    EXPECT_TRUE(small.back().otherMonth); // 1 March completes the last row
    EXPECT_EQ(small.back().date.GetMonth(), 3);
    EXPECT_EQ(small.back().y, 29 + 4 * 13);
}

TEST(MonthGrid, SixRowsAtMost) {
    // August 2026 begins on a Saturday: with Sunday first it needs six rows.
    const auto icons = CMonthCalendar::IconMonthCells(Day(2026, 8, 1), 6);
    ASSERT_EQ(icons.size(), 31u);
    EXPECT_EQ(icons.back().y, 36 + 5 * 36);
    const auto small = CMonthCalendar::SmallMonthCells(Day(2026, 8, 1), 6);
    EXPECT_EQ(small.size(), 42u);
    EXPECT_EQ(small.back().date.GetDay(), 5); // 5 September ends the sixth row
}

TEST(MonthGrid, DayTexts) {
    EXPECT_EQ(CMonthCalendar::SmallDayText(7, false), "07");
    EXPECT_EQ(CMonthCalendar::SmallDayText(12, false), "12");
    EXPECT_EQ(CMonthCalendar::SmallDayText(30, true), "30");
    EXPECT_EQ(CMonthCalendar::SmallDayText(3, true), "3");
}

// ---------------------------------------------------------------- drawing fixtures

std::shared_ptr<ILocaleSource> English(FakeLocalePort& port) {
    port.EnglishNames();
    return std::shared_ptr<ILocaleSource>(port.Open(""));
}

bool HasText(const std::vector<std::string>& texts, const std::string& t) {
    return std::find(texts.begin(), texts.end(), t) != texts.end();
}

std::vector<std::string> TextsAtX(const std::vector<std::string>& texts, int x) {
    std::vector<std::string> out;
    const std::string prefix = std::to_string(x) + ",";
    for (const auto& t : texts)
        if (t.rfind(prefix, 0) == 0) out.push_back(t);
    return out;
}

class CalendarDrawing : public ::testing::Test {
protected:
    CalendarDrawing() {
        s.m_centralView = 1;
        s.ApplyStyle(0);
        locale = CLocaleValues(English(localePort));
    }
    void Draw(const COleDateTime& today) {
        env.canvas.texts.clear();
        regions.Clear();
        const PanelLayout layout = PanelLayout::ForDesktop(s, 1920, 1080, PanelLayout::kStyleFolderCount);
        CMemWallPaper data(PortOrNull<ICanvasFactory>(), 700, 526, s, layout, layout.keyColor);
        data.SetPanelOrigin(100, 40);
        CMonthCalendar::Draw(data, regions, locale, today);
    }
    FakeEnvironment env;
    FakeLocalePort localePort;
    CSettings s{kRoot};
    CLocaleValues locale;
    CRegionList regions;
};

TEST_F(CalendarDrawing, JanuaryShowsDecemberOfThePreviousYearAndFebruary) {
    s.m_fdow = 1; // Sunday
    Draw(Day(2027, 1, 15));
    const auto& t = env.canvas.texts;
    EXPECT_TRUE(HasText(t, "10,12 DECEMBER"));
    EXPECT_TRUE(HasText(t, "10,135 FEBRUARY"));
    EXPECT_TRUE(HasText(t, "10,27 SU"));
    EXPECT_TRUE(HasText(t, "142,27 SA"));
    // December 2026 begins on a Tuesday: 29 and 30 November lead, as they are.
    EXPECT_TRUE(HasText(t, "10,41 29"));
    EXPECT_TRUE(HasText(t, "32,41 30"));
    EXPECT_TRUE(HasText(t, "54,41 01"));
    EXPECT_TRUE(HasText(t, "142,41 05")); // Saturday ends the first row
    EXPECT_TRUE(HasText(t, "32,54 07"));
}

TEST_F(CalendarDrawing, WeekNumbersFollowTheRuleAndTheFirstDay) {
    s.m_fdow = 2; // Monday
    s.m_outlook.m_firstWeekOfYear = 1; // the first week with four days
    Draw(Day(2027, 1, 15));
    // January 2027 begins on a Friday: five rows starting 1, 4, 11, 18 and 25 January.
    EXPECT_EQ(TextsAtX(env.canvas.texts, 165 + 266),
              (std::vector<std::string>{"431,54 53", "431,90 1", "431,126 2", "431,162 3", "431,198 4"}));
    s.m_outlook.m_firstWeekOfYear = 0; // the week of 1 January
    Draw(Day(2027, 1, 15));
    EXPECT_EQ(TextsAtX(env.canvas.texts, 431),
              (std::vector<std::string>{"431,54 1", "431,90 2", "431,126 3", "431,162 4", "431,198 5"}));
    s.m_fdow = 1; // Sunday: the rows start 1, 3, 10, 17, 24 and 31 January
    Draw(Day(2027, 1, 15));
    EXPECT_EQ(TextsAtX(env.canvas.texts, 431).size(), 6u);
    EXPECT_EQ(TextsAtX(env.canvas.texts, 431)[1], "431,90 2");
    s.m_showWeekNumbers = false;
    Draw(Day(2027, 1, 15));
    EXPECT_TRUE(TextsAtX(env.canvas.texts, 431).empty());
}

TEST_F(CalendarDrawing, EveryDayShownOpensItsDate) {
    s.m_fdow = 1;
    s.m_desktopMouseMode = 1;
    Draw(Day(2026, 12, 7));
    // 31 icon days; November in small from a Sunday, five rows with 1 to 5 December;
    // January from a Friday, six rows from 27 December to 6 February.
    EXPECT_EQ(regions.GetCount(), 31u + 35u + 42u);
    // 7 December, a Monday, in the second row's second column of the icon month:
    // the month at (165, 10) in the block at (248, 260), the panel at (100, 40).
    const int x = 100 + 248 + 165 + 38, y = 40 + 260 + 10 + 72;
    const auto* day = dynamic_cast<const CDayRegion*>(regions.HitTest(x, y));
    ASSERT_NE(day, nullptr);
    EXPECT_EQ(day->Bounds(), (Rect{x, y, x + 32, y + 32}));
    EXPECT_EQ(day->Message().message, 0x507u);
    EXPECT_EQ(day->Message().day, static_cast<std::uint64_t>(Day(2026, 12, 7).m_dt));
    EXPECT_EQ(day->TooltipText(), "Click to open Day Calendar");
    EXPECT_EQ(regions.HitTest(x + 32, y), nullptr); // right edge: the gap between cells
    EXPECT_EQ(regions.HitTest(x, y + 32), nullptr);
    EXPECT_NE(regions.HitTest(x + 31, y + 31), nullptr);
    // A grey leading day of the small January opens 28 December.
    const auto* lead = dynamic_cast<const CDayRegion*>(regions.HitTest(100 + 248 + 10 + 22, 40 + 260 + 135 + 29));
    ASSERT_NE(lead, nullptr);
    EXPECT_EQ(COleDateTime(lead->GetDay()).GetDay(), 28);
}

TEST_F(CalendarDrawing, BrownCentralViewShowsOnlyThisMonth) {
    s.ApplyStyle(2);
    Draw(Day(2026, 12, 7));
    EXPECT_FALSE(HasText(env.canvas.texts, "10,12 NOVEMBER"));
    EXPECT_EQ(regions.GetCount(), 31u);
}

// ---------------------------------------------------------------- the lists and their regions

std::string Store(const std::string& folders) {
    return R"({"store": "Personal Folders", "folders": [
        {"name": "Inbox", "role": "inbox", "unread": 3, "entryId": "F-INBOX", "folders": [)" +
           folders + R"(]},
        {"name": "Drafts", "role": "drafts", "items": 2, "entryId": "F-DRAFTS"},
        {"name": "Outbox", "role": "outbox", "items": 0, "entryId": "F-OUTBOX"},
        {"name": "Calendar", "role": "calendar", "appointments": [
            {"subject": "Stand-up", "start": "today 09:00", "end": "today 09:15", "entryId": "A1"},
            {"subject": "Design review", "start": "today 11:30", "end": "today 12:30", "entryId": "A2",
             "importance": 2, "reminder": true},
            {"subject": "Holiday", "start": "today+1", "end": "today+2", "allDay": true, "entryId": "A3"},
            {"subject": "Early", "start": "today+2 06:00", "end": "today+2 07:00", "entryId": "A4"}]},
        {"name": "Tasks", "role": "tasks", "tasks": [
            {"subject": "Write report", "due": "today+2", "created": "today-3", "entryId": "T1"},
            {"subject": "Call Ann", "created": "today-2", "entryId": "T2"}]}]})";
}

class PanelDrawing : public ::testing::Test {
protected:
    void Load(const std::string& json) {
        std::string error;
        port.store = CSubstituteOutlook::Load(json, Day(2026, 12, 7).m_dt, error);
        ASSERT_TRUE(port.store) << error;
        settings.Open();
        settings.m_timeStyle = 1;
        doc = std::make_unique<COrvantaDoc>(settings);
        doc->m_clock = [] { return COleDateTime(2026, 12, 7, 10, 30, 0); };
        ASSERT_TRUE(doc->Engine().EnsureConnected());
        ASSERT_TRUE(doc->RefreshData());
        locale = CLocaleValues(English(localePort));
    }
    // The panel drawn with the settings as they are, at the panel origin (100, 40).
    void Draw() {
        env.canvas.texts.clear();
        regions.Clear();
        layout = PanelLayout::ForDesktop(settings, screenWidth, screenHeight, doc->Folders().GetCount());
        CMemWallPaper data(PortOrNull<ICanvasFactory>(), layout.geometry.panelWidth, layout.geometry.panelHeight, settings, layout, layout.keyColor);
        data.SetPanelOrigin(100, 40);
        PanelData panel;
        panel.now = doc->m_clock();
        panel.days = std::span<const CAppointments>(&doc->Day(0), static_cast<size_t>(settings.m_outlook.m_calDays));
        panel.tasks = &doc->Tasks();
        panel.folders = &doc->Folders();
        panel.locale = &locale;
        CDataPanel::Draw(data, regions, panel);
    }
    void Central(int style) {
        settings.m_centralView = 1;
        settings.ApplyStyle(style);
    }
    const CEntryRegion* EntryAt(int x, int y) { return dynamic_cast<const CEntryRegion*>(regions.HitTest(x, y)); }
    std::vector<Rect> RectsOf(unsigned message) {
        std::vector<Rect> out;
        for (size_t i = 0; i < regions.GetCount(); ++i)
            if (regions.GetAt(i).Message().message == message && !dynamic_cast<const CHeaderRegion*>(&regions.GetAt(i)))
                out.push_back(regions.GetAt(i).Bounds());
        std::sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.top < b.top; });
        return out;
    }

    FakeEnvironment env;
    StorePort port;
    ScopedPort<IAutomationPort> automation{port};
    FakeLocalePort localePort;
    CLocaleValues locale;
    CSettings settings{kRoot};
    std::unique_ptr<COrvantaDoc> doc;
    CRegionList regions;
    int screenWidth = 1920, screenHeight = 1080;
    PanelLayout layout; // as Draw laid the panel out
};

TEST_F(PanelDrawing, CentralBlueItemsHaveTheirRegionsWhereTheyAreDrawn) {
    Load(Store(""));
    Central(0);
    Draw();
    // Appointments: block (0, 64), insets 2 and 15; the heading takes 13 pixels from
    // y 20, each item the bitmap row's 17 + 12 pixels, 6 more between two items.
    const int ax = 100 + 0, ay = 40 + 64;
    EXPECT_EQ(RectsOf(0x504), (std::vector<Rect>{{ax + 2, ay + 33, ax + 235, ay + 62},
                                                        {ax + 2, ay + 68, ax + 235, ay + 97},
                                                        {ax + 2, ay + 110, ax + 235, ay + 139},
                                                        {ax + 2, ay + 152, ax + 235, ay + 181}}));
    const auto* first = EntryAt(ax + 2, ay + 33);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetEntryID(), "A1");
    EXPECT_EQ(first->TooltipText(), "Double click to open Appointment");
    EXPECT_EQ(EntryAt(ax + 2, ay + 68)->GetEntryID(), "A2");
    EXPECT_EQ(EntryAt(ax + 234, ay + 138)->GetEntryID(), "A3");
    EXPECT_EQ(regions.HitTest(ax + 235, ay + 40), nullptr); // right edge
    EXPECT_EQ(regions.HitTest(ax + 100, ay + 62), nullptr); // bottom edge, in the gap
    // Headings and times where the block puts them.
    EXPECT_TRUE(HasText(env.canvas.texts, "2,20 Today"));
    EXPECT_TRUE(HasText(env.canvas.texts, "2,97 Tuesday"));
    EXPECT_TRUE(HasText(env.canvas.texts, "2,33 09:00-09:15"));
    EXPECT_TRUE(HasText(env.canvas.texts, "2,110 All day event"));
    EXPECT_TRUE(HasText(env.canvas.texts, "86,33 Stand-up")); // after the widest time text

    // Tasks: block (403, 64), inset 15, text 58 further right; one line each.
    const int tx = 100 + 403, ty = 40 + 64;
    EXPECT_EQ(RectsOf(0x505), (std::vector<Rect>{{tx + 15, ty + 15, tx + 297, ty + 27},
                                                        {tx + 15, ty + 37, tx + 297, ty + 49}}));
    EXPECT_EQ(EntryAt(tx + 15, ty + 15)->GetEntryID(), doc->Tasks().GetAt(0).GetEntryID());
    EXPECT_EQ(EntryAt(tx + 296, ty + 48)->GetEntryID(), doc->Tasks().GetAt(1).GetEntryID());

    // Folders: block (250, 64), x 10, counts right-aligned 10 from the block's end.
    const int fx = 100 + 250, fy = 40 + 64;
    ASSERT_EQ(doc->Folders().GetCount(), 3);
    EXPECT_EQ(RectsOf(0x506), (std::vector<Rect>{{fx + 10, fy + 15, fx + 157, fy + 27},
                                                        {fx + 10, fy + 37, fx + 157, fy + 49},
                                                        {fx + 10, fy + 59, fx + 157, fy + 71}}));
    EXPECT_EQ(EntryAt(fx + 10, fy + 15)->GetEntryID(), "F-INBOX");
    EXPECT_EQ(EntryAt(fx + 10, fy + 59)->Message().entryId, "F-OUTBOX");
    EXPECT_TRUE(HasText(env.canvas.texts, "137,15 3"));
}

TEST_F(PanelDrawing, HeaderButtonsAndBandsAreFoundOnlyWhereNothingElseLies) {
    Load(Store(""));
    Central(1); // Green: no folder block, yet its band is a button where it lies on the panel
    settings.m_desktopMouseMode = 1;
    Draw();
    std::vector<std::pair<int, Rect>> headers;
    for (size_t i = 0; i < regions.GetCount(); ++i)
        if (auto* h = dynamic_cast<const CHeaderRegion*>(&regions.GetAt(i))) headers.emplace_back(h->GetKind(), h->Bounds());
    // Outlook, contacts, then the bands of appointments and tasks, all at the tail.
    // Green has no folder block in the central view, so no folder band either.
    const Rect& f = layout.geometry.folders;
    ASSERT_TRUE(f.IsEmpty());
    EXPECT_EQ(headers, (std::vector<std::pair<int, Rect>>{{3, {100, 40, 220, 72}},
                                                                 {4, {225, 40, 250, 72}},
                                                                 {0, {100, 72, 350, 104}},
                                                                 {1, {350, 72, 800, 104}}}));
    for (size_t i = regions.GetCount() - headers.size(); i < regions.GetCount(); ++i)
        EXPECT_NE(dynamic_cast<const CHeaderRegion*>(&regions.GetAt(i)), nullptr);
    EXPECT_EQ(regions.HitTest(100, 40)->TooltipText(), "Click to open Outlook");
    EXPECT_EQ(regions.HitTest(230, 50)->TooltipText(), "Click to open Outlook Contacts");
    EXPECT_EQ(regions.HitTest(222, 50), nullptr); // between the two buttons
    EXPECT_EQ(regions.HitTest(360, 80)->Message().message, 0x502u);
}

TEST_F(PanelDrawing, ItemsBelowTheCalendarRecordNothing) {
    std::string appointments;
    for (int i = 0; i < 12; ++i)
        appointments += std::string(i ? "," : "") + R"({"subject": "Item", "start": "today 1)" + std::to_string(i % 10) +
                        R"(:00", "end": "today 1)" + std::to_string(i % 10) + R"(:30"})";
    std::string folders;
    for (int i = 0; i < 20; ++i) folders += std::string(i ? "," : "") + R"({"name": "F)" + std::to_string(i) + R"("})";
    std::string json = Store(folders);
    json.replace(json.find(R"({"subject": "Stand-up")"), 0, appointments + ",");
    Load(json);
    auto& hkcu = env.registry.Tree(RegRoot::CurrentUser);
    const char* kFolders = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\Folders";
    hkcu.CreateKey(kFolders);
    for (int i = 0; i < 20; ++i)
        hkcu.SetValue(kFolders, std::to_string(i), RegValue::Text("Personal Folders\\Inbox\\F" + std::to_string(i)));
    ASSERT_TRUE(doc->RefreshData());
    ASSERT_EQ(doc->Folders().GetCount(), 20);

    // Brown: the calendar's top (y 255) limits the appointments (block y 64).
    Central(2);
    Draw();
    const int limit = 40 + 255;
    const auto apps = RectsOf(0x504);
    ASSERT_FALSE(apps.empty());
    EXPECT_LT(apps.size(), 14u);
    for (const auto& r : apps) EXPECT_LE(r.bottom, limit);
    EXPECT_EQ(apps.back().bottom, limit); // the item across the calendar's top is cut there
    // Items that would start under the calendar are not drawn either: one subject
    // (at the time column's end, x 84) for each region.
    EXPECT_EQ(TextsAtX(env.canvas.texts, 84).size(), apps.size());
    // No line of text is cut by the calendar's top: every subject line (12 pixels high
    // on this canvas) ends above it, in the block's coordinates (calendar 255, block 64).
    for (const std::string& t : TextsAtX(env.canvas.texts, 84)) {
        const int y = std::stoi(t.substr(t.find(',') + 1));
        EXPECT_LE(y + 12, 255 - 64) << t;
    }
    // 1 December in the calendar below: month at (5, 10) in the block at (408, 255).
    EXPECT_NE(dynamic_cast<const CDayRegion*>(regions.HitTest(100 + 408 + 5 + 76 + 1, 40 + 255 + 10 + 36 + 1)), nullptr);

    // Blue: the calendar (y 260) limits the folders and the tasks, not the appointments.
    Central(0);
    Draw();
    const auto folderRects = RectsOf(0x506);
    EXPECT_LT(folderRects.size(), 20u);
    for (const auto& r : folderRects) EXPECT_LE(r.bottom, 40 + 260);
    EXPECT_GT(RectsOf(0x504).back().bottom, 40 + 260);
}

// A busy day in each central style: 32 appointments, 40 tasks and 20 folders with long
// names, far more than the panel holds. The blocks start at y 64 and are as high as
// the panel, so they reach 64 pixels past its bottom; yet no region lies outside the
// panel and every line of text is drawn whole inside it.
TEST_F(PanelDrawing, ABusyDayStaysInsideTheCentralPanel) {
    std::string appointments, tasks, folders;
    for (int i = 0; i < 32; ++i)
        appointments += R"({"subject": "Meeting )" + std::to_string(i) +
                        R"( with a subject that wraps over two lines", "start": "today 08:00", "end": "today 08:30"},)";
    for (int i = 0; i < 40; ++i)
        tasks += R"({"subject": "Task )" + std::to_string(i) +
                 R"( with a subject long enough to wrap over two lines of the column", "due": "today+1", "created": "today-1"},)";
    for (int i = 0; i < 20; ++i) folders += std::string(i ? "," : "") + R"({"name": "F)" + std::to_string(i) + R"("})";
    std::string json = Store(folders);
    json.replace(json.find(R"({"subject": "Stand-up")"), 0, appointments);
    json.replace(json.find(R"({"subject": "Write report")"), 0, tasks);
    Load(json);
    auto& hkcu = env.registry.Tree(RegRoot::CurrentUser);
    const char* kFolders = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\Folders";
    hkcu.CreateKey(kFolders);
    for (int i = 0; i < 20; ++i)
        hkcu.SetValue(kFolders, std::to_string(i), RegValue::Text("Personal Folders\\Inbox\\F" + std::to_string(i)));
    ASSERT_TRUE(doc->RefreshData());
    ASSERT_GE(doc->Tasks().GetCount(), 40);

    for (int style : {0, 1, 2}) {
        SCOPED_TRACE("style " + std::to_string(style));
        Central(style);
        Draw();
        const StyleGeometry& g = layout.geometry;
        ASSERT_EQ(g.appointments.bottom, g.panelHeight + 64);
        const Rect panel = Rect::FromSize(100, 40, g.panelWidth, g.panelHeight);
        int items = 0;
        for (size_t i = 0; i < regions.GetCount(); ++i) {
            const Rect r = regions.GetAt(i).Bounds();
            items += !dynamic_cast<const CHeaderRegion*>(&regions.GetAt(i)) &&
                     !dynamic_cast<const CDayRegion*>(&regions.GetAt(i));
            EXPECT_EQ(r.Intersect(panel), r)
                << regions.GetAt(i).Describe() << " " << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom;
        }
        EXPECT_GT(items, 10);
        // Each text is 12 pixels high on this canvas; the list blocks start at 64, the
        // header and the calendar lie well above the panel's bottom.
        ASSERT_FALSE(env.canvas.texts.empty());
        for (const std::string& t : env.canvas.texts) {
            const int y = std::stoi(t.substr(t.find(',') + 1));
            EXPECT_LE(y + 12, g.panelHeight - 64) << t;
        }
    }
}

TEST_F(PanelDrawing, SideBarStripsOpenNewItems) {
    Load(Store(""));
    settings.m_centralView = 0;
    screenWidth = 1600;
    screenHeight = 900;
    settings.m_sideBarWidth = 300;
    settings.ApplyStyle(0);
    Draw();
    const StyleGeometry& g = layout.geometry;
    const int x = 100 + g.appointments.left;
    EXPECT_EQ(regions.HitTest(x, 40 + g.appointments.top + 5)->Message().message, 0x501u);
    EXPECT_EQ(regions.HitTest(x, 40 + g.tasks.top + 2)->Message().message, 0x502u);
    EXPECT_EQ(regions.HitTest(x + 299, 40 + g.folders.top + 27)->Message().message, 0x503u);
    EXPECT_EQ(regions.HitTest(x + 2, 40 + g.folders.top + 28)->Message().message, 0x506u); // the first folder
    // The first appointment starts below the strip.
    EXPECT_EQ(RectsOf(0x504).front().top, 40 + g.appointments.top + 31 + 13);
}

TEST_F(PanelDrawing, TwelveHourTimesPutTheDesignatorsInTheirColumns) {
    Load(Store(""));
    Central(0);
    settings.m_timeStyle = 0;
    locale.m_clockFormat = 0;
    locale.m_am = "AM";
    locale.m_pm = "PM";
    Draw();
    // 11:30 to 12:30: "12:00" is 30 pixels wide, a designator 12, "-" 6.
    const auto& t = env.canvas.texts;
    EXPECT_TRUE(HasText(t, "2,68 11:30"));
    EXPECT_TRUE(HasText(t, "32,68 AM"));
    EXPECT_TRUE(HasText(t, "44,68 -"));
    EXPECT_TRUE(HasText(t, "50,68 12:30"));
    EXPECT_TRUE(HasText(t, "80,68 PM"));
    EXPECT_EQ(CAppointmentList::TimeTemplate(0, locale), "12:00AM-12:00AM ");
    locale.m_clockFormat = 1;
    EXPECT_EQ(CAppointmentList::TimeTemplate(0, locale), "12:00-12:30 ");
    EXPECT_EQ(CAppointmentList::TimeTemplate(2, locale), "12:00am-12:30pm  ");
    EXPECT_EQ(CAppointmentList::TimeTemplate(7, locale), "12:00am-12:30pm  ");
}

TEST_F(PanelDrawing, ADueDateWithoutRoomOnTheLastLineTakesALineOfItsOwn) {
    EXPECT_TRUE(CTaskList::DueDateFitsOnLine(297, 73, 100, 119));
    EXPECT_FALSE(CTaskList::DueDateFitsOnLine(297, 73, 100, 120));
    std::string json = Store("");
    const std::string longName = "Prepare the slides for the quarterly planning meeting now";
    json.replace(json.find("Write report"), 12, longName);
    Load(json);
    Central(0);
    Draw();
    // 36 of 56 characters fit: the line breaks after "quarterly"; " (December 9 2026)"
    // does not fit after "planning meeting now" and moves one line down.
    const auto tasks = RectsOf(0x505);
    ASSERT_EQ(tasks.size(), 2u);
    const auto* task = EntryAt(tasks[0].left, tasks[0].top);
    ASSERT_NE(task, nullptr);
    const int rows = (tasks[0].bottom - tasks[0].top) / 12;
    EXPECT_EQ(rows, task->GetEntryID() == "T1" ? 3 : 1);
}

// ---------------------------------------------------------------- regions

TEST(RegionList, LaterItemsWinAndHeadersOnlyWhereNothingElseLies) {
    CRegionList list;
    list.AddHeaderRegion({0, 0, 100, 100}, true, CHeaderRegion::NewTask);
    list.AddDayRegion({50, 50, 80, 80}, true, 46363.0);
    list.AddAppointmentRegion({0, 0, 100, 20}, true, "first");
    list.AddAppointmentRegion({0, 10, 100, 30}, true, "second");
    EXPECT_NE(dynamic_cast<const CDayRegion*>(list.HitTest(60, 60)), nullptr);
    EXPECT_NE(dynamic_cast<const CHeaderRegion*>(list.HitTest(10, 90)), nullptr);
    EXPECT_EQ(list.HitTest(5, 15)->Message().entryId, "second");
    EXPECT_EQ(list.HitTest(5, 5)->Message().entryId, "first");
    EXPECT_EQ(list.HitTest(100, 5), nullptr);
    EXPECT_EQ(list.HitTest(5, 100), nullptr);
    list.AddTaskRegion({10, 10, 10, 40}, true, "empty"); // no width: never hit
    EXPECT_EQ(list.HitTest(10, 15)->Message().entryId, "second");
    list.Clear();
    EXPECT_EQ(list.HitTest(5, 5), nullptr);
}

TEST(RegionList, ActivationSendsTheTableMessagesAndTheFlagChoosesTheWording) {
    std::vector<RegionMessage> sent;
    SetRegionSender([&](const RegionMessage& m) { sent.push_back(m); });
    CRegionList list;
    const std::pair<int, unsigned> kinds[] = {{0, 0x501}, {1, 0x502}, {2, 0x503}, {3, 0x508}, {4, 0x509}, {7, 0x503}};
    for (const auto& [kind, message] : kinds) {
        list.Clear();
        list.AddHeaderRegion({0, 0, 5, 5}, kind % 2 == 0, kind);
        list.HitTest(1, 1)->Activate();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back().message, message) << kind;
    }
    EXPECT_EQ(list.HitTest(1, 1)->TooltipText(), ""); // kind 7 has no text
    list.Clear();
    list.AddHeaderRegion({0, 0, 5, 5}, false, 2);
    EXPECT_EQ(list.HitTest(1, 1)->TooltipText(), "Double click to open New Mail");
    list.AddDayRegion({0, 0, 5, 5}, true, 46363.75);
    list.HitTest(1, 1)->Activate();
    EXPECT_EQ(sent.back().message, 0x507u);
    EXPECT_EQ(sent.back().day, 46363u); // the time of day dropped
    EXPECT_EQ(list.HitTest(1, 1)->TooltipKey(), 46363u);
    list.AddFolderRegion({0, 0, 5, 5}, false, "F-7");
    list.HitTest(1, 1)->Activate();
    EXPECT_EQ(sent.back().message, 0x506u);
    EXPECT_EQ(sent.back().entryId, "F-7");
    EXPECT_EQ(list.HitTest(1, 1)->TooltipText(), "Double click to open folder");
    list.AddTaskRegion({0, 0, 5, 5}, true, "T-1");
    EXPECT_EQ(list.HitTest(1, 1)->TooltipText(), "Click to open Task");
    EXPECT_EQ(list.HitTest(1, 1)->Message().message, 0x505u);
    SetRegionSender(nullptr);
    list.HitTest(1, 1)->Activate(); // nobody to send to: nothing happens
    EXPECT_EQ(sent.size(), 8u);
}

// ---------------------------------------------------------------- lines of text

// Every line a wrap draws of text outside Latin-1 is whole characters: valid UTF-8
// that does not begin with a mark or joiner belonging to the line before.
TEST(TextLines, WrappingNeverSplitsACharacterOrItsMarks) {
    FakeEnvironment env;
    CSettings s{kRoot};
    const PanelLayout layout;
    CMemWallPaper paper(PortOrNull<ICanvasFactory>(), 400, 100, s, layout, kDefaultKeyColor);
    const std::string subjects[] = {
        "Συνάντηση με την ομάδα για τον προϋπολογισμό",
        "Встреча с командой по бюджету на следующий год",
        "予算についてのチーム会議と来年の計画",
        "Family 👨\u200D👩\u200D👧 dinner 👍🏽 e\u0301te\u0301",
    };
    for (const std::string& subject : subjects) {
        for (int width : {0, 7, 13, 40, 61}) {
            env.canvas.texts.clear();
            std::string rest = subject, drawn, joined;
            int lines = 0;
            while (!rest.empty() && lines < 200) {
                rest = paper.DrawLineWrapped(rest, 0, 0, width, &drawn);
                ASSERT_FALSE(drawn.empty()) << subject << " at " << width;
                const Utf8Char first = Utf8CharAt(drawn, 0);
                EXPECT_NE(first.code, 0xFFFDu) << drawn;
                EXPECT_FALSE(first.code == 0x200D || first.code == 0x0301 || (first.code >= 0x1F3FB && first.code <= 0x1F3FF))
                    << drawn;
                for (size_t i = 0; i < drawn.size(); i += std::max<size_t>(1, Utf8CharAt(drawn, i).length))
                    EXPECT_NE(Utf8CharAt(drawn, i).code, 0xFFFDu) << drawn;
                joined += drawn;
                ++lines;
            }
            EXPECT_TRUE(rest.empty()) << "a wrap that never ends: " << subject << " at " << width;
            std::string compact = subject;
            compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
            joined.erase(std::remove(joined.begin(), joined.end(), ' '), joined.end());
            EXPECT_EQ(joined, compact); // nothing lost, nothing doubled
        }
    }
}

TEST(TextLines, FittedNamesEndInDotsOnWholeCharacters) {
    FakeEnvironment env;
    CSettings s{kRoot};
    const PanelLayout layout;
    CMemWallPaper paper(PortOrNull<ICanvasFactory>(), 400, 100, s, layout, kDefaultKeyColor);
    paper.DrawLineFitted("Входящие от руководства", 0, 0, 60);
    ASSERT_EQ(env.canvas.texts.size(), 1u);
    const std::string& t = env.canvas.texts[0];
    ASSERT_GE(t.size(), 3u);
    EXPECT_EQ(t.substr(t.size() - 3), "...");
    for (size_t i = 4; i < t.size(); i += std::max<size_t>(1, Utf8CharAt(t, i).length))
        EXPECT_NE(Utf8CharAt(t, i).code, 0xFFFDu) << t;
    env.canvas.texts.clear();
    paper.DrawLineFitted("Inbox", 0, 0, 30); // fits exactly: no dots
    EXPECT_EQ(env.canvas.texts, std::vector<std::string>{"0,0 Inbox"});
}

// ---------------------------------------------------------------- monitors
// The panel on one monitor of many: for each layout, in both views, every region the
// composition records lies in the chosen monitor's work area (in the picture's
// coordinates, whose origin is the virtual screen's top-left corner), the side bar
// runs down that work area's right edge, the central panel sits in the monitor's
// middle, and the picture covers the whole virtual screen.
TEST_F(PanelDrawing, ThePanelLiesOnTheChosenMonitorsWorkArea) {
    Load(Store(""));
    TempFolder dir;
    doc->Composer().SetOutputPath(dir.File("orvanta.bmp"));
    auto mon = [](int l, int t, int r, int b, bool primary = false, Rect work = {}) {
        MonitorInfo m;
        m.bounds = {l, t, r, b};
        m.work = work.IsEmpty() ? m.bounds : work;
        m.primary = primary;
        return m;
    };
    const struct Case {
        const char* what;
        std::vector<MonitorInfo> monitors;
        int panelMonitor;
        Rect virtualScreen;  // system coordinates
        Rect expectMonitor;  // the chosen one, picture coordinates
        Rect expectWork;
    } cases[] = {
        {"side by side, the primary",
         {mon(0, 0, 1920, 1080, true, {0, 0, 1920, 1040}), mon(1920, 0, 3840, 1080)}, 0,
         {0, 0, 3840, 1080}, {0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
        {"side by side, the right one by position",
         {mon(0, 0, 1920, 1080, true), mon(1920, 0, 3840, 1080)}, 2,
         {0, 0, 3840, 1080}, {1920, 0, 3840, 1080}, {1920, 0, 3840, 1080}},
        {"stacked, the lower one",
         {mon(0, 0, 1920, 1080, true), mon(0, 1080, 1920, 2160, false, {0, 1080, 1920, 2130})}, 2,
         {0, 0, 1920, 2160}, {0, 1080, 1920, 2160}, {0, 1080, 1920, 2130}},
        {"a smaller monitor left of the primary",
         {mon(-1280, 100, 0, 1124), mon(0, 0, 1920, 1080, true, {0, 0, 1920, 1040})}, 0,
         {-1280, 0, 1920, 1124}, {1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}},
        {"a monitor above the primary",
         {mon(0, -1080, 1920, 0), mon(0, 0, 1920, 1080, true)}, 0,
         {0, -1080, 1920, 1080}, {0, 1080, 1920, 2160}, {0, 1080, 1920, 2160}},
        {"taskbar at the bottom", {mon(0, 0, 1920, 1080, true, {0, 0, 1920, 1040})}, 0,
         {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
        {"taskbar at the top", {mon(0, 0, 1920, 1080, true, {0, 40, 1920, 1080})}, 0,
         {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {0, 40, 1920, 1080}},
        {"taskbar on the left", {mon(0, 0, 1920, 1080, true, {60, 0, 1920, 1080})}, 0,
         {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {60, 0, 1920, 1080}},
        {"taskbar on the right", {mon(0, 0, 1920, 1080, true, {0, 0, 1860, 1080})}, 0,
         {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {0, 0, 1860, 1080}},
        {"three monitors, the third from the left",
         {mon(0, 0, 2560, 1440, true), mon(2560, 200, 4480, 1280, false, {2560, 200, 4480, 1250}),
          mon(-1920, 0, 0, 1080)}, 3,
         {-1920, 0, 4480, 1440}, {4480, 200, 6400, 1280}, {4480, 200, 6400, 1250}},
        {"the chosen monitor is gone: the primary",
         {mon(-1920, 0, 0, 1080), mon(0, 0, 1920, 1080, true, {0, 0, 1920, 1040})}, 3,
         {-1920, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}},
    };
    for (const Case& c : cases) {
        env.system.monitors = c.monitors;
        const Rect& v = c.virtualScreen;
        env.system.screen = ScreenMetrics{static_cast<int>(c.monitors.size()), v.left, v.top, v.Width(), v.Height(),
                                          1920, 1080, 1920};
        settings.m_panelMonitor = c.panelMonitor;
        for (const bool central : {false, true}) {
            const std::string what = std::string(c.what) + (central ? ", central view" : ", side bar");
            settings.m_centralView = central;
            settings.ApplyStyle(0);
            ASSERT_TRUE(doc->Compose()) << what;
            const CRegionList& regions = doc->Composer().Regions();
            ASSERT_GT(regions.GetCount(), 20u) << what;
            for (size_t i = 0; i < regions.GetCount(); ++i) {
                const Rect r = regions.GetAt(i).Bounds();
                if (r.IsEmpty()) continue; // never hit
                EXPECT_TRUE(c.expectWork.Contains(r.left, r.top) && r.right <= c.expectWork.right &&
                            r.bottom <= c.expectWork.bottom)
                    << what << ": region " << r << " " << regions.GetAt(i).TooltipText();
            }
            const PanelLayout& L = doc->Composer().Layout();
            if (central) {
                EXPECT_EQ(doc->Composer().OriginX(), c.expectMonitor.left + (c.expectMonitor.Width() - 700) / 2) << what;
                EXPECT_EQ(doc->Composer().OriginY(), c.expectMonitor.top + (c.expectMonitor.Height() - 526) / 2) << what;
            } else {
                EXPECT_EQ(L.geometry.header.x + L.sideBarWidth + settings.m_rightMarginBlank, c.expectWork.right) << what;
                EXPECT_EQ(L.geometry.header.y, c.expectWork.top + settings.m_headerBlank) << what;
                EXPECT_EQ(L.geometry.folders.bottom, c.expectWork.bottom - settings.m_footerBlank) << what;
            }
            // The picture covers every monitor.
            auto src = IS40_OpenFileSource(doc->Composer().OutputPath());
            ASSERT_TRUE(src) << what;
            int w = 0, h = 0;
            EXPECT_TRUE(IS40_ReadBMP(src.get(), w, h)) << what;
            EXPECT_EQ(w, v.Width()) << what;
            EXPECT_EQ(h, v.Height()) << what;
        }
    }
}

// ---------------------------------------------------------------- scale
// The panel at its monitor's scale, or at the one "Panel Scale" fixes: the fonts, the
// central panel and the side-bar column, the header buttons and the days of the month
// grid grow by the scale (the regions are where the drawing is), the pictures come at
// that size, and a monitor at 96 DPI gives exactly the panel of 100 %.
// On small screens the side bar's calendar at the panel's scale would run under the
// column: it leaves out the small months, then comes at a smaller scale, and every day
// lies in the room left of the column, clear of the column's regions (in the central
// view, inside the panel).
TEST_F(PanelDrawing, ThePanelIsDrawnAtItsMonitorsScale) {
    Load(Store(""));
    TempFolder dir;
    doc->Composer().SetOutputPath(dir.File("orvanta.bmp"));
    const struct Case {
        int dpi;        // the monitor's
        int panelScale; // the setting
        int scale;      // drawn at
        int width = 3840, height = 2160;
        int calendarScale = 0;   // the side bar's calendar at: 0 the panel's scale
        bool smallMonths = true; // the side bar's calendar keeps its previous and next months
        int centralScale = 0;    // the central panel and the pop-up at: 0 the panel's scale
    } cases[] = {
        {0, 0, 100},     {96, 0, 100},    {120, 0, 125}, {144, 0, 150},  {192, 0, 200},  {240, 0, 250},
        {110, 0, 125},   {100, 0, 100},   {480, 0, 300}, {192, 150, 150}, {96, 300, 300}, {192, 100, 100},
        {144, 50, 150},  // a setting outside 100..300 follows the monitor
        // The column takes a fifth of the screen as at the first start; the calendar is
        // where the first start put it at the monitor's scale.
        // The central panel and the pop-up come down to the largest step that fits the
        // screen: 875 x 658 at 125 %, 1050 x 789 at 150 %.
        {144, 0, 150, 1024, 768, 0, true, 125},
        {192, 0, 200, 1024, 768, 200, false, 125},  // 590 of 616 pixels left of the column
        {288, 0, 300, 1024, 768, 125, false, 125},  // 370 of 412
        {144, 0, 150, 1280, 720, 0, true, 125},
        {192, 0, 200, 1280, 720, 200, false, 125},
        {288, 0, 300, 1280, 720, 150, false, 125},  // 442 of 512: at 175 % it takes 517
        {144, 0, 150, 1366, 768, 0, true, 125},
        {192, 0, 200, 1366, 768, 200, false, 125},
        {288, 0, 300, 1366, 768, 175, false, 125},  // 517 of 547
        {96, 140, 140, 1280, 720, 0, true, 125},    // a fixed scale between steps: to its step
        {96, 0, 100, 1024, 768},
    };
    // The regions of the 100 % panel, relative to its origin, to compare the others with.
    std::vector<std::pair<std::string, Rect>> atHundred[2];
    for (const Case& c : cases) {
        const Rect screen{0, 0, c.width, c.height};
        env.system.screen = ScreenMetrics{1, 0, 0, c.width, c.height, c.width, c.height, c.width};
        env.system.monitors = {MonitorInfo{screen, screen, true, c.dpi}};
        settings.m_panelScale = c.panelScale;
        int drawn = c.scale; // the view's
        const auto px = [&](int v) { return (v * drawn + 50) / 100; };
        const int calendarScale = c.calendarScale ? c.calendarScale : c.scale;
        const auto cpx = [&](int v) { return CPanelScale::Length(v, calendarScale); };
        const bool bigScreen = c.width == 3840;
        if (!bigScreen) {
            settings.m_sideBarCalPosX = (c.width - px(450)) / 2;
            settings.m_sideBarCalPosY = c.height - px(384);
        }
        for (const bool central : {true, false}) {
            const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + ", dpi " +
                                     std::to_string(c.dpi) + ", setting " + std::to_string(c.panelScale) +
                                     (central ? ", central" : ", side bar");
            settings.m_centralView = central;
            drawn = central && c.centralScale ? c.centralScale : c.scale;
            settings.m_sideBarWidth = bigScreen ? 300 : c.width / 5;
            settings.ApplyStyle(0);
            ASSERT_TRUE(doc->Compose()) << what;
            const CComposer& composer = doc->Composer();
            const PanelLayout& L = composer.Layout();
            ASSERT_EQ(L.scale, drawn) << what;
            EXPECT_EQ(composer.PopupScale(), c.centralScale ? c.centralScale : c.scale) << what;
            // Fonts.
            EXPECT_EQ(L.fonts.listText.height, px(11)) << what;
            EXPECT_EQ(L.fonts.heading.height, px(12)) << what;
            EXPECT_EQ(L.fonts.date.height, px(16)) << what;
            EXPECT_EQ(L.fonts.calendar.face, "Verdana") << what;
            // Geometry.
            const StyleGeometry& g = L.geometry;
            // The room the side bar's calendar has: the screen left of the column.
            const Rect room{0, 0, g.header.x, c.height};
            if (central) {
                EXPECT_EQ(L.calendarScale, drawn) << what;
                EXPECT_EQ(g.panelWidth, px(700)) << what;
                EXPECT_EQ(g.panelHeight, px(526)) << what;
                EXPECT_LE(g.panelWidth, c.width) << what;
                EXPECT_LE(g.panelHeight, c.height) << what;
                EXPECT_EQ(g.calendar, (Rect{px(248), px(260), px(698), px(524)})) << what;
                EXPECT_EQ(composer.OriginX(), (c.width - px(700)) / 2) << what;
            } else {
                EXPECT_EQ(L.sideBarWidth, px(settings.m_sideBarWidth)) << what;
                EXPECT_EQ(g.appointments.top, settings.m_headerBlank + px(32)) << what;
                EXPECT_EQ(L.calendarScale, calendarScale) << what;
                EXPECT_EQ(g.showPreviousMonth && g.showNextMonth, c.smallMonths) << what;
                EXPECT_EQ(g.calendar.Width(), cpx(450) - (c.smallMonths ? 0 : cpx(165) - cpx(10))) << what;
                EXPECT_EQ(g.calendar.Intersect(room), g.calendar) << what << ": " << g.calendar;
                if (bigScreen) {
                    EXPECT_EQ(g.calendar.left, settings.m_sideBarCalPosX) << "the user's place stays: it fits";
                }
            }
            // The regions: the header buttons at their scaled size, the month grid's days
            // where the 100 % days are, times the scale (within the rounding of each step).
            const int ox = central ? composer.OriginX() : g.header.x;
            const int oy = central ? composer.OriginY() : g.header.y;
            const Rect panel = Rect::FromSize(composer.OriginX(), composer.OriginY(), g.panelWidth, g.panelHeight);
            std::vector<std::pair<std::string, Rect>> found;
            std::vector<Rect> days, others;
            const CRegionList& regions = composer.Regions();
            for (size_t i = 0; i < regions.GetCount(); ++i) {
                const CActiveRegion& r = regions.GetAt(i);
                const auto* header = dynamic_cast<const CHeaderRegion*>(&r);
                const auto* day = dynamic_cast<const CDayRegion*>(&r);
                const Rect b = r.Bounds();
                (day ? days : others).push_back(b);
                if (header && header->GetKind() == CHeaderRegion::Outlook) {
                    EXPECT_EQ(b, Rect::FromSize(ox, oy, px(120), px(32))) << what;
                    found.emplace_back("outlook", b.Offsetted(-ox, -oy));
                }
                if (day && b.Width() == (central ? px(32) : cpx(32))) {
                    EXPECT_EQ(b.Height(), b.Width()) << what;
                    found.emplace_back("day " + r.Describe(), b.Offsetted(-ox, -oy));
                }
            }
            // Every day shown is whole where the calendar may be, and clear of the
            // column's regions; the small months' days only where they are drawn.
            const int fdow = settings.EffectiveFirstDayOfWeek();
            const size_t smallDays = CMonthCalendar::SmallMonthCells(Day(2026, 11, 1), fdow).size() +
                                     CMonthCalendar::SmallMonthCells(Day(2027, 1, 1), fdow).size();
            EXPECT_EQ(days.size(), 31u + (central || c.smallMonths ? smallDays : 0u)) << what;
            for (const Rect& d : days) {
                EXPECT_EQ(d.Intersect(central ? panel : room), d) << what << ": day " << d;
                if (central) continue;
                for (const Rect& o : others) EXPECT_TRUE(d.Intersect(o).IsEmpty()) << what << ": day " << d << " under " << o;
            }
            ASSERT_GE(found.size(), 29u) << what; // the button and every day of December
            std::vector<std::pair<std::string, Rect>>& hundred = atHundred[central ? 0 : 1];
            if (drawn == 100 && hundred.empty()) hundred = found;
            ASSERT_EQ(found.size(), hundred.size()) << what;
            for (size_t i = 0; i < found.size(); ++i) {
                const Rect& want = hundred[i].second;
                const Rect& got = found[i].second;
                EXPECT_EQ(found[i].first, hundred[i].first) << what;
                if (!central && found[i].first != "outlook") continue; // the calendar stays where the user put it
                const int slack = drawn == 100 ? 0 : 3;
                EXPECT_LE(std::abs(got.left - px(want.left)), slack) << what << " " << found[i].first;
                EXPECT_LE(std::abs(got.top - px(want.top)), slack) << what << " " << found[i].first;
            }
        }
    }
}

// The pictures come drawn at 100, 150 and 200 %: the nearest is used, and fitted to the
// exact size only at the scales between.
TEST(PanelPictures, TheNearestDrawnScaleIsUsed) {
    const struct {
        int scale, width, height, drawn;
    } cases[] = {{100, 700, 64, 100}, {125, 875, 80, 150}, {150, 1050, 96, 150}, {175, 1225, 112, 200},
                 {200, 1400, 128, 200}, {300, 2100, 192, 200}};
    for (const auto& c : cases) {
        EXPECT_EQ(CPanelScale::NearestDrawn(c.scale), c.drawn) << c.scale;
        const CMaskedBitmap header = CMaskedBitmap::LoadBitmap(187, c.scale);
        ASSERT_FALSE(header.IsEmpty()) << c.scale;
        EXPECT_EQ(header.Width(), c.width) << c.scale;
        EXPECT_EQ(header.Height(), c.height) << c.scale;
        const CMaskedBitmap day = CMaskedBitmap::LoadLibraryIcon("look01.icl", 13, c.scale);
        EXPECT_EQ(day.Width(), CPanelScale::Length(32, c.scale)) << c.scale;
        const CMaskedBitmap today = CMaskedBitmap::LoadIcon(205, c.scale);
        EXPECT_EQ(today.Height(), CPanelScale::Length(32, c.scale)) << c.scale;
        const CMaskedBitmap mark = CMaskedBitmap::LoadBitmap(183, c.scale);
        EXPECT_EQ(mark.Width(), CPanelScale::Length(10, c.scale)) << c.scale;
        EXPECT_EQ(mark.Height(), CPanelScale::Length(12, c.scale)) << c.scale;
    }
    // Drawn at 150 %, not the 100 % picture enlarged: the two differ.
    const CMaskedBitmap drawn = CMaskedBitmap::LoadBitmap(187, 150);
    const CMaskedBitmap grown = CMaskedBitmap::LoadBitmap(187, 100).Fitted(1050, 96);
    ASSERT_EQ(drawn.Width(), grown.Width());
    int differing = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 1050; ++x)
            differing += SurfaceOps::At(drawn.Pixels(), x, y) != SurfaceOps::At(grown.Pixels(), x, y);
    EXPECT_GT(differing, 1050 * 96 / 10);
    // "Panel Scale" as read from the registry: 0 follows, 100..300 fixes, others are pulled in.
    for (const auto& [stored, read] : std::vector<std::pair<int, int>>{{0, 0}, {-5, 0}, {100, 100}, {175, 175},
                                                                         {300, 300}, {50, 100}, {1000, 300}})
        EXPECT_EQ(CSettings::ClampPanelScale(stored), read) << stored;
}

// "Panel Monitor" counts the monitors from the left, then from the top; 0 and a
// number past the last are the primary, and a list without a primary flag takes the
// monitor at the origin.
TEST(MonitorSet, ChoosesByPositionAndFallsBackToThePrimary) {
    auto mon = [](int l, int t, int r, int b, bool primary) {
        MonitorInfo m;
        m.bounds = m.work = {l, t, r, b};
        m.primary = primary;
        return m;
    };
    const CMonitorSet set({mon(1920, 0, 3840, 1080, false), mon(0, 0, 1920, 1080, true), mon(0, -900, 1600, 0, false)},
                          {0, -900, 3840, 1080});
    EXPECT_EQ(set.Chosen(0).bounds, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(set.Chosen(1).bounds, (Rect{0, -900, 1600, 0})); // left edge 0, higher up
    EXPECT_EQ(set.Chosen(2).bounds, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(set.Chosen(3).bounds, (Rect{1920, 0, 3840, 1080}));
    EXPECT_EQ(set.Chosen(4).bounds, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(set.Chosen(-1).bounds, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(set.ChosenBounds(1), (Rect{0, 0, 1600, 900})); // picture coordinates

    const CMonitorSet noFlag({mon(1920, 0, 3840, 1080, false), mon(0, 0, 1920, 1080, false)}, {0, 0, 3840, 1080});
    EXPECT_EQ(noFlag.Primary().bounds, (Rect{0, 0, 1920, 1080}));
    const CMonitorSet none({}, {0, 0, 800, 600});
    ASSERT_EQ(none.Monitors().size(), 1u);
    EXPECT_EQ(none.Primary().work, (Rect{0, 0, 800, 600}));
    // Equal lists compare equal; a moved work area does not.
    std::vector<MonitorInfo> moved = set.Monitors();
    EXPECT_TRUE(CMonitorSet(moved, set.VirtualScreen()) == set);
    moved[1].work.bottom -= 40;
    EXPECT_FALSE(CMonitorSet(moved, set.VirtualScreen()) == set);
}

} // namespace
