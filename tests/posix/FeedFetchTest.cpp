// Calendar feeds over real HTTPS on 127.0.0.1: libcurl against the test server
// (tests/feed-server), whose certificate authority is made for this run and trusted by
// this test's port only; the feed cache on real files, shown offline once the server
// is gone.
#include <gtest/gtest.h>

#include <chrono>

#include "PosixTestUtil.h"
#include "outlook/calendar/FeedCache.h"
#include "platform/posix/PosixHttpPort.h"

namespace {

// The test server in a process of its own, with its authority and log in dir.
class FeedServer {
public:
    explicit FeedServer(const std::string& dir, int port = 0) : m_dir(dir) {
        ::unlink((dir + "/port").c_str());
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setpgid(0, 0);
            const std::string script = std::string(ORVANTA_SOURCE_DIR) + "/tests/feed-server/feed_server.py";
            const std::string portText = std::to_string(port);
            ::execlp("python3", "python3", script.c_str(), "--dir", dir.c_str(), "--port", portText.c_str(),
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Making the authority takes a second or two the first time.
        WaitFor([&] { return Exists(dir + "/port"); }, 30000);
    }
    ~FeedServer() { Stop(); }
    void Stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    bool Up() const { return Exists(m_dir + "/port"); }
    int Port() const { return std::atoi(ReadFile(m_dir + "/port").c_str()); }
    std::string Url(const std::string& path) const { return "https://127.0.0.1:" + std::to_string(Port()) + path; }
    std::string Ca() const { return m_dir + "/ca.pem"; }
    // The request lines the server logged for that path.
    std::vector<std::string> Requests(const std::string& path) const {
        std::vector<std::string> lines;
        std::istringstream log(ReadFile(m_dir + "/requests.log"));
        for (std::string line; std::getline(log, line);)
            if (line.rfind("GET " + path + " ", 0) == 0) lines.push_back(line);
        return lines;
    }

private:
    std::string m_dir;
    pid_t m_pid = -1;
};

class FeedFetch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        WriteFile(s_dir->Path() + "/slow-seconds", "6");
        s_server = new FeedServer(s_dir->Path());
    }
    static void TearDownTestSuite() {
        delete s_server;
        delete s_dir;
    }
    void SetUp() override { ASSERT_TRUE(s_server->Up()) << "the test server did not start (python3, openssl)"; }
    static TempDir* s_dir;
    static FeedServer* s_server;
};
TempDir* FeedFetch::s_dir = nullptr;
FeedServer* FeedFetch::s_server = nullptr;

// Every route through the real port: status, body, headers, and each bound.
TEST_F(FeedFetch, EveryAnswerAndEveryBoundOverHttps) {
    CPosixHttpPort http(s_server->Ca());
    struct Case {
        const char* path;
        HttpOutcome outcome;
        int status;
        const char* bodyStarts; // nullptr: any
        int timeoutSeconds = 15;
    } cases[] = {
        {"/cal.ics", HttpOutcome::Answered, 200, "BEGIN:VCALENDAR"},
        {"/moved.ics", HttpOutcome::Answered, 200, "BEGIN:VCALENDAR"}, // one redirect is followed
        {"/missing.ics", HttpOutcome::Answered, 404, "not here"},
        {"/gzip.ics", HttpOutcome::Answered, 200, "BEGIN:VCALENDAR"},     // inflated
        {"/loop/0", HttpOutcome::TooManyRedirects, 0, ""},
        {"/huge.ics", HttpOutcome::TooLarge, 0, ""},                       // 30 MB sent, 20 MB allowed
        {"/bomb.ics", HttpOutcome::TooLarge, 0, ""},                       // small on the wire, 30 MB inflated
        {"/slow.ics", HttpOutcome::TimedOut, 0, "", 2},                    // the server waits 6 s
    };
    for (const Case& c : cases) {
        HttpRequest request;
        request.url = s_server->Url(c.path);
        request.timeoutSeconds = c.timeoutSeconds;
        const auto start = std::chrono::steady_clock::now();
        const HttpResponse r = http.Get(request);
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(r.outcome, c.outcome) << c.path << ": " << r.error;
        EXPECT_EQ(r.status, c.status) << c.path;
        EXPECT_EQ(r.body.rfind(c.bodyStarts, 0), 0u) << c.path << ": " << r.body.substr(0, 40);
        EXPECT_EQ(r.error.empty(), c.outcome == HttpOutcome::Answered) << c.path << ": " << r.error;
        EXPECT_EQ(r.error.find("127.0.0.1:"), std::string::npos) << c.path << ": " << r.error;
        EXPECT_LE(seconds, c.timeoutSeconds + 2) << c.path;
        if (c.outcome == HttpOutcome::TooLarge) {
            EXPECT_TRUE(r.body.empty()) << c.path;
        }
    }
    EXPECT_EQ(s_server->Requests("/loop/5").size(), 1u);
    EXPECT_EQ(s_server->Requests("/loop/6").size(), 0u) << "at most 5 redirects";
    EXPECT_NE(s_server->Requests("/gzip.ics").at(0).find("gzip"), std::string::npos) << "gzip is asked for";

    // Conditional: the ETag and the date of the copy held give 304 without a body.
    HttpRequest conditional;
    conditional.url = s_server->Url("/cal.ics");
    const HttpResponse first = http.Get(conditional);
    ASSERT_EQ(first.status, 200);
    EXPECT_EQ(first.etag, "\"v1\"");
    EXPECT_EQ(first.lastModified, "Wed, 09 Dec 2026 08:00:00 GMT");
    conditional.ifNoneMatch = first.etag;
    conditional.ifModifiedSince = first.lastModified;
    const HttpResponse again = http.Get(conditional);
    EXPECT_EQ(again.status, 304);
    EXPECT_TRUE(again.body.empty());
    EXPECT_NE(s_server->Requests("/cal.ics").back().find("if-none-match=\"v1\""), std::string::npos);

    // Only http and https.
    HttpRequest ftp;
    ftp.url = "ftp://127.0.0.1/cal.ics";
    EXPECT_EQ(http.Get(ftp).outcome, HttpOutcome::BadUrl);
}

