#pragma once
// The "Appearance && Positioning" page (dialog 241) on screen: fills its controls from
// the page object, keeps the spin limits and the typed blanks within the screen while
// the user edits, follows the ratio slider, takes the values back through the page's
// range checks, greys what the view, placement and calendar choices disable, and
// carries out the page's buttons. Every decision is the page object's.
#include "../platform/PropertySheet.h"

class CAppearancePage;
class ISettingsSheetHost;

class CAppearanceTab : public IPropertyPageEvents {
public:
    CAppearanceTab(CAppearancePage& page, ISettingsSheetHost& host) : m_page(page), m_host(host) {}

    void OnInitPage(IPageControls& controls) override;
    void OnCommand(IPageControls& controls, int id, int notifyCode) override;
    void OnHScroll(IPageControls& controls, int id, int scrollCode, int position) override;
    bool OnKillActive(IPageControls& controls) override;

private:
    void Fill(IPageControls& controls);
    void SetSpinRanges(IPageControls& controls);
    void TakeChoices(IPageControls& controls);
    void ApplyEnableRules(IPageControls& controls);
    void OnEditChanged(IPageControls& controls, int id);
    // Writes an edit's member back when the live limits changed it.
    void ShowNumber(IPageControls& controls, int editId, int value);
    void MarkModified(IPageControls& controls);

    CAppearancePage& m_page;
    ISettingsSheetHost& m_host;
    bool m_filling = false;
};
