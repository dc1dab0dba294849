#pragma once
// The hidden window through which a picture becomes clickable: it
// receives the mouse hook's four registered messages (or the pop-up window's
// forwarded ones), turns movements into tooltips after the resting delay (through
// CHoverTracker), leaves clicks on desktop icons to the shell, and activates the
// region under a click as "Desktop Mouse Mode" says. The document owns two: the
// desktop's, whose window is handed to the hook library, and the pop-up's.
#include <cstdint>
#include <functional>
#include <memory>

#include "../platform/WindowKit.h"
#include "../render/RegionList.h"
#include "HoverTracker.h"

class CSettings;
class CToolTip;

class CDesktopMapper : public IWindowEvents, private IHoverHost {
public:
    static constexpr unsigned kRehookTimer = 107;
    static constexpr unsigned kRehookPeriod = 500;
    // The pop-up window's top-left screen corner, posted before its mouse moves
    // (wParam x, lParam y, both as signed 32-bit values), so the tooltip offset is
    // written on the mapper's own thread.
    static constexpr unsigned kSetOffsetMsg = Msg::App + 0x20;

    // regions: the list hit-tests run against (the composer's, replaced by each
    // composition: call RegionsChanged afterwards).
    // tooltip: the program's one tooltip, shared by both mappers.
    CDesktopMapper(const CSettings& settings, const CRegionList& regions, CToolTip& tooltip);
    ~CDesktopMapper() override;
    CDesktopMapper(const CDesktopMapper&) = delete;
    CDesktopMapper& operator=(const CDesktopMapper&) = delete;

    // The hidden top-level window "DesktopMapper" and the four registered messages.
    bool Create();
    uintptr_t Handle() const { return m_window ? m_window->Handle() : 0; }
    IWindow* Window() const { return m_window.get(); }

    // Sets the hook for this window (the result is the hook-set flag) and
    // starts the re-hook check; RemoveHook stops it and clears the hook, true when
    // the hook is now off.
    bool InstallHook();
    bool RemoveHook();
    bool HookSet() const { return m_hookSet; }

    // The composition drew the picture again: the tooltip flag is the settings'
    // "Show Desktop Tooltip", and the region remembered may be gone.
    void RegionsChanged(bool tooltipsEnabled);
    void SetTooltipOffset(int dx, int dy) { m_tracker.SetTooltipOffset(dx, dy); }

    // The registered messages' numbers (the same in every process of the session).
    unsigned MoveMessage() const { return m_moveMsg; }
    unsigned ClickMessage() const { return m_clickMsg; }
    unsigned DoubleClickMessage() const { return m_doubleClickMsg; }
    unsigned OtherEventMessage() const { return m_otherMsg; }

    // The click entry points: the window under the mouse and the point.
    void OnClick(uintptr_t window, std::int64_t point);
    void OnDoubleClick(uintptr_t window, std::int64_t point);

    // The window's events: the resting delay and the re-hook check; the hook's (or
    // the pop-up's) mouse messages and the tooltip offset.
    bool OnTimer(unsigned id) override;
    bool OnAppMessage(const AppMessage& m) override;

    const CHoverTracker& Tracker() const { return m_tracker; }
    // Milliseconds from any fixed start (the resting delay's clock); tests set their own.
    std::function<std::uint64_t()> m_clock;

private:
    void OnRehookCheck();
    // The mouse hook's points reach this mapper: its tooltips stand at those points
    // moved by the virtual screen's top-left.
    void FollowVirtualScreen();
    bool ClickAllowed(uintptr_t window, std::int64_t point);
    // IHoverHost
    void StartDelayTimer() override;
    void StopDelayTimer() override;
    std::uint64_t NowMs() override { return m_clock(); }
    bool TooltipShown() override;
    void HideTooltip() override;
    void ShowTooltip(const CActiveRegion& region, int screenX, int screenY) override;

    const CSettings& m_settings;
    const CRegionList& m_regions;
    CToolTip& m_tooltip;
    CHoverTracker m_tracker;
    std::unique_ptr<IWindow> m_window;
    bool m_hookSet = false;
    bool m_hookPoints = false; // the desktop's mapper (the hook's), not the pop-up's
    uintptr_t m_webView = 0;
    unsigned m_moveMsg = 0, m_clickMsg = 0, m_doubleClickMsg = 0, m_otherMsg = 0;
};
