#include "MemoryRegistry.h"

namespace {


class MemoryKey : public IRegistryKey {
public:
    MemoryKey(CRegistryTree& tree, std::string path) : m_tree(tree), m_path(std::move(path)) {}
    long QueryValue(const std::string& name, RegValue& out) override {
        if (!m_tree.KeyExists(m_path)) return RegError::KeyDeleted;
        return m_tree.QueryValue(m_path, name, out);
    }
    long SetValue(const std::string& name, const RegValue& value) override {
        if (!m_tree.KeyExists(m_path)) return RegError::KeyDeleted;
        return m_tree.SetValue(m_path, name, value);
    }
    long DeleteValue(const std::string& name) override {
        if (!m_tree.KeyExists(m_path)) return RegError::KeyDeleted;
        return m_tree.DeleteValue(m_path, name);
    }

private:
    CRegistryTree& m_tree;
    std::string m_path;
};

} // namespace

CMemoryRegistry::CMemoryRegistry()
    : m_trees{CRegistryTree(RootName(RegRoot::CurrentUser)),
              CRegistryTree(RootName(RegRoot::LocalMachine)),
              CRegistryTree(RootName(RegRoot::ClassesRoot))} {}

const char* CMemoryRegistry::RootName(RegRoot root) {
    switch (root) {
    case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    }
    return "";
}

CRegistryTree& CMemoryRegistry::Tree(RegRoot root) { return m_trees[static_cast<int>(root)]; }

long CMemoryRegistry::OpenKey(RegRoot root, const std::string& path, RegAccess access,
                              std::unique_ptr<IRegistryKey>& key) {
    key.reset();
    std::vector<std::string> parts;
    if (!CRegistryTree::SplitPath(path, parts)) return RegError::InvalidParameter;
    if (!Tree(root).KeyExists(path)) return RegError::FileNotFound;
    key = LimitAccess(std::make_unique<MemoryKey>(Tree(root), path), access);
    return RegError::Success;
}

long CMemoryRegistry::CreateKey(RegRoot root, const std::string& path, const std::string&,
                                std::unique_ptr<IRegistryKey>& key) {
    key.reset();
    if (!Tree(root).CreateKey(path)) return RegError::InvalidParameter;
    key = std::make_unique<MemoryKey>(Tree(root), path);
    return RegError::Success;
}

long CMemoryRegistry::DeleteKeyTree(RegRoot root, const std::string& path) {
    return Tree(root).DeleteKeyTree(path) ? RegError::Success : RegError::FileNotFound;
}
