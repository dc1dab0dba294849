#pragma once
// Drawing surfaces. Every surface is one 32-bit pixel buffer (blue, green, red,
// unused; rows top down) that the port wraps without copying; fills, blits, the
// key-colour draw and blending work on the buffer in portable code, text and lines
// go through the canvas.
//
// win32: GDI memory DCs over DIB sections. posix: Cairo image surfaces.
// Not yet implemented by either port: the pictures issue fills this in.
#include <cstdint>
#include <memory>
#include <string>

struct PixelBuffer {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0; // bytes from one row to the next
};

class ICanvas {
public:
    virtual ~ICanvas() = default;
    virtual PixelBuffer Pixels() = 0;
};

class ICanvasFactory {
public:
    virtual ~ICanvasFactory() = default;
    // A canvas over a new zeroed surface; null when it cannot be made.
    virtual std::unique_ptr<ICanvas> CreateSurface(int width, int height) = 0;
};
