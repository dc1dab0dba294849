// A stand-in for the shell's desktop in a process of its own (Wine has none): a
// "Program Manager" window of class Progman with a SHELLDLL_DefView child holding a
// SysListView32 with two icons, as the desktop icon test expects to find them.
//   fake-shell.exe OUTFILE
// writes "LISTVIEW LEFT TOP RIGHT BOTTOM EMPTYX EMPTYY": the list view's handle, the
// first icon's label rectangle and an empty spot, all in the list view's client
// coordinates, then runs until it is closed or ended.
//   fake-shell.exe --plain LEFT TOP WIDTH HEIGHT
// shows instead an ordinary window of another program there (for bench/hook-idle).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace {

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY && GetParent(h) == nullptr) PostQuitMessage(0);
    return DefWindowProcW(h, msg, wp, lp);
}

void Register(const wchar_t* name) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
    RegisterClassW(&wc);
}

} // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    if (argc >= 6 && lstrcmpW(argv[1], L"--plain") == 0) {
        Register(L"AnotherProgram");
        HWND w = CreateWindowExW(0, L"AnotherProgram", L"Another program", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                 _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), nullptr, nullptr,
                                 inst, nullptr);
        if (!w) return 3;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        return 0;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    Register(L"Progman");
    Register(L"SHELLDLL_DefView");
    // Small and in a corner, so the rest of the screen stays the test's.
    HWND progman = CreateWindowExW(WS_EX_TOOLWINDOW, L"Progman", L"Program Manager", WS_POPUP | WS_VISIBLE, 700, 500,
                                   300, 200, nullptr, nullptr, inst, nullptr);
    HWND view = CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, progman,
                                nullptr, inst, nullptr);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_AUTOARRANGE,
                                0, 0, 300, 200, view, nullptr, inst, nullptr);
    if (!progman || !view || !list) return 3;
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 2, 0);
    ImageList_AddIcon(images, LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)));
    ListView_SetImageList(list, images, LVSIL_NORMAL);
    const wchar_t* names[] = {L"Recycle Bin", L"Documents"};
    for (int i = 0; i < 2; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = const_cast<wchar_t*>(names[i]);
        item.iImage = 0;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    RECT label{};
    label.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label));
    FILE* out = _wfopen(argv[1], L"w");
    if (!out) return 4;
    std::fprintf(out, "%llu %ld %ld %ld %ld %d %d\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(list)),
                 label.left, label.top, label.right, label.bottom, 290, 190);
    std::fclose(out);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
