#include "PosixRegistry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../common/MemoryRegistry.h"
#include "PosixFiles.h"

namespace {


bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

class FileLock {
public:
    explicit FileLock(const std::string& path) {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            m_error = errno;
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            m_error = errno;
            ::close(m_fd);
            m_fd = -1;
            return;
        }
    }
    ~FileLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return m_fd >= 0; }
    int Error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

long long Nanoseconds(const struct timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// The whole file, or false with errno set.
bool ReadWhole(const std::string& path, std::string& text) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    text.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            errno = e;
            return false;
        }
        text.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

class PosixKey : public IRegistryKey {
public:
    PosixKey(CPosixFileRegistry& reg, RegRoot root, std::string path)
        : m_reg(reg), m_root(root), m_path(std::move(path)) {}
    long QueryValue(const std::string& name, RegValue& out) override {
        return m_reg.Query(m_root, m_path, name, out);
    }
    long SetValue(const std::string& name, const RegValue& value) override {
        return m_reg.Modify(m_root, m_path, [&](CRegistryTree& t) {
            return t.KeyExists(m_path) ? t.SetValue(m_path, name, value) : RegError::KeyDeleted;
        });
    }
    long SetValues(const std::vector<std::pair<std::string, RegValue>>& values) override {
        return m_reg.Modify(m_root, m_path, [&](CRegistryTree& t) {
            if (!t.KeyExists(m_path)) return RegError::KeyDeleted;
            for (const auto& [name, value] : values) {
                long rc = t.SetValue(m_path, name, value);
                if (rc != RegError::Success) return rc;
            }
            return RegError::Success;
        });
    }
    long DeleteValue(const std::string& name) override {
        return m_reg.Modify(m_root, m_path, [&](CRegistryTree& t) {
            return t.KeyExists(m_path) ? t.DeleteValue(m_path, name) : RegError::KeyDeleted;
        });
    }

private:
    CPosixFileRegistry& m_reg;
    RegRoot m_root;
    std::string m_path;
};

} // namespace

CPosixFileRegistry::CPosixFileRegistry(std::string directory)
    : m_dir(std::move(directory)) {
    for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine, RegRoot::ClassesRoot})
        R(root).tree = CRegistryTree(CMemoryRegistry::RootName(root));
}

std::string CPosixFileRegistry::DefaultDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/orvanta";
    return HomeFolder() + "/.config/orvanta";
}

std::string CPosixFileRegistry::FilePath(RegRoot root) const {
    return m_dir + "/" + CMemoryRegistry::RootName(root) + ".reg";
}

void CPosixFileRegistry::Refresh(RegRoot root) {
    Root& r = R(root);
    std::string path = FilePath(root);
    auto startEmpty = [&] {
        r.tree = CRegistryTree(CMemoryRegistry::RootName(root));
        r.known = true;
        r.present = false;
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        if (!r.known || r.present || !r.unreadable.empty()) startEmpty();
        r.unreadable.clear();
        return;
    }
    int statError = errno;
    bool statted = st.st_ino != 0;
    if (statted && r.known && (r.present || !r.unreadable.empty()) && r.dev == st.st_dev &&
        r.ino == st.st_ino && r.size == st.st_size && r.mtimeNs == Nanoseconds(st.st_mtim) &&
        r.ctimeNs == Nanoseconds(st.st_ctim))
        return;
    auto identify = [&] {
        r.dev = st.st_dev;
        r.ino = st.st_ino;
        r.size = st.st_size;
        r.mtimeNs = Nanoseconds(st.st_mtim);
        r.ctimeNs = Nanoseconds(st.st_ctim);
    };

    // A file that cannot be read is not damaged: it stays where it is, and nothing is
    // written over it until it can be read again.
    std::string text;
    std::string why;
    if (!statted)
        why = std::strerror(statError);
    else if (S_ISDIR(st.st_mode))
        why = std::strerror(EISDIR);
    else if (!S_ISREG(st.st_mode))
        why = "not a regular file";
    else if (!ReadWhole(path, text))
        why = std::strerror(errno);
    if (!why.empty()) {
        startEmpty();
        r.unreadable = why;
        identify();
        if (r.reported != why) {
            std::fprintf(stderr,
                         "orvanta: the settings file %s cannot be read (%s); it is left as it is, the "
                         "defaults are used and changes are not kept\n",
                         path.c_str(), why.c_str());
            r.reported = why;
        }
        return;
    }
    r.unreadable.clear();
    r.reported.clear();

    CRegistryTree tree(CMemoryRegistry::RootName(root));
    std::string error;
    if (!tree.Parse(text, error)) {
        // Keep the damaged file for the user instead of writing over it.
        std::string backup = path + ".damaged";
        for (int i = 1; ::access(backup.c_str(), F_OK) == 0; ++i)
            backup = path + ".damaged." + std::to_string(i);
        bool kept = ::rename(path.c_str(), backup.c_str()) == 0;
        std::fprintf(stderr,
                     "orvanta: the settings file %s is damaged (%s); the defaults are used%s%s\n",
                     path.c_str(), error.c_str(), kept ? " and the damaged file is kept as " : "",
                     kept ? backup.c_str() : "");
        startEmpty();
        return;
    }
    r.tree = std::move(tree);
    r.known = true;
    r.present = true;
    identify();
}

