#pragma once
// KDE Plasma: each desktop's wallpaper configuration through Plasma's scripting
// interface (org.kde.PlasmaShell.evaluateScript over the session bus, called with
// qdbus), which reads it too. plasma-apply-wallpaperimage is not used: it sets every
// desktop's picture at once and neither plug-ins nor fill modes, so a set that fails
// half way could not be undone, and Plasma refuses it when it refuses the script
// (widgets locked). Entries: "<desktop id>/Plugin", "<id>/Image", "<id>/FillMode".
#include "DesktopSetter.h"

class CPlasmaSetter : public IDesktopSetter {
public:
    std::string Desktop() const override { return "KDE Plasma"; }
    std::string Tool() const override;
    Read Get(DesktopSetting& setting, std::string& error) override;
    bool Set(const std::vector<DesktopEntry>& entries, std::string& error) override;
    DesktopSetting Showing(const DesktopSetting& current, const std::string& path, int style) const override;
    std::string PathOf(const DesktopEntry& entry) const override { return UriPath(entry.value); }
    int StyleOf(const DesktopSetting& setting) const override;

    // The scripts handed to Plasma.
    static const char* ReadScript();
    static std::string WriteScript(const std::vector<DesktopEntry>& entries);
};
