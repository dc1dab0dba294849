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
//
// Both kits hand each message to DeliverWindowMessage (WindowKit.cpp), which decodes
// it once into the typed event of IWindowEvents; the win32 kit adds the text a
// SendText carried, the only parameter that is a pointer.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Message numbers both builds use (the values are the Win32 ones).
namespace Msg {
constexpr unsigned Null = 0x0000;
constexpr unsigned Close = 0x0010;
constexpr unsigned QueryEndSession = 0x0011;
constexpr unsigned EndSession = 0x0016;
constexpr unsigned SettingChange = 0x001A;
constexpr unsigned DisplayChange = 0x007E;
constexpr unsigned DpiChanged = 0x02E0; // a monitor's scale changed (reported as a display change)
constexpr unsigned SessionChange = 0x02B1; // its wParam: SessionCode
constexpr unsigned Command = 0x0111;
constexpr unsigned Timer = 0x0113;
constexpr unsigned User = 0x0400; // from here up: the program's own messages
constexpr unsigned App = 0x8000;
constexpr unsigned MouseMove = 0x0200;
constexpr unsigned LButtonDown = 0x0201;
constexpr unsigned LButtonUp = 0x0202;
constexpr unsigned LButtonDblClk = 0x0203;
constexpr unsigned RButtonDown = 0x0204;
constexpr unsigned RButtonUp = 0x0205;
} // namespace Msg

// What Msg::SessionChange's wParam says (WTS_SESSION_LOCK and _UNLOCK).
namespace SessionCode {
constexpr uintptr_t Lock = 7;
constexpr uintptr_t Unlock = 8;
} // namespace SessionCode

// A point in a window's or the screen's coordinates.
struct WindowPoint {
    int x = 0;
    int y = 0;
    bool operator==(const WindowPoint&) const = default;
};

// A point packed into a message parameter: x in the low 16 bits, y in the next 16,
// both signed (the mouse messages' layout, and the mouse hook's).
inline WindowPoint UnpackPoint(std::int64_t packed) {
    return {static_cast<std::int16_t>(packed & 0xFFFF), static_cast<std::int16_t>((packed >> 16) & 0xFFFF)};
}

// What the session reports (WTS_SESSION_LOCK and _UNLOCK; the rest is Other).
enum class SessionChange { Lock, Unlock, Other };

enum class MouseAction { Move, LeftDown, LeftUp, LeftDoubleClick, RightDown, RightUp };
struct MouseEvent {
    MouseAction action = MouseAction::Move;
    WindowPoint point; // in the window's client area
};

// The display's new mode (all 0 when only a monitor's scale changed or the sender
// did not say).
struct DisplayChange {
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;
};

// A message of the program's own: a number from Msg::User up (the program's
// requests, the tray icon's callback) or a registered one (the mouse hook's). Its
// parameters are plain numbers; only a message sent by SendText carries a text.
struct AppMessage {
    unsigned msg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    // The text of a SendText (it lives until the handler returns); none otherwise.
    std::optional<std::string_view> text;
    WindowPoint Point() const { return UnpackPoint(static_cast<std::int64_t>(lParam)); }
};

// What a window does with its events, one method each; a class overrides the ones it
// uses. A handler that returns false (the default) leaves the message to the
// platform's default handling: a close not taken destroys the window. Exceptions
// are caught by the kit at the window procedure and logged; they never reach the
// platform.
class IWindowEvents {
public:
    virtual ~IWindowEvents() = default;
    virtual bool OnTimer(unsigned /*id*/) { return false; }
    // A menu item or a command from outside: argument is 0 from a menu, the command
    // line's argument from the Linux command channel.
    virtual bool OnCommand(unsigned /*id*/, intptr_t /*argument*/) { return false; }
    virtual bool OnClose() { return false; }
    // Whether the session may end; nothing: the platform answers.
    virtual std::optional<bool> OnQueryEndSession() { return std::nullopt; }
    virtual bool OnEndSession(bool /*ending*/) { return false; }
    // A system setting changed: the SPI_ action, 0 when the sender did not say.
    virtual bool OnSettingChange(unsigned /*action*/) { return false; }
    virtual bool OnDisplayChange(const DisplayChange&) { return false; }
    virtual bool OnSessionChange(SessionChange) { return false; }
    virtual bool OnMouse(const MouseEvent&) { return false; }
    virtual bool OnAppMessage(const AppMessage&) { return false; }
};

// Decodes a raw message into its event and calls it; the window kits' one way in.
// True when the handler took it; result is then the message's answer. text: the text
// a SendText carried with this very message, else nothing.
bool DeliverWindowMessage(IWindowEvents& events, unsigned msg, uintptr_t wParam, intptr_t lParam, intptr_t& result,
                          std::optional<std::string_view> text = std::nullopt);

class IWindow {
public:
    virtual ~IWindow() = default;
    // The platform's handle as a number (HWND on win32; a counter on posix).
    virtual uintptr_t Handle() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Caption() const = 0;
    // Starts or restarts timer id with the period; each expiry calls OnTimer(id).
    virtual bool SetTimer(unsigned id, unsigned periodMs) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // Queued for the loop; safe from any thread.
    virtual bool Post(unsigned msg, uintptr_t wParam = 0, intptr_t lParam = 0) = 0;
    // Handled now, on the calling (window's) thread.
    virtual intptr_t Send(unsigned msg, uintptr_t wParam = 0, intptr_t lParam = 0) = 0;
    // Sends msg (a program message, from Msg::User up) with a text that reaches the
    // handler as AppMessage::text; within this process only, from any thread.
    virtual intptr_t SendText(unsigned msg, const std::string& text) = 0;
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
    // owner as OnCommand. Returns false when the menu could not be opened.
    virtual bool TrackMenu(const MenuRequest& request, IWindow& owner) = 0;
    // The command id of the item at position in the menu's submenu; 0 when none.
    virtual unsigned MenuItemId(int menuId, int submenu, int position) = 0;
    // Runs until the main window is destroyed; the exit code.
    virtual int RunMessageLoop() = 0;
};
