#pragma once
// What the locale values read from a locale: its items, its case mapping and, where
// the system has one, its own formatter for the dates of Outlook filters. The
// platform's locale port hands out sources; tests make their own.
#include <string>

struct DateFields;

enum class LocaleItem {
    LongDateOrder,     // "0" month-day-year, "1" day-month-year, "2" year-month-day
    TimeFormatFlag,    // "0" 12-hour, "1" 24-hour
    AmDesignator,
    PmDesignator,
    MonthName,         // index 0..11, January first
    AbbrevMonthName,   // index 0..11
    DayName,           // index 0..6, Monday first
    AbbrevDayName,     // index 0..6, Monday first
    FirstDayOfWeek,    // "0" Monday ... "6" Sunday
    LongDateFormat,    // a date picture such as "dddd, MMMM d, yyyy"
    TimeFormat,        // a time picture such as "h:mm:ss tt"
    ShortDateFormat,   // a date picture such as "M/d/yyyy"
    GenitiveMonthName, // index 0..11: the form after a day number ("7 декабря"); else MonthName
};

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
