#pragma once
// CToolTipWnd: the window of the desktop tooltip (the portable CToolTip
// measures through this port, places it and decides when it goes). A popup without
// caption or frame, owned by an invisible window (no taskbar button), topmost, never
// activated, clipped to the text box; painted in the system's tooltip colours with a
// one-pixel black border and the icon-title font. It dismisses itself after 10
// seconds, on a click or key in it, and when it loses the focus.
#include <windows.h>

#include <functional>
#include <string>

#include "../DesktopPort.h"
#include "Win32Window.h"

// A hidden window that owns a tooltip or a pop-up, so it gets no taskbar button.
ScopedWindow MakeInvisibleOwner();

// The desktop icons' font (SPI_GETICONTITLELOGFONT); null when the system has none.
HFONT CreateIconTitleFont();

class CToolTipWnd : public CWin32Window {
public:
    static constexpr UINT_PTR kHideTimer = 101;
    static constexpr UINT kHidePeriod = 10000;
    static constexpr const wchar_t* kClass = L"OrvantaToolTip";

    // dismissed: called when the window hides itself (the owner then destroys it).
    CToolTipWnd(std::wstring text, std::function<void()> dismissed);
    ~CToolTipWnd() override;
    // Shows the window at the screen rectangle window, clipped to region.
    bool Create(const Rect& window, const Rect& region);

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Paint();
    void Dismiss();

    std::wstring m_text;
    std::function<void()> m_dismissed;
    ScopedGdiObject m_font;
    ScopedWindow m_owner;
};
