#pragma once
// Commands sent to the running copy of the program by another process of the same
// user (the Linux command line: "orvanta refresh", "orvanta exit", ...).
//
// posix: a Unix stream socket "orvanta.sock" in the lock folder ($XDG_RUNTIME_DIR or
//   /tmp/orvanta-<uid>), mode 0600; a peer of another user is refused by its
//   credentials. One line per request: the command id in decimal, optionally a blank
//   and a small number passed on as lParam; the answer "ok".
// win32: none (the tray menu carries the commands); the port is null.
#include <string>

class IWindow;

class ICommandChannel {
public:
    virtual ~ICommandChannel() = default;
    // Starts listening; every command received is posted to target as Msg::Command.
    virtual bool Listen(IWindow& target, std::string& error) = 0;
    virtual void Close() = 0;
    // Sends a command (with its lParam, 0 to 9) to the running copy; false with the
    // reason when none answered.
    virtual bool Send(unsigned commandId, unsigned argument, std::string& error) = 0;
};
