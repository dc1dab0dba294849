#include "ActiveWallpaper.h"

#include <cstdlib>

#include "../platform/Platform.h"
#include "../system/FileSystem.h"
#include "../system/Registry.h"
#include "../settings/Settings.h"
#include "../system/MonitorSet.h"
#include "../system/SystemInfo.h"
#include "../util/Parser.h"
#include "../util/SplitPath.h"
#include "WallpaperSlices.h"

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
    bool set = false;
    if (InstallMonitors(set)) return set;
    const int code = Port<ISystemPort>().GetScreenMetrics().monitorCount != 1 ? 1 : 0;
    set = SetWallpaper(m_output, code);
    // What the system shows now decides. A picture it kept when the call failed is known,
    // so a failed install is not taken for the user's change (and redrawn) at every check.
    // After a call that reported success, another picture may be the user's choice made
    // while ours was being set (the same picture chosen again looks exactly like a kept
    // one): the next check takes it, and only if the next install is followed by the same
    // picture again is it known, so a system that ignores the call costs one redraw.
    const std::string shows = ShortFolded(ReadSystemWallpaper().wallpaper);
    m_partShown.clear();
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

std::string CActiveWallpaper::OnDisk(const std::string& path) const {
    const std::string onDisk = path.empty() ? std::string() : Port<IWallpaperPort>().NameOnDisk(path);
    if (onDisk.empty()) return path;
    CSplitPath parts(path);
    return parts.Drive() + parts.Dir() + onDisk;
}

bool CActiveWallpaper::Restore() {
    bool restored = false;
    if (RestoreMonitors(restored)) return restored;
    const std::string picture = OnDisk(m_settings.m_wallpaper);
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
    return name == kSiblingPicture || name == EParser::ToLower(kProductPicture) ||
           CWallpaperSlices::NamedLikeSlice(path);
}

