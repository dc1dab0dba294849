// The engine against Outlook in a process of its own: fake-outlook-server.exe,
// registered in the Wine prefix as Outlook.Application's LocalServer32 with the type
// library of Outlook's dispinterfaces (fake-outlook.tlb), started by COM, made busy,
// made to fail and made to exit while the program runs.
#include <gtest/gtest.h>

#include <functional>
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <mutex>
#include <thread>

#include "OutlookIds.h"
#include "Win32Automation.h"
#include "Win32Dialogs.h"
#include "Win32TestUtil.h"
#include "app/OrvantaDoc.h"
#include "outlook/store/SubstituteOutlook.h"
#include "settings/Settings.h"
#include "unit/FakePorts.h"

namespace {


std::wstring ClsidText() {
    wchar_t text[40] = {};
    StringFromGUID2(kOutlookApplicationClsid, text, 40);
    return text;
}

std::wstring Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.resize(dir.find_last_of(L'\\') + 1);
    return dir + name;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t tmp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tmp);
    return std::wstring(tmp) + name;
}

const char kStore[] = R"({"version": "16.0.4266.1001", "folders": [
    {"name": "Inbox", "role": "inbox", "unread": 6, "items": 20,
     "folders": [{"name": "Projects", "unread": 2, "entryId": "FOLDER-PROJECTS"}]},
    {"name": "Drafts", "role": "drafts", "items": 4},
    {"name": "Outbox", "role": "outbox", "items": 1},
    {"name": "Contacts", "kind": "contacts", "entryId": "FOLDER-CONTACTS"},
    {"name": "Calendar", "role": "calendar", "entryId": "FOLDER-CALENDAR", "appointments": [
        {"subject": "Stand-up", "start": "today-14 09:00", "end": "today-14 09:15", "entryId": "APPT-STANDUP",
         "recurrence": {"type": "weekly", "days": ["monday", "tuesday", "wednesday", "thursday", "friday"],
                        "exceptions": [{"date": "today+1", "deleted": true}]}},
        {"subject": "Gr\u00fc\u00dfe aus K\u00f6ln", "start": "today 13:00", "end": "today 14:00", "importance": 2,
         "attachments": ["a.txt", "b.txt"], "entryId": "APPT-KOELN"},
        {"subject": "Trip", "start": "today-1 08:00", "end": "today+1 18:00"},
        {"subject": "Holiday", "start": "today+2", "end": "today+3", "allDay": true},
        {"subject": "Monthly review", "start": "today-40 15:00", "end": "today-40 16:00",
         "recurrence": {"type": "monthly", "dayOfMonth": 1}}]},
    {"name": "Tasks", "role": "tasks", "tasks": [
        {"subject": "Report", "due": "today-1", "created": "today-4", "percent": 40, "entryId": "TASK-REPORT"},
        {"subject": "Taxes", "due": "today+3", "importance": 2},
        {"subject": "Done today", "complete": true, "completed": "today"},
        {"subject": "Later", "created": "today-2"}]}]})";

