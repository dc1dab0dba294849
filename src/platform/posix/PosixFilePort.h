#pragma once
// Whole files for Linux.
//
// Implements: open with O_RDONLY | O_NONBLOCK | O_CLOEXEC (a FIFO does not wait for a
//   writer), fstat of the open file (anything but a regular file is refused before a
//   byte is read), reading in pieces up to the caller's bound.
// Does not implement: nothing left out.
#include "../FilePort.h"
#include "../FolderPort.h"

class CPosixFilePort : public IFilePort, public IFolderPort {
public:
    FileRead ReadWhole(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& content,
                       std::string& why) override;
    bool Stamp(const std::string& path, FileStamp& stamp) override;
    bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries) override;
};
