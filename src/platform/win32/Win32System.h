#pragma once
// System information, file system and shell over Win32.
//
// Implements: GetVersionExW, the virtual screen and monitor count (GetSystemMetrics),
//   the monitors with their work areas and the primary flag (EnumDisplayMonitors,
//   GetMonitorInfoW), HORZRES of the display, SHGetFolderPathW, GetShortPathNameW, GetModuleFileNameW,
//   FindFirstFileW listing, CreateDirectoryW, ShellExecuteW.
//   the desktop's web-view window chain (FindWindowExW), SHGetSettings.
// Does not implement: the desktop list view (later).
#include "../SystemPort.h"

class CWin32SystemPort : public ISystemPort {
public:
    bool GetOsVersion(OsVersion& out) override;
    ScreenMetrics GetScreenMetrics() override;
    std::vector<MonitorInfo> GetMonitors() override;
    std::string SpecialFolderPath(int folderId) override;
    std::string ShortPath(const std::string& path) override;
    std::string ModuleFileName(unsigned long& error) override;
    char PathSeparator() const override { return '\\'; }
    bool CaseInsensitivePaths() const override { return true; }
    bool ListDirectory(const std::string& dir, std::vector<std::string>& names) override;
    bool MakeDirectory(const std::string& path) override;
    intptr_t ShellExecuteVerb(const std::string& verb, const std::string& file,
                          const std::string& params, int showCmd) override;
    uint32_t DesktopColor() override;
    bool HighContrast(HighContrastColors& colors) override;
    bool DesktopHostsWebView() override;
    bool DesktopHtmlSetting() override;
};
