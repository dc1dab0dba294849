#pragma once
// Message boxes and modal dialogs over Win32.
//
// Implements: MessageBoxW; modal dialogs from the program's templates, whose push
//   buttons all close them.
//   Property sheets through CWin32PropertySheet.
#include "../DialogPort.h"

class CWin32DialogPort : public IDialogPort {
public:
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int RunDialog(const DialogDesc& dialog, const std::function<void(IDialogControls&)>& onInit) override;
    int RunPropertySheet(const PropertySheetDesc& sheet, IPropertySheetEvents& events) override;
};
