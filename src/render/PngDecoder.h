#pragma once
// PNG pictures decoded through libpng into top-down RGB: every colour type and bit
// depth (palette, grey, grey with alpha, RGB, RGBA; 1 to 16 bits), interlaced or not.
// Sixteen-bit samples are scaled to 8 bits; transparency (an alpha channel or a tRNS
// chunk) is composited over a background colour, as the desktop shows it.
#include <cstdint>
#include <span>

#include "ImageLimits.h"
#include "RgbImage.h"

class CPngDecoder {
public:
    // Decodes a whole file held in memory, only the part the limits keep, in the memory
    // of that part and one row (rows below it are never decompressed unless the
    // picture is interlaced). background is the colour transparent pixels show (red in the
    // low byte). A damaged or truncated file, one over the limits or with chunks
    // larger than a picture needs gives false and leaves out empty; libpng's
    // messages never reach the console and its errors never end the process.
    static bool Decode(std::span<const std::uint8_t> file, const ImageLimits& limits, std::uint32_t background,
                       RgbImage& out);
};
