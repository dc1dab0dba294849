#pragma once
// The hidden main window and the program's clock: the tray icon, the four timers of
// the refresh cycle, the tray's commands and the requests of other parts. It is never
// shown; closing it ends the program.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../desktop/ScreenSaverWatcher.h"
#include "../platform/WindowKit.h"
#include "../settings/SettingsSheetModel.h"
#include "../util/OleDateTime.h"

class CActiveWallpaper;
class COrvantaDoc;
class CSettings;
class CSystemTray;

class CMainFrame : public IWindowEvents {
public:
    // Timer ids and periods.
    static constexpr unsigned kDayTimer = 101;
    static constexpr unsigned kRefreshTimer = 103;
    static constexpr unsigned kDeferredTimer = 105;
    static constexpr unsigned kWallpaperTimer = 106;
    static constexpr unsigned kDeferredPeriod = 300;
    static constexpr unsigned kWallpaperPeriod = 5000;
    static constexpr unsigned kDayPeriod = 3000;
    // Messages of other parts of the program.
    static constexpr unsigned kTrayNotify = 0x8001;
    static constexpr unsigned kNewAppointmentMsg = 0x501;
    static constexpr unsigned kNewTaskMsg = 0x502;
    static constexpr unsigned kNewMailMsg = 0x503;
    static constexpr unsigned kOpenAppointmentMsg = 0x504;
    static constexpr unsigned kOpenTaskMsg = 0x505;
    static constexpr unsigned kOpenFolderMsg = 0x506;
    static constexpr unsigned kOpenDayMsg = 0x507;
    static constexpr unsigned kStartOutlookMsg = 0x508;
    static constexpr unsigned kContactsMsg = 0x509;
    static constexpr unsigned kNothingMsg = 0x510;
    static constexpr unsigned kDesktopLockMsg = 0x511;
    static constexpr unsigned kRefreshRequestMsg = 0x512;
    static constexpr unsigned kSetDeskWallpaper = 20; // SPI_SETDESKWALLPAPER
    static constexpr unsigned kSetHighContrast = 0x43; // SPI_SETHIGHCONTRAST
    static constexpr unsigned kSetWorkArea = 47;      // SPI_SETWORKAREA
    static constexpr unsigned kSetLogicalDpiOverride = 0x9F; // SPI_SETLOGICALDPIOVERRIDE
    static constexpr unsigned kTrayId = 195;
    // The lock watcher's pause between two polls.
    static constexpr unsigned kWatcherInterval = 400;

    CMainFrame(CSettings& settings, CActiveWallpaper& wallpaper);
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Creates the hidden window; OnCreate follows.
    bool Create(const std::string& caption);
    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // Published after the frame exists; the first deferred tick finds it.
    void SetDocument(COrvantaDoc* doc) { m_doc = doc; }

    // A menu command: the frame's own, else each target in the order added (view,
    // document, application). True when someone handled it.
    bool RouteCommand(int id);
    void AddCommandTarget(std::function<bool(int)> target) { m_targets.push_back(std::move(target)); }

    // The window's events.
    bool OnTimer(unsigned id) override;
    bool OnCommand(unsigned id, intptr_t argument) override;
    bool OnClose() override;
    std::optional<bool> OnQueryEndSession() override;
    bool OnEndSession(bool ending) override;
    bool OnSettingChange(unsigned action) override;
    bool OnDisplayChange(const DisplayChange& change) override;
    bool OnSessionChange(SessionChange kind) override;
    bool OnAppMessage(const AppMessage& m) override;

    void OnDeferredWork();
    void OnRefreshTick();
    void InstallWallpaper();
    void CheckWallpaperChange();
    void CheckDayChange();
    // The monitors or their work areas differ from those the picture was composed
    // for: composed again for them (the regions, the tooltips and the pop-up follow).
    // Nothing else happens on a check that finds them as they were.
    void CheckDisplays();
    void ToggleHideData();
    void StartOutlook();
    void ConvertBackground();
    // The desktop mapper's mouse hook; false when it could not be set
    // (removed: true when it is off).
    bool InstallHook();
    bool RemoveHook();
    // The settings sheet, modal; one at a time (a second request while it is open is dropped).
    void OpenSettingsSheet();
    bool SettingsSheetOpen() const { return m_settingsSheetOpen; }
    // Puts settings the sheet took over into effect, step by step in the order given.
    void ApplySettings(const std::vector<ApplyStep>& steps);
    // Another process (the Linux "orvanta settings") saved new settings: they are read
    // again and put into effect as the sheet's Apply would.
    void OnSettingsSavedElsewhere();
    // lParam of the settings command that says the settings were saved elsewhere.
    static constexpr intptr_t kSettingsSaved = 1;
    // The desktop lock watcher's report: hide the data while locked (not persisted).
    void OnDesktopLock(bool locked);
    // The start-up information dialog, modal; its box is kept in "ShowStartup".
    void ShowStartupInfo();
    const CScreenSaverWatcher& Watcher() const { return m_watcher; }

    IWindow* Window() const { return m_window.get(); }
    CSystemTray* Tray() const { return m_tray.get(); }
    bool RefreshRequested() const { return m_refreshRequested; }
    bool HiddenByLock() const { return m_hiddenByLock; }
    // Compositions and installs since start (what the tests and benchmarks count).
    int Redraws() const { return m_redraws; }
    int Refreshes() const { return m_refreshes; }
    // Compositions made because the monitors changed.
    int DisplayRedraws() const { return m_displayRedraws; }

    // The local time the day check and the document see; tests set their own.
    std::function<COleDateTime()> m_clock;
    // Whether the splash is still on the screen (null: there is none). The start-up
    // information of the first tick waits until it has gone.
    std::function<bool()> m_splashShowing;

private:
    void OnCreate();
    bool OnFrameCommand(int id);
    // A clicked region's request (new appointment, open an item, ...).
    bool OnRegionRequest(const AppMessage& m);
    void RestartRefreshTimer();
    void ComposeAndInstall(bool installOnlyWhenComposed);
    void Shutdown();
    unsigned DefaultTrayItem() const;
    // "Lounch Outlook" at creation: starts Outlook unless its main window is there.
    void LaunchOutlookAtStart();
    // Starts the lock watcher when the data are shown and "Hide On Desktop Lock" is on,
    // unless the session's own lock notices reach this window.
    void StartWatcherIfWanted();
    // The tray menu's check marks: the current style, and "Hide Data" while the data
    // are hidden (by the user or by a lock).
    std::vector<unsigned> CheckedTrayItems() const;
    // Takes a desktop tooltip away (a window of ours opens, the data leave the desktop).
    void HideTooltip();
    // Saves the settings, "Hide Data" as the user has it (not as a lock set it).
    void SaveSettings();

    CSettings& m_settings;
    CActiveWallpaper& m_wallpaper;
    COrvantaDoc* m_doc = nullptr;
    std::unique_ptr<IWindow> m_window;
    std::unique_ptr<CSystemTray> m_tray;
    std::vector<std::function<bool(int)>> m_targets;
    bool m_refreshRequested = false;
    bool m_firstTickPending = true;
    bool m_settingsRequested = false;
    bool m_startupInfoDue = false; // at the first tick, shown once the splash has gone
    bool m_hiddenByLock = false;
    bool m_watchingSession = false;
    CScreenSaverWatcher m_watcher;
    bool m_settingsSheetOpen = false;
    bool m_shutDown = false;
    int m_storedDay = -1; // no day yet: the first check counts as a change
    COleDateTime m_storedTime;
    int m_redraws = 0;
    int m_displayRedraws = 0;
    int m_refreshes = 0;
};
