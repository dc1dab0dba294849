#pragma once
// Temporary folders and child processes for the tests of the Linux build.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/orvanta-test-XXXXXX";
        m_path = ::mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf '" + m_path + "'").c_str()); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Runs program with args and the environment's additions to its end; standard output
// and standard error go to the files named (none when empty). The exit code, -1 when a
// signal ended it, 1000 when it had not ended after timeoutMs (it is killed then).
inline int RunToEnd(const std::string& program, const std::map<std::string, std::string>& env,
                    const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath,
                    int timeoutMs = 60000) {
    pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
        if (!outPath.empty()) ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        if (!errPath.empty()) ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() >= until) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            return 1000;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits up to ms for done() to hold; whether it did.
template <typename F>
bool WaitFor(F done, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The program started with its own XDG folders; standard error goes to a file.
class ChildProgram {
public:
    ChildProgram(const std::string& program, const std::map<std::string, std::string>& env,
                 const std::string& stderrPath) {
        m_pid = ::fork();
        if (m_pid == 0) {
            for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
            int fd = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0) ::dup2(fd, 2);
            ::execl(program.c_str(), program.c_str(), "run", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~ChildProgram() {
        if (m_pid > 0 && !m_done) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    pid_t Pid() const { return m_pid; }

    // True once the program catches SIGTERM, i.e. its main window and loop are up.
    bool WaitReady(int ms = 10000) {
        for (int waited = 0; waited < ms; waited += 20) {
            std::ifstream st("/proc/" + std::to_string(m_pid) + "/status");
            std::string line;
            while (std::getline(st, line)) {
                if (line.rfind("SigCgt:", 0) == 0) {
                    unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
                    if (mask & (1ULL << (SIGTERM - 1))) return true;
                }
            }
            if (Finished(0)) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    bool Finished(int ms) {
        if (m_done) return true;
        for (int waited = 0;; waited += 20) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_done = true;
                m_status = status;
                return true;
            }
            if (waited >= ms) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // Exit code; -signal when a signal ended it; 1000 when it did not end in time.
    int WaitExit(int ms = 10000) {
        if (!Finished(ms)) return 1000;
        if (WIFEXITED(m_status)) return WEXITSTATUS(m_status);
        return -WTERMSIG(m_status);
    }

private:
    pid_t m_pid = -1;
    bool m_done = false;
    int m_status = 0;
};
