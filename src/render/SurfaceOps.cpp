#include "SurfaceOps.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Span {
    int dx, dy, sx, sy, width, height;
};

// Clips a transfer of width x height from src (sx, sy) to dst (dx, dy) to both surfaces.
bool Clip(const PixelSurface& dst, const PixelSurface& src, Span& s) {
    if (s.sx < 0) s.dx -= s.sx, s.width += s.sx, s.sx = 0;
    if (s.sy < 0) s.dy -= s.sy, s.height += s.sy, s.sy = 0;
    if (s.dx < 0) s.sx -= s.dx, s.width += s.dx, s.dx = 0;
    if (s.dy < 0) s.sy -= s.dy, s.height += s.dy, s.dy = 0;
    s.width = std::min({s.width, src.width - s.sx, dst.width - s.dx});
    s.height = std::min({s.height, src.height - s.sy, dst.height - s.dy});
    return s.width > 0 && s.height > 0;
}

uint8_t Red(Colorref c) { return static_cast<uint8_t>(c & 0xFF); }
uint8_t Green(Colorref c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
uint8_t Blue(Colorref c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

} // namespace

namespace SurfaceOps {

void Fill(const PixelSurface& dst, const Rect& rect, Colorref color) {
    if (!dst.Valid()) return;
    const Rect r = rect.Intersect({0, 0, dst.width, dst.height});
    if (r.IsEmpty()) return;
    const uint8_t px[4] = {Blue(color), Green(color), Red(color), 0};
    uint8_t* first = dst.Row(r.top) + r.left * 4;
    for (int x = 0; x < r.Width(); ++x) std::memcpy(first + x * 4, px, 4);
    for (int y = r.top + 1; y < r.bottom; ++y)
        std::memcpy(dst.Row(y) + r.left * 4, first, static_cast<size_t>(r.Width()) * 4);
}

void Copy(const PixelSurface& dst, int dx, int dy, const PixelSurface& src, int sx, int sy, int width, int height) {
    if (!dst.Valid() || !src.Valid()) return;
    Span s{dx, dy, sx, sy, width, height};
    if (!Clip(dst, src, s)) return;
    for (int y = 0; y < s.height; ++y)
        std::memmove(dst.Row(s.dy + y) + s.dx * 4, src.Row(s.sy + y) + s.sx * 4, static_cast<size_t>(s.width) * 4);
}

void CopyTransparent(const PixelSurface& dst, int dx, int dy, const PixelSurface& src, Colorref key) {
    if (!dst.Valid() || !src.Valid()) return;
    Span s{dx, dy, 0, 0, src.width, src.height};
    if (!Clip(dst, src, s)) return;
    const uint8_t kb = Blue(key), kg = Green(key), kr = Red(key);
    for (int y = 0; y < s.height; ++y) {
        const uint8_t* in = src.Row(s.sy + y) + s.sx * 4;
        uint8_t* out = dst.Row(s.dy + y) + s.dx * 4;
        for (int x = 0; x < s.width; ++x, in += 4, out += 4)
            if (in[0] != kb || in[1] != kg || in[2] != kr) std::memcpy(out, in, 3);
    }
}

void Blend(const PixelSurface& dst, int dx, int dy, const PixelSurface& src, int alpha) {
    if (!dst.Valid() || !src.Valid()) return;
    const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255)), b = 255 - a;
    Span s{dx, dy, 0, 0, src.width, src.height};
    if (!Clip(dst, src, s)) return;
    for (int y = 0; y < s.height; ++y) {
        const uint8_t* in = src.Row(s.sy + y) + s.sx * 4;
        uint8_t* out = dst.Row(s.dy + y) + s.dx * 4;
        for (int x = 0; x < s.width; ++x, in += 4, out += 4)
            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((in[c] * a + out[c] * b + 127) / 255);
    }
}

void BlendKeyed(const PixelSurface& dst, int dx, int dy, const PixelSurface& src, Colorref key, int alpha) {
    if (!dst.Valid() || !src.Valid()) return;
    const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255)), b = 255 - a;
    const uint8_t kb = Blue(key), kg = Green(key), kr = Red(key);
    Span s{dx, dy, 0, 0, src.width, src.height};
    if (!Clip(dst, src, s)) return;
    for (int y = 0; y < s.height; ++y) {
        const uint8_t* in = src.Row(s.sy + y) + s.sx * 4;
        uint8_t* out = dst.Row(s.dy + y) + s.dx * 4;
        for (int x = 0; x < s.width; ++x, in += 4, out += 4) {
            if (in[0] == kb && in[1] == kg && in[2] == kr) continue;
            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((in[c] * a + out[c] * b + 127) / 255);
        }
    }
}

