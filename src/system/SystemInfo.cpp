#include "SystemInfo.h"

#include "../platform/Platform.h"
#include "../util/Parser.h"
#include "Registry.h"

namespace {
ISystemPort& Sys() { return Port<ISystemPort>(); }
} // namespace

int ESystemInfo::OsClass(const OsVersion& v) {
    switch (v.platformId) {
    case 0: return 0;
    case 1: return (v.major > 4 || (v.major == 4 && v.minor > 0)) ? 2 : 1;
    case 2:
        if (v.major <= 4) return 3;
        if (v.major == 5) {
            if (v.minor == 0) return 4;
            if (v.minor == 1) return 5;
            if (v.minor == 2) return 7;
            return kWindows7OrLater; // no such release; treat as newer
        }
        if (v.major == 6 && v.minor == 0) return v.productType == 1 ? 8 : 9;
        return kWindows7OrLater;
    default: return -1;
    }
}

int ESystemInfo::OsClass() {
    OsVersion v;
    if (!Sys().GetOsVersion(v)) return -1;
    return OsClass(v);
}

bool ESystemInfo::NewerThanWindows2000(const OsVersion& v) {
    return v.platformId == 2 && (v.major > 5 || (v.major == 5 && v.minor >= 1));
}

bool ESystemInfo::NewerThanWindows2000() {
    OsVersion v;
    return Sys().GetOsVersion(v) && NewerThanWindows2000(v);
}

Rect ESystemInfo::VirtualScreenRect(const ScreenMetrics& m) {
    if (m.monitorCount > 0) return Rect::FromSize(m.virtualX, m.virtualY, m.virtualWidth, m.virtualHeight);
    return Rect::FromSize(0, 0, m.primaryWidth, m.primaryHeight);
}

Rect ESystemInfo::VirtualScreenRect() { return VirtualScreenRect(Sys().GetScreenMetrics()); }

int ESystemInfo::DisplayHorizontalResolution() { return Sys().GetScreenMetrics().displayHorzRes; }

std::string ESystemInfo::BrowserFromCommand(const std::string& command) {
    std::string s = EParser::TrimChars(command, " \t\r\n");
    s.erase(0, s.find_first_not_of('"'));
    auto quote = s.find('"');
    if (quote != std::string::npos) s.resize(quote);
    s = EParser::ToLower(EParser::Trim(s));
    auto exe = s.find(".exe");
    if (exe != std::string::npos) s.resize(exe + 4);
    return s;
}

namespace {

std::string RegisteredBrowser(const std::string& commandKey) {
    CRegistry reg;
    std::string command;
    if (!reg.Open(RegRoot::ClassesRoot, commandKey) || !reg.ReadText("", command)) return {};
    return ESystemInfo::BrowserFromCommand(command);
}

bool StartBrowser(const std::string& browser, const std::string& target) {
    if (browser.empty()) return false;
    // Quoted so that a target with spaces reaches the browser as one argument.
    std::string param = target.find(' ') != std::string::npos ? "\"" + target + "\"" : target;
    return Sys().ShellExecuteVerb("open", browser, param, ShowCmd::Normal) > 32;
}

} // namespace

bool ESystemInfo::ActiveDesktopShown(int mode) {
    if (mode == 0) return Sys().DesktopHostsWebView();
    if (mode != 1) return false;
    CRegistry reg;
    std::string version;
    if (!reg.Open(RegRoot::LocalMachine, "Software\\Microsoft\\Internet Explorer") ||
        !reg.ReadText("Version", version) || version.empty())
        return false;
    return Sys().DesktopHtmlSetting();
}

bool ESystemInfo::OpenInBrowser(const std::string& target) {
    std::string verb;
    {
        CRegistry reg;
        if (reg.Open(RegRoot::ClassesRoot, "HTTP\\shell")) reg.ReadText("", verb);
    }
    if (!verb.empty() && StartBrowser(RegisteredBrowser("HTTP\\shell\\" + verb + "\\command"), target))
        return true;
    if (StartBrowser(RegisteredBrowser("HTTP\\shell\\open\\command"), target)) return true;
    return Sys().ShellExecuteVerb("open", target, std::string(), ShowCmd::Normal) > 32;
}
