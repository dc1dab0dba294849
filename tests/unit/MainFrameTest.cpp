// The main frame's refresh cycle on a clock the test moves: timers, day change,
// refresh requests, the desktop lock, hiding the data, the tray and the shutdown.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "FakeDesktopPort.h"
#include "FakePorts.h"
#include "TempFolder.h"
#include "app/LiveStore.h"
#include "app/MainFrame.h"
#include "app/OrvantaApp.h"
#include "app/OrvantaDoc.h"
#include "desktop/ActiveWallpaper.h"
#include "outlook/store/SubstituteOutlook.h"
#include "settings/Settings.h"
#include "render/RegionList.h"
#include "settings/SystemTray.h"
#include "util/Strings.h"

namespace {

constexpr const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
constexpr double kToday = 46363.0; // Monday 7 December 2026

struct StoreOutlook : IAutomationPort {
    std::shared_ptr<CSubstituteOutlook> store;
    std::shared_ptr<CLiveStore> live; // a store file read again when it changes, instead
    int connections = 0;
    long CreateOutlook(AutoObjectPtr& app) override {
        ++connections;
        if (live) {
            app = live->Application();
            return 0;
        }
        if (!store) return AutoCode::ClassNotRegistered;
        app = store->Application();
        return 0;
    }
    std::string ErrorText(long) override { return {}; }
    bool StartOle() override { return true; }
    void StopOle() override {}
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        outlook.store = CSubstituteOutlook::Load(R"({"folders": [{"name": "Inbox", "role": "inbox", "unread": 2},
            {"name": "Calendar", "role": "calendar", "appointments": [
                {"subject": "Stand-up", "start": "today 09:00", "end": "today 09:15"}]},
            {"name": "Tasks", "role": "tasks"}]})",
                                                 kToday, error);
        ASSERT_TRUE(outlook.store) << error;
        settings.Open();
        settings.m_hideData = false;
        settings.m_refresh = 20;
        settings.Save();
        settings.m_convertedPath = dir.File("wallpaper.bmp"); // the prepared background, kept here
        doc.Composer().SetOutputPath(dir.File("orvanta.bmp"));
        doc.m_beforeRead = [this] { return wallpaper.Capture(doc.Composer().OutputPath()); };
        doc.m_clock = [this] { return Now(); };
        frame.m_clock = [this] { return Now(); };
    }
    COleDateTime Now() const { return COleDateTime(start + env.windows.nowMs / 86400000.0); }
    // Creates the frame and publishes the document, as the start-up does.
    void Start() {
        ASSERT_TRUE(frame.Create("Orvanta for Outlook"));
        frame.SetDocument(&doc);
    }
    int Installs() const {
        int n = 0;
        for (const auto& s : env.wallpaper.sets)
            if (s.find("orvanta.bmp") != std::string::npos) ++n;
        return n;
    }
    void SetRegistryNumber(const char* name, int value) {
        std::unique_ptr<IRegistryKey> key;
        ASSERT_EQ(env.registry.OpenKey(RegRoot::CurrentUser, kRoot, RegAccess::Write, key), 0);
        ASSERT_EQ(key->SetValue(name, RegValue::Number(value)), 0);
    }

    FakeEnvironment env;
    StoreOutlook outlook;
    ScopedPort<IAutomationPort> withOutlook{outlook};
    TempFolder dir;
    double start = kToday + 10.0 / 24; // 10:00
    CSettings settings{kRoot};
    CActiveWallpaper wallpaper{settings};
    COrvantaDoc doc{settings};
    CMainFrame frame{settings, wallpaper};
};

TEST_F(MainFrameTest, FirstTickConnectsDrawsInstallsAndStartsTheTimers) {
    Start();
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kDeferredTimer), 300u);
    EXPECT_FALSE(env.windows.TimerRunning(CMainFrame::kRefreshTimer));
    env.windows.Advance(299);
    EXPECT_EQ(outlook.connections, 0);
    env.windows.Advance(1);
    EXPECT_EQ(outlook.connections, 1);
    EXPECT_EQ(frame.Redraws(), 1);
    EXPECT_EQ(Installs(), 1);
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kRefreshTimer), 20000u);
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kWallpaperTimer), 5000u);
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kDayTimer), 3000u);
    // Unchanged data: the refresh ticks read but never draw again.
    const int refreshes = frame.Refreshes();
    env.windows.Advance(60000);
    EXPECT_EQ(frame.Refreshes(), refreshes + 3);
    EXPECT_EQ(frame.Redraws(), 1);
    EXPECT_EQ(Installs(), 1);
}

