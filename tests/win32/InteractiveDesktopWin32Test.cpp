// The interactive desktop's Windows half under Wine: MouseHook.dll with a real
// low-level hook and the pointer moved by xdotool; the icon test against a list view
// in another process (fake-shell.exe) and, for the fallback, in this one; the
// tooltip window as it stands on the screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "Win32DesktopTestUtil.h"
#include "Win32IconTest.h"
#include "Win32TestUtil.h"
#include "desktop/ToolTip.h"
#include "platform/HookMessages.h"
#include "platform/Platform.h"

namespace {

std::wstring Beside(const wchar_t* name) {
    wchar_t buf[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring self(buf);
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

class HookLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        lib = LoadLibraryW(Beside(L"MouseHook.dll").c_str());
        ASSERT_NE(lib, nullptr) << GetLastError();
        set = reinterpret_cast<BOOL (*)(HWND)>(reinterpret_cast<void*>(GetProcAddress(lib, "setMyHook")));
        clear = reinterpret_cast<BOOL (*)(HWND)>(reinterpret_cast<void*>(GetProcAddress(lib, "clearMyHook")));
        extra = reinterpret_cast<BOOL (*)(int)>(reinterpret_cast<void*>(GetProcAddress(lib, "SetExtraEvent")));
        ASSERT_TRUE(set && clear && extra);
        move = RegisterWindowMessageA(HookMessages::kMouseMove);
        click = RegisterWindowMessageA(HookMessages::kClick);
        dbl = RegisterWindowMessageA(HookMessages::kDoubleClick);
        other = RegisterWindowMessageA(HookMessages::kOtherEvent);
        // Receives the hook's messages; never shown.
        receiver = CreateWindowExW(0, L"STATIC", L"receiver", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        // A window of ours on the desktop: the pointer over it is not over the desktop.
        cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"cover", WS_POPUP | WS_VISIBLE, 600,
                                300, 200, 150, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(receiver && cover);
        ASSERT_TRUE(MovePointer(50, 60)) << "xdotool did not move the pointer";
        Gather(receiver, 100);
    }
    void TearDown() override {
        if (clear) clear(receiver);
        DestroyWindow(cover);
        DestroyWindow(receiver);
        // The library stays loaded: a hook thread may have run its code.
    }
    std::vector<Seen> Of(const std::vector<Seen>& all, UINT msg) {
        std::vector<Seen> out;
        for (const Seen& s : all)
            if (s.msg == msg) out.push_back(s);
        return out;
    }

    HMODULE lib = nullptr;
    BOOL (*set)(HWND) = nullptr;
    BOOL (*clear)(HWND) = nullptr;
    BOOL (*extra)(int) = nullptr;
    UINT move = 0, click = 0, dbl = 0, other = 0;
    HWND receiver = nullptr, cover = nullptr;
};

TEST_F(HookLibrary, MovesClicksAndDoubleClicksOverTheDesktopReachTheWindowGiven) {
    ASSERT_TRUE(set(receiver));
    ASSERT_TRUE(MovePointer(200, 300));
    auto count = [](UINT msg, size_t n) {
        return [msg, n](const std::vector<Seen>& s) {
            size_t k = 0;
            for (const Seen& x : s) k += x.msg == msg;
            return k >= n;
        };
    };
    std::vector<Seen> seen = GatherUntil(receiver, count(move, 1), 3000, 100);
    std::vector<Seen> moves = Of(seen, move);
    ASSERT_FALSE(moves.empty()) << "no move message";
    EXPECT_EQ(moves.back().wp, static_cast<WPARAM>(WM_MOUSEMOVE));
    // No shell under Wine: the desktop window itself, whose client area is the screen.
    EXPECT_EQ(moves.back().lp, PackPoint(200, 300));

    ASSERT_TRUE(Xdotool(L"click 1"));
    seen = GatherUntil(receiver, count(click, 1), 3000, 300);
    std::vector<Seen> clicks = Of(seen, click);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(clicks[0].wp), GetDesktopWindow()) << "the window under the mouse";
    EXPECT_EQ(clicks[0].lp, PackPoint(200, 300));
    EXPECT_TRUE(Of(seen, dbl).empty());

    // Two presses within the double-click time: a click, then a double click.
    ASSERT_TRUE(Xdotool(L"click --repeat 2 --delay 80 1"));
    seen = GatherUntil(receiver, count(dbl, 1), 3000, 200);
    EXPECT_EQ(Of(seen, click).size(), 1u);
    std::vector<Seen> doubles = Of(seen, dbl);
    ASSERT_EQ(doubles.size(), 1u);
    EXPECT_EQ(doubles[0].lp, PackPoint(200, 300));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(Of(seen, click).front().msg, click);
}

TEST_F(HookLibrary, OverOtherWindowsNothingButOneOtherEventOnLeaving) {
    ASSERT_TRUE(set(receiver));
    ASSERT_TRUE(MovePointer(200, 300));
    Gather(receiver, 300);
    ASSERT_TRUE(MovePointer(650, 350)); // onto our window
    ASSERT_TRUE(MovePointer(660, 360));
    ASSERT_TRUE(Xdotool(L"click 1"));
    auto hasOther = [this](const std::vector<Seen>& s) {
        for (const Seen& x : s)
            if (x.msg == other) return true;
        return false;
    };
    std::vector<Seen> seen = GatherUntil(receiver, hasOther, 3000, 300);
    EXPECT_TRUE(Of(seen, move).empty());
    EXPECT_TRUE(Of(seen, click).empty());
    std::vector<Seen> others = Of(seen, other);
    ASSERT_EQ(others.size(), 1u) << "once, on leaving the desktop";
    EXPECT_EQ(others[0].lp, -1) << "no tooltip is up: only the resting delay ends";

    // While a tooltip is up, leaving the desktop hides it (a point, not -1), and so does
    // a press elsewhere.
    extra(1);
    ASSERT_TRUE(MovePointer(200, 300));
    ASSERT_TRUE(MovePointer(650, 350));
    ASSERT_TRUE(Xdotool(L"click 1"));
    seen = GatherUntil(
        receiver, [this](const std::vector<Seen>& s) { return Of(s, other).size() >= 2; }, 3000, 200);
    others = Of(seen, other);
    ASSERT_EQ(others.size(), 2u);
    EXPECT_GE(others[0].lp, 0);
    EXPECT_GE(others[1].lp, 0);
    extra(0);
}

TEST_F(HookLibrary, NothingArrivesAfterASuccessfulClearAndOnlyItsWindowClearsIt) {
    ASSERT_TRUE(set(receiver));
    EXPECT_FALSE(clear(cover)) << "the hook is the receiver's";
    EXPECT_TRUE(set(receiver)) << "set again while set";
    ASSERT_TRUE(clear(receiver));
    ASSERT_TRUE(MovePointer(220, 320));
    ASSERT_TRUE(Xdotool(L"click 1"));
    EXPECT_TRUE(Gather(receiver, 400).empty());
    EXPECT_TRUE(clear(receiver)) << "no hook: it is off";
    EXPECT_FALSE(set(nullptr));
}

// --- the icon test ------------------------------------------------------------------

std::set<std::wstring> TempIconFiles() {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    std::set<std::wstring> names;
    for (const wchar_t* pattern : {L"cvl*.tmp", L"CVLmap.tmp"}) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((std::wstring(dir) + pattern).c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) continue;
        do names.insert(fd.cFileName);
        while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return names;
}

struct FakeShell {
    FakeShell() {
        wchar_t tmp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, tmp);
        out = std::wstring(tmp) + L"orvanta-fake-shell.txt";
        DeleteFileW(out.c_str());
        STARTUPINFOW si{};
        si.cb = sizeof si;
        const std::wstring exe = Beside(L"fake-shell.exe");
        std::wstring cmd = L"\"" + exe + L"\" \"" + out + L"\"";
        started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        for (int i = 0; started && i < 300 && !Read(); ++i) Sleep(50);
    }
    ~FakeShell() {
        if (!started) return;
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        DeleteFileW(out.c_str());
    }
    bool Read() {
        std::ifstream in(out.c_str());
        unsigned long long h = 0;
        if (!(in >> h >> label.left >> label.top >> label.right >> label.bottom >> empty.x >> empty.y)) return false;
        list = reinterpret_cast<HWND>(static_cast<UINT_PTR>(h));
        return true;
    }
    std::wstring out;
    bool started = false;
    PROCESS_INFORMATION pi{};
    HWND list = nullptr;
    RECT label{};
    POINT empty{};
};