// What the program shows of a refresh, as text: every day list, the tasks, the folders.
std::string Shown(const COrvantaDoc& doc, int days) {
    std::ostringstream out;
    for (int d = 0; d < days; ++d) {
        out << "day " << d << "\n";
        for (int i = 0; i < doc.Day(d).GetCount(); ++i) {
            const CAppointment& a = doc.Day(d).GetAt(i);
            out << "  " << a.GetSubject() << " | " << a.FormatStartTime(true) << " | " << a.GetDuration() << " | "
                << a.GetEntryID() << " | " << a.IsRecurring() << a.IsMultiDay() << a.IsAllDay() << " |";
            for (const std::string& n : a.GetAttachments()) out << " " << n;
            out << "\n";
        }
    }
    for (int i = 0; i < doc.Tasks().GetCount(); ++i)
        out << "task " << doc.Tasks().GetAt(i).GetSubject() << " | " << doc.Tasks().GetAt(i).GetPercentComplete()
            << "\n";
    for (int i = 0; i < doc.Folders().GetCount(); ++i) out << "folder " << doc.Folders().GetAt(i).GetDisplayCount() << "\n";
    return out.str();
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::ifstream in(path.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Top-level dialog windows ("#32770") of this process that are visible: a system
// "server busy" dialog would be one.
int VisibleDialogs() {
    struct Count {
        int n = 0;
    } count;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            wchar_t cls[64] = {};
            GetClassNameW(w, cls, 64);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w) && std::wstring(cls) == L"#32770")
                ++reinterpret_cast<Count*>(p)->n;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

// Reads every message box this process shows off the desktop, as the driver does with
// the running program, and presses its OK button.
class BoxReader {
public:
    BoxReader() : m_thread([this] { Run(); }) {}
    ~BoxReader() {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_texts;
    }

private:
    void Run() {
        while (!m_stop) {
            HWND box = nullptr;
            EnumWindows(
                [](HWND w, LPARAM p) -> BOOL {
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    wchar_t cls[64] = {};
                    GetClassNameW(w, cls, 64);
                    if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || std::wstring(cls) != L"#32770") return TRUE;
                    *reinterpret_cast<HWND*>(p) = w;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&box));
            if (box) {
                wchar_t text[4096] = {}, caption[256] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 4096);
                GetWindowTextW(box, caption, 256);
                {
                    std::lock_guard<std::mutex> lock(m_lock);
                    m_texts.push_back(Narrow(caption) + "|" + Narrow(text));
                }
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
            }
            Sleep(30);
        }
    }
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<std::string> m_texts;
    std::thread m_thread;
};

