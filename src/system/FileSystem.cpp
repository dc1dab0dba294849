#include "FileSystem.h"

#include <fstream>

#include "../platform/Platform.h"
#include "../util/Parser.h"
#include "../util/Strings.h"

namespace {
ISystemPort& Sys() { return Port<ISystemPort>(); }
} // namespace

std::string EFileSystem::ProgramFilePath(bool shortForm) {
    unsigned long error = 0;
    std::string path = Sys().ModuleFileName(error);
    if (path.empty()) {
        // Kept for a debugger; the program shows no message for this.
        std::string msg = FormatText("GetFullApplicationDirectory error! Code:%lu\n", error);
        (void)msg;
        return std::string();
    }
    if (!shortForm) return path;
    return Sys().ShortPath(path);
}

std::string EFileSystem::ShippedFile(const std::string& relative) {
    std::string folder = DirectoryPart(ProgramFilePath(false));
    if (folder.empty()) folder = "./";
    for (const std::string& base : {folder, folder + "../share/orvanta/"})
        if (std::ifstream(base + relative, std::ios::binary).good()) return base + relative;
    return std::string();
}

std::string EFileSystem::ShortPath(const std::string& path) { return Sys().ShortPath(path); }

std::string EFileSystem::SpecialFolderPath(int folderId) { return Sys().SpecialFolderPath(folderId); }

std::string EFileSystem::DirectoryPart(const std::string& path) {
    auto pos = path.find_last_of("\\/");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string EFileSystem::FileNamePart(const std::string& path) {
    auto pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string EFileSystem::Extension(const std::string& path, bool lowerCase) {
    std::string name = FileNamePart(path);
    auto dot = name.rfind('.');
    if (dot == std::string::npos) return std::string();
    std::string ext = name.substr(dot + 1);
    return lowerCase ? EParser::ToLower(ext) : ext;
}

std::string EFileSystem::Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    char sep = Sys().PathSeparator();
    if (dir.back() == sep || dir.back() == '/' ) return dir + name;
    return dir + sep + name;
}

bool EFileSystem::DirectoryContains(const std::string& dir, const std::string& name) {
    if (dir.empty() || name.empty()) return false;
    std::string d = dir;
    if (d.size() > 1 && (d.back() == '\\' || d.back() == '/')) d.pop_back();
    std::vector<std::string> entries;
    if (!Sys().ListDirectory(d, entries)) return false;
    bool fold = Sys().CaseInsensitivePaths();
    std::string want = fold ? EParser::ToLower(name) : name;
    for (const auto& e : entries)
        if ((fold ? EParser::ToLower(e) : e) == want) return true;
    return false;
}

bool EFileSystem::MakeDirectory(const std::string& path) { return Sys().MakeDirectory(path); }

bool EFileSystem::EnsureDirectoryChain(const std::string& base,
                                       const std::vector<std::string>& names) {
    std::string current = base;
    for (const auto& name : names) {
        if (!DirectoryContains(current, name)) {
            if (!MakeDirectory(Join(current, name))) {
                Port<IDialogPort>().ShowMessageBox(
                    FormatText("Error while creating directory [%s]!", current.c_str()),
                    LoadResString(IDS_APP_TITLE), MsgBox::Ok | MsgBox::IconError);
                return false;
            }
        }
        current = Join(current, name);
    }
    return true;
}
