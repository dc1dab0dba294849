// regions-probe STORE OUT: what "orvanta regions" does on Linux, for the Windows driver
// tests, in a process of its own. Reads the store file as Outlook's data, composes once
// with the settings the program runs with (this prefix's registry), the same screen,
// fonts and locale, into OUT.bmp (never over the program's picture), and writes to OUT
// the regions of both pictures: "[desktop]", the lines of CRegionsCommand::Print, then
// "[popup]" and its lines. Exit code 0, or 1 with the reason as OUT's only line.
// STORE "-": no Outlook at all. The settings' calendar sources are read as the program
// reads them, feeds from the program's own copies in its data folder.
#include <cmath>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "app/OrvantaDoc.h"
#include "app/cli/RegionsCommand.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/DialogPort.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "outlook/store/StorePort.h"

namespace {

// A message the composition would show is the failure's reason, not a box that waits.
class Messages : public IDialogPort {
public:
    std::string said;
    int ShowMessageBox(const std::string& text, const std::string&, unsigned) override {
        said += text + " ";
        return 1;
    }
    int RunDialog(const DialogDesc&, const std::function<void(IDialogControls&)>&) override { return 0; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::ofstream out(argv[2], std::ios::trunc);
    InstallPorts(RealPorts());
    const bool noOutlook = std::string(argv[1]) == "-";
    StorePort port;
    std::string error;
    if (!noOutlook) {
        port.store = CSubstituteOutlook::LoadFile(argv[1], std::floor(COleDateTime::ToLinear(LocalNow().m_dt)), error);
        if (!port.store) {
            out << "the store could not be read: " << error << "\n";
            return 1;
        }
    }
    std::optional<ScopedPort<IAutomationPort>> withStore;
    if (!noOutlook) withStore.emplace(port);
    Messages messages;
    ScopedPort<IDialogPort> withMessages(messages);
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    COrvantaDoc doc(settings);
    // The settings' calendar sources, feeds from the program's own copies, as the
    // program reads them.
    doc.SetDataFolder(COrvantaDoc::UserDataFolder());
    doc.m_sourcesFromSettings = true;
    doc.Composer().SetOutputPath(std::string(argv[2]) + ".bmp");
    if ((!noOutlook && !doc.Engine().EnsureConnected()) || !doc.RefreshData() || !doc.Compose() ||
        !messages.said.empty()) {
        out << "the regions could not be composed: " << messages.said << "\n";
        return 1;
    }
    out << "[desktop]\n";
    CRegionsCommand::Print(doc.Composer().Regions(), out);
    out << "[popup]\n";
    doc.Composer().ComposePopup();
    CRegionsCommand::Print(doc.Composer().PopupRegions(), out);
    return out ? 0 : 1;
}
