#pragma once
// A registry port over three in-memory roots: what the portable tests use, and
// the store the posix file registry builds on.
#include <memory>

#include "RegistryTree.h"

class CMemoryRegistry : public IRegistryPort {
public:
    CMemoryRegistry();
    long OpenKey(RegRoot root, const std::string& path, RegAccess access,
                 std::unique_ptr<IRegistryKey>& key) override;
    long CreateKey(RegRoot root, const std::string& path, const std::string& keyClass,
                   std::unique_ptr<IRegistryKey>& key) override;
    long DeleteKeyTree(RegRoot root, const std::string& path) override;

    CRegistryTree& Tree(RegRoot root);
    static const char* RootName(RegRoot root);

private:
    CRegistryTree m_trees[3];
};
