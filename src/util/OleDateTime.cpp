#include "OleDateTime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>


namespace {

constexpr int64_t kEpochDays = -25569; // 30 Dec 1899 relative to 1 Jan 1970

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y += m <= 2;
}

bool IsLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

} // namespace

double COleDateTime::ToLinear(double v) {
    if (v >= 0) return v;
    double whole = std::ceil(v); // towards zero
    return whole - (v - whole);  // -1.25 (29 Dec 06:00) is 0.75 days before the epoch
}

double COleDateTime::FromLinear(double x) {
    if (x >= 0) return x;
    double day = std::floor(x);
    double frac = x - day;
    if (frac == 0.0) return day;
    return day - frac;
}

bool COleDateTime::FieldsFromOle(double v, DateFields& out) {
    // Before the epoch the fraction counts forward from the day: 1 January 100 at noon
    // is -657434.5, so the range is checked on the continuous axis.
    if (!std::isfinite(v) || ToLinear(v) < kMinDate || v >= 2958466.0) return false;
    // Whole seconds, rounded to the nearest one.
    int64_t total = std::llround(ToLinear(v) * 86400.0);
    int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
    int64_t secs = total - days * 86400;
    int64_t y;
    int m, d;
    CivilFromDays(days + kEpochDays, y, m, d);
    if (y < 100 || y > 9999) return false;
    out.year = static_cast<int>(y);
    out.month = m;
    out.day = d;
    out.hour = static_cast<int>(secs / 3600);
    out.minute = static_cast<int>(secs / 60 % 60);
    out.second = static_cast<int>(secs % 60);
    out.dayOfWeek = static_cast<int>(((days % 7) + 7 + 6) % 7) + 1; // the epoch was a Saturday
    out.dayOfYear = static_cast<int>(days + kEpochDays - DaysFromCivil(y, 1, 1)) + 1;
    return true;
}

