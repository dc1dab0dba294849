#include "PopUpSource.h"

#include "../render/Composer.h"
#include "DesktopMapper.h"

void CPopUpSource::PaintPicture(void (*paint)(const PixelSurface&, void*), void* context) {
    m_composer.ReadPopupPixels([&](const PixelSurface& pixels) { paint(pixels, context); });
}

void CPopUpSource::MouseMove(int screenLeft, int screenTop, int x, int y) {
    IWindow* w = m_mapper.Window();
    if (!w) return;
    w->Post(CDesktopMapper::kSetOffsetMsg, static_cast<uintptr_t>(static_cast<std::uint32_t>(screenLeft)),
            static_cast<intptr_t>(screenTop));
    w->Post(m_mapper.MoveMessage(), 0, static_cast<intptr_t>(PackPoint(x, y)));
}

void CPopUpSource::LeftButtonDown(int x, int y) {
    IWindow* w = m_mapper.Window();
    if (!w) return;
    const intptr_t point = static_cast<intptr_t>(PackPoint(x, y));
    // No window under the mouse (0): the icon test answers "no icon" at once.
    w->Post(m_mouseMode == 1 ? m_mapper.ClickMessage() : m_mapper.DoubleClickMessage(), 0, point);
    w->Post(m_mapper.OtherEventMessage(), 0, point);
}
