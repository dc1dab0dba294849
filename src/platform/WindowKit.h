#pragma once
// Windows, their messages, timers and menus, and the loop that drives them.
//
// win32: one window class per kind, `this` stored at WM_NCCREATE, no exception
//   crossing the window procedure; timers are SetTimer timers, posting and sending
//   are PostMessageW and SendMessageW, registered messages RegisterWindowMessageW,
//   menus come from the resources; comctl32 is set up once.
// posix: a single-threaded event loop with a timer queue (steady clock) and a post
//   queue that other threads may fill; sending calls the handler at once; a
//   registered message is a number from 0xC000 up, the same for the same name;
//   SIGTERM, SIGINT and SIGHUP post WM_CLOSE to the main window; extra file
//   descriptors can be watched (the command socket of the daemon).
// posix does not implement: menus (the daemon has none; TrackMenu returns 0).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Message numbers both builds use (the values are the Win32 ones).
namespace Msg {
constexpr unsigned Null = 0x0000;
constexpr unsigned Close = 0x0010;
constexpr unsigned QueryEndSession = 0x0011;
constexpr unsigned EndSession = 0x0016;
constexpr unsigned SettingChange = 0x001A;
constexpr unsigned Command = 0x0111;
constexpr unsigned Timer = 0x0113;
constexpr unsigned App = 0x8000;
constexpr unsigned MouseMove = 0x0200;
constexpr unsigned LButtonDown = 0x0201;
constexpr unsigned LButtonUp = 0x0202;
constexpr unsigned LButtonDblClk = 0x0203;
constexpr unsigned RButtonDown = 0x0204;
constexpr unsigned RButtonUp = 0x0205;
} // namespace Msg

// What a window does with its messages. A handler that returns false leaves the
// message to the platform's default handling. Exceptions are caught by the port at
// the window procedure and logged; they never reach the platform.
class IWindowEvents {
public:
    virtual ~IWindowEvents() = default;
    virtual bool OnMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, intptr_t& result) = 0;
};

class IWindow {
public:
    virtual ~IWindow() = default;
    // The platform's handle as a number (HWND on win32; a counter on posix).
    virtual uintptr_t Handle() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Caption() const = 0;
    // Starts or restarts timer id with the period; each expiry sends Msg::Timer with id.
    virtual bool SetTimer(unsigned id, unsigned periodMs) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // Queued for the loop; safe from any thread.
    virtual bool Post(unsigned msg, uintptr_t wParam = 0, intptr_t lParam = 0) = 0;
    // Handled now, on the calling (window's) thread.
    virtual intptr_t Send(unsigned msg, uintptr_t wParam = 0, intptr_t lParam = 0) = 0;
    // Destroys the window; for the main window the loop then ends.
    virtual void Destroy() = 0;
    // Brings the window to the foreground (so a menu it owns closes when the user
    // clicks elsewhere).
    virtual void SetForeground() = 0;
};

struct WindowDesc {
    std::string caption;
    // The main window: closing it ends the loop, and stop signals (posix) close it.
    bool main = false;
};

// A menu from the resources opened at the cursor: the submenu at `submenu`, one item
// marked as default, some checked.
struct MenuRequest {
    int menuId = 0;
    int submenu = 0;
    unsigned defaultItem = 0; // a command id, or a position when byPosition
    bool defaultByPosition = false;
    std::vector<unsigned> checked;
};

class IWindowKit {
public:
    virtual ~IWindowKit() = default;
    virtual void InitCommonControls() = 0;
    virtual std::unique_ptr<IWindow> MakeWindow(const WindowDesc& desc, IWindowEvents& events) = 0;
    // The same number for the same name in every process of the session.
    virtual unsigned RegisterMessage(const std::string& name) = 0;
    // Opens the menu at the cursor, owned by owner; the chosen command arrives at the
    // owner as Msg::Command. Returns false when the menu could not be opened.
    virtual bool TrackMenu(const MenuRequest& request, IWindow& owner) = 0;
    // The command id of the item at position in the menu's submenu; 0 when none.
    virtual unsigned MenuItemId(int menuId, int submenu, int position) = 0;
    // Runs until the main window is destroyed; the exit code.
    virtual int RunMessageLoop() = 0;
};
