#pragma once
// One calendar item (or one occurrence of a recurring one) as the wallpaper shows it.
#include <string>
#include <vector>

#include "../util/OleDateTime.h"
#include "../automation/AutoValue.h"

class CAppointment {
public:
    // Reads the item's members in Outlook's order; throws CAutoError on a failing call.
    explicit CAppointment(IAutoObject& item);
    CAppointment() = default;

    bool IsMultiDay() const { return m_multiDay; }
    const std::string& GetSubject() const { return m_subject; }
    int GetImportance() const { return m_importance; }
    bool IsRecurring() const { return m_recurring; }
    bool HasReminder() const { return m_reminderSet; }
    bool IsAllDay() const { return m_allDay; }
    const COleDateTime& GetStart() const { return m_start; }
    const COleDateTime& GetEnd() const { return m_end; }
    int GetDuration() const { return m_duration; }
    bool HasAttachments() const { return !m_attachments.empty(); }
    const std::vector<std::string>& GetAttachments() const { return m_attachments; }
    const std::string& GetEntryID() const { return m_entryId; }
    // Outlook's Sensitivity: 0 normal, 1 personal, 2 private, 3 confidential.
    int GetSensitivity() const { return m_sensitivity; }
    std::string FormatStartTime(bool hours24) const { return FormatTime(m_start, hours24); }
    std::string FormatEndTime(bool hours24) const { return FormatTime(m_end, hours24); }

    // "%H:%M", or "%I:%Mpm" after 11 o'clock and "%H:%Mam" before.
    static std::string FormatTime(const COleDateTime& t, bool hours24);
    // Display names from index Count down to 1.
    static std::vector<std::string> ReadAttachments(IAutoObject& item);

    // The same record from a row of a table read with Columns(), in that order. A table
    // holds no attachments: the row only says whether there are any (kHasAttachments),
    // and the caller reads their names from the item.
    enum Column { kSubject, kImportance, kRecurring, kReminder, kAllDay, kStart, kEnd, kDuration, kEntryId,
                  kSensitivity, kHasAttachments, kModified, kColumnCount };
    static const std::vector<std::string>& Columns();
    static CAppointment FromRow(const std::vector<CAutoValue>& row);
    // Start and end, with the multi-day flag they give.
    void SetTimes(double start, double end);

    bool m_multiDay = false;
    std::string m_subject;
    int m_importance = 1;
    bool m_recurring = false;
    bool m_reminderSet = false;
    bool m_allDay = false;
    COleDateTime m_start, m_end;
    int m_duration = 0;
    std::vector<std::string> m_attachments;
    std::string m_entryId;
    int m_sensitivity = 0;
};
