#pragma once
// Named mutexes for Linux: an flock on "<name>.lock" in $XDG_RUNTIME_DIR (or
// /tmp/orvanta-<uid>). The lock goes when the holder closes it or exits, however it ends.
//
// Implements: create-and-own, "already exists" when another process holds the name;
//   Failed, with the reason and the folder on standard error, when the folder (made
//   with its missing parents) or the lock file cannot be made or locked.
// Does not implement: waiting for or releasing a held mutex other than by closing it.
#include "../MutexPort.h"

class CPosixMutexPort : public IMutexPort {
public:
    explicit CPosixMutexPort(std::string directory = DefaultDirectory());
    static std::string DefaultDirectory();
    std::unique_ptr<INamedMutex> Create(const std::string& name, MutexOutcome& outcome) override;
    std::string LockPath(const std::string& name) const;

private:
    // The folder exists (it is made with mode 0700), is a real folder, belongs to this
    // user and is closed to others; otherwise why says what is wrong.
    bool FolderIsOurs(std::string& why) const;

    std::string m_dir;
};
