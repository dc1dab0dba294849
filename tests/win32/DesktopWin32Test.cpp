// The window kit, the tray icon and its menu, and the system wallpaper against real
// Win32 under Wine (inside the prefix's virtual desktop, which has a taskbar).
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <ole2.h>

#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "Win32TestUtil.h"
#include "WindowEventCases.h"
#include "Win32Tray.h"
#include "desktop/ActiveWallpaper.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "settings/SystemTray.h"
#include "util/Parser.h"
#include "util/Strings.h"

namespace {

// Runs the thread's message loop until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (!done()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

// Timers, commands and program messages as numbers (a command's id as wParam).
struct Recorder : IWindowEvents {
    std::vector<std::tuple<unsigned, uintptr_t, intptr_t>> seen;
    std::function<void(unsigned, uintptr_t, intptr_t)> also;
    bool Record(unsigned msg, uintptr_t wp, intptr_t lp) {
        if (msg == 0x8123) throw std::runtime_error("a handler that fails");
        seen.emplace_back(msg, wp, lp);
        if (also) also(msg, wp, lp);
        return true;
    }
    bool OnTimer(unsigned id) override { return Record(Msg::Timer, id, 0); }
    bool OnCommand(unsigned id, intptr_t argument) override { return Record(Msg::Command, id, argument); }
    bool OnAppMessage(const AppMessage& m) override { return m.msg >= Msg::App && Record(m.msg, m.wParam, m.lParam); }
    int Count(unsigned msg, uintptr_t wp) const {
        int n = 0;
        for (const auto& [m, w, l] : seen)
            if (m == msg && w == wp) ++n;
        return n;
    }
};

TEST(Win32WindowKit, TimersPostingSendingAndRegisteredMessages) {
    IWindowKit& kit = Port<IWindowKit>();
    Recorder events;
    auto window = kit.MakeWindow(WindowDesc{"Kit test", false}, events);
    ASSERT_NE(window, nullptr);
    HWND hwnd = reinterpret_cast<HWND>(window->Handle());
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(window->Caption(), "Kit test");

    ASSERT_TRUE(window->SetTimer(101, 30));
    EXPECT_TRUE(PumpUntil([&] { return events.Count(Msg::Timer, 101) >= 3; }, 3000));
    window->KillTimer(101);
    const int ticks = events.Count(Msg::Timer, 101);
    PumpUntil([] { return false; }, 150);
    EXPECT_EQ(events.Count(Msg::Timer, 101), ticks);

    EXPECT_TRUE(window->Post(0x8100, 5, 6));
    EXPECT_EQ(events.Count(0x8100, 5), 0); // not before the loop runs
    EXPECT_TRUE(PumpUntil([&] { return events.Count(0x8100, 5) == 1; }, 1000));
    window->Send(0x8101, 1, 2);
    EXPECT_EQ(events.Count(0x8101, 1), 1);
    // An exception in the handler stops at the window procedure.
    EXPECT_EQ(window->Send(0x8123, 0, 0), 0);
    EXPECT_TRUE(IsWindow(hwnd));

    const unsigned taskbar = kit.RegisterMessage("TaskbarCreated");
    EXPECT_EQ(taskbar, RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_GE(taskbar, 0xC000u);
    EXPECT_EQ(kit.MenuItemId(IDR_TRAY_MENU, 0, 2), static_cast<unsigned>(ID_SETTINGS));
    EXPECT_EQ(kit.MenuItemId(IDR_TRAY_MENU, 0, 0), 0u); // a submenu has no command
    EXPECT_EQ(kit.MenuItemId(IDR_TRAY_MENU, 0, 15), static_cast<unsigned>(ID_APP_EXIT));

    window->Destroy();
    EXPECT_FALSE(IsWindow(hwnd));
}

// Each message, sent and posted to a real window, reaches the handler as its typed
// event; a text goes with a SendText only (from this thread or another), never with a
// posted message of the same number whose wParam is an address.
TEST(Win32WindowKit, DecodesEachMessageIntoItsEvent) {
    EventLog events;
    auto window = Port<IWindowKit>().MakeWindow(WindowDesc{"Events", false}, events);
    ASSERT_NE(window, nullptr);
    HWND hwnd = reinterpret_cast<HWND>(window->Handle());
    const auto& cases = WindowEventCases();
    for (const auto& c : cases) {
        events.lines.clear();
        EXPECT_EQ(SendMessageW(hwnd, c.msg, c.wParam, c.lParam), c.result) << c.event;
        EXPECT_EQ(events.lines, EventsOf({c})) << c.msg;
    }
    // A setting change is only ever sent (its lParam may point at a section name):
    // the system refuses to post it.
    std::vector<WindowEventCase> posted;
    for (const auto& c : cases)
        if (c.msg != Msg::SettingChange) posted.push_back(c);
    events.lines.clear();
    for (const auto& c : posted) EXPECT_TRUE(PostMessageW(hwnd, c.msg, c.wParam, c.lParam)) << c.msg;
    const std::vector<std::string> expected = EventsOf(posted);
    EXPECT_TRUE(PumpUntil([&] { return events.lines.size() >= expected.size(); }, 3000));
    EXPECT_EQ(events.lines, expected);

    const std::string entry = "00000000A1B2";
    EXPECT_EQ(window->SendText(0x504, entry), 0);
    bool sent = false;
    std::thread other([&] { sent = window->SendText(0x505, "from another thread") == 0; });
    EXPECT_TRUE(PumpUntil([&] { return events.texts.size() == 2; }, 3000));
    other.join();
    EXPECT_TRUE(sent);
    PostMessageW(hwnd, 0x504, reinterpret_cast<WPARAM>(entry.c_str()), 0);
    PostMessageW(hwnd, 0x8000, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !events.lines.empty() && events.lines.back().rfind("app 32768 ", 0) == 0; },
                          3000));
    EXPECT_EQ(events.texts, (std::vector<std::string>{entry, "from another thread"}));
}

