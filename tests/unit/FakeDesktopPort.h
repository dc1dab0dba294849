#pragma once
// The desktop port as the portable tests see it: a hook library that records its
// calls and answers as told, a shell whose web view and icons the test sets, text
// measured at 6 pixels a character and 13 a line, and a tooltip window and pop-ups
// that are recorded instead of shown.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/DesktopPort.h"

class FakeDesktopPort : public IDesktopPort {
public:
    // The hook library.
    bool setWorks = true, clearWorks = true;
    bool hookSet = false;
    Handle hookWindow = 0;
    std::vector<std::string> calls; // "set 3", "clear 3", "extra 1"
    bool SetHook(Handle w) override {
        calls.push_back("set " + std::to_string(w));
        if (!setWorks) return false;
        hookSet = true;
        hookWindow = w;
        return true;
    }
    bool ClearHook(Handle w) override {
        calls.push_back("clear " + std::to_string(w));
        if (!clearWorks) return false;
        if (hookSet && hookWindow != w) return false;
        hookSet = false;
        return true;
    }
    int extra = 0;
    void SetExtraEvent(int flag) override {
        extra = flag;
        calls.push_back("extra " + std::to_string(flag));
    }

    // The shell.
    Handle webView = 0;
    Handle FindShellWebView() override { return webView; }
    std::vector<std::pair<Handle, std::pair<int, int>>> iconTests;
    std::function<bool(Handle, int, int)> icons; // null: no icons anywhere
    bool IsIconAt(Handle listView, int x, int y) override {
        iconTests.push_back({listView, {x, y}});
        return icons && icons(listView, x, y);
    }

    // The tooltip window.
    TooltipMetrics metrics{0, 0, 1024, 768, 18, 4, 32, true, 748};
    TooltipMetrics GetTooltipMetrics() override { return metrics; }
    std::vector<TextSize> MeasureTooltipLines(const std::vector<std::string>& lines) override {
        std::vector<TextSize> out;
        for (const auto& l : lines) out.push_back({static_cast<int>(l.size()) * 6, 13});
        return out;
    }
    int WrappedTooltipHeight(const std::string& text, int width) override {
        const int chars = std::max(1, (width - 10) / 6);
        return 13 * static_cast<int>((text.size() + chars - 1) / chars);
    }
    bool windowWorks = true;
    bool windowShown = false;
    std::string windowText;
    Rect windowRect, windowRegion;
    std::function<void()> dismiss;
    int windowsShown = 0, windowsDestroyed = 0;
    bool ShowTooltipWindow(const std::string& text, const Rect& window, const Rect& region,
                           std::function<void()> dismissed) override {
        if (!windowWorks) return false;
        windowShown = true;
        windowText = text;
        windowRect = window;
        windowRegion = region;
        dismiss = std::move(dismissed);
        ++windowsShown;
        return true;
    }
    void DestroyTooltipWindow() override {
        if (windowShown) ++windowsDestroyed;
        windowShown = false;
    }
    // The window hides itself (its 10 seconds, a click, a key, the focus lost).
    void WindowDismisses() {
        if (dismiss) {
            auto d = dismiss;
            d();
        }
    }

    // Pop-ups.
    bool popupWorks = true;
    IPopupSource* popupSource = nullptr;
    int popupWidth = 0, popupHeight = 0, popups = 0;
    Rect popupWindow;
    bool OpenPopup(IPopupSource& source, const Rect& window) override {
        if (!popupWorks) return false;
        popupSource = &source;
        popupWindow = window;
        popupWidth = window.Width();
        popupHeight = window.Height();
        ++popups;
        // As a pop-up window does once it is up; ClosePopups is the user closing them.
        popupListeners.push_back(source.AddChangeListener([] {}));
        return true;
    }
    std::vector<int> popupListeners;
    void ClosePopups() {
        for (int id : popupListeners) popupSource->RemoveChangeListener(id);
        popupListeners.clear();
    }
};
