// Hiding the data while the desktop is locked: the main window's decisions, the
// watcher's worker against a scripted desktop, and the main frame carrying out lock
// and unlock reports from the watcher and from the session's notices.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "FakePorts.h"
#include "TempFolder.h"
#include "app/MainFrame.h"
#include "app/OrvantaDoc.h"
#include "desktop/ActiveWallpaper.h"
#include "desktop/DesktopLockResponse.h"
#include "desktop/ScreenSaverWatcher.h"
#include "outlook/store/SubstituteOutlook.h"
#include "settings/Settings.h"
#include "util/Strings.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using S = LockStep;

// --- the decisions -------------------------------------------------------------------

TEST(DesktopLockResponse, NothingHappensUnlessHideOnDesktopLockIsOn) {
    LockState off{false, false, true, false};
    EXPECT_TRUE(CDesktopLockResponse::Steps(off, true).empty());
    off.hiddenByLock = true;
    EXPECT_TRUE(CDesktopLockResponse::Steps(off, false).empty());
}

TEST(DesktopLockResponse, ALockHidesShownDataInTheOrderTheTimerFirst) {
    EXPECT_EQ(CDesktopLockResponse::Steps({true, false, true, false}, true),
              (std::vector<LockStep>{S::StopRefreshTimer, S::HideDataInMemory, S::RemoveHook, S::MarkHiddenByLock,
                                     S::RestoreWallpaper}));
    // Without the interactive desktop there is no hook to remove.
    EXPECT_EQ(CDesktopLockResponse::Steps({true, false, false, false}, true),
              (std::vector<LockStep>{S::StopRefreshTimer, S::HideDataInMemory, S::MarkHiddenByLock,
                                     S::RestoreWallpaper}));
}

TEST(DesktopLockResponse, DataTheUserHidOrALockHidAlreadyAreLeftAlone) {
    // The user hid the data: a lock changes nothing, and the unlock does not show them.
    EXPECT_TRUE(CDesktopLockResponse::Steps({true, true, true, false}, true).empty());
    EXPECT_TRUE(CDesktopLockResponse::Steps({true, true, true, false}, false).empty());
    // The watcher repeats its lock report on every poll: only the first one acts.
    EXPECT_TRUE(CDesktopLockResponse::Steps({true, true, true, true}, true).empty());
    // An unlock of data shown all along does nothing either.
    EXPECT_TRUE(CDesktopLockResponse::Steps({true, false, true, false}, false).empty());
}

TEST(DesktopLockResponse, AnUnlockShowsWhatTheLockHidAndStartsTheClockAgain) {
    EXPECT_EQ(CDesktopLockResponse::Steps({true, true, true, true}, false),
              (std::vector<LockStep>{S::ShowDataInMemory, S::ClearHiddenByLock, S::InstallWallpaper, S::InstallHook,
                                     S::StartRefreshTimer}));
    EXPECT_EQ(CDesktopLockResponse::Steps({true, true, false, true}, false),
              (std::vector<LockStep>{S::ShowDataInMemory, S::ClearHiddenByLock, S::InstallWallpaper,
                                     S::StartRefreshTimer}));
}

TEST(ScreenSaverWatcher, EveryNtVersionIsWatchedOtherSystemsAreNot) {
    using W = CScreenSaverWatcher;
    EXPECT_EQ(W::Classify(false, OsVersion{6, 1, 0, 2, 1}), W::System::Unsupported);
    EXPECT_EQ(W::Classify(true, OsVersion{4, 10, 0, 1, 1}), W::System::Unsupported); // Windows 98
    EXPECT_EQ(W::Classify(true, OsVersion{3, 11, 0, 0, 1}), W::System::Unsupported); // Win32s
    EXPECT_EQ(W::Classify(true, OsVersion{4, 0, 1381, 2, 1}), W::System::OldNt);
    EXPECT_EQ(W::Classify(true, OsVersion{3, 51, 1057, 2, 1}), W::System::OldNt);
    for (auto [major, minor] : {std::pair{5u, 0u}, {5u, 1u}, {5u, 2u}, {6u, 0u}, {6u, 1u}, {6u, 2u}, {10u, 0u}})
        EXPECT_EQ(W::Classify(true, OsVersion{major, minor, 0, 2, 1}), W::System::Supported) << major << "." << minor;
    EXPECT_EQ(W::Classify(true, OsVersion{6, 0, 6002, 2, 3}), W::System::Supported); // Server 2008
}

