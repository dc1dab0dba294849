#include "WallpaperSlices.h"

#include <memory>
#include <span>

#include "../render/ImageLayer.h"
#include "../util/Parser.h"
#include "../util/SplitPath.h"

namespace {
constexpr const char* kSliceStem = "orvanta-monitor-";
}

std::string CWallpaperSlices::SlicePath(const std::string& composedPath, size_t index) {
    const size_t cut = composedPath.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string() : composedPath.substr(0, cut + 1);
    return folder + kSliceStem + std::to_string(index + 1) + ".bmp";
}

bool CWallpaperSlices::NamedLikeSlice(const std::string& path) {
    const std::string name = EParser::ToLower(CSplitPath(path).FileName());
    const std::string stem = kSliceStem;
    if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0) return false;
    for (size_t i = stem.size(); i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

std::vector<std::string> CWallpaperSlices::Write(const std::string& composedPath, const std::vector<Rect>& monitors,
                                                 int virtualX, int virtualY) {
    std::unique_ptr<CImageSource> source = IS40_OpenFileSource(composedPath);
    if (!source) return {};
    int width = 0, height = 0;
    RgbBuffer pixels = IS40_ReadBMP(source.get(), width, height);
    IS40_CloseSource(std::move(source));
    if (!pixels || width <= 0 || height <= 0) return {};
    const std::span<const std::uint8_t> all(pixels.get(), static_cast<size_t>(width) * height * 3);
    const Rect picture = Rect::FromSize(0, 0, width, height);
    std::vector<std::string> paths;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const Rect part = monitors[i].Offsetted(-virtualX, -virtualY).Intersect(picture);
        if (part.IsEmpty()) return {};
        const int stride = part.Width() * 3;
        std::vector<std::uint8_t> slice(static_cast<size_t>(stride) * part.Height());
        if (!IS40_CropImage(all, width, height, width * 3, slice, stride, part, 3)) return {};
        const std::string path = SlicePath(composedPath, i);
        const bool written = WriteFileReplacing(path, [&](CImageDest& dest) {
            return IS40_WriteBMP(&dest, slice, part.Width(), part.Height(), 24, stride);
        });
        if (!written) return {};
        paths.push_back(path);
    }
    return paths;
}
