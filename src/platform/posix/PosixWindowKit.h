#pragma once
// Windows and the loop for Linux, where the program runs as a daemon.
//
// Implements: windows that exist as objects with a caption and a handler; a
//   single-threaded loop over poll() with a timer queue on the steady clock and a post
//   queue any thread may fill (a pipe wakes the loop); sending calls the handler at
//   once; registered messages numbered from 0xC000 by name; SIGTERM, SIGINT and SIGHUP
//   post WM_CLOSE to the main window; SIGPIPE is caught and does nothing (a write to a
//   peer that left fails with EPIPE instead of ending the program); extra file
//   descriptors watched for reading in the same poll as the timers, each optionally
//   with a deadline (the daemon's command socket and its clients); programs the shell
//   port started are reaped.
// Does not implement: common controls and menus (the daemon has none).
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "../WindowKit.h"

class CPosixWindowKit : public IWindowKit {
public:
    CPosixWindowKit();
    ~CPosixWindowKit() override;

    void InitCommonControls() override {}
    std::unique_ptr<IWindow> MakeWindow(const WindowDesc& desc, IWindowEvents& events) override;
    unsigned RegisterMessage(const std::string& name) override;
    bool TrackMenu(const MenuRequest&, IWindow&) override { return false; }
    unsigned MenuItemId(int, int, int) override { return 0; }
    int RunMessageLoop() override;

    // Calls onReadable on the loop whenever fd can be read (or has hung up), until Unwatch.
    void Watch(int fd, std::function<void()> onReadable);
    // The same until the deadline; then fd is no longer watched and onLate is called once.
    void Watch(int fd, std::function<void()> onReadable, std::chrono::steady_clock::time_point deadline,
               std::function<void()> onLate);
    void Unwatch(int fd);

    struct State; // shared with the windows

private:
    std::shared_ptr<State> m_state;
};
