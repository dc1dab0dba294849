#pragma once
// User interface for Linux, where the program runs as a daemon.
//
// Implements: message boxes and dialogs written to standard error ("caption: text"),
//   each answered with its default button; a main window that exists only as an
//   object with a caption; a message loop that ends when SIGTERM, SIGINT or SIGHUP
//   asks the main window to close.
// Does not implement: common controls or OLE (both succeed and do nothing), timers,
//   menus, the tray (later).
#include "../UiPort.h"

class CPosixUiPort : public IUiPort {
public:
    void InitCommonControls() override {}
    bool InitOle() override { return true; }
    void UninitOle() override {}
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int RunDialog(int templateId, const std::function<void(IDialogControls&)>& onInit) override;
    std::unique_ptr<IMainWindow> CreateMainWindow(const std::string& caption,
                                                  std::function<void()> onClose) override;
    int RunMessageLoop() override;
};
