#include "PosixCommandChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "../WindowKit.h"
#include "../common/CommandRequest.h"
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

// Sends all of text without raising SIGPIPE; false with errno set.
bool SendAll(int fd, const std::string& text, int flags) {
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, flags | MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Reads one answer line (without its end) within the time limit.
bool ReadAnswer(int fd, std::string& line, int timeoutMs) {
    line.clear();
    char c;
    while (line.size() < CCommandRequest::kMaxBytes) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return false;
        ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
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

bool CPosixCommandChannel::Listen(IWindow& target, const std::set<unsigned>& commands, std::string& error) {
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
    m_commands = commands;
    m_kit.Watch(fd, [this] { Accept(); });
    return true;
}

void CPosixCommandChannel::Close() {
    for (const auto& [client, received] : m_clients) {
        m_kit.Unwatch(client);
        ::close(client);
    }
    m_clients.clear();
    if (m_fd < 0) return;
    m_kit.Unwatch(m_fd);
    ::close(m_fd);
    m_fd = -1;
    ::unlink(SocketPath().c_str());
}

void CPosixCommandChannel::Accept() {
    for (;;) {
        const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return; // nothing more waiting, or no descriptor left for now
        }
        ucred cred{};
        socklen_t len = sizeof cred;
        if (::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::getuid()) {
            (void)SendAll(client, "refused\n", MSG_DONTWAIT);
            ::close(client);
            continue;
        }
        if (m_clients.size() >= kMaxClients) {
            (void)SendAll(client, "busy\n", MSG_DONTWAIT);
            ::close(client);
            continue;
        }
        m_clients[client];
        m_kit.Watch(
            client, [this, client] { OnReadable(client); }, std::chrono::steady_clock::now() + kRequestTime,
            // The kit no longer watches it: only the answer and the close are left.
            [this, client] { Finish(client, "timed out"); });
        // The request may have come with the connection.
        OnReadable(client);
    }
}

void CPosixCommandChannel::OnReadable(int client) {
    auto it = m_clients.find(client);
    if (it == m_clients.end()) return;
    std::string& received = it->second;
    bool ended = false;
    char buf[128];
    while (received.size() <= CCommandRequest::kMaxBytes) {
        const ssize_t n = ::recv(client, buf, sizeof buf, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n <= 0) {
            ended = true; // closed, or an error that ends the connection
            break;
        }
        received.append(buf, static_cast<size_t>(n));
    }
    const CCommandRequest::Parsed request = CCommandRequest::Judge(received);
    if (request.verdict == CCommandRequest::Verdict::Incomplete && !ended) return; // more to come
    std::string answer = CCommandRequest::Answer(request, m_commands);
    if (answer == "ok" && !(m_target && m_target->Post(Msg::Command, request.id, request.argument)))
        answer = "busy";
    Finish(client, answer);
}

void CPosixCommandChannel::Finish(int client, const std::string& answer) {
    if (!m_clients.count(client)) return;
    if (!SendAll(client, answer + "\n", MSG_DONTWAIT)) {
        const int e = errno;
        std::fprintf(stderr, "orvanta: a command's sender left before its answer \"%s\" (%s)\n", answer.c_str(),
                     std::strerror(e));
    }
    // What the client sent beyond its request is read away, so closing does not
    // reset the connection before the client has read the answer.
    ::shutdown(client, SHUT_WR);
    char buf[4096];
    for (int i = 0; i < 16 && ::recv(client, buf, sizeof buf, MSG_DONTWAIT) > 0; ++i) {
    }
    m_kit.Unwatch(client);
    ::close(client);
    m_clients.erase(client);
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
        // No socket, or one nobody listens on any more: no copy runs.
        const int e = errno;
        error = e == ENOENT || e == ECONNREFUSED ? "Orvanta for Outlook is not running."
                                                 : "the running copy cannot be reached at " + SocketPath() + " (" +
                                                       std::strerror(e) + ")";
    } else {
        std::string reply;
        if (!SendAll(fd, CCommandRequest::Line(commandId, argument), 0) || !ReadAnswer(fd, reply, 5000))
            error = "the running copy did not answer";
        else if (reply != "ok")
            error = "the running copy answered \"" + reply + "\"";
        else
            ok = true;
    }
    ::close(fd);
    return ok;
}
