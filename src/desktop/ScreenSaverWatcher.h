#pragma once
// Watches from a worker thread whether the workstation is locked, and reports lock
// and unlock to the main window by a message it sends (0x511, lParam 1 locked, 0
// unlocked). The main window's handler decides what the report changes.
#include <cstdint>
#include <memory>

#include "../platform/SystemPort.h"

class IDesktopLockPort;

class CScreenSaverWatcher {
public:
    static constexpr unsigned kLockMessage = 0x511;
    static constexpr unsigned kDefaultInterval = 100;
    // How long Stop waits for the worker: it may be blocked in its message to the very
    // thread that stops it.
    static constexpr unsigned kStopWaitMs = 1800;

    enum class System {
        Unsupported, // Windows 9x, Win32s, or the version could not be read: no watching
        OldNt,       // NT 4 or older: the screen saver is seen on its own desktop
        Supported,
    };
    // Every NT-family version is watched, Windows 7 and later included.
    static System Classify(bool versionKnown, const OsVersion& v);
    // A poll: locked when no screen saver runs and the input desktop cannot be switched to.
    static bool IsLocked(IDesktopLockPort& port, bool oldNt);

    CScreenSaverWatcher();
    ~CScreenSaverWatcher();
    CScreenSaverWatcher(const CScreenSaverWatcher&) = delete;
    CScreenSaverWatcher& operator=(const CScreenSaverWatcher&) = delete;

    // Watches with the pause between polls, reporting to the window with this handle.
    // A running watcher only takes the new values. False when nothing is watched: no
    // lock port on this platform, a system that is not watched, or no thread.
    bool Start(unsigned intervalMs, uintptr_t owner);
    // Asks the worker to end and waits for it at most kStopWaitMs. True when it ended
    // in time; otherwise it ends by itself after its current message.
    bool Stop();
    // A worker was started and not asked to stop.
    bool Running() const;
    // The worker of the last Start has ended (true when none was started).
    bool Finished() const;
    unsigned Interval() const;

private:
    struct Worker;
    static void Run(std::shared_ptr<Worker> worker);

    // Shared with the thread, so a worker that outlives Stop's wait (or this object)
    // still has its state; each Start makes a new one, so a late worker never resumes.
    std::shared_ptr<Worker> m_worker;
    unsigned m_interval = kDefaultInterval;
};
