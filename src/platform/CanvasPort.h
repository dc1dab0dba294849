#pragma once
// Drawing surfaces. Every surface is one 32-bit pixel buffer (blue, green, red,
// unused; rows top down) that the port wraps without copying. Text and lines go
// through the canvas, which the system draws; fills, blits, the key-colour draw,
// blending and stretching are portable code over the buffer (src/render), so they
// give the same pixels on both builds.
//
// win32: a GDI memory DC over a DIB section; fonts by CreateFontIndirectW, text by
//   ExtTextOutW/GetTextExtentExPointW, lines by a solid pen.
// posix: a Cairo image surface over the same buffer; fonts through fontconfig.
#include <cstdint>
#include <memory>
#include <string>

#include "../util/PixelSurface.h"

// <windows.h> makes DrawText a macro for DrawTextW. Undone here for files that
// include it first (and in Win32Canvas.h for those that include it after), so the
// canvas's method has one name everywhere.
#ifdef DrawText
#undef DrawText
#endif

// A colour as Windows writes it: red in the low byte, then green, then blue.
using Colorref = std::uint32_t;
constexpr Colorref MakeColorref(int r, int g, int b) {
    return static_cast<Colorref>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// A logical font: face, height in pixels, weight (400 normal, 700 bold), strike-out.
// The height is the cell height (ascent plus descent), as a positive LOGFONT height
// asks for; a negative one would ask for the em size, which gives a taller cell.
struct FontSpec {
    std::string face = "Ms Sans Serif";
    int height = 12;
    int weight = 400;
    bool strikeOut = false;
};

struct TextSize {
    int width = 0;
    int height = 0;
};

// The largest surface a factory makes: 256 MB of pixels.
constexpr long long kMaxSurfaceBytes = 256LL << 20;

// Whether a surface of width x height, 4 bytes a pixel, may be made at all.
constexpr bool SurfaceSizeAllowed(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxSurfaceBytes / 4 &&
           width * height <= kMaxSurfaceBytes / 4;
}

// A new canvas draws with FontSpec{}, black text and a transparent background.
class ICanvas {
public:
    virtual ~ICanvas() = default;
    // The surface's pixels. Before reading or writing them directly, call Flush so
    // that text and lines drawn so far are in the buffer; after writing them, call
    // MarkDirty so that the system draws over the new pixels.
    virtual PixelSurface Pixels() = 0;
    virtual void Flush() = 0;
    virtual void MarkDirty() = 0;

    virtual void SetFont(const FontSpec& font) = 0;
    virtual void SetTextColor(Colorref color) = 0;
    // Text cells filled with the colour (opaque) or left as they are (transparent).
    virtual void SetBackground(bool opaque, Colorref color) = 0;
    // UTF-8 text with its cell's top-left corner at (x, y).
    virtual void DrawText(int x, int y, const std::string& text) = 0;
    virtual TextSize MeasureText(const std::string& text) = 0;
    // How many bytes of text, whole characters only, fit in width pixels.
    virtual size_t FitText(const std::string& text, int width) = 0;
    // A solid line one pixel wide from (x0, y0) up to, not including, (x1, y1).
    virtual void DrawLine(int x0, int y0, int x1, int y1, Colorref color) = 0;
};

class ICanvasFactory {
public:
    virtual ~ICanvasFactory() = default;
    // A canvas over a new surface of width x height, its pixels zero; null when it
    // cannot be made (no memory, a size of 0 or one too large).
    virtual std::unique_ptr<ICanvas> CreateSurface(int width, int height) = 0;
    // The surfaces of a composition are gone: memory they leave free in the process's
    // heap goes back to the system, so that a program at rest holds none of it.
    virtual void SurfacesReleased() {}
};
