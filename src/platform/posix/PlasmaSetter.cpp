#include "PlasmaSetter.h"

#include <cstdio>

#include "DesktopTool.h"

namespace {
constexpr const char* kImagePlugin = "org.kde.image";

// Qt 6 and Qt 5 name the D-Bus caller differently.
std::string QdbusProgram() {
    for (const char* name : {"qdbus", "qdbus6", "qdbus-qt6", "qdbus-qt5"})
        if (ToolInstalled(name)) return name;
    return "qdbus";
}

ToolResult Evaluate(const std::string& script) {
    return RunTool({QdbusProgram(), "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script});
}

std::string JsString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// "<id>/<name>" split in two.
bool SplitKey(const std::string& key, std::string& id, std::string& name) {
    const size_t slash = key.find('/');
    if (slash == std::string::npos) return false;
    id = key.substr(0, slash);
    name = key.substr(slash + 1);
    return true;
}
} // namespace

std::string CPlasmaSetter::Tool() const { return QdbusProgram(); }

const char* CPlasmaSetter::ReadScript() {
    return "function text(v) { return v === undefined || v === null ? \"\" : String(v); }\n"
           "desktops().forEach(function (d) {\n"
           "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
           "    print(d.id + \"\\t\" + d.wallpaperPlugin + \"\\t\" + text(d.readConfig(\"Image\")) + \"\\t\" +\n"
           "          text(d.readConfig(\"FillMode\")) + \"\\n\");\n"
           "});\n";
}

std::string CPlasmaSetter::WriteScript(const std::vector<DesktopEntry>& entries) {
    // One block per desktop, its plug-in first: the image entries belong to it.
    std::string script = "var want = {};\n";
    for (const auto& e : entries) {
        std::string id, name;
        if (!SplitKey(e.key, id, name) || e.value.empty()) continue; // an entry never set stays unset
        script += "(want[" + JsString(id) + "] = want[" + JsString(id) + "] || []).push([" + JsString(name) + ", " +
                  JsString(e.value) + "]);\n";
    }
    script += "desktops().forEach(function (d) {\n"
              "    var w = want[String(d.id)];\n"
              "    if (!w) return;\n"
              "    w.forEach(function (kv) {\n"
              "        if (kv[0] == \"Plugin\") { d.wallpaperPlugin = kv[1]; return; }\n"
              "        d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
              "        d.writeConfig(kv[0], kv[1]);\n"
              "    });\n"
              "});\n";
    return script;
}

IDesktopSetter::Read CPlasmaSetter::Get(DesktopSetting& setting, std::string& error) {
    setting.entries.clear();
    const ToolResult r = Evaluate(ReadScript());
    if (!r.Ok()) {
        error = r.Failure();
        return Read::Failed;
    }
    size_t start = 0;
    while (start < r.out.size()) {
        size_t end = r.out.find('\n', start);
        if (end == std::string::npos) end = r.out.size();
        const std::string line = r.out.substr(start, end - start);
        start = end + 1;
        std::vector<std::string> f;
        size_t from = 0;
        for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
            f.push_back(line.substr(from, tab - from));
        f.push_back(line.substr(from));
        if (f.size() != 4 || f[0].empty()) continue;
        setting.entries.push_back({f[0] + "/Plugin", f[1], false});
        setting.entries.push_back({f[0] + "/Image", f[2], true});
        setting.entries.push_back({f[0] + "/FillMode", f[3], false});
    }
    if (setting.entries.empty()) {
        error = "answered with no desktop";
        return Read::Failed;
    }
    return Read::Ok;
}

bool CPlasmaSetter::Set(const std::vector<DesktopEntry>& entries, std::string& error) {
    const ToolResult r = Evaluate(WriteScript(entries));
    if (!r.Ok()) error = r.Failure();
    return r.Ok();
}

DesktopSetting CPlasmaSetter::Showing(const DesktopSetting& current, const std::string& path, int style) const {
    // FillMode: 6 centred (Pad), 3 tiled, 0 stretched.
    const std::string fill = style == 1 ? "3" : style == 2 ? "0" : "6";
    DesktopSetting out;
    for (const auto& e : current.entries) {
        std::string id, name;
        SplitKey(e.key, id, name);
        const std::string value = name == "Plugin" ? kImagePlugin : name == "Image" ? FileUri(path) : fill;
        out.entries.push_back({e.key, value, e.picture});
    }
    return out;
}

int CPlasmaSetter::StyleOf(const DesktopSetting& setting) const {
    for (const auto& e : setting.entries) {
        std::string id, name;
        if (!SplitKey(e.key, id, name) || name != "FillMode") continue;
        if (e.value == "6") return 0;
        if (e.value == "3" || e.value == "4" || e.value == "5") return 1;
        return 2; // scaled, scaled and cropped (Plasma's default), stretched
    }
    return 2;
}
