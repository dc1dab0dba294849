#include "Win32Wallpaper.h"

#include <windows.h>
// MinGW's shlobj.h declares IActiveDesktop only with wininet.h before it.
#include <wininet.h>
#include <shlobj.h>

#include <exception>

#include "DesktopWallpaperApi.h"

#include "ScopedWin.h"
#include "Utf.h"
#include "Win32Log.h"

CWin32WallpaperPort::CWin32WallpaperPort() = default;

CWin32WallpaperPort::~CWin32WallpaperPort() = default;

long CWin32WallpaperPort::CreateActiveDesktop() {
    const HRESULT hr = CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_ALL, IID_IActiveDesktop,
                                        m_desktop.PutVoid());
    if (FAILED(hr)) m_desktop.Reset();
    return hr;
}

bool CWin32WallpaperPort::ActiveDesktopSet(const std::string& path, int styleCode) {
    const ComPtr<IActiveDesktop> desktop = std::move(m_desktop);
    if (!desktop) return false;
    try {
        WALLPAPEROPT options{};
        options.dwSize = sizeof options;
        if (styleCode == 0) options.dwStyle = WPSTYLE_CENTER;
        else if (styleCode == 1) options.dwStyle = WPSTYLE_TILE;
        else if (styleCode == 2) options.dwStyle = WPSTYLE_STRETCH;
        const std::wstring wide = Widen(path);
        // Each call's failure is ignored: the caller checks what the system shows.
        desktop->SetWallpaperOptions(&options, 0);
        desktop->SetWallpaper(wide.c_str(), 0);
        desktop->SetWallpaperOptions(&options, 0);
        return SUCCEEDED(desktop->ApplyChanges(AD_APPLY_ALL));
    } catch (const std::exception& e) {
        LogCaught("Active Desktop", e.what());
        return false;
    }
}

bool CWin32WallpaperPort::SystemSet(const std::string& path, int) {
    std::wstring wide = Widen(path);
    const bool set =
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wide.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE) !=
        FALSE;
    // Wine's desktop paints the new wallpaper over the taskbar and its tray icons
    // without telling them to paint again (any program's call does it), so the strip
    // would stay covered until something moved over it. Windows repaints it itself;
    // there this costs one repaint of the strip.
    if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr))
        RedrawWindow(taskbar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    // The same goes for the program's own windows on the screen (the pop-up above all):
    // covered by the picture, the pop-up would seem gone while it is open and in front.
    EnumWindows(
        [](HWND w, LPARAM) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w))
                RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
            return TRUE;
        },
        0);
    return set;
}

std::string CWin32WallpaperPort::ExpandEnvironment(const std::string& text) {
    const std::wstring wide = Widen(text);
    DWORD n = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    if (n == 0) return text;
    std::wstring out(n, L'\0');
    DWORD m = ExpandEnvironmentStringsW(wide.c_str(), out.data(), n);
    if (m == 0 || m > n) return text;
    out.resize(m - 1);
    return Narrow(out);
}

std::string CWin32WallpaperPort::NameOnDisk(const std::string& path) {
    WIN32_FIND_DATAW data{};
    ScopedFind find(FindFirstFileW(Widen(path).c_str(), &data));
    if (!find) return {};
    return Narrow(data.cFileName);
}

namespace {
ComPtr<IDesktopWallpaper> CreateDesktopWallpaper() {
    ComPtr<IDesktopWallpaper> object;
    if (FAILED(CoCreateInstance(kClsidDesktopWallpaper, nullptr, CLSCTX_ALL, kIidDesktopWallpaper,
                                object.PutVoid())))
        object.Reset();
    return object;
}

// A text the object allocated for its caller.
std::string TakeText(LPWSTR text) {
    std::string out = text ? Narrow(text) : std::string();
    CoTaskMemFree(text);
    return out;
}
} // namespace

bool CWin32WallpaperPort::ReadMonitorWallpapers(std::vector<MonitorWallpaper>& monitors, int& position) {
    monitors.clear();
    const ComPtr<IDesktopWallpaper> object = CreateDesktopWallpaper();
    if (!object) return false;
    UINT count = 0;
    if (FAILED(object->GetMonitorDevicePathCount(&count)) || count == 0) return false;
    for (UINT i = 0; i < count; ++i) {
        LPWSTR id = nullptr;
        if (FAILED(object->GetMonitorDevicePathAt(i, &id)) || !id) {
            CoTaskMemFree(id);
            continue;
        }
        const std::wstring wideId = id;
        MonitorWallpaper m;
        m.id = TakeText(id);
        RECT r{};
        // A monitor that is listed but not attached has no rectangle: it shows nothing.
        if (FAILED(object->GetMonitorRECT(wideId.c_str(), &r)) || r.right <= r.left || r.bottom <= r.top)
            continue;
        m.bounds = Rect{r.left, r.top, r.right, r.bottom};
        LPWSTR picture = nullptr;
        if (SUCCEEDED(object->GetWallpaper(wideId.c_str(), &picture)))
            m.picture = TakeText(picture);
        else
            CoTaskMemFree(picture);
        monitors.push_back(std::move(m));
    }
    int pos = -1;
    position = SUCCEEDED(object->GetPosition(&pos)) ? pos : -1;
    return !monitors.empty();
}

bool CWin32WallpaperPort::SetMonitorWallpaper(const std::string& id, const std::string& path) {
    const ComPtr<IDesktopWallpaper> object = CreateDesktopWallpaper();
    if (!object) return false;
    return SUCCEEDED(object->SetWallpaper(Widen(id).c_str(), Widen(path).c_str()));
}

bool CWin32WallpaperPort::SetWallpaperPosition(int position) {
    const ComPtr<IDesktopWallpaper> object = CreateDesktopWallpaper();
    return object && SUCCEEDED(object->SetPosition(position));
}