class OutlookLocalServer : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(automation.StartOle());
        DeleteFileW(log.c_str());
        DeleteFileW(control.c_str());
        std::ofstream(store.c_str(), std::ios::binary) << kStore;
        SYSTEMTIME st;
        GetLocalTime(&st);
        now = COleDateTime(st.wYear, st.wMonth, st.wDay, 10, 0, 0);
        settings.Open();
        settings.m_outlook.m_calDays = 5;
    }
    void TearDown() override {
        StopServers();
        Unregister();
        automation.StopOle();
        CoUninitialize();
        DeleteFileW(store.c_str());
        DeleteFileW(control.c_str());
    }

    // Registers the server with these extra switches, as Outlook.Application and as
    // its LocalServer32 only (no in-process server), and the type library.
    void Register(const std::wstring& extra = L"") {
        Unregister();
        const std::wstring clsid = ClsidText();
        const std::wstring command = L"\"" + Beside(L"fake-outlook-server.exe") + L"\" --store \"" + store +
                                     L"\" --log \"" + log + L"\" --control \"" + control + L"\" " + extra;
        ASSERT_EQ(SetHklm(L"CLSID\\" + clsid + L"\\LocalServer32", nullptr, command), ERROR_SUCCESS);
        ASSERT_EQ(SetHklm(L"CLSID\\" + clsid + L"\\ProgID", nullptr, L"Outlook.Application"), ERROR_SUCCESS);
        ASSERT_EQ(SetHklm(L"Outlook.Application\\CLSID", nullptr, clsid), ERROR_SUCCESS);
        ITypeLib* lib = nullptr;
        HRESULT hr = LoadTypeLibEx(Beside(L"fake-outlook.tlb").c_str(), REGKIND_REGISTER, &lib);
        ASSERT_EQ(hr, S_OK) << std::hex << hr;
        lib->Release();
        registered = true;
    }
    void Unregister() {
        DeleteHklmTree(L"CLSID\\" + ClsidText());
        DeleteHklmTree(L"Outlook.Application");
        if (registered) {
            GUID libid;
            CLSIDFromString(kFakeOutlookLibId, &libid);
            UnRegisterTypeLib(libid, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
            registered = false;
        }
    }
    // The log lines of the server processes.
    std::vector<std::string> Log() { return ReadLines(log); }
    // Only the actions the store recorded.
    std::vector<std::string> Actions() {
        std::vector<std::string> actions;
        for (const std::string& l : Log())
            if (l.rfind("started", 0) != 0 && l != "created" && l.rfind("calls ", 0) != 0 && l != "ended" &&
                l != "exit")
                actions.push_back(l);
        return actions;
    }
    std::vector<DWORD> ServerProcesses() {
        std::vector<DWORD> pids;
        for (const std::string& l : Log())
            if (l.rfind("started ", 0) == 0) pids.push_back(static_cast<DWORD>(std::stoul(l.substr(8))));
        return pids;
    }
    // Writes a command for the server and waits until it has been read.
    void Command(const std::string& text) {
        std::ofstream(control.c_str(), std::ios::binary) << text << "\r\n";
        for (int i = 0; i < 200 && GetFileAttributesW(control.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
        EXPECT_EQ(GetFileAttributesW(control.c_str()), INVALID_FILE_ATTRIBUTES) << "the server did not read " << text;
    }
    // Waits for every server process started so far to end.
    bool WaitServersEnded(DWORD ms) {
        for (DWORD pid : ServerProcesses()) {
            HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
            if (!p) continue;
            DWORD rc = WaitForSingleObject(p, ms);
            CloseHandle(p);
            if (rc != WAIT_OBJECT_0) return false;
        }
        return true;
    }
    void StopServers() {
        bool running = false;
        for (DWORD pid : ServerProcesses()) {
            HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
            if (p && WaitForSingleObject(p, 0) == WAIT_TIMEOUT) running = true;
            if (p) CloseHandle(p);
        }
        if (running) {
            std::ofstream(control.c_str(), std::ios::binary) << "exit\r\n";
            EXPECT_TRUE(WaitServersEnded(10000));
        }
        DeleteFileW(control.c_str());
    }
    std::unique_ptr<COrvantaDoc> NewDoc() {
        auto doc = std::make_unique<COrvantaDoc>(settings);
        COleDateTime n = now;
        doc->m_clock = [n] { return n; };
        doc->Engine().SetClock([this] { return engineClock; });
        return doc;
    }

    CWin32AutomationPort automation;
    FakeUiPort ui;
    CMemoryRegistry registry;
    ScopedPort<IRegistryPort> withRegistry{registry};
    ScopedPort<IDialogPort> withDialogs{ui};
    ScopedPort<IAutomationPort> withAutomation{automation};
    CSettings settings{"Software\\Kestrova\\Orvanta for Outlook\\3.5"};
    COleDateTime now;
    double engineClock = 1000;
    bool registered = false;
    const std::wstring store = TempFile(L"orvanta-local-server-store.json");
    const std::wstring log = TempFile(L"orvanta-local-server.log");
    const std::wstring control = TempFile(L"orvanta-local-server.control");
};

// The same store file gives the same lists and the same signature through the local
// server as read directly, in this process, from the substitute store.
TEST_F(OutlookLocalServer, RefreshAcrossProcessesEqualsTheStoreReadDirectly) {
    Register();
    auto remote = NewDoc();
    ASSERT_TRUE(remote->Engine().EnsureConnected());
    ASSERT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
    EXPECT_EQ(remote->Engine().Version(), "16.0.4266.1001");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(remote->RefreshData()) << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    const std::string overCom = Shown(*remote, 5);
    const uint32_t crcOverCom = remote->LastSignature();
    ASSERT_EQ(ServerProcesses().size(), 1u);

    // The same file, directly.
    class StorePort : public IAutomationPort {
    public:
        std::shared_ptr<CSubstituteOutlook> s;
        bool StartOle() override { return true; }
        void StopOle() override {}
        long CreateOutlook(AutoObjectPtr& app) override {
            app = s->Application();
            return 0;
        }
        std::string ErrorText(long) override { return {}; }
    } direct;
    std::string error;
    direct.s = CSubstituteOutlook::LoadFile(Narrow(store), std::floor(COleDateTime::ToLinear(now.m_dt)), error);
    ASSERT_TRUE(direct.s) << error;
    {
        ScopedPort<IAutomationPort> withStore(direct);
        auto local = NewDoc();
        ASSERT_TRUE(local->Engine().EnsureConnected());
        direct.s->ResetCalls();
        ASSERT_TRUE(local->RefreshData());
        EXPECT_EQ(Shown(*local, 5), overCom);
        EXPECT_EQ(local->LastSignature(), crcOverCom);
        std::printf("[ INFO     ] one full refresh across processes: %lld ms for %ld automation calls\n",
                    static_cast<long long>(ms.count()), direct.s->Calls());
    }
    EXPECT_NE(overCom.find("Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln"), std::string::npos) << overCom;
    EXPECT_NE(overCom.find("Stand-up"), std::string::npos);

    // The same store as Outlook 2003 (11) serves it, without tables: the walk gives the
    // same lists (a new server process reads the file).
    remote.reset();
    StopServers();
    std::string old = kStore;
    old.replace(old.find("16.0.4266.1001"), 14, "11.0.8303.0000");
    std::ofstream(store.c_str(), std::ios::binary | std::ios::trunc) << old;
    auto walked = NewDoc();
    ASSERT_TRUE(walked->Engine().EnsureConnected());
    EXPECT_EQ(walked->Engine().MajorVersion(), 11);
    ASSERT_TRUE(walked->RefreshData()) << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    EXPECT_EQ(Shown(*walked, 5), overCom);
    EXPECT_EQ(walked->LastSignature(), crcOverCom);
    EXPECT_TRUE(ui.boxes.empty());
}

// Outlook's events across processes: an appointment added in the server while the
// program runs is told at once (the sinks are called while the program's thread
// waits for messages), and the refresh then shows it; with the server's events off
// nothing is told, and the next refresh finds it all the same.
TEST_F(OutlookLocalServer, AddedAppointmentsAreToldByEventsOrFoundByTheNextRefresh) {
    Register();
    auto doc = NewDoc();
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    ASSERT_TRUE(doc->RefreshData());
    auto pumpUntil = [](const std::function<bool()>& done, DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        while (!done() && GetTickCount64() < end) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return done();
    };
    auto shows = [&](const std::string& subject) { return Shown(*doc, 5).find(subject) != std::string::npos; };
    Command(R"(add calendar {"subject": "Told at once", "start": "today 15:00", "end": "today 15:30"})");
    EXPECT_TRUE(pumpUntil([&] { return doc->Engine().ChangesPending(); }, 10000)) << "no event came";
    ASSERT_TRUE(doc->RefreshData());
    EXPECT_TRUE(shows("Told at once"));
    EXPECT_FALSE(doc->Engine().ChangesPending());

    Command("events off");
    Command(R"(add calendar {"subject": "Found later", "start": "today 16:00", "end": "today 16:30"})");
    EXPECT_FALSE(pumpUntil([&] { return doc->Engine().ChangesPending(); }, 500)) << "an event came while off";
    ASSERT_TRUE(doc->RefreshData());
    EXPECT_TRUE(shows("Found later"));
    for (const std::string& l : Log()) EXPECT_EQ(l.find("edit failed"), std::string::npos) << l;
    EXPECT_TRUE(ui.boxes.empty());
}

// The actions reach the server in the engine's member order.
TEST_F(OutlookLocalServer, ActionsReachTheServerInTheirMemberOrder) {
    Register();
    auto doc = NewDoc();
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    doc->Engine().NewAppointment();
    doc->Engine().OpenTask("TASK-REPORT");
    doc->Engine().OpenFolder("FOLDER-PROJECTS");
    doc->Engine().OpenContacts();
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
    EXPECT_EQ(Actions(), (std::vector<std::string>{
                             "CreateItem 1", "Display new-1", "GetInspector new-1", "Activate new-1",
                             "GetItemFromID TASK-REPORT", "Display TASK-REPORT", "GetInspector TASK-REPORT",
                             "Activate TASK-REPORT",
                             "GetExplorer FOLDER-PROJECTS", "Explorer.Display FOLDER-PROJECTS",
                             "Explorer.Activate FOLDER-PROJECTS", "GetExplorer FOLDER-CONTACTS",
                             "Explorer.Display FOLDER-CONTACTS", "Explorer.Activate FOLDER-CONTACTS"}));
}

// Open calendar at day across processes. Outlook 2016 ("16.0"): the calendar's own
// explorer (one window) goes to the day through its view's GoToDate, with no helper
// appointment. Outlook 2003 ("11.0"): through the command bars and the accessible
// children of the menu's pop-up to the entry 1987, and the helper appointment is
// discarded: the next refresh shows none. Without the entry the calendar is still
// shown and the inspector discarded.
TEST_F(OutlookLocalServer, CalendarAtDayByVersionLeavesNoHelperAppointment) {
    const int64_t tomorrow = static_cast<int64_t>(now.m_dt) + 1;
    const std::string goTo = "GoToDate " + COleDateTime(static_cast<double>(tomorrow)).Format("%Y-%m-%d") + " FOLDER-CALENDAR";
    struct Case {
        const char* version;
        bool entry;
    } cases[] = {{"16.0.4266.1001", true}, {"11.0.8010.0", true}, {"11.0.8010.0", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + (c.entry ? "" : " without the menu entry"));
        std::string text = kStore;
        text.replace(text.find("16.0.4266.1001"), 14, c.version);
        std::ofstream(store.c_str(), std::ios::binary | std::ios::trunc) << text;
        Register(c.entry ? L"" : L"--no-menu-entry");
        DeleteFileW(log.c_str());
        auto doc = NewDoc();
        ASSERT_TRUE(doc->Engine().EnsureConnected());
        doc->Engine().OpenCalendarAtDay(tomorrow);
        EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
        const std::vector<std::string> a = Actions();
        auto has = [&](const std::string& s) { return std::find(a.begin(), a.end(), s) != a.end(); };
        const bool viaView = c.version[0] == '1' && c.version[1] == '6';
        if (viaView) {
            EXPECT_EQ(a, (std::vector<std::string>{"GetExplorer FOLDER-CALENDAR", "Explorer.Display FOLDER-CALENDAR",
                                                   "Explorer.Activate FOLDER-CALENDAR", goTo}));
        } else {
            EXPECT_FALSE(has(goTo));
            EXPECT_TRUE(has("Subject Orvanta helper added-1"));
            EXPECT_TRUE(has("Inspector.Display added-1")); // its Modal argument a Boolean
            EXPECT_EQ(has("Execute 1987"), c.entry);
            EXPECT_TRUE(has("Explorer.Display FOLDER-CALENDAR"));
            EXPECT_TRUE(has("Explorer.Activate FOLDER-CALENDAR"));
            ASSERT_FALSE(a.empty());
            EXPECT_EQ(a.back(), "Close 1 added-1");
        }
        ASSERT_TRUE(doc->RefreshData());
        EXPECT_EQ(Shown(*doc, 5).find("Orvanta helper"), std::string::npos);
        doc.reset();
        StopServers();
    }
}

// Outlook starting slowly: the first creation fails with 0x80080005, the one retry
// succeeds, and nothing is said.
TEST_F(OutlookLocalServer, CreationFailingOnceIsRetriedWithoutAMessage) {
    Register(L"--fail-first-creation");
    auto doc = NewDoc();
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
    EXPECT_TRUE(doc->Engine().CanRead());
    EXPECT_TRUE(doc->RefreshData());
    const auto log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1], "creation failed 0x80080005");
    EXPECT_EQ(log[2], "created");
}

