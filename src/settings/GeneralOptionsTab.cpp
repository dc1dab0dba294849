#include "GeneralOptionsTab.h"

#include <string>

#include "../platform/DialogPort.h"
#include "../util/Strings.h"
#include "GeneralOptionsPage.h"
#include "SettingsSheetHost.h"

namespace {

using G = CGeneralOptionsPage;

// Radio groups: the buttons in the order of the values they stand for.
constexpr int kMouseModes[] = {G::kDoubleClick, G::kSingleClick};
constexpr int kActions[] = {G::kActionSettings, G::kActionStartOutlook, G::kActionShowHide, G::kActionPopup};
constexpr int kTrayIcons[] = {G::kDateIcon, G::kProgramIcon};
constexpr int kPrivateItems[] = {G::kPrivateShown, G::kPrivateMasked, G::kPrivateLeftOut};
// The controls the page's rules may grey.
constexpr int kRuled[] = {G::kDoubleClick, G::kSingleClick, G::kShowDesktopTooltip, G::kShowContacts,
                          G::kHideOnDesktopLock};

template <size_t N>
void ShowChoice(IPageControls& c, const int (&buttons)[N], int value) {
    for (size_t i = 0; i < N; ++i) c.SetChecked(buttons[i], static_cast<int>(i) == value);
}

// The value of the selected button; a group with none selected keeps its value.
template <size_t N>
void TakeChoice(IPageControls& c, const int (&buttons)[N], int& value) {
    for (size_t i = 0; i < N; ++i)
        if (c.Checked(buttons[i])) {
            value = static_cast<int>(i);
            return;
        }
}

} // namespace

void CGeneralOptionsTab::OnInitPage(IPageControls& c) {
    c.SetSpinRange(G::kRefreshSpin, G::kMinRefresh, G::kMaxRefresh);
    Fill(c);
}

void CGeneralOptionsTab::Fill(IPageControls& c) {
    m_filling = true;
    c.SetChecked(G::kLaunchAtStartup, m_page.m_launchAtStartup);
    c.SetChecked(G::kLaunchOutlook, m_page.m_launchOutlook);
    c.SetChecked(G::kShowSplash, m_page.m_showSplash);
    c.SetChecked(G::kKeepOnExit, m_page.m_keepOnExit);
    c.SetText(G::kRefreshEdit, std::to_string(m_page.m_refresh));
    c.SetChecked(G::kUseInteractiveDesktop, m_page.m_useInteractiveDesktop);
    ShowChoice(c, kMouseModes, m_page.m_desktopMouseMode);
    c.SetChecked(G::kShowDesktopTooltip, m_page.m_showDesktopTooltip);
    c.SetChecked(G::kShowContacts, m_page.m_showContacts);
    c.SetChecked(G::kHideOnDesktopLock, m_page.m_hideOnDesktopLock);
    ShowChoice(c, kActions, m_page.m_doubleclickAction);
    ShowChoice(c, kTrayIcons, m_page.m_systrayIcon);
    ShowChoice(c, kPrivateItems, m_page.m_privateItems);
    c.SetChecked(G::kPresenting, m_page.m_presenting);
    c.SetChoices(G::kPanelMonitor, m_page.MonitorChoices());
    c.Select(G::kPanelMonitor, m_page.m_panelMonitor);
    ApplyEnableRules(c);
    m_filling = false;
}

void CGeneralOptionsTab::TakeChoices(IPageControls& c) {
    m_page.m_launchAtStartup = c.Checked(G::kLaunchAtStartup);
    m_page.m_launchOutlook = c.Checked(G::kLaunchOutlook);
    m_page.m_showSplash = c.Checked(G::kShowSplash);
    m_page.m_keepOnExit = c.Checked(G::kKeepOnExit);
    m_page.m_useInteractiveDesktop = c.Checked(G::kUseInteractiveDesktop);
    TakeChoice(c, kMouseModes, m_page.m_desktopMouseMode);
    m_page.m_showDesktopTooltip = c.Checked(G::kShowDesktopTooltip);
    m_page.m_showContacts = c.Checked(G::kShowContacts);
    // A greyed box is not the user's to change (a system without the lock test).
    if (m_page.IsEnabled(G::kHideOnDesktopLock)) m_page.m_hideOnDesktopLock = c.Checked(G::kHideOnDesktopLock);
    TakeChoice(c, kActions, m_page.m_doubleclickAction);
    TakeChoice(c, kTrayIcons, m_page.m_systrayIcon);
    TakeChoice(c, kPrivateItems, m_page.m_privateItems);
    m_page.m_presenting = c.Checked(G::kPresenting);
    const int monitor = c.Selection(G::kPanelMonitor);
    if (monitor >= 0) m_page.m_panelMonitor = monitor;
}

void CGeneralOptionsTab::ApplyEnableRules(IPageControls& c) {
    for (int id : kRuled) c.Enable(id, m_page.IsEnabled(id));
}

void CGeneralOptionsTab::OnEditChanged(IPageControls& c, int id) {
    if (id == G::kRefreshEdit) MarkModified(c);
}

void CGeneralOptionsTab::OnHScroll(IPageControls&, int, int, int) {}

bool CGeneralOptionsTab::OnKillActive(IPageControls& c) {
    TakeChoices(c);
    std::string message;
    if (m_page.TakeRefresh(c.Text(G::kRefreshEdit), message)) return true;
    c.ShowMessage(message, LoadResString(IDS_APP_TITLE), MsgBox::Ok | MsgBox::IconWarning);
    // The interval keeps its value, shown again and selected for the user to correct.
    m_filling = true;
    c.SetText(G::kRefreshEdit, std::to_string(m_page.m_refresh));
    m_filling = false;
    c.FocusEdit(G::kRefreshEdit);
    return false;
}
