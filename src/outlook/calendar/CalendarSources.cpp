#include "CalendarSources.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <system_error>

#include "../../platform/FilePort.h"
#include "../../platform/FolderPort.h"
#include "../../platform/Platform.h"
#include "FeedCache.h"

namespace fs = std::filesystem;

namespace {

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The whole file, when it is a regular file of at most max bytes.
bool ReadWhole(const std::string& path, std::string& text, std::string& why) {
    const size_t max = CICalendarText::kMaxBytes;
    if (IFilePort* files = PortOrNull<IFilePort>()) {
        std::vector<std::uint8_t> bytes;
        switch (files->ReadWhole(path, max, bytes, why)) {
        case FileRead::Done: text.assign(bytes.begin(), bytes.end()); return true;
        case FileRead::NotAFile: why = "it is not a regular file"; return false;
        case FileRead::TooLarge: why = "it is larger than " + std::to_string(max >> 20) + " MB"; return false;
        default: if (why.empty()) why = "it cannot be read"; return false;
        }
    }
    std::error_code ec;
    if (!fs::is_regular_file(PathOf(path), ec)) {
        why = "it is not a regular file";
        return false;
    }
    if (fs::file_size(PathOf(path), ec) > max) {
        why = "it is larger than " + std::to_string(max >> 20) + " MB";
        return false;
    }
    std::ifstream f(PathOf(path), std::ios::binary);
    if (!f) {
        why = "it cannot be opened";
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

// The file port's folder face, when it has one.
IFolderPort* FolderPort() { return dynamic_cast<IFolderPort*>(PortOrNull<IFilePort>()); }

bool Stamp(const std::string& path, long long& stamp, long long& size) {
    if (IFolderPort* folders = FolderPort()) {
        FileStamp st;
        if (!folders->Stamp(path, st)) return false;
        stamp = st.time;
        size = st.size;
        return true;
    }
    std::error_code ec;
    const fs::path p = PathOf(path);
    const auto time = fs::last_write_time(p, ec);
    if (ec) return false;
    const auto bytes = fs::file_size(p, ec);
    if (ec) return false;
    stamp = static_cast<long long>(time.time_since_epoch().count());
    size = static_cast<long long>(bytes);
    return true;
}

// What a path inside folder starts with: the folder and a separator, as std::filesystem
// joins them (so that the names, and the entry ids made of them, do not depend on how
// the folder was listed).
std::string Prefix(const std::string& folder) {
    std::string p = Utf8Of(PathOf(folder) / "x");
    p.pop_back();
    return p;
}

// The item files below folder through the port: one listing a folder and no more
// system calls for the files (their stamps come with the listing); false when the
// folder itself cannot be listed.
bool ListItems(IFolderPort& port, const std::string& folder, int depth, size_t max,
               std::vector<std::pair<std::string, FileStamp>>& files) {
    std::vector<FolderEntry> entries;
    if (!port.ListFolder(folder, entries)) return false;
    const std::string prefix = Prefix(folder);
    for (const FolderEntry& e : entries) {
        if (files.size() >= max) break;
        if (e.kind == FolderEntry::Kind::Folder) {
            if (!e.name.empty() && e.name[0] != '.' && depth + 1 < CCalendarSources::kFolderDepth)
                ListItems(port, prefix + e.name, depth + 1, max, files);
        } else if (e.kind == FolderEntry::Kind::File && CCalendarSources::IsItemName(e.name)) {
            files.emplace_back(prefix + e.name, e.stamp);
        }
    }
    return true;
}
} // namespace

CCalendarSource::Kind CCalendarSources::KindOf(const std::string& location) {
    const std::string l = Lower(location.substr(0, 10));
    if (l.rfind("http://", 0) == 0 || l.rfind("https://", 0) == 0 || l.rfind("webcal://", 0) == 0)
        return CCalendarSource::Kind::Feed;
    std::error_code ec;
    return fs::is_directory(PathOf(location), ec) ? CCalendarSource::Kind::Folder : CCalendarSource::Kind::File;
}

bool CCalendarSources::IsItemName(const std::string& name) {
    if (name.size() <= 4 || name[0] == '.') return false;
    // Called for every name of a folder: the extension alone is looked at, without a copy.
    const char* ext = name.data() + name.size() - 4;
    return ext[0] == '.' && std::tolower(static_cast<unsigned char>(ext[1])) == 'i' &&
           std::tolower(static_cast<unsigned char>(ext[2])) == 'c' && std::tolower(static_cast<unsigned char>(ext[3])) == 's';
}

void CCalendarSources::SetCacheFile(const std::string& file) {
    m_cacheFile = file;
    m_cacheLoaded = false;
}

void CCalendarSources::Take(const std::string& name, const CICalendarItems& items, Result& result) {
    result.appointments.insert(result.appointments.end(), items.appointments.begin(), items.appointments.end());
    result.tasks.insert(result.tasks.end(), items.tasks.begin(), items.tasks.end());
    if (items.problem.empty()) return;
    result.ok = false;
    const std::string message = "The calendar " + name + " could not be read whole: " + items.problem + ".";
    result.problems.push_back(message);
    if (m_told.insert(message).second) result.newProblems.push_back(message);
}

void CCalendarSources::ReadFile(const std::string& path, const CICalendarText::Options& window, Result& result,
                                std::map<std::string, bool>& used) {
    ++result.files;
    used[path] = true;
    CCalendarCache::Key key{0, 0, window.from, window.days, window.zone};
    if (!Stamp(path, key.stamp, key.size)) {
        CICalendarItems gone;
        gone.problem = "it cannot be found";
        Take("file " + path, gone, result);
        return;
    }
    if (const CICalendarItems* kept = m_cache.Find(path, key)) {
        Take("file " + path, *kept, result);
        return;
    }
    ++result.parsed;
    std::string text, why;
    CICalendarItems items;
    if (!ReadWhole(path, text, why)) {
        items.problem = why;
    } else {
        CICalendarText::Options options = window;
        options.idPrefix = "ical:" + path + "#";
        items = CICalendarText::Read(text, options);
    }
    Take("file " + path, items, result);
    m_cache.Put(path, key, std::move(items));
}

void CCalendarSources::ReadFeed(const std::string& url, const CICalendarText::Options& window, Result& result,
                                std::map<std::string, bool>& used) {
    ++result.files;
    // Named by its host only: the rest of a feed's address is often its secret.
    const size_t scheme = url.find("://");
    const size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    const std::string masked = "feed " + url.substr(0, path) + "/...";
    if (!m_feeds) {
        const std::string message = "The calendar " + masked + " cannot be read here: no feed reader is set up.";
        result.ok = false;
        result.problems.push_back(message);
        if (m_told.insert(message).second) result.newProblems.push_back(message);
        return;
    }
    const CFeedCopy copy = m_feeds->Copy(url);
    if (!copy.problem.empty() && m_told.insert(copy.problem).second) result.newProblems.push_back(copy.problem);
    if (!copy.problem.empty()) {
        result.problems.push_back(copy.problem);
        result.ok = false;
    }
    if (!copy.available) return;
    if (!copy.staleNote.empty()) result.staleNotes.push_back(copy.staleNote);
    // Named, in the ids of its items and in the cache kept on disk, by the hash its copy
    // is named by: the address is often the calendar's password.
    const std::string name = "feed:" + CFeedCache::FileStem(url);
    used[name] = true;
    CCalendarCache::Key key{static_cast<long long>(std::hash<std::string>()(copy.body)),
                            static_cast<long long>(copy.body.size()), window.from, window.days, window.zone};
    if (const CICalendarItems* kept = m_cache.Find(name, key)) {
        Take(masked, *kept, result);
        return;
    }
    ++result.parsed;
    CICalendarText::Options options = window;
    options.idPrefix = "ical:" + name + "#";
    CICalendarItems items = CICalendarText::Read(copy.body, options);
    Take(masked, items, result);
    m_cache.Put(name, key, std::move(items));
}

CCalendarSources::Result CCalendarSources::Read(const std::vector<CCalendarSource>& sources,
                                                const CICalendarText::Options& window) {
    Result result;
    if (!m_cacheLoaded && !m_cacheFile.empty()) m_cache.Load(m_cacheFile);
    m_cacheLoaded = true;
    std::map<std::string, bool> used;
    for (const CCalendarSource& source : sources) {
        if (!source.shown) continue;
        switch (source.kind) {
        case CCalendarSource::Kind::File: ReadFile(source.location, window, result, used); break;
        case CCalendarSource::Kind::Feed: ReadFeed(source.location, window, result, used); break;
        case CCalendarSource::Kind::Maildir: break; // mail counts, not calendar items
        case CCalendarSource::Kind::Folder: {
            if (IFolderPort* port = FolderPort()) {
                std::vector<std::pair<std::string, FileStamp>> files;
                if (!ListItems(*port, source.location, 0, kMaxFiles, files)) {
                    CICalendarItems none;
                    none.problem = "the folder cannot be read";
                    Take("folder " + source.location, none, result);
                    break;
                }
                // The same order whatever order the system lists them in.
                std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
                for (const auto& [f, stamp] : files) {
                    // Listed with its stamp: a file kept in the cache needs no more system calls.
                    const CCalendarCache::Key key{stamp.time, stamp.size, window.from, window.days, window.zone};
                    if (const CICalendarItems* kept = m_cache.Find(f, key)) {
                        ++result.files;
                        used[f] = true;
                        Take("file " + f, *kept, result);
                    } else {
                        ReadFile(f, window, result, used);
                    }
                }
                break;
            }
            std::error_code ec;
            std::vector<std::string> files;
            fs::recursive_directory_iterator it(PathOf(source.location), fs::directory_options::skip_permission_denied, ec);
            if (ec) {
                CICalendarItems none;
                none.problem = "the folder cannot be read";
                Take("folder " + source.location, none, result);
                break;
            }
            for (; it != fs::recursive_directory_iterator() && files.size() < kMaxFiles; it.increment(ec)) {
                if (ec) break;
                const std::string name = Utf8Of(it->path().filename());
                if (it->is_directory(ec)) {
                    if (name.empty() || name[0] == '.' || it.depth() + 1 >= kFolderDepth) it.disable_recursion_pending();
                    continue;
                }
                if (IsItemName(name) && it->is_regular_file(ec)) files.push_back(Utf8Of(it->path()));
            }
            // The same order whatever order the system lists them in.
            std::sort(files.begin(), files.end());
            for (const std::string& f : files) ReadFile(f, window, result, used);
            break;
        }
        }
    }
    // A problem that is gone may be told again if it comes back.
    for (auto it = m_told.begin(); it != m_told.end();) {
        if (std::find(result.problems.begin(), result.problems.end(), *it) == result.problems.end()) it = m_told.erase(it);
        else ++it;
    }
    m_cache.KeepOnly(used);
    if (!m_cacheFile.empty() && m_cache.Changed()) m_cache.Save(m_cacheFile);
    return result;
}
