#include "MaskedBitmap.h"

#include <cstring>

#include "../platform/Platform.h"
#include "ImageLayer.h"
#include "MemDC.h"
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

CMaskedBitmap CMaskedBitmap::LoadBitmap(int id) {
    std::vector<std::uint8_t> bytes;
    IArtworkPort* artwork = PortOrNull<IArtworkPort>();
    return artwork && artwork->Bitmap(id, bytes) ? FromBmpFile(bytes) : CMaskedBitmap();
}

CMaskedBitmap CMaskedBitmap::LoadIcon(int id) {
    std::vector<std::uint8_t> bytes;
    IArtworkPort* artwork = PortOrNull<IArtworkPort>();
    return artwork && artwork->Icon(id, bytes) ? FromBmpFile(bytes) : CMaskedBitmap();
}

CMaskedBitmap CMaskedBitmap::LoadLibraryIcon(const std::string& library, int index) {
    std::vector<std::uint8_t> bytes;
    IArtworkPort* artwork = PortOrNull<IArtworkPort>();
    return artwork && artwork->LibraryIcon(library, index, bytes) ? FromBmpFile(bytes) : CMaskedBitmap();
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
