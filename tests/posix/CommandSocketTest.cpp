// The running program's command socket under clients that misbehave: every request
// gets the answer that says what it was, and clients that leave early, say nothing or
// trickle hold up neither the commands of others, the timers nor the exit.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <cstring>

#include "PosixTestUtil.h"

namespace {

using Clock = std::chrono::steady_clock;

// What a responsive daemon needs is far below this; it only keeps a failing test from hanging.
constexpr int kGuardMs = 3000;

long long Ms(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

class CommandSocket : public ::testing::Test {
protected:
    void SetUp() override {
        run = dir.Path() + "/run";
        ::mkdir(run.c_str(), 0700);
        socket = run + "/orvanta.sock";
        picture = dir.Path() + "/data/Kestrova/Orvanta for Outlook/orvanta.bmp";
        env = {{"XDG_CONFIG_HOME", dir.Path() + "/config"}, {"XDG_DATA_HOME", dir.Path() + "/data"},
               {"XDG_RUNTIME_DIR", run}, {"ORVANTA_SCREEN", "640x480"}, {"ORVANTA_WALLPAPER_COMMAND", "true"},
               {"ORVANTA_STORE", ORVANTA_SOURCE_DIR "/examples/sample-store.json"}};
        program = std::make_unique<ChildProgram>(ORVANTA_PROGRAM, env, Err());
        ASSERT_TRUE(program->WaitReady()) << ReadFile(Err());
        ASSERT_TRUE(WaitFor([&] { return Exists(socket) && Exists(picture); }, 10000)) << ReadFile(Err());
    }
    void TearDown() override {
        for (int fd : open)
            ::close(fd);
    }
    std::string Err() const { return dir.Path() + "/daemon.err"; }

    // A connected client (-1 when the connection was refused), closed at the end of
    // the test unless the test closes it.
    int Connect() {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, socket.c_str(), sizeof addr.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd);
            return -1;
        }
        open.push_back(fd);
        return fd;
    }
    // Everything the daemon sends until it closes (at most kGuardMs); "<reset>" when
    // the connection was reset.
    static std::string ReadToEnd(int fd) {
        std::string reply;
        const auto until = Clock::now() + std::chrono::milliseconds(kGuardMs);
        char buf[256];
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            const int left = static_cast<int>(Ms(until - Clock::now()));
            if (left <= 0 || ::poll(&p, 1, left) <= 0) return reply + "<no end>";
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n < 0) return reply + "<reset>";
            if (n == 0) return reply;
            reply.append(buf, static_cast<size_t>(n));
        }
    }
    // Sends the pieces one after another (the daemon may see them apart), then reads
    // the answer; with halfClose the client says it has nothing more to send.
    std::string Ask(const std::vector<std::string>& pieces, bool halfClose = false) {
        const int fd = Connect();
        if (fd < 0) return "<refused>";
        for (const std::string& piece : pieces)
            (void)!::send(fd, piece.data(), piece.size(), MSG_NOSIGNAL);
        if (halfClose) ::shutdown(fd, SHUT_WR);
        return ReadToEnd(fd);
    }
    // "orvanta refresh" run to its end: its exit code, and the time it took in elapsedMs.
    int Refresh(long long& elapsedMs) {
        const auto start = Clock::now();
        const int rc = RunToEnd(ORVANTA_PROGRAM, env, {"refresh"}, "", dir.Path() + "/refresh.err");
        elapsedMs = Ms(Clock::now() - start);
        return rc;
    }
    long long PictureWritten() const {
        struct stat st {};
        if (::stat(picture.c_str(), &st) != 0) return -1;
        return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    }

    TempDir dir;
    std::string run, socket, picture;
    std::map<std::string, std::string> env;
    std::unique_ptr<ChildProgram> program;
    std::vector<int> open;
};

