#include "BmpFile.h"

#include <array>
#include <new>
#include <vector>

#include "ImageDest.h"

namespace {

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

bool KnownHeaderSize(std::uint32_t size) {
    // core (OS/2 1.x), info, info with RGB masks, info with RGBA masks, V4, V5
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0; // always positive; topDown says the order
    bool topDown = false;
    unsigned bits = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0;
    std::size_t paletteAt = 0;   // first palette entry
    unsigned paletteEntry = 4;   // bytes per entry: 3 in core files
    std::uint32_t offBits = 0;
};

// Header fields, checked against each other and against the file's size.
bool ReadLayout(std::span<const std::uint8_t> file, Layout& l) {
    if (file.size() < CBmpFile::kFileHeaderSize + 12) return false;
    if (file[0] != 'B' || file[1] != 'M') return false;
    l.offBits = Le32(&file[10]);
    const std::uint32_t headerSize = Le32(&file[14]);
    if (!KnownHeaderSize(headerSize) || CBmpFile::kFileHeaderSize + headerSize > file.size()) return false;
    const std::uint8_t* h = &file[CBmpFile::kFileHeaderSize];
    unsigned planes = 0;
    if (headerSize == 12) {
        l.width = Le16(h + 4);
        l.height = Le16(h + 6);
        planes = Le16(h + 8);
        l.bits = Le16(h + 10);
        l.paletteEntry = 3;
    } else {
        l.width = static_cast<std::int32_t>(Le32(h + 4));
        const std::int64_t height = static_cast<std::int32_t>(Le32(h + 8));
        l.topDown = height < 0;
        l.height = l.topDown ? -height : height;
        planes = Le16(h + 12);
        l.bits = Le16(h + 14);
        l.compression = Le32(h + 16);
        l.coloursUsed = Le32(h + 32);
    }
    if (planes != 1) return false;
    if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 24 && l.bits != 32) return false;

    std::size_t afterHeaders = CBmpFile::kFileHeaderSize + headerSize;
    if (l.compression == kBiBitfields) {
        // Only the masks of plain 8-bit blue, green and red are taken; the alpha mask of
        // the larger headers is ignored like the unused byte.
        if (l.bits != 32) return false;
        const std::uint8_t* masks = h + 40;
        if (headerSize == 40) {
            if (afterHeaders + 12 > file.size()) return false;
            afterHeaders += 12;
        }
        if (Le32(masks) != 0x00FF0000u || Le32(masks + 4) != 0x0000FF00u || Le32(masks + 8) != 0x000000FFu)
            return false;
    } else if (l.compression != kBiRgb) {
        return false;
    }

    l.paletteAt = afterHeaders;
    if (l.bits <= 8) {
        const std::uint32_t most = 1u << l.bits;
        if (l.coloursUsed == 0) l.coloursUsed = most;
        if (l.coloursUsed > most) return false;
        afterHeaders += static_cast<std::size_t>(l.coloursUsed) * l.paletteEntry;
    }
    // The pixels start after the headers and the palette and lie wholly inside the file.
    if (l.offBits < afterHeaders || l.offBits > file.size()) return false;
    return true;
}

} // namespace

