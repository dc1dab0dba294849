#include "XfconfSetter.h"

#include <algorithm>
#include <set>

#include "DesktopTool.h"

namespace {
constexpr const char* kChannel = "xfce4-desktop";

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
std::string StyleProperty(const std::string& picture) { return picture.substr(0, picture.rfind('/')) + "/image-style"; }
} // namespace

IDesktopSetter::Read CXfconfSetter::Get(DesktopSetting& setting, std::string& error) {
    setting.entries.clear();
    const ToolResult list = RunTool({"xfconf-query", "-c", kChannel, "-l"});
    if (!list.Ok()) {
        error = list.Failure();
        return Read::Failed;
    }
    std::set<std::string> properties;
    size_t start = 0;
    while (start < list.out.size()) {
        size_t end = list.out.find('\n', start);
        if (end == std::string::npos) end = list.out.size();
        std::string p = list.out.substr(start, end - start);
        while (!p.empty() && (p.back() == '\r' || p.back() == ' ')) p.pop_back();
        if (!p.empty()) properties.insert(p);
        start = end + 1;
    }
    for (const auto& p : properties) { // sorted: monitors and workspaces in a fixed order
        if (!EndsWith(p, "/last-image") && !EndsWith(p, "/image-path")) continue;
        const ToolResult v = RunTool({"xfconf-query", "-c", kChannel, "-p", p});
        if (!v.Ok()) {
            error = v.Failure();
            return Read::Failed;
        }
        std::string value = v.out;
        if (!value.empty() && value.back() == '\n') value.pop_back();
        setting.entries.push_back({p, value, true});
        const std::string style = StyleProperty(p);
        if (properties.count(style) && !setting.Find(style)) {
            const ToolResult s = RunTool({"xfconf-query", "-c", kChannel, "-p", style});
            if (!s.Ok()) {
                error = s.Failure();
                return Read::Failed;
            }
            std::string text = s.out;
            while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
            setting.entries.push_back({style, text, false});
        }
    }
    if (setting.entries.empty()) {
        error = "lists no picture property (last-image) in the channel " + std::string(kChannel);
        return Read::Failed;
    }
    return Read::Ok;
}

bool CXfconfSetter::Set(const std::vector<DesktopEntry>& entries, std::string& error) {
    for (const auto& e : entries) {
        const ToolResult r = RunTool({"xfconf-query", "-c", kChannel, "-p", e.key, "-s", e.value});
        if (!r.Ok()) {
            error = r.Failure();
            return false;
        }
    }
    return true;
}

DesktopSetting CXfconfSetter::Showing(const DesktopSetting& current, const std::string& path, int style) const {
    // image-style: 1 centred, 2 tiled, 3 stretched.
    const std::string code = std::to_string(style == 1 ? 2 : style == 2 ? 3 : 1);
    DesktopSetting out;
    for (const auto& e : current.entries) out.entries.push_back({e.key, e.picture ? path : code, e.picture});
    return out;
}

int CXfconfSetter::StyleOf(const DesktopSetting& setting) const {
    for (const auto& e : setting.entries) {
        if (e.picture) continue;
        // 0 none, 1 centred, 2 tiled, 3 stretched, 4 scaled, 5 zoomed, 6 spanning screens.
        if (e.value == "0" || e.value == "1") return 0;
        if (e.value == "2") return 1;
        return 2;
    }
    return 2; // XFCE's default is zoomed
}
