// One refresh tick with unchanged data, as the running Linux program does it: the
// wallpaper check, the capture (the settings read again from the settings file), the
// read of the sample store and the signature. No drawing follows, since nothing
// changed. Prints the median time of a tick.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/OrvantaDoc.h"
#include "desktop/ActiveWallpaper.h"
#include "outlook/store/StorePort.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

int main(int argc, char** argv) {
    // A settings file of its own, so the user's are never touched.
    char tmpl[] = "/tmp/orvanta-tick-XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    ::setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    InstallPorts(RealPorts());
    StorePort port;
    ScopedPort<IAutomationPort> withOutlook(port);
    const std::string storeFile = argc > 1 ? argv[1] : ORVANTA_SAMPLE_STORE;
    COleDateTime now(2026, 12, 7, 10, 0, 0);
    std::string error;
    port.store = CSubstituteOutlook::LoadFile(storeFile, std::floor(now.m_dt), error);
    if (!port.store) {
        std::fprintf(stderr, "store: %s\n", error.c_str());
        return 1;
    }
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    CActiveWallpaper wallpaper(settings);
    COrvantaDoc doc(settings);
    const std::string output = dir + "/orvanta.bmp";
    doc.m_clock = [now] { return now; };
    doc.m_beforeRead = [&] { return wallpaper.Capture(output); };
    doc.Engine().EnsureConnected();
    doc.RefreshAndCompare();
    // Our picture is the wallpaper, as after the first tick of the program.
    std::unique_ptr<IRegistryKey> desktop;
    if (Port<IRegistryPort>().CreateKey(RegRoot::CurrentUser, CActiveWallpaper::kDesktopKey, "", desktop) != 0 ||
        desktop->SetValue("Wallpaper", RegValue::Text(output)) != 0) {
        std::fprintf(stderr, "the wallpaper setting cannot be written\n");
        return 1;
    }

    std::vector<double> ms;
    int changed = 0;
    for (int run = 0; run < 51; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        changed += wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick) ? 1 : 0;
        changed += doc.RefreshAndCompare() ? 1 : 0;
        auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    if (changed != 0) {
        std::fprintf(stderr, "the data or the wallpaper changed between ticks\n");
        return 1;
    }
    std::printf("refresh tick with unchanged data (%s): median %.2f ms (min %.2f, max %.2f, %zu ticks)\n",
                storeFile.c_str(), ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
    return 0;
}
