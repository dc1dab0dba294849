#include "Appointment.h"

CAppointment::CAppointment(IAutoObject& item) {
    m_subject = item.Get("Subject").AsString();
    m_importance = item.Get("Importance").AsInt();
    m_recurring = item.Get("IsRecurring").AsBool();
    m_reminderSet = item.Get("ReminderSet").AsBool();
    m_allDay = item.Get("AllDayEvent").AsBool();
    m_start = COleDateTime(item.Get("Start").AsDate());
    m_end = COleDateTime(item.Get("End").AsDate());
    m_duration = item.Get("Duration").AsInt();
    COleDateTimeSpan length = m_end - m_start;
    m_multiDay = length.GetStatus() == COleDateTimeSpan::valid && length.GetTotalDays() > 1.0 + 1e-9;
    m_entryId = item.Get("EntryID").AsString();
    m_sensitivity = item.Get("Sensitivity").AsInt();
    m_attachments = ReadAttachments(item);
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
