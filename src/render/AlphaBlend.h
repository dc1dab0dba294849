#pragma once
// Constant-alpha blending of one surface onto another. The blend is done on the
// pixel buffers (the same pixels on both builds), so it is never missing; the opaque
// copy remains for a blender told that blending is unavailable.
#include "MemDC.h"

class CAlphaBlend {
public:
    explicit CAlphaBlend(bool available = true) : m_missing(!available) {}
    bool IsMissing() const { return m_missing; }
    // Blends src's (sx, sy, sw, sh) onto target's (x, y, width, height) with alpha
    // clamped to 0..255 (255: src covers the target). Sizes must agree; true on success.
    bool Draw(CMemDC& target, int x, int y, int width, int height, CMemDC& src, int sx, int sy, int sw, int sh,
              int alpha);

    // The whole of src onto target at (x, y), its key-coloured pixels left out.
    void DrawKeyed(CMemDC& target, int x, int y, CMemDC& src, Colorref key, int alpha);

private:
    bool m_missing;
};
