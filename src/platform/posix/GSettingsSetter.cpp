#include "GSettingsSetter.h"

#include "DesktopTool.h"

#include <cstdlib>
#include <map>

namespace {
constexpr const char* kOptions = "picture-options";

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

void AppendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
} // namespace

std::string CGSettingsSetter::Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\\' || c == '\'') out += '\\';
        out += c;
    }
    return out + "'";
}

std::string CGSettingsSetter::Unquote(const std::string& text) {
    // gsettings prints a string as 'text' or, when it holds a ', as "text".
    if (text.size() < 2 || (text[0] != '\'' && text[0] != '"') || text.back() != text[0]) return text;
    std::string out;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 2 >= text.size()) {
            out += c;
            continue;
        }
        c = text[++i];
        switch (c) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'u':
            case 'U': {
                const size_t digits = c == 'u' ? 4 : 8;
                if (i + digits < text.size()) {
                    AppendUtf8(out, std::strtoul(text.substr(i + 1, digits).c_str(), nullptr, 16));
                    i += digits;
                }
                break;
            }
            default: out += c;
        }
    }
    return out;
}

IDesktopSetter::Read CGSettingsSetter::Get(DesktopSetting& setting, std::string& error) {
    setting.entries.clear();
    // One run for every key: "<schema> <key> <value>" a line, the value as gsettings
    // get prints it (GVariant text never holds a line break).
    const ToolResult all = RunTool({"gsettings", "list-recursively", m_schema});
    if (!all.Ok()) {
        error = all.Failure();
        return Read::Failed;
    }
    std::map<std::string, std::string> values;
    size_t start = 0;
    while (start < all.out.size()) {
        size_t end = all.out.find('\n', start);
        if (end == std::string::npos) end = all.out.size();
        const std::string line = all.out.substr(start, end - start);
        start = end + 1;
        const size_t a = line.find(' ');
        const size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
        if (b == std::string::npos || line.compare(0, a, m_schema) != 0) continue;
        values[line.substr(a + 1, b - a - 1)] = Trimmed(line.substr(b + 1));
    }
    for (const auto& k : m_keys) {
        auto it = values.find(k.name);
        if (it == values.end()) {
            if (k.optional) continue;
            error = "finds no key " + k.name + " in " + m_schema;
            return Read::Failed;
        }
        setting.entries.push_back({k.name, it->second, true});
    }
    if (auto it = values.find(kOptions); it != values.end()) setting.entries.push_back({kOptions, it->second, false});
    return Read::Ok;
}

bool CGSettingsSetter::Set(const std::vector<DesktopEntry>& entries, std::string& error) {
    for (const auto& e : entries) {
        const ToolResult r = RunTool({"gsettings", "set", m_schema, e.key, e.value});
        if (!r.Ok()) {
            error = r.Failure();
            return false;
        }
    }
    return true;
}

DesktopSetting CGSettingsSetter::Showing(const DesktopSetting& current, const std::string& path, int style) const {
    DesktopSetting out;
    for (const auto& k : m_keys)
        if (current.Find(k.name) || !k.optional) out.entries.push_back({k.name, Quote(k.uri ? FileUri(path) : path), true});
    if (current.Find(kOptions))
        out.entries.push_back({kOptions, Quote(style == 1 ? "wallpaper" : style == 2 ? "stretched" : "centered"), false});
    return out;
}

std::string CGSettingsSetter::PathOf(const DesktopEntry& entry) const {
    const std::string text = Unquote(entry.value);
    for (const auto& k : m_keys)
        if (k.name == entry.key) return k.uri ? UriPath(text) : text;
    return text;
}

int CGSettingsSetter::StyleOf(const DesktopSetting& setting) const {
    const DesktopEntry* options = setting.Find(kOptions);
    if (!options) return 2; // the schemas' default is zoom
    const std::string o = Unquote(options->value);
    if (o == "wallpaper") return 1;
    if (o == "centered" || o == "none") return 0;
    return 2; // scaled, stretched, zoom, spanned fill the screen
}
