#pragma once
// Resampling with a box filter, rows first and then columns. Along each axis of n
// source and m destination pixels, destination pixel i covers the source interval
// [i * n / m, (i + 1) * n / m). Shrinking averages the source pixels whose centres lie
// in it; growing takes the source pixel nearest to its centre (the lower one on a tie).
// Both are the box of half-width 1/2, measured in destination pixels when shrinking
// and in source pixels when growing.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CBoxResampler {
public:
    // src and dst hold height rows of width x bytesPerPixel bytes, stride bytes apart.
    // bytesPerPixel is 1 to 4; the caller has checked that the buffers are that large.
    // False only when the working memory cannot be had.
    static bool Resample(const std::uint8_t* src, int srcWidth, int srcHeight, std::ptrdiff_t srcStride,
                         std::uint8_t* dst, int dstWidth, int dstHeight, std::ptrdiff_t dstStride,
                         int bytesPerPixel);

    // Receives destination row y (dstWidth x bytesPerPixel bytes, valid during the call).
    using RowSink = std::function<void(int y, const std::uint8_t* row)>;
    // The same resampling, each destination row handed to emit as soon as it is made,
    // top to bottom, so the destination can be a surface of another layout and no
    // destination-sized buffer is needed. The source is read once; a source of the
    // destination's size is handed over row by row unchanged.
    static bool ResampleRows(const std::uint8_t* src, int srcWidth, int srcHeight, std::ptrdiff_t srcStride,
                             int dstWidth, int dstHeight, int bytesPerPixel, const RowSink& emit);

    // The same resampling fed with source rows one at a time, top to bottom (a decoder's
    // rows as they come): each destination row goes to emit as soon as the source rows
    // it averages have arrived, and only those few source rows (already averaged along
    // the row) are kept. The bytes are those of ResampleRows.
    class Stream {
    public:
        Stream(int srcWidth, int srcHeight, int dstWidth, int dstHeight, int bytesPerPixel, RowSink emit);
        ~Stream();
        Stream(const Stream&) = delete;
        Stream& operator=(const Stream&) = delete;
        // False when the working memory could not be had (nothing is emitted then).
        bool Valid() const { return m_impl != nullptr; }
        // The next source row: srcWidth x bytesPerPixel bytes. Rows past srcHeight are ignored.
        void Push(const std::uint8_t* row);
        // Destination rows emitted so far (dstHeight once every source row was pushed).
        int Emitted() const;

    private:
        struct Impl;
        std::unique_ptr<Impl> m_impl;
    };

    // The source indices that destination index i of one axis averages.
    static std::vector<int> Footprint(int srcCount, int dstCount, int i);
};
