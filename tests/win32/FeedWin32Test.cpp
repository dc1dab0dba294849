// Calendar feeds through WinHTTP over real HTTPS on 127.0.0.1, against the test server
// of tests/feed-server. scripts/test starts it and names its folder in
// ORVANTA_FEED_SERVER_DIR (a Linux path: Wine sees it through drive Z:); its
// certificate authority goes into the test prefix's root store for this test only.
#include <windows.h>
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "FeedServerUtil.h"
#include "Utf.h"
#include "outlook/calendar/FeedCache.h"
#include "platform/win32/Win32HttpPort.h"

namespace {

// A port of 127.0.0.1 where nothing listens: bound, then let go.
int UnusedPort() {
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 0;
    int port = 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof a;
        if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
            port = ntohs(a.sin_port);
        closesocket(s);
    }
    WSACleanup();
    return port;
}

// The real WinHTTP port, sent to a port where nothing listens once the server is
// "gone": the cache meets a real refused connection for the address it knows.
class GoneAfterwards : public IHttpPort {
  public:
    GoneAfterwards(IHttpPort& real, std::string serverPort, int deadPort)
        : m_real(real), m_from(":" + serverPort + "/"), m_to(":" + std::to_string(deadPort) + "/") {
    }
    HttpResponse Get(const HttpRequest& request) override {
        HttpRequest r = request;
        const size_t at = r.url.find(m_from);
        if (gone && at != std::string::npos) r.url.replace(at, m_from.size(), m_to);
        return m_real.Get(r);
    }
    bool gone = false;

  private:
    IHttpPort& m_real;
    std::string m_from, m_to;
};

