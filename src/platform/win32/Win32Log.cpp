#include "Win32Log.h"

#include <windows.h>

#include <cstdio>

namespace {
void Write(const char* line) noexcept {
    OutputDebugStringA(line);
    std::fputs(line, stderr);
}

void LogCode(const char* what, unsigned long code, const char* kind) noexcept {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    // The system's text ends in a line break.
    for (DWORD i = n; i > 0 && (text[i - 1] == '\n' || text[i - 1] == '\r' || text[i - 1] == ' '); --i) text[i - 1] = 0;
    char line[512];
    std::snprintf(line, sizeof line, "orvanta: %s failed (%s 0x%08lX)%s%s\n", what ? what : "", kind, code,
                  text[0] ? ": " : "", text);
    Write(line);
}
} // namespace

void LogCaught(const char* where, const char* what) noexcept {
    char line[512];
    std::snprintf(line, sizeof line, "orvanta: %s: %s\n", where, what ? what : "");
    Write(line);
}

bool LogIfFalse(int ok, const char* what) noexcept {
    if (ok) return true;
    const DWORD error = GetLastError();
    LogCode(what, error, "error");
    SetLastError(error);
    return false;
}

long LogIfError(long code, const char* what) noexcept {
    if (code != ERROR_SUCCESS) LogCode(what, static_cast<unsigned long>(code), "error");
    return code;
}

long LogIfFailed(long hr, const char* what) noexcept {
    if (FAILED(hr)) LogCode(what, static_cast<unsigned long>(hr), "result");
    return hr;
}
