#include "Win32PropertySheet.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <commdlg.h>

#include <exception>

#include "../DialogPort.h"
#include "Utf.h"
#include "Win32DialogLayout.h"
#include "Win32Log.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
// Posted at creation: centres a sheet that was already visible when subclassed.
constexpr UINT kCentreMsg = WM_APP + 41;

// Where a window of the size stands centred on the work area of the monitor the
// pointer is on (the user just used the tray there), else of the taskbar's monitor.
POINT CentredOnPointerMonitor(int width, int height) {
    POINT pointer{};
    HMONITOR monitor = GetCursorPos(&pointer) ? MonitorFromPoint(pointer, MONITOR_DEFAULTTONULL) : nullptr;
    if (!monitor) monitor = MonitorFromWindow(FindWindowW(L"Shell_TrayWnd", nullptr), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (monitor && GetMonitorInfoW(monitor, &info)) area = info.rcWork;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    // A sheet larger than the area keeps its title bar on it.
    return POINT{x > area.left ? x : area.left, y > area.top ? y : area.top};
}

template <typename F>
void Guarded(const char* where, F&& f) noexcept {
    try {
        f();
    } catch (const std::exception& e) {
        LogCaught(where, e.what());
    } catch (...) {
        LogCaught(where, "unknown exception");
    }
}

class PageControls : public IPageControls {
public:
    explicit PageControls(HWND page) : m_page(page) {}

    std::string Text(int id) override {
        HWND item = GetDlgItem(m_page, id);
        if (!item) return std::string();
        int n = GetWindowTextLengthW(item);
        std::wstring w(static_cast<size_t>(n) + 1, L'\0');
        n = GetWindowTextW(item, w.data(), n + 1);
        w.resize(static_cast<size_t>(n > 0 ? n : 0));
        return Narrow(w);
    }
    void SetText(int id, const std::string& text) override { SetDlgItemTextW(m_page, id, Widen(text).c_str()); }
    bool Checked(int id) override { return IsDlgButtonChecked(m_page, id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) override {
        CheckDlgButton(m_page, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void SetChoices(int id, const std::vector<std::string>& entries) override {
        const bool list = IsListBox(id);
        SendDlgItemMessageW(m_page, id, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
        for (const std::string& e : entries)
            SendDlgItemMessageW(m_page, id, list ? LB_ADDSTRING : CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(Widen(e).c_str()));
    }
    int Selection(int id) override {
        const bool list = IsListBox(id);
        const LRESULT i = SendDlgItemMessageW(m_page, id, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
        return i == (list ? LB_ERR : CB_ERR) ? -1 : static_cast<int>(i);
    }
    void Select(int id, int index) override {
        SendDlgItemMessageW(m_page, id, IsListBox(id) ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    void SetListColumns(int id, const std::vector<int>& stops) override {
        // The list box counts the first column's start as implied: it takes the others.
        std::vector<INT> tabs;
        for (size_t i = 1; i < stops.size(); ++i) tabs.push_back(stops[i]);
        SendDlgItemMessageW(m_page, id, LB_SETTABSTOPS, static_cast<WPARAM>(tabs.size()),
                            reinterpret_cast<LPARAM>(tabs.data()));
    }
    void Enable(int id, bool enabled) override {
        if (HWND item = GetDlgItem(m_page, id)) EnableWindow(item, enabled ? TRUE : FALSE);
    }
    void SetSpinRange(int spinId, int min, int max) override {
        SendDlgItemMessageW(m_page, spinId, UDM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
    }
    void SetSliderRange(int id, int min, int max, int pageSize, int tickFrequency) override {
        SendDlgItemMessageW(m_page, id, TBM_SETRANGEMIN, FALSE, min);
        SendDlgItemMessageW(m_page, id, TBM_SETRANGEMAX, TRUE, max);
        SendDlgItemMessageW(m_page, id, TBM_SETPAGESIZE, 0, pageSize);
        SendDlgItemMessageW(m_page, id, TBM_SETTICFREQ, static_cast<WPARAM>(tickFrequency), 0);
    }
    int SliderPosition(int id) override {
        return static_cast<int>(SendDlgItemMessageW(m_page, id, TBM_GETPOS, 0, 0));
    }
    void SetSliderPosition(int id, int position) override {
        SendDlgItemMessageW(m_page, id, TBM_SETPOS, TRUE, position);
    }
    void FocusEdit(int id) override {
        HWND item = GetDlgItem(m_page, id);
        if (!item) return;
        // The dialog's own way of moving the focus, so its default button follows.
        SendMessageW(m_page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
        SendMessageW(item, EM_SETSEL, 0, -1);
    }
    void FocusControl(int id) override {
        if (HWND item = GetDlgItem(m_page, id)) SendMessageW(m_page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    }
    std::string PickFile(const std::string& title, const std::string& filterName, const std::string& patterns) override {
        // "name\0patterns\0All files\0*.*\0\0", as the dialog reads its filter.
        std::wstring filter = Widen(filterName + " (" + patterns + ")");
        filter.push_back(L'\0');
        filter += Widen(patterns);
        filter.push_back(L'\0');
        filter += L"All files (*.*)";
        filter.push_back(L'\0');
        filter += L"*.*";
        filter.push_back(L'\0');
        std::wstring file(32768, L'\0'); // long paths included
        const std::wstring caption = Widen(title);
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = GetParent(m_page);
        ofn.lpstrFilter = filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrTitle = caption.c_str();
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_DONTADDTORECENT;
        if (!GetOpenFileNameW(&ofn)) {
            // Cancelled gives no error; anything else is worth a line in the log.
            LogIfError(static_cast<long>(CommDlgExtendedError()), "choosing a calendar file");
            return std::string();
        }
        return Narrow(file.c_str());
    }
    void SetModified(bool modified) override {
        HWND sheet = GetParent(m_page);
        SendMessageW(sheet, modified ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_page), 0);
    }
    int ShowMessage(const std::string& text, const std::string& caption, unsigned flags) override {
        return MessageBoxW(GetParent(m_page), Widen(text).c_str(), Widen(caption).c_str(), flags);
    }

private:
    bool IsListBox(int id) const {
        wchar_t cls[16] = {};
        GetClassNameW(GetDlgItem(m_page, id), cls, 16);
        return lstrcmpiW(cls, L"ListBox") == 0;
    }

    HWND m_page;
};

class SheetWindow : public IPropertySheetWindow {
public:
    explicit SheetWindow(HWND sheet) : m_sheet(sheet) {}
    void SetCaption(const std::string& caption) override { SetWindowTextW(m_sheet, Widen(caption).c_str()); }

private:
    HWND m_sheet;
};

} // namespace

struct CWin32PropertySheet::Impl {
    struct Page {
        Impl* sheet = nullptr;
        PropertyPageDesc desc;
        HWND hwnd = nullptr;
    };

    Impl(const PropertySheetDesc& s, IPropertySheetEvents& e) : desc(s), events(e) {
        pages.resize(desc.pages.size());
        for (size_t i = 0; i < pages.size(); ++i) pages[i] = Page{this, desc.pages[i], nullptr};
    }

    static INT_PTR CALLBACK PageProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    static int CALLBACK SheetCallback(HWND sheet, UINT msg, LPARAM lp) noexcept;
    static LRESULT CALLBACK SheetSubclass(HWND sheet, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                          DWORD_PTR data) noexcept;

    // The first page whose dialog exists hears PSN_APPLY first: there the round is handled once.
    bool FirstLivePage(const Page* page) const {
        for (const Page& p : pages)
            if (p.hwnd) return &p == page;
        return false;
    }
    void OnApply(Page& page, bool ok) {
        if (!FirstLivePage(&page)) return;
        if (ok) {
            okPressed = true;
            return;
        }
        events.OnApplyNow();
        for (const Page& p : pages)
            if (p.hwnd) SendMessageW(sheet, PSM_UNCHANGED, reinterpret_cast<WPARAM>(p.hwnd), 0);
    }

    const PropertySheetDesc& desc;
    IPropertySheetEvents& events;
    std::vector<Page> pages;
    HWND sheet = nullptr;
    bool okPressed = false;
    bool centred = false;
};

namespace {
// The sheet being created on this thread: the sheet callback carries no data of its own.
thread_local CWin32PropertySheet::Impl* t_creating = nullptr;
} // namespace

INT_PTR CALLBACK CWin32PropertySheet::Impl::PageProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_INITDIALOG) {
        auto* psp = reinterpret_cast<PROPSHEETPAGEW*>(lp);
        auto* page = reinterpret_cast<Page*>(psp->lParam);
        SetWindowLongPtrW(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->hwnd = dlg;
        Guarded("settings page initialisation", [&] {
            PageControls controls(dlg);
            page->desc.events->OnInitPage(controls);
        });
        FitDialogLayout(dlg, false);
        return TRUE;
    }
    auto* page = reinterpret_cast<Page*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (!page) return FALSE;
    PageControls controls(dlg);
    switch (msg) {
    case WM_COMMAND:
        if (!lp) return FALSE; // menus and accelerators: none on these pages
        Guarded("settings page command",
                [&] { page->desc.events->OnCommand(controls, LOWORD(wp), HIWORD(wp)); });
        return TRUE;
    case WM_HSCROLL:
        if (!lp) return FALSE;
        Guarded("settings page scroll", [&] {
            page->desc.events->OnHScroll(controls, GetDlgCtrlID(reinterpret_cast<HWND>(lp)), LOWORD(wp),
                                         static_cast<short>(HIWORD(wp)));
        });
        return TRUE;
    case WM_HELP:
        Guarded("settings help", [&] { page->sheet->events.OnHelp(); });
        return TRUE;
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        switch (hdr->code) {
        case PSN_KILLACTIVE: {
            bool taken = false;
            Guarded("settings page take-over", [&] { taken = page->desc.events->OnKillActive(controls); });
            // TRUE keeps the page: its values were refused.
            SetWindowLongPtrW(dlg, DWLP_MSGRESULT, taken ? FALSE : TRUE);
            return TRUE;
        }
        case PSN_APPLY: {
            const bool ok = reinterpret_cast<const PSHNOTIFY*>(lp)->lParam != 0;
            Guarded("settings apply", [&] { page->sheet->OnApply(*page, ok); });
            SetWindowLongPtrW(dlg, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        case PSN_HELP:
            Guarded("settings help", [&] { page->sheet->events.OnHelp(); });
            return TRUE;
        default: return FALSE;
        }
    }
    case WM_DESTROY:
        page->hwnd = nullptr;
        return FALSE;
    default: return FALSE;
    }
}

int CALLBACK CWin32PropertySheet::Impl::SheetCallback(HWND sheet, UINT msg, LPARAM) noexcept {
    Impl* self = t_creating;
    if (msg != PSCB_INITIALIZED || !self) return 0;
    self->sheet = sheet;
    SetWindowSubclass(sheet, SheetSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(self));
    Guarded("settings sheet creation", [&] {
        SheetWindow window(sheet);
        self->events.OnSheetCreated(window);
    });
    // Centred as it is first shown, when its pages have given it its size.
    LogIfFalse(PostMessageW(sheet, kCentreMsg, 0, 0), "centring the settings sheet");
    // Opened from the tray: in front of the window the user was working in.
    SetForegroundWindow(sheet);
    return 0;
}

LRESULT CALLBACK CWin32PropertySheet::Impl::SheetSubclass(HWND sheet, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                                         DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<Impl*>(data);
    switch (msg) {
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
        if (self->centred || !(pos->flags & SWP_SHOWWINDOW)) break;
        RECT r{};
        GetWindowRect(sheet, &r);
        const int w = (pos->flags & SWP_NOSIZE) ? r.right - r.left : pos->cx;
        const int h = (pos->flags & SWP_NOSIZE) ? r.bottom - r.top : pos->cy;
        const POINT at = CentredOnPointerMonitor(w, h);
        pos->x = at.x;
        pos->y = at.y;
        pos->flags &= ~static_cast<UINT>(SWP_NOMOVE);
        self->centred = true;
        break;
    }
    case kCentreMsg:
        if (!self->centred) {
            RECT r{};
            GetWindowRect(sheet, &r);
            const POINT at = CentredOnPointerMonitor(r.right - r.left, r.bottom - r.top);
            SetWindowPos(sheet, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            self->centred = true;
        }
        return 0;
    case WM_HELP:
        // F1 on the sheet's own buttons and tabs (the pages answer it themselves).
        Guarded("settings help", [&] { self->events.OnHelp(); });
        return TRUE;
    case WM_NCDESTROY:
        RemoveWindowSubclass(sheet, SheetSubclass, kSubclassId);
        self->sheet = nullptr;
        break;
    default: break;
    }
    return DefSubclassProc(sheet, msg, wp, lp);
}

CWin32PropertySheet::CWin32PropertySheet(const PropertySheetDesc& desc, IPropertySheetEvents& events)
    : m_impl(std::make_unique<Impl>(desc, events)) {}

CWin32PropertySheet::~CWin32PropertySheet() = default;

int CWin32PropertySheet::Run() {
    Impl& s = *m_impl;
    if (s.pages.empty()) return kSheetUnavailable;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    std::vector<PROPSHEETPAGEW> psp(s.pages.size());
    for (size_t i = 0; i < s.pages.size(); ++i) {
        PROPSHEETPAGEW& p = psp[i];
        p.dwSize = sizeof p;
        p.dwFlags = PSP_DEFAULT;
        p.hInstance = instance;
        p.pszTemplate = MAKEINTRESOURCEW(s.pages[i].desc.templateId);
        if (s.pages[i].desc.iconId) {
            p.dwFlags |= PSP_USEICONID;
            p.pszIcon = MAKEINTRESOURCEW(s.pages[i].desc.iconId);
        }
        p.pfnDlgProc = Impl::PageProc;
        p.lParam = reinterpret_cast<LPARAM>(&s.pages[i]);
    }
    const std::wstring caption = Widen(s.desc.caption);
    PROPSHEETHEADERW h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOCONTEXTHELP;
    h.hwndParent = reinterpret_cast<HWND>(s.desc.owner);
    h.hInstance = instance;
    h.pszCaption = caption.c_str();
    h.nPages = static_cast<UINT>(psp.size());
    h.nStartPage = 0;
    h.ppsp = psp.data();
    h.pfnCallback = Impl::SheetCallback;

    Impl* outer = t_creating;
    t_creating = &s;
    const INT_PTR result = PropertySheetW(&h);
    t_creating = outer;
    if (result < 0) return kSheetUnavailable;
    return s.okPressed ? MsgBox::IdOk : MsgBox::IdCancel;
}
