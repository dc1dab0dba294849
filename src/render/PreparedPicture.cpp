#include "PreparedPicture.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "../platform/FilePort.h"
#include "../platform/Platform.h"
#include "BmpFile.h"
#include "ImageDest.h"
#include "ImageLayer.h"
#include "ImageLimits.h"
#include "Utf8Path.h"

namespace {

// After the label: its length (4 bytes, little-endian) and this mark.
constexpr char kMark[8] = {'O', 'R', 'V', 'P', 'R', 'E', 'P', '1'};
constexpr std::size_t kTrailer = 4 + sizeof kMark;
constexpr std::size_t kMaxLabel = 64 * 1024;
constexpr std::size_t kBlockBytes = std::size_t(1) << 20;

void PutTrailer(std::uint8_t* at, const std::string& label) {
    std::memcpy(at, label.data(), label.size());
    const auto n = static_cast<std::uint32_t>(label.size());
    at += label.size();
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(n >> (8 * i));
    std::memcpy(at + 4, kMark, sizeof kMark);
}

// The label a file's last bytes carry, or nothing.
bool TrailerLabel(const std::uint8_t* end, std::size_t available, std::string& label) {
    if (available < kTrailer || std::memcmp(end - sizeof kMark, kMark, sizeof kMark) != 0) return false;
    const std::uint8_t* n = end - kTrailer;
    const std::uint32_t length = n[0] | (n[1] << 8) | (n[2] << 16) | (static_cast<std::uint32_t>(n[3]) << 24);
    if (length > kMaxLabel || length > available - kTrailer) return false;
    label.assign(reinterpret_cast<const char*>(n - length), length);
    return true;
}

} // namespace

bool CPreparedPicture::Start(int width, int height, const std::string& label) {
    m_bytes.clear();
    m_width = m_height = 0;
    if (!ImageLimits().Allows(width, height) || label.size() > kMaxLabel) return false;
    m_width = width;
    m_height = height;
    try {
        m_bytes.resize(kHeaderSize + PixelBytes() + label.size() + kTrailer);
    } catch (...) {
        m_bytes.clear();
        m_bytes.shrink_to_fit();
        m_width = m_height = 0;
        return false;
    }
    CBmpFile::WriteHeader(m_bytes.data(), width, height);
    PutTrailer(m_bytes.data() + kHeaderSize + PixelBytes(), label);
    return true;
}

bool CPreparedPicture::FromSurface(const PixelSurface& surface, const std::string& label) {
    if (!surface.Valid() || !Start(surface.width, surface.height, label)) return false;
    for (int y = 0; y < m_height; ++y) {
        const std::uint8_t* in = surface.Row(y);
        std::uint8_t* out = Row(y);
        for (int x = 0; x < m_width; ++x, in += 4, out += 3) std::memcpy(out, in, 3);
    }
    return true;
}

bool CPreparedPicture::Plain(int width, int height, Colorref color, const std::string& label) {
    if (!Start(width, height, label)) return false;
    const std::uint8_t px[3] = {static_cast<std::uint8_t>(color >> 16), static_cast<std::uint8_t>(color >> 8),
                                static_cast<std::uint8_t>(color)};
    std::uint8_t* first = Row(0);
    for (int x = 0; x < m_width; ++x) std::memcpy(first + x * 3, px, 3);
    for (int y = 1; y < m_height; ++y) std::memcpy(Row(y), first, RowBytes());
    return true;
}

