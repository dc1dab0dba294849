#include "Composer.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "../platform/CanvasPort.h"
#include "../platform/Platform.h"
#include "../system/FileSystem.h"
#include "../settings/Settings.h"
#include "../system/SystemInfo.h"
#include "../util/Parser.h"
#include "../util/Strings.h"
#include "AlphaBlend.h"
#include "BoxResampler.h"
#include "ImageLayer.h"
#include "PanelExtent.h"
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

// Where the copies of a stretched picture go (their top-left corners): each other
// monitor's corner, then the primary's, which so keeps its own copy whole where a
// smaller neighbour's spills over; with no others known, the primary and the place of
// a second screen right of it.
std::vector<std::pair<int, int>> StretchedPlaces(int sw, int primaryX, int primaryY, const std::vector<Rect>& others) {
    std::vector<std::pair<int, int>> at;
    for (const Rect& m : others) at.emplace_back(m.left, m.top);
    at.emplace_back(primaryX, primaryY);
    if (others.empty()) at.emplace_back(primaryX + sw, primaryY);
    return at;
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

CComposer::PictureRead CComposer::ReadPicture(const std::string& path, RgbImage& picture, const PictureRows* rows) {
    picture = RgbImage{};
    const ImageLimits limits = PictureLimits();
    const CFileVersion version = CFileVersion::Of(path);
    if (m_unreadable && m_unreadable->picture == version && m_unreadable->limits == limits)
        return PictureRead::Unusable; // tried and said before
    auto source = IS40_OpenFileSource(path);
    if (!source) return PictureRead::Missing;
    ++m_pictureReads;
    int w = 0, h = 0;
    // The reader is chosen by what the file holds, not by its name.
    std::span<const std::uint8_t> bytes;
    const CPictureFormat::Kind kind =
        source->ReadAll(limits.maxFileBytes, bytes) ? CPictureFormat::Of(bytes) : CPictureFormat::Kind::Unknown;
    RgbBuffer rgb;
    bool streamed = false, refusedMemory = false;
    switch (kind) {
    case CPictureFormat::Kind::Bmp: rgb = IS40_ReadBMP(source.get(), w, h, 24, nullptr, 0, limits); break;
    case CPictureFormat::Kind::Jpeg:
        if (rows) {
            streamed = CJpegDecoder::DecodeRows(
                bytes, limits, CJpegDecoder::Order::Bgr,
                [&](int width, int height) { return !(refusedMemory = !rows->start(width, height)); }, rows->row);
            if (refusedMemory) {
                IS40_CloseSource(std::move(source));
                return PictureRead::NoMemory;
            }
            break;
        }
        rgb = IS40_ReadJPG(source.get(), w, h, 24, 0, limits);
        break;
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
    if (!rgb && !streamed) {
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

std::string CComposer::BackgroundLabel(const std::string& picture, const CMonitorSet& monitors,
                                       const ScreenMetrics& m) const {
    const CFileVersion version = CFileVersion::Of(picture);
    if (!version.Known()) return std::string();
    const Rect screen = monitors.VirtualScreen();
    auto edges = [](const Rect& r) {
        return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.Width()) + " " +
               std::to_string(r.Height());
    };
    // Everything the finished background depends on; anything else changed makes it again.
    std::string label = "picture " + version.Describe() + "\nstyle " +
                        std::to_string(EParser::ParseInt(m_settings.m_wpStyle)) + "\nscreens " + edges(screen) +
                        "\nprimary " + std::to_string(m.primaryWidth) + " " + std::to_string(m.primaryHeight) +
                        "\ndesktop " + std::to_string(Port<ISystemPort>().DesktopColor()) + "\n";
    for (const MonitorInfo& monitor : monitors.Monitors())
        label += std::string(monitor.primary ? "monitor* " : "monitor ") + edges(monitor.bounds) + "\n";
    return label;
}

CComposer::Background CComposer::MakeBackground(CPreparedPicture& out, const CMonitorSet& monitors,
                                                 const ScreenMetrics& metrics, bool& fromPicture) {
    fromPicture = false;
    const Rect screen = monitors.VirtualScreen();
    const int vw = screen.Width(), vh = screen.Height();
    const Colorref desktop = Port<ISystemPort>().DesktopColor();
    const std::string& picture = m_settings.m_wallpaper;
    // The program never composes over its own output.
    if (picture.empty() || SamePath(picture, m_outputPath))
        return out.Plain(vw, vh, desktop, std::string()) ? Background::Ready : Background::NoMemory;
    const std::string label = BackgroundLabel(picture, monitors, metrics);
    const std::string& copy = m_settings.m_convertedPath;
    const bool keep = !label.empty() && !copy.empty() && !SamePath(copy, picture) && !SamePath(copy, m_outputPath);
    if (keep && out.Load(copy, vw, vh, label)) {
        fromPicture = true;
        return Background::Ready;
    }
    // The picture on each monitor the system lists (a system that lists the virtual
    // screen as one gets the second copy right of the primary, as before).
    const int style = EParser::ParseInt(m_settings.m_wpStyle);
    const Rect primary = monitors.ToPicture(monitors.Primary().bounds);
    std::vector<Rect> others;
    for (const MonitorInfo& m : monitors.Monitors())
        if (!m.primary) others.push_back(monitors.ToPicture(m.bounds));
    if (style == 2)
        if (const auto made = MakeStretched(out, vw, vh, metrics.primaryWidth, metrics.primaryHeight,
                                            StretchedPlaces(metrics.primaryWidth, primary.left, primary.top, others),
                                            label, keep, fromPicture))
            return *made;
    RgbImage image;
    switch (ReadPicture(picture, image)) {
    case PictureRead::Missing: return Background::Missing;
    case PictureRead::Unusable: // the desktop colour shows
        return out.Plain(vw, vh, desktop, std::string()) ? Background::Ready : Background::NoMemory;
    case PictureRead::NoMemory: return Background::NoMemory;
    case PictureRead::Read: break;
    }
    {
        CMemDC surface(PortOrNull<ICanvasFactory>(), vw, vh, desktop);
        if (!surface.IsValid()) return Background::NoMemory;
        PaintPicture(surface, image, style, metrics.primaryWidth, metrics.primaryHeight, primary.left, primary.top,
                     others);
        image = RgbImage{};
        // Kept on disk and read back from there a block at a time; in memory only when
        // it cannot be kept.
        const PixelSurface pixels = surface.Pixels();
        fromPicture = keep && CPreparedPicture::SaveSurface(copy, pixels, label) && out.Load(copy, vw, vh, label);
        if (!fromPicture && !out.FromSurface(pixels, label)) return Background::NoMemory;
    }
    return Background::Ready;
}

std::optional<CComposer::Background> CComposer::MakeStretched(CPreparedPicture& out, int vw, int vh, int sw, int sh,
                                                              const std::vector<std::pair<int, int>>& at,
                                                              const std::string& label, bool keep, bool& fromPicture) {
    if (!ImageLimits().Allows(sw, sh)) return std::nullopt; // said by the painting path
    // The copies' parts on the picture; each row of the stretched picture is copied
    // into every one of them as it is made, which is right only when none overlaps
    // another.
    std::vector<Rect> parts;
    long long covered = 0;
    std::optional<int> firstRow; // where the copies seen start, when they all start on one row
    bool oneRow = true;
    for (const auto& [x, y] : at) {
        const Rect part{std::max(x, 0), std::max(y, 0), static_cast<int>(std::min<long long>(0LL + x + sw, vw)),
                        static_cast<int>(std::min<long long>(0LL + y + sh, vh))};
        if (part.left >= part.right || part.top >= part.bottom) continue;
        for (const Rect& other : parts)
            if (part.left < other.right && other.left < part.right && part.top < other.bottom && other.top < part.bottom)
                return std::nullopt;
        parts.push_back(part);
        covered += 1LL * part.Width() * part.Height();
        oneRow = oneRow && (!firstRow || *firstRow == y);
        firstRow = y;
    }
    const Colorref desktop = Port<ISystemPort>().DesktopColor();
    const bool whole = covered == 1LL * vw * vh;
    // Row r of the stretched picture into the picture's row ty (pixels blue first),
    // for every copy that has its row r there.
    auto copyRow = [&](std::uint8_t* target, long long ty, int r, const std::uint8_t* row) {
        for (const auto& [x, top] : at) {
            const int left = std::max(x, 0), right = static_cast<int>(std::min<long long>(0LL + x + sw, vw));
            if (0LL + top + r != ty || left >= right) continue;
            std::memcpy(target + static_cast<std::ptrdiff_t>(left) * 3, row + static_cast<std::ptrdiff_t>(left - x) * 3,
                        static_cast<std::size_t>(right - left) * 3);
        }
    };
    // The picture decoded, its rows resampled as they come and handed to place.
    auto decode = [&](const CBoxResampler::RowSink& place) {
        std::unique_ptr<CBoxResampler::Stream> stream;
        const PictureRows rows{[&](int w, int h) {
                                   stream = std::make_unique<CBoxResampler::Stream>(w, h, sw, sh, 3, place);
                                   return stream->Valid();
                               },
                               [&](const std::uint8_t* row) { stream->Push(row); }};
        RgbImage image;
        PictureRead read = ReadPicture(m_settings.m_wallpaper, image, &rows);
        if (read == PictureRead::Read && image.pixels) { // another kind, decoded whole: its rows turned blue first
            if (!rows.start(image.width, image.height)) return PictureRead::NoMemory;
            std::vector<std::uint8_t> bgr(static_cast<std::size_t>(image.width) * 3);
            for (int y = 0; y < image.height; ++y) {
                const std::uint8_t* in = image.pixels.get() + static_cast<std::size_t>(y) * image.Stride();
                for (std::size_t i = 0; i < bgr.size(); i += 3) bgr[i] = in[i + 2], bgr[i + 1] = in[i + 1], bgr[i + 2] = in[i];
                stream->Push(bgr.data());
            }
        }
        if (read == PictureRead::Read && (!stream || stream->Emitted() != sh)) read = PictureRead::NoMemory;
        return read;
    };
    auto unusable = [&](PictureRead read) -> std::optional<Background> {
        switch (read) {
        case PictureRead::Missing: return Background::Missing;
        case PictureRead::NoMemory: return Background::NoMemory;
        case PictureRead::Unusable: // the desktop colour shows
            return out.Plain(vw, vh, desktop, std::string()) ? Background::Ready : Background::NoMemory;
        case PictureRead::Read: break;
        }
        return std::nullopt;
    };

    if (keep && oneRow && firstRow) {
        // The copies complete the picture's rows in order: the copy kept on disk is
        // written a block at a time as they are made, and this composition reads it
        // back as the next ones do.
        const std::uint8_t fill[3] = {static_cast<std::uint8_t>(desktop >> 16), static_cast<std::uint8_t>(desktop >> 8),
                                      static_cast<std::uint8_t>(desktop)};
        PictureRead read = PictureRead::Read;
        const bool saved = WriteFileReplacing(m_settings.m_convertedPath, [&](CImageDest& dest) {
            CPreparedPicture::RowWriter writer(dest, vw, vh, label, whole ? nullptr : fill);
            read = decode([&](int r, const std::uint8_t* row) {
                const long long ty = 0LL + *firstRow + r;
                if (ty < 0 || ty >= vh) return;
                writer.CompleteTo(static_cast<int>(ty));
                copyRow(writer.Row(static_cast<int>(ty)), ty, r, row);
                writer.CompleteTo(static_cast<int>(ty) + 1);
            });
            return read == PictureRead::Read && writer.Finish();
        });
        if (const auto failed = unusable(read)) return failed;
        if (saved && out.Load(m_settings.m_convertedPath, vw, vh, label)) {
            fromPicture = true;
            return Background::Ready;
        }
        // It could not be kept (a full disk): made in memory as below.
    }
    // Rows the copies leave free show the desktop colour.
    if (!(whole ? out.Blank(vw, vh, label) : out.Plain(vw, vh, desktop, label))) return Background::NoMemory;
    const PictureRead read = decode([&](int r, const std::uint8_t* row) {
        for (std::size_t k = 0; k < at.size(); ++k) {
            const long long ty = 0LL + at[k].second + r;
            bool done = false; // the copies on the same row were all done at once
            for (std::size_t e = 0; e < k; ++e) done = done || at[e].second == at[k].second;
            if (!done && ty >= 0 && ty < vh) copyRow(out.Row(static_cast<int>(ty)), ty, r, row);
        }
    });
    if (const auto failed = unusable(read)) return failed;
    // Kept on disk for the compositions that follow; this one goes on from memory.
    fromPicture = keep && out.Save(m_settings.m_convertedPath);
    return Background::Ready;
}

bool CComposer::PrepareBackground() {
    const std::string& picture = m_settings.m_wallpaper;
    if (picture.empty() || SamePath(picture, m_outputPath)) return false;
    const CMonitorSet monitors = CMonitorSet::Current();
    const Rect screen = monitors.VirtualScreen();
    const ScreenMetrics metrics = Port<ISystemPort>().GetScreenMetrics();
    const std::string label = BackgroundLabel(picture, monitors, metrics);
    if (!label.empty() && CPreparedPicture::IsCurrent(m_settings.m_convertedPath, label)) return true;
    if (!MakeBackgroundPossible(screen.Width(), screen.Height())) return false;
    CPreparedPicture background;
    bool fromPicture = false;
    MakeBackground(background, monitors, metrics, fromPicture);
    return fromPicture;
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
    case 2: { // stretched to the primary screen, and again on each other monitor (or to its right)
        const auto at = StretchedPlaces(sw, primaryX, primaryY, others);
        const PixelSurface pixels = background.Pixels();
        std::vector<bool> painted(at.size(), true);
        // With one monitor the copies cannot overlap: resampled row by row straight into
        // the surface, no screen-sized buffer between. With several, a smaller monitor's
        // copy may spill onto the primary, whose own copy must then come last: the
        // picture is resampled once into a buffer and painted in that order.
        std::vector<std::uint8_t> scaled;
        const bool direct = others.empty();
        if (!direct && sw > 0 && sh > 0 && ImageLimits().Allows(sw, sh)) scaled.resize(static_cast<size_t>(sw) * sh * 3);
        const bool resized = sw > 0 && sh > 0 && ImageLimits().Allows(sw, sh) &&
            CBoxResampler::ResampleRows(picture.pixels.get(), w, h, picture.Stride(), sw, sh, 3,
                                        [&](int y, const std::uint8_t* row) {
                                            const size_t rowBytes = static_cast<size_t>(sw) * 3;
                                            if (!direct) {
                                                std::copy(row, row + rowBytes, scaled.begin() + static_cast<std::ptrdiff_t>(y * rowBytes));
                                                return;
                                            }
                                            const std::span<const std::uint8_t> bytes(row, rowBytes);
                                            for (size_t k = 0; k < at.size(); ++k)
                                                painted[k] = IS40_DrawRGB(pixels, bytes, sw, 1, sw * 3, at[k].first,
                                                                          at[k].second + y) && painted[k];
                                        });
        background.EndPixelWork();
        if (!resized) {
            Message(big ? "resize resize" : "error while resizeing");
            return;
        }
        auto failure = [&](size_t k) {
            return at[k].first == primaryX && at[k].second == primaryY ? "ISDrawRGB Centered Error"
                                                                       : "ISDrawRGB Stretched Error";
        };
        if (direct) {
            for (size_t k = 0; k < at.size(); ++k)
                if (!painted[k]) Message(failure(k));
        } else {
            for (size_t k = 0; k < at.size(); ++k)
                Paint(background, scaled.data(), sw, sh, at[k].first, at[k].second, failure(k));
        }
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
    // At that monitor's scale, or the one "Panel Scale" fixes.
    int scale = CPanelScale::Choose(s.m_panelScale, monitors.Chosen(s.m_panelMonitor).dpi);
    // The central panel and the pop-up are drawn no larger than fits their monitor's
    // work area (at 200 % the central panel is 1400 x 1052: more than a small screen).
    const Rect work = monitors.ChosenWork(s.m_panelMonitor);
    const Rect fitIn = work.IsEmpty() ? panelMonitor : work;
    const StyleGeometry& central = CStyleSet::For(s.m_style >= 0 && s.m_style <= 2 ? s.m_style : 0).central;
    const int fitted = CPanelScale::Fitting(scale, central.panelWidth, central.panelHeight, fitIn.Width(), fitIn.Height());
    m_popupScale = fitted;
    if (s.m_centralView) scale = fitted;
    m_layout = PanelLayout::ForDesktop(s, vw, vh, panelMonitor, monitors.ChosenWork(s.m_panelMonitor), folderCount,
                                       scale);
    m_monitors = monitors;
    const int panelW = m_layout.geometry.panelWidth, panelH = m_layout.geometry.panelHeight;

    m_failureSaid = false;
    if (!MakeBackgroundPossible(vw, vh)) return false;
    CPreparedPicture background;
    bool fromPicture = false;
    switch (MakeBackground(background, monitors, metrics, fromPicture)) {
    case Background::Ready: break;
    case Background::Missing: return false;
    case Background::NoMemory:
        Message("The wallpaper for screens of " + std::to_string(vw) + " x " + std::to_string(vh) +
                " pixels could not be made: there is not enough memory for it. The previous wallpaper stays.");
        m_sizeRefused = std::pair{vw, vh};
        m_failureSaid = true;
        return false;
    }

    // The panel's origin: the user's position in the central view, else centred on
    // its monitor (the side bar's surface is the whole screen: its origin is 0, 0).
    m_originX = m_layout.central ? panelMonitor.left + (panelMonitor.Width() - panelW) / 2 : 0;
    m_originY = m_layout.central ? panelMonitor.top + (panelMonitor.Height() - panelH) / 2 : 0;
    if (s.m_centralView && s.m_offsetType) {
        m_originX = s.m_calendarPosX;
        m_originY = s.m_calendarPosY;
    }
    // The data surfaces hold only what the panel draws in (in the side-bar view the
    // column and the calendar, not the whole screen the panel is laid out over), each
    // drawn with the layout moved by where it starts and placed there. A second piece
    // records its regions aside: they are the first one's.
    const std::vector<Rect> pieces = m_layout.central ? std::vector<Rect>{Rect{0, 0, panelW, panelH}}
                                                      : CPanelExtent::Pieces(m_layout, s.m_showCalendar);
    std::vector<std::unique_ptr<PanelLayout>> layouts;
    std::vector<std::unique_ptr<CMemWallPaper>> surfaces;
    std::vector<CPreparedPicture::Panel> panel;
    m_regions.Clear();
    CRegionList aside;
    for (const Rect& piece : pieces) {
        layouts.push_back(std::make_unique<PanelLayout>(CPanelExtent::Moved(m_layout, piece)));
        surfaces.push_back(std::make_unique<CMemWallPaper>(PortOrNull<ICanvasFactory>(), piece.Width(), piece.Height(), s,
                                                           *layouts.back(), m_layout.keyColor));
        CMemWallPaper& data = *surfaces.back();
        if (!data.IsValid()) continue;
        data.SetPanelOrigin(m_originX + piece.left, m_originY + piece.top);
        if (m_painter) m_painter(data, &piece == &pieces.front() ? m_regions : aside);
        panel.push_back({data.Pixels(), m_originX + piece.left, m_originY + piece.top});
    }
    // The panel over the background under it (at the panel origin, so its empty parts
    // show the picture behind them), blended on with the transparency while the
    // background's rows are written: where the panel holds the key colour the picture
    // shows exactly. In the system's high-contrast scheme the panel is opaque, whatever
    // the transparency.
    const int alpha = m_layout.highContrast ? 255 : 255 - s.m_transparency * 255 / 100;
    const bool written = WriteFileReplacing(m_outputPath, [&](CImageDest& dest) {
        return background.WriteWith(dest, panel, m_layout.keyColor, alpha, !blender.IsMissing());
    });
    surfaces.clear();
    if (!m_popupWanted || m_popupWanted())
        ComposePopup();
    else
        ReleasePopup();
    if (ICanvasFactory* factory = PortOrNull<ICanvasFactory>()) factory->SurfacesReleased();
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
    // The pop-up opens on the panel's monitor: drawn at the same scale.
    auto layout = std::make_unique<PanelLayout>(PanelLayout::ForPopup(m_settings, m_popupScale));
    m_popupRegions.Clear();
    auto surface = std::make_unique<CMemWallPaper>(PortOrNull<ICanvasFactory>(), layout->geometry.panelWidth,
                                                   layout->geometry.panelHeight,
                                                   m_settings, *layout, layout->keyColor);
    m_popupCurrent = true;
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

void CComposer::ReleasePopup() {
    m_popupRegions.Clear();
    m_popupCurrent = false;
    std::lock_guard<std::mutex> lock(m_popupGuard);
    m_popup.reset();
    m_popupLayout.reset();
    m_popupPixels = PixelSurface{};
}

void CComposer::ReadPopupPixels(const std::function<void(const PixelSurface&)>& read) const {
    std::lock_guard<std::mutex> lock(m_popupGuard);
    if (m_popup && m_popupPixels.Valid()) read(m_popupPixels);
}
