// The image layer: BMP layout, every kind of BMP, malformed files, JPEG and PNG
// decoding, crop, resize, surface transfers and the whole-file routines. Runs natively
// and under Wine.
#include <gtest/gtest.h>

#include "PictureFiles.h"
#include "fixtures/BmpSuite.h"
#include "TempFolder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "render/BoxResampler.h"
#include "render/ImageLayer.h"
#include "render/Utf8Path.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace picture_files;
using namespace bmp_suite;

// A picture whose every pixel differs from its neighbours.
Bytes Pattern(int width, int height, unsigned seed = 1) {
    Bytes rgb(static_cast<std::size_t>(width) * height * 3);
    std::mt19937 gen(seed);
    for (auto& b : rgb) b = static_cast<std::uint8_t>(gen());
    return rgb;
}

// Reads through a memory source; width and height are -1 until the read sets them.
struct Read {
    RgbBuffer rgb;
    int width = -1, height = -1;
    Bytes Pixels() const { return rgb ? Bytes(rgb.get(), rgb.get() + width * height * 3) : Bytes(); }
};

Read ReadBmp(const Bytes& file, const ImageLimits& limits = ImageLimits()) {
    Read r;
    auto source = IS40_OpenMemorySource(file);
    r.rgb = IS40_ReadBMP(source.get(), r.width, r.height, 24, nullptr, 0, limits);
    return r;
}

Read ReadJpg(const Bytes& file, const ImageLimits& limits = ImageLimits()) {
    Read r;
    auto source = IS40_OpenMemorySource(file);
    r.rgb = IS40_ReadJPG(source.get(), r.width, r.height, 24, 0, limits);
    return r;
}

Read ReadPng(const Bytes& file, const ImageLimits& limits = ImageLimits(), std::uint32_t background = 0) {
    Read r;
    auto source = IS40_OpenMemorySource(file);
    r.rgb = IS40_ReadPNG(source.get(), r.width, r.height, 24, 0, limits, background);
    return r;
}

Bytes WriteBmp(const Bytes& rgb, int width, int height, int stride) {
    auto dest = CImageDest::InMemory();
    EXPECT_TRUE(IS40_WriteBMP(dest.get(), rgb, width, height, 24, stride));
    return dest->Bytes();
}

int MaxDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size()) return 256;
    int most = 0;
    for (std::size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}


Bytes Slurp(const std::string& utf8Path) {
    std::ifstream in(PathFromUtf8(utf8Path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// --- BMP writing ------------------------------------------------------------------------

TEST(WriteBmp, OnePixelIsA58ByteFileWithFourBytesOfPixels) {
    Bytes f = WriteBmp({10, 20, 30}, 1, 1, 3);
    ASSERT_EQ(f.size(), 58u);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(Get32(f, 2), 58u);   // file size
    EXPECT_EQ(Get32(f, 6), 0u);    // reserved words
    EXPECT_EQ(Get32(f, 10), 54u);  // pixel offset
    EXPECT_EQ(Get32(f, 14), 40u);  // information header size
    EXPECT_EQ(Get32(f, 18), 1u);   // width
    EXPECT_EQ(Get32(f, 22), 1u);   // height, positive: bottom-up
    EXPECT_EQ(Get32(f, 26), 1u | (24u << 16)); // planes 1, 24 bits
    EXPECT_EQ(Get32(f, 30), 0u);   // uncompressed
    EXPECT_EQ(Get32(f, 34), 4u);   // image size: 3 bytes and 1 of padding
    for (std::size_t at : {38u, 42u, 46u, 50u}) EXPECT_EQ(Get32(f, at), 0u) << at;
    EXPECT_EQ(Bytes(f.begin() + 54, f.end()), (Bytes{30, 20, 10, 0}));
}

TEST(WriteBmp, RowsGoBottomUpBlueFirstPaddedToFourBytes) {
    // 3 x 2 in a buffer with 2 spare bytes per row, which must not reach the file.
    Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE,
                 11, 12, 13, 14, 15, 16, 17, 18, 19, 0xEE, 0xEE};
    Bytes f = WriteBmp(rgb, 3, 2, 11);
    ASSERT_EQ(f.size(), 54u + 2 * 12);
    EXPECT_EQ(Get32(f, 2), 78u);
    EXPECT_EQ(Get32(f, 34), 24u);
    EXPECT_EQ(Bytes(f.begin() + 54, f.end()),
              (Bytes{13, 12, 11, 16, 15, 14, 19, 18, 17, 0, 0, 0, 3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0}));
}

TEST(WriteBmp, RefusesArgumentsItCannotWriteAndWritesNothing) {
    Bytes rgb = Pattern(4, 3);
    auto dest = CImageDest::InMemory();
    EXPECT_FALSE(IS40_WriteBMP(nullptr, rgb, 4, 3, 24, 12));
    EXPECT_FALSE(IS40_WriteBMP(dest.get(), rgb, 4, 3, 8, 12));  // bit depth
    EXPECT_FALSE(IS40_WriteBMP(dest.get(), rgb, 4, 3, 24, 12, 16)); // palette
    EXPECT_FALSE(IS40_WriteBMP(dest.get(), rgb, 4, 3, 24, 11)); // stride under a row
    EXPECT_FALSE(IS40_WriteBMP(dest.get(), rgb, 4, 4, 24, 12)); // one row more than the buffer
    EXPECT_FALSE(IS40_WriteBMP(dest.get(), rgb, 0, 3, 24, 12));
    EXPECT_FALSE(IS40_WriteBMP(dest.get(), rgb, 4, 3, 24, 12, 0, nullptr, nullptr, 1));
    EXPECT_TRUE(dest->Bytes().empty());
}

// --- BMP reading ------------------------------------------------------------------------

TEST(ReadBmp, WhatTheWriterWritesReadsBackIdentically) {
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {5, 4}, {7, 1}, {1, 7}, {33, 17}}) {
        Bytes rgb = Pattern(w, h, w * 100 + h);
        Read r = ReadBmp(WriteBmp(rgb, w, h, w * 3));
        ASSERT_TRUE(r.rgb) << w << "x" << h;
        EXPECT_EQ(r.width, w);
        EXPECT_EQ(r.height, h);
        EXPECT_EQ(r.Pixels(), rgb) << w << "x" << h;
    }
}

