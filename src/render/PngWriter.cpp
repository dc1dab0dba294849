#include "PngWriter.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "ImageLayer.h"

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& out, const char type[5], const std::vector<std::uint8_t>& data) {
    Put32(out, static_cast<std::uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + start, static_cast<uInt>(out.size() - start));
    Put32(out, static_cast<std::uint32_t>(crc));
}

} // namespace

bool WritePng(const PixelSurface& surface, const std::string& path) {
    if (!surface.Valid()) return false;
    const int w = surface.width, h = surface.height;
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<size_t>(w * 3 + 1) * h);
    for (int y = 0; y < h; ++y) {
        raw.push_back(0); // no filter
        const std::uint8_t* p = surface.Row(y);
        for (int x = 0; x < w; ++x, p += 4) raw.insert(raw.end(), {p[2], p[1], p[0]});
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return false;
    packed.resize(packedSize);

    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    Put32(header, static_cast<std::uint32_t>(w));
    Put32(header, static_cast<std::uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace
    Chunk(file, "IHDR", header);
    Chunk(file, "IDAT", packed);
    Chunk(file, "IEND", {});

    return WriteFileReplacing(path, [&](CImageDest& dest) { return dest.Write(file.data(), file.size()); });
}