// A picture that could not be written (another program holding the old one, a full
// disk) leaves the desktop behind the data: the next refresh draws again although
// Outlook reports nothing new since the read that went with the lost picture.
TEST_F(MainFrameTest, AChangeWhosePictureCouldNotBeWrittenIsDrawnAtTheNextTick) {
    const std::string storeFile = dir.File("store.json");
    auto writeStore = [&](const std::string& extra) {
        std::ofstream(storeFile, std::ios::trunc)
            << R"({"folders": [{"name": "Inbox", "role": "inbox", "unread": 2},
            {"name": "Calendar", "role": "calendar", "appointments": [
                {"subject": "Stand-up", "start": "2026-12-07 09:00", "end": "2026-12-07 09:15"})"
            << extra << R"(]}, {"name": "Tasks", "role": "tasks"}]})";
    };
    auto picture = [&] {
        std::ifstream in(doc.Composer().OutputPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    writeStore("");
    outlook.live = std::make_shared<CLiveStore>(storeFile);
    std::string error;
    ASSERT_TRUE(outlook.live->Load(error)) << error;
    Start();
    env.windows.Advance(300);
    const std::string first = picture();
    ASSERT_FALSE(first.empty());

    // The user adds an appointment; the picture's temporary file cannot be made.
    const std::string output = doc.Composer().OutputPath();
    writeStore(R"(, {"subject": "Dentist", "start": "2026-12-07 16:30", "end": "2026-12-07 17:15"})");
    std::filesystem::create_directory(output + ".tmp");
    env.windows.Advance(20000);
    EXPECT_TRUE(picture() == first) << "the previous picture stays";
    std::filesystem::remove(output + ".tmp");

    // Nothing new in Outlook since, yet the next tick draws what the lost picture held.
    std::filesystem::remove(output);
    env.windows.Advance(20000);
    EXPECT_TRUE(std::filesystem::exists(output)) << "not drawn again";
    EXPECT_NE(doc.SignatureText().find("Dentist"), std::string::npos) << doc.SignatureText();
    // Once drawn, unchanged data are not drawn again.
    std::filesystem::remove(output);
    env.windows.Advance(20000);
    EXPECT_FALSE(std::filesystem::exists(output));
}

// The notices of display changes (the system's, and the 5 s check's comparison) are
// acted on only when the monitors or their work areas differ from those the picture
// was made for: then the picture is composed again and installed, its regions on the
// new layout; otherwise nothing at all happens.
TEST_F(MainFrameTest, DisplayChangesRecomposeOnlyWhenTheMonitorsDiffer) {
    auto monitor = [](Rect bounds, Rect work, bool primary) { return MonitorInfo{bounds, work, primary}; };
    const Rect left{0, 0, 1920, 1080}, right{1920, 0, 3840, 1080};
    env.system.monitors = {monitor(left, left, true)};
    Start();
    env.windows.Advance(300);
    ASSERT_EQ(frame.Redraws(), 1);
    auto regionsWithin = [&](const Rect& area) {
        const CRegionList& regions = doc.Composer().Regions();
        for (size_t i = 0; i < regions.GetCount(); ++i) {
            const Rect r = regions.GetAt(i).Bounds();
            if (!r.IsEmpty() && !(r.left >= area.left && r.top >= area.top && r.right <= area.right &&
                                  r.bottom <= area.bottom))
                return false;
        }
        return regions.GetCount() > 0;
    };
    const struct Step {
        const char* what;
        std::function<void()> change;
        unsigned msg;
        uintptr_t wParam;
        int redraws; // after the step
        Rect expectWork; // where every region lies
        int scale = 100; // the panel's
    } steps[] = {
        {"a display notice without a change", [] {}, Msg::DisplayChange, 0, 1, left},
        {"a work-area notice without a change", [] {}, Msg::SettingChange, CMainFrame::kSetWorkArea, 1, left},
        {"a monitor added right of the primary",
         [&] {
             env.system.monitors.push_back(monitor(right, right, false));
             env.system.screen = ScreenMetrics{2, 0, 0, 3840, 1080, 1920, 1080, 1920};
         },
         Msg::DisplayChange, 0, 2, left},
        {"the taskbar grew along the primary's bottom",
         [&] { env.system.monitors[0].work.bottom = 1040; }, Msg::SettingChange, CMainFrame::kSetWorkArea, 3,
         Rect{0, 0, 1920, 1040}},
        {"a scale change reported alone", [] {}, Msg::DpiChanged, 0, 3, Rect{0, 0, 1920, 1040}},
        {"the primary's scale went to 150 %", [&] { env.system.monitors[0].dpi = 144; }, Msg::DpiChanged, 0, 4,
         Rect{0, 0, 1920, 1040}, 150},
        {"back to 100 %, told by a settings change without a name", [&] { env.system.monitors[0].dpi = 96; },
         Msg::SettingChange, 0, 5, Rect{0, 0, 1920, 1040}},
        {"the primary moved to the right, seen by the 5 s check",
         [&] {
             env.system.monitors[0].primary = false;
             env.system.monitors[1].primary = true;
         },
         0, 0, 6, right},
    };
    for (const Step& step : steps) {
        step.change();
        if (step.msg) frame.Window()->Send(step.msg, step.wParam, 0);
        else env.windows.Advance(CMainFrame::kWallpaperPeriod);
        EXPECT_EQ(frame.Redraws(), step.redraws) << step.what;
        EXPECT_EQ(Installs(), step.redraws) << step.what;
        EXPECT_TRUE(regionsWithin(step.expectWork)) << step.what;
        EXPECT_EQ(doc.Composer().Layout().scale, step.scale) << step.what;
    }
    EXPECT_EQ(frame.DisplayRedraws(), 5);
    // Ten more checks with nothing changed: nothing composed.
    env.windows.Advance(10 * CMainFrame::kWallpaperPeriod);
    EXPECT_EQ(frame.Redraws(), 6);
}

TEST_F(MainFrameTest, DayChangeRedrawsWithinThreeSecondsOfMidnight) {
    start = kToday + (23 * 3600 + 59 * 60 + 50) / 86400.0; // 23:59:50
    Start();
    env.windows.Advance(1000);
    const int redraws = frame.Redraws();
    env.windows.Advance(9000); // 23:59:59
    EXPECT_EQ(frame.Redraws(), redraws);
    env.windows.Advance(3000); // midnight passed, at most one 3 s tick later
    EXPECT_EQ(frame.Redraws(), redraws + 1);
    EXPECT_EQ(env.tray.picture, -1 - 7); // the 8th: index 7 of the date icons
    env.windows.Advance(9000);
    EXPECT_EQ(frame.Redraws(), redraws + 1); // once per day
}

TEST_F(MainFrameTest, TwoRefreshRequestsWithin300MsGiveOneRefresh) {
    Start();
    env.windows.Advance(300);
    const int refreshes = frame.Refreshes();
    const int redraws = frame.Redraws();
    ASSERT_TRUE(frame.RouteCommand(ID_REFRESH));
    env.windows.Advance(100);
    frame.Window()->Post(CMainFrame::kRefreshRequestMsg);
    env.windows.Advance(200);
    EXPECT_EQ(frame.Refreshes(), refreshes + 1);
    EXPECT_EQ(frame.Redraws(), redraws + 1); // asked for: drawn even without a change
    env.windows.Advance(600);
    EXPECT_EQ(frame.Refreshes(), refreshes + 1);
}

TEST_F(MainFrameTest, RefreshTimerPicksUpAChangedRefreshValue) {
    Start();
    env.windows.Advance(300);
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kRefreshTimer), 20000u);
    SetRegistryNumber("Refresh", 7); // the settings are read again at every data load
    env.windows.Advance(20000);
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kRefreshTimer), 7000u);
    const int refreshes = frame.Refreshes();
    env.windows.Advance(7000);
    EXPECT_EQ(frame.Refreshes(), refreshes + 1);
}

