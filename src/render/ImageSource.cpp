#include "ImageSource.h"

#include <algorithm>

#include "Utf8Path.h"

std::unique_ptr<CImageSource> CImageSource::OpenFile(const std::string& utf8Path) {
    std::filesystem::path path = PathFromUtf8(utf8Path);
    if (path.empty()) return nullptr;
    std::unique_ptr<CImageSource> source(new CImageSource());
    source->m_file.open(path, std::ios::in | std::ios::binary);
    if (!source->m_file.is_open()) return nullptr;
    source->m_fromFile = true;
    return source;
}

std::unique_ptr<CImageSource> CImageSource::FromMemory(std::span<const std::uint8_t> bytes) {
    std::unique_ptr<CImageSource> source(new CImageSource());
    source->m_bytes = bytes;
    source->m_loaded = true;
    return source;
}

bool CImageSource::ReadAll(std::size_t maxBytes, std::span<const std::uint8_t>& content) {
    if (!m_loaded) {
        // Read in pieces rather than trusting a size taken beforehand: the file may be
        // something other than a plain file, or change while it is read.
        constexpr std::size_t kPiece = std::size_t(1) << 20;
        try {
            std::vector<std::uint8_t> data;
            while (m_file) {
                std::size_t at = data.size();
                if (at > maxBytes) return false;
                data.resize(at + std::min(kPiece, maxBytes + 1 - at));
                m_file.read(reinterpret_cast<char*>(data.data() + at),
                            static_cast<std::streamsize>(data.size() - at));
                data.resize(at + static_cast<std::size_t>(m_file.gcount()));
            }
            if (m_file.bad() || !m_file.eof() || data.size() > maxBytes) return false;
            m_buffer = std::move(data);
        } catch (...) { // no memory for the file
            return false;
        }
        m_bytes = m_buffer;
        m_loaded = true;
    }
    if (m_bytes.size() > maxBytes) return false;
    content = m_bytes;
    return true;
}
