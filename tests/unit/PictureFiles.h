#pragma once
// Pictures and picture files made by the tests themselves: smooth pictures as
// photographs are, JPEG files encoded by the library with any scan script, and PNG
// files of every colour type, encoded by libpng or put together chunk by chunk.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <algorithm>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}
#include <png.h>
#include <zlib.h>

#include "render/Utf8Path.h"

namespace picture_files {

using Bytes = std::vector<std::uint8_t>;

// A smooth picture, as photographs are: what JPEG keeps well.
inline Bytes Gradient(int width, int height) {
    Bytes rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(x * 255 / (width - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / (height - 1));
            p[2] = static_cast<std::uint8_t>(128 + 60 * std::sin((x + y) / 9.0));
        }
    return rgb;
}

struct JpegSpec {
    int quality = 95;
    J_COLOR_SPACE space = JCS_RGB;
    int components = 3;
    bool progressive = false;
    std::vector<jpeg_scan_info> scans{};
};

inline Bytes EncodeJpeg(const Bytes& pixels, int width, int height, const JpegSpec& desc = JpegSpec()) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = desc.components;
    c.in_color_space = desc.space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, desc.quality, TRUE);
    if (desc.progressive) jpeg_simple_progression(&c);
    if (!desc.scans.empty()) {
        c.scan_info = desc.scans.data();
        c.num_scans = static_cast<int>(desc.scans.size());
    }
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(&pixels[static_cast<std::size_t>(c.next_scanline) * width * desc.components]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes file(out, out + size);
    std::free(out);
    return file;
}

// --- PNG ------------------------------------------------------------------------------

struct PngSpec {
    int colour = PNG_COLOR_TYPE_RGB; // any PNG_COLOR_TYPE_*
    int depth = 8;                   // bits a sample (a palette index)
    bool interlaced = false;
    bool trns = false; // a tRNS chunk: alpha for palette entries, one transparent colour otherwise
};

struct PngPicture {
    Bytes file;
    Bytes rgb; // what a reader must give: top-down RGB, transparency over the background
};

