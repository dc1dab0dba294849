#pragma once
// Operating-system facts and file-system and shell services the program needs.
#include <cstdint>
#include <string>
#include <functional>
#include <vector>

#include "../util/Rect.h"

struct OsVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 0;  // 0 Win32s, 1 Windows 9x, 2 NT family
    uint32_t productType = 1; // 1 workstation, 2 domain controller, 3 server
};

struct ScreenMetrics {
    int monitorCount = 0;
    int virtualX = 0;
    int virtualY = 0;
    int virtualWidth = 0;
    int virtualHeight = 0;
    int primaryWidth = 0;
    int primaryHeight = 0;
    int displayHorzRes = 0; // horizontal resolution of the display device
};

// One monitor, in the system's screen coordinates (Windows: the primary monitor's
// top-left is (0, 0), others may lie at negative positions; X: the root window's).
struct MonitorInfo {
    Rect bounds;          // the whole monitor
    Rect work;            // without the taskbars and docks along its edges
    bool primary = false; // the system's primary monitor
    // Its pixels per inch as the system scales for it (96 is 100 %); 0 when unknown.
    // A change of scale is a change of the monitors: the panel is drawn again.
    int dpi = 0;
    bool operator==(const MonitorInfo&) const = default;
};

namespace SpecialFolder {
constexpr int AppData = 26;
}

namespace ShowCmd {
constexpr int Normal = 1;
}

// The system's colours while its high-contrast scheme is on (red in the low byte).
struct HighContrastColors {
    uint32_t window = 0, windowText = 0, highlight = 0, grayText = 0;
};

class ISystemPort {
public:
    virtual ~ISystemPort() = default;
    virtual bool GetOsVersion(OsVersion& out) = 0;
    virtual ScreenMetrics GetScreenMetrics() = 0;
    // The monitors as the system lists them. A system that cannot tell them apart
    // reports the virtual screen as one primary monitor, its whole area to work in.
    virtual std::vector<MonitorInfo> GetMonitors() {
        const ScreenMetrics m = GetScreenMetrics();
        MonitorInfo one;
        one.bounds = m.monitorCount > 0 ? Rect::FromSize(m.virtualX, m.virtualY, m.virtualWidth, m.virtualHeight)
                                        : Rect::FromSize(0, 0, m.primaryWidth, m.primaryHeight);
        one.work = one.bounds;
        one.primary = true;
        return {one};
    }
    // The primary monitor's DPI (0: not known), asked without a word said about a
    // display that is missing (the settings' factory values ask it in every command).
    virtual int PrimaryDpi() {
        for (const MonitorInfo& m : GetMonitors())
            if (m.primary) return m.dpi;
        return 0;
    }
    // Calls changed on the program's main loop whenever the monitors or their work
    // areas may have changed, for systems whose windows are not told so by a message
    // of their own (Windows tells every top-level window: WM_DISPLAYCHANGE and
    // WM_SETTINGCHANGE). False when nothing will call it.
    virtual bool WatchDisplays(std::function<void()> /*changed*/) { return false; }
    virtual std::string SpecialFolderPath(int folderId) = 0; // empty on failure
    virtual std::string ShortPath(const std::string& path) = 0; // empty on failure
    // Full path of the running program; empty on failure with error set.
    virtual std::string ModuleFileName(unsigned long& error) = 0;
    virtual char PathSeparator() const = 0;
    // Whether the file system ignores case, so paths may be lower-cased to compare them.
    virtual bool CaseInsensitivePaths() const = 0;
    // Names of the entries of a directory (without "." and ".."); false when it cannot be read.
    virtual bool ListDirectory(const std::string& dir, std::vector<std::string>& names) = 0;
    virtual bool MakeDirectory(const std::string& path) = 0;
    // The shell's "open" verb (or another); the result follows ShellExecute: above 32 is success.
    virtual intptr_t ShellExecuteVerb(const std::string& verb, const std::string& file,
                                  const std::string& params, int showCmd) = 0;
    // The colour of a desktop without a picture (COLOR_BACKGROUND).
    virtual uint32_t DesktopColor() = 0; // red in the low byte
    // The shell's desktop hosts a web view: "Program Manager" (class "Progman") has a
    // "SHELLDLL_DefView" child with an "Internet Explorer_Server" child.
    virtual bool DesktopHostsWebView() = 0;
    // The shell's setting "show web content on the desktop" (SHGetSettings).
    virtual bool DesktopHtmlSetting() = 0;
    // The high-contrast scheme's colours when it is on (SPI_GETHIGHCONTRAST with
    // HCF_HIGHCONTRASTON: the system colours of window, window text, highlight and grey
    // text); false when it is off or the system has none.
    virtual bool HighContrast(HighContrastColors& colors) {
        (void)colors;
        return false;
    }
};
