#pragma once
// The layer's own picture: 3 bytes per pixel (red, green, blue), rows top-down and
// packed (stride width x 3).
#include <cstddef>
#include <cstdint>
#include <memory>

using RgbBuffer = std::unique_ptr<std::uint8_t[]>;

struct RgbImage {
    RgbBuffer pixels;
    int width = 0;
    int height = 0;

    int Stride() const { return width * 3; }
    std::size_t Size() const { return static_cast<std::size_t>(width) * height * 3; }
};