TEST_F(MainFrameTest, NothingHappensOnRefreshTicksWhileHiddenByDesktopLock) {
    Start();
    env.windows.Advance(300);
    frame.Window()->Send(CMainFrame::kDesktopLockMsg, 0, 1);
    EXPECT_TRUE(frame.HiddenByLock());
    const int refreshes = frame.Refreshes();
    const size_t sets = env.wallpaper.sets.size();
    env.wallpaper.WriteWallpaper("C:\\pics\\other.bmp"); // a wallpaper check would adopt it
    env.windows.Advance(60000);
    EXPECT_EQ(frame.Refreshes(), refreshes);
    EXPECT_EQ(env.wallpaper.sets.size(), sets);
    // A refresh asked for while locked reads, but leaves the user's picture up.
    ASSERT_TRUE(frame.RouteCommand(ID_REFRESH));
    env.windows.Advance(300);
    EXPECT_EQ(frame.Refreshes(), refreshes + 1);
    EXPECT_EQ(env.wallpaper.sets.size(), sets);
    frame.Window()->Send(CMainFrame::kDesktopLockMsg, 0, 0);
    EXPECT_FALSE(frame.HiddenByLock());
    EXPECT_FALSE(settings.m_hideData);
    EXPECT_EQ(Installs(), 2); // shown again on unlock

    // Data the user had hidden stay hidden after an unlock.
    ASSERT_TRUE(frame.RouteCommand(ID_HIDE_DATA));
    frame.Window()->Send(CMainFrame::kDesktopLockMsg, 0, 1);
    frame.Window()->Send(CMainFrame::kDesktopLockMsg, 0, 0);
    EXPECT_TRUE(settings.m_hideData);
}

TEST_F(MainFrameTest, HideDataRestoresTheUsersPictureAndShowingInstallsOursAgain) {
    env.wallpaper.WriteWallpaper("C:\\pics\\lake.bmp");
    Start();
    env.windows.Advance(300);
    ASSERT_EQ(Installs(), 1);
    env.wallpaper.sets.clear();
    ASSERT_TRUE(frame.RouteCommand(ID_HIDE_DATA));
    EXPECT_TRUE(settings.m_hideData);
    ASSERT_EQ(env.wallpaper.sets.size(), 1u);
    EXPECT_EQ(env.wallpaper.sets[0], "spi|c:\\pics\\lake.bmp|0");
    // Refresh ticks while hidden change nothing on screen.
    env.windows.Advance(40000);
    EXPECT_EQ(env.wallpaper.sets.size(), 1u);
    ASSERT_TRUE(frame.RouteCommand(ID_HIDE_DATA));
    EXPECT_FALSE(settings.m_hideData);
    EXPECT_EQ(Installs(), 1);
    CSettings stored(kRoot);
    stored.Load();
    EXPECT_FALSE(stored.m_hideData); // saved
}

TEST_F(MainFrameTest, AWallpaperSetByTheUserIsAdoptedAndRedrawnOver) {
    env.wallpaper.WriteWallpaper("C:\\pics\\lake.bmp");
    Start();
    env.windows.Advance(300);
    const int redraws = frame.Redraws();
    env.wallpaper.WriteWallpaper("C:\\pics\\forest.bmp");
    frame.Window()->Send(Msg::SettingChange, CMainFrame::kSetDeskWallpaper, 0);
    EXPECT_EQ(settings.m_wallpaper, "c:\\pics\\forest.bmp");
    EXPECT_TRUE(frame.RefreshRequested());
    env.windows.Advance(300);
    EXPECT_EQ(frame.Redraws(), redraws + 1);
    CSettings stored(kRoot);
    stored.Load();
    EXPECT_EQ(stored.m_wallpaper, "c:\\pics\\forest.bmp");
}

// The same picture chosen again in the system's dialog covers our picture: it is drawn
// over at once. When the read after it fails (Outlook gone), the data come back with
// the first read that succeeds, also when a data load's capture saw the change first,
// and nothing is read or drawn at every check meanwhile.
TEST_F(MainFrameTest, TheSamePictureChosenAgainIsDrawnOverAlsoAfterAFailedRead) {
    // The user's picture, a real file: 2 x 2 pixels, 24 bits.
    const std::string lake = dir.File("lake.bmp");
    {
        const unsigned char bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                                     0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0, 0, 0, 0, 9, 9, 9, 9, 9, 9, 0, 0, 9, 9, 9, 9, 9, 9, 0, 0};
        std::ofstream(lake, std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
    }
    env.wallpaper.WriteWallpaper(lake);
    doc.Engine().SetClock([this] { return static_cast<double>(env.windows.nowMs) / 1000.0; });
    Start();
    env.windows.Advance(300);
    ASSERT_EQ(frame.Redraws(), 1);
    env.wallpaper.WriteWallpaper(lake);
    frame.Window()->Send(Msg::SettingChange, CMainFrame::kSetDeskWallpaper, 0);
    EXPECT_TRUE(frame.RefreshRequested());
    env.windows.Advance(300);
    EXPECT_EQ(frame.Redraws(), 2) << "the same picture again is not drawn over";

    for (const bool seenByCapture : {false, true}) {
        SCOPED_TRACE(seenByCapture ? "seen first by a data load's capture" : "seen by the wallpaper check");
        const int redraws = frame.Redraws();
        outlook.store->Disconnect();
        env.wallpaper.WriteWallpaper(lake);
        if (seenByCapture)
            ASSERT_TRUE(frame.RouteCommand(ID_REFRESH)); // "&Refresh": the capture runs before the read
        else
            frame.Window()->Send(Msg::SettingChange, CMainFrame::kSetDeskWallpaper, 0);
        env.windows.Advance(300);
        EXPECT_EQ(frame.Redraws(), redraws);
        // Outlook away: the checks every 5 s do not ask for a read each.
        const int refreshes = frame.Refreshes();
        env.windows.Advance(19000);
        EXPECT_LE(frame.Refreshes(), refreshes + 1);
        outlook.store->Restart();
        // Connected again within a minute or so; drawn then, once.
        for (int waited = 0; waited < 180000 && frame.Redraws() == redraws; waited += 1000) env.windows.Advance(1000);
        EXPECT_EQ(frame.Redraws(), redraws + 1) << "the data never came back";
        env.windows.Advance(60000);
        EXPECT_EQ(frame.Redraws(), redraws + 1) << "drawn again without a change";
    }

    // Chosen again while our install ran, after its call and before it looked: taken at
    // once, not at the next check 5 s later, and drawn over.
    const int redraws = frame.Redraws();
    bool chooseNow = true;
    env.wallpaper.afterSystemSet = [&] {
        if (chooseNow) env.wallpaper.WriteWallpaper(lake);
        chooseNow = false;
    };
    ASSERT_TRUE(frame.RouteCommand(ID_REFRESH));
    env.windows.Advance(300);
    EXPECT_EQ(frame.Redraws(), redraws + 1);
    EXPECT_TRUE(frame.RefreshRequested()) << "the picture set meanwhile waits for the next check";
    env.windows.Advance(300);
    EXPECT_EQ(frame.Redraws(), redraws + 2);
    EXPECT_TRUE(wallpaper.Installed());
    env.wallpaper.afterSystemSet = nullptr;
}

