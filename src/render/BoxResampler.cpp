#include "BoxResampler.h"

#include <algorithm>

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { // b > 0
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// An index outside [0, n) reflected back in: -i below, 2n - i - 1 above; clamped when
// the reflection still misses (a picture narrower than the reach).
int Mirror(std::int64_t i, int n) {
    if (i < 0) i = -i;
    if (i >= n) i = 2 * static_cast<std::int64_t>(n) - i - 1;
    return static_cast<int>(std::clamp<std::int64_t>(i, 0, n - 1));
}

// Per destination index: where its source indices start in a flat list.
struct Axis {
    std::vector<int> start; // size dst + 1
    std::vector<int> index;

    Axis(int src, int dst) {
        start.reserve(static_cast<std::size_t>(dst) + 1);
        for (int i = 0; i < dst; ++i) {
            start.push_back(static_cast<int>(index.size()));
            for (int j : CBoxResampler::Footprint(src, dst, i)) index.push_back(j);
        }
        start.push_back(static_cast<int>(index.size()));
    }
    int Count(int i) const { return start[i + 1] - start[i]; }
};

} // namespace

std::vector<int> CBoxResampler::Footprint(int srcCount, int dstCount, int i) {
    // Source centre j in source units is j + 1/2. Measured from the centre of
    // destination pixel i and scaled to destination pixels (when shrinking) or left in
    // source pixels (when growing), the box keeps -1/2 < x <= 1/2. With everything
    // multiplied by 2 * dstCount * (source or destination size) it is exact in integers:
    //   -reach < (2i + 1) * srcCount - dstCount - 2 * j * dstCount <= reach
    // where reach = max(srcCount, dstCount).
    const std::int64_t n = srcCount, m = dstCount;
    const std::int64_t reach = std::max(n, m);
    const std::int64_t a = (2 * static_cast<std::int64_t>(i) + 1) * n - m;
    const std::int64_t first = -FloorDiv(reach - a, 2 * m); // ceil((a - reach) / 2m)
    const std::int64_t last = FloorDiv(a + reach - 1, 2 * m);
    std::vector<int> out;
    for (std::int64_t j = first; j <= last; ++j) out.push_back(Mirror(j, srcCount));
    return out;
}

bool CBoxResampler::Resample(const std::uint8_t* src, int srcWidth, int srcHeight, std::ptrdiff_t srcStride,
                             std::uint8_t* dst, int dstWidth, int dstHeight, std::ptrdiff_t dstStride,
                             int bytesPerPixel) {
    const int bpp = bytesPerPixel;
    try {
        const Axis columns(srcWidth, dstWidth);
        const Axis rows(srcHeight, dstHeight);
        // Rows pass: each source row averaged into dstWidth pixels, kept unrounded so
        // the columns pass averages exact means.
        const std::size_t midStride = static_cast<std::size_t>(dstWidth) * bpp;
        std::vector<float> mid(midStride * static_cast<std::size_t>(srcHeight));
        for (int y = 0; y < srcHeight; ++y) {
            const std::uint8_t* in = src + y * srcStride;
            float* out = mid.data() + y * midStride;
            for (int x = 0; x < dstWidth; ++x) {
                unsigned sum[4] = {0, 0, 0, 0};
                for (int k = columns.start[x]; k < columns.start[x + 1]; ++k) {
                    const std::uint8_t* p = in + static_cast<std::ptrdiff_t>(columns.index[k]) * bpp;
                    for (int c = 0; c < bpp; ++c) sum[c] += p[c];
                }
                const float count = static_cast<float>(columns.Count(x));
                for (int c = 0; c < bpp; ++c) out[x * bpp + c] = static_cast<float>(sum[c]) / count;
            }
        }
        // Columns pass, rounding to the nearest value, halves up.
        std::vector<double> sum(midStride);
        for (int y = 0; y < dstHeight; ++y) {
            std::fill(sum.begin(), sum.end(), 0.0);
            for (int k = rows.start[y]; k < rows.start[y + 1]; ++k) {
                const float* in = mid.data() + static_cast<std::size_t>(rows.index[k]) * midStride;
                for (std::size_t v = 0; v < midStride; ++v) sum[v] += in[v];
            }
            const double count = rows.Count(y);
            std::uint8_t* out = dst + y * dstStride;
            for (std::size_t v = 0; v < midStride; ++v) {
                const double value = sum[v] / count + 0.5;
                out[v] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
            }
        }
    } catch (...) { // std::bad_alloc
        return false;
    }
    return true;
}
