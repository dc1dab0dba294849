// The surfaces' pixel work and the wallpaper composition over real files. The same
// pixels are expected on both builds (the buffer work is portable).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "FakePorts.h"
#include "PictureFiles.h"
#include "TempFolder.h"
#include "app/OrvantaDoc.h"
#include "render/AlphaBlend.h"
#include "render/Composer.h"
#include "render/ImageLayer.h"
#include "render/MaskedBitmap.h"
#include "render/MemDC.h"
#include "render/MemWallPaper.h"
#include "render/SurfaceOps.h"
#include "settings/Settings.h"

namespace {

constexpr Colorref kRed = MakeColorref(255, 0, 0);
constexpr Colorref kBlue = MakeColorref(0, 0, 255);

std::vector<std::uint8_t> Buffer(int w, int h) { return std::vector<std::uint8_t>(static_cast<size_t>(w) * h * 4); }
PixelSurface Surface(std::vector<std::uint8_t>& b, int w, int h) { return PixelSurface{b.data(), w, h, w * 4}; }

TEST(SurfaceOps, FillAndCopyClipToBothSurfaces) {
    auto a = Buffer(4, 3), b = Buffer(2, 2);
    const PixelSurface dst = Surface(a, 4, 3), src = Surface(b, 2, 2);
    SurfaceOps::Fill(dst, Rect::FromSize(-2, -2, 4, 4), kRed); // only (0,0)-(1,1) lies inside
    EXPECT_EQ(SurfaceOps::At(dst, 1, 1), kRed);
    EXPECT_EQ(SurfaceOps::At(dst, 2, 0), 0u);
    EXPECT_EQ(a[0], 0); // blue byte first
    EXPECT_EQ(a[2], 255);
    SurfaceOps::Fill(src, Rect::FromSize(0, 0, 2, 2), kBlue);
    SurfaceOps::Copy(dst, 3, 2, src, 0, 0, 2, 2); // one pixel lands inside
    EXPECT_EQ(SurfaceOps::At(dst, 3, 2), kBlue);
    SurfaceOps::Copy(dst, -1, -1, src, 0, 0, 2, 2);
    EXPECT_EQ(SurfaceOps::At(dst, 0, 0), kBlue);
    EXPECT_EQ(SurfaceOps::At(dst, 1, 1), kRed);
    SurfaceOps::Copy(dst, 100, 100, src, 0, 0, 2, 2); // wholly outside: nothing
}

TEST(SurfaceOps, TransparentCopyLeavesTheKeyColourOut) {
    auto a = Buffer(3, 1), b = Buffer(3, 1);
    const PixelSurface dst = Surface(a, 3, 1), src = Surface(b, 3, 1);
    SurfaceOps::Fill(dst, Rect::FromSize(0, 0, 3, 1), kBlue);
    SurfaceOps::Fill(src, Rect::FromSize(0, 0, 3, 1), kDefaultKeyColor);
    SurfaceOps::Fill(src, Rect::FromSize(1, 0, 1, 1), kRed);
    SurfaceOps::CopyTransparent(dst, 0, 0, src, kDefaultKeyColor);
    EXPECT_EQ(SurfaceOps::At(dst, 0, 0), kBlue);
    EXPECT_EQ(SurfaceOps::At(dst, 1, 0), kRed);
    // A key colour the picture does not hold: the picture covers the target completely.
    SurfaceOps::CopyTransparent(dst, 0, 0, src, MakeColorref(1, 2, 3));
    EXPECT_EQ(SurfaceOps::At(dst, 0, 0), kDefaultKeyColor);
}

TEST(SurfaceOps, BlendClampsAlphaAndRounds) {
    auto a = Buffer(1, 1), b = Buffer(1, 1);
    const PixelSurface dst = Surface(a, 1, 1), src = Surface(b, 1, 1);
    auto blended = [&](Colorref under, Colorref over, int alpha) {
        SurfaceOps::Fill(dst, Rect::FromSize(0, 0, 1, 1), under);
        SurfaceOps::Fill(src, Rect::FromSize(0, 0, 1, 1), over);
        SurfaceOps::Blend(dst, 0, 0, src, alpha);
        return SurfaceOps::At(dst, 0, 0);
    };
    EXPECT_EQ(blended(kBlue, kRed, 255), kRed);
    EXPECT_EQ(blended(kBlue, kRed, 0), kBlue);
    EXPECT_EQ(blended(kBlue, kRed, 300), kRed); // clamped to 255
    EXPECT_EQ(blended(kBlue, kRed, -5), kBlue); // clamped to 0
    EXPECT_EQ(blended(MakeColorref(0, 0, 0), MakeColorref(255, 255, 255), 179), MakeColorref(179, 179, 179));
    EXPECT_EQ(blended(MakeColorref(100, 0, 0), MakeColorref(200, 0, 0), 128), MakeColorref(150, 0, 0));
}

TEST(SurfaceOps, KeyedBlendEqualsAKeyedCopyBlendedOn) {
    auto a = Buffer(3, 1), b = Buffer(3, 1), c = Buffer(3, 1), d = Buffer(3, 1);
    const PixelSurface under = Surface(a, 3, 1), panel = Surface(b, 3, 1), merged = Surface(c, 3, 1),
                       direct = Surface(d, 3, 1);
    SurfaceOps::Fill(under, Rect::FromSize(0, 0, 1, 1), MakeColorref(10, 200, 30));
    SurfaceOps::Fill(under, Rect::FromSize(1, 0, 2, 1), MakeColorref(250, 3, 90));
    SurfaceOps::Fill(panel, Rect::FromSize(0, 0, 3, 1), kDefaultKeyColor);
    SurfaceOps::Fill(panel, Rect::FromSize(1, 0, 1, 1), MakeColorref(7, 77, 177));
    for (int alpha : {0, 1, 128, 179, 254, 255}) {
        SurfaceOps::Copy(merged, 0, 0, under, 0, 0, 3, 1);
        SurfaceOps::Copy(direct, 0, 0, under, 0, 0, 3, 1);
        // The long way: the panel over a copy of what lies under it, then blended on.
        auto e = Buffer(3, 1);
        const PixelSurface copy = Surface(e, 3, 1);
        SurfaceOps::Copy(copy, 0, 0, under, 0, 0, 3, 1);
        SurfaceOps::CopyTransparent(copy, 0, 0, panel, kDefaultKeyColor);
        SurfaceOps::Blend(merged, 0, 0, copy, alpha);
        SurfaceOps::BlendKeyed(direct, 0, 0, panel, kDefaultKeyColor, alpha);
        EXPECT_EQ(c, d) << alpha;
    }
}

TEST(SurfaceOps, StretchAveragesWhenShrinkingAndInterpolatesWhenGrowing) {
    auto a = Buffer(2, 2), b = Buffer(1, 1);
    const PixelSurface big = Surface(a, 2, 2), one = Surface(b, 1, 1);
    SurfaceOps::Fill(big, Rect::FromSize(0, 0, 1, 1), MakeColorref(0, 0, 0));
    SurfaceOps::Fill(big, Rect::FromSize(1, 0, 1, 1), MakeColorref(100, 0, 0));
    SurfaceOps::Fill(big, Rect::FromSize(0, 1, 1, 1), MakeColorref(200, 0, 0));
    SurfaceOps::Fill(big, Rect::FromSize(1, 1, 1, 1), MakeColorref(100, 0, 0));
    SurfaceOps::Stretch(one, big);
    EXPECT_EQ(SurfaceOps::At(one, 0, 0), MakeColorref(100, 0, 0));
    auto c = Buffer(3, 3);
    const PixelSurface three = Surface(c, 3, 3);
    SurfaceOps::Stretch(three, one); // one pixel grows into all nine
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(SurfaceOps::At(three, x, y), MakeColorref(100, 0, 0));
    // A ramp stays a ramp: growing 2 to 4 pixels keeps the ends and orders the middle.
    auto d = Buffer(2, 1), e = Buffer(4, 1);
    SurfaceOps::Fill(Surface(d, 2, 1), Rect::FromSize(0, 0, 1, 1), MakeColorref(0, 0, 0));
    SurfaceOps::Fill(Surface(d, 2, 1), Rect::FromSize(1, 0, 1, 1), MakeColorref(200, 0, 0));
    SurfaceOps::Stretch(Surface(e, 4, 1), Surface(d, 2, 1));
    const PixelSurface ramp = Surface(e, 4, 1);
    EXPECT_EQ(SurfaceOps::At(ramp, 0, 0), 0u);
    EXPECT_EQ(SurfaceOps::At(ramp, 3, 0), MakeColorref(200, 0, 0));
    EXPECT_LT(SurfaceOps::At(ramp, 1, 0) & 0xFF, SurfaceOps::At(ramp, 2, 0) & 0xFF);
}

TEST(Surfaces, AlphaBlenderFallsBackToAnOpaqueCopy) {
    FakeEnvironment env;
    CMemDC target(PortOrNull<ICanvasFactory>(), 4, 4, kBlue), panel(PortOrNull<ICanvasFactory>(), 4, 4, kRed);
    CAlphaBlend missing(false);
    EXPECT_TRUE(missing.IsMissing());
    EXPECT_TRUE(missing.Draw(target, 0, 0, 4, 4, panel, 0, 0, 4, 4, 0)); // alpha ignored
    EXPECT_EQ(SurfaceOps::At(target.Pixels(), 2, 2), kRed);
    CMemDC other(PortOrNull<ICanvasFactory>(), 4, 4, kBlue);
    EXPECT_TRUE(CAlphaBlend().Draw(other, 0, 0, 4, 4, panel, 0, 0, 4, 4, 0));
    EXPECT_EQ(SurfaceOps::At(other.Pixels(), 2, 2), kBlue);
    EXPECT_FALSE(CAlphaBlend().Draw(other, 0, 0, 4, 4, panel, 2, 2, 4, 4, 255)); // source outside its surface
    env.canvas.refuseAbove = 2;
    EXPECT_FALSE(CMemDC(PortOrNull<ICanvasFactory>(), 4, 4, kBlue).IsValid());
    EXPECT_FALSE(CMemDC(nullptr, 4, 4, kBlue).IsValid()); // no factory at all
}

TEST(Surfaces, MaskedBitmapDrawsPlainStretchedAndKeyed) {
    FakeEnvironment env;
    const std::uint8_t rgb[] = {255, 0, 0, 0, 255, 255}; // red, key colour
    CMaskedBitmap bitmap = CMaskedBitmap::FromRgb(rgb, 2, 1);
    ASSERT_FALSE(bitmap.IsEmpty());
    EXPECT_TRUE(CMaskedBitmap::FromRgb(rgb, 3, 1).IsEmpty()); // size and bytes disagree
    CMemDC target(PortOrNull<ICanvasFactory>(), 4, 2, kBlue);
    bitmap.DrawTransparent(target, 1, 1, kDefaultKeyColor);
    EXPECT_EQ(SurfaceOps::At(target.Pixels(), 1, 1), kRed);
    EXPECT_EQ(SurfaceOps::At(target.Pixels(), 2, 1), kBlue);
    bitmap.Draw(target, 0, 0);
    EXPECT_EQ(SurfaceOps::At(target.Pixels(), 1, 0), kDefaultKeyColor);
    bitmap.DrawStretched(target, 0, 0, 4, 2);
    EXPECT_EQ(SurfaceOps::At(target.Pixels(), 0, 1), kRed);
    EXPECT_EQ(SurfaceOps::At(target.Pixels(), 3, 0), kDefaultKeyColor);
}

// Writes a 24-bit BMP of one colour, or with a left and a right half.
void WriteBmp(const std::string& path, int w, int h, Colorref left, Colorref right) {
    std::vector<std::uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Colorref c = x < w / 2 ? left : right;
            std::uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = c & 0xFF, p[1] = (c >> 8) & 0xFF, p[2] = (c >> 16) & 0xFF;
        }
    auto dest = IS40_OpenFileDest(path, false);
    ASSERT_TRUE(dest);
    ASSERT_TRUE(IS40_WriteBMP(dest.get(), rgb, w, h, 24, w * 3));
    ASSERT_TRUE(IS40_CloseDest(std::move(dest)));
}

