#pragma once
// What the driver tests share: where this test program and orvanta.exe are, and
// waiting for something another process does.
#include <windows.h>

#include <functional>
#include <string>

inline std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

inline std::wstring Self() {
    wchar_t buf[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buf, MAX_PATH);
    return buf;
}

// Checks every pollMs until done or ms have passed.
inline bool WaitFor(const std::function<bool()>& done, DWORD ms, DWORD pollMs = 50) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(pollMs);
    }
    return true;
}