TEST_F(MainFrameTest, StyleCommandsApplyCheckAndRedraw) {
    Start();
    env.windows.Advance(300);
    const int redraws = frame.Redraws();
    ASSERT_TRUE(frame.RouteCommand(ID_STYLE_BROWN));
    EXPECT_EQ(settings.m_style, 2);
    env.windows.Advance(300);
    EXPECT_EQ(frame.Redraws(), redraws + 1);
    frame.Tray()->Window()->Send(CSystemTray::kCallbackMessage, CMainFrame::kTrayId, Msg::RButtonUp);
    ASSERT_EQ(env.windows.menus.size(), 1u);
    EXPECT_EQ(env.windows.menus[0].checked, std::vector<unsigned>{ID_STYLE_BROWN});
}

// "Hi&de Data" is checked exactly while the data are hidden, whatever the style and
// whoever hid them; the style's mark goes its own way. Started hidden, then each step
// in turn, the menu opened after each.
TEST_F(MainFrameTest, TheHideDataItemIsCheckedExactlyWhileTheDataAreHidden) {
    settings.m_hideData = true;
    settings.Save();
    Start();
    env.windows.Advance(300);
    auto menuChecks = [&] {
        env.windows.menus.clear();
        frame.Tray()->Window()->Send(CSystemTray::kCallbackMessage, CMainFrame::kTrayId, Msg::RButtonUp);
        std::vector<unsigned> checked = env.windows.menus.empty() ? std::vector<unsigned>{} : env.windows.menus[0].checked;
        std::sort(checked.begin(), checked.end());
        return checked;
    };
    const unsigned blue = ID_STYLE_BLUE, green = ID_STYLE_GREEN, brown = ID_STYLE_BROWN, hide = ID_HIDE_DATA;
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<unsigned> checked;
    };
    const std::vector<Step> steps{
        {"started hidden", [] {}, {blue, hide}},
        {"a style chosen while hidden", [&] { frame.RouteCommand(ID_STYLE_BROWN); }, {brown, hide}},
        {"a refresh while hidden", [&] { env.windows.Advance(300); }, {brown, hide}},
        {"shown", [&] { frame.RouteCommand(ID_HIDE_DATA); }, {brown}},
        {"a style chosen while shown", [&] { frame.RouteCommand(ID_STYLE_GREEN); }, {green}},
        {"hidden by a lock", [&] { frame.OnDesktopLock(true); }, {green, hide}},
        {"unlocked", [&] { frame.OnDesktopLock(false); }, {green}},
        {"hidden from the command line", [&] { frame.Window()->Send(Msg::Command, ID_HIDE_DATA, 1); }, {green, hide}},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(settings.m_hideData, std::count(step.checked.begin(), step.checked.end(), hide) == 1) << step.what;
        EXPECT_EQ(menuChecks(), step.checked) << step.what;
    }
}

// "Lounch Outlook" at creation: Outlook is started only when its main window is not
// there, and a running Outlook is left where it is (found, not brought forward). The
// tray's "Start Outlook" before the first tick brings a running one forward.
TEST_F(MainFrameTest, LaunchOutlookStartsOutlookOnlyWhenItsWindowIsNotThere) {
    FakeTopWindowsPort top;
    ScopedPort<ITopWindowsPort> withTop(top);
    struct Case {
        bool launch, running;
        std::vector<std::string> shell;
    };
    for (const Case& c : {Case{true, true, {}}, Case{true, false, {"open|Outlook|"}}, Case{false, false, {}},
                          Case{false, true, {}}}) {
        SCOPED_TRACE(std::string(c.launch ? "launch" : "no launch") + (c.running ? ", running" : ", not running"));
        env.system.shellCalls.clear();
        top.calls.clear();
        top.windows.clear();
        if (c.running) top.windows = {{"Untitled - Notepad"}, {"Inbox - Microsoft Outlook"}};
        settings.m_launchOutlook = c.launch;
        CMainFrame starting(settings, wallpaper);
        ASSERT_TRUE(starting.Create("Orvanta for Outlook"));
        EXPECT_EQ(env.system.shellCalls, c.shell);
        EXPECT_TRUE(top.calls.empty()) << top.calls.front();
        if (!c.running) continue;
        starting.RouteCommand(ID_START_OUTLOOK);
        EXPECT_EQ(top.calls, (std::vector<std::string>{"show 2 1", "foreground 2"}));
        EXPECT_EQ(env.system.shellCalls, c.shell);
    }
}

} // namespace