// Every item of an open menu as "text=id", submenus as "text>" followed by their items.
void ReadMenu(HMENU menu, std::vector<std::string>& out) {
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = 127;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            out.push_back("-");
        } else if (info.hSubMenu) {
            out.push_back(Narrow(text) + ">");
            ReadMenu(info.hSubMenu, out);
            out.push_back("<");
        } else {
            out.push_back(Narrow(text) + "=" + std::to_string(info.wID) + ((info.fState & MFS_CHECKED) ? " checked" : "") +
                          ((info.fState & MFS_DEFAULT) ? " default" : ""));
        }
    }
}

TEST(Win32Tray, TheMenuOpenedOnTheScreenHasEveryItemAndId) {
    IWindowKit& kit = Port<IWindowKit>();
    Recorder events;
    auto owner = kit.MakeWindow(WindowDesc{"Menu owner", false}, events);
    ASSERT_NE(owner, nullptr);
    std::vector<std::string> items;
    // While the menu is open its own loop runs; a timer of the owner reads the menu
    // window of the screen and closes it.
    events.also = [&](unsigned msg, uintptr_t wp, intptr_t) {
        if (msg != Msg::Timer || wp != 7) return;
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow)) return;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0));
        if (menu) ReadMenu(menu, items);
        owner->KillTimer(7);
        EndMenu();
    };
    owner->SetTimer(7, 100);
    MenuRequest request;
    request.menuId = IDR_TRAY_MENU;
    request.defaultItem = ID_HIDE_DATA;
    request.checked = {ID_STYLE_GREEN};
    ASSERT_TRUE(kit.TrackMenu(request, *owner));
    owner->KillTimer(7);
    const std::vector<std::string> expected = {
        "&New Item>", "A&ppointment=32799", "&Task=32800", "&Mail Message=32801", "<", "-",
        "&Settings=32785", "S&et Style>", "&Blue=32776", "&Green=32777 checked", "B&rown=32778", "<", "-",
        "&Help=32786", "Show Startup Info=32803", "&About Orvanta=57664", "-", "Hi&de Data=32795 default",
        "&Presenting=32804", "-", "Start &Outlook=32788", "&Refresh=32790", "-", "E&xit=57665"};
    EXPECT_EQ(items, expected);
}

// The shell holds an icon for (window, id) when it accepts a change to it.
bool ShellHasIcon(HWND hwnd, UINT id) {
    NOTIFYICONDATAW d{};
    d.cbSize = sizeof d;
    d.hWnd = hwnd;
    d.uID = id;
    d.uFlags = NIF_TIP;
    wcscpy(d.szTip, L"Orvanta for Outlook");
    return Shell_NotifyIconW(NIM_MODIFY, &d) != FALSE;
}

