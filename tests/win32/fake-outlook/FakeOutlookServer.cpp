// A test fixture, never shipped: the substitute Outlook store served as
// Outlook.Application by a local server (LocalServer32), in a process of its own as
// the real Outlook is. COM starts it with "-Embedding" appended to the command line
// the test registered. Everything users meet across that process boundary can be
// played with it:
//
//   --store PATH           the store file (required); read again when it changes, as
//                          Outlook shows what the user added meanwhile
//   --log PATH             appends one line per event: "started PID", "reload failed
//                          WHY" for a changed store it cannot read, each action the
//                          store records ("CreateItem 1", "Display ID", ...), "calls N"
//                          when the last object is released, "exit"
//   --folder DIR           DIR\store.json, DIR\server.log and DIR\server.ctl as the three
//                          above (Wine reads at most MAX_PATH characters of a command)
//   --control PATH         a file polled every 50 ms and before every call; its lines
//                          are commands (below), and it is deleted once read
//   --fail-first-creation  the first CreateInstance of this process fails with
//                          0x80080005 (CO_E_SERVER_EXEC_FAILURE), as a slowly starting
//                          Outlook makes it
//   --busy-ms N            rejects every call as busy for N ms from start-up
//   --fail MEMBER HEX      raises the COM error HEX on every call of MEMBER
//   --no-menu-entry        the inspector's menu lacks the entry 1987
//   --no-events            raises no events (offers no connection points)
//
// Commands of the control file: "busy N" (reject calls as busy for N ms from now),
// "fail MEMBER HEX", "fail" (no more), "exit" (end at once, as a user closing Outlook),
// "hang" (stop answering for good, class object still registered, as a hung Outlook),
// and the user's edits in Outlook while the program runs: "add FOLDER ITEM" (FOLDER a
// role such as calendar, or a folder's name; ITEM the rest of the line, an item as in
// the store file), "replace ENTRYID ITEM", "remove ENTRYID", "counts FOLDER UNREAD
// ITEMS" (FOLDER also an entry id); each is logged as "edited ..." or "edit failed ..."; "events on|off" (the
// events of later subscriptions and of the store's edits).
// Busy: the server's message filter answers SERVERCALL_RETRYLATER, which Windows turns
// into retries through the caller's message filter; Wine serves such a call anyway
// (its HandleInComingCall answer is not acted on), so the objects also answer
// RPC_E_SERVERCALL_RETRYLATER themselves, which is what a caller sees when COM gives up.
// With no object left for 3 s the server ends, as a local server does.
#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FakeOutlookObjects.h"
#include "app/LiveStore.h"
#include "OutlookIds.h"
#include "ScopedWin.h"
#include "Utf.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/Platform.h"
#include "util/OleDateTime.h"

namespace {

struct Options {
    std::wstring store, log, control;
    bool failFirstCreation = false;
    DWORD busyMs = 0;
    std::string failMember;
    long failCode = 0;
    bool noMenuEntry = false;
    bool noEvents = false;
};

Options g_options;
std::shared_ptr<CLiveStore> g_live;
ULONGLONG g_busyUntil = 0;
bool g_everServed = false;
ULONGLONG g_idleSince = 0;

void Log(const std::string& line) {
    if (g_options.log.empty()) return;
    std::ofstream out(g_options.log.c_str(), std::ios::app | std::ios::binary);
    out << line << "\r\n";
}

void Fail(const std::string& member, long code) {
    // Kept for a store read again later.
    g_options.failMember = member;
    g_options.failCode = code;
    if (g_live && g_live->Store()) g_live->Store()->FailMember(member, code);
}

void RunCommand(const std::string& line) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "busy") {
        unsigned long ms = 0;
        in >> ms;
        g_busyUntil = GetTickCount64() + ms;
        Log("busy " + std::to_string(ms));
    } else if (word == "fail") {
        std::string member, hex;
        in >> member >> hex;
        Fail(member, member.empty() ? 0 : static_cast<long>(std::stoul(hex, nullptr, 16)));
        Log("fail " + member);
    } else if (word == "add" || word == "replace" || word == "remove" || word == "counts") {
        std::string target, error, id;
        in >> target;
        std::string rest;
        std::getline(in, rest);
        CSubstituteOutlook* store = g_live ? g_live->Store().get() : nullptr;
        bool ok = store != nullptr;
        if (ok && word == "add") {
            const std::string folder = store->FolderId(target);
            ok = store->AddItem(folder, rest, id, error);
        } else if (ok && word == "replace") {
            ok = store->ReplaceItem(target, rest, error);
            id = target;
        } else if (ok && word == "remove") {
            ok = store->RemoveItem(target);
            id = target;
        } else if (ok) {
            std::istringstream numbers(rest);
            int unread = 0, items = 0;
            numbers >> unread >> items;
            const std::string folder = store->FolderId(target);
            ok = store->SetCounts(folder.empty() ? target : folder, unread, items);
            id = target;
        }
        Log(ok ? "edited " + word + " " + id : "edit failed " + line + " " + error);
    } else if (word == "events") {
        std::string state;
        in >> state;
        SetFakeEvents(state == "on");
        if (g_live && g_live->Store()) g_live->Store()->SetEvents(state == "on");
        Log("events " + state);
    } else if (word == "hang") {
        Log("hang");
        for (;;) Sleep(INFINITE);
    } else if (word == "exit") {
        Log("exit");
        ExitProcess(0); // at once: every proxy the client holds is left disconnected
    }
}