bool CBmpFile::Decode(std::span<const std::uint8_t> file, const ImageLimits& limits, RgbImage& out) {
    out = RgbImage();
    Layout l;
    if (!ReadLayout(file, l)) return false;
    if (l.width <= 0 || l.height <= 0 || l.width > limits.maxWidth || l.height > limits.maxHeight) return false;
    const std::uint64_t rowBytes = RowBytes(static_cast<std::uint64_t>(l.width), l.bits);
    // Both factors are capped, so the product cannot overflow.
    if (rowBytes * static_cast<std::uint64_t>(l.height) > file.size() - l.offBits) return false;
    const ImageLimits::Part part = limits.Kept(static_cast<int>(l.width), static_cast<int>(l.height));
    if (!limits.Allows(part.width, part.height)) return false;

    std::array<std::array<std::uint8_t, 3>, 256> palette{};
    if (l.bits <= 8) {
        for (std::uint32_t i = 0; i < l.coloursUsed; ++i) {
            const std::uint8_t* e = &file[l.paletteAt + i * l.paletteEntry];
            palette[i] = {e[2], e[1], e[0]};
        }
    }

    const int height = static_cast<int>(l.height);
    RgbImage image;
    image.width = part.width;
    image.height = part.height;
    image.pixels.reset(new (std::nothrow) std::uint8_t[image.Size()]);
    if (!image.pixels) return false;

    const unsigned mask = (1u << (l.bits < 8 ? l.bits : 8)) - 1u;
    const int bytesPerPixel = l.bits / 8; // 24 and 32 bits
    for (int row = 0; row < part.height; ++row) {
        const int y = part.top + row; // the picture's row, top down
        const int stored = l.topDown ? y : height - 1 - y;
        const std::uint8_t* line = &file[l.offBits + static_cast<std::size_t>(stored) * rowBytes];
        std::uint8_t* dst = image.pixels.get() + static_cast<std::size_t>(row) * image.Stride();
        switch (l.bits) {
        case 24:
        case 32:
            for (int x = part.left; x < part.left + part.width; ++x, dst += 3) {
                const std::uint8_t* src = line + static_cast<std::size_t>(x) * bytesPerPixel;
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            break;
        default: // 1, 4 or 8 bits: palette indices, the leftmost pixel in the high bits
            for (int x = part.left; x < part.left + part.width; ++x, dst += 3) {
                const std::size_t bit = static_cast<std::size_t>(x) * l.bits;
                const unsigned index = (line[bit / 8] >> (8 - l.bits - bit % 8)) & mask;
                if (index >= l.coloursUsed) return false;
                dst[0] = palette[index][0];
                dst[1] = palette[index][1];
                dst[2] = palette[index][2];
            }
            break;
        }
    }
    out = std::move(image);
    return true;
}

bool CBmpFile::Write(CImageDest& dest, std::span<const std::uint8_t> rgb, int width, int height,
                     int stride, const BmpResolution& resolution) {
    if (!ImageLimits().Allows(width, height) || stride < width * 3) return false;
    const std::size_t needed = static_cast<std::size_t>(height - 1) * static_cast<std::size_t>(stride) +
                               static_cast<std::size_t>(width) * 3;
    if (rgb.size() < needed) return false;

    const std::uint64_t rowBytes = RowBytes(static_cast<std::uint64_t>(width), 24);
    const std::uint64_t imageSize = rowBytes * static_cast<std::uint64_t>(height);
    std::uint8_t header[kFileHeaderSize + kInfoHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutLe32(header + 2, static_cast<std::uint32_t>(sizeof header + imageSize));
    PutLe32(header + 10, sizeof header);
    std::uint8_t* info = header + kFileHeaderSize;
    PutLe32(info, kInfoHeaderSize);
    PutLe32(info + 4, static_cast<std::uint32_t>(width));
    PutLe32(info + 8, static_cast<std::uint32_t>(height)); // positive: bottom-up
    PutLe16(info + 12, 1);
    PutLe16(info + 14, 24);
    PutLe32(info + 16, kBiRgb);
    PutLe32(info + 20, static_cast<std::uint32_t>(imageSize));
    PutLe32(info + 24, static_cast<std::uint32_t>(resolution.xPelsPerMeter));
    PutLe32(info + 28, static_cast<std::uint32_t>(resolution.yPelsPerMeter));
    if (!dest.Write(header, sizeof header)) return false;

    std::vector<std::uint8_t> row;
    try {
        row.assign(static_cast<std::size_t>(rowBytes), 0);
    } catch (...) {
        return false;
    }
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* src = rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        std::uint8_t* dst = row.data();
        for (int x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        if (!dest.Write(row.data(), row.size())) return false;
    }
    return true;
}
