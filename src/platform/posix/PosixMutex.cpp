#include "PosixMutex.h"
#include "PosixFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PosixMutex : public INamedMutex {
public:
    explicit PosixMutex(int fd) : m_fd(fd) {}
    ~PosixMutex() override {
        if (m_fd >= 0) ::close(m_fd);
    }
    PosixMutex(const PosixMutex&) = delete;
    PosixMutex& operator=(const PosixMutex&) = delete;

private:
    int m_fd;
};

} // namespace

CPosixMutexPort::CPosixMutexPort(std::string directory) : m_dir(std::move(directory)) {}

std::string CPosixMutexPort::DefaultDirectory() {
    const char* run = std::getenv("XDG_RUNTIME_DIR");
    if (run && *run == '/') return run;
    return "/tmp/orvanta-" + std::to_string(::getuid());
}

std::string CPosixMutexPort::LockPath(const std::string& name) const {
    std::string safe = name;
    for (auto& c : safe)
        if (c == '/' || c == '\\') c = '_';
    return m_dir + "/" + safe + ".lock";
}

bool CPosixMutexPort::FolderIsOurs(std::string& why) const {
    // Missing parents are made as far as the system allows (mode 0700).
    if (!MakeFolders(m_dir)) {
        why = std::string("cannot be created (") + std::strerror(errno) + ")";
        return false;
    }
    // In a shared folder such as /tmp another user could make the folder first and
    // so keep the program from starting, or watch and break its locks.
    struct stat st {};
    if (::lstat(m_dir.c_str(), &st) != 0) {
        why = std::string("cannot be examined (") + std::strerror(errno) + ")";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        why = "is not a folder";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        why = "belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        why = "is open to other users";
        return false;
    }
    return true;
}

std::unique_ptr<INamedMutex> CPosixMutexPort::Create(const std::string& name, MutexOutcome& outcome) {
    outcome = MutexOutcome::Failed;
    std::string why;
    if (!FolderIsOurs(why)) {
        std::fprintf(stderr, "orvanta: the lock folder %s %s; it must be a folder of this user that only "
                             "this user can open (mode 0700)\n",
                     m_dir.c_str(), why.c_str());
        return nullptr;
    }
    std::string path = LockPath(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "orvanta: the lock file %s cannot be made in the lock folder %s (%s)\n",
                     path.c_str(), m_dir.c_str(), std::strerror(errno));
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        outcome = MutexOutcome::Created;
    } else if (errno == EWOULDBLOCK) {
        outcome = MutexOutcome::AlreadyExists;
    } else {
        std::fprintf(stderr, "orvanta: the lock file %s in the lock folder %s cannot be locked (%s)\n",
                     path.c_str(), m_dir.c_str(), std::strerror(errno));
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixMutex>(fd);
}
