#pragma once
// File paths are UTF-8 text inside the program. std::filesystem::path made from UTF-8
// holds the wide form on Windows, and the standard streams open it with the wide
// file functions there, so no name is squeezed through the ANSI code page.
#include <filesystem>
#include <string>

// An empty path when the text is not valid UTF-8 where the conversion checks it, so
// that opening it fails instead of naming some other file.
std::filesystem::path PathFromUtf8(const std::string& utf8);
