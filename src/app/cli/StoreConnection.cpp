#include "StoreConnection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../../outlook/store/SubstituteOutlook.h"
#include "../LiveStore.h"
#include "../../platform/Platform.h"
#include "../../system/FileSystem.h"
#include "../../system/Registry.h"
#include "../../settings/Settings.h"
#include "../../settings/SourcesKey.h"
#include "../../util/OleDateTime.h"

CStoreConnection::Location CStoreConnection::FindStore() {
    if (const char* env = std::getenv("ORVANTA_STORE"); env && *env) return {env, "ORVANTA_STORE names it"};
    CRegistry reg;
    std::string path;
    if (reg.Open(RegRoot::CurrentUser, CSettings::ProgramRegistryRoot()) && reg.ReadText("Outlook Store", path, 4096) &&
        !path.empty())
        return {path, "the setting \"Outlook Store\" names it"};
    std::string sample = EFileSystem::ShippedFile("examples/sample-store.json");
    if (sample.empty()) sample = EFileSystem::DirectoryPart(EFileSystem::ProgramFilePath(false)) + "examples/sample-store.json";
    return {sample,
            "it is the sample store beside the program (neither ORVANTA_STORE nor the setting \"Outlook Store\" "
            "names another)",
            true};
}

bool CStoreConnection::SourcesConfigured() {
    std::vector<std::string> problems;
    const std::vector<CCalendarSource> sources = CSourcesKey::Load(nullptr, CSettings::ProgramRegistryRoot(), problems);
    return std::any_of(sources.begin(), sources.end(), [](const CCalendarSource& s) {
        return s.shown && s.kind != CCalendarSource::Kind::Maildir;
    });
}

long CStoreConnection::Connect(AutoObjectPtr& application, std::string& failure) {
    application.reset();
    const Location store = FindStore();
    // The sample week is a stand-in for a user without data of their own: one who has
    // calendar sources configured sees theirs alone.
    if (store.sample && SourcesConfigured()) {
        failure = "No Outlook store file is named; the calendar sources are read instead.";
        return AutoCode::ClassNotRegistered;
    }
    auto live = std::make_shared<CLiveStore>(store.path);
    std::string error;
    if (!live->Load(error)) {
        // The reason names the file first; it is said once, with where it was looked for.
        failure = "The Outlook store file could not be read: " + error + ".\nIt was looked for at " + store.path +
                  " because " + store.namedBy + ".";
        return AutoCode::ClassNotRegistered;
    }
    m_live = std::move(live);
    application = m_live->Application();
    return 0;
}

std::shared_ptr<CSubstituteOutlook> CStoreConnection::Store() const { return m_live ? m_live->Store() : nullptr; }