long CPosixFileRegistry::FolderFault(const std::string& what, int error) {
    if (!m_folderReported) {
        std::fprintf(stderr, "orvanta: the settings folder %s %s (%s); changes to the settings are not kept\n",
                     m_dir.c_str(), what.c_str(), std::strerror(error));
        m_folderReported = true;
    }
    return RegError::AccessDenied;
}

void CPosixFileRegistry::RemoveStaleTemporaries() {
    DIR* dir = ::opendir(m_dir.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        auto mark = name.find(".reg.tmp.");
        if (mark == std::string::npos) continue;
        std::string root = name.substr(0, mark);
        if (root != CMemoryRegistry::RootName(RegRoot::CurrentUser) &&
            root != CMemoryRegistry::RootName(RegRoot::LocalMachine) &&
            root != CMemoryRegistry::RootName(RegRoot::ClassesRoot))
            continue;
        std::string digits = name.substr(mark + 9);
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        pid_t pid = static_cast<pid_t>(std::stol(digits));
        // A writer that is still alive (or that we may not signal) keeps its file.
        if (pid == ::getpid() || pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        ::unlink((m_dir + "/" + name).c_str());
    }
    ::closedir(dir);
}

long CPosixFileRegistry::Query(RegRoot root, const std::string& path, const std::string& name,
                               RegValue& out) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Refresh(root);
    if (!R(root).tree.KeyExists(path)) return RegError::KeyDeleted;
    return R(root).tree.QueryValue(path, name, out);
}

long CPosixFileRegistry::Modify(RegRoot root, const std::string& path,
                                const std::function<long(CRegistryTree&)>& change) {
    (void)path;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!MakeFolders(m_dir)) return FolderFault("cannot be created", errno);
    std::string file = FilePath(root);
    FileLock lock(file + ".lock");
    if (!lock.Held()) return FolderFault("cannot be written", lock.Error());
    RemoveStaleTemporaries();
    Refresh(root);
    Root& r = R(root);
    if (!r.unreadable.empty()) return RegError::AccessDenied;
    CRegistryTree updated = r.tree;
    long rc = change(updated);
    if (rc != RegError::Success) return rc;

    // The file is read back by this and every other process: text that would not read
    // back is never written, so a write of ours can never cost the file.
    std::string text = updated.Serialize();
    // A change that changes nothing (a save of the values the file already holds, as
    // every refresh makes) leaves the file alone: no rewrite, no flush to the disk.
    if (r.present && text == r.tree.Serialize()) return RegError::Success;
    {
        CRegistryTree check(updated.RootName());
        std::string error;
        if (!check.Parse(text, error)) return RegError::InvalidParameter;
    }

    std::string tmp = file + ".tmp." + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return FolderFault("cannot be written", errno);
    bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(tmp.c_str(), file.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return RegError::WriteFault; // the old file is untouched
    }
    int dfd = ::open(m_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    // What was written is what the file holds; its identity tells later accesses
    // whether another process has written since.
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) {
        r.tree = std::move(updated);
        r.known = true;
        r.present = true;
        r.dev = st.st_dev;
        r.ino = st.st_ino;
        r.size = st.st_size;
        r.mtimeNs = Nanoseconds(st.st_mtim);
        r.ctimeNs = Nanoseconds(st.st_ctim);
    } else {
        r.known = false;
    }
    return RegError::Success;
}

long CPosixFileRegistry::OpenKey(RegRoot root, const std::string& path, RegAccess access,
                                 std::unique_ptr<IRegistryKey>& key) {
    key.reset();
    std::vector<std::string> parts;
    if (!CRegistryTree::SplitPath(path, parts)) return RegError::InvalidParameter;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Refresh(root);
    if (!R(root).tree.KeyExists(path)) return RegError::FileNotFound;
    key = LimitAccess(std::make_unique<PosixKey>(*this, root, path), access);
    return RegError::Success;
}

long CPosixFileRegistry::CreateKey(RegRoot root, const std::string& path, const std::string&,
                                   std::unique_ptr<IRegistryKey>& key) {
    key.reset();
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    Refresh(root);
    if (!R(root).tree.KeyExists(path)) {
        long rc = Modify(root, path, [&](CRegistryTree& t) {
            return t.CreateKey(path) ? RegError::Success : RegError::InvalidParameter;
        });
        if (rc != RegError::Success) return rc;
    }
    key = std::make_unique<PosixKey>(*this, root, path);
    return RegError::Success;
}

long CPosixFileRegistry::DeleteKeyTree(RegRoot root, const std::string& path) {
    return Modify(root, path, [&](CRegistryTree& t) {
        return t.DeleteKeyTree(path) ? RegError::Success : RegError::FileNotFound;
    });
}
