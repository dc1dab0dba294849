#pragma once
// The settings sheet: "General Options", "Appearance && Positioning" and "Calendars"
// over one settings sheet model, run modally through the dialog port. The pages' values are
// copied from the settings record when the sheet is made, before any dialog exists;
// Apply (the button, or OK once the sheet closed) takes both pages over and hands
// the steps to carry out to the owner.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../platform/PropertySheet.h"
#include "AppearanceTab.h"
#include "CalendarsTab.h"
#include "GeneralOptionsTab.h"
#include "SettingsSheetHost.h"
#include "SettingsSheetModel.h"

class CSettings;
class IRegistryPort;

class CSettingsPropSheet : public IPropertySheetEvents, private ISettingsSheetHost {
public:
    // What the owner does for the sheet.
    struct Owner {
        std::function<void(const std::vector<ApplyStep>&)> apply; // put the taken values into effect
        std::function<void()> help;
        std::function<void()> about;
    };

    // The caption the sheet is created with, and the one its window then shows.
    static constexpr const char* kInitialCaption = "Settings";
    static std::string WindowCaption();

    CSettingsPropSheet(CSettings& settings, Owner owner, IRegistryPort* registry = nullptr);

    // Runs the sheet over the owner window (IWindow::Handle); after OK the Apply step
    // runs once. The dialog port's answer: MsgBox::IdOk, MsgBox::IdCancel, or
    // kSheetUnavailable where the platform shows no sheet.
    int DoModal(uintptr_t ownerWindow);

    CSettingsSheetModel& Model() { return m_model; }
    IPropertyPageEvents& GeneralTab() { return m_generalTab; }
    IPropertyPageEvents& AppearanceTab() { return m_appearanceTab; }
    IPropertyPageEvents& CalendarsTab() { return m_calendarsTab; }

    void OnSheetCreated(IPropertySheetWindow& sheet) override;
    void OnApplyNow() override;
    void OnHelp() override;

private:
    void ShowHelp() override;
    void ShowAbout() override;
    void Apply();

    CSettings& m_settings;
    Owner m_owner;
    IRegistryPort* m_registry;
    CSettingsSheetModel m_model;
    CGeneralOptionsTab m_generalTab;
    CAppearanceTab m_appearanceTab;
    CCalendarsTab m_calendarsTab;
};
