#pragma once
// Folders listed with the time stamps and sizes of their files, which tell a cache
// whether a file changed: one system call a file at most. An extra face of the file
// port (IFilePort), found on it by dynamic_cast; without it the caller asks
// std::filesystem, two calls a file.
//
// win32: FindFirstFileExW, whose entries carry the stamps; a link's are asked for.
// posix: readdir's types, and fstatat of each file relative to the open folder.
#include <string>
#include <vector>

// When a file was last written (in the system's own units: only ever compared with
// another stamp of the same system) and its size.
struct FileStamp {
    long long time = 0;
    long long size = 0;
};

struct FolderEntry {
    enum class Kind {
        File,   // a regular file, also through a link; its stamp is set
        Folder, // a folder that is not a link
        Other,  // a link to a folder, a device, a pipe, a socket, a dangling link
    };
    std::string name;
    Kind kind = Kind::Other;
    FileStamp stamp;
};

class IFolderPort {
public:
    virtual ~IFolderPort() = default;
    // The stamp of the regular file at the UTF-8 path (links followed); false when
    // there is none.
    virtual bool Stamp(const std::string& path, FileStamp& stamp) = 0;
    // The entries of the folder at the UTF-8 path, in the system's order, without "."
    // and ".."; false when it cannot be listed.
    virtual bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries) = 0;
};