bool CActiveWallpaper::Ours(const std::string& path) const {
    return !path.empty() && (SamePath(path, m_output) || NamedLikeOurs(path));
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
    bool monitorNews = false;
    if (CaptureMonitors(monitorNews)) {
        // A picture for each monitor: the one under the panel is drawn, and a change on
        // any monitor is news (its part must go back over the user's choice).
        const std::string panel = PanelMonitorPicture();
        if (!panel.empty()) m_settings.m_wallpaper = panel;
        news = monitorNews || (m_settings.m_hideData && m_settings.m_wallpaper + "|" + m_settings.m_wpStyle != before);
    } else if (m_settings.m_hideData) {
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
    bool adopted = false;
    if (AdoptMonitors(adopted)) return adopted;
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

// --- a picture for each monitor ------------------------------------------------------

namespace {
MonitorWallpaper* FindMonitor(std::vector<MonitorWallpaper>& list, const std::string& id) {
    for (MonitorWallpaper& m : list)
        if (m.id == id) return &m;
    return nullptr;
}
} // namespace

void CActiveWallpaper::LoadMonitorPictures(std::vector<MonitorWallpaper>& pictures, int& position) const {
    pictures.clear();
    position = -1;
    CRegistry reg;
    if (!reg.Open(RegRoot::CurrentUser, m_settings.RegistryRoot() + "\\" + kMonitorKey)) return;
    std::string text;
    if (reg.ReadText("Position", text) && !text.empty()) position = StyleNumber(text);
    text.clear();
    reg.ReadText("Count", text);
    const int count = StyleNumber(text);
    for (int i = 1; i <= count && i <= 64; ++i) {
        MonitorWallpaper m;
        const std::string n = "Monitor " + std::to_string(i);
        if (!reg.ReadText(n + " Id", m.id, 1024) || m.id.empty()) continue;
        reg.ReadText(n + " Wallpaper", m.picture, 1024);
        pictures.push_back(std::move(m));
    }
}

void CActiveWallpaper::SaveMonitorPictures() const {
    const std::string path = m_settings.RegistryRoot() + "\\" + kMonitorKey;
    CRegistry reg;
    if (!reg.Open(RegRoot::CurrentUser, path, RegAccess::Write)) {
        reg.CreateKeyPath(RegRoot::CurrentUser, path, "");
        if (!reg.Open(RegRoot::CurrentUser, path, RegAccess::Write)) return;
    }
    reg.WriteText("Position", std::to_string(m_userPosition));
    reg.WriteText("Count", std::to_string(m_monitorPictures.size()));
    for (size_t i = 0; i < m_monitorPictures.size(); ++i) {
        const std::string n = "Monitor " + std::to_string(i + 1);
        reg.WriteText(n + " Id", m_monitorPictures[i].id);
        reg.WriteText(n + " Wallpaper", m_monitorPictures[i].picture);
    }
}

std::string CActiveWallpaper::PanelMonitorPicture() const {
    if (m_monitorPictures.empty()) return {};
    const Rect chosen = CMonitorSet::Current().Chosen(m_settings.m_panelMonitor).bounds;
    for (const MonitorWallpaper& m : m_monitorPictures)
        if (m.bounds == chosen) return m.picture;
    return m_monitorPictures.front().picture;
}

bool CActiveWallpaper::CaptureMonitors(bool& news) {
    news = false;
    std::vector<MonitorWallpaper> shown;
    int position = -1;
    if (!Port<IWallpaperPort>().ReadMonitorWallpapers(shown, position) || shown.empty()) {
        m_monitorPictures.clear();
        m_partShown.clear();
        return false;
    }
    // A monitor that shows our part (left by a run that did not end cleanly, when this
    // is the first look) keeps the picture learnt before: in memory, else in the key.
    std::vector<MonitorWallpaper> remembered;
    int rememberedPosition = -1;
    LoadMonitorPictures(remembered, rememberedPosition);
    std::vector<MonitorWallpaper> pictures;
    bool anyOurs = false;
    for (const MonitorWallpaper& m : shown) {
        MonitorWallpaper user = m;
        MonitorWallpaper* before = FindMonitor(m_monitorPictures, m.id);
        if (Ours(m.picture)) {
            anyOurs = true;
            if (!before) before = FindMonitor(remembered, m.id);
            user.picture = before ? before->picture
                                  : (Ours(m_settings.m_wallpaper) ? std::string() : m_settings.m_wallpaper);
        } else if (m_partShown.erase(m.id) > 0 || (before && !SamePath(before->picture, m.picture))) {
            news = true;
        }
        pictures.push_back(std::move(user));
    }
    m_monitorPictures = std::move(pictures);
    // The position shown is the user's unless ours is on show (we may have changed it).
    if (m_userPosition < 0 || (!anyOurs && m_settings.m_hideData))
        m_userPosition = anyOurs && rememberedPosition >= 0 ? rememberedPosition : position;
    SaveMonitorPictures();
    return true;
}

bool CActiveWallpaper::InstallMonitors(bool& set) {
    if (m_monitorPictures.empty()) return false;
    IWallpaperPort& port = Port<IWallpaperPort>();
    std::vector<MonitorWallpaper> shown;
    int position = -1;
    if (!port.ReadMonitorWallpapers(shown, position) || shown.empty()) {
        m_monitorPictures.clear();
        return false;
    }
    // A monitor that came since the last look: its picture is the user's before ours
    // goes over it.
    bool learnt = false;
    for (const MonitorWallpaper& m : shown) {
        MonitorWallpaper* known = FindMonitor(m_monitorPictures, m.id);
        if (known) {
            known->bounds = m.bounds;
            continue;
        }
        MonitorWallpaper user = m;
        if (Ours(user.picture)) user.picture = m_settings.m_wallpaper;
        m_monitorPictures.push_back(std::move(user));
        learnt = true;
    }
    if (learnt) SaveMonitorPictures();
    std::vector<Rect> rects;
    for (const MonitorWallpaper& m : shown) rects.push_back(m.bounds);
    const ScreenMetrics screen = Port<ISystemPort>().GetScreenMetrics();
    const std::vector<std::string> parts = CWallpaperSlices::Write(m_output, rects, screen.virtualX, screen.virtualY);
    // A picture that cannot be cut goes on whole, spanned, as where the system keeps one.
    if (parts.size() != shown.size()) return false;
    // Spanned, the system would stretch the first monitor's picture over all of them;
    // a part of exactly its monitor's size shows the same in every other position.
    if (position == 5) port.SetWallpaperPosition(4);
    set = true;
    for (size_t i = 0; i < shown.size(); ++i) set = port.SetMonitorWallpaper(shown[i].id, parts[i]) && set;
    // What the monitors show now decides, as for the single picture.
    m_partShown.clear();
    std::vector<MonitorWallpaper> after;
    int ignored = -1;
    if (port.ReadMonitorWallpapers(after, ignored))
        for (const MonitorWallpaper& m : after)
            for (size_t i = 0; i < shown.size(); ++i)
                if (shown[i].id == m.id && SamePath(m.picture, parts[i])) m_partShown.insert(m.id);
    m_installed = m_partShown.size() == shown.size();
    m_known.clear();
    m_shownThoughSet.clear();
    return true;
}

bool CActiveWallpaper::RestoreMonitors(bool& restored) {
    if (m_monitorPictures.empty()) return false;
    IWallpaperPort& port = Port<IWallpaperPort>();
    std::vector<MonitorWallpaper> shown;
    int position = -1;
    if (!port.ReadMonitorWallpapers(shown, position) || shown.empty()) {
        m_monitorPictures.clear();
        return false;
    }
    restored = true;
    for (const MonitorWallpaper& m : shown) {
        const MonitorWallpaper* user = FindMonitor(m_monitorPictures, m.id);
        // A monitor never seen before keeps what it shows unless that is ours.
        if (!user && !Ours(m.picture)) continue;
        std::string picture = user ? user->picture : m_settings.m_wallpaper;
        if (Ours(picture)) picture.clear();
        picture = OnDisk(picture);
        if (SamePath(picture, m.picture) && !picture.empty()) continue;
        restored = port.SetMonitorWallpaper(m.id, picture) && restored;
    }
    if (m_userPosition >= 0 && m_userPosition != position) port.SetWallpaperPosition(m_userPosition);
    m_partShown.clear();
    m_installed = false;
    return true;
}

bool CActiveWallpaper::AdoptMonitors(bool& changed) {
    changed = false;
    if (m_monitorPictures.empty()) return false;
    std::vector<MonitorWallpaper> shown;
    int position = -1;
    if (!Port<IWallpaperPort>().ReadMonitorWallpapers(shown, position) || shown.empty()) {
        m_monitorPictures.clear();
        return false;
    }
    for (const MonitorWallpaper& m : shown) {
        if (Ours(m.picture) || (m.picture.empty() && !m_partShown.count(m.id))) continue;
        // Where our part was shown, any picture of the user's is a new choice (the same
        // one chosen again included); elsewhere only another picture than the one known.
        const bool partWasShown = m_partShown.erase(m.id) > 0;
        MonitorWallpaper* user = FindMonitor(m_monitorPictures, m.id);
        if (!user) {
            m_monitorPictures.push_back(m);
            changed = true;
        } else if (partWasShown || !SamePath(user->picture, m.picture)) {
            user->picture = m.picture;
            user->bounds = m.bounds;
            changed = true;
        }
    }
    // A position chosen while ours is off the screen is the user's too; it asks for no drawing.
    const bool moved = m_settings.m_hideData && position >= 0 && position != m_userPosition;
    if (moved) m_userPosition = position;
    if (!changed) {
        if (moved) SaveMonitorPictures();
        return true;
    }
    const std::string panel = PanelMonitorPicture();
    if (!panel.empty()) m_settings.m_wallpaper = panel;
    SaveMonitorPictures();
    return true;
}
