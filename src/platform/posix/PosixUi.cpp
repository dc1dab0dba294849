#include "PosixUi.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "../../../res/strings.h"

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

struct DialogText {
    int id; // -1 for a static text without an id
    const char* text;
};
struct DialogTemplate {
    const char* caption;
    std::vector<DialogText> controls;
};

const std::map<int, DialogTemplate>& Templates() {
    static const std::map<int, DialogTemplate> templates = {
        {IDD_ALREADY_RUNNING,
         {TXT_ALREADY_RUNNING_CAPTION,
          {{IDC_ALREADY_RUNNING_MESSAGE, TXT_ALREADY_RUNNING_MESSAGE}, {-1, TXT_ALREADY_RUNNING_HINT}}}},
        {IDD_ABOUTBOX, {"", {{IDC_ABOUT_VERSION, ""}, {IDC_ABOUT_COMPANY, TXT_ABOUT_COMPANY}}}},
    };
    return templates;
}

class PosixDialogControls : public IDialogControls {
public:
    explicit PosixDialogControls(std::vector<DialogText> controls) {
        for (const auto& c : controls) m_texts.emplace_back(c.id, c.text);
    }
    std::string GetItemText(int id) override {
        for (const auto& [i, t] : m_texts)
            if (i == id) return t;
        return std::string();
    }
    void SetItemText(int id, const std::string& text) override {
        for (auto& [i, t] : m_texts)
            if (i == id) t = text;
    }
    const std::vector<std::pair<int, std::string>>& Texts() const { return m_texts; }

private:
    std::vector<std::pair<int, std::string>> m_texts;
};

void OnSignal(int) {
    int saved = errno;
    char c = 1;
    if (g_signalPipe[1] >= 0) (void)!::write(g_signalPipe[1], &c, 1);
    errno = saved;
}

} // namespace

int CPosixUiPort::ShowMessageBox(const std::string& text, const std::string& caption, unsigned) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return MsgBox::IdOk;
}

int CPosixUiPort::RunDialog(int templateId, const std::function<void(IDialogControls&)>& onInit) {
    auto it = Templates().find(templateId);
    if (it == Templates().end()) return -1;
    PosixDialogControls controls(it->second.controls);
    if (onInit) onInit(controls);
    std::string caption = it->second.caption;
    for (const auto& [id, text] : controls.Texts()) {
        if (text.empty()) continue;
        if (caption.empty())
            std::fprintf(stderr, "%s\n", text.c_str());
        else
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    std::fflush(stderr);
    return MsgBox::IdOk;
}

std::unique_ptr<IMainWindow> CPosixUiPort::CreateMainWindow(const std::string& caption,
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

int CPosixUiPort::RunMessageLoop() {
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
