#pragma once
// Pictures and picture files made by the tests themselves: smooth pictures as
// photographs are, and JPEG files encoded by the library with any scan script.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

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

inline void Spit(const std::string& utf8Path, const Bytes& bytes) {
    std::ofstream out(PathFromUtf8(utf8Path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace picture_files
