#include "Win32Dialogs.h"

#include <windows.h>

#include <exception>

#include "Utf.h"
#include "Win32Log.h"
#include "Win32PropertySheet.h"

namespace {

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
        } catch (const std::exception& e) {
            LogCaught("dialog initialisation", e.what());
        } catch (...) {
            LogCaught("dialog initialisation", "unknown exception");
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

} // namespace

int CWin32DialogPort::ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), flags | MB_SETFOREGROUND);
}

int CWin32DialogPort::RunDialog(const DialogDesc& dialog, const std::function<void(IDialogControls&)>& onInit) {
    DialogContext ctx{&onInit};
    return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialog.templateId),
                                            nullptr, DialogProc, reinterpret_cast<LPARAM>(&ctx)));
}

int CWin32DialogPort::RunPropertySheet(const PropertySheetDesc& sheet, IPropertySheetEvents& events) {
    return CWin32PropertySheet(sheet, events).Run();
}
