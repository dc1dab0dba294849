// On a display scaled to 150 % (144 DPI) the wallpaper is still composed in the
// screen's physical pixels. scripts/test runs this once more with the Wine prefix set
// to 144 DPI and ORVANTA_EXPECT_DPI=144; in the ordinary run it checks 96.
//
// Wine difference: Wine starts every process per-monitor aware and never scales the
// system metrics, so it cannot show the blur an unaware program suffers on Windows;
// the manifest that prevents it there is checked by the driver tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "ScopedWin.h"
#include "unit/TempFolder.h"
#include "render/Composer.h"
#include "render/ImageLayer.h"
#include "settings/Settings.h"
#include "unit/FakePorts.h"

namespace {

TEST(ScaledDisplay, TheWallpaperIsComposedInPhysicalPixels) {
    const char* expected = std::getenv("ORVANTA_EXPECT_DPI");
    const int wantDpi = expected ? std::atoi(expected) : 96;
    BorrowedDc screen(nullptr);
    ASSERT_TRUE(screen);
    EXPECT_EQ(GetDeviceCaps(screen.Get(), LOGPIXELSX), wantDpi);
    LOGFONTW title{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof title, &title, 0));
    EXPECT_EQ(title.lfHeight, wantDpi == 144 ? -17 : -11); // the system's fonts follow the scale

    // The real system port gives the size composed for: the screen's own pixels.
    FakeUiPort ui;
    CMemoryRegistry registry;
    ScopedPort<IDialogPort> withDialogs(ui);
    ScopedPort<IRegistryPort> withRegistry(registry);
    CSettings s("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    s.m_centralView = true;
    s.ApplyStyle(0);
    TempFolder dir;
    CComposer composer(s, dir.File("orvanta.bmp"));
    ASSERT_TRUE(composer.Compose());
    auto source = IS40_OpenFileSource(composer.OutputPath());
    int w = 0, h = 0;
    ASSERT_TRUE(source && IS40_ReadBMP(source.get(), w, h));
    EXPECT_EQ(w, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(h, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_EQ(w, 1024); // the test desktop's pixels, not 1024 / 1.5
    EXPECT_EQ(h, 768);
}

} // namespace
