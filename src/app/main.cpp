// Entry point of both builds. The Windows program ignores its command line; the
// Linux program also answers "orvanta agenda".
#include <iostream>
#include <string>

#include "Agenda.h"
#include "OrvantaApp.h"

int main(int argc, char** argv) {
#ifdef ORVANTA_COMMAND_LINE
    if (argc > 1 && std::string(argv[1]) == "agenda") return CAgenda::Run(std::cout);
#else
    (void)argc;
    (void)argv;
#endif
    COrvantaApp app;
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 1;
    }
    int rc = app.Run();
    int exitRc = app.ExitInstance();
    return rc != 0 ? rc : exitRc;
}
