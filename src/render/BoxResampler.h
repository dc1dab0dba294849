#pragma once
// Resampling with a box filter, rows first and then columns. Along each axis of n
// source and m destination pixels, destination pixel i covers the source interval
// [i * n / m, (i + 1) * n / m). Shrinking averages the source pixels whose centres lie
// in it; growing takes the source pixel nearest to its centre (the lower one on a tie).
// Both are the box of half-width 1/2, measured in destination pixels when shrinking
// and in source pixels when growing.
#include <cstddef>
#include <cstdint>
#include <vector>

class CBoxResampler {
public:
    // src and dst hold height rows of width x bytesPerPixel bytes, stride bytes apart.
    // bytesPerPixel is 1 to 4; the caller has checked that the buffers are that large.
    // False only when the working memory cannot be had.
    static bool Resample(const std::uint8_t* src, int srcWidth, int srcHeight, std::ptrdiff_t srcStride,
                         std::uint8_t* dst, int dstWidth, int dstHeight, std::ptrdiff_t dstStride,
                         int bytesPerPixel);

    // The source indices that destination index i of one axis averages.
    static std::vector<int> Footprint(int srcCount, int dstCount, int i);
};
