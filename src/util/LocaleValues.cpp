#include "LocaleValues.h"

#include <cstdio>

#include "LocaleSource.h"
#include "Parser.h"
#include "Utf8.h"

namespace {
constexpr size_t kTextLimit = 255; // 256-byte buffers with their terminator
constexpr size_t kPictureLimit = 100;

// At most limit bytes, cut only between characters.
std::string Clip(const std::string& s, size_t limit) {
    if (s.size() <= limit) return s;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    return s.substr(0, end);
}
} // namespace

CLocaleValues::CLocaleValues(std::shared_ptr<ILocaleSource> source) : m_source(std::move(source)) {
    if (!m_source) return;
    ILocaleSource* src = m_source.get();
    auto text = [&](LocaleItem item, int index, size_t limit = kTextLimit) {
        std::string s;
        if (!src->Get(item, index, s)) s.clear();
        return Clip(s, limit);
    };
    auto number = [&](LocaleItem item) {
        std::string s;
        return src->Get(item, 0, s) ? EParser::ParseInt(s) : 0;
    };
    m_longDateOrder = number(LocaleItem::LongDateOrder);
    m_clockFormat = number(LocaleItem::TimeFormatFlag);
    m_am = text(LocaleItem::AmDesignator, 0);
    m_pm = text(LocaleItem::PmDesignator, 0);
    for (int i = 0; i < 12; ++i) {
        m_monthNames[i] = text(LocaleItem::MonthName, i);
        m_abbrevMonthNames[i] = text(LocaleItem::AbbrevMonthName, i);
        m_genitiveMonthNames[i] = text(LocaleItem::GenitiveMonthName, i);
        if (m_genitiveMonthNames[i].empty()) m_genitiveMonthNames[i] = m_monthNames[i];
    }
    for (int i = 0; i < 7; ++i) {
        m_dayNames[i] = text(LocaleItem::DayName, i);
        m_abbrevDayNames[i] = text(LocaleItem::AbbrevDayName, i);
        m_shortCaptions[i] = src->ToUpper(FirstCharacters(m_abbrevDayNames[i], 2));
    }
    m_firstDayOfWeek = number(LocaleItem::FirstDayOfWeek);
    m_longDateFormat = text(LocaleItem::LongDateFormat, 0, kPictureLimit);
    m_timeFormat = text(LocaleItem::TimeFormat, 0, kPictureLimit);
    m_shortDateFormat = text(LocaleItem::ShortDateFormat, 0, kPictureLimit);
}

std::string CLocaleValues::FirstCharacters(const std::string& text, size_t n) { return Utf8Prefix(text, n); }

std::string CLocaleValues::DayName(int dayOfWeek) const {
    if (dayOfWeek < 1 || dayOfWeek > 7) return std::string();
    return m_dayNames[dayOfWeek == 1 ? 6 : dayOfWeek - 2];
}

std::string CLocaleValues::ShortDayCaption(int index) const {
    return index >= 0 && index < 7 ? m_shortCaptions[index] : std::string();
}

std::string CLocaleValues::LongDateText(const COleDateTime& date) const {
    DateFields f;
    if (!date.GetFields(f)) return std::string();
    const std::string month = m_monthNames[f.month - 1];
    const std::string day = std::to_string(f.day), year = std::to_string(f.year);
    switch (m_longDateOrder) {
    case 0: return month + " " + day + " " + year;
    case 1: return day + " " + month + " " + year;
    case 2: return year + " " + month + " " + day;
    default: return std::string();
    }
}

std::string CLocaleValues::ToUpper(const std::string& text) const {
    return m_source ? m_source->ToUpper(text) : EParser::ToUpper(text);
}

std::string CLocaleValues::ToLower(const std::string& text) const {
    return m_source ? m_source->ToLower(text) : EParser::ToLower(text);
}

namespace {
// Whether the picture shows the day as a number ("d" or "dd" outside quotes): the
// month name then takes its genitive form, as the system's formatter does.
bool HasDayNumber(const std::string& picture) {
    bool quoted = false;
    for (size_t i = 0; i < picture.size(); ++i) {
        if (picture[i] == '\'') quoted = !quoted;
        if (quoted || picture[i] != 'd') continue;
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == 'd') ++run;
        if (run <= 2) return true;
        i += run - 1;
    }
    return false;
}
} // namespace

