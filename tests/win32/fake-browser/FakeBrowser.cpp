// A browser for the tests: writes the command line it was started with to the file
// that ORVANTA_BROWSER_LOG names (UTF-8, one line per start) and ends.
#include <windows.h>

#include <string>

#include "Utf.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t log[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"ORVANTA_BROWSER_LOG", log, MAX_PATH)) return 2;
    HANDLE f = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 3;
    const std::string line = Narrow(GetCommandLineW()) + "\n";
    DWORD written = 0;
    const BOOL ok = WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(f);
    return ok ? 0 : 4;
}
