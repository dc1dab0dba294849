#include "Win32WindowKit.h"

#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "ScopedWin.h"
#include "Utf.h"
#include "Win32Log.h"

namespace {

class Win32MainWindow : public IMainWindow {
public:
    explicit Win32MainWindow(std::function<void()> onClose) : m_onClose(std::move(onClose)) {}
    bool Create(const std::string& caption) {
        HINSTANCE inst = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Win32MainWindow::WndProc;
        wc.hInstance = inst;
        wc.lpszClassName = CWin32WindowKit::kMainWindowClass;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
        HWND hwnd = CreateWindowExW(0, CWin32WindowKit::kMainWindowClass, Widen(caption).c_str(),
                                    WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, nullptr, nullptr, inst, this);
        m_hwnd.Reset(hwnd);
        return hwnd != nullptr;
    }
    void SetCaption(const std::string& caption) override {
        SetWindowTextW(m_hwnd.Get(), Widen(caption).c_str());
    }
    std::string Caption() const override {
        wchar_t buf[256] = {};
        int n = GetWindowTextW(m_hwnd.Get(), buf, 256);
        return Narrow(buf, static_cast<size_t>(n > 0 ? n : 0));
    }
    void Update() override { UpdateWindow(m_hwnd.Get()); }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (msg) {
        case WM_CLOSE:
            if (self) {
                self->NotifyClose();
                self->m_hwnd.Reset(); // destroys the window
            } else {
                DestroyWindow(hwnd);
            }
            return 0;
        case WM_ENDSESSION:
            if (wp && self) {
                self->NotifyClose();
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    void NotifyClose() noexcept {
        try {
            if (m_onClose) m_onClose();
        } catch (const std::exception& e) {
            LogCaught("main window close", e.what());
        } catch (...) {
            LogCaught("main window close", "unknown exception");
        }
    }

    ScopedWindow m_hwnd;
    std::function<void()> m_onClose;
};

} // namespace

void CWin32WindowKit::InitCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

std::unique_ptr<IMainWindow> CWin32WindowKit::CreateMainWindow(const std::string& caption,
                                                               std::function<void()> onClose) {
    auto window = std::make_unique<Win32MainWindow>(std::move(onClose));
    if (!window->Create(caption)) return nullptr;
    return window;
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
