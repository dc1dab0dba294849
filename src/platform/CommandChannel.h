#pragma once
// Commands sent to the running copy of the program by another process of the same
// user (the Linux command line: "orvanta refresh", "orvanta exit", ...).
//
// posix: a Unix stream socket "orvanta.sock" in the lock folder ($XDG_RUNTIME_DIR or
//   /tmp/orvanta-<uid>), mode 0600; a peer of another user is refused by its
//   credentials. One line per request: the command id in decimal, optionally a blank
//   and one digit passed on as lParam. The answer is one line: "ok" (posted to the
//   target), "unknown command" (an id the program does not take from outside), "bad
//   request" (anything else, several lines or a line too long included), "busy" (too
//   many clients at once) or "timed out" (no whole request in time).
// win32: none (the tray menu carries the commands); the port is null.
#include <set>
#include <string>

class IWindow;

class ICommandChannel {
public:
    virtual ~ICommandChannel() = default;
    // Starts listening; every request for one of commands is posted to target as
    // Msg::Command (the id as wParam, the digit as lParam).
    virtual bool Listen(IWindow& target, const std::set<unsigned>& commands, std::string& error) = 0;
    virtual void Close() = 0;
    // Sends a command (with its lParam, 0 to 9) to the running copy; false with the
    // reason when none answered or it did not take the command.
    virtual bool Send(unsigned commandId, unsigned argument, std::string& error) = 0;
};
