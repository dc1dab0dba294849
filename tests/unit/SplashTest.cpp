// The splash's timing and fade, its start from the application, and the start-up
// information dialog with its "ShowStartup" box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePorts.h"
#include "TempFolder.h"
#include "app/InfoStartupDlg.h"
#include "app/MainFrame.h"
#include "app/OrvantaApp.h"
#include "app/SplashThread.h"
#include "app/SplashWnd.h"
#include "settings/Settings.h"
#include "util/Strings.h"

namespace {

// The splash window as the logic sees it: every call recorded.
struct RecordedWindow : ISplashWindow {
    std::vector<std::string> calls;
    unsigned timerPeriod = 0; // of timer 102; 0 when not running
    bool layered = false;
    bool canFade = true;
    std::vector<int> alphas;
    void SetTimer(unsigned id, unsigned ms) override {
        calls.push_back("timer " + std::to_string(id) + " " + std::to_string(ms));
        if (id == CSplashWnd::kTimer) timerPeriod = ms;
    }
    void KillTimer(unsigned id) override {
        calls.push_back("kill " + std::to_string(id));
        if (id == CSplashWnd::kTimer) timerPeriod = 0;
    }
    void Centre() override { calls.push_back("centre"); }
    void ToggleLayered() override { layered = !layered; }
    bool CanFade() const override { return canFade; }
    void SetAlpha(int alpha) override { alphas.push_back(alpha); }
    void RequestClose() override { calls.push_back("close"); }
};

// Ticks timer 102 until the splash asks to close (at most `limit` ticks).
int TicksUntilClose(CSplashWnd& splash, RecordedWindow& w, int limit = 100) {
    for (int n = 1; n <= limit; ++n) {
        splash.OnTimer(w, CSplashWnd::kTimer);
        if (!w.calls.empty() && w.calls.back() == "close") return n;
    }
    return -1;
}

TEST(SplashWnd, ShownFourSecondsThenFadedInStepsOfTenEvery50MsThenClosed) {
    CSplashWnd splash(IDB_SPLASH);
    RecordedWindow w;
    splash.OnCreate(w);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"centre", "timer 102 4000"}));
    EXPECT_FALSE(splash.OnCloseRequest()); // Alt+F4 while it shows does nothing
    splash.OnTimer(w, 101);                // another timer is not the splash's
    EXPECT_TRUE(w.alphas.empty());

    const int ticks = TicksUntilClose(splash, w);
    EXPECT_EQ(ticks, 23); // 22 fade steps, then the close
    std::vector<int> expected;
    for (int a = 220; a > 0; a -= 10) expected.push_back(a);
    EXPECT_EQ(w.alphas, expected);
    EXPECT_TRUE(w.layered); // switched on once, at the first tick
    EXPECT_EQ(w.timerPeriod, 0u);
    EXPECT_TRUE(splash.Closing());
    EXPECT_TRUE(splash.OnCloseRequest());
}

TEST(SplashWnd, AClickBeforeTheFadeStartsItAtOnceAClickDuringItChangesNothing) {
    CSplashWnd splash(IDB_SPLASH);
    RecordedWindow w;
    splash.OnCreate(w);
    splash.OnLButtonDown(w);
    EXPECT_EQ(w.timerPeriod, 50u);
    EXPECT_FALSE(splash.Fading());
    splash.OnTimer(w, CSplashWnd::kTimer);
    EXPECT_TRUE(splash.Fading());
    EXPECT_EQ(w.alphas, std::vector<int>{220});
    const size_t calls = w.calls.size();
    splash.OnLButtonDown(w);
    EXPECT_EQ(w.calls.size(), calls);
    EXPECT_EQ(TicksUntilClose(splash, w), 22);
}

TEST(SplashWnd, WithoutLayeredWindowsItClosesAtTheFirstTick) {
    CSplashWnd splash(IDB_SPLASH);
    RecordedWindow w;
    w.canFade = false;
    splash.OnCreate(w);
    EXPECT_EQ(TicksUntilClose(splash, w), 1);
    EXPECT_TRUE(w.alphas.empty());
}

// --- started by the application ---------------------------------------------------

struct RecordingSplashPort : ISplashPort {
    bool works = true;
    std::vector<SplashSpec> started;
    std::shared_ptr<ISplashEvents> events;
    bool Start(const SplashSpec& desc, std::shared_ptr<ISplashEvents> e) override {
        if (!works) return false;
        started.push_back(desc);
        events = std::move(e);
        return true;
    }
};

// The program's data folder inside the test's own folder, so that a first tick's
// picture never lands beside the sources.
void DataFolderIn(FakeEnvironment& env, const TempFolder& dir) {
    env.system.appData = dir.File("AppData");
    env.system.dirs.insert(env.system.appData);
}

class AppSplashTest : public ::testing::Test {
protected:
    void SetUp() override { DataFolderIn(env, dir); }
    void SetShowSplash(bool show) {
        CSettings s("Software\\Kestrova\\Orvanta for Outlook\\3.5");
        s.Open();
        s.m_showSplash = show;
        s.Save();
    }
    FakeEnvironment env;
    TempFolder dir;
    RecordingSplashPort splash;
    ScopedPort<ISplashPort> splashScope{splash};
};

