// A test fixture, never shipped: the substitute Outlook store served over COM as
// Outlook.Application, so that the engine's real COM path can be tested under Wine.
// It is an in-process server (InprocServer32): across processes Wine marshals
// Outlook's interface ids only with Outlook's own type library, which a fixture
// cannot ship. The store file is named by the environment variable
// ORVANTA_FAKE_OUTLOOK_STORE of the process that creates the object.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "OutlookIds.h"
#include "ScopedWin.h"
#include "Utf.h"
#include "Variant.h"
#include "Win32Log.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/Platform.h"
#include "util/OleDateTime.h"

namespace {

std::atomic<long> g_objects{0};

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
IDispatch* DispatchOf(const AutoObjectPtr& o);

class Server : public IDispatch {
public:
    explicit Server(AutoObjectPtr o) : m_o(std::move(o)) { ++g_objects; }
    virtual ~Server() { --g_objects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        std::string name;
        if (iid == IID_IUnknown || iid == IID_IDispatch || (OutlookInterfaceName(iid, name) && m_o->Supports(name))) {
            *out = static_cast<IDispatch*>(this);
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
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) ids[i] = IdOf(names[i]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override {
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
            if (result) ToVariant(r, *result, DispatchOf);
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

private:
    AutoObjectPtr m_o;
    std::atomic<ULONG> m_refs{1};
};

// The reference goes to the caller.
IDispatch* DispatchOf(const AutoObjectPtr& o) { return new Server(o); }

class Factory : public IClassFactory {
public:
    explicit Factory(std::shared_ptr<CSubstituteOutlook> store) : m_store(std::move(store)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        ComPtr<Server> s = ComPtr<Server>::Adopt(new Server(m_store->Application()));
        return s->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    std::shared_ptr<CSubstituteOutlook> m_store;
};

} // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != kOutlookApplicationClsid) return CLASS_E_CLASSNOTAVAILABLE;
    static std::shared_ptr<CSubstituteOutlook> store;
    static std::unique_ptr<Factory> factory;
    if (!factory) {
        InstallPorts(RealPorts()); // this module's own copy of the layers reads the user's locale
        wchar_t path[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"ORVANTA_FAKE_OUTLOOK_STORE", path, MAX_PATH)) return CO_E_APPNOTFOUND;
        SYSTEMTIME st{};
        GetLocalTime(&st);
        COleDateTime now(st.wYear, st.wMonth, st.wDay, 0, 0, 0);
        std::string error;
        store = CSubstituteOutlook::LoadFile(Narrow(path), std::floor(COleDateTime::ToLinear(now.m_dt)), error);
        if (!store) return CO_E_APPNOTFOUND;
        factory = std::make_unique<Factory>(store);
    }
    return factory->QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }

// Objects handed out and not yet released: the tests assert that the program
// releases every reference it was given.
extern "C" __declspec(dllexport) long STDAPICALLTYPE FakeOutlookLiveObjects() { return g_objects; }
