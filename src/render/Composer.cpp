#include "Composer.h"

#include <cstdlib>
#include <vector>

#include "../platform/CanvasPort.h"
#include "../platform/Platform.h"
#include "../system/FileSystem.h"
#include "../settings/Settings.h"
#include "../system/SystemInfo.h"
#include "../util/Parser.h"
#include "../util/Strings.h"
#include "AlphaBlend.h"
#include "ImageLayer.h"
#include "MaskedBitmap.h"
#include "PictureFormat.h"
#include "SurfaceOps.h"

namespace {

void Message(const std::string& text) {
    Port<IDialogPort>().ShowMessageBox(text, LoadResString(IDS_APP_TITLE), MsgBox::Ok);
}

// Paints the picture 1:1 at (x, y); a failed paint shows its message.
void Paint(CMemDC& surface, const std::uint8_t* rgb, int w, int h, int x, int y, const char* failure) {
    const std::span<const std::uint8_t> bytes(rgb, static_cast<size_t>(w) * h * 3);
    if (!IS40_DrawRGB(surface.Pixels(), bytes, w, h, w * 3, x, y)) Message(failure);
    surface.EndPixelWork();
}

bool SamePath(const std::string& a, const std::string& b) {
    return Port<ISystemPort>().CaseInsensitivePaths() ? EParser::EqualsNoCase(a, b) : a == b;
}

} // namespace

CComposer::CComposer(CSettings& settings, std::string outputPath)
    : m_settings(settings), m_outputPath(std::move(outputPath)) {}

std::string CComposer::BuildOutputPath() {
    std::string folder = EFileSystem::Join(
        EFileSystem::Join(EFileSystem::SpecialFolderPath(SpecialFolder::AppData), LoadResString(IDS_COMPANY)),
        LoadResString(IDS_PRODUCT));
    const std::string shortFolder = EFileSystem::ShortPath(folder);
    if (!shortFolder.empty()) folder = shortFolder;
    std::string path = EFileSystem::Join(folder, "orvanta.bmp");
    return Port<ISystemPort>().CaseInsensitivePaths() ? EParser::ToLower(path) : path;
}

ImageLimits CComposer::PictureLimits() const {
    const ScreenMetrics metrics = Port<ISystemPort>().GetScreenMetrics();
    const Rect screen = ESystemInfo::VirtualScreenRect();
    ImageLimits limits;
    switch (EParser::ParseInt(m_settings.m_wpStyle)) {
    case 0:
        limits.keepWidth = metrics.primaryWidth;
        limits.keepHeight = metrics.primaryHeight;
        limits.keepCentre = true;
        break;
    case 1:
        limits.keepWidth = screen.Width();
        limits.keepHeight = screen.Height();
        break;
    case 2:
        limits.minWidth = metrics.primaryWidth;
        limits.minHeight = metrics.primaryHeight;
        break;
    default: break;
    }
    return limits;
}

