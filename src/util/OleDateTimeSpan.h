#pragma once
// A span of days (fractions are parts of a day) with a validity status.

class COleDateTimeSpan {
public:
    enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };
    static constexpr double kMaxDays = 3615897.0;

    COleDateTimeSpan() = default;
    explicit COleDateTimeSpan(double days);
    COleDateTimeSpan(long days, int hours, int minutes, int seconds);

    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus s) { m_status = s; }
    double GetTotalDays() const { return m_span; }
    double GetTotalSeconds() const { return m_span * 86400.0; }

private:
    void Check();

    double m_span = 0.0;
    DateTimeSpanStatus m_status = valid;
};
