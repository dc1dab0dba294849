#pragma once
// Upper bounds the image readers enforce before they allocate anything. A picture
// over any bound is refused like a damaged one.
#include <cstddef>

struct ImageLimits {
    int maxWidth = 32768;
    int maxHeight = 32768;
    // Bytes of the decoded picture at 3 bytes per pixel.
    std::size_t maxPixelBytes = std::size_t(256) << 20;
    // Bytes of a file read into memory before it is parsed.
    std::size_t maxFileBytes = std::size_t(512) << 20;
    // Scans of a progressive JPEG: every scan walks all coefficients of its
    // components, so a file of many tiny scans costs time out of all proportion to its size.
    int maxJpegScans = 200;
    // A JPEG may be decoded at a reduced scale (n/8, by the library's DCT scaling, far
    // cheaper than decoding whole and shrinking) as long as the result keeps at least
    // this size; 0 decodes at full size.
    int minWidth = 0;
    int minHeight = 0;

    // Whether a picture of width x height at 3 bytes per pixel is within the bounds.
    bool Allows(long long width, long long height) const {
        if (width <= 0 || height <= 0 || width > maxWidth || height > maxHeight) return false;
        return static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 3u <=
               maxPixelBytes;
    }
};
