#pragma once
// XFCE: the xfce4-desktop channel through xfconf-query. Every monitor and workspace
// has its own picture property (last-image; image-path before XFCE 4.12) and its
// own image-style beside it.
#include "DesktopSetter.h"

class CXfconfSetter : public IDesktopSetter {
public:
    std::string Desktop() const override { return "XFCE"; }
    std::string Tool() const override { return "xfconf-query"; }
    Read Get(DesktopSetting& setting, std::string& error) override;
    bool Set(const std::vector<DesktopEntry>& entries, std::string& error) override;
    DesktopSetting Showing(const DesktopSetting& current, const std::string& path, int style) const override;
    std::string PathOf(const DesktopEntry& entry) const override { return entry.value; }
    int StyleOf(const DesktopSetting& setting) const override;
};
