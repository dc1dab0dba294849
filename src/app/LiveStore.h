#pragma once
// The Linux program's Outlook: the store file, read again when it changes. What the
// engine holds from its connection (the application and its namespace) are stand-ins
// that pass every call to the store as it is now; the file is looked at (its time
// and size) at each call of the namespace, which the engine makes at every read. A
// file that changed but cannot be read leaves the last good store in use, said once.
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "../automation/AutoValue.h"

class CSubstituteOutlook;

class CLiveStore : public std::enable_shared_from_this<CLiveStore> {
public:
    explicit CLiveStore(std::string path) : m_path(std::move(path)) {}
    // Reads the file; false with the reason when it cannot be read.
    bool Load(std::string& error);
    // The stand-in for Outlook's application object.
    AutoObjectPtr Application();
    // Reads the file again when it changed since the last look.
    void Refresh();
    std::shared_ptr<CSubstituteOutlook> Store() const { return m_store; }
    AutoObjectPtr CurrentApplication() const { return m_application; }
    AutoObjectPtr CurrentNamespace();
    // Called with each store read, before it is used (what a server sets up on its
    // store: an action log, members made to fail).
    std::function<void(CSubstituteOutlook&)> m_onLoad;
    // Told why a changed file could not be read (standard error when unset).
    std::function<void(const std::string&)> m_onReadError;

private:
    bool Stamp(long long& mtimeNs, long long& size) const;
    std::string m_path;
    std::shared_ptr<CSubstituteOutlook> m_store;
    AutoObjectPtr m_application;
    AutoObjectPtr m_namespace;
    long long m_mtimeNs = -1;
    long long m_size = -1;
    bool m_reportedFailure = false;
};
