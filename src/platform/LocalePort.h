#pragma once
// The user's regional settings and the local clock.
//
// win32: GetLocaleInfoW, LCMapStringW, GetDateFormatW/GetTimeFormatW, _localtime64_s.
// posix: the C library's locales (nl_langinfo_l, towupper_l), localtime_r; no system
//   date formatter, so filter dates are formatted with the locale's pictures.
#include <memory>
#include <string>

#include "../util/LocaleSource.h"

class ILocalePort {
public:
    virtual ~ILocalePort() = default;
    // The user's default locale for an empty name; otherwise a named locale
    // ("de_DE.UTF-8" on Linux, "de-DE" on Windows). Never null: an unknown locale
    // gives a source whose items cannot be read.
    virtual std::unique_ptr<ILocaleSource> Open(const std::string& name) = 0;
    // Local calendar fields of a time in seconds since 1970; false when it cannot be converted.
    virtual bool LocalTime(long long unixSeconds, int& year, int& month, int& day, int& hour,
                           int& minute, int& second) = 0;
};
