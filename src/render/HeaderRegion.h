#pragma once
// A button of the panel's header, or the band above a block.
#include <utility>

#include "ActiveRegion.h"

class CHeaderRegion : public CActiveRegion {
public:
    enum Kind { NewAppointment = 0, NewTask = 1, NewMail = 2, Outlook = 3, Contacts = 4 };

    CHeaderRegion(const Rect& rect, bool singleClick, int kind, std::string note = std::string())
        : CActiveRegion(rect, singleClick), m_kind(kind), m_note(std::move(note)) {}
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
    std::string m_note; // a line the tooltip adds
};