// The whole of a file, closed at once: Windows cannot replace an open file.
std::string ReadWhole(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class CompositionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Two 100 x 60 screens side by side.
        env.system.screen = ScreenMetrics{2, 0, 0, 200, 60, 100, 60, 100};
        settings.m_centralView = true; // central view: the fixed 700 x 526 panel
        settings.ApplyStyle(0);
        settings.m_convertedPath = dir.File("wallpaper.bmp");
    }
    // The output picture as read back: colour at (x, y).
    Colorref Out(int x, int y) {
        if (!output.pixels) {
            auto src = IS40_OpenFileSource(outPath);
            EXPECT_TRUE(src);
            if (!src) return 0xFFFFFFFF;
            output.pixels = IS40_ReadBMP(src.get(), output.width, output.height);
        }
        const std::uint8_t* p = &output.pixels[(static_cast<size_t>(y) * output.width + x) * 3];
        return MakeColorref(p[0], p[1], p[2]);
    }
    bool Compose() {
        output = RgbImage{};
        CComposer composer(settings, outPath);
        composer.SetPanelPainter(painter);
        return composer.Compose();
    }

    FakeEnvironment env;
    CSettings settings{"Software\\Kestrova\\Orvanta for Outlook\\3.5"};
    TempFolder dir;
    std::string outPath = dir.File("orvanta.bmp");
    CComposer::PanelPainter painter;
    RgbImage output;
};

