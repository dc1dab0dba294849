#include <gtest/gtest.h>

#include "FakePorts.h"
#include "settings/Settings.h"
#include "system/Registry.h"
#include "system/SystemInfo.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

// Records every value write on top of the in-memory registry.
class RecordingRegistry : public IRegistryPort {
public:
    CMemoryRegistry inner;
    std::vector<std::string> writes;
    struct Open {
        RegRoot root;
        std::string path;
        RegAccess access;
        bool operator==(const Open&) const = default;
    };
    std::vector<Open> opens;
    bool refuseAll = false;

    long OpenKey(RegRoot root, const std::string& path, RegAccess access,
                 std::unique_ptr<IRegistryKey>& key) override {
        if (refuseAll) return RegError::AccessDenied;
        opens.push_back({root, path, access});
        std::unique_ptr<IRegistryKey> k;
        long rc = inner.OpenKey(root, path, access, k);
        if (rc == 0) key = std::make_unique<Key>(*this, std::move(k));
        return rc;
    }
    long CreateKey(RegRoot root, const std::string& path, const std::string& cls,
                   std::unique_ptr<IRegistryKey>& key) override {
        if (refuseAll) return RegError::AccessDenied;
        std::unique_ptr<IRegistryKey> k;
        long rc = inner.CreateKey(root, path, cls, k);
        if (rc == 0) key = std::make_unique<Key>(*this, std::move(k));
        return rc;
    }
    long DeleteKeyTree(RegRoot root, const std::string& path) override {
        return inner.DeleteKeyTree(root, path);
    }

private:
    struct Key : IRegistryKey {
        RecordingRegistry& reg;
        std::unique_ptr<IRegistryKey> k;
        Key(RecordingRegistry& r, std::unique_ptr<IRegistryKey> key) : reg(r), k(std::move(key)) {}
        long QueryValue(const std::string& n, RegValue& v) override { return k->QueryValue(n, v); }
        long SetValue(const std::string& n, const RegValue& v) override {
            reg.writes.push_back(n);
            return k->SetValue(n, v);
        }
        long DeleteValue(const std::string& n) override { return k->DeleteValue(n); }
    };
};

class SettingsTest : public ::testing::Test {
protected:
    CSettings OpenedSettings() {
        CSettings s(kRoot);
        s.Open();
        return s;
    }
    FakeEnvironment env;
    CRegistryTree& Hkcu() { return env.registry.Tree(RegRoot::CurrentUser); }
    void PutText(const std::string& name, const std::string& text) {
        Hkcu().CreateKey(kRoot);
        Hkcu().SetValue(kRoot, name, RegValue::Text(text));
    }
    void PutNumber(const std::string& name, int32_t n) {
        Hkcu().CreateKey(kRoot);
        Hkcu().SetValue(kRoot, name, RegValue::Number(n));
    }
    RegValue Stored(const std::string& name) {
        RegValue v;
        Hkcu().QueryValue(kRoot, name, v);
        return v;
    }
};

TEST_F(SettingsTest, FirstStartCreatesTheKeyWithDefaultsRefreshAndTheLogonEntry) {
    CSettings s(kRoot);
    s.Open();
    EXPECT_TRUE(s.CreatedKey());
    RegValue refresh = Stored("Refresh");
    EXPECT_EQ(refresh.type, RegType::Dword);
    EXPECT_EQ(refresh.data, (std::vector<uint8_t>{20, 0, 0, 0}));
    RegValue run;
    ASSERT_EQ(Hkcu().QueryValue(CRegistry::kRunKey, "Orvanta for Outlook", run), 0);
    EXPECT_EQ(run.AsText(), env.system.shortModulePath);

    // Every value is present with the result of its absent rule.
    EXPECT_EQ(Stored("Time Style").AsText(), "0");
    EXPECT_EQ(Stored("Hide Data").AsText(), "FALSE");
    EXPECT_EQ(Stored("Doubleclick Action").data, (std::vector<uint8_t>{3, 0, 0, 0}));
    EXPECT_EQ(Stored("SideBar Width").data, (std::vector<uint8_t>{0x80, 1, 0, 0})); // 1920*20/100=384
    EXPECT_EQ(Stored("SideBarCalPosX").AsText(), "735");
    EXPECT_EQ(Stored("SideBarCalPosY").AsText(), "696");
    EXPECT_EQ(Stored("Hide On Desktop Lock").AsText(), "TRUE");

    CSettings again(kRoot);

    again.Open();
    EXPECT_FALSE(again.CreatedKey());
}

