#include "RegistryTree.h"

#include "../../util/Parser.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00";

std::string HexBytes(const std::vector<uint8_t>& data) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", data[i]);
        if (i) out += ',';
        out += buf;
    }
    return out;
}

bool PlainText(const std::vector<uint8_t>& data) {
    return std::none_of(data.begin(), data.end(), [](uint8_t c) { return c < 0x20; });
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

// Reads a quoted string starting at s[pos] == '"'; pos ends after the closing quote.
bool Unquote(const std::string& s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    out.clear();
    for (++pos; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\') {
            if (++pos >= s.size()) return false;
            c = s[pos];
            if (c != '\\' && c != '"') return false;
        }
        out += c;
    }
    return false;
}

// A value line whose data is a hex list, which may go on over the next lines after
// a trailing backslash. Text data may end in a backslash too and never continues.
bool IsHexLine(const std::string& line) {
    size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos) return false;
    if (line[pos] == '@') {
        ++pos;
    } else {
        std::string name;
        if (!Unquote(line, pos, name)) return false;
    }
    return line.compare(pos, 4, "=hex") == 0;
}

bool ParseHexList(const std::string& s, std::vector<uint8_t>& out) {
    out.clear();
    size_t i = 0;
    auto skipSpace = [&] {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    };
    skipSpace();
    if (i == s.size()) return true;
    for (;;) {
        skipSpace();
        if (i + 2 > s.size() || !std::isxdigit(static_cast<unsigned char>(s[i])) ||
            !std::isxdigit(static_cast<unsigned char>(s[i + 1])))
            return false;
        out.push_back(static_cast<uint8_t>(std::stoul(s.substr(i, 2), nullptr, 16)));
        i += 2;
        skipSpace();
        if (i == s.size()) return true;
        if (s[i] != ',') return false;
        ++i;
    }
}

} // namespace

CRegistryTree::CRegistryTree(std::string rootName) : m_rootName(std::move(rootName)) {}

std::string CRegistryTree::Fold(const std::string& s) {
    std::string out = s;
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool CRegistryTree::SplitPath(const std::string& path, std::vector<std::string>& parts) {
    parts = EParser::Split(path, '\\');
    if (parts.size() > 1 && parts.back().empty()) parts.pop_back(); // "a\b\" names a\b
    if (parts.size() == 1 && parts[0].empty()) return true;         // the root itself
    return std::none_of(parts.begin(), parts.end(), [](const std::string& p) { return p.empty(); });
}

bool CRegistryTree::Normalize(const std::string& path, std::string& normalized) {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) return false;
    normalized.clear();
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) normalized += '\\';
        normalized += parts[i];
    }
    return true;
}

const CRegistryTree::Key* CRegistryTree::Find(const std::string& path) const {
    std::string n;
    if (!Normalize(path, n)) return nullptr;
    if (n.empty()) {
        static const Key root;
        auto it = m_keys.find("");
        return it == m_keys.end() ? &root : &it->second;
    }
    auto it = m_keys.find(Fold(n));
    return it == m_keys.end() ? nullptr : &it->second;
}

CRegistryTree::Key* CRegistryTree::Find(const std::string& path) {
    std::string n;
    if (!Normalize(path, n)) return nullptr;
    if (n.empty()) return &m_keys[""];
    auto it = m_keys.find(Fold(n));
    return it == m_keys.end() ? nullptr : &it->second;
}

bool CRegistryTree::KeyExists(const std::string& path) const { return Find(path) != nullptr; }

CRegistryTree::Key* CRegistryTree::Ensure(std::map<std::string, Key>& keys, const std::string& path) {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts)) return nullptr;
    std::string prefix;
    Key* key = nullptr;
    for (const auto& p : parts) {
        if (p.empty()) break;
        if (!prefix.empty()) prefix += '\\';
        prefix += p;
        key = &keys[Fold(prefix)];
        if (key->path.empty()) key->path = prefix;
    }
    return key ? key : &keys[""]; // the root itself
}

bool CRegistryTree::NameFits(const std::string& name) {
    return name.find_first_of("\r\n") == std::string::npos;
}

