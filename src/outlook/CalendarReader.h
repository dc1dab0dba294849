#pragma once
// The appointments of the shown days from a table (Outlook 2007 and later): single
// appointments come from one table of the calendar; recurring ones keep Outlook's
// item collection with IncludeRecurrences (a table never expands a series), each
// occurrence taking what it shares with its series from the series' row. The lists
// come out as the day-by-day walk of CAppointments::Read gives them.
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "../automation/AutoValue.h"
#include "Appointments.h"

class CLocaleValues;

class CCalendarReader {
public:
    // attachments: the attachment names of the item with that entry id.
    using AttachmentReader = std::function<std::vector<std::string>(const std::string& entryId)>;
    CCalendarReader(IAutoObject& calendar, AttachmentReader attachments)
        : m_calendar(calendar), m_attachments(std::move(attachments)) {}
    // Fills each list for its m_dayStart; throws CAutoError (the lists may then hold part).
    void Read(std::span<CAppointments> days, const COleDateTime& today, const CLocaleValues& locale);

    // Outlook's RecurrenceState of a changed occurrence.
    static constexpr int kException = 3;

private:
    IAutoObject& m_calendar;
    AttachmentReader m_attachments;
};
