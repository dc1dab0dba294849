#pragma once
// Where a picture is read from: a file opened by its UTF-8 path, or bytes in memory.
// The readers take the whole content at once, bounded, and parse it with bounds checks.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CImageSource {
public:
    // Null when the file cannot be opened for reading.
    static std::unique_ptr<CImageSource> OpenFile(const std::string& utf8Path);
    // Borrows the bytes: they must stay alive and unchanged as long as the source.
    static std::unique_ptr<CImageSource> FromMemory(std::span<const std::uint8_t> bytes);

    // The whole content. False when it holds more than maxBytes or reading fails.
    bool ReadAll(std::size_t maxBytes, std::span<const std::uint8_t>& content);

    CImageSource(const CImageSource&) = delete;
    CImageSource& operator=(const CImageSource&) = delete;

private:
    CImageSource() = default;

    std::ifstream m_file;
    bool m_fromFile = false;
    bool m_loaded = false;
    std::vector<std::uint8_t> m_buffer;
    std::span<const std::uint8_t> m_bytes;
};
