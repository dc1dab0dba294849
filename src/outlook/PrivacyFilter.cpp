#include "PrivacyFilter.h"

#include <algorithm>

#include "Appointments.h"
#include "Tasks.h"

CPrivacyFilter::CPrivacyFilter(int privateItems, bool presenting)
    : m_privateItems(std::clamp(privateItems, static_cast<int>(kShown), static_cast<int>(kLeftOut))),
      m_presenting(presenting) {}

const char* CPrivacyFilter::Replacement(int sensitivity, const char* privateText, bool& leftOut) const {
    leftOut = false;
    if (IsPrivate(sensitivity) && m_privateItems == kLeftOut) {
        leftOut = true;
        return nullptr;
    }
    if (m_presenting) return kBusy;
    if (IsPrivate(sensitivity) && m_privateItems == kMasked) return privateText;
    return nullptr;
}

bool CPrivacyFilter::Apply(CAppointment& a) const {
    bool leftOut = false;
    if (const char* text = Replacement(a.GetSensitivity(), kPrivateAppointment, leftOut)) {
        a.m_subject = text;
        // Attachment names say as much as a subject; only whether there are any stays.
        if (!a.m_attachments.empty()) a.m_attachments.assign(1, std::string());
    }
    return !leftOut;
}

bool CPrivacyFilter::Apply(CTask& t) const {
    bool leftOut = false;
    if (const char* text = Replacement(t.GetSensitivity(), kPrivateTask, leftOut)) {
        t.m_subject = text;
        if (!t.m_attachments.empty()) t.m_attachments.assign(1, std::string());
    }
    return !leftOut;
}

void CPrivacyFilter::Apply(CAppointments& day) const {
    day.Filter([this](CAppointment& a) { return Apply(a); });
}

void CPrivacyFilter::Apply(CTasks& tasks) const {
    tasks.Filter([this](CTask& t) { return Apply(t); });
}
