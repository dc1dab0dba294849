#pragma once
// Registry port for Linux: one .reg text file per root under $XDG_CONFIG_HOME/orvanta/.
//
// Implements: keys and values of HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and
//   HKEY_CLASSES_ROOT; names without regard to case; every write is atomic (a temp
//   file renamed over the old one) under a lock file, so several processes may share
//   the files; changes made by another process are seen on the next access.
//   Names with a line break are refused (InvalidParameter) and nothing is written.
//   Temporary files of writers that died are removed when the lock is next taken.
//   A change that leaves every key and value as the file holds them writes nothing.
// Does not implement: key class strings (accepted and dropped), security, change
//   notification. A damaged file is reported on standard error, kept beside the
//   original name as "<file>.damaged", and the root starts empty. A file that cannot
//   be read (no permission, a folder in its place) is reported with the system's
//   reason and left alone: the root reads as empty and writes to it are refused. A
//   settings folder that cannot be written is reported once.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

#include "../common/RegistryTree.h"

class CPosixFileRegistry : public IRegistryPort {
public:
    explicit CPosixFileRegistry(std::string directory);
    // $XDG_CONFIG_HOME/orvanta, or ~/.config/orvanta (the home from $HOME, else
    // from the password database).
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
        long long ctimeNs = 0;
        std::string unreadable; // why the file that is there cannot be read
        std::string reported;   // the last problem written to standard error
    };
    void Refresh(RegRoot root);
    void RemoveStaleTemporaries();
    long FolderFault(const std::string& what, int error);
    Root& R(RegRoot root) { return m_roots[static_cast<int>(root)]; }

    std::string m_dir;
    std::recursive_mutex m_lock;
    bool m_folderReported = false;
    Root m_roots[3];
};