CComposer::PictureRead CComposer::ReadPicture(const std::string& path, RgbImage& picture) {
    picture = RgbImage{};
    const ImageLimits limits = PictureLimits();
    const CFileVersion version = CFileVersion::Of(path);
    if (m_unreadable && m_unreadable->picture == version && m_unreadable->limits == limits)
        return PictureRead::Unusable; // tried and said before
    auto source = IS40_OpenFileSource(path);
    if (!source) return PictureRead::Missing;
    int w = 0, h = 0;
    // The reader is chosen by what the file holds, not by its name.
    std::span<const std::uint8_t> bytes;
    const CPictureFormat::Kind kind =
        source->ReadAll(limits.maxFileBytes, bytes) ? CPictureFormat::Of(bytes) : CPictureFormat::Kind::Unknown;
    RgbBuffer rgb;
    switch (kind) {
    case CPictureFormat::Kind::Bmp: rgb = IS40_ReadBMP(source.get(), w, h, 24, nullptr, 0, limits); break;
    case CPictureFormat::Kind::Jpeg: rgb = IS40_ReadJPG(source.get(), w, h, 24, 0, limits); break;
    case CPictureFormat::Kind::Png:
        rgb = IS40_ReadPNG(source.get(), w, h, 24, 0, limits, Port<ISystemPort>().DesktopColor());
        break;
    default: break;
    }
    std::string refusal = source->Refusal();
    IS40_CloseSource(std::move(source));
    if (refusal.empty() && !CPictureFormat::Readable(kind)) {
        const std::string what = CPictureFormat::Describe(kind);
        refusal = (what.empty() ? "is no picture this program can read" : "is " + what + ", which this program cannot read") +
                  std::string(" (it reads BMP, JPEG and PNG pictures)");
    }
    if (!rgb) {
        // Tried again for other screens or another style (it may fit those), but said
        // only once for a version of the file.
        if (!m_unreadable || !(m_unreadable->picture == version))
            Message("The background picture \"" + path + "\" " + (refusal.empty() ? "could not be read" : refusal) +
                    "; the desktop colour is shown instead.");
        m_unreadable = Unreadable{version, limits};
        return PictureRead::Unusable;
    }
    m_unreadable.reset();
    picture.pixels = std::move(rgb);
    picture.width = w;
    picture.height = h;
    return PictureRead::Read;
}

bool CComposer::LoadPicture(RgbImage& picture) {
    picture = RgbImage{};
    std::string path = m_settings.m_converted ? m_settings.m_convertedPath : m_settings.m_wallpaper;
    // The program never composes over its own output.
    if (path.empty() || SamePath(path, m_outputPath)) return true;
    // A picture that opens but is no picture this program can use: the desktop colour shows.
    return ReadPicture(path, picture) != PictureRead::Missing;
}

bool CComposer::ConvertPicture(const std::string& jpegPath, const std::string& bmpPath) {
    RgbImage picture;
    if (ReadPicture(jpegPath, picture) != PictureRead::Read) return false;
    const std::span<const std::uint8_t> rgb(picture.pixels.get(), picture.Size());
    return WriteFileReplacing(bmpPath, [&](CImageDest& dest) {
        return IS40_WriteBMP(&dest, rgb, picture.width, picture.height, 24, picture.Stride());
    });
}