bool COleDateTime::OleFromFields(int year, int month, int day, int hour, int minute, int second,
                                 double& out) {
    // Fields far outside their ranges cannot come back unchanged; keep the arithmetic in range.
    if (year < 0 || year > 10000 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int dim = kMonthDays[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
    if (day > dim) return false;
    int64_t days = DaysFromCivil(year, month, day) - kEpochDays;
    double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    out = days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
    return true;
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
    double v = 0;
    DateFields back;
    if (OleFromFields(year, month, day, hour, minute, second, v) && FieldsFromOle(v, back) &&
        back.year == year && back.month == month && back.day == day && back.hour == hour &&
        back.minute == minute && back.second == second) {
        m_dt = v;
        m_status = valid;
        return 0;
    }
    m_dt = 0;
    m_status = invalid;
    return 1;
}

bool COleDateTime::GetFields(DateFields& out) const {
    return m_status == valid && FieldsFromOle(m_dt, out);
}

int COleDateTime::GetYear() const {
    DateFields f;
    return GetFields(f) ? f.year : -1;
}
int COleDateTime::GetMonth() const {
    DateFields f;
    return GetFields(f) ? f.month : -1;
}
int COleDateTime::GetDay() const {
    DateFields f;
    return GetFields(f) ? f.day : -1;
}
int COleDateTime::GetHour() const {
    DateFields f;
    return GetFields(f) ? f.hour : -1;
}
int COleDateTime::GetMinute() const {
    DateFields f;
    return GetFields(f) ? f.minute : -1;
}
int COleDateTime::GetSecond() const {
    DateFields f;
    return GetFields(f) ? f.second : -1;
}
int COleDateTime::GetDayOfWeek() const {
    DateFields f;
    return GetFields(f) ? f.dayOfWeek : -1;
}
int COleDateTime::GetDayOfYear() const {
    DateFields f;
    return GetFields(f) ? f.dayOfYear : -1;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const {
    COleDateTime r;
    if (m_status != valid || span.GetStatus() != COleDateTimeSpan::valid) {
        r.m_status = invalid;
        return r;
    }
    r.m_dt = FromLinear(ToLinear(m_dt) + span.GetTotalDays());
    r.m_status = (ToLinear(r.m_dt) >= kMinDate && r.m_dt < 2958466.0) ? valid : invalid;
    return r;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& span) const {
    return *this + COleDateTimeSpan(-span.GetTotalDays());
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const {
    if (m_status != valid || other.m_status != valid) {
        COleDateTimeSpan s;
        s.SetStatus(COleDateTimeSpan::invalid);
        return s;
    }
    return COleDateTimeSpan(ToLinear(m_dt) - ToLinear(other.m_dt));
}

bool COleDateTime::operator<(const COleDateTime& o) const {
    return m_status == valid && o.m_status == valid && ToLinear(m_dt) < ToLinear(o.m_dt);
}
bool COleDateTime::operator>(const COleDateTime& o) const {
    return m_status == valid && o.m_status == valid && ToLinear(m_dt) > ToLinear(o.m_dt);
}
bool COleDateTime::operator<=(const COleDateTime& o) const {
    return m_status == valid && o.m_status == valid && ToLinear(m_dt) <= ToLinear(o.m_dt);
}
bool COleDateTime::operator>=(const COleDateTime& o) const {
    return m_status == valid && o.m_status == valid && ToLinear(m_dt) >= ToLinear(o.m_dt);
}

std::string COleDateTime::Format(const std::string& pattern) const {
    if (m_status == null) return std::string();
    DateFields f;
    if (m_status != valid || !FieldsFromOle(m_dt, f)) return "Invalid DateTime";
    std::string out;
    char buf[32];
    auto num = [&](const char* fmt, int v) {
        std::snprintf(buf, sizeof buf, fmt, v);
        out += buf;
    };
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        char k = pattern[++i];
        bool noPad = false;
        if (k == '#' && i + 1 < pattern.size()) { // Microsoft's "no leading zero" flag
            noPad = true;
            k = pattern[++i];
        }
        const char* two = noPad ? "%d" : "%02d";
        switch (k) {
        case 'a': out += std::string(kDayNames[f.dayOfWeek - 1]).substr(0, 3); break;
        case 'A': out += kDayNames[f.dayOfWeek - 1]; break;
        case 'b':
        case 'h': out += std::string(kMonthNames[f.month - 1]).substr(0, 3); break;
        case 'B': out += kMonthNames[f.month - 1]; break;
        case 'C': num(two, f.year / 100); break;
        case 'd': num(two, f.day); break;
        case 'e': num("%2d", f.day); break;
        case 'D': num("%02d/", f.month), num("%02d/", f.day), num("%02d", f.year % 100); break;
        case 'F': num("%04d-", f.year), num("%02d-", f.month), num("%02d", f.day); break;
        case 'H': num(two, f.hour); break;
        case 'I': num(two, f.hour % 12 == 0 ? 12 : f.hour % 12); break;
        case 'j': num(noPad ? "%d" : "%03d", f.dayOfYear); break;
        case 'm': num(two, f.month); break;
        case 'M': num(two, f.minute); break;
        case 'n': out += '\n'; break;
        case 'p': out += f.hour < 12 ? "AM" : "PM"; break;
        case 'R': num("%02d:", f.hour), num("%02d", f.minute); break;
        case 'S': num(two, f.second); break;
        case 't': out += '\t'; break;
        case 'T': num("%02d:", f.hour), num("%02d:", f.minute), num("%02d", f.second); break;
        case 'u': num("%d", f.dayOfWeek == 1 ? 7 : f.dayOfWeek - 1); break;
        case 'w': num("%d", f.dayOfWeek - 1); break;
        case 'y': num(two, f.year % 100); break;
        case 'Y': num("%d", f.year); break;
        case '%': out += '%'; break;
        default: // unknown conversions stay as written
            out += '%';
            if (noPad) out += '#';
            out += k;
        }
        if (out.size() > 256) return std::string();
    }
    return out.size() > 256 ? std::string() : out;
}
