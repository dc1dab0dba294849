#pragma once
// Reading an integer out of a settings page's edit field, with the platform's
// standard messages for a text that is no integer or one outside the accepted range.
#include <string>

class CRangeCheck {
public:
    // "Please enter an integer."
    static std::string NotIntegerMessage();
    // "Please enter an integer between MIN and MAX."
    static std::string RangeMessage(int min, int max);

    // The integer in text (blanks around it allowed, a sign allowed). False with the
    // message when text holds something else or a number the field cannot hold.
    static bool ParseInteger(const std::string& text, int& value, std::string& message);
    // As ParseInteger, and refused with RangeMessage outside min..max. value is set
    // only when the text is accepted.
    static bool ParseInRange(const std::string& text, int min, int max, int& value, std::string& message);
};
