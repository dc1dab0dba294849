#pragma once
// The pictures delivered with the program: numbered bitmaps, numbered icons, and the
// icons of the icon libraries (look01.icl ... look03.icl, bw.icl). Each comes as the
// bytes of a BMP file, which the image layer reads.
//
// win32: bitmap resources of the program (RT_BITMAP, given their file header); icons
//   drawn at 32 x 32 onto black with DrawIconEx (icon resources by LoadImageW,
//   library icons by ExtractIconW from the library beside the program).
// posix: the generated files of the artwork folder beside the program:
//   bmp/<id>.bmp, ico/<id>.bmp and <library name without extension>/<NN>.bmp.
#include <cstdint>
#include <string>
#include <vector>

class IArtworkPort {
public:
    virtual ~IArtworkPort() = default;
    virtual bool Bitmap(int id, std::vector<std::uint8_t>& bmp) = 0;
    // 32 x 32, drawn onto black (black is the key colour of these pictures).
    virtual bool Icon(int id, std::vector<std::uint8_t>& bmp) = 0;
    virtual bool LibraryIcon(const std::string& library, int index, std::vector<std::uint8_t>& bmp) = 0;
};