TEST_F(CompositionTest, WithoutAPictureTheDesktopColourShowsAndOwnOutputIsNeverABackground) {
    const Colorref desktop = env.system.desktopColor;
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(0, 0), desktop);
    EXPECT_EQ(Out(100, 30), desktop); // the empty panel shows what lies behind it
    EXPECT_EQ(output.width, 200);
    EXPECT_EQ(output.height, 60);
    settings.m_wallpaper = outPath; // the program's own output as the user's picture
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(5, 5), desktop);
    EXPECT_TRUE(env.ui.boxes.empty());
}

TEST_F(CompositionTest, CentredPictureBiggerInOneDimensionIsCroppedThereAndCentredInTheOther) {
    const std::string pic = dir.File("tall.bmp");
    WriteBmp(pic, 50, 80, kRed, kBlue); // narrower than the 100 x 60 screen, taller
    settings.m_wallpaper = pic;
    settings.m_wpStyle = "0";
    settings.m_transparency = 100; // the panel lets everything through
    ASSERT_TRUE(Compose());
    const Colorref desktop = env.system.desktopColor;
    EXPECT_EQ(Out(24, 0), desktop);  // centred horizontally: x 25..74
    EXPECT_EQ(Out(25, 0), kRed);
    EXPECT_EQ(Out(74, 59), kBlue);
    EXPECT_EQ(Out(75, 30), desktop);
    EXPECT_EQ(Out(125, 10), kRed); // the same picture on the second screen
    EXPECT_TRUE(env.ui.boxes.empty());
}

TEST_F(CompositionTest, TilingAndStretchingCoverTheScreensAndStyleThreePaintsNothing) {
    const std::string pic = dir.File("wide.bmp");
    WriteBmp(pic, 200, 10, kRed, kBlue); // as wide as the virtual screen
    settings.m_wallpaper = pic;
    settings.m_transparency = 100;
    settings.m_wpStyle = "1";
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(0, 0), kRed);
    EXPECT_EQ(Out(199, 59), kBlue); // the sixth row of tiles
    settings.m_wpStyle = "2";
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(10, 59), kRed);   // stretched to 100 x 60 ...
    EXPECT_EQ(Out(90, 0), kBlue);
    EXPECT_EQ(Out(110, 30), kRed);  // ... and again on the second screen
    settings.m_wpStyle = "3";
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(10, 10), env.system.desktopColor);
    EXPECT_TRUE(env.ui.boxes.empty());
}

// With a smaller monitor left of the primary (a negative origin) the picture still
// covers both: centred, it sits in the middle of each monitor; stretched, it fills
// the primary from the primary's corner and starts again at the other's corner.
TEST_F(CompositionTest, APictureGoesOntoEachMonitorWhereverThePrimaryLies) {
    env.system.monitors = {MonitorInfo{{-60, 10, 0, 50}, {-60, 10, 0, 50}, false},
                           MonitorInfo{{0, 0, 100, 60}, {0, 0, 100, 60}, true}};
    env.system.screen = ScreenMetrics{2, -60, 0, 160, 60, 100, 60, 100};
    const std::string pic = dir.File("small.bmp");
    WriteBmp(pic, 40, 20, kRed, kBlue);
    settings.m_wallpaper = pic;
    settings.m_transparency = 100;
    settings.m_wpStyle = "0";
    ASSERT_TRUE(Compose());
    const Colorref desktop = env.system.desktopColor;
    // The primary lies at x 60..160 of the picture: the copy at 90..130, rows 20..39.
    EXPECT_EQ(Out(89, 20), desktop);
    EXPECT_EQ(Out(90, 20), kRed);
    EXPECT_EQ(Out(129, 39), kBlue);
    EXPECT_EQ(Out(130, 39), desktop);
    // The left monitor (0..60, rows 10..49): its own copy at 10..50, rows 20..39.
    EXPECT_EQ(Out(9, 20), desktop);
    EXPECT_EQ(Out(10, 20), kRed);
    EXPECT_EQ(Out(49, 39), kBlue);
    EXPECT_EQ(Out(50, 20), desktop);
    settings.m_wpStyle = "2";
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(60, 0), kRed); // the primary's copy whole, from its corner
    EXPECT_EQ(Out(159, 59), kBlue);
    EXPECT_EQ(Out(0, 10), kRed); // the left monitor's, from its corner
    EXPECT_EQ(Out(0, 9), desktop);
    EXPECT_TRUE(env.ui.boxes.empty());
}