TEST(IconTest, AListViewInTheShellsProcessAnswersThroughItsOwnMemory) {
    const std::set<std::wstring> before = TempIconFiles();
    FakeShell shell;
    ASSERT_TRUE(shell.started);
    ASSERT_TRUE(IsWindow(shell.list)) << "fake-shell.exe wrote no list view";
    DWORD pid = 0;
    GetWindowThreadProcessId(shell.list, &pid);
    ASSERT_NE(pid, GetCurrentProcessId());
    // The chain the desktop's hook and icon test look for.
    HWND progman = FindWindowW(L"Progman", L"Program Manager");
    ASSERT_NE(progman, nullptr);
    EXPECT_EQ(GetParent(GetParent(shell.list)), progman);
    ASSERT_GT(shell.label.right, shell.label.left);

    IconTest::Method used = IconTest::Method::None;
    const int lx = (shell.label.left + shell.label.right) / 2, ly = (shell.label.top + shell.label.bottom) / 2;
    EXPECT_TRUE(IconTest::IsIconAt(shell.list, lx, ly, &used)) << "on the first icon's label " << lx << "," << ly;
    EXPECT_EQ(used, IconTest::Method::Direct);
    EXPECT_FALSE(IconTest::IsIconAt(shell.list, shell.empty.x, shell.empty.y, &used)) << "an empty spot";
    EXPECT_EQ(used, IconTest::Method::Direct);
    // Through the port the program uses.
    EXPECT_TRUE(Port<IDesktopPort>().IsIconAt(reinterpret_cast<uintptr_t>(shell.list), lx, ly));
    EXPECT_EQ(TempIconFiles(), before) << "a temporary file was left behind";
}