void CComposer::PaintPicture(CMemDC& background, const RgbImage& picture, int style, int sw, int sh, int primaryX,
                             int primaryY, const std::vector<Rect>& others) {
    const int w = picture.width, h = picture.height;
    if (!picture.pixels || w <= 0 || h <= 0) return;
    const int vw = background.Width(), vh = background.Height();
    const bool big = w > sw || h > sh;
    // Where the copies of a centred (cw x ch, at x0, y0 of the primary) or stretched
    // (x0 = y0 = 0) picture go: each other monitor and then the primary, which so
    // keeps its own copy whole where a copy for a smaller neighbour spills over; or,
    // when the others are not known, the primary and the place of a second screen
    // right of it.
    auto places = [&](int x0, int y0, int cw, int ch, bool centred) {
        std::vector<std::pair<int, int>> at;
        for (const Rect& m : others)
            at.emplace_back(centred ? m.left + (m.Width() - cw) / 2 : m.left, centred ? m.top + (m.Height() - ch) / 2 : m.top);
        at.emplace_back(primaryX + x0, primaryY + y0);
        if (others.empty()) at.emplace_back(primaryX + x0 + (centred ? vw - sw : sw), primaryY + y0);
        return at;
    };
    switch (style) {
    case 0: { // centred on the primary screen, and again on a screen to its right
        const int dx = std::abs(sw - w) / 2, dy = std::abs(sh - h) / 2;
        const int cw = std::min(w, sw), ch = std::min(h, sh);
        const int x0 = w <= sw ? dx : 0, y0 = h <= sh ? dy : 0;
        if (big) {
            std::vector<std::uint8_t> crop(static_cast<size_t>(cw) * ch * 3);
            const Rect r = Rect::FromSize(w > sw ? dx : 0, h > sh ? dy : 0, cw, ch);
            if (!IS40_CropImage({picture.pixels.get(), picture.Size()}, w, h, w * 3, crop, cw * 3, r, 3)) {
                Message(LoadResString(IDS_CROP_ERROR));
                return;
            }
            for (const auto& [x, y] : places(x0, y0, cw, ch, true))
                Paint(background, crop.data(), cw, ch, x, y, "ISDrawRGB Centered Error");
        } else {
            for (const auto& [x, y] : places(x0, y0, w, h, true))
                Paint(background, picture.pixels.get(), w, h, x, y, "ISDrawRGB Centered Error");
        }
        break;
    }
    case 1: // tiled over the virtual screen
        for (int i = 0; i < vw / w + 1; ++i)
            for (int j = 0; j < vh / h + 1; ++j)
                Paint(background, picture.pixels.get(), w, h, i * w, j * h, "ISDrawRGB Tiled Error");
        break;
    case 2: { // stretched to the primary screen, and again to its right
        std::vector<std::uint8_t> scaled(static_cast<size_t>(sw) * sh * 3);
        if (sw <= 0 || sh <= 0 ||
            !IS40_ResizeImage({picture.pixels.get(), picture.Size()}, w, h, w * 3, scaled, sw, sh, sw * 3, 3)) {
            Message(big ? "resize resize" : "error while resizeing");
            return;
        }
        for (const auto& [x, y] : places(0, 0, sw, sh, false))
            Paint(background, scaled.data(), sw, sh, x, y,
                  x == primaryX && y == primaryY ? "ISDrawRGB Centered Error" : "ISDrawRGB Stretched Error");
        break;
    }
    default: break; // no picture: the desktop colour stays
    }
}

bool CComposer::Compose(int folderCount) {
    CSettings& s = m_settings;
    CAlphaBlend blender;
    // The one reading of the screens for this composition: the background, the panel
    // and its origin all follow it.
    const ScreenMetrics metrics = Port<ISystemPort>().GetScreenMetrics();
    const CMonitorSet monitors = CMonitorSet::Current();
    const Rect screen = monitors.VirtualScreen();
    const int vw = screen.Width(), vh = screen.Height();
    // The panel goes on one monitor: the side bar inside its work area, the central
    // panel in its middle.
    const Rect panelMonitor = monitors.ChosenBounds(s.m_panelMonitor);
    m_layout = PanelLayout::ForDesktop(s, vw, vh, panelMonitor, monitors.ChosenWork(s.m_panelMonitor), folderCount);
    m_monitors = monitors;
    const int panelW = m_layout.geometry.panelWidth, panelH = m_layout.geometry.panelHeight;

    const int style = EParser::ParseInt(s.m_wpStyle);
    m_failureSaid = false;
    if (!MakeBackgroundPossible(vw, vh)) return false;
    RgbImage picture;
    if (!LoadPicture(picture)) return false;
    // The surfaces of this composition all come from the one canvas factory.
    ICanvasFactory* canvases = PortOrNull<ICanvasFactory>();
    CMemDC background(canvases, vw, vh, Port<ISystemPort>().DesktopColor());
    if (!background.IsValid()) {
        Message("The wallpaper for screens of " + std::to_string(vw) + " x " + std::to_string(vh) +
                " pixels could not be made: there is not enough memory for it. The previous wallpaper stays.");
        m_sizeRefused = std::pair{vw, vh};
        m_failureSaid = true;
        return false;
    }
    // The picture on each monitor the system lists (a system that lists the virtual
    // screen as one gets the second copy right of the primary, as before).
    const Rect primary = monitors.ToPicture(monitors.Primary().bounds);
    std::vector<Rect> others;
    for (const MonitorInfo& m : monitors.Monitors())
        if (!m.primary) others.push_back(monitors.ToPicture(m.bounds));
    PaintPicture(background, picture, style, metrics.primaryWidth, metrics.primaryHeight, primary.left, primary.top,
                 others);
    picture = RgbImage{};

    // The panel's origin: the user's position in the central view, else centred on
    // its monitor (the side bar's surface is the whole screen: its origin is 0, 0).
    m_originX = m_layout.central ? panelMonitor.left + (panelMonitor.Width() - panelW) / 2 : 0;
    m_originY = m_layout.central ? panelMonitor.top + (panelMonitor.Height() - panelH) / 2 : 0;
    if (s.m_centralView && s.m_offsetType) {
        m_originX = s.m_calendarPosX;
        m_originY = s.m_calendarPosY;
    }
    CMemWallPaper data(canvases, panelW, panelH, s, m_layout, m_layout.keyColor);
    m_regions.Clear();
    if (data.IsValid()) {
        data.SetPanelOrigin(m_originX, m_originY);
        if (m_painter) m_painter(data, m_regions);
        // The panel over the background under it (at the panel origin, so its empty
        // parts show the picture behind them), blended on with the transparency. Where
        // the panel holds the key colour the blend gives the background back exactly,
        // so only the panel's own pixels are blended.
        const int alpha = 255 - s.m_transparency * 255 / 100;
        blender.DrawKeyed(background, m_originX, m_originY, data, m_layout.keyColor, alpha);
    }
    const bool written = SaveSurfaceAsBmp(background.Pixels(), m_outputPath);
    ComposePopup();
    if (written) m_sizeRefused.reset(); // a size refused again is said again
    return written;
}

