#pragma once
// Upper bounds the image readers enforce before they allocate anything, and the part
// of a picture the caller will use. A picture over any bound is refused like a
// damaged one.
#include <algorithm>
#include <cstddef>

struct ImageLimits {
    int maxWidth = 32768;
    int maxHeight = 32768;
    // Bytes of the decoded picture (of the part kept, below) at 3 bytes per pixel.
    std::size_t maxPixelBytes = std::size_t(256) << 20;
    // Bytes of a file read into memory before it is parsed.
    std::size_t maxFileBytes = std::size_t(256) << 20;
    // Scans of a progressive JPEG: every scan walks all coefficients of its
    // components, so a file of many tiny scans costs time out of all proportion to its size.
    int maxJpegScans = 200;
    // 8x8 blocks the JPEG decoder reads, a block counted once for every scan that
    // carries it: a baseline picture counts each block once, a progressive one once per
    // scan. This bounds the time a file takes whatever its scans look like.
    long long maxJpegBlockScans = 20'000'000;
    // Memory the JPEG library may hold for itself. A progressive file keeps every
    // coefficient of the picture (128 bytes a block) until its last scan; one that
    // needs more is refused before its first scan is read.
    std::size_t maxJpegDecoderBytes = std::size_t(96) << 20;
    // A JPEG may be decoded at a reduced scale (n/8, by the library's DCT scaling, far
    // cheaper than decoding whole and shrinking) as long as the result keeps at least
    // this size; 0 decodes at full size.
    int minWidth = 0;
    int minHeight = 0;
    // Only this much of a larger picture is used: at most keepWidth x keepHeight
    // pixels, from its centre or from its top-left corner. The rest is dropped while
    // the picture is read, so a large picture costs the memory of what is shown. 0
    // keeps the whole width or height.
    int keepWidth = 0;
    int keepHeight = 0;
    bool keepCentre = false;

    // Whether a picture of width x height at 3 bytes per pixel is within the bounds.
    bool Allows(long long width, long long height) const {
        if (width <= 0 || height <= 0 || width > maxWidth || height > maxHeight) return false;
        return static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 3u <=
               maxPixelBytes;
    }

    struct Part {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };
    // The part of a width x height picture that is kept.
    Part Kept(int width, int height) const {
        Part p{0, 0, width, height};
        if (keepWidth > 0 && width > keepWidth) {
            p.width = keepWidth;
            if (keepCentre) p.left = (width - keepWidth) / 2;
        }
        if (keepHeight > 0 && height > keepHeight) {
            p.height = keepHeight;
            if (keepCentre) p.top = (height - keepHeight) / 2;
        }
        return p;
    }

    bool operator==(const ImageLimits&) const = default;
};