TEST(ReadBmp, ReadsTheCommonVariants) {
    // Expected top-down RGB of a 3 x 2 picture: red green blue / white black grey.
    const Bytes want = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};
    const std::vector<std::uint32_t> pal = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
    const Bytes top24 = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
    const Bytes bottom24 = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    const Bytes bottom32 = {255, 255, 255, 9, 0, 0, 0, 9, 128, 128, 128, 9, 0, 0, 255, 9, 0, 255, 0, 9, 255, 0, 0, 9};
    const std::vector<std::uint32_t> masks = {0xFF0000, 0xFF00, 0xFF};

    struct Case {
        const char* name;
        BmpSpec desc;
    };
    std::vector<Case> cases = {
        {"24-bit bottom-up", {.pixels = bottom24}},
        {"24-bit top-down", {.height = -2, .pixels = top24}},
        {"32-bit", {.bits = 32, .pixels = bottom32}},
        {"32-bit bit fields", {.bits = 32, .compression = 3, .masks = masks, .pixels = bottom32}},
        {"V4 32-bit bit fields", {.headerSize = 108, .bits = 32, .compression = 3, .masks = masks, .pixels = bottom32}},
        {"V5 24-bit", {.headerSize = 124, .pixels = bottom24}},
        {"core 24-bit", {.headerSize = 12, .pixels = bottom24}},
        {"8-bit, 6 colours", {.bits = 8, .coloursUsed = 6, .palette = pal, .pixels = {3, 4, 5, 0, 0, 1, 2, 0}}},
        {"4-bit, 6 colours", {.bits = 4, .coloursUsed = 6, .palette = pal, .pixels = {0x34, 0x50, 0, 0, 0x01, 0x20, 0, 0}}},
    };
    // 1 bit: a 10 x 2 picture, so the row spans two bytes and the last one is partial.
    BmpSpec mono{.width = 10, .bits = 1, .palette = {0x000000, 0xFFFFFF}};
    mono.pixels = {0xFF, 0xC0, 0, 0, 0xAA, 0x80, 0, 0};
    Bytes monoWant;
    for (int bit : {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1})
        for (int c = 0; c < 3; ++c) monoWant.push_back(bit ? 255 : 0);
    // A core file with an 8-bit palette of 3-byte entries.
    BmpSpec core8{.headerSize = 12, .bits = 8, .pixels = {3, 4, 5, 0, 0, 1, 2, 0}};
    core8.palette = pal;
    core8.palette.resize(256);

    for (const auto& c : cases) {
        Read r = ReadBmp(BuildBmp(c.desc));
        ASSERT_TRUE(r.rgb) << c.name;
        EXPECT_EQ(r.width, 3) << c.name;
        EXPECT_EQ(r.height, 2) << c.name;
        EXPECT_EQ(r.Pixels(), want) << c.name;
    }
    Read m = ReadBmp(BuildBmp(mono));
    ASSERT_TRUE(m.rgb);
    EXPECT_EQ(m.Pixels(), monoWant);
    Read k = ReadBmp(BuildBmp(core8));
    ASSERT_TRUE(k.rgb);
    EXPECT_EQ(k.Pixels(), want);
}

TEST(ReadBmp, RefusesEveryKindOfMalformedFile) {
    const BmpSpec base{.pixels = Bytes(24, 7)};
    const BmpSpec pal8{.bits = 8, .coloursUsed = 2, .palette = {0xFF0000, 0x00FF00}, .pixels = Bytes(8, 1)};
    ASSERT_TRUE(ReadBmp(BuildBmp(base)).rgb);
    ASSERT_TRUE(ReadBmp(BuildBmp(pal8)).rgb);

    struct Case {
        const char* name;
        std::function<Bytes()> make;
    };
    auto with = [](BmpSpec s, const std::function<void(BmpSpec&)>& change) {
        change(s);
        return BuildBmp(s);
    };
    auto patched = [](Bytes b, std::size_t at, std::uint32_t v) {
        Put32(b, at, v);
        return b;
    };
    const Bytes good = BuildBmp(base);
    std::vector<Case> cases = {
        {"empty", [] { return Bytes(); }},
        {"signature", [&] { Bytes b = good; b[1] = 'A'; return b; }},
        {"cut inside the header", [&] { return Bytes(good.begin(), good.begin() + 30); }},
        {"header size 64", [&] { return patched(good, 14, 64); }},
        {"header size 0", [&] { return patched(good, 14, 0); }},
        {"header longer than the file", [&] { return patched(good, 14, 124); }},
        {"planes 2", [&] { Bytes b = good; Put16(b, 26, 2); return b; }},
        {"16 bits in a core header", [&] { return with(base, [](BmpSpec& s) { s.headerSize = 12; s.bits = 16; }); }},
        {"2 bits", [&] { return with(base, [](BmpSpec& s) { s.bits = 2; }); }},
        {"RLE8 on 4 bits", [&] { return with(pal8, [](BmpSpec& s) { s.bits = 4; s.compression = 1; }); }},
        {"RLE4 on 8 bits", [&] { return with(pal8, [](BmpSpec& s) { s.compression = 2; }); }},
        {"run-length top-down", [&] { return with(pal8, [](BmpSpec& s) { s.height = -2; s.compression = 1; }); }},
        {"run-length index past the palette", [&] { return with(pal8, [](BmpSpec& s) { s.compression = 1; s.pixels = {2, 1, 1, 2, 0, 1}; }); }},
        {"literal run index past the palette", [&] { return with(pal8, [](BmpSpec& s) { s.compression = 1; s.pixels = {0, 3, 1, 0, 5, 0, 0, 1}; }); }},
        {"embedded JPEG", [&] { return with(base, [](BmpSpec& s) { s.compression = 4; }); }},
        {"embedded PNG", [&] { return with(base, [](BmpSpec& s) { s.compression = 5; }); }},
        {"bit fields on 24 bits", [&] { return with(base, [](BmpSpec& s) { s.compression = 3; s.masks = {0xFF0000, 0xFF00, 0xFF}; }); }},
        {"overlapping masks", [&] { return with(base, [](BmpSpec& s) { s.bits = 32; s.compression = 3; s.masks = {0xFF0000, 0xFFF0, 0xFF}; }); }},
        {"a mask of two runs", [&] { return with(base, [](BmpSpec& s) { s.bits = 32; s.compression = 3; s.masks = {0xFF0000, 0xF0F0, 0xF}; }); }},
        {"an empty mask", [&] { return with(base, [](BmpSpec& s) { s.bits = 32; s.compression = 3; s.masks = {0xFF0000, 0xFF00, 0}; }); }},
        {"a 16-bit mask past 16 bits", [&] { return with(base, [](BmpSpec& s) { s.bits = 16; s.compression = 3; s.masks = {0x1F0000, 0x7E0, 0x1F}; }); }},
        {"16 bits, last row cut short", [&] { Bytes b = with(base, [](BmpSpec& s) { s.bits = 16; s.pixels.resize(15); }); return b; }},
        {"bit fields cut off", [&] { Bytes b = with(base, [](BmpSpec& s) { s.bits = 32; s.compression = 3; s.pixels.clear(); }); return b; }},
        {"width 0", [&] { return with(base, [](BmpSpec& s) { s.width = 0; }); }},
        {"negative width", [&] { return with(base, [](BmpSpec& s) { s.width = -3; }); }},
        {"height 0", [&] { return with(base, [](BmpSpec& s) { s.height = 0; }); }},
        {"most negative height", [&] { return with(base, [](BmpSpec& s) { s.height = INT32_MIN; }); }},
        {"width over the limit", [&] { return with(base, [](BmpSpec& s) { s.width = 40000; s.height = 1; }); }},
        {"too many pixels", [&] { return with(base, [](BmpSpec& s) { s.width = 20000; s.height = 20000; }); }},
        {"row size overflowing 32 bits", [&] { return with(base, [](BmpSpec& s) { s.width = 0x7FFFFFFF; s.height = 1; }); }},
        {"pixel offset past the file", [&] { return patched(good, 10, 0x10000); }},
        {"pixel offset inside the headers", [&] { return patched(good, 10, 20); }},
        {"last row cut short", [&] { return Bytes(good.begin(), good.end() - 1); }},
        {"no pixels at all", [&] { return Bytes(good.begin(), good.begin() + 54); }},
        {"more colours than 8 bits hold", [&] { return with(pal8, [](BmpSpec& s) { s.coloursUsed = 300; }); }},
        {"more colours than 4 bits hold", [&] { return with(pal8, [](BmpSpec& s) { s.bits = 4; s.coloursUsed = 17; }); }},
        {"palette running into the pixels", [&] { Bytes b = BuildBmp(pal8); Put32(b, 10, Get32(b, 10) - 4); return b; }},
        {"index past the palette", [&] { return with(pal8, [](BmpSpec& s) { s.pixels[5] = 2; }); }},
        {"index past a 1-bit palette", [&] { return with(pal8, [](BmpSpec& s) { s.bits = 1; s.coloursUsed = 1; s.palette = {0}; s.pixels = Bytes(8, 0x40); }); }},
    };
    for (const auto& c : cases) {
        // An exact-size copy on the heap, so a sanitiser build sees any read past it.
        const Bytes file = c.make();
        Read r = ReadBmp(file);
        EXPECT_FALSE(r.rgb) << c.name;
        EXPECT_EQ(r.width, 0) << c.name;
        EXPECT_EQ(r.height, 0) << c.name;
    }
}

