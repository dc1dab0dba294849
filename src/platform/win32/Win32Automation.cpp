#include "Win32Automation.h"

#include <windows.h>
#include <oleauto.h>
#include <ole2.h>
#include <ocidl.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "OutlookIds.h"
#include "ScopedWin.h"
#include "Utf.h"
#include "Variant.h"
#include "Win32Log.h"

namespace {

AutoObjectPtr WrapDispatch(IDispatch* d) { return CWin32AutomationPort::Wrap(d); }
// Makes a call again while the server answers it as busy, as the message filter says.
template <class Call> HRESULT RetryWhileBusy(Call call);
IDispatch* DispatchOf(const AutoObjectPtr& o);

class DispatchObject : public IAutoObject {
public:
    explicit DispatchObject(IDispatch* d) : m_d(ComPtr<IDispatch>::Share(d)) {}

    CAutoValue Get(const std::string& member) override { return Invoke(member, DISPATCH_PROPERTYGET, {}); }
    void Put(const std::string& member, const CAutoValue& value) override {
        Invoke(member, DISPATCH_PROPERTYPUT, {value});
    }
    CAutoValue Call(const std::string& member, const std::vector<CAutoValue>& args) override {
        return Invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }
    bool Supports(const std::string& interfaceName) override {
        IID iid;
        if (!OutlookInterfaceId(interfaceName, iid)) return false;
        ComPtr<IUnknown> p;
        return SUCCEEDED(m_d.As(iid, p)) && p;
    }
    std::shared_ptr<void> Advise(const std::string& events, EventHandler handler) override;

private:
    CAutoValue Invoke(const std::string& member, WORD flags, const std::vector<CAutoValue>& args) {
        std::wstring wname = Widen(member);
        LPOLESTR names[] = {wname.data()};
        DISPID id = 0;
        HRESULT hr = RetryWhileBusy([&] { return m_d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); });
        if (FAILED(hr)) throw CAutoError(hr, "unknown member " + member);
        // Each converted argument is owned at once, so one that fails to convert
        // leaves none of the others behind.
        std::vector<ScopedVariant> owned(args.size());
        for (size_t i = 0; i < args.size(); ++i)
            ToVariant(args[i], owned[args.size() - 1 - i].v, DispatchOf); // reversed
        std::vector<VARIANT> vargs;
        vargs.reserve(owned.size());
        for (const auto& o : owned) vargs.push_back(o.v); // shallow: owned keeps the contents
        DISPPARAMS params{vargs.empty() ? nullptr : vargs.data(), nullptr, static_cast<UINT>(vargs.size()), 0};
        DISPID putId = DISPID_PROPERTYPUT;
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        ScopedVariant result;
        EXCEPINFO info{};
        hr = RetryWhileBusy([&] {
            // A busy answer carries nothing to keep: each attempt starts empty.
            VariantClear(&result.v);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrHelpFile);
            info = EXCEPINFO{};
            UINT argErr = 0;
            return m_d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                               flags == DISPATCH_PROPERTYPUT ? nullptr : &result.v, &info, &argErr);
        });
        ScopedBstr description(info.bstrDescription), source(info.bstrSource), help(info.bstrHelpFile);
        if (hr == DISP_E_EXCEPTION) {
            std::string text = description.Get() ? Narrow(description.Get(), description.Length()) : "";
            long code = info.scode ? info.scode : static_cast<long>(hr);
            throw CAutoError(code, member + ": " + text);
        }
        if (FAILED(hr)) throw CAutoError(hr, member + " failed");
        return FromVariant(result.v, WrapDispatch);
    }

    friend IDispatch* DispatchOf(const AutoObjectPtr& o);
    ComPtr<IDispatch> m_d;
};

// Receives the events of one connection point and hands each to the handler by name.
// Events arrive on the thread that subscribed (its message loop), as Outlook's do.
class EventSink : public IDispatch {
public:
    EventSink(IID iid, std::string events, IAutoObject::EventHandler handler)
        : m_iid(iid), m_events(std::move(events)), m_handler(std::move(handler)) {}
    virtual ~EventSink() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_iid) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG r = --m_refs;
        if (r == 0) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        const std::string name = OutlookEventName(m_events, id);
        if (!name.empty() && m_handler) {
            try {
                m_handler(name);
            } catch (const std::exception& e) {
                LogCaught("Outlook event", e.what());
            }
        }
        return S_OK;
    }
    void Forget() { m_handler = nullptr; } // no event reaches the handler once unsubscribed

private:
    IID m_iid;
    std::string m_events;
    IAutoObject::EventHandler m_handler;
    std::atomic<ULONG> m_refs{1};
};

// A connection made with Advise, undone when the last holder lets it go.
struct Connection {
    ComPtr<IConnectionPoint> point;
    EventSink* sink = nullptr;
    DWORD cookie = 0;
    ~Connection() {
        sink->Forget();
        point->Unadvise(cookie); // Outlook may be gone: nothing to undo then
        sink->Release();
    }
};

std::shared_ptr<void> DispatchObject::Advise(const std::string& events, EventHandler handler) {
    IID iid;
    if (!OutlookEventsId(events, iid)) return nullptr;
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(m_d.As(IID_IConnectionPointContainer, container)) || !container) return nullptr;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = RetryWhileBusy([&] { return container->FindConnectionPoint(iid, point.Put()); });
    if (FAILED(hr) || !point) return nullptr;
    EventSink* sink = new EventSink(iid, events, std::move(handler));
    DWORD cookie = 0;
    hr = RetryWhileBusy([&] { return point->Advise(sink, &cookie); });
    if (FAILED(hr)) {
        sink->Release();
        throw CAutoError(hr, "Advise failed");
    }
    auto connection = std::make_shared<Connection>();
    connection->point = std::move(point);
    connection->sink = sink;
    connection->cookie = cookie;
    return connection;
}

