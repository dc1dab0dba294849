#include "ManualChecker.h"

#include <sys/stat.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

struct Tag {
    std::string name; // lower case; empty for text that is not a tag
    bool closing = false;
    bool selfClosing = false;
    int line = 0;
    std::vector<std::pair<std::string, std::string>> attributes; // names lower case
};

const std::set<std::string> kVoid = {"area", "base", "br", "col", "embed", "hr", "img", "input",
                                     "link", "meta", "source", "track", "wbr"};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The tags of the page in order, with the comments and the doctype left out.
bool Tokenize(const std::string& html, std::vector<Tag>& tags, std::vector<std::string>& problems) {
    int line = 1;
    size_t i = 0;
    auto advance = [&](size_t to) {
        for (; i < to && i < html.size(); ++i)
            if (html[i] == '\n') ++line;
    };
    while (i < html.size()) {
        if (html[i] != '<') {
            advance(i + 1);
            continue;
        }
        if (html.compare(i, 4, "<!--") == 0) {
            size_t end = html.find("-->", i + 4);
            if (end == std::string::npos) {
                problems.push_back("line " + std::to_string(line) + ": a comment is never closed");
                return false;
            }
            advance(end + 3);
            continue;
        }
        if (html.compare(i, 2, "<!") == 0) {
            advance(html.find('>', i) == std::string::npos ? html.size() : html.find('>', i) + 1);
            continue;
        }
        Tag tag;
        tag.line = line;
        size_t p = i + 1;
        if (p < html.size() && html[p] == '/') {
            tag.closing = true;
            ++p;
        }
        size_t nameEnd = p;
        while (nameEnd < html.size() && (std::isalnum(static_cast<unsigned char>(html[nameEnd])) || html[nameEnd] == '-'))
            ++nameEnd;
        if (nameEnd == p) { // a lone "<" in text
            advance(i + 1);
            continue;
        }
        tag.name = Lower(html.substr(p, nameEnd - p));
        p = nameEnd;
        for (;;) {
            while (p < html.size() && std::isspace(static_cast<unsigned char>(html[p]))) ++p;
            if (p >= html.size()) {
                problems.push_back("line " + std::to_string(tag.line) + ": <" + tag.name + "> is never closed by '>'");
                return false;
            }
            if (html[p] == '>') break;
            if (html.compare(p, 2, "/>") == 0) {
                tag.selfClosing = true;
                ++p;
                break;
            }
            size_t attrEnd = p;
            while (attrEnd < html.size() && !std::isspace(static_cast<unsigned char>(html[attrEnd])) &&
                   html[attrEnd] != '=' && html[attrEnd] != '>' && html.compare(attrEnd, 2, "/>") != 0)
                ++attrEnd;
            std::string name = Lower(html.substr(p, attrEnd - p));
            if (name.empty()) { // a stray character such as a quote
                problems.push_back("line " + std::to_string(tag.line) + ": <" + tag.name + "> has a malformed attribute");
                ++p;
                continue;
            }
            p = attrEnd;
            std::string value;
            if (p < html.size() && html[p] == '=') {
                ++p;
                if (p < html.size() && (html[p] == '"' || html[p] == '\'')) {
                    const char quote = html[p];
                    size_t close = html.find(quote, p + 1);
                    if (close == std::string::npos) {
                        problems.push_back("line " + std::to_string(tag.line) + ": a quoted value in <" + tag.name +
                                           "> is never closed");
                        return false;
                    }
                    value = html.substr(p + 1, close - p - 1);
                    p = close + 1;
                } else {
                    size_t end = p;
                    while (end < html.size() && !std::isspace(static_cast<unsigned char>(html[end])) && html[end] != '>')
                        ++end;
                    value = html.substr(p, end - p);
                    p = end;
                }
            }
            tag.attributes.emplace_back(name, value);
        }
        advance(p + 1);
        tags.push_back(std::move(tag));
        // A script's or style's content is not markup.
        const std::string& last = tags.back().name;
        if (!tags.back().closing && (last == "script" || last == "style")) {
            size_t end = Lower(html).find("</" + last, i);
            advance(end == std::string::npos ? html.size() : end);
        }
    }
    return true;
}

