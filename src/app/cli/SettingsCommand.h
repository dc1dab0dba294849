#pragma once
// "orvanta settings" on Linux: every setting of the settings sheet with its value and
// what it accepts, and "orvanta settings NAME VALUE", which changes one through the
// sheet's own checks and Apply, and has the running copy put it into effect at once.
#include <ostream>
#include <string>

class CSettingsCommand {
public:
    // One line a setting, in the sheet's order: name, value, accepted values. 0.
    static int List(std::ostream& out);
    // 0 when taken over and saved (each value that changed is printed, and why when
    // the screen's limits moved one); 1 with the sheet's message when the value is
    // refused, 2 for a name that is no setting (quoted so that no control character
    // reaches the terminal); nothing is saved then.
    static int Set(const std::string& name, const std::string& value, std::ostream& out, std::ostream& err);
};
