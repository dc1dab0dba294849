#include "Win32ToolTip.h"

ScopedWindow MakeInvisibleOwner() {
    // A hidden pop-up window of a system class, with border and system menu.
    return ScopedWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_BORDER | WS_SYSMENU, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
}

HFONT CreateIconTitleFont() {
    LOGFONTW lf{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0)) return nullptr;
    return CreateFontIndirectW(&lf);
}

CToolTipWnd::CToolTipWnd(std::wstring text, std::function<void()> dismissed)
    : m_text(std::move(text)), m_dismissed(std::move(dismissed)) {}

CToolTipWnd::~CToolTipWnd() {
    if (Hwnd()) {
        KillTimer(Hwnd(), kHideTimer);
        DestroyNow();
    }
}

bool CToolTipWnd::Create(const Rect& window, const Rect& region) {
    m_font.Reset(CreateIconTitleFont());
    m_owner = MakeInvisibleOwner();
    if (!m_font || !m_owner) return false;
    // No caption, no sizing frame, no activation, no taskbar button; the caption is
    // the text (for those who read windows rather than pixels).
    if (!CreateWin(kClass, m_text.c_str(), WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                   m_owner.Get()))
        return false;
    SetWindowRgn(Hwnd(), CreateRectRgn(region.left, region.top, region.right, region.bottom), FALSE);
    SetTimer(Hwnd(), kHideTimer, kHidePeriod, nullptr);
    SetWindowPos(Hwnd(), HWND_TOPMOST, window.left, window.top, window.Width(), window.Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return true;
}

void CToolTipWnd::Dismiss() {
    KillTimer(Hwnd(), kHideTimer);
    // The owner destroys this window (later, outside this window procedure).
    if (m_dismissed) {
        auto dismissed = m_dismissed;
        dismissed();
    }
}

bool CToolTipWnd::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_PAINT: Paint(); return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_MOUSEACTIVATE: result = MA_NOACTIVATE; return true;
    case WM_KILLFOCUS:
        DefWindowProcW(Hwnd(), msg, wp, 0);
        Dismiss();
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_CHAR:
    case WM_KEYDOWN: Dismiss(); return true;
    case WM_TIMER:
        if (wp != kHideTimer) return false;
        Dismiss();
        return true;
    default: return false;
    }
}

void CToolTipWnd::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Hwnd(), &ps);
    RECT rc;
    GetClientRect(Hwnd(), &rc);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, GetSysColor(COLOR_INFOBK));
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    {
        // The tooltip background outlined by a one-pixel black pen.
        ScopedGdiObject brush(CreateSolidBrush(GetSysColor(COLOR_INFOBK)));
        SelectRestorer keepBrush(dc, brush.Get());
        SelectRestorer keepPen(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
    }
    SelectRestorer keepFont(dc, m_font.Get());
    RECT text{rc.left + 5, rc.top + 2, rc.right - 5, rc.bottom - 2};
    DrawTextW(dc, m_text.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(Hwnd(), &ps);
}