TEST_F(SettingsTest, HideDataIsOnlyTrueWhileTheKeyIsUnreadable) {
    RecordingRegistry broken;
    broken.refuseAll = true;
    {
        CSettings s(kRoot, &broken);
        s.Open();
        EXPECT_TRUE(s.m_hideData);
        EXPECT_EQ(s.m_timeStyle, 1); // initial value, never loaded
        EXPECT_EQ(s.m_refresh, 20);
        EXPECT_FALSE(s.CreatedKey());
        s.Save(); // writes nothing and does not fail
        EXPECT_TRUE(broken.writes.empty());
    }
    CSettings fresh(kRoot);
    fresh.Open();
    EXPECT_FALSE(fresh.m_hideData);
    EXPECT_EQ(fresh.m_timeStyle, 0); // absent "Time Style" means Outlook's clock
}

TEST_F(SettingsTest, ClampsAndDefaultsOfStoredNumbers) {
    struct Case {
        int32_t stored;
        int32_t expectWidth;
    } widths[] = {{100, 160}, {900, 400}, {250, 250}, {-3, 160}};
    for (const auto& c : widths) {
        PutNumber("SideBar Width", c.stored);
        CSettings s(kRoot);
        s.Open();
        EXPECT_EQ(s.m_sideBarWidth, c.expectWidth) << c.stored;
    }

    struct RefreshCase {
        int32_t stored;
        int32_t expect;
    } refreshes[] = {{0, 20}, {-1, 20}, {45, 45}, {1, 5}, {100000, 3600}};
    for (const auto& c : refreshes) {
        PutNumber("Refresh", c.stored);
        CSettings s(kRoot);
        s.Open();
        EXPECT_EQ(s.m_refresh, c.expect) << c.stored;
        // rewritten at once, as a number
        EXPECT_EQ(Stored("Refresh").data,
                  RegValue::Number(c.expect).data) << c.stored;
    }

    PutNumber("Transparency", 250);
    PutNumber("Orvanta style", 7);
    PutText("AppointmentsTask", "-20");
    CSettings s(kRoot);
    s.Open();
    EXPECT_EQ(s.m_transparency, 100);
    EXPECT_EQ(s.m_style, 0);
    EXPECT_EQ(s.m_appointmentsTask, 0);
}

TEST_F(SettingsTest, FlagsReadInAnyCaseAndOtherTextsGiveTheDefault) {
    PutText("Show Tasks", "false");    // default-on, lower case
    PutText("Show Calendar", "0");     // default-on, not a flag word
    PutText("KeepOnExit", "1");        // default-off, not a flag word
    PutText("Lounch Outlook", "tRuE"); // default-off, mixed case
    PutNumber("ShowSplash", 0);        // wrong type: unreadable, default-on
    PutText("Hide Data", "yes");
    CSettings s(kRoot);
    s.Open();
    EXPECT_FALSE(s.m_showTasks);
    EXPECT_TRUE(s.m_showCalendar);
    EXPECT_FALSE(s.m_keepOnExit);
    EXPECT_TRUE(s.m_launchOutlook);
    EXPECT_TRUE(s.m_showSplash);
    EXPECT_FALSE(s.m_hideData);
}

TEST_F(SettingsTest, NumberTextsAreReadOnlyWhenSetAndBooleansBecomeOne) {
    PutText("SideBarStyle", "7");
    PutText("OffsetType", "0");
    PutText("Footer Blank", ""); // empty keeps the initial value
    PutText("Header Blank", "12px");
    PutText("CalendarPosX", "garbage");
    CSettings s(kRoot);
    s.Open();
    EXPECT_TRUE(s.m_centralView);
    EXPECT_FALSE(s.m_offsetType);
    EXPECT_EQ(s.m_footerBlank, 35);
    EXPECT_EQ(s.m_headerBlank, 12);
    EXPECT_EQ(s.m_calendarPosX, 0);
    s.Save();
    EXPECT_EQ(Stored("SideBarStyle").AsText(), "1");
    EXPECT_EQ(Stored("Header Blank").AsText(), "12");
}

