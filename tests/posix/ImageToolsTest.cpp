// The image layer against ImageMagick as an independent implementation: BMP files
// written here read back by ImageMagick; BMP, JPEG and PNG files made by ImageMagick,
// and BMP files of every kind made by the test suite's generator, read here as
// ImageMagick itself decodes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "PosixTestUtil.h"
#include "fixtures/BmpSuite.h"
#include "render/ImageLayer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Standard output of a shell command; ok is false when it failed.
Bytes Run(const std::string& command, bool& ok) {
    Bytes out;
    FILE* pipe = ::popen(command.c_str(), "r");
    ok = pipe != nullptr;
    if (!pipe) return out;
    char buf[65536];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.insert(out.end(), buf, buf + n);
    ok = ::pclose(pipe) == 0;
    return out;
}

void Make(const std::string& command) {
    ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << command << " (is ImageMagick installed?)";
}

// The picture as ImageMagick decodes it: packed 8-bit RGB.
Bytes MagickRgb(const std::string& file) {
    bool ok = false;
    Bytes rgb = Run("convert '" + file + "' -depth 8 rgb:- 2>/dev/null", ok);
    EXPECT_TRUE(ok) << "convert could not read " << file;
    return rgb;
}

// The picture as ImageMagick decodes it, transparency mixed with the background (in
// colour: ImageMagick would mix a grey picture with a grey background).
Bytes MagickRgbOver(const std::string& file, const std::string& background) {
    bool ok = false;
    Bytes rgb = Run("convert '" + file + "' -colorspace sRGB -background '" + background +
                        "' -alpha remove -depth 8 rgb:- 2>/dev/null", ok);
    EXPECT_TRUE(ok) << "convert could not read " << file;
    return rgb;
}

struct Picture {
    RgbBuffer rgb;
    int width = 0, height = 0;
    Bytes Pixels() const { return rgb ? Bytes(rgb.get(), rgb.get() + width * height * 3) : Bytes(); }
};

Picture ReadHere(const std::string& file, bool jpeg) {
    Picture p;
    auto source = IS40_OpenFileSource(file);
    if (!source) return p;
    p.rgb = jpeg ? IS40_ReadJPG(source.get(), p.width, p.height, 24) : IS40_ReadBMP(source.get(), p.width, p.height, 24);
    return p;
}

int MaxDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size()) return 256;
    int most = 0;
    for (std::size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

void Spit(const std::string& file, const Bytes& bytes) {
    FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_TRUE(f) << file;
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
}

TEST(ImageTools, BmpWrittenHereReadsBackIdenticallyInImageMagick) {
    TempDir dir;
    std::mt19937 gen(7);
    for (auto [w, h] : {std::pair{1, 1}, {2, 2}, {3, 5}, {37, 23}, {64, 1}}) {
        Bytes rgb(static_cast<std::size_t>(w) * h * 3);
        for (auto& b : rgb) b = static_cast<std::uint8_t>(gen());
        const std::string file = dir.Path() + "/out.bmp";
        auto dest = IS40_OpenFileDest(file, false);
        ASSERT_TRUE(dest);
        ASSERT_TRUE(IS40_WriteBMP(dest.get(), rgb, w, h, 24, w * 3));
        ASSERT_TRUE(IS40_CloseDest(std::move(dest)));
        EXPECT_EQ(MagickRgb(file), rgb) << w << "x" << h;
    }
}

TEST(ImageTools, BmpVariantsMadeByImageMagickReadAsItReadsThem) {
    TempDir dir;
    const std::string d = dir.Path() + "/";
    const std::pair<const char*, const char*> made[] = {
        {"1bit.bmp", "-size 13x5 xc: +noise Random -monochrome -compress none BMP3:"},
        {"4bit.bmp", "-size 9x16 gradient:red-blue -colors 16 -compress none BMP3:"},
        {"8bit.bmp", "-size 31x17 xc: +noise Random -colors 200 -type palette -compress none BMP3:"},
        {"24bit.bmp", "-size 17x5 xc: +noise Random -type truecolor BMP3:"},
        {"24bit-core.bmp", "-size 17x5 xc: +noise Random -type truecolor BMP2:"},
        {"32bit-v5.bmp", "-size 11x7 xc: +noise Random -type truecolormatte BMP:"},
        {"8bit-rle.bmp", "-size 31x17 xc: +noise Random -colors 200 -type palette -compress RLE BMP3:"},
        {"16bit-565.bmp", "-size 13x5 xc: +noise Random -define bmp:subtype=RGB565 BMP:"},
        {"16bit-555.bmp", "-size 13x5 xc: +noise Random -define bmp:subtype=RGB555 BMP:"},
    };
    for (const auto& [name, args] : made) {
        Make(std::string("convert -seed 5 ") + args + d + name); // args end in the format prefix
        Picture p = ReadHere(d + name, false);
        ASSERT_TRUE(p.rgb) << name;
        EXPECT_EQ(p.Pixels(), MagickRgb(d + name)) << name;
    }
}

TEST(ImageTools, JpegMadeByImageMagickDecodesAsItDecodesIt) {
    TempDir dir;
    const std::string d = dir.Path() + "/";
    const std::pair<const char*, const char*> made[] = {
        {"gradient.jpg", "-size 64x48 gradient:red-blue"},
        {"noise.jpg", "-size 64x48 xc: +noise Random -quality 85"},
        {"subsampled.jpg", "-size 65x47 plasma:fractal -seed 3 -sampling-factor 2x2"},
        {"progressive.jpg", "-size 64x48 xc: +noise Random -interlace JPEG"},
        {"grey.jpg", "-size 64x48 gradient:white-black -colorspace Gray"},
        {"cmyk.jpg", "-size 64x48 gradient:red-blue -colorspace CMYK"},
    };
    for (const auto& [name, args] : made) {
        Make(std::string("convert -seed 5 ") + args + " " + d + name);
        Picture p = ReadHere(d + name, true);
        ASSERT_TRUE(p.rgb) << name;
        const Bytes theirs = MagickRgb(d + name);
        ASSERT_EQ(theirs.size(), p.Pixels().size()) << name;
        const Bytes ours = p.Pixels();
        int most = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) most = std::max(most, std::abs(ours[i] - theirs[i]));
        EXPECT_LE(most, 1) << name; // the same library underneath: equal today
    }
}

