#include "MaskedBitmap.h"

#include <algorithm>
#include <cstring>

#include "../platform/Platform.h"
#include "ImageLayer.h"
#include "MemDC.h"
#include "../util/PanelScale.h"
#include "SurfaceOps.h"

CMaskedBitmap CMaskedBitmap::FromRgb(std::span<const std::uint8_t> rgb, int width, int height) {
    CMaskedBitmap b;
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) return b;
    b.m_width = width;
    b.m_height = height;
    b.m_pixels.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
        b.m_pixels[i * 4] = rgb[i * 3 + 2];
        b.m_pixels[i * 4 + 1] = rgb[i * 3 + 1];
        b.m_pixels[i * 4 + 2] = rgb[i * 3];
    }
    return b;
}

CMaskedBitmap CMaskedBitmap::FromSurface(const PixelSurface& surface) {
    CMaskedBitmap b;
    if (!surface.Valid()) return b;
    b.m_width = surface.width;
    b.m_height = surface.height;
    b.m_pixels.resize(static_cast<size_t>(surface.width) * surface.height * 4);
    for (int y = 0; y < surface.height; ++y)
        std::memcpy(&b.m_pixels[static_cast<size_t>(y) * surface.width * 4], surface.Row(y),
                    static_cast<size_t>(surface.width) * 4);
    return b;
}

CMaskedBitmap CMaskedBitmap::FromBmpFile(std::span<const std::uint8_t> bmp) {
    auto source = IS40_OpenMemorySource(bmp);
    int w = 0, h = 0;
    RgbBuffer rgb = source ? IS40_ReadBMP(source.get(), w, h) : nullptr;
    if (!rgb) return CMaskedBitmap();
    return FromRgb({rgb.get(), static_cast<size_t>(w) * h * 3}, w, h);
}

namespace {

// Loads a picture at the drawn scale nearest to scale (else at 100 %) through read,
// and fits it to the size it has at scale.
template <typename Read>
CMaskedBitmap LoadScaled(int scale, Read read) {
    IArtworkPort* artwork = PortOrNull<IArtworkPort>();
    if (!artwork) return CMaskedBitmap();
    std::vector<std::uint8_t> bytes;
    int drawn = CPanelScale::NearestDrawn(scale);
    if (!read(*artwork, bytes, drawn)) {
        if (drawn == 100 || !read(*artwork, bytes, 100)) return CMaskedBitmap();
        drawn = 100;
    }
    CMaskedBitmap picture = CMaskedBitmap::FromBmpFile(bytes);
    if (drawn == scale || picture.IsEmpty()) return picture;
    auto size = [&](int length) { return std::max(1, (length * scale + drawn / 2) / drawn); };
    return picture.Fitted(size(picture.Width()), size(picture.Height()));
}

} // namespace

CMaskedBitmap CMaskedBitmap::LoadBitmap(int id, int scale) {
    return LoadScaled(scale, [&](IArtworkPort& a, std::vector<std::uint8_t>& b, int s) { return a.Bitmap(id, b, s); });
}

CMaskedBitmap CMaskedBitmap::LoadIcon(int id, int scale) {
    return LoadScaled(scale, [&](IArtworkPort& a, std::vector<std::uint8_t>& b, int s) { return a.Icon(id, b, s); });
}

CMaskedBitmap CMaskedBitmap::LoadLibraryIcon(const std::string& library, int index, int scale) {
    return LoadScaled(scale, [&](IArtworkPort& a, std::vector<std::uint8_t>& b, int s) {
        return a.LibraryIcon(library, index, b, s);
    });
}

CMaskedBitmap CMaskedBitmap::Fitted(int width, int height) const {
    CMaskedBitmap b;
    if (IsEmpty() || width <= 0 || height <= 0) return b;
    b.m_width = width;
    b.m_height = height;
    b.m_pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>((2LL * y + 1) * m_height / (2LL * height));
        for (int x = 0; x < width; ++x) {
            const int sx = static_cast<int>((2LL * x + 1) * m_width / (2LL * width));
            std::memcpy(&b.m_pixels[(static_cast<size_t>(y) * width + x) * 4],
                        &m_pixels[(static_cast<size_t>(sy) * m_width + sx) * 4], 4);
        }
    }
    return b;
}

PixelSurface CMaskedBitmap::Pixels() const {
    if (IsEmpty()) return PixelSurface{};
    return PixelSurface{const_cast<std::uint8_t*>(m_pixels.data()), m_width, m_height, m_width * 4};
}

void CMaskedBitmap::Draw(CMemDC& target, int x, int y) const {
    SurfaceOps::Copy(target.Pixels(), x, y, Pixels(), 0, 0, m_width, m_height);
    target.EndPixelWork();
}

void CMaskedBitmap::DrawStretched(CMemDC& target, int x, int y, int width, int height) const {
    if (IsEmpty() || width <= 0 || height <= 0) return;
    std::vector<std::uint8_t> scaled(static_cast<size_t>(width) * height * 4);
    SurfaceOps::Stretch(PixelSurface{scaled.data(), width, height, width * 4}, Pixels());
    SurfaceOps::Copy(target.Pixels(), x, y, PixelSurface{scaled.data(), width, height, width * 4}, 0, 0, width,
                     height);
    target.EndPixelWork();
}

void CMaskedBitmap::DrawTransparent(CMemDC& target, int x, int y, Colorref key) const {
    SurfaceOps::CopyTransparent(target.Pixels(), x, y, Pixels(), key);
    target.EndPixelWork();
}
