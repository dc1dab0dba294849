#pragma once
// Registry port for Linux: one .reg text file per root under $XDG_CONFIG_HOME/orvanta/.
//
// Implements: keys and values of HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and
//   HKEY_CLASSES_ROOT; names without regard to case; every write is atomic (a temp
//   file renamed over the old one) under a lock file, so several processes may share
//   the files; changes made by another process are seen on the next access.
// Does not implement: key class strings (accepted and dropped), security, change
//   notification. A damaged file is reported on standard error, kept beside the
//   original name as "<file>.damaged", and the root starts empty.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

#include "../common/RegistryTree.h"

class CPosixFileRegistry : public IRegistryPort {
public:
    explicit CPosixFileRegistry(std::string directory);
    // $XDG_CONFIG_HOME/orvanta, or ~/.config/orvanta.
    static std::string DefaultDirectory();

    long OpenKey(RegRoot root, const std::string& path, RegAccess access,
                 std::unique_ptr<IRegistryKey>& key) override;
    long CreateKey(RegRoot root, const std::string& path, const std::string& keyClass,
                   std::unique_ptr<IRegistryKey>& key) override;
    long DeleteKeyTree(RegRoot root, const std::string& path) override;

    std::string FilePath(RegRoot root) const;

    // Used by the key objects.
    long Query(RegRoot root, const std::string& path, const std::string& name, RegValue& out);
    long Modify(RegRoot root, const std::string& path,
                const std::function<long(CRegistryTree&)>& change);

private:
    struct Root {
        CRegistryTree tree;
        bool known = false; // identity below describes what tree holds
        bool present = false;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        long long mtimeNs = 0;
    };
    void Refresh(RegRoot root);
    Root& R(RegRoot root) { return m_roots[static_cast<int>(root)]; }

    std::string m_dir;
    std::recursive_mutex m_lock;
    Root m_roots[3];
};
