#pragma once
// Running a desktop's own command-line tool (gsettings, xfconf-query, qdbus, swaymsg)
// and collecting what it says.
#include <string>
#include <vector>

struct ToolResult {
    bool started = false; // false: the program is not installed (or could not be run)
    bool timedOut = false;
    int code = -1;        // exit code; -1 when a signal ended it
    std::string out, err;
    bool Ok() const { return started && !timedOut && code == 0; }
    // What went wrong, in a few words, for a message: "is not installed", "failed
    // (exit 1: No such schema ...)".
    std::string Failure() const;
};

// Runs args[0] (looked up on PATH) with the rest as its arguments, standard input
// empty, and waits at most timeoutMs for it; a tool that hangs (a desktop service
// that does not answer) is killed, so the caller's loop is never held up for long.
ToolResult RunTool(const std::vector<std::string>& args, int timeoutMs = 10000);

// Whether a program of that name is found on PATH.
bool ToolInstalled(const std::string& name);