std::string CLocaleValues::FormatDatePicture(const std::string& picture, const DateFields& f) const {
    std::string out;
    const std::string* longMonths = HasDayNumber(picture) ? m_genitiveMonthNames : m_monthNames;
    char buf[16];
    for (size_t i = 0; i < picture.size();) {
        char c = picture[i];
        if (c == '\'') { // quoted text; '' inside quotes is one quote
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        out += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += picture[i++];
            }
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        switch (c) {
        case 'd':
            if (run == 1) out += std::to_string(f.day);
            else if (run == 2) std::snprintf(buf, sizeof buf, "%02d", f.day), out += buf;
            else {
                int idx = f.dayOfWeek == 1 ? 6 : f.dayOfWeek - 2;
                out += run == 3 ? m_abbrevDayNames[idx] : m_dayNames[idx];
            }
            break;
        case 'M':
            if (run == 1) out += std::to_string(f.month);
            else if (run == 2) std::snprintf(buf, sizeof buf, "%02d", f.month), out += buf;
            else out += run == 3 ? m_abbrevMonthNames[f.month - 1] : longMonths[f.month - 1];
            break;
        case 'y':
            if (run == 1) out += std::to_string(f.year % 100);
            else if (run == 2) std::snprintf(buf, sizeof buf, "%02d", f.year % 100), out += buf;
            else out += std::to_string(f.year);
            break;
        case 'g': out += "A.D."; break;
        default: out.append(run, c);
        }
        i += run;
    }
    return out;
}

std::string CLocaleValues::FormatTimePicture(const std::string& picture, const DateFields& f,
                                             bool noSeconds) const {
    std::string out;
    size_t afterField = 0; // end of the output of the last time element
    char buf[16];
    auto two = [&](int v, size_t run) {
        if (run >= 2) std::snprintf(buf, sizeof buf, "%02d", v);
        else std::snprintf(buf, sizeof buf, "%d", v);
        out += buf;
    };
    for (size_t i = 0; i < picture.size();) {
        char c = picture[i];
        if (c == '\'') {
            ++i;
            while (i < picture.size() && picture[i] != '\'') out += picture[i++];
            ++i;
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        switch (c) {
        case 'h': two(f.hour % 12 == 0 ? 12 : f.hour % 12, run), afterField = out.size(); break;
        case 'H': two(f.hour, run), afterField = out.size(); break;
        case 'm': two(f.minute, run), afterField = out.size(); break;
        case 's':
            if (noSeconds) {
                out.resize(afterField); // the separator before the seconds goes too
            } else {
                two(f.second, run);
                afterField = out.size();
            }
            break;
        case 't': {
            const std::string& d = f.hour < 12 ? m_am : m_pm;
            out += run == 1 ? FirstCharacters(d, 1) : d;
            afterField = out.size();
            break;
        }
        default: out.append(run, c);
        }
        i += run;
    }
    return out;
}

std::string CLocaleValues::DateTimeText(const COleDateTime& date) const {
    DateFields f;
    if (!date.GetFields(f)) return std::string();
    std::string system;
    if (m_source && m_source->SystemDateTimeText(f, system)) return system;
    std::string d = FormatDatePicture(m_longDateFormat, f);
    std::string t = FormatTimePicture(m_timeFormat, f, true);
    if (d.size() > 256) d.resize(256);
    if (t.size() > 256) t.resize(256);
    return d + " " + t;
}

std::string CLocaleValues::DefaultText(const COleDateTime& date) const {
    if (date.GetStatus() == COleDateTime::null) return std::string();
    DateFields f;
    if (!date.GetFields(f)) return "Invalid DateTime";
    std::string out = FormatDatePicture(m_shortDateFormat.empty() ? "M/d/yyyy" : m_shortDateFormat, f);
    if (f.hour || f.minute || f.second)
        out += " " + FormatTimePicture(m_timeFormat.empty() ? "HH:mm:ss" : m_timeFormat, f, false);
    return out;
}
