#pragma once
// Paths of the running program and of special folders, path parts, and directories.
#include <string>
#include <vector>

class EFileSystem {
public:
    // Full path of the running program, in its short (8.3) form when asked; empty on failure.
    static std::string ProgramFilePath(bool shortForm);
    static std::string ShortPath(const std::string& path);
    static std::string SpecialFolderPath(int folderId);
    // A readable file the program ships, named relative to the program's folder
    // ("help/Index.html"): beside the program (the build tree), else under
    // share/orvanta beside the bin folder of an installed tree, wherever that tree was
    // installed or moved to. Empty when neither has it.
    static std::string ShippedFile(const std::string& relative);

    // Everything up to and including the last separator; empty when there is none.
    static std::string DirectoryPart(const std::string& path);
    // Everything after the last separator.
    static std::string FileNamePart(const std::string& path);
    // Text after the last dot of the file name; empty without a dot.
    static std::string Extension(const std::string& path, bool lowerCase);
    // dir and name joined with the platform's separator.
    static std::string Join(const std::string& dir, const std::string& name);

    // Whether dir has an entry called name. Names compare without regard to case where
    // the file system ignores case, exactly elsewhere. False for an empty dir or name.
    static bool DirectoryContains(const std::string& dir, const std::string& name);
    static bool MakeDirectory(const std::string& path);
    // Walks base\names[0]\names[1]..., creating what is missing. On a failure shows
    // "Error while creating directory [%s]!" and returns false.
    static bool EnsureDirectoryChain(const std::string& base, const std::vector<std::string>& names);
};
