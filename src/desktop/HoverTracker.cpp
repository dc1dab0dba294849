#include "HoverTracker.h"

void CHoverTracker::OnMouseMove(unsigned mouseMessage, std::int64_t point) {
    if (!m_delayRunning) {
        m_host.StartDelayTimer();
        m_delayRunning = true;
    }
    m_lastMoveMs = m_host.NowMs();
    m_lastPoint = point;
    if (!m_host.TooltipShown()) return;
    const CActiveRegion* found = m_regions.HitTest(PointX(point), PointY(point));
    if (found == m_hovered) return;
    m_host.HideTooltip();
    m_hovered = nullptr;
    // A real move goes straight to the next region's tooltip; other mouse messages
    // wait for the pointer to rest.
    if (mouseMessage == kMouseMove) ShowFor(m_lastPoint);
}

void CHoverTracker::OnDelayTimer() {
    if (!m_delayRunning) return;
    // Measured from the last movement in milliseconds, so the tooltip never appears
    // while the pointer still moves and always after the same rest.
    if (m_host.NowMs() - m_lastMoveMs < kRestingMs) return;
    m_host.StopDelayTimer();
    m_delayRunning = false;
    ShowFor(m_lastPoint);
}

void CHoverTracker::OnOtherEvent(std::int64_t param) {
    if (m_delayRunning) {
        m_host.StopDelayTimer();
        m_delayRunning = false;
    }
    if (param >= 0 && m_host.TooltipShown()) m_host.HideTooltip();
}

void CHoverTracker::ShowFor(std::int64_t point) {
    if (point <= 0) return;
    const int x = PointX(point), y = PointY(point);
    const CActiveRegion* found = m_regions.HitTest(x, y);
    // Hiding does not forget the region: a tooltip its own timer took away comes back
    // only after the pointer has been over another region.
    if (!found || found == m_hovered) return;
    m_hovered = found;
    if (m_enabled) m_host.ShowTooltip(*found, x + m_offsetX, y + m_offsetY);
}