bool CPreparedPicture::Load(const std::string& path, int width, int height, const std::string& label) {
    m_bytes.clear();
    m_width = m_height = 0;
    IFilePort* files = PortOrNull<IFilePort>();
    if (!files || !ImageLimits().Allows(width, height)) return false;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t expected = kHeaderSize + rowBytes * static_cast<std::size_t>(height) + label.size() + kTrailer;
    std::string why;
    if (files->ReadWhole(path, expected, m_bytes, why) != FileRead::Done || m_bytes.size() != expected) {
        m_bytes.clear();
        m_bytes.shrink_to_fit();
        return false;
    }
    std::uint8_t header[kHeaderSize];
    CBmpFile::WriteHeader(header, width, height);
    std::string found;
    if (std::memcmp(header, m_bytes.data(), kHeaderSize) != 0 ||
        !TrailerLabel(m_bytes.data() + m_bytes.size(), m_bytes.size() - kHeaderSize, found) || found != label) {
        m_bytes.clear();
        m_bytes.shrink_to_fit();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

bool CPreparedPicture::IsCurrent(const std::string& path, const std::string& label) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    const std::size_t tail = label.size() + kTrailer;
    if (size < static_cast<std::streamoff>(kHeaderSize + tail)) return false;
    std::vector<std::uint8_t> end(tail);
    in.seekg(size - static_cast<std::streamoff>(tail));
    if (!in.read(reinterpret_cast<char*>(end.data()), static_cast<std::streamsize>(tail))) return false;
    std::string found;
    return TrailerLabel(end.data() + end.size(), end.size(), found) && found == label;
}

bool CPreparedPicture::Save(const std::string& path) const {
    if (m_bytes.empty()) return false;
    return WriteFileReplacing(path, [&](CImageDest& dest) {
        for (std::size_t at = 0; at < m_bytes.size(); at += kBlockBytes)
            if (!dest.Write(m_bytes.data() + at, std::min(kBlockBytes, m_bytes.size() - at))) return false;
        return true;
    });
}

bool CPreparedPicture::WriteWith(CImageDest& dest, const PixelSurface& panel, int x, int y, Colorref key, int alpha,
                                 bool blend) const {
    if (m_bytes.empty()) return false;
    if (!dest.Write(m_bytes.data(), kHeaderSize)) return false;
    const std::size_t rowBytes = RowBytes();
    // The panel's part that lies on the picture.
    int left = 0, right = 0, top = 0, bottom = 0;
    if (panel.Valid()) {
        left = std::max(x, 0);
        right = std::min<long long>(static_cast<long long>(x) + panel.width, m_width);
        top = std::max(y, 0);
        bottom = std::min<long long>(static_cast<long long>(y) + panel.height, m_height);
    }
    const std::uint32_t a = static_cast<std::uint32_t>(std::clamp(alpha, 0, 255)), b = 255 - a;
    const std::uint8_t kb = static_cast<std::uint8_t>(key >> 16), kg = static_cast<std::uint8_t>(key >> 8),
                       kr = static_cast<std::uint8_t>(key);
    // Rows without the panel go out straight from the buffer; a block of rows crossing
    // it is copied, the panel laid over the copy, and written.
    std::vector<std::uint8_t> block;
    const std::size_t rowsPerBlock = std::max<std::size_t>(1, kBlockBytes / rowBytes);
    const std::uint8_t* pixels = m_bytes.data() + kHeaderSize;
    for (int first = 0; first < m_height;) { // file rows, bottom-up
        const int count = static_cast<int>(std::min<std::size_t>(rowsPerBlock, static_cast<std::size_t>(m_height - first)));
        const std::uint8_t* from = pixels + rowBytes * static_cast<std::size_t>(first);
        const std::size_t bytes = rowBytes * static_cast<std::size_t>(count);
        // Top-down rows of this block: m_height - first - count .. m_height - first - 1.
        const int blockTop = m_height - first - count, blockBottom = m_height - first;
        if (left >= right || blockBottom <= top || blockTop >= bottom) {
            if (!dest.Write(from, bytes)) return false;
        } else {
            block.assign(from, from + bytes);
            for (int row = std::max(blockTop, top); row < std::min(blockBottom, bottom); ++row) {
                const std::uint8_t* in = panel.Row(row - y) + static_cast<std::ptrdiff_t>(left - x) * 4;
                std::uint8_t* out = block.data() + rowBytes * static_cast<std::size_t>(blockBottom - 1 - row) +
                                    static_cast<std::size_t>(left) * 3;
                for (int col = left; col < right; ++col, in += 4, out += 3) {
                    if (in[0] == kb && in[1] == kg && in[2] == kr) continue;
                    if (!blend) {
                        std::memcpy(out, in, 3);
                        continue;
                    }
                    for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((in[c] * a + out[c] * b + 127) / 255);
                }
            }
            if (!dest.Write(block.data(), bytes)) return false;
        }
        first += count;
    }
    return true;
}
