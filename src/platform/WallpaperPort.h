#pragma once
// Setting the system's wallpaper.
//
// win32: the shell's Active Desktop object (CLSID_ActiveDesktop, CLSCTX_ALL) and
//   SystemParametersInfoW(SPI_SETDESKWALLPAPER, ..., SPIF_UPDATEINIFILE |
//   SPIF_SENDWININICHANGE); ExpandEnvironmentStringsW; FindFirstFileW.
// posix: no Active Desktop (creation reports "class not registered"); the plain call
//   shows the picture with a setter chosen at run time and writes "Wallpaper" under
//   HKEY_CURRENT_USER "Control Panel\Desktop" of the file registry, as the Windows
//   call does: a command the user configures (ORVANTA_WALLPAPER_COMMAND), the
//   desktop's own setting (GNOME, Unity, Budgie, Cinnamon, MATE, XFCE, KDE Plasma,
//   sway), which is also read back, else the X root window itself.
// win32 also: the per-monitor wallpaper object of Windows 8 and later
//   (CLSID_DesktopWallpaper, IDesktopWallpaper); posix has none.
#include <string>
#include <vector>

#include "../util/Rect.h"

// One monitor as the per-monitor wallpaper object lists it.
struct MonitorWallpaper {
    std::string id;      // the system's id of the monitor (its device path)
    Rect bounds;         // in screen coordinates
    std::string picture; // the picture it shows; empty when none
    bool operator==(const MonitorWallpaper&) const = default;
};

class IWallpaperPort {
public:
    virtual ~IWallpaperPort() = default;
    // Creates the Active Desktop object; the COM result (0 when it is available). The
    // object lives until ActiveDesktopSet has run.
    virtual long CreateActiveDesktop() = 0;
    // On the object just created: SetWallpaperOptions, SetWallpaper, SetWallpaperOptions,
    // ApplyChanges(7), Release. A failing call does not stop the sequence; false when
    // the changes were not applied (ApplyChanges failed, or a COM error was raised on
    // the way), so that the caller makes the plain call.
    virtual bool ActiveDesktopSet(const std::string& path, int styleCode) = 0;
    // The plain system call. styleCode is used only where the port shows the picture
    // itself (the X root window, a Linux desktop's options); Windows keeps the style
    // values it has.
    virtual bool SystemSet(const std::string& path, int styleCode) = 0;
    // The picture the desktop itself shows and the nearest style code, asked through
    // the setter that writes it. False where the values under "Control Panel\Desktop"
    // are the system's setting (Windows; on Linux the X root window, a user's command,
    // or a desktop that cannot be asked), which the caller then reads.
    virtual bool ReadDesktop(std::string& path, int& styleCode) {
        (void)path;
        (void)styleCode;
        return false;
    }
    // %NAME% references expanded; the text unchanged when expansion fails.
    virtual std::string ExpandEnvironment(const std::string& text) = 0;
    // The file's name as stored on disk (FindFirstFile); empty when there is no file.
    virtual std::string NameOnDisk(const std::string& path) = 0;

    // The per-monitor wallpaper object, where the system has one: every monitor's id,
    // rectangle and picture in the object's order, and the position (0 centre, 1 tile,
    // 2 stretch, 3 fit, 4 fill, 5 span) that applies to all of them. False when the
    // object cannot be created or does not answer (older systems, Wine, Linux).
    virtual bool ReadMonitorWallpapers(std::vector<MonitorWallpaper>& monitors, int& position) {
        (void)monitors;
        (void)position;
        return false;
    }
    // One monitor's picture, through that object; false when it refused.
    virtual bool SetMonitorWallpaper(const std::string& id, const std::string& path) {
        (void)id;
        (void)path;
        return false;
    }
    virtual bool SetWallpaperPosition(int position) {
        (void)position;
        return false;
    }
};