TEST_F(SettingsTest, OverlongAndWronglyTypedTextsAreIgnored) {
    PutText("Wallpaper", std::string(300, 'x'));
    PutNumber("WPStyle", 2);
    PutNumber("Time Style", 2);
    CSettings s(kRoot);
    s.Open();
    EXPECT_EQ(s.m_wallpaper, "");
    EXPECT_EQ(s.m_wpStyle, "");
    EXPECT_EQ(s.m_timeStyle, 0);
    // Nothing the user stored is thrown away until a save writes the record.
    EXPECT_EQ(Stored("Wallpaper").AsText().size(), 300u);
}

TEST_F(SettingsTest, SaveWritesTheTableOrderWithHeaderBlankTwice) {
    RecordingRegistry rec;
    CSettings s(kRoot, &rec);
    s.Open();
    rec.writes.clear();
    s.Save();
    std::vector<std::string> expected;
    for (const auto& v : CSettings::SaveOrder()) expected.push_back(v.name);
    EXPECT_EQ(rec.writes, expected);
    ASSERT_EQ(expected.size(), 41u);
    EXPECT_EQ(expected[25], "Header Blank");
    EXPECT_EQ(expected[27], "Right Margin Blank");
    EXPECT_EQ(expected[28], "Header Blank");
    EXPECT_EQ(rec.inner.Tree(RegRoot::CurrentUser).Values(kRoot).size(), 40u); // a reader sees one
}

TEST_F(SettingsTest, EveryPersistedFieldRoundTrips) {
    {
        CSettings s(kRoot);
        s.Open();
        s.m_wallpaper = "C:\\Pictures\\Beach.jpg";
        s.m_wpStyle = "2";
        s.m_style = 2;
        s.m_fdow = 1;
        s.m_systrayIcon = 1;
        s.m_doubleclickAction = 0;
        s.m_transparency = 55;
        s.m_sideBarWidth = 300;
        s.m_desktopMouseMode = 1;
        s.m_useInteractiveDesktop = false;
        s.m_showDesktopTooltip = false;
        s.m_showContacts = false;
        s.m_showAppointments = false;
        s.m_showTasks = false;
        s.m_showMessages = false;
        s.m_showCalendar = false;
        s.m_showWeekNumbers = false;
        s.m_hideData = true;
        s.m_hideOnDesktopLock = false;
        s.m_keepOnExit = true;
        s.m_showSplash = false;
        s.m_launchOutlook = true;
        s.m_timeStyle = 2;
        s.m_centralView = true;
        s.m_headerBlank = 11;
        s.m_footerBlank = 12;
        s.m_rightMarginBlank = 13;
        s.m_appointmentsTask = 40;
        s.m_offsetType = true;
        s.m_calendarPosX = -15;
        s.m_calendarPosY = 16;
        s.m_sideBarCalPosX = 17;
        s.m_sideBarCalPosY = 18;
        s.m_panelMonitor = 2;
        s.m_panelScale = 175;
        s.m_refresh = 60;
        s.m_showStartup = true;
        s.m_privateItems = 2;
        s.m_presenting = true;
        s.Save();
    }
    CSettings r(kRoot);
    r.Open();
    EXPECT_EQ(r.m_wallpaper, "C:\\Pictures\\Beach.jpg");
    EXPECT_EQ(r.m_wpStyle, "2");
    EXPECT_EQ(r.m_style, 2);
    EXPECT_EQ(r.m_fdow, 1);
    EXPECT_EQ(r.m_systrayIcon, 1);
    EXPECT_EQ(r.m_doubleclickAction, 0);
    EXPECT_EQ(r.m_transparency, 55);
    EXPECT_EQ(r.m_sideBarWidth, 300);
    EXPECT_EQ(r.m_desktopMouseMode, 1);
    EXPECT_FALSE(r.m_useInteractiveDesktop || r.m_showDesktopTooltip || r.m_showContacts ||
                 r.m_showAppointments || r.m_showTasks || r.m_showMessages || r.m_showCalendar ||
                 r.m_showWeekNumbers || r.m_hideOnDesktopLock || r.m_showSplash);
    EXPECT_TRUE(r.m_hideData && r.m_keepOnExit && r.m_launchOutlook && r.m_centralView &&
                r.m_offsetType && r.m_showStartup);
    EXPECT_EQ(r.m_timeStyle, 2);
    EXPECT_EQ(r.m_headerBlank, 11);
    EXPECT_EQ(r.m_footerBlank, 12);
    EXPECT_EQ(r.m_rightMarginBlank, 13);
    EXPECT_EQ(r.m_appointmentsTask, 40);
    EXPECT_EQ(r.m_calendarPosX, -15);
    EXPECT_EQ(r.m_calendarPosY, 16);
    EXPECT_EQ(r.m_sideBarCalPosX, 17);
    EXPECT_EQ(r.m_sideBarCalPosY, 18);
    EXPECT_EQ(r.m_panelMonitor, 2);
    EXPECT_EQ(r.m_panelScale, 175);
    EXPECT_EQ(r.m_refresh, 60);
    EXPECT_EQ(r.m_privateItems, 2);
    EXPECT_TRUE(r.m_presenting);
    EXPECT_EQ(r.EffectiveFirstDayOfWeek(), 6);
}

