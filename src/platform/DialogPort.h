#pragma once
// Message boxes and modal dialogs.
//
// win32: MessageBoxW; dialogs from the program's templates in res/orvanta.rc.
// posix: the program is a daemon; a box or dialog is written to standard error
//   ("caption: text") and counts as answered with its default button.
// Property sheets: PropertySheet.h says what each port does with them.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "PropertySheet.h"

namespace MsgBox {
constexpr unsigned Ok = 0x0;
constexpr unsigned IconError = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconWarning = 0x30;
constexpr unsigned IconInformation = 0x40;
constexpr int IdOk = 1;
constexpr int IdCancel = 2;
} // namespace MsgBox

// The controls of a dialog while it initialises.
class IDialogControls {
public:
    virtual ~IDialogControls() = default;
    virtual std::string GetItemText(int id) = 0;
    virtual void SetItemText(int id, const std::string& text) = 0;
    // Check boxes: ticked or not.
    virtual bool GetCheck(int /*id*/) { return false; }
    virtual void SetCheck(int /*id*/, bool /*checked*/) {}
};

// A dialog as the program describes it: the template to run where dialogs are
// resources, and the caption and texts of its controls (-1: a static text without an
// id) where they are not.
struct DialogDesc {
    int templateId = 0;
    std::string caption;
    std::vector<std::pair<int, std::string>> texts;
    // Sees the controls once more as the dialog ends, whichever way it was closed.
    std::function<void(IDialogControls&)> onEnd = nullptr;
};

class IDialogPort {
public:
    virtual ~IDialogPort() = default;
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // Runs the dialog modally; onInit sees its controls before it is shown.
    virtual int RunDialog(const DialogDesc& dialog, const std::function<void(IDialogControls&)>& onInit) = 0;
    // Runs the sheet modally: MsgBox::IdOk when it ended with OK, MsgBox::IdCancel
    // otherwise, kSheetUnavailable where no sheet can be shown.
    virtual int RunPropertySheet(const PropertySheetDesc& /*sheet*/, IPropertySheetEvents& /*events*/) {
        return kSheetUnavailable;
    }
};