// --- the worker ----------------------------------------------------------------------

// A desktop the test scripts: each poll takes the next state (locked or not), and the
// reports are recorded. A report can be made to block, as a send to a busy window does.
class ScriptedDesktop : public IDesktopLockPort {
public:
    struct Report {
        uintptr_t window;
        unsigned msg;
        intptr_t lParam;
    };
    std::deque<bool> script;  // the next polls' answers; then `after`
    bool after = false;
    bool saver = false;
    bool blockReports = false;
    std::vector<bool> saverAsked; // oldNt of each screen-saver question

    bool ScreenSaverRunning(bool oldNt) override {
        std::lock_guard<std::mutex> lock(m);
        saverAsked.push_back(oldNt);
        changed.notify_all();
        return saver;
    }
    bool SwitchToDefaultRefused() override {
        std::lock_guard<std::mutex> lock(m);
        ++polls;
        changed.notify_all();
        if (script.empty()) return after;
        const bool locked = script.front();
        script.pop_front();
        return locked;
    }
    void SendToWindow(uintptr_t window, unsigned msg, uintptr_t, intptr_t lParam) override {
        std::unique_lock<std::mutex> lock(m);
        reports.push_back({window, msg, lParam});
        inside = true;
        changed.notify_all();
        changed.wait(lock, [&] { return !blockReports; });
        inside = false;
        changed.notify_all();
    }
    bool sessionNotices = true; // the session's lock notices can be registered
    bool WatchSession(uintptr_t window) override {
        watched.push_back(window);
        return sessionNotices;
    }
    void UnwatchSession(uintptr_t window) override { unwatched.push_back(window); }

    // Waits (at most 10 s, so a fault fails instead of hanging) until done() holds.
    bool WaitUntil(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(m);
        return changed.wait_for(lock, std::chrono::seconds(10), done);
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m);
        blockReports = false;
        changed.notify_all();
    }
    std::vector<Report> Reports() {
        std::lock_guard<std::mutex> lock(m);
        return reports;
    }
    int Polls() {
        std::lock_guard<std::mutex> lock(m);
        return polls;
    }

    std::mutex m;
    std::condition_variable changed;
    std::vector<Report> reports;
    int polls = 0;
    bool inside = false;
    std::vector<uintptr_t> watched, unwatched;
};

class WatcherTest : public ::testing::Test {
protected:
    FakeSystemPort system; // Windows 7
    ScriptedDesktop desktop;
    ScopedPort<ISystemPort> systemScope{system};
    ScopedPort<IDesktopLockPort> desktopScope{desktop};
};

TEST_F(WatcherTest, LockIsReportedOnEveryPollAndTheUnlockOnce) {
    desktop.script = {false, true, true, true, false, false, true, false};
    CScreenSaverWatcher watcher;
    ASSERT_TRUE(watcher.Start(1, 0x4242));
    EXPECT_TRUE(watcher.Running());
    ASSERT_TRUE(desktop.WaitUntil([&] { return desktop.polls >= 12; }));
    EXPECT_TRUE(watcher.Stop());
    EXPECT_TRUE(watcher.Finished());
    EXPECT_FALSE(watcher.Running());
    std::vector<intptr_t> got;
    for (const auto& r : desktop.Reports()) {
        EXPECT_EQ(r.window, 0x4242u);
        EXPECT_EQ(r.msg, 0x511u);
        got.push_back(r.lParam);
    }
    EXPECT_EQ(got, (std::vector<intptr_t>{1, 1, 1, 0, 1, 0}));
    // Windows 7 is no NT 4: the screen saver is asked through the system setting.
    EXPECT_EQ(desktop.saverAsked.front(), false);
    // Stopped means stopped: no poll after Stop returned.
    const int polls = desktop.Polls();
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(desktop.Polls(), polls);
}

TEST_F(WatcherTest, ARunningScreenSaverIsNoLock) {
    desktop.after = true; // the switch fails throughout
    desktop.saver = true;
    CScreenSaverWatcher watcher;
    ASSERT_TRUE(watcher.Start(1, 1));
    ASSERT_TRUE(desktop.WaitUntil([&] { return desktop.saverAsked.size() >= 5; }));
    watcher.Stop();
    EXPECT_TRUE(desktop.Reports().empty());
    EXPECT_FALSE(CScreenSaverWatcher::IsLocked(desktop, false));
    desktop.saver = false;
    EXPECT_TRUE(CScreenSaverWatcher::IsLocked(desktop, false));
}