TEST_F(CompositionTest, TransparencyDecidesHowMuchOfThePanelShows) {
    // Centred, the 700 x 526 panel starts at ((200-700)/2, (60-526)/2) = (-250, -233):
    // its (330, 253) lands at (80, 20). At the user's position its (0, 0) lands there.
    painter = [](CMemWallPaper& data, CRegionList&) {
        data.FillRect(330, 253, 10, 10, MakeColorref(255, 0, 0));
        data.FillRect(0, 0, 10, 10, MakeColorref(255, 0, 0));
    };
    const Colorref desktop = env.system.desktopColor;
    settings.m_transparency = 0;
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(80, 20), kRed);
    EXPECT_EQ(Out(95, 25), desktop); // the key colour of the panel shows the background
    settings.m_transparency = 100;
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(80, 20), desktop);
    settings.m_transparency = 30; // alpha 179
    ASSERT_TRUE(Compose());
    const Colorref mixed = Out(80, 20);
    EXPECT_EQ(mixed & 0xFF, (255u * 179 + (desktop & 0xFF) * 76 + 127) / 255);
    settings.m_offsetType = true; // the user's own position
    settings.m_calendarPosX = 3;
    settings.m_calendarPosY = 4;
    settings.m_transparency = 0;
    ASSERT_TRUE(Compose());
    EXPECT_EQ(Out(3, 4), kRed);
    EXPECT_EQ(Out(80, 20), desktop);
}

TEST_F(CompositionTest, FailuresLoseNothing) {
    ASSERT_TRUE(Compose());
    const std::string previous = ReadWhole(outPath);
    ASSERT_FALSE(previous.empty());

    settings.m_wallpaper = dir.File("missing.jpg"); // cannot be opened: nothing written
    EXPECT_FALSE(Compose());
    settings.m_wallpaper = dir.File("broken.jpg"); // opens, is no picture: one message, desktop colour
    std::ofstream(settings.m_wallpaper) << "not a picture";
    EXPECT_TRUE(Compose());
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_NE(env.ui.boxes[0].text.find("broken.jpg"), std::string::npos);
    settings.m_wallpaper = dir.File("folder.bmp"); // opens, is no file: said so, desktop colour
    std::filesystem::create_directory(PathFromUtf8(settings.m_wallpaper));
    EXPECT_TRUE(Compose());
    ASSERT_EQ(env.ui.boxes.size(), 2u);
    EXPECT_NE(env.ui.boxes[1].text.find("folder.bmp\" is not a regular file"), std::string::npos)
        << env.ui.boxes[1].text;

    CSettings s = settings; // an output that cannot be written leaves the old one
    s.m_wallpaper.clear();
    CComposer unwritable(s, dir.File("no-such-folder/orvanta.bmp"));
    EXPECT_FALSE(unwritable.Compose());
    EXPECT_EQ(ReadWhole(outPath), previous);
}

// A picture that opens but cannot be used is said once for a version of the file (its
// path, size and time), however often and for whatever reason the wallpaper is
// composed again; a new version or another picture is said again.
TEST_F(CompositionTest, AnUnusablePictureIsSaidOnceForEachVersionOfIt) {
    const std::string damaged = dir.File("damaged.bmp"), other = dir.File("other.jpg");
    std::ofstream(damaged, std::ios::binary) << "BM and then nothing of a picture";
    std::ofstream(other, std::ios::binary) << "no picture either";
    settings.m_wallpaper = damaged;
    settings.m_wpStyle = "0";
    CComposer composer(settings, outPath);
    struct Step {
        const char* what;
        std::function<void()> change;
        size_t boxes;
    } steps[] = {
        {"the first composition", [] {}, 1},
        {"the data changed", [&] { composer.SetPanelPainter([](CMemWallPaper& d, CRegionList&) { d.FillRect(0, 0, 4, 4, kRed); }); }, 1},
        {"another style of the panel", [&] { settings.ApplyStyle(1); }, 1},
        {"the picture tiled", [&] { settings.m_wpStyle = "1"; }, 1},
        {"the picture stretched", [&] { settings.m_wpStyle = "2"; }, 1},
        {"other screens", [&] { env.system.screen = ScreenMetrics{1, 0, 0, 120, 80, 120, 80, 120}; }, 1},
        {"midnight: the same again", [] {}, 1},
        {"a new version of the file", [&] {
             std::ofstream(damaged, std::ios::binary | std::ios::app) << " still nothing";
             std::filesystem::last_write_time(PathFromUtf8(damaged),
                                              std::filesystem::last_write_time(PathFromUtf8(damaged)) + std::chrono::seconds(2));
         }, 2},
        {"that version again", [] {}, 2},
        {"another picture", [&] { settings.m_wallpaper = other; }, 3},
    };
    for (const Step& step : steps) {
        step.change();
        EXPECT_TRUE(composer.Compose()) << step.what; // drawn over the desktop colour
        EXPECT_EQ(env.ui.boxes.size(), step.boxes) << step.what;
    }
    EXPECT_NE(env.ui.boxes[0].text.find("damaged.bmp\""), std::string::npos) << env.ui.boxes[0].text;
    EXPECT_NE(env.ui.boxes[2].text.find("other.jpg\""), std::string::npos) << env.ui.boxes[2].text;
}

