#pragma once
// One registry root held in memory, with names compared without regard to case as
// the Windows registry does, and its text form in the .reg format
// ("Windows Registry Editor Version 5.00"). The posix registry port keeps one of
// these per root in a file; tests use it as a registry in memory.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../RegistryPort.h"

class CRegistryTree {
public:
    explicit CRegistryTree(std::string rootName = "HKEY_CURRENT_USER");

    const std::string& RootName() const { return m_rootName; }

    bool KeyExists(const std::string& path) const;
    // Creates the key and every missing parent; false for a malformed path or a
    // name that does not fit (NameFits).
    bool CreateKey(const std::string& path);
    bool DeleteKeyTree(const std::string& path);

    long QueryValue(const std::string& path, const std::string& name, RegValue& out) const;
    // InvalidParameter for a name that does not fit (NameFits).
    long SetValue(const std::string& path, const std::string& name, const RegValue& value);
    long DeleteValue(const std::string& path, const std::string& name);

    std::vector<std::string> KeyPaths() const; // as written, parents before children
    std::vector<std::pair<std::string, RegValue>> Values(const std::string& path) const;

    // The .reg text of the whole tree.
    std::string Serialize() const;
    // Replaces the tree with the parsed text. On a syntax error the tree is left
    // unchanged and error names the line and the fault.
    bool Parse(const std::string& text, std::string& error);

    // False for a key or value name the text form cannot hold (a line break).
    static bool NameFits(const std::string& name);

    // Splits "a\b\c" into its parts; false for empty parts in the middle.
    static bool SplitPath(const std::string& path, std::vector<std::string>& parts);

private:
    struct Key {
        std::string path; // spelling of the first creation
        std::vector<std::pair<std::string, RegValue>> values;
    };
    static std::string Fold(const std::string& s);
    // The key at path, created with its parents; null for a malformed path.
    static Key* Ensure(std::map<std::string, Key>& keys, const std::string& path);
    static bool Normalize(const std::string& path, std::string& normalized);
    const Key* Find(const std::string& path) const;
    Key* Find(const std::string& path);

    std::string m_rootName;
    std::map<std::string, Key> m_keys; // folded path -> key
};
