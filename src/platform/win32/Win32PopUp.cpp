#include "Win32PopUp.h"

#include <windowsx.h>

#include <exception>
#include <memory>

#include "Win32Log.h"
#include "Win32PopupAccessible.h"
#include "Win32ToolTip.h"

CPopUpWnd::~CPopUpWnd() {
    if (m_listener) m_source.RemoveChangeListener(m_listener);
    if (Hwnd()) DestroyNow();
    if (m_accessible) {
        m_accessible->Disconnect();
        m_accessible->Release();
    }
}

bool CPopUpWnd::Create() {
    m_owner = MakeInvisibleOwner();
    if (!m_owner) return false;
    // Pop-up, border, system menu (so Alt+F4 reaches it and is refused); shown once
    // placed.
    if (!CreateWin(kClass, L"", WS_POPUP | WS_BORDER | WS_SYSMENU, 0, m_owner.Get())) return false;
    // Where the program asked (the middle of the panel's monitor), above every window
    // that is not topmost itself.
    const int x = m_x, y = m_y;
    SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE) | WS_EX_TOPMOST);
    // The extended style alone does not move a window into the topmost band.
    LogIfFalse(SetWindowPos(Hwnd(), HWND_TOPMOST, x, y, m_width, m_height, SWP_SHOWWINDOW), "placing the pop-up");
    // A new picture while the window is open: painted again from this thread.
    HWND self = Hwnd();
    m_listener = m_source.AddChangeListener([self] { PostMessageW(self, kPictureChangedMsg, 0, 0); });
    // Refused when another program has the foreground lock: not a failure of ours.
    SetForegroundWindow(Hwnd());
    SetFocus(Hwnd());
    FocusMoved();
    return true;
}

void CPopUpWnd::MoveToPlacement() {
    const Rect to = m_source.Placement();
    if (to.IsEmpty() || (to.left == m_x && to.top == m_y && to.Width() == m_width && to.Height() == m_height)) return;
    m_x = to.left;
    m_y = to.top;
    m_width = to.Width();
    m_height = to.Height();
    LogIfFalse(SetWindowPos(Hwnd(), nullptr, m_x, m_y, m_width, m_height, SWP_NOZORDER | SWP_NOACTIVATE),
               "moving the pop-up");
}

bool CPopUpWnd::HiddenWindowOfOurs(HWND other) {
    if (!other || IsWindowVisible(other)) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(other, &pid);
    return pid == GetCurrentProcessId();
}

void CPopUpWnd::RepaintForAWhile() {
    // Wine's desktop paints a new wallpaper over the windows in front of it, from its own
    // process and some time after the wallpaper was set, without telling them: the
    // pop-up, open and in front, would seem gone. So it paints itself again a few times
    // over the next two seconds; on Windows that is a few repaints of an unchanged window.
    m_repaintsLeft = 5;
    SetTimer(Hwnd(), kRepaintTimer, 400, nullptr);
}

void CPopUpWnd::FocusMoved() {
    InvalidateRect(Hwnd(), nullptr, FALSE);
    int focused = -1;
    m_source.Items(focused);
    if (focused >= 0) NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, focused + 1);
}

bool CPopUpWnd::OnKey(WPARAM key) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (key) {
    case VK_TAB:
        if (m_source.MoveFocus(!shift)) FocusMoved();
        return true;
    case VK_RIGHT:
    case VK_DOWN:
        if (m_source.MoveFocus(true)) FocusMoved();
        return true;
    case VK_LEFT:
    case VK_UP:
        if (m_source.MoveFocus(false)) FocusMoved();
        return true;
    case VK_RETURN:
        // As a click on the item: it opens and the window goes.
        if (m_source.ActivateFocused()) CloseSelf();
        return true;
    case VK_ESCAPE: CloseSelf(); return true;
    default: return false;
    }
}

void CPopUpWnd::CloseSelf() {
    m_closing = true;
    LogIfFalse(PostMessageW(Hwnd(), WM_CLOSE, 0, 0), "closing the pop-up");
}