// Every kind Windows shows as a wallpaper, whole and cut to the part a screen keeps
// (run-length pictures decode their whole stream but keep only that part).
TEST(ReadBmp, ReadsEveryKindWindowsShows) {
    for (const Sample& s : WellFormed()) {
        const Read r = ReadBmp(s.file);
        ASSERT_TRUE(r.rgb) << s.name;
        EXPECT_EQ(r.width, s.width) << s.name;
        EXPECT_EQ(r.height, s.height) << s.name;
        EXPECT_EQ(r.Pixels(), s.rgb) << s.name;

        ImageLimits limits;
        limits.keepWidth = s.width / 2;
        limits.keepHeight = s.height / 2;
        limits.keepCentre = true;
        const Read kept = ReadBmp(s.file, limits);
        const ImageLimits::Part part = limits.Kept(s.width, s.height);
        const Rect rect = Rect::FromSize(part.left, part.top, part.width, part.height);
        Bytes expected(static_cast<std::size_t>(part.width) * part.height * 3);
        ASSERT_TRUE(IS40_CropImage(s.rgb, s.width, s.height, s.width * 3, expected, part.width * 3, rect, 3));
        EXPECT_EQ(kept.Pixels(), expected) << s.name << ", the middle kept";
    }
}

// Run-length streams that are cut short or code past the picture: drawn as far as they
// go, the rest in the first palette colour, as Windows shows them.
TEST(ReadBmp, RunLengthStreamsThatEndEarlyOrOverrunAreDrawnAsFarAsTheyGo) {
    // A 4 x 3 picture, palette: 0 black, 1 red, 2 green, 3 blue. Rows in the stream are
    // bottom-up; the expected rows here top-down, as indices.
    const std::vector<std::uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    struct Case {
        const char* name;
        unsigned compression;
        Bytes stream;
        std::vector<unsigned> top_down;
    } cases[] = {
        {"whole", 1, {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 1}, {3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1}},
        {"ends after a row and a half", 1, {4, 1, 0, 0, 2, 2}, {0, 0, 0, 0, 2, 2, 0, 0, 1, 1, 1, 1}},
        {"ends inside a literal run", 1, {0, 4, 1, 2}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 0, 0}},
        {"ends inside a move", 1, {4, 1, 0, 2, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}},
        {"no end of picture", 1, {4, 1, 0, 0, 4, 2, 0, 0, 4, 3}, {3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1}},
        {"empty", 1, {}, std::vector<unsigned>(12, 0)},
        {"end of picture early", 1, {2, 3, 0, 1, 4, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 3, 3, 0, 0}},
        {"a run past the row end is dropped", 1, {9, 1, 0, 0, 1, 2}, {0, 0, 0, 0, 2, 0, 0, 0, 1, 1, 1, 1}},
        {"a literal run past the row end", 1, {0, 6, 1, 2, 3, 1, 2, 3, 0, 0, 1, 3}, {0, 0, 0, 0, 3, 0, 0, 0, 1, 2, 3, 1}},
        {"a move out of the picture", 1, {1, 1, 0, 2, 200, 200, 1, 2}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
        {"a move up and right", 1, {1, 1, 0, 2, 2, 1, 1, 3}, {0, 0, 0, 0, 0, 0, 0, 3, 1, 0, 0, 0}},
        {"RLE4 turns of two and a cut literal", 2, {4, 0x12, 0, 0, 0, 4, 0x32}, {0, 0, 0, 0, 3, 2, 0, 0, 1, 2, 1, 2}},
    };
    for (const Case& c : cases) {
        BmpSpec s{.width = 4, .height = 3, .bits = c.compression == 1 ? 8u : 4u, .compression = c.compression,
                  .coloursUsed = 4, .palette = pal, .pixels = c.stream};
        Bytes want;
        for (unsigned i : c.top_down)
            for (int shift : {16, 8, 0}) want.push_back(static_cast<std::uint8_t>(pal[i] >> shift));
        const Read r = ReadBmp(BuildBmp(s));
        ASSERT_TRUE(r.rgb) << c.name;
        EXPECT_EQ(r.Pixels(), want) << c.name;
    }
}

TEST(ReadBmp, LimitsAndArgumentsAreChecked) {
    Bytes file = WriteBmp(Pattern(64, 8), 64, 8, 64 * 3);
    ImageLimits narrow;
    narrow.maxWidth = 32;
    EXPECT_FALSE(ReadBmp(file, narrow).rgb);
    ImageLimits small;
    small.maxFileBytes = file.size() - 1;
    EXPECT_FALSE(ReadBmp(file, small).rgb);
    small.maxFileBytes = file.size();
    EXPECT_TRUE(ReadBmp(file, small).rgb);

    int w = -1, h = -1;
    auto source = IS40_OpenMemorySource(file);
    EXPECT_FALSE(IS40_ReadBMP(source.get(), w, h, 32));
    EXPECT_FALSE(IS40_ReadBMP(nullptr, w, h, 24));
    EXPECT_EQ(w, 0);
}

// --- JPEG -------------------------------------------------------------------------------

TEST(ReadJpg, DecodesBaselineAndProgressiveCloseToTheOriginal) {
    const int w = 64, h = 48;
    const Bytes rgb = Gradient(w, h);
    for (bool progressive : {false, true}) {
        Read r = ReadJpg(EncodeJpeg(rgb, w, h, {.quality = 95, .progressive = progressive}));
        ASSERT_TRUE(r.rgb) << progressive;
        EXPECT_EQ(r.width, w);
        EXPECT_EQ(r.height, h);
        EXPECT_LE(MaxDifference(r.Pixels(), rgb), 12) << progressive;
    }
    // Grey and CMYK files are compared with ImageMagick in the Linux tests.
}

