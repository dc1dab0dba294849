#pragma once
// What a window, hook or COM procedure caught is written to the debugger's output
// (and to standard error when there is one), never swallowed silently.
void LogCaught(const char* where, const char* what) noexcept;
