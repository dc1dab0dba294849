#include "Appointments.h"

#include <cmath>

#include "../util/LocaleValues.h"

std::string CAppointments::QuotedText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out;
}

std::string CAppointments::BuildFilter(const COleDateTime& dayStart, bool isToday, const CLocaleValues& locale) {
    COleDateTime d(std::trunc(dayStart.m_dt));
    d.SetStatus(dayStart.GetStatus());
    // A long date may hold an apostrophe ("8 d'abril"): doubled, it stays inside the quotes.
    std::string from = QuotedText(locale.DateTimeText(d));
    std::string to = QuotedText(locale.DateTimeText(d + COleDateTimeSpan(0, 23, 59, 59)));
    std::string filter = "[Start] >= '" + from + "' and [Start] < '" + to + "'";
    if (isToday) filter = "(" + filter + ") or ([Start] < '" + from + "' and [End] > '" + from + "')";
    return filter;
}

bool CAppointments::Read(IAutoObject& items, const COleDateTime& today, const CLocaleValues& locale) {
    bool isToday = m_dayStart.GetDayOfYear() == today.GetDayOfYear() && m_dayStart.GetYear() == today.GetYear();
    std::string filter = BuildFilter(m_dayStart, isToday, locale);
    // Outlook expands recurring appointments only in this order: sorted ascending by
    // [Start] first, then IncludeRecurrences, then the filter.
    items.Call("Sort", {CAutoValue::String("[Start]"), CAutoValue::Missing()});
    items.Put("IncludeRecurrences", CAutoValue::Bool(true));
    AutoObjectPtr restricted = items.Call("Restrict", {CAutoValue::String(filter)}).AsObject();
    if (!restricted) return true;
    restricted->Call("Sort", {CAutoValue::String("[Start]"), CAutoValue::Missing()});
    AutoObjectPtr item = AsInterface(restricted->Call("GetFirst", {}).AsObject(), "_AppointmentItem");
    while (item) {
        m_appointments.push_back(std::make_unique<CAppointment>(*item));
        if (GetCount() >= kMaxPerDay) break;
        item = AsInterface(restricted->Call("GetNext", {}).AsObject(), "_AppointmentItem");
    }
    return true;
}
