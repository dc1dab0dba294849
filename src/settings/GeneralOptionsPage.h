#pragma once
// What the "General Options" page of the settings sheet holds and decides: one member
// per control, the interval's range check, which controls are enabled, and the
// factory settings. The dialog (dialog resource 239) only moves values between its
// controls and this object.
#include <string>
#include <vector>

class CSettings;

class CGeneralOptionsPage {
public:
    static constexpr int kDialogId = 239;
    // Control ids of the dialog.
    static constexpr int kLaunchAtStartup = 1012;
    static constexpr int kLaunchOutlook = 1024;
    static constexpr int kShowSplash = 1013;
    static constexpr int kKeepOnExit = 1014;
    static constexpr int kRefreshEdit = 1028;
    static constexpr int kRefreshSpin = 1029;
    static constexpr int kUseInteractiveDesktop = 1052;
    static constexpr int kDoubleClick = 1053;
    static constexpr int kSingleClick = 1054;
    static constexpr int kShowDesktopTooltip = 1055;
    static constexpr int kShowContacts = 1057;
    static constexpr int kHideOnDesktopLock = 1056;
    static constexpr int kActionSettings = 1019;
    static constexpr int kActionStartOutlook = 1020;
    static constexpr int kActionShowHide = 1025;
    static constexpr int kActionPopup = 1026;
    static constexpr int kDateIcon = 1011;
    static constexpr int kProgramIcon = 1010;
    static constexpr int kPrivateShown = 1090;
    static constexpr int kPrivateMasked = 1091;
    static constexpr int kPrivateLeftOut = 1092;
    static constexpr int kPresenting = 1093;
    static constexpr int kPanelMonitor = 1094; // drop-down list
    static constexpr int kFactorySettings = 7;
    static constexpr int kHelp = 5;
    static constexpr int kAbout = 57664;

    static constexpr int kMinRefresh = 5;
    static constexpr int kMaxRefresh = 3600;
    static constexpr int kFactoryRefresh = 20;
    // "Panel Monitor" takes 0 (the primary) to this; one naming no monitor draws on the primary.
    static constexpr int kMaxPanelMonitor = 16;

    // Copies the record's values. launchEntryExists: whether the logon entry is in the
    // Run key (the box shows that, not the stored flag); ntFamily: whether "Hide On
    // Desktop Lock" applies to this system.
    void Init(const CSettings& settings, bool launchEntryExists, bool ntFamily);

    // How many monitors the system has now (at least 1), for the "Panel Monitor" list.
    void SetMonitorCount(int count) { m_monitorCount = count < 1 ? 1 : count; }
    // The list's entries, one for each value: "Primary monitor", then "Monitor 1" to
    // "Monitor n" by position from the left; a value beyond the monitors there are
    // keeps an entry of its own, marked as not connected, so opening the sheet
    // changes nothing.
    std::vector<std::string> MonitorChoices() const;

    // The text of the interval's edit field: taken over when it is an integer of
    // 5..3600; otherwise false with the message, and the interval keeps its value.
    bool TakeRefresh(const std::string& text, std::string& message);

    // Whether the control is enabled by the page's rules (any id the rules do not name
    // is enabled).
    bool IsEnabled(int controlId) const;

    // The initial values of the settings store for this page's controls. The launch
    // box is shown selected; the logon entry itself is written by Apply, so a sheet
    // cancelled afterwards leaves the Run key as it was.
    void FactorySettings();

    // Every control change marks the page; Apply clears it.
    void SetModified(bool modified = true) { m_modified = modified; }
    bool IsModified() const { return m_modified; }

    bool m_launchAtStartup = true;
    bool m_launchOutlook = false;
    bool m_showSplash = true;
    bool m_keepOnExit = false;
    int m_refresh = kFactoryRefresh;
    bool m_useInteractiveDesktop = true;
    int m_desktopMouseMode = 0; // 0 double click, 1 single click
    bool m_showDesktopTooltip = true;
    bool m_showContacts = true;
    bool m_hideOnDesktopLock = false;
    int m_doubleclickAction = 3; // 0 settings, 1 start Outlook, 2 show/hide, 3 pop-up
    int m_systrayIcon = 0;       // 0 date icon, 1 program icon
    int m_privateItems = 0;      // 0 shown as they are, 1 subject masked, 2 left out
    bool m_presenting = false;   // start in presenting mode
    int m_panelMonitor = 0;      // 0 the primary, 1..n a monitor by its position from the left
    bool m_ntFamily = false;

private:
    bool m_modified = false;
    int m_monitorCount = 1;
};