namespace {

TEST_F(MainFrameTest, TrayIconMenuAndDoubleClick) {
    settings.m_doubleclickAction = 3;
    Start();
    EXPECT_TRUE(env.tray.shown);
    EXPECT_EQ(env.tray.id, 195u);
    EXPECT_EQ(env.tray.callback, 0x8001u);
    EXPECT_EQ(env.tray.tip, "Orvanta for Outlook");
    EXPECT_EQ(env.tray.picture, -1 - 6); // the 7th: the date icon of the day
    IWindow& tray = *frame.Tray()->Window();

    // Another icon's notification opens nothing.
    tray.Send(CSystemTray::kCallbackMessage, 196, Msg::RButtonUp);
    EXPECT_TRUE(env.windows.menus.empty());
    tray.Send(CSystemTray::kCallbackMessage, 195, Msg::RButtonUp);
    ASSERT_EQ(env.windows.menus.size(), 1u);
    EXPECT_EQ(env.windows.menus[0].menuId, 195);
    EXPECT_EQ(env.windows.menus[0].submenu, 0);
    EXPECT_EQ(env.windows.menus[0].defaultItem, static_cast<unsigned>(ID_POPUP));
    EXPECT_FALSE(env.windows.menus[0].defaultByPosition);

    // Action 3 sends 32798, though the menu has no such item; without a pop-up window
    // on this platform (no desktop port), that is said.
    tray.Send(CSystemTray::kCallbackMessage, 195, Msg::LButtonDblClk);
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].text, "Failed to create PopUp screen");
    EXPECT_EQ(env.ui.boxes[0].flags, MsgBox::Ok | MsgBox::IconError);
}

TEST_F(MainFrameTest, AnIconTheShellRefusedIsAddedOnceTheTaskbarIsThere) {
    env.tray.shellWorks = false; // no taskbar yet, and none will announce itself
    Start();
    env.windows.Advance(3300);
    EXPECT_FALSE(env.tray.shown);
    env.tray.shellWorks = true;
    env.windows.Advance(3000);
    EXPECT_TRUE(env.tray.shown);
    const int adds = env.tray.adds;
    env.windows.Advance(30000);
    EXPECT_EQ(env.tray.adds, adds); // once there, never added again
}

TEST_F(MainFrameTest, TrayIconComesBackWhenTheTaskbarIsCreatedAgain) {
    Start();
    ASSERT_EQ(env.tray.adds, 1);
    IWindow& tray = *frame.Tray()->Window();
    env.tray.shown = false; // the shell restarted and lost its icons
    tray.Send(env.windows.RegisterMessage("TaskbarCreated"));
    EXPECT_EQ(env.tray.adds, 2);
    EXPECT_TRUE(env.tray.shown);
    EXPECT_FALSE(frame.Tray()->Removed());
}

TEST(SystemTray, AnIconRefusedAtStartIsAddedWhenTheTaskbarAppears) {
    FakeEnvironment env;
    env.tray.shellWorks = false;
    CSystemTray tray;
    EXPECT_FALSE(tray.Create(0x8001, "Orvanta for Outlook", 32516, 195, false));
    EXPECT_TRUE(tray.Removed());
    EXPECT_TRUE(tray.Pending());
    env.tray.shellWorks = true;
    tray.Window()->Send(Msg::SettingChange, CSystemTray::kSettingWorkArea, 0);
    EXPECT_TRUE(env.tray.shown);
    EXPECT_FALSE(tray.Removed());
    // Program icon when asked for, and when the date icons cannot be had.
    tray.SetIconBySetting(1, 31);
    EXPECT_EQ(env.tray.picture, 128);
    tray.SetIconBySetting(0, 31);
    EXPECT_EQ(env.tray.picture, -1 - 30);
    tray.SetIconBySetting(0, 1);
    EXPECT_EQ(env.tray.picture, -1);
    env.tray.libraries.clear();
    tray.SetIconBySetting(0, 5);
    EXPECT_EQ(env.tray.picture, 128);
    tray.Remove();
    EXPECT_FALSE(env.tray.shown);
}

// The date icons are taken from beside the program, never by the library's bare name
// (which the system would look up in whatever the current folder is).
TEST(SystemTray, TheDateIconLibraryIsTheOneBesideTheProgram) {
    const struct {
        const char* program;
        const char* library; // the one library that gives icons
        int picture;
    } cases[] = {
        {"C:\\Program Files\\Orvanta\\orvanta.exe", "C:\\Program Files\\Orvanta\\bw.icl", -1 - 4},
        {"D:\\Tools\\orvanta.exe", "D:\\Tools\\bw.icl", -1 - 4},
        {"D:\\Tools\\orvanta.exe", "C:\\Program Files\\Orvanta\\bw.icl", 128}, // not beside it
        {"D:\\Tools\\orvanta.exe", "bw.icl", 128}, // only the current folder has one
        {"", "bw.icl", 128},                         // the program's own path unknown
    };
    for (const auto& c : cases) {
        FakeEnvironment env;
        env.system.modulePath = c.program;
        env.tray.libraries = {c.library};
        CSystemTray tray;
        ASSERT_TRUE(tray.Create(0x8001, "Orvanta for Outlook", 32516, 195, false));
        tray.SetIconBySetting(0, 5);
        EXPECT_EQ(env.tray.picture, c.picture) << c.program << " / " << c.library;
    }
}

// The shutdown order: settings saved, tray icon removed, then the user's picture back
// unless "KeepOnExit"; the exit also ends the loop.
class AppShutdownTest : public ::testing::TestWithParam<bool> {};

TEST_P(AppShutdownTest, ExitRestoresTheUsersPictureUnlessKeptOnExit) {
    const bool keep = GetParam();
    FakeEnvironment env;
    TempFolder dir;
    env.wallpaper.WriteWallpaper("C:\\pics\\lake.bmp");
    {
        CSettings s(kRoot);
        s.Open();
        s.m_hideData = false;
        s.m_keepOnExit = keep;
        s.Save();
    }
    COrvantaApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.Settings()->m_wallpaper, "c:\\pics\\lake.bmp");
    EXPECT_TRUE(env.tray.shown);
    app.Settings()->m_transparency = 55;
    env.wallpaper.sets.clear();
    app.MainFrame()->RouteCommand(ID_APP_EXIT);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_FALSE(env.tray.shown);
    EXPECT_TRUE(env.wallpaper.sets.empty()); // not before the document goes
    app.ExitInstance();
    if (keep)
        EXPECT_TRUE(env.wallpaper.sets.empty());
    else
        EXPECT_EQ(env.wallpaper.sets, std::vector<std::string>{"spi|c:\\pics\\lake.bmp|0"});
    CSettings stored(kRoot);
    stored.Load();
    EXPECT_EQ(stored.m_transparency, 55);
}