bool CRegistryTree::CreateKey(const std::string& path) {
    return NameFits(path) && Ensure(m_keys, path) != nullptr;
}

bool CRegistryTree::DeleteKeyTree(const std::string& path) {
    std::string n;
    if (!Normalize(path, n) || n.empty() || !Find(n)) return false;
    std::string folded = Fold(n);
    for (auto it = m_keys.begin(); it != m_keys.end();) {
        if (it->first == folded || it->first.rfind(folded + "\\", 0) == 0)
            it = m_keys.erase(it);
        else
            ++it;
    }
    return true;
}

long CRegistryTree::QueryValue(const std::string& path, const std::string& name,
                               RegValue& out) const {
    const Key* key = Find(path);
    if (!key) return RegError::FileNotFound;
    std::string folded = Fold(name);
    for (const auto& [n, v] : key->values) {
        if (Fold(n) == folded) {
            out = v;
            return RegError::Success;
        }
    }
    return RegError::FileNotFound;
}

long CRegistryTree::SetValue(const std::string& path, const std::string& name,
                             const RegValue& value) {
    if (!NameFits(name)) return RegError::InvalidParameter;
    Key* key = Find(path);
    if (!key) return RegError::FileNotFound;
    std::string folded = Fold(name);
    for (auto& [n, v] : key->values) {
        if (Fold(n) == folded) {
            v = value;
            return RegError::Success;
        }
    }
    key->values.emplace_back(name, value);
    return RegError::Success;
}

long CRegistryTree::DeleteValue(const std::string& path, const std::string& name) {
    Key* key = Find(path);
    if (!key) return RegError::FileNotFound;
    std::string folded = Fold(name);
    auto& vals = key->values;
    auto it = std::find_if(vals.begin(), vals.end(),
                           [&](const auto& nv) { return Fold(nv.first) == folded; });
    if (it == vals.end()) return RegError::FileNotFound;
    vals.erase(it);
    return RegError::Success;
}

std::vector<std::string> CRegistryTree::KeyPaths() const {
    std::vector<std::string> out;
    for (const auto& [folded, key] : m_keys)
        if (!folded.empty()) out.push_back(key.path);
    return out; // std::map order puts "a" before "a\b"
}

std::vector<std::pair<std::string, RegValue>> CRegistryTree::Values(const std::string& path) const {
    const Key* key = Find(path);
    return key ? key->values : std::vector<std::pair<std::string, RegValue>>{};
}

std::string CRegistryTree::Serialize() const {
    std::ostringstream out;
    out << kHeader << "\n";
    for (const auto& [folded, key] : m_keys) {
        out << "\n[" << m_rootName;
        if (!folded.empty()) out << '\\' << key.path;
        out << "]\n";
        for (const auto& [name, v] : key.values) {
            out << (name.empty() ? std::string("@") : Quote(name)) << '=';
            if (v.type == RegType::Sz && PlainText(v.data)) {
                out << Quote(std::string(v.data.begin(), v.data.end()));
            } else if (v.type == RegType::Dword && v.data.size() == 4) {
                char buf[16];
                uint32_t u = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                             (static_cast<uint32_t>(v.data[3]) << 24);
                std::snprintf(buf, sizeof buf, "dword:%08x", u);
                out << buf;
            } else if (v.type == RegType::Binary) {
                out << "hex:" << HexBytes(v.data);
            } else {
                out << "hex(" << std::hex << v.type << std::dec << "):" << HexBytes(v.data);
            }
            out << "\n";
        }
    }
    return out.str();
}

