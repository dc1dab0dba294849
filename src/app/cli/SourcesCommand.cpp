#include "SourcesCommand.h"

#include <filesystem>
#include <system_error>

#include "../../platform/Platform.h"
#include "../../settings/SourcesKey.h"
#include "../../settings/Settings.h"
#include "../../util/FeedUrl.h"
#include "../../util/Strings.h"
#include "../../util/Utf8.h"
#include "../MainFrame.h"

namespace {

namespace fs = std::filesystem;

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

// What a path names: false with why when it is neither a file nor a folder.
bool KindOfPath(const fs::path& path, CCalendarSource::Kind& kind, std::string& why) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) {
        why = "there is no file or folder " + QuotedForDisplay(path.string(), 1024);
        return false;
    }
    if (fs::is_directory(st)) {
        bool maildir = true;
        for (const char* sub : {"cur", "new", "tmp"}) maildir = maildir && fs::is_directory(path / sub, ec);
        kind = maildir ? CCalendarSource::Kind::Maildir : CCalendarSource::Kind::Folder;
        return true;
    }
    if (fs::is_regular_file(st)) {
        kind = CCalendarSource::Kind::File;
        return true;
    }
    why = QuotedForDisplay(path.string(), 1024) + " is neither a file nor a folder";
    return false;
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
    CCalendarSource source;
    if (pathOrUrl.find("://") != std::string::npos) {
        if (!CFeedUrl::IsFeed(pathOrUrl)) {
            err << "orvanta: " << CFeedUrl::Masked(pathOrUrl)
                << " is no http, https or webcal address; only those are read as feeds.\n";
            return 1;
        }
        source.kind = CCalendarSource::Kind::Feed;
        const auto first = pathOrUrl.find_first_not_of(" \t");
        source.location = pathOrUrl.substr(first, pathOrUrl.find_last_not_of(" \t") - first + 1);
    } else {
        std::error_code ec;
        fs::path path = fs::absolute(fs::path(pathOrUrl), ec).lexically_normal();
        if (path.has_filename() == false && path.has_parent_path() && path != path.root_path())
            path = path.parent_path(); // "dir/" is "dir"
        std::string why;
        if (ec || !KindOfPath(path, source.kind, why)) {
            err << "orvanta: " << (why.empty() ? ec.message() : why) << ".\n";
            return 1;
        }
        source.location = path.string();
    }

    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    for (size_t i = 0; i < settings.m_sources.size(); ++i) {
        const CCalendarSource& s = settings.m_sources[i];
        if (s.kind == source.kind &&
            (source.kind == CCalendarSource::Kind::Feed ? CFeedUrl::Normalised(s.location) == CFeedUrl::Normalised(source.location)
                                                        : s.location == source.location)) {
            err << "orvanta: that is source " << i << " already.\n";
            return 1;
        }
    }
    if (settings.m_sources.size() >= static_cast<size_t>(CSourcesKey::kMaxSources)) {
        err << "orvanta: there are " << CSourcesKey::kMaxSources << " sources already, as many as are kept.\n";
        return 1;
    }
    settings.m_sources.push_back(source);
    if (!settings.SaveSources()) {
        err << "orvanta: the sources could not be saved.\n";
        return 1;
    }
    out << "Added: " << Line(settings.m_sources.size() - 1, source) << "\n";
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
