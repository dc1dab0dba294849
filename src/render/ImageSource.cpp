#include "ImageSource.h"

#include "../platform/Platform.h"

std::unique_ptr<CImageSource> CImageSource::OpenFile(const std::string& utf8Path, std::size_t maxBytes) {
    IFilePort* files = PortOrNull<IFilePort>();
    if (!files) return nullptr;
    std::unique_ptr<CImageSource> source(new CImageSource());
    std::string why;
    switch (files->ReadWhole(utf8Path, maxBytes, source->m_buffer, why)) {
    case FileRead::Done: break;
    case FileRead::CannotOpen: return nullptr;
    case FileRead::NotAFile: source->m_refusal = "is not a regular file (a folder, device, pipe or socket)"; break;
    case FileRead::TooLarge:
        source->m_refusal = "is larger than " + std::to_string(maxBytes >> 20) + " MB, more than a picture can be";
        break;
    case FileRead::Failed: source->m_refusal = "cannot be read (" + why + ")"; break;
    }
    source->m_bytes = source->m_buffer;
    return source;
}

std::unique_ptr<CImageSource> CImageSource::FromMemory(std::span<const std::uint8_t> bytes) {
    std::unique_ptr<CImageSource> source(new CImageSource());
    source->m_bytes = bytes;
    return source;
}

bool CImageSource::ReadAll(std::size_t maxBytes, std::span<const std::uint8_t>& content) {
    if (!m_refusal.empty() || m_bytes.size() > maxBytes) return false;
    content = m_bytes;
    return true;
}
