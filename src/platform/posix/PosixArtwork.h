#pragma once
// The generated pictures of the artwork folder (build/native/artwork, beside the
// program; share/orvanta/artwork in an installed tree), read as files.
//
// Implements: bmp/<id>.bmp, ico/<id>.bmp, <library stem>/<NN>.bmp.
// Does not implement: icon files (.ico, .icl): the generator writes BMP copies here.
#include "../ArtworkPort.h"

class CPosixArtworkPort : public IArtworkPort {
public:
    // folder empty: "artwork" beside the running program, else ../share/orvanta/artwork.
    explicit CPosixArtworkPort(std::string folder = std::string());
    bool Bitmap(int id, std::vector<std::uint8_t>& bmp, int scale = 100) override;
    bool Icon(int id, std::vector<std::uint8_t>& bmp, int scale = 100) override;
    bool LibraryIcon(const std::string& library, int index, std::vector<std::uint8_t>& bmp, int scale = 100) override;
    const std::string& Folder() const { return m_folder; }

private:
    bool Read(const std::string& relative, std::vector<std::uint8_t>& bytes);
    std::string m_folder;
};
