#pragma once
// The regions recorded while one picture was drawn, in hit-test order: items and
// days at the head (the one recorded last is found first), header regions at the
// tail (found only where nothing else lies).
#include <deque>
#include <memory>
#include <string>

#include "ActiveRegion.h"

class CRegionList {
public:
    // Each returns the region made, for the painter to name it.
    // note: a line its tooltip adds (empty: none).
    CActiveRegion& AddHeaderRegion(const Rect& rect, bool singleClick, int kind, const std::string& note = std::string());
    CActiveRegion& AddAppointmentRegion(const Rect& rect, bool singleClick, const std::string& entryId);
    CActiveRegion& AddTaskRegion(const Rect& rect, bool singleClick, const std::string& entryId);
    CActiveRegion& AddFolderRegion(const Rect& rect, bool singleClick, const std::string& entryId);
    CActiveRegion& AddDayRegion(const Rect& rect, bool singleClick, double day);
    void Clear() { m_regions.clear(); }

    // The region under the point, or null.
    const CActiveRegion* HitTest(int x, int y) const;

    size_t GetCount() const { return m_regions.size(); }
    const CActiveRegion& GetAt(size_t i) const { return *m_regions[i]; }

private:
    std::deque<std::unique_ptr<CActiveRegion>> m_regions;
};
