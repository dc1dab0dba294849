#pragma once
// The lock watcher's view of the desktops and the session's lock notices.
//
// Implements: the screen-saver test (SPI_GETSCREENSAVERRUNNING; on NT 4 and older the
//   windows of the "Screen-saver" desktop), the switch test on "Default", the report
//   by SendMessageW, WTSRegisterSessionNotification looked up in wtsapi32.dll.
// Does not implement: anything on systems without wtsapi32 beyond the poll (no notices).
#include "../DesktopLockPort.h"

class CWin32DesktopLock : public IDesktopLockPort {
public:
    bool ScreenSaverRunning(bool oldNt) override;
    bool SwitchToDefaultRefused() override;
    void SendToWindow(uintptr_t window, unsigned msg, uintptr_t wParam, intptr_t lParam) override;
    bool WatchSession(uintptr_t window) override;
    void UnwatchSession(uintptr_t window) override;
};
