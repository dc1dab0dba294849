#pragma once
// What the interactive-desktop tests share: the pointer moved and clicked as a user
// would, by xdotool on the X display Wine draws the virtual desktop on (Wine starts
// a Unix program from CreateProcess), messages gathered while waiting, the screen read
// back.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// Runs xdotool with the arguments and waits for it; false when it could not start.
inline bool Xdotool(const std::wstring& args) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"xdotool " + args;
    if (!CreateProcessW(L"/usr/bin/xdotool", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// Moves the pointer and waits until the system sees it there.
inline bool MovePointer(int x, int y) {
    if (!Xdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y))) return false;
    for (int i = 0; i < 100; ++i) {
        POINT p{};
        GetCursorPos(&p);
        if (p.x == x && p.y == y) return true;
        Sleep(20);
    }
    return false;
}

struct Seen {
    HWND window;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

// Pumps this thread's messages for ms, returning those posted to window.
inline std::vector<Seen> Gather(HWND window, DWORD ms) {
    std::vector<Seen> seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window) seen.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return seen;
}

// Pumps until done says the messages seen so far are enough (at most maxMs), then
// settleMs more, so that a message too many is seen too. A busy machine delivers late.
inline std::vector<Seen> GatherUntil(HWND window, const std::function<bool(const std::vector<Seen>&)>& done,
                                     DWORD maxMs, DWORD settleMs) {
    std::vector<Seen> seen;
    const DWORD start = GetTickCount();
    while (!done(seen) && GetTickCount() - start < maxMs) {
        std::vector<Seen> more = Gather(window, 20);
        seen.insert(seen.end(), more.begin(), more.end());
    }
    std::vector<Seen> more = Gather(window, settleMs);
    seen.insert(seen.end(), more.begin(), more.end());
    return seen;
}

inline LPARAM PackPoint(int x, int y) {
    return static_cast<LPARAM>((static_cast<DWORD>(y & 0xFFFF) << 16) | static_cast<DWORD>(x & 0xFFFF));
}

// The screen's pixels in a rectangle, 0x00RRGGBB, rows top down.
inline std::vector<uint32_t> ScreenPixels(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<uint32_t> px(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0));
    if (px.empty()) return px;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::memcpy(px.data(), bits, px.size() * 4);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    for (auto& p : px) p &= 0xFFFFFF;
    return px;
}

inline uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
