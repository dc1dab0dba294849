#include "PosixLocale.h"

#include <chrono>
#include <ctime>
#include <cwctype>
#include <langinfo.h>
#include <locale.h>

#include "../../util/OleDateTime.h"
#include "../../util/Utf8.h"

namespace {


class PosixLocaleSource : public ILocaleSource {
public:
    explicit PosixLocaleSource(locale_t loc) : m_loc(loc) {}
    ~PosixLocaleSource() override {
        if (m_loc) freelocale(m_loc);
    }
    PosixLocaleSource(const PosixLocaleSource&) = delete;
    PosixLocaleSource& operator=(const PosixLocaleSource&) = delete;

    bool Get(LocaleItem item, int index, std::string& out) override {
        if (!m_loc) return false;
        static const nl_item kMon[] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                       MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
        static const nl_item kAltMon[] = {ALTMON_1, ALTMON_2, ALTMON_3, ALTMON_4,  ALTMON_5,  ALTMON_6,
                                          ALTMON_7, ALTMON_8, ALTMON_9, ALTMON_10, ALTMON_11, ALTMON_12};
        static const nl_item kAbMon[] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                         ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
        // Monday first, as the program numbers them.
        static const nl_item kDay[] = {DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7, DAY_1};
        static const nl_item kAbDay[] = {ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7, ABDAY_1};
        switch (item) {
        case LocaleItem::LongDateOrder: out = std::to_string(LongDateOrder()); return true;
        case LocaleItem::TimeFormatFlag: out = Clock24() ? "1" : "0"; return true;
        case LocaleItem::AmDesignator: out = nl_langinfo_l(AM_STR, m_loc); return true;
        case LocaleItem::PmDesignator: out = nl_langinfo_l(PM_STR, m_loc); return true;
        case LocaleItem::MonthName:
            // The C library's MON_n is the genitive form where a language has one;
            // ALTMON_n is the name standing alone.
            if (index < 0 || index > 11) return false;
            out = nl_langinfo_l(kAltMon[index], m_loc);
            if (out.empty()) out = nl_langinfo_l(kMon[index], m_loc);
            return true;
        case LocaleItem::GenitiveMonthName:
            if (index < 0 || index > 11) return false;
            out = nl_langinfo_l(kMon[index], m_loc);
            return true;
        case LocaleItem::AbbrevMonthName:
            if (index < 0 || index > 11) return false;
            out = nl_langinfo_l(kAbMon[index], m_loc);
            return true;
        case LocaleItem::DayName:
            if (index < 0 || index > 6) return false;
            out = nl_langinfo_l(kDay[index], m_loc);
            return true;
        case LocaleItem::AbbrevDayName:
            if (index < 0 || index > 6) return false;
            out = nl_langinfo_l(kAbDay[index], m_loc);
            return true;
        case LocaleItem::FirstDayOfWeek: out = std::to_string(FirstDay()); return true;
        case LocaleItem::LongDateFormat: {
            static const char* const kPictures[] = {"dddd, MMMM d, yyyy", "dddd, d MMMM yyyy", "yyyy MMMM d"};
            out = kPictures[LongDateOrder()];
            return true;
        }
        case LocaleItem::TimeFormat: out = Clock24() ? "HH:mm:ss" : "h:mm:ss tt"; return true;
        case LocaleItem::ShortDateFormat: out = ShortDatePicture(); return true;
        }
        return false;
    }

    std::string ToUpper(const std::string& text) override { return Map(text, true); }
    std::string ToLower(const std::string& text) override { return Map(text, false); }
    bool SystemDateTimeText(const DateFields&, std::string&) override { return false; }

private:
    std::string Map(const std::string& text, bool upper) {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            size_t len = Utf8SequenceLength(static_cast<unsigned char>(text[i]));
            if (len == 0 || i + len > text.size()) { // not UTF-8: keep the byte
                out += text[i++];
                continue;
            }
            unsigned char c = static_cast<unsigned char>(text[i]);
            char32_t cp = len == 1 ? c : c & (0x7F >> len);
            for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            wint_t w = static_cast<wint_t>(cp);
            wint_t mapped = upper ? (m_loc ? towupper_l(w, m_loc) : std::towupper(w))
                                  : (m_loc ? towlower_l(w, m_loc) : std::towlower(w));
            AppendUtf8(out, static_cast<char32_t>(mapped));
            i += len;
        }
        return out;
    }

    int LongDateOrder() {
        std::string fmt = nl_langinfo_l(D_FMT, m_loc);
        size_t d = fmt.find_first_of("de"), y = fmt.find_first_of("yY");
        size_t m = std::string::npos;
        for (size_t i = 0; i + 1 < fmt.size(); ++i)
            if (fmt[i] == '%' && (fmt[i + 1] == 'm' || fmt[i + 1] == 'b' || fmt[i + 1] == 'B')) {
                m = i;
                break;
            }
        if (y != std::string::npos && y < d && y < m) return 2;
        if (d != std::string::npos && m != std::string::npos && d < m) return 1;
        return 0;
    }
    // The C library's date format as a date picture: %d dd, %e d, %m MM, %Y yyyy, %y yy.
    std::string ShortDatePicture() {
        std::string fmt = nl_langinfo_l(D_FMT, m_loc), out;
        for (size_t i = 0; i < fmt.size(); ++i) {
            if (fmt[i] != '%' || i + 1 >= fmt.size()) {
                out += fmt[i];
                continue;
            }
            switch (fmt[++i]) {
            case 'd': out += "dd"; break;
            case 'e': out += "d"; break;
            case 'm': out += "MM"; break;
            case 'Y': out += "yyyy"; break;
            case 'y': out += "yy"; break;
            case 'b': out += "MMM"; break;
            case 'B': out += "MMMM"; break;
            default: break;
            }
        }
        return out;
    }
    bool Clock24() {
        std::string fmt = nl_langinfo_l(T_FMT, m_loc);
        return fmt.find("%I") == std::string::npos && fmt.find("%l") == std::string::npos &&
               fmt.find("%r") == std::string::npos && fmt.find("%p") == std::string::npos;
    }
    int FirstDay() {
        // glibc: the week starts first_weekday - 1 days after the day given by week_1stday.
        union {
            unsigned int word;
            char* string;
        } start;
        start.string = nl_langinfo_l(_NL_TIME_WEEK_1STDAY, m_loc);
        unsigned int ymd = start.word;
        int first = nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, m_loc)[0];
        using namespace std::chrono;
        year_month_day date{year(static_cast<int>(ymd / 10000)), month(ymd / 100 % 100), day(ymd % 100)};
        if (!date.ok()) return 0;
        unsigned sunday0 = (weekday(sys_days(date)).c_encoding() + static_cast<unsigned>(first > 0 ? first - 1 : 0)) % 7;
        return static_cast<int>((sunday0 + 6) % 7); // 0 Monday ... 6 Sunday
    }

    locale_t m_loc;
};

} // namespace

std::unique_ptr<ILocaleSource> CPosixLocalePort::Open(const std::string& name) {
    locale_t loc = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    return std::make_unique<PosixLocaleSource>(loc);
}

bool CPosixLocalePort::LocalTime(long long unixSeconds, int& year, int& month, int& day, int& hour,
                                 int& minute, int& second) {
    time_t t = static_cast<time_t>(unixSeconds);
    struct tm tm {};
    if (!localtime_r(&t, &tm)) return false;
    year = tm.tm_year + 1900;
    month = tm.tm_mon + 1;
    day = tm.tm_mday;
    hour = tm.tm_hour;
    minute = tm.tm_min;
    second = tm.tm_sec;
    return true;
}
