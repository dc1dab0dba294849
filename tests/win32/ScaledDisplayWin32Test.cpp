// On a display scaled to 150 % (144 DPI) or 200 % (192 DPI) the wallpaper is still
// composed in the screen's physical pixels, and the panel is drawn at the display's
// scale: its fonts, geometry and pictures. scripts/test runs these once more with the
// Wine prefix set to 144 and to 192 DPI (ORVANTA_EXPECT_DPI says which); in the
// ordinary run they check 96. Each run keeps the wallpaper and the pop-up's picture it
// composed in $ORVANTA_RENDER_DIR (wine-dpi-<DPI>-desktop.png, -popup.png).
//
// Wine difference: Wine starts every process per-monitor aware and never scales the
// system metrics, so it cannot show the blur an unaware program suffers on Windows;
// the manifest that prevents it there is checked by the driver tests.
#include <gtest/gtest.h>
#include <windows.h>
#undef LoadBitmap // <windows.h> names LoadBitmapW so; CMaskedBitmap's is meant

#include <cstdlib>
#include <string>

#include "ScopedWin.h"
#include "SampleStore.h"
#include "Win32System.h"
#include "unit/TempFolder.h"
#include "app/OrvantaDoc.h"
#include "outlook/store/StorePort.h"
#include "outlook/store/SubstituteOutlook.h"
#include "render/Composer.h"
#include "render/DataPanel.h"
#include "render/HeaderRegion.h"
#include "render/ImageLayer.h"
#include "render/MaskedBitmap.h"
#include "render/PngWriter.h"
#include "render/SurfaceOps.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "unit/FakePorts.h"
#include "util/LocaleValues.h"

namespace {

int ExpectedDpi() {
    const char* expected = std::getenv("ORVANTA_EXPECT_DPI");
    return expected ? std::atoi(expected) : 96;
}

TEST(ScaledDisplay, TheWallpaperIsComposedInPhysicalPixels) {
    const int wantDpi = ExpectedDpi();
    BorrowedDc screen(nullptr);
    ASSERT_TRUE(screen);
    EXPECT_EQ(GetDeviceCaps(screen.Get(), LOGPIXELSX), wantDpi);
    LOGFONTW title{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof title, &title, 0));
    // The system's fonts follow the scale.
    EXPECT_EQ(title.lfHeight, wantDpi == 192 ? -22 : wantDpi == 144 ? -17 : -11);

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

// How many pixels of the block at (x, y) of out equal the picture's (its top-left part).
int Matching(const PixelSurface& out, int x, int y, const CMaskedBitmap& picture, int w, int h) {
    int same = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) same += SurfaceOps::At(out, x + i, y + j) == SurfaceOps::At(picture.Pixels(), i, j);
    return same;
}