// Busy for 3 s: the message filter's retries carry the refresh through, with the
// right data and without any dialog.
TEST_F(OutlookLocalServer, BusyForThreeSecondsDelaysTheRefreshOnly) {
    Register();
    auto doc = NewDoc();
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    ASSERT_TRUE(doc->RefreshData());
    const uint32_t crc = doc->LastSignature();
    const std::string shown = Shown(*doc, 5);
    Command("busy 3000");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(doc->RefreshData()) << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    // It waited for the server; that it was not given up shows in the data below (a
    // call the filter gives up fails the refresh). How long it took beyond the busy
    // time depends on the machine's load, not on the program.
    EXPECT_GE(ms.count(), 2500);
    EXPECT_EQ(doc->LastSignature(), crc);
    EXPECT_EQ(Shown(*doc, 5), shown);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
    EXPECT_EQ(VisibleDialogs(), 0);
}

// Busy for longer than the bound: that read fails after the bound with one message,
// the refresh does not wait again for each later read, the program goes on, and the
// next refresh reads everything.
TEST_F(OutlookLocalServer, BusyBeyondTheBoundFailsOnceAndTheProgramGoesOn) {
    Register();
    auto doc = NewDoc();
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    ASSERT_TRUE(doc->RefreshData());
    const uint32_t crc = doc->LastSignature();
    const DWORD busy = CWin32AutomationPort::kDefaultBusyLimitMs + 4000;
    Command("busy " + std::to_string(busy));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(doc->RefreshData());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    EXPECT_GE(ms.count(), static_cast<long long>(CWin32AutomationPort::kDefaultBusyLimitMs) - 200);
    // Given up at the bound, not waited out until the server was free again.
    EXPECT_LT(ms.count(), static_cast<long long>(busy));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, COutlookEngine::ComErrorText(RPC_E_SERVERCALL_RETRYLATER));
    EXPECT_EQ(VisibleDialogs(), 0);
    EXPECT_TRUE(doc->Engine().IsConnected());
    Sleep(busy - static_cast<DWORD>(ms.count()) + 200);
    EXPECT_TRUE(doc->RefreshData());
    EXPECT_EQ(doc->LastSignature(), crc);
    EXPECT_EQ(ui.boxes.size(), 1u);
}

