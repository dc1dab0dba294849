// regions-probe STORE OUT: what "orvanta regions" does on Linux, for the Windows driver
// tests, in a process of its own. Reads the store file as Outlook's data, composes once
// with the settings the program runs with (this prefix's registry), the same screen,
// fonts and locale, into OUT.bmp (never over the program's picture), and writes to OUT
// the regions of both pictures: "[desktop]", the lines of CRegionsCommand::Print, then
// "[popup]" and its lines. Exit code 0, or 1 with the reason as OUT's only line.
#include <cmath>
#include <fstream>
#include <functional>
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
    StorePort port;
    std::string error;
    port.store = CSubstituteOutlook::LoadFile(argv[1], std::floor(COleDateTime::ToLinear(LocalNow().m_dt)), error);
    if (!port.store) {
        out << "the store could not be read: " << error << "\n";
        return 1;
    }
    ScopedPort<IAutomationPort> withStore(port);
    Messages messages;
    ScopedPort<IDialogPort> withMessages(messages);
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    COrvantaDoc doc(settings);
    doc.Composer().SetOutputPath(std::string(argv[2]) + ".bmp");
    if (!doc.Engine().EnsureConnected() || !doc.RefreshData() || !doc.Compose() || !messages.said.empty()) {
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