INSTANTIATE_TEST_SUITE_P(KeepOnExit, AppShutdownTest, ::testing::Bool());

} // namespace

namespace {

TEST_F(MainFrameTest, LogOffSavesAndRestoresTheUsersPicture) {
    env.wallpaper.WriteWallpaper("C:\\pics\\lake.bmp");
    Start();
    env.windows.Advance(300);
    settings.m_transparency = 61;
    EXPECT_EQ(frame.Window()->Send(Msg::QueryEndSession), 1); // the session may end
    CSettings stored(kRoot);
    stored.Load();
    EXPECT_EQ(stored.m_transparency, 61);
    env.wallpaper.sets.clear();
    frame.Window()->Send(Msg::EndSession, 0); // the end was cancelled: nothing
    EXPECT_TRUE(env.wallpaper.sets.empty());
    frame.Window()->Send(Msg::EndSession, 1);
    EXPECT_EQ(env.wallpaper.sets, std::vector<std::string>{"spi|c:\\pics\\lake.bmp|0"});
    EXPECT_FALSE(env.tray.shown);
    EXPECT_FALSE(env.windows.TimerRunning(CMainFrame::kRefreshTimer));
}

} // namespace

namespace {

// Every region of the composed wallpaper, clicked, reaches the frame's handler and
// through it Outlook: the store's action log shows what each click did.
TEST_F(MainFrameTest, EveryDrawnRegionOpensWhatItStandsForInOutlook) {
    std::string error;
    outlook.store = CSubstituteOutlook::Load(R"({"folders": [
        {"name": "Inbox", "role": "inbox", "unread": 2, "entryId": "FOLDER-INBOX"},
        {"name": "Contacts", "kind": "contacts", "entryId": "FOLDER-CONTACTS"},
        {"name": "Calendar", "role": "calendar", "entryId": "FOLDER-CALENDAR", "appointments": [
            {"subject": "Stand-up", "start": "today 09:00", "end": "today 09:15", "entryId": "APPT-1"}]},
        {"name": "Tasks", "role": "tasks", "tasks": [{"subject": "Expenses", "entryId": "TASK-1"}]}]})",
                                             kToday, error);
    ASSERT_TRUE(outlook.store) << error;
    // Beside Outlook a calendar file: its items are not Outlook's, and a click on them
    // asks Outlook nothing (it would only say it has no such item).
    TempFolder dir;
    std::ofstream(dir.File("team.ics"))
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:review-1\r\n"
           "DTSTAMP:20261201T000000Z\r\nDTSTART:20261207T110000\r\nDTEND:20261207T120000\r\nSUMMARY:Review\r\n"
           "END:VEVENT\r\nBEGIN:VTODO\r\nUID:todo-1\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:Report\r\nEND:VTODO\r\n"
           "END:VCALENDAR\r\n";
    doc.m_calendarSources = {{CCalendarSource::Kind::File, dir.File("team.ics"), "", true}};
    Start();
    env.windows.Advance(300);
    const CRegionList& regions = doc.Composer().Regions();
    ASSERT_GT(regions.GetCount(), 0u);

    int fromTheFile = 0;
    std::map<unsigned, int> clicked;
    for (size_t i = 0; i < regions.GetCount(); ++i) {
        const CActiveRegion& region = regions.GetAt(i);
        const RegionMessage m = region.Message();
        const size_t before = outlook.store->Actions().size();
        region.Activate();
        const std::vector<std::string> done(outlook.store->Actions().begin() + static_cast<long>(before),
                                            outlook.store->Actions().end());
        auto did = [&](const std::string& action) {
            return std::find(done.begin(), done.end(), action) != done.end();
        };
        SCOPED_TRACE(region.Describe());
        if (m.entryId.rfind("ical:", 0) == 0) {
            EXPECT_TRUE(done.empty()) << done.front();
            ++fromTheFile;
            continue;
        }
        switch (m.message) {
        case CMainFrame::kOpenAppointmentMsg:
        case CMainFrame::kOpenTaskMsg:
            EXPECT_TRUE(did("Display " + m.entryId));
            EXPECT_TRUE(did("GetInspector " + m.entryId));
            break;
        case CMainFrame::kOpenFolderMsg:
            EXPECT_TRUE(did("GetExplorer " + m.entryId));
            EXPECT_TRUE(did("Explorer.Display " + m.entryId));
            break;
        case CMainFrame::kOpenDayMsg:
        {
            // The store answers Outlook 2016: the calendar's view goes to the day.
            const std::string goTo = "GoToDate " + COleDateTime(static_cast<double>(m.day)).Format("%Y-%m-%d") + " ";
            EXPECT_TRUE(std::any_of(done.begin(), done.end(), [&](const std::string& a) { return a.rfind(goTo, 0) == 0; }));
        }
            EXPECT_FALSE(std::any_of(done.begin(), done.end(), [](const std::string& a) { return a.rfind("Items.Add", 0) == 0; }));
            EXPECT_EQ(outlook.store->CountSubject("Orvanta helper"), 0);
            break;
        case CMainFrame::kNewAppointmentMsg: EXPECT_TRUE(did("CreateItem 1")); break;
        case CMainFrame::kNewTaskMsg: EXPECT_TRUE(did("CreateItem 3")); break;
        case CMainFrame::kNewMailMsg: EXPECT_TRUE(did("CreateItem 0")); break;
        case CMainFrame::kContactsMsg: EXPECT_TRUE(did("Explorer.Display FOLDER-CONTACTS")); break;
        case CMainFrame::kStartOutlookMsg: EXPECT_TRUE(done.empty()); break; // no Outlook window here to bring forward
        default: ADD_FAILURE() << "unexpected message " << m.message;
        }
        ++clicked[m.message];
    }
    for (unsigned message : {CMainFrame::kOpenAppointmentMsg, CMainFrame::kOpenTaskMsg, CMainFrame::kOpenFolderMsg,
                             CMainFrame::kOpenDayMsg, CMainFrame::kNewAppointmentMsg})
        EXPECT_GT(clicked[message], 0) << "no region sends " << message;
    EXPECT_EQ(fromTheFile, 2); // the event and the task
    EXPECT_TRUE(env.ui.boxes.empty());

    // After the frame is gone a stale click does nothing.
    frame.Window()->Send(Msg::Close);
    const size_t before = outlook.store->Actions().size();
    regions.GetAt(0).Activate();
    EXPECT_EQ(outlook.store->Actions().size(), before);
}

} // namespace