bool CRegistryTree::Parse(const std::string& text, std::string& error) {
    std::map<std::string, Key> keys;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    bool sawHeader = false;
    Key* current = nullptr;
    auto fail = [&](int n, const std::string& what) {
        error = "line " + std::to_string(n) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        int startLine = lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        // hex lists may continue on following lines after a trailing backslash
        while (!line.empty() && line.back() == '\\' && IsHexLine(line)) {
            line.pop_back();
            std::string next;
            if (!std::getline(in, next)) return fail(startLine, "continued line ends the file");
            ++lineNo;
            if (!next.empty() && next.back() == '\r') next.pop_back();
            line += next;
        }
        std::string trimmed = line;
        trimmed.erase(0, trimmed.find_first_not_of(" \t"));
        if (trimmed.empty() || trimmed[0] == ';') continue;
        if (!sawHeader) {
            if (trimmed != kHeader) return fail(startLine, "missing the header \"" + std::string(kHeader) + "\"");
            sawHeader = true;
            continue;
        }
        if (trimmed[0] == '[') {
            auto close = trimmed.rfind(']');
            if (close == std::string::npos || close + 1 != trimmed.find_last_not_of(" \t") + 1)
                return fail(startLine, "key line without a closing ']'");
            std::string full = trimmed.substr(1, close - 1);
            if (!full.empty() && full[0] == '-') return fail(startLine, "key deletions are not supported");
            std::string rootFolded = Fold(m_rootName);
            std::string fullFolded = Fold(full);
            std::string rel;
            if (fullFolded == rootFolded) {
                rel.clear();
            } else if (fullFolded.rfind(rootFolded + "\\", 0) == 0) {
                rel = full.substr(m_rootName.size() + 1);
            } else {
                return fail(startLine, "key outside " + m_rootName);
            }
            // What a write refuses is refused here too, so whatever is read can be written back.
            if (!NameFits(rel)) return fail(startLine, "a line break inside a key name");
            current = Ensure(keys, rel);
            if (!current) return fail(startLine, "malformed key path");
            continue;
        }
        if (!current) return fail(startLine, "value before any key");
        std::string name;
        size_t pos = 0;
        if (trimmed[0] == '@') {
            pos = 1;
        } else if (!Unquote(trimmed, pos, name)) {
            return fail(startLine, "malformed value name");
        }
        if (!NameFits(name)) return fail(startLine, "a line break inside a value name");
        if (pos >= trimmed.size() || trimmed[pos] != '=') return fail(startLine, "expected '=' after the value name");
        std::string data = trimmed.substr(pos + 1);
        while (!data.empty() && (data.back() == ' ' || data.back() == '\t')) data.pop_back();
        RegValue v;
        if (!data.empty() && data[0] == '"') {
            size_t p = 0;
            std::string s;
            if (!Unquote(data, p, s) || p != data.size()) return fail(startLine, "malformed text value");
            v = RegValue::Text(s);
        } else if (data.rfind("dword:", 0) == 0) {
            std::string hex = data.substr(6);
            if (hex.empty() || hex.size() > 8 ||
                !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
                return fail(startLine, "malformed dword value");
            v = RegValue::Number(static_cast<int32_t>(std::stoul(hex, nullptr, 16)));
        } else if (data.rfind("hex", 0) == 0) {
            size_t colon = data.find(':');
            if (colon == std::string::npos) return fail(startLine, "malformed hex value");
            std::string kind = data.substr(3, colon - 3);
            uint32_t type = RegType::Binary;
            if (!kind.empty()) {
                if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')')
                    return fail(startLine, "malformed hex value type");
                std::string t = kind.substr(1, kind.size() - 2);
                if (t.empty() || t.size() > 8 ||
                    !std::all_of(t.begin(), t.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
                    return fail(startLine, "malformed hex value type");
                type = static_cast<uint32_t>(std::stoul(t, nullptr, 16));
            }
            v.type = type;
            if (!ParseHexList(data.substr(colon + 1), v.data)) return fail(startLine, "malformed hex bytes");
        } else if (data == "-") {
            return fail(startLine, "value deletions are not supported");
        } else {
            return fail(startLine, "unknown value data");
        }
        std::string folded = Fold(name);
        auto& vals = current->values;
        auto it = std::find_if(vals.begin(), vals.end(),
                               [&](const auto& nv) { return Fold(nv.first) == folded; });
        if (it != vals.end())
            it->second = v;
        else
            vals.emplace_back(name, v);
    }
    if (!sawHeader) return fail(lineNo == 0 ? 1 : lineNo, "missing the header \"" + std::string(kHeader) + "\"");
    m_keys = std::move(keys);
    return true;
}
