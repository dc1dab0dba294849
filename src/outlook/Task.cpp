#include "Task.h"

#include "Appointment.h"
#include "ItemTable.h"

CTask::CTask(IAutoObject& item) {
    m_creationTime = COleDateTime(item.Get("CreationTime").AsDate());
    m_startDate = COleDateTime(item.Get("StartDate").AsDate());
    m_complete = item.Get("Complete").AsBool();
    if (m_complete) m_dateCompleted = COleDateTime(item.Get("DateCompleted").AsDate());
    m_recurring = item.Get("IsRecurring").AsBool();
    m_reminderSet = item.Get("ReminderSet").AsBool();
    m_dueDate = COleDateTime(item.Get("DueDate").AsDate());
    m_entryId = item.Get("EntryID").AsString();
    m_importance = item.Get("Importance").AsInt();
    m_percentComplete = item.Get("PercentComplete").AsInt();
    m_status = item.Get("Status").AsInt();
    m_subject = item.Get("Subject").AsString();
    m_sensitivity = item.Get("Sensitivity").AsInt();
    m_attachments = CAppointment::ReadAttachments(item);
}

const std::vector<std::string>& CTask::Columns() {
    static const std::vector<std::string> kColumns = {
        "CreationTime", "StartDate", "Complete", "DateCompleted", "IsRecurring", "ReminderSet", "DueDate", "EntryID",
        "Importance", "PercentComplete", "Status", "Subject", "Sensitivity", CItemTable::kHasAttachments,
        "LastModificationTime"};
    return kColumns;
}

CTask CTask::FromRow(const std::vector<CAutoValue>& row) {
    CTask t;
    t.m_creationTime = COleDateTime(row.at(kCreation).AsDate());
    t.m_startDate = COleDateTime(row.at(kStartDate).AsDate());
    t.m_complete = row.at(kComplete).AsBool();
    if (t.m_complete) t.m_dateCompleted = COleDateTime(row.at(kDateCompleted).AsDate());
    t.m_recurring = row.at(kRecurring).AsBool();
    t.m_reminderSet = row.at(kReminder).AsBool();
    t.m_dueDate = COleDateTime(row.at(kDueDate).AsDate());
    t.m_entryId = row.at(kEntryId).AsString();
    t.m_importance = row.at(kImportance).AsInt();
    t.m_percentComplete = row.at(kPercent).AsInt();
    t.m_status = row.at(kStatus).AsInt();
    t.m_subject = row.at(kSubject).AsString();
    t.m_sensitivity = row.at(kSensitivity).AsInt();
    return t;
}