bool CPopUpWnd::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_PAINT: Paint(); return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_MOUSEMOVE: {
        // The client area's screen corner turns the picture's points into screen
        // points for the tooltips.
        POINT corner{0, 0};
        ClientToScreen(Hwnd(), &corner);
        m_source.MouseMove(corner.x, corner.y, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return false;
    }
    case WM_LBUTTONDOWN:
        m_source.LeftButtonDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        CloseSelf();
        return true;
    case WM_KILLFOCUS:
        if (m_closing) return false;
        if (HiddenWindowOfOurs(reinterpret_cast<HWND>(wp))) PostMessageW(Hwnd(), kRefocusMsg, 0, 0);
        else CloseSelf();
        return false;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE || m_closing) return false;
        if (HiddenWindowOfOurs(reinterpret_cast<HWND>(lp))) PostMessageW(Hwnd(), kRefocusMsg, 0, 0);
        else CloseSelf();
        return false;
    case kRefocusMsg:
        // The program's own hidden window took the activation (the tray's double click
        // brings the main window forward just before the pop-up opens, and the system
        // may carry that out late): no other window was chosen, so the pop-up stays.
        if (!m_closing && GetForegroundWindow() != Hwnd()) SetForegroundWindow(Hwnd());
        if (!m_closing) SetFocus(Hwnd());
        return true;
    case WM_KEYDOWN: return OnKey(wp);
    case WM_GETDLGCODE: result = DLGC_WANTALLKEYS; return true;
    case kPictureChangedMsg:
        // A display change brings a new picture: the window goes where it now belongs.
        MoveToPlacement();
        // A new picture is followed by a new wallpaper: see WM_SETTINGCHANGE.
        FocusMoved();
        RepaintForAWhile();
        return true;
    case kFocusMovedMsg: FocusMoved(); return true;
    case WM_SETTINGCHANGE:
        if (wp == SPI_SETDESKWALLPAPER) RepaintForAWhile();
        return false;
    case WM_TIMER:
        if (wp != kRepaintTimer) return false;
        RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
        if (--m_repaintsLeft <= 0) KillTimer(Hwnd(), kRepaintTimer);
        return true;
    case kActivatedMsg: CloseSelf(); return true;
    case WM_GETOBJECT:
        if (static_cast<LONG>(lp) != static_cast<LONG>(OBJID_CLIENT)) return false;
        if (!m_accessible)
            m_accessible = new CPopupAccessible(
                m_source, Hwnd(), [](HWND w) { PostMessageW(w, kFocusMovedMsg, 0, 0); },
                [](HWND w) { PostMessageW(w, kActivatedMsg, 0, 0); });
        result = LresultFromObject(IID_IAccessible, wp, static_cast<IAccessible*>(m_accessible));
        return true;
    case WM_CLOSE:
        // Only the window's own close request is honoured.
        if (m_closing) DestroyNow();
        return true;
    case WM_DESTROY: PostQuitMessage(0); return false;
    default: return false;
    }
}

void CPopUpWnd::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Hwnd(), &ps);
    struct Context {
        HDC dc;
        int width, height;
        bool painted;
    } ctx{dc, m_width, m_height, false};
    m_source.PaintPicture(
        [](const PixelSurface& p, void* c) {
            auto* ctx = static_cast<Context*>(c);
            BITMAPINFO bi{};
            bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            bi.bmiHeader.biWidth = p.stride / 4;
            bi.bmiHeader.biHeight = -p.height;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            bi.bmiHeader.biCompression = BI_RGB;
            const int w = p.width < ctx->width ? p.width : ctx->width;
            const int h = p.height < ctx->height ? p.height : ctx->height;
            // The top-left width x height of the picture at the client's (0, 0).
            StretchDIBits(ctx->dc, 0, 0, w, h, 0, 0, w, h, p.pixels, &bi, DIB_RGB_COLORS, SRCCOPY);
            ctx->painted = true;
        },
        &ctx);
    if (!ctx.painted) FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_WINDOW));
    // The focus frame: two pixels in the highlight colour just inside the item.
    int focused = -1;
    const std::vector<PopupItem> items = m_source.Items(focused);
    if (focused >= 0) {
        const Rect& f = items[static_cast<size_t>(focused)].rect;
        HBRUSH brush = GetSysColorBrush(COLOR_HIGHLIGHT);
        for (int i = 0; i < 2; ++i) {
            RECT r{f.left + i, f.top + i, f.right - i, f.bottom - i};
            FrameRect(dc, &r, brush);
        }
    }
    EndPaint(Hwnd(), &ps);
}

bool CPopUpThread::Start(IPopupSource& source, const Rect& window, DWORD mainThreadId) {
    auto thread = std::unique_ptr<CPopUpThread>(new CPopUpThread(source, window, mainThreadId));
    HANDLE h = CreateThread(nullptr, 0, &CPopUpThread::Run, thread.get(), CREATE_SUSPENDED, nullptr);
    if (!h) return false;
    thread.release(); // the thread deletes it
    LogIfFalse(SetThreadPriority(h, THREAD_PRIORITY_NORMAL), "the pop-up thread's priority");
    LogIfFalse(ResumeThread(h) != static_cast<DWORD>(-1), "starting the pop-up thread");
    LogIfFalse(CloseHandle(h), "CloseHandle");
    return true;
}

DWORD WINAPI CPopUpThread::Run(LPVOID p) noexcept {
    std::unique_ptr<CPopUpThread> self(static_cast<CPopUpThread*>(p));
    try {
        return static_cast<DWORD>(self->InstanceAndLoop());
    } catch (const std::exception& e) {
        LogCaught("pop-up thread", e.what());
    } catch (...) {
        LogCaught("pop-up thread", "unknown exception");
    }
    return 1;
}

int CPopUpThread::InstanceAndLoop() {
    // Focus and activation behave as within one thread.
    AttachThreadInput(GetCurrentThreadId(), m_mainThread, TRUE);
    // A screen reader's calls arrive through COM in this thread's apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int rc = 1;
    {
        CPopUpWnd window(m_source, m_window);
        if (window.Create()) {
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            rc = 0;
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    AttachThreadInput(GetCurrentThreadId(), m_mainThread, FALSE);
    return rc;
}
