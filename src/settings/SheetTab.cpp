#include "SheetTab.h"

#include "SettingsSheetHost.h"

void CSheetTab::MarkModified(IPageControls& c) {
    SetPageModified();
    c.SetModified(true);
}

void CSheetTab::OnCommand(IPageControls& c, int id, int code) {
    if (m_filling) return;
    if (code == SheetNotify::EditChanged) {
        OnEditChanged(c, id);
        return;
    }
    // A drop-down list's new selection is taken as a click on a box is.
    if (code == SheetNotify::SelectionChanged) {
        TakeChoices(c);
        MarkModified(c);
        return;
    }
    if (code != SheetNotify::Clicked) return;
    if (id == m_buttons.help) {
        m_host.ShowHelp();
    } else if (id == m_buttons.about) {
        m_host.ShowAbout();
    } else if (id == m_buttons.factorySettings) {
        ResetToFactory(c);
        Fill(c);
        MarkModified(c);
    } else {
        TakeChoices(c);
        ApplyEnableRules(c);
        MarkModified(c);
    }
}
