#pragma once
// System information, file system and shell for Linux.
//
// Implements: the application-data folder ($XDG_DATA_HOME, or ~/.local/share,
//   created when missing); short path = the path itself when it exists; the program
//   path from /proc/self/exe; directory listing and creation; "open" through xdg-open,
//   or a program started with its parameters.
// Does not implement: a Windows version (GetOsVersion fails, so the operating-system
//   class is -1); real monitor geometry yet: the screen is 1920 x 1080 unless
//   ORVANTA_SCREEN=WIDTHxHEIGHT says otherwise.
#include "../SystemPort.h"

class CPosixSystemPort : public ISystemPort {
public:
    bool GetOsVersion(OsVersion& out) override;
    ScreenMetrics GetScreenMetrics() override;
    std::string SpecialFolderPath(int folderId) override;
    std::string ShortPath(const std::string& path) override;
    std::string ModuleFileName(unsigned long& error) override;
    char PathSeparator() const override { return '/'; }
    bool CaseInsensitivePaths() const override { return false; }
    bool ListDirectory(const std::string& dir, std::vector<std::string>& names) override;
    bool MakeDirectory(const std::string& path) override;
    intptr_t ShellExecuteVerb(const std::string& verb, const std::string& file,
                          const std::string& params, int showCmd) override;
    uint32_t DesktopColor() override;
    bool DesktopHostsWebView() override;
    bool DesktopHtmlSetting() override;
};
