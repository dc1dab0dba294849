#pragma once
// Registry port over the Windows registry (Reg*W).
//
// Implements: open, create (with a class string), value query/set/delete and key
//   tree deletion under HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT;
//   text values converted between UTF-8 and the registry's UTF-16.
// Does not implement: other roots, security descriptors, change notification.
#include "../RegistryPort.h"

class CWin32Registry : public IRegistryPort {
public:
    long OpenKey(RegRoot root, const std::string& path, RegAccess access,
                 std::unique_ptr<IRegistryKey>& key) override;
    long CreateKey(RegRoot root, const std::string& path, const std::string& keyClass,
                   std::unique_ptr<IRegistryKey>& key) override;
    long DeleteKeyTree(RegRoot root, const std::string& path) override;
};
