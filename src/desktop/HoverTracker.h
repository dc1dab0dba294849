#pragma once
// Turns the mouse messages a desktop mapper receives into tooltips: a tooltip appears
// once the pointer has rested in a region; while one is up, moving into another
// region switches to that region's tooltip at once; moving within a region changes
// nothing. The window, its timer, the tooltip and the clock are the host's.
#include <cstdint>

#include "../render/RegionList.h"

class IHoverHost {
public:
    virtual ~IHoverHost() = default;
    // The 50 ms tick of the resting delay.
    virtual void StartDelayTimer() = 0;
    virtual void StopDelayTimer() = 0;
    // Milliseconds from any fixed start.
    virtual std::uint64_t NowMs() = 0;
    virtual bool TooltipShown() = 0;
    // Hides the tooltip (and tells the hook no tooltip is up).
    virtual void HideTooltip() = 0;
    // Shows the region's tooltip at a screen point (and tells the hook one is up).
    virtual void ShowTooltip(const CActiveRegion& region, int screenX, int screenY) = 0;
};

class CHoverTracker {
public:
    static constexpr unsigned kDelayTimer = 102;
    static constexpr unsigned kDelayPeriod = 50;
    // How long the pointer rests before the tooltip shows.
    static constexpr std::uint64_t kRestingMs = 864;
    static constexpr unsigned kMouseMove = 0x200;

    CHoverTracker(IHoverHost& host, const CRegionList& regions) : m_host(host), m_regions(regions) {}

    // Added to a picture point to get the screen point of a tooltip.
    void SetTooltipOffset(int dx, int dy) {
        m_offsetX = dx;
        m_offsetY = dy;
    }
    void SetTooltipsEnabled(bool enabled) { m_enabled = enabled; }
    // The regions were drawn anew: the one remembered may be gone.
    void Forget() { m_hovered = nullptr; }
    // The region under the last point the pointer was seen at, if any.
    const CActiveRegion* RegionAtLastPoint() const {
        return m_lastPoint > 0 ? m_regions.HitTest(PointX(m_lastPoint), PointY(m_lastPoint)) : nullptr;
    }
    // The tooltip shown stays for this region of the new picture.
    void KeepHovering(const CActiveRegion* region) { m_hovered = region; }

    // The hook's mouse-movement message: the mouse message it saw and the point
    // (x in bits 0-15, y in bits 16-31, both signed).
    void OnMouseMove(unsigned mouseMessage, std::int64_t point);
    void OnDelayTimer();
    // Any other mouse event: the resting delay ends; a non-negative parameter also
    // hides the tooltip.
    void OnOtherEvent(std::int64_t param);

    const CActiveRegion* Hovered() const { return m_hovered; }
    bool DelayRunning() const { return m_delayRunning; }

    static int PointX(std::int64_t p) { return static_cast<std::int16_t>(p & 0xFFFF); }
    static int PointY(std::int64_t p) { return static_cast<std::int16_t>((p >> 16) & 0xFFFF); }

private:
    void ShowFor(std::int64_t point);

    IHoverHost& m_host;
    const CRegionList& m_regions;
    const CActiveRegion* m_hovered = nullptr;
    bool m_delayRunning = false;
    bool m_enabled = true;
    std::uint64_t m_lastMoveMs = 0;
    std::int64_t m_lastPoint = 0;
    int m_offsetX = 0, m_offsetY = 0;
};
