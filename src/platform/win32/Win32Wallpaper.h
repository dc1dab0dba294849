#pragma once
// The system wallpaper on Windows.
//
// Implements: the Active Desktop object (CLSID_ActiveDesktop, CLSCTX_ALL) and its
//   option/set/apply sequence; SystemParametersInfoW(SPI_SETDESKWALLPAPER) with
//   SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE; ExpandEnvironmentStringsW;
//   FindFirstFileW for the name as stored on disk; the per-monitor wallpaper object
//   (CLSID_DesktopWallpaper, IDesktopWallpaper: monitor ids, rectangles, pictures,
//   position), created in process for each call where the system has it.
// Does not implement: styles beyond 0-2 for the Active Desktop object (other codes
//   leave the option record's style unset, as newer systems' codes 6 and 10 have no
//   counterpart there).
#include <memory>

#include "../WallpaperPort.h"
#include "ScopedWin.h"

struct IActiveDesktop;

class CWin32WallpaperPort : public IWallpaperPort {
public:
    CWin32WallpaperPort();
    ~CWin32WallpaperPort() override;
    long CreateActiveDesktop() override;
    bool ActiveDesktopSet(const std::string& path, int styleCode) override;
    bool SystemSet(const std::string& path, int styleCode) override;
    std::string ExpandEnvironment(const std::string& text) override;
    std::string NameOnDisk(const std::string& path) override;
    bool ReadMonitorWallpapers(std::vector<MonitorWallpaper>& monitors, int& position) override;
    bool SetMonitorWallpaper(const std::string& id, const std::string& path) override;
    bool SetWallpaperPosition(int position) override;

private:
    ComPtr<IActiveDesktop> m_desktop; // held only between creation and the set
};
