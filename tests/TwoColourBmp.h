#pragma once
// The tests' own wallpapers: a 24-bit BMP file of two colours (0xRRGGBB) in vertical
// bands `band` pixels wide, as the file's bytes.
#include <cstdint>
#include <string>

inline std::string TwoColourBmp(int w, int h, uint32_t rgb, uint32_t stripe, int band) {
    const int stride = (w * 3 + 3) & ~3;
    std::string f(54 + static_cast<size_t>(stride) * h, '\0');
    auto put = [&f](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) f[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    f[0] = 'B';
    f[1] = 'M';
    put(2, static_cast<uint32_t>(f.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(w), 4);
    put(22, static_cast<uint32_t>(h), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) put(54 + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3,
                                         (x / band) % 2 ? stripe : rgb, 3);
    return f;
}
