#pragma once
// The daemon's command socket.
//
// Implements: a Unix stream socket in the lock folder, made with mode 0600 (a stale
//   socket of a copy that ended is replaced); requests accepted on the loop of the
//   window kit; SO_PEERCRED checked against the program's own user; the client side
//   with a timeout of 5 s.
// Does not implement: commands with text arguments (a request is a command id and a digit).
#include <string>

#include "../CommandChannel.h"

class CPosixWindowKit;

class CPosixCommandChannel : public ICommandChannel {
public:
    CPosixCommandChannel(CPosixWindowKit& kit, std::string directory);
    ~CPosixCommandChannel() override;
    bool Listen(IWindow& target, std::string& error) override;
    void Close() override;
    bool Send(unsigned commandId, unsigned argument, std::string& error) override;
    std::string SocketPath() const { return m_dir + "/orvanta.sock"; }

private:
    void Accept();
    CPosixWindowKit& m_kit;
    std::string m_dir;
    int m_fd = -1;
    IWindow* m_target = nullptr;
};
