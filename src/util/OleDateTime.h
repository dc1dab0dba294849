#pragma once
// A date and time as an OLE Automation date: days since 30 December 1899 as a
// double, the time of day as the fraction (counted forward from midnight also for
// days before the epoch: -1.25 is 29 December 1899 06:00), with a status. The
// resolution is one second; dates run from 1 January 100 to 31 December 9999.
#include <string>

#include "OleDateTimeSpan.h"

struct DateFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int dayOfWeek = 0; // 1 Sunday ... 7 Saturday
    int dayOfYear = 0; // 1 ... 366
};

class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };
    static constexpr double kMinDate = -657434.0;  // 1 January 100
    static constexpr double kMaxDate = 2958465.99999; // 31 December 9999, 23:59:59
    static constexpr double kNoDate = 949998.0;    // Outlook's "none": 1 January 4501

    COleDateTime() = default;
    explicit COleDateTime(double oleDate) : m_dt(oleDate) {}
    COleDateTime(int year, int month, int day, int hour, int minute, int second) {
        SetDateTime(year, month, day, hour, minute, second);
    }

    // Status becomes invalid when the fields do not come back unchanged from the value.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus s) { m_status = s; }
    double m_dt = 0.0;

    // Each -1 when the value is not valid or cannot be broken down.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 Sunday ... 7 Saturday
    int GetDayOfYear() const;
    bool GetFields(DateFields& out) const;

    COleDateTime operator+(const COleDateTimeSpan& span) const;
    COleDateTime operator-(const COleDateTimeSpan& span) const;
    COleDateTime& operator+=(const COleDateTimeSpan& span) { return *this = *this + span; }
    COleDateTime& operator-=(const COleDateTimeSpan& span) { return *this = *this - span; }
    COleDateTimeSpan operator-(const COleDateTime& other) const;

    bool operator==(const COleDateTime& o) const { return m_status == o.m_status && m_dt == o.m_dt; }
    bool operator!=(const COleDateTime& o) const { return !(*this == o); }
    // False when either is not valid; otherwise compared on the continuous time axis.
    bool operator<(const COleDateTime& o) const;
    bool operator>(const COleDateTime& o) const;
    bool operator<=(const COleDateTime& o) const;
    bool operator>=(const COleDateTime& o) const;

    // strftime conventions in the C locale; "" for null, "Invalid DateTime" for invalid.
    std::string Format(const std::string& pattern) const;

    // Plain calendar arithmetic, shared with the week numbers and the tests.
    static bool FieldsFromOle(double oleDate, DateFields& out);
    static bool OleFromFields(int year, int month, int day, int hour, int minute, int second,
                              double& out);
    // The continuous time axis: days since the epoch, growing with time.
    static double ToLinear(double oleDate);
    static double FromLinear(double linear);

private:
    DateTimeStatus m_status = valid;
};
