#pragma once
// The desktop's top-level windows, as much as finding Outlook's main window and
// bringing it forward needs (CWindowsEnumer).
//
// win32: EnumWindows, GetWindowTextW (at most 250 characters), GetWindowPlacement,
//   ShowWindowAsync, SetForegroundWindow.
// posix: none (no such port is installed: Outlook's window cannot exist there).
#include <cstdint>
#include <functional>
#include <string>

class ITopWindowsPort {
public:
    using Handle = uintptr_t;
    virtual ~ITopWindowsPort() = default;
    // Calls visit with each top-level window and its title, in the system's order,
    // until visit returns false.
    virtual void EnumerateTopWindows(const std::function<bool(Handle window, const std::string& title)>& visit) = 0;
    // Whether the window's placement says it is restored to maximised (WPF_RESTORETOMAXIMIZED).
    virtual bool RestoresToMaximized(Handle window) = 0;
    // ShowWindowAsync with the show command (1 normal, 3 maximised).
    virtual void ShowAsync(Handle window, int showCmd) = 0;
    virtual void SetForeground(Handle window) = 0;
};