TEST_F(SettingsTest, LaunchAtStartupOffLeavesTheLogonEntryAlone) {
    PutText("LaunchAtStartup", "FALSE");
    CSettings s(kRoot);
    s.Open();
    EXPECT_FALSE(s.m_launchAtStartup);
    EXPECT_FALSE(CRegistry::RunEntryExists("Orvanta for Outlook"));
    // With the program path unknown no empty entry is written either.
    PutText("LaunchAtStartup", "TRUE");
    env.system.modulePath.clear();
    CSettings t(kRoot);
    t.Open();
    EXPECT_TRUE(t.m_launchAtStartup);
    EXPECT_FALSE(CRegistry::RunEntryExists("Orvanta for Outlook"));
}

TEST_F(SettingsTest, HideOnDesktopLockIsReadOnlyOnTheNtFamily) {
    PutText("Hide On Desktop Lock", "FALSE");
    env.system.version = {4, 10, 2222, 1, 1}; // Windows 98
    CSettings old(kRoot);
    old.Open();
    EXPECT_FALSE(old.m_hideOnDesktopLock); // initial value off the NT family
    PutText("Hide On Desktop Lock", "TRUE");
    CSettings stillOld(kRoot);
    stillOld.Open();
    EXPECT_FALSE(stillOld.m_hideOnDesktopLock);
    env.system.version = {10, 0, 19045, 2, 1}; // a current Windows counts as NT
    PutText("Hide On Desktop Lock", "FALSE");
    CSettings current(kRoot);
    current.Open();
    EXPECT_FALSE(current.m_hideOnDesktopLock);
}

TEST_F(SettingsTest, EffectiveFirstDayOfWeekAndDerivedValues) {
    env.system.screen = {2, -1280, 0, 3200, 1200, 1920, 1200, 1920};
    CSettings s(kRoot);
    s.Open();
    // The side bar's calendar is placed from its monitor's corner: centred on the primary.
    EXPECT_EQ(s.m_sideBarCalPosX, (1920 - 450) / 2);
    EXPECT_EQ(s.m_sideBarCalPosY, 1200 - 384);
    EXPECT_EQ(s.m_convertedPath, "c:\\users\\tester\\appdata\\roaming\\kestrova\\orvanta for outlook\\wallpaper.bmp");
    EXPECT_FALSE(s.m_converted);
    s.m_outlook.m_outlookFirstDayOfWeek = 3;
    s.m_fdow = 0;
    EXPECT_EQ(s.EffectiveFirstDayOfWeek(), 3);
    s.m_fdow = 1;
    EXPECT_EQ(s.EffectiveFirstDayOfWeek(), 6);
    s.m_fdow = 2;
    EXPECT_EQ(s.EffectiveFirstDayOfWeek(), 0);
    s.m_fdow = 9;
    EXPECT_EQ(s.EffectiveFirstDayOfWeek(), 3);
}

