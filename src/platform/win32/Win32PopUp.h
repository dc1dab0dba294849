#pragma once
// CPopUpThread and CPopUpWnd: the pop-up data window in a user-interface
// thread of its own, its input attached to the main thread's. The window is owned by
// an invisible window (no taskbar button), topmost, where the program asks for it,
// and paints the program's pop-up picture. Mouse moves and presses go to the
// program's pop-up source (which posts them to the pop-up mapper). It closes after
// one click in it or when it loses the focus to another window (one the user sees or
// another program's; the program's own hidden windows taking it are undone); any other
// close request (Alt+F4, the system menu) is ignored.
// The keyboard: Tab / Shift+Tab and the arrow keys move a focus frame (2 pixels in the
// system's highlight colour) through the items in reading order, Enter opens the
// focused item as a click does and closes, Esc closes. A screen reader gets the
// items through CPopupAccessible (WM_GETOBJECT) and a focus event at each move. A new
// picture composed while the window is open is painted at once, the focus kept on
// the same item: the window stays open through refreshes and recompositions, and
// moves to where the program places it then (a display change moves it to the middle
// of the panel's monitor).
#include <windows.h>

#include "../DesktopPort.h"
#include "Win32Window.h"

class CPopupAccessible;

class CPopUpWnd : public CWin32Window {
public:
    static constexpr const wchar_t* kClass = L"OrvantaPopUp";
    CPopUpWnd(IPopupSource& source, const Rect& window)
        : m_source(source), m_x(window.left), m_y(window.top), m_width(window.Width()), m_height(window.Height()) {}
    ~CPopUpWnd() override;
    bool Create();

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // Posted by the source's listener (main thread) and by the accessible object.
    static constexpr UINT kPictureChangedMsg = WM_APP + 1;
    static constexpr UINT kFocusMovedMsg = WM_APP + 2;
    static constexpr UINT kActivatedMsg = WM_APP + 3;
    static constexpr UINT kRefocusMsg = WM_APP + 4;
    static constexpr UINT_PTR kRepaintTimer = 1;

    // A window of this process that the user cannot see (the main window, an owner):
    // the activation going there is no choice of the user's.
    static bool HiddenWindowOfOurs(HWND other);

    void Paint();
    void CloseSelf();
    bool OnKey(WPARAM key);
    // Paints again and tells a screen reader where the focus is.
    void FocusMoved();
    // Paints again now and a few times over the next two seconds.
    void RepaintForAWhile();
    // To where the source says the window belongs now, when that is elsewhere.
    void MoveToPlacement();

    IPopupSource& m_source;
    int m_x, m_y, m_width, m_height;
    bool m_closing = false; // set only when the window closes itself
    ScopedWindow m_owner;
    int m_listener = 0;
    int m_repaintsLeft = 0;
    CPopupAccessible* m_accessible = nullptr; // made at the first WM_GETOBJECT
};

class CPopUpThread {
public:
    // Creates the thread suspended, then resumes it; false when it cannot be created.
    // The thread object deletes itself when its window has gone.
    static bool Start(IPopupSource& source, const Rect& window, DWORD mainThreadId);

private:
    CPopUpThread(IPopupSource& source, const Rect& window, DWORD mainThreadId)
        : m_source(source), m_window(window), m_mainThread(mainThreadId) {}
    static DWORD WINAPI Run(LPVOID self) noexcept;
    int InstanceAndLoop();

    IPopupSource& m_source;
    Rect m_window;
    DWORD m_mainThread;
};
