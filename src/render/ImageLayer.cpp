#include "ImageLayer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>
#include <thread>

#include "BoxResampler.h"
#include "JpegDecoder.h"
#include "PngDecoder.h"
#include "Utf8Path.h"

namespace {

constexpr int kReplaceAttempts = 20;

// Whether bytes holds height rows of width pixels at bpp bytes, stride bytes apart.
bool Holds(std::span<const std::uint8_t> bytes, long long width, long long height, long long stride, int bpp) {
    if (width <= 0 || height <= 0 || stride < width * bpp) return false;
    const unsigned long long needed =
        static_cast<unsigned long long>(height - 1) * static_cast<unsigned long long>(stride) +
        static_cast<unsigned long long>(width) * static_cast<unsigned long long>(bpp);
    return needed <= bytes.size();
}

bool Overlap(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    const auto a0 = reinterpret_cast<std::uintptr_t>(a.data());
    const auto b0 = reinterpret_cast<std::uintptr_t>(b.data());
    return a0 < b0 + b.size() && b0 < a0 + a.size();
}

bool WriteBmpReplacing(const std::string& path, std::span<const std::uint8_t> rgb, int width, int height,
                       int stride) {
    return WriteFileReplacing(path, [&](CImageDest& dest) { return IS40_WriteBMP(&dest, rgb, width, height, 24, stride); });
}

} // namespace

