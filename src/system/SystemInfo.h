#pragma once
// Operating-system class, the virtual screen, and the browser launch.
#include <string>

#include "../platform/SystemPort.h"
#include "../util/Rect.h"

class ESystemInfo {
public:
    // -1 unknown, 0 Win32s, 1 Windows 95, 2 Windows 98/Me, 3 NT 4.0 or earlier,
    // 4 Windows 2000, 5 XP, 7 Server 2003, 8 Vista, 9 Server 2008, 10 Windows 7 or later.
    static constexpr int kWindows7OrLater = 10;
    static int OsClass(const OsVersion& v);
    static int OsClass(); // of the running system
    static bool IsNtFamily() { return OsClass() > 2; }
    static bool IsXpOrLater() { return OsClass() > 4; }
    // NT family and version 5.1 or later.
    static bool NewerThanWindows2000(const OsVersion& v);
    static bool NewerThanWindows2000();

    // All monitors' bounding rectangle when at least one is reported, else the primary screen.
    static Rect VirtualScreenRect(const ScreenMetrics& m);
    static Rect VirtualScreenRect();
    static int DisplayHorizontalResolution();

    // The browser registered for web addresses opens target; when there is none or it
    // cannot start, the shell opens target itself. True when something was started.
    static bool OpenInBrowser(const std::string& target);
    // Whether the desktop shows web content. Mode 0: the shell's desktop window holds
    // a web view; mode 1: Internet Explorer's version can be read and the shell's
    // desktop-HTML setting is on. Other modes: false.
    static bool ActiveDesktopShown(int mode);
    // Program part of a registered browser command: "\"C:\\X\\B.EXE\" -- %1" gives "c:\\x\\b.exe".
    static std::string BrowserFromCommand(const std::string& command);
};
