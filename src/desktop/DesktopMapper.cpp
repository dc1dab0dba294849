#include "DesktopMapper.h"

#include <chrono>

#include "../platform/HookMessages.h"
#include "../platform/Platform.h"
#include "../settings/Settings.h"
#include "ToolTip.h"

CDesktopMapper::CDesktopMapper(const CSettings& settings, const CRegionList& regions, CToolTip& tooltip)
    : m_clock([] {
          return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                std::chrono::steady_clock::now().time_since_epoch())
                                                .count());
      }),
      m_settings(settings), m_regions(regions), m_tooltip(tooltip), m_tracker(*this, regions) {}

CDesktopMapper::~CDesktopMapper() {
    if (m_window) {
        RemoveHook();
        m_window.reset();
    }
}

bool CDesktopMapper::Create() {
    IWindowKit& kit = Port<IWindowKit>();
    m_moveMsg = kit.RegisterMessage(HookMessages::kMouseMove);
    m_clickMsg = kit.RegisterMessage(HookMessages::kClick);
    m_doubleClickMsg = kit.RegisterMessage(HookMessages::kDoubleClick);
    m_otherMsg = kit.RegisterMessage(HookMessages::kOtherEvent);
    m_window = kit.MakeWindow(WindowDesc{"DesktopMapper", false}, *this);
    return m_window != nullptr;
}

bool CDesktopMapper::InstallHook() {
    IDesktopPort* desktop = PortOrNull<IDesktopPort>();
    if (!m_window) return false;
    m_webView = desktop ? desktop->FindShellWebView() : 0;
    FollowVirtualScreen();
    // A failure leaves the flag clear; the re-hook check still runs, so a shell window
    // that comes later gets the hook.
    m_hookSet = desktop && desktop->SetHook(Handle());
    m_window->SetTimer(kRehookTimer, kRehookPeriod);
    return m_hookSet;
}

bool CDesktopMapper::RemoveHook() {
    if (m_window) m_window->KillTimer(kRehookTimer);
    IDesktopPort* desktop = PortOrNull<IDesktopPort>();
    if (desktop && desktop->ClearHook(Handle())) m_hookSet = false;
    if (!desktop) m_hookSet = false;
    m_webView = 0;
    return !m_hookSet;
}

void CDesktopMapper::OnRehookCheck() {
    IDesktopPort* desktop = PortOrNull<IDesktopPort>();
    if (!desktop) return;
    const uintptr_t webView = desktop->FindShellWebView();
    // The shell made its web view again (Active Desktop switched): hook anew.
    if (webView && webView != m_webView) {
        if (RemoveHook()) InstallHook();
    }
}

void CDesktopMapper::RegionsChanged(bool tooltipsEnabled) {
    m_tracker.SetTooltipsEnabled(tooltipsEnabled);
    // A tooltip of this mapper stays only while the new picture still has a region of
    // the same text under the pointer's last point; else it would stand over the bare
    // desktop (or another item) for the rest of its 10 seconds.
    const CActiveRegion* under = m_tracker.RegionAtLastPoint();
    m_tracker.Forget();
    if (m_tooltip.Shown() && m_tooltip.Owner() == this) {
        if (tooltipsEnabled && under && under->TooltipText() == m_tooltip.Text())
            m_tracker.KeepHovering(under);
        else
            m_tooltip.Hide();
    }
    // The picture was composed for the monitors as they are now.
    if (m_hookPoints) FollowVirtualScreen();
}

void CDesktopMapper::FollowVirtualScreen() {
    // The hook's points, like the regions, count from the virtual screen's top-left,
    // which lies left of or above (0, 0) when a monitor does; a tooltip needs the
    // screen point. Converted here once, for every tooltip of this mapper.
    m_hookPoints = true;
    IDesktopPort* desktop = PortOrNull<IDesktopPort>();
    if (!desktop) return;
    const TooltipMetrics m = desktop->GetTooltipMetrics();
    m_tracker.SetTooltipOffset(m.screenLeft, m.screenTop);
}

bool CDesktopMapper::ClickAllowed(uintptr_t window, std::int64_t point) {
    IDesktopPort* desktop = PortOrNull<IDesktopPort>();
    // A click on a desktop icon belongs to the shell.
    return !(desktop && window &&
             desktop->IsIconAt(window, CHoverTracker::PointX(point), CHoverTracker::PointY(point)));
}

void CDesktopMapper::OnClick(uintptr_t window, std::int64_t point) {
    if (m_settings.m_desktopMouseMode == 0) return; // double-click mode
    if (!ClickAllowed(window, point)) return;
    if (const CActiveRegion* r = m_regions.HitTest(CHoverTracker::PointX(point), CHoverTracker::PointY(point)))
        r->Activate();
}

void CDesktopMapper::OnDoubleClick(uintptr_t window, std::int64_t point) {
    if (m_settings.m_desktopMouseMode == 1 || point < 0) return;
    if (!ClickAllowed(window, point)) return;
    if (const CActiveRegion* r = m_regions.HitTest(CHoverTracker::PointX(point), CHoverTracker::PointY(point)))
        r->Activate();
}

bool CDesktopMapper::OnTimer(unsigned id) {
    if (id == CHoverTracker::kDelayTimer) m_tracker.OnDelayTimer();
    else if (id == kRehookTimer) OnRehookCheck();
    else return false;
    return true;
}

bool CDesktopMapper::OnAppMessage(const AppMessage& m) {
    // The hook's messages: the point packed in the second parameter, as the tracker
    // keeps it.
    const std::int64_t point = static_cast<std::int64_t>(m.lParam);
    if (m.msg == m_moveMsg) {
        m_tracker.OnMouseMove(static_cast<unsigned>(m.wParam), point);
    } else if (m.msg == m_clickMsg) {
        OnClick(m.wParam, point);
    } else if (m.msg == m_doubleClickMsg) {
        OnDoubleClick(m.wParam, point);
    } else if (m.msg == m_otherMsg) {
        m_tracker.OnOtherEvent(point);
    } else if (m.msg == kSetOffsetMsg) {
        m_tracker.SetTooltipOffset(static_cast<std::int32_t>(m.wParam), static_cast<std::int32_t>(m.lParam));
    } else {
        return false;
    }
    return true;
}

void CDesktopMapper::StartDelayTimer() {
    if (m_window) m_window->SetTimer(CHoverTracker::kDelayTimer, CHoverTracker::kDelayPeriod);
}

void CDesktopMapper::StopDelayTimer() {
    if (m_window) m_window->KillTimer(CHoverTracker::kDelayTimer);
}

bool CDesktopMapper::TooltipShown() { return m_tooltip.Shown(); }

void CDesktopMapper::HideTooltip() { m_tooltip.Hide(); }

void CDesktopMapper::ShowTooltip(const CActiveRegion& region, int screenX, int screenY) {
    if (!m_tooltip.ShowTooltipText(region.TooltipText(), screenX, screenY,
                                   static_cast<std::int64_t>(region.TooltipKey()), this))
        return;
    if (IDesktopPort* desktop = PortOrNull<IDesktopPort>()) desktop->SetExtraEvent(1);
}
