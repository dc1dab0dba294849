#include "PosixCommandChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "../WindowKit.h"
#include "PosixWindowKit.h"

namespace {
bool MakeAddress(const std::string& path, sockaddr_un& addr, std::string& error) {
    addr = sockaddr_un{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        error = "the socket path " + path + " is too long";
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}
std::string Reason(const char* what) { return std::string(what) + " (" + std::strerror(errno) + ")"; }

// Reads one line (without its end) within the time limit.
bool ReadLine(int fd, std::string& line, int timeoutMs) {
    line.clear();
    char c;
    while (line.size() < 64) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return false;
        ssize_t n = ::read(fd, &c, 1);
        if (n <= 0) return false;
        if (c == '\n') return true;
        line += c;
    }
    return false;
}
} // namespace

CPosixCommandChannel::CPosixCommandChannel(CPosixWindowKit& kit, std::string directory)
    : m_kit(kit), m_dir(std::move(directory)) {}

CPosixCommandChannel::~CPosixCommandChannel() { Close(); }

bool CPosixCommandChannel::Listen(IWindow& target, std::string& error) {
    Close();
    sockaddr_un addr;
    const std::string path = SocketPath();
    if (!MakeAddress(path, addr, error)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = Reason("no socket");
        return false;
    }
    // Only one copy runs (its lock says so), so a socket left here is stale.
    ::unlink(path.c_str());
    // Made closed to others from the start: no moment in which another user could connect.
    mode_t old = ::umask(0177);
    int rc = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::umask(old);
    if (rc != 0 || ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, 8) != 0) {
        error = Reason(("the socket " + path + " cannot be made").c_str());
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_target = &target;
    m_kit.Watch(fd, [this] { Accept(); });
    return true;
}

void CPosixCommandChannel::Close() {
    if (m_fd < 0) return;
    m_kit.Unwatch(m_fd);
    ::close(m_fd);
    m_fd = -1;
    ::unlink(SocketPath().c_str());
}

void CPosixCommandChannel::Accept() {
    for (;;) {
        int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        ucred cred{};
        socklen_t len = sizeof cred;
        std::string line;
        const char* answer = "refused\n";
        if (::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::getuid()) {
            answer = "bad request\n";
            unsigned argument = 0;
            if (ReadLine(client, line, 1000) && line.size() >= 3 && line[line.size() - 2] == ' ' &&
                line.back() >= '0' && line.back() <= '9') {
                argument = static_cast<unsigned>(line.back() - '0');
                line.resize(line.size() - 2);
            }
            if (!line.empty() && line.size() <= 5 && line.find_first_not_of("0123456789") == std::string::npos) {
                const unsigned long id = std::strtoul(line.c_str(), nullptr, 10);
                if (id > 0 && id <= 0xFFFF && m_target && m_target->Post(Msg::Command, id, argument))
                    answer = "ok\n";
            }
        }
        (void)!::write(client, answer, std::strlen(answer));
        ::close(client);
    }
}

bool CPosixCommandChannel::Send(unsigned commandId, unsigned argument, std::string& error) {
    sockaddr_un addr;
    if (!MakeAddress(SocketPath(), addr, error)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = Reason("no socket");
        return false;
    }
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        error = "Orvanta for Outlook is not running (" + std::string(std::strerror(errno)) + ")";
    } else {
        const std::string request =
            std::to_string(commandId) + (argument ? " " + std::to_string(argument % 10) : std::string()) + "\n";
        std::string reply;
        if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size()) ||
            !ReadLine(fd, reply, 5000))
            error = "the running copy did not answer";
        else if (reply != "ok")
            error = "the running copy answered \"" + reply + "\"";
        else
            ok = true;
    }
    ::close(fd);
    return ok;
}
