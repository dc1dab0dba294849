#pragma once
// Windows and the message loop over Win32 and comctl32.
//
// Implements: common controls, the hidden main window (class "OrvantaMainFrame",
//   `this` stored at WM_NCCREATE, no exception crossing its procedure) and the loop.
// Does not implement: timers, posted and registered messages, menus (later).
#include "../WindowKit.h"

class CWin32WindowKit : public IWindowKit {
public:
    static constexpr const wchar_t* kMainWindowClass = L"OrvantaMainFrame";

    void InitCommonControls() override;
    std::unique_ptr<IMainWindow> CreateMainWindow(const std::string& caption,
                                                  std::function<void()> onClose) override;
    int RunMessageLoop() override;
};
