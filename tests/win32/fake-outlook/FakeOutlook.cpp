// A test fixture, never shipped: the substitute Outlook store served over COM as
// Outlook.Application, so that the engine's real COM path can be tested under Wine.
// This is the in-process server (InprocServer32); fake-outlook-server.exe serves the
// same objects across processes. The store file is named by the environment variable
// ORVANTA_FAKE_OUTLOOK_STORE of the process that creates the object.
#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <memory>
#include <string>

#include "FakeOutlookObjects.h"
#include "OutlookIds.h"
#include "ScopedWin.h"
#include "Utf.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/Platform.h"
#include "util/OleDateTime.h"

namespace {

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
        ComPtr<IDispatch> s = ComPtr<IDispatch>::Adopt(FakeDispatch(m_store->Application()));
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

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return FakeLiveObjects() == 0 ? S_OK : S_FALSE;
}

// Objects handed out and not yet released: the tests assert that the program
// releases every reference it was given.
extern "C" __declspec(dllexport) long STDAPICALLTYPE FakeOutlookLiveObjects() { return FakeLiveObjects(); }
