#include "Win32System.h"

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <vector>

#include "ScopedWin.h"
#include "Utf.h"

bool CWin32SystemPort::GetOsVersion(OsVersion& out) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
    out.major = info.dwMajorVersion;
    out.minor = info.dwMinorVersion;
    out.build = info.dwBuildNumber;
    out.platformId = info.dwPlatformId;
    out.productType = info.wProductType;
    return true;
}

ScreenMetrics CWin32SystemPort::GetScreenMetrics() {
    ScreenMetrics m;
    m.monitorCount = GetSystemMetrics(SM_CMONITORS);
    m.virtualX = GetSystemMetrics(SM_XVIRTUALSCREEN);
    m.virtualY = GetSystemMetrics(SM_YVIRTUALSCREEN);
    m.virtualWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    m.virtualHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    m.primaryWidth = GetSystemMetrics(SM_CXSCREEN);
    m.primaryHeight = GetSystemMetrics(SM_CYSCREEN);
    if (BorrowedDc screen{nullptr}) m.displayHorzRes = GetDeviceCaps(screen.Get(), HORZRES);
    return m;
}

namespace {

// The system's one DPI (Windows before 8.1 scales every monitor alike): GetDpiForSystem
// where user32 has it (Windows 10), else the screen's LOGPIXELSX.
int SystemDpi() {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    static const auto forSystem = reinterpret_cast<GetDpiForSystemFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
    if (forSystem) {
        const UINT dpi = forSystem();
        if (dpi > 0) return static_cast<int>(dpi);
    }
    BorrowedDc screen(nullptr);
    return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
}

// The monitor's own effective DPI through shcore's GetDpiForMonitor (Windows 8.1 and
// later, loaded at run time), else the system's.
int MonitorDpi(HMONITOR monitor) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto forMonitor = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
    if (forMonitor && SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) return static_cast<int>(x);
    return SystemDpi();
}

} // namespace

std::vector<MonitorInfo> CWin32SystemPort::GetMonitors() {
    std::vector<MonitorInfo> list;
    auto add = [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(monitor, &info)) {
            MonitorInfo m;
            m.bounds = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
            m.work = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
            m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
            m.dpi = MonitorDpi(monitor);
            reinterpret_cast<std::vector<MonitorInfo>*>(data)->push_back(m);
        }
        return TRUE;
    };
    if (!EnumDisplayMonitors(nullptr, nullptr, add, reinterpret_cast<LPARAM>(&list)) || list.empty()) {
        std::vector<MonitorInfo> one = ISystemPort::GetMonitors();
        for (MonitorInfo& m : one) m.dpi = SystemDpi();
        return one;
    }
    return list;
}

std::string CWin32SystemPort::SpecialFolderPath(int folderId) {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, buf))) return std::string();
    return Narrow(buf, wcslen(buf));
}

std::string CWin32SystemPort::ShortPath(const std::string& path) {
    std::wstring w = Widen(path);
    DWORD n = GetShortPathNameW(w.c_str(), nullptr, 0);
    if (n == 0) return std::string();
    std::vector<wchar_t> buf(n + 1);
    n = GetShortPathNameW(w.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0 || n >= buf.size()) return std::string();
    return Narrow(buf.data(), n);
}

std::string CWin32SystemPort::ModuleFileName(unsigned long& error) {
    std::vector<wchar_t> buf(10240);
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    error = GetLastError();
    if (n == 0 || n >= buf.size()) return std::string();
    error = 0;
    return Narrow(buf.data(), n);
}

bool CWin32SystemPort::ListDirectory(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    WIN32_FIND_DATAW fd{};
    ScopedFind find(FindFirstFileW(Widen(dir + "\\*.*").c_str(), &fd));
    if (!find) return false;
    do {
        std::string n = Narrow(fd.cFileName, wcslen(fd.cFileName));
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileW(find.Get(), &fd));
    return true;
}

bool CWin32SystemPort::MakeDirectory(const std::string& path) {
    return CreateDirectoryW(Widen(path).c_str(), nullptr) != 0;
}

intptr_t CWin32SystemPort::ShellExecuteVerb(const std::string& verb, const std::string& file,
                                        const std::string& params, int showCmd) {
    std::wstring wparams = Widen(params);
    HINSTANCE h = ShellExecuteW(nullptr, Widen(verb).c_str(), Widen(file).c_str(),
                                wparams.empty() ? nullptr : wparams.c_str(), nullptr, showCmd);
    return reinterpret_cast<intptr_t>(h);
}

bool CWin32SystemPort::DesktopHostsWebView() {
    HWND progman = FindWindowW(L"Progman", L"Program Manager");
    HWND view = progman ? FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    return view && FindWindowExW(view, nullptr, L"Internet Explorer_Server", nullptr);
}

bool CWin32SystemPort::DesktopHtmlSetting() {
    // Loaded at run time as the shell has offered it since Internet Explorer 4.
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (!shell) return false;
    using GetSettings = void(WINAPI*)(SHELLFLAGSTATE*, DWORD);
    auto get = reinterpret_cast<GetSettings>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSettings")));
    if (!get) return false;
    SHELLFLAGSTATE state{};
    get(&state, SSF_DESKTOPHTML);
    return state.fDesktopHTML != 0;
}

uint32_t CWin32SystemPort::DesktopColor() { return GetSysColor(COLOR_BACKGROUND); }

bool CWin32SystemPort::HighContrast(HighContrastColors& colors) {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) || !(hc.dwFlags & HCF_HIGHCONTRASTON))
        return false;
    colors.window = GetSysColor(COLOR_WINDOW);
    colors.windowText = GetSysColor(COLOR_WINDOWTEXT);
    colors.highlight = GetSysColor(COLOR_HIGHLIGHT);
    colors.grayText = GetSysColor(COLOR_GRAYTEXT);
    return true;
}