// A picture that will be shrunk anyway is decoded at the smallest scale n/8 that
// still covers the size asked for, never below it.
TEST(ReadJpg, DecodesAtAReducedScaleThatStillCoversTheSizeAskedFor) {
    const int w = 160, h = 96;
    const Bytes file = EncodeJpeg(Gradient(w, h), w, h);
    struct Case {
        int minW, minH, wantW, wantH;
    } cases[] = {{0, 0, 160, 96}, {80, 48, 80, 48}, {81, 20, 100, 60}, {20, 20, 40, 24}, {20, 12, 20, 12}, {160, 96, 160, 96},
                 {500, 500, 160, 96}};
    for (const auto& c : cases) {
        ImageLimits limits;
        limits.minWidth = c.minW;
        limits.minHeight = c.minH;
        Read r = ReadJpg(file, limits);
        ASSERT_TRUE(r.rgb) << c.minW;
        EXPECT_EQ(r.width, c.wantW) << c.minW << "x" << c.minH;
        EXPECT_EQ(r.height, c.wantH) << c.minW << "x" << c.minH;
    }
}

// A picture larger than what the screen shows is cut to that part while it is read:
// the same pixels as cutting the whole picture, in the memory of the part.
TEST(ReadPicture, KeepsOnlyThePartAskedFor) {
    const int w = 160, h = 96;
    const Bytes rgb = Gradient(w, h);
    const std::pair<const char*, Bytes> files[] = {
        {"bmp", WriteBmp(rgb, w, h, w * 3)},
        {"baseline", EncodeJpeg(rgb, w, h)},
        {"progressive", EncodeJpeg(rgb, w, h, {.progressive = true})},
        {"png", EncodePng(w, h, {.colour = PNG_COLOR_TYPE_RGB_ALPHA}, 0x808080, 1).file},
        {"interlaced png", EncodePng(w, h, {.colour = PNG_COLOR_TYPE_PALETTE, .interlaced = true}, 0, 2).file},
    };
    auto read = [](const std::string& name, const Bytes& file, const ImageLimits& limits) {
        return name == "bmp" ? ReadBmp(file, limits)
               : name.find("png") != std::string::npos ? ReadPng(file, limits, 0x808080)
                                                       : ReadJpg(file, limits);
    };
    struct Case {
        int keepW, keepH;
        bool centre;
        Rect part;
    } cases[] = {
        {0, 0, false, {0, 0, 160, 96}},     {40, 30, true, {60, 33, 100, 63}}, {40, 30, false, {0, 0, 40, 30}},
        {500, 20, true, {0, 38, 160, 58}},  {7, 1000, true, {76, 0, 83, 96}},  {160, 96, true, {0, 0, 160, 96}},
    };
    for (const auto& [name, file] : files) {
        const Read whole = read(name, file, ImageLimits());
        ASSERT_TRUE(whole.rgb) << name;
        for (const Case& c : cases) {
            ImageLimits limits;
            limits.keepWidth = c.keepW;
            limits.keepHeight = c.keepH;
            limits.keepCentre = c.centre;
            const Read kept = read(name, file, limits);
            const int pw = c.part.right - c.part.left, ph = c.part.bottom - c.part.top;
            ASSERT_TRUE(kept.rgb) << name << " " << c.keepW << "x" << c.keepH;
            EXPECT_EQ(kept.width, pw) << name << " " << c.keepW << "x" << c.keepH;
            EXPECT_EQ(kept.height, ph) << name << " " << c.keepW << "x" << c.keepH;
            Bytes expected(static_cast<std::size_t>(pw) * ph * 3);
            ASSERT_TRUE(IS40_CropImage(whole.Pixels(), w, h, w * 3, expected, pw * 3, c.part, 3));
            EXPECT_EQ(kept.Pixels(), expected) << name << " " << c.keepW << "x" << c.keepH;
        }
    }
    // The pixel bound applies to what is kept: a picture too large to hold whole is
    // read when only a screen's worth of it is kept.
    ImageLimits small;
    small.maxPixelBytes = 40 * 30 * 3;
    EXPECT_FALSE(ReadJpg(files[1].second, small).rgb);
    small.keepWidth = 40;
    small.keepHeight = 30;
    EXPECT_TRUE(ReadJpg(files[1].second, small).rgb);
    EXPECT_TRUE(ReadBmp(files[0].second, small).rgb);
    EXPECT_TRUE(ReadPng(files[3].second, small).rgb);
    EXPECT_TRUE(ReadPng(files[4].second, small).rgb);
}

// A file's cost is bounded before it is paid: the blocks its scans carry (a baseline
// picture counts each block once, a progressive one once per scan) and the memory a
// progressive file needs for its coefficients, which a baseline one never holds.
TEST(ReadJpg, RefusesFilesThatNeedMoreWorkOrMemoryThanAllowed) {
    const Bytes baseline = EncodeJpeg(Gradient(64, 48), 64, 48);
    const Bytes progressive = EncodeJpeg(Gradient(64, 48), 64, 48, {.progressive = true});
    // 4:2:0: 8 x 6 blocks of luminance and 4 x 3 of each chrominance.
    const long long blocks = 8 * 6 + 2 * 4 * 3;
    // 40 x 30 + 2 x 20 x 15 blocks: 230,400 bytes of coefficients when progressive.
    const Bytes largerBaseline = EncodeJpeg(Gradient(320, 240), 320, 240);
    const Bytes largerProgressive = EncodeJpeg(Gradient(320, 240), 320, 240, {.progressive = true});
    const long long enough = ImageLimits().maxJpegBlockScans;
    const std::size_t plenty = ImageLimits().maxJpegDecoderBytes;
    struct Case {
        const char* name;
        const Bytes& file;
        long long blockScans;
        std::size_t decoderBytes;
        bool read;
    } cases[] = {
        {"baseline, every block once", baseline, blocks, plenty, true},
        {"baseline, one block short", baseline, blocks - 1, plenty, false},
        {"progressive, every block in three scans", progressive, 3 * blocks, plenty, false},
        {"progressive, every block in ten scans", progressive, 10 * blocks, plenty, true},
        {"baseline in 128 KB", largerBaseline, enough, 128 * 1024, true},
        {"progressive in 128 KB", largerProgressive, enough, 128 * 1024, false},
        {"progressive in the default memory", largerProgressive, enough, plenty, true},
    };
    for (const Case& c : cases) {
        ImageLimits limits;
        limits.maxJpegBlockScans = c.blockScans;
        limits.maxJpegDecoderBytes = c.decoderBytes;
        const Read r = ReadJpg(c.file, limits);
        EXPECT_EQ(r.rgb != nullptr, c.read) << c.name;
        if (!c.read) {
            EXPECT_EQ(r.width, 0) << c.name;
        }
    }
}

