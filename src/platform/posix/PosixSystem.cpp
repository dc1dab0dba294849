#include "PosixSystem.h"
#include "PosixFiles.h"
#include "PosixWindowKit.h"
#include "XcbScreen.h"

#include <memory>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

extern char** environ;

bool CPosixSystemPort::GetOsVersion(OsVersion&) { return false; }

CPosixSystemPort::CPosixSystemPort(CPosixWindowKit* kit) : m_kit(kit) {}

CPosixSystemPort::~CPosixSystemPort() { StopWatching(); }

void CPosixSystemPort::ReadScreen(int& width, int& height, std::vector<MonitorInfo>& monitors, bool sayAssumption) {
    monitors.clear();
    if (const char* s = std::getenv("ORVANTA_SCREEN")) {
        int sw = 0, sh = 0;
        if (std::sscanf(s, "%dx%d", &sw, &sh) == 2 && sw > 0 && sh > 0 && sw <= 65535 && sh <= 65535) {
            width = sw;
            height = sh;
            MonitorInfo one;
            one.bounds = one.work = Rect::FromSize(0, 0, sw, sh);
            one.primary = true;
            monitors.push_back(one);
            return;
        }
    }
    std::lock_guard<std::mutex> lock(m_guard);
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        // One connection for every reading; made again when the server went away.
        if (!m_reader || !m_reader->Connected()) m_reader = std::make_unique<CXcbScreen>();
        if (m_reader->Read(width, height, monitors) && width > 0 && height > 0) return;
        monitors.clear();
    }
    width = kAssumedWidth;
    height = kAssumedHeight;
    MonitorInfo one;
    one.bounds = one.work = Rect::FromSize(0, 0, width, height);
    one.primary = true;
    monitors.push_back(one);
    if (sayAssumption && !m_assumptionSaid) {
        m_assumptionSaid = true;
        std::fprintf(stderr,
                     "orvanta: %s; the screen is taken to be %d x %d pixels (ORVANTA_SCREEN=WIDTHxHEIGHT "
                     "names another size)\n",
                     display && *display ? "the X display named by DISPLAY cannot be reached"
                                         : "there is no display to ask for the monitors (DISPLAY is not set)",
                     width, height);
    }
}

ScreenMetrics CPosixSystemPort::GetScreenMetrics() {
    int w = 0, h = 0;
    std::vector<MonitorInfo> monitors;
    ReadScreen(w, h, monitors, false);
    ScreenMetrics m;
    m.monitorCount = static_cast<int>(monitors.size());
    m.virtualWidth = w;
    m.virtualHeight = h;
    for (const MonitorInfo& mon : monitors)
        if (mon.primary) {
            m.primaryWidth = mon.bounds.Width();
            m.primaryHeight = mon.bounds.Height();
        }
    if (m.primaryWidth <= 0 || m.primaryHeight <= 0) {
        m.primaryWidth = monitors.front().bounds.Width();
        m.primaryHeight = monitors.front().bounds.Height();
    }
    m.displayHorzRes = m.primaryWidth;
    return m;
}

std::vector<MonitorInfo> CPosixSystemPort::GetMonitors() {
    int w = 0, h = 0;
    std::vector<MonitorInfo> monitors;
    ReadScreen(w, h, monitors, true);
    return monitors;
}

int CPosixSystemPort::PrimaryDpi() {
    int w = 0, h = 0;
    std::vector<MonitorInfo> monitors;
    ReadScreen(w, h, monitors, false);
    for (const MonitorInfo& m : monitors)
        if (m.primary) return m.dpi;
    return 0;
}

void CPosixSystemPort::StopWatching() {
    if (!m_kit) return;
    if (m_watchedFd >= 0) m_kit->Unwatch(m_watchedFd);
    if (m_pollFd >= 0) {
        m_kit->Unwatch(m_pollFd);
        ::close(m_pollFd);
    }
    m_watchedFd = m_pollFd = -1;
    m_watcher.reset();
}

