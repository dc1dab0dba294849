#include "Win32Automation.h"

#include <windows.h>
#include <oleauto.h>
#include <ole2.h>

#include <map>

#include "Utf.h"

namespace {

const CLSID kOutlookClsid = {0x0006F03A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Outlook's interfaces share one pattern: {000630xx-0000-0000-C000-000000000046}.
GUID OutlookIid(unsigned long data1) {
    return GUID{data1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

bool InterfaceId(const std::string& name, IID& out) {
    static const std::map<std::string, unsigned long> kOutlook = {
        {"_Application", 0x00063001}, {"_NameSpace", 0x00063002},      {"_Inspector", 0x00063005},
        {"MAPIFolder", 0x00063006},   {"Attachment", 0x00063007},      {"_AppointmentItem", 0x00063033},
        {"_MailItem", 0x00063034},    {"_TaskItem", 0x00063035},       {"Attachments", 0x0006303C},
        {"_Folders", 0x00063040},     {"_Items", 0x00063041}};
    auto it = kOutlook.find(name);
    if (it != kOutlook.end()) {
        out = OutlookIid(it->second);
        return true;
    }
    if (name == "IDispatch") {
        out = IID_IDispatch;
        return true;
    }
    return false;
}

class ComPtrDispatch {
public:
    explicit ComPtrDispatch(IDispatch* p) : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    ~ComPtrDispatch() {
        if (m_p) m_p->Release();
    }
    ComPtrDispatch(const ComPtrDispatch&) = delete;
    ComPtrDispatch& operator=(const ComPtrDispatch&) = delete;
    IDispatch* Get() const { return m_p; }

private:
    IDispatch* m_p;
};

class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&v); }
    ~ScopedVariant() { VariantClear(&v); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    VARIANT v;
};

void ToVariant(const CAutoValue& in, VARIANT& out);
CAutoValue FromVariant(const VARIANT& in);

class DispatchObject : public IAutoObject {
public:
    explicit DispatchObject(IDispatch* d) : m_d(d) {}

    CAutoValue Get(const std::string& member) override { return Invoke(member, DISPATCH_PROPERTYGET, {}); }
    void Put(const std::string& member, const CAutoValue& value) override {
        Invoke(member, DISPATCH_PROPERTYPUT, {value});
    }
    CAutoValue Call(const std::string& member, const std::vector<CAutoValue>& args) override {
        return Invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }
    bool Supports(const std::string& interfaceName) override {
        IID iid;
        if (!InterfaceId(interfaceName, iid)) return false;
        IUnknown* p = nullptr;
        if (FAILED(m_d.Get()->QueryInterface(iid, reinterpret_cast<void**>(&p))) || !p) return false;
        p->Release();
        return true;
    }

private:
    CAutoValue Invoke(const std::string& member, WORD flags, const std::vector<CAutoValue>& args) {
        std::wstring wname = Widen(member);
        LPOLESTR names[] = {wname.data()};
        DISPID id = 0;
        HRESULT hr = m_d.Get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) throw CAutoError(hr, "unknown member " + member);
        std::vector<VARIANT> vargs(args.size());
        for (size_t i = 0; i < args.size(); ++i) ToVariant(args[i], vargs[args.size() - 1 - i]); // reversed
        DISPPARAMS params{vargs.empty() ? nullptr : vargs.data(), nullptr, static_cast<UINT>(vargs.size()), 0};
        DISPID putId = DISPID_PROPERTYPUT;
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        ScopedVariant result;
        EXCEPINFO info{};
        UINT argErr = 0;
        hr = m_d.Get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                               flags == DISPATCH_PROPERTYPUT ? nullptr : &result.v, &info, &argErr);
        for (auto& v : vargs) VariantClear(&v);
        if (hr == DISP_E_EXCEPTION) {
            std::string text = info.bstrDescription ? Narrow(info.bstrDescription, SysStringLen(info.bstrDescription)) : "";
            long code = info.scode ? info.scode : static_cast<long>(hr);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrHelpFile);
            throw CAutoError(code, member + ": " + text);
        }
        if (FAILED(hr)) throw CAutoError(hr, member + " failed");
        return FromVariant(result.v);
    }

    ComPtrDispatch m_d;
};

void ToVariant(const CAutoValue& in, VARIANT& out) {
    VariantInit(&out);
    switch (in.GetKind()) {
    case CAutoValue::Kind::Empty: break;
    case CAutoValue::Kind::Missing:
        out.vt = VT_ERROR;
        out.scode = DISP_E_PARAMNOTFOUND;
        break;
    case CAutoValue::Kind::Bool:
        out.vt = VT_BOOL;
        out.boolVal = in.AsBool() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case CAutoValue::Kind::Int:
        out.vt = VT_I4;
        out.lVal = in.AsInt();
        break;
    case CAutoValue::Kind::Double:
        out.vt = VT_R8;
        out.dblVal = in.AsDouble();
        break;
    case CAutoValue::Kind::Date:
        out.vt = VT_DATE;
        out.date = in.AsDate();
        break;
    case CAutoValue::Kind::String: {
        std::wstring w = Widen(in.AsString());
        out.vt = VT_BSTR;
        out.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        break;
    }
    case CAutoValue::Kind::Object:
        throw CAutoError(E_NOTIMPL, "objects cannot be passed as arguments");
    }
}

