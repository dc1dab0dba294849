#include "ActiveWallpaper.h"

#include <cstdlib>

#include "../platform/Platform.h"
#include "../system/FileSystem.h"
#include "../system/Registry.h"
#include "../settings/Settings.h"
#include "../system/SystemInfo.h"
#include "../util/Parser.h"
#include "../util/SplitPath.h"

namespace {
bool IsJpeg(const std::string& path) {
    const std::string ext = EFileSystem::Extension(path, true);
    return ext == "jpg" || ext == "jpeg";
}
bool OlderThanXp() { return !ESystemInfo::NewerThanWindows2000(); }
} // namespace

bool CActiveWallpaper::SamePath(const std::string& a, const std::string& b) {
    return FoldPath(a) == FoldPath(b);
}

std::string CActiveWallpaper::FoldPath(const std::string& path) {
    return Port<ISystemPort>().CaseInsensitivePaths() ? EParser::ToLower(path) : path;
}

std::string CActiveWallpaper::ShortFolded(const std::string& path) const {
    // A file that does not exist has no short form: its name is kept as it is.
    std::string shortForm = path.empty() ? std::string() : Port<ISystemPort>().ShortPath(path);
    return FoldPath(shortForm.empty() ? path : shortForm);
}

int CActiveWallpaper::StyleNumber(const std::string& text) {
    // Text that is not a number counts as 0.
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

void CActiveWallpaper::SetOutputPath(const std::string& path) { m_output = FoldPath(path); }

bool CActiveWallpaper::SetWallpaper(const std::string& path, int styleCode) {
    IWallpaperPort& port = Port<IWallpaperPort>();
    m_lastResult = port.CreateActiveDesktop();
    if (m_lastResult != 0) return port.SystemSet(path, styleCode);
    // An object that did not apply the picture (under Wine every call answers "not
    // implemented") leaves the work to the plain call, also for a picture of the same
    // name: a recomposed wallpaper is a new picture under the old name, which the
    // system reads again only when told.
    if (!port.ActiveDesktopSet(path, styleCode)) return port.SystemSet(path, styleCode);
    // It may also apply and still show nothing (Active Desktop switched off).
    if (!SamePath(ReadSystemWallpaper().picture, path)) port.SystemSet(path, styleCode);
    return true;
}

CActiveWallpaper::SystemWallpaper CActiveWallpaper::ReadSystemWallpaper() {
    SystemWallpaper out;
    IWallpaperPort& port = Port<IWallpaperPort>();
    // A desktop that keeps its own setting (Linux desktops) is asked first: its answer
    // is what the system shows, whatever the registry values last said.
    if (port.ReadDesktop(out.wallpaper, out.style)) {
        out.picture = out.wallpaper;
        return out;
    }
    CRegistry desktop;
    if (!desktop.Open(RegRoot::CurrentUser, kDesktopKey)) return out;
    auto readPath = [&port](CRegistry& reg, const char* name, size_t buffer) {
        std::string text;
        reg.ReadText(name, text, buffer);
        return text.empty() ? text : port.ExpandEnvironment(text);
    };
    out.wallpaper = readPath(desktop, "Wallpaper", 250);
    std::string tile, style;
    desktop.ReadText("TileWallpaper", tile);
    desktop.ReadText("WallpaperStyle", style);
    out.picture = out.wallpaper;
    if (desktop.ValueExists("OriginalWallpaper")) {
        const std::string original = readPath(desktop, "OriginalWallpaper", 260);
        if (desktop.ValueExists("ConvertedWallpaper") && original == out.wallpaper)
            out.picture = readPath(desktop, "ConvertedWallpaper", 260);
    } else {
        CRegistry general;
        if (general.Open(RegRoot::CurrentUser, kGeneralKey)) {
            out.picture = readPath(general, "Wallpaper", 260);
            if (OlderThanXp() && Port<ISystemPort>().DesktopHostsWebView()) out.wallpaper = out.picture;
            if (!IsJpeg(out.picture)) out.picture = out.wallpaper;
            out.backup = readPath(general, "BackupWallpaper", 260);
        }
    }
    out.style = StyleNumber(style) + StyleNumber(tile);
    return out;
}

bool CActiveWallpaper::Install() {
    if (m_settings.m_hideData) return false;
    const int code = Port<ISystemPort>().GetScreenMetrics().monitorCount != 1 ? 1 : 0;
    const bool set = SetWallpaper(m_output, code);
    // What the system shows now decides. A picture it kept when the call failed is known,
    // so a failed install is not taken for the user's change (and redrawn) at every check.
    // After a call that reported success, another picture may be the user's choice made
    // while ours was being set (the same picture chosen again looks exactly like a kept
    // one): the next check takes it, and only if the next install is followed by the same
    // picture again is it known, so a system that ignores the call costs one redraw.
    const std::string shows = ShortFolded(ReadSystemWallpaper().wallpaper);
    m_installed = shows == m_output;
    if (m_installed) {
        m_known.clear();
        m_shownThoughSet.clear();
    } else if (set && shows != m_shownThoughSet) {
        m_known.clear();
        m_shownThoughSet = shows;
    } else {
        m_known = shows;
        if (!set) m_shownThoughSet.clear();
    }
    return set;
}

bool CActiveWallpaper::UnknownWhileShown(const std::string& current) const {
    return current != m_output && current != m_known;
}

bool CActiveWallpaper::Restore() {
    std::string picture = m_settings.m_wallpaper;
    const std::string onDisk = picture.empty() ? std::string() : Port<IWallpaperPort>().NameOnDisk(picture);
    if (!onDisk.empty()) {
        CSplitPath parts(picture);
        picture = parts.Drive() + parts.Dir() + onDisk;
    }
    if (OlderThanXp()) {
        CRegistry general;
        if (general.Open(RegRoot::CurrentUser, kGeneralKey, RegAccess::Write) && IsJpeg(picture)) {
            general.WriteText("BackupWallpaper", m_settings.m_convertedPath);
            CRegistry desktop;
            if (desktop.Open(RegRoot::CurrentUser, kDesktopKey, RegAccess::Write))
                desktop.WriteText("Wallpaper", m_settings.m_convertedPath);
        }
    }
    return SetWallpaper(picture, m_userStyle);
}

bool CActiveWallpaper::NamedLikeOurs(const std::string& path) {
    const std::string name = EParser::ToLower(CSplitPath(path).FileName());
    return name == kSiblingPicture || name == EParser::ToLower(kProductPicture);
}

bool CActiveWallpaper::Capture(const std::string& outputPath) {
    m_output = outputPath;
    m_settings.Load();
    m_current.clear();
    const SystemWallpaper sys = ReadSystemWallpaper();
    const std::string before = m_settings.m_wallpaper + "|" + m_settings.m_wpStyle;
    m_current = sys.wallpaper;
    // A picture named like ours (left by a copy with another data folder) is no more
    // the user's than our own output is.
    const bool namedLikeOurs = NamedLikeOurs(sys.wallpaper);
    if (!SamePath(sys.wallpaper, m_output) && !namedLikeOurs) {
        m_settings.m_wallpaper = sys.wallpaper;
        m_displayed = sys.picture;
        m_userStyle = sys.style;
    }
    if (!SamePath(sys.backup, m_output)) m_backup = sys.backup;
    m_current = ShortFolded(m_current);
    m_output = FoldPath(m_output);
    if (m_current != m_output && !namedLikeOurs) {
        m_settings.m_wallpaper = m_current;
        m_settings.m_wpStyle = std::to_string(m_userStyle);
    } else {
        // The system still shows our picture, left by an earlier run that did not end
        // cleanly: the user's picture is the one the program's key remembers.
        m_userStyle = StyleNumber(m_settings.m_wpStyle);
        if (m_settings.m_wallpaper == m_output) m_settings.m_wallpaper.clear();
    }
    // A change the picture on show does not have: with the data shown, a wallpaper
    // other than ours that is not known (the same picture chosen again over ours
    // included); while hidden, another picture or style of the user's. Once taken it
    // is known, and the caller draws it, at once or at its next successful read.
    bool news;
    if (m_settings.m_hideData) {
        news = m_settings.m_wallpaper + "|" + m_settings.m_wpStyle != before;
    } else {
        news = UnknownWhileShown(m_current);
        if (news) m_known = m_current;
    }
    CRegistry reg;
    if (!reg.Open(RegRoot::CurrentUser, m_settings.RegistryRoot(), RegAccess::Write)) {
        reg.CreateKeyPath(RegRoot::CurrentUser, m_settings.RegistryRoot(), "");
        if (!reg.Open(RegRoot::CurrentUser, m_settings.RegistryRoot(), RegAccess::Write)) return news;
    }
    reg.WriteText("Wallpaper", m_settings.m_wallpaper);
    reg.WriteText("WPStyle", m_settings.m_wpStyle);
    return news;
}

bool CActiveWallpaper::AdoptChanged(Check variant) {
    const SystemWallpaper sys = ReadSystemWallpaper();
    m_current = ShortFolded(sys.wallpaper);
    const std::string name = EParser::ToLower(CSplitPath(sys.wallpaper).FileName());
    const bool tick = variant == Check::RefreshTick;
    bool changed;
    if (m_settings.m_hideData)
        changed = tick ? m_current != FoldPath(m_settings.m_wallpaper) : sys.picture != m_displayed;
    else
        // Any wallpaper but ours is the user's change, the same picture chosen again
        // included; only the one the system kept when our install did not take (or
        // before the first) is not, or a failed install would recompose at every tick.
        changed = UnknownWhileShown(m_current);
    if (name == kSiblingPicture) changed = false;
    if (!(tick && !m_settings.m_hideData) && name == EParser::ToLower(kProductPicture)) changed = false;
    if (!changed) return false;
    m_known = m_current;
    m_settings.m_wallpaper = m_current;
    m_displayed = sys.picture;
    if (!SamePath(sys.backup, m_output)) m_backup = sys.backup;
    m_userStyle = sys.style;
    m_settings.m_wpStyle = std::to_string(m_userStyle);
    return true;
}
