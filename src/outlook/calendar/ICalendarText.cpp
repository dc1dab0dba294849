#include "ICalendarText.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "../../platform/LocalePort.h"
#include "../../platform/Platform.h"
#include "../../util/Utf8.h"
#include "ICalendarZones.h"

namespace {

constexpr long long kDay = 86400;

// Days since 1970-01-01 of a civil date (proleptic Gregorian), and back.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

long long WallSeconds(const icaltimetype& t) {
    long long s = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) * kDay;
    if (!t.is_date) s += t.hour * 3600LL + t.minute * 60LL + t.second;
    return s;
}

bool IsAbsolute(const icaltimetype& t) { return !t.is_date && t.zone != nullptr; }

// Seconds since 1970: the instant of a time with a zone, the wall clock of the others.
long long Seconds(icaltimetype t) {
    if (IsAbsolute(t) && t.zone != icaltimezone_get_utc_timezone()) {
        icaltimezone_convert_time(&t, const_cast<icaltimezone*>(t.zone), icaltimezone_get_utc_timezone());
    }
    return WallSeconds(t);
}

icaltimetype FromSeconds(long long s, bool isDate, const icaltimezone* zone) {
    icaltimetype t = icaltime_null_time();
    long long days = s >= 0 ? s / kDay : -((-s + kDay - 1) / kDay);
    long long rest = s - days * kDay;
    CivilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    t.is_date = isDate ? 1 : 0;
    t.zone = zone;
    if (isDate) t.hour = t.minute = t.second = 0;
    return t;
}

bool Sane(const icaltimetype& t) {
    return !icaltime_is_null_time(t) && t.year >= 1601 && t.year <= 9999 && t.month >= 1 && t.month <= 12 &&
           t.day >= 1 && t.day <= 31;
}

// The property's time with the zone its TZID names (from the calendar, else found by
// name); a TZID nobody knows leaves the time floating.
icaltimetype Zoned(icaltimetype t, icalproperty* p, icalcomponent* calendar) {
    if (t.is_date || t.zone) return t;
    icalparameter* tz = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
    const char* id = tz ? icalparameter_get_tzid(tz) : nullptr;
    if (!id) return t;
    icaltimezone* zone = calendar ? icalcomponent_get_timezone(calendar, id) : nullptr;
    if (!zone) zone = CICalendarZones::Find(id);
    if (zone) t.zone = zone;
    return t;
}

icaltimetype TimeOf(icalcomponent* c, icalproperty_kind kind, icalcomponent* calendar) {
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    if (!p) return icaltime_null_time();
    icalvalue* v = icalproperty_get_value(p);
    if (!v) return icaltime_null_time();
    const icalvalue_kind vk = icalvalue_isa(v);
    if (vk != ICAL_DATETIME_VALUE && vk != ICAL_DATE_VALUE) return icaltime_null_time();
    icaltimetype t = icalvalue_get_datetime(v);
    if (!Sane(t)) return icaltime_null_time();
    return Zoned(t, p, calendar);
}

// Valid UTF-8 on one line: bad bytes become U+FFFD, line breaks and controls blanks.
std::string CleanText(const char* raw, size_t maxChars = 255) {
    std::string out;
    if (!raw) return out;
    const std::string text(raw);
    size_t chars = 0;
    for (size_t i = 0; i < text.size() && chars < maxChars; ++chars) {
        const Utf8Char c = Utf8CharAt(text, i);
        if (c.code < 0x20 || c.code == 0x7f) out += ' ';
        else AppendUtf8(out, c.code);
        i += c.length ? c.length : 1;
    }
    return out;
}

std::string TextOf(icalcomponent* c, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    if (!p) return std::string();
    icalvalue* v = icalproperty_get_value(p);
    if (!v || icalvalue_isa(v) != ICAL_TEXT_VALUE) return std::string();
    return CleanText(icalvalue_get_text(v));
}

int Importance(icalcomponent* c) {
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_PRIORITY_PROPERTY);
    const int priority = p ? icalproperty_get_priority(p) : 0;
    if (priority >= 1 && priority <= 4) return 2;
    if (priority >= 6 && priority <= 9) return 0;
    return 1;
}

int Sensitivity(icalcomponent* c) {
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_CLASS_PROPERTY);
    if (!p) return 0;
    switch (icalproperty_get_class(p)) {
    case ICAL_CLASS_PRIVATE: return 2;
    case ICAL_CLASS_CONFIDENTIAL: return 3;
    default: return 0;
    }
}

