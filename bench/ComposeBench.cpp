// One wallpaper composition with a JPEG background stretched over the screens:
//   orvanta_bench_compose PICTURE.jpg SCREEN_W SCREEN_H [SCREENS]
// composes a virtual screen of SCREENS (default 1) screens of SCREEN_W x SCREEN_H
// side by side, several rounds, and prints the median time and the peak memory of
// the process. Surfaces are plain buffers here: the composition's cost is the image
// work, not the text.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/common/MemoryRegistry.h"
#include "render/Composer.h"
#include "settings/Settings.h"

namespace {

class BufferCanvasFactory : public ICanvasFactory {
    struct Canvas : ICanvas {
        std::vector<std::uint8_t> buffer;
        int width = 0, height = 0;
        PixelSurface Pixels() override { return PixelSurface{buffer.data(), width, height, width * 4}; }
        void Flush() override {}
        void MarkDirty() override {}
        void SetFont(const FontSpec&) override {}
        void SetTextColor(Colorref) override {}
        void SetBackground(bool, Colorref) override {}
        void DrawText(int, int, const std::string&) override {}
        TextSize MeasureText(const std::string&) override { return {}; }
        size_t FitText(const std::string&, int) override { return 0; }
        void DrawLine(int, int, int, int, Colorref) override {}
    };

public:
    std::unique_ptr<ICanvas> CreateSurface(int width, int height) override {
        auto c = std::make_unique<Canvas>();
        c->buffer.assign(static_cast<size_t>(width) * height * 4, 0);
        c->width = width;
        c->height = height;
        return c;
    }
};

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
        std::fprintf(stderr, "usage: %s PICTURE.jpg SCREEN_W SCREEN_H [SCREENS]\n", argv[0]);
        return 2;
    }
    const int sw = std::atoi(argv[2]), sh = std::atoi(argv[3]), screens = argc > 4 ? std::atoi(argv[4]) : 1;
    InstallPorts(RealPorts());
    BufferCanvasFactory canvas;
    Screens system;
    system.metrics = ScreenMetrics{screens, 0, 0, sw * screens, sh, sw, sh, sw};
    CMemoryRegistry registry;
    ScopedPort<ICanvasFactory> withCanvas(canvas);
    ScopedPort<ISystemPort> withScreens(system);
    ScopedPort<IRegistryPort> withRegistry(registry);

    CSettings settings("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    settings.m_screenWidth = sw * screens;
    settings.m_screenHeight = sh;
    settings.m_sideBarWidth = 384;
    settings.m_wallpaper = argv[1];
    settings.m_wpStyle = "2";
    settings.ApplyStyle(0);
    const std::string out = (std::filesystem::temp_directory_path() / "orvanta-bench-compose.bmp").string();
    CComposer composer(settings, out);

    std::vector<double> ms;
    for (int round = 0; round < 7; ++round) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!composer.Compose()) {
            std::fprintf(stderr, "compose failed\n");
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::filesystem::remove(out);
    std::sort(ms.begin(), ms.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("compose %dx%d (%d screen%s), JPEG stretched: median %.1f ms (min %.1f, max %.1f), peak memory %.1f MB\n",
                sw * screens, sh, screens, screens > 1 ? "s" : "", ms[ms.size() / 2], ms.front(), ms.back(),
                usage.ru_maxrss / 1024.0);
    return 0;
}