// The sample week composed by the program's own parts over the real system: the
// monitor's DPI (GetDpiForMonitor, or the system's) sets the panel's scale; the text
// of the real fonts and the pictures from the program's resources and the icon
// libraries come at that scale, and the regions with them.
TEST(ScaledDisplay, ThePanelIsDrawnAtTheDisplaysScale) {
    const int dpi = ExpectedDpi();
    const int scale = dpi * 100 / 96;
    auto px = [&](int v) { return (v * scale + 50) / 100; };
    CWin32SystemPort system;
    const std::vector<MonitorInfo> monitors = system.GetMonitors();
    ASSERT_FALSE(monitors.empty());
    EXPECT_EQ(monitors[0].dpi, dpi);

    FakeUiPort ui;
    CMemoryRegistry registry;
    StorePort store;
    ScopedPort<IDialogPort> withDialogs(ui);
    ScopedPort<IRegistryPort> withRegistry(registry);
    ScopedPort<IAutomationPort> withStore(store);
    std::string error;
    store.store = CSubstituteOutlook::Load(kSampleStoreJson, COleDateTime(2026, 12, 7, 0, 0, 0).m_dt, error);
    ASSERT_TRUE(store.store) << error;
    CSettings s("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    s.Open();
    s.m_centralView = false;
    s.m_transparency = 0; // the panel's own pixels on the wallpaper
    s.m_sideBarCalPosX = 0;
    s.m_sideBarCalPosY = 0;
    s.m_timeStyle = 1;
    s.ApplyStyle(0);
    COrvantaDoc doc(s);
    doc.m_clock = [] { return COleDateTime(2026, 12, 7, 10, 30, 0); };
    ASSERT_TRUE(doc.Engine().EnsureConnected());
    ASSERT_TRUE(doc.RefreshData());
    const CLocaleValues locale = LocaleValues("en-US");
    CComposer& composer = doc.Composer();
    TempFolder dir;
    composer.SetOutputPath(dir.File("orvanta.bmp"));
    composer.SetPanelPainter([&](CMemWallPaper& data, CRegionList& regions) {
        PanelData panel;
        panel.now = doc.m_clock();
        panel.days = std::span<const CAppointments>(&doc.Day(0), static_cast<size_t>(s.m_outlook.m_calDays));
        panel.tasks = &doc.Tasks();
        panel.folders = &doc.Folders();
        panel.locale = &locale;
        CDataPanel::Draw(data, regions, panel);
    });
    ASSERT_TRUE(composer.Compose(doc.Folders().GetCount()));
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
    const PanelLayout& L = composer.Layout();
    ASSERT_EQ(L.scale, scale);

    // Fonts: asked for at the scale, and GDI's text of them as much taller.
    EXPECT_EQ(L.fonts.listText.height, px(11));
    EXPECT_EQ(L.fonts.date.height, px(16));
    auto canvas = Port<ICanvasFactory>().CreateSurface(8, 8);
    ASSERT_TRUE(canvas);
    canvas->SetFont(StyleFonts{}.task);
    const int textAt100 = canvas->MeasureText("all-day event").height;
    canvas->SetFont(L.fonts.task);
    const int textAtScale = canvas->MeasureText("all-day event").height;
    EXPECT_NEAR(textAtScale, textAt100 * scale / 100, 2 + textAt100 * scale / 1000);

    // The wallpaper: the screen's pixels, the side bar's header picture drawn at the
    // scale where the Outlook button's region is, as large as the scale makes it.
    auto source = IS40_OpenFileSource(composer.OutputPath());
    int w = 0, h = 0;
    RgbBuffer rgb = source ? IS40_ReadBMP(source.get(), w, h) : nullptr;
    ASSERT_TRUE(rgb);
    IS40_CloseSource(std::move(source));
    ASSERT_EQ(w, 1024);
    std::vector<std::uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    const PixelSurface out{pixels.data(), w, h, w * 4};
    ASSERT_TRUE(IS40_DrawRGB(out, {rgb.get(), static_cast<size_t>(w) * h * 3}, w, h, w * 3, 0, 0));
    const CHeaderRegion* outlook = nullptr;
    for (size_t i = 0; i < composer.Regions().GetCount(); ++i)
        if (auto* r = dynamic_cast<const CHeaderRegion*>(&composer.Regions().GetAt(i));
            r && r->GetKind() == CHeaderRegion::Outlook)
            outlook = r;
    ASSERT_NE(outlook, nullptr);
    const Rect button = outlook->Bounds();
    EXPECT_EQ(button.Width(), px(120));
    EXPECT_EQ(button.Height(), px(32));
    EXPECT_EQ(button.left + L.sideBarWidth, 1024 - s.m_rightMarginBlank); // the column's right edge
    const CMaskedBitmap header = CMaskedBitmap::LoadBitmap(L.headerBitmap, scale);
    ASSERT_EQ(header.Height(), px(64));
    EXPECT_GE(Matching(out, button.left, button.top, header, button.Width(), button.Height()),
              button.Width() * button.Height() * 95 / 100);

    // The pop-up's picture: the central panel at the scale as far as it fits the screen
    // (1024 x 768 here: 125 % at 144 and 192 DPI), its header the picture drawn at that
    // scale, drawn as a pop-up that opens has it drawn.
    composer.ComposePopup();
    CMemDC* popup = composer.PopupSurface();
    ASSERT_NE(popup, nullptr);
    const int popupScale = composer.PopupScale();
    EXPECT_EQ(popupScale, scale == 100 ? 100 : 125);
    const auto ppx = [&](int v) { return CPanelScale::Length(v, popupScale); };
    EXPECT_EQ(popup->Width(), ppx(700));
    EXPECT_EQ(popup->Height(), ppx(526));
    const CMaskedBitmap popupHeader = CMaskedBitmap::LoadBitmap(L.headerBitmap, popupScale);
    EXPECT_GE(Matching(popup->Pixels(), 0, 0, popupHeader, ppx(120), ppx(32)), ppx(120) * ppx(32) * 95 / 100);

    const char* folder = std::getenv("ORVANTA_RENDER_DIR");
    if (!folder || !*folder) return;
    const std::string base = std::string(folder) + "\\wine-dpi-" + std::to_string(dpi);
    EXPECT_TRUE(WritePng(out, base + "-desktop.png"));
    EXPECT_TRUE(WritePng(popup->Pixels(), base + "-popup.png"));
}

} // namespace
