#include "StoreConnection.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../outlook/store/SubstituteOutlook.h"
#include "LiveStore.h"
#include "../platform/Platform.h"
#include "../settings/FileSystem.h"
#include "../settings/Registry.h"
#include "../settings/Settings.h"
#include "../util/OleDateTime.h"

std::string CStoreConnection::StorePath() {
    if (const char* env = std::getenv("ORVANTA_STORE"); env && *env) return env;
    CRegistry reg;
    std::string path;
    if (reg.Open(RegRoot::CurrentUser, CSettings::ProgramRegistryRoot()) && reg.ReadText("Outlook Store", path, 4096) &&
        !path.empty())
        return path;
    return EFileSystem::DirectoryPart(EFileSystem::ProgramFilePath(false)) + "examples/sample-store.json";
}

long CStoreConnection::Connect(AutoObjectPtr& application) {
    application.reset();
    auto live = std::make_shared<CLiveStore>(StorePath());
    std::string error;
    if (!live->Load(error)) {
        std::fprintf(stderr, "orvanta: the Outlook store %s\n", error.c_str());
        return AutoCode::ClassNotRegistered;
    }
    m_live = std::move(live);
    application = m_live->Application();
    return 0;
}

std::shared_ptr<CSubstituteOutlook> CStoreConnection::Store() const { return m_live ? m_live->Store() : nullptr; }
