#pragma once
// Whole files read into memory for the layers that parse them (the user's pictures).
// Only a regular file is read, and no more of it than the caller allows: a device
// would never end and a pipe could wait for a writer forever.
//
// win32: CreateFileW shared with writers and deleters; only a disk file
//   (GetFileType) that is not a folder is read.
// posix: opened with O_NONBLOCK, then judged by fstat of what was opened, so a FIFO
//   put in place after any earlier look cannot hold the open, and a device is never read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class FileRead {
    Done,
    CannotOpen, // no such file, no permission, an unusable name; the system's reason in why
    NotAFile,   // a folder, a device, a pipe or a socket
    TooLarge,   // more bytes than the caller allows
    Failed,     // a read error; the system's reason in why
};

class IFilePort {
public:
    virtual ~IFilePort() = default;
    // The content of the file at the UTF-8 path into content when it is a regular file
    // of at most maxBytes (a file that grows while it is read is refused as soon as it
    // passes maxBytes). content is left empty on any other outcome.
    virtual FileRead ReadWhole(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& content,
                               std::string& why) = 0;
};