TEST(ReadJpg, RefusesDamagedAndTruncatedFilesQuietly) {
    const int w = 64, h = 48;
    const Bytes file = EncodeJpeg(Gradient(w, h), w, h);
    const Bytes progressive = EncodeJpeg(Gradient(w, h), w, h, {.progressive = true});
    ASSERT_TRUE(ReadJpg(file).rgb);
    // The entropy-coded data of the (only) scan starts after the SOS segment.
    std::size_t sos = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA) sos = i;
    ASSERT_GT(sos, 0u);
    const std::size_t data = sos + 2 + (file[sos + 2] << 8 | file[sos + 3]);

    struct Case {
        const char* name;
        Bytes bytes;
    };
    Bytes marker = file;
    marker[(data + file.size()) / 2] = 0xFF; // an end-of-image marker inside the data
    marker[(data + file.size()) / 2 + 1] = 0xD9;
    Bytes badSof = file;
    for (std::size_t i = 0; i + 1 < badSof.size(); ++i)
        if (badSof[i] == 0xFF && badSof[i + 1] == 0xC0) {
            badSof[i + 4] = 3; // 3-bit samples
            break;
        }
    std::vector<Case> cases = {
        {"empty", {}},
        {"not a JPEG", WriteBmp(Pattern(4, 4), 4, 4, 12)},
        {"only the start marker", Bytes(file.begin(), file.begin() + 2)},
        {"headers only", Bytes(file.begin(), file.begin() + data)},
        {"cut in the middle", Bytes(file.begin(), file.begin() + (data + file.size()) / 2)},
        {"without the end marker", Bytes(file.begin(), file.end() - 2)},
        {"progressive cut in a later scan", Bytes(progressive.begin(), progressive.end() - 40)},
        {"marker inside the data", marker},
        {"bad sample precision", badSof},
    };
    testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        Read r = ReadJpg(c.bytes);
        EXPECT_FALSE(r.rgb) << c.name;
        EXPECT_EQ(r.width, 0) << c.name;
    }
    // Stray bytes before a marker are a warning the library would print; the picture
    // itself is whole, so it is read, and nothing is printed.
    Bytes stray = file;
    stray.insert(stray.begin() + static_cast<std::ptrdiff_t>(sos), {0x12, 0x34, 0x56});
    EXPECT_TRUE(ReadJpg(stray).rgb);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(ReadJpg, RefusesTooManyScansAndPicturesOverTheLimits) {
    const int w = 16, h = 16;
    const Bytes rgb = Gradient(w, h);
    // One scan of DC for all components, then every AC coefficient of every component
    // in a scan of its own (190 scans), optionally refined bit by bit (379 scans).
    auto script = [](bool refine) {
        std::vector<jpeg_scan_info> scans = {{3, {0, 1, 2, 0}, 0, 0, 0, 0}};
        for (int c = 0; c < 3; ++c)
            for (int k = 1; k < 64; ++k) {
                scans.push_back({1, {c, 0, 0, 0}, k, k, 0, refine ? 1 : 0});
                if (refine) scans.push_back({1, {c, 0, 0, 0}, k, k, 1, 0});
            }
        return scans;
    };
    const Bytes within = EncodeJpeg(rgb, w, h, {.scans = script(false)});
    const Bytes beyond = EncodeJpeg(rgb, w, h, {.scans = script(true)});
    Read r = ReadJpg(within);
    ASSERT_TRUE(r.rgb);
    EXPECT_LE(MaxDifference(r.Pixels(), rgb), 20);
    EXPECT_FALSE(ReadJpg(beyond).rgb);
    ImageLimits fewer;
    fewer.maxJpegScans = 150;
    EXPECT_FALSE(ReadJpg(within, fewer).rgb);

    const Bytes wide = EncodeJpeg(Gradient(64, 8), 64, 8);
    ImageLimits narrow;
    narrow.maxWidth = 63;
    EXPECT_FALSE(ReadJpg(wide, narrow).rgb);
    narrow.maxWidth = 64;
    EXPECT_TRUE(ReadJpg(wide, narrow).rgb);
}

// --- crop -------------------------------------------------------------------------------

// --- PNG --------------------------------------------------------------------------------

// Every colour type at every bit depth it allows, with and without transparency,
// interlaced or not: PNG is lossless, so the picture comes back exactly, transparent
// pixels mixed with the background.
TEST(ReadPng, DecodesEveryColourTypeDepthAndTransparencyExactly) {
    struct Kind {
        int colour;
        std::vector<int> depths;
        bool trns;
    } kinds[] = {
        {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}, false}, {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}, true},
        {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}, false},  {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}, true},
        {PNG_COLOR_TYPE_RGB, {8, 16}, false},           {PNG_COLOR_TYPE_RGB, {8, 16}, true},
        {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}, false},    {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}, false},
    };
    const std::uint32_t background = 0x336699; // red in the low byte
    unsigned seed = 0;
    for (const Kind& k : kinds)
        for (int depth : k.depths)
            for (bool interlaced : {false, true}) {
                const PngPicture p =
                    EncodePng(37, 9, {.colour = k.colour, .depth = depth, .interlaced = interlaced, .trns = k.trns},
                              background, ++seed);
                const std::string name = "colour type " + std::to_string(k.colour) + ", " + std::to_string(depth) +
                                         " bits" + (k.trns ? ", tRNS" : "") + (interlaced ? ", interlaced" : "");
                const Read r = ReadPng(p.file, ImageLimits(), background);
                ASSERT_TRUE(r.rgb) << name;
                EXPECT_EQ(r.width, 37) << name;
                EXPECT_EQ(r.height, 9) << name;
                EXPECT_EQ(r.Pixels(), p.rgb) << name;
            }
}

