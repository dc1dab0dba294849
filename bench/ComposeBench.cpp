// One wallpaper composition with a JPEG background stretched over the screens and
// the full data panel of a store drawn over it:
//   orvanta_bench_compose PICTURE.jpg SCREEN_W SCREEN_H [SCREENS [STORE.json]]
// composes a virtual screen of SCREENS (default 1) screens of SCREEN_W x SCREEN_H
// side by side, several rounds, with the real canvas (text through the system's font
// engine), and prints the median time, the share the panel's drawing takes (the
// desktop's and the pop-up's), and the peak memory of the process. The store defaults
// to the sample store beside the program.
#include <sys/resource.h>

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

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s PICTURE.jpg SCREEN_W SCREEN_H [SCREENS [STORE.json]]\n", argv[0]);
        return 2;
    }
    const int sw = std::atoi(argv[2]), sh = std::atoi(argv[3]), screens = argc > 4 ? std::atoi(argv[4]) : 1;
    const std::filesystem::path storePath =
        argc > 5 ? std::filesystem::path(argv[5])
                 : std::filesystem::path(argv[0]).parent_path() / "examples" / "sample-store.json";
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
    settings.m_wallpaper = argv[1];
    settings.m_wpStyle = "2";
    settings.ApplyStyle(0);
    COrvantaDoc doc(settings);
    if (!doc.Engine().EnsureConnected() || !doc.RefreshData()) {
        std::fprintf(stderr, "the store could not be read\n");
        return 1;
    }
    const std::string out = (std::filesystem::temp_directory_path() / "orvanta-bench-compose.bmp").string();
    CComposer& composer = doc.Composer();
    composer.SetOutputPath(out);
    const CLocaleValues locale = LocaleValues();
    double panelMs = 0;
    composer.SetPanelPainter([&](CMemWallPaper& data, CRegionList& regions) {
        const auto t0 = std::chrono::steady_clock::now();
        PanelData panel;
        panel.now = LocalNow();
        panel.days = std::span<const CAppointments>(&doc.Day(0), static_cast<size_t>(std::clamp(settings.m_outlook.m_calDays, 1, 7)));
        panel.tasks = &doc.Tasks();
        panel.folders = &doc.Folders();
        panel.locale = &locale;
        CDataPanel::Draw(data, regions, panel);
        panelMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    });

    std::vector<std::pair<double, double>> rounds; // total, panel
    for (int round = 0; round < 7; ++round) {
        panelMs = 0;
        const auto t0 = std::chrono::steady_clock::now();
        if (!composer.Compose(doc.Folders().GetCount())) {
            std::fprintf(stderr, "compose failed\n");
            return 1;
        }
        rounds.emplace_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count(),
                            panelMs);
    }
    std::filesystem::remove(out);
    std::sort(rounds.begin(), rounds.end());
    const auto median = rounds[rounds.size() / 2];
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("compose %dx%d (%d screen%s), JPEG stretched, full panel of %d regions: median %.1f ms "
                "(min %.1f, max %.1f), of which the panel %.1f ms (%.0f %%, the pop-up's included); "
                "peak memory %.1f MB\n",
                sw * screens, sh, screens, screens > 1 ? "s" : "", static_cast<int>(composer.Regions().GetCount()),
                median.first, rounds.front().first, rounds.back().first, median.second,
                100.0 * median.second / median.first, usage.ru_maxrss / 1024.0);
    return 0;
}
