#pragma once
// What the settings sheet's tabs share: the page's buttons (Help, About, the factory
// settings) and the rule that every click takes the choices, greys what they disable
// and marks the page modified, while changes the tab makes itself are not the user's.
// Each tab says how it fills, takes and greys its controls.
#include "../platform/PropertySheet.h"

class ISettingsSheetHost;

class CSheetTab : public IPropertyPageEvents {
public:
    void OnCommand(IPageControls& controls, int id, int notifyCode) final;

protected:
    // The page's buttons by their control numbers.
    struct Buttons {
        int help;
        int about;
        int factorySettings;
    };
    CSheetTab(ISettingsSheetHost& host, Buttons buttons) : m_host(host), m_buttons(buttons) {}

    virtual void Fill(IPageControls& controls) = 0;
    virtual void TakeChoices(IPageControls& controls) = 0;
    virtual void ApplyEnableRules(IPageControls& controls) = 0;
    // Puts the page's values back to the factory settings (Fill follows).
    virtual void ResetToFactory(IPageControls& controls) = 0;
    virtual void OnEditChanged(IPageControls& controls, int id) = 0;
    virtual void SetPageModified() = 0;
    void MarkModified(IPageControls& controls);

    ISettingsSheetHost& m_host;
    // Set while the tab itself writes the controls: the changes it causes are not the user's.
    bool m_filling = false;

private:
    const Buttons m_buttons;
};
