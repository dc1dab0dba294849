#include "PosixWindowKit.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <deque>
#include <exception>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    int saved = errno;
    char c = 1;
    if (g_signalPipe[1] >= 0) (void)!::write(g_signalPipe[1], &c, 1);
    errno = saved;
}

// Caught rather than ignored: an ignored signal stays ignored in the programs this one
// starts (a wallpaper command, a browser), while a caught one is back to its default there.
void OnBrokenPipe(int) {}
} // namespace

struct CPosixWindowKit::State {
    struct Timer {
        unsigned period;
        Clock::time_point due;
    };
    struct Entry {
        IWindowEvents* events;
        bool main;
        std::map<unsigned, Timer> timers;
    };
    struct Posted {
        uintptr_t window;
        unsigned msg;
        uintptr_t wp;
        intptr_t lp;
    };
    std::map<uintptr_t, Entry> windows; // loop thread only
    uintptr_t nextHandle = 1;
    uintptr_t mainWindow = 0;
    bool quit = false;
    std::map<std::string, unsigned> registered;
    struct Watched {
        std::function<void()> onReadable;
        bool timed = false;
        Clock::time_point deadline;
        std::function<void()> onLate;
    };
    std::map<int, Watched> watched;
    int wakePipe[2] = {-1, -1};
    std::mutex postLock; // guards posted
    std::deque<Posted> posted;

    bool Post(uintptr_t window, unsigned msg, uintptr_t wp, intptr_t lp) {
        {
            std::lock_guard<std::mutex> hold(postLock);
            posted.push_back({window, msg, wp, lp});
        }
        char c = 1;
        return ::write(wakePipe[1], &c, 1) == 1 || errno == EAGAIN;
    }
    intptr_t Dispatch(uintptr_t window, unsigned msg, uintptr_t wp, intptr_t lp,
                      std::optional<std::string_view> text = std::nullopt);
    void Destroy(uintptr_t window) {
        auto it = windows.find(window);
        if (it == windows.end()) return;
        if (it->second.main) quit = true;
        windows.erase(it);
    }
};

intptr_t CPosixWindowKit::State::Dispatch(uintptr_t window, unsigned msg, uintptr_t wp, intptr_t lp,
                                          std::optional<std::string_view> text) {
    auto it = windows.find(window);
    if (it == windows.end()) return 0;
    intptr_t result = 0;
    bool handled = false;
    try {
        handled = DeliverWindowMessage(*it->second.events, msg, wp, lp, result, text);
    } catch (const std::exception& e) {
        std::cerr << "orvanta: caught in a window's handler: " << e.what() << "\n";
        return 0;
    } catch (...) {
        std::cerr << "orvanta: caught in a window's handler: unknown exception\n";
        return 0;
    }
    if (!handled && msg == Msg::Close) Destroy(window); // the default answer to a close
    return handled ? result : 0;
}

namespace {

class PosixWindow : public IWindow {
public:
    PosixWindow(std::shared_ptr<CPosixWindowKit::State> state, uintptr_t handle, std::string caption)
        : m_state(std::move(state)), m_handle(handle), m_caption(std::move(caption)) {}
    ~PosixWindow() override { Destroy(); }
    uintptr_t Handle() const override { return m_handle; }
    void SetCaption(const std::string& caption) override { m_caption = caption; }
    std::string Caption() const override { return m_caption; }
    bool SetTimer(unsigned id, unsigned periodMs) override {
        auto it = m_state->windows.find(m_handle);
        if (it == m_state->windows.end()) return false;
        it->second.timers[id] = {periodMs, Clock::now() + std::chrono::milliseconds(periodMs)};
        return true;
    }
    void KillTimer(unsigned id) override {
        auto it = m_state->windows.find(m_handle);
        if (it != m_state->windows.end()) it->second.timers.erase(id);
    }
    bool Post(unsigned msg, uintptr_t wp, intptr_t lp) override { return m_state->Post(m_handle, msg, wp, lp); }
    intptr_t Send(unsigned msg, uintptr_t wp, intptr_t lp) override {
        return m_state->Dispatch(m_handle, msg, wp, lp);
    }
    // Sending is a call on this thread: the text goes straight to the handler.
    intptr_t SendText(unsigned msg, const std::string& text) override {
        return m_state->Dispatch(m_handle, msg, 0, 0, std::string_view(text));
    }
    void Destroy() override { m_state->Destroy(m_handle); }
    void SetForeground() override {}

private:
    std::shared_ptr<CPosixWindowKit::State> m_state;
    uintptr_t m_handle;
    std::string m_caption;
};

} // namespace

