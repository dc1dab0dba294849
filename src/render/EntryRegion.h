#pragma once
// A region that opens one Outlook item or folder by its entry identifier.
#include "ActiveRegion.h"

class CEntryRegion : public CActiveRegion {
public:
    const std::string& GetEntryID() const { return m_entryId; }

    std::string TooltipText() const override { return OpenText(m_what); }
    std::uint64_t TooltipKey() const override { return 0; }
    RegionMessage Message() const override;
    std::string Describe() const override;

protected:
    // what: the name in the tooltip ("Appointment"); message: what Activate sends.
    CEntryRegion(const Rect& rect, bool singleClick, std::string entryId, const char* what, unsigned message)
        : CActiveRegion(rect, singleClick), m_entryId(std::move(entryId)), m_what(what), m_message(message) {}

private:
    std::string m_entryId;
    const char* m_what;
    unsigned m_message;
};
