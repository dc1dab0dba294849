#include "RangeCheck.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

std::string CRangeCheck::NotIntegerMessage() { return "Please enter an integer."; }

std::string CRangeCheck::RangeMessage(int min, int max) {
    return "Please enter an integer between " + std::to_string(min) + " and " + std::to_string(max) + ".";
}

bool CRangeCheck::ParseInteger(const std::string& text, int& value, std::string& message) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        message = NotIntegerMessage();
        return false;
    }
    const size_t end = text.find_last_not_of(" \t");
    const std::string digits = text.substr(begin, end - begin + 1);
    const size_t first = (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    if (first == digits.size() || digits.find_first_not_of("0123456789", first) != std::string::npos) {
        message = NotIntegerMessage();
        return false;
    }
    errno = 0;
    const long long n = std::strtoll(digits.c_str(), nullptr, 10);
    // A number too long for the field is said to be no integer, never wrapped into a
    // small one that would pass the range check.
    if (errno == ERANGE || n < INT_MIN || n > INT_MAX) {
        message = NotIntegerMessage();
        return false;
    }
    value = static_cast<int>(n);
    return true;
}

bool CRangeCheck::ParseInRange(const std::string& text, int min, int max, int& value, std::string& message) {
    int n = 0;
    if (!ParseInteger(text, n, message)) return false;
    if (n < min || n > max) {
        message = RangeMessage(min, max);
        return false;
    }
    value = n;
    return true;
}
