#include "RegionList.h"

#include "AppointmentRegion.h"
#include "DayRegion.h"
#include "FolderRegion.h"
#include "HeaderRegion.h"
#include "TaskRegion.h"

CActiveRegion& CRegionList::AddHeaderRegion(const Rect& rect, bool singleClick, int kind, const std::string& note) {
    m_regions.push_back(std::make_unique<CHeaderRegion>(rect, singleClick, kind, note));
    return *m_regions.back();
}

CActiveRegion& CRegionList::AddAppointmentRegion(const Rect& rect, bool singleClick, const std::string& entryId) {
    m_regions.push_front(std::make_unique<CAppointmentRegion>(rect, singleClick, entryId));
    return *m_regions.front();
}

CActiveRegion& CRegionList::AddTaskRegion(const Rect& rect, bool singleClick, const std::string& entryId) {
    m_regions.push_front(std::make_unique<CTaskRegion>(rect, singleClick, entryId));
    return *m_regions.front();
}

CActiveRegion& CRegionList::AddFolderRegion(const Rect& rect, bool singleClick, const std::string& entryId) {
    m_regions.push_front(std::make_unique<CFolderRegion>(rect, singleClick, entryId));
    return *m_regions.front();
}

CActiveRegion& CRegionList::AddDayRegion(const Rect& rect, bool singleClick, double day) {
    m_regions.push_front(std::make_unique<CDayRegion>(rect, singleClick, day));
    return *m_regions.front();
}

const CActiveRegion* CRegionList::HitTest(int x, int y) const {
    for (const auto& region : m_regions)
        if (region->Bounds().Contains(x, y)) return region.get();
    return nullptr;
}
