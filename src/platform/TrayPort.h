#pragma once
// The notification-area icon.
//
// win32: Shell_NotifyIconW, re-added on "TaskbarCreated".
// posix: none (the daemon is driven by its command line).
// Not yet implemented by either port: the tray issue fills this in.
#include <string>

class ITrayPort {
public:
    virtual ~ITrayPort() = default;
    // Shows the icon (resource id) with its tip; false when the shell refused it.
    virtual bool Add(int iconId, const std::string& tip) = 0;
    virtual bool SetIcon(int iconId) = 0;
    virtual void Remove() = 0;
};
