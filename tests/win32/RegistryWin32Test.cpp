// The registry accessor and the settings record against the real Windows registry.
#include <gtest/gtest.h>

#include <cstring>

#include "Win32TestUtil.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "system/Registry.h"

namespace {

TEST(Win32Registry, KeyPathIsCreatedLevelByLevelWithItsClass) {
    TempRegistryKey temp("KeyPath");
    const std::string path = temp.Path() + "\\Kestrova\\Orvanta for Outlook\\3.5";
    CRegistry reg;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(reg.Open(RegRoot::CurrentUser, path));
    EXPECT_EQ(reg.LastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(reg.CreateKeyPath(RegRoot::CurrentUser, path, "REG_BINARY")) << reg.LastError();
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, path));

    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
    wchar_t cls[64] = {};
    DWORD clsLen = 64;
    LONG rc = RegQueryInfoKeyW(h, cls, &clsLen, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr);
    RegCloseKey(h);
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(cls), L"REG_BINARY") << Narrow(cls);
}

TEST(Win32Registry, ReadRulesHoldForRealValueTypes) {
    TempRegistryKey temp("ReadRules");
    const std::string k = temp.Path();
    ASSERT_EQ(SetRawText(k, "Fits", std::string(259, 'a')), ERROR_SUCCESS);
    ASSERT_EQ(SetRawText(k, "TooLong", std::string(260, 'b')), ERROR_SUCCESS);
    ASSERT_EQ(SetRawDword(k, "Number", 0xFFFFFFF6u), ERROR_SUCCESS);
    ASSERT_EQ(SetRawText(k, "NumberAsText", "20"), ERROR_SUCCESS);
    const BYTE three[3] = {1, 2, 3};
    ASSERT_EQ(SetRaw(k, "Binary", REG_BINARY, three, 3), ERROR_SUCCESS);

    CRegistry reg;
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, k));
    std::string text = "stale";
    EXPECT_TRUE(reg.ReadText("Fits", text, 260));
    EXPECT_EQ(text.size(), 259u);
    text = "stale";
    EXPECT_FALSE(reg.ReadText("TooLong", text, 260));
    EXPECT_EQ(text, "");
    text = "stale";
    EXPECT_FALSE(reg.ReadText("Missing", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(reg.ReadText("Binary", text));

    int32_t n = 77;
    EXPECT_TRUE(reg.ReadNumber("Number", n));
    EXPECT_EQ(n, -10);
    for (const char* name : {"NumberAsText", "Binary", "Missing"}) {
        n = 77;
        EXPECT_FALSE(reg.ReadNumber(name, n)) << name;
        EXPECT_EQ(n, 77) << name;
    }
}

// The port asks the system for the rights of the operation: a key opened for
// reading refuses a write and one opened for writing refuses a read, both with the
// system's own error, so a read-only lookup never needs rights a standard user lacks.
TEST(Win32Registry, KeysAreOpenedWithTheRightsOfTheOperation) {
    TempRegistryKey temp("Rights");
    ASSERT_EQ(SetRawText(temp.Path(), "Value", "x"), ERROR_SUCCESS);
    CRegistry reg;
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, temp.Path(), RegAccess::Read));
    std::string text;
    EXPECT_TRUE(reg.ReadText("Value", text));
    EXPECT_FALSE(reg.WriteText("Value", "y"));
    EXPECT_EQ(reg.LastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(reg.DeleteValue("Value"));
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, temp.Path(), RegAccess::Write));
    EXPECT_FALSE(reg.ReadText("Value", text));
    EXPECT_EQ(reg.LastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(reg.WriteText("Value", "z"));
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, temp.Path(), "Value").text, L"z");
    // A read-only lookup in the machine-wide roots, as the browser search makes.
    EXPECT_TRUE(reg.Open(RegRoot::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion"));
}

// A text value is limited by the system's characters: 259 Cyrillic characters fit a
// 260-character buffer though they take 518 bytes as UTF-8.
TEST(Win32Registry, TextLimitsCountTheSystemsCharacters) {
    TempRegistryKey temp("Limits");
    std::string cyrillic;
    for (int i = 0; i < 259; ++i) cyrillic += "\xD0\x96";
    ASSERT_EQ(SetRawText(temp.Path(), "Fits", cyrillic), ERROR_SUCCESS);
    ASSERT_EQ(SetRawText(temp.Path(), "TooLong", cyrillic + "\xD0\x96"), ERROR_SUCCESS);
    CRegistry reg;
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, temp.Path()));
    std::string text;
    EXPECT_TRUE(reg.ReadText("Fits", text, 260));
    EXPECT_EQ(text, cyrillic);
    EXPECT_FALSE(reg.ReadText("TooLong", text, 260));
}