namespace {

// Settings saved by another process ("orvanta settings") reach the frame as the
// settings command with lParam 1: read again, redrawn at once, tray and timer follow.
TEST_F(MainFrameTest, SettingsSavedElsewhereAreTakenOverAtOnce) {
    Start();
    env.windows.Advance(300);
    ASSERT_EQ(frame.Tray()->DefaultItem(), static_cast<unsigned>(ID_POPUP));
    const int redraws = frame.Redraws();
    SetRegistryNumber("Refresh", 45);
    SetRegistryNumber("Doubleclick Action", 1);
    SetRegistryNumber("Systray Ico", 1);
    SetRegistryNumber("Orvanta style", 2);

    frame.Window()->Post(Msg::Command, ID_SETTINGS, CMainFrame::kSettingsSaved);
    env.windows.Advance(1);
    EXPECT_EQ(settings.m_style, 2);
    EXPECT_EQ(frame.Redraws(), redraws + 1);
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kRefreshTimer), 45000u);
    EXPECT_EQ(frame.Tray()->DefaultItem(), static_cast<unsigned>(ID_START_OUTLOOK));
    EXPECT_EQ(env.tray.picture, IDR_MAINFRAME);
    EXPECT_FALSE(frame.RefreshRequested());

    // The plain settings command is the tray's: it asks for the sheet and redraws nothing.
    frame.Window()->Post(Msg::Command, ID_SETTINGS, 0);
    env.windows.Advance(300);
    EXPECT_EQ(frame.Redraws(), redraws + 1);
}

} // namespace

namespace {

// The desktop mouse hook follows the data on the desktop: set at the first tick when
// "Use Interactive Desktop" is on and the data are shown, taken away while they are
// hidden, set again when they come back; the settings sheet's steps do the same.
TEST_F(MainFrameTest, TheHookIsSetAtStartRemovedWhileHiddenAndSetAgainWhenShown) {
    FakeDesktopPort desktop;
    ScopedPort<IDesktopPort> scope(desktop);
    ASSERT_TRUE(doc.CreateMappers());
    Start();
    EXPECT_FALSE(desktop.hookSet);
    env.windows.Advance(300);
    ASSERT_TRUE(desktop.hookSet);
    EXPECT_EQ(desktop.hookWindow, doc.DesktopMapper()->Handle());
    EXPECT_NE(doc.DesktopMapper()->Handle(), doc.PopupMapper()->Handle());
    frame.RouteCommand(ID_HIDE_DATA);
    EXPECT_FALSE(desktop.hookSet);
    EXPECT_FALSE(doc.DesktopMapper()->HookSet());
    frame.RouteCommand(ID_HIDE_DATA);
    EXPECT_TRUE(desktop.hookSet);
    // The desktop lock hides the data, and the hook with them.
    frame.OnDesktopLock(true);
    EXPECT_FALSE(desktop.hookSet);
    frame.OnDesktopLock(false);
    EXPECT_TRUE(desktop.hookSet);
    frame.ApplySettings({ApplyStep::RemoveHook});
    EXPECT_FALSE(desktop.hookSet);
    frame.ApplySettings({ApplyStep::InstallHook});
    EXPECT_TRUE(desktop.hookSet);
    // Each composition hands the desktop's mapper its new regions; the pop-up's picture
    // and regions are made only while a pop-up is open or opening.
    EXPECT_GT(doc.Composer().Regions().GetCount(), 0u);
    EXPECT_EQ(doc.Composer().PopupRegions().GetCount(), 0u);
    EXPECT_EQ(doc.Composer().PopupSurface(), nullptr);
    frame.RouteCommand(ID_POPUP);
    EXPECT_GT(doc.Composer().PopupRegions().GetCount(), 0u);
    EXPECT_NE(doc.Composer().PopupSurface(), nullptr);
}

TEST_F(MainFrameTest, NoHookWhenTheDesktopIsNotInteractiveOrTheDataAreHidden) {
    FakeDesktopPort desktop;
    ScopedPort<IDesktopPort> scope(desktop);
    ASSERT_TRUE(doc.CreateMappers());
    settings.m_useInteractiveDesktop = false;
    settings.Save();
    Start();
    env.windows.Advance(300);
    EXPECT_TRUE(desktop.calls.empty());
    frame.RouteCommand(ID_HIDE_DATA);
    frame.RouteCommand(ID_HIDE_DATA);
    EXPECT_FALSE(desktop.hookSet);
}

// A desktop tooltip goes at once when a window of ours opens over the desktop and when
// the data leave it (the user's "Hi&de Data", from the tray or the command line, or
// a lock), rather than stay up to its 10 seconds over the sheet or the bare desktop.
TEST_F(MainFrameTest, TheDesktopTooltipGoesWhenOurWindowsOpenOrTheDataLeave) {
    FakeDesktopPort desktop;
    ScopedPort<IDesktopPort> scope(desktop);
    ASSERT_TRUE(doc.CreateMappers());
    doc.DesktopMapper()->m_clock = [this] { return static_cast<std::uint64_t>(env.windows.nowMs); };
    Start();
    env.windows.Advance(300);
    // Two items of the picture: the pointer rests on each in turn (a tooltip taken away
    // comes back only after another item).
    const CRegionList& regions = doc.Composer().Regions();
    std::vector<std::pair<int, int>> points;
    for (size_t i = 0; i < regions.GetCount() && points.size() < 2; ++i) {
        const Rect r = regions.GetAt(i).Bounds();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        if (x > 0 && y > 0 && regions.HitTest(x, y) == &regions.GetAt(i) &&
            (points.empty() || regions.HitTest(points[0].first, points[0].second) != &regions.GetAt(i)))
            points.push_back({x, y});
    }
    ASSERT_EQ(points.size(), 2u);
    int turn = 0;
    auto rest = [&] {
        const auto [x, y] = points[static_cast<size_t>(turn++ % 2)];
        CDesktopMapper& mapper = *doc.DesktopMapper();
        mapper.Window()->Post(mapper.MoveMessage(), 0x200, (static_cast<intptr_t>(y) << 16) | x);
        env.windows.DeliverPosted();
        env.windows.Advance(1000);
        return desktop.windowShown;
    };
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"the settings sheet", [&] { frame.RouteCommand(ID_SETTINGS); }},
        {"the start-up information", [&] { frame.ShowStartupInfo(); }},
        {"the about box", [&] { frame.RouteCommand(ID_APP_ABOUT); }},
        {"the pop-up", [&] { frame.RouteCommand(ID_POPUP); }},
        {"Hide Data", [&] { frame.RouteCommand(ID_HIDE_DATA); }},
        {"hide from the command line", [&] { frame.Window()->Send(Msg::Command, ID_HIDE_DATA, 1); }},
        {"a lock", [&] { frame.OnDesktopLock(true); }},
    };
    for (const auto& [what, act] : cases) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(rest()) << "no tooltip to begin with";
        act();
        EXPECT_FALSE(desktop.windowShown);
        env.windows.Advance(300);
        // The data back on the desktop for the next case.
        if (frame.HiddenByLock()) frame.OnDesktopLock(false);
        if (settings.m_hideData) frame.RouteCommand(ID_HIDE_DATA);
    }
}

