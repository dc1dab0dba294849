#pragma once
// Whole files for Windows.
//
// Implements: CreateFileW for reading, shared with writers and deleters (the user may
//   be saving the picture meanwhile); only a disk file (GetFileType) that is not a
//   folder is read, in pieces up to the caller's bound.
// Does not implement: nothing left out.
#include "../FilePort.h"
#include "../FolderPort.h"

class CWin32FilePort : public IFilePort, public IFolderPort {
public:
    FileRead ReadWhole(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& content,
                       std::string& why) override;
    bool Stamp(const std::string& path, FileStamp& stamp) override;
    bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries) override;
};