TEST_F(WatcherTest, OnNt4TheScreenSaverIsLookedForOnItsOwnDesktop) {
    system.version = OsVersion{4, 0, 1381, 2, 1};
    CScreenSaverWatcher watcher;
    ASSERT_TRUE(watcher.Start(1, 1));
    ASSERT_TRUE(desktop.WaitUntil([&] { return !desktop.saverAsked.empty(); }));
    watcher.Stop();
    EXPECT_EQ(desktop.saverAsked.front(), true);
}

TEST_F(WatcherTest, NothingIsWatchedWhereThereIsNoLockOrNoNtSystem) {
    system.version = OsVersion{4, 90, 3000, 1, 1}; // Windows Me
    CScreenSaverWatcher watcher;
    EXPECT_FALSE(watcher.Start(400, 1));
    EXPECT_FALSE(watcher.Running());
    system.versionKnown = false;
    system.version = OsVersion{6, 1, 7601, 2, 1};
    EXPECT_FALSE(watcher.Start(400, 1));
    EXPECT_EQ(desktop.Polls(), 0);
    system.versionKnown = true;
    CurrentPorts().desktopLock = nullptr; // the Linux build: no lock port
    EXPECT_FALSE(watcher.Start(400, 1));
    CurrentPorts().desktopLock = &desktop;
    EXPECT_TRUE(watcher.Stop()); // stopping a watcher that never ran is no wait
}

TEST_F(WatcherTest, ARunningWatcherOnlyTakesTheNewOwnerAndInterval) {
    desktop.after = true;
    CScreenSaverWatcher watcher;
    ASSERT_TRUE(watcher.Start(1, 1));
    ASSERT_TRUE(desktop.WaitUntil([&] { return !desktop.reports.empty(); }));
    ASSERT_TRUE(watcher.Start(2, 2));
    EXPECT_EQ(watcher.Interval(), 2u);
    ASSERT_TRUE(desktop.WaitUntil([&] { return desktop.reports.back().window == 2u; }));
    watcher.Stop();
    // One worker throughout: its lock was reported from the first poll on, and the
    // new owner got lock reports, never a first "unlocked".
    for (const auto& r : desktop.Reports()) EXPECT_EQ(r.lParam, 1);
}

// Stop is called on the main thread, which may be the very thread the worker's report
// waits for: the wait is bounded, and the worker ends on its own afterwards.
TEST_F(WatcherTest, StopGivesUpAfterItsBoundWhileTheWorkerWaitsInItsReport) {
    desktop.after = true;
    desktop.blockReports = true;
    auto watcher = std::make_unique<CScreenSaverWatcher>();
    ASSERT_TRUE(watcher->Start(1, 7));
    ASSERT_TRUE(desktop.WaitUntil([&] { return desktop.inside; }));
    const auto before = steady_clock::now();
    EXPECT_FALSE(watcher->Stop());
    const auto waited = std::chrono::duration_cast<milliseconds>(steady_clock::now() - before).count();
    EXPECT_GE(waited, 1800 - 50);
    EXPECT_LT(waited, 10000);
    EXPECT_FALSE(watcher->Finished());
    EXPECT_FALSE(watcher->Running());

    // A new start meanwhile gets a worker of its own; the blocked one never resumes.
    ASSERT_TRUE(watcher->Start(1, 8));
    ASSERT_TRUE(desktop.WaitUntil([&] { return desktop.reports.size() >= 2; }));
    // The watcher goes while both workers still wait in their reports; they own their
    // state and end once the reports return.
    watcher.reset();
    desktop.Release();
    ASSERT_TRUE(desktop.WaitUntil([&] { return !desktop.inside; }));
    std::this_thread::sleep_for(milliseconds(20));
    const size_t reports = desktop.Reports().size();
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(desktop.Reports().size(), reports); // nobody polls any more
}

// --- the main frame ------------------------------------------------------------------

constexpr const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
constexpr double kToday = 46363.0;

struct StoreOutlook : IAutomationPort {
    std::shared_ptr<CSubstituteOutlook> store;
    long CreateOutlook(AutoObjectPtr& app) override {
        if (!store) return AutoCode::ClassNotRegistered;
        app = store->Application();
        return 0;
    }
    std::string ErrorText(long) override { return {}; }
    bool StartOle() override { return true; }
    void StopOle() override {}
};

class FrameLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        outlook.store = CSubstituteOutlook::Load(R"({"folders": [{"name": "Inbox", "role": "inbox"},
            {"name": "Calendar", "role": "calendar"}, {"name": "Tasks", "role": "tasks"}]})",
                                                 kToday, error);
        ASSERT_TRUE(outlook.store) << error;
        env.wallpaper.WriteWallpaper("C:\\pics\\lake.bmp");
        settings.Open();
        settings.m_hideData = false;
        settings.m_hideOnDesktopLock = true;
        settings.m_showStartup = true;
        settings.m_refresh = 20;
        settings.Save();
        doc.Composer().SetOutputPath(dir.File("orvanta.bmp"));
        doc.m_beforeRead = [this] { return wallpaper.Capture(doc.Composer().OutputPath()); };
        auto now = [this] { return COleDateTime(kToday + 0.4 + env.windows.nowMs / 86400000.0); };
        doc.m_clock = now;
        frame.m_clock = now;
    }
    void TearDown() override { desktop.Release(); }
    void Start() {
        ASSERT_TRUE(frame.Create("Orvanta for Outlook"));
        frame.SetDocument(&doc);
        env.windows.Advance(300); // the first tick: drawn and installed
    }
    int OursSet() const {
        int n = 0;
        for (const auto& s : env.wallpaper.sets) n += s.find("orvanta.bmp") != std::string::npos;
        return n;
    }
    int UsersSet() const {
        int n = 0;
        for (const auto& s : env.wallpaper.sets) n += s == "spi|c:\\pics\\lake.bmp|0";
        return n;
    }
    void Notice(uintptr_t what) { frame.Window()->Send(Msg::SessionChange, what, 1); }
    bool StoredHideData() {
        CSettings stored(kRoot);
        stored.Load();
        return stored.m_hideData;
    }

    FakeEnvironment env;
    StoreOutlook outlook;
    ScopedPort<IAutomationPort> withOutlook{outlook};
    ScriptedDesktop desktop;
    ScopedPort<IDesktopLockPort> desktopScope{desktop};
    TempFolder dir;
    CSettings settings{kRoot};
    CActiveWallpaper wallpaper{settings};
    COrvantaDoc doc{settings};
    CMainFrame frame{settings, wallpaper};
};

TEST_F(FrameLockTest, ASessionLockShowsTheUsersPictureAndTheUnlockOursWithoutSavingEither) {
    Start();
    ASSERT_EQ(OursSet(), 1);
    EXPECT_EQ(desktop.watched, std::vector<uintptr_t>{frame.Window()->Handle()});

    Notice(SessionCode::Lock);
    EXPECT_TRUE(frame.HiddenByLock());
    EXPECT_TRUE(settings.m_hideData);
    EXPECT_FALSE(StoredHideData()); // in memory only
    // The session ends from the lock screen: the settings are saved, "Hide Data" as
    // the user had it, so the next start shows the data.
    EXPECT_EQ(frame.Window()->Send(Msg::QueryEndSession), 1);
    EXPECT_FALSE(StoredHideData());
    EXPECT_TRUE(settings.m_hideData);
    EXPECT_EQ(UsersSet(), 1);
    EXPECT_FALSE(env.windows.TimerRunning(CMainFrame::kRefreshTimer));
    // The watcher's reports repeat while locked: nothing more happens.
    for (int i = 0; i < 3; ++i) frame.Window()->Send(CMainFrame::kDesktopLockMsg, 0, 1);
    Notice(SessionCode::Lock);
    EXPECT_EQ(env.wallpaper.sets.size(), 2u);

    Notice(SessionCode::Unlock);
    EXPECT_FALSE(frame.HiddenByLock());
    EXPECT_FALSE(settings.m_hideData);
    EXPECT_EQ(OursSet(), 2);
    EXPECT_EQ(env.windows.TimerPeriod(CMainFrame::kRefreshTimer), 20000u);
    // The watcher's own unlock report after the session's comes to nothing.
    frame.Window()->Send(CMainFrame::kDesktopLockMsg, 0, 0);
    EXPECT_EQ(env.wallpaper.sets.size(), 3u);
    // Other session changes (a remote connection, a log-on) are no lock.
    Notice(1);
    Notice(5);
    EXPECT_FALSE(frame.HiddenByLock());
}