// Outlook closed in the middle of the run: the next refresh fails without a message,
// a minute after the last attempt the connection is made again (COM starts the
// server anew) and the data is read again; the refreshes in between try nothing.
TEST_F(OutlookLocalServer, ServerExitingIsReconnectedOnALaterRefresh) {
    Register();
    auto doc = NewDoc();
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    ASSERT_TRUE(doc->RefreshData());
    const uint32_t crc = doc->LastSignature();
    const std::string shown = Shown(*doc, 5);
    ASSERT_EQ(ServerProcesses().size(), 1u);

    std::ofstream(control.c_str(), std::ios::binary) << "exit\r\n";
    ASSERT_TRUE(WaitServersEnded(10000));
    for (int refresh = 0; refresh < 3; ++refresh) { // at 20, 40 and 59 s
        engineClock += refresh == 2 ? 19 : 20;
        EXPECT_FALSE(doc->RefreshData()) << refresh;
        EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
        EXPECT_TRUE(doc->Engine().ConnectionLost());
        EXPECT_EQ(ServerProcesses().size(), 1u); // no attempt yet
    }
    engineClock += 1;
    ASSERT_TRUE(doc->RefreshData()) << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    EXPECT_EQ(ServerProcesses().size(), 2u);
    EXPECT_EQ(doc->LastSignature(), crc);
    EXPECT_EQ(Shown(*doc, 5), shown);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
    for (int refresh = 0; refresh < 2; ++refresh) {
        engineClock += 20;
        EXPECT_TRUE(doc->RefreshData());
    }
    EXPECT_EQ(VisibleDialogs(), 0);
}

} // namespace

