#include "Win32DesktopLock.h"

#include <windows.h>

namespace {

// The first window of the screen saver's desktop, when its thread belongs to that
// desktop (with no desktop handle: the first window at all).
struct SaverSearch {
    HDESK desktop;
    bool found;
};

BOOL CALLBACK FirstSaverWindow(HWND hwnd, LPARAM lp) noexcept {
    auto* search = reinterpret_cast<SaverSearch*>(lp);
    if (!search->desktop || GetThreadDesktop(GetWindowThreadProcessId(hwnd, nullptr)) == search->desktop)
        search->found = true;
    return FALSE; // only the first window counts
}

constexpr DWORD kNotifyForThisSession = 0; // NOTIFY_FOR_THIS_SESSION
using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HWND);

// wtsapi32 where the system has it; loaded once and kept for the process.
HMODULE Wtsapi() {
    static HMODULE module = LoadLibraryW(L"wtsapi32.dll");
    return module;
}

} // namespace

bool CWin32DesktopLock::ScreenSaverRunning(bool oldNt) {
    if (!oldNt) {
        BOOL running = FALSE;
        return SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
    }
    SetLastError(0);
    HDESK desktop = OpenDesktopW(L"Screen-saver", 0, FALSE, MAXIMUM_ALLOWED);
    if (!desktop && GetLastError() != ERROR_ACCESS_DENIED) return false;
    // Denied: the saver's desktop exists but is not ours to read; its windows are then
    // looked for on the current desktop (a null handle).
    SaverSearch search{desktop, false};
    EnumDesktopWindows(desktop, FirstSaverWindow, reinterpret_cast<LPARAM>(&search));
    if (desktop) CloseDesktop(desktop);
    return search.found;
}

bool CWin32DesktopLock::SwitchToDefaultRefused() {
    HDESK desktop = OpenDesktopW(L"Default", 0, FALSE, DESKTOP_SWITCHDESKTOP);
    if (!desktop) return false;
    SetLastError(0);
    const BOOL switched = SwitchDesktop(desktop);
    const DWORD error = GetLastError();
    CloseDesktop(desktop);
    return !switched && error == 0;
}

void CWin32DesktopLock::SendToWindow(uintptr_t window, unsigned msg, uintptr_t wParam, intptr_t lParam) {
    SendMessageW(reinterpret_cast<HWND>(window), msg, wParam, lParam);
}

bool CWin32DesktopLock::WatchSession(uintptr_t window) {
    HMODULE wts = Wtsapi();
    auto fn = wts ? reinterpret_cast<RegisterFn>(
                        reinterpret_cast<void*>(GetProcAddress(wts, "WTSRegisterSessionNotification")))
                  : nullptr;
    return fn && fn(reinterpret_cast<HWND>(window), kNotifyForThisSession);
}

void CWin32DesktopLock::UnwatchSession(uintptr_t window) {
    HMODULE wts = Wtsapi();
    auto fn = wts ? reinterpret_cast<UnregisterFn>(
                        reinterpret_cast<void*>(GetProcAddress(wts, "WTSUnRegisterSessionNotification")))
                  : nullptr;
    if (fn) fn(reinterpret_cast<HWND>(window));
}
