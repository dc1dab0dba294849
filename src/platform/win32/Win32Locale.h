#pragma once
// Regional settings over the Windows locale functions (GetLocaleInfoW, LCMapStringW).
//
// Implements: every locale item the program reads, for the user's default locale or
//   a named one (LocaleNameToLCID); upper case in that locale; local time.
// Does not implement: calendars other than the Gregorian one.
#include "../LocalePort.h"

class CWin32LocalePort : public ILocalePort {
public:
    std::unique_ptr<ILocaleSource> Open(const std::string& name) override;
    bool LocalTime(long long unixSeconds, int& year, int& month, int& day, int& hour, int& minute,
                   int& second) override;
};
