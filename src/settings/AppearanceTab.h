#pragma once
// The "Appearance && Positioning" page (dialog 241) on screen: fills its controls from
// the page object, keeps the spin limits and the typed blanks within the screen while
// the user edits, follows the ratio slider, takes the values back through the page's
// range checks, greys what the view, placement and calendar choices disable, and
// carries out the page's buttons. Every decision is the page object's.
#include "AppearancePage.h"
#include "SheetTab.h"

class CAppearanceTab : public CSheetTab {
public:
    CAppearanceTab(CAppearancePage& page, ISettingsSheetHost& host)
        : CSheetTab(host, {CAppearancePage::kHelp, CAppearancePage::kAbout, CAppearancePage::kFactorySettings}),
          m_page(page) {}

    void OnInitPage(IPageControls& controls) override;
    void OnHScroll(IPageControls& controls, int id, int scrollCode, int position) override;
    bool OnKillActive(IPageControls& controls) override;

private:
    void Fill(IPageControls& controls) override;
    void TakeChoices(IPageControls& controls) override;
    void ApplyEnableRules(IPageControls& controls) override;
    void ResetToFactory(IPageControls& controls) override;
    void OnEditChanged(IPageControls& controls, int id) override;
    void SetPageModified() override { m_page.SetModified(); }
    void SetSpinRanges(IPageControls& controls);
    // Writes an edit's member back when the live limits changed it.
    void ShowNumber(IPageControls& controls, int editId, int value);

    CAppearancePage& m_page;
};
