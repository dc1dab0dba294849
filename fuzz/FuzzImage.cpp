// libFuzzer target: arbitrary bytes through the BMP, JPEG and PNG readers from memory,
// and the test that tells the kind of a file by its first bytes.
// Whatever decodes must also survive the operations the wallpaper pipeline applies
// to it: written as a BMP and read back unchanged, cropped, resized and painted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/ImageLayer.h"
#include "render/PictureFormat.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void Exercise(const RgbBuffer& rgb, int width, int height) {
    const std::size_t size = static_cast<std::size_t>(width) * height * 3;
    const std::span<const std::uint8_t> pixels(rgb.get(), size);

    auto dest = CImageDest::InMemory();
    Check(IS40_WriteBMP(dest.get(), pixels, width, height, 24, width * 3));
    auto source = IS40_OpenMemorySource(dest->Bytes());
    int w = 0, h = 0;
    RgbBuffer back = IS40_ReadBMP(source.get(), w, h, 24);
    Check(back && w == width && h == height && std::memcmp(back.get(), rgb.get(), size) == 0);

    // The middle of the picture, then the whole of it, at sizes derived from it.
    const Rect rect{width / 4, height / 4, width / 4 + (width + 1) / 2, height / 4 + (height + 1) / 2};
    const int cw = rect.right - rect.left, ch = rect.bottom - rect.top;
    std::vector<std::uint8_t> crop(static_cast<std::size_t>(cw) * ch * 3);
    Check(IS40_CropImage(pixels, width, height, width * 3, crop, cw * 3, rect, 3));
    const int dw = 1 + (width * 3 + pixels[0]) % 97, dh = 1 + (height * 5 + pixels[size - 1]) % 89;
    std::vector<std::uint8_t> resized(static_cast<std::size_t>(dw) * dh * 3);
    Check(IS40_ResizeImage(pixels, width, height, width * 3, resized, dw, dh, dw * 3, 3));

    std::vector<std::uint8_t> store(64 * 48 * 4);
    const PixelSurface surface{store.data(), 64, 48, 64 * 4};
    Check(IS40_DrawRGB(surface, resized, dw, dh, dw * 3, 64 - dw / 2, 48 - dh / 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Smaller bounds than the program's, so that a header promising a huge picture
    // costs the fuzzer no time; the checks themselves are the same.
    ImageLimits limits;
    limits.maxWidth = limits.maxHeight = 4096;
    limits.maxPixelBytes = std::size_t(8) << 20;
    limits.maxFileBytes = std::size_t(1) << 20;
    const std::span<const std::uint8_t> bytes(data, size);

    // The program picks the reader by the kind of the file: whatever a reader reads must
    // be of its kind.
    using Kind = CPictureFormat::Kind;
    const Kind kind = CPictureFormat::Of(bytes);
    for (int reader = 0; reader < 3; ++reader) {
        auto source = IS40_OpenMemorySource(bytes);
        int width = -1, height = -1;
        RgbBuffer rgb = reader == 0   ? IS40_ReadBMP(source.get(), width, height, 24, nullptr, 0, limits)
                        : reader == 1 ? IS40_ReadJPG(source.get(), width, height, 24, 0, limits)
                                      : IS40_ReadPNG(source.get(), width, height, 24, 0, limits, 0x336699);
        Check(rgb ? width > 0 && height > 0 : width == 0 && height == 0);
        Check(!rgb || kind == (reader == 0 ? Kind::Bmp : reader == 1 ? Kind::Jpeg : Kind::Png));
        if (rgb && static_cast<std::size_t>(width) * height <= (std::size_t(1) << 20)) Exercise(rgb, width, height);
    }
    return 0;
}
