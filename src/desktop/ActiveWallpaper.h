#pragma once
// The system's wallpaper: what it shows now, setting a picture, installing the
// composed picture, putting the user's own picture back, and learning which picture
// is the user's (at each data load and when the user changes the wallpaper).
#include <set>
#include <string>
#include <vector>

#include "../platform/WallpaperPort.h"

class CSettings;

class CActiveWallpaper {
public:
    static constexpr const char* kDesktopKey = "Control Panel\\Desktop";
    static constexpr const char* kGeneralKey = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";
    // File names (without folder and extension) that are never taken for the user's
    // picture: the sibling program's and this product's own.
    static constexpr const char* kSiblingPicture = "corvinel";
    static constexpr const char* kProductPicture = "Orvanta";

    struct SystemWallpaper {
        std::string wallpaper; // the "Wallpaper" value, expanded
        std::string picture;   // the picture the system shows
        std::string backup;    // "BackupWallpaper" of the Active Desktop options
        int style = 0;         // "WallpaperStyle" + "TileWallpaper"
    };
    enum class Check { Timer, RefreshTick };

    explicit CActiveWallpaper(CSettings& settings) : m_settings(settings) {}

    // True when the picture was handed to the system.
    bool SetWallpaper(const std::string& path, int styleCode);
    SystemWallpaper ReadSystemWallpaper();
    // The composed picture as wallpaper: tiled over several monitors, else centred;
    // where the system keeps a picture for each monitor, each monitor gets its own part.
    // Nothing while "Hide Data" is set. Whether the system then shows it is
    // remembered: a picture it kept instead is no change of the user's.
    bool Install();
    // Whether the system showed our picture after the last install.
    bool Installed() const { return m_installed; }
    // After an install the call said was done, the system shows another picture that is
    // not known: most likely the user's choice made meanwhile, for the caller to look at
    // at once rather than at the next check.
    bool OtherPictureShown() const { return !m_installed && m_known.empty() && !m_shownThoughSet.empty(); }
    // The user's own picture, by its name as stored on disk, in the user's style; with
    // a picture for each monitor, each monitor's own.
    bool Restore();
    // Reloads the settings and reconciles "Wallpaper"/"WPStyle" with what the system
    // shows; the program's own output picture never becomes the user's picture.
    // True when it took a change of the user's that the picture on show does not have
    // yet (the same picture chosen again over ours counts): the caller must draw again
    // even when the data did not change.
    bool Capture(const std::string& outputPath);
    // True when the user set another wallpaper since the last look: it becomes the
    // user's picture. The caller recomposes, saves and restarts its refresh timer.
    // With the data shown, every wallpaper other than ours is a change, except the one
    // the system kept when our last install did not take (or before the first).
    bool AdoptChanged(Check variant);

    // Where the system keeps a picture for each monitor (Windows 8 and later): the
    // user's picture of each, as last learnt, and the position the user chose. Empty
    // where the system has one spanned picture, which is then all that is kept.
    const std::vector<MonitorWallpaper>& UserMonitorPictures() const { return m_monitorPictures; }
    bool PerMonitor() const { return !m_monitorPictures.empty(); }
    // The subkey of the program's key in which they are kept, so that a start after a
    // crash (or "/restore-wallpaper") that finds our parts on the monitors still knows
    // the user's pictures.
    static constexpr const char* kMonitorKey = "Monitor Wallpapers";

    const std::string& CurrentSystemWallpaper() const { return m_current; }
    const std::string& DisplayedPicture() const { return m_displayed; }
    const std::string& BackupWallpaper() const { return m_backup; }
    const std::string& OutputPath() const { return m_output; }
    int UserStyle() const { return m_userStyle; }
    long LastActiveDesktopResult() const { return m_lastResult; }
    void SetOutputPath(const std::string& path);

    // Path comparisons: without regard to case where the file system ignores case.
    static bool SamePath(const std::string& a, const std::string& b);
    // A path as this build compares it: lower-cased where case does not matter.
    static std::string FoldPath(const std::string& path);
    // A file named (without folder and extension) as the product's or the sibling's picture.
    static bool NamedLikeOurs(const std::string& path);

private:
    // The per-monitor counterparts of Capture, Install, Restore and AdoptChanged; each
    // returns false (and forgets the monitors) when the system has no such object.
    bool CaptureMonitors(bool& news);
    bool InstallMonitors(bool& set);
    bool RestoreMonitors(bool& restored);
    bool AdoptMonitors(bool& changed);
    void LoadMonitorPictures(std::vector<MonitorWallpaper>& pictures, int& position) const;
    void SaveMonitorPictures() const;
    // The picture the composition draws under the panel: the user's picture of the
    // panel's monitor (else of the first one listed).
    std::string PanelMonitorPicture() const;
    // Our composed picture, one of its parts, or a file named like ours.
    bool Ours(const std::string& path) const;
    std::string OnDisk(const std::string& path) const;

    std::string ShortFolded(const std::string& path) const;
    // With the data shown: a wallpaper other than ours that is not yet known.
    bool UnknownWhileShown(const std::string& current) const;
    static int StyleNumber(const std::string& text);

    CSettings& m_settings;
    long m_lastResult = -1;
    std::string m_current;   // the system's wallpaper at the last look, short and folded
    std::string m_displayed; // the picture the system said it shows
    std::string m_backup;
    std::string m_output;
    int m_userStyle = 0;
    // After the last install: whether the system showed our picture, and else what it
    // showed instead (short and folded). A change taken (adopted or captured) is known
    // too until the next install, so one change asks for one drawing.
    bool m_installed = false;
    std::string m_known;
    // What the system showed after an install the call reported done: either the user's
    // pick made while ours was being set, or a picture the system keeps whatever the call
    // says. The first time it is left to the next check; the same one again is known.
    std::string m_shownThoughSet;
    // Per monitor: the user's pictures and position, and the monitors that showed our
    // part after the last install (a picture of the user's there, even the same one
    // again, is the user's new choice).
    std::vector<MonitorWallpaper> m_monitorPictures;
    int m_userPosition = -1;
    std::set<std::string> m_partShown;
};
