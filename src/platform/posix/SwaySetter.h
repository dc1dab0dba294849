#pragma once
// sway: "swaymsg output <name> bg <file> <mode>" sets it. sway cannot be asked for
// its background, so the setting is read from the output … bg lines of the user's
// sway configuration; without one the setting is unknown. Entries: "output <name>"
// with the bg arguments as the configuration writes them.
#include "DesktopSetter.h"

class CSwaySetter : public IDesktopSetter {
public:
    std::string Desktop() const override { return "sway"; }
    std::string Tool() const override { return "swaymsg"; }
    Read Get(DesktopSetting& setting, std::string& error) override;
    bool GetsWhatIsShown() const override { return false; }
    bool Set(const std::vector<DesktopEntry>& entries, std::string& error) override;
    DesktopSetting Showing(const DesktopSetting& current, const std::string& path, int style) const override;
    std::string PathOf(const DesktopEntry& entry) const override;
    int StyleOf(const DesktopSetting& setting) const override;

    // The configuration sway reads: ~/.sway/config, $XDG_CONFIG_HOME/sway/config,
    // /etc/sway/config, the first there is.
    static std::string ConfigPath();
};