CAutoValue FromVariant(const VARIANT& in) {
    switch (in.vt) {
    case VT_EMPTY:
    case VT_NULL: return {};
    case VT_BOOL: return CAutoValue::Bool(in.boolVal != VARIANT_FALSE);
    case VT_I1: return CAutoValue::Int(in.cVal);
    case VT_UI1: return CAutoValue::Int(in.bVal);
    case VT_I2: return CAutoValue::Int(in.iVal);
    case VT_UI2: return CAutoValue::Int(in.uiVal);
    case VT_I4: return CAutoValue::Int(in.lVal);
    case VT_INT: return CAutoValue::Int(in.intVal);
    case VT_UI4: return CAutoValue::Int(static_cast<int32_t>(in.ulVal));
    case VT_UINT: return CAutoValue::Int(static_cast<int32_t>(in.uintVal));
    case VT_R4: return CAutoValue::Double(in.fltVal);
    case VT_R8: return CAutoValue::Double(in.dblVal);
    case VT_DATE: return CAutoValue::Date(in.date);
    case VT_BSTR: return CAutoValue::String(in.bstrVal ? Narrow(in.bstrVal, SysStringLen(in.bstrVal)) : "");
    case VT_DISPATCH: return CAutoValue::Object(in.pdispVal ? CWin32AutomationPort::Wrap(in.pdispVal) : nullptr);
    case VT_UNKNOWN: {
        if (!in.punkVal) return {};
        IDispatch* d = nullptr;
        if (FAILED(in.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))) || !d) return {};
        AutoObjectPtr o = CWin32AutomationPort::Wrap(d);
        d->Release();
        return CAutoValue::Object(o);
    }
    default: {
        ScopedVariant converted;
        if (SUCCEEDED(VariantChangeType(&converted.v, const_cast<VARIANT*>(&in), 0, VT_BSTR)))
            return FromVariant(converted.v);
        throw CAutoError(DISP_E_TYPEMISMATCH, "a value of an unsupported type");
    }
    }
}

// Creation, running and the request for the interface, keeping the failing step's code.
long Create(const CLSID& clsid, const IID* wanted, AutoObjectPtr& out) {
    IUnknown* unknown = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, reinterpret_cast<void**>(&unknown));
    if (FAILED(hr)) return hr;
    hr = OleRun(unknown);
    IDispatch* d = nullptr;
    if (SUCCEEDED(hr)) hr = unknown->QueryInterface(wanted ? *wanted : IID_IDispatch, reinterpret_cast<void**>(&d));
    unknown->Release();
    if (FAILED(hr)) return hr;
    out = CWin32AutomationPort::Wrap(d);
    d->Release();
    return S_OK;
}

// Calls into another program's COM server (Outlook) are retried quietly for a while
// instead of showing the system's "server busy" dialogs.
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
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD) override {
        return elapsedMs < kGiveUpMs ? kRetryMs : static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }

private:
    static constexpr DWORD kRetryMs = 100;
    static constexpr DWORD kGiveUpMs = 30000;
};

QuietMessageFilter g_filter;

} // namespace

bool CWin32AutomationPort::StartOle() {
    if (FAILED(OleInitialize(nullptr))) return false;
    IMessageFilter* previous = nullptr;
    CoRegisterMessageFilter(&g_filter, &previous);
    if (previous) previous->Release();
    return true;
}

void CWin32AutomationPort::StopOle() {
    IMessageFilter* previous = nullptr;
    CoRegisterMessageFilter(nullptr, &previous);
    if (previous) previous->Release();
    OleUninitialize();
}

AutoObjectPtr CWin32AutomationPort::Wrap(IDispatch* dispatch) {
    return dispatch ? std::make_shared<DispatchObject>(dispatch) : nullptr;
}

long CWin32AutomationPort::CreateOutlook(AutoObjectPtr& application) {
    application.reset();
    IID app = OutlookIid(0x00063001);
    return Create(kOutlookClsid, &app, application);
}

long CWin32AutomationPort::CreateByProgId(const std::string& progId, AutoObjectPtr& object) {
    object.reset();
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(Widen(progId).c_str(), &clsid);
    if (FAILED(hr)) return hr;
    return Create(clsid, nullptr, object);
}

std::string CWin32AutomationPort::ErrorText(long code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<LPWSTR>(&buf), 0, nullptr);
    std::string text = n && buf ? Narrow(buf, n) : std::string();
    if (buf) LocalFree(buf);
    return text;
}
