#include "MaildirReader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

fs::path PathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8(const fs::path& p) {
    const auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

bool IsMaildir(const fs::path& dir) {
    std::error_code ec;
    for (const char* sub : {"cur", "new", "tmp"})
        if (!fs::is_directory(dir / sub, ec)) return false;
    return true;
}

// Counts the messages of one subfolder (new or cur); only unread ones when asked.
int Count(const fs::path& dir, bool unreadOnly, int& all) {
    int unread = 0;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = Utf8(it->path().filename());
        if (name.empty() || name[0] == '.') continue;
        ++all;
        if (!unreadOnly || CMaildirReader::Unread(name)) ++unread;
    }
    return unread;
}

CMailFolder FolderOf(const fs::path& dir, const std::string& name) {
    CMailFolder f;
    f.m_name = name;
    f.m_entryId = "maildir:" + Utf8(dir);
    int all = 0;
    f.m_displayCount = Count(dir / "new", false, all) + Count(dir / "cur", true, all);
    f.m_itemCount = all;
    return f;
}

} // namespace

bool CMaildirReader::Unread(const std::string& fileName) {
    size_t info = fileName.rfind(":2,");
    if (info == std::string::npos) info = fileName.rfind("!2,");
    if (info == std::string::npos) return true;
    return fileName.find('S', info + 3) == std::string::npos;
}

std::vector<CMailFolder> CMaildirReader::Read(const std::string& root, std::string& why) {
    std::vector<CMailFolder> folders;
    const fs::path base = PathFromUtf8(root);
    if (!IsMaildir(base)) {
        why = "it is no Maildir (a folder with cur, new and tmp)";
        return folders;
    }
    folders.push_back(FolderOf(base, "Inbox"));
    std::vector<std::string> subfolders;
    std::error_code ec;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = Utf8(it->path().filename());
        if (name.size() > 1 && name[0] == '.' && name != ".." && IsMaildir(it->path())) subfolders.push_back(name);
    }
    std::sort(subfolders.begin(), subfolders.end());
    for (const std::string& name : subfolders) {
        if (folders.size() >= kMaxFolders) break;
        std::string shown = name.substr(1);
        std::replace(shown.begin(), shown.end(), '.', '/');
        folders.push_back(FolderOf(base / PathFromUtf8(name), shown));
    }
    return folders;
}
