#pragma once
// The one settings record: the user's preferences persisted under the program's
// registry key, plus values other parts fill at run time.
#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "../platform/RegistryPort.h"
#include "../util/PanelScale.h"
#include "CalendarSource.h"
#include "OutlookOptions.h"

class CRegistry;

class CSettings {
public:
    // Persisted value encodings.
    enum class Encoding { Text, Flag, NumberText, Number };
    struct PersistedValue {
        const char* name;
        Encoding encoding;
        std::variant<std::string CSettings::*, int32_t CSettings::*, bool CSettings::*> field;
    };
    // Every persisted value in the order Save writes them ("Header Blank" twice).
    static const std::vector<PersistedValue>& SaveOrder();

    // The program's key below HKEY_CURRENT_USER, built from the string table:
    // "Software\Kestrova\Orvanta for Outlook\3.5".
    static std::string ProgramRegistryRoot();

    // registryRoot: the key below HKEY_CURRENT_USER. Holds the initial values and
    // reads nothing until Open.
    explicit CSettings(std::string registryRoot, IRegistryPort* port = nullptr);

    // The first load: the values derived from the screen and the data folder, then
    // Load; on a first start (the key did not exist), or when a persisted value is
    // missing, every value is written at once.
    void Open();
    void Load();
    void Save();
    // Every persisted value as Save writes it, in SaveOrder.
    std::vector<std::pair<std::string, RegValue>> PersistedValues() const;
    // 0 Monday ... 6 Sunday: "FDOW" 1 is Sunday, 2 Monday, anything else Outlook's own.
    int EffectiveFirstDayOfWeek() const;
    // Stores the colour style index: 0 Blue, 1 Green, 2 Brown; anything else is Blue.
    // The style's colours, pictures and geometry are taken when a picture is drawn.
    void ApplyStyle(int style);
    const std::string& RegistryRoot() const { return m_registryRoot; }
    // True when the key did not exist and this record created it (a first start).
    bool CreatedKey() const { return m_createdKey; }

    // --- persisted ---
    std::string m_wallpaper;        // "Wallpaper"
    std::string m_wpStyle;          // "WPStyle"
    int32_t m_style = 0;            // "Orvanta style"
    int32_t m_fdow = 0;             // "FDOW"
    int32_t m_systrayIcon = 0;      // "Systray Ico"
    int32_t m_doubleclickAction = 3; // "Doubleclick Action"
    int32_t m_transparency = 30;    // "Transparency"
    int32_t m_sideBarWidth = 0;     // "SideBar Width"
    int32_t m_desktopMouseMode = 0; // "Desktop Mouse Mode"
    bool m_useInteractiveDesktop = true;
    bool m_showDesktopTooltip = true;
    bool m_showContacts = true;
    bool m_showAppointments = true;
    bool m_showTasks = true;
    bool m_showMessages = true;
    bool m_showCalendar = true;
    bool m_showWeekNumbers = true;
    bool m_launchAtStartup = true;
    bool m_hideData = true;
    bool m_hideOnDesktopLock = false;
    bool m_keepOnExit = false;
    bool m_showSplash = true;
    bool m_launchOutlook = false;   // "Lounch Outlook"
    int32_t m_timeStyle = 1;        // "Time Style"
    bool m_centralView = false;    // "SideBarStyle": central view when set
    int32_t m_headerBlank = 0;
    int32_t m_footerBlank = 35;
    int32_t m_rightMarginBlank = 0;
    int32_t m_appointmentsTask = 75;
    bool m_offsetType = false;
    int32_t m_calendarPosX = 0;
    int32_t m_calendarPosY = 0;
    int32_t m_sideBarCalPosX = 0;
    int32_t m_sideBarCalPosY = 0;
    // "Panel Monitor": the monitor the panel is drawn on; 0 the primary, 1 to n a
    // monitor by its position from the left (one that is gone: the primary).
    int32_t m_panelMonitor = 0;
    // "Panel Scale": the size the panel is drawn at, in per cent; 0 follows the panel
    // monitor's DPI (96 is 100 %), 100 to 300 fixes it.
    int32_t m_panelScale = 0;
    int32_t m_refresh = 20;
    bool m_showStartup = false;
    int32_t m_privateItems = 0;     // "Private Items": 0 shown, 1 subject masked, 2 left out
    bool m_presenting = false;      // "Presenting": start in presenting mode

    // --- calendar sources beside Outlook: subkeys Sources\0, Sources\1, ... of the
    // program's key (SourcesKey.h). Load reads them; only SaveSources writes them,
    // so a Save for another change never puts back a list edited meanwhile. ---
    std::vector<CCalendarSource> m_sources;
    std::vector<std::string> m_sourceProblems; // one text per entry the last load left out
    void LoadSources();
    bool SaveSources();

    // --- derived, not persisted ---
    std::string m_convertedPath; // BMP copy of a JPEG background
    bool m_converted = false;

    // --- Outlook's options, read from Outlook's keys at every refresh (the engine's
    // caller puts them here) ---
    OutlookOptions m_outlook;

    static constexpr int kMinSideBarWidth = 160;
    static constexpr int kMaxSideBarWidth = 400;
    static constexpr int kDefaultRefresh = 20;
    static constexpr int kMinRefresh = 5;
    static constexpr int kMaxRefresh = 3600;
    static constexpr int kMinPanelScale = CPanelScale::kMin;
    static constexpr int kMaxPanelScale = CPanelScale::kMax;
    // "Panel Scale" as read: 0 for 0 or less, else pulled into 100..300.
    static int32_t ClampPanelScale(int32_t value);

private:
    bool OpenKey(CRegistry& reg, RegAccess access);

public:
    // The logon entry's command: the program's short path, quoted when it holds a blank.
    static std::string LogonCommand();

private:

    std::string m_registryRoot;
    bool m_createdKey = false;
    std::vector<std::string> m_missingValues; // persisted values Load did not find
    std::vector<std::string> m_reportedSourceProblems; // said once per process
    IRegistryPort* m_port;
};
