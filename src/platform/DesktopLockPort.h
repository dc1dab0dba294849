#pragma once
// Whether the workstation is locked or a screen saver runs, and the session's own
// lock and unlock notices.
//
// win32: the screen saver by SPI_GETSCREENSAVERRUNNING, or on NT 4 and older by the
//   windows of the "Screen-saver" desktop; the lock test by SwitchDesktop to
//   "Default"; reports reach the main window by SendMessageW from the watcher's
//   thread; session notices by WTSRegisterSessionNotification, looked up in
//   wtsapi32.dll where the system has it.
// posix: none (the port is null): no lock is watched.
#include <cstdint>

// A window registered for notices receives them as OnSessionChange (WindowKit.h).
class IDesktopLockPort {
public:
    virtual ~IDesktopLockPort() = default;
    // oldNt: Windows NT 4 or older, where the screen saver has a desktop of its own.
    virtual bool ScreenSaverRunning(bool oldNt) = 0;
    // The "Default" desktop can be opened for switching, yet switching to it fails
    // without an error: another desktop (the locked one) has the input.
    virtual bool SwitchToDefaultRefused() = 0;
    // Sends msg to the window with this handle and waits until it was handled (or the
    // window is gone). Safe from any thread.
    virtual void SendToWindow(uintptr_t window, unsigned msg, uintptr_t wParam, intptr_t lParam) = 0;
    // Asks that the session's lock and unlock notices reach the window; false where the
    // system has no such notices.
    virtual bool WatchSession(uintptr_t window) = 0;
    virtual void UnwatchSession(uintptr_t window) = 0;
};
