#pragma once
// What the settings sheet's pages ask of the sheet that holds them: the buttons both
// pages carry besides their own.
class ISettingsSheetHost {
public:
    virtual ~ISettingsSheetHost() = default;
    // "Help" and F1: the help file.
    virtual void ShowHelp() = 0;
    // "About": the about dialog.
    virtual void ShowAbout() = 0;
};
