#include "Win32Tray.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "../WindowKit.h"
#include "ScopedWin.h"
#include "Utf.h"
#include "Win32Log.h"

struct CWin32TrayPort::Impl {
    NOTIFYICONDATAW data{};
    ScopedIcon extracted; // an icon taken from a library is ours to destroy
};

CWin32TrayPort::CWin32TrayPort() : m_impl(std::make_unique<Impl>()) {}

CWin32TrayPort::~CWin32TrayPort() = default;

void CWin32TrayPort::Prepare(IWindow& owner, unsigned callbackMsg, unsigned id, const std::string& tip,
                             int iconResource) {
    NOTIFYICONDATAW& d = m_impl->data;
    d = NOTIFYICONDATAW{};
    d.cbSize = sizeof d;
    d.hWnd = reinterpret_cast<HWND>(owner.Handle());
    d.uID = id;
    d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    d.uCallbackMessage = callbackMsg;
    std::wstring wide = Widen(tip);
    wcsncpy(d.szTip, wide.c_str(), 127);
    d.szTip[127] = L'\0';
    SetIconResource(iconResource, false);
}

bool CWin32TrayPort::Add() {
    m_impl->data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    return Shell_NotifyIconW(NIM_ADD, &m_impl->data) != FALSE;
}

bool CWin32TrayPort::SetIconResource(int iconResource, bool show) {
    // Icons of the program's resources and the system's own are shared: not destroyed.
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    if (!icon) icon = LoadIconW(nullptr, MAKEINTRESOURCEW(iconResource));
    if (!icon) return false;
    m_impl->data.hIcon = icon;
    m_picture = iconResource;
    bool ok = true;
    if (show) {
        m_impl->data.uFlags = NIF_ICON;
        ok = Shell_NotifyIconW(NIM_MODIFY, &m_impl->data) != FALSE;
    }
    m_impl->extracted.Reset(); // after the shell has the new one
    return ok;
}

bool CWin32TrayPort::SetIconFromLibrary(const std::string& library, int index, bool show) {
    HICON icon = ExtractIconW(GetModuleHandleW(nullptr), Widen(library).c_str(), static_cast<UINT>(index));
    // ExtractIcon answers 1 when the file is no icon library, null when it has no such icon.
    if (icon == nullptr || icon == reinterpret_cast<HICON>(1)) return false;
    ScopedIcon owned(icon);
    m_impl->data.hIcon = icon;
    m_picture = -1 - index;
    bool ok = true;
    if (show) {
        m_impl->data.uFlags = NIF_ICON;
        ok = Shell_NotifyIconW(NIM_MODIFY, &m_impl->data) != FALSE;
    }
    m_impl->extracted = std::move(owned);
    return ok;
}

void CWin32TrayPort::Remove() {
    m_impl->data.uFlags = 0;
    LogIfFalse(Shell_NotifyIconW(NIM_DELETE, &m_impl->data), "removing the tray icon");
}
