#pragma once
// The user's regional settings, item by item, and case conversion in that locale.
#include <memory>
#include <string>

enum class LocaleItem {
    LongDateOrder,   // "0" month-day-year, "1" day-month-year, "2" year-month-day
    TimeFormatFlag,  // "0" 12-hour, "1" 24-hour
    AmDesignator,
    PmDesignator,
    MonthName,       // index 0..11, January first
    AbbrevMonthName, // index 0..11
    DayName,         // index 0..6, Monday first
    AbbrevDayName,   // index 0..6, Monday first
    FirstDayOfWeek,  // "0" Monday ... "6" Sunday
    LongDateFormat,  // a date picture such as "dddd, MMMM d, yyyy"
    TimeFormat,      // a time picture such as "h:mm:ss tt"
    ShortDateFormat, // a date picture such as "M/d/yyyy"
    GenitiveMonthName, // index 0..11: the form after a day number ("7 декабря"); else MonthName
};

struct DateFields;

class ILocaleSource {
public:
    virtual ~ILocaleSource() = default;
    // The item as UTF-8 text; false when it cannot be read.
    virtual bool Get(LocaleItem item, int index, std::string& out) = 0;
    // Upper and lower case in this locale, character by character.
    virtual std::string ToUpper(const std::string& text) = 0;
    virtual std::string ToLower(const std::string& text) = 0;
    // The system's own long date and time-without-seconds text joined by a blank, the
    // form Outlook parses in filters; false where the system has no such function and
    // the caller formats with the locale's pictures itself.
    virtual bool SystemDateTimeText(const DateFields& fields, std::string& out) = 0;
};

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
