#pragma once
#include "EntryRegion.h"

// Opens the mail folder in Outlook.
class CFolderRegion : public CEntryRegion {
public:
    CFolderRegion(const Rect& rect, bool singleClick, std::string entryId)
        : CEntryRegion(rect, singleClick, std::move(entryId), "folder", RegionMessages::kOpenFolder) {}
};
