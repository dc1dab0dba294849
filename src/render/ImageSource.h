#pragma once
// Where a picture is read from: a file opened by its UTF-8 path, or bytes in memory.
// The readers take the whole content at once, bounded, and parse it with bounds checks.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ImageLimits.h"

class CImageSource {
public:
    // Reads the file at once through the file port: null when it cannot be opened (no
    // such file, no permission). A folder, a device, a pipe, a socket, a file over
    // maxBytes or one that fails while it is read gives a source that reads nothing,
    // and Refusal() says why, so the caller can name the picture it leaves out.
    static std::unique_ptr<CImageSource> OpenFile(const std::string& utf8Path,
                                                  std::size_t maxBytes = ImageLimits().maxFileBytes);
    // Borrows the bytes: they must stay alive and unchanged as long as the source.
    static std::unique_ptr<CImageSource> FromMemory(std::span<const std::uint8_t> bytes);

    // The whole content. False when the source was refused or holds more than maxBytes.
    bool ReadAll(std::size_t maxBytes, std::span<const std::uint8_t>& content);
    // Why a file that opened cannot be read ("is not a regular file ..."); empty when it can.
    const std::string& Refusal() const { return m_refusal; }

    CImageSource(const CImageSource&) = delete;
    CImageSource& operator=(const CImageSource&) = delete;

private:
    CImageSource() = default;

    std::vector<std::uint8_t> m_buffer;
    std::span<const std::uint8_t> m_bytes;
    std::string m_refusal;
};