namespace {

// With no server registered, the connection's text is shown once, in a real message
// box read off the desktop, and the later refreshes say nothing.
TEST_F(OutlookLocalServer, NoServerRegisteredShowsTheConnectionTextOnce) {
    CWin32DialogPort dialogs;
    ScopedPort<IDialogPort> withRealBoxes(dialogs);
    std::vector<std::string> texts;
    {
        BoxReader reader;
        auto doc = NewDoc();
        EXPECT_TRUE(doc->Engine().EnsureConnected());
        for (int refresh = 0; refresh < 3; ++refresh) {
            engineClock += 20;
            EXPECT_FALSE(doc->RefreshData());
        }
        engineClock += 60; // tried again quietly
        EXPECT_FALSE(doc->RefreshData());
        Sleep(300);
        texts = reader.Texts();
    }
    const long code = static_cast<long>(REGDB_E_CLASSNOTREG);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "Orvanta|COM interface error code: -2147221164\n" + automation.ErrorText(code) +
                            "\n\nOrvanta could not initiate COM interface communication with Outlook.\nEither Outlook is "
                            "not installed on this computer or it is installed but returned an error for this attempt.\n"
                            "In the latter case please try again.");
}

// An Office 8 key: the Outlook 97 warning, and no server process is started.
TEST_F(OutlookLocalServer, Office8KeyWarnsAndStartsNoServer) {
    Register();
    registry.Tree(RegRoot::CurrentUser).CreateKey("Software\\Microsoft\\Office\\8.0\\Outlook");
    CWin32DialogPort dialogs;
    ScopedPort<IDialogPort> withRealBoxes(dialogs);
    std::vector<std::string> texts;
    {
        BoxReader reader;
        auto doc = NewDoc();
        EXPECT_TRUE(doc->Engine().EnsureConnected());
        EXPECT_FALSE(doc->RefreshData());
        Sleep(300);
        texts = reader.Texts();
    }
    EXPECT_EQ(texts, std::vector<std::string>{"Orvanta|Warning! Orvanta does not support Outlook 97"});
    Sleep(500);
    EXPECT_TRUE(ServerProcesses().empty());
}

} // namespace

