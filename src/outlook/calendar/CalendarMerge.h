#pragma once
// The calendar sources' records put into the lists Outlook's fill: each appointment
// into the day lists as Outlook's filter takes it (its start in [D 00:00, D 23:59),
// and on today also one still running at today's midnight), in start order, at most
// 30 a day; each task through Outlook Today's filter into the task list, which is then
// sorted by Outlook Today's keys. Their entry ids begin with kIdPrefix, so that the
// next read can take them out again.
#include <span>
#include <vector>

#include "../Appointments.h"
#include "../Tasks.h"

class CSettings;

class CCalendarMerge {
public:
    static constexpr const char* kIdPrefix = "ical:";
    static bool FromCalendarFile(const std::string& entryId) { return entryId.rfind(kIdPrefix, 0) == 0; }

    // Adds to each list (whose m_dayStart is set) the appointments its day takes;
    // false when a list had to drop appointments past the 30th.
    static bool MergeDays(std::span<CAppointments> days, const std::vector<CAppointment>& appointments,
                          const COleDateTime& today);
    // Adds the tasks the filter takes and sorts the list.
    static void MergeTasks(CTasks& tasks, const std::vector<CTask>& found, const CSettings& settings,
                           const COleDateTime& now);
    // Takes the calendar files' records out of the lists (before new ones come in).
    static void RemoveFromLists(std::span<CAppointments> days, CTasks& tasks);
};
