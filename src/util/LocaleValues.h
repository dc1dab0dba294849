#pragma once
// The regional settings that the drawing and the Outlook filters need, read once
// from a locale source when the object is built (the platform's LocaleValues() gives
// the user's); an object built without a source holds empty values.
#include <memory>
#include <string>

#include "OleDateTime.h"

class ILocaleSource;

class CLocaleValues {
public:
    CLocaleValues() = default;
    explicit CLocaleValues(std::shared_ptr<ILocaleSource> source);

    int m_longDateOrder = 0; // 0 month-day-year, 1 day-month-year, 2 year-month-day
    int m_clockFormat = 0;   // 0 12-hour, 1 24-hour
    std::string m_am, m_pm;
    std::string m_monthNames[12], m_abbrevMonthNames[12];
    std::string m_genitiveMonthNames[12]; // after a day number: "7 декабря"
    std::string m_dayNames[7], m_abbrevDayNames[7]; // Monday first
    int m_firstDayOfWeek = 0;                       // 0 Monday ... 6 Sunday
    std::string m_longDateFormat;                   // date picture, e.g. "dddd, MMMM d, yyyy"
    std::string m_timeFormat;                       // time picture, e.g. "h:mm:ss tt"
    std::string m_shortDateFormat;                  // date picture, e.g. "M/d/yyyy"

    // Full name of a day numbered 1 Sunday ... 7 Saturday; empty for other numbers.
    std::string DayName(int dayOfWeek) const;
    // First two characters of the abbreviated name of day 0 Monday ... 6 Sunday, upper case.
    std::string ShortDayCaption(int index) const;
    // Month name, day and year in the long-date order, separated by spaces.
    std::string LongDateText(const COleDateTime& date) const;
    // Long date and time without seconds, the form in which dates go into Outlook
    // filters: the system's own text where it has one (Outlook parses exactly that),
    // else the locale's pictures applied here.
    std::string DateTimeText(const COleDateTime& date) const;
    // The date value's default text: the short date, and the time when it is not midnight.
    std::string DefaultText(const COleDateTime& date) const;

    // Windows date and time pictures (d dd ddd dddd M MM MMM MMMM y yy yyyy, 'text';
    // h hh H HH m mm s ss t tt) applied with these names.
    std::string FormatDatePicture(const std::string& picture, const DateFields& f) const;
    std::string FormatTimePicture(const std::string& picture, const DateFields& f, bool noSeconds) const;

    // Case conversion in this locale (ASCII only when the locale cannot be read).
    std::string ToUpper(const std::string& text) const;
    std::string ToLower(const std::string& text) const;

    // The first n characters of UTF-8 text, never cutting a character.
    static std::string FirstCharacters(const std::string& text, size_t n);

private:
    std::string m_shortCaptions[7];
    std::shared_ptr<ILocaleSource> m_source;
};
