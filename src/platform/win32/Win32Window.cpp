#include "Win32Window.h"

#include <exception>

#include "Win32Log.h"

bool CWin32Window::CreateWin(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                             HWND parent) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &CWin32Window::WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = className;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    // The handle is also stored at WM_NCCREATE, so messages sent during creation
    // already reach the object.
    HWND hwnd = CreateWindowExW(exStyle, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, parent, nullptr, inst, this);
    if (!hwnd) return false;
    if (m_hwnd.Get() != hwnd) m_hwnd.Reset(hwnd);
    return true;
}

LRESULT CALLBACK CWin32Window::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
        auto* created = static_cast<CWin32Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        if (created) created->m_hwnd.Reset(hwnd);
    }
    auto* self = reinterpret_cast<CWin32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        // The window is gone: the owner must not destroy it a second time.
        if (self && self->m_hwnd.Get() == hwnd) self->m_hwnd.Release();
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (self) {
        try {
            LRESULT result = 0;
            if (self->HandleMessage(msg, wp, lp, result)) return result;
        } catch (const std::exception& e) {
            LogCaught("window procedure", e.what());
            return 0;
        } catch (...) {
            LogCaught("window procedure", "unknown exception");
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
