#pragma once
// The pictures delivered with the program: numbered bitmaps, numbered icons, and the
// icons of the icon libraries (look01.icl ... look03.icl, bw.icl). Each comes as the
// bytes of a BMP file, which the image layer reads. Every picture is delivered drawn
// at 100, 150 and 200 % (scale); an icon of 32 x 32 is then 48 x 48 or 64 x 64.
//
// win32: bitmap resources of the program (RT_BITMAP, given their file header; at 150
//   and 200 % under the id plus kScaledBitmapIdStep times 1 or 2); icons drawn at their
//   size onto black with DrawIconEx (icon resources by LoadImageW, library icons by
//   ExtractIconW from the library beside the program at 100 %, by LoadImageW from the
//   library loaded as data at the larger sizes, which each icon holds).
// posix: the generated files of the artwork folder beside the program:
//   bmp/<id>.bmp, ico/<id>.bmp and <library name without extension>/<NN>.bmp, at 150
//   and 200 % the same below x150/ and x200/.
#include <cstdint>
#include <string>
#include <vector>

// The resource id of bitmap id drawn at 150 % is id + kScaledBitmapIdStep, at 200 %
// id + 2 * kScaledBitmapIdStep (the artwork generator numbers them so).
constexpr int kScaledBitmapIdStep = 1000;

class IArtworkPort {
public:
    virtual ~IArtworkPort() = default;
    // scale: 100, 150 or 200; false for a picture not delivered at that scale.
    virtual bool Bitmap(int id, std::vector<std::uint8_t>& bmp, int scale = 100) = 0;
    // 32 x 32 at 100 % (48, 64 at 150, 200 %), drawn onto black (black is the key
    // colour of these pictures).
    virtual bool Icon(int id, std::vector<std::uint8_t>& bmp, int scale = 100) = 0;
    virtual bool LibraryIcon(const std::string& library, int index, std::vector<std::uint8_t>& bmp,
                             int scale = 100) = 0;
};
