// The wallpaper of expensive pictures on a 1920 x 1080 screen, each in a process of its
// own so that its peak memory is its own: the first composition (the JPEG converted
// and the wallpaper composed, as a refresh request runs them) and the next one with
// nothing changed, for each wallpaper style.
//   orvanta_bench_picture [FOLDER]
// The pictures are made once in FOLDER (default: the system's temporary folder):
//   - a progressive 32768 x 2700 JPEG in 199 scans (about 6 MB), whose coefficients
//     alone take 265 MB: the bounds refuse it before its first scan is read;
//   - the same kind of file at 8192 x 2700 (66 MB of coefficients), refused once its
//     scans have carried 20 million blocks, and at 4096 x 2700, which the bounds take;
//   - a 24-megapixel photograph (6000 x 4000), baseline and progressive.
// The panel is drawn on the tests' canvas, so the times are the picture's.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "FakePorts.h"
#include "app/OrvantaDoc.h"
#include "settings/Settings.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kScreenW = 1920, kScreenH = 1080;

// Shading with noise, written row by row; with scans, that scan script.
void WriteJpeg(const std::string& path, int width, int height, int quality, int noise,
               const std::vector<jpeg_scan_info>& scans, bool progressive) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::exit(1);
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    if (!scans.empty()) {
        c.scan_info = scans.data();
        c.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    std::mt19937 gen(1);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < width; ++x) {
            const double s = 0.5 + 0.5 * std::sin(x / 700.0) * std::cos(y / 400.0);
            row[x * 3] = static_cast<JSAMPLE>(std::clamp(200 * s + static_cast<int>(gen() % noise), 0.0, 255.0));
            row[x * 3 + 1] = static_cast<JSAMPLE>(
                std::clamp(120 + 100 * std::sin((x + y) / 900.0) + static_cast<int>(gen() % noise), 0.0, 255.0));
            row[x * 3 + 2] = static_cast<JSAMPLE>(std::clamp(255 - 180 * s, 0.0, 255.0));
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

// 199 scans: the DC of all components, the first nine AC coefficients of the luminance
// in two bit steps each, every other coefficient of every component in a scan of its own.
std::vector<jpeg_scan_info> ManyScans() {
    std::vector<jpeg_scan_info> scans{{3, {0, 1, 2, 0}, 0, 0, 0, 0}};
    for (int k = 1; k <= 9; ++k) scans.push_back({1, {0, 0, 0, 0}, k, k, 0, 1});
    for (int k = 1; k <= 9; ++k) scans.push_back({1, {0, 0, 0, 0}, k, k, 1, 0});
    for (int k = 10; k <= 63; ++k) scans.push_back({1, {0, 0, 0, 0}, k, k, 0, 0});
    for (int c = 1; c < 3; ++c)
        for (int k = 1; k <= 63; ++k) scans.push_back({1, {c, 0, 0, 0}, k, k, 0, 0});
    return scans;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// In the child: two refreshes' worth of picture work for the style; prints the times.
int Compose(const std::string& picture, const std::string& folder, const char* style) {
    InstallPorts(RealPorts());
    FakeEnvironment env;
    env.system.screen = ScreenMetrics{1, 0, 0, kScreenW, kScreenH, kScreenW, kScreenH, kScreenW};
    CSettings settings("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    settings.ApplyStyle(0);
    settings.m_wallpaper = picture;
    settings.m_wpStyle = style;
    settings.m_convertedPath = folder + "/wallpaper-" + std::to_string(::getpid()) + ".bmp";
    COrvantaDoc doc(settings);
    doc.Composer().SetOutputPath(folder + "/orvanta-" + std::to_string(::getpid()) + ".bmp");
    double ms[2] = {};
    bool composed = true;
    for (double& round : ms) {
        const auto start = Clock::now();
        doc.ConvertBackground();
        composed = doc.Compose() && composed;
        round = Ms(Clock::now() - start);
    }
    std::error_code ec;
    fs::remove(settings.m_convertedPath, ec);
    fs::remove(doc.Composer().OutputPath(), ec);
    std::printf("  %-10s first %7.1f ms, next %6.1f ms (%d conversion%s)%s", style[0] == '0' ? "centred"
                                                                              : style[0] == '1' ? "tiled"
                                                                                                : "stretched",
                ms[0], ms[1], doc.Conversions(), doc.Conversions() == 1 ? "" : "s",
                composed ? "" : " NOT COMPOSED");
    std::printf("%s", env.ui.boxes.empty() ? ", picture shown" : ", refused: the desktop colour shows");
    std::fflush(stdout);
    return composed ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : fs::temp_directory_path().string();
    fs::create_directories(folder);
    struct Picture {
        std::string name;
        int width, height, quality, noise;
        bool manyScans, progressive;
    } pictures[] = {
        {"progressive-32768x2700-199-scans.jpg", 32768, 2700, 78, 18, true, true},
        {"progressive-8192x2700-199-scans.jpg", 8192, 2700, 78, 18, true, true},
        {"progressive-4096x2700-199-scans.jpg", 4096, 2700, 78, 18, true, true},
        {"photo-6000x4000.jpg", 6000, 4000, 90, 24, false, false},
        {"photo-6000x4000-progressive.jpg", 6000, 4000, 90, 24, false, true},
    };
    int failed = 0;
    for (const Picture& p : pictures) {
        const std::string path = folder + "/" + p.name;
        if (!fs::exists(path))
            WriteJpeg(path, p.width, p.height, p.quality, p.noise, p.manyScans ? ManyScans() : std::vector<jpeg_scan_info>{},
                      p.progressive);
        std::printf("%s (%.1f MB) at %dx%d:\n", p.name.c_str(), fs::file_size(path) / 1048576.0, kScreenW, kScreenH);
        for (const char* style : {"0", "1", "2"}) {
            std::fflush(stdout);
            const pid_t child = ::fork();
            if (child == 0) std::_Exit(Compose(path, folder, style));
            int status = 0;
            rusage usage{};
            ::wait4(child, &status, 0, &usage);
            std::printf("; peak memory %.1f MB\n", usage.ru_maxrss / 1024.0);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
