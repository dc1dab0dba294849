#pragma once
// CToolTip: the one desktop tooltip of the program. It measures the text,
// places the window with TooltipLayout (below the pointer, inside the virtual screen,
// above a taskbar below the pointer) and has the desktop port show it; it keeps a
// tooltip of the same key, hides (and tells the hook library) on request or when the
// window dismisses itself. Main thread only.
#include <cstdint>
#include <string>

#include "TooltipLayout.h"

class CToolTip {
public:
    CToolTip() = default;
    ~CToolTip();
    CToolTip(const CToolTip&) = delete;
    CToolTip& operator=(const CToolTip&) = delete;

    // Shows the text near the screen point with the key. While a tooltip of the same
    // key is up it stays as it is (true); another is hidden first. False when nothing
    // could be shown (no desktop port, or the window could not be made).
    // The owner (the mapper whose region it is) is remembered for Owner().
    bool ShowTooltipText(const std::string& text, int screenX, int screenY, std::int64_t key,
                         const void* owner = nullptr);
    // SetExtraEvent(0), the shown flag cleared, the window destroyed.
    void Hide();

    bool Shown() const { return m_shown; }
    std::int64_t Key() const { return m_key; }
    const void* Owner() const { return m_owner; }
    const std::string& Text() const { return m_text; }
    // Where the last tooltip was placed.
    const Rect& Placement() const { return m_rect; }

private:
    bool m_shown = false;
    std::int64_t m_key = 0;
    const void* m_owner = nullptr;
    std::string m_text;
    Rect m_rect;
};