TEST_F(AppSplashTest, TheSplashShowsBitmap203WithTheBuildLabelBeforeTheMainWindowExists) {
    bool frameExisted = true;
    env.windows.mainWindowCreated = false;
    struct Watch : ISplashPort {
        RecordingSplashPort& inner;
        FakeWindowKit& windows;
        bool& frameExisted;
        Watch(RecordingSplashPort& i, FakeWindowKit& w, bool& f) : inner(i), windows(w), frameExisted(f) {}
        bool Start(const SplashSpec& desc, std::shared_ptr<ISplashEvents> e) override {
            frameExisted = windows.mainWindowCreated;
            return inner.Start(desc, std::move(e));
        }
    } watch(splash, env.windows, frameExisted);
    ScopedPort<ISplashPort> watching(watch);
    COrvantaApp app;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_EQ(splash.started.size(), 1u);
    EXPECT_FALSE(frameExisted);
    EXPECT_EQ(splash.started[0].pictureId, 203);
    EXPECT_FALSE(splash.started[0].fromFile);
    EXPECT_EQ(splash.started[0].caption, "");
    EXPECT_EQ(splash.started[0].versionText, app.BuildLabel());
    EXPECT_NE(dynamic_cast<CSplashWnd*>(splash.events.get()), nullptr);
    app.ExitInstance();
}

TEST_F(AppSplashTest, ShowSplashFalseStartsNoSplash) {
    SetShowSplash(false);
    COrvantaApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(splash.started.empty());
    app.ExitInstance();
}

TEST_F(AppSplashTest, ASplashThatCannotStartSaysSoAndEndsTheStartUp) {
    splash.works = false;
    COrvantaApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].text, "Failed to create splash screen");
    EXPECT_EQ(env.ui.boxes[0].flags, MsgBox::Ok | MsgBox::IconError);
    EXPECT_FALSE(env.windows.mainWindowCreated);
    app.ExitInstance();
}

// At a first start the start-up information follows the first drawing, but not over
// the splash: it waits until the splash has gone (its thread let go of its logic).
TEST_F(AppSplashTest, TheStartupInformationComesOnlyOnceTheSplashHasGone) {
    auto startupDialogs = [this] {
        int n = 0;
        for (const auto& d : env.ui.dialogs) n += d.id == 108;
        return n;
    };
    COrvantaApp app;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_EQ(splash.started.size(), 1u);
    env.windows.Advance(300); // the first tick: read, drawn
    env.windows.Advance(5100); // the splash's four seconds and its fade, still up
    EXPECT_EQ(startupDialogs(), 0) << "shown over the splash";
    splash.events.reset(); // the splash has gone
    env.windows.Advance(300);
    EXPECT_EQ(startupDialogs(), 1);
    env.windows.Advance(3000);
    EXPECT_EQ(startupDialogs(), 1);
    app.ExitInstance();
}

// --- the start-up information dialog -----------------------------------------------

class StartupInfoTest : public ::testing::Test {
protected:
    void SetUp() override { DataFolderIn(env, dir); }
    static constexpr const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
    int StartupDialogs() const {
        int n = 0;
        for (const auto& d : env.ui.dialogs) n += d.id == 108;
        return n;
    }
    bool StoredShowStartup() {
        CSettings s(kRoot);
        s.Load();
        return s.m_showStartup;
    }
    // A start of the program up to its first tick.
    void RunOnce() {
        COrvantaApp app;
        ASSERT_TRUE(app.InitInstance());
        env.windows.Advance(300);
        app.ExitInstance();
    }
    FakeEnvironment env;
    TempFolder dir;
};

TEST_F(StartupInfoTest, ShownAtTheFirstStartUntilItsBoxIsTicked) {
    RunOnce();
    ASSERT_EQ(StartupDialogs(), 1);
    EXPECT_FALSE(env.ui.dialogs.back().checks[1078]); // preset from ShowStartup FALSE
    EXPECT_FALSE(StoredShowStartup());
    RunOnce(); // not ticked: shown again
    EXPECT_EQ(StartupDialogs(), 2);

    env.ui.user = [](IDialogControls& dlg) { dlg.SetCheck(1078, true); };
    RunOnce();
    EXPECT_EQ(StartupDialogs(), 3);
    EXPECT_TRUE(StoredShowStartup());
    env.ui.user = nullptr;
    RunOnce();
    EXPECT_EQ(StartupDialogs(), 3); // ticked: not at start any more
}

TEST_F(StartupInfoTest, TheTrayCommandShowsItWhateverTheBoxAndStoresTheBox) {
    {
        CSettings s(kRoot);
        s.Open();
        s.m_showStartup = true;
        s.Save();
    }
    COrvantaApp app;
    ASSERT_TRUE(app.InitInstance());
    env.windows.Advance(300);
    EXPECT_EQ(StartupDialogs(), 0);
    ASSERT_TRUE(app.MainFrame()->RouteCommand(ID_SHOW_STARTUP_INFO));
    ASSERT_EQ(StartupDialogs(), 1);
    EXPECT_TRUE(env.ui.dialogs.back().checks[1078]); // preset ticked
    EXPECT_TRUE(StoredShowStartup());
    env.ui.user = [](IDialogControls& dlg) { dlg.SetCheck(1078, false); };
    app.MainFrame()->RouteCommand(ID_SHOW_STARTUP_INFO);
    EXPECT_FALSE(StoredShowStartup()); // saved at once
    app.ExitInstance();
}

} // namespace