// Reads and deletes the control file, if there is one.
void PollControl() {
    if (g_options.control.empty() || GetFileAttributesW(g_options.control.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    std::vector<std::string> lines;
    {
        std::ifstream in(g_options.control.c_str(), std::ios::binary);
        if (!in) return;
        std::string line;
        while (std::getline(in, line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
    }
    if (!DeleteFileW(g_options.control.c_str())) return; // being written: read next time
    for (const std::string& l : lines) {
        try {
            RunCommand(l);
        } catch (const std::exception&) { // a bad number: no exception leaves a COM call
            Log("bad command " + l);
        }
    }
}

bool Busy() { return GetTickCount64() < g_busyUntil; }

class Filter : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IMessageFilter) {
            *ppv = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        PollControl();
        return Busy() ? SERVERCALL_RETRYLATER : SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};
Filter g_filter;

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
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
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (g_options.failFirstCreation && !m_failed) {
            m_failed = true;
            Log("creation failed 0x80080005");
            return CO_E_SERVER_EXEC_FAILURE;
        }
        g_everServed = true;
        Log("created");
        ComPtr<IDispatch> s = ComPtr<IDispatch>::Adopt(FakeDispatch(g_live->Application()));
        return s->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    bool m_failed = false;
};
Factory g_factory;

bool Parse(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : std::wstring(); };
        if (a == L"--store") g_options.store = next();
        else if (a == L"--log") g_options.log = next();
        else if (a == L"--control") g_options.control = next();
        else if (a == L"--folder") {
            const std::wstring folder = next() + L"\\";
            g_options.store = folder + L"store.json";
            g_options.log = folder + L"server.log";
            g_options.control = folder + L"server.ctl";
        }
        else if (a == L"--fail-first-creation") g_options.failFirstCreation = true;
        else if (a == L"--no-menu-entry") g_options.noMenuEntry = true;
        else if (a == L"--no-events") g_options.noEvents = true;
        else if (a == L"--busy-ms") g_options.busyMs = static_cast<DWORD>(std::wcstoul(next().c_str(), nullptr, 10));
        else if (a == L"--fail") {
            g_options.failMember = Narrow(next());
            g_options.failCode = static_cast<long>(std::wcstoul(next().c_str(), nullptr, 16));
        }
        // "-Embedding" and "/Embedding" are COM's; anything else is ignored too.
    }
    return !g_options.store.empty();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool parsed = argv && Parse(argc, argv);
    if (argv) LocalFree(argv);
    if (!parsed) return 2;
    InstallPorts(RealPorts()); // the store's filter reads the user's locale
    g_live = std::make_shared<CLiveStore>(Narrow(g_options.store));
    g_live->m_onLoad = [](CSubstituteOutlook& store) {
        store.SetActionSink([](const std::string& action) { Log(action); });
        if (!g_options.failMember.empty()) store.FailMember(g_options.failMember, g_options.failCode);
        if (g_options.noMenuEntry) store.SetMenuEntry(false);
        if (g_options.noEvents) store.SetEvents(false);
    };
    g_live->m_onReadError = [](const std::string& error) { Log("reload failed " + error); };
    std::string error;
    if (!g_live->Load(error)) {
        Log("store error " + error);
        return 3;
    }
    g_busyUntil = g_options.busyMs ? GetTickCount64() + g_options.busyMs : 0;
    SetFakeEvents(!g_options.noEvents);
    SetFakeCallGate([]() -> HRESULT {
        PollControl();
        return Busy() ? RPC_E_SERVERCALL_RETRYLATER : S_OK;
    });

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 4;
    ComPtr<IMessageFilter> previous;
    CoRegisterMessageFilter(&g_filter, previous.Put());
    DWORD cookie = 0;
    HRESULT hr = CoRegisterClassObject(kOutlookApplicationClsid, &g_factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                       &cookie);
    if (FAILED(hr)) {
        char text[64];
        std::snprintf(text, sizeof text, "register failed 0x%08lX", static_cast<unsigned long>(hr));
        Log(text);
        CoUninitialize();
        return 5;
    }
    Log("started " + std::to_string(GetCurrentProcessId()));
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
    const ULONGLONG started = GetTickCount64();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            PollControl();
            const ULONGLONG now = GetTickCount64();
            if (FakeLiveObjects() > 0) {
                g_idleSince = 0;
            } else if (g_everServed || now - started > 60000) {
                if (!g_idleSince) {
                    g_idleSince = now;
                    Log("calls " + std::to_string(g_live->Store()->Calls()));
                }
                if (now - g_idleSince > 3000) break; // nobody holds an object: end as a local server does
            }
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, timer);
    CoRevokeClassObject(cookie);
    CoRegisterMessageFilter(nullptr, previous.Put());
    Log("ended");
    CoUninitialize();
    return 0;
}