TEST(Win32Registry, TextOutsideTheAnsiCodePageSurvives) {
    TempRegistryKey temp("Unicode");
    CRegistry reg;
    ASSERT_TRUE(reg.CreateKeyPath(RegRoot::CurrentUser, temp.Path(), ""));
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, temp.Path(), RegAccess::ReadWrite));
    const std::string text = "C:\\Bilder\\Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8C\x8A.jpg";
    ASSERT_TRUE(reg.WriteText("Wallpaper", text));
    std::string back;
    ASSERT_TRUE(reg.ReadText("Wallpaper", back));
    EXPECT_EQ(back, text);
    RawValue raw = GetRaw(HKEY_CURRENT_USER, temp.Path(), "Wallpaper");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.text, Widen(text));
}

TEST(Win32Registry, LogonEntryInTheRealRunKey) {
    const std::string name = "Orvanta test entry";
    CRegistry::DeleteRunEntry(name);
    EXPECT_FALSE(CRegistry::RunEntryExists(name));
    ASSERT_TRUE(CRegistry::SetRunEntry(name, "C:\\PROGRA~1\\ORVANTA\\ORVANTA.EXE"));
    EXPECT_TRUE(CRegistry::RunEntryExists(name));
    RawValue raw = GetRaw(HKEY_CURRENT_USER, CRegistry::kRunKey, name);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.text, L"C:\\PROGRA~1\\ORVANTA\\ORVANTA.EXE");
    EXPECT_TRUE(CRegistry::DeleteRunEntry(name));
    EXPECT_FALSE(CRegistry::RunEntryExists(name));
}

TEST(Win32Settings, FirstLoadSaveAndReloadThroughTheRealRegistry) {
    TempRegistryKey temp("Settings");
    const std::string root = temp.Path() + "\\Orvanta for Outlook\\3.5";
    {
        CSettings s(root);
        s.Open();
        EXPECT_TRUE(s.CreatedKey());
        RawValue refresh = GetRaw(HKEY_CURRENT_USER, root, "Refresh");
        EXPECT_EQ(refresh.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(refresh.number, 20u);
        EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, root, "Hide Data").text, L"FALSE");
        EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, root, "Transparency").number, 30u);
        EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, root, "Footer Blank").text, L"35");
        EXPECT_FALSE(s.m_hideData);
        EXPECT_TRUE(s.m_hideOnDesktopLock); // Wine reports an NT-family Windows
        s.m_wallpaper = "C:\\Bilder\\Strand \xC3\xA4.jpg";
        s.m_transparency = 45;
        s.m_centralView = true;
        s.m_showTasks = false;
        s.m_headerBlank = 9;
        s.Save();
    }
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, root, "SideBarStyle").text, L"1");
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, root, "Show Tasks").text, L"FALSE");
    CSettings r(root);
    r.Open();
    EXPECT_FALSE(r.CreatedKey());
    EXPECT_EQ(r.m_wallpaper, "C:\\Bilder\\Strand \xC3\xA4.jpg");
    EXPECT_EQ(r.m_transparency, 45);
    EXPECT_TRUE(r.m_centralView);
    EXPECT_FALSE(r.m_showTasks);
    EXPECT_EQ(r.m_headerBlank, 9);
}

TEST(Win32Settings, BadValuesInTheRealRegistryAreMendedOrIgnored) {
    TempRegistryKey temp("BadSettings");
    const std::string root = temp.Path();
    SetRawText(root, "SideBarStyle", "7");
    SetRawDword(root, "SideBar Width", 900);
    SetRawDword(root, "Refresh", 0);
    SetRawText(root, "Transparency", "abc");
    SetRawDword(root, "Wallpaper", 5);
    SetRawText(root, "WPStyle", std::string(400, '2'));
    const BYTE bin[2] = {'T', 0};
    SetRaw(root, "Hide Data", REG_BINARY, bin, 2);
    SetRawText(root, "Show Tasks", "false");
    {
        CSettings s(root);
        s.Open();
        EXPECT_TRUE(s.m_centralView);
        EXPECT_EQ(s.m_sideBarWidth, 400);
        EXPECT_EQ(s.m_refresh, 20);
        EXPECT_EQ(s.m_transparency, 30);
        EXPECT_EQ(s.m_wallpaper, "");
        EXPECT_EQ(s.m_wpStyle, "");
        EXPECT_FALSE(s.m_hideData);
        EXPECT_FALSE(s.m_showTasks);
        RawValue refresh = GetRaw(HKEY_CURRENT_USER, root, "Refresh");
        EXPECT_EQ(refresh.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(refresh.number, 20u);
        s.Save();
    }
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, root, "SideBarStyle").text, L"1");
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, root, "SideBar Width").number, 400u);
    RawValue t = GetRaw(HKEY_CURRENT_USER, root, "Transparency");
    EXPECT_EQ(t.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(t.number, 30u);
}

} // namespace