// Damaged, truncated and hostile files are refused with nothing printed; chunks a
// wallpaper does not need are held to a small size (a compressed text that inflates to
// gigabytes is dropped, the picture still read).
TEST(ReadPng, RefusesHostileFilesCleanly) {
    const Bytes good = EncodePng(16, 8, {.colour = PNG_COLOR_TYPE_RGB}, 0, 1).file;
    ASSERT_TRUE(ReadPng(good).rgb);
    const Bytes rows(8 * (1 + 16 * 3), 0); // 16 x 8 RGB, filter byte 0 on every row
    ASSERT_TRUE(ReadPng(BuildPng(16, 8, 8, PNG_COLOR_TYPE_RGB, 0, {}, rows)).rgb);
    const std::size_t idat = [&] {
        for (std::size_t i = 8; i + 8 < good.size(); i += 12 + (good[i] << 24 | good[i + 1] << 16 | good[i + 2] << 8 | good[i + 3]))
            if (std::memcmp(&good[i + 4], "IDAT", 4) == 0) return i;
        return std::size_t(0);
    }();
    ASSERT_GT(idat, 0u);
    Bytes badCrc = good;
    badCrc[29] ^= 1; // the last byte of the header's CRC
    Bytes badData = good;
    badData[idat + 8 + 4] ^= 0x55; // inside the compressed rows
    Bytes badFilter = rows;
    badFilter[0] = 9; // no such row filter
    const Bytes bomb(std::size_t(64) << 20, 'a'); // 64 MB of text, compressed to 64 KB
    Bytes ztxt = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    const Bytes packed = Deflate(bomb);
    ztxt.insert(ztxt.end(), packed.begin(), packed.end());
    Bytes hugeChunk = BuildPng(16, 8, 8, PNG_COLOR_TYPE_RGB, 0, {}, rows);
    const Bytes declared = {0x7F, 0xFF, 0xFF, 0xF0, 't', 'E', 'X', 't', 'a', 'b'};
    hugeChunk.insert(hugeChunk.begin() + 33, declared.begin(), declared.end());

    struct Case {
        const char* name;
        Bytes bytes;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"the signature alone", Bytes(good.begin(), good.begin() + 8)},
        {"a BMP", WriteBmp(Pattern(4, 4), 4, 4, 12)},
        {"cut in the header", Bytes(good.begin(), good.begin() + 20)},
        {"cut before the rows", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(idat))},
        {"cut in the rows", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(idat + 20))},
        {"bad header checksum", badCrc},
        {"damaged compressed rows", badData},
        {"an unknown row filter", BuildPng(16, 8, 8, PNG_COLOR_TYPE_RGB, 0, {}, badFilter)},
        {"fewer rows than the header says", BuildPng(16, 9, 8, PNG_COLOR_TYPE_RGB, 0, {}, rows)},
        {"width 0", BuildPng(0, 8, 8, PNG_COLOR_TYPE_RGB, 0, {}, rows)},
        {"height 0", BuildPng(16, 0, 8, PNG_COLOR_TYPE_RGB, 0, {}, rows)},
        {"width over 2^31", BuildPng(0x80000000u, 1, 8, PNG_COLOR_TYPE_RGB, 0, {}, rows)},
        {"width over the limit", BuildPng(40000, 1, 8, PNG_COLOR_TYPE_RGB, 0, {}, rows)},
        {"too many pixels", BuildPng(20000, 20000, 8, PNG_COLOR_TYPE_RGB, 0, {}, rows)},
        {"interlaced, too many pixels", BuildPng(20000, 20000, 8, PNG_COLOR_TYPE_RGB, 1, {}, rows)},
        {"RGB at 4 bits", BuildPng(16, 8, 4, PNG_COLOR_TYPE_RGB, 0, {}, rows)},
        {"colour type 5", BuildPng(16, 8, 8, 5, 0, {}, rows)},
        {"interlace method 2", BuildPng(16, 8, 8, PNG_COLOR_TYPE_RGB, 2, {}, rows)},
        {"a palette picture without a palette", BuildPng(16, 8, 8, PNG_COLOR_TYPE_PALETTE, 0, {}, Bytes(8 * 17, 0))},
        {"a palette of 300 colours", BuildPng(16, 8, 8, PNG_COLOR_TYPE_PALETTE, 0, {PngChunk("PLTE", Bytes(900, 7))}, Bytes(8 * 17, 0))},
        {"a chunk declared 2 GB long", hugeChunk},
    };
    testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        const Read r = ReadPng(c.bytes);
        EXPECT_FALSE(r.rgb) << c.name;
        EXPECT_EQ(r.width, 0) << c.name;
        EXPECT_EQ(r.height, 0) << c.name;
    }
    ImageLimits narrow;
    narrow.maxWidth = 15;
    EXPECT_FALSE(ReadPng(good, narrow).rgb);
    ImageLimits small;
    small.maxFileBytes = good.size() - 1;
    EXPECT_FALSE(ReadPng(good, small).rgb);
    int w = -1, h = -1;
    auto source = IS40_OpenMemorySource(good);
    EXPECT_FALSE(IS40_ReadPNG(source.get(), w, h, 32));
    EXPECT_FALSE(IS40_ReadPNG(nullptr, w, h, 24));
    EXPECT_EQ(w, 0);

    // A compressed text that would inflate to 64 MB: dropped, the picture read.
    const Read withBomb = ReadPng(BuildPng(16, 8, 8, PNG_COLOR_TYPE_RGB, 0, {PngChunk("zTXt", ztxt)}, rows));
    ASSERT_TRUE(withBomb.rgb);
    EXPECT_EQ(withBomb.Pixels(), Bytes(16 * 8 * 3, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(CropImage, CopiesTheRectangleRowByRow) {
    const Bytes src = Pattern(5, 4);
    Bytes dst(2 * 10 + 9, 0xBD); // stride 10: one spare byte per row stays as it was
    ASSERT_TRUE(IS40_CropImage(src, 5, 4, 15, dst, 10, {1, 1, 4, 3}, 3));
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(Bytes(dst.begin() + row * 10, dst.begin() + row * 10 + 9),
                  Bytes(src.begin() + (1 + row) * 15 + 3, src.begin() + (1 + row) * 15 + 12));
    }
    EXPECT_EQ(dst[9], 0xBD);
    Bytes whole(src.size());
    ASSERT_TRUE(IS40_CropImage(src, 5, 4, 15, whole, 15, {0, 0, 5, 4}, 3));
    EXPECT_EQ(whole, src);
}

TEST(CropImage, RefusesRectanglesNotInsideThePictureAndCopiesNothing) {
    Bytes src = Pattern(5, 4);
    const Rect bad[] = {
        {1, 0, 6, 4},  // one pixel beyond the right edge
        {0, 1, 5, 5},  // one beyond the bottom
        {5, 0, 6, 1},  // left on the edge
        {0, 4, 1, 5},  // top on the edge
        {-1, 0, 2, 2}, // left of the picture
        {2, 2, 2, 3},  // empty
        {3, 3, 1, 1},  // turned round
        {0, 0, 6, 1},  // wider than the picture
    };
    for (const auto& r : bad) {
        Bytes dst(6 * 5 * 3, 0xBD);
        EXPECT_FALSE(IS40_CropImage(src, 5, 4, 15, dst, 18, r, 3)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_EQ(dst, Bytes(6 * 5 * 3, 0xBD));
    }
    Bytes dst(40, 0xBD);
    EXPECT_FALSE(IS40_CropImage(src, 5, 4, 14, dst, 6, {0, 0, 2, 2}, 3));            // source stride under a row
    EXPECT_FALSE(IS40_CropImage(src, 5, 4, 15, dst, 5, {0, 0, 2, 2}, 3));            // destination stride under a row
    EXPECT_FALSE(IS40_CropImage(src, 5, 5, 15, dst, 6, {0, 0, 2, 2}, 3));            // source smaller than said
    EXPECT_FALSE(IS40_CropImage(src, 5, 4, 15, {dst.data(), 11}, 6, {0, 0, 2, 2}, 3)); // destination too small
    EXPECT_FALSE(IS40_CropImage(src, 5, 4, 15, src, 15, {0, 0, 2, 2}, 3));           // the same buffer
    EXPECT_FALSE(IS40_CropImage(src, 5, 4, 15, dst, 6, {0, 0, 2, 2}, 0));
    EXPECT_EQ(dst, Bytes(40, 0xBD));
}

// --- resize -----------------------------------------------------------------------------

// The mean of the source pixels whose centres lie in the destination pixel's area,
// or the nearest one when there is none; computed directly in two dimensions.
Bytes ReferenceResize(const Bytes& src, int sw, int sh, int dw, int dh) {
    // In integers: source centre j + 1/2 against the area [i n / m, (i + 1) n / m).
    auto pick = [](long n, long m, long i) {
        std::vector<int> js;
        if (m <= n) {
            for (long j = 0; j < n; ++j)
                if (2 * i * n <= (2 * j + 1) * m && (2 * j + 1) * m < 2 * (i + 1) * n) js.push_back(int(j));
        } else {
            long best = 0;
            for (long j = 1; j < n; ++j)
                if (std::abs((2 * j + 1) * m - (2 * i + 1) * n) < std::abs((2 * best + 1) * m - (2 * i + 1) * n))
                    best = j;
            js.push_back(int(best));
        }
        return js;
    };
    Bytes out(static_cast<std::size_t>(dw) * dh * 3);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                int count = 0;
                for (int sy : pick(sh, dh, y))
                    for (int sx : pick(sw, dw, x)) {
                        sum += src[(static_cast<std::size_t>(sy) * sw + sx) * 3 + c];
                        ++count;
                    }
                out[(static_cast<std::size_t>(y) * dw + x) * 3 + c] = static_cast<std::uint8_t>(std::floor(sum / count + 0.5));
            }
    return out;
}

TEST(ResizeImage, ShrinkingAveragesAndGrowingRepeats) {
    // 2 x 2 to 1 x 1: the mean of the four, halves rounded up.
    const Bytes four = {10, 0, 0, 20, 1, 1, 30, 0, 0, 41, 1, 0};
    Bytes one(3);
    ASSERT_TRUE(IS40_ResizeImage(four, 2, 2, 6, one, 1, 1, 3, 3));
    EXPECT_EQ(one, (Bytes{25, 1, 0})); // 25.25, 0.5, 0.25

    // 1 x 1 to 3 x 3 repeats the pixel.
    Bytes nine(27);
    ASSERT_TRUE(IS40_ResizeImage(Bytes{7, 8, 9}, 1, 1, 3, nine, 3, 3, 9, 3));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Bytes(nine.begin() + i * 3, nine.begin() + i * 3 + 3), (Bytes{7, 8, 9}));

    // 4 to 2 averages pairs in place (no half-pixel shift): (0, 10) and (20, 30).
    Bytes two(6);
    ASSERT_TRUE(IS40_ResizeImage(Bytes{0, 0, 0, 10, 10, 10, 20, 20, 20, 30, 30, 30}, 4, 1, 12, two, 2, 1, 6, 3));
    EXPECT_EQ(two, (Bytes{5, 5, 5, 25, 25, 25}));

    // 4 bytes per pixel and a wider destination stride, whose spare bytes stay.
    Bytes quad(5, 0xBD);
    ASSERT_TRUE(IS40_ResizeImage(Bytes{0, 10, 20, 30, 4, 14, 24, 34}, 2, 1, 8, quad, 1, 1, 5, 4));
    EXPECT_EQ(quad, (Bytes{2, 12, 22, 32, 0xBD}));
}

