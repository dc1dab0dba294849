// MouseHook.dll: the desktop's mouse hook.
//
// A low-level mouse hook (WH_MOUSE_LL): the system calls it in this process, on the
// thread that set it, for the mouse input of every program, 32- or 64-bit alike;
// nothing is injected anywhere. The hook runs on a thread of this library's own that
// does nothing but pump its queue, so a main thread busy with Outlook or drawing never
// delays the system's mouse (the system drops a low-level hook that answers late).
//
// Over the desktop itself (the shell's desktop list view, SysListView32 under
// SHELLDLL_DefView under Progman or WorkerW, or one of those parents, or the bare
// desktop window when no shell runs, as under Wine) the hook posts to the window given
// to setMyHook:
//   move         0x200 and the point, for every move;
//   click        the window under the mouse and the point, for a left press;
//   double click the same, for a second left press within the system's double-click
//                time and rectangle (a low-level hook sees presses, never double clicks);
//   other event  the point, for a right or middle press or a wheel turn.
// The point is in the client coordinates of the window under the mouse. When the
// pointer leaves the desktop, the other event is posted once with -1 (the resting
// delay ends) or, while SetExtraEvent(1) says a tooltip is up, with the point (the
// tooltip goes); while a tooltip is up a press anywhere else hides it too.
// The hook procedure only classifies the window and posts; it always calls the next
// hook. Nothing is posted once clearMyHook has returned non-zero.
#include <windows.h>

#include <atomic>

#include "../platform/HookMessages.h"

