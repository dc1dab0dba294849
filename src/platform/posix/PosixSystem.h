#pragma once
// System information, file system and shell for Linux.
//
// Implements: the application-data folder ($XDG_DATA_HOME, or ~/.local/share,
//   created when missing); short path = the path itself when it exists; the program
//   path from /proc/self/exe; directory listing and creation; "open" through xdg-open,
//   or a program started with its parameters.
//   The monitors: ORVANTA_SCREEN=WIDTHxHEIGHT when set (one monitor of that size, for
//   runs without a display); else the X server's RandR monitors and work areas
//   (XcbScreen), watched for changes on the window kit's loop (the server's notices,
//   and a comparison once a second for what it does not announce); without either, one
//   1920 x 1080 monitor, said once on standard error when the monitors are asked for
//   (a composition), not for the screen's size alone.
// Does not implement: a Windows version (GetOsVersion fails, so the operating-system
//   class is -1).
#include <memory>
#include <mutex>

#include "../SystemPort.h"

class CPosixWindowKit;
class CXcbScreen;

class CPosixSystemPort : public ISystemPort {
public:
    // kit: the loop that watches the display for changes (none: they are not watched).
    explicit CPosixSystemPort(CPosixWindowKit* kit = nullptr);
    ~CPosixSystemPort() override;
    std::vector<MonitorInfo> GetMonitors() override;
    int PrimaryDpi() override;
    bool WatchDisplays(std::function<void()> changed) override;
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

    // The size assumed without ORVANTA_SCREEN and without a display.
    static constexpr int kAssumedWidth = 1920, kAssumedHeight = 1080;
    // How often the monitors the server does not announce are compared.
    static constexpr int kDisplayPollSeconds = 1;

private:
    // The virtual screen and its monitors, from the override, the display or the
    // assumption, in that order.
    // assumptionSaid: whether to say so when the size is assumed (once), which only
    // matters where the monitors are laid out.
    void ReadScreen(int& width, int& height, std::vector<MonitorInfo>& monitors, bool sayAssumption);
    void StopWatching();

    CPosixWindowKit* m_kit;
    std::mutex m_guard; // the reading connection, used from any thread
    std::unique_ptr<CXcbScreen> m_reader;
    std::unique_ptr<CXcbScreen> m_watcher; // its own connection, read on the loop
    int m_watchedFd = -1;
    int m_pollFd = -1; // the once-a-second comparison's timer
    bool m_assumptionSaid = false;
};
