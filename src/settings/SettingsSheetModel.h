#pragma once
// The settings sheet without its windows: the two pages' values, filled from the
// settings record when the sheet opens, and Apply, which takes both pages over into
// the record and says what the owner must then redo, in order. The Windows property
// sheet and the Linux "orvanta settings" command both drive it; the values can also
// be read and set by their registry value names.
#include <string>
#include <vector>

#include "AppearancePage.h"
#include "CalendarsPage.h"
#include "GeneralOptionsPage.h"

class CSettings;
class IRegistryPort;

// What the owner of the running program does after the values were taken over, in
// the order Apply lists them.
enum class ApplyStep {
    UpdateTray,        // tray picture from "Systray Ico", default item from "Doubleclick Action"
    StopRefreshTimer,
    StopWatcher,       // the desktop-lock watcher
    StartWatcher,      // listed only while the data are shown and "Hide On Desktop Lock" is on
    SaveSettings,
    RemoveHook,        // "Use Interactive Desktop" off
    InstallHook,       // "Use Interactive Desktop" on and the data shown
    ReadAndRecompose,  // read Outlook again; when that succeeds compose and install
    StartRefreshTimer, // with "Refresh" seconds
};

class CSettingsSheetModel {
public:
    enum class SetResult { Taken, Refused, Unknown };

    // Fills the pages from the record, with what the pages show from elsewhere: the
    // logon entry's existence, the system family, the virtual screen's size and whether
    // Outlook is installed (its row on the "Calendars" page).
    void Init(const CSettings& settings, bool launchEntryExists, bool ntFamily, int screenWidth, int screenHeight,
              bool outlookInstalled = true);
    // Init with those read from the registry and the system, as the sheet opens.
    void Open(const CSettings& settings, IRegistryPort* port = nullptr);

    // Takes both pages over into the record (the side-bar values only in the side-bar
    // view), writes or deletes the logon entry, applies the chosen style, saves the
    // calendar sources when the "Calendars" page changed them, and clears the pages'
    // modified marks. The result is what the owner must do now.
    std::vector<ApplyStep> Apply(CSettings& settings, IRegistryPort* port = nullptr);
    // The steps after the values for a record already holding them (also what a
    // running copy does when another process applied and saved the settings).
    static std::vector<ApplyStep> StepsAfterTakeOver(const CSettings& settings);

    // Every setting of the two pages by its registry value name, in the sheet's order.
    static const std::vector<std::string>& SettingNames();
    // The value as the registry holds it ("TRUE"/"FALSE" for flags, decimal else); empty
    // for a name that is not one of them.
    std::string ValueText(const std::string& name) const;
    // What the setting accepts, in words ("5 to 3600", "TRUE or FALSE", "0 Blue, ...").
    std::string RangeText(const std::string& name) const;
    // Sets the control that holds the setting from text, with the page's checks and
    // live limits; Refused with the message leaves every value as it was. Taken may
    // come with a message too: what the live limits moved (the value brought down to
    // fit the screen, another blank made smaller to make room). Blanks around the text
    // are taken for every kind of setting; an unknown name is quoted safely.
    SetResult SetByName(const std::string& name, const std::string& text, std::string& message);

    CGeneralOptionsPage& General() { return m_general; }
    CAppearancePage& Appearance() { return m_appearance; }
    CCalendarsPage& Calendars() { return m_calendars; }
    const CGeneralOptionsPage& General() const { return m_general; }
    const CAppearancePage& Appearance() const { return m_appearance; }
    const CCalendarsPage& Calendars() const { return m_calendars; }

private:
    CGeneralOptionsPage m_general;
    CAppearancePage m_appearance;
    CCalendarsPage m_calendars;
};