bool Cancelled(icalcomponent* c) {
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_STATUS_PROPERTY);
    return p && icalproperty_get_status(p) == ICAL_STATUS_CANCELLED;
}

std::vector<std::string> Attachments(icalcomponent* c) {
    std::vector<std::string> names;
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ATTACH_PROPERTY); p && names.size() < 50;
         p = icalcomponent_get_next_property(c, ICAL_ATTACH_PROPERTY)) {
        std::string name;
        for (const char* param : {"FILENAME", "X-FILENAME", "X-LABEL"}) {
            if (const char* v = icalproperty_get_parameter_as_string(p, param); v && *v) {
                name = CleanText(v);
                break;
            }
        }
        if (name.empty()) {
            icalattach* a = icalproperty_get_attach(p);
            if (a && icalattach_get_is_url(a) && icalattach_get_url(a)) {
                const std::string url = CleanText(icalattach_get_url(a), 1024);
                name = url.substr(url.find_last_of('/') == std::string::npos ? 0 : url.find_last_of('/') + 1);
            }
        }
        names.push_back(name.empty() ? "attachment" : name);
    }
    // The order Outlook gives: the last one first.
    std::reverse(names.begin(), names.end());
    return names;
}

bool HasAlarm(icalcomponent* c) { return icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT) != nullptr; }

bool Recurs(icalcomponent* c) {
    return icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY) ||
           icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY);
}

// An occurrence's length: DTEND - DTSTART, else DURATION, else a day for a date and
// nothing for a time. An end before the start counts as no length.
long long Length(icalcomponent* e, const icaltimetype& start, icalcomponent* calendar) {
    long long length = start.is_date ? kDay : 0;
    const icaltimetype end = TimeOf(e, ICAL_DTEND_PROPERTY, calendar);
    if (!icaltime_is_null_time(end)) {
        length = Seconds(end) - Seconds(start);
    } else if (icalproperty* d = icalcomponent_get_first_property(e, ICAL_DURATION_PROPERTY)) {
        const icaldurationtype duration = icalproperty_get_duration(d);
        if (!icaldurationtype_is_bad_duration(duration)) length = icaldurationtype_as_int(duration);
    }
    return std::clamp<long long>(length, 0, 3660 * kDay);
}

// The key a RECURRENCE-ID or an EXDATE matches an occurrence by: its instant (or wall
// time), or only its day when the value is a date.
struct InstanceKey {
    long long seconds;
    bool dateOnly;
};
bool Matches(const InstanceKey& key, const icaltimetype& instance) {
    if (key.dateOnly) {
        icaltimetype day = instance;
        day.is_date = 1;
        return WallSeconds(day) == key.seconds;
    }
    return Seconds(instance) == key.seconds;
}
InstanceKey KeyOf(const icaltimetype& t) {
    return {t.is_date ? WallSeconds(t) : Seconds(t), t.is_date != 0};
}

class CExpander {
public:
    CExpander(icalcomponent* calendar, long long from, long long to, long& steps, std::vector<CICalendarText::Span>& out)
        : m_calendar(calendar), m_from(from), m_to(to), m_steps(steps), m_out(out) {}

