#include "FakeOutlookObjects.h"

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "OutlookIds.h"
#include "Utf.h"
#include "Variant.h"
#include "Win32Log.h"

namespace {

std::atomic<long> g_objects{0};
std::atomic<bool> g_events{true};
std::function<HRESULT()> g_gate;

// Member names get ids on first use; the same name always has the same id.
std::mutex g_namesLock;
std::map<std::wstring, DISPID> g_ids;
std::map<DISPID, std::string> g_names;

DISPID IdOf(const wchar_t* name) {
    std::lock_guard<std::mutex> lock(g_namesLock);
    auto it = g_ids.find(name);
    if (it != g_ids.end()) return it->second;
    DISPID id = static_cast<DISPID>(g_ids.size() + 1);
    g_ids[name] = id;
    g_names[id] = Narrow(name);
    return id;
}

std::string NameOf(DISPID id) {
    std::lock_guard<std::mutex> lock(g_namesLock);
    auto it = g_names.find(id);
    return it == g_names.end() ? std::string() : it->second;
}

// The program passes no objects as arguments; none is taken from it.
AutoObjectPtr Unwrap(IDispatch*) { return nullptr; }

HRESULT Gate() { return g_gate ? g_gate() : S_OK; }

// One event interface of an object: Advise subscribes the program's sink to the
// store's events, Unadvise ends it.
class Point : public IConnectionPoint {
public:
    Point(AutoObjectPtr o, IID iid, std::string events, IConnectionPointContainer* container)
        : m_o(std::move(o)), m_iid(iid), m_events(std::move(events)), m_container(container) {
        m_container->AddRef();
    }
    virtual ~Point() { m_container->Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
            *out = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG r = --m_refs;
        if (r == 0) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = m_iid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
        if (!out) return E_POINTER;
        *out = m_container;
        m_container->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        IDispatch* d = nullptr;
        if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))) || !d) return CONNECT_E_CANNOTCONNECT;
        std::shared_ptr<IDispatch> held(d, [](IDispatch* p) { p->Release(); });
        const std::string events = m_events;
        std::shared_ptr<void> token;
        try {
            token = m_o->Advise(m_events, [held, events](const std::string& name) {
                DISPPARAMS none{nullptr, nullptr, 0, 0};
                held->Invoke(OutlookEventId(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                             nullptr, nullptr);
            });
        } catch (const std::exception& e) {
            LogCaught("fake Outlook", e.what());
        }
        if (!token) return CONNECT_E_CANNOTCONNECT;
        *cookie = ++m_next;
        m_tokens[*cookie] = token;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        return m_tokens.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    AutoObjectPtr m_o;
    IID m_iid;
    std::string m_events;
    IConnectionPointContainer* m_container;
    std::map<DWORD, std::shared_ptr<void>> m_tokens;
    DWORD m_next = 0;
    std::atomic<ULONG> m_refs{1};
};

class Server : public IDispatch, public IConnectionPointContainer {
public:
    explicit Server(AutoObjectPtr o) : m_o(std::move(o)) { ++g_objects; }
    virtual ~Server() { --g_objects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        std::string name;
        try {
            if (iid == IID_IUnknown || iid == IID_IDispatch || (OutlookInterfaceName(iid, name) && m_o->Supports(name))) {
                *out = static_cast<IDispatch*>(this);
                AddRef();
                return S_OK;
            }
            if (iid == IID_IConnectionPointContainer && g_events) {
                *out = static_cast<IConnectionPointContainer*>(this);
                AddRef();
                return S_OK;
            }
        } catch (const std::exception& e) {
            LogCaught("fake Outlook", e.what());
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG r = --m_refs;
        if (r == 0) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT gate = Gate();
        if (gate != S_OK) return gate;
        for (UINT i = 0; i < count; ++i) ids[i] = IdOf(names[i]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override {
        HRESULT gate = Gate();
        if (gate != S_OK) return gate;
        std::string member = NameOf(id);
        if (member.empty()) return DISP_E_MEMBERNOTFOUND;
        std::vector<CAutoValue> args;
        UINT positional = params ? params->cArgs - params->cNamedArgs : 0;
        try {
            for (UINT i = 0; i < positional; ++i) args.push_back(FromVariant(params->rgvarg[positional - 1 - i], Unwrap));
            CAutoValue r;
            if (flags & DISPATCH_PROPERTYPUT) {
                if (!params || params->cArgs < 1) return DISP_E_BADPARAMCOUNT;
                m_o->Put(member, FromVariant(params->rgvarg[0], Unwrap));
            } else if ((flags & DISPATCH_PROPERTYGET) && args.empty() && !(flags & DISPATCH_METHOD)) {
                r = m_o->Get(member);
            } else {
                try {
                    r = m_o->Call(member, args);
                } catch (const CAutoError& e) {
                    if (e.Code() != AutoCode::UnknownName || !args.empty()) throw;
                    r = m_o->Get(member); // a property asked for as method-or-get
                }
            }
            if (result) ToVariant(r, *result, FakeDispatch);
            return S_OK;
        } catch (const CAutoError& e) {
            if (info) {
                *info = EXCEPINFO{};
                info->scode = e.Code();
                info->bstrDescription = SysAllocString(Widen(e.what()).c_str());
                info->bstrSource = SysAllocString(L"Fake Outlook");
            }
            return DISP_E_EXCEPTION;
        } catch (const std::exception& e) {
            LogCaught("fake Outlook", e.what());
            return E_FAIL;
        } catch (...) {
            LogCaught("fake Outlook", "unknown exception");
            return E_FAIL;
        }
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::string events;
        if (!g_events || !OutlookEventsName(iid, events)) return CONNECT_E_NOCONNECTION;
        *out = new Point(m_o, iid, events, this);
        return S_OK;
    }

private:
    AutoObjectPtr m_o;
    std::atomic<ULONG> m_refs{1};
};

} // namespace

IDispatch* FakeDispatch(const AutoObjectPtr& o) { return new Server(o); }
long FakeLiveObjects() { return g_objects; }
void SetFakeCallGate(std::function<HRESULT()> gate) { g_gate = std::move(gate); }
void SetFakeEvents(bool on) { g_events = on; }
