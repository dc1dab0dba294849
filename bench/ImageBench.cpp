// The image layer at wallpaper sizes: decode a 3840 x 2160 JPEG from a file, the same
// picture as a PNG (RGB, and RGBA interlaced, mixed with the desktop colour), shrink
// it to 1920 x 1080 and grow that back to 3840 x 2160, paint it into a surface and
// save the surface as a BMP. Prints the median of several rounds of each step.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}
#include <png.h>

#include "platform/Platform.h"
#include "render/ImageLayer.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160, kRounds = 7;

// A photograph-like picture: smooth shading with fine noise, quality 90.
std::vector<std::uint8_t> MakeJpeg() {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(kWidth) * 3);
    std::mt19937 gen(1);
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < kWidth; ++x) {
            const double shade = 0.5 + 0.5 * std::sin(x / 300.0) * std::cos(y / 200.0);
            row[x * 3] = static_cast<std::uint8_t>(std::clamp(200 * shade + gen() % 24, 0.0, 255.0));
            row[x * 3 + 1] = static_cast<std::uint8_t>(std::clamp(120 + 100 * std::sin((x + y) / 500.0) + gen() % 16, 0.0, 255.0));
            row[x * 3 + 2] = static_cast<std::uint8_t>(std::clamp(255 - 180 * shade + gen() % 20, 0.0, 255.0));
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<std::uint8_t> file(out, out + size);
    std::free(out);
    return file;
}

// The picture as a PNG file: RGB, or RGBA (alpha from the green channel) interlaced.
bool WritePngFile(const std::string& path, const std::uint8_t* rgb, int w, int h, bool alpha) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 alpha ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(w) * h * (alpha ? 4 : 3));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = &rows[static_cast<std::size_t>(y) * w * (alpha ? 4 : 3)];
        pointers.push_back(row);
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = rgb + (static_cast<std::size_t>(y) * w + x) * 3;
            std::uint8_t* q = row + static_cast<std::size_t>(x) * (alpha ? 4 : 3);
            q[0] = p[0], q[1] = p[1], q[2] = p[2];
            if (alpha) q[3] = p[1];
        }
    }
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

double MedianMs(const std::function<bool()>& step, const char* what) {
    std::vector<double> ms;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!step()) {
            std::fprintf(stderr, "%s failed\n", what);
            std::exit(1);
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s %8.1f ms\n", what, ms[ms.size() / 2]);
    return ms[ms.size() / 2];
}

std::string Utf8(const std::filesystem::path& p) {
    const auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

} // namespace

int main() {
    InstallPorts(RealPorts()); // files are read through the file port
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("orvanta-bench-image-" + std::to_string(std::random_device()()));
    fs::create_directories(dir);
    const std::string jpegPath = Utf8(dir / "wallpaper.jpg");
    const std::string bmpPath = Utf8(dir / "orvanta.bmp");
    {
        const auto jpeg = MakeJpeg();
        std::FILE* f = std::fopen(jpegPath.c_str(), "wb");
        if (!f || std::fwrite(jpeg.data(), 1, jpeg.size(), f) != jpeg.size() || std::fclose(f) != 0) return 1;
        std::printf("%d x %d JPEG, %zu bytes, median of %d rounds\n", kWidth, kHeight, jpeg.size(), kRounds);
    }

    RgbBuffer picture;
    int w = 0, h = 0;
    MedianMs([&] {
        auto source = IS40_OpenFileSource(jpegPath);
        picture = IS40_ReadJPG(source.get(), w, h);
        return picture && w == kWidth && h == kHeight;
    }, "decode JPEG 3840x2160 from file");

    for (bool alpha : {false, true}) {
        const std::string pngPath = Utf8(dir / (alpha ? "wallpaper-rgba.png" : "wallpaper.png"));
        if (!WritePngFile(pngPath, picture.get(), w, h, alpha)) return 1;
        int pw = 0, ph = 0;
        MedianMs([&] {
            auto source = IS40_OpenFileSource(pngPath);
            RgbBuffer png = IS40_ReadPNG(source.get(), pw, ph, 24, 0, ImageLimits(), 0x804020);
            return png && pw == kWidth && ph == kHeight;
        }, alpha ? "decode PNG 3840x2160 RGBA interlaced" : "decode PNG 3840x2160 RGB");
    }

    const std::span<const std::uint8_t> full(picture.get(), static_cast<std::size_t>(w) * h * 3);
    std::vector<std::uint8_t> half(1920 * 1080 * 3), back(full.size());
    MedianMs([&] { return IS40_ResizeImage(full, w, h, w * 3, half, 1920, 1080, 1920 * 3, 3); },
             "resize 3840x2160 -> 1920x1080");
    MedianMs([&] { return IS40_ResizeImage(half, 1920, 1080, 1920 * 3, back, w, h, w * 3, 3); },
             "resize 1920x1080 -> 3840x2160");

    std::vector<std::uint8_t> store(static_cast<std::size_t>(w) * h * 4);
    const PixelSurface surface{store.data(), w, h, w * 4};
    MedianMs([&] { return IS40_DrawRGB(surface, back, w, h, w * 3, 0, 0); }, "paint 3840x2160 into a surface");
    MedianMs([&] { return SaveSurfaceAsBmp(surface, bmpPath); }, "save the surface as BMP (temporary + rename)");

    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
