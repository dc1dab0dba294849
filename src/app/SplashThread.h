#pragma once
// Starts the splash on a user-interface thread of its own, so that the slow start-up
// of the main thread does not freeze it. The thread owns its CSplashWnd and ends when
// the window is gone.
#include <memory>
#include <string>

class CSplashWnd;

class CSplashThread {
public:
    // The splash of the given picture, with the version text drawn over it.
    CSplashThread(std::shared_ptr<CSplashWnd> wnd, std::string versionText)
        : m_wnd(std::move(wnd)), m_versionText(std::move(versionText)) {}
    // False when the thread could not be created. Where the platform shows no splash
    // there is nothing to start, which is no failure.
    bool CreateThread();

    // The program's splash: bitmap 203 with the build label. On failure the message
    // "Failed to create splash screen" is shown (stop icon) and false returned: the
    // start-up ends.
    // The splash's logic lives as long as its window: *shown (when given) expires once
    // the splash has gone (at once where the platform shows none).
    static bool ShowSplash(const std::string& buildLabel, std::weak_ptr<CSplashWnd>* shown = nullptr);

private:
    std::shared_ptr<CSplashWnd> m_wnd;
    std::string m_versionText;
};
