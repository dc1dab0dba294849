#include <gtest/gtest.h>

#include "FakePorts.h"
#include "outlook/store/StorePort.h"
#include "app/MainFrame.h"
#include "app/OrvantaDoc.h"
#include "app/OrvantaApp.h"
#include "app/OrvantaView.h"
#include "outlook/store/SubstituteOutlook.h"
#include "settings/AboutDlg.h"
#include "settings/AlreadyRunningDlg.h"
#include "settings/Settings.h"
#include "system/Registry.h"
#include "util/Strings.h"

namespace {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
    }
    FakeEnvironment env;
};

TEST_F(AppTest, StartUpCreatesFolderKeyAndHiddenWindowThenShutsDownCleanly) {
    {
        COrvantaApp app;
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(app.RegistryRoot(), "Software\\Kestrova\\Orvanta for Outlook\\3.5");
        EXPECT_EQ(app.DataFolder(), env.system.appData + "\\Kestrova\\Orvanta for Outlook");
        EXPECT_TRUE(env.system.dirs.count(app.DataFolder()));
        EXPECT_EQ(app.BuildLabel().size(), 9u);
        EXPECT_EQ(app.BuildLabel().substr(6), "x64");
        EXPECT_TRUE(app.NewerThanWindows2000());
        EXPECT_TRUE(env.windows.mainWindowCreated);
        ASSERT_NE(app.Document(), nullptr);
        EXPECT_FALSE(app.Document()->Engine().IsConnected()); // Outlook is reached later, by the timers
        EXPECT_EQ(env.windows.mainCaption(), "Orvanta for Outlook");
        EXPECT_EQ(env.automation.oleStarts, 1);
        EXPECT_TRUE(env.ui.boxes.empty());
        EXPECT_TRUE(env.mutexes.heldHere.count("OrvantaOutlookMutex"));
        // The guard looked at its own name first, then every sibling in order.
        EXPECT_EQ(env.mutexes.created,
                  (std::vector<std::string>{"OrvantaOutlookMutex", "CorvinelMutex",
                                            COrvantaApp::kSiblings[1].mutexName, "OrvantaLotusMutex",
                                            "OrvantaExchangeMutex"}));
        EXPECT_EQ(env.mutexes.heldHere.size(), 1u); // siblings' names are not kept
        ASSERT_NE(app.Settings(), nullptr);
        app.Settings()->m_transparency = 64;
        EXPECT_EQ(app.Run(), 0); // the fake loop closes the window at once
        app.ExitInstance();
        EXPECT_TRUE(env.mutexes.heldHere.empty());
    }
    RegValue v;
    ASSERT_EQ(env.registry.Tree(RegRoot::CurrentUser)
                  .QueryValue("Software\\Kestrova\\Orvanta for Outlook\\3.5", "Transparency", v),
              0);
    EXPECT_EQ(v.data[0], 64); // closing the window saved the settings
}

// Tray commands travel frame, view, document, application: "New Item" reaches the
// document's engine and "About" the application's dialog; others are nobody's.
TEST_F(AppTest, CommandsReachTheDocumentAndTheApplication) {
    StorePort outlook;
    std::string error;
    outlook.store = CSubstituteOutlook::Load(R"({"folders": [{"name": "Inbox", "role": "inbox"},
        {"name": "Calendar", "role": "calendar"}, {"name": "Tasks", "role": "tasks"}]})", 46000, error);
    ASSERT_TRUE(outlook.store) << error;
    ScopedPort<IAutomationPort> withOutlook{outlook};
    COrvantaApp app;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(app.View(), nullptr);
    EXPECT_EQ(&app.View()->GetDocument(), app.Document());
    ASSERT_TRUE(app.Document()->Engine().EnsureConnected());
    CMainFrame& frame = *app.MainFrame();
    EXPECT_TRUE(frame.RouteCommand(ID_NEW_APPOINTMENT));
    EXPECT_TRUE(frame.RouteCommand(ID_NEW_TASK));
    EXPECT_TRUE(frame.RouteCommand(ID_NEW_MAIL));
    const auto& actions = outlook.store->Actions();
    ASSERT_EQ(actions.size(), 12u);
    EXPECT_EQ(actions[0], "CreateItem 1");
    EXPECT_EQ(actions[4], "CreateItem 3");
    EXPECT_EQ(actions[8], "CreateItem 0");
    EXPECT_TRUE(env.ui.dialogs.empty());
    EXPECT_TRUE(frame.RouteCommand(ID_APP_ABOUT));
    ASSERT_EQ(env.ui.dialogs.size(), 1u);
    EXPECT_EQ(env.ui.dialogs[0].id, IDD_ABOUTBOX);
    EXPECT_NE(env.ui.dialogs[0].texts[IDC_ABOUT_VERSION].find(app.BuildLabel()), std::string::npos);
    EXPECT_FALSE(frame.RouteCommand(12345));
    app.ExitInstance();
}

