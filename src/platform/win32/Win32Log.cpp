#include "Win32Log.h"

#include <windows.h>

#include <cstdio>

void LogCaught(const char* where, const char* what) noexcept {
    char line[512];
    std::snprintf(line, sizeof line, "orvanta: %s: %s\n", where, what ? what : "");
    OutputDebugStringA(line);
    std::fputs(line, stderr);
}
