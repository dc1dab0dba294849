#pragma once
// The wallpaper composition: the user's picture painted over the virtual screen by
// its style, the data panel merged with its key colour transparent and blended on at
// the panel origin, the whole written as the output BMP; and the pop-up copy of the
// panel.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../platform/SystemPort.h"
#include "../util/Rect.h"
#include "../system/MonitorSet.h"
#include "FileVersion.h"
#include "ImageLimits.h"
#include "JpegDecoder.h"
#include "MemWallPaper.h"
#include "PanelLayout.h"
#include "PreparedPicture.h"
#include "RegionList.h"
#include "RgbImage.h"

class CSettings;

class CComposer {
public:
    // Draws the panel's blocks into the data surface (the surface's size is the
    // panel's; it carries the settings and the layout to draw with and the panel's
    // origin on the virtual screen), recording the regions into the list given.
    using PanelPainter = std::function<void(CMemWallPaper& data, CRegionList& regions)>;

    CComposer(CSettings& settings, std::string outputPath);
    void SetPanelPainter(PanelPainter painter) { m_painter = std::move(painter); }
    // Whether a composition draws the pop-up's picture too; without this, every one does.
    // When it answers no, the pop-up's picture and regions are let go, and ComposePopup
    // draws them when a pop-up opens.
    void SetPopupWanted(std::function<bool()> wanted) { m_popupWanted = std::move(wanted); }
    // Draws the pop-up's picture and regions from the data and scale of the last
    // composition; PopupCurrent says whether they are of that composition.
    void ComposePopup();
    bool PopupCurrent() const { return m_popupCurrent; }
    // The scale the pop-up's picture is drawn at: the panel's, as far as it fits the
    // panel's monitor.
    int PopupScale() const { return m_popupScale; }

    // True when the output picture was written. False when the user's picture cannot
    // be opened (nothing is written), the screens are too large for one surface (said
    // once, with the size and the limit, until a composition succeeds or the size
    // changes) or the output could not be written; the previous output stays as it was.
    // folderCount: the mail folders the side-bar column makes room for. The screen
    // and its monitors are asked for once, and the panel laid out on the monitor
    // "Panel Monitor" names, at every composition.
    bool Compose(int folderCount = PanelLayout::kStyleFolderCount);
    // Whether the last Compose that failed did so for a reason already said to the
    // user (so its callers need not say it again in other words).
    bool FailureSaid() const { return m_failureSaid; }

    const std::string& OutputPath() const { return m_outputPath; }
    void SetOutputPath(std::string path) { m_outputPath = std::move(path); }
    // The panel as the pop-up window shows it (central view); null before the first Compose.
    CMemDC* PopupSurface() const { return m_popup.get(); }
    // Calls read with the pop-up picture's pixels while no composition can replace
    // them (the pop-up window paints from its own thread); not called before the
    // first Compose.
    void ReadPopupPixels(const std::function<void(const PixelSurface&)>& read) const;
    // The regions of the last picture written, in virtual-screen coordinates, and
    // those of the pop-up picture, in its own.
    const CRegionList& Regions() const { return m_regions; }
    const CRegionList& PopupRegions() const { return m_popupRegions; }
    // The layout the last Compose drew the desktop's panel with.
    const PanelLayout& Layout() const { return m_layout; }
    // The monitors the last Compose laid the picture out for; none before the first.
    const std::optional<CMonitorSet>& Monitors() const { return m_monitors; }
    // Where the panel of the last Compose landed on the virtual screen.
    int OriginX() const { return m_originX; }
    int OriginY() const { return m_originY; }

    // "<application data>\Kestrova\Orvanta for Outlook\orvanta.bmp": the short form,
    // lower-cased where the file system ignores case.
    static std::string BuildOutputPath();

    // What of the user's picture the composition uses, for the style and the screens
    // as they are now: stretched, at least the primary screen's size (a larger JPEG is
    // decoded at a reduced scale); centred, the primary screen's size from its centre;
    // tiled, the virtual screen's size from its top-left corner. Reading only that
    // gives the same wallpaper as reading the whole picture.
    ImageLimits PictureLimits() const;
    // Brings the prepared background up to date for the user's picture, the style, the
    // screens and the desktop colour as they are now: the finished background kept at
    // the settings' converted-copy path, with a label naming what it was made from, so
    // that a composition for new data reads it instead of the picture. The picture is
    // read only when the copy is not current. True when the copy on disk holds the
    // user's picture (false for none, one that cannot be opened or used, said as a
    // composition says it).
    bool PrepareBackground();
    // How many times the user's picture was read and decoded.
    int PictureReads() const { return m_pictureReads; }