TEST_F(MainFrameTest, ThePopupCommandOpensThePopUpWithThePanelPicture) {
    FakeDesktopPort desktop;
    ScopedPort<IDesktopPort> scope(desktop);
    ASSERT_TRUE(doc.CreateMappers());
    Start();
    env.windows.Advance(300);
    frame.RouteCommand(ID_POPUP);
    ASSERT_EQ(desktop.popups, 1);
    EXPECT_EQ(desktop.popupWidth, 700);
    EXPECT_EQ(desktop.popupHeight, 526);
    EXPECT_EQ(desktop.popupWindow, Rect::FromSize((1920 - 700) / 2, (1080 - 526) / 2, 700, 526)); // the screen's middle
    EXPECT_TRUE(env.ui.boxes.empty());
    // It paints the pop-up picture of the last composition.
    int width = 0;
    desktop.popupSource->PaintPicture([](const PixelSurface& p, void* w) { *static_cast<int*>(w) = p.width; },
                                      &width);
    EXPECT_EQ(width, 700);
    // A thread that cannot be started is said, and nothing else happens.
    desktop.popupWorks = false;
    frame.RouteCommand(ID_POPUP);
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].text, "Failed to create PopUp screen");
    EXPECT_EQ(env.ui.boxes[0].flags, MsgBox::Ok | MsgBox::IconError);
    env.ui.boxes.clear();
    // With the panel on a monitor left of the primary, the pop-up opens in its middle.
    desktop.popupWorks = true;
    env.system.monitors = {MonitorInfo{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, true},
                           MonitorInfo{{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, false}};
    env.system.screen = ScreenMetrics{2, -1280, 0, 3200, 1080, 1920, 1080, 1920};
    settings.m_panelMonitor = 1;
    frame.RouteCommand(ID_POPUP);
    EXPECT_EQ(desktop.popupWindow, Rect::FromSize(-1280 + (1280 - 700) / 2, (1024 - 526) / 2, 700, 526));
    EXPECT_EQ(desktop.popupSource->Placement(), desktop.popupWindow);
    // While it is open, the displays change: each change that recomposes tells the open
    // window, which then finds its place in the middle of the panel's monitor as it is now.
    int told = 0;
    const int listener = desktop.popupSource->AddChangeListener([&] { ++told; });
    const struct Step {
        const char* what;
        std::function<void()> change;
        Rect expect;
    } steps[] = {
        {"the left monitor grew", [&] {
             env.system.monitors[1] = MonitorInfo{{-1600, 0, 0, 1200}, {-1600, 0, 0, 1200}, false};
             env.system.screen = ScreenMetrics{2, -1600, 0, 3520, 1200, 1920, 1080, 1920};
         }, Rect::FromSize(-1600 + (1600 - 700) / 2, (1200 - 526) / 2, 700, 526)},
        {"the left monitor went: the primary", [&] {
             env.system.monitors.pop_back();
             env.system.screen = ScreenMetrics{1, 0, 0, 1920, 1080, 1920, 1080, 1920};
         }, Rect::FromSize((1920 - 700) / 2, (1080 - 526) / 2, 700, 526)},
    };
    for (const Step& step : steps) {
        const int before = told;
        step.change();
        frame.Window()->Send(Msg::DisplayChange, 0, 0);
        EXPECT_GT(told, before) << step.what;
        EXPECT_EQ(desktop.popupSource->Placement(), step.expect) << step.what;
    }
    desktop.popupSource->RemoveChangeListener(listener);
    // Closed, the pop-up's picture is let go at the next composition and made again,
    // with the data of the last one, when a pop-up opens.
    desktop.ClosePopups();
    ASSERT_TRUE(doc.Compose());
    EXPECT_EQ(doc.Composer().PopupSurface(), nullptr);
    EXPECT_EQ(doc.Composer().PopupRegions().GetCount(), 0u);
    frame.RouteCommand(ID_POPUP);
    ASSERT_NE(doc.Composer().PopupSurface(), nullptr);
    EXPECT_EQ(doc.Composer().PopupSurface()->Width(), 700);
    EXPECT_GT(doc.Composer().PopupRegions().GetCount(), 0u);
}

} // namespace
