// Refreshes over a large substitute store: 7 days x 30 appointments (half of them
// recurring), 1,000 tasks and 30 mail folders. Prints the automation calls (each a
// round trip to Outlook's process on Windows) of the first refresh, of one that finds
// nothing changed, and of one after an appointment, a task or an unread count
// changed; the median time of a full refresh and of an unchanged one; and the peak
// memory of the process.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/OrvantaDoc.h"
#include "outlook/store/StorePort.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "platform/common/MemoryRegistry.h"

namespace {


std::string BuildStore() {
    std::string appts, tasks, folders;
    char buf[512];
    for (int day = 0; day < 7; ++day) {
        for (int i = 0; i < 30; ++i) {
            int minutes = 7 * 60 + i * 25;
            bool recurring = i % 2 == 1;
            // recurring ones started a month earlier and repeat daily or weekly
            std::snprintf(buf, sizeof buf,
                          R"(%s{"subject": "Meeting %d-%d", "start": "today%+d %02d:%02d", "end": "today%+d %02d:%02d", "importance": %d%s})",
                          appts.empty() ? "" : ",", day, i, day - (recurring ? 28 : 0), minutes / 60, minutes % 60,
                          day - (recurring ? 28 : 0), (minutes + 20) / 60, (minutes + 20) % 60, i % 3,
                          recurring ? (day % 2 ? R"(, "recurrence": {"type": "weekly", "days": 127})"
                                               : R"(, "recurrence": {"type": "daily", "interval": 7})")
                                    : "");
            appts += buf;
        }
    }
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(buf, sizeof buf, R"(%s{"subject": "Task %d", "due": "%s", "created": "today-%d", "importance": %d, "percent": %d})",
                      tasks.empty() ? "" : ",", i, i % 5 == 0 ? "none" : ((i % 40 - 20 >= 0 ? "today+" : "today") + std::to_string(i % 40 - 20)).c_str(),
                      1 + i % 90, i % 3, (i * 7) % 100);
        tasks += buf;
    }
    for (int i = 0; i < 30; ++i) {
        std::snprintf(buf, sizeof buf, R"(,{"name": "Folder %d", "unread": %d, "items": %d})", i, i * 3, i * 10);
        folders += buf;
    }
    return R"({"folders": [{"name": "Inbox", "role": "inbox", "unread": 4, "folders": [)" + folders.substr(1) +
           R"(]}, {"name": "Drafts", "role": "drafts"}, {"name": "Outbox", "role": "outbox"},
           {"name": "Calendar", "role": "calendar", "appointments": [)" + appts +
           R"(]}, {"name": "Tasks", "role": "tasks", "tasks": [)" + tasks + "]}]}";
}

} // namespace

int main(int argc, char** argv) {
    // "--write-store FILE": only writes the store, for the same refresh across processes
    // under Wine (scripts/bench --wine).
    if (argc == 3 && std::string(argv[1]) == "--write-store") {
        FILE* out = std::fopen(argv[2], "wb");
        const std::string text = BuildStore();
        const bool ok = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
        if (out) std::fclose(out);
        return ok ? 0 : 1;
    }
    CMemoryRegistry registry;
    StorePort port;
    InstallPorts(RealPorts());
    ScopedPort<IRegistryPort> withRegistry(registry);
    ScopedPort<IAutomationPort> withOutlook(port);
    const char* folders = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\Folders";
    registry.Tree(RegRoot::CurrentUser).CreateKey(folders);
    for (int i = 0; i < 30; ++i)
        registry.Tree(RegRoot::CurrentUser)
            .SetValue(folders, std::to_string(i), RegValue::Text("Personal Folders\\Inbox\\Folder " + std::to_string(i)));
    registry.Tree(RegRoot::CurrentUser).CreateKey("Software\\Microsoft\\Office\\16.0\\Outlook\\Today");
    registry.Tree(RegRoot::CurrentUser)
        .SetValue("Software\\Microsoft\\Office\\16.0\\Outlook\\Today", "CalDays", RegValue::Text("7"));

    COleDateTime now(2026, 12, 7, 10, 0, 0);
    std::string error;
    port.store = CSubstituteOutlook::Load(BuildStore(), std::floor(now.m_dt), error);
    if (!port.store) {
        std::fprintf(stderr, "store: %s\n", error.c_str());
        return 1;
    }
    CSettings settings("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    settings.Open();
    COrvantaDoc doc(settings);
    doc.m_clock = [now] { return now; };
    doc.Engine().EnsureConnected();

    CSubstituteOutlook& store = *port.store;
    // One refresh after edit: its automation calls and its time.
    auto measure = [&](const std::function<bool()>& edit, long& calls, double& ms) {
        if (!edit()) {
            std::fprintf(stderr, "the edit failed\n");
            std::exit(1);
        }
        store.ResetCalls();
        auto t0 = std::chrono::steady_clock::now();
        const bool ok = doc.RefreshData();
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        calls = store.Calls();
        if (!ok) {
            std::fprintf(stderr, "refresh failed\n");
            std::exit(1);
        }
    };
    auto nothing = [] { return true; };
    long first = 0, unchanged = 0, appointment = 0, task = 0, unread = 0;
    double ms0 = 0, ms1 = 0;
    measure(nothing, first, ms0);
    measure(nothing, unchanged, ms1);
    measure([&] {
        return store.ReplaceItem(store.ItemIds(1).front(),
                                 R"({"subject": "Meeting 0-0 moved", "start": "today 07:05", "end": "today 07:30"})", error);
    }, appointment, ms1);
    measure([&] {
        return store.ReplaceItem(store.ItemIds(3).front(), R"({"subject": "Task 0 done", "due": "none", "percent": 50})",
                                 error);
    }, task, ms1);
    measure([&] { return store.SetCounts(doc.Folders().GetAt(3).GetEntryID(), 17, 30); }, unread, ms1);
    std::printf("calls per refresh: first %ld, unchanged %ld, appointment changed %ld, task changed %ld, "
                "unread count changed %ld\n",
                first, unchanged, appointment, task, unread);

    // Times: a full refresh (a new connection reads everything), and unchanged ones.
    std::vector<double> ms, full;
    long fullCalls = 0;
    for (int run = 0; run < 25; ++run) {
        double t = 0;
        long calls = 0;
        measure(nothing, calls, t);
        ms.push_back(t);
    }
    for (int run = 0; run < 5; ++run) {
        COrvantaDoc fresh(settings);
        fresh.m_clock = [now] { return now; };
        fresh.Engine().EnsureConnected();
        store.ResetCalls();
        auto t0 = std::chrono::steady_clock::now();
        if (!fresh.RefreshData()) return 1;
        full.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        fullCalls = store.Calls();
    }
    std::sort(full.begin(), full.end());
    std::printf("full refresh: median %.2f ms (%zu runs), %ld automation calls\n", full[full.size() / 2], full.size(),
                fullCalls);
    std::sort(ms.begin(), ms.end());
    int appts = 0;
    for (int d = 0; d < 7; ++d) appts += doc.Day(d).GetCount();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("refresh: %d appointments, %d tasks, %d folders\n", appts, doc.Tasks().GetCount(),
                doc.Folders().GetCount());
    std::printf("refresh that finds nothing changed (every tenth reads everything): median %.2f ms (min %.2f, max %.2f, "
                "%zu runs)\n",
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
    std::printf("peak memory %ld KiB\n", usage.ru_maxrss);
    return 0;
}
