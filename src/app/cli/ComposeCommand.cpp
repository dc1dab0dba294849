#include "ComposeCommand.h"

#include "../../render/ImageLayer.h"
#include "../../render/PngWriter.h"
#include "../../system/FileSystem.h"
#include "../../settings/Settings.h"
#include "../../util/Strings.h"
#include "../OrvantaDoc.h"

bool CComposeCommand::ComposeOnce(COrvantaDoc& doc, std::ostream& err) {
    const std::string appData = EFileSystem::SpecialFolderPath(SpecialFolder::AppData);
    if (appData.empty() ||
        !EFileSystem::EnsureDirectoryChain(appData, {LoadResString(IDS_COMPANY), LoadResString(IDS_PRODUCT)})) {
        err << "orvanta: the data folder cannot be made\n";
        return false;
    }
    doc.Composer().SetOutputPath(CComposer::BuildOutputPath());
    // The settings' calendar sources beside Outlook, feeds from their copies in the data
    // folder, as the running program shows them.
    doc.SetDataFolder(COrvantaDoc::UserDataFolder());
    doc.m_sourcesFromSettings = true;
    doc.Engine().EnsureConnected();
    doc.RefreshData();
    doc.ConvertBackground();
    if (!doc.Compose()) {
        if (!doc.Composer().FailureSaid())
            err << "orvanta: the wallpaper could not be composed into " << doc.Composer().OutputPath() << "\n";
        return false;
    }
    return true;
}

int CComposeCommand::Run(const std::string& pngPath, std::ostream& out, std::ostream& err) {
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    COrvantaDoc doc(settings);
    if (!ComposeOnce(doc, err)) return 1;
    out << doc.Composer().OutputPath() << "\n";
    if (pngPath.empty()) return 0;
    auto source = IS40_OpenFileSource(doc.Composer().OutputPath());
    int w = 0, h = 0;
    RgbBuffer rgb = source ? IS40_ReadBMP(source.get(), w, h) : nullptr;
    std::vector<std::uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    const PixelSurface surface{pixels.data(), w, h, w * 4};
    if (!rgb || !IS40_DrawRGB(surface, {rgb.get(), static_cast<size_t>(w) * h * 3}, w, h, w * 3, 0, 0) ||
        !WritePng(surface, pngPath)) {
        err << "orvanta: the PNG " << pngPath << " could not be written\n";
        return 1;
    }
    out << pngPath << "\n";
    return 0;
}
