#pragma once
// The "General Options" page (dialog 239) on screen: fills its controls from the page
// object, takes them back (the interval through its range check), greys what the
// page's rules disable, and carries out the page's buttons. Every decision is the page
// object's; this class only moves values between it and the controls.
#include "GeneralOptionsPage.h"
#include "SheetTab.h"

class CGeneralOptionsTab : public CSheetTab {
public:
    CGeneralOptionsTab(CGeneralOptionsPage& page, ISettingsSheetHost& host)
        : CSheetTab(host, {CGeneralOptionsPage::kHelp, CGeneralOptionsPage::kAbout,
                           CGeneralOptionsPage::kFactorySettings}),
          m_page(page) {}

    void OnInitPage(IPageControls& controls) override;
    void OnHScroll(IPageControls& controls, int id, int scrollCode, int position) override;
    bool OnKillActive(IPageControls& controls) override;

private:
    void Fill(IPageControls& controls) override;
    // The check boxes and radio groups (nothing there can be refused).
    void TakeChoices(IPageControls& controls) override;
    void ApplyEnableRules(IPageControls& controls) override;
    void ResetToFactory(IPageControls&) override { m_page.FactorySettings(); }
    // Only the interval is typed; its range check waits for the page to be left.
    void OnEditChanged(IPageControls& controls, int id) override;
    void SetPageModified() override { m_page.SetModified(); }

    CGeneralOptionsPage& m_page;
};
