#pragma once
// Windows, timers, messages, menus and the loop over Win32 and comctl32.
//
// Implements: common controls; windows over CWin32Window,
//   the main one ending the loop when destroyed; SetTimer timers by id; PostMessageW,
//   SendMessageW; RegisterWindowMessageW; menus loaded from the program's resources
//   and opened with TrackPopupMenuEx after SetForegroundWindow. The main window's
//   class is "OrvantaMainFrame", the others' "OrvantaWindow".
// Does not implement: anything the posix loop adds for the daemon (watched files).
#include "../WindowKit.h"

class CWin32WindowKit : public IWindowKit {
public:
    static constexpr const wchar_t* kMainWindowClass = L"OrvantaMainFrame";
    static constexpr const wchar_t* kWindowClass = L"OrvantaWindow";

    void InitCommonControls() override;
    std::unique_ptr<IWindow> MakeWindow(const WindowDesc& desc, IWindowEvents& events) override;
    unsigned RegisterMessage(const std::string& name) override;
    bool TrackMenu(const MenuRequest& request, IWindow& owner) override;
    unsigned MenuItemId(int menuId, int submenu, int position) override;
    int RunMessageLoop() override;
};
