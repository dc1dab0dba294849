#pragma once
// A drawing surface as the image layer sees it: one 32-bit pixel buffer, bytes blue,
// green, red, unused; rows top-down, each stride bytes after the previous one. The
// buffer belongs to whoever made the surface (the canvas ports wrap it without copying).
#include <cstddef>
#include <cstdint>

struct PixelSurface {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0; // bytes

    bool Valid() const {
        return pixels != nullptr && width > 0 && height > 0 && stride >= static_cast<long long>(width) * 4;
    }
    std::uint8_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};
