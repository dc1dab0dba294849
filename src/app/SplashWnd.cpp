#include "SplashWnd.h"

SplashSpec CSplashWnd::Spec(const std::string& versionText) const {
    return SplashSpec{m_pictureId, m_pictureFile, m_fromFile, m_caption, versionText};
}

void CSplashWnd::OnCreate(ISplashWindow& window) {
    window.Centre();
    m_fade = kFadeStart;
    window.SetTimer(kTimer, kShowMs);
}

void CSplashWnd::OnTimer(ISplashWindow& window, unsigned id) {
    if (id != kTimer) return;
    if (m_fade >= kFadeStart) {
        // The first tick: from now on every 50 ms, with the window layered.
        window.SetTimer(kTimer, kFadeStepMs);
        window.ToggleLayered();
    }
    if (m_fade > 0 && window.CanFade()) {
        window.SetAlpha(m_fade);
        m_fade -= kFadeStep;
        return;
    }
    window.KillTimer(kTimer);
    m_closing = true;
    window.RequestClose();
}

void CSplashWnd::OnLButtonDown(ISplashWindow& window) {
    if (m_fade >= kFadeStart) window.SetTimer(kTimer, kFadeStepMs);
}
