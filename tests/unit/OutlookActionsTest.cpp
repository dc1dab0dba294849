// The Outlook actions over the substitute store: opening folders, the contacts and the calendar
// at a day, "was Outlook maximised", starting Outlook and CWindowsEnumer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "FakePorts.h"
#include "app/OrvantaDoc.h"
#include "outlook/WindowsEnumer.h"
#include "outlook/store/StorePort.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
const char* kExplorerKey = "Software\\Microsoft\\Office\\15.0\\Outlook\\Office Explorer";
// 27 characters with "2" at position 17 and "3" at position 25.
const std::string kMaximisedFrame = [] {
    std::string f = "44 0 1 0 -4 -4 -1 2 1280 1024 3";
    f[17] = '2';
    f[25] = '3';
    return f;
}();

const char* kStore = R"({"version": "15.0.4420.1017", "folders": [
    {"name": "Inbox", "role": "inbox", "folders": [{"name": "Projects", "entryId": "FOLDER-PROJECTS"}]},
    {"name": "Contacts", "kind": "contacts", "entryId": "FOLDER-CONTACTS"},
    {"name": "Calendar", "role": "calendar", "entryId": "FOLDER-CALENDAR", "appointments": [
        {"subject": "Review", "start": "today 09:00", "end": "today 10:00"}]},
    {"name": "Tasks", "role": "tasks"}]})";

class OutlookActions : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        port.store = CSubstituteOutlook::Load(kStore, COleDateTime(2026, 12, 7, 0, 0, 0).m_dt, error);
        ASSERT_TRUE(port.store) << error;
        env.registry.Tree(RegRoot::CurrentUser).CreateKey("Software\\Microsoft\\Office\\15.0\\Outlook");
        settings.Open();
        ASSERT_TRUE(doc.Engine().EnsureConnected());
        ASSERT_EQ(doc.Engine().OfficeVersion(), 15);
    }
    void SetFrame(const std::string& frame) {
        env.registry.Tree(RegRoot::CurrentUser).CreateKey(kExplorerKey);
        env.registry.Tree(RegRoot::CurrentUser).SetValue(kExplorerKey, "Frame", RegValue::Text(frame));
    }
    const std::vector<std::string>& Actions() { return port.store->Actions(); }
    // A new store answering this Version text, and a document connected to it.
    COrvantaDoc& ConnectedTo(const std::string& version) {
        std::string store = kStore, error;
        store.replace(store.find("15.0.4420.1017"), 14, version);
        port.store = CSubstituteOutlook::Load(store, COleDateTime(2026, 12, 7, 0, 0, 0).m_dt, error);
        EXPECT_TRUE(port.store) << error;
        other = std::make_unique<COrvantaDoc>(settings);
        EXPECT_TRUE(other->Engine().EnsureConnected());
        return *other;
    }

    FakeEnvironment env;
    StorePort port;
    ScopedPort<IAutomationPort> automation{port};
    CSettings settings{kRoot};
    COrvantaDoc doc{settings};
    std::unique_ptr<COrvantaDoc> other;
};

TEST_F(OutlookActions, FrameTextSaysMaximisedOnlyWithBothMarks) {
    EXPECT_TRUE(COutlookEngine::FrameMeansMaximised(kMaximisedFrame));
    EXPECT_FALSE(COutlookEngine::FrameMeansMaximised(kMaximisedFrame.substr(0, 26))); // shorter
    std::string other = kMaximisedFrame;
    other[25] = '1';
    EXPECT_FALSE(COutlookEngine::FrameMeansMaximised(other));
    other = kMaximisedFrame;
    other[17] = '1';
    EXPECT_FALSE(COutlookEngine::FrameMeansMaximised(other));
    EXPECT_FALSE(COutlookEngine::FrameMeansMaximised(""));

    EXPECT_FALSE(doc.Engine().WasOutlookMaximised()); // no key
    SetFrame(kMaximisedFrame);
    EXPECT_TRUE(doc.Engine().WasOutlookMaximised());
    SetFrame(kMaximisedFrame.substr(0, 26)); // 26 characters
    EXPECT_FALSE(doc.Engine().WasOutlookMaximised());
}