TEST(IconTest, WindowsThatAreNoListViewHaveNoIcons) {
    IconTest::Method used = IconTest::Method::Direct;
    // The bare desktop window (Wine without a shell) would answer LVM_HITTEST with 0.
    EXPECT_FALSE(IconTest::IsIconAt(GetDesktopWindow(), 10, 10, &used));
    EXPECT_EQ(used, IconTest::Method::None);
    EXPECT_FALSE(IconTest::IsIconAt(nullptr, 10, 10, &used)); // the pop-up forwards 0
}

TEST(IconTest, TheFallbackMappingWorksInThisProcessAndLeavesNoFile) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND host = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 700, 20, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 300, 200, host, nullptr,
                                nullptr, nullptr);
    ASSERT_TRUE(list) << host << " " << GetLastError();
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 0);
    ImageList_AddIcon(images, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)));
    ListView_SetImageList(list, images, LVSIL_NORMAL);
    const std::set<std::wstring> before = TempIconFiles();
    EXPECT_FALSE(IconTest::IsIconAtByMapping(list, 5, 5)) << "no icons";
    EXPECT_EQ(TempIconFiles(), before) << "no icons: no file either";
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(L"Notes");
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    RECT label{};
    label.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label));
    const int lx = (label.left + label.right) / 2, ly = (label.top + label.bottom) / 2;
    bool usable = false;
    EXPECT_TRUE(IconTest::IsIconAtDirect(list, lx, ly, usable)) << lx << "," << ly;
    EXPECT_TRUE(IconTest::IsIconAtByMapping(list, lx, ly)) << lx << "," << ly;
    EXPECT_FALSE(IconTest::IsIconAtByMapping(list, 290, 190));
    EXPECT_EQ(TempIconFiles(), before) << "the temporary file was not deleted";
    DestroyWindow(host);
}

// --- the tooltip window ---------------------------------------------------------------

HWND TooltipWindow() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, 64);
            if (wcscmp(cls, L"OrvantaToolTip") == 0 && IsWindowVisible(h)) {
                *reinterpret_cast<HWND*>(lp) = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(ToolTipWindow, StandsTopmostInTheTooltipColoursWithoutTakingTheActivation) {
    HWND before = GetForegroundWindow();
    CToolTip tip;
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Appointment", 300, 200, 0));
    Gather(nullptr, 300);
    HWND w = TooltipWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetForegroundWindow(), before);
    const LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_FALSE(GetWindowLongPtrW(w, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    HWND owner = GetWindow(w, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, tip.Placement().left);
    EXPECT_EQ(r.top, 200 + GetSystemMetrics(SM_CYCURSOR));
    // Measured in the icon-title font: wider than the text's 25 characters need at 3
    // pixels each, centred on the pointer.
    EXPECT_GT(r.right - r.left, 75);
    EXPECT_NEAR((r.left + r.right) / 2, 300, 1);

    // On the screen: the tooltip background inside a black border, text in the
    // tooltip text colour.
    const std::vector<uint32_t> px = ScreenPixels(r);
    const int w0 = r.right - r.left, h0 = r.bottom - r.top;
    EXPECT_EQ(px[0], 0u) << std::hex << px[0];
    EXPECT_EQ(px[static_cast<size_t>(h0 / 2) * w0 + 2], Rgb(GetSysColor(COLOR_INFOBK))) << std::hex;
    size_t text = 0;
    for (uint32_t p : px) text += p == Rgb(GetSysColor(COLOR_INFOTEXT));
    EXPECT_GT(text, 20u);

    // The same key keeps it; a click in it hides it.
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Appointment", 320, 200, 0));
    EXPECT_EQ(TooltipWindow(), w);
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    Gather(nullptr, 100);
    EXPECT_FALSE(tip.Shown());
    EXPECT_EQ(TooltipWindow(), nullptr);
    // A key and its own timer hide it too.
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Task", 320, 200, 0));
    SendMessageW(TooltipWindow(), WM_CHAR, 'a', 0);
    EXPECT_FALSE(tip.Shown());
    ASSERT_TRUE(tip.ShowTooltipText("Click to open Task", 320, 200, 0));
    SendMessageW(TooltipWindow(), WM_TIMER, 101, 0);
    EXPECT_FALSE(tip.Shown());
    EXPECT_EQ(TooltipWindow(), nullptr);
}

} // namespace
