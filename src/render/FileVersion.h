#pragma once
// Which version of a file a path names: what kind of file it is, its size and the time
// it was last written. Two equal versions are taken for the same content, so work done
// on one (a picture converted, a picture found unusable) need not be done again.
#include <cstdint>
#include <filesystem>
#include <string>

class CFileVersion {
public:
    // The version of what the UTF-8 path names; an unknown one when nothing is there or
    // its facts cannot be read.
    static CFileVersion Of(const std::string& utf8Path);

    // An unknown version equals no other, itself included: nothing is taken as done for it.
    bool Known() const { return m_known; }
    // The version as text (path, kind, size, time written), for a label kept with work
    // done on it; empty for an unknown one.
    std::string Describe() const;
    bool operator==(const CFileVersion& other) const {
        return m_known && other.m_known && m_path == other.m_path && m_type == other.m_type &&
               m_size == other.m_size && m_written == other.m_written;
    }

private:
    bool m_known = false;
    std::string m_path;
    std::filesystem::file_type m_type = std::filesystem::file_type::none;
    std::uintmax_t m_size = 0; // of a regular file
    std::filesystem::file_time_type m_written;
};
