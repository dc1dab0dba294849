#pragma once
// Windows, their messages and the loop that drives them.
//
// win32: one window class per kind, `this` stored at WM_NCCREATE; comctl32 set up once.
// posix: a single-threaded event loop; SIGTERM, SIGINT and SIGHUP ask the main
//   window to close.
// Not yet: windows from a description with an events interface, timers by id,
//   posted and registered messages, menus (the main frame's refresh cycle adds them).
#include <functional>
#include <memory>
#include <string>

class IMainWindow {
public:
    virtual ~IMainWindow() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Caption() const = 0;
    virtual void Update() = 0;
};

class IWindowKit {
public:
    virtual ~IWindowKit() = default;
    virtual void InitCommonControls() = 0;
    // A main window that is never shown. onClose runs when the window is asked to close
    // (WM_CLOSE, WM_ENDSESSION, or a stop signal on posix); the message loop then ends.
    virtual std::unique_ptr<IMainWindow> CreateMainWindow(const std::string& caption,
                                                          std::function<void()> onClose) = 0;
    virtual int RunMessageLoop() = 0;
};
