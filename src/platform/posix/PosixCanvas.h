#pragma once
// Canvases for Linux: a buffer of the canvas's own, wrapped by a Cairo image surface
// in CAIRO_FORMAT_RGB24 (32-bit words 0x00RRGGBB in native order, which on a
// little-endian machine are the bytes blue, green, red, unused of PixelSurface).
//
// Implements: fonts through fontconfig ("Ms Sans Serif" and "Verdana" are drawn
//   with DejaVu Sans; other faces go to fontconfig as named), sized so that ascent
//   plus descent is the asked height, grey antialiasing, slight hinting and metrics
//   hinted to whole pixels; text and extents by Cairo's text functions (no kerning,
//   so a prefix is never wider than the text it starts); fit counts over whole UTF-8
//   characters; strike-out from the font's own position and thickness; solid
//   1-pixel lines on whole pixels, end point excluded, as GDI's LineTo draws them.
// Bytes that are not valid UTF-8 are drawn and measured as U+FFFD, one per byte.
// The fourth byte of a pixel is unused: it is 0 in a new surface, and Cairo (pixman)
//   writes 0xFF there wherever it draws, so code reading the buffer ignores it.
// Does not implement: blits, blending, stretching (portable code over the buffer);
//   kerning and complex-script shaping. Characters the font has no glyph for are
//   drawn with the first installed font that has them (fontconfig's order).
#include <cairo.h>

#include <cstdlib>

#include "../CanvasPort.h"

class CPosixCanvas : public ICanvas {
public:
    // Null when the size is refused, the buffer cannot be had or Cairo refuses it.
    static std::unique_ptr<CPosixCanvas> Create(int width, int height);

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

    // The Cairo context, for code of this port (and its tests) that calls Cairo itself.
    cairo_t* Context() const { return m_cr.get(); }
    // The family name of the font file the current font is drawn with.
    std::string FontFamily() const;

private:
    CPosixCanvas() = default;
    double LayOut(const std::string& text, double x, double baseline, bool draw);

    // A buffer from the heap, or (a large one) mapped on its own; see Create.
    struct FreeBuffer {
        FreeBuffer() : mappedBytes(0) {}
        explicit FreeBuffer(size_t mapped) : mappedBytes(mapped) {}
        void operator()(std::uint8_t* p) const;
        size_t mappedBytes; // 0: from the heap
    };
    struct DestroySurface {
        void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
    };
    struct DestroyContext {
        void operator()(cairo_t* c) const { cairo_destroy(c); }
    };

    // The buffer outlives the surface over it, and the surface the context.
    std::unique_ptr<std::uint8_t, FreeBuffer> m_buffer;
    std::unique_ptr<cairo_surface_t, DestroySurface> m_surface;
    std::unique_ptr<cairo_t, DestroyContext> m_cr;
    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;

    Colorref m_textColor = 0;
    bool m_opaque = false;
    Colorref m_background = 0;
    // Of the current font, in whole pixels: ascent and descent; the strike-out
    // line's top below the cell's top, and its thickness (0: no strike-out).
    cairo_font_face_t* m_face = nullptr; // the font cache's
    int m_weight = 400;
    int m_ascent = 0;
    int m_descent = 0;
    int m_strikeTop = 0;
    int m_strikeThickness = 0;
};

class CPosixCanvasFactory : public ICanvasFactory {
public:
    std::unique_ptr<ICanvas> CreateSurface(int width, int height) override;
    void SurfacesReleased() override;
};