bool CPosixSystemPort::WatchDisplays(std::function<void()> changed) {
    if (!m_kit) return false;
    const char* over = std::getenv("ORVANTA_SCREEN");
    if (over && *over) return false; // a fixed size: nothing to follow
    StopWatching();
    m_watcher = std::make_unique<CXcbScreen>();
    if (!m_watcher->SelectChanges()) {
        m_watcher.reset();
        return false;
    }
    CXcbScreen* watcher = m_watcher.get();
    const int fd = m_watchedFd = watcher->Fd();
    auto notify = std::make_shared<std::function<void()>>(std::move(changed));
    m_kit->Watch(fd, [this, watcher, fd, notify] {
        if (!watcher->TakeChanges()) return;
        if (!watcher->Connected()) m_kit->Unwatch(fd); // the server is gone: no more notices
        (*notify)();
    });
    // The server announces output changes, but not the monitors a client defines
    // (xrandr --setmonitor): those are read once a second on the same connection and
    // compared; only a difference is reported.
    m_pollFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_pollFd < 0) return true;
    const itimerspec every{{kDisplayPollSeconds, 0}, {kDisplayPollSeconds, 0}};
    ::timerfd_settime(m_pollFd, 0, &every, nullptr);
    struct Seen {
        int width = 0, height = 0;
        std::vector<MonitorInfo> monitors;
    };
    auto seen = std::make_shared<Seen>();
    watcher->Read(seen->width, seen->height, seen->monitors);
    const int pollFd = m_pollFd;
    m_kit->Watch(pollFd, [watcher, pollFd, notify, seen] {
        uint64_t expiries = 0;
        while (::read(pollFd, &expiries, sizeof expiries) > 0) {
        }
        Seen now;
        if (!watcher->Connected() || !watcher->Read(now.width, now.height, now.monitors)) return;
        // Events that came in with the replies are queued, not readable on the socket.
        bool differs = watcher->TakeChanges();
        if (now.width != seen->width || now.height != seen->height || now.monitors != seen->monitors) {
            *seen = std::move(now);
            differs = true;
        }
        if (differs) (*notify)();
    });
    return true;
}

std::string CPosixSystemPort::SpecialFolderPath(int folderId) {
    if (folderId != SpecialFolder::AppData) return std::string();
    std::string dir;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') {
        dir = xdg;
    } else {
        std::string home = HomeFolder();
        if (home.empty()) return std::string();
        dir = home + "/.local/share";
    }
    return MakeFolders(dir) ? dir : std::string();
}

std::string CPosixSystemPort::ShortPath(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? path : std::string();
}

std::string CPosixSystemPort::ModuleFileName(unsigned long& error) {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n < 0) {
        error = static_cast<unsigned long>(errno);
        return std::string();
    }
    error = 0;
    return std::string(buf, static_cast<size_t>(n));
}

bool CPosixSystemPort::ListDirectory(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    struct CloseDir {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, CloseDir> d(::opendir(dir.c_str()));
    if (!d) return false;
    while (dirent* e = ::readdir(d.get())) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    return true;
}

bool CPosixSystemPort::MakeDirectory(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0;
}

intptr_t CPosixSystemPort::ShellExecuteVerb(const std::string& verb, const std::string& file,
                                        const std::string& params, int) {
    if (verb != "open" || file.empty()) return 2;
    std::vector<std::string> args;
    if (::access(file.c_str(), X_OK) == 0 && file.find('/') != std::string::npos) {
        args = {file};
        if (!params.empty()) args.push_back(params);
    } else {
        args = {"xdg-open", file};
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 2;
    return 33;
}

// No shell desktop with a web view exists here.
bool CPosixSystemPort::DesktopHostsWebView() { return false; }
bool CPosixSystemPort::DesktopHtmlSetting() { return false; }

// A Linux session has no desktop colour to read; this slate blue is Windows' own
// default for an empty desktop.
uint32_t CPosixSystemPort::DesktopColor() { return 0xA56E3A; }
