#include "Win32Canvas.h"

#include <algorithm>
#include <vector>

#include "../../util/Utf8.h"

namespace {

// UTF-16 text for the wide GDI calls, with the UTF-8 offset of every unit: the
// second unit of a surrogate pair carries the offset of its character, so a count
// of units that ends inside a pair maps back to the character's start.
struct WideText {
    std::wstring units;
    std::vector<size_t> byteOffset; // one per unit, and the whole length at the end
};

WideText ToWide(const std::string& text) {
    WideText w;
    w.units.reserve(text.size());
    w.byteOffset.reserve(text.size() + 1);
    for (size_t i = 0; i < text.size();) {
        const Utf8Char c = Utf8CharAt(text, i);
        if (c.code >= 0x10000) {
            const char32_t v = c.code - 0x10000;
            w.units.push_back(static_cast<wchar_t>(0xD800 + (v >> 10)));
            w.units.push_back(static_cast<wchar_t>(0xDC00 + (v & 0x3FF)));
            w.byteOffset.push_back(i);
            w.byteOffset.push_back(i);
        } else {
            w.units.push_back(static_cast<wchar_t>(c.code));
            w.byteOffset.push_back(i);
        }
        i += c.length;
    }
    w.byteOffset.push_back(text.size());
    return w;
}

} // namespace

std::unique_ptr<CWin32Canvas> CWin32Canvas::Create(int width, int height) {
    if (!SurfaceSizeAllowed(width, height)) return nullptr;
    std::unique_ptr<CWin32Canvas> canvas(new CWin32Canvas());
    canvas->m_dc.Reset(CreateCompatibleDC(nullptr));
    if (!canvas->m_dc) return nullptr;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top down, like PixelSurface
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB; // blue, green, red, unused
    void* bits = nullptr;
    canvas->m_bitmap.Reset(CreateDIBSection(canvas->m_dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!canvas->m_bitmap || !bits) return nullptr;
    canvas->m_bitmapSelection.emplace(canvas->m_dc.Get(), canvas->m_bitmap.Get());
    canvas->m_bits = static_cast<std::uint8_t*>(bits);
    canvas->m_width = width;
    canvas->m_height = height;

    canvas->SetFont(FontSpec{});
    canvas->SetTextColor(MakeColorref(0, 0, 0));
    canvas->SetBackground(false, MakeColorref(255, 255, 255));
    return canvas;
}

PixelSurface CWin32Canvas::Pixels() { return PixelSurface{m_bits, m_width, m_height, m_width * 4}; }

void CWin32Canvas::Flush() { GdiFlush(); }

// GDI reads the DIB section's memory as it is whenever it draws: nothing to tell it.
void CWin32Canvas::MarkDirty() {}

void CWin32Canvas::SetFont(const FontSpec& font) {
    LOGFONTW lf{};
    lf.lfHeight = std::max(font.height, 1); // positive: the cell height, ascent plus descent
    lf.lfWeight = font.weight;
    lf.lfStrikeOut = font.strikeOut ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    // Grey antialiasing: legible at 10 to 16 pixels, and the same on any display.
    // ClearType would put coloured fringes that depend on the screen's sub-pixel
    // order into a picture that is later scaled and blended as plain pixels.
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    const std::wstring face = ToWide(font.face).units;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);

    ScopedGdiObject made(CreateFontIndirectW(&lf));
    if (!made) return; // the font in use stays
    m_fontSelection.reset(); // the DC's own font back in before the old one is deleted
    m_font = std::move(made);
    m_fontSelection.emplace(m_dc.Get(), m_font.Get());
}

void CWin32Canvas::SetTextColor(Colorref color) { ::SetTextColor(m_dc.Get(), color); }

void CWin32Canvas::SetBackground(bool opaque, Colorref color) {
    SetBkMode(m_dc.Get(), opaque ? OPAQUE : TRANSPARENT);
    SetBkColor(m_dc.Get(), color);
}

void CWin32Canvas::DrawText(int x, int y, const std::string& text) {
    if (text.empty()) return;
    const WideText w = ToWide(text);
    ExtTextOutW(m_dc.Get(), x, y, 0, nullptr, w.units.c_str(), static_cast<UINT>(w.units.size()), nullptr);
}

TextSize CWin32Canvas::MeasureText(const std::string& text) {
    const WideText w = ToWide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(m_dc.Get(), w.units.c_str(), static_cast<int>(w.units.size()), &size)) {
        return {};
    }
    if (w.units.empty()) {
        // The height of a line even when it holds nothing.
        TEXTMETRICW tm{};
        GetTextMetricsW(m_dc.Get(), &tm);
        size.cy = tm.tmHeight;
    }
    return {size.cx, size.cy};
}

size_t CWin32Canvas::FitText(const std::string& text, int width) {
    if (text.empty() || width <= 0) return 0;
    const WideText w = ToWide(text);
    INT fit = 0;
    SIZE size{};
    if (!GetTextExtentExPointW(m_dc.Get(), w.units.c_str(), static_cast<int>(w.units.size()), width, &fit,
                               nullptr, &size)) {
        return 0;
    }
    if (fit < 0) return 0;
    if (static_cast<size_t>(fit) > w.units.size()) fit = static_cast<INT>(w.units.size());
    return w.byteOffset[static_cast<size_t>(fit)];
}

void CWin32Canvas::DrawLine(int x0, int y0, int x1, int y1, Colorref color) {
    ScopedGdiObject pen(CreatePen(PS_SOLID, 1, color));
    if (!pen) return;
    SelectRestorer selected(m_dc.Get(), pen.Get());
    MoveToEx(m_dc.Get(), x0, y0, nullptr);
    LineTo(m_dc.Get(), x1, y1); // stops short of (x1, y1)
}

std::unique_ptr<ICanvas> CWin32CanvasFactory::CreateSurface(int width, int height) {
    return CWin32Canvas::Create(width, height);
}
