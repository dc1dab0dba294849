#include "Parser.h"

#include <cctype>
#include <cstdio>
#include <limits>

std::string EParser::TrimChars(const std::string& s, const std::string& chars) {
    auto first = s.find_first_not_of(chars);
    if (first == std::string::npos) return std::string();
    auto last = s.find_last_not_of(chars);
    return s.substr(first, last - first + 1);
}

std::string EParser::Trim(const std::string& s) { return TrimChars(s, " \t\r\n\v\f"); }

std::string EParser::ToUpper(std::string s) {
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string EParser::ToLower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool EParser::EqualsNoCase(const std::string& a, const std::string& b) {
    return ToLower(a) == ToLower(b);
}

std::string EParser::HexText16(const uint8_t bytes[16]) {
    std::string out;
    char buf[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

int32_t EParser::ParseInt(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) break;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

std::vector<std::string> EParser::Split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : s) {
        if (c == separator) {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}