    // Paints the picture onto the background by the wallpaper style (0 centred, 1
    // tiled, 2 stretched; other values paint nothing); screen sizes are the primary
    // screen's (sw, sh) and the virtual screen's (surface size). Centred and stretched,
    // the picture goes onto the primary monitor (its top-left corner in the picture
    // at primaryX, primaryY) and once more onto each other monitor (others, picture
    // coordinates: centred in it, or stretched from its corner); with no others
    // listed, once more right of the primary, where a second screen would be.
    static void PaintPicture(CMemDC& background, const RgbImage& picture, int style, int sw, int sh,
                             int primaryX = 0, int primaryY = 0, const std::vector<Rect>& others = {});

private:
    // The part of the picture at path that PictureLimits asks for, read by the reader of
    // its kind (told by its first bytes). A picture that opens but cannot be used (no
    // regular file, too large, damaged, over the decoder's bounds, of a kind no reader
    // takes, which the message names) is said in one message; the same version of it
    // is not read again for the same limits, and never said again.
    // With rows given, a JPEG is not decoded into picture: its rows go to rows.row as
    // they are decoded (blue first), after rows.start has taken its size (NoMemory when
    // start refuses it).
    struct PictureRows {
        CJpegDecoder::Start start;
        CJpegDecoder::Row row;
    };
    enum class PictureRead { Read, Missing, Unusable, NoMemory };
    PictureRead ReadPicture(const std::string& path, RgbImage& picture, const PictureRows* rows = nullptr);
    void ReleasePopup();
    // The background of a composition into out: the prepared copy when it is current,
    // else made from the picture (and kept when it shows the picture).
    enum class Background { Ready, Missing, NoMemory };
    Background MakeBackground(CPreparedPicture& out, const CMonitorSet& monitors, const ScreenMetrics& metrics,
                              bool& fromPicture);
    // A stretched picture whose copies do not overlap: resampled row by row as it is
    // decoded straight into the rows of out, no picture-sized or surface-sized buffer
    // between. Nothing (and nothing read) when the copies overlap.
    std::optional<Background> MakeStretched(CPreparedPicture& out, int width, int height, int sw, int sh,
                                            const std::vector<std::pair<int, int>>& at, const std::string& label,
                                            bool keep, bool& fromPicture);
    // What the prepared background is made from, as the text its copy is labelled with;
    // empty when the picture's version cannot be told (nothing is kept for it).
    std::string BackgroundLabel(const std::string& picture, const CMonitorSet& monitors, const ScreenMetrics& metrics) const;
    int m_pictureReads = 0;

    CSettings& m_settings;
    std::string m_outputPath;
    PanelPainter m_painter;
    std::function<bool()> m_popupWanted;
    bool m_popupCurrent = false;
    int m_popupScale = 100; // the last composition's scale, as far as the pop-up fits its monitor
    PanelLayout m_layout;
    std::unique_ptr<PanelLayout> m_popupLayout; // what the pop-up picture was drawn with
    std::unique_ptr<CMemWallPaper> m_popup;
    PixelSurface m_popupPixels; // m_popup's, taken once drawing into it has ended
    mutable std::mutex m_popupGuard; // held while m_popup is replaced or read by another thread
    CRegionList m_regions;
    CRegionList m_popupRegions;
    struct Unreadable {
        CFileVersion picture;
        ImageLimits limits;
    };
    std::optional<Unreadable> m_unreadable; // the last picture that could not be used
    // Whether the background surface could be made; false with one message for each
    // size it could not be made in.
    bool MakeBackgroundPossible(int width, int height);
    std::optional<std::pair<int, int>> m_sizeRefused; // the screen size last said to be too large
    bool m_failureSaid = false;
    std::optional<CMonitorSet> m_monitors;
    int m_originX = 0;
    int m_originY = 0;
};
