#include "Strings.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {
struct Entry {
    int id;
    const char* text;
};
#define ORVANTA_STRING_ENTRY(id, text) {id, text},
const Entry kStrings[] = {ORVANTA_STRINGS(ORVANTA_STRING_ENTRY)};
#undef ORVANTA_STRING_ENTRY
} // namespace

std::string LoadResString(int id) {
    for (const auto& e : kStrings)
        if (e.id == id) return e.text;
    return std::string();
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), format, args);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}
