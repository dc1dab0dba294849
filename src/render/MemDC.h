#pragma once
// An off-screen surface of the drawing: a canvas from the canvas factory it is given
// over one 32-bit buffer, filled with a colour when it is made.
#include <memory>

#include "../platform/CanvasPort.h"
#include "../util/PixelSurface.h"

class CMemDC {
public:
    // A surface of width x height filled with fill; IsValid() is false when there is no
    // factory or it could not make one.
    CMemDC(ICanvasFactory* factory, int width, int height, Colorref fill);
    virtual ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    bool IsValid() const { return m_canvas != nullptr; }
    // Where this surface came from, for the surfaces drawn into it.
    ICanvasFactory* Factory() const { return m_factory; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    ICanvas& Canvas() { return *m_canvas; }
    // The pixels, with everything drawn through the canvas so far in them. After
    // writing to them, call EndPixelWork so that the canvas draws over the new pixels.
    PixelSurface Pixels();
    void EndPixelWork();

    void FillRect(int x, int y, int width, int height, Colorref color);
    // Copies the whole of source to (x, y), cut to this surface.
    void DrawSurface(int x, int y, CMemDC& source);

private:
    ICanvasFactory* m_factory;
    int m_width;
    int m_height;
    std::unique_ptr<ICanvas> m_canvas;
};
