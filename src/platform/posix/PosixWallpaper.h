#pragma once
// The system wallpaper on Linux.
//
// Implements: the "Wallpaper" value under HKEY_CURRENT_USER "Control Panel\Desktop" of
//   the file registry, written on every set as Windows writes it; the picture shown by
//   the first setter that applies, chosen at each set:
//   1. ORVANTA_WALLPAPER_COMMAND, run by /bin/sh with the picture's path as $1 (other
//      wlroots desktops); it cannot be asked what it shows;
//   2. the desktop of the session (XDG_CURRENT_DESKTOP, SWAYSOCK), through its own
//      tool, which also says what the desktop shows (ReadDesktop): GNOME, Unity,
//      Budgie, Cinnamon and MATE (gsettings), XFCE (xfconf-query), KDE Plasma (qdbus and
//      Plasma's scripting interface), sway (swaymsg; read from its configuration).
//      The user's own setting, exactly as the tool gives it (dark variant, options,
//      every monitor), is kept under "Control Panel\Desktop\Linux Desktop" and
//      written back when the user's picture is set again. A tool that is missing or
//      fails is said once, naming the desktop and the tool, and changes nothing;
//   3. the X root window of $DISPLAY: a pixmap drawn from the picture (BMP of 24 or
//      32 bits, or PNG) centred, tiled or stretched, set as the root's background and
//      published as _XROOTPMAP_ID and ESETROOT_PMAP_ID, kept after the program ends;
//      the pixmap this replaces is freed when it was one of ours.
//   %NAME% references expanded from the environment.
// Does not implement: the Active Desktop (creation answers "class not registered");
//   JPEG pictures on the X root window (the desktop setters read them themselves).
#include "../WallpaperPort.h"

class IDesktopSetter;

class CPosixWallpaperPort : public IWallpaperPort {
public:
    long CreateActiveDesktop() override;
    bool ActiveDesktopSet(const std::string&, int) override { return false; }
    bool SystemSet(const std::string& path, int styleCode) override;
    bool ReadDesktop(std::string& path, int& styleCode) override;
    std::string ExpandEnvironment(const std::string& text) override;
    std::string NameOnDisk(const std::string& path) override;

    // The X root window setter on its own (tests call it on their Xvfb display).
    static bool SetRootWindow(const std::string& path, int styleCode, std::string& error);
    // Which setter SystemSet would use now: "command", "gsettings", "xfconf-query",
    // "qdbus" (or the name of the Qt 6 caller), "swaymsg", "x11", "".
    static std::string ChosenSetter();

private:
    bool SetOnDesktop(IDesktopSetter& setter, const std::string& path, int styleCode);
};
