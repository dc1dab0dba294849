#include "PreparedPicture.h"

#include <algorithm>
#include <cstring>
#include <fstream>

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
    m_file = std::ifstream();
    m_width = m_height = 0;
    if (!ImageLimits().Allows(width, height) || label.size() > kMaxLabel) return false;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t pixels = rowBytes * static_cast<std::size_t>(height);
    const std::size_t tail = label.size() + kTrailer;
    std::ifstream in(PathFromUtf8(path), std::ios::binary | std::ios::ate);
    if (!in || in.tellg() != static_cast<std::streamoff>(kHeaderSize + pixels + tail)) return false;
    std::uint8_t expected[kHeaderSize], header[kHeaderSize];
    CBmpFile::WriteHeader(expected, width, height);
    std::vector<std::uint8_t> end(tail);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(header), kHeaderSize);
    in.seekg(static_cast<std::streamoff>(kHeaderSize + pixels));
    in.read(reinterpret_cast<char*>(end.data()), static_cast<std::streamsize>(tail));
    std::string found;
    if (!in || std::memcmp(header, expected, kHeaderSize) != 0 || !TrailerLabel(end.data() + tail, tail, found) ||
        found != label)
        return false;
    in.seekg(static_cast<std::streamoff>(kHeaderSize));
    m_file = std::move(in);
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

bool CPreparedPicture::SaveSurface(const std::string& path, const PixelSurface& surface, const std::string& label) {
    if (!surface.Valid() || !ImageLimits().Allows(surface.width, surface.height) || label.size() > kMaxLabel) return false;
    return WriteFileReplacing(path, [&](CImageDest& dest) {
        std::uint8_t header[kHeaderSize];
        CBmpFile::WriteHeader(header, surface.width, surface.height);
        if (!dest.Write(header, kHeaderSize)) return false;
        const std::size_t rowBytes = (static_cast<std::size_t>(surface.width) * 3 + 3) / 4 * 4;
        const std::size_t rowsPerBlock = std::max<std::size_t>(1, kBlockBytes / rowBytes);
        std::vector<std::uint8_t> block(rowBytes * std::min<std::size_t>(rowsPerBlock, surface.height));
        std::size_t filled = 0;
        for (int y = surface.height - 1; y >= 0; --y) {
            const std::uint8_t* in = surface.Row(y);
            std::uint8_t* out = block.data() + filled;
            for (int x = 0; x < surface.width; ++x, in += 4, out += 3) std::memcpy(out, in, 3);
            filled += rowBytes;
            if (filled == block.size() || y == 0) {
                if (!dest.Write(block.data(), filled)) return false;
                filled = 0;
            }
        }
        std::vector<std::uint8_t> trailer(label.size() + kTrailer);
        PutTrailer(trailer.data(), label);
        return dest.Write(trailer.data(), trailer.size());
    });
}

CPreparedPicture::RowWriter::RowWriter(CImageDest& dest, int width, int height, const std::string& label,
                                       const std::uint8_t* fill)
    : m_dest(dest), m_width(width), m_height(height), m_label(label),
      m_rowBytes((static_cast<std::size_t>(std::max(width, 0)) * 3 + 3) / 4 * 4) {
    if (!ImageLimits().Allows(width, height) || label.size() > kMaxLabel) return;
    m_rowsPerBlock = static_cast<int>(std::clamp<std::size_t>(kBlockBytes / m_rowBytes, 1, static_cast<std::size_t>(height)));
    m_fill = fill != nullptr;
    if (fill) std::memcpy(m_fillColor, fill, 3);
    try {
        m_block.resize(m_rowBytes * static_cast<std::size_t>(m_rowsPerBlock));
    } catch (...) { // std::bad_alloc
        return;
    }
    std::uint8_t header[kHeaderSize];
    CBmpFile::WriteHeader(header, width, height);
    m_ok = dest.WriteAt(0, header, kHeaderSize);
    StartBlock(0);
}

void CPreparedPicture::RowWriter::StartBlock(int top) {
    m_blockTop = top;
    if (!m_fill || !m_ok) return;
    std::uint8_t* first = m_block.data();
    for (int x = 0; x < m_width; ++x) std::memcpy(first + x * 3, m_fillColor, 3);
    for (int y = 1; y < BlockEnd() - top; ++y) std::memcpy(first + m_rowBytes * static_cast<std::size_t>(y), first, m_rowBytes);
}

void CPreparedPicture::RowWriter::CompleteTo(int y) {
    while (m_ok && m_blockTop < m_height && y >= BlockEnd()) {
        const int end = BlockEnd();
        m_ok = m_dest.WriteAt(kHeaderSize + m_rowBytes * static_cast<std::size_t>(m_height - end), m_block.data(),
                              m_rowBytes * static_cast<std::size_t>(end - m_blockTop));
        StartBlock(end);
    }
}

