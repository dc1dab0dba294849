#pragma once
// Text helpers. Case conversion covers ASCII letters only, which is what the
// stored flag words and the path comparisons need; other bytes (UTF-8) pass unchanged.
#include <cstdint>
#include <string>
#include <vector>

class EParser {
public:
    static std::string Trim(const std::string& s);
    static std::string TrimChars(const std::string& s, const std::string& chars);
    static std::string ToUpper(std::string s);
    static std::string ToLower(std::string s);
    static bool EqualsNoCase(const std::string& a, const std::string& b);
    // Each byte as two upper-case hexadecimal digits: 32 characters for 16 bytes.
    static std::string HexText16(const uint8_t bytes[16]);
    // Decimal text read as C's atoi does (leading blanks, sign, digits, rest ignored),
    // clamped to the 32-bit range; text without a number gives 0.
    static int32_t ParseInt(const std::string& s);
    // The parts of s between separators; adjacent separators give empty parts.
    static std::vector<std::string> Split(const std::string& s, char separator);
};
