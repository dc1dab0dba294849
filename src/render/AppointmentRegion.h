#pragma once
#include "EntryRegion.h"

// Opens the appointment in Outlook.
class CAppointmentRegion : public CEntryRegion {
public:
    CAppointmentRegion(const Rect& rect, bool singleClick, std::string entryId)
        : CEntryRegion(rect, singleClick, std::move(entryId), "Appointment", RegionMessages::kOpenAppointment) {}
};