namespace {

// Weights of the source pixels for each target pixel along one dimension, in 1/256.
struct Tap {
    int first = 0;
    std::vector<int> weights; // sum 256 * 256 when shrinking, 256 when growing
};

std::vector<Tap> Taps(int from, int to) {
    std::vector<Tap> taps(static_cast<size_t>(to));
    if (to <= from) {
        // Area averaging: target pixel i covers [i * from / to, (i + 1) * from / to).
        for (int i = 0; i < to; ++i) {
            const int64_t begin = static_cast<int64_t>(i) * from * 256 / to; // in 1/256 source pixels
            const int64_t end = static_cast<int64_t>(i + 1) * from * 256 / to;
            Tap& t = taps[static_cast<size_t>(i)];
            t.first = static_cast<int>(begin / 256);
            for (int64_t p = t.first; p * 256 < end; ++p) {
                const int64_t lo = std::max(begin, p * 256), hi = std::min(end, (p + 1) * 256);
                t.weights.push_back(static_cast<int>((hi - lo) * 65536 / (end - begin)));
            }
        }
    } else {
        // Linear interpolation between the two nearest source pixel centres.
        for (int i = 0; i < to; ++i) {
            const int64_t centre = ((2 * static_cast<int64_t>(i) + 1) * from * 128) / to - 128; // in 1/256
            Tap& t = taps[static_cast<size_t>(i)];
            if (centre <= 0) {
                t.first = 0, t.weights = {65536};
            } else if (centre >= static_cast<int64_t>(from - 1) * 256) {
                t.first = from - 1, t.weights = {65536};
            } else {
                t.first = static_cast<int>(centre / 256);
                const int frac = static_cast<int>(centre % 256);
                t.weights = {(256 - frac) * 256, frac * 256};
            }
        }
    }
    return taps;
}

} // namespace

void Stretch(const PixelSurface& dst, const PixelSurface& src) {
    if (!dst.Valid() || !src.Valid()) return;
    const std::vector<Tap> cols = Taps(src.width, dst.width), rows = Taps(src.height, dst.height);
    // Rows first into an intermediate of dst.width x src.height, 16.16 fixed point.
    std::vector<uint32_t> mid(static_cast<size_t>(dst.width) * src.height * 3);
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* in = src.Row(y);
        for (int x = 0; x < dst.width; ++x) {
            const Tap& t = cols[static_cast<size_t>(x)];
            uint64_t acc[3] = {0, 0, 0};
            for (size_t k = 0; k < t.weights.size(); ++k)
                for (int c = 0; c < 3; ++c) acc[c] += static_cast<uint64_t>(in[(t.first + k) * 4 + c]) * t.weights[k];
            for (int c = 0; c < 3; ++c)
                mid[(static_cast<size_t>(y) * dst.width + x) * 3 + c] = static_cast<uint32_t>((acc[c] + 128) >> 8);
        }
    }
    for (int y = 0; y < dst.height; ++y) {
        const Tap& t = rows[static_cast<size_t>(y)];
        uint8_t* out = dst.Row(y);
        for (int x = 0; x < dst.width; ++x) {
            uint64_t acc[3] = {0, 0, 0};
            for (size_t k = 0; k < t.weights.size(); ++k)
                for (int c = 0; c < 3; ++c)
                    acc[c] += static_cast<uint64_t>(mid[((t.first + k) * dst.width + x) * 3 + c]) * t.weights[k];
            for (int c = 0; c < 3; ++c) out[x * 4 + c] = static_cast<uint8_t>(std::min<uint64_t>(255, (acc[c] + (1u << 23)) >> 24));
            out[x * 4 + 3] = 0;
        }
    }
}

Colorref At(const PixelSurface& s, int x, int y) {
    if (!s.Valid() || x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
    const uint8_t* p = s.Row(y) + x * 4;
    return MakeColorref(p[2], p[1], p[0]);
}

} // namespace SurfaceOps
