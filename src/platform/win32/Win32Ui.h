#pragma once
// User interface over Win32, comctl32 and OLE.
//
// Implements: common controls, OLE with a message filter that never shows the
//   server-busy or not-responding dialogs, MessageBoxW, modal dialogs from the
//   program's dialog templates, the hidden main window (class "OrvantaMainFrame")
//   and the message loop.
// Does not implement: timers, menus, the tray (later).
#include "../UiPort.h"

class CWin32UiPort : public IUiPort {
public:
    static constexpr const wchar_t* kMainWindowClass = L"OrvantaMainFrame";

    void InitCommonControls() override;
    bool InitOle() override;
    void UninitOle() override;
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int RunDialog(int templateId, const std::function<void(IDialogControls&)>& onInit) override;
    std::unique_ptr<IMainWindow> CreateMainWindow(const std::string& caption,
                                                  std::function<void()> onClose) override;
    int RunMessageLoop() override;
};