// Every kind of BMP Windows shows, written by the suite's generator (run-length codes of
// every sort, 16 and 32 bits with masks, V4 and V5 headers, top-down rows), reads as
// ImageMagick reads it; the kinds it widens its own way are checked in the unit tests.
TEST(ImageTools, EveryKindOfBmpReadsAsImageMagickReadsIt) {
    TempDir dir;
    int compared = 0;
    for (const bmp_suite::Sample& s : bmp_suite::WellFormed()) {
        if (!s.magickAgrees) continue;
        std::string file = dir.Path() + "/" + std::to_string(compared) + ".bmp"; // ImageMagick reads some names specially
        Spit(file, s.file);
        const Picture p = ReadHere(file, false);
        ASSERT_TRUE(p.rgb) << s.name;
        EXPECT_EQ(p.Pixels(), MagickRgb(file)) << s.name;
        ++compared;
    }
    EXPECT_GE(compared, 28);
}

// PNG files of each colour type and bit depth, interlaced, with an alpha channel or a
// transparent colour, as ImageMagick writes them, decode as ImageMagick decodes them:
// within 1 a channel where transparency is mixed with the background (it mixes at 16
// bits), equal otherwise.
TEST(ImageTools, PngMadeByImageMagickDecodesAsItDecodesIt) {
    TempDir dir;
    const std::string d = dir.Path() + "/";
    const std::uint32_t background = 0x336699; // red in the low byte: #996633
    const std::pair<const char*, const char*> made[] = {
        // Each command ends in the format prefix or a space: the file name follows.
        {"palette.png", "-size 37x9 xc: +noise Random -colors 50 PNG8:"},
        {"rgb.png", "-size 37x9 xc: +noise Random PNG24:"},
        {"rgba.png", "-size 37x9 xc: +noise Random -channel A -fx 'rand()' +channel PNG32:"},
        {"rgb16.png", "-size 37x9 gradient:red-blue -attenuate 0.3 +noise Gaussian PNG48:"},
        {"rgba16.png", "-size 37x9 gradient:red-blue -alpha set -channel A -fx 'i/w' +channel PNG64:"},
        {"grey1.png", "-size 37x9 gradient:white-black -colorspace Gray -depth 1 "},
        {"grey2.png", "-size 37x9 gradient:white-black -colorspace Gray -depth 2 "},
        {"grey4.png", "-size 37x9 gradient:white-black -colorspace Gray -depth 4 "},
        {"grey8.png", "-size 37x9 xc: +noise Random -colorspace Gray -depth 8 "},
        {"grey16.png", "-size 37x9 gradient:white-black -colorspace Gray -depth 16 "},
        {"grey-alpha.png", "-size 37x9 gradient:white-black -colorspace Gray -alpha set -channel A -fx 'j/h' +channel -depth 8 "},
        {"rgb-transparent-colour.png", "-size 37x9 xc:red -fill blue -draw 'rectangle 3,2 9,5' -transparent blue -define png:color-type=2 "},
        {"palette-transparent.png", "-size 37x9 xc: +noise Random -colors 20 -fill none -draw 'color 3,3 floodfill' PNG8:"},
        {"interlaced.png", "-size 37x9 xc: +noise Random -interlace PNG PNG24:"},
        {"interlaced-rgba.png", "-size 37x9 xc: +noise Random -channel A -fx 'rand()' +channel -interlace PNG PNG32:"},
        {"interlaced-palette.png", "-size 37x9 xc: +noise Random -colors 9 -interlace PNG PNG8:"},
    };
    for (const auto& [name, args] : made) {
        Make(std::string("convert -seed 5 ") + args + d + name);
        auto source = IS40_OpenFileSource(d + name);
        ASSERT_TRUE(source) << name;
        Picture p;
        p.rgb = IS40_ReadPNG(source.get(), p.width, p.height, 24, 0, ImageLimits(), background);
        ASSERT_TRUE(p.rgb) << name;
        EXPECT_EQ(p.width, 37) << name;
        EXPECT_EQ(p.height, 9) << name;
        const Bytes theirs = MagickRgbOver(d + name, "#996633");
        EXPECT_LE(MaxDifference(p.Pixels(), theirs), 1) << name;
    }
}

TEST(ImageTools, FullDiskIsAFailedWrite) {
    // /dev/full takes the open and fails every write that reaches it.
    auto dest = IS40_OpenFileDest("/dev/full", false);
    ASSERT_TRUE(dest);
    const Bytes rgb(4 * 4 * 3, 9);
    const bool wrote = IS40_WriteBMP(dest.get(), rgb, 4, 4, 24, 12); // may still sit in the buffer
    EXPECT_FALSE(IS40_CloseDest(std::move(dest)) && wrote);

    auto big = IS40_OpenFileDest("/dev/full", false);
    ASSERT_TRUE(big);
    const Bytes large(256 * 256 * 3, 9);
    EXPECT_FALSE(IS40_WriteBMP(big.get(), large, 256, 256, 24, 768));
}

} // namespace
