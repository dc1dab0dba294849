#include "StoreConnection.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../outlook/store/SubstituteOutlook.h"
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
    const COleDateTime now = LocalNow();
    std::string error;
    m_store = CSubstituteOutlook::LoadFile(StorePath(), std::floor(COleDateTime::ToLinear(now.m_dt)), error);
    if (!m_store) {
        std::fprintf(stderr, "orvanta: the Outlook store %s\n", error.c_str());
        return AutoCode::ClassNotRegistered;
    }
    application = m_store->Application();
    return 0;
}
