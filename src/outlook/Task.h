#pragma once
// One task as the wallpaper shows it.
#include <string>
#include <vector>

#include "../util/OleDateTime.h"
#include "../automation/AutoValue.h"

class CTask {
public:
    CTask() = default;
    // Reads the item's members in Outlook's order; throws CAutoError on a failing call.
    explicit CTask(IAutoObject& item);

    const std::string& GetSubject() const { return m_subject; }
    bool IsComplete() const { return m_complete; }
    int GetPercentComplete() const { return m_percentComplete; }
    bool HasAttachments() const { return !m_attachments.empty(); }
    int GetImportance() const { return m_importance; }
    bool HasReminder() const { return m_reminderSet; }
    bool IsRecurring() const { return m_recurring; }
    int GetStatus() const { return m_status; }
    const COleDateTime& GetDueDate() const { return m_dueDate; }
    const COleDateTime& GetStartDate() const { return m_startDate; }
    const COleDateTime& GetCreationTime() const { return m_creationTime; }
    const COleDateTime& GetDateCompleted() const { return m_dateCompleted; }
    const std::string& GetEntryID() const { return m_entryId; }
    // Outlook's Sensitivity: 0 normal, 1 personal, 2 private, 3 confidential.
    int GetSensitivity() const { return m_sensitivity; }
    // The same record from a row of a table read with Columns(), in that order; the
    // attachments' names are read from the item by the caller (kHasAttachments).
    enum Column { kCreation, kStartDate, kComplete, kDateCompleted, kRecurring, kReminder, kDueDate, kEntryId,
                  kImportance, kPercent, kStatus, kSubject, kSensitivity, kHasAttachments, kModified, kColumnCount };
    static const std::vector<std::string>& Columns();
    static CTask FromRow(const std::vector<CAutoValue>& row);

    bool HasDueDate() const { return m_dueDate.m_dt != COleDateTime::kNoDate; }

    bool m_complete = false;
    bool m_recurring = false;
    bool m_reminderSet = false;
    int m_percentComplete = 0;
    int m_status = 0;
    int m_importance = 1;
    COleDateTime m_dueDate, m_creationTime, m_dateCompleted, m_startDate;
    std::string m_entryId;
    std::string m_subject;
    std::vector<std::string> m_attachments;
    int m_sensitivity = 0;
};
