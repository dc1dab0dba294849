#pragma once
// A day of the month calendar: opens Outlook's calendar at that day.
#include "ActiveRegion.h"

class CDayRegion : public CActiveRegion {
public:
    // day: a date value (days since 30 December 1899).
    CDayRegion(const Rect& rect, bool singleClick, double day) : CActiveRegion(rect, singleClick), m_day(day) {}
    double GetDay() const { return m_day; }

    std::string TooltipText() const override { return OpenText("Day Calendar"); }
    // The whole day: the tooltip stays while the pointer moves over the same day.
    std::uint64_t TooltipKey() const override { return WholeDay(); }
    RegionMessage Message() const override;
    std::string Describe() const override;
    Role GetRole() const override { return Role::Cell; }

private:
    std::uint64_t WholeDay() const { return m_day > 0 ? static_cast<std::uint64_t>(m_day) : 0; }
    double m_day;
};
