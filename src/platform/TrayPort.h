#pragma once
// The notification-area icon, as the shell keeps it.
//
// win32: Shell_NotifyIconW with a NOTIFYICONDATAW record (message, icon and tip);
//   icons from the program's resources or extracted from an icon library
//   (ExtractIconW; a library given by a bare name would be looked up in the current
//   folder, so callers give its full path).
// posix: none (the daemon is driven by its command line); the port is null.
#include <string>

class IWindow;

class ITrayPort {
public:
    virtual ~ITrayPort() = default;
    // Describes the icon: its owner window (which receives callbackMsg with the icon id
    // in wParam and the mouse message in lParam), id, tip (at most 127 characters) and
    // first picture (an icon resource). Nothing is shown yet.
    virtual void Prepare(IWindow& owner, unsigned callbackMsg, unsigned id, const std::string& tip,
                         int iconResource) = 0;
    // NIM_ADD with the current picture; false when the shell refused it.
    virtual bool Add() = 0;
    // Change the picture; shown at once when the icon is in the notification area
    // (show), else only remembered. False when the picture could not be loaded.
    virtual bool SetIconResource(int iconResource, bool show) = 0;
    virtual bool SetIconFromLibrary(const std::string& library, int index, bool show) = 0;
    // NIM_DELETE.
    virtual void Remove() = 0;
};