// A standard user may read keys it cannot change: every key is opened for what is
// done with it, and a key opened for reading refuses writes.
TEST_F(SettingsTest, KeysAreOpenedOnlyForWhatIsDoneWithThem) {
    RecordingRegistry rec;
    ScopedPort<IRegistryPort> withRecorder{rec};
    using O = RecordingRegistry::Open;
    const RegRoot hkcu = RegRoot::CurrentUser;
    CSettings s(kRoot);
    s.Open();
    rec.opens.clear();
    s.Load();
    EXPECT_EQ(rec.opens, (std::vector<O>{{hkcu, kRoot, RegAccess::ReadWrite},
                                         {hkcu, CRegistry::kRunKey, RegAccess::Write},
                                         {hkcu, std::string(kRoot) + "\\Sources", RegAccess::Read}}));
    rec.opens.clear();
    s.Save();
    EXPECT_EQ(rec.opens, (std::vector<O>{{hkcu, kRoot, RegAccess::Write}}));
    rec.opens.clear();
    EXPECT_TRUE(CRegistry::RunEntryExists("Orvanta for Outlook"));
    EXPECT_TRUE(CRegistry::DeleteRunEntry("Orvanta for Outlook"));
    EXPECT_EQ(rec.opens, (std::vector<O>{{hkcu, CRegistry::kRunKey, RegAccess::Read},
                                         {hkcu, CRegistry::kRunKey, RegAccess::Write}}));
    rec.opens.clear();
    ESystemInfo::OpenInBrowser("C:\\help\\Index.html");
    ASSERT_FALSE(rec.opens.empty());
    for (const auto& o : rec.opens) {
        EXPECT_EQ(o.root, RegRoot::ClassesRoot) << o.path;
        EXPECT_EQ(o.access, RegAccess::Read) << o.path;
    }

    CRegistry reg;
    ASSERT_TRUE(reg.Open(hkcu, kRoot));
    EXPECT_FALSE(reg.WriteText("Wallpaper", "x"));
    EXPECT_EQ(reg.LastError(), RegError::AccessDenied);
    ASSERT_TRUE(reg.Open(hkcu, kRoot, RegAccess::Write));
    std::string text;
    EXPECT_FALSE(reg.ReadText("WPStyle", text));
    EXPECT_EQ(reg.LastError(), RegError::AccessDenied);
}

TEST_F(SettingsTest, TheLogonCommandIsQuotedWhenItHoldsABlank) {
    env.system.shortModulePath = "C:\\Program Files\\Orvanta\\orvanta.exe"; // short names disabled
    CSettings s(kRoot);
    s.Open();
    RegValue run;
    ASSERT_EQ(Hkcu().QueryValue(CRegistry::kRunKey, "Orvanta for Outlook", run), 0);
    EXPECT_EQ(run.AsText(), "\"C:\\Program Files\\Orvanta\\orvanta.exe\"");
    env.system.shortModulePath = "C:\\PROGRA~1\\Orvanta\\orvanta.exe";
    EXPECT_EQ(CSettings::LogonCommand(), "C:\\PROGRA~1\\Orvanta\\orvanta.exe");
}

// The 260-character limit of text values counts the system's characters, not UTF-8
// bytes: ordinary Cyrillic and CJK paths survive a load and a save.
TEST_F(SettingsTest, NonLatinPathsOfOrdinaryLengthRoundTrip) {
    std::string cyrillic = "C:\\";
    while (cyrillic.size() < 3 + 137 * 2) cyrillic += "\xD0\x96"; // Ж: 140 characters, 277 bytes
    std::string cjk = "D:\\";
    while (cjk.size() < 3 + 97 * 3) cjk += "\xE5\xA3\x81"; // 壁: 100 characters, 294 bytes
    for (const std::string& path : {cyrillic, cjk}) {
        PutText("Wallpaper", path);
        CSettings s(kRoot);
        s.Open();
        EXPECT_EQ(s.m_wallpaper, path);
        s.Save();
        EXPECT_EQ(Stored("Wallpaper").AsText(), path);
    }
    std::string tooLong(259, 'x');
    PutText("Wallpaper", tooLong + "\xF0\x9F\x8C\x8A"); // 259 + a surrogate pair: 261 units
    EXPECT_EQ(OpenedSettings().m_wallpaper, "");
    PutText("Wallpaper", tooLong);
    EXPECT_EQ(OpenedSettings().m_wallpaper, tooLong);
}

} // namespace