bool WriteFileReplacing(const std::string& path, const std::function<bool(CImageDest&)>& write) {
    const std::filesystem::path target = PathFromUtf8(path);
    const std::string tempName = path + ".tmp";
    const std::filesystem::path temp = PathFromUtf8(tempName);
    if (target.empty() || temp.empty()) return false;
    auto dest = IS40_OpenFileDest(tempName, false);
    if (!dest) return false;
    bool ok = write(*dest);
    ok = IS40_CloseDest(std::move(dest)) && ok;
    std::error_code error;
    if (ok) {
        // Another program reading the old picture (the desktop painting it, a scanner)
        // may hold it open without letting it be replaced; on Windows the rename then
        // fails at once, so it is tried again for about a second before giving up.
        for (int attempt = 0;; ++attempt) {
            std::filesystem::rename(temp, target, error);
            if (!error || attempt == kReplaceAttempts - 1) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ok = !error;
    }
    if (!ok) std::filesystem::remove(temp, error);
    return ok;
}

std::unique_ptr<CImageSource> IS40_OpenFileSource(const std::string& path) { return CImageSource::OpenFile(path); }

std::unique_ptr<CImageSource> IS40_OpenMemorySource(std::span<const std::uint8_t> bytes) {
    return CImageSource::FromMemory(bytes);
}

void IS40_CloseSource(std::unique_ptr<CImageSource> source) { source.reset(); }

std::unique_ptr<CImageDest> IS40_OpenFileDest(const std::string& path, bool append) {
    return CImageDest::OpenFile(path, append);
}

bool IS40_CloseDest(std::unique_ptr<CImageDest> dest) { return dest && dest->Close(); }

RgbBuffer IS40_ReadBMP(CImageSource* source, int& width, int& height, int bitDepth, std::uint8_t* paletteOut,
                       unsigned flags, const ImageLimits& limits) {
    width = height = 0;
    if (!source || bitDepth != 24 || paletteOut || flags) return nullptr;
    std::span<const std::uint8_t> bytes;
    RgbImage image;
    if (!source->ReadAll(limits.maxFileBytes, bytes) || !CBmpFile::Decode(bytes, limits, image)) return nullptr;
    width = image.width;
    height = image.height;
    return std::move(image.pixels);
}

RgbBuffer IS40_ReadJPG(CImageSource* source, int& width, int& height, int bitDepth, unsigned flags,
                       const ImageLimits& limits) {
    width = height = 0;
    if (!source || bitDepth != 24 || flags) return nullptr;
    std::span<const std::uint8_t> bytes;
    RgbImage image;
    if (!source->ReadAll(limits.maxFileBytes, bytes) || !CJpegDecoder::Decode(bytes, limits, image))
        return nullptr;
    width = image.width;
    height = image.height;
    return std::move(image.pixels);
}

RgbBuffer IS40_ReadPNG(CImageSource* source, int& width, int& height, int bitDepth, unsigned flags,
                       const ImageLimits& limits, std::uint32_t background) {
    width = height = 0;
    if (!source || bitDepth != 24 || flags) return nullptr;
    std::span<const std::uint8_t> bytes;
    RgbImage image;
    if (!source->ReadAll(limits.maxFileBytes, bytes) || !CPngDecoder::Decode(bytes, limits, background, image))
        return nullptr;
    width = image.width;
    height = image.height;
    return std::move(image.pixels);
}

bool IS40_WriteBMP(CImageDest* dest, std::span<const std::uint8_t> rgb, int width, int height, int bitDepth,
                   int stride, int paletteColours, const std::uint8_t* palette, const BmpResolution* resolution,
                   unsigned flags) {
    if (!dest || bitDepth != 24 || paletteColours != 0 || palette || flags) return false;
    return CBmpFile::Write(*dest, rgb, width, height, stride, resolution ? *resolution : BmpResolution());
}

bool IS40_DCToRGB(const PixelSurface& surface, int x, int y, int width, int height, std::span<std::uint8_t> out) {
    if (!surface.Valid() || x < 0 || y < 0 || width <= 0 || height <= 0) return false;
    if (static_cast<long long>(x) + width > surface.width || static_cast<long long>(y) + height > surface.height)
        return false;
    if (!Holds(out, width, height, static_cast<long long>(width) * 3, 3)) return false;
    std::uint8_t* dst = out.data();
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* src = surface.Row(y + row) + static_cast<std::ptrdiff_t>(x) * 4;
        for (int col = 0; col < width; ++col, src += 4, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return true;
}

bool IS40_DrawRGB(const PixelSurface& surface, std::span<const std::uint8_t> rgb, int width, int height,
                  int stride, int x, int y, const std::uint8_t* palette) {
    if (!surface.Valid() || palette || !Holds(rgb, width, height, stride, 3)) return false;
    const long long left = std::max<long long>(x, 0);
    const long long top = std::max<long long>(y, 0);
    const long long right = std::min<long long>(static_cast<long long>(x) + width, surface.width);
    const long long bottom = std::min<long long>(static_cast<long long>(y) + height, surface.height);
    for (long long row = top; row < bottom; ++row) {
        const std::uint8_t* src =
            rgb.data() + (row - y) * static_cast<long long>(stride) + (left - x) * 3;
        std::uint8_t* dst = surface.Row(static_cast<int>(row)) + left * 4;
        for (long long col = left; col < right; ++col, src += 3, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = 0;
        }
    }
    return true;
}

bool IS40_CropImage(std::span<const std::uint8_t> src, int srcWidth, int srcHeight, int srcStride,
                    std::span<std::uint8_t> dst, int dstStride, const Rect& rect, int bytesPerPixel) {
    const int bpp = bytesPerPixel;
    if (bpp < 1 || bpp > 4 || src.empty() || dst.empty()) return false;
    const long long width = static_cast<long long>(rect.right) - rect.left;
    const long long height = static_cast<long long>(rect.bottom) - rect.top;
    if (rect.left < 0 || rect.top < 0 || width <= 0 || height <= 0) return false;
    if (rect.left >= srcWidth || rect.top >= srcHeight || width > srcWidth || height > srcHeight) return false;
    if (rect.left + width > srcWidth || rect.top + height > srcHeight) return false;
    if (!Holds(src, srcWidth, srcHeight, srcStride, bpp) || !Holds(dst, width, height, dstStride, bpp)) return false;
    if (Overlap(src, dst)) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bpp;
    for (long long row = 0; row < height; ++row)
        std::memcpy(dst.data() + row * dstStride,
                    src.data() + (rect.top + row) * srcStride + static_cast<long long>(rect.left) * bpp, rowBytes);
    return true;
}

bool IS40_ResizeImage(std::span<const std::uint8_t> src, int srcWidth, int srcHeight, int srcStride,
                      std::span<std::uint8_t> dst, int dstWidth, int dstHeight, int dstStride, int bytesPerPixel,
                      int filter, unsigned flags) {
    const int bpp = bytesPerPixel;
    if (bpp < 1 || bpp > 4 || filter != 0 || flags != 0) return false;
    const ImageLimits limits;
    if (!limits.Allows(srcWidth, srcHeight) || !limits.Allows(dstWidth, dstHeight)) return false;
    if (!Holds(src, srcWidth, srcHeight, srcStride, bpp) || !Holds(dst, dstWidth, dstHeight, dstStride, bpp))
        return false;
    if (Overlap(src, dst)) return false;
    return CBoxResampler::Resample(src.data(), srcWidth, srcHeight, srcStride, dst.data(), dstWidth, dstHeight,
                                   dstStride, bpp);
}

bool ConvertJpegToBmp(const std::string& jpegPath, const std::string& bmpPath) {
    auto source = IS40_OpenFileSource(jpegPath);
    if (!source) return false;
    int width = 0, height = 0;
    RgbBuffer rgb = IS40_ReadJPG(source.get(), width, height, 24);
    IS40_CloseSource(std::move(source));
    if (!rgb) return false;
    const std::size_t size = static_cast<std::size_t>(width) * height * 3;
    return WriteBmpReplacing(bmpPath, std::span<const std::uint8_t>(rgb.get(), size), width, height, width * 3);
}

bool SaveSurfaceAsBmp(const PixelSurface& surface, const std::string& bmpPath) {
    if (!surface.Valid() || !ImageLimits().Allows(surface.width, surface.height)) return false;
    const std::size_t size = static_cast<std::size_t>(surface.width) * surface.height * 3;
    RgbBuffer rgb(new (std::nothrow) std::uint8_t[size]);
    if (!rgb) return false;
    std::span<std::uint8_t> buffer(rgb.get(), size);
    if (!IS40_DCToRGB(surface, 0, 0, surface.width, surface.height, buffer)) return false;
    return WriteBmpReplacing(bmpPath, buffer, surface.width, surface.height, surface.width * 3);
}
