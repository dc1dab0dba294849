// Entry point of both builds. Command-line arguments have no effect.
#include "OrvantaApp.h"

int main() {
    COrvantaApp app;
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 1;
    }
    int rc = app.Run();
    int exitRc = app.ExitInstance();
    return rc != 0 ? rc : exitRc;
}
