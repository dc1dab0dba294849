#include "Task.h"

#include "Appointment.h"

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