namespace {

HMODULE g_module = nullptr;
CRITICAL_SECTION g_lock; // setMyHook and clearMyHook, from any thread
std::atomic<HWND> g_target{nullptr};
std::atomic<int> g_extra{0};
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
HANDLE g_ready = nullptr;
std::atomic<bool> g_hooked{false};
UINT g_moveMsg = 0, g_clickMsg = 0, g_doubleClickMsg = 0, g_otherMsg = 0;

// State of the hook thread only.
HWND g_lastUnder = nullptr;  // the window last classified
HWND g_lastDesktop = nullptr; // and what it counts as (null: not the desktop)
bool g_onDesktop = false;
DWORD g_lastPressTime = 0;
POINT g_lastPressPoint{};
HWND g_lastPressWindow = nullptr;
bool g_pressPending = false; // the last press may become a double click

bool ClassIs(HWND h, const wchar_t* name) {
    wchar_t buf[40] = {};
    return h && GetClassNameW(h, buf, 40) > 0 && lstrcmpiW(buf, name) == 0;
}

bool IsShellTop(HWND h) { return ClassIs(h, L"Progman") || ClassIs(h, L"WorkerW"); }

// The window under the mouse when it is the desktop itself, else null.
HWND Classify(HWND under) {
    if (!under) return nullptr;
    if (under == GetDesktopWindow()) return under;
    if (ClassIs(under, L"SysListView32")) {
        HWND view = GetParent(under);
        return ClassIs(view, L"SHELLDLL_DefView") && IsShellTop(GetParent(view)) ? under : nullptr;
    }
    if (ClassIs(under, L"SHELLDLL_DefView")) return IsShellTop(GetParent(under)) ? under : nullptr;
    if (IsShellTop(under) && !GetParent(under)) return under;
    return nullptr;
}

LPARAM Pack(POINT p) {
    return static_cast<LPARAM>((static_cast<DWORD>(p.y & 0xFFFF) << 16) | static_cast<DWORD>(p.x & 0xFFFF));
}

void OnMouse(WPARAM message, POINT screen, DWORD time) {
    HWND target = g_target.load();
    if (!target) return;
    HWND under = WindowFromPoint(screen);
    if (under != g_lastUnder) {
        g_lastUnder = under;
        g_lastDesktop = Classify(under);
    }
    HWND desktop = g_lastDesktop;
    const bool press = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
                       message == WM_XBUTTONDOWN;
    if (!desktop) {
        if (g_onDesktop) {
            g_onDesktop = false;
            PostMessageW(target, g_otherMsg, 0, g_extra.load() ? Pack(screen) : static_cast<LPARAM>(-1));
        } else if (press && g_extra.load()) {
            PostMessageW(target, g_otherMsg, 0, Pack(screen));
        }
        if (press) g_pressPending = false;
        return;
    }
    g_onDesktop = true;
    POINT client = screen;
    ScreenToClient(desktop, &client);
    switch (message) {
    case WM_MOUSEMOVE: PostMessageW(target, g_moveMsg, WM_MOUSEMOVE, Pack(client)); break;
    case WM_LBUTTONDOWN: {
        const bool twice = g_pressPending && desktop == g_lastPressWindow &&
                           time - g_lastPressTime <= GetDoubleClickTime() &&
                           abs(screen.x - g_lastPressPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                           abs(screen.y - g_lastPressPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        if (twice) {
            g_pressPending = false;
            PostMessageW(target, g_doubleClickMsg, reinterpret_cast<WPARAM>(desktop), Pack(client));
        } else {
            g_pressPending = true;
            g_lastPressTime = time;
            g_lastPressPoint = screen;
            g_lastPressWindow = desktop;
            PostMessageW(target, g_clickMsg, reinterpret_cast<WPARAM>(desktop), Pack(client));
        }
        break;
    }
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        g_pressPending = false;
        PostMessageW(target, g_otherMsg, 0, Pack(client));
        break;
    default: break;
    }
}

LRESULT CALLBACK LowLevelMouse(int code, WPARAM wp, LPARAM lp) noexcept {
    if (code == HC_ACTION && lp) {
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
        OnMouse(wp, info->pt, info->time);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

DWORD WINAPI HookThread(LPVOID) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before anyone posts WM_QUIT
    HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, &LowLevelMouse, g_module, 0);
    g_hooked = hook != nullptr;
    SetEvent(g_ready);
    if (!hook) return 1;
    // The system calls the hook while this thread waits for messages.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
}

void RegisterMessages() {
    if (g_moveMsg) return;
    g_moveMsg = RegisterWindowMessageA(HookMessages::kMouseMove);
    g_clickMsg = RegisterWindowMessageA(HookMessages::kClick);
    g_doubleClickMsg = RegisterWindowMessageA(HookMessages::kDoubleClick);
    g_otherMsg = RegisterWindowMessageA(HookMessages::kOtherEvent);
}

void StopThread() {
    PostThreadMessageW(g_threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(g_thread, 10000);
    CloseHandle(g_thread);
    g_thread = nullptr;
    g_threadId = 0;
}

} // namespace

// Sets the hook for window (or moves it to window when it is set already). Non-zero
// when the hook is set.
extern "C" __declspec(dllexport) BOOL setMyHook(HWND window) {
    if (!IsWindow(window)) return FALSE;
    EnterCriticalSection(&g_lock);
    RegisterMessages();
    g_target = window;
    BOOL ok = TRUE;
    if (!g_thread) {
        g_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        g_thread = g_ready ? CreateThread(nullptr, 0, &HookThread, nullptr, 0, &g_threadId) : nullptr;
        if (g_thread) WaitForSingleObject(g_ready, 10000);
        if (g_ready) CloseHandle(g_ready);
        g_ready = nullptr;
        if (!g_thread || !g_hooked) {
            if (g_thread) StopThread();
            g_target = nullptr;
            ok = FALSE;
        }
    }
    LeaveCriticalSection(&g_lock);
    return ok;
}

// Removes the hook set for window. Non-zero when no hook is set any more (also when
// none was); zero when the hook belongs to another window, which keeps it.
extern "C" __declspec(dllexport) BOOL clearMyHook(HWND window) {
    EnterCriticalSection(&g_lock);
    BOOL ok = TRUE;
    if (g_thread) {
        if (g_target.load() != window) {
            ok = FALSE;
        } else {
            g_target = nullptr;
            // Once the thread has ended, no hook call can post any more.
            StopThread();
        }
    }
    LeaveCriticalSection(&g_lock);
    return ok;
}

// 1 while a tooltip of the program is up (leaving the desktop or a press elsewhere
// then hides it), 0 when it is hidden.
extern "C" __declspec(dllexport) BOOL SetExtraEvent(int flag) {
    g_extra = flag ? 1 : 0;
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        InitializeCriticalSection(&g_lock);
        DisableThreadLibraryCalls(instance);
    }
    // No unloading while the hook thread runs: the program keeps the library loaded
    // for its lifetime (waiting for a thread here would hold the loader lock).
    return TRUE;
}
