#pragma once
// What the wallpaper may show of the items read: "Private Items" 0 shows private and
// confidential items as they are, 1 draws them as "Private appointment" / "Private
// task", 2 leaves them out; presenting draws every subject as "Busy" (times, days,
// marks and counts stay). Applied to the lists right after a read, so the drawing,
// the regions, the pop-up and the change signature all see the same masked records.
#include <string>

class CAppointment;
class CAppointments;
class CTask;
class CTasks;

class CPrivacyFilter {
public:
    enum PrivateItems { kShown = 0, kMasked = 1, kLeftOut = 2 };
    static constexpr const char* kPrivateAppointment = "Private appointment";
    static constexpr const char* kPrivateTask = "Private task";
    static constexpr const char* kBusy = "Busy";

    // privateItems: the setting; anything outside 0..2 is taken as the nearest.
    CPrivacyFilter(int privateItems, bool presenting);

    // Outlook's Sensitivity 2 (private) and 3 (confidential); 1 (personal) is not.
    static bool IsPrivate(int sensitivity) { return sensitivity >= 2; }

    // Masks the record; false when it is to be left out.
    bool Apply(CAppointment& a) const;
    bool Apply(CTask& t) const;
    void Apply(CAppointments& day) const;
    void Apply(CTasks& tasks) const;

    bool operator==(const CPrivacyFilter&) const = default;

private:
    // The subject to show instead, or null to keep it; left out when *leftOut.
    const char* Replacement(int sensitivity, const char* privateText, bool& leftOut) const;

    int m_privateItems;
    bool m_presenting;
};
