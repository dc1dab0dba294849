#pragma once
// The one window base class of the Windows port: the object is stored in the
// window's user data at WM_NCCREATE and every message goes to HandleMessage; an
// exception thrown there is caught at the window procedure and logged.
#include <windows.h>

#include "ScopedWin.h"

class CWin32Window {
public:
    CWin32Window() = default;
    virtual ~CWin32Window() = default;
    CWin32Window(const CWin32Window&) = delete;
    CWin32Window& operator=(const CWin32Window&) = delete;

    HWND Hwnd() const { return m_hwnd.Get(); }
    void DestroyNow() { m_hwnd.Reset(); }

protected:
    // Registers the class once (a class that exists already is fine) and creates the
    // window with this object as its owner.
    bool CreateWin(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle, HWND parent);
    // false: DefWindowProcW handles the message.
    virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    ScopedWindow m_hwnd;
};
