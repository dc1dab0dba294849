#pragma once
// The finished background of the wallpaper (the user's picture decoded, cropped or
// resized and placed on the desktop colour over the virtual screen), held the way the
// output file stores it: a 24-bit bottom-up BMP. It is made when the picture, its
// version, the style, the screens or the desktop colour change, and kept on disk with
// a label after the pixel data naming what it was made from; a composition for new
// data reads it back instead of decoding and resizing the picture again. The label is
// bytes past the end the BMP header gives, which every BMP reader ignores.
//
// The output is written from these rows in one pass, the data panel blended in on the
// way, so no full-screen surface exists while the data change.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "../platform/CanvasPort.h"
#include "../util/PixelSurface.h"

class CImageDest;

class CPreparedPicture {
public:
    // The rows of a width x height surface; false when the memory cannot be had.
    bool FromSurface(const PixelSurface& surface, const std::string& label);
    // A width x height picture of one colour.
    bool Plain(int width, int height, Colorref color, const std::string& label);
    // A width x height picture whose rows the caller fills through Row (all black until then).
    bool Blank(int width, int height, const std::string& label) { return Start(width, height, label); }
    // Row y counted from the top: Width() pixels, 3 bytes each, blue first. Only for a
    // picture held in memory (not one loaded from disk).
    std::uint8_t* Row(int y) { return m_bytes.data() + kHeaderSize + RowBytes() * static_cast<std::size_t>(m_height - 1 - y); }
    // Writes the picture held in memory with its label, in one write, beside the file
    // and renamed over it when complete.
    bool Save(const std::string& path) const;
    // The picture at path when it is a width x height copy made from what label names;
    // false (and empty) otherwise. Only the headers and the label are read here: the
    // rows are read a block at a time while the wallpaper is written.
    bool Load(const std::string& path, int width, int height, const std::string& label);
    // Whether the file at path carries label, read from the file's end only.
    static bool IsCurrent(const std::string& path, const std::string& label);
    // Writes the copy of a surface with its label straight from the surface's rows, a
    // block at a time (no copy of the whole picture in memory), beside the file and
    // renamed over it when complete.
    static bool SaveSurface(const std::string& path, const PixelSurface& surface, const std::string& label);

    // Writes a width x height copy with its label while its rows are being made, top
    // to bottom, a block of about a megabyte at a time (each block goes to its place
    // in the bottom-up file as soon as its rows are complete): the whole picture is
    // never in memory.
    class RowWriter {
    public:
        // fill: blue, green, red of the rows before anything is put into them; null
        // when every pixel of every row will be put.
        RowWriter(CImageDest& dest, int width, int height, const std::string& label, const std::uint8_t* fill);
        // Row y counted from the top, to be filled: rows above y were completed, y not yet.
        std::uint8_t* Row(int y) { return m_block.data() + m_rowBytes * static_cast<std::size_t>(BlockEnd() - 1 - y); }
        // Rows above y are complete (writes every block wholly above it).
        void CompleteTo(int y);
        // Completes every row and writes the label. False when a write failed, the
        // memory could not be had or the size or label are refused.
        bool Finish();

    private:
        int BlockEnd() const { return std::min(m_height, m_blockTop + m_rowsPerBlock); }
        void StartBlock(int top);

        CImageDest& m_dest;
        int m_width, m_height;
        std::string m_label;
        std::size_t m_rowBytes;
        int m_rowsPerBlock = 1;
        std::vector<std::uint8_t> m_block;
        int m_blockTop = 0;
        bool m_ok = false;
        bool m_fill = false;
        std::uint8_t m_fillColor[3] = {};
    };

    bool Empty() const { return m_bytes.empty() && !m_file.is_open(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // A piece of the data panel and where its top-left corner lies on the picture.
    struct Panel {
        PixelSurface pixels;
        int x = 0;
        int y = 0;
    };
    // The wallpaper written as a 24-bit BMP: these rows, with the pixels of the panel
    // pieces that are not the key colour laid over them, blended on with alpha
    // (0..255) or copied when blend is false. Written in blocks of about a megabyte,
    // read from the copy on disk block by block when it was loaded. The pieces must not
    // overlap; invalid ones are left out.
    bool WriteWith(CImageDest& dest, std::span<const Panel> panel, Colorref key, int alpha, bool blend);

private:
    static constexpr std::size_t kHeaderSize = 54;
    std::size_t RowBytes() const { return (static_cast<std::size_t>(m_width) * 3 + 3) / 4 * 4; }
    std::size_t PixelBytes() const { return RowBytes() * static_cast<std::size_t>(m_height); }
    // Sizes the buffer for the header, the rows and the label, and writes the header.
    bool Start(int width, int height, const std::string& label);

    std::vector<std::uint8_t> m_bytes; // header, rows bottom-up, label and its trailer
    std::ifstream m_file;              // or the copy on disk, at its first row
    int m_width = 0;
    int m_height = 0;
};