namespace {

// scripts/bench --wine: the benchmark store of orvanta_bench_refresh, one full refresh
// across processes, with the options the benchmark sets (7 days, 30 folders).
TEST_F(OutlookLocalServer, BenchmarkStoreAcrossProcesses) {
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"ORVANTA_BENCH_STORE", path, MAX_PATH)) GTEST_SKIP() << "only for scripts/bench --wine";
    ASSERT_TRUE(CopyFileW(path, store.c_str(), FALSE));
    const char* folders = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\Folders";
    registry.Tree(RegRoot::CurrentUser).CreateKey(folders);
    for (int i = 0; i < 30; ++i)
        registry.Tree(RegRoot::CurrentUser)
            .SetValue(folders, std::to_string(i), RegValue::Text("Personal Folders\\Inbox\\Folder " + std::to_string(i)));
    registry.Tree(RegRoot::CurrentUser)
        .SetValue("Software\\Microsoft\\Office\\16.0\\Outlook\\Today", "CalDays", RegValue::Text("7"));
    Register();
    auto doc = NewDoc();
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    // One refresh after an edit made in the server (none: nothing changed), timed.
    auto timed = [&](const std::string& edit) {
        if (!edit.empty()) Command(edit);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_TRUE(doc->RefreshData()) << edit;
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
    };
    const long long first = timed("");
    int appointments = 0;
    for (int d = 0; d < 7; ++d) appointments += doc->Day(d).GetCount();
    const long long unchanged = timed("");
    std::string single;
    for (int i = 0; i < doc->Day(0).GetCount() && single.empty(); ++i)
        if (!doc->Day(0).GetAt(i).IsRecurring()) single = doc->Day(0).GetAt(i).GetEntryID();
    ASSERT_FALSE(single.empty());
    ASSERT_GT(doc->Tasks().GetCount(), 0);
    const std::string someTask = doc->Tasks().GetAt(0).GetEntryID();
    const long long appointment = timed("replace " + single +
                                        R"( {"subject": "Meeting 0-0 moved", "start": "today 07:05", "end": "today 07:30"})");
    const long long task = timed("replace " + someTask + R"( {"subject": "Task 0 done", "due": "none", "percent": 50})");
    const long long unread = timed("counts " + doc->Folders().GetAt(3).GetEntryID() + " 17 30");
    for (const std::string& l : Log()) EXPECT_EQ(l.find("edit failed"), std::string::npos) << l;
    std::printf("[ INFO     ] across processes under Wine, %d appointments, %d tasks, %d folders: first refresh %lld ms, "
                "unchanged %lld ms, appointment changed %lld ms, task changed %lld ms, unread count changed %lld ms\n",
                appointments, doc->Tasks().GetCount(), doc->Folders().GetCount(), first, unchanged, appointment, task,
                unread);
    EXPECT_TRUE(ui.boxes.empty());
}

} // namespace
