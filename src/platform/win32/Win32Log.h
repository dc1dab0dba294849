#pragma once
// What a window, hook or COM procedure caught is written to the debugger's output
// (and to standard error when there is one), never swallowed silently.
void LogCaught(const char* where, const char* what) noexcept;

// A system call whose failure the caller goes on from is still written down the same
// way, with what was called and the system's error, and its result is handed back:
//   LogIfFalse   a BOOL result (the error from GetLastError, read first);
//   LogIfError   a Win32 error code (registry calls), logged when not 0;
//   LogIfFailed  an HRESULT, logged when it fails.
bool LogIfFalse(int ok, const char* what) noexcept;
long LogIfError(long code, const char* what) noexcept;
long LogIfFailed(long hr, const char* what) noexcept;
