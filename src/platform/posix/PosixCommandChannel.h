#pragma once
// The daemon's command socket.
//
// Implements: a Unix stream socket in the lock folder, made with mode 0600 (a stale
//   socket of a copy that ended is replaced); clients accepted and read without
//   blocking, in the window kit's poll beside its timers, each with a deadline, so a
//   silent or slow client delays neither other commands, the timers nor the exit;
//   SO_PEERCRED checked against the program's own user; answers sent without
//   SIGPIPE (a client that left is logged); the client side with a timeout of 5 s.
// Does not implement: commands with text arguments (a request is a command id and a digit).
#include <chrono>
#include <map>
#include <set>
#include <string>

#include "../CommandChannel.h"

class CPosixWindowKit;

class CPosixCommandChannel : public ICommandChannel {
public:
    // Clients served at once; one more is answered "busy".
    static constexpr std::size_t kMaxClients = 16;
    // The time a client has from its connection to the end of its request.
    static constexpr std::chrono::milliseconds kRequestTime{2000};

    CPosixCommandChannel(CPosixWindowKit& kit, std::string directory);
    ~CPosixCommandChannel() override;
    bool Listen(IWindow& target, const std::set<unsigned>& commands, std::string& error) override;
    void Close() override;
    bool Send(unsigned commandId, unsigned argument, std::string& error) override;
    std::string SocketPath() const { return m_dir + "/orvanta.sock"; }

private:
    void Accept();
    void OnReadable(int client);
    // Sends the answer line and ends the connection.
    void Finish(int client, const std::string& answer);

    CPosixWindowKit& m_kit;
    std::string m_dir;
    int m_fd = -1;
    IWindow* m_target = nullptr;
    std::set<unsigned> m_commands;
    std::map<int, std::string> m_clients; // what each has sent so far
};
