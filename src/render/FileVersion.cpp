#include "FileVersion.h"

#include <system_error>

#include "Utf8Path.h"

CFileVersion CFileVersion::Of(const std::string& utf8Path) {
    CFileVersion v;
    const std::filesystem::path path = PathFromUtf8(utf8Path);
    if (path.empty()) return v;
    std::error_code kind, size, written;
    const std::filesystem::file_status status = std::filesystem::status(path, kind);
    if (kind || !std::filesystem::exists(status)) return v;
    v.m_type = status.type();
    if (v.m_type == std::filesystem::file_type::regular) v.m_size = std::filesystem::file_size(path, size);
    v.m_written = std::filesystem::last_write_time(path, written);
    v.m_known = !size && !written;
    v.m_path = utf8Path;
    return v;
}

std::string CFileVersion::Describe() const {
    if (!m_known) return std::string();
    return m_path + "|" + std::to_string(static_cast<int>(m_type)) + "|" + std::to_string(m_size) + "|" +
           std::to_string(static_cast<long long>(m_written.time_since_epoch().count()));
}
