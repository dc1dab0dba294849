#include "RegionList.h"

#include "AppointmentRegion.h"
#include "DayRegion.h"
#include "FolderRegion.h"
#include "HeaderRegion.h"
#include "TaskRegion.h"

void CRegionList::AddHeaderRegion(const Rect& rect, bool singleClick, int kind) {
    m_regions.push_back(std::make_unique<CHeaderRegion>(rect, singleClick, kind));
}

void CRegionList::AddAppointmentRegion(const Rect& rect, bool singleClick, const std::string& entryId) {
    m_regions.push_front(std::make_unique<CAppointmentRegion>(rect, singleClick, entryId));
}

void CRegionList::AddTaskRegion(const Rect& rect, bool singleClick, const std::string& entryId) {
    m_regions.push_front(std::make_unique<CTaskRegion>(rect, singleClick, entryId));
}

void CRegionList::AddFolderRegion(const Rect& rect, bool singleClick, const std::string& entryId) {
    m_regions.push_front(std::make_unique<CFolderRegion>(rect, singleClick, entryId));
}

void CRegionList::AddDayRegion(const Rect& rect, bool singleClick, double day) {
    m_regions.push_front(std::make_unique<CDayRegion>(rect, singleClick, day));
}

const CActiveRegion* CRegionList::HitTest(int x, int y) const {
    for (const auto& region : m_regions)
        if (region->Bounds().Contains(x, y)) return region.get();
    return nullptr;
}
