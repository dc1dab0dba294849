#include "HeaderRegion.h"

std::string CHeaderRegion::TooltipText() const {
    std::string text;
    switch (m_kind) {
    case NewAppointment: text = OpenText("New Appointment"); break;
    case NewTask: text = OpenText("New Task"); break;
    case NewMail: text = OpenText("New Mail"); break;
    case Outlook: text = OpenText("Outlook"); break;
    case Contacts: text = OpenText("Outlook Contacts"); break;
    default: break;
    }
    return m_note.empty() ? text : text + "\n" + m_note;
}

// Tooltips of header regions are told apart by the region itself.
std::uint64_t CHeaderRegion::TooltipKey() const { return reinterpret_cast<std::uintptr_t>(this); }

RegionMessage CHeaderRegion::Message() const {
    RegionMessage m;
    switch (m_kind) {
    case NewAppointment: m.message = RegionMessages::kNewAppointment; break;
    case NewTask: m.message = RegionMessages::kNewTask; break;
    case Outlook: m.message = RegionMessages::kStartOutlook; break;
    case Contacts: m.message = RegionMessages::kOpenContacts; break;
    default: m.message = RegionMessages::kNewMail; break;
    }
    return m;
}

std::string CHeaderRegion::Describe() const {
    switch (m_kind) {
    case NewAppointment: return "new appointment";
    case NewTask: return "new task";
    case Outlook: return "start Outlook";
    case Contacts: return "open contacts";
    default: return "new mail";
    }
}

std::string CHeaderRegion::DefaultName() const {
    switch (m_kind) {
    case NewAppointment: return "New Appointment";
    case NewTask: return "New Task";
    case Outlook: return "Outlook";
    case Contacts: return "Outlook Contacts";
    default: return "New Mail";
    }
}
