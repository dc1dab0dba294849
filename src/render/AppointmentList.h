#pragma once
// The appointment block: the coming days' appointments grouped by day under a
// heading ("Today", then the weekday's name), each with its time, its state pictures
// and its subject wrapped over as many lines as it needs.
#include <span>
#include <string>

class CAppointments;
class CLocaleValues;
class CMemWallPaper;
class CRegionList;

class CAppointmentList {
public:
    // What the time column is measured against: "12:00-12:30 " for a 24-hour clock,
    // the widest 12-hour text otherwise. timeStyle: 0 the locale's clock, 1 24 hours,
    // 2 (or anything else) 12 hours.
    static std::string TimeTemplate(int timeStyle, const CLocaleValues& locale);

    // Draws the day groups (index 0 is today) onto the data surface.
    static void Draw(CMemWallPaper& data, CRegionList& regions, const CLocaleValues& locale,
                     std::span<const CAppointments> days);
};
