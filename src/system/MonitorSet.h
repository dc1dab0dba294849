#pragma once
// The monitors as one composition sees them: which one carries the panel, and where
// it lies on the picture, which covers the bounding rectangle of all of them.
//
// The picture's top-left pixel is the virtual screen's top-left corner, so a monitor
// left of or above the primary one (negative system coordinates) still starts at
// or right of 0 in the picture. The panel's monitor is chosen by "Panel Monitor":
// 0 the primary, 1 to n a monitor by its position from the left (then from the top);
// a number naming no monitor falls back to the primary.
#include <vector>

#include "../platform/SystemPort.h"
#include "../util/Rect.h"

class CMonitorSet {
public:
    // The monitors and the virtual screen as the system reports them now.
    static CMonitorSet Current();
    // From a list in system coordinates and the virtual screen; an empty list counts
    // as one monitor covering the virtual screen, and a list without a primary takes
    // the monitor at the origin (else the first) as primary.
    CMonitorSet(std::vector<MonitorInfo> monitors, const Rect& virtualScreen);

    const std::vector<MonitorInfo>& Monitors() const { return m_monitors; }
    const Rect& VirtualScreen() const { return m_virtual; }
    const MonitorInfo& Primary() const { return m_monitors[m_primary]; }
    // The monitor "Panel Monitor" names, in system coordinates.
    const MonitorInfo& Chosen(int panelMonitor) const;
    // The same monitor's rectangle and work area in picture coordinates (clipped to the
    // picture: a monitor reported partly outside the virtual screen is cut to it).
    Rect ChosenBounds(int panelMonitor) const { return ToPicture(Chosen(panelMonitor).bounds); }
    Rect ChosenWork(int panelMonitor) const { return ToPicture(Chosen(panelMonitor).work); }
    Rect ToPicture(const Rect& system) const;

    // Same monitors, same work areas, same virtual screen: a composition for one
    // fits the other.
    bool operator==(const CMonitorSet& o) const { return m_monitors == o.m_monitors && m_virtual == o.m_virtual; }

private:
    std::vector<MonitorInfo> m_monitors; // in the system's order
    Rect m_virtual;
    size_t m_primary = 0;
};
