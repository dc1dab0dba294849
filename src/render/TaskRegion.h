#pragma once
#include "EntryRegion.h"

// Opens the task in Outlook.
class CTaskRegion : public CEntryRegion {
public:
    CTaskRegion(const Rect& rect, bool singleClick, std::string entryId)
        : CEntryRegion(rect, singleClick, std::move(entryId), "Task", RegionMessages::kOpenTask) {}
};
