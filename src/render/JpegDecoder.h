#pragma once
// JPEG pictures decoded through the IJG library interface (release 6b, as libjpeg and
// libjpeg-turbo provide it) into top-down RGB. Grayscale pictures are expanded;
// CMYK and YCCK pictures (Adobe's inverted form included) are converted.
#include <cstdint>
#include <span>

#include "ImageLimits.h"
#include "RgbImage.h"

class CJpegDecoder {
public:
    // Decodes a whole file held in memory. A damaged or truncated file, a picture over
    // the limits or a progressive file of too many scans gives false and leaves out
    // empty; the library's warnings never reach the console.
    static bool Decode(std::span<const std::uint8_t> file, const ImageLimits& limits, RgbImage& out);
};