// Every answer the server gives and every bound the port keeps, then the cache over
// the port and Windows' files, its last good copy shown once the server is gone. The
// authority is trusted by the prefix only while the test runs.
TEST(FeedWin32, WinHttpFetchesConditionallyWithinItsBounds) {
    const FeedServerInfo server = FeedServerInfo::FromEnvironment();
    ASSERT_FALSE(server.dir.empty())
        << "ORVANTA_FEED_SERVER_DIR names the folder of a running tests/feed-server "
           "(scripts/test starts one)";
    const std::string& dir = server.dir;
    const std::string& port = server.port;
    ASSERT_FALSE(port.empty()) << "no port file in " << dir;
    const std::string base = server.Base();
    const std::string pem = server.File("ca.pem");
    ASSERT_NE(pem.find("BEGIN CERTIFICATE"), std::string::npos);
    // The server holds /slow.ics back this long (30 s when the file is missing): the
    // time-out asked for is a third of it, so an answer cannot arrive in time.
    const double slowText = std::atof(ReadWholeFile(dir + "\\slow-seconds").c_str());
    const int slowSeconds = slowText > 0 ? static_cast<int>(slowText) : 30;
    const int shortTimeout = slowSeconds >= 3 ? slowSeconds / 3 : 1;

    // Trusted before the first request: Wine's chain engine reads the root store once a
    // process and never sees a root added after its first chain (Windows resynchronises
    // its roots), so the refusal of the untrusted server cannot be shown in the same
    // process here (the Linux test shows the refusal of an unknown authority).
    TrustedAuthority authority(pem);
    ASSERT_TRUE(authority.Added())
        << "the test authority could not be put into the root store: error " << authority.Error();
    CWin32HttpPort http;

    const struct {
        const char* path;
        const char* ifNoneMatch;
        int timeoutSeconds;
        HttpOutcome outcome;
        int status;
        const char* bodyStarts; // nullptr: no body at all
        const char* etag;
    } cases[] = {
        {"/cal.ics", "", 15, HttpOutcome::Answered, 200, "BEGIN:VCALENDAR", "\"v1\""},
        {"/cal.ics", "\"v1\"", 15, HttpOutcome::Answered, 304, nullptr, "\"v1\""},
        {"/cal.ics", "\"v0\"", 15, HttpOutcome::Answered, 200, "BEGIN:VCALENDAR", "\"v1\""},
        {"/moved.ics", "", 15, HttpOutcome::Answered, 200, "BEGIN:VCALENDAR", "\"v1\""},
        {"/missing.ics", "", 15, HttpOutcome::Answered, 404, "not here", ""},
        {"/gzip.ics", "", 15, HttpOutcome::Answered, 200, "BEGIN:VCALENDAR", ""},
        {"/loop/0", "", 15, HttpOutcome::TooManyRedirects, 0, nullptr, ""},
        {"/huge.ics", "", 15, HttpOutcome::TooLarge, 0, nullptr, ""},
        {"/bomb.ics", "", 15, HttpOutcome::TooLarge, 0, nullptr, ""},
        {"/slow.ics", "", shortTimeout, HttpOutcome::TimedOut, 0, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " if-none-match=" + c.ifNoneMatch);
        HttpRequest q;
        q.url = base + c.path;
        q.ifNoneMatch = c.ifNoneMatch;
        q.timeoutSeconds = c.timeoutSeconds;
        const ULONGLONG start = GetTickCount64();
        const HttpResponse a = http.Get(q);
        const ULONGLONG took = GetTickCount64() - start;
        EXPECT_EQ(a.outcome, c.outcome) << a.error;
        EXPECT_EQ(a.status, c.status);
        if (c.bodyStarts) {
            EXPECT_EQ(a.body.rfind(c.bodyStarts, 0), 0u) << a.body.substr(0, 40);
        } else {
            EXPECT_TRUE(a.body.empty()) << a.body.size() << " bytes";
        }
        if (c.outcome == HttpOutcome::Answered) {
            EXPECT_EQ(a.etag, c.etag);
            EXPECT_TRUE(a.error.empty()) << a.error;
        } else {
            EXPECT_FALSE(a.error.empty());
        }
        if (c.outcome == HttpOutcome::TooLarge) {
            EXPECT_NE(a.error.find("20 MB"), std::string::npos) << a.error;
        }
        // Every request ends within its own time-out (and a little for the handshake).
        EXPECT_LE(took, static_cast<ULONGLONG>(c.timeoutSeconds) * 1000 + 3000);
        if (c.outcome == HttpOutcome::TimedOut) {
            EXPECT_GE(took, static_cast<ULONGLONG>(c.timeoutSeconds) * 1000 - 250)
                << "gave up before its time";
            EXPECT_LT(took, static_cast<ULONGLONG>(slowSeconds) * 1000) << "waited for the answer";
        }
    }
    // What the server was sent: the ETag held, and the offer of gzip.
    const std::string log = ReadWholeFile(dir + "\\requests.log");
    EXPECT_NE(log.find("GET /cal.ics if-none-match=\"v1\" "), std::string::npos) << log;
    EXPECT_NE(log.find("GET /gzip.ics if-none-match= if-modified-since= accept-encoding=gzip"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("GET /loop/5 "), std::string::npos) << "five redirects followed";
    EXPECT_EQ(log.find("GET /loop/6 "), std::string::npos) << "no sixth";

    // The cache on Windows' files: fetched, taken from disk within the period, asked
    // again conditionally (304) after it; then the server is gone and the last good copy
    // is shown, its failure said once.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "orvanta-feed-test-" + std::to_string(GetCurrentProcessId());
    const std::string url = "webcal://127.0.0.1:" + port + "/cal.ics";
    const int deadPort = UnusedPort();
    ASSERT_NE(deadPort, 0);
    GoneAfterwards port2(http, port, deadPort);
    long long now = 1000;
    FeedCacheOptions options;
    options.timeoutSeconds = 5;
    {
        CFeedCache cache(folder, port2, options, [&] { return now; });
        CFeedCopy copy = cache.Copy(url);
        EXPECT_TRUE(copy.available && copy.fresh) << copy.problem;
        EXPECT_NE(copy.body.find("SUMMARY:Feed version 1"), std::string::npos)
            << copy.body.substr(0, 200);
        now += 10;
        CFeedCache again(folder, port2, options, [&] { return now; });
        copy = again.Copy(url);
        EXPECT_TRUE(copy.available);
        EXPECT_FALSE(copy.fresh);
        EXPECT_EQ(copy.ageSeconds, 10);
        now += 300;
        copy = again.Copy(url);
        EXPECT_TRUE(copy.available && copy.fresh) << copy.problem;

        port2.gone = true;
        now += 600;
        copy = again.Copy(url);
        EXPECT_TRUE(copy.available);
        EXPECT_FALSE(copy.fresh);
        EXPECT_EQ(copy.ageSeconds, 600);
        EXPECT_NE(copy.body.find("SUMMARY:Feed version 1"), std::string::npos);
        EXPECT_NE(copy.problem.find("https://127.0.0.1:" + port + "/cal.ics could not be read"),
                  std::string::npos)
            << copy.problem;
        now += 600;
        copy = again.Copy(url);
        EXPECT_TRUE(copy.available);
        EXPECT_EQ(copy.problem, "") << "said once until it works again";
    }
    const std::string fromLog = ReadWholeFile(dir + "\\requests.log").substr(log.size());
    EXPECT_NE(fromLog.find("GET /cal.ics if-none-match=\"v1\" "), std::string::npos) << fromLog;

    const std::wstring wfolder = Widen(folder);
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((wfolder + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((wfolder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(wfolder.c_str());
}

} // namespace
