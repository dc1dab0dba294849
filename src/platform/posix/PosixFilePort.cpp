#include "PosixFilePort.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

class ScopedFd {
public:
    explicit ScopedFd(int fd) : m_fd(fd) {}
    ~ScopedFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

FileStamp StampOf(const struct stat& st) {
    return FileStamp{static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
                     static_cast<long long>(st.st_size)};
}

} // namespace

bool CPosixFilePort::Stamp(const std::string& path, FileStamp& stamp) {
    struct stat st {};
    if (path.empty() || path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    stamp = StampOf(st);
    return true;
}

bool CPosixFilePort::ListFolder(const std::string& path, std::vector<FolderEntry>& entries) {
    entries.clear();
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    while (const struct dirent* d = ::readdir(dir)) {
        if (d->d_name[0] == '.' && (d->d_name[1] == 0 || (d->d_name[1] == '.' && d->d_name[2] == 0))) continue;
        FolderEntry e;
        e.name = d->d_name;
        unsigned char type = d->d_type;
        struct stat st {};
        if (type == DT_UNKNOWN) { // some file systems leave the type to a stat
            if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_FIFO;
        }
        if (type == DT_DIR) {
            e.kind = FolderEntry::Kind::Folder;
        } else if ((type == DT_REG || type == DT_LNK) && ::fstatat(fd, d->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
            e.kind = FolderEntry::Kind::File;
            e.stamp = StampOf(st);
        }
        entries.push_back(std::move(e));
    }
    ::closedir(dir); // closes fd
    return true;
}

FileRead CPosixFilePort::ReadWhole(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& content,
                                   std::string& why) {
    content.clear();
    why.clear();
    if (path.empty() || path.find('\0') != std::string::npos) {
        why = std::strerror(ENOENT);
        return FileRead::CannotOpen;
    }
    const ScopedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) {
        why = std::strerror(errno);
        return FileRead::CannotOpen;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        why = std::strerror(errno);
        return FileRead::Failed;
    }
    if (!S_ISREG(st.st_mode)) return FileRead::NotAFile;
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes) return FileRead::TooLarge;
    try {
        // Read straight into a buffer of the file's size; that size is a hint only, as
        // the file may change while it is read: what it lost is cut off, and what it
        // gained is read after, in pieces.
        content.resize(static_cast<std::size_t>(st.st_size));
        std::size_t filled = 0;
        while (filled < content.size()) {
            const ssize_t n = ::read(fd.Get(), content.data() + filled, content.size() - filled);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                why = std::strerror(errno);
                content.clear();
                return FileRead::Failed;
            }
            if (n == 0) break;
            filled += static_cast<std::size_t>(n);
        }
        content.resize(filled);
        std::uint8_t piece[1 << 16];
        while (filled == static_cast<std::size_t>(st.st_size)) { // until the end the file has now
            const ssize_t n = ::read(fd.Get(), piece, sizeof piece);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                why = std::strerror(errno);
                content.clear();
                return FileRead::Failed;
            }
            if (n == 0) break;
            if (content.size() + static_cast<std::size_t>(n) > maxBytes) {
                content.clear();
                return FileRead::TooLarge;
            }
            content.insert(content.end(), piece, piece + n);
        }
    } catch (const std::bad_alloc&) {
        content.clear();
        why = std::strerror(ENOMEM);
        return FileRead::Failed;
    }
    return FileRead::Done;
}