std::string PercentDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool IsExternal(const std::string& ref) {
    const size_t colon = ref.find(':');
    if (colon == std::string::npos) return false;
    const size_t slash = ref.find('/');
    return slash == std::string::npos || colon < slash; // a scheme such as https: or mailto:
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

std::string Folder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool ReadAll(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

struct Reference {
    std::string value;
    int line;
};

} // namespace

std::vector<std::string> CManualChecker::ReferencedFiles(const std::string& htmlPath) {
    std::vector<std::string> files;
    std::string html;
    std::vector<Tag> tags;
    std::vector<std::string> ignored;
    if (!ReadAll(htmlPath, html)) return files;
    Tokenize(html, tags, ignored);
    for (const Tag& tag : tags)
        for (const auto& [name, value] : tag.attributes)
            if ((name == "href" || name == "src") && !value.empty() && value[0] != '#' && !IsExternal(value))
                files.push_back(PercentDecode(value.substr(0, value.find_first_of("#?"))));
    return files;
}

std::vector<std::string> CManualChecker::Check(const std::string& htmlPath) {
    std::vector<std::string> problems;
    std::string html;
    if (!ReadAll(htmlPath, html)) return {"the page " + htmlPath + " cannot be read"};
    std::vector<Tag> tags;
    if (!Tokenize(html, tags, problems)) return problems;
    auto at = [](int line) { return "line " + std::to_string(line) + ": "; };

    std::map<std::string, int> ids;
    std::vector<Reference> anchors, files;
    std::vector<const Tag*> open;
    bool sawHtml = false, sawBody = false;
    for (const Tag& tag : tags) {
        if (tag.name == "script" && !tag.closing) problems.push_back(at(tag.line) + "a script in a plain HTML manual");
        if (tag.name == "html") sawHtml = true;
        if (tag.name == "body") sawBody = true;
        for (const auto& [name, value] : tag.attributes) {
            if (name.rfind("on", 0) == 0 && name.size() > 2)
                problems.push_back(at(tag.line) + "a script attribute " + name + " on <" + tag.name + ">");
            if (name == "id") {
                if (ids.count(value)) problems.push_back(at(tag.line) + "the id \"" + value + "\" is given twice");
                else ids[value] = tag.line;
            }
            if (name != "href" && name != "src") continue;
            if (value.empty()) problems.push_back(at(tag.line) + "an empty " + name + " on <" + tag.name + ">");
            else if (value[0] == '#') anchors.push_back({value.substr(1), tag.line});
            else if (!IsExternal(value)) files.push_back({value, tag.line});
        }
        if (tag.selfClosing || kVoid.count(tag.name)) {
            if (tag.closing) problems.push_back(at(tag.line) + "</" + tag.name + "> closes an element that has no end");
            continue;
        }
        if (!tag.closing) {
            open.push_back(&tag);
            continue;
        }
        // The element this end tag closes; those opened inside it and left open are faults.
        size_t k = open.size();
        while (k > 0 && open[k - 1]->name != tag.name) --k;
        if (k == 0) {
            problems.push_back(at(tag.line) + "</" + tag.name + "> closes nothing");
            continue;
        }
        for (size_t j = k; j < open.size(); ++j)
            problems.push_back(at(open[j]->line) + "<" + open[j]->name + "> is never closed (</" + tag.name +
                               "> on line " + std::to_string(tag.line) + " comes first)");
        open.resize(k - 1);
    }
    for (const Tag* tag : open) problems.push_back(at(tag->line) + "<" + tag->name + "> is never closed");
    if (!sawHtml || !sawBody) problems.push_back("the page has no <html> or no <body>");

    for (const Reference& a : anchors)
        if (!ids.count(a.value)) problems.push_back(at(a.line) + "the link #" + a.value + " has no target id");
    const std::string folder = Folder(htmlPath);
    for (const Reference& f : files) {
        if (f.value.find('\\') != std::string::npos || f.value[0] == '/') {
            problems.push_back(at(f.line) + "\"" + f.value + "\" is not a relative address with forward slashes");
            continue;
        }
        const std::string path = folder + "/" + PercentDecode(f.value.substr(0, f.value.find_first_of("#?")));
        if (!IsFile(path)) problems.push_back(at(f.line) + "\"" + f.value + "\" is missing (" + path + ")");
    }
    return problems;
}
