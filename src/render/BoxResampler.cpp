#include "BoxResampler.h"

#include <algorithm>
#include <optional>

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

// Every footprint of one or two pixels on both axes (any shrinking by less than half,
// any growing): then every mean is a multiple of 1/4 and integers give exactly what
// the floating-point passes give. Along the row twice the mean is kept (0..510).
template <int Bpp>
void DoubleMeanRow(const std::uint8_t* in, const Axis& columns, std::uint16_t* out) {
    const int dstWidth = static_cast<int>(columns.start.size()) - 1;
    const int* start = columns.start.data();
    const int* index = columns.index.data();
    for (int x = 0; x < dstWidth; ++x, out += Bpp) {
        const std::uint8_t* p = in + static_cast<std::ptrdiff_t>(index[start[x]]) * Bpp;
        if (start[x + 1] - start[x] == 1) {
            for (int c = 0; c < Bpp; ++c) out[c] = static_cast<std::uint16_t>(p[c] * 2);
        } else {
            const std::uint8_t* q = in + static_cast<std::ptrdiff_t>(index[start[x] + 1]) * Bpp;
            for (int c = 0; c < Bpp; ++c) out[c] = static_cast<std::uint16_t>(p[c] + q[c]);
        }
    }
}

int MaxCount(const Axis& axis) {
    int most = 0;
    for (std::size_t i = 0; i + 1 < axis.start.size(); ++i) most = std::max(most, axis.start[i + 1] - axis.start[i]);
    return most;
}

} // namespace

struct CBoxResampler::Stream::Impl {
    Impl(int srcWidth, int srcHeight, int dstWidth, int dstHeight, int bytesPerPixel, RowSink sink)
        : srcHeight(srcHeight), dstHeight(dstHeight), bpp(bytesPerPixel), emit(std::move(sink)),
          identity(srcWidth == dstWidth && srcHeight == dstHeight) {
        if (identity) return;
        columns.emplace(srcWidth, dstWidth);
        rows.emplace(srcHeight, dstHeight);
        exact = MaxCount(*columns) <= 2 && MaxCount(*rows) <= 2;
        // Destination row y is made once the source rows up to the last it averages
        // (and those of the rows before it) have arrived; the rows it averages must
        // then still be held, which sets how many are kept.
        ready.resize(static_cast<std::size_t>(dstHeight));
        int arrived = 0;
        slots = 1;
        for (int y = 0; y < dstHeight; ++y) {
            int low = srcHeight, high = 0;
            for (int k = rows->start[y]; k < rows->start[y + 1]; ++k) {
                low = std::min(low, rows->index[k]);
                high = std::max(high, rows->index[k]);
            }
            arrived = std::max(arrived, high + 1);
            ready[y] = arrived;
            slots = std::max(slots, arrived - low);
        }
        const std::size_t values = static_cast<std::size_t>(dstWidth) * bpp;
        if (exact) {
            held16.resize(static_cast<std::size_t>(slots) * values);
        } else {
            held.resize(static_cast<std::size_t>(slots) * values);
            scale.resize(static_cast<std::size_t>(dstWidth));
            for (int x = 0; x < dstWidth; ++x) scale[x] = 1.0f / static_cast<float>(columns->Count(x));
            sum.resize(values);
        }
        out.resize(values);
    }

    void Average(const std::uint8_t* in, std::size_t slot) {
        const std::size_t values = out.size();
        if (exact) {
            std::uint16_t* o = held16.data() + slot * values;
            switch (bpp) {
            case 1: DoubleMeanRow<1>(in, *columns, o); break;
            case 2: DoubleMeanRow<2>(in, *columns, o); break;
            case 3: DoubleMeanRow<3>(in, *columns, o); break;
            default: DoubleMeanRow<4>(in, *columns, o); break;
            }
            return;
        }
        float* o = held.data() + slot * values;
        switch (bpp) {
        case 1: AverageRow<1>(in, *columns, scale, o); break;
        case 2: AverageRow<2>(in, *columns, scale, o); break;
        case 3: AverageRow<3>(in, *columns, scale, o); break;
        default: AverageRow<4>(in, *columns, scale, o); break;
        }
    }

