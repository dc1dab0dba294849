#pragma once
// A button of the panel's header, or the band above a block.
#include "ActiveRegion.h"

class CHeaderRegion : public CActiveRegion {
public:
    enum Kind { NewAppointment = 0, NewTask = 1, NewMail = 2, Outlook = 3, Contacts = 4 };

    CHeaderRegion(const Rect& rect, bool singleClick, int kind) : CActiveRegion(rect, singleClick), m_kind(kind) {}
    int GetKind() const { return m_kind; }

    std::string TooltipText() const override;
    std::uint64_t TooltipKey() const override;
    RegionMessage Message() const override;
    std::string Describe() const override;
    Role GetRole() const override { return Role::Button; }

protected:
    std::string DefaultName() const override;

private:
    int m_kind;
};
