#pragma once
// The pop-up's keyboard focus: its regions as items in reading order, and which one
// has the focus. Reading order goes block by block (the header's buttons, the
// appointments, the tasks, the folders, the calendar days: each kind of region is one
// block), the blocks ordered by where their first item lies (top first, then left),
// and the items of a block in the order they were drawn, which is their reading order
// inside it (the days of the list, then each day's appointments; the weeks of a month).
// The focus starts on the first appointment (today's first when today has any), else
// on the first item. A new picture keeps the focus on the same item when it is still
// there (the same message to the same entry or day, the same occurrence of it), so a
// refresh while the pop-up is open does not throw the user back to the start.
#include <string>
#include <vector>

#include "../platform/DesktopPort.h"

class CRegionList;

class CPopupFocus {
public:
    // Takes the items of a newly drawn picture.
    void SetRegions(const CRegionList& regions);
    // The focus back to the start (a pop-up opens).
    void Reset() { m_focused = StartIndex(); }
    bool Move(bool forward);
    bool Set(int index);
    int Focused() const { return m_focused; }
    const std::vector<PopupItem>& Items() const { return m_items; }
    // What the focused item stands for (its region's message, entry or day); empty: none.
    const std::string& FocusedKey() const;

private:
    int StartIndex() const;

    std::vector<PopupItem> m_items;
    std::vector<std::string> m_keys; // the identity of each item, for keeping the focus
    int m_firstAppointment = -1;
    int m_focused = -1;
};
