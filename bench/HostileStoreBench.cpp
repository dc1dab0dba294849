// `orvanta agenda` on each hostile store file of the resource tests, on files that are
// no store at all, and on a store of 100,000 tasks: the median wall time of three runs
// and the peak memory of each, against the budget of one second.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "HostileStores.h"

namespace {

struct Timed {
    double medianMs = 0;
    long peakKb = 0;
    int exitCode = -1;
};

Timed Measure(const std::map<std::string, std::string>& env, const std::string& scratch) {
    std::vector<double> ms;
    Timed t;
    for (int round = 0; round < 3; ++round) {
        auto start = std::chrono::steady_clock::now();
        AgendaRun r = RunAgendaChild(ORVANTA_PROGRAM, env, scratch);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        t.peakKb = std::max(t.peakKb, r.peakKb);
        t.exitCode = r.exitCode;
    }
    std::sort(ms.begin(), ms.end());
    t.medianMs = ms[1];
    return t;
}

} // namespace

int main() {
    char pattern[] = "/tmp/orvanta-bench-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    ::mkdir((dir + "/run").c_str(), 0700);
    std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", dir + "/config"},
                                              {"XDG_DATA_HOME", dir + "/data"},
                                              {"XDG_RUNTIME_DIR", dir + "/run"}};
    struct Case {
        std::string name, path;
    };
    std::vector<Case> cases;
    auto write = [&](const std::string& name, const std::string& text) {
        const std::string path = dir + "/store" + std::to_string(cases.size()) + ".json";
        std::ofstream(path, std::ios::binary) << text;
        cases.push_back({name, path});
    };
    for (const auto& s : HostileStores()) write(s.name, s.json);
    write("100000 tasks", StoreWith("", ManyTasks(100000)));
    const std::string fifo = dir + "/fifo", big = dir + "/big.json";
    ::mkfifo(fifo.c_str(), 0600);
    std::ofstream(big).close();
    if (::truncate(big.c_str(), (64 << 20) + 1) != 0) std::perror("truncate");
    cases.push_back({"a folder", dir});
    cases.push_back({"/dev/zero", "/dev/zero"});
    cases.push_back({"a FIFO", fifo});
    cases.push_back({"a file over 64 MB", big});

    int slow = 0;
    std::printf("orvanta agenda, median of 3 runs (budget 1000 ms):\n");
    for (const auto& c : cases) {
        env["ORVANTA_STORE"] = c.path;
        struct stat st {};
        ::stat(c.path.c_str(), &st);
        Timed t = Measure(env, dir + "/agenda");
        bool ok = t.medianMs < 1000.0;
        slow += ok ? 0 : 1;
        std::printf("  %-45s %8.1f KB file  %7.1f ms  peak %6.1f MB  exit %d  %s\n", c.name.c_str(),
                    S_ISREG(st.st_mode) ? st.st_size / 1024.0 : 0.0, t.medianMs, t.peakKb / 1024.0, t.exitCode,
                    ok ? "" : "OVER BUDGET");
    }
    std::system(("rm -rf '" + dir + "'").c_str());
    return slow == 0 ? 0 : 1;
}
