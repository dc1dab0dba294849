#include "Win32Desktop.h"

#include <shellapi.h>

#include "../HookMessages.h"
#include "Win32IconTest.h"
#include "Win32PopUp.h"
#include "Win32ToolTip.h"
#include "Utf.h"

CWin32DesktopPort::CWin32DesktopPort() : m_mainThread(GetCurrentThreadId()) {}

CWin32DesktopPort::~CWin32DesktopPort() = default;

bool CWin32DesktopPort::LoadLibraryOnce() {
    if (!m_triedLoad) {
        m_triedLoad = true;
        // Beside the program first (the loader's search order starts there).
        m_library = LoadLibraryW(Widen(HookMessages::kLibrary).c_str());
        if (m_library) {
            m_set = reinterpret_cast<BOOL (*)(HWND)>(reinterpret_cast<void*>(GetProcAddress(m_library, "setMyHook")));
            m_clear =
                reinterpret_cast<BOOL (*)(HWND)>(reinterpret_cast<void*>(GetProcAddress(m_library, "clearMyHook")));
            m_extra =
                reinterpret_cast<BOOL (*)(int)>(reinterpret_cast<void*>(GetProcAddress(m_library, "SetExtraEvent")));
        }
    }
    return m_set && m_clear && m_extra;
}

bool CWin32DesktopPort::SetHook(Handle window) {
    if (!LoadLibraryOnce()) return false;
    if (m_set(reinterpret_cast<HWND>(window))) return true;
    GetLastError(); // fetched and dropped: the flag says it all
    return false;
}

bool CWin32DesktopPort::ClearHook(Handle window) {
    // Without the library no hook can be set: it is off.
    if (!LoadLibraryOnce()) return true;
    return m_clear(reinterpret_cast<HWND>(window)) != FALSE;
}

void CWin32DesktopPort::SetExtraEvent(int flag) {
    if (m_extra) m_extra(flag);
}

IDesktopPort::Handle CWin32DesktopPort::FindShellWebView() {
    HWND progman = FindWindowW(L"ProgMan", L"Program Manager");
    HWND view = progman ? FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    HWND web = view ? FindWindowExW(view, nullptr, L"Internet Explorer_Server", nullptr) : nullptr;
    return reinterpret_cast<Handle>(web);
}

bool CWin32DesktopPort::IsIconAt(Handle listView, int x, int y) {
    return IconTest::IsIconAt(reinterpret_cast<HWND>(listView), x, y);
}

TooltipMetrics CWin32DesktopPort::GetTooltipMetrics() {
    TooltipMetrics m;
    if (GetSystemMetrics(SM_CMONITORS) > 0) {
        m.screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
        m.screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
        m.screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        m.screenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    } else {
        m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
        m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    }
    m.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    m.frameHeight = GetSystemMetrics(SM_CYSIZEFRAME);
    m.cursorHeight = GetSystemMetrics(SM_CYCURSOR);
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    if (SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) {
        m.taskbarKnown = true;
        m.taskbarTop = bar.rc.top;
    }
    return m;
}

namespace {
// A 100 x 100 memory surface with the icon-title font selected.
struct MeasuringDc {
    MeasuringDc() : dc(CreateCompatibleDC(nullptr)), bitmap(CreateCompatibleBitmap(dc.Get(), 100, 100)),
                    font(CreateIconTitleFont()), keepBitmap(dc.Get(), bitmap.Get()), keepFont(dc.Get(), font.Get()) {}
    ScopedMemoryDc dc;
    ScopedGdiObject bitmap;
    ScopedGdiObject font;
    SelectRestorer keepBitmap;
    SelectRestorer keepFont;
};
} // namespace

std::vector<TextSize> CWin32DesktopPort::MeasureTooltipLines(const std::vector<std::string>& lines) {
    MeasuringDc m;
    std::vector<TextSize> out;
    for (const std::string& line : lines) {
        const std::wstring w = Widen(line);
        SIZE size{};
        GetTextExtentPoint32W(m.dc.Get(), w.c_str(), static_cast<int>(w.size()), &size);
        out.push_back({size.cx, size.cy});
    }
    return out;
}

int CWin32DesktopPort::WrappedTooltipHeight(const std::string& text, int width) {
    MeasuringDc m;
    const std::wstring w = Widen(text);
    RECT r{0, 0, width, 0};
    return DrawTextW(m.dc.Get(), w.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK);
}

bool CWin32DesktopPort::ShowTooltipWindow(const std::string& text, const Rect& window, const Rect& region,
                                          std::function<void()> dismissed) {
    m_retired.reset();
    m_tooltip.reset();
    LoadLibraryOnce(); // SetExtraEvent reaches the library from now on
    auto tooltip = std::make_unique<CToolTipWnd>(Widen(text), std::move(dismissed));
    if (!tooltip->Create(window, region)) return false;
    m_tooltip = std::move(tooltip);
    return true;
}

void CWin32DesktopPort::DestroyTooltipWindow() {
    if (!m_tooltip) return;
    // This may run inside the tooltip's own window procedure: the window goes now,
    // the object later.
    m_tooltip->DestroyNow();
    m_retired = std::move(m_tooltip);
}

HWND CWin32DesktopPort::TooltipWindow() const { return m_tooltip ? m_tooltip->Hwnd() : nullptr; }

bool CWin32DesktopPort::OpenPopup(IPopupSource& source, const Rect& window) {
    return CPopUpThread::Start(source, window, m_mainThread);
}
