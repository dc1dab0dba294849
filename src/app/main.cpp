// Entry point of both builds: the ports are assembled here, once. The Windows
// program's command line has one switch, the uninstaller's "/restore-wallpaper", and is
// otherwise ignored; the Linux program has commands (orvanta --help).
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "../platform/Platform.h"
#include "OrvantaApp.h"

#ifdef ORVANTA_COMMAND_LINE
#include "../platform/posix/PosixAutomation.h"
#include "cli/CommandLine.h"
#include "cli/StoreConnection.h"

int main(int argc, char** argv) {
    CStoreConnection store;
    CPosixAutomationPort automation(
        [&store](AutoObjectPtr& application, std::string& failure) { return store.Connect(application, failure); });
    Ports ports = RealPorts();
    ports.automation = &automation;
    InstallPorts(ports);
    return CCommandLine::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
    InstallPorts(RealPorts());
    if (argc == 2 && std::strcmp(argv[1], COrvantaApp::kRestoreSwitch) == 0) return COrvantaApp::RestoreUserWallpaper();
    return COrvantaApp().Execute();
}
#endif
