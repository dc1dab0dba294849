#include "AlphaBlend.h"

#include <algorithm>
#include <vector>

#include "SurfaceOps.h"

void CAlphaBlend::DrawKeyed(CMemDC& target, int x, int y, CMemDC& src, Colorref key, int alpha) {
    const PixelSurface from = src.Pixels();
    if (m_missing)
        SurfaceOps::CopyTransparent(target.Pixels(), x, y, from, key);
    else
        SurfaceOps::BlendKeyed(target.Pixels(), x, y, from, key, alpha);
    target.EndPixelWork();
}

bool CAlphaBlend::Draw(CMemDC& target, int x, int y, int width, int height, CMemDC& src, int sx, int sy, int sw,
                       int sh, int alpha) {
    if (!target.IsValid() || !src.IsValid() || width <= 0 || height <= 0 || sw <= 0 || sh <= 0) return false;
    const PixelSurface from = src.Pixels();
    if (sx < 0 || sy < 0 || sx + sw > from.width || sy + sh > from.height) return false;
    PixelSurface part{from.Row(sy) + sx * 4, sw, sh, from.stride};
    std::vector<std::uint8_t> scaled;
    if (sw != width || sh != height) {
        scaled.resize(static_cast<size_t>(width) * height * 4);
        PixelSurface s{scaled.data(), width, height, width * 4};
        SurfaceOps::Stretch(s, part);
        part = s;
    }
    if (m_missing)
        SurfaceOps::Copy(target.Pixels(), x, y, part, 0, 0, width, height);
    else
        SurfaceOps::Blend(target.Pixels(), x, y, part, std::clamp(alpha, 0, 255));
    target.EndPixelWork();
    return true;
}
