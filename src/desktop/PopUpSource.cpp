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

std::vector<PopupItem> CPopUpSource::Items(int& focused) {
    std::lock_guard<std::mutex> lock(m_guard);
    focused = m_focus.Focused();
    return m_focus.Items();
}

bool CPopUpSource::MoveFocus(bool forward) {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_focus.Move(forward);
}

bool CPopUpSource::SetFocus(int index) {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_focus.Set(index);
}

bool CPopUpSource::ActivateFocused() {
    Rect r;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        const int i = m_focus.Focused();
        if (i < 0) return false;
        r = m_focus.Items()[static_cast<size_t>(i)].rect;
    }
    // As a click in the middle of the item: the mapper's hit test finds the same region.
    LeftButtonDown((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
}

int CPopUpSource::AddChangeListener(std::function<void()> changed) {
    std::lock_guard<std::mutex> lock(m_guard);
    const int id = m_nextListener++;
    m_listeners.emplace(id, std::move(changed));
    if (m_opening > 0) --m_opening;
    return id;
}

void CPopUpSource::Opening() {
    std::lock_guard<std::mutex> lock(m_guard);
    ++m_opening;
}

void CPopUpSource::OpeningFailed() {
    std::lock_guard<std::mutex> lock(m_guard);
    if (m_opening > 0) --m_opening;
}

bool CPopUpSource::Shown() {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_opening > 0 || !m_listeners.empty();
}

void CPopUpSource::RemoveChangeListener(int id) {
    std::lock_guard<std::mutex> lock(m_guard);
    m_listeners.erase(id);
}

void CPopUpSource::PictureChanged(const CRegionList& popupRegions) {
    std::lock_guard<std::mutex> lock(m_guard);
    m_focus.SetRegions(popupRegions);
    for (auto& [id, changed] : m_listeners) changed();
}

void CPopUpSource::ResetFocus() {
    std::lock_guard<std::mutex> lock(m_guard);
    m_focus.Reset();
}

void CPopUpSource::Place(const Rect& window) {
    std::lock_guard<std::mutex> lock(m_guard);
    m_placement = window;
}

Rect CPopUpSource::Placement() {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_placement;
}
