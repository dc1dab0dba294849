#pragma once
// The system wallpaper on Linux.
//
// Implements: the "Wallpaper" value under HKEY_CURRENT_USER "Control Panel\Desktop" of
//   the file registry, written on every set as Windows writes it; the picture shown by
//   the first setter that applies, chosen at each set:
//   1. ORVANTA_WALLPAPER_COMMAND, run by /bin/sh with the picture's path as $1;
//   2. GNOME, Unity, Budgie (org.gnome.desktop.background) and Cinnamon
//      (org.cinnamon.desktop.background) through gsettings, when the schema exists;
//   3. XFCE through xfconf-query, every monitor's "last-image";
//   4. the X root window of $DISPLAY: a pixmap drawn from the picture (BMP of 24 or
//      32 bits, or PNG) centred, tiled or stretched, set as the root's background and
//      published as _XROOTPMAP_ID and ESETROOT_PMAP_ID, kept after the program ends;
//      the pixmap this replaces is freed when it was one of ours.
//   %NAME% references expanded from the environment.
// Does not implement: the Active Desktop (creation answers "class not registered");
//   JPEG pictures on the X root window (the desktop setters read them themselves).
#include "../WallpaperPort.h"

class CPosixWallpaperPort : public IWallpaperPort {
public:
    long CreateActiveDesktop() override;
    bool ActiveDesktopSet(const std::string&, int) override { return false; }
    bool SystemSet(const std::string& path, int styleCode) override;
    std::string ExpandEnvironment(const std::string& text) override;
    std::string NameOnDisk(const std::string& path) override;

    // The X root window setter on its own (tests call it on their Xvfb display).
    static bool SetRootWindow(const std::string& path, int styleCode, std::string& error);
    // Which setter SystemSet would use now: "command", "gsettings", "xfconf", "x11", "".
    static std::string ChosenSetter();
};