TEST_F(CommandSocket, EachRequestIsAnsweredWithWhatItWas) {
    const std::string ok = "ok\n", unknown = "unknown command\n", bad = "bad request\n";
    struct Case {
        std::vector<std::string> pieces;
        bool halfClose;
        std::string answer;
    };
    const std::vector<Case> cases = {
        {{"32790\n"}, false, ok},                // refresh
        {{"32790 7\n"}, false, ok},              // with an lParam it does not use
        {{"327", "90", "\n"}, false, ok},        // in pieces
        {{"1\n"}, false, unknown},               // ids the program takes from no one
        {{"65535\n"}, false, unknown},
        {{"57664\n"}, false, unknown},           // the about box: the tray's, not the command line's
        {{"0\n"}, false, bad},
        {{"032790\n"}, false, bad},
        {{"65536\n"}, false, bad},
        {{"99999999\n"}, false, bad},
        {{"hello\n"}, false, bad},
        {{"32790 \n"}, false, bad},
        {{"32790 12\n"}, false, bad},
        {{"\n"}, false, bad},
        {{"32790\n32790\n"}, false, bad},        // two lines
        {{std::string(100, '7') + "\n"}, false, bad},
        {{std::string(100, '7')}, false, bad},   // too long: answered without waiting for the line end
        {{"32790"}, true, bad},                  // the sender stopped before the line end
        {{}, true, bad},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& piece : c.pieces) shown += "[" + piece.substr(0, 20) + "]";
        EXPECT_EQ(Ask(c.pieces, c.halfClose), c.answer) << shown;
    }
    // Another user cannot even reach the socket (it is the owner's alone).
    if (::getuid() == 0) {
        pid_t other = ::fork();
        if (other == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
            const std::string reply = Ask({"32790\n"});
            ::_exit(reply.find("ok") == std::string::npos ? 0 : 1);
        }
        int status = 0;
        ::waitpid(other, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a peer of another user was answered";
    }
    EXPECT_FALSE(program->Finished(0)) << ReadFile(Err());
    ::kill(program->Pid(), SIGTERM);
    EXPECT_EQ(program->WaitExit(), 0);
}

TEST_F(CommandSocket, ClientsThatLeaveBeforeTheirAnswerAreLoggedAndTheProgramGoesOn) {
    // Held still while the clients come and go, so every answer meets a closed socket.
    ASSERT_EQ(::kill(program->Pid(), SIGSTOP), 0);
    for (int i = 0; i < 5; ++i) {
        const int fd = Connect();
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::send(fd, "32790\n", 6, MSG_NOSIGNAL), 6);
        ::close(fd);
        open.pop_back();
    }
    ASSERT_EQ(::kill(program->Pid(), SIGCONT), 0);
    long long ms = 0;
    EXPECT_EQ(Refresh(ms), 0) << ReadFile(dir.Path() + "/refresh.err");
    EXPECT_FALSE(program->Finished(0)) << "ended with " << program->WaitExit(0) << "\n" << ReadFile(Err());
    EXPECT_NE(ReadFile(Err()).find("orvanta: a command's sender left before its answer \"ok\""), std::string::npos)
        << ReadFile(Err());
    ::kill(program->Pid(), SIGTERM);
    EXPECT_EQ(program->WaitExit(), 0);
    EXPECT_FALSE(Exists(socket));
}

TEST_F(CommandSocket, SilentAndTricklingClientsDelayNeitherCommandsTimersNorTheExit) {
    std::vector<int> silent;
    for (int i = 0; i < 10; ++i) silent.push_back(Connect());
    ASSERT_GE(silent.back(), 0);
    // One byte of a valid request every 400 ms: never finished within its time.
    std::atomic<bool> stop{false};
    const int trickling = Connect();
    std::thread trickle([&] {
        for (char c : std::string("32790\n")) {
            if (stop) break;
            (void)!::send(trickling, &c, 1, MSG_NOSIGNAL);
            for (int i = 0; i < 20 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    // A command is answered at once, and the timers carry it out: the picture is drawn again.
    const long long before = PictureWritten();
    long long ms = 0;
    EXPECT_EQ(Refresh(ms), 0) << ReadFile(dir.Path() + "/refresh.err");
    EXPECT_LT(ms, kGuardMs);
    std::cout << "[ measured ] orvanta refresh answered in " << ms << " ms beside 11 idle clients\n";
    EXPECT_TRUE(WaitFor([&] { return PictureWritten() != before; }, kGuardMs)) << ReadFile(Err());

    // A client that never finishes its request is told so and let go.
    EXPECT_EQ(ReadToEnd(silent[0]), "timed out\n");
    EXPECT_EQ(ReadToEnd(trickling), "timed out\n");
    stop = true;
    trickle.join();

    // The stop signal is acted on while others wait silently.
    for (int i = 0; i < 10; ++i) Connect();
    const auto start = Clock::now();
    ::kill(program->Pid(), SIGTERM);
    EXPECT_EQ(program->WaitExit(kGuardMs), 0) << ReadFile(Err());
    std::cout << "[ measured ] SIGTERM ended the program in " << Ms(Clock::now() - start)
              << " ms beside 10 idle clients\n";
    EXPECT_FALSE(Exists(socket));
}

} // namespace