// Without the test authority the same server is refused: the certificate is checked
// against the system's authorities, which do not know it.
TEST_F(FeedFetch, AnUnknownAuthorityIsRefused) {
    CPosixHttpPort systemOnly;
    HttpRequest request;
    request.url = s_server->Url("/cal.ics");
    const HttpResponse r = systemOnly.Get(request);
    EXPECT_EQ(r.outcome, HttpOutcome::Failed);
    EXPECT_NE(r.error.find("certificate"), std::string::npos) << r.error;
    EXPECT_TRUE(r.body.empty());
}

// The cache over the real port and real files: one fetch per period, a conditional
// GET after it, a new version taken, the copy shown while the server is gone with its
// failure said once, and said again after it worked in between.
TEST_F(FeedFetch, TheCacheFetchesConditionallyAndShowsItsCopyOffline) {
    TempDir cacheDir, serverDir;
    auto server = std::make_unique<FeedServer>(serverDir.Path());
    ASSERT_TRUE(server->Up());
    const int port = server->Port();
    const std::string url = "webcal://127.0.0.1:" + std::to_string(port) + "/cal.ics";
    CPosixHttpPort http(server->Ca());
    long long now = 1'000'000;
    FeedCacheOptions options;
    options.timeoutSeconds = 3;
    CFeedCache cache(cacheDir.Path() + "/feeds", http, options, [&] { return now; });

    CFeedCopy c = cache.Copy(url);
    EXPECT_TRUE(c.available && c.fresh) << c.problem;
    EXPECT_NE(c.body.find("Feed version 1"), std::string::npos);
    EXPECT_EQ(server->Requests("/cal.ics").size(), 1u);

    now += 299; // within 5 minutes: the copy, no request
    c = cache.Copy(url);
    EXPECT_TRUE(c.available);
    EXPECT_FALSE(c.fresh);
    EXPECT_EQ(c.ageSeconds, 299);
    EXPECT_EQ(server->Requests("/cal.ics").size(), 1u);

    now += 2; // a conditional GET, answered 304
    c = cache.Copy(url);
    EXPECT_TRUE(c.available && c.fresh);
    EXPECT_EQ(c.ageSeconds, 0);
    ASSERT_EQ(server->Requests("/cal.ics").size(), 2u);
    EXPECT_NE(server->Requests("/cal.ics")[1].find("if-none-match=\"v1\""), std::string::npos);

    // A new version is fetched whole and replaces the copy on disk.
    HttpRequest bump;
    bump.url = server->Url("/bump");
    ASSERT_EQ(http.Get(bump).status, 200);
    now += 301;
    c = cache.Copy(url);
    EXPECT_NE(c.body.find("Feed version 2"), std::string::npos);
    const std::string onDisk = ReadFile(cacheDir.Path() + "/feeds/" + CFeedCache::FileStem(url) + ".ics");
    EXPECT_EQ(onDisk, c.body);
    EXPECT_EQ(ReadFile(cacheDir.Path() + "/feeds/" + CFeedCache::FileStem(url) + ".head").find("127.0.0.1"),
              std::string::npos)
        << "nothing of the address is written";

    // Offline: the copy, its age, and the failure said once.
    server.reset();
    now += 600;
    c = cache.Copy(url);
    EXPECT_TRUE(c.available);
    EXPECT_FALSE(c.fresh);
    EXPECT_EQ(c.ageSeconds, 600);
    EXPECT_NE(c.body.find("Feed version 2"), std::string::npos);
    EXPECT_NE(c.problem.find("https://127.0.0.1:" + std::to_string(port) + "/cal.ics could not be read"),
              std::string::npos)
        << c.problem;
    now += 600;
    c = cache.Copy(url);
    EXPECT_TRUE(c.available);
    EXPECT_EQ(c.problem, "") << "said once until it works again";

    // Another process (a new cache over the same folder) shows the copy offline too.
    CFeedCache other(cacheDir.Path() + "/feeds", http, options, [&] { return now + 1; });
    c = other.Copy(url);
    EXPECT_TRUE(c.available);
    EXPECT_NE(c.body.find("Feed version 2"), std::string::npos);

    // Back (same port, a fresh server at version 1 again), then gone again: said again.
    server = std::make_unique<FeedServer>(serverDir.Path(), port);
    ASSERT_TRUE(server->Up());
    now += 600;
    c = cache.Copy(url);
    EXPECT_TRUE(c.fresh) << c.problem;
    server.reset();
    now += 600;
    c = cache.Copy(url);
    EXPECT_FALSE(c.problem.empty());
}

} // namespace
