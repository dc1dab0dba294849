#pragma once
// Message boxes, dialogs from templates, the hidden main window and the message loop.
#include <functional>
#include <memory>
#include <string>

namespace MsgBox {
constexpr unsigned Ok = 0x0;
constexpr unsigned IconError = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconWarning = 0x30;
constexpr unsigned IconInformation = 0x40;
constexpr int IdOk = 1;
} // namespace MsgBox

// The controls of a dialog while it initialises.
class IDialogControls {
public:
    virtual ~IDialogControls() = default;
    virtual std::string GetItemText(int id) = 0;
    virtual void SetItemText(int id, const std::string& text) = 0;
};

class IMainWindow {
public:
    virtual ~IMainWindow() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Caption() const = 0;
    virtual void Update() = 0;
};

class IUiPort {
public:
    virtual ~IUiPort() = default;
    virtual void InitCommonControls() = 0;
    // Initialises OLE with a message filter whose busy and not-responding dialogs are off.
    virtual bool InitOle() = 0;
    virtual void UninitOle() = 0;
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // Runs the dialog template modally; onInit sees its controls before it is shown.
    virtual int RunDialog(int templateId, const std::function<void(IDialogControls&)>& onInit) = 0;
    // A main window that is never shown. onClose runs when the window is asked to close
    // (WM_CLOSE, or SIGTERM/SIGINT on posix); the message loop then ends.
    virtual std::unique_ptr<IMainWindow> CreateMainWindow(const std::string& caption,
                                                          std::function<void()> onClose) = 0;
    virtual int RunMessageLoop() = 0;
};