// A PNG is read by what it holds, whatever its name, its transparency mixed with the
// desktop colour (under Wine this is the Windows program's own reader).
TEST_F(CompositionTest, APngBackgroundShowsWithItsTransparencyOverTheDesktopColour) {
    using namespace picture_files;
    const std::uint32_t desktop = env.system.desktopColor;
    for (const char* name : {"beach.png", "named like a photo.jpg"}) {
        for (bool interlaced : {false, true}) {
            const PngPicture png =
                EncodePng(100, 60, {.colour = PNG_COLOR_TYPE_RGB_ALPHA, .interlaced = interlaced}, desktop, 3);
            settings.m_wallpaper = dir.File(name);
            Spit(settings.m_wallpaper, png.file);
            settings.m_wpStyle = "0";
            settings.m_transparency = 100; // the panel lets everything through
            ASSERT_TRUE(Compose()) << name;
            for (int y = 0; y < 60; y += 7)
                for (int x = 0; x < 100; x += 3) {
                    const std::uint8_t* want = &png.rgb[(static_cast<std::size_t>(y) * 100 + x) * 3];
                    ASSERT_EQ(Out(x, y), MakeColorref(want[0], want[1], want[2])) << name << " at " << x << "," << y;
                    ASSERT_EQ(Out(x + 100, y), MakeColorref(want[0], want[1], want[2])) << name << ", second screen";
                }
        }
    }
    EXPECT_TRUE(env.ui.boxes.empty());
}

// A wallpaper the desktop can show but this program cannot read (a drawing, a slide
// show, another picture format) is named in one message for each version of it; the
// data are drawn over the desktop colour and the user's setting stays as it was.
TEST_F(CompositionTest, APictureKindItCannotReadIsSaidOnceAndTheSettingStays) {
    struct Case {
        const char* file;
        std::string content;
        const char* said;
    } cases[] = {
        {"drawing.svg", "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\"/>", "is an SVG drawing"},
        {"adwaita-timed.xml", "<background>\n  <starttime><year>2011</year></starttime>\n</background>", "is a slide show"},
        {"anim.gif", "GIF89a\x01\x00\x01\x00", "is a GIF picture"},
        {"photo.webp", std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), "is a WebP picture"},
        {"notes.png", "just some text", "is no picture this program can read"},
    };
    std::size_t boxes = 0;
    CComposer composer(settings, outPath);
    for (const Case& c : cases) {
        const std::string path = dir.File(c.file);
        std::ofstream(PathFromUtf8(path), std::ios::binary) << c.content;
        settings.m_wallpaper = path;
        for (int refresh = 0; refresh < 3; ++refresh) {
            output = RgbImage{};
            ASSERT_TRUE(composer.Compose()) << c.file;
            EXPECT_EQ(Out(5, 5), env.system.desktopColor) << c.file;
            EXPECT_EQ(settings.m_wallpaper, path);
        }
        ASSERT_EQ(env.ui.boxes.size(), ++boxes) << c.file;
        const std::string& text = env.ui.boxes.back().text;
        EXPECT_NE(text.find(std::string(c.file) + "\" " + c.said), std::string::npos) << text;
        EXPECT_NE(text.find("BMP, JPEG and PNG"), std::string::npos) << text;
        EXPECT_NE(text.find("the desktop colour is shown instead"), std::string::npos) << text;
    }
}

// Screens larger than one surface can hold: said once, with their size and the limit;
// the previous wallpaper stays, and the next composition that fits writes again.
TEST_F(CompositionTest, ScreensTooLargeForOneSurfaceAreSaidOnceAndThePreviousPictureStays) {
    CComposer composer(settings, outPath);
    ASSERT_TRUE(composer.Compose());
    const std::string previous = ReadWhole(outPath);
    const ScreenMetrics small = env.system.screen;
    const ScreenMetrics twoWide8K{2, 0, 0, 16384, 4320, 8192, 4320, 8192};
    env.system.screen = twoWide8K;
    for (int refresh = 0; refresh < 3; ++refresh) {
        EXPECT_FALSE(composer.Compose());
        EXPECT_TRUE(composer.FailureSaid());
        EXPECT_EQ(ReadWhole(outPath), previous);
        ASSERT_EQ(env.ui.boxes.size(), 1u);
    }
    const std::string& said = env.ui.boxes[0].text;
    for (const char* part : {"16384 x 4320 pixels", "70778880", "at most 67108864 pixels", "previous one stays"})
        EXPECT_NE(said.find(part), std::string::npos) << part << "\n" << said;
    env.system.screen = small;
    EXPECT_TRUE(composer.Compose());
    EXPECT_FALSE(composer.FailureSaid());
    env.system.screen = twoWide8K; // refused again after a success: said again
    EXPECT_FALSE(composer.Compose());
    EXPECT_EQ(env.ui.boxes.size(), 2u);
}

