#pragma once
// CPopUpThread and CPopUpWnd: the pop-up data window in a user-interface
// thread of its own, its input attached to the main thread's. The window is owned by
// an invisible window (no taskbar button), topmost, where the program asks for it,
// and paints the program's pop-up picture. Mouse moves and presses go to the
// program's pop-up source (which posts them to the pop-up mapper). It closes after
// one click in it or when it loses the focus; any other close request (Alt+F4, the
// system menu) is ignored.
#include <windows.h>

#include "../DesktopPort.h"
#include "Win32Window.h"

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
    void Paint();
    void CloseSelf();

    IPopupSource& m_source;
    int m_x, m_y, m_width, m_height;
    bool m_closing = false; // set only when the window closes itself
    ScopedWindow m_owner;
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
