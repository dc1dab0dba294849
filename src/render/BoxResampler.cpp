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
    bool contiguous = true; // every footprint is a run of consecutive indices

    Axis(int src, int dst) {
        start.reserve(static_cast<std::size_t>(dst) + 1);
        for (int i = 0; i < dst; ++i) {
            start.push_back(static_cast<int>(index.size()));
            const std::vector<int> footprint = CBoxResampler::Footprint(src, dst, i);
            for (std::size_t k = 0; k < footprint.size(); ++k) {
                if (k > 0 && footprint[k] != footprint[k - 1] + 1) contiguous = false;
                index.push_back(footprint[k]);
            }
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

namespace {

// One source row averaged into the destination's columns. The means stay unrounded,
// so the columns pass averages exact values and rounds once.
template <int Bpp>
void AverageRow(const std::uint8_t* in, const Axis& columns, const std::vector<float>& scale, float* out) {
    const int dstWidth = static_cast<int>(scale.size());
    if (columns.contiguous) {
        // The same sums read straight along the row; a pixel of its own is its value.
        const int* start = columns.start.data();
        const int* index = columns.index.data();
        for (int x = 0; x < dstWidth; ++x, out += Bpp) {
            const int count = start[x + 1] - start[x];
            const std::uint8_t* p = in + static_cast<std::ptrdiff_t>(index[start[x]]) * Bpp;
            if (count == 1) {
                for (int c = 0; c < Bpp; ++c) out[c] = static_cast<float>(p[c]);
                continue;
            }
            unsigned sum[Bpp] = {};
            for (int k = 0; k < count; ++k, p += Bpp)
                for (int c = 0; c < Bpp; ++c) sum[c] += p[c];
            for (int c = 0; c < Bpp; ++c) out[c] = static_cast<float>(sum[c]) * scale[x];
        }
        return;
    }
    for (int x = 0; x < dstWidth; ++x, out += Bpp) {
        unsigned sum[Bpp] = {};
        for (int k = columns.start[x]; k < columns.start[x + 1]; ++k) {
            const std::uint8_t* p = in + static_cast<std::ptrdiff_t>(columns.index[k]) * Bpp;
            for (int c = 0; c < Bpp; ++c) sum[c] += p[c];
        }
        for (int c = 0; c < Bpp; ++c) out[c] = static_cast<float>(sum[c]) * scale[x];
    }
}

// The rows pass on demand: averaged source rows are kept in a few slots (row modulo
// slots) and computed again only when evicted, so the whole intermediate picture
// never has to exist. Each row is summed as soon as it is fetched, so an eviction
// can cost time but never a wrong result.
class RowCache {
public:
    RowCache(const std::uint8_t* src, std::ptrdiff_t stride, const Axis& columns, int bpp, int slots)
        : m_src(src), m_stride(stride), m_columns(columns), m_bpp(bpp),
          m_width(columns.start.size() - 1), m_rowOf(static_cast<std::size_t>(slots), -1),
          m_data(static_cast<std::size_t>(slots) * m_width * bpp), m_scale(m_width) {
        for (std::size_t x = 0; x < m_width; ++x)
            m_scale[x] = 1.0f / static_cast<float>(columns.Count(static_cast<int>(x)));
    }

    const float* Row(int y) {
        const std::size_t slot = static_cast<std::size_t>(y) % m_rowOf.size();
        float* out = m_data.data() + slot * m_width * m_bpp;
        if (m_rowOf[slot] != y) {
            const std::uint8_t* in = m_src + y * m_stride;
            switch (m_bpp) {
            case 1: AverageRow<1>(in, m_columns, m_scale, out); break;
            case 2: AverageRow<2>(in, m_columns, m_scale, out); break;
            case 3: AverageRow<3>(in, m_columns, m_scale, out); break;
            default: AverageRow<4>(in, m_columns, m_scale, out); break;
            }
            m_rowOf[slot] = y;
        }
        return out;
    }

private:
    const std::uint8_t* m_src;
    std::ptrdiff_t m_stride;
    const Axis& m_columns;
    int m_bpp;
    std::size_t m_width;
    std::vector<int> m_rowOf;
    std::vector<float> m_data;
    std::vector<float> m_scale;
};

} // namespace

bool CBoxResampler::Resample(const std::uint8_t* src, int srcWidth, int srcHeight, std::ptrdiff_t srcStride,
                             std::uint8_t* dst, int dstWidth, int dstHeight, std::ptrdiff_t dstStride,
                             int bytesPerPixel) {
    const std::size_t values = static_cast<std::size_t>(dstWidth) * bytesPerPixel;
    return ResampleRows(src, srcWidth, srcHeight, srcStride, dstWidth, dstHeight, bytesPerPixel,
                        [&](int y, const std::uint8_t* row) { std::copy(row, row + values, dst + y * dstStride); });
}

bool CBoxResampler::ResampleRows(const std::uint8_t* src, int srcWidth, int srcHeight, std::ptrdiff_t srcStride,
                                 int dstWidth, int dstHeight, int bytesPerPixel, const RowSink& emit) {
    if (srcWidth == dstWidth && srcHeight == dstHeight) { // every pixel is its own average
        for (int y = 0; y < dstHeight; ++y) emit(y, src + y * srcStride);
        return true;
    }
    try {
        const Axis columns(srcWidth, dstWidth);
        const Axis rows(srcHeight, dstHeight);
        // Footprints of consecutive rows are contiguous and never overlap by more than
        // the one row that growing repeats, so two slots compute every row once.
        RowCache cache(src, srcStride, columns, bytesPerPixel, 2);

        // Columns pass, rounding to the nearest value, halves up.
        const std::size_t values = static_cast<std::size_t>(dstWidth) * bytesPerPixel;
        std::vector<double> sum(values);
        std::vector<std::uint8_t> out(values);
        for (int y = 0; y < dstHeight; ++y) {
            if (rows.Count(y) == 1) { // growing, or the same height: one row, no sum
                // 0 <= in < 256, so in + 1/2 is exact in float as it is in double.
                const float* in = cache.Row(rows.index[rows.start[y]]);
                std::uint8_t* o = out.data();
                for (std::size_t v = 0; v < values; ++v) o[v] = static_cast<std::uint8_t>(std::min(in[v] + 0.5f, 255.0f));
            } else if (rows.Count(y) == 2) { // two rows: their sum and half of it are exact in double
                const float* a = cache.Row(rows.index[rows.start[y]]);
                const float* b = cache.Row(rows.index[rows.start[y] + 1]);
                std::uint8_t* o = out.data();
                for (std::size_t v = 0; v < values; ++v)
                    o[v] = static_cast<std::uint8_t>(
                        std::min((static_cast<double>(a[v]) + static_cast<double>(b[v])) * 0.5 + 0.5, 255.0));
            } else {
                std::fill(sum.begin(), sum.end(), 0.0);
                for (int k = rows.start[y]; k < rows.start[y + 1]; ++k) {
                    const float* in = cache.Row(rows.index[k]);
                    for (std::size_t v = 0; v < values; ++v) sum[v] += in[v];
                }
                const double inverse = 1.0 / rows.Count(y);
                for (std::size_t v = 0; v < values; ++v)
                    out[v] = static_cast<std::uint8_t>(std::min(sum[v] * inverse + 0.5, 255.0));
            }
            emit(y, out.data());
        }
    } catch (...) { // std::bad_alloc
        return false;
    }
    return true;
}
