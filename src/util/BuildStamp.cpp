#include "BuildStamp.h"

#include <cstdio>
#include <cstdlib>

std::string MakeBuildStamp(const std::string& buildDate) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int month = -1;
    std::string mon = buildDate.substr(0, 3);
    for (int i = 0; i < 12; ++i)
        if (mon == kMonths[i]) month = i + 1;
    int day = buildDate.size() > 4 ? std::atoi(buildDate.substr(4, 2).c_str()) : 0;
    int year = buildDate.size() > 7 ? std::atoi(buildDate.substr(7, 4).c_str()) : 0;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", year - 2000, month, day);
    return buf;
}
