#pragma once
// Windows bitmap files. The reader takes every kind Windows shows as a wallpaper:
// 1-, 4-, 8-, 16-, 24- and 32-bit pictures, bottom-up or top-down; run-length coded
// 4- and 8-bit ones (RLE4, RLE8); 16 bits as 5-5-5 or with bit-field masks, 32 bits
// with or without them; with any of the usual information headers (core, info, V4,
// V5). The writer makes the one form the program produces: 24 bits, bottom-up, rows
// padded to 4 bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "ImageLimits.h"
#include "RgbImage.h"

class CImageDest;

// Pixels per metre written into the information header; 0 means unspecified.
struct BmpResolution {
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
};

class CBmpFile {
public:
    static constexpr std::size_t kFileHeaderSize = 14;
    static constexpr std::size_t kInfoHeaderSize = 40;

    // Bytes of one stored row of width pixels at bitsPerPixel, padded to 4 bytes.
    static constexpr std::uint64_t RowBytes(std::uint64_t width, unsigned bitsPerPixel) {
        return (width * bitsPerPixel + 31) / 32 * 4;
    }

    // Decodes a whole file held in memory into top-down RGB, only the part the limits
    // keep. Anything not handled, inconsistent or over the limits gives false and
    // leaves out empty.
    static bool Decode(std::span<const std::uint8_t> file, const ImageLimits& limits, RgbImage& out);

    // The 54 bytes of headers of a 24-bit bottom-up file of width x height.
    static void WriteHeader(std::uint8_t* header, int width, int height, const BmpResolution& resolution = {});

    // Writes the 24-bit file of an RGB picture (rows top-down, stride bytes apart).
    // False when the arguments do not describe a picture inside rgb or a write fails.
    static bool Write(CImageDest& dest, std::span<const std::uint8_t> rgb, int width, int height,
                      int stride, const BmpResolution& resolution);
};
