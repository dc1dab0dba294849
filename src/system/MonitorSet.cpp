#include "MonitorSet.h"

#include <algorithm>
#include <numeric>

#include "../platform/Platform.h"
#include "SystemInfo.h"

CMonitorSet CMonitorSet::Current() {
    ISystemPort& sys = Port<ISystemPort>();
    // The virtual screen first: the monitors are read after it, so a change between
    // the two readings shows as a set that differs from the next one read.
    const Rect screen = ESystemInfo::VirtualScreenRect(sys.GetScreenMetrics());
    return CMonitorSet(sys.GetMonitors(), screen);
}

CMonitorSet::CMonitorSet(std::vector<MonitorInfo> monitors, const Rect& virtualScreen)
    : m_monitors(std::move(monitors)), m_virtual(virtualScreen) {
    // Monitors without area say nothing about where the panel can go.
    std::erase_if(m_monitors, [](const MonitorInfo& m) { return m.bounds.IsEmpty(); });
    for (MonitorInfo& m : m_monitors) {
        // A work area outside its monitor (a stale reading) is the whole monitor.
        const Rect inside = m.work.Intersect(m.bounds);
        m.work = inside.IsEmpty() ? m.bounds : inside;
    }
    if (m_monitors.empty()) {
        MonitorInfo one;
        one.bounds = one.work = virtualScreen;
        one.primary = true;
        m_monitors.push_back(one);
    }
    auto primary = std::find_if(m_monitors.begin(), m_monitors.end(), [](const MonitorInfo& m) { return m.primary; });
    if (primary == m_monitors.end())
        primary = std::find_if(m_monitors.begin(), m_monitors.end(),
                               [](const MonitorInfo& m) { return m.bounds.left == 0 && m.bounds.top == 0; });
    if (primary == m_monitors.end()) primary = m_monitors.begin();
    m_primary = static_cast<size_t>(primary - m_monitors.begin());
    for (size_t i = 0; i < m_monitors.size(); ++i) m_monitors[i].primary = i == m_primary;
}

const MonitorInfo& CMonitorSet::Chosen(int panelMonitor) const {
    if (panelMonitor < 1 || static_cast<size_t>(panelMonitor) > m_monitors.size()) return Primary();
    std::vector<size_t> order(m_monitors.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Rect &ra = m_monitors[a].bounds, &rb = m_monitors[b].bounds;
        return ra.left != rb.left ? ra.left < rb.left : ra.top < rb.top;
    });
    return m_monitors[order[static_cast<size_t>(panelMonitor) - 1]];
}

Rect CMonitorSet::ToPicture(const Rect& system) const {
    Rect r = system.Intersect(m_virtual);
    if (r.IsEmpty()) r = system; // reported outside the virtual screen: kept as it is
    return r.Offset(-m_virtual.left, -m_virtual.top);
}
