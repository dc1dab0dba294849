#pragma once
// Regional settings for Linux from the C library's locale data (nl_langinfo_l).
//
// Implements: day and month names, AM/PM, the long-date order (from the order of
//   day, month and year in the locale's date format), the 12/24-hour clock (from its
//   time format), the first day of the week (glibc's week data), upper case, and
//   local time (localtime_r).
// Does not implement: long-date and time pictures of their own; they are made from
//   the long-date order and the clock ("dddd, MMMM d, yyyy" / "dddd, d MMMM yyyy" /
//   "yyyy MMMM d", and "h:mm:ss tt" or "HH:mm:ss").
#include "../LocalePort.h"

class CPosixLocalePort : public ILocalePort {
public:
    std::unique_ptr<ILocaleSource> Open(const std::string& name) override;
    bool LocalTime(long long unixSeconds, int& year, int& month, int& day, int& hour, int& minute,
                   int& second) override;
};
