#pragma once
// "orvanta help": opens the user manual (help/Index.html) in the user's browser.
#include <ostream>
#include <string>

class CHelpCommand {
public:
    // The manual's path: help/Index.html beside the program (an installed program), else
    // in the help folder one level up (the build tree, where build/native/orvanta finds
    // build/help). Empty when neither can be read.
    static std::string ManualPath();
    // Opens the manual with the desktop's opener. Without a display, or when no opener
    // can be started, prints the manual's path instead so the user can open it. The
    // exit code: 0 when the manual was opened or its path printed, 1 when there is none.
    static int Run(std::ostream& out, std::ostream& err);
};
