#pragma once
// KDE Plasma: each desktop's wallpaper configuration through Plasma's scripting
// interface (org.kde.PlasmaShell.evaluateScript over the session bus, called with
// qdbus). When the script cannot set it, plasma-apply-wallpaperimage sets the
// picture alone. Entries: "<desktop id>/Plugin", "<id>/Image", "<id>/FillMode".
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
