#include "PosixWindowKit.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

class PosixMainWindow;
PosixMainWindow* g_mainWindow = nullptr;

class PosixMainWindow : public IMainWindow {
public:
    PosixMainWindow(std::string caption, std::function<void()> onClose)
        : m_caption(std::move(caption)), m_onClose(std::move(onClose)) {
        g_mainWindow = this;
    }
    ~PosixMainWindow() override {
        if (g_mainWindow == this) g_mainWindow = nullptr;
    }
    void SetCaption(const std::string& caption) override { m_caption = caption; }
    std::string Caption() const override { return m_caption; }
    void Update() override {}
    void Close() {
        if (m_onClose) m_onClose();
    }

private:
    std::string m_caption;
    std::function<void()> m_onClose;
};

void OnSignal(int) {
    int saved = errno;
    char c = 1;
    if (g_signalPipe[1] >= 0) (void)!::write(g_signalPipe[1], &c, 1);
    errno = saved;
}

} // namespace

std::unique_ptr<IMainWindow> CPosixWindowKit::CreateMainWindow(const std::string& caption,
                                                            std::function<void()> onClose) {
    // Signals are caught from here on, so a stop request that arrives before the
    // loop runs is still answered by an orderly close.
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    return std::make_unique<PosixMainWindow>(caption, std::move(onClose));
}

int CPosixWindowKit::RunMessageLoop() {
    if (g_signalPipe[0] < 0) return 1;
    bool running = true;
    while (running) {
        pollfd pfd{g_signalPipe[0], POLLIN, 0};
        int n = ::poll(&pfd, 1, 1000);
        int pollError = errno;
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        } // programs started with "open"
        if (n < 0 && pollError != EINTR) break;
        if (n > 0 && (pfd.revents & POLLIN)) {
            char buf[16];
            while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {
            }
            if (g_mainWindow) g_mainWindow->Close();
            running = false;
        }
    }
    return 0;
}
