#pragma once
// The splash's behaviour: shown at full strength for four seconds, then faded out in
// steps of 10 from alpha 220 every 50 ms and closed; a left click before the fade
// starts the fade at once. The platform's splash window calls it.
#include <string>

#include "../platform/SplashPort.h"

class CSplashWnd : public ISplashEvents {
public:
    static constexpr unsigned kTimer = 102;
    static constexpr unsigned kShowMs = 4000;
    static constexpr unsigned kFadeStepMs = 50;
    static constexpr int kFadeStart = 220;
    static constexpr int kFadeStep = 10;

    // The picture: a bitmap of the program's resources.
    explicit CSplashWnd(int pictureId) : m_pictureId(pictureId) {}
    // The picture: a BMP file.
    explicit CSplashWnd(std::string pictureFile) : m_pictureFile(std::move(pictureFile)), m_fromFile(true) {}

    // What the platform needs to make the window.
    SplashSpec Spec(const std::string& versionText) const;

    void OnCreate(ISplashWindow& window) override;
    void OnTimer(ISplashWindow& window, unsigned id) override;
    void OnLButtonDown(ISplashWindow& window) override;
    bool OnCloseRequest() override { return m_closing; }

    int FadeLevel() const { return m_fade; }
    bool Closing() const { return m_closing; }
    bool Fading() const { return m_fade < kFadeStart; }

private:
    int m_pictureId = 0;
    std::string m_pictureFile;
    bool m_fromFile = false;
    std::string m_caption; // none
    int m_fade = kFadeStart;
    bool m_closing = false;
};
