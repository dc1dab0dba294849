#include "Win32TopWindows.h"

#include <windows.h>

#include "Utf.h"
#include "Win32Log.h"

namespace {
struct Visit {
    const std::function<bool(ITopWindowsPort::Handle, const std::string&)>* visit;
};

BOOL CALLBACK EachWindow(HWND window, LPARAM data) {
    // No exception leaves the callback: one ends the enumeration.
    try {
        wchar_t title[250] = {};
        const int n = GetWindowTextW(window, title, 250);
        const auto& visit = *reinterpret_cast<Visit*>(data)->visit;
        return visit(reinterpret_cast<ITopWindowsPort::Handle>(window), n > 0 ? Narrow(title, n) : std::string())
                   ? TRUE
                   : FALSE;
    } catch (const std::exception& e) {
        LogCaught("top-level windows", e.what());
        return FALSE;
    }
}
} // namespace

void CWin32TopWindows::EnumerateTopWindows(const std::function<bool(Handle, const std::string&)>& visit) {
    Visit v{&visit};
    EnumWindows(EachWindow, reinterpret_cast<LPARAM>(&v));
}

bool CWin32TopWindows::RestoresToMaximized(Handle window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    return GetWindowPlacement(reinterpret_cast<HWND>(window), &placement) &&
           (placement.flags & WPF_RESTORETOMAXIMIZED) != 0;
}

void CWin32TopWindows::ShowAsync(Handle window, int showCmd) { ShowWindowAsync(reinterpret_cast<HWND>(window), showCmd); }

void CWin32TopWindows::SetForeground(Handle window) { SetForegroundWindow(reinterpret_cast<HWND>(window)); }
