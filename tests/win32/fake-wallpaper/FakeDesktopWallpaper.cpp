// A stand-in for the per-monitor wallpaper object of Windows 8 and later, which Wine
// lacks: an in-process server registered under CLSID_DesktopWallpaper for one test.
// It keeps the monitors, their pictures and the position in a state file of the
// test's folder (so the program and the test, in two processes, see the same
// "system"), and writes every call to a log there that the test reads.
//
// The folder is the value "Folder" of the class's key under HKLM\Software\Classes.
// state.txt, one line each, tab-separated:
//   position <n>
//   monitor  <id> <left> <top> <right> <bottom> <picture>
// calls.log, one line a call: the method's name and its arguments, tab-separated.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DesktopWallpaperApi.h"

namespace {

std::atomic<long> g_objects{0};

std::string Utf8(const wchar_t* w) {
    if (!w) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? static_cast<size_t>(n) : 1u, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(s.size() - 1);
    return s;
}

std::wstring Wide(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n) : 1u, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), n);
    w.resize(w.size() - 1);
    return w;
}

LPWSTR TaskText(const std::string& s) {
    const std::wstring w = Wide(s);
    auto* out = static_cast<LPWSTR>(CoTaskMemAlloc((w.size() + 1) * sizeof(wchar_t)));
    if (out) memcpy(out, w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    return out;
}

std::wstring Folder() {
    wchar_t clsid[40] = {};
    StringFromGUID2(kClsidDesktopWallpaper, clsid, 40);
    const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + clsid;
    wchar_t buf[MAX_PATH] = {};
    DWORD size = sizeof buf;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Folder", RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring f = buf;
    if (!f.empty() && f.back() != L'\\') f += L'\\';
    return f;
}

struct Monitor {
    std::string id;
    RECT rect{};
    std::string picture;
};

struct State {
    int position = 0;
    std::vector<Monitor> monitors;

    bool Load() {
        std::ifstream in((Folder() + L"state.txt").c_str(), std::ios::binary);
        if (!in) return false;
        monitors.clear();
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::vector<std::string> f;
            std::stringstream ss(line);
            for (std::string part; std::getline(ss, part, '\t');) f.push_back(part);
            if (f.size() == 2 && f[0] == "position") position = std::atoi(f[1].c_str());
            if (f.size() >= 6 && f[0] == "monitor") {
                Monitor m;
                m.id = f[1];
                m.rect = RECT{std::atoi(f[2].c_str()), std::atoi(f[3].c_str()), std::atoi(f[4].c_str()),
                              std::atoi(f[5].c_str())};
                if (f.size() > 6) m.picture = f[6];
                monitors.push_back(m);
            }
        }
        return true;
    }
    // Written whole and renamed over the old file, so a reader never sees half of it.
    bool Save() const {
        const std::wstring path = Folder() + L"state.txt", part = path + L".part";
        {
            std::ofstream out(part.c_str(), std::ios::binary | std::ios::trunc);
            out << "position\t" << position << "\r\n";
            for (const Monitor& m : monitors)
                out << "monitor\t" << m.id << '\t' << m.rect.left << '\t' << m.rect.top << '\t' << m.rect.right
                    << '\t' << m.rect.bottom << '\t' << m.picture << "\r\n";
            if (!out.flush()) return false;
        }
        return MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
    Monitor* Find(const wchar_t* id) {
        const std::string key = Utf8(id);
        for (Monitor& m : monitors)
            if (m.id == key) return &m;
        return nullptr;
    }
};

void Log(const std::string& line) {
    std::ofstream out((Folder() + L"calls.log").c_str(), std::ios::binary | std::ios::app);
    out << line << "\r\n";
}

class FakeDesktopWallpaper : public IDesktopWallpaper {
public:
    FakeDesktopWallpaper() { ++g_objects; }
    virtual ~FakeDesktopWallpaper() { --g_objects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != kIidDesktopWallpaper) return E_NOINTERFACE;
        *out = static_cast<IDesktopWallpaper*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long n = --m_refs;
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitorID, LPCWSTR wallpaper) override {
        Log("SetWallpaper\t" + Utf8(monitorID) + "\t" + Utf8(wallpaper));
        State s;
        if (!s.Load() || !wallpaper) return E_FAIL;
        if (!monitorID) {
            for (Monitor& m : s.monitors) m.picture = Utf8(wallpaper);
        } else if (Monitor* m = s.Find(monitorID)) {
            m->picture = Utf8(wallpaper);
        } else {
            return E_INVALIDARG;
        }
        return s.Save() ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitorID, LPWSTR* wallpaper) override {
        Log("GetWallpaper\t" + Utf8(monitorID));
        if (!wallpaper) return E_POINTER;
        *wallpaper = nullptr;
        State s;
        if (!s.Load()) return E_FAIL;
        const Monitor* m = monitorID ? s.Find(monitorID) : (s.monitors.empty() ? nullptr : &s.monitors[0]);
        if (!m) return E_INVALIDARG;
        *wallpaper = TaskText(m->picture);
        return *wallpaper ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* monitorID) override {
        Log("GetMonitorDevicePathAt\t" + std::to_string(index));
        if (!monitorID) return E_POINTER;
        *monitorID = nullptr;
        State s;
        if (!s.Load() || index >= s.monitors.size()) return E_INVALIDARG;
        *monitorID = TaskText(s.monitors[index].id);
        return *monitorID ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) override {
        Log("GetMonitorDevicePathCount");
        if (!count) return E_POINTER;
        State s;
        if (!s.Load()) return E_FAIL;
        *count = static_cast<UINT>(s.monitors.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitorID, RECT* rect) override {
        Log("GetMonitorRECT\t" + Utf8(monitorID));
        if (!rect) return E_POINTER;
        State s;
        const Monitor* m = s.Load() ? s.Find(monitorID) : nullptr;
        if (!m) return E_INVALIDARG;
        *rect = m->rect;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPosition(int position) override {
        Log("SetPosition\t" + std::to_string(position));
        State s;
        if (!s.Load()) return E_FAIL;
        s.position = position;
        return s.Save() ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int* position) override {
        Log("GetPosition");
        if (!position) return E_POINTER;
        State s;
        if (!s.Load()) return E_FAIL;
        *position = s.position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSlideshow(IShellItemArray*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSlideshow(IShellItemArray**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSlideshowOptions(int, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSlideshowOptions(int*, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStatus(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Enable(BOOL) override { return E_NOTIMPL; }

private:
    std::atomic<long> m_refs{1};
};

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        // Without a state file the object answers as one whose system has no monitors.
        Log("CreateInstance");
        auto* object = new FakeDesktopWallpaper;
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

} // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != kClsidDesktopWallpaper) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }
