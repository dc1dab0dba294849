#pragma once
// The desktop's top-level windows.
//
// Implements: EnumWindows with GetWindowTextW (at most 250 characters, as UTF-8),
//   GetWindowPlacement's WPF_RESTORETOMAXIMIZED, ShowWindowAsync, SetForegroundWindow.
// Does not implement: windows of other desktops.
#include "../TopWindowsPort.h"

class CWin32TopWindows : public ITopWindowsPort {
public:
    void EnumerateTopWindows(const std::function<bool(Handle, const std::string&)>& visit) override;
    bool RestoresToMaximized(Handle window) override;
    void ShowAsync(Handle window, int showCmd) override;
    void SetForeground(Handle window) override;
};