TEST(ResizeImage, AgreesWithADirectTwoDimensionalAverage) {
    const int sizes[][4] = {{37, 23, 12, 7}, {13, 5, 5, 13}, {10, 10, 10, 10}, {5, 3, 13, 11},
                            {100, 3, 33, 1}, {3, 4, 2, 3},   {1, 9, 4, 2},    {41, 30, 23, 17},
                            {100, 60, 97, 31}, {7, 64, 20, 33}};
    for (const auto& s : sizes) {
        const Bytes src = Pattern(s[0], s[1], s[0] * s[2]);
        Bytes dst(static_cast<std::size_t>(s[2]) * s[3] * 3);
        ASSERT_TRUE(IS40_ResizeImage(src, s[0], s[1], s[0] * 3, dst, s[2], s[3], s[2] * 3, 3));
        EXPECT_LE(MaxDifference(dst, ReferenceResize(src, s[0], s[1], s[2], s[3])), 1)
            << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
        if (s[0] == s[2] && s[1] == s[3]) {
            EXPECT_EQ(dst, src);
        }
        // Shrinking by less than half or growing, every mean is of at most 2 x 2
        // pixels (those of the resampler's own footprints), a multiple of 1/4, and
        // comes out exactly, halves rounded up.
        if (s[0] < 2 * s[2] && s[1] < 2 * s[3]) {
            Bytes exact(dst.size());
            for (int y = 0; y < s[3]; ++y)
                for (int x = 0; x < s[2]; ++x)
                    for (int c = 0; c < 3; ++c) {
                        int sum = 0, count = 0;
                        for (int sy : CBoxResampler::Footprint(s[1], s[3], y))
                            for (int sx : CBoxResampler::Footprint(s[0], s[2], x)) {
                                sum += src[(static_cast<std::size_t>(sy) * s[0] + sx) * 3 + c];
                                ++count;
                            }
                        exact[(static_cast<std::size_t>(y) * s[2] + x) * 3 + c] =
                            static_cast<std::uint8_t>((2 * sum + count) / (2 * count));
                    }
            EXPECT_EQ(dst, exact) << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
        }
    }
}

TEST(ResizeImage, RefusesWhatItCannotDoAndWritesNothing) {
    Bytes src = Pattern(4, 4);
    Bytes dst(12, 0xBD);
    EXPECT_FALSE(IS40_ResizeImage(src, 4, 4, 12, dst, 2, 2, 6, 3, 1));         // another filter
    EXPECT_FALSE(IS40_ResizeImage(src, 4, 4, 12, dst, 2, 2, 6, 5));            // bytes per pixel
    EXPECT_FALSE(IS40_ResizeImage(src, 4, 4, 12, dst, 0, 2, 6, 3));            // empty destination
    EXPECT_FALSE(IS40_ResizeImage(src, 4, 5, 12, dst, 2, 2, 6, 3));            // source smaller than said
    EXPECT_FALSE(IS40_ResizeImage(src, 4, 4, 12, dst, 2, 3, 6, 3));            // destination too small
    EXPECT_FALSE(IS40_ResizeImage(src, 4, 4, 12, {src.data() + 6, 12}, 2, 2, 6, 3)); // overlapping
    EXPECT_FALSE(IS40_ResizeImage(src, 4, 4, 12, dst, 40000, 1, 6, 3));        // over the limit
    EXPECT_EQ(dst, Bytes(12, 0xBD));
}

// --- surfaces ---------------------------------------------------------------------------

