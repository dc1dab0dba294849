#include "SettingsCommand.h"

#include <iomanip>
#include <map>
#include <vector>

#include "../../platform/Platform.h"
#include "../../settings/Settings.h"
#include "../../settings/SettingsSheetModel.h"
#include "../../util/Strings.h"
#include "../MainFrame.h"

namespace {

void PrintLine(std::ostream& out, const std::string& name, const std::string& value, const std::string& range) {
    out << std::left << std::setw(26) << ("\"" + name + "\"") << std::setw(7) << value << range << "\n";
}

} // namespace

int CSettingsCommand::List(std::ostream& out) {
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    CSettingsSheetModel sheet;
    sheet.Open(settings);
    for (const std::string& name : CSettingsSheetModel::SettingNames())
        PrintLine(out, name, sheet.ValueText(name), sheet.RangeText(name));
    return 0;
}

int CSettingsCommand::Set(const std::string& name, const std::string& value, std::ostream& out, std::ostream& err) {
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    CSettingsSheetModel sheet;
    sheet.Open(settings);
    std::map<std::string, std::string> before;
    for (const std::string& n : CSettingsSheetModel::SettingNames()) before[n] = sheet.ValueText(n);

    std::string message;
    switch (sheet.SetByName(name, value, message)) {
    case CSettingsSheetModel::SetResult::Unknown:
        err << "orvanta: " << message << " \"orvanta settings\" lists them.\n";
        return 2;
    case CSettingsSheetModel::SetResult::Refused:
        err << "orvanta: " << name << ": " << message << "\n";
        return 1;
    case CSettingsSheetModel::SetResult::Taken: break;
    }

    const std::vector<ApplyStep> steps = sheet.Apply(settings);
    // This process only saves; the timers, the tray and the picture belong to the
    // running copy, which reads the settings again and does the rest of the steps.
    for (ApplyStep step : steps)
        if (step == ApplyStep::SaveSettings) settings.Save();
    for (const std::string& n : CSettingsSheetModel::SettingNames())
        if (sheet.ValueText(n) != before[n]) PrintLine(out, n, sheet.ValueText(n), "");
    if (!message.empty()) out << message << "\n"; // what the screen's limits moved

    ICommandChannel* channel = PortOrNull<ICommandChannel>();
    std::string error;
    if (channel && channel->Send(ID_SETTINGS, static_cast<unsigned>(CMainFrame::kSettingsSaved), error))
        out << "The running copy has taken the change over.\n";
    else
        out << "Saved; the program takes it over when it next starts (" << error << ").\n";
    return 0;
}
