// orvanta_manual_pictures FOLDER: draws the wallpapers the user manual shows into
// FOLDER, with the program's own composition: the sample week on a 1600x900 screen on
// a fixed day, the settings as a first start makes them (only the view and the style
// chosen), the real canvas, the artwork beside this program and an English locale.
//   sidebar-blue.png   the side bar in the Blue style
//   central-blue.png, central-green.png, central-brown.png   the central view
//   popup.png          the pop-up picture of the central view in the Blue style
// The build runs it whenever the program's drawing changed, so the manual never shows
// pictures of an older program. Exit code 1 with the reason on standard error.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/OrvantaDoc.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/AutomationPort.h"
#include "platform/Platform.h"
#include "platform/RegistryPort.h"
#include "platform/common/MemoryRegistry.h"
#include "outlook/store/StorePort.h"
#include "render/DataPanel.h"
#include "render/ImageLayer.h"
#include "render/PngWriter.h"
#include "settings/Settings.h"
#include "util/LocaleValues.h"

namespace {

struct Picture {
    const char* file;
    bool central;
    int style;
    const char* popupFile; // the pop-up picture of the same composition, or null
};

bool Fail(const std::string& what) {
    std::fprintf(stderr, "orvanta_manual_pictures: %s\n", what.c_str());
    return false;
}

bool Draw(const Picture& p, const std::string& folder, const std::string& storeFile, const COleDateTime& day) {
    CMemoryRegistry registry; // a first start: nothing stored yet
    ScopedPort<IRegistryPort> withRegistry(registry);
    StorePort outlook;
    std::string error;
    outlook.store = CSubstituteOutlook::LoadFile(storeFile, std::floor(COleDateTime::ToLinear(day.m_dt)), error);
    if (!outlook.store) return Fail(storeFile + ": " + error);
    ScopedPort<IAutomationPort> withOutlook(outlook);

    CSettings s(CSettings::ProgramRegistryRoot());
    s.Open();
    s.m_centralView = p.central;
    s.ApplyStyle(p.style);
    COrvantaDoc doc(s);
    doc.m_clock = [day] { return day + COleDateTimeSpan(0, 10, 30, 0); };
    if (!doc.Engine().EnsureConnected() || !doc.RefreshData()) return Fail("the sample store could not be read");
    const CLocaleValues locale = LocaleValues("en_US.UTF-8");
    CComposer& composer = doc.Composer();
    composer.SetOutputPath(folder + "/manual-picture.bmp");
    composer.SetPanelPainter([&](CMemWallPaper& data, CRegionList& regions) {
        PanelData panel;
        panel.now = doc.m_clock();
        panel.days = std::span<const CAppointments>(&doc.Day(0), static_cast<size_t>(std::max(1, s.m_outlook.m_calDays)));
        panel.tasks = &doc.Tasks();
        panel.folders = &doc.Folders();
        panel.locale = &locale;
        CDataPanel::Draw(data, regions, panel);
    });
    if (!composer.Compose(doc.Folders().GetCount())) return Fail(std::string("the wallpaper of ") + p.file + " could not be composed");

    auto source = IS40_OpenFileSource(composer.OutputPath());
    int w = 0, h = 0;
    RgbBuffer rgb = source ? IS40_ReadBMP(source.get(), w, h) : nullptr;
    IS40_CloseSource(std::move(source));
    std::error_code ignored;
    std::filesystem::remove(composer.OutputPath(), ignored);
    if (!rgb) return Fail(std::string("the composed wallpaper of ") + p.file + " could not be read back");
    std::vector<std::uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    const PixelSurface out{pixels.data(), w, h, w * 4};
    if (!IS40_DrawRGB(out, {rgb.get(), static_cast<size_t>(w) * h * 3}, w, h, w * 3, 0, 0) ||
        !WritePng(out, folder + "/" + p.file))
        return Fail(folder + "/" + p.file + " could not be written");
    if (p.popupFile) {
        composer.ComposePopup(); // as a pop-up that opens has it drawn
        CMemDC* popup = composer.PopupSurface();
        if (!popup || !WritePng(popup->Pixels(), folder + "/" + p.popupFile))
            return Fail(folder + "/" + p.popupFile + " could not be written");
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvanta_manual_pictures FOLDER STORE\n");
        return 2;
    }
    const std::string folder = argv[1], store = argv[2];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // The layout's screen, and a data folder of its own rather than the user's.
    ::setenv("ORVANTA_SCREEN", "1600x900", 1);
    ::setenv("XDG_DATA_HOME", std::filesystem::absolute(folder).c_str(), 1);
    InstallPorts(RealPorts());
    const COleDateTime day(2026, 12, 7, 0, 0, 0); // a Monday
    const Picture pictures[] = {
        {"sidebar-blue.png", false, 0, nullptr},
        {"central-blue.png", true, 0, "popup.png"},
        {"central-green.png", true, 1, nullptr},
        {"central-brown.png", true, 2, nullptr},
    };
    for (const Picture& p : pictures)
        if (!Draw(p, folder, store, day)) return 1;
    std::filesystem::remove_all(std::filesystem::path(folder) / "Kestrova", error);
    return 0;
}
