// One full refresh over a large substitute store: 7 days x 30 appointments (half of
// them recurring), 1,000 tasks and 30 mail folders. Prints the median time per
// refresh, the automation calls one refresh makes (each a round trip to Outlook's
// process on Windows) and the peak memory of the process.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
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

    std::vector<double> ms;
    long calls = 0;
    for (int run = 0; run < 25; ++run) {
        port.store->ResetCalls();
        auto t0 = std::chrono::steady_clock::now();
        bool ok = doc.RefreshData();
        auto t1 = std::chrono::steady_clock::now();
        if (!ok) {
            std::fprintf(stderr, "refresh failed\n");
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        calls = port.store->Calls();
    }
    std::sort(ms.begin(), ms.end());
    int appts = 0;
    for (int d = 0; d < 7; ++d) appts += doc.Day(d).GetCount();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("refresh: %d appointments, %d tasks, %d folders\n", appts, doc.Tasks().GetCount(),
                doc.Folders().GetCount());
    std::printf("median %.2f ms per refresh (min %.2f, max %.2f, %zu runs), %ld automation calls per refresh\n",
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size(), calls);
    std::printf("peak memory %ld KiB\n", usage.ru_maxrss);
    return 0;
}
