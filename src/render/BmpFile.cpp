#include "BmpFile.h"

#include <algorithm>
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
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

bool KnownHeaderSize(std::uint32_t size) {
    // core (OS/2 1.x), info, info with RGB masks, info with RGBA masks, V4, V5
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// One colour of a 16- or 32-bit pixel: where its bits lie and how many there are.
struct Channel {
    std::uint32_t mask = 0;
    unsigned shift = 0;
    unsigned bits = 0;

    // False for a mask that is empty or not one run of bits.
    bool Set(std::uint32_t m) {
        mask = m;
        if (m == 0) return false;
        shift = 0;
        while (!((m >> shift) & 1u)) ++shift;
        const std::uint64_t run = static_cast<std::uint64_t>(m) >> shift;
        if ((run & (run + 1)) != 0) return false;
        bits = 0;
        while ((run >> bits) & 1u) ++bits;
        return true;
    }
    // The channel of a pixel as 8 bits. Narrower channels repeat their bits downwards
    // (5 bits abcde become abcdeabc), so full intensity stays 255 and the steps stay
    // even; wider ones are rounded.
    std::uint8_t Of(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) {
            const std::uint64_t most = (std::uint64_t(1) << bits) - 1;
            return static_cast<std::uint8_t>((v * std::uint64_t(255) + most / 2) / most);
        }
        unsigned out = 0;
        for (int at = 8 - static_cast<int>(bits); at > -static_cast<int>(bits); at -= static_cast<int>(bits))
            out |= at >= 0 ? v << at : v >> -at;
        return static_cast<std::uint8_t>(out);
    }
};

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
    Channel red, green, blue;    // 16 and 32 bits
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
        if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 24) return false;
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
    if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32) return false;

    std::size_t afterHeaders = CBmpFile::kFileHeaderSize + headerSize;
    switch (l.compression) {
    case kBiRgb:
        if (l.bits == 16 && !(l.red.Set(0x7C00) && l.green.Set(0x03E0) && l.blue.Set(0x001F))) return false;
        if (l.bits == 32 && !(l.red.Set(0xFF0000) && l.green.Set(0xFF00) && l.blue.Set(0xFF))) return false;
        break;
    case kBiRle8:
    case kBiRle4:
        // Run-length pictures are stored bottom-up only, 8 bits in RLE8 and 4 in RLE4.
        if (l.bits != (l.compression == kBiRle8 ? 8u : 4u) || l.topDown) return false;
        break;
    case kBiBitfields: {
        // Red, green and blue masks follow a 40-byte header and lie inside the larger
        // ones; the alpha mask of those is ignored like the unused bits.
        if (l.bits != 16 && l.bits != 32) return false;
        const std::uint8_t* masks = h + 40;
        if (headerSize == 40) {
            if (afterHeaders + 12 > file.size()) return false;
            afterHeaders += 12;
        }
        const std::uint32_t r = Le32(masks), g = Le32(masks + 4), b = Le32(masks + 8);
        if (!l.red.Set(r) || !l.green.Set(g) || !l.blue.Set(b)) return false;
        if ((r & g) || (r & b) || (g & b)) return false;
        if (l.bits == 16 && ((r | g | b) >> 16) != 0) return false;
        break;
    }
    default: return false; // embedded JPEG or PNG, which only printers take
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

using Palette = std::array<std::array<std::uint8_t, 3>, 256>;

// A run-length picture (RLE8 or RLE4) decoded into the part kept of it. Rows are coded
// bottom-up; a run is a count and a value (two 4-bit indices taking turns in RLE4), an
// escape is 0 followed by 0 (end of row), 1 (end of picture), 2 (move right and up by
// the next two bytes) or a count of indices that follow literally, padded to 16 bits.
// Pixels no code reaches keep the first palette colour, which the picture was filled
// with, and a stream that ends early leaves the rest so, as Windows shows it. Pixels
// coded past the end of a row are dropped. False for an index outside the palette.
bool DecodeRle(std::span<const std::uint8_t> data, const Layout& l, const ImageLimits::Part& part,
               const Palette& palette, RgbImage& image) {
    const bool rle8 = l.compression == kBiRle8;
    const std::int64_t width = l.width, height = l.height;
    std::int64_t x = 0, y = 0; // y counts stored rows, from the bottom
    auto put = [&](unsigned index) {
        if (index >= l.coloursUsed) return false;
        const std::int64_t row = height - 1 - y - part.top, col = x - part.left;
        if (row >= 0 && row < part.height && col >= 0 && col < part.width) {
            std::uint8_t* dst = image.pixels.get() + static_cast<std::size_t>(row) * image.Stride() +
                                static_cast<std::size_t>(col) * 3;
            dst[0] = palette[index][0];
            dst[1] = palette[index][1];
            dst[2] = palette[index][2];
        }
        ++x;
        return true;
    };
    std::size_t i = 0;
    while (y < height && i + 2 <= data.size()) {
        const unsigned count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count && x < width; ++k)
                if (!put(rle8 ? value : (k & 1) ? value & 0x0F : value >> 4)) return false;
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 2 > data.size()) break;
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else {
            const std::size_t bytes = rle8 ? value : (value + 1) / 2;
            for (unsigned k = 0; k < value && x < width; ++k) {
                const std::size_t at = i + (rle8 ? k : k / 2);
                if (at >= data.size()) break;
                if (!put(rle8 ? data[at] : (k & 1) ? data[at] & 0x0F : data[at] >> 4)) return false;
            }
            i += bytes + (bytes & 1);
        }
    }
    return true;
}

} // namespace

