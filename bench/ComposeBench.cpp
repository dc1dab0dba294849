// The wallpaper composition the running program does, with a JPEG background
// stretched over the screens and the full data panel of a store drawn over it:
//   orvanta_bench_compose PICTURE.jpg [SCREEN_W SCREEN_H [SCREENS [STORE.json]]]
// composes a virtual screen of SCREENS (default 1) screens of SCREEN_W x SCREEN_H
// side by side with the real canvas (text through the system's font engine), through
// the document as the program calls it: several times after a new version of the
// picture (the copy of the picture made again, then the composition: "first") and
// several times after new data only ("data changed"). It prints the medians, the peak
// memory of the process and the memory it holds at rest afterwards. Without a screen
// size it does so for 1920x1080, 3840x2160 and two 3840x2160 screens (7680x2160), each
// in a process of its own so that each peak is that size's. The store defaults to the
// sample store beside the program.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/OrvantaDoc.h"
#include "outlook/store/SubstituteOutlook.h"
#include "outlook/store/StorePort.h"
#include "platform/Platform.h"
#include "platform/common/MemoryRegistry.h"
#include "render/Composer.h"
#include "render/DataPanel.h"
#include "settings/Settings.h"
#include "util/LocaleValues.h"

namespace {

class Screens : public ISystemPort {
public:
    ScreenMetrics metrics;
    bool GetOsVersion(OsVersion&) override { return false; }
    ScreenMetrics GetScreenMetrics() override { return metrics; }
    std::string SpecialFolderPath(int) override { return {}; }
    std::string ShortPath(const std::string& p) override { return p; }
    std::string ModuleFileName(unsigned long& e) override { return e = 2, std::string(); }
    char PathSeparator() const override { return '/'; }
    bool CaseInsensitivePaths() const override { return false; }
    bool ListDirectory(const std::string&, std::vector<std::string>&) override { return false; }
    bool MakeDirectory(const std::string&) override { return false; }
    intptr_t ShellExecuteVerb(const std::string&, const std::string&, const std::string&, int) override { return 0; }
    uint32_t DesktopColor() override { return 0xA56E3A; }
    bool DesktopHostsWebView() override { return false; }
    bool DesktopHtmlSetting() override { return false; }
};

} // namespace

namespace {

int Run(const char* picture, int sw, int sh, int screens, const std::filesystem::path& storePath) {
    std::ifstream file(storePath, std::ios::binary);
    std::stringstream json;
    json << file.rdbuf();
    InstallPorts(RealPorts());
    Screens system;
    system.metrics = ScreenMetrics{screens, 0, 0, sw * screens, sh, sw, sh, sw};
    CMemoryRegistry registry;
    StorePort store;
    ScopedPort<ISystemPort> withScreens(system);
    ScopedPort<IRegistryPort> withRegistry(registry);
    ScopedPort<IAutomationPort> withStore(store);
    std::string error;
    store.store = CSubstituteOutlook::Load(json.str(), LocalNow().m_dt, error);
    if (!store.store) {
        std::fprintf(stderr, "%s: %s\n", storePath.string().c_str(), error.c_str());
        return 1;
    }

    CSettings settings("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    settings.m_sideBarWidth = 384;
    settings.m_wallpaper = picture;
    settings.m_wpStyle = "2";
    settings.ApplyStyle(0);
    COrvantaDoc doc(settings);
    if (!doc.Engine().EnsureConnected() || !doc.RefreshData()) {
        std::fprintf(stderr, "the store could not be read\n");
        return 1;
    }
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    const std::string tag = std::to_string(::getpid());
    const std::string out = (temp / ("orvanta-bench-compose-" + tag + ".bmp")).string();
    settings.m_convertedPath = (temp / ("orvanta-bench-wallpaper-" + tag + ".bmp")).string();
    CComposer& composer = doc.Composer();
    composer.SetOutputPath(out);
    auto elapsed = [](auto t0) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    };
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // Processor time (user and system) beside the wall-clock time: on a loaded machine
    // the wall clock also counts the time other processes had.
    auto cpu = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
    };
    std::vector<double> first, changed, firstCpu, changedCpu;
    const int reads = doc.Conversions();
    for (int round = 0; round < 5; ++round) {
        // A new version of the picture: what the program does when the user sets one.
        std::error_code ec;
        std::filesystem::last_write_time(picture, std::filesystem::file_time_type::clock::now() -
                                                      std::chrono::seconds(10 - round), ec);
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = cpu();
        doc.ConvertBackground();
        const bool ok = doc.Compose();
        first.push_back(elapsed(t0));
        firstCpu.push_back(cpu() - c0);
        if (!ok || !settings.m_converted) {
            std::fprintf(stderr, "compose failed\n");
            return 1;
        }
    }
    for (int round = 0; round < 7; ++round) {
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = cpu();
        if (!doc.Compose()) {
            std::fprintf(stderr, "compose failed\n");
            return 1;
        }
        changed.push_back(elapsed(t0));
        changedCpu.push_back(cpu() - c0);
    }
    const int decoded = doc.Conversions() - reads;
    std::filesystem::remove(out);
    std::filesystem::remove(settings.m_convertedPath);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    long restKb = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) restKb = std::atol(line.c_str() + 6);
    std::printf("compose %dx%d: first %.0f ms, data changed %.0f ms, peak %.0f MB\n", sw * screens, sh, median(first),
                median(changed), usage.ru_maxrss / 1024.0);
    std::printf("compose %dx%d: processor time first %.0f ms, data changed %.0f ms; %d pictures decoded in %zu first "
                "and %zu data-changed compositions; resident at rest %.1f MB; %d regions\n",
                sw * screens, sh, median(firstCpu), median(changedCpu), decoded, first.size(), changed.size(),
                restKb / 1024.0, static_cast<int>(composer.Regions().GetCount()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc < 4) {
        std::fprintf(stderr, "usage: %s PICTURE.jpg [SCREEN_W SCREEN_H [SCREENS [STORE.json]]]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path storePath =
        argc > 5 ? std::filesystem::path(argv[5])
                 : std::filesystem::path(argv[0]).parent_path() / "examples" / "sample-store.json";
    if (argc >= 4) return Run(argv[1], std::atoi(argv[2]), std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 1, storePath);
    const int sizes[][3] = {{1920, 1080, 1}, {3840, 2160, 1}, {3840, 2160, 2}};
    int status = 0;
    for (const auto& size : sizes) {
        std::fflush(stdout);
        const pid_t child = ::fork();
        if (child == 0) {
            const int code = Run(argv[1], size[0], size[1], size[2], storePath);
            std::fflush(stdout);
            std::_Exit(code);
        }
        int result = 1;
        if (child < 0 || ::waitpid(child, &result, 0) != child || !WIFEXITED(result) || WEXITSTATUS(result) != 0)
            status = 1;
    }
    return status;
}