TEST(Win32Tray, IconDateIconDoubleClickAndTheTaskbarsReturn) {
    // Right after the prefix starts the taskbar can be missing for a moment.
    ASSERT_TRUE(PumpUntil([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }, 10000));
    // "bw.icl" is found beside the program whatever the current folder is (at log-on
    // it is another one): here one without the library.
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::filesystem::path folder = std::filesystem::path(exe).parent_path();
    ASSERT_TRUE(std::filesystem::exists(folder / "bw.icl"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    ASSERT_FALSE(std::filesystem::exists("bw.icl"));

    CSystemTray tray;
    ASSERT_TRUE(tray.Create(CSystemTray::kCallbackMessage, "Orvanta for Outlook", 32516, 195, false));
    HWND hwnd = reinterpret_cast<HWND>(tray.Window()->Handle());
    EXPECT_TRUE(ShellHasIcon(hwnd, 195));
    EXPECT_FALSE(ShellHasIcon(hwnd, 196));
    auto& port = dynamic_cast<CWin32TrayPort&>(Port<ITrayPort>());

    tray.SetIconBySetting(0, 8);
    EXPECT_EQ(port.CurrentPicture(), -1 - 7); // the 8th of the month: index 7
    tray.SetIconBySetting(1, 8);
    EXPECT_EQ(port.CurrentPicture(), IDR_MAINFRAME);
    tray.SetIconBySetting(0, 31);
    EXPECT_EQ(port.CurrentPicture(), -1 - 30);
    std::filesystem::current_path(before);
    // A library that cannot be had leaves the picture as it was.
    EXPECT_FALSE(port.SetIconFromLibrary("no-such-library.icl", 0, true));
    EXPECT_EQ(port.CurrentPicture(), -1 - 30);

    // Double click with "Doubleclick Action" 3: the command 32798 reaches the target.
    Recorder target;
    auto targetWindow = Port<IWindowKit>().MakeWindow(WindowDesc{"Target", false}, target);
    tray.SetTargetWindow(targetWindow.get());
    tray.SetMenuDefaultItem(ID_POPUP, false);
    SendMessageW(hwnd, CSystemTray::kCallbackMessage, 195, WM_LBUTTONDBLCLK);
    EXPECT_EQ(target.Count(Msg::Command, ID_POPUP), 1);
    SendMessageW(hwnd, CSystemTray::kCallbackMessage, 196, WM_LBUTTONDBLCLK); // not ours
    EXPECT_EQ(target.Count(Msg::Command, ID_POPUP), 1);

    // The shell loses its icons (as when it restarts) and announces the new taskbar.
    NOTIFYICONDATAW d{};
    d.cbSize = sizeof d;
    d.hWnd = hwnd;
    d.uID = 195;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &d));
    EXPECT_FALSE(ShellHasIcon(hwnd, 195));
    SendMessageW(hwnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(ShellHasIcon(hwnd, 195));

    tray.Remove();
    EXPECT_FALSE(ShellHasIcon(hwnd, 195));
}

// The real registry's wallpaper values, put back as they were after the test.
class Win32Wallpaper : public ::testing::Test {
protected:
    void SetUp() override {
        saved = GetRaw(HKEY_CURRENT_USER, CActiveWallpaper::kDesktopKey, "Wallpaper");
        wchar_t tmp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, tmp);
        folder = std::filesystem::path(tmp) / "orvanta-wallpaper-test";
        std::filesystem::create_directories(folder);
        picture = folder / "Lake View.BMP";
        // A 2 x 2 picture is enough for the system to take.
        const unsigned char bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                                     0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0};
        FILE* f = _wfopen(picture.wstring().c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        fwrite(bmp, 1, sizeof bmp, f);
        fclose(f);
    }
    void TearDown() override {
        if (saved.rc == ERROR_SUCCESS)
            SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(saved.text.c_str()),
                                  SPIF_UPDATEINIFILE);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string Utf8(const std::filesystem::path& p) { return Narrow(p.wstring()); }
    RawValue saved;
    std::filesystem::path folder, picture;
};

TEST_F(Win32Wallpaper, SetReadRestoreAndTheNameOnDisk) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); // the program runs with OLE started
    CSettings settings("Software\\OrvantaTests\\Wallpaper");
    CActiveWallpaper wallpaper(settings);
    const std::string path = Utf8(picture);
    ASSERT_TRUE(wallpaper.SetWallpaper(path, 0));
    // Wine creates the Active Desktop object, whose methods do nothing: the plain call
    // put the picture in place.
    EXPECT_EQ(wallpaper.LastActiveDesktopResult(), 0);
    EXPECT_EQ(wallpaper.ReadSystemWallpaper().wallpaper, path);
    EXPECT_EQ(Narrow(GetRaw(HKEY_CURRENT_USER, CActiveWallpaper::kDesktopKey, "Wallpaper").text), path);

    IWallpaperPort& port = Port<IWallpaperPort>();
    // The object says it did not apply the picture, so that the plain call is made even
    // for the name the system already has (a picture drawn anew under the same name).
    ASSERT_EQ(port.CreateActiveDesktop(), 0);
    EXPECT_FALSE(port.ActiveDesktopSet(path, 0));

    EXPECT_EQ(port.NameOnDisk(EParser::ToLower(path)), "Lake View.BMP");
    EXPECT_EQ(port.NameOnDisk(Utf8(folder / "missing.bmp")), "");
    const std::string expanded = port.ExpandEnvironment("%SystemRoot%\\x.bmp");
    EXPECT_EQ(expanded.find('%'), std::string::npos) << expanded;
    EXPECT_EQ(port.ExpandEnvironment("%NoSuchVariableHere%\\x"), "%NoSuchVariableHere%\\x");

    // Restore uses the name as stored on disk, not the lower-cased one remembered.
    settings.m_wallpaper = EParser::ToLower(path);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(L""), SPIF_UPDATEINIFILE);
    ASSERT_TRUE(wallpaper.Restore());
    const std::string restored = wallpaper.ReadSystemWallpaper().wallpaper;
    EXPECT_EQ(restored.substr(restored.size() - 13), "Lake View.BMP");
    OleUninitialize();
}

} // namespace