    bool Run() {
        std::multimap<std::string, icalcomponent*> moved; // UID -> its occurrences with a RECURRENCE-ID
        std::vector<icalcomponent*> masters;
        for (icalcomponent* e = icalcomponent_get_first_component(m_calendar, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(m_calendar, ICAL_VEVENT_COMPONENT)) {
            if (icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) {
                const char* uid = icalcomponent_get_uid(e);
                moved.emplace(uid ? uid : "", e);
            } else {
                masters.push_back(e);
            }
        }
        std::set<std::string> seen;
        for (icalcomponent* master : masters) {
            const char* uid = icalcomponent_get_uid(master);
            const std::string id = uid ? uid : "";
            // The moved occurrences belong to the first event of their UID.
            std::vector<icalcomponent*> own;
            if (!id.empty() && seen.insert(id).second)
                for (auto [it, end] = moved.equal_range(id); it != end; ++it) own.push_back(it->second);
            if (!Series(master, own)) return false;
        }
        // Moved occurrences of no event here, and every moved one in its new place.
        for (auto& [uid, e] : moved) {
            if (Cancelled(e)) continue;
            const icaltimetype start = TimeOf(e, ICAL_DTSTART_PROPERTY, m_calendar);
            if (icaltime_is_null_time(start)) continue;
            long long length = Length(e, start, m_calendar);
            if (!icalcomponent_get_first_property(e, ICAL_DTEND_PROPERTY) &&
                !icalcomponent_get_first_property(e, ICAL_DURATION_PROPERTY)) {
                // A moved occurrence without its own end lasts as long as its series.
                for (icalcomponent* m : masters) {
                    const char* mu = icalcomponent_get_uid(m);
                    if (mu && uid == mu) {
                        const icaltimetype ms = TimeOf(m, ICAL_DTSTART_PROPERTY, m_calendar);
                        if (!icaltime_is_null_time(ms)) length = Length(m, ms, m_calendar);
                        break;
                    }
                }
            }
            Emit(e, start, length, seen.count(uid) != 0);
        }
        return true;
    }

private:
    void Emit(icalcomponent* e, const icaltimetype& start, long long length, bool recurring) {
        const long long s = Seconds(start);
        const long long end = s + length;
        if (s >= m_to || (end <= m_from && !(length == 0 && s >= m_from))) return;
        CICalendarText::Span span;
        span.start = s;
        span.end = end;
        span.floating = !IsAbsolute(start);
        span.allDay = start.is_date != 0;
        span.event = e;
        span.recurring = recurring;
        m_out.push_back(span);
    }

    bool Series(icalcomponent* e, const std::vector<icalcomponent*>& moved) {
        const icaltimetype start = TimeOf(e, ICAL_DTSTART_PROPERTY, m_calendar);
        if (icaltime_is_null_time(start)) return true;
        const long long length = Length(e, start, m_calendar);
        if (Cancelled(e)) return true;
        if (!Recurs(e)) {
            Emit(e, start, length, false);
            return true;
        }
        std::vector<InstanceKey> skip;
        for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(e, ICAL_EXDATE_PROPERTY)) {
            icaltimetype x = icalproperty_get_exdate(p);
            if (Sane(x)) skip.push_back(KeyOf(Zoned(x, p, m_calendar)));
        }
        for (icalcomponent* m : moved) {
            icalproperty* p = icalcomponent_get_first_property(m, ICAL_RECURRENCEID_PROPERTY);
            icaltimetype rid = icalproperty_get_recurrenceid(p);
            if (Sane(rid)) skip.push_back(KeyOf(Zoned(rid, p, m_calendar)));
        }
        std::set<long long> done;
        auto instance = [&](const icaltimetype& t, long long len) {
            for (const InstanceKey& k : skip)
                if (Matches(k, t)) return;
            const long long s = Seconds(t);
            if (!done.insert(s).second) return;
            Emit(e, t, len, true);
        };
        // DTSTART is the first occurrence whatever the rule says.
        instance(start, length);
        for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(e, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype rule = icalproperty_get_rrule(p);
            if (rule.freq == ICAL_NO_RECURRENCE) continue;
            std::unique_ptr<icalrecur_iterator, void (*)(icalrecur_iterator*)> it(
                icalrecur_iterator_new(rule, start), icalrecur_iterator_free);
            if (!it) continue;
            // Without COUNT the walk may begin near the window (an occurrence that
            // began before it and still runs counts).
            if (rule.count <= 0) {
                const long long begin = m_from - length - kDay;
                if (begin > Seconds(start)) {
                    icaltimetype at = IsAbsolute(start) ? FromSeconds(begin, false, icaltimezone_get_utc_timezone())
                                                        : FromSeconds(begin, start.is_date != 0, nullptr);
                    icalrecur_iterator_set_start(it.get(), at);
                }
            }
            for (icaltimetype t = icalrecur_iterator_next(it.get()); !icaltime_is_null_time(t);
                 t = icalrecur_iterator_next(it.get())) {
                if (--m_steps < 0) return false;
                t.zone = start.zone;
                if (Seconds(t) >= m_to) break;
                if (Seconds(t) + length < m_from) continue;
                instance(t, length);
            }
        }
        for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_RDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(e, ICAL_RDATE_PROPERTY)) {
            if (--m_steps < 0) return false;
            const icaldatetimeperiodtype r = icalproperty_get_rdate(p);
            if (!icaltime_is_null_time(r.time) && Sane(r.time)) {
                instance(Zoned(r.time, p, m_calendar), length);
            } else if (Sane(r.period.start)) {
                const icaltimetype s = Zoned(r.period.start, p, m_calendar);
                long long len = length;
                if (!icaltime_is_null_time(r.period.end)) len = Seconds(Zoned(r.period.end, p, m_calendar)) - Seconds(s);
                else if (!icaldurationtype_is_null_duration(r.period.duration)) len = icaldurationtype_as_int(r.period.duration);
                instance(s, std::clamp<long long>(len, 0, 3660 * kDay));
            }
        }
        return true;
    }

    icalcomponent* m_calendar;
    long long m_from, m_to;
    long& m_steps;
    std::vector<CICalendarText::Span>& m_out;
};

