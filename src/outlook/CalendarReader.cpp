#include "CalendarReader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "../util/LocaleValues.h"
#include "ItemTable.h"

namespace {

// A date as a condition compares it: to the minute its text can hold.
long long Minute(double ole) {
    const double v = COleDateTime::ToLinear(ole);
    return static_cast<long long>(v * 1440.0 + (v >= 0 ? 1e-6 : -1e-6));
}

// One appointment of a day with what orders it as Outlook's sorted, expanded
// collection does: its start, then the start of its series (its own for a single
// one), then the series' place in the folder, then the order of the occurrences.
struct Candidate {
    CAppointment appointment;
    double start = 0, seriesStart = 0;
    size_t folderIndex = 0, sequence = 0;
};

bool Before(const Candidate& a, const Candidate& b) {
    const double sa = COleDateTime::ToLinear(a.start), sb = COleDateTime::ToLinear(b.start);
    if (sa != sb) return sa < sb;
    const double ma = COleDateTime::ToLinear(a.seriesStart), mb = COleDateTime::ToLinear(b.seriesStart);
    if (ma != mb) return ma < mb;
    if (a.folderIndex != b.folderIndex) return a.folderIndex < b.folderIndex;
    return a.sequence < b.sequence;
}

} // namespace

void CCalendarReader::Read(std::span<CAppointments> days, const COleDateTime& today, const CLocaleValues& locale) {
    if (days.empty()) return;
    const COleDateTime first(std::trunc(days.front().m_dayStart.m_dt));
    const COleDateTime last(std::trunc(days.back().m_dayStart.m_dt));
    // Every single appointment that can be on one of the days, and every series.
    const std::string from = CAppointments::QuotedText(locale.DateTimeText(first));
    const std::string to = CAppointments::QuotedText(locale.DateTimeText(last + COleDateTimeSpan(0, 23, 59, 59)));
    const std::vector<CItemTable::Row> rows = CItemTable::Read(
        m_calendar, "[IsRecurring] = True or ([End] >= '" + from + "' and [Start] < '" + to + "')",
        CAppointment::Columns());

    struct Series {
        size_t index;
        const CItemTable::Row* row;
    };
    std::map<std::string, Series> series;
    std::vector<size_t> singles;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i][CAppointment::kRecurring].AsBool())
            series[rows[i][CAppointment::kEntryId].AsString()] = {i, &rows[i]};
        else
            singles.push_back(i);
    }
    std::map<std::string, std::vector<std::string>> names; // attachment names read this time
    auto attachments = [&](const CItemTable::Row& row) {
        if (!row[CAppointment::kHasAttachments].AsBool()) return std::vector<std::string>();
        const std::string id = row[CAppointment::kEntryId].AsString();
        auto it = names.find(id);
        if (it == names.end()) it = names.emplace(id, m_attachments(id)).first;
        return it->second;
    };

    for (CAppointments& list : days) {
        const COleDateTime day(std::trunc(list.m_dayStart.m_dt));
        const bool isToday = list.m_dayStart.GetDayOfYear() == today.GetDayOfYear() &&
                             list.m_dayStart.GetYear() == today.GetYear();
        const long long lo = Minute(day.m_dt), hi = lo + 23 * 60 + 59;
        std::vector<Candidate> found;
        std::vector<double> singleStarts;
        for (size_t i : singles) {
            const CItemTable::Row& row = rows[i];
            const double start = row[CAppointment::kStart].AsDate(), end = row[CAppointment::kEnd].AsDate();
            const long long s = Minute(start);
            if (!((s >= lo && s < hi) || (isToday && s < lo && Minute(end) > lo))) continue;
            Candidate c{CAppointment::FromRow(row), start, start, i, 0};
            c.appointment.m_attachments = attachments(row);
            singleStarts.push_back(COleDateTime::ToLinear(start));
            found.push_back(std::move(c));
        }
        if (!series.empty()) {
            AutoObjectPtr items = m_calendar.Get("Items").AsObject();
            if (!items) throw CAutoError(AutoCode::Exception, "the calendar has no items");
            items->Call("Sort", {CAutoValue::String("[Start]"), CAutoValue::Missing()});
            items->Put("IncludeRecurrences", CAutoValue::Bool(true));
            AutoObjectPtr occurrences =
                items->Call("Restrict", {CAutoValue::String("(" + CAppointments::BuildFilter(day, isToday, locale) +
                                                            ") and [IsRecurring] = True")})
                    .AsObject();
            if (occurrences) {
                occurrences->Call("Sort", {CAutoValue::String("[Start]"), CAutoValue::Missing()});
                size_t taken = 0;
                // An item that is no appointment fails on RecurrenceState, and the read
                // falls back to the walk, which ends there.
                AutoObjectPtr item = occurrences->Call("GetFirst", {}).AsObject();
                while (item) {
                    const double start = item->Get("Start").AsDate();
                    // Past the day's first 30 whatever the order of equal starts: so is every later one.
                    const double s = COleDateTime::ToLinear(start);
                    const size_t earlier = static_cast<size_t>(
                        std::count_if(singleStarts.begin(), singleStarts.end(), [&](double x) { return x < s; }));
                    if (taken + earlier >= static_cast<size_t>(CAppointments::kMaxPerDay)) break;
                    const std::string id = item->Get("EntryID").AsString();
                    auto it = series.find(id);
                    Candidate c;
                    if (item->Get("RecurrenceState").AsInt() == kException || it == series.end()) {
                        c.appointment = CAppointment(*item); // a changed occurrence has its own values
                    } else {
                        // An occurrence lasts as long as its series.
                        const CItemTable::Row& row = *it->second.row;
                        const double length = COleDateTime::ToLinear(row[CAppointment::kEnd].AsDate()) -
                                              COleDateTime::ToLinear(row[CAppointment::kStart].AsDate());
                        c.appointment = CAppointment::FromRow(row);
                        c.appointment.SetTimes(start, COleDateTime::FromLinear(s + length));
                        c.appointment.m_attachments = attachments(row);
                    }
                    c.start = start;
                    c.seriesStart = it == series.end() ? start : (*it->second.row)[CAppointment::kStart].AsDate();
                    c.folderIndex = it == series.end() ? std::numeric_limits<size_t>::max() : it->second.index;
                    c.sequence = taken++;
                    found.push_back(std::move(c));
                    item = occurrences->Call("GetNext", {}).AsObject();
                }
            }
        }
        std::stable_sort(found.begin(), found.end(), Before);
        for (size_t k = 0; k < found.size() && k < static_cast<size_t>(CAppointments::kMaxPerDay); ++k)
            list.Add(std::make_unique<CAppointment>(std::move(found[k].appointment)));
    }
}
