#include "SwaySetter.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "DesktopTool.h"

namespace {
std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> out;
    std::string word;
    char quote = 0;
    bool any = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
            else if (c == '\\' && quote == '"' && i + 1 < text.size()) word += text[++i];
            else word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            any = true;
        } else if (c == ' ' || c == '\t') {
            if (any || !word.empty()) out.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
        }
    }
    if (any || !word.empty()) out.push_back(word);
    return out;
}

// ~ and $NAME / ${NAME}, as sway expands a background's file name.
std::string Expand(const std::string& path) {
    std::string out = path.rfind("~/", 0) == 0 || path == "~" ? Env("HOME") + path.substr(1) : path;
    for (size_t at = out.find('$'); at != std::string::npos; at = out.find('$', at)) {
        size_t end = at + 1;
        std::string name;
        if (end < out.size() && out[end] == '{') {
            const size_t close = out.find('}', end);
            if (close == std::string::npos) break;
            name = out.substr(end + 1, close - end - 1);
            end = close + 1;
        } else {
            while (end < out.size() && (std::isalnum(static_cast<unsigned char>(out[end])) || out[end] == '_')) ++end;
            name = out.substr(at + 1, end - at - 1);
        }
        const std::string value = name.empty() ? "$" : Env(name.c_str());
        out.replace(at, end - at, value);
        at += value.size();
    }
    return out;
}

std::string Quoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\' || c == '$' || c == '`') out += '\\';
        out += c;
    }
    return out + "\"";
}
} // namespace

std::string CSwaySetter::ConfigPath() {
    const std::string home = Env("HOME");
    const std::string xdg = Env("XDG_CONFIG_HOME").empty() ? home + "/.config" : Env("XDG_CONFIG_HOME");
    for (const std::string& p : {home + "/.sway/config", xdg + "/sway/config", std::string("/etc/sway/config")}) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return p;
    }
    return {};
}

IDesktopSetter::Read CSwaySetter::Get(DesktopSetting& setting, std::string&) {
    setting.entries.clear();
    const std::string path = ConfigPath();
    if (path.empty()) return Read::Unknown;
    std::ifstream in(path);
    std::map<std::string, std::string> vars; // set $name value
    std::string line;
    while (std::getline(in, line)) {
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        line = line.substr(first);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.pop_back();
        std::istringstream words(line);
        std::string verb, name, what;
        words >> verb >> name;
        if (verb == "set" && name.size() > 1 && name[0] == '$') {
            std::string value;
            std::getline(words, value);
            vars[name] = value.substr(value.find_first_not_of(" \t") == std::string::npos ? value.size()
                                                                                        : value.find_first_not_of(" \t"));
            continue;
        }
        if (verb != "output" || !(words >> what) || (what != "bg" && what != "background")) continue;
        std::string args;
        std::getline(words, args);
        const size_t start = args.find_first_not_of(" \t");
        if (start == std::string::npos) continue;
        args = args.substr(start);
        for (const auto& [var, value] : vars) // the configuration's own variables
            for (size_t at = 0; (at = args.find(var, at)) != std::string::npos; at += value.size())
                args.replace(at, var.size(), value);
        setting.entries.push_back({"output " + name, args, true});
    }
    return setting.entries.empty() ? Read::Unknown : Read::Ok;
}

bool CSwaySetter::Set(const std::vector<DesktopEntry>& entries, std::string& error) {
    for (const auto& e : entries) {
        const ToolResult r = RunTool({"swaymsg", "output", e.key.substr(7), "bg", e.value});
        if (!r.Ok()) {
            error = r.Failure();
            return false;
        }
    }
    return true;
}

DesktopSetting CSwaySetter::Showing(const DesktopSetting& current, const std::string& path, int style) const {
    const std::string value = Quoted(path) + (style == 1 ? " tile" : style == 2 ? " stretch" : " center");
    DesktopSetting out;
    for (const auto& e : current.entries) out.entries.push_back({e.key, value, true});
    if (out.entries.empty()) out.entries.push_back({"output *", value, true});
    return out;
}

std::string CSwaySetter::PathOf(const DesktopEntry& entry) const {
    const std::vector<std::string> w = Words(entry.value);
    if (w.empty() || (w.size() >= 2 && w.back() == "solid_color")) return {};
    return Expand(w[0]);
}

int CSwaySetter::StyleOf(const DesktopSetting& setting) const {
    if (setting.entries.empty()) return 2;
    const std::vector<std::string> w = Words(setting.entries.front().value);
    const std::string mode = w.size() >= 2 ? w[1] : "";
    if (mode == "center") return 0;
    if (mode == "tile") return 1;
    return 2; // stretch, fill, fit
}
