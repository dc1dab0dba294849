#pragma once
// Store files built to hurt the program, shared by the resource tests and the
// benchmark: each names what `orvanta agenda` must say about it (empty when the
// store is sound and must be shown) and is at most 1 MB. RunAgendaChild runs the
// program on one and reports its exit, output and peak memory.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

struct HostileStore {
    std::string name;
    std::string json;
    std::string message; // in standard error; empty: the store loads and exit is 0
};

inline std::string StoreWith(const std::string& appointments, const std::string& tasks = "",
                             const std::string& extraFolders = "") {
    return R"({"folders": [{"name": "Inbox", "role": "inbox", "unread": 1},
  {"name": "Calendar", "role": "calendar", "appointments": [)" +
           appointments + R"(]},
  {"name": "Tasks", "role": "tasks", "tasks": [)" +
           tasks + "]}" + extraFolders + "]}\n";
}

inline std::string ManyTasks(int n) {
    std::string tasks;
    for (int i = 0; i < n; ++i) {
        if (i) tasks += ",\n";
        tasks += R"({"subject": "t)" + std::to_string(i) + R"(", "due": "today-)" + std::to_string(i % 50) + R"("})";
    }
    return tasks;
}

inline std::vector<HostileStore> HostileStores() {
    std::vector<HostileStore> out;
    out.push_back({"daily from today-100000000", StoreWith(R"({"subject": "old", "start": "today-100000000 09:00",
        "recurrence": {"type": "daily"}})"),
                   R"(/folders/1/appointments/0/start: "today-100000000 09:00" is outside the dates)"});
    {
        std::string yearly;
        for (int i = 0; i < 1000; ++i) {
            if (i) yearly += ",\n";
            yearly += R"({"subject": "y)" + std::to_string(i) +
                      R"(", "start": "0100-01-01 12:00", "end": "0100-01-01 13:00", "recurrence": {"type": "yearly", "count": 999}})";
        }
        out.push_back({"1000 counted yearly patterns from year 100", StoreWith(yearly), ""});
    }
    out.push_back({"daily from year 100 with a long subject",
                   StoreWith(R"({"subject": ")" + std::string(1000, 'S') +
                             R"(", "start": "0100-01-01 09:00", "end": "0100-01-01 10:00", "recurrence": {"type": "daily"}})"),
                   ""});
    {
        std::string open, close;
        for (int i = 0; i < 30000; ++i) {
            open += R"({"name":"F","folders":[)";
            close += "]}";
        }
        out.push_back({"folders nested 30000 deep", StoreWith("", "", "," + open + close),
                       "folders nested deeper than 100 levels"});
    }
    out.push_back({"JSON nested 400000 deep",
                   R"({"version": )" + std::string(400000, '[') + std::string(400000, ']') + "}",
                   "/version: expected text"});
    out.push_back({"20000 tasks", StoreWith("", ManyTasks(20000)), ""});
    out.push_back({"a misspelt top-level field", R"({"verison": "16.0", "folders": []})", "/verison: unknown field"});
    out.push_back({"no calendar folder", R"({"folders": [{"name": "Tasks", "role": "tasks"}]})",
                   R"(/folders: no folder has the role "calendar")"});
    out.push_back({"no tasks folder", R"({"folders": [{"name": "Calendar", "role": "calendar"}]})",
                   R"(/folders: no folder has the role "tasks")"});
    return out;
}

struct AgendaRun {
    int exitCode = -1;
    long peakKb = 0; // the child's peak resident size
    std::string out, err;
};

// Runs `orvanta agenda` with env added to this process's environment.
inline AgendaRun RunAgendaChild(const std::string& program, const std::map<std::string, std::string>& env,
                                const std::string& scratch) {
    const std::string outPath = scratch + ".out", errPath = scratch + ".err";
    AgendaRun r;
    pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execl(program.c_str(), program.c_str(), "agenda", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peakKb = usage.ru_maxrss;
    auto slurp = [](const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    return r;
}
