#pragma once
// The mail folders of Outlook Today's folder list, in the order of the configured paths.
#include <memory>
#include <string>
#include <vector>

#include "../automation/AutoValue.h"
#include "MailFolder.h"

class CMailFolders {
public:
    int GetCount() const { return static_cast<int>(m_folders.size()); }
    const CMailFolder& GetAt(int index) const { return *m_folders[static_cast<size_t>(index)]; }
    CMailFolder& At(int index) { return *m_folders[static_cast<size_t>(index)]; }
    void RemoveAll() { m_folders.clear(); }
    // Keeps the first count folders.
    void Truncate(int count) {
        if (count >= 0 && static_cast<size_t>(count) < m_folders.size()) m_folders.resize(static_cast<size_t>(count));
    }
    void Append(std::unique_ptr<CMailFolder> folder) { m_folders.push_back(std::move(folder)); }
    // Adds an Outlook folder that holds mail; false for any other folder. Throws CAutoError.
    bool Add(IAutoObject& folder);

    // Trimmed, leading backslashes removed, cut at every backslash.
    static std::vector<std::string> SplitPath(const std::string& path);

private:
    std::vector<std::unique_ptr<CMailFolder>> m_folders;
};
