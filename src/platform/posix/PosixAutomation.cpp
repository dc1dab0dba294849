#include "PosixAutomation.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../../outlook/store/SubstituteOutlook.h"
#include "../../util/FileSystem.h"
#include "../../util/OleDateTime.h"
#include "../../util/Registry.h"

std::string CPosixAutomationPort::StorePath() {
    if (const char* env = std::getenv("ORVANTA_STORE"); env && *env) return env;
    CRegistry reg;
    std::string path;
    if (reg.Open(RegRoot::CurrentUser, "Software\\Kestrova\\Orvanta for Outlook\\3.5") &&
        reg.ReadText("Outlook Store", path, 4096) && !path.empty())
        return path;
    return EFileSystem::DirectoryPart(EFileSystem::ProgramFilePath(false)) + "examples/sample-store.json";
}

long CPosixAutomationPort::CreateOutlook(AutoObjectPtr& application) {
    application.reset();
    COleDateTime now = COleDateTime::GetCurrentTime();
    std::string error;
    m_store = CSubstituteOutlook::LoadFile(StorePath(), std::floor(COleDateTime::ToLinear(now.m_dt)), error);
    if (!m_store) {
        std::fprintf(stderr, "orvanta: the Outlook store %s\n", error.c_str());
        return AutoCode::ClassNotRegistered;
    }
    application = m_store->Application();
    return 0;
}

std::string CPosixAutomationPort::ErrorText(long code) {
    // The texts Windows gives for the codes this port and the store produce.
    switch (code) {
    case AutoCode::ClassNotRegistered: return "Class not registered\r\n";
    case AutoCode::ServerExecFailed: return "Server execution failed\r\n";
    case AutoCode::UnknownName: return "Unknown name.\r\n";
    case AutoCode::TypeMismatch: return "Type mismatch.\r\n";
    case AutoCode::Exception: return "Exception occurred.\r\n";
    case AutoCode::BadParamCount: return "Invalid number of parameters.\r\n";
    case AutoCode::InvalidArg: return "The parameter is incorrect.\r\n";
    default: return std::string();
    }
}