TEST(Surface, DrawsBlueGreenRedAndReadsBackTheSamePicture) {
    const int sw = 6, sh = 5, stride = sw * 4 + 4;
    Bytes store(static_cast<std::size_t>(stride) * sh, 0xBD);
    const PixelSurface surface{store.data(), sw, sh, stride};
    const Bytes pic = Pattern(3, 2);
    ASSERT_TRUE(IS40_DrawRGB(surface, pic, 3, 2, 9, 2, 1));
    EXPECT_EQ(Bytes(store.begin() + stride + 8, store.begin() + stride + 12), (Bytes{pic[2], pic[1], pic[0], 0}));
    EXPECT_EQ(store[stride + 7], 0xBD);     // left of the picture
    EXPECT_EQ(store[stride + sw * 4], 0xBD); // row padding
    Bytes back(18);
    ASSERT_TRUE(IS40_DCToRGB(surface, 2, 1, 3, 2, back));
    EXPECT_EQ(back, pic);

    // Clipped at every edge, and wholly outside; neither is a failure.
    ASSERT_TRUE(IS40_DrawRGB(surface, pic, 3, 2, 9, -2, -1));
    EXPECT_EQ(Bytes(store.begin(), store.begin() + 4), (Bytes{pic[17], pic[16], pic[15], 0}));
    EXPECT_EQ(store[4], 0xBD);
    ASSERT_TRUE(IS40_DrawRGB(surface, pic, 3, 2, 9, sw - 1, sh - 1));
    const std::size_t last = static_cast<std::size_t>(stride) * (sh - 1) + (sw - 1) * 4;
    EXPECT_EQ(Bytes(store.begin() + last, store.begin() + last + 4), (Bytes{pic[2], pic[1], pic[0], 0}));
    EXPECT_EQ(store[last + 4], 0xBD);
    const Bytes before = store;
    EXPECT_TRUE(IS40_DrawRGB(surface, pic, 3, 2, 9, sw, 0));
    EXPECT_TRUE(IS40_DrawRGB(surface, pic, 3, 2, 9, 0, -2));
    EXPECT_EQ(store, before);
}

TEST(Surface, RefusesRectanglesOutsideAndShortBuffers) {
    Bytes store(4 * 4 * 4);
    const PixelSurface surface{store.data(), 4, 4, 16};
    Bytes out(4 * 4 * 3, 0xBD);
    EXPECT_FALSE(IS40_DCToRGB(surface, 1, 0, 4, 4, out));
    EXPECT_FALSE(IS40_DCToRGB(surface, 0, 0, 4, 5, out));
    EXPECT_FALSE(IS40_DCToRGB(surface, -1, 0, 2, 2, out));
    EXPECT_FALSE(IS40_DCToRGB(surface, 0, 0, 4, 4, {out.data(), out.size() - 1}));
    EXPECT_FALSE(IS40_DCToRGB(PixelSurface{store.data(), 4, 4, 15}, 0, 0, 1, 1, out));
    EXPECT_EQ(out, Bytes(4 * 4 * 3, 0xBD));
    const Bytes pic = Pattern(2, 2);
    EXPECT_FALSE(IS40_DrawRGB(surface, pic, 2, 3, 6, 0, 0)); // more rows than the buffer
    EXPECT_FALSE(IS40_DrawRGB(surface, pic, 2, 2, 5, 0, 0));
    EXPECT_EQ(store, Bytes(4 * 4 * 4));
}

// --- files ------------------------------------------------------------------------------

TEST(ImageFiles, NamesOutsideAsciiRoundTrip) {
    TempFolder dir;
    const std::string path = dir.File("Bild \xC3\xA4 \xE6\x97\xA5\xE6\x9C\xAC.bmp"); // "Bild ä 日本.bmp"
    const Bytes rgb = Pattern(5, 3);
    auto dest = IS40_OpenFileDest(path, false);
    ASSERT_TRUE(dest);
    ASSERT_TRUE(IS40_WriteBMP(dest.get(), rgb, 5, 3, 24, 15));
    ASSERT_TRUE(IS40_CloseDest(std::move(dest)));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Bild \xC3\xA4 \xE6\x97\xA5\xE6\x9C\xAC.bmp"});

    auto source = IS40_OpenFileSource(path);
    ASSERT_TRUE(source);
    int w = 0, h = 0;
    RgbBuffer back = IS40_ReadBMP(source.get(), w, h);
    IS40_CloseSource(std::move(source));
    ASSERT_TRUE(back);
    EXPECT_EQ(Bytes(back.get(), back.get() + rgb.size()), rgb);

    EXPECT_FALSE(IS40_OpenFileSource(dir.File("missing.bmp")));
    EXPECT_FALSE(IS40_OpenFileDest(dir.File("no folder") + "/x.bmp", false));
}

TEST(ImageFiles, JpegConversionWritesTheDecodedPicture) {
    TempFolder dir;
    const Bytes jpeg = EncodeJpeg(Gradient(40, 30), 40, 30);
    Spit(dir.File("in.jpg"), jpeg);
    ASSERT_TRUE(ConvertJpegToBmp(dir.File("in.jpg"), dir.File("out.bmp")));
    Read bmp = ReadBmp(Slurp(dir.File("out.bmp")));
    Read decoded = ReadJpg(jpeg);
    ASSERT_TRUE(bmp.rgb);
    ASSERT_TRUE(decoded.rgb);
    EXPECT_EQ(bmp.width, 40);
    EXPECT_EQ(bmp.Pixels(), decoded.Pixels());
}

TEST(ImageFiles, FailedConversionLeavesThePreviousFileAndNoTemporary) {
    TempFolder dir;
    const Bytes jpeg = EncodeJpeg(Gradient(40, 30), 40, 30);
    Spit(dir.File("cut.jpg"), Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2)));
    const Bytes previous = WriteBmp(Pattern(2, 2), 2, 2, 6);
    Spit(dir.File("out.bmp"), previous);

    EXPECT_FALSE(ConvertJpegToBmp(dir.File("cut.jpg"), dir.File("out.bmp")));
    EXPECT_FALSE(ConvertJpegToBmp(dir.File("missing.jpg"), dir.File("out.bmp")));
    EXPECT_EQ(Slurp(dir.File("out.bmp")), previous);
    auto names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"cut.jpg", "out.bmp"}));

    // A picture that decodes, and a destination that cannot be replaced: a folder.
    Spit(dir.File("in.jpg"), jpeg);
    fs::create_directory(PathFromUtf8(dir.File("taken.bmp")));
    EXPECT_FALSE(ConvertJpegToBmp(dir.File("in.jpg"), dir.File("taken.bmp")));
    EXPECT_FALSE(ConvertJpegToBmp(dir.File("in.jpg"), dir.File("no folder") + "/out.bmp"));
    names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"cut.jpg", "in.jpg", "out.bmp", "taken.bmp"}));
}

TEST(ImageFiles, SurfaceIsSavedOverThePreviousFile) {
    TempFolder dir;
    const std::string path = dir.File("orvanta.bmp");
    Spit(path, Bytes{'o', 'l', 'd'});
    Bytes store(5 * 3 * 4);
    const PixelSurface surface{store.data(), 5, 3, 20};
    for (int round = 0; round < 2; ++round) { // the second save replaces a complete file
        const Bytes pic = Pattern(5, 3, round + 10);
        ASSERT_TRUE(IS40_DrawRGB(surface, pic, 5, 3, 15, 0, 0));
        ASSERT_TRUE(SaveSurfaceAsBmp(surface, path));
        Read r = ReadBmp(Slurp(path));
        ASSERT_TRUE(r.rgb);
        EXPECT_EQ(r.Pixels(), pic);
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"orvanta.bmp"});
    EXPECT_FALSE(SaveSurfaceAsBmp(PixelSurface{}, path));
}

} // namespace
