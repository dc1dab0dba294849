#pragma once
// The Linux program's command line: which command runs, and the usage text.
#include <ostream>
#include <string>
#include <vector>

class CCommandLine {
public:
    // Runs the command named by args (the arguments after the program name):
    // none or "run" starts the program, "agenda" prints one read of Outlook's data,
    // "help" opens the manual, "--help"/"-h" prints the usage; anything else prints
    // the usage on err and gives 2. The result is the process's exit code.
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static void Usage(std::ostream& out);

private:
    static int RunProgram();
};