// Local calendar fields of a span's time: a floating time or a date as it stands, an
// instant in the chosen zone or by the locale port's clock.
double LocalOle(long long seconds, bool floating, const icaltimezone* zone) {
    icaltimetype t = FromSeconds(seconds, false, nullptr);
    if (!floating) {
        if (zone) {
            icaltimezone_convert_time(&t, icaltimezone_get_utc_timezone(), const_cast<icaltimezone*>(zone));
        } else if (ILocalePort* locale = PortOrNull<ILocalePort>()) {
            int y, mo, d, h, mi, s;
            if (locale->LocalTime(seconds, y, mo, d, h, mi, s)) {
                t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s;
            }
        }
    }
    double ole = 0;
    COleDateTime::OleFromFields(t.year, t.month, t.day, t.hour, t.minute, t.second, ole);
    return ole;
}

double LocalOleOf(const icaltimetype& t, const icaltimezone* zone, bool dayOnly) {
    if (icaltime_is_null_time(t)) return COleDateTime::kNoDate;
    double ole = LocalOle(Seconds(t), !IsAbsolute(t), zone);
    if (dayOnly) ole = COleDateTime::FromLinear(std::floor(COleDateTime::ToLinear(ole)));
    return ole;
}

CTask TaskOf(icalcomponent* todo, icalcomponent* calendar, const icaltimezone* zone, const std::string& prefix) {
    CTask t;
    t.m_subject = TextOf(todo, ICAL_SUMMARY_PROPERTY);
    const char* uid = icalcomponent_get_uid(todo);
    t.m_entryId = prefix + CleanText(uid, 200);
    icalproperty* status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
    const icaltimetype completed = TimeOf(todo, ICAL_COMPLETED_PROPERTY, calendar);
    t.m_complete = (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED) ||
                   !icaltime_is_null_time(completed);
    if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PERCENTCOMPLETE_PROPERTY))
        t.m_percentComplete = std::clamp(icalproperty_get_percentcomplete(p), 0, 100);
    if (t.m_complete) {
        t.m_percentComplete = 100;
        t.m_status = 2;
        t.m_dateCompleted = COleDateTime(LocalOleOf(completed, zone, false));
    } else {
        t.m_status = t.m_percentComplete > 0 ? 1 : 0;
    }
    // Outlook's due dates are days.
    t.m_dueDate = COleDateTime(LocalOleOf(TimeOf(todo, ICAL_DUE_PROPERTY, calendar), zone, true));
    t.m_startDate = COleDateTime(LocalOleOf(TimeOf(todo, ICAL_DTSTART_PROPERTY, calendar), zone, true));
    icaltimetype created = TimeOf(todo, ICAL_CREATED_PROPERTY, calendar);
    if (icaltime_is_null_time(created)) created = TimeOf(todo, ICAL_DTSTAMP_PROPERTY, calendar);
    t.m_creationTime = COleDateTime(icaltime_is_null_time(created) ? 0.0 : LocalOleOf(created, zone, false));
    t.m_importance = Importance(todo);
    t.m_recurring = icalcomponent_get_first_property(todo, ICAL_RRULE_PROPERTY) != nullptr;
    t.m_reminderSet = HasAlarm(todo);
    t.m_sensitivity = Sensitivity(todo);
    t.m_attachments = Attachments(todo);
    return t;
}

struct FreeComponent {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

} // namespace

std::string CICalendarText::Refusal(std::string_view text) {
    if (text.size() > kMaxBytes) return "it is larger than " + std::to_string(kMaxBytes >> 20) + " MB";
    int depth = 0, components = 0;
    bool calendar = false;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find('\n', i);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(i, end - i);
        i = end + 1;
        auto starts = [&](std::string_view word) {
            if (line.size() < word.size()) return false;
            for (size_t k = 0; k < word.size(); ++k)
                if (std::toupper(static_cast<unsigned char>(line[k])) != word[k]) return false;
            return true;
        };
        if (starts("BEGIN:")) {
            if (starts("BEGIN:VCALENDAR")) calendar = true;
            if (++depth > kMaxDepth) return "its items are nested more than " + std::to_string(kMaxDepth) + " levels deep";
            if (++components > kMaxComponents) return "it holds more than " + std::to_string(kMaxComponents) + " items";
        } else if (starts("END:")) {
            if (depth > 0) --depth;
        }
    }
    if (!calendar) return "it is not an iCalendar file (no BEGIN:VCALENDAR)";
    return std::string();
}

