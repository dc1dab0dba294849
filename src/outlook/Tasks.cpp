#include "Tasks.h"

#include <algorithm>

#include <cmath>
#include <iterator>

#include "../settings/Settings.h"

namespace {

bool IsNoDate(const COleDateTime& d) { return d.m_dt == COleDateTime::kNoDate; }

// Earlier first; invalid dates never compare as earlier or later.
int ByDate(const COleDateTime& a, const COleDateTime& b) {
    if (a < b) return -1;
    if (a > b) return 1;
    return 0;
}

// No date first, then earlier first.
int ByOptionalDate(const COleDateTime& a, const COleDateTime& b) {
    bool na = IsNoDate(a), nb = IsNoDate(b);
    if (na && nb) return 0;
    if (na) return -1;
    if (nb) return 1;
    return ByDate(a, b);
}

// The comparison named by a sort key; false for a key that names none.
bool ByKey(const std::string& key, const CTask& a, const CTask& b, int& result) {
    if (key == "[Importance]") {
        result = a.m_importance < b.m_importance ? -1 : a.m_importance > b.m_importance ? 1 : 0;
    } else if (key == "[DueDate]") {
        result = ByOptionalDate(a.m_dueDate, b.m_dueDate);
    } else if (key == "[StartDate]") {
        result = ByOptionalDate(a.m_startDate, b.m_startDate);
    } else if (key == "[CreationTime]") {
        result = ByDate(a.m_creationTime, b.m_creationTime);
    } else {
        return false;
    }
    return true;
}

} // namespace

const CTask& CTasks::GetAt(int index) const { return *m_tasks[static_cast<size_t>(index)]; }

int CTasks::Compare(const CTask& a, const CTask& b, const CSettings& s) {
    int result = ByOptionalDate(a.m_dueDate, b.m_dueDate);
    if (result == 0) result = ByDate(a.m_creationTime, b.m_creationTime);
    if (s.m_outlook.m_taskSortKey1 != "~") {
        int keyed = 0;
        if (ByKey(s.m_outlook.m_taskSortKey1, a, b, keyed)) result = s.m_outlook.m_taskSortAscending1 ? keyed : -keyed;
        if (result != 0) return result;
        if (ByKey(s.m_outlook.m_taskSortKey2, a, b, keyed)) result = s.m_outlook.m_taskSortAscending2 ? keyed : -keyed;
        if (result != 0) return result;
    } else if (result != 0) {
        return result;
    }
    return a.m_creationTime < b.m_creationTime ? -1 : 1;
}

void CTasks::Sort(const CSettings& settings) {
    // Stable: tasks that compare equal keep Outlook's order.
    std::stable_sort(m_tasks.begin(), m_tasks.end(), [&](const std::unique_ptr<CTask>& a, const std::unique_ptr<CTask>& b) {
        return Compare(*a, *b, settings) == -1;
    });
}

bool CTasks::Selected(int status, double dateCompleted, double dueDate, const CSettings& settings,
                      const COleDateTime& now) {
    if (status == 2 && std::floor(COleDateTime::ToLinear(dateCompleted)) != std::floor(COleDateTime::ToLinear(now.m_dt)))
        return false;
    if (settings.m_outlook.m_taskFilter == "All") return true;
    const COleDateTime due(dueDate);
    return now >= due || (settings.m_outlook.m_includeNoDueDate && due.m_dt == COleDateTime::kNoDate);
}

bool CTasks::Read(IAutoObject& items, const CSettings& settings, const COleDateTime& now) {
    // The tasks are sorted once when the walk ends, also when Outlook fails part-way.
    struct SortAtEnd {
        CTasks& tasks;
        const CSettings& settings;
        ~SortAtEnd() { tasks.Sort(settings); }
    } sortAtEnd{*this, settings};
    const double today = std::floor(COleDateTime::ToLinear(now.m_dt));
    AutoObjectPtr item = AsInterface(items.Call("GetFirst", {}).AsObject(), "_TaskItem");
    while (item) {
        // DateCompleted is asked for only of a completed task and DueDate only under a filter.
        const int status = item->Get("Status").AsInt();
        const double completed = status == 2 ? item->Get("DateCompleted").AsDate() : 0.0;
        bool take = status != 2 || std::floor(COleDateTime::ToLinear(completed)) == today;
        if (take && settings.m_outlook.m_taskFilter != "All")
            take = Selected(status, completed, item->Get("DueDate").AsDate(), settings, now);
        if (take) m_tasks.push_back(std::make_unique<CTask>(*item));
        item = AsInterface(items.Call("GetNext", {}).AsObject(), "_TaskItem");
    }
    return true;
}
