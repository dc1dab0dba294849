#pragma once
// Pixel work on 32-bit surfaces (blue, green, red, unused; rows top down), done on
// the buffer itself so that both builds give the same pixels. Every operation clips
// to both surfaces; nothing reads or writes outside them.
#include "../platform/CanvasPort.h"
#include "../util/PixelSurface.h"
#include "../util/Rect.h"

namespace SurfaceOps {

void Fill(const PixelSurface& dst, const Rect& rect, Colorref color);
// Copies src's (sx, sy, width, height) to dst at (dx, dy).
void Copy(const PixelSurface& dst, int dx, int dy, const PixelSurface& src, int sx, int sy, int width, int height);
// As Copy, but pixels of src equal to key leave dst unchanged.
void CopyTransparent(const PixelSurface& dst, int dx, int dy, const PixelSurface& src, Colorref key);
// dst = (src x alpha + dst x (255 - alpha)) / 255, rounded, for the whole of src at
// (dx, dy); alpha is clamped to 0..255.
void Blend(const PixelSurface& dst, int dx, int dy, const PixelSurface& src, int alpha);
// Blends the pixels of src that are not the key colour onto dst at (dx, dy): what a
// copy of src over dst with the key transparent, blended on with alpha, gives, without
// the copy (dst stays exactly as it was under the key colour).
void BlendKeyed(const PixelSurface& dst, int dx, int dy, const PixelSurface& src, Colorref key, int alpha);
// Resamples src into dst's whole size: area averaging along a dimension that
// shrinks, linear interpolation along one that grows, in fixed point.
void Stretch(const PixelSurface& dst, const PixelSurface& src);
// The pixel's colour.
Colorref At(const PixelSurface& s, int x, int y);

} // namespace SurfaceOps
