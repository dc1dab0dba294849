#pragma once
// JPEG pictures decoded through the IJG library interface (release 6b, as libjpeg and
// libjpeg-turbo provide it) into top-down RGB. Grayscale pictures are expanded;
// CMYK and YCCK pictures (Adobe's inverted form included) are converted.
#include <cstdint>
#include <functional>
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

    // The same decode handing over one row at a time instead of a whole picture: start
    // learns the size of the part kept before the first row (and may refuse it), then
    // row receives each of its rows, top to bottom, 3 bytes a pixel in the order asked
    // for (valid during the call). Colour pictures are decoded straight into that order.
    enum class Order { Rgb, Bgr };
    using Start = std::function<bool(int width, int height)>;
    using Row = std::function<void(const std::uint8_t* row)>;
    static bool DecodeRows(std::span<const std::uint8_t> file, const ImageLimits& limits, Order order,
                           const Start& start, const Row& row);
};
