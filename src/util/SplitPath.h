#pragma once
// Splits a path into drive, directory, file name and extension by the Windows
// rules: the directory keeps its trailing separator, the extension its dot.
// Both '\' and '/' separate directories.
#include <string>

class CSplitPath {
public:
    static constexpr size_t kMaxPath = 259;
    static constexpr size_t kMaxPart = 255;

    CSplitPath() = default;
    explicit CSplitPath(const std::string& path) { Split(path); }
    void Split(const std::string& path);

    const std::string& Path() const { return m_path; }
    const std::string& Drive() const { return m_drive; }
    const std::string& Dir() const { return m_dir; }
    const std::string& FileName() const { return m_fname; }
    const std::string& Ext() const { return m_ext; }

private:
    std::string m_path, m_drive, m_dir, m_fname, m_ext;
};
