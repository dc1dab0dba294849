#include "Win32IconTest.h"

#include <commctrl.h>

#include <string>

#include "ScopedWin.h"
#include "Win32Log.h"

namespace IconTest {

namespace {

constexpr UINT kTimeoutMs = 2000; // a hung shell must not hang the program

bool IsListView(HWND h) {
    wchar_t name[32] = {};
    return h && IsWindow(h) && GetClassNameW(h, name, 32) > 0 && lstrcmpiW(name, L"SysListView32") == 0;
}

// LVM_HITTEST with the record at address (in the list view's process); the item
// index it returns, -1 for none or when the list view does not answer in time.
LRESULT HitTest(HWND listView, void* address) {
    DWORD_PTR result = static_cast<DWORD_PTR>(-1);
    if (!SendMessageTimeoutW(listView, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(address),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kTimeoutMs, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

HitRecord Record(int x, int y) { return HitRecord{x, y, kOnItem, -1, 0, 0}; }

} // namespace

bool IsIconAtDirect(HWND listView, int x, int y, bool& usable) {
    usable = false;
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    if (!pid) return false;
    ScopedKernelHandle process(OpenProcess(kProcessAccess, FALSE, pid));
    if (!process) return false;
    void* remote = VirtualAllocEx(process.Get(), nullptr, sizeof(HitRecord), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    usable = true;
    const HitRecord record = Record(x, y);
    SIZE_T written = 0;
    bool icon = false;
    if (WriteProcessMemory(process.Get(), remote, &record, sizeof record, &written) && written == sizeof record)
        icon = HitTest(listView, remote) != -1;
    VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
    return icon;
}

bool IsIconAtByMapping(HWND listView, int x, int y) {
    if (SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0) == 0) return false; // no icons: no file either
    wchar_t folder[500] = {};
    DWORD n = GetTempPathW(500, folder);
    if (n == 0 || n >= 498) return false;
    std::wstring dir(folder, n);
    if (dir.back() != L'\\') dir += L'\\';
    std::wstring name = dir + L"CVLmap.tmp";
    wchar_t unique[MAX_PATH] = {};
    if (GetTempFileNameW(dir.c_str(), L"cvl", 0, unique)) name = unique;
    bool icon = false;
    {
        // Read and write access: a read-write mapping of a file opened for reading
        // only is refused.
        HANDLE raw = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        ScopedKernelHandle file(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
        if (file) {
            ScopedKernelHandle mapping(
                CreateFileMappingW(file.Get(), nullptr, PAGE_READWRITE, 0, sizeof(HitRecord), L"MyMapping"));
            if (mapping) {
                void* view = MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(HitRecord));
                if (view) {
                    const HitRecord record = Record(x, y);
                    CopyMemory(view, &record, sizeof record);
                    icon = HitTest(listView, view) != -1;
                    FlushViewOfFile(view, 8);
                    UnmapViewOfFile(view);
                }
            }
        }
    }
    LogIfFalse(DeleteFileW(name.c_str()), "deleting the icon test's temporary file");
    return icon;
}

bool IsIconAt(HWND listView, int x, int y, Method* used) {
    if (used) *used = Method::None;
    // Not a list view (the bare desktop window without a shell, or 0 from the pop-up):
    // no icons. Its window procedure would answer LVM_HITTEST with 0, an "item".
    if (!IsListView(listView)) return false;
    bool usable = false;
    const bool icon = IsIconAtDirect(listView, x, y, usable);
    if (usable) {
        if (used) *used = Method::Direct;
        return icon;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    if (pid != GetCurrentProcessId()) return false;
    if (used) *used = Method::Mapping;
    return IsIconAtByMapping(listView, x, y);
}

} // namespace IconTest