// Office 2016 and later (16.0) are not among the versions 15 down to 6 the connection
// scans: once the options were read, the key of Outlook's own version text is used.
TEST_F(OutlookActions, MaximisedIsReadUnderOutlooksOwnVersionOnceKnown) {
    std::string store = kStore, error;
    store.replace(store.find("15.0.4420.1017"), 14, "16.0.4266.1001");
    port.store = CSubstituteOutlook::Load(store, COleDateTime(2026, 12, 7, 0, 0, 0).m_dt, error);
    ASSERT_TRUE(port.store) << error;
    COrvantaDoc doc16{settings};
    ASSERT_TRUE(doc16.Engine().EnsureConnected());
    EXPECT_EQ(doc16.Engine().Version(), "16.0.4266.1001");
    const char* key16 = "Software\\Microsoft\\Office\\16.0\\Outlook\\Office Explorer";
    env.registry.Tree(RegRoot::CurrentUser).CreateKey(key16);
    env.registry.Tree(RegRoot::CurrentUser).SetValue(key16, "Frame", RegValue::Text(kMaximisedFrame));
    EXPECT_FALSE(doc16.Engine().WasOutlookMaximised()); // 15.0 until the options are read
    settings.m_outlook = doc16.Engine().ReadOutlookOptions();
    EXPECT_TRUE(doc16.Engine().WasOutlookMaximised());
    EXPECT_EQ(settings.m_outlook.m_outlookVersion, "16.0.4266.1001"); // handed on by the caller
}

// Folder.Display and every explorer from GetExplorer are each a new window: one click
// opens exactly one.
TEST_F(OutlookActions, OpenFolderAndContactsOpenOneExplorerEach) {
    doc.Engine().OpenFolder("FOLDER-PROJECTS");
    doc.Engine().OpenContacts();
    EXPECT_EQ(Actions(), (std::vector<std::string>{"GetExplorer FOLDER-PROJECTS", "Explorer.Display FOLDER-PROJECTS",
                                                   "Explorer.Activate FOLDER-PROJECTS", "GetExplorer FOLDER-CONTACTS",
                                                   "Explorer.Display FOLDER-CONTACTS",
                                                   "Explorer.Activate FOLDER-CONTACTS"}));
    EXPECT_EQ(port.store->ExplorerWindows("FOLDER-PROJECTS"), 1);
    EXPECT_EQ(port.store->ExplorerWindows("FOLDER-CONTACTS"), 1);
    SetFrame(kMaximisedFrame);
    const size_t before = Actions().size();
    doc.Engine().OpenFolder("FOLDER-PROJECTS");
    EXPECT_EQ(std::vector<std::string>(Actions().begin() + static_cast<long>(before), Actions().end()),
              (std::vector<std::string>{"GetExplorer FOLDER-PROJECTS", "Explorer.Display FOLDER-PROJECTS",
                                        "Explorer.WindowState 0 FOLDER-PROJECTS", "Explorer.Activate FOLDER-PROJECTS"}));
    EXPECT_EQ(port.store->ExplorerWindows("FOLDER-PROJECTS"), 2); // a second click, a second window
    EXPECT_TRUE(env.ui.boxes.empty());
    doc.Engine().OpenFolder("NO-SUCH-FOLDER"); // Outlook's error is shown with its text
    EXPECT_EQ(env.ui.boxes.size(), 1u);
}

