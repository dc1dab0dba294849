#include "SourceEntry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "../platform/Platform.h"
#include "../platform/SystemPort.h"
#include "../util/FeedUrl.h"
#include "../util/Parser.h"
#include "../util/Utf8.h"
#include "SourcesKey.h"

namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 inside the program; the file system is asked in its own encoding.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string TextOf(const fs::path& path) {
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A path quoted for a message. Where the separator is a backslash, it is shown as it is
// rather than escaped (a normalised path there holds no slash to mistake it for).
std::string QuotedPath(const std::string& path) {
    ISystemPort* system = PortOrNull<ISystemPort>();
    if (!system || system->PathSeparator() != '\\' || path.find('/') != std::string::npos)
        return QuotedForDisplay(path, 1024);
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    std::string quoted = QuotedForDisplay(p, 1024);
    std::replace(quoted.begin(), quoted.end(), '/', '\\');
    return quoted;
}

// What a path names: false with why when it is neither a file nor a folder.
bool KindOfPath(const fs::path& path, CCalendarSource::Kind& kind, std::string& why) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) {
        why = "there is no file or folder " + QuotedPath(TextOf(path));
        return false;
    }
    if (fs::is_directory(st)) {
        bool maildir = true;
        for (const char* sub : {"cur", "new", "tmp"}) maildir = maildir && fs::is_directory(path / sub, ec);
        kind = maildir ? CCalendarSource::Kind::Maildir : CCalendarSource::Kind::Folder;
        return true;
    }
    if (fs::is_regular_file(st)) {
        kind = CCalendarSource::Kind::File;
        return true;
    }
    why = QuotedPath(TextOf(path)) + " is neither a file nor a folder";
    return false;
}

bool SamePath(const std::string& a, const std::string& b) {
    ISystemPort* system = PortOrNull<ISystemPort>();
    if (system && system->CaseInsensitivePaths()) return EParser::ToUpper(a) == EParser::ToUpper(b);
    return a == b;
}

} // namespace

bool CSourceEntry::FromText(const std::string& pathOrUrl, CCalendarSource& source, std::string& why) {
    const std::string text = Trimmed(pathOrUrl);
    source = CCalendarSource();
    if (text.empty()) {
        why = "there is no address or file name to add";
        return false;
    }
    if (text.find("://") != std::string::npos) {
        if (!CFeedUrl::IsFeed(text)) {
            // Only the masked form: what was typed may hold a password.
            why = CFeedUrl::Masked(text) + " is no http, https or webcal address; only those are read as feeds";
            return false;
        }
        source.kind = CCalendarSource::Kind::Feed;
        source.location = text;
        return true;
    }
    std::error_code ec;
    fs::path path = fs::absolute(PathOf(text), ec).lexically_normal();
    if (ec) {
        why = QuotedForDisplay(text, 1024) + " is no usable path: " + ec.message();
        return false;
    }
    if (!path.has_filename() && path.has_parent_path() && path != path.root_path())
        path = path.parent_path(); // "dir/" is "dir"
    if (!KindOfPath(path, source.kind, why)) return false;
    source.location = TextOf(path);
    return true;
}

int CSourceEntry::IndexOf(const std::vector<CCalendarSource>& list, const CCalendarSource& source) {
    for (size_t i = 0; i < list.size(); ++i) {
        const CCalendarSource& s = list[i];
        if (s.kind != source.kind) continue;
        const bool same = source.kind == CCalendarSource::Kind::Feed
                              ? CFeedUrl::Normalised(s.location) == CFeedUrl::Normalised(source.location)
                              : SamePath(s.location, source.location);
        if (same) return static_cast<int>(i);
    }
    return -1;
}

CSourceEntry::Result CSourceEntry::Add(std::vector<CCalendarSource>& list, const std::string& pathOrUrl) {
    Result result;
    CCalendarSource source;
    if (!FromText(pathOrUrl, source, result.why)) return result;
    result.duplicateOf = IndexOf(list, source);
    if (result.duplicateOf >= 0) {
        result.outcome = Outcome::Duplicate;
        return result;
    }
    if (list.size() >= static_cast<size_t>(CSourcesKey::kMaxSources)) {
        result.outcome = Outcome::Full;
        return result;
    }
    list.push_back(std::move(source));
    result.outcome = Outcome::Added;
    return result;
}
