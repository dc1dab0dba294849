#include "Appointment.h"

#include "ItemTable.h"

CAppointment::CAppointment(IAutoObject& item) {
    m_subject = item.Get("Subject").AsString();
    m_importance = item.Get("Importance").AsInt();
    m_recurring = item.Get("IsRecurring").AsBool();
    m_reminderSet = item.Get("ReminderSet").AsBool();
    m_allDay = item.Get("AllDayEvent").AsBool();
    const double start = item.Get("Start").AsDate();
    const double end = item.Get("End").AsDate();
    m_duration = item.Get("Duration").AsInt();
    SetTimes(start, end);
    m_entryId = item.Get("EntryID").AsString();
    m_sensitivity = item.Get("Sensitivity").AsInt();
    m_attachments = ReadAttachments(item);
}

void CAppointment::SetTimes(double start, double end) {
    m_start = COleDateTime(start);
    m_end = COleDateTime(end);
    COleDateTimeSpan length = m_end - m_start;
    m_multiDay = length.GetStatus() == COleDateTimeSpan::valid && length.GetTotalDays() > 1.0 + 1e-9;
}

const std::vector<std::string>& CAppointment::Columns() {
    static const std::vector<std::string> kColumns = {
        "Subject", "Importance", "IsRecurring", "ReminderSet", "AllDayEvent", "Start", "End", "Duration", "EntryID",
        "Sensitivity", CItemTable::kHasAttachments, "LastModificationTime"};
    return kColumns;
}

CAppointment CAppointment::FromRow(const std::vector<CAutoValue>& row) {
    CAppointment a;
    a.m_subject = row.at(kSubject).AsString();
    a.m_importance = row.at(kImportance).AsInt();
    a.m_recurring = row.at(kRecurring).AsBool();
    a.m_reminderSet = row.at(kReminder).AsBool();
    a.m_allDay = row.at(kAllDay).AsBool();
    a.m_duration = row.at(kDuration).AsInt();
    a.SetTimes(row.at(kStart).AsDate(), row.at(kEnd).AsDate());
    a.m_entryId = row.at(kEntryId).AsString();
    a.m_sensitivity = row.at(kSensitivity).AsInt();
    return a;
}

std::vector<std::string> CAppointment::ReadAttachments(IAutoObject& item) {
    std::vector<std::string> names;
    AutoObjectPtr attachments = item.Get("Attachments").AsObject();
    if (!attachments) return names;
    int count = attachments->Get("Count").AsInt();
    for (int n = count; n >= 1; --n) {
        AutoObjectPtr a = attachments->Call("Item", {CAutoValue::Int(n)}).AsObject();
        if (a) names.push_back(a->Get("DisplayName").AsString());
    }
    return names;
}

std::string CAppointment::FormatTime(const COleDateTime& t, bool hours24) {
    if (hours24) return t.Format("%H:%M");
    if (t.GetHour() > 11) return t.Format("%I:%Mpm");
    return t.Format("%H:%Mam");
}