// The converted copy of a JPEG is the finished background over the virtual screen, and
// it is made once for each version of the file, screens and style: refreshes in
// between read nothing.
TEST_F(CompositionTest, AJpegIsConvertedOnceAVersionIntoWhatTheScreensShow) {
    using namespace picture_files;
    const int w = 400, h = 240;
    const Bytes rgb = Gradient(w, h);
    const std::string jpeg = dir.File("photo.jpg");
    Spit(jpeg, EncodeJpeg(rgb, w, h));
    settings.m_wallpaper = jpeg;
    settings.m_convertedPath = dir.File("wallpaper.bmp");
    settings.m_transparency = 100;
    COrvantaDoc doc(settings);
    doc.Composer().SetOutputPath(outPath);
    auto copySize = [&] {
        auto src = IS40_OpenFileSource(settings.m_convertedPath);
        int cw = 0, ch = 0;
        if (src) IS40_ReadBMP(src.get(), cw, ch);
        return std::pair{cw, ch};
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        int conversions;
        std::pair<int, int> copy;
    } steps[] = {
        {"centred: the primary screen's middle", [&] { settings.m_wpStyle = "0"; }, 1, {200, 60}},
        {"nothing changed", [] {}, 1, {200, 60}},
        {"tiled: the virtual screen from the corner", [&] { settings.m_wpStyle = "1"; }, 2, {200, 60}},
        {"stretched: the scale that still covers the screen", [&] { settings.m_wpStyle = "2"; }, 3, {200, 60}},
        {"the same again", [] {}, 3, {200, 60}},
        {"a new version of the file", [&] {
             Spit(jpeg, EncodeJpeg(rgb, w, h, {.quality = 80}));
             std::filesystem::last_write_time(PathFromUtf8(jpeg),
                                              std::filesystem::last_write_time(PathFromUtf8(jpeg)) + std::chrono::seconds(2));
         }, 4, {200, 60}},
        {"the copy removed", [&] { std::filesystem::remove(PathFromUtf8(settings.m_convertedPath)); }, 5, {200, 60}},
        {"other screens", [&] { env.system.screen = ScreenMetrics{1, 0, 0, 200, 120, 200, 120, 200}; }, 6, {200, 120}},
    };
    for (const Step& step : steps) {
        step.change();
        doc.ConvertBackground();
        EXPECT_TRUE(settings.m_converted) << step.what;
        EXPECT_EQ(doc.Conversions(), step.conversions) << step.what;
        EXPECT_EQ(copySize(), step.copy) << step.what;
    }
    // A composition with a copy made for another style makes it again before it reads it.
    settings.m_wpStyle = "0";
    env.system.screen = ScreenMetrics{1, 0, 0, 100, 60, 100, 60, 100};
    ASSERT_TRUE(doc.Compose());
    EXPECT_EQ(doc.Conversions(), 7);
    EXPECT_EQ(copySize(), (std::pair{100, 60}));
    RgbImage whole;
    auto src = IS40_OpenFileSource(jpeg);
    whole.pixels = IS40_ReadJPG(src.get(), whole.width, whole.height);
    ASSERT_TRUE(whole.pixels);
    const std::uint8_t* middle = &whole.pixels[(static_cast<std::size_t>(90) * w + 150) * 3]; // (400-100)/2, (240-60)/2
    EXPECT_EQ(Out(0, 0), MakeColorref(middle[0], middle[1], middle[2]));
    EXPECT_TRUE(env.ui.boxes.empty());

    // A version that cannot be read is tried once and said once, however often the
    // wallpaper is composed again.
    const Bytes cut = EncodeJpeg(rgb, w, h, {.progressive = true});
    Spit(jpeg, Bytes(cut.begin(), cut.begin() + static_cast<std::ptrdiff_t>(cut.size() / 2)));
    std::filesystem::last_write_time(PathFromUtf8(jpeg),
                                     std::filesystem::last_write_time(PathFromUtf8(jpeg)) + std::chrono::seconds(4));
    for (int refresh = 0; refresh < 3; ++refresh) {
        doc.ConvertBackground();
        EXPECT_TRUE(doc.Compose());
        EXPECT_FALSE(settings.m_converted);
        EXPECT_EQ(doc.Conversions(), 8);
        ASSERT_EQ(env.ui.boxes.size(), 1u);
        EXPECT_NE(env.ui.boxes[0].text.find("photo.jpg\" could not be read"), std::string::npos);
        output = RgbImage{}; // read the new picture
        EXPECT_EQ(Out(0, 0), env.system.desktopColor);
    }
}

// A composition for new data reads the prepared background, not the picture, in this
// process and in the next one; a new version of the picture (the same file written
// again), another desktop colour or style, or a damaged copy makes it again. The
// wallpaper is the same as one composed straight from the picture every time.
TEST_F(CompositionTest, NewDataReadNoPictureAndANewVersionOfThePictureIsReadAgain) {
    using namespace picture_files;
    const std::string jpeg = dir.File("photo.jpg");
    const Bytes photo = EncodeJpeg(Gradient(300, 200), 300, 200);
    Spit(jpeg, photo);
    settings.m_wallpaper = jpeg;
    settings.m_wpStyle = "2";
    settings.m_transparency = 0;
    int lines = 1; // the panel's (330, 253) lands at (80, 20)
    painter = [&](CMemWallPaper& data, CRegionList&) { data.FillRect(330, 253, 40, 5 * lines, kRed); };
    auto composer = [&] {
        auto c = std::make_unique<CComposer>(settings, outPath);
        c->SetPanelPainter(painter);
        return c;
    };
    const auto running = composer();
    const std::filesystem::path copy = PathFromUtf8(settings.m_convertedPath);
    struct Step {
        const char* what;
        std::function<void()> change;
        int reads;
    } steps[] = {
        {"the first composition", [] {}, 1},
        {"new data", [&] { ++lines; }, 1},
        {"new data again", [&] { ++lines; }, 1},
        {"the same picture written again", [&] {
             Spit(jpeg, photo);
             std::filesystem::last_write_time(PathFromUtf8(jpeg),
                                              std::filesystem::last_write_time(PathFromUtf8(jpeg)) + std::chrono::seconds(3));
         }, 2},
        {"another desktop colour", [&] { env.system.desktopColor = 0x102030; }, 3},
        {"centred", [&] { settings.m_wpStyle = "0"; }, 4},
        {"new data", [&] { ++lines; }, 4},
        {"a damaged copy", [&] { std::filesystem::resize_file(copy, std::filesystem::file_size(copy) / 2); }, 5},
    };
    for (const Step& step : steps) {
        step.change();
        ASSERT_TRUE(running->Compose()) << step.what;
        EXPECT_EQ(running->PictureReads(), step.reads) << step.what;
        output = RgbImage{};
        EXPECT_EQ(Out(80, 20 + 5 * lines - 1), kRed) << step.what; // the panel as drawn now
        EXPECT_NE(Out(80, 20 + 5 * lines), kRed) << step.what;
        const std::string composed = ReadWhole(outPath);
        // The next process reads the copy too.
        const auto next = composer();
        ASSERT_TRUE(next->Compose()) << step.what;
        EXPECT_EQ(next->PictureReads(), 0) << step.what;
        EXPECT_EQ(ReadWhole(outPath), composed) << step.what;
        // Without a copy the picture is read, and the wallpaper is the same.
        std::filesystem::remove(copy);
        const auto fresh = composer();
        ASSERT_TRUE(fresh->Compose()) << step.what;
        EXPECT_EQ(fresh->PictureReads(), 1) << step.what;
        EXPECT_EQ(ReadWhole(outPath), composed) << step.what;
    }
    EXPECT_TRUE(env.ui.boxes.empty());
}