bool CICalendarText::Expand(icalcomponent* calendar, long long from, long long to, long& steps, std::vector<Span>& out) {
    return CExpander(calendar, from, to, steps, out).Run();
}

CICalendarItems CICalendarText::Read(std::string_view text, const Options& options) {
    CICalendarItems items;
    items.problem = Refusal(text);
    if (!items.problem.empty()) return items;
    icalerror_set_errors_are_fatal(0);
    const std::string copy(text.substr(0, text.find('\0'))); // libical reads up to a NUL
    std::unique_ptr<icalcomponent, FreeComponent> root(icalparser_parse_string(copy.c_str()));
    if (!root) {
        items.problem = "libical found no calendar in it";
        return items;
    }
    std::vector<icalcomponent*> calendars;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.push_back(root.get());
    } else {
        for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars.push_back(c);
    }
    if (calendars.empty()) {
        items.problem = "libical found no calendar in it";
        return items;
    }
    const icaltimezone* zone = options.zone.empty() ? nullptr : CICalendarZones::Find(options.zone);
    // The window in wall seconds, widened by two days for the zones in between; the
    // exact days are chosen when the lists are filled.
    DateFields f;
    COleDateTime::FieldsFromOle(options.from, f);
    const long long from = DaysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day)) * kDay;
    const long long lo = from - 2 * kDay, hi = from + (options.days + 2) * kDay;
    const double windowStart = COleDateTime::ToLinear(options.from);
    const double windowEnd = windowStart + options.days;
    long steps = kMaxSteps;
    const auto started = std::chrono::steady_clock::now();
    for (icalcomponent* calendar : calendars) {
        // A TZID without its VTIMEZONE is looked up at each time (Zoned): the zones
        // found are shared, with what libical worked out of them, by every file.
        std::vector<Span> spans;
        if (!Expand(calendar, lo, hi, steps, spans) && items.problem.empty())
            items.problem = "its recurrences need more than " + std::to_string(kMaxSteps) +
                            " steps; the rest of its events are left out";
        // The lists take at most 30 a day in start order (today also those still
        // running at its midnight): more of one file for one day are never shown.
        struct Local {
            double start, end, ls;
            const Span* span;
        };
        std::vector<Local> shown;
        for (const Span& s : spans) {
            const double start = LocalOle(s.start, s.floating, zone);
            const double end = LocalOle(s.end, s.floating, zone);
            const double ls = COleDateTime::ToLinear(start), le = COleDateTime::ToLinear(end);
            if (ls >= windowEnd || (le <= windowStart && !(le == ls && ls >= windowStart))) continue;
            shown.push_back({start, end, ls, &s});
        }
        std::stable_sort(shown.begin(), shown.end(), [](const Local& a, const Local& b) { return a.ls < b.ls; });
        std::map<double, int> perDay; // by the day the occurrence starts on; before the window: one count
        for (const Local& l : shown) {
            const Span& s = *l.span;
            if (++perDay[std::max(std::floor(l.ls), std::floor(windowStart) - 1)] > kMaxPerDay) continue;
            const double start = l.start, end = l.end;
            CAppointment a;
            a.m_subject = TextOf(s.event, ICAL_SUMMARY_PROPERTY);
            a.m_importance = Importance(s.event);
            a.m_recurring = s.recurring;
            a.m_reminderSet = HasAlarm(s.event);
            a.m_allDay = s.allDay;
            a.SetTimes(start, end);
            a.m_duration = static_cast<int>((s.end - s.start) / 60);
            a.m_entryId = options.idPrefix + CleanText(icalcomponent_get_uid(s.event), 200);
            a.m_sensitivity = Sensitivity(s.event);
            a.m_attachments = Attachments(s.event);
            items.appointments.push_back(std::move(a));
        }
        for (icalcomponent* todo = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT); todo;
             todo = icalcomponent_get_next_component(calendar, ICAL_VTODO_COMPONENT)) {
            if (Cancelled(todo)) continue;
            items.tasks.push_back(TaskOf(todo, calendar, zone, options.idPrefix));
        }
        if (std::chrono::steady_clock::now() - started > std::chrono::seconds(2)) {
            if (items.problem.empty()) items.problem = "it took too long to read; the rest of it is left out";
            break;
        }
    }
    return items;
}
