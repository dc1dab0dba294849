#include "PosixRegistry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sstream>
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
        if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
    }
    ~FileLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_fd = -1;
};

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
    : m_dir(std::move(directory)),
      m_roots{{CRegistryTree(CMemoryRegistry::RootName(RegRoot::CurrentUser))},
              {CRegistryTree(CMemoryRegistry::RootName(RegRoot::LocalMachine))},
              {CRegistryTree(CMemoryRegistry::RootName(RegRoot::ClassesRoot))}} {}

std::string CPosixFileRegistry::DefaultDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/orvanta";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/orvanta";
}

std::string CPosixFileRegistry::FilePath(RegRoot root) const {
    return m_dir + "/" + CMemoryRegistry::RootName(root) + ".reg";
}

void CPosixFileRegistry::Refresh(RegRoot root) {
    Root& r = R(root);
    std::string path = FilePath(root);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (!r.known || r.present) {
            r.tree = CRegistryTree(CMemoryRegistry::RootName(root));
            r.known = true;
            r.present = false;
        }
        return;
    }
    long long mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    if (r.known && r.present && r.dev == st.st_dev && r.ino == st.st_ino && r.size == st.st_size &&
        r.mtimeNs == mtimeNs)
        return;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    CRegistryTree tree(CMemoryRegistry::RootName(root));
    std::string error;
    if (in.bad() || !tree.Parse(text.str(), error)) {
        if (error.empty()) error = std::strerror(errno);
        // Keep the damaged file for the user instead of writing over it.
        std::string backup = path + ".damaged";
        for (int i = 1; ::access(backup.c_str(), F_OK) == 0; ++i)
            backup = path + ".damaged." + std::to_string(i);
        bool kept = ::rename(path.c_str(), backup.c_str()) == 0;
        std::fprintf(stderr,
                     "orvanta: the settings file %s is damaged (%s); the defaults are used%s%s\n",
                     path.c_str(), error.c_str(), kept ? " and the damaged file is kept as " : "",
                     kept ? backup.c_str() : "");
        r.tree = std::move(tree);
        r.known = true;
        r.present = false;
        return;
    }
    r.tree = std::move(tree);
    r.known = true;
    r.present = true;
    r.dev = st.st_dev;
    r.ino = st.st_ino;
    r.size = st.st_size;
    r.mtimeNs = mtimeNs;
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
    if (!MakeFolders(m_dir)) return RegError::AccessDenied;
    std::string file = FilePath(root);
    FileLock lock(file + ".lock");
    Refresh(root);
    Root& r = R(root);
    CRegistryTree updated = r.tree;
    long rc = change(updated);
    if (rc != RegError::Success) return rc;

    std::string tmp = file + ".tmp." + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return RegError::AccessDenied;
    bool ok = WriteAll(fd, updated.Serialize()) && ::fsync(fd) == 0;
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
    r.known = false; // re-read identity (and content) on the next access
    Refresh(root);
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
