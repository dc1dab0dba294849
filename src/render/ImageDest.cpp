#include "ImageDest.h"

#include "Utf8Path.h"

#include <algorithm>

std::unique_ptr<CImageDest> CImageDest::OpenFile(const std::string& utf8Path, bool append) {
    std::filesystem::path path = PathFromUtf8(utf8Path);
    if (path.empty()) return nullptr;
    std::unique_ptr<CImageDest> dest(new CImageDest());
    dest->m_file.open(path, std::ios::out | std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!dest->m_file.is_open()) return nullptr;
    dest->m_toFile = true;
    return dest;
}

std::unique_ptr<CImageDest> CImageDest::InMemory() { return std::unique_ptr<CImageDest>(new CImageDest()); }

CImageDest::~CImageDest() { Close(); }

bool CImageDest::Write(const void* data, std::size_t size) {
    if (m_failed) return false;
    if (m_toFile) {
        if (!m_file.is_open() ||
            !m_file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size)))
            m_failed = true;
    } else {
        try {
            const auto* bytes = static_cast<const std::uint8_t*>(data);
            m_bytes.insert(m_bytes.end(), bytes, bytes + size);
        } catch (...) {
            m_failed = true;
        }
    }
    return !m_failed;
}

bool CImageDest::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (m_failed) return false;
    if (m_toFile) {
        if (!m_file.seekp(static_cast<std::streamoff>(offset))) m_failed = true;
        return Write(data, size);
    }
    try {
        if (m_bytes.size() < offset + size) m_bytes.resize(offset + size);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        std::copy(bytes, bytes + size, m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    } catch (...) {
        m_failed = true;
    }
    return !m_failed;
}

bool CImageDest::Close() {
    if (m_toFile && m_file.is_open()) {
        m_file.flush();
        if (!m_file) m_failed = true;
        m_file.close();
        if (m_file.fail()) m_failed = true;
    }
    return !m_failed;
}
