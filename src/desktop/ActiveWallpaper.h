#pragma once
// The system's wallpaper: what it shows now, setting a picture, installing the
// composed picture, putting the user's own picture back, and learning which picture
// is the user's (at each data load and when the user changes the wallpaper).
#include <string>

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
    // The composed picture as wallpaper: tiled over several monitors, else centred.
    // Nothing while "Hide Data" is set. Whether the system then shows it is
    // remembered: a picture it kept instead is no change of the user's.
    bool Install();
    // Whether the system showed our picture after the last install.
    bool Installed() const { return m_installed; }
    // After an install the call said was done, the system shows another picture that is
    // not known: most likely the user's choice made meanwhile, for the caller to look at
    // at once rather than at the next check.
    bool OtherPictureShown() const { return !m_installed && m_known.empty() && !m_shownThoughSet.empty(); }
    // The user's own picture, by its name as stored on disk, in the user's style.
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
};
