#include "SplitPath.h"

void CSplitPath::Split(const std::string& path) {
    m_path = path.substr(0, kMaxPath);
    m_drive.clear();
    m_dir.clear();
    m_fname.clear();
    m_ext.clear();
    std::string rest = m_path;
    if (rest.size() >= 2 && rest[1] == ':') {
        m_drive = rest.substr(0, 2);
        rest.erase(0, 2);
    }
    auto slash = rest.find_last_of("\\/");
    if (slash != std::string::npos) {
        m_dir = rest.substr(0, slash + 1);
        rest.erase(0, slash + 1);
    }
    auto dot = rest.rfind('.');
    if (dot != std::string::npos) {
        m_ext = rest.substr(dot);
        rest.erase(dot);
    }
    m_fname = rest;
    for (auto* part : {&m_dir, &m_fname, &m_ext})
        if (part->size() > kMaxPart) part->resize(kMaxPart);
}
