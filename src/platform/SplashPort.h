#pragma once
// The splash picture in a window of its own, on a user-interface thread of its own.
//
// win32: a thread whose input is attached to the starting thread's; an invisible
//   pop-up owner (no taskbar button), the splash as a top-most pop-up of the picture's
//   size, the picture from the program's bitmaps or a file as a DIB section, a palette
//   from its colour table (halftone above 8 bits per pixel), the version text drawn
//   over it, the fade through SetLayeredWindowAttributes when user32 has it.
// posix: none (the port is null): the daemon shows no splash.
#include <memory>
#include <string>

// What the splash's logic may do with its window.
class ISplashWindow {
public:
    virtual ~ISplashWindow() = default;
    virtual void SetTimer(unsigned id, unsigned periodMs) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // Centres the window on the screen's work area.
    virtual void Centre() = 0;
    // Switches the layered style on when it is off, and off when it is on.
    virtual void ToggleLayered() = 0;
    // Whether the window's opacity can be set at all (SetLayeredWindowAttributes).
    virtual bool CanFade() const = 0;
    virtual void SetAlpha(int alpha) = 0;
    // Asks the window to close (a close request the logic then answers).
    virtual void RequestClose() = 0;
};

// The splash's logic, called on the splash thread.
class ISplashEvents {
public:
    virtual ~ISplashEvents() = default;
    virtual void OnCreate(ISplashWindow& window) = 0;
    virtual void OnTimer(ISplashWindow& window, unsigned id) = 0;
    virtual void OnLButtonDown(ISplashWindow& window) = 0;
    // Whether a close request is taken; a refused one leaves the window up.
    virtual bool OnCloseRequest() = 0;
};

struct SplashSpec {
    int pictureId = 0;        // a bitmap of the program's resources ...
    std::string pictureFile;  // ... or a BMP file,
    bool fromFile = false;    // as this says
    std::string caption;      // the window title
    std::string versionText;  // drawn into the picture's lower right corner
};

class ISplashPort {
public:
    virtual ~ISplashPort() = default;
    // Starts the thread that shows the splash; it ends when the window is gone (or
    // when the picture cannot be loaded). False when the thread cannot be created.
    virtual bool Start(const SplashSpec& desc, std::shared_ptr<ISplashEvents> events) = 0;
};