// A stretched picture of every kind and size on one screen and on several: the
// wallpaper (without a panel) is the whole picture, decoded at the scale that covers
// the primary screen, resized by the image layer and copied onto each monitor, the
// primary's copy last, over the desktop colour. Each case's CRC-32 is printed so that
// runs of both builds can be compared.
TEST_F(CompositionTest, AStretchedPictureIsThePictureResizedOntoEachMonitor) {
    using namespace picture_files;
    const ScreenMetrics one{1, 0, 0, 200, 120, 200, 120, 200}, two{2, 0, 0, 200, 60, 100, 60, 100};
    const std::vector<MonitorInfo> none, overlapping = {MonitorInfo{{-60, 10, 0, 50}, {-60, 10, 0, 50}, false},
                                                        MonitorInfo{{0, 0, 100, 60}, {0, 0, 100, 60}, true}},
                                         leftOfPrimary = {MonitorInfo{{-100, 0, 0, 60}, {-100, 0, 0, 60}, false},
                                                          MonitorInfo{{0, 0, 100, 60}, {0, 0, 100, 60}, true}},
                                         below = {MonitorInfo{{0, 0, 100, 60}, {0, 0, 100, 60}, true},
                                                  MonitorInfo{{10, 60, 90, 110}, {10, 60, 90, 110}, false}};
    const ScreenMetrics overlappingScreen{2, -60, 0, 160, 60, 100, 60, 100}, leftScreen{2, -100, 0, 200, 60, 100, 60, 100},
                        belowScreen{2, 0, 0, 100, 110, 100, 60, 100};
    auto jpeg = [](int w, int h, JpegSpec spec = {}) {
        Bytes pixels = Gradient(w, h);
        if (spec.components == 1) {
            Bytes grey(static_cast<std::size_t>(w) * h);
            for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = pixels[i * 3 + 1];
            pixels = grey;
        } else if (spec.components == 4) {
            Bytes cmyk(static_cast<std::size_t>(w) * h * 4);
            for (std::size_t i = 0; i < cmyk.size() / 4; ++i)
                for (int c = 0; c < 4; ++c) cmyk[i * 4 + c] = pixels[i * 3 + c % 3] ^ static_cast<std::uint8_t>(c * 40);
            pixels = cmyk;
        }
        return EncodeJpeg(pixels, w, h, spec);
    };
    auto bmp = [](int w, int h) {
        auto dest = CImageDest::InMemory();
        IS40_WriteBMP(dest.get(), Gradient(w, h), w, h, 24, w * 3);
        return dest->Bytes();
    };
    struct Case {
        const char* name;
        Bytes file;
        ScreenMetrics screen;
        std::vector<MonitorInfo> monitors;
    } cases[] = {
        {"shrunk by less than half", jpeg(430, 250), one, none},
        {"decoded at a quarter, then shrunk", jpeg(1700, 1000), one, none},
        {"grown", jpeg(90, 50), one, none},
        {"the screen's own size", jpeg(200, 120), one, none},
        {"grey", jpeg(300, 170, {.space = JCS_GRAYSCALE, .components = 1}), one, none},
        {"CMYK", jpeg(300, 170, {.space = JCS_CMYK, .components = 4}), one, none},
        {"progressive", jpeg(430, 250, {.progressive = true}), one, none},
        {"PNG, shrunk by more than half in height", EncodePng(150, 300, {}, 0, 7).file, one, none},
        {"BMP, shrunk by more than three", bmp(640, 400), one, none},
        {"two screens, the second right of the primary", jpeg(430, 250), two, none},
        {"a monitor left of the primary", jpeg(430, 250), leftScreen, leftOfPrimary},
        {"a smaller monitor whose copy the primary's overlaps", jpeg(430, 250), overlappingScreen, overlapping},
        {"a smaller monitor below the primary", jpeg(430, 250), belowScreen, below},
    };
    settings.m_wpStyle = "2";
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.system.screen = c.screen;
        env.system.monitors = c.monitors;
        const std::string path = dir.File("picture" + std::to_string(n++));
        Spit(path, c.file);
        settings.m_wallpaper = path;
        ASSERT_TRUE(Compose());
        // What it must be, worked out from the whole picture.
        const int sw = c.screen.primaryWidth, sh = c.screen.primaryHeight;
        const int vw = c.screen.virtualWidth, vh = c.screen.virtualHeight;
        ImageLimits limits;
        limits.minWidth = sw;
        limits.minHeight = sh;
        auto source = IS40_OpenMemorySource(c.file);
        RgbImage whole;
        const std::uint8_t first = c.file[0];
        whole.pixels = first == 0xFF   ? IS40_ReadJPG(source.get(), whole.width, whole.height, 24, 0, limits)
                       : first == 'B' ? IS40_ReadBMP(source.get(), whole.width, whole.height, 24, nullptr, 0, limits)
                                      : IS40_ReadPNG(source.get(), whole.width, whole.height, 24, 0, limits,
                                                     env.system.desktopColor);
        ASSERT_TRUE(whole.pixels);
        Bytes stretched(static_cast<std::size_t>(sw) * sh * 3);
        ASSERT_TRUE(IS40_ResizeImage({whole.pixels.get(), whole.Size()}, whole.width, whole.height, whole.Stride(),
                                     stretched, sw, sh, sw * 3, 3));
        std::vector<std::pair<int, int>> at; // picture coordinates: the virtual screen starts at 0, 0
        for (const MonitorInfo& m : c.monitors)
            if (!m.primary) at.emplace_back(m.bounds.left - c.screen.virtualX, m.bounds.top - c.screen.virtualY);
        at.emplace_back(-c.screen.virtualX, -c.screen.virtualY);
        if (c.monitors.empty()) at.emplace_back(sw, 0);
        std::vector<Colorref> expected(static_cast<std::size_t>(vw) * vh, env.system.desktopColor);
        for (const auto& [x0, y0] : at)
            for (int y = 0; y < sh; ++y)
                for (int x = 0; x < sw; ++x)
                    if (x0 + x >= 0 && x0 + x < vw && y0 + y >= 0 && y0 + y < vh) {
                        const std::uint8_t* p = &stretched[(static_cast<std::size_t>(y) * sw + x) * 3];
                        expected[static_cast<std::size_t>(y0 + y) * vw + x0 + x] = MakeColorref(p[0], p[1], p[2]);
                    }
        int wrong = 0;
        for (int y = 0; y < vh; ++y)
            for (int x = 0; x < vw; ++x) wrong += Out(x, y) != expected[static_cast<std::size_t>(y) * vw + x];
        EXPECT_EQ(wrong, 0);
        ASSERT_EQ(output.width, vw);
        ASSERT_EQ(output.height, vh);
        std::printf("[ DIGEST   ] %s: %08lx\n", c.name,
                    crc32(crc32(0L, Z_NULL, 0), output.pixels.get(), static_cast<uInt>(vw * vh * 3)));
    }
    EXPECT_TRUE(env.ui.boxes.empty());
}