// Random samples of the kind asked for (a palette of random colours, transparency
// of every level), encoded by libpng; rgb is worked out from the samples alone.
inline PngPicture EncodePng(int width, int height, const PngSpec& kind, std::uint32_t background, unsigned seed) {
    std::mt19937 gen(seed);
    const bool palette = kind.colour == PNG_COLOR_TYPE_PALETTE;
    const int channels = kind.colour == PNG_COLOR_TYPE_GRAY ? 1 : kind.colour == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                         : kind.colour == PNG_COLOR_TYPE_RGB ? 3 : kind.colour == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 1;
    const unsigned most = (1u << kind.depth) - 1;
    const int entries = palette ? std::min(static_cast<int>(most) + 1, 200) : 0;
    std::vector<png_color> colours(static_cast<std::size_t>(std::max(entries, 1)));
    std::vector<png_byte> alphas(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = {static_cast<png_byte>(gen()), static_cast<png_byte>(gen()), static_cast<png_byte>(gen())};
        alphas[i] = static_cast<png_byte>(i % 3 == 0 ? 255 : i % 3 == 1 ? 0 : gen());
    }
    // Samples, one unsigned per channel; one colour picked as the transparent one.
    std::vector<unsigned> samples(static_cast<std::size_t>(width) * height * channels);
    for (auto& v : samples) v = gen() & most;
    png_color_16 transparent{};
    std::vector<unsigned> key(static_cast<std::size_t>(channels), 0);
    if (kind.trns && !palette) {
        for (int c = 0; c < channels; ++c) key[c] = samples[static_cast<std::size_t>(c)];
        for (std::size_t i = 0; i < samples.size(); i += static_cast<std::size_t>(channels) * 3) // a third of the pixels
            for (int c = 0; c < channels; ++c) samples[i + c] = key[c];
        transparent.gray = static_cast<png_uint_16>(key[0]);
        transparent.red = static_cast<png_uint_16>(key[0]);
        if (channels == 3) {
            transparent.green = static_cast<png_uint_16>(key[1]);
            transparent.blue = static_cast<png_uint_16>(key[2]);
        }
    }
    if (palette)
        for (auto& v : samples) v %= static_cast<unsigned>(entries);

    // The picture the samples describe.
    auto to8 = [&](unsigned v) {
        return static_cast<std::uint8_t>(kind.depth == 16 ? std::lround(v / 257.0) : v * 255 / most);
    };
    const std::uint8_t bg[3] = {static_cast<std::uint8_t>(background), static_cast<std::uint8_t>(background >> 8),
                                static_cast<std::uint8_t>(background >> 16)};
    PngPicture out;
    for (std::size_t p = 0; p < static_cast<std::size_t>(width) * height; ++p) {
        const unsigned* s = &samples[p * channels];
        std::uint8_t rgb[3];
        unsigned alpha = 255;
        if (palette) {
            const png_color& c = colours[s[0]];
            rgb[0] = c.red, rgb[1] = c.green, rgb[2] = c.blue;
            if (kind.trns) alpha = alphas[s[0]];
        } else {
            const bool grey = channels <= 2;
            for (int c = 0; c < 3; ++c) rgb[c] = to8(s[grey ? 0 : c]);
            if (channels == 2 || channels == 4) alpha = to8(s[channels - 1]);
            if (kind.trns && std::equal(key.begin(), key.end(), s)) alpha = 0;
        }
        for (int c = 0; c < 3; ++c)
            out.rgb.push_back(static_cast<std::uint8_t>((rgb[c] * alpha + bg[c] * (255 - alpha) + 127) / 255));
    }

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out.file,
        [](png_structp w, png_bytep data, png_size_t n) {
            auto* file = static_cast<Bytes*>(png_get_io_ptr(w));
            file->insert(file->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), kind.depth, kind.colour,
                 kind.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (palette) png_set_PLTE(png, info, colours.data(), entries);
    if (kind.trns) png_set_tRNS(png, info, palette ? alphas.data() : nullptr, palette ? entries : 0, &transparent);
    png_write_info(png, info);
    // Rows packed as the file stores them: samples of under 8 bits packed from the high
    // bits, 16-bit samples big-endian.
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * channels * kind.depth + 7) / 8;
    std::vector<Bytes> rows(static_cast<std::size_t>(height), Bytes(rowBytes, 0));
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * channels; ++i) {
            const unsigned v = samples[static_cast<std::size_t>(y) * width * channels + i];
            Bytes& row = rows[static_cast<std::size_t>(y)];
            if (kind.depth == 16) {
                row[i * 2] = static_cast<std::uint8_t>(v >> 8);
                row[i * 2 + 1] = static_cast<std::uint8_t>(v);
            } else {
                const std::size_t bit = static_cast<std::size_t>(i) * kind.depth;
                row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - kind.depth - bit % 8));
            }
        }
    std::vector<png_bytep> pointers;
    for (auto& row : rows) pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// One PNG chunk: length, type, data and its CRC.
inline Bytes PngChunk(const char type[5], const Bytes& data) {
    Bytes c;
    const auto n = static_cast<std::uint32_t>(data.size());
    for (int shift : {24, 16, 8, 0}) c.push_back(static_cast<std::uint8_t>(n >> shift));
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0, nullptr, 0), c.data() + 4, static_cast<uInt>(c.size() - 4));
    for (int shift : {24, 16, 8, 0}) c.push_back(static_cast<std::uint8_t>(crc >> shift));
    return c;
}

inline Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

// A PNG put together by hand: the header fields as given, the other chunks, the
// compressed rows (each with its filter byte) and the end.
inline Bytes BuildPng(std::uint32_t width, std::uint32_t height, int depth, int colour, int interlace,
                      const std::vector<Bytes>& chunksBeforeData, const Bytes& rawRows) {
    Bytes header;
    for (std::uint32_t v : {width, height})
        for (int shift : {24, 16, 8, 0}) header.push_back(static_cast<std::uint8_t>(v >> shift));
    header.insert(header.end(), {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(colour), 0, 0,
                                 static_cast<std::uint8_t>(interlace)});
    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Bytes& c : {PngChunk("IHDR", header)}) file.insert(file.end(), c.begin(), c.end());
    for (const Bytes& c : chunksBeforeData) file.insert(file.end(), c.begin(), c.end());
    const Bytes data = PngChunk("IDAT", Deflate(rawRows)), end = PngChunk("IEND", {});
    file.insert(file.end(), data.begin(), data.end());
    file.insert(file.end(), end.begin(), end.end());
    return file;
}

inline void Spit(const std::string& utf8Path, const Bytes& bytes) {
    std::ofstream out(PathFromUtf8(utf8Path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace picture_files
