#pragma once
// The Linux command line's commands for the running copy ("orvanta refresh",
// "orvanta exit", ...): each sends the tray menu's command id over the command
// channel; and "orvanta install-autostart", which makes the program start at log-on.
#include <ostream>
#include <set>
#include <string>
#include <vector>

class CDaemonCommand {
public:
    struct Request {
        unsigned id = 0;
        unsigned argument = 0; // lParam: for Hide Data 1 hide and 2 show; Presenting 1 on, 2 off
        std::string done;      // printed once the running copy took it; empty: nothing
    };
    // The request of args, or false when args name no command for the running copy.
    static bool Parse(const std::vector<std::string>& args, Request& request);
    // Every command id the command line sends to the running copy (these and the
    // settings command of "orvanta settings"); the running copy takes no other.
    static std::set<unsigned> Commands();
    // Why args, which Parse does not take, is refused, when they name a command of
    // this program: a value the command does not take, or one the Linux program does
    // not have. Empty for anything else.
    static std::string Refusal(const std::vector<std::string>& args);
    // Sends it; 0 when the running copy took it (what was done on out), 1 with the
    // reason on err when not.
    static int Send(const Request& request, std::ostream& out, std::ostream& err);
    // Writes the XDG autostart entry for this program; 0, or 1 with the reason.
    static int InstallAutostart(std::ostream& out, std::ostream& err);
    // The autostart entry's text for the program at programPath.
    static std::string AutostartEntry(const std::string& programPath);
};
