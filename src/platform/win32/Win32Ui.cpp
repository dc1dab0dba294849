#include "Win32Ui.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>

#include "ScopedWin.h"
#include "Utf.h"

namespace {

// Calls into another program's COM server (Outlook) are retried quietly for a while
// instead of showing the system's "server busy" dialogs.
class QuietMessageFilter : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IMessageFilter) {
            *ppv = static_cast<IMessageFilter*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // static lifetime
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD) override {
        return elapsedMs < kGiveUpMs ? kRetryMs : static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }

private:
    static constexpr DWORD kRetryMs = 100;
    static constexpr DWORD kGiveUpMs = 30000;
};

QuietMessageFilter g_filter;

class DialogControls : public IDialogControls {
public:
    explicit DialogControls(HWND dlg) : m_dlg(dlg) {}
    std::string GetItemText(int id) override {
        HWND item = GetDlgItem(m_dlg, id);
        if (!item) return std::string();
        int n = GetWindowTextLengthW(item);
        std::wstring w(static_cast<size_t>(n) + 1, L'\0');
        n = GetWindowTextW(item, w.data(), n + 1);
        w.resize(static_cast<size_t>(n > 0 ? n : 0));
        return Narrow(w);
    }
    void SetItemText(int id, const std::string& text) override {
        SetDlgItemTextW(m_dlg, id, Widen(text).c_str());
    }

private:
    HWND m_dlg;
};

struct DialogContext {
    const std::function<void(IDialogControls&)>* onInit;
};

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* ctx = reinterpret_cast<DialogContext*>(lp);
        try {
            if (ctx && ctx->onInit && *ctx->onInit) {
                DialogControls controls(dlg);
                (*ctx->onInit)(controls);
            }
        } catch (...) {
        }
        SetForegroundWindow(dlg);
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wp);
        // Every push button of these small dialogs closes them (OK, Cancel, Close).
        if (HIWORD(wp) == BN_CLICKED) {
            EndDialog(dlg, id);
            return TRUE;
        }
        break;
    }
    case WM_CLOSE:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

class Win32MainWindow : public IMainWindow {
public:
    explicit Win32MainWindow(std::function<void()> onClose) : m_onClose(std::move(onClose)) {}
    bool Create(const std::string& caption) {
        HINSTANCE inst = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Win32MainWindow::WndProc;
        wc.hInstance = inst;
        wc.lpszClassName = CWin32UiPort::kMainWindowClass;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
        HWND hwnd = CreateWindowExW(0, CWin32UiPort::kMainWindowClass, Widen(caption).c_str(),
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
                try {
                    if (self->m_onClose) self->m_onClose();
                } catch (...) {
                }
                self->m_hwnd.Reset(); // destroys the window
            } else {
                DestroyWindow(hwnd);
            }
            return 0;
        case WM_ENDSESSION:
            if (wp && self) {
                try {
                    if (self->m_onClose) self->m_onClose();
                } catch (...) {
                }
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

    ScopedWindow m_hwnd;
    std::function<void()> m_onClose;
};

} // namespace

void CWin32UiPort::InitCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

bool CWin32UiPort::InitOle() {
    if (FAILED(OleInitialize(nullptr))) return false;
    IMessageFilter* previous = nullptr;
    CoRegisterMessageFilter(&g_filter, &previous);
    if (previous) previous->Release();
    return true;
}

void CWin32UiPort::UninitOle() {
    IMessageFilter* previous = nullptr;
    CoRegisterMessageFilter(nullptr, &previous);
    if (previous) previous->Release();
    OleUninitialize();
}

int CWin32UiPort::ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), flags | MB_SETFOREGROUND);
}

int CWin32UiPort::RunDialog(int templateId, const std::function<void(IDialogControls&)>& onInit) {
    DialogContext ctx{&onInit};
    return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                            nullptr, DialogProc, reinterpret_cast<LPARAM>(&ctx)));
}

std::unique_ptr<IMainWindow> CWin32UiPort::CreateMainWindow(const std::string& caption,
                                                            std::function<void()> onClose) {
    auto window = std::make_unique<Win32MainWindow>(std::move(onClose));
    if (!window->Create(caption)) return nullptr;
    return window;
}

int CWin32UiPort::RunMessageLoop() {
    MSG msg;
    BOOL rc;
    while ((rc = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (rc == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
