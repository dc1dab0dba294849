#pragma once
// The file formats the program's resources come in: BMP (24 bits, or 8 bits with a
// colour table of its own) and ICO (32-bit images with alpha and an AND mask).
#include <string>
#include <vector>

#include "Canvas.h"

// The bytes of a 24-bit BMP of the picture's colours (alpha is ignored).
std::vector<uint8_t> Bmp24(const Image& img);

// A picture reduced to at most 256 colours: the colour table and one index a pixel.
struct Indexed {
    int w = 0, h = 0;
    std::vector<Rgb> palette;
    std::vector<uint8_t> index;
};
// Median cut over the picture's colours, each pixel mapped to the nearest entry.
Indexed Quantise(const Image& img, size_t maxColours = 256);
std::vector<uint8_t> Bmp8(const Indexed& pic);

// An icon file with one image per picture (each square, at most 256 pixels). A pixel
// with alpha below 128 is transparent in the AND mask.
std::vector<uint8_t> Ico(const std::vector<Image>& images);

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
