#include "PopupFocus.h"

#include <algorithm>
#include <map>

#include "../render/RegionList.h"

namespace {

PopupItem::Role RoleOf(const CActiveRegion& r) {
    switch (r.GetRole()) {
    case CActiveRegion::Role::Button: return PopupItem::Role::Button;
    case CActiveRegion::Role::Cell: return PopupItem::Role::Cell;
    default: return PopupItem::Role::ListItem;
    }
}

// The block a region belongs to: the header's buttons are one, each kind of item another.
unsigned BlockOf(const CActiveRegion& r) {
    const unsigned m = r.Message().message;
    switch (m) {
    case RegionMessages::kOpenAppointment:
    case RegionMessages::kOpenTask:
    case RegionMessages::kOpenFolder:
    case RegionMessages::kOpenDay: return m;
    default: return 0; // the header's buttons and bands
    }
}

} // namespace

void CPopupFocus::SetRegions(const CRegionList& regions) {
    const std::string kept = FocusedKey();
    // The list holds items newest first and header regions oldest first: put every
    // region back in the order it was drawn.
    std::vector<const CActiveRegion*> drawn;
    std::vector<const CActiveRegion*> headers;
    for (size_t i = 0; i < regions.GetCount(); ++i) {
        const CActiveRegion& r = regions.GetAt(i);
        if (r.Bounds().IsEmpty()) continue;
        (BlockOf(r) == 0 ? headers : drawn).push_back(&r);
    }
    std::reverse(drawn.begin(), drawn.end());
    drawn.insert(drawn.begin(), headers.begin(), headers.end());

    // Blocks in the order their first item lies on the picture.
    std::vector<unsigned> blocks;
    std::map<unsigned, Rect> firstOf;
    for (const CActiveRegion* r : drawn) {
        const unsigned b = BlockOf(*r);
        if (firstOf.emplace(b, r->Bounds()).second) blocks.push_back(b);
    }
    std::stable_sort(blocks.begin(), blocks.end(), [&](unsigned a, unsigned b) {
        const Rect& ra = firstOf[a];
        const Rect& rb = firstOf[b];
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });

    m_items.clear();
    m_keys.clear();
    m_firstAppointment = -1;
    std::map<std::string, int> seen; // occurrences of the same entry
    for (unsigned b : blocks) {
        for (const CActiveRegion* r : drawn) {
            if (BlockOf(*r) != b) continue;
            if (b == RegionMessages::kOpenAppointment && m_firstAppointment < 0)
                m_firstAppointment = static_cast<int>(m_items.size());
            m_items.push_back(PopupItem{r->Bounds(), r->Name(), RoleOf(*r)});
            const std::string what = r->Describe();
            m_keys.push_back(what + "#" + std::to_string(seen[what]++));
        }
    }
    m_focused = -1;
    if (!kept.empty()) {
        auto it = std::find(m_keys.begin(), m_keys.end(), kept);
        if (it != m_keys.end()) m_focused = static_cast<int>(it - m_keys.begin());
    }
    if (m_focused < 0) m_focused = StartIndex();
}

int CPopupFocus::StartIndex() const {
    if (m_items.empty()) return -1;
    return m_firstAppointment >= 0 ? m_firstAppointment : 0;
}

bool CPopupFocus::Move(bool forward) {
    const int n = static_cast<int>(m_items.size());
    if (n == 0) return false;
    if (m_focused < 0) m_focused = forward ? 0 : n - 1;
    else m_focused = (m_focused + (forward ? 1 : n - 1)) % n;
    return true;
}

bool CPopupFocus::Set(int index) {
    if (index < 0 || index >= static_cast<int>(m_items.size())) return false;
    m_focused = index;
    return true;
}

const std::string& CPopupFocus::FocusedKey() const {
    static const std::string none;
    return m_focused >= 0 && m_focused < static_cast<int>(m_keys.size()) ? m_keys[static_cast<size_t>(m_focused)] : none;
}