bool CBmpFile::Decode(std::span<const std::uint8_t> file, const ImageLimits& limits, RgbImage& out) {
    out = RgbImage();
    Layout l;
    if (!ReadLayout(file, l)) return false;
    if (l.width <= 0 || l.height <= 0 || l.width > limits.maxWidth || l.height > limits.maxHeight) return false;
    const bool rle = l.compression == kBiRle8 || l.compression == kBiRle4;
    const std::uint64_t rowBytes = RowBytes(static_cast<std::uint64_t>(l.width), l.bits);
    // Both factors are capped, so the product cannot overflow.
    if (!rle && rowBytes * static_cast<std::uint64_t>(l.height) > file.size() - l.offBits) return false;
    const ImageLimits::Part part = limits.Kept(static_cast<int>(l.width), static_cast<int>(l.height));
    if (!limits.Allows(part.width, part.height)) return false;

    Palette palette{};
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

    if (rle) {
        for (std::size_t i = 0; i < image.Size(); i += 3)
            for (int c = 0; c < 3; ++c) image.pixels[i + c] = palette[0][c];
        if (!DecodeRle(file.subspan(l.offBits), l, part, palette, image)) return false;
        out = std::move(image);
        return true;
    }

    const unsigned mask = (1u << (l.bits < 8 ? l.bits : 8)) - 1u;
    const int bytesPerPixel = l.bits / 8; // 16, 24 and 32 bits
    for (int row = 0; row < part.height; ++row) {
        const int y = part.top + row; // the picture's row, top down
        const int stored = l.topDown ? y : height - 1 - y;
        const std::uint8_t* line = &file[l.offBits + static_cast<std::size_t>(stored) * rowBytes];
        std::uint8_t* dst = image.pixels.get() + static_cast<std::size_t>(row) * image.Stride();
        switch (l.bits) {
        case 24:
            for (int x = part.left; x < part.left + part.width; ++x, dst += 3) {
                const std::uint8_t* src = line + static_cast<std::size_t>(x) * bytesPerPixel;
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            break;
        case 16:
        case 32:
            for (int x = part.left; x < part.left + part.width; ++x, dst += 3) {
                const std::uint8_t* src = line + static_cast<std::size_t>(x) * bytesPerPixel;
                const std::uint32_t pixel = l.bits == 16 ? Le16(src) : Le32(src);
                dst[0] = l.red.Of(pixel);
                dst[1] = l.green.Of(pixel);
                dst[2] = l.blue.Of(pixel);
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

void CBmpFile::WriteHeader(std::uint8_t* header, int width, int height, const BmpResolution& resolution) {
    const std::uint64_t imageSize = RowBytes(static_cast<std::uint64_t>(width), 24) * static_cast<std::uint64_t>(height);
    std::fill(header, header + kFileHeaderSize + kInfoHeaderSize, std::uint8_t{0});
    header[0] = 'B';
    header[1] = 'M';
    PutLe32(header + 2, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + imageSize));
    PutLe32(header + 10, kFileHeaderSize + kInfoHeaderSize);
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
}

bool CBmpFile::Write(CImageDest& dest, std::span<const std::uint8_t> rgb, int width, int height,
                     int stride, const BmpResolution& resolution) {
    if (!ImageLimits().Allows(width, height) || stride < width * 3) return false;
    const std::size_t needed = static_cast<std::size_t>(height - 1) * static_cast<std::size_t>(stride) +
                               static_cast<std::size_t>(width) * 3;
    if (rgb.size() < needed) return false;

    std::uint8_t header[kFileHeaderSize + kInfoHeaderSize];
    WriteHeader(header, width, height, resolution);
    const std::uint64_t rowBytes = RowBytes(static_cast<std::uint64_t>(width), 24);
    if (!dest.Write(header, sizeof header)) return false;

    // Rows go out in blocks of about a megabyte: one write per row costs more than
    // converting the pixels.
    const std::size_t rowsPerBlock = std::max<std::size_t>(1, (std::size_t(1) << 20) / rowBytes);
    std::vector<std::uint8_t> block;
    try {
        block.assign(static_cast<std::size_t>(rowBytes) * std::min<std::size_t>(rowsPerBlock, height), 0);
    } catch (...) {
        return false;
    }
    std::size_t filled = 0;
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* src = rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        std::uint8_t* dst = block.data() + filled;
        for (int x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        filled += static_cast<std::size_t>(rowBytes);
        if ((filled == block.size() || y == 0) && !dest.Write(block.data(), filled)) return false;
        if (filled == block.size()) filled = 0;
    }
    return true;
}
