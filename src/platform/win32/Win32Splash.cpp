#include "Win32Splash.h"

#include <windows.h>

#include <exception>
#include <vector>

#include "ScopedWin.h"
#include "Utf.h"
#include "Win32Log.h"
#include "Win32Window.h"

namespace {

using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
constexpr DWORD kLoadFlags = LR_CREATEDIBSECTION | LR_DEFAULTSIZE;
constexpr int kTextRight = 390;
constexpr int kTextTop = 287;

struct ThreadStart {
    SplashSpec desc;
    std::shared_ptr<ISplashEvents> events;
    DWORD startingThread = 0;
};

class OwnerWindow : public CWin32Window {
public:
    bool Create() { return CreateWin(CWin32SplashPort::kOwnerClass, L"", WS_POPUP, 0, nullptr); }

protected:
    bool HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

class SplashWindow : public CWin32Window, public ISplashWindow {
public:
    SplashWindow(const SplashSpec& desc, ISplashEvents& events) : m_spec(desc), m_events(events) {}
    // The splash goes before its owner, picture and palette do.
    ~SplashWindow() override { DestroyNow(); }

    bool Create() {
        HINSTANCE inst = GetModuleHandleW(nullptr);
        HANDLE image = m_spec.fromFile
                           ? LoadImageW(nullptr, Widen(m_spec.pictureFile).c_str(), IMAGE_BITMAP, 0, 0,
                                        kLoadFlags | LR_LOADFROMFILE)
                           : LoadImageW(inst, MAKEINTRESOURCEW(m_spec.pictureId), IMAGE_BITMAP, 0, 0, kLoadFlags);
        m_picture.Reset(image);
        DIBSECTION dib{};
        if (!m_picture || GetObjectW(m_picture.Get(), sizeof dib, &dib) != sizeof dib) return false;
        m_width = dib.dsBm.bmWidth;
        m_height = dib.dsBm.bmHeight;
        if (!m_owner.Create()) return false;
        // Owned by an invisible window, so the splash has no taskbar button.
        if (!CreateWin(CWin32SplashPort::kSplashClass, Widen(m_spec.caption).c_str(), WS_POPUP, WS_EX_TOPMOST,
                       m_owner.Hwnd()))
            return false;
        SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, m_width, m_height, SWP_NOACTIVATE);
        MakePalette(dib.dsBm.bmBitsPixel);
        m_setLayered = reinterpret_cast<SetLayeredFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"USER32.DLL"), "SetLayeredWindowAttributes")));
        m_events.OnCreate(*this);
        // Shown without taking the activation from the program the user is in.
        ShowWindow(Hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(Hwnd());
        return true;
    }

    // ISplashWindow
    void SetTimer(unsigned id, unsigned periodMs) override { ::SetTimer(Hwnd(), id, periodMs, nullptr); }
    void KillTimer(unsigned id) override { ::KillTimer(Hwnd(), id); }
    void Centre() override {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (GetMonitorInfoW(MonitorFromWindow(Hwnd(), MONITOR_DEFAULTTOPRIMARY), &mi)) area = mi.rcWork;
        const int x = area.left + (area.right - area.left - m_width) / 2;
        const int y = area.top + (area.bottom - area.top - m_height) / 2;
        SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void ToggleLayered() override {
        const LONG ex = GetWindowLongW(Hwnd(), GWL_EXSTYLE);
        SetWindowLongW(Hwnd(), GWL_EXSTYLE, ex ^ WS_EX_LAYERED);
    }
    bool CanFade() const override { return m_setLayered != nullptr; }
    void SetAlpha(int alpha) override {
        if (m_setLayered) m_setLayered(Hwnd(), 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    }
    // Posted: the close request is answered after the timer's handler returned.
    void RequestClose() override { PostMessageW(Hwnd(), WM_CLOSE, 0, 0); }

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        result = 0;
        switch (msg) {
        case WM_PAINT: Paint(); return true;
        case WM_TIMER: m_events.OnTimer(*this, static_cast<unsigned>(wp)); return true;
        case WM_LBUTTONDOWN: m_events.OnLButtonDown(*this); return true;
        case WM_CLOSE:
            // Only the splash's own close ends it (not Alt+F4 while it is shown).
            if (m_events.OnCloseRequest()) DestroyNow();
            return true;
        case WM_DESTROY: PostQuitMessage(0); return true;
        case WM_QUERYNEWPALETTE: result = RealizeOwnPalette() ? TRUE : FALSE; return true;
        case WM_PALETTECHANGED:
            if (reinterpret_cast<HWND>(wp) != Hwnd()) RealizeOwnPalette();
            return true;
        default: return false;
        }
    }

private:
    // A palette of the picture's own colours (or a halftone one for deeper pictures),
    // so that it shows true on a display with a palette.
    void MakePalette(int bitsPerPixel) {
        BorrowedDc screen(nullptr);
        if (bitsPerPixel > 8) {
            m_palette.Reset(CreateHalftonePalette(screen.Get()));
            return;
        }
        ScopedMemoryDc mem(CreateCompatibleDC(screen.Get()));
        SelectRestorer select(mem.Get(), m_picture.Get());
        RGBQUAD table[256] = {};
        const UINT used = GetDIBColorTable(mem.Get(), 0, 256, table);
        std::vector<BYTE> storage(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY), 0);
        auto* pal = reinterpret_cast<LOGPALETTE*>(storage.data());
        pal->palVersion = 0x300;
        pal->palNumEntries = 256;
        for (UINT i = 0; i < 256 && i < used; ++i)
            pal->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
        m_palette.Reset(CreatePalette(pal));
        RealizeOwnPalette();
    }
    bool RealizeOwnPalette() {
        if (!m_palette) return false;
        BorrowedDc dc(Hwnd());
        HPALETTE old = SelectPalette(dc.Get(), static_cast<HPALETTE>(m_palette.Get()), FALSE);
        const UINT changed = RealizePalette(dc.Get());
        SelectPalette(dc.Get(), old, FALSE);
        if (changed != 0 && changed != GDI_ERROR) InvalidateRect(Hwnd(), nullptr, FALSE);
        return changed != 0 && changed != GDI_ERROR;
    }
    void Paint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Hwnd(), &ps);
        HPALETTE oldPalette = nullptr;
        if (m_palette) {
            oldPalette = SelectPalette(dc, static_cast<HPALETTE>(m_palette.Get()), FALSE);
            RealizePalette(dc);
        }
        {
            ScopedMemoryDc mem(CreateCompatibleDC(dc));
            SelectRestorer select(mem.Get(), m_picture.Get());
            BitBlt(dc, 0, 0, m_width, m_height, mem.Get(), 0, 0, SRCCOPY);
        }
        // 8 points: the version must be readable.
        ScopedGdiObject font(CreateFontW(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE,
                                         FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                         DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"));
        {
            SelectRestorer select(dc, font.Get());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 255, 255));
            SetTextAlign(dc, TA_RIGHT | TA_TOP);
            const std::wstring text = Widen(m_spec.versionText);
            TextOutW(dc, kTextRight, kTextTop, text.c_str(), static_cast<int>(text.size()));
        }
        if (oldPalette) SelectPalette(dc, oldPalette, FALSE);
        EndPaint(Hwnd(), &ps);
    }

    SplashSpec m_spec;
    ISplashEvents& m_events;
    OwnerWindow m_owner;
    ScopedGdiObject m_picture;
    ScopedGdiObject m_palette;
    int m_width = 0;
    int m_height = 0;
    SetLayeredFn m_setLayered = nullptr;
};