bool CPreparedPicture::RowWriter::Finish() {
    CompleteTo(m_height);
    if (!m_ok) return false;
    std::vector<std::uint8_t> trailer(m_label.size() + kTrailer);
    PutTrailer(trailer.data(), m_label);
    return m_dest.WriteAt(kHeaderSize + m_rowBytes * static_cast<std::size_t>(m_height), trailer.data(), trailer.size());
}

bool CPreparedPicture::Save(const std::string& path) const {
    if (m_bytes.empty()) return false;
    return WriteFileReplacing(path, [&](CImageDest& dest) { return dest.Write(m_bytes.data(), m_bytes.size()); });
}

bool CPreparedPicture::WriteWith(CImageDest& dest, std::span<const Panel> panel, Colorref key, int alpha,
                                 bool blend) {
    if (Empty()) return false;
    std::uint8_t header[kHeaderSize];
    CBmpFile::WriteHeader(header, m_width, m_height);
    if (!dest.Write(header, kHeaderSize)) return false;
    const std::size_t rowBytes = RowBytes();
    const std::uint32_t a = static_cast<std::uint32_t>(std::clamp(alpha, 0, 255)), b = 255 - a;
    const std::uint8_t kb = static_cast<std::uint8_t>(key >> 16), kg = static_cast<std::uint8_t>(key >> 8),
                       kr = static_cast<std::uint8_t>(key);
    const std::size_t rowsPerBlock = std::max<std::size_t>(1, kBlockBytes / rowBytes);
    std::vector<std::uint8_t> block;
    const std::uint8_t* run = nullptr;
    std::size_t runBytes = 0;
    if (m_file.is_open()) block.resize(rowBytes * std::min<std::size_t>(rowsPerBlock, static_cast<std::size_t>(m_height)));
    for (int first = 0; first < m_height;) { // file rows, bottom-up
        const int count = static_cast<int>(std::min<std::size_t>(rowsPerBlock, static_cast<std::size_t>(m_height - first)));
        const std::size_t bytes = rowBytes * static_cast<std::size_t>(count);
        // Top-down rows of this block.
        const int blockTop = m_height - first - count, blockBottom = m_height - first;
        bool crossed = false;
        for (const Panel& p : panel)
            crossed = crossed || (p.pixels.Valid() && p.y < blockBottom && 0LL + p.y + p.pixels.height > blockTop &&
                                  p.x < m_width && 0LL + p.x + p.pixels.width > 0);
        const std::uint8_t* out = nullptr;
        if (m_file.is_open()) {
            if (!m_file.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(bytes))) return false;
            out = block.data();
        } else {
            out = m_bytes.data() + kHeaderSize + rowBytes * static_cast<std::size_t>(first);
            if (!crossed) { // rows held in memory that the panel leaves alone go out in one write
                if (!run) run = out;
                runBytes += bytes;
                first += count;
                continue;
            }
            if (run && !dest.Write(run, runBytes)) return false;
            run = nullptr;
            runBytes = 0;
            block.assign(out, out + bytes);
            out = block.data();
        }
        if (crossed) {
            for (const Panel& p : panel) {
                if (!p.pixels.Valid()) continue;
                const int left = std::max(p.x, 0);
                const int right = static_cast<int>(std::min<long long>(0LL + p.x + p.pixels.width, m_width));
                const int top = std::max(p.y, blockTop);
                const int bottom = static_cast<int>(std::min<long long>(0LL + p.y + p.pixels.height, blockBottom));
                for (int row = top; row < bottom; ++row) {
                    const std::uint8_t* in = p.pixels.Row(row - p.y) + static_cast<std::ptrdiff_t>(left - p.x) * 4;
                    std::uint8_t* px = block.data() + rowBytes * static_cast<std::size_t>(blockBottom - 1 - row) +
                                       static_cast<std::size_t>(left) * 3;
                    for (int col = left; col < right; ++col, in += 4, px += 3) {
                        if (in[0] == kb && in[1] == kg && in[2] == kr) continue;
                        if (!blend) {
                            std::memcpy(px, in, 3);
                            continue;
                        }
                        for (int c = 0; c < 3; ++c)
                            px[c] = static_cast<std::uint8_t>((in[c] * a + px[c] * b + 127) / 255);
                    }
                }
            }
        }
        if (!dest.Write(out, bytes)) return false;
        first += count;
    }
    return !run || dest.Write(run, runBytes);
}
