#include "DesktopTool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

extern char** environ;

std::string ToolResult::Failure() const {
    if (!started) return "is not installed";
    if (timedOut) return "did not answer";
    std::string said = err.empty() ? out : err;
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) said.pop_back();
    const size_t line = said.find('\n'); // the first line says what it is; the rest is detail
    if (line != std::string::npos) said.resize(line);
    if (said.size() > 200) said = said.substr(0, 200) + "...";
    std::string text = code < 0 ? "failed (ended by a signal" : "failed (exit " + std::to_string(code);
    return text + (said.empty() ? ")" : ": " + said + ")");
}

bool ToolInstalled(const std::string& name) {
    if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        const size_t colon = dirs.find(':', start);
        std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string::npos) return false;
        start = colon + 1;
    }
}

ToolResult RunTool(const std::vector<std::string>& args, int timeoutMs) {
    ToolResult r;
    if (args.empty() || !ToolInstalled(args[0])) return r;
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) return r;
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return r;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (rc != 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return r;
    }
    r.started = true;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    for (auto& f : fds) ::fcntl(f.fd, F_SETFL, ::fcntl(f.fd, F_GETFL) | O_NONBLOCK);
    auto drain = [&] {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0) continue;
            char buf[4096];
            ssize_t n;
            while ((n = ::read(fds[i].fd, buf, sizeof buf)) > 0) (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            if (n == 0) { // the tool closed it
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    };
    int status = 0;
    bool ended = false;
    // Until the tool ends, not until its output is closed: a service it starts may
    // keep the pipe open long after.
    while (!ended) {
        if (std::chrono::steady_clock::now() >= until) {
            r.timedOut = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        // Output closed: the tool is ending, so look again soon.
        ::poll(fds, 2, fds[0].fd < 0 && fds[1].fd < 0 ? 1 : 50);
        drain();
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) ended = true;
    }
    drain();
    for (auto& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    if (ended) r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
