#pragma once
// Message boxes and dialogs for Linux, where the program runs as a daemon.
//
// Implements: message boxes and dialogs written to standard error ("caption: text"),
//   each answered with its default button; a dialog shows the texts its description
//   and its initialisation give its controls.
// Does not implement: any window; the property sheet.
#include "../DialogPort.h"

class CPosixDialogPort : public IDialogPort {
public:
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int RunDialog(const DialogDesc& dialog, const std::function<void(IDialogControls&)>& onInit) override;
};
