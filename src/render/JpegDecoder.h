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
    // Decodes a whole file held in memory: at the smallest DCT scale that still covers
    // the limits' minimum size, and only the part the limits keep (rows below it are
    // never decoded). A damaged or truncated file, a picture over the limits, a
    // progressive file of too many scans or one that needs more work or memory than
    // the limits allow gives false and leaves out empty; the library's warnings never
    // reach the console.
    static bool Decode(std::span<const std::uint8_t> file, const ImageLimits& limits, RgbImage& out);
};
