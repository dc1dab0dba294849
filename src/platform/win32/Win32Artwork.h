#pragma once
// The pictures delivered with the Windows program.
//
// Implements: bitmap resources (RT_BITMAP) given a BMP file header, those drawn at 150
//   and 200 % under their ids plus 1000 and 2000; icon resources (LoadImageW) and icons
//   of the libraries beside the program (ExtractIconW at 32 x 32; LoadImageW from the
//   library loaded as data at 48 and 64), each drawn at its size onto black with
//   DrawIconEx and returned as a 32-bit BMP.
// Does not implement: libraries given by a full path elsewhere (names are looked up
//   in the program's folder, where they are installed, not the current directory).
#include "../ArtworkPort.h"

class CWin32ArtworkPort : public IArtworkPort {
public:
    bool Bitmap(int id, std::vector<std::uint8_t>& bmp, int scale = 100) override;
    bool Icon(int id, std::vector<std::uint8_t>& bmp, int scale = 100) override;
    bool LibraryIcon(const std::string& library, int index, std::vector<std::uint8_t>& bmp, int scale = 100) override;
};