DWORD WINAPI SplashThreadProc(LPVOID param) noexcept {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
    const DWORD self = GetCurrentThreadId();
    // Focus and activation stay consistent between the splash and the main thread.
    const bool attached = start->startingThread != self &&
                          AttachThreadInput(self, start->startingThread, TRUE);
    try {
        SplashWindow window(start->desc, *start->events);
        if (window.Create()) {
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    } catch (const std::exception& e) {
        LogCaught("splash thread", e.what());
    } catch (...) {
        LogCaught("splash thread", "unknown exception");
    }
    if (attached) AttachThreadInput(self, start->startingThread, FALSE);
    return 0;
}

} // namespace

bool CWin32SplashPort::Start(const SplashSpec& desc, std::shared_ptr<ISplashEvents> events) {
    auto start = std::make_unique<ThreadStart>();
    start->desc = desc;
    start->events = std::move(events);
    start->startingThread = GetCurrentThreadId();
    DWORD id = 0;
    ScopedKernelHandle thread(CreateThread(nullptr, 0, SplashThreadProc, start.get(), CREATE_SUSPENDED, &id));
    if (!thread) return false;
    start.release(); // the thread owns it now
    SetThreadPriority(thread.Get(), THREAD_PRIORITY_NORMAL);
    ResumeThread(thread.Get());
    return true;
}
