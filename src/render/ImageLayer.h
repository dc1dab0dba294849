#pragma once
// The image layer of the wallpaper pipeline: file handles, BMP, JPEG and PNG reading, BMP
// writing, transfers between RGB buffers and drawing surfaces, cropping, resizing,
// and the two routines that write a BMP file from a JPEG file or from a surface.
//
// RGB buffers hold 3 bytes per pixel (red, green, blue), rows top-down, each row
// `stride` bytes after the previous one. Buffers are passed as spans so that every
// operation can check that the pixels it is told about lie inside them. Nothing here
// shows a message or throws: failures are the result (false or null).
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "BmpFile.h"
#include "ImageDest.h"
#include "ImageLimits.h"
#include "ImageSource.h"
#include "../util/PixelSurface.h"
#include "RgbImage.h"
#include "../util/Rect.h"

// --- files --------------------------------------------------------------------------
// Null when the file cannot be opened. Paths are UTF-8. A folder, device, pipe or
// socket, or a file larger than any reader takes, opens as a source that reads
// nothing; its Refusal() says why.
std::unique_ptr<CImageSource> IS40_OpenFileSource(const std::string& path);
// A source over bytes that must outlive it.
std::unique_ptr<CImageSource> IS40_OpenMemorySource(std::span<const std::uint8_t> bytes);
void IS40_CloseSource(std::unique_ptr<CImageSource> source);
// Creates or truncates the file (append adds to it instead); null on failure.
std::unique_ptr<CImageDest> IS40_OpenFileDest(const std::string& path, bool append);
// Flushes and closes; false when any write to it or the close failed.
bool IS40_CloseDest(std::unique_ptr<CImageDest> dest);

// --- reading and writing ------------------------------------------------------------
// The picture as packed RGB (stride width x 3) and its size; null on failure, with
// width and height 0. Only bit depth 24, no palette and no flags are supported.
RgbBuffer IS40_ReadBMP(CImageSource* source, int& width, int& height, int bitDepth = 24,
                       std::uint8_t* paletteOut = nullptr, unsigned flags = 0,
                       const ImageLimits& limits = ImageLimits());
RgbBuffer IS40_ReadJPG(CImageSource* source, int& width, int& height, int bitDepth = 24,
                       unsigned flags = 0, const ImageLimits& limits = ImageLimits());
// Transparent pixels of a PNG show the background colour (red in the low byte).
RgbBuffer IS40_ReadPNG(CImageSource* source, int& width, int& height, int bitDepth = 24, unsigned flags = 0,
                       const ImageLimits& limits = ImageLimits(), std::uint32_t background = 0);
// Writes a 24-bit bottom-up BMP: 14-byte file header, 40-byte information header,
// rows padded to 4 bytes. Only bit depth 24 without a palette is written. True when
// every byte reached the destination.
bool IS40_WriteBMP(CImageDest* dest, std::span<const std::uint8_t> rgb, int width, int height,
                   int bitDepth, int stride, int paletteColours = 0, const std::uint8_t* palette = nullptr,
                   const BmpResolution* resolution = nullptr, unsigned flags = 0);

// --- surfaces -----------------------------------------------------------------------
// Copies the surface's rectangle (x, y, width, height) into out as packed RGB.
// False when the rectangle is not wholly inside the surface or out is too small.
bool IS40_DCToRGB(const PixelSurface& surface, int x, int y, int width, int height,
                  std::span<std::uint8_t> out);
// Paints the picture 1:1 with its top-left corner at (x, y); what falls outside the
// surface is clipped, as a block transfer would be.
bool IS40_DrawRGB(const PixelSurface& surface, std::span<const std::uint8_t> rgb, int width, int height,
                  int stride, int x, int y, const std::uint8_t* palette = nullptr);

// --- buffers ------------------------------------------------------------------------
// Copies the rectangle of the source (right and bottom exclusive) into the
// destination row by row. Refuses (and
// copies nothing) a rectangle not wholly inside the source, overlapping buffers and
// strides shorter than a row.
bool IS40_CropImage(std::span<const std::uint8_t> src, int srcWidth, int srcHeight, int srcStride,
                    std::span<std::uint8_t> dst, int dstStride, const Rect& rect, int bytesPerPixel);
// Resamples the whole source to the destination size with a box filter (filter 0,
// the only one): averages when shrinking, the nearest pixel when growing.
bool IS40_ResizeImage(std::span<const std::uint8_t> src, int srcWidth, int srcHeight, int srcStride,
                      std::span<std::uint8_t> dst, int dstWidth, int dstHeight, int dstStride,
                      int bytesPerPixel, int filter = 0, unsigned flags = 0);

// --- whole files --------------------------------------------------------------------
// Both write to a temporary file beside the destination and rename it over the
// destination only when everything was written: on any failure they return false
// and the previous file stays as it was.
bool ConvertJpegToBmp(const std::string& jpegPath, const std::string& bmpPath);
// Writes "<path>.tmp" with write and renames it over path when write and the close
// succeeded; otherwise removes it and leaves path as it was.
bool WriteFileReplacing(const std::string& path, const std::function<bool(CImageDest&)>& write);
bool SaveSurfaceAsBmp(const PixelSurface& surface, const std::string& bmpPath);
