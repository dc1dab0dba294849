#include "Win32WindowKit.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "ScopedWin.h"
#include "Utf.h"
#include "Win32Window.h"

namespace {

class Win32KitWindow : public CWin32Window, public IWindow {
public:
    Win32KitWindow(IWindowEvents& events, bool main) : m_events(events), m_main(main) {}
    ~Win32KitWindow() override { DestroyNow(); }

    bool Create(const std::string& caption) {
        // Top-level (not message-only), so the shell's broadcasts ("TaskbarCreated",
        // WM_SETTINGCHANGE, WM_ENDSESSION) reach it; never shown.
        return CreateWin(m_main ? CWin32WindowKit::kMainWindowClass : CWin32WindowKit::kWindowClass,
                         Widen(caption).c_str(), WS_OVERLAPPEDWINDOW | WS_MINIMIZE,
                         0, nullptr);
    }
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(Hwnd()); }
    void SetCaption(const std::string& caption) override { SetWindowTextW(Hwnd(), Widen(caption).c_str()); }
    std::string Caption() const override {
        wchar_t buf[256] = {};
        int n = GetWindowTextW(Hwnd(), buf, 256);
        return Narrow(buf, static_cast<size_t>(n > 0 ? n : 0));
    }
    bool SetTimer(unsigned id, unsigned periodMs) override {
        return Hwnd() && ::SetTimer(Hwnd(), id, periodMs, nullptr) != 0;
    }
    void KillTimer(unsigned id) override {
        if (Hwnd()) ::KillTimer(Hwnd(), id);
    }
    bool Post(unsigned msg, uintptr_t wp, intptr_t lp) override {
        return Hwnd() && PostMessageW(Hwnd(), msg, wp, lp);
    }
    intptr_t Send(unsigned msg, uintptr_t wp, intptr_t lp) override {
        return Hwnd() ? SendMessageW(Hwnd(), msg, wp, lp) : 0;
    }
    intptr_t SendText(unsigned msg, const std::string& text) override {
        if (!Hwnd()) return 0;
        // The text's address travels as wParam, and is read back only while it is
        // listed here: a message of the same number with any other wParam (posted by
        // another process, say) carries no text.
        const auto sending = std::make_pair(msg, reinterpret_cast<WPARAM>(text.c_str()));
        {
            std::lock_guard<std::mutex> hold(m_textLock);
            m_texts.push_back(sending);
        }
        const LRESULT r = SendMessageW(Hwnd(), msg, sending.second, 0);
        std::lock_guard<std::mutex> hold(m_textLock);
        m_texts.erase(std::find(m_texts.begin(), m_texts.end(), sending));
        return r;
    }
    void Destroy() override { DestroyNow(); }
    void SetForeground() override { SetForegroundWindow(Hwnd()); }

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_DESTROY && m_main) PostQuitMessage(0);
        intptr_t r = 0;
        if (DeliverWindowMessage(m_events, msg, wp, lp, r, TextOf(msg, wp))) {
            result = r;
            return true;
        }
        // A close that the owner did not take ends the window (and the loop).
        if (msg == WM_CLOSE) {
            DestroyNow();
            result = 0;
            return true;
        }
        return false;
    }

private:
    std::optional<std::string_view> TextOf(UINT msg, WPARAM wp) {
        if (msg < Msg::User || wp == 0) return std::nullopt;
        std::lock_guard<std::mutex> hold(m_textLock);
        if (std::find(m_texts.begin(), m_texts.end(), std::make_pair(static_cast<unsigned>(msg), wp)) ==
            m_texts.end())
            return std::nullopt;
        return std::string_view(reinterpret_cast<const char*>(wp));
    }

    IWindowEvents& m_events;
    bool m_main;
    // The texts SendText is sending now (from any thread), by message and address.
    std::mutex m_textLock;
    std::vector<std::pair<unsigned, WPARAM>> m_texts;
};

} // namespace

void CWin32WindowKit::InitCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

std::unique_ptr<IWindow> CWin32WindowKit::MakeWindow(const WindowDesc& desc, IWindowEvents& events) {
    auto window = std::make_unique<Win32KitWindow>(events, desc.main);
    if (!window->Create(desc.caption)) return nullptr;
    return window;
}

unsigned CWin32WindowKit::RegisterMessage(const std::string& name) {
    return RegisterWindowMessageW(Widen(name).c_str());
}

bool CWin32WindowKit::TrackMenu(const MenuRequest& request, IWindow& owner) {
    ScopedMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(request.menuId)));
    if (!menu) return false;
    HMENU sub = GetSubMenu(menu.Get(), request.submenu);
    if (!sub) return false;
    SetMenuDefaultItem(sub, request.defaultItem, request.defaultByPosition ? TRUE : FALSE);
    for (unsigned id : request.checked) CheckMenuItem(sub, id, MF_BYCOMMAND | MF_CHECKED);
    POINT pt{};
    GetCursorPos(&pt);
    HWND hwnd = reinterpret_cast<HWND>(owner.Handle());
    // Without the owner in the foreground the menu stays open when the user clicks
    // elsewhere; the empty message afterwards lets it close properly the next time.
    SetForegroundWindow(hwnd);
    BOOL ok = TrackPopupMenuEx(sub, TPM_LEFTALIGN | TPM_LEFTBUTTON, pt.x, pt.y, hwnd, nullptr);
    PostMessageW(hwnd, WM_NULL, 0, 0);
    return ok != FALSE;
}

unsigned CWin32WindowKit::MenuItemId(int menuId, int submenu, int position) {
    ScopedMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId)));
    if (!menu) return 0;
    HMENU sub = GetSubMenu(menu.Get(), submenu);
    if (!sub) return 0;
    UINT id = GetMenuItemID(sub, position);
    return id == static_cast<UINT>(-1) ? 0 : id;
}

int CWin32WindowKit::RunMessageLoop() {
    MSG msg;
    BOOL rc;
    while ((rc = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (rc == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
