#pragma once
// "orvanta regions [--popup]": one read and one composition, then every spot of the
// picture that a click opens, one a line, for a user to check.
#include <ostream>

class CRegionList;

class CRegionsCommand {
public:
    // The exit code: 0 when the picture was composed, 1 otherwise.
    static int Run(bool popup, std::ostream& out, std::ostream& err);
    // "<kind> <left>,<top>-<right>,<bottom> \"<tooltip>\" -> <what a click does>",
    // in hit-test order.
    static void Print(const CRegionList& regions, std::ostream& out);
};
