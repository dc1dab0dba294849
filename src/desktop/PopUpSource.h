#pragma once
// What the pop-up data window does with its picture and its mouse, apart
// from the window itself: painting reads the composer's pop-up picture under its
// guard; a move stores the window's corner as the pop-up mapper's tooltip offset and
// forwards the move; a press forwards the click (or the double click, so that the
// mapper's mode test accepts it in either mode) and an other-event that hides the
// tooltip. Everything reaches the mapper by posted messages, so the main thread
// handles it. The keyboard focus and the items a screen reader is told of are kept
// here too (CPopupFocus), under a guard of their own: the main thread hands over each
// new picture's regions, the pop-up's thread moves the focus and reads them.
#include <atomic>
#include <map>
#include <mutex>

#include "../platform/DesktopPort.h"
#include "PopupFocus.h"

class CComposer;
class CDesktopMapper;

class CPopUpSource : public IPopupSource {
public:
    CPopUpSource(const CComposer& composer, CDesktopMapper& popupMapper)
        : m_composer(composer), m_mapper(popupMapper) {}

    // "Desktop Mouse Mode" as it is when a pop-up opens (read on the main thread).
    void SetMouseMode(int mode) { m_mouseMode = mode; }

    void PaintPicture(void (*paint)(const PixelSurface& picture, void* context), void* context) override;
    void MouseMove(int screenLeft, int screenTop, int x, int y) override;
    void LeftButtonDown(int x, int y) override;
    std::vector<PopupItem> Items(int& focused) override;
    bool MoveFocus(bool forward) override;
    bool SetFocus(int index) override;
    bool ActivateFocused() override;
    int AddChangeListener(std::function<void()> changed) override;
    void RemoveChangeListener(int id) override;

    // Main thread: the pop-up picture was drawn anew with these regions; every open
    // pop-up is told. The focus stays on the same item where it can.
    void PictureChanged(const CRegionList& popupRegions);
    // Main thread, as a pop-up opens: the focus goes to its start.
    void ResetFocus();
    // Main thread: a pop-up is on its way (its window registers with this source from
    // its own thread a little later), or failed to open after all.
    void Opening();
    void OpeningFailed();
    // Whether a pop-up shows the picture, or is about to.
    bool Shown();
    // Main thread: where a pop-up belongs (as it opens, and at each new picture, which
    // a display change brings); open pop-ups move there when next told of a change.
    void Place(const Rect& window);
    Rect Placement() override;

    // x in bits 0-15, y in bits 16-31, as the hook's messages carry a point.
    static std::int64_t PackPoint(int x, int y) {
        return static_cast<std::int64_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                         static_cast<std::uint32_t>(x & 0xFFFF));
    }

private:
    const CComposer& m_composer;
    CDesktopMapper& m_mapper;
    std::atomic<int> m_mouseMode{1};
    std::mutex m_guard; // over the focus and the listeners
    CPopupFocus m_focus;
    Rect m_placement;
    std::map<int, std::function<void()>> m_listeners;
    int m_nextListener = 1;
    int m_opening = 0; // pop-ups asked for whose windows have not registered yet
};
