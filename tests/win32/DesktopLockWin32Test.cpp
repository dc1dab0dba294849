// The lock watcher's port and the splash window against the real system (Wine): the
// desktop tests, a report sent to a window whose thread is busy while Stop waits, the
// session notices, and the splash window as the port makes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>

#include "Win32DesktopLock.h"
#include "Win32Splash.h"
#include "app/SplashWnd.h"
#include "desktop/ScreenSaverWatcher.h"
#include "platform/Platform.h"
#include "util/Strings.h"

namespace {

// A plain window of this thread that records the lock reports it handles.
class ReportWindow {
public:
    ReportWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OrvantaLockReportTest";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ReportWindow() { DestroyWindow(hwnd); }
    void Pump(DWORD ms) {
        const DWORD start = GetTickCount();
        do {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(5);
        } while (GetTickCount() - start < ms);
    }
    HWND hwnd = nullptr;
    std::vector<LPARAM> reports;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ReportWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && msg == CScreenSaverWatcher::kLockMessage) {
            self->reports.push_back(lp);
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
};

TEST(DesktopLockWin32, WineNeverReportsALockOrARunningScreenSaver) {
    CWin32DesktopLock port;
    // SwitchDesktop is a stub that succeeds under Wine: no locked desktop can be made.
    EXPECT_FALSE(port.SwitchToDefaultRefused());
    EXPECT_FALSE(CScreenSaverWatcher::IsLocked(port, false));
    EXPECT_FALSE(port.ScreenSaverRunning(false));
    // There is no "Screen-saver" desktop to open (and opening is not denied).
    EXPECT_FALSE(port.ScreenSaverRunning(true));
    // The version Wine reports is watched.
    OsVersion v;
    ASSERT_TRUE(Port<ISystemPort>().GetOsVersion(v));
    EXPECT_EQ(CScreenSaverWatcher::Classify(true, v), CScreenSaverWatcher::System::Supported)
        << v.major << "." << v.minor << " platform " << v.platformId;
}

TEST(DesktopLockWin32, SessionNoticesCanBeAskedForOnARealWindow) {
    CWin32DesktopLock port;
    ReportWindow window;
    ASSERT_NE(window.hwnd, nullptr);
    EXPECT_TRUE(port.WatchSession(reinterpret_cast<uintptr_t>(window.hwnd)));
    port.UnwatchSession(reinterpret_cast<uintptr_t>(window.hwnd));
}

// The real port with a desktop that stays locked, so the worker reports at once.
class LockedDesktop : public CWin32DesktopLock {
public:
    bool SwitchToDefaultRefused() override { return true; }
    void SendToWindow(uintptr_t window, unsigned msg, uintptr_t wp, intptr_t lp) override {
        sending = true;
        CWin32DesktopLock::SendToWindow(window, msg, wp, lp);
        ++sent;
    }
    std::atomic<bool> sending{false};
    std::atomic<int> sent{0};
};

TEST(DesktopLockWin32, StopReturnsWithinItsBoundWhileTheReportWaitsForABusyWindow) {
    LockedDesktop desktop;
    ScopedPort<IDesktopLockPort> scope(desktop);
    ReportWindow window;
    auto watcher = std::make_unique<CScreenSaverWatcher>();
    ASSERT_TRUE(watcher->Start(10, reinterpret_cast<uintptr_t>(window.hwnd)));
    // This thread does not pump: the worker's SendMessageW waits for it.
    for (int i = 0; i < 500 && !desktop.sending; ++i) Sleep(10);
    ASSERT_TRUE(desktop.sending);
    Sleep(50);
    EXPECT_EQ(desktop.sent, 0);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(watcher->Stop());
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 1700u);
    EXPECT_LT(waited, 5000u);
    EXPECT_FALSE(watcher->Finished());
    // Once the window's thread pumps, the report arrives and the worker ends.
    for (int i = 0; i < 100 && !watcher->Finished(); ++i) window.Pump(20);
    EXPECT_TRUE(watcher->Finished());
    ASSERT_FALSE(window.reports.empty());
    EXPECT_EQ(window.reports.front(), 1);
    EXPECT_EQ(desktop.sent, 1); // stopped: no further poll
}

// --- the splash window ---------------------------------------------------------------

struct FoundSplash {
    HWND hwnd = nullptr;
};

HWND FindSplash() {
    FoundSplash found;
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, 64);
            if (pid == GetCurrentProcessId() && wcscmp(cls, CWin32SplashPort::kSplashClass) == 0 &&
                IsWindowVisible(h)) {
                reinterpret_cast<FoundSplash*>(lp)->hwnd = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.hwnd;
}

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

TEST(SplashWin32, Bitmap203HasEightBitsPerPixelAndItsOwnColourTable) {
    HANDLE image = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SPLASH), IMAGE_BITMAP, 0, 0,
                              LR_CREATEDIBSECTION | LR_DEFAULTSIZE);
    ASSERT_NE(image, nullptr) << GetLastError();
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(image, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 400);
    EXPECT_EQ(dib.dsBm.bmHeight, 300);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 8);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, image);
    RGBQUAD table[256];
    const UINT used = GetDIBColorTable(mem, 0, 256, table);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(image);
    EXPECT_GT(used, 16u);
    // Not a grey ramp or the system palette: the picture's own colours.
    int coloured = 0;
    for (UINT i = 0; i < used; ++i)
        coloured += table[i].rgbRed != table[i].rgbGreen || table[i].rgbGreen != table[i].rgbBlue;
    EXPECT_GT(coloured, 8);
}

TEST(SplashWin32, TheWindowIsTheBitmapsSizeCentredTopMostOwnedAndAClickFadesItOut) {
    CWin32SplashPort port;
    auto splash = std::make_shared<CSplashWnd>(IDB_SPLASH);
    ASSERT_TRUE(port.Start(splash->Spec("081104x64"), splash));
    HWND h = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (h = FindSplash()) != nullptr; }, 5000));
    RECT r{};
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 300);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(r.left, work.left + (work.right - work.left - 400) / 2);
    EXPECT_EQ(r.top, work.top + (work.bottom - work.top - 300) / 2);
    const LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_FALSE(ex & WS_EX_LAYERED); // not fading yet
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & (WS_POPUP | WS_CAPTION), static_cast<LONG>(WS_POPUP));
    HWND owner = GetWindow(h, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    // Its own thread, not this one.
    EXPECT_NE(GetWindowThreadProcessId(h, nullptr), GetCurrentThreadId());
    // A close request of someone else's is refused while it shows.
    PostMessageW(h, WM_CLOSE, 0, 0);
    Sleep(200);
    EXPECT_TRUE(IsWindow(h));

    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 150));
    EXPECT_TRUE(WaitFor([&] { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }, 1000));
    // 22 steps of 50 ms, then gone with its owner.
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(h); }, 4000));
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_TRUE(splash->Closing());
}

TEST(SplashWin32, APictureThatCannotBeLoadedShowsNoWindowAndEndsTheThread) {
    CWin32SplashPort port;
    auto splash = std::make_shared<CSplashWnd>(std::string("C:\\no\\such\\splash.bmp"));
    ASSERT_TRUE(port.Start(splash->Spec(""), splash)); // the thread itself was made
    std::weak_ptr<CSplashWnd> left = splash;
    splash.reset();
    // The thread gives its logic up when it ends.
    EXPECT_TRUE(WaitFor([&] { return left.expired(); }, 3000));
    EXPECT_EQ(FindSplash(), nullptr);
}

} // namespace
