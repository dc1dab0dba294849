#include "SourcesKey.h"

#include "../platform/Platform.h"
#include "../system/Registry.h"
#include "../util/FeedUrl.h"
#include "../util/Parser.h"

namespace {

constexpr size_t kLocationBuffer = 4096; // a published calendar's address can be long

std::string KeyOf(const std::string& root, int index) { return root + "\\Sources\\" + std::to_string(index); }

IRegistryPort& PortOf(IRegistryPort* port) { return port ? *port : Port<IRegistryPort>(); }

} // namespace

const char* CSourcesKey::KindName(CCalendarSource::Kind kind) {
    switch (kind) {
    case CCalendarSource::Kind::File: return "File";
    case CCalendarSource::Kind::Folder: return "Folder";
    case CCalendarSource::Kind::Feed: return "Feed";
    case CCalendarSource::Kind::Maildir: return "Maildir";
    }
    return "File";
}

bool CSourcesKey::KindFromName(const std::string& name, CCalendarSource::Kind& kind) {
    const std::string upper = EParser::ToUpper(name);
    for (auto k : {CCalendarSource::Kind::File, CCalendarSource::Kind::Folder, CCalendarSource::Kind::Feed,
                   CCalendarSource::Kind::Maildir}) {
        if (upper == EParser::ToUpper(KindName(k))) {
            kind = k;
            return true;
        }
    }
    return false;
}

std::string CSourcesKey::ShownLocation(const CCalendarSource& source) {
    return source.kind == CCalendarSource::Kind::Feed ? CFeedUrl::Masked(source.location) : source.location;
}

std::vector<CCalendarSource> CSourcesKey::Load(IRegistryPort* port, const std::string& root,
                                                     std::vector<std::string>& problems) {
    std::vector<CCalendarSource> sources;
    {
        CRegistry list(&PortOf(port));
        if (!list.Open(RegRoot::CurrentUser, root + "\\Sources", RegAccess::Read)) return sources;
    }
    for (int i = 0; i < kMaxSources; ++i) {
        CRegistry reg(&PortOf(port));
        if (!reg.Open(RegRoot::CurrentUser, KeyOf(root, i), RegAccess::Read)) continue;
        const std::string key = "Sources\\" + std::to_string(i);
        auto leaveOut = [&](const std::string& why) {
            problems.push_back("The calendar source " + key + " is left out: " + why + ".");
        };

        CCalendarSource source;
        std::string kindText;
        if (!reg.ValueExists("Kind")) {
            leaveOut("it has no \"Kind\"");
            continue;
        }
        if (!reg.ReadText("Kind", kindText, 64) || !KindFromName(kindText, source.kind)) {
            leaveOut("its \"Kind\" is none of File, Folder, Feed and Maildir");
            continue;
        }
        if (!reg.ReadText("Location", source.location, kLocationBuffer) || source.location.empty()) {
            leaveOut(reg.ValueExists("Location") ? "its \"Location\" is not a text of at most 4095 characters"
                                                 : "it has no \"Location\"");
            continue;
        }
        if (source.kind == CCalendarSource::Kind::Feed && !CFeedUrl::IsFeed(source.location)) {
            leaveOut("its \"Location\" " + CFeedUrl::Masked(source.location) +
                     " is no http, https or webcal address");
            continue;
        }
        reg.ReadText("Name", source.name, 260); // another type or a missing value: no name
        std::string show;
        reg.ReadText("Show", show, 16);
        source.shown = EParser::ToUpper(show) != "FALSE";
        sources.push_back(std::move(source));
    }
    return sources;
}

bool CSourcesKey::Save(IRegistryPort* port, const std::string& root,
                            const std::vector<CCalendarSource>& sources) {
    IRegistryPort& registry = PortOf(port);
    bool ok = true;
    for (size_t i = 0; i < sources.size() && i < static_cast<size_t>(kMaxSources); ++i) {
        const CCalendarSource& s = sources[i];
        const std::string key = KeyOf(root, static_cast<int>(i));
        CRegistry reg(&registry);
        if (!reg.Open(RegRoot::CurrentUser, key, RegAccess::Write)) {
            reg.CreateKeyPath(RegRoot::CurrentUser, key, "REG_BINARY");
            if (!reg.Open(RegRoot::CurrentUser, key, RegAccess::Write)) {
                ok = false;
                continue;
            }
        }
        ok = reg.WriteValues({{"Kind", RegValue::Text(KindName(s.kind))},
                              {"Location", RegValue::Text(s.location)},
                              {"Name", RegValue::Text(s.name)},
                              {"Show", RegValue::Text(s.shown ? "TRUE" : "FALSE")}}) &&
             ok;
    }
    for (int i = static_cast<int>(sources.size()); i < kMaxSources; ++i) {
        CRegistry reg(&registry);
        if (!reg.Open(RegRoot::CurrentUser, KeyOf(root, i), RegAccess::Read)) continue;
        reg.Close();
        ok = registry.DeleteKeyTree(RegRoot::CurrentUser, KeyOf(root, i)) == RegError::Success && ok;
    }
    return ok && sources.size() <= static_cast<size_t>(kMaxSources);
}
