#pragma once
// Windows and the loop for Linux, where the program runs as a daemon.
//
// Implements: a main window that exists only as an object with a caption; a loop
//   that ends when SIGTERM, SIGINT or SIGHUP asks the main window to close, and that
//   reaps the programs the shell port started.
// Does not implement: common controls (nothing to set up), timers, posted messages,
//   menus (later).
#include "../WindowKit.h"

class CPosixWindowKit : public IWindowKit {
public:
    void InitCommonControls() override {}
    std::unique_ptr<IMainWindow> CreateMainWindow(const std::string& caption,
                                                  std::function<void()> onClose) override;
    int RunMessageLoop() override;
};