CPosixWindowKit::CPosixWindowKit() : m_state(std::make_shared<State>()) {
    if (::pipe2(m_state->wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) m_state->wakePipe[0] = m_state->wakePipe[1] = -1;
}

CPosixWindowKit::~CPosixWindowKit() {
    for (int fd : m_state->wakePipe)
        if (fd >= 0) ::close(fd);
}

std::unique_ptr<IWindow> CPosixWindowKit::MakeWindow(const WindowDesc& desc, IWindowEvents& events) {
    if (m_state->wakePipe[0] < 0) return nullptr;
    if (desc.main) {
        // Signals are caught from here on, so a stop request that arrives before the
        // loop runs is still answered by an orderly close.
        if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGHUP, &sa, nullptr);
        struct sigaction pipe {};
        pipe.sa_handler = OnBrokenPipe;
        sigemptyset(&pipe.sa_mask);
        sigaction(SIGPIPE, &pipe, nullptr);
    }
    uintptr_t handle = m_state->nextHandle++;
    m_state->windows[handle] = {&events, desc.main, {}};
    if (desc.main) {
        m_state->mainWindow = handle;
        m_state->quit = false;
    }
    return std::make_unique<PosixWindow>(m_state, handle, desc.caption);
}

unsigned CPosixWindowKit::RegisterMessage(const std::string& name) {
    auto [it, added] = m_state->registered.emplace(name, 0xC000u + static_cast<unsigned>(m_state->registered.size()));
    return it->second;
}

void CPosixWindowKit::Watch(int fd, std::function<void()> onReadable) {
    m_state->watched[fd] = State::Watched{std::move(onReadable), false, {}, {}};
}

void CPosixWindowKit::Watch(int fd, std::function<void()> onReadable, Clock::time_point deadline,
                            std::function<void()> onLate) {
    m_state->watched[fd] = State::Watched{std::move(onReadable), true, deadline, std::move(onLate)};
}

void CPosixWindowKit::Unwatch(int fd) { m_state->watched.erase(fd); }

int CPosixWindowKit::RunMessageLoop() {
    State& s = *m_state;
    if (s.wakePipe[0] < 0 || !s.windows.count(s.mainWindow)) return 1;
    while (!s.quit) {
        // The earliest timer or watch deadline decides how long to sleep.
        Clock::time_point now = Clock::now();
        int timeout = 60000;
        auto until = [&](Clock::time_point due) {
            // Rounded up: a timer due in less than a millisecond would otherwise
            // make the loop spin until it is due.
            auto ms = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
            if (ms < timeout) timeout = ms < 0 ? 0 : static_cast<int>(ms);
        };
        for (const auto& [handle, entry] : s.windows)
            for (const auto& [id, timer] : entry.timers) until(timer.due);
        std::vector<pollfd> fds{{s.wakePipe[0], POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}};
        for (const auto& [fd, watch] : s.watched) {
            fds.push_back({fd, POLLIN, 0});
            if (watch.timed) until(watch.deadline);
        }
        int n = ::poll(fds.data(), fds.size(), timeout);
        if (n < 0 && errno != EINTR) return 1;
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        } // programs started with "open"
        char buf[64];
        if (n > 0 && (fds[1].revents & POLLIN)) {
            while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {
            }
            s.Post(s.mainWindow, Msg::Close, 0, 0);
        }
        if (n > 0 && (fds[0].revents & POLLIN))
            while (::read(s.wakePipe[0], buf, sizeof buf) > 0) {
            }
        for (size_t i = 2; i < fds.size() && n > 0; ++i)
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                auto it = s.watched.find(fds[i].fd);
                if (it != s.watched.end()) {
                    auto cb = it->second.onReadable; // the callback may unwatch itself
                    cb();
                }
            }
        // Watches past their deadline end, each told once.
        now = Clock::now();
        std::vector<std::function<void()>> late;
        for (auto it = s.watched.begin(); it != s.watched.end();) {
            if (it->second.timed && it->second.deadline <= now) {
                late.push_back(std::move(it->second.onLate));
                it = s.watched.erase(it);
            } else {
                ++it;
            }
        }
        for (const auto& cb : late)
            if (cb) cb();
        // Posted messages in order, then the timers that are due, each once.
        std::deque<State::Posted> batch;
        {
            std::lock_guard<std::mutex> hold(s.postLock);
            batch.swap(s.posted);
        }
        for (const auto& p : batch) {
            if (s.quit) break;
            s.Dispatch(p.window, p.msg, p.wp, p.lp);
        }
        now = Clock::now();
        std::vector<std::pair<uintptr_t, unsigned>> due;
        for (auto& [handle, entry] : s.windows)
            for (auto& [id, timer] : entry.timers)
                if (timer.due <= now) {
                    due.emplace_back(handle, id);
                    // A late tick is not made up for: the next one is a period from now.
                    timer.due = now + std::chrono::milliseconds(timer.period);
                }
        for (const auto& [handle, id] : due) {
            if (s.quit) break;
            auto w = s.windows.find(handle);
            if (w == s.windows.end() || !w->second.timers.count(id)) continue; // killed meanwhile
            s.Dispatch(handle, Msg::Timer, id, 0);
        }
    }
    return 0;
}