TEST_F(FrameLockTest, DataTheUserHidStayHiddenThroughALockAndItsUnlock) {
    Start();
    ASSERT_TRUE(frame.RouteCommand(ID_HIDE_DATA));
    const size_t sets = env.wallpaper.sets.size();
    Notice(SessionCode::Lock);
    EXPECT_FALSE(frame.HiddenByLock());
    Notice(SessionCode::Unlock);
    EXPECT_TRUE(settings.m_hideData);
    EXPECT_EQ(env.wallpaper.sets.size(), sets);
}

TEST_F(FrameLockTest, WithoutHideOnDesktopLockReportsAreIgnoredAndNothingIsWatched) {
    settings.m_hideOnDesktopLock = false;
    settings.Save();
    Start();
    EXPECT_FALSE(frame.Watcher().Running());
    Notice(SessionCode::Lock);
    frame.Window()->Send(CMainFrame::kDesktopLockMsg, 0, 1);
    EXPECT_FALSE(frame.HiddenByLock());
    EXPECT_EQ(OursSet(), 1);
    EXPECT_EQ(UsersSet(), 0);
}

// The poll switches the input desktop to test it, so it runs only where the session's
// own lock notices could not be registered; there it runs while the data are shown.
// Every way of starting it is tried: the frame's creation, showing the data again,
// the settings' Apply.
class FramePollTest : public FrameLockTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FramePollTest, ThePollRunsOnlyWhereTheSessionGivesNoLockNotices) {
    const bool notices = GetParam();
    desktop.sessionNotices = notices;
    Start();
    EXPECT_EQ(desktop.watched, std::vector<uintptr_t>{frame.Window()->Handle()});
    EXPECT_EQ(frame.Watcher().Running(), !notices) << "at creation";
    ASSERT_TRUE(frame.RouteCommand(ID_HIDE_DATA));
    EXPECT_FALSE(frame.Watcher().Running()) << "data hidden";
    ASSERT_TRUE(frame.RouteCommand(ID_HIDE_DATA));
    EXPECT_EQ(frame.Watcher().Running(), !notices) << "data shown again";
    frame.ApplySettings({ApplyStep::StopWatcher});
    EXPECT_FALSE(frame.Watcher().Running());
    frame.ApplySettings({ApplyStep::StartWatcher});
    EXPECT_EQ(frame.Watcher().Running(), !notices) << "the settings applied";

    if (notices) {
        // The input desktop was never switched to; a lock still reaches the frame.
        EXPECT_EQ(desktop.Polls(), 0);
        Notice(SessionCode::Lock);
        EXPECT_TRUE(frame.HiddenByLock());
    } else {
        EXPECT_EQ(frame.Watcher().Interval(), 400u);
        // A lock the poll sees: the report names this frame's window.
        desktop.after = true;
        ASSERT_TRUE(desktop.WaitUntil([&] { return !desktop.reports.empty(); }));
        const auto report = desktop.Reports().front();
        EXPECT_EQ(report.window, frame.Window()->Handle());
        EXPECT_EQ(report.msg, CMainFrame::kDesktopLockMsg);
        EXPECT_EQ(report.lParam, 1);
    }

    // The shutdown stops the watcher and gives up the session's notices it had.
    frame.Window()->Send(Msg::Close);
    EXPECT_FALSE(frame.Watcher().Running());
    EXPECT_EQ(desktop.unwatched, notices ? desktop.watched : std::vector<uintptr_t>{});
}

INSTANTIATE_TEST_SUITE_P(SessionNotices, FramePollTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Registered" : "Unavailable"; });

TEST_F(FrameLockTest, HideDataWhileALockHidTheDataShowsThemAndTheClockRunsAgain) {
    Start();
    Notice(SessionCode::Lock);
    ASSERT_TRUE(frame.HiddenByLock());
    // The menu shows "Hide Data" ticked; choosing it shows the data.
    ASSERT_TRUE(frame.RouteCommand(ID_HIDE_DATA));
    EXPECT_FALSE(frame.HiddenByLock());
    EXPECT_FALSE(settings.m_hideData);
    EXPECT_FALSE(StoredHideData());
    EXPECT_EQ(OursSet(), 2);
    EXPECT_TRUE(env.windows.TimerRunning(CMainFrame::kRefreshTimer));
    const int refreshes = frame.Refreshes();
    env.windows.Advance(20000);
    EXPECT_EQ(frame.Refreshes(), refreshes + 1);
}

TEST_F(FrameLockTest, HiddenDataAtStartAreNotWatched) {
    settings.m_hideData = true;
    settings.Save();
    Start();
    EXPECT_FALSE(frame.Watcher().Running());
}

} // namespace
