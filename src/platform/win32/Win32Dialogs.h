#pragma once
// Message boxes and modal dialogs over Win32.
//
// Implements: MessageBoxW; modal dialogs from the program's templates, whose push
//   buttons all close them.
// Does not implement: the property sheet (the settings sheet adds it).
#include "../DialogPort.h"

class CWin32DialogPort : public IDialogPort {
public:
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int RunDialog(const DialogSpec& dialog, const std::function<void(IDialogControls&)>& onInit) override;
};
