#include "CalendarMerge.h"

#include <algorithm>
#include <cmath>

namespace {

// A date as Outlook's filter compares it: to the minute.
long long Minute(double ole) {
    const double v = COleDateTime::ToLinear(ole);
    return static_cast<long long>(std::floor(v * 1440.0 + 1e-6));
}

} // namespace

bool CCalendarMerge::MergeDays(std::span<CAppointments> days, const std::vector<CAppointment>& appointments,
                               const COleDateTime& today) {
    bool complete = true;
    for (CAppointments& list : days) {
        const double day = std::floor(COleDateTime::ToLinear(list.m_dayStart.m_dt));
        const bool isToday = day == std::floor(COleDateTime::ToLinear(today.m_dt));
        const long long lo = static_cast<long long>(day) * 1440, hi = lo + 23 * 60 + 59;
        std::vector<const CAppointment*> taken;
        for (const CAppointment& a : appointments) {
            const long long s = Minute(a.m_start.m_dt);
            if ((s >= lo && s < hi) || (isToday && s < lo && Minute(a.m_end.m_dt) > lo)) taken.push_back(&a);
        }
        if (taken.empty()) continue;
        std::vector<std::unique_ptr<CAppointment>> all;
        for (int i = 0; i < list.GetCount(); ++i) all.push_back(std::make_unique<CAppointment>(list.GetAt(i)));
        for (const CAppointment* a : taken) all.push_back(std::make_unique<CAppointment>(*a));
        // Outlook's own first where the starts are equal: they came first.
        std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
            return COleDateTime::ToLinear(a->m_start.m_dt) < COleDateTime::ToLinear(b->m_start.m_dt);
        });
        if (all.size() > static_cast<size_t>(CAppointments::kMaxPerDay)) {
            all.resize(CAppointments::kMaxPerDay);
            complete = false;
        }
        list.RemoveAll();
        for (auto& a : all) list.Add(std::move(a));
    }
    return complete;
}

void CCalendarMerge::MergeTasks(CTasks& tasks, const std::vector<CTask>& found, const CSettings& settings,
                                const COleDateTime& now) {
    for (const CTask& t : found)
        if (CTasks::Selected(t.m_status, t.m_dateCompleted.m_dt, t.m_dueDate.m_dt, settings, now))
            tasks.Add(std::make_unique<CTask>(t));
    tasks.Sort(settings);
}

void CCalendarMerge::RemoveFromLists(std::span<CAppointments> days, CTasks& tasks) {
    for (CAppointments& list : days) list.Filter([](CAppointment& a) { return !FromCalendarFile(a.m_entryId); });
    tasks.Filter([](CTask& t) { return !FromCalendarFile(t.m_entryId); });
}