    // Destination row y from the held rows, rounded to the nearest value, halves up.
    void Make(int y) {
        const std::size_t values = out.size();
        const int first = rows->start[y], count = rows->Count(y);
        auto slotOf = [&](int k) { return static_cast<std::size_t>(rows->index[k] % slots) * values; };
        std::uint8_t* o = out.data();
        if (exact) {
            const std::uint16_t* a = held16.data() + slotOf(first);
            if (count == 1) {
                for (std::size_t v = 0; v < values; ++v) o[v] = static_cast<std::uint8_t>((a[v] + 1) >> 1);
            } else {
                const std::uint16_t* b = held16.data() + slotOf(first + 1);
                for (std::size_t v = 0; v < values; ++v) o[v] = static_cast<std::uint8_t>((a[v] + b[v] + 2) >> 2);
            }
            return;
        }
        if (count == 1) { // growing, or the same height: one row, no sum
            // 0 <= in < 256, so in + 1/2 is exact in float as it is in double.
            const float* in = held.data() + slotOf(first);
            for (std::size_t v = 0; v < values; ++v) o[v] = static_cast<std::uint8_t>(std::min(in[v] + 0.5f, 255.0f));
        } else if (count == 2) { // two rows: their sum and half of it are exact in double
            const float* a = held.data() + slotOf(first);
            const float* b = held.data() + slotOf(first + 1);
            for (std::size_t v = 0; v < values; ++v)
                o[v] = static_cast<std::uint8_t>(
                    std::min((static_cast<double>(a[v]) + static_cast<double>(b[v])) * 0.5 + 0.5, 255.0));
        } else {
            std::fill(sum.begin(), sum.end(), 0.0);
            for (int k = first; k < first + count; ++k) {
                const float* in = held.data() + slotOf(k);
                for (std::size_t v = 0; v < values; ++v) sum[v] += in[v];
            }
            const double inverse = 1.0 / count;
            for (std::size_t v = 0; v < values; ++v)
                o[v] = static_cast<std::uint8_t>(std::min(sum[v] * inverse + 0.5, 255.0));
        }
    }

    void Push(const std::uint8_t* row) {
        if (pushed >= srcHeight) return;
        if (identity) { // every pixel is its own average
            emit(next++, row);
            ++pushed;
            return;
        }
        Average(row, static_cast<std::size_t>(pushed % slots));
        ++pushed;
        while (next < dstHeight && ready[next] <= pushed) {
            Make(next);
            emit(next++, out.data());
        }
    }

    int srcHeight, dstHeight, bpp;
    RowSink emit;
    bool identity;
    std::optional<Axis> columns, rows;
    bool exact = false;
    int slots = 1;
    std::vector<int> ready; // per destination row: source rows that must have arrived
    std::vector<std::uint16_t> held16;
    std::vector<float> held;
    std::vector<float> scale;
    std::vector<double> sum;
    std::vector<std::uint8_t> out;
    int pushed = 0, next = 0;
};

CBoxResampler::Stream::Stream(int srcWidth, int srcHeight, int dstWidth, int dstHeight, int bytesPerPixel,
                              RowSink emit) {
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0 || bytesPerPixel < 1 || bytesPerPixel > 4)
        return;
    try {
        m_impl = std::make_unique<Impl>(srcWidth, srcHeight, dstWidth, dstHeight, bytesPerPixel, std::move(emit));
    } catch (...) { // std::bad_alloc
        m_impl.reset();
    }
}

CBoxResampler::Stream::~Stream() = default;

void CBoxResampler::Stream::Push(const std::uint8_t* row) {
    if (m_impl) m_impl->Push(row);
}

int CBoxResampler::Stream::Emitted() const { return m_impl ? m_impl->next : 0; }

bool CBoxResampler::Resample(const std::uint8_t* src, int srcWidth, int srcHeight, std::ptrdiff_t srcStride,
                             std::uint8_t* dst, int dstWidth, int dstHeight, std::ptrdiff_t dstStride,
                             int bytesPerPixel) {
    const std::size_t values = static_cast<std::size_t>(dstWidth) * bytesPerPixel;
    return ResampleRows(src, srcWidth, srcHeight, srcStride, dstWidth, dstHeight, bytesPerPixel,
                        [&](int y, const std::uint8_t* row) { std::copy(row, row + values, dst + y * dstStride); });
}

bool CBoxResampler::ResampleRows(const std::uint8_t* src, int srcWidth, int srcHeight, std::ptrdiff_t srcStride,
                                 int dstWidth, int dstHeight, int bytesPerPixel, const RowSink& emit) {
    Stream stream(srcWidth, srcHeight, dstWidth, dstHeight, bytesPerPixel, emit);
    if (!stream.Valid()) return false;
    for (int y = 0; y < srcHeight; ++y) stream.Push(src + y * srcStride);
    return stream.Emitted() == dstHeight;
}
