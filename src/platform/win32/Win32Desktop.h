#pragma once
// The desktop port on Windows: MouseHook.dll (loaded by name on first use and kept
// loaded for the life of the process: its hook thread runs its code), the shell's
// desktop windows, the icon test of Win32IconTest, CToolTip and CPopUpThread.
#include <windows.h>

#include <memory>

#include "../DesktopPort.h"

class CToolTipWnd;

class CWin32DesktopPort : public IDesktopPort {
public:
    CWin32DesktopPort();
    ~CWin32DesktopPort() override;
    bool SetHook(Handle window) override;
    bool ClearHook(Handle window) override;
    void SetExtraEvent(int flag) override;
    Handle FindShellWebView() override;
    bool IsIconAt(Handle listView, int x, int y) override;
    TooltipMetrics GetTooltipMetrics() override;
    std::vector<TextSize> MeasureTooltipLines(const std::vector<std::string>& lines) override;
    int WrappedTooltipHeight(const std::string& text, int width) override;
    bool ShowTooltipWindow(const std::string& text, const Rect& window, const Rect& region,
                           std::function<void()> dismissed) override;
    void DestroyTooltipWindow() override;
    // The tooltip window shown now, if any (for the tests).
    HWND TooltipWindow() const;
    bool OpenPopup(IPopupSource& source, const Rect& window) override;

private:
    bool LoadLibraryOnce();

    bool m_triedLoad = false;
    HMODULE m_library = nullptr; // never freed (see above)
    BOOL (*m_set)(HWND) = nullptr;
    BOOL (*m_clear)(HWND) = nullptr;
    BOOL (*m_extra)(int) = nullptr;
    DWORD m_mainThread = 0;
    std::unique_ptr<CToolTipWnd> m_tooltip;
    // A window destroyed from inside its own window procedure goes at the next tooltip.
    std::unique_ptr<CToolTipWnd> m_retired;
};
