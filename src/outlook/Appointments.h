#pragma once
// The appointments of one day, in start order, at most 30.
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "Appointment.h"

class CLocaleValues;

class CAppointments {
public:
    static constexpr int kMaxPerDay = 30;

    int GetCount() const { return static_cast<int>(m_appointments.size()); }
    const CAppointment& GetAt(int index) const { return *m_appointments[static_cast<size_t>(index)]; }
    void RemoveAll() { m_appointments.clear(); }
    void Add(std::unique_ptr<CAppointment> a) { m_appointments.push_back(std::move(a)); }
    // Keeps, in order, the records keep returns true for (it may change them).
    void Filter(const std::function<bool(CAppointment&)>& keep) {
        m_appointments.erase(std::remove_if(m_appointments.begin(), m_appointments.end(),
                                            [&](const std::unique_ptr<CAppointment>& a) { return !keep(*a); }),
                             m_appointments.end());
    }

    // The Restrict condition for the day that starts at dayStart; today's also takes the
    // items still running at its midnight.
    static std::string BuildFilter(const COleDateTime& dayStart, bool isToday, const CLocaleValues& locale);
    // Text to stand between the single quotes of a Restrict condition: each quote doubled.
    static std::string QuotedText(const std::string& text);
    // Fills the list from the calendar's items; throws CAutoError from Outlook.
    bool Read(IAutoObject& items, const COleDateTime& today, const CLocaleValues& locale);

    COleDateTime m_dayEnd;
    COleDateTime m_dayStart;

private:
    std::vector<std::unique_ptr<CAppointment>> m_appointments;
};