bool CComposer::MakeBackgroundPossible(int width, int height) {
    if (SurfaceSizeAllowed(width, height)) return true;
    if (width <= 0 || height <= 0) return false; // no screens known: nothing to say
    // Said once for a size: a composition runs at every data change and at midnight.
    m_failureSaid = true;
    if (m_sizeRefused == std::pair{width, height}) return false;
    m_sizeRefused = std::pair{width, height};
    const long long pixels = static_cast<long long>(width) * height, limit = kMaxSurfaceBytes / 4;
    Message("The screens together measure " + std::to_string(width) + " x " + std::to_string(height) + " pixels (" +
            std::to_string(pixels) + " pixels); one wallpaper can have at most " + std::to_string(limit) +
            " pixels (" + std::to_string(limit >> 20) +
            " megapixels). The wallpaper is not made for these screens; the previous one stays.");
    return false;
}

void CComposer::ComposePopup() {
    auto layout = std::make_unique<PanelLayout>(PanelLayout::ForPopup(m_settings));
    m_popupRegions.Clear();
    auto surface = std::make_unique<CMemWallPaper>(PortOrNull<ICanvasFactory>(), layout->geometry.panelWidth,
                                                   layout->geometry.panelHeight,
                                                   m_settings, *layout, layout->keyColor);
    if (!surface->IsValid()) {
        std::lock_guard<std::mutex> lock(m_popupGuard);
        m_popup.reset();
        m_popupPixels = PixelSurface{};
        return;
    }
    if (m_painter) m_painter(*surface, m_popupRegions);
    // Drawn into a new surface first; only the exchange waits for a painting pop-up.
    const PixelSurface pixels = surface->Pixels();
    std::lock_guard<std::mutex> lock(m_popupGuard);
    m_popup = std::move(surface);
    m_popupLayout = std::move(layout);
    m_popupPixels = pixels;
}

void CComposer::ReadPopupPixels(const std::function<void(const PixelSurface&)>& read) const {
    std::lock_guard<std::mutex> lock(m_popupGuard);
    if (m_popup && m_popupPixels.Valid()) read(m_popupPixels);
}
