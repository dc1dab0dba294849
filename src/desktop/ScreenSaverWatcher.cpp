#include "ScreenSaverWatcher.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "../platform/Platform.h"

struct CScreenSaverWatcher::Worker {
    IDesktopLockPort* port = nullptr;
    bool oldNt = false;
    mutable std::mutex mutex;
    std::condition_variable changed;
    uintptr_t owner = 0;
    unsigned interval = kDefaultInterval;
    bool stopped = false;
    bool finished = false;
};

CScreenSaverWatcher::System CScreenSaverWatcher::Classify(bool versionKnown, const OsVersion& v) {
    constexpr uint32_t kNtPlatform = 2;
    if (!versionKnown || v.platformId != kNtPlatform) return System::Unsupported;
    return v.major <= 4 ? System::OldNt : System::Supported;
}

bool CScreenSaverWatcher::IsLocked(IDesktopLockPort& port, bool oldNt) {
    // A running screen saver also makes the switch fail; it is no lock.
    if (port.ScreenSaverRunning(oldNt)) return false;
    return port.SwitchToDefaultRefused();
}

CScreenSaverWatcher::CScreenSaverWatcher() = default;

CScreenSaverWatcher::~CScreenSaverWatcher() { Stop(); }

bool CScreenSaverWatcher::Start(unsigned intervalMs, uintptr_t owner) {
    m_interval = intervalMs;
    if (m_worker) {
        std::lock_guard<std::mutex> lock(m_worker->mutex);
        if (!m_worker->stopped) {
            m_worker->interval = intervalMs;
            m_worker->owner = owner;
            return true;
        }
    }
    IDesktopLockPort* port = PortOrNull<IDesktopLockPort>();
    if (!port) return false;
    OsVersion version;
    const bool known = Port<ISystemPort>().GetOsVersion(version);
    const System system = Classify(known, version);
    if (system == System::Unsupported) return false;

    auto worker = std::make_shared<Worker>();
    worker->port = port;
    worker->oldNt = system == System::OldNt;
    worker->owner = owner;
    worker->interval = intervalMs;
    try {
        std::thread(&CScreenSaverWatcher::Run, worker).detach();
    } catch (const std::system_error&) {
        return false;
    }
    m_worker = std::move(worker);
    return true;
}

void CScreenSaverWatcher::Run(std::shared_ptr<Worker> w) {
    bool locked = false;
    std::unique_lock<std::mutex> lock(w->mutex);
    while (!w->stopped) {
        const uintptr_t owner = w->owner;
        lock.unlock();
        // The poll and the message happen without the lock, so Stop is never held up
        // by them; the message is sent while locked on every poll, and once on unlock.
        if (IsLocked(*w->port, w->oldNt)) {
            locked = true;
            w->port->SendToWindow(owner, kLockMessage, 0, 1);
        } else if (locked) {
            locked = false;
            w->port->SendToWindow(owner, kLockMessage, 0, 0);
        }
        lock.lock();
        w->changed.wait_for(lock, std::chrono::milliseconds(w->interval), [&] { return w->stopped; });
    }
    w->finished = true;
    w->changed.notify_all();
}

bool CScreenSaverWatcher::Stop() {
    if (!m_worker) return true;
    std::unique_lock<std::mutex> lock(m_worker->mutex);
    m_worker->stopped = true;
    m_worker->changed.notify_all();
    return m_worker->changed.wait_for(lock, std::chrono::milliseconds(kStopWaitMs),
                                      [&] { return m_worker->finished; });
}

bool CScreenSaverWatcher::Running() const {
    if (!m_worker) return false;
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    return !m_worker->stopped;
}

bool CScreenSaverWatcher::Finished() const {
    if (!m_worker) return true;
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    return m_worker->finished;
}

unsigned CScreenSaverWatcher::Interval() const { return m_interval; }