// An object this port handed out goes back as itself (with a reference for the
// VARIANT); any other object cannot be passed.
IDispatch* DispatchOf(const AutoObjectPtr& o) {
    auto* d = dynamic_cast<DispatchObject*>(o.get());
    if (!d) return nullptr;
    d->m_d->AddRef();
    return d->m_d.Get();
}

// Creation, running and the request for the interface, keeping the failing step's code.
long Create(const CLSID& clsid, const IID* wanted, AutoObjectPtr& out) {
    ComPtr<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, unknown.PutVoid());
    if (FAILED(hr)) return hr;
    hr = OleRun(unknown.Get());
    if (FAILED(hr)) return hr;
    ComPtr<IDispatch> d;
    hr = unknown.As(wanted ? *wanted : IID_IDispatch, d);
    if (FAILED(hr)) return hr;
    out = CWin32AutomationPort::Wrap(d.Get());
    return S_OK;
}

std::atomic<DWORD> g_busyLimitMs{CWin32AutomationPort::kDefaultBusyLimitMs};

// Calls into another program's COM server (Outlook) that it rejects as busy are
// retried quietly for a bounded time instead of showing the system's "server busy"
// and "not responding" dialogs; then the call fails with its error.
class QuietMessageFilter : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IMessageFilter) {
            *ppv = static_cast<IMessageFilter*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // static lifetime
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // Outlook does not call the program; whatever arrives is served.
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    // "Retry later" is retried every kRetryMs until the bound; a plain rejection is final.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
        if (rejectType != SERVERCALL_RETRYLATER) return kCancel;
        const DWORD limit = g_busyLimitMs.load();
        if (elapsedMs >= limit) return kCancel;
        return std::min<DWORD>(kRetryMs, limit - elapsedMs);
    }
    // A message arriving while a call waits: window-management and paint messages are
    // dispatched, input is kept for later, and the call goes on waiting; never the
    // "not responding" dialog.
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

    static constexpr DWORD kCancel = static_cast<DWORD>(-1);

private:
    static constexpr DWORD kRetryMs = 100;
};

QuietMessageFilter g_filter;

bool IsBusy(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

// On Windows COM itself asks the filter while the call is rejected and returns
// RPC_E_CALL_REJECTED once the filter gives up, so this loop ends at once. Wine does
// not retry (its server side treats SERVERCALL_RETRYLATER as handled), and a server
// can answer RPC_E_SERVERCALL_RETRYLATER itself: then the program retries here, by
// the same filter and the same bound, counted from the first attempt.
template <class Call> HRESULT RetryWhileBusy(Call call) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        HRESULT hr = call();
        if (!IsBusy(hr)) return hr;
        const DWORD elapsed = static_cast<DWORD>(std::min<ULONGLONG>(GetTickCount64() - start, 0x7FFFFFFF));
        const DWORD wait = g_filter.RetryRejectedCall(nullptr, elapsed, SERVERCALL_RETRYLATER);
        if (wait == QuietMessageFilter::kCancel) return hr;
        Sleep(wait);
    }
}

} // namespace

bool CWin32AutomationPort::StartOle() {
    if (FAILED(OleInitialize(nullptr))) return false;
    ComPtr<IMessageFilter> previous;
    LogIfFailed(CoRegisterMessageFilter(&g_filter, previous.Put()), "registering the message filter");
    return true;
}

void CWin32AutomationPort::StopOle() {
    ComPtr<IMessageFilter> previous;
    LogIfFailed(CoRegisterMessageFilter(nullptr, previous.Put()), "removing the message filter");
    OleUninitialize();
}

void CWin32AutomationPort::SetBusyLimitMs(unsigned ms) { g_busyLimitMs = ms; }
unsigned CWin32AutomationPort::BusyLimitMs() { return g_busyLimitMs; }

AutoObjectPtr CWin32AutomationPort::Wrap(IDispatch* dispatch) {
    return dispatch ? std::make_shared<DispatchObject>(dispatch) : nullptr;
}

bool CWin32AutomationPort::OutlookInstalled() {
    // The key COM itself looks the class up under (HKEY_CLASSES_ROOT merges the user's
    // and the machine's classes); opening it starts nothing.
    wchar_t clsid[40] = {};
    if (!StringFromGUID2(kOutlookApplicationClsid, clsid, 40)) return false;
    ScopedKey key;
    const std::wstring path = std::wstring(L"CLSID\\") + clsid;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

long CWin32AutomationPort::CreateOutlook(AutoObjectPtr& application) {
    application.reset();
    IID app;
    OutlookInterfaceId("_Application", app);
    return Create(kOutlookApplicationClsid, &app, application);
}

long CWin32AutomationPort::CreateByProgId(const std::string& progId, AutoObjectPtr& object) {
    object.reset();
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(Widen(progId).c_str(), &clsid);
    if (FAILED(hr)) return hr;
    return Create(clsid, nullptr, object);
}

std::string CWin32AutomationPort::ErrorText(long code) {
    wchar_t buf[1024];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, 1024, nullptr);
    return n ? Narrow(buf, n) : std::string();
}
