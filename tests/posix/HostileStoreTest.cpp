// `orvanta agenda` on store files built to hurt: a clear message and a failing exit
// for each fault, bounded memory for every store of at most 1 MB, and the store file
// left as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "HostileStores.h"
#include "PosixTestUtil.h"

namespace {

class HostileStore : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir((dir.Path() + "/run").c_str(), 0700);
        env = {{"XDG_CONFIG_HOME", dir.Path() + "/config"}, {"XDG_DATA_HOME", dir.Path() + "/data"},
               {"XDG_RUNTIME_DIR", dir.Path() + "/run"},    {"LANG", "en_US.UTF-8"},
               {"LC_ALL", "en_US.UTF-8"}};
    }
    AgendaRun Agenda(const std::string& store) {
        env["ORVANTA_STORE"] = store;
        return RunAgendaChild(ORVANTA_PROGRAM, env, dir.Path() + "/agenda");
    }

    TempDir dir;
    std::map<std::string, std::string> env;
};

TEST_F(HostileStore, EachStoreUpToOneMegabyteStaysUnderOneHundredMegabytes) {
    const std::string path = dir.Path() + "/store.json";
    for (const auto& s : HostileStores()) {
        SCOPED_TRACE(s.name);
        ASSERT_LE(s.json.size(), 1u << 20);
        WriteFile(path, s.json);
        AgendaRun r = Agenda(path);
        EXPECT_LE(r.peakKb, 100 * 1024);
        EXPECT_EQ(ReadFile(path), s.json); // nothing stored is lost
        if (s.message.empty()) {
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out.find("Nothing could be read"), std::string::npos) << r.out.substr(0, 400);
        } else {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_NE(r.err.find("Orvanta: The Outlook store file could not be read: " + path + ": "), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(s.message), std::string::npos) << r.err.substr(0, 400);
            EXPECT_EQ(r.err.find("Exception occurred"), std::string::npos) << r.err;
        }
    }
}

// The old patterns show exactly today's occurrences: the long subject once a day,
// the counted yearly ones not at all (their 999 years ended in 1098).
TEST_F(HostileStore, OldPatternsShowOnlyTheirOccurrencesInTheWeek) {
    const std::string path = dir.Path() + "/store.json";
    for (const auto& s : HostileStores()) {
        if (!s.message.empty() || s.name.find("year 100") == std::string::npos) continue;
        SCOPED_TRACE(s.name);
        WriteFile(path, s.json);
        AgendaRun r = Agenda(path);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        size_t shown = 0;
        for (size_t p = r.out.find(std::string(1000, 'S')); p != std::string::npos; p = r.out.find(std::string(1000, 'S'), p + 1000))
            ++shown;
        bool daily = s.name.find("daily") != std::string::npos;
        EXPECT_EQ(shown, daily ? 5u : 0u) << r.out.substr(0, 600); // one a day on the five days shown
        EXPECT_EQ(r.out.find("  y1"), std::string::npos);
    }
}

// Only a regular file of at most 64 MB is read; anything else is named for what it is.
TEST_F(HostileStore, OnlyRegularFilesOfBoundedSizeAreRead) {
    const std::string fifo = dir.Path() + "/fifo", big = dir.Path() + "/big.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WriteFile(big, "");
    ASSERT_EQ(::truncate(big.c_str(), (64 << 20) + 1), 0);
    const std::pair<std::string, std::string> cases[] = {
        {dir.Path(), "is a folder, not a store file"},
        {"/dev/zero", "is not a regular file"},
        {fifo, "is not a regular file"},
        {big, "is larger than 64 MB"},
        {dir.Path() + "/missing.json", "cannot be read"},
    };
    for (const auto& [path, message] : cases) {
        AgendaRun r = Agenda(path);
        EXPECT_EQ(r.exitCode, 1) << path;
        EXPECT_NE(r.err.find("Orvanta: The Outlook store file could not be read: " + path + ": " + message), std::string::npos) << r.err;
        EXPECT_LE(r.peakKb, 100 * 1024) << path;
    }
    struct stat st {};
    ASSERT_EQ(::stat(big.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, (64 << 20) + 1);
}

} // namespace
