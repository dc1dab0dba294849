#include "GeneralOptionsPage.h"

#include "RangeCheck.h"
#include "Settings.h"

void CGeneralOptionsPage::Init(const CSettings& s, bool launchEntryExists, bool ntFamily) {
    m_launchAtStartup = launchEntryExists;
    m_launchOutlook = s.m_launchOutlook;
    m_showSplash = s.m_showSplash;
    m_keepOnExit = s.m_keepOnExit;
    m_refresh = s.m_refresh;
    m_useInteractiveDesktop = s.m_useInteractiveDesktop;
    m_desktopMouseMode = s.m_desktopMouseMode;
    m_showDesktopTooltip = s.m_showDesktopTooltip;
    m_showContacts = s.m_showContacts;
    m_hideOnDesktopLock = s.m_hideOnDesktopLock;
    m_doubleclickAction = s.m_doubleclickAction;
    m_systrayIcon = s.m_systrayIcon;
    m_privateItems = s.m_privateItems;
    m_presenting = s.m_presenting;
    m_panelMonitor = s.m_panelMonitor < 0 ? 0 : s.m_panelMonitor;
    m_ntFamily = ntFamily;
    m_modified = false;
}

bool CGeneralOptionsPage::TakeRefresh(const std::string& text, std::string& message) {
    return CRangeCheck::ParseInRange(text, kMinRefresh, kMaxRefresh, m_refresh, message);
}

bool CGeneralOptionsPage::IsEnabled(int controlId) const {
    switch (controlId) {
    case kDoubleClick:
    case kSingleClick:
    case kShowDesktopTooltip:
    case kShowContacts: return m_useInteractiveDesktop;
    case kHideOnDesktopLock: return m_ntFamily;
    default: return true;
    }
}

void CGeneralOptionsPage::FactorySettings() {
    m_launchAtStartup = true;
    m_systrayIcon = 0;
    m_keepOnExit = false;
    m_showSplash = true;
    m_doubleclickAction = 3;
    m_refresh = kFactoryRefresh;
    m_launchOutlook = false;
    m_desktopMouseMode = 0;
    m_useInteractiveDesktop = true;
    m_showDesktopTooltip = true;
    m_showContacts = true;
    m_privateItems = 0;
    m_presenting = false;
    m_panelMonitor = 0;
    // "Hide On Desktop Lock" keeps what the user chose.
    m_modified = true;
}

std::vector<std::string> CGeneralOptionsPage::MonitorChoices() const {
    std::vector<std::string> entries{"Primary monitor"};
    const int last = m_panelMonitor > m_monitorCount ? m_panelMonitor : m_monitorCount;
    for (int i = 1; i <= last; ++i)
        entries.push_back("Monitor " + std::to_string(i) + (i > m_monitorCount ? " (not connected)" : ""));
    return entries;
}
