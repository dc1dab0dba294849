#include "LiveStore.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "../outlook/store/SubstituteOutlook.h"
#include "../platform/Platform.h"
#include "../util/OleDateTime.h"

namespace {

// Application or NameSpace of the store as it is at each call.
class LiveObject : public IAutoObject {
public:
    LiveObject(std::shared_ptr<CLiveStore> store, bool isNamespace)
        : m_store(std::move(store)), m_namespace(isNamespace) {}
    CAutoValue Get(const std::string& member) override { return Target()->Get(member); }
    void Put(const std::string& member, const CAutoValue& value) override { Target()->Put(member, value); }
    CAutoValue Call(const std::string& member, const std::vector<CAutoValue>& args) override {
        // The namespace handed out stays the stand-in, so that later reads see later files.
        if (!m_namespace && member == "GetNamespace") {
            Target()->Call(member, args); // what Outlook checks of its argument, it checks
            return CAutoValue::Object(std::make_shared<LiveObject>(m_store, true));
        }
        return Target()->Call(member, args);
    }
    bool Supports(const std::string& interfaceName) override { return Target()->Supports(interfaceName); }

private:
    AutoObjectPtr Target() {
        if (m_namespace) {
            m_store->Refresh();
            return m_store->CurrentNamespace();
        }
        return m_store->CurrentApplication();
    }
    std::shared_ptr<CLiveStore> m_store;
    bool m_namespace;
};

} // namespace

bool CLiveStore::Stamp(long long& mtimeNs, long long& size) const {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(m_path, ec);
    if (ec) return false;
    const auto bytes = std::filesystem::file_size(m_path, ec);
    if (ec) return false;
    mtimeNs = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
    size = static_cast<long long>(bytes);
    return true;
}

bool CLiveStore::Load(std::string& error) {
    long long mtime = -1, size = -1;
    Stamp(mtime, size);
    const COleDateTime now = LocalNow();
    auto store = CSubstituteOutlook::LoadFile(m_path, std::floor(COleDateTime::ToLinear(now.m_dt)), error);
    if (!store) return false;
    if (m_onLoad) m_onLoad(*store);
    m_store = std::move(store);
    m_application = m_store->Application();
    m_namespace.reset();
    m_mtimeNs = mtime;
    m_size = size;
    return true;
}

AutoObjectPtr CLiveStore::CurrentNamespace() {
    if (!m_namespace && m_application)
        m_namespace = m_application->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
    return m_namespace;
}

void CLiveStore::Refresh() {
    long long mtime = -1, size = -1;
    if (!Stamp(mtime, size) || (mtime == m_mtimeNs && size == m_size)) return;
    std::string error;
    if (Load(error)) {
        m_reportedFailure = false;
        return;
    }
    // Not again until the file changes once more.
    m_mtimeNs = mtime;
    m_size = size;
    if (!m_reportedFailure) {
        if (m_onReadError) m_onReadError(error);
        else std::fprintf(stderr, "orvanta: the Outlook store %s (the last one read stays)\n", error.c_str());
    }
    m_reportedFailure = true;
}

AutoObjectPtr CLiveStore::Application() { return std::make_shared<LiveObject>(shared_from_this(), false); }
