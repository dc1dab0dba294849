#pragma once
// UTF-8 inside the program, UTF-16 at every Windows call.
#include <string>

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, size_t length);
