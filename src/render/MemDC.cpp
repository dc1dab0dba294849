#include "MemDC.h"

#include "SurfaceOps.h"

CMemDC::CMemDC(ICanvasFactory* factory, int width, int height, Colorref fill)
    : m_factory(factory), m_width(width), m_height(height) {
    if (factory) m_canvas = factory->CreateSurface(width, height);
    if (m_canvas) FillRect(0, 0, width, height, fill);
}

CMemDC::~CMemDC() = default;

PixelSurface CMemDC::Pixels() {
    if (!m_canvas) return PixelSurface{};
    m_canvas->Flush();
    return m_canvas->Pixels();
}

void CMemDC::EndPixelWork() {
    if (m_canvas) m_canvas->MarkDirty();
}

void CMemDC::FillRect(int x, int y, int width, int height, Colorref color) {
    SurfaceOps::Fill(Pixels(), Rect::FromSize(x, y, width, height), color);
    EndPixelWork();
}

void CMemDC::DrawSurface(int x, int y, CMemDC& source) {
    if (!m_canvas || !source.IsValid()) return;
    SurfaceOps::Copy(Pixels(), x, y, source.Pixels(), 0, 0, source.Width(), source.Height());
    EndPixelWork();
}
