#include "Win32Locale.h"

#include <windows.h>

#include <ctime>

#include "../../util/OleDateTime.h"
#include "Utf.h"

namespace {

class Win32LocaleSource : public ILocaleSource {
public:
    explicit Win32LocaleSource(LCID lcid) : m_lcid(lcid) {}

    bool Get(LocaleItem item, int index, std::string& out) override {
        LCTYPE type = 0;
        switch (item) {
        case LocaleItem::LongDateOrder: type = LOCALE_ILDATE; break;
        case LocaleItem::TimeFormatFlag: type = LOCALE_ITIME; break;
        case LocaleItem::AmDesignator: type = LOCALE_S1159; break;
        case LocaleItem::PmDesignator: type = LOCALE_S2359; break;
        case LocaleItem::MonthName:
            if (index < 0 || index > 11) return false;
            type = LOCALE_SMONTHNAME1 + index;
            break;
        case LocaleItem::AbbrevMonthName:
            if (index < 0 || index > 11) return false;
            type = LOCALE_SABBREVMONTHNAME1 + index;
            break;
        case LocaleItem::DayName:
            if (index < 0 || index > 6) return false;
            type = LOCALE_SDAYNAME1 + index;
            break;
        case LocaleItem::AbbrevDayName:
            if (index < 0 || index > 6) return false;
            type = LOCALE_SABBREVDAYNAME1 + index;
            break;
        case LocaleItem::FirstDayOfWeek: type = LOCALE_IFIRSTDAYOFWEEK; break;
        case LocaleItem::LongDateFormat: type = LOCALE_SLONGDATE; break;
        case LocaleItem::TimeFormat: type = LOCALE_STIMEFORMAT; break;
        case LocaleItem::ShortDateFormat: type = LOCALE_SSHORTDATE; break;
        case LocaleItem::GenitiveMonthName:
            if (index < 0 || index > 11) return false;
            type = (LOCALE_SMONTHNAME1 + index) | LOCALE_RETURN_GENITIVE_NAMES;
            break;
        }
        if (m_lcid == 0) return false;
        wchar_t buf[256] = {};
        int n = GetLocaleInfoW(m_lcid, type, buf, 256);
        if (n <= 0) return false;
        out = Narrow(buf, wcslen(buf));
        return true;
    }

    std::string ToUpper(const std::string& text) override { return Map(text, LCMAP_UPPERCASE); }
    std::string ToLower(const std::string& text) override { return Map(text, LCMAP_LOWERCASE); }

    bool SystemDateTimeText(const DateFields& f, std::string& out) override {
        if (m_lcid == 0) return false;
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(f.year);
        st.wMonth = static_cast<WORD>(f.month);
        st.wDay = static_cast<WORD>(f.day);
        st.wDayOfWeek = static_cast<WORD>(f.dayOfWeek - 1);
        st.wHour = static_cast<WORD>(f.hour);
        st.wMinute = static_cast<WORD>(f.minute);
        st.wSecond = static_cast<WORD>(f.second);
        wchar_t date[256], time[256];
        if (GetDateFormatW(m_lcid, DATE_LONGDATE, &st, nullptr, date, 256) <= 0) return false;
        if (GetTimeFormatW(m_lcid, TIME_NOSECONDS, &st, nullptr, time, 256) <= 0) return false;
        out = Narrow(date, wcslen(date)) + " " + Narrow(time, wcslen(time));
        return true;
    }

private:
    std::string Map(const std::string& text, DWORD how) {
        std::wstring w = Widen(text);
        if (w.empty()) return text;
        LCID lcid = m_lcid ? m_lcid : LOCALE_USER_DEFAULT;
        int n = LCMapStringW(lcid, how, w.c_str(), static_cast<int>(w.size()), nullptr, 0);
        if (n <= 0) return text;
        std::wstring mapped(static_cast<size_t>(n), L'\0');
        LCMapStringW(lcid, how, w.c_str(), static_cast<int>(w.size()), mapped.data(), n);
        return Narrow(mapped);
    }

    LCID m_lcid;
};

} // namespace

std::unique_ptr<ILocaleSource> CWin32LocalePort::Open(const std::string& name) {
    if (name.empty()) return std::make_unique<Win32LocaleSource>(GetUserDefaultLCID());
    return std::make_unique<Win32LocaleSource>(LocaleNameToLCID(Widen(name).c_str(), 0));
}

bool CWin32LocalePort::LocalTime(long long unixSeconds, int& year, int& month, int& day, int& hour,
                                 int& minute, int& second) {
    __time64_t t = static_cast<__time64_t>(unixSeconds);
    struct tm tm {};
    if (_localtime64_s(&tm, &t) != 0) return false;
    year = tm.tm_year + 1900;
    month = tm.tm_mon + 1;
    day = tm.tm_mday;
    hour = tm.tm_hour;
    minute = tm.tm_min;
    second = tm.tm_sec;
    return true;
}
