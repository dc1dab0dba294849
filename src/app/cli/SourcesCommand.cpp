#include "SourcesCommand.h"

#include "../../platform/Platform.h"
#include "../../settings/SourceEntry.h"
#include "../../settings/SourcesKey.h"
#include "../../settings/Settings.h"
#include "../../util/Strings.h"
#include "../../util/Utf8.h"
#include "../MainFrame.h"

namespace {

std::string Line(size_t index, const CCalendarSource& s) {
    std::string line = std::to_string(index) + "  " + CSourcesKey::KindName(s.kind);
    line.append(8 - std::string(CSourcesKey::KindName(s.kind)).size(), ' ');
    line += s.shown ? "shown   " : "hidden  ";
    const std::string shown = CSourcesKey::ShownLocation(s);
    line += s.kind == CCalendarSource::Kind::Feed ? shown : QuotedForDisplay(shown, 1024);
    if (!s.name.empty()) line += "  " + QuotedForDisplay(s.name);
    return line;
}

// Saved: the running copy is told, as after "orvanta settings".
void Saved(std::ostream& out) {
    ICommandChannel* channel = PortOrNull<ICommandChannel>();
    std::string error;
    if (channel && channel->Send(ID_SETTINGS, static_cast<unsigned>(CMainFrame::kSettingsSaved), error))
        out << "The running copy has taken the change over.\n";
    else
        out << "Saved; the program takes it over when it next starts (" << error << ").\n";
}

} // namespace

int CSourcesCommand::List(std::ostream& out, std::ostream& /*err*/) {
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open(); // an entry left out is said on standard error
    if (settings.m_sources.empty())
        out << "No calendar sources beside Outlook. \"orvanta sources add PATH|URL\" adds one.\n";
    for (size_t i = 0; i < settings.m_sources.size(); ++i) out << Line(i, settings.m_sources[i]) << "\n";
    return 0;
}

int CSourcesCommand::Add(const std::string& pathOrUrl, std::ostream& out, std::ostream& err) {
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    const CSourceEntry::Result added = CSourceEntry::Add(settings.m_sources, pathOrUrl);
    switch (added.outcome) {
    case CSourceEntry::Outcome::Added: break;
    case CSourceEntry::Outcome::Unusable: err << "orvanta: " << added.why << ".\n"; return 1;
    case CSourceEntry::Outcome::Duplicate: err << "orvanta: that is source " << added.duplicateOf << " already.\n"; return 1;
    case CSourceEntry::Outcome::Full:
        err << "orvanta: there are " << CSourcesKey::kMaxSources << " sources already, as many as are kept.\n";
        return 1;
    }
    if (!settings.SaveSources()) {
        err << "orvanta: the sources could not be saved.\n";
        return 1;
    }
    out << "Added: " << Line(settings.m_sources.size() - 1, settings.m_sources.back()) << "\n";
    Saved(out);
    return 0;
}

int CSourcesCommand::Remove(const std::string& number, std::ostream& out, std::ostream& err) {
    if (number.empty() || number.size() > 6 || number.find_first_not_of("0123456789") != std::string::npos) {
        err << "orvanta: " << QuotedForDisplay(number) << " is no source number; \"orvanta sources\" lists them.\n";
        return 2;
    }
    const size_t index = std::stoul(number);
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    if (index >= settings.m_sources.size()) {
        err << "orvanta: there is no source " << index << " (" << settings.m_sources.size()
            << (settings.m_sources.size() == 1 ? " source" : " sources") << ").\n";
        return 1;
    }
    const CCalendarSource removed = settings.m_sources[index];
    settings.m_sources.erase(settings.m_sources.begin() + static_cast<std::ptrdiff_t>(index));
    if (!settings.SaveSources()) {
        err << "orvanta: the sources could not be saved.\n";
        return 1;
    }
    out << "Removed: " << Line(index, removed) << "\n";
    Saved(out);
    return 0;
}