TEST_F(AppTest, SecondCopyIsRefusedBeforeAnySiblingIsLookedAt) {
    env.mutexes.heldElsewhere = {"OrvantaOutlookMutex", "CorvinelMutex"};
    COrvantaApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].text, "Orvanta for Outlook is already active");
    EXPECT_EQ(env.ui.boxes[0].caption, "Orvanta for Outlook");
    EXPECT_TRUE(env.ui.dialogs.empty());
    EXPECT_EQ(env.mutexes.created, std::vector<std::string>{"OrvantaOutlookMutex"});
    EXPECT_FALSE(env.windows.mainWindowCreated);
    EXPECT_EQ(env.automation.oleStarts, 0);
    // Nothing was written for the user: no settings key.
    EXPECT_FALSE(env.registry.Tree(RegRoot::CurrentUser).KeyExists("Software\\Kestrova"));
}

// A mutex that cannot be made is no running copy: the start fails and says so.
TEST_F(AppTest, FailingOwnMutexIsAFailedStartNotAnotherCopy) {
    env.mutexes.failing = {"OrvantaOutlookMutex"};
    COrvantaApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].text,
              "Orvanta for Outlook cannot start: its single-instance lock could not be made");
    EXPECT_FALSE(env.windows.mainWindowCreated);
}

TEST_F(AppTest, FirstRunningSiblingIsNamedInBothPlaces) {
    env.mutexes.heldElsewhere = {"CorvinelMutex", "OrvantaLotusMutex"};
    {
        COrvantaApp app;
        EXPECT_FALSE(app.InitInstance());
        ASSERT_EQ(env.ui.dialogs.size(), 1u);
        EXPECT_EQ(env.ui.dialogs[0].id, IDD_ALREADY_RUNNING);
        EXPECT_EQ(env.ui.dialogs[0].texts[IDC_ALREADY_RUNNING_MESSAGE],
                  "Orvanta for Outlook can not start because Corvinel is already running. You first have "
                  "to exit Corvinel and then start Orvanta for Outlook again.");
        EXPECT_TRUE(env.ui.boxes.empty());
        app.ExitInstance();
    }
    EXPECT_TRUE(env.mutexes.heldHere.empty()); // the own mutex went with the refused start

    env.mutexes.heldElsewhere = {"OrvantaExchangeMutex"};
    env.ui.dialogs.clear();
    COrvantaApp second;
    EXPECT_FALSE(second.InitInstance());
    ASSERT_EQ(env.ui.dialogs.size(), 1u);
    EXPECT_NE(env.ui.dialogs[0].texts[IDC_ALREADY_RUNNING_MESSAGE].find("exit Orvanta for Exchange and"),
              std::string::npos);
}

TEST_F(AppTest, UnusableDataFolderEndsStartUpWithItsMessage) {
    env.system.failingDirs = {env.system.appData + "\\Kestrova"};
    COrvantaApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(env.ui.boxes.size(), 2u);
    EXPECT_EQ(env.ui.boxes[0].text, "Error while creating directory [" + env.system.appData + "]!");
    EXPECT_EQ(env.ui.boxes[1].text, "Failed to initialize application, exiting.");
    EXPECT_TRUE(env.mutexes.created.empty());
}

TEST_F(AppTest, OleFailureShowsItsMessageWithTheErrorIcon) {
    env.automation.oleWorks = false;
    COrvantaApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].text, LoadResString(IDS_OLE_INIT_FAILED));
    EXPECT_EQ(env.ui.boxes[0].flags & MsgBox::IconError, MsgBox::IconError);
}

TEST_F(AppTest, SmallDialogs) {
    EXPECT_EQ(COrvantaApp::MakeBuildLabel("Nov  4 2008"), "081104x64");
    EXPECT_EQ(CAboutDlg::VersionLine("081104x64"), "Orvanta for Outlook 3.5 (081104x64)");
    CAboutDlg("081104x64").DoModal();
    ASSERT_EQ(env.ui.dialogs.size(), 1u);
    EXPECT_EQ(env.ui.dialogs[0].texts[IDC_ABOUT_VERSION], "Orvanta for Outlook 3.5 (081104x64)");
    EXPECT_EQ(env.ui.dialogs[0].texts[IDC_ABOUT_COMPANY], "Kestrova");

    std::string lotus = CAlreadyRunningDlg::FormatRunningMessage(TXT_ALREADY_RUNNING_MESSAGE, "Orvanta for Lotus");
    EXPECT_EQ(lotus.find("%s"), std::string::npos);
    EXPECT_NE(lotus.find("because Orvanta for Lotus is"), std::string::npos);
    EXPECT_NE(lotus.find("exit Orvanta for Lotus and"), std::string::npos);
    EXPECT_EQ(CAlreadyRunningDlg::FormatRunningMessage("%s and %d%%", "100%s"), "100%s and %d%%");
}

} // namespace
