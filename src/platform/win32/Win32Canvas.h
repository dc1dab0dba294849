#pragma once
// Canvases for Windows: a memory DC (CreateCompatibleDC(nullptr)) with a 32-bit
// top-down DIB section selected into it. The DIB's bits are the surface's pixels,
// so GDI and the portable code over PixelSurface work on the same buffer.
//
// Implements: fonts (CreateFontIndirectW, positive lfHeight = cell height, grey
//   antialiasing), text (ExtTextOutW), extents (GetTextExtentPoint32W), fit counts
//   (GetTextExtentExPointW, mapped back to whole UTF-8 characters), solid 1-pixel
//   lines (MoveToEx/LineTo, end point excluded).
// The fourth byte of a pixel is unused: it is 0 in a new surface, and GDI writes 0
//   there wherever it draws text or lines (seen under Wine; Windows documents
//   nothing), so code reading the buffer ignores it.
// Does not implement: blits, blending, stretching (portable code over the buffer).
#include <windows.h>

#include <optional>

#include "../CanvasPort.h"
#include "ScopedWin.h"

// Again for files that had the interface before <windows.h>: the port never calls
// USER's DrawText, so the name is the canvas's method wherever this header is.
#ifdef DrawText
#undef DrawText
#endif

class CWin32Canvas : public ICanvas {
public:
    // Null when the size is refused or GDI cannot make the DC or the DIB section.
    static std::unique_ptr<CWin32Canvas> Create(int width, int height);

    PixelSurface Pixels() override;
    void Flush() override;
    void MarkDirty() override;

    void SetFont(const FontSpec& font) override;
    void SetTextColor(Colorref color) override;
    void SetBackground(bool opaque, Colorref color) override;
    void DrawText(int x, int y, const std::string& text) override;
    TextSize MeasureText(const std::string& text) override;
    size_t FitText(const std::string& text, int width) override;
    void DrawLine(int x0, int y0, int x1, int y1, Colorref color) override;

    // The memory DC, for code of this port (and its tests) that calls GDI itself.
    HDC Dc() const { return m_dc.Get(); }

private:
    CWin32Canvas() = default;

    // Declared in the order of making; members go in reverse, so the DIB section is
    // selected out before it is deleted, and the DC goes last.
    ScopedMemoryDc m_dc;
    ScopedGdiObject m_bitmap;
    std::optional<SelectRestorer> m_bitmapSelection;
    ScopedGdiObject m_font;
    std::optional<SelectRestorer> m_fontSelection;
    std::uint8_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

class CWin32CanvasFactory : public ICanvasFactory {
public:
    std::unique_ptr<ICanvas> CreateSurface(int width, int height) override;
};
