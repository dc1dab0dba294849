#include "Utf8Path.h"

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    std::u8string text(utf8.size(), u8'\0');
    for (std::size_t i = 0; i < utf8.size(); ++i) text[i] = static_cast<char8_t>(utf8[i]);
    try {
        return std::filesystem::path(text);
    } catch (...) {
        return std::filesystem::path();
    }
}
