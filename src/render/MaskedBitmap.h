#pragma once
// A picture that is drawn onto surfaces: as it is, stretched, or with one colour
// left out (its key colour shows what lies below).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "../platform/CanvasPort.h"
#include "../util/PixelSurface.h"

class CMemDC;

class CMaskedBitmap {
public:
    CMaskedBitmap() = default;
    // From packed RGB rows (3 bytes a pixel, red first, top down); empty on a size
    // that does not match the bytes.
    static CMaskedBitmap FromRgb(std::span<const std::uint8_t> rgb, int width, int height);
    // From the pixels of a surface.
    static CMaskedBitmap FromSurface(const PixelSurface& surface);
    // The pictures delivered with the program (empty when missing or unreadable), at
    // scale per cent: the picture drawn at the nearest scale delivered, fitted to the
    // exact size (pixel by pixel, so a key colour stays exact) only when that is not
    // the scale asked for. A picture missing at its scale is taken at 100 % and fitted.
    static CMaskedBitmap FromBmpFile(std::span<const std::uint8_t> bmp);
    static CMaskedBitmap LoadBitmap(int id, int scale = 100);
    static CMaskedBitmap LoadIcon(int id, int scale = 100);
    static CMaskedBitmap LoadLibraryIcon(const std::string& library, int index, int scale = 100);
    // The picture brought to width x height, each pixel taken from the nearest one.
    CMaskedBitmap Fitted(int width, int height) const;

    bool IsEmpty() const { return m_width == 0 || m_height == 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    PixelSurface Pixels() const;

    void Draw(CMemDC& target, int x, int y) const;
    void DrawStretched(CMemDC& target, int x, int y, int width, int height) const;
    void DrawTransparent(CMemDC& target, int x, int y, Colorref key) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_pixels; // blue, green, red, unused
};