TEST_F(CompositionTest, PopupIsTheCentralPanelWhateverTheDesktopShows) {
    std::vector<std::pair<int, int>> sizes;
    painter = [&](CMemWallPaper& data, CRegionList&) {
        sizes.emplace_back(data.Width(), data.Height());
        EXPECT_TRUE(data.Layout().central);
        EXPECT_TRUE(data.Layout().interactive);
        EXPECT_TRUE(data.Layout().singleClick); // one click opens in the pop-up
        EXPECT_EQ(data.Layout().colors, CStyleSet::For(1).colors);
    };
    settings.m_centralView = false;
    settings.ApplyStyle(1);
    settings.m_useInteractiveDesktop = false;
    CComposer composer(settings, outPath);
    settings.m_desktopMouseMode = 0;
    composer.SetPanelPainter([&](CMemWallPaper& d, CRegionList& r) {
        if (d.Width() == 700) painter(d, r);
    });
    ASSERT_TRUE(composer.Compose());
    ASSERT_NE(composer.PopupSurface(), nullptr);
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{700, 526}}));
    EXPECT_FALSE(settings.m_centralView); // the user's own record is untouched
}

} // namespace

namespace {

// The text operations over a canvas whose characters are all 6 pixels wide.
TEST(MemWallPaper, WrappedAndFittedLines) {
    FakeEnvironment env;
    CSettings s("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    const PanelLayout layout;
    CMemWallPaper paper(PortOrNull<ICanvasFactory>(), 200, 100, s, layout, kDefaultKeyColor);
    ASSERT_TRUE(paper.IsValid());
    EXPECT_EQ(paper.DrawLineWrapped("Team stand-up meeting", 1, 2, 60), "stand-up meeting"); // 10 fit
    EXPECT_EQ(paper.DrawLineWrapped("Supercalifragilistic", 1, 14, 30), "califragilistic"); // one word: cut
    EXPECT_EQ(paper.DrawLineWrapped("Fits", 1, 26, 60), "");
    EXPECT_EQ(paper.DrawLineWrapped("", 1, 38, 60), "");
    EXPECT_EQ(paper.DrawLineFitted("abcde", 1, 50, 30), ""); // exactly fits: no dots
    EXPECT_EQ(paper.DrawLineFitted("abcdefghij", 1, 62, 30), "cdefghij");
    EXPECT_EQ(env.canvas.texts, (std::vector<std::string>{"1,2 Team", "1,14 Super", "1,26 Fits", "1,50 abcde",
                                                          "1,62 ab..."}));
}

// The pictures the blocks draw come from the artwork of this build.
TEST(MemWallPaper, LoadsTheIconsAndStatePicturesOfTheBuild) {
    FakeEnvironment env;
    CSettings s("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    for (int style : {0, 2}) {
        s.ApplyStyle(style);
        const PanelLayout layout = PanelLayout::ForPopup(s);
        CMemWallPaper paper(PortOrNull<ICanvasFactory>(), 10, 10, s, layout, kDefaultKeyColor);
        ASSERT_TRUE(paper.LoadIcons(layout.iconLibrary)) << layout.iconLibrary;
        ASSERT_TRUE(paper.LoadTaskBitmaps());
        ASSERT_TRUE(paper.LoadHeaderBitmap(layout.headerBitmap));
        EXPECT_EQ(paper.DayNumber(1).Width(), 32);
        EXPECT_EQ(paper.DayNumber(31).Height(), 32);
        EXPECT_EQ(paper.Today().Width(), 32);
        EXPECT_EQ(paper.Header().Width(), 700);
        // Day pictures are keyed on black and differ from each other.
        EXPECT_EQ(SurfaceOps::At(paper.DayNumber(5).Pixels(), 0, 0), 0u);
        const PixelSurface a = paper.DayNumber(7).Pixels(), b = paper.DayNumber(8).Pixels();
        EXPECT_NE(std::vector<std::uint8_t>(a.pixels, a.pixels + 32 * 32 * 4),
                  std::vector<std::uint8_t>(b.pixels, b.pixels + 32 * 32 * 4));
        // State pictures are keyed on the data surface's key colour.
        EXPECT_EQ(SurfaceOps::At(paper.TaskState(CMemWallPaper::Attachment).Pixels(), 9, 0), kDefaultKeyColor);
    }
    const PanelLayout layout;
    CMemWallPaper paper(PortOrNull<ICanvasFactory>(), 10, 10, s, layout, kDefaultKeyColor);
    EXPECT_FALSE(paper.LoadIcons("no-such-library.icl"));
}

} // namespace
