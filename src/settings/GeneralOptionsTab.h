#pragma once
// The "General Options" page (dialog 239) on screen: fills its controls from the page
// object, takes them back (the interval through its range check), greys what the
// page's rules disable, and carries out the page's buttons. Every decision is the page
// object's; this class only moves values between it and the controls.
#include "../platform/PropertySheet.h"

class CGeneralOptionsPage;
class ISettingsSheetHost;

class CGeneralOptionsTab : public IPropertyPageEvents {
public:
    CGeneralOptionsTab(CGeneralOptionsPage& page, ISettingsSheetHost& host) : m_page(page), m_host(host) {}

    void OnInitPage(IPageControls& controls) override;
    void OnCommand(IPageControls& controls, int id, int notifyCode) override;
    void OnHScroll(IPageControls& controls, int id, int scrollCode, int position) override;
    bool OnKillActive(IPageControls& controls) override;

private:
    void Fill(IPageControls& controls);
    // The check boxes and radio groups (nothing there can be refused).
    void TakeChoices(IPageControls& controls);
    void ApplyEnableRules(IPageControls& controls);
    void MarkModified(IPageControls& controls);

    CGeneralOptionsPage& m_page;
    ISettingsSheetHost& m_host;
    // Set while the tab itself writes the controls: the changes it causes are not the user's.
    bool m_filling = false;
};
