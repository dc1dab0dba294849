// The composed wallpaper with the real canvas and the real artwork of each build,
// in the three styles and both views. Each picture is also written as a PNG into
// $ORVANTA_RENDER_DIR (the test run sets build/renders/<build>) for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "FakePorts.h"
#include "TempFolder.h"
#include "render/Composer.h"
#include "render/ImageLayer.h"
#include "render/PanelHeader.h"
#include "render/PngWriter.h"
#include "render/SurfaceOps.h"
#include "settings/Settings.h"

namespace {

class WallpaperRender : public ::testing::TestWithParam<std::tuple<int, bool>> {
protected:
    void SetUp() override {
        system.screen = ScreenMetrics{1, 0, 0, kWidth, kHeight, kWidth, kHeight, kWidth};
    }
    static constexpr int kWidth = 1280, kHeight = 720;
    FakeSystemPort system;
    CMemoryRegistry registry;
    FakeUiPort ui;
    ScopedPort<ISystemPort> withScreen{system};
    ScopedPort<IRegistryPort> withRegistry{registry};
    ScopedPort<IDialogPort> withDialogs{ui};
    TempFolder dir;
};

TEST_P(WallpaperRender, PanelHeaderOverTheDesktop) {
    const auto [style, central] = GetParam();
    CSettings s("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    s.m_sideBarWidth = 300;
    s.m_centralView = central;
    s.ApplyStyle(style);
    CComposer composer(s, dir.File("orvanta.bmp"));
    composer.SetPanelPainter([](CMemWallPaper& data, CRegionList& regions) {
        CPanelHeader::Draw(data, regions, "Monday, 7 December 2026");
    });
    ASSERT_TRUE(composer.Compose()) << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;

    auto source = IS40_OpenFileSource(composer.OutputPath());
    int w = 0, h = 0;
    RgbBuffer rgb = source ? IS40_ReadBMP(source.get(), w, h) : nullptr;
    ASSERT_TRUE(rgb);
    ASSERT_EQ(w, kWidth);
    ASSERT_EQ(h, kHeight);
    std::vector<std::uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    const PixelSurface out{pixels.data(), w, h, w * 4};
    ASSERT_TRUE(IS40_DrawRGB(out, {rgb.get(), static_cast<size_t>(w) * h * 3}, w, h, w * 3, 0, 0));
    if (const char* folder = std::getenv("ORVANTA_RENDER_DIR"); folder && *folder) {
        const std::string name = std::string(folder) + "/wallpaper-" + std::to_string(style) +
                                 (central ? "-central" : "-sidebar") + ".png";
        EXPECT_TRUE(WritePng(out, name)) << name;
    }

    // The header picture lies over the desktop where the panel starts, and in the
    // central view today's date is written in white at its right end.
    const int x = composer.OriginX() + composer.Layout().geometry.header.x,
              y = composer.OriginY() + composer.Layout().geometry.header.y;
    const Colorref desktop = system.desktopColor;
    int headerPixels = 0;
    for (int dy = 0; dy < 32; ++dy)
        for (int dx = 0; dx < 300; ++dx) {
            const Colorref c = SurfaceOps::At(out, x + dx, y + dy);
            headerPixels += c != desktop;
        }
    EXPECT_GT(headerPixels, 300 * 32 * 9 / 10);
    const int alpha = 255 - s.m_transparency * 255 / 100;
    if (central) {
        // White text blended over the desktop with the panel's transparency, less a
        // margin for the antialiased edges.
        auto whiteEnough = [&](Colorref c) {
            for (int shift : {0, 8, 16}) {
                const int d = static_cast<int>((desktop >> shift) & 0xFF);
                if (static_cast<int>((c >> shift) & 0xFF) < (255 * alpha + d * (255 - alpha)) / 255 - 30) return false;
            }
            return true;
        };
        int dateWhite = 0;
        for (int dy = 8; dy < 30; ++dy)
            for (int dx = 450; dx < 692; ++dx)
                dateWhite += whiteEnough(SurfaceOps::At(out, composer.OriginX() + dx, composer.OriginY() + dy));
        EXPECT_GT(dateWhite, 100) << "the date is not legible in the header";
    } else {
        // The column's body: its colour blended over the desktop with the transparency.
        const Colorref body = SurfaceOps::At(out, x + 150, y + 200);
        const int want = ((composer.Layout().colors[ColorSlot::TaskBackground] & 0xFF) * alpha + (desktop & 0xFF) * (255 - alpha) + 127) / 255;
        EXPECT_EQ(static_cast<int>(body & 0xFF), want);
    }
}

INSTANTIATE_TEST_SUITE_P(StylesAndViews, WallpaperRender,
                         ::testing::Combine(::testing::Values(0, 1, 2), ::testing::Values(false, true)));

} // namespace