// From Outlook 2007 (12) the calendar's own explorer goes to the day through its
// view's GoToDate, with no helper appointment; the store offers the inspector's menu
// entry only before 14 and GoToDate only from 12.
TEST_F(OutlookActions, CalendarAtDayGoesThroughTheViewFromOutlook2007) {
    const int64_t firstOfJanuary = static_cast<int64_t>(COleDateTime(2027, 1, 1, 0, 0, 0).m_dt);
    const std::vector<std::string> viaView = {"GetExplorer FOLDER-CALENDAR", "Explorer.Display FOLDER-CALENDAR",
                                              "Explorer.Activate FOLDER-CALENDAR", "GoToDate 2027-01-01 FOLDER-CALENDAR"};
    for (const char* version : {"12.0.6300.5000", "14.0.7015.1000", "16.0.4266.1001"}) {
        SCOPED_TRACE(version);
        COrvantaDoc& d = ConnectedTo(version);
        EXPECT_EQ(d.Engine().MajorVersion(), std::atoi(version));
        d.Engine().OpenCalendarAtDay(firstOfJanuary);
        EXPECT_TRUE(env.ui.boxes.empty()) << env.ui.boxes[0].text;
        EXPECT_EQ(Actions(), viaView);
        EXPECT_EQ(port.store->ExplorerWindows("FOLDER-CALENDAR"), 1);
        EXPECT_EQ(port.store->PendingItems(), 0);
    }
    // What the store offers by version: the inspector's "Menu Bar" (with its entry
    // 1987) before 14, the calendar view's GoToDate from 12.
    struct Case {
        const char* version;
        int bars;
        bool goToDate;
    } cases[] = {{"11.0.8010.0", 2, false}, {"12.0.6300.5000", 2, true}, {"14.0.7015.1000", 1, true},
                 {"16.0.4266.1001", 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ConnectedTo(c.version);
        AutoObjectPtr ns = port.store->Application()->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
        AutoObjectPtr calendar = ns->Call("GetDefaultFolder", {CAutoValue::Int(9)}).AsObject();
        AutoObjectPtr item = calendar->Get("Items").AsObject()->Call("Add", {CAutoValue::Missing()}).AsObject();
        AutoObjectPtr bars = item->Call("GetInspector", {}).AsObject()->Get("CommandBars").AsObject();
        ASSERT_EQ(bars->Get("Count").AsInt(), c.bars);
        bool menuBar = false;
        for (int i = 1; i <= c.bars; ++i)
            menuBar |= bars->Call("Item", {CAutoValue::Int(i)}).AsObject()->Get("Name").AsString() == "Menu Bar";
        EXPECT_EQ(menuBar, c.bars == 2);
        AutoObjectPtr view = calendar->Call("GetExplorer", {CAutoValue::Missing()}).AsObject()->Get("CurrentView").AsObject();
        bool went = true;
        try {
            view->Call("GoToDate", {CAutoValue::Date(static_cast<double>(firstOfJanuary))});
        } catch (const CAutoError& e) {
            EXPECT_EQ(e.Code(), AutoCode::UnknownName);
            went = false;
        }
        EXPECT_EQ(went, c.goToDate);
    }
}

// Before Outlook 2007 the jump goes through a helper appointment's inspector menu.
TEST_F(OutlookActions, CalendarAtDayJumpsThroughTheMenuAndLeavesNoHelper) {
    const int64_t firstOfJanuary = static_cast<int64_t>(COleDateTime(2027, 1, 1, 0, 0, 0).m_dt);
    COrvantaDoc& d = ConnectedTo("11.0.8010.0");
    d.Engine().OpenCalendarAtDay(firstOfJanuary);
    EXPECT_TRUE(env.ui.boxes.empty()) << env.ui.boxes[0].text;
    EXPECT_EQ(port.store->ExplorerWindows("FOLDER-CALENDAR"), 1);
    EXPECT_EQ(Actions(),
              (std::vector<std::string>{
                  "Items.Add FOLDER-CALENDAR", "Start 2027-01-01 00:00 added-1", "Subject Orvanta helper added-1",
                  "GetInspector added-1", "Inspector.Width 10 added-1", "Inspector.Height 10 added-1",
                  "Inspector.Display added-1", "Inspector.WindowState 2 added-1", "GetExplorer FOLDER-CALENDAR",
                  "Explorer.Display FOLDER-CALENDAR", "Explorer.Activate FOLDER-CALENDAR", "Execute 1987",
                  "Explorer.Activate FOLDER-CALENDAR", "Inspector.Width 640 added-1", "Inspector.Height 480 added-1",
                  "Inspector.WindowState 2 added-1", "Close 1 added-1"}));
    EXPECT_EQ(port.store->CountSubject("Orvanta helper"), 0);
    EXPECT_EQ(port.store->PendingItems(), 0);
    EXPECT_EQ(port.store->CountSubject("Review"), 1);
}

TEST_F(OutlookActions, CalendarAtDayWithoutTheMenuEntryStillShowsTheCalendarAndDiscards) {
    COrvantaDoc& d = ConnectedTo("11.0.8010.0");
    port.store->SetMenuEntry(false);
    SetFrame(kMaximisedFrame);
    d.Engine().OpenCalendarAtDay(static_cast<int64_t>(COleDateTime(2026, 12, 9, 0, 0, 0).m_dt));
    EXPECT_TRUE(env.ui.boxes.empty());
    const auto& a = Actions();
    EXPECT_EQ(std::count(a.begin(), a.end(), "Execute 1987"), 0);
    auto at = [&](const std::string& s) { return std::find(a.begin(), a.end(), s) - a.begin(); };
    EXPECT_LT(at("Explorer.Display FOLDER-CALENDAR"), at("Explorer.WindowState 0 FOLDER-CALENDAR"));
    EXPECT_LT(at("Explorer.WindowState 0 FOLDER-CALENDAR"), at("Explorer.Activate FOLDER-CALENDAR"));
    EXPECT_EQ(a.back(), "Close 1 added-1");
    EXPECT_EQ(port.store->CountSubject("Orvanta helper"), 0);
    EXPECT_EQ(port.store->PendingItems(), 0);
}

TEST_F(OutlookActions, CalendarAtDayFailingHalfWayIsReportedAndStillDiscards) {
    COrvantaDoc& d = ConnectedTo("11.0.8010.0");
    port.store->FailMember("CommandBars", AutoCode::Exception);
    d.Engine().OpenCalendarAtDay(static_cast<int64_t>(COleDateTime(2026, 12, 9, 0, 0, 0).m_dt));
    EXPECT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(Actions().back(), "Close 1 added-1");
    EXPECT_EQ(port.store->PendingItems(), 0);
}

TEST(WindowsEnumer, TitleRule) {
    EXPECT_TRUE(CWindowsEnumer::TitleMatches("Inbox - Microsoft Outlook"));
    EXPECT_TRUE(CWindowsEnumer::TitleMatches("INBOX - MICROSOFT OUTLOOK"));
    EXPECT_TRUE(CWindowsEnumer::TitleMatches("- microsoft outlook"));
    EXPECT_FALSE(CWindowsEnumer::TitleMatches("Microsoft Outlook"));
    EXPECT_FALSE(CWindowsEnumer::TitleMatches("Inbox - Microsoft Outlook "));
    EXPECT_FALSE(CWindowsEnumer::TitleMatches("Inbox -Microsoft Outlook"));
    EXPECT_FALSE(CWindowsEnumer::TitleMatches(""));
    // Only the first 249 characters are read: a suffix beyond them does not count.
    EXPECT_TRUE(CWindowsEnumer::TitleMatches(std::string(229, 'x') + " - Microsoft Outlook"));
    EXPECT_FALSE(CWindowsEnumer::TitleMatches(std::string(230, 'x') + " - Microsoft Outlook"));
}

TEST(WindowsEnumer, BringsTheFirstMatchForwardOrOnlyFindsIt) {
    FakeTopWindowsPort top;
    ScopedPort<ITopWindowsPort> withTop(top);
    top.windows = {{"Microsoft Outlook"}, {"Calendar - Microsoft Outlook", true}, {"Inbox - Microsoft Outlook"}};
    CWindowsEnumer forward;
    EXPECT_TRUE(forward.Search());
    EXPECT_EQ(forward.m_found, 1);
    EXPECT_EQ(top.calls, (std::vector<std::string>{"show 2 3", "foreground 2"}));
    top.calls.clear();
    top.windows[1].maximized = false;
    EXPECT_TRUE(CWindowsEnumer().Search());
    EXPECT_EQ(top.calls, (std::vector<std::string>{"show 2 1", "foreground 2"}));
    top.calls.clear();
    CWindowsEnumer findOnly(CWindowsEnumer::Mode::FindOnly);
    EXPECT_TRUE(findOnly.Search());
    EXPECT_TRUE(top.calls.empty());
    top.windows = {{"Microsoft Outlook"}};
    CWindowsEnumer none;
    EXPECT_FALSE(none.Search());
    EXPECT_EQ(none.m_found, 0);
}

TEST_F(OutlookActions, StartOutlookBringsItForwardOrStartsIt) {
    FakeTopWindowsPort top;
    ScopedPort<ITopWindowsPort> withTop(top);
    top.windows = {{"Inbox - Microsoft Outlook"}};
    doc.Engine().StartOutlook();
    EXPECT_TRUE(env.system.shellCalls.empty());
    EXPECT_EQ(top.calls, (std::vector<std::string>{"show 1 1", "foreground 1"}));
    top.windows = {{"Microsoft Outlook"}};
    doc.Engine().StartOutlook();
    EXPECT_EQ(env.system.shellCalls, std::vector<std::string>{"open|Outlook|"});
}

} // namespace
